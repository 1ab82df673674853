#include "desktop/qt_file_choosers.h"

#include <QtCore/QFile>
#include <QtWidgets/QFileDialog>

#include <utility>

namespace vortel {
namespace {

chooser_hook& installed_hook()
{
    static chooser_hook hook;
    return hook;
}

std::string run_chooser(QWidget* owner, const chooser_request& request)
{
    if (installed_hook()) return installed_hook()(request);
    QFileDialog dialog(owner, request.title, request.start_directory, request.filters);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The commands ask their own overwrite questions.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return path_bytes(dialog.selectedFiles().constFirst());
}

}  // namespace

chooser_hook set_chooser_hook(chooser_hook hook)
{
    return std::exchange(installed_hook(), std::move(hook));
}

QString path_text(const std::string& path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string path_bytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string choose_file_to_open(QWidget* owner, const std::string& start_directory, const QString& title,
                                bool csv_files)
{
    // File systems here tell capitals from small letters; both spellings of
    // the extensions are offered.
    return run_chooser(owner, {false, title.isEmpty() ? QStringLiteral("File select") : title,
                               path_text(start_directory),
                               QStringLiteral("dBase III files (*.DBF *.dbf);;Text files (*.TXT *.txt);;") +
                                   (csv_files ? QStringLiteral("CSV files (*.CSV *.csv);;Workbooks (*.XLSX *.xlsx);;") : QString()) +
                                   QStringLiteral("All files (*)")});
}

std::string choose_file_of_rows(QWidget* owner, const std::string& start_directory, const QString& title)
{
    return run_chooser(owner, {false, title, path_text(start_directory),
                               QStringLiteral("CSV files (*.CSV *.csv);;Workbooks (*.XLSX *.xlsx);;All files (*)")});
}

std::string choose_file_to_save(QWidget* owner, const std::string& start_directory, const QString& title,
                                const QString& filters)
{
    return run_chooser(owner, {true, title.isEmpty() ? QStringLiteral("File save") : title,
                               path_text(start_directory), filters.isEmpty() ? QStringLiteral("All files (*)") : filters});
}

}  // namespace vortel
