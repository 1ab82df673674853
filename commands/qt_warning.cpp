#include "commands/qt_warning.h"

#include "platform/codepage.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

#include <utility>

namespace vortel {
namespace {

box_hook& installed_hook()
{
    static box_hook hook;
    return hook;
}

answer_hook& installed_answer_hook()
{
    static answer_hook hook;
    return hook;
}

void show_box(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    if (installed_hook()) {
        // Copy: the hook may install another one while it runs.
        const box_hook hook = installed_hook();
        hook(box_request{caption, text});
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner ? owner : QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

box_hook set_box_hook(box_hook hook)
{
    return std::exchange(installed_hook(), std::move(hook));
}

QString from_ansi(std::string_view text)
{
    return QString::fromStdString(ansi_to_utf8(text));
}

std::string to_ansi(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return utf8_to_ansi(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void show_warning(QWidget* owner, const QString& text)
{
    show_box(owner, QStringLiteral("Warning"), text, QMessageBox::Warning);
}

void show_warning(QWidget* owner, std::string_view ansi_text)
{
    show_warning(owner, from_ansi(ansi_text));
}

void show_error(QWidget* owner, const QString& caption, const QString& text)
{
    show_box(owner, caption, text, QMessageBox::Critical);
}

void show_information(QWidget* owner, const QString& text)
{
    show_box(owner, QStringLiteral("Information"), text, QMessageBox::Information);
}

answer_hook set_answer_hook(answer_hook hook)
{
    return std::exchange(installed_answer_hook(), std::move(hook));
}

bool ask_ok_cancel(QWidget* owner, const QString& caption, const QString& text)
{
    const box_request question{caption, text};
    if (installed_hook() || installed_answer_hook()) {
        if (installed_hook()) {
            const box_hook hook = installed_hook();
            hook(question);
        }
        if (!installed_answer_hook()) return true;
        const answer_hook answer = installed_answer_hook();
        return answer(question);
    }
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    owner ? owner : QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Ok;
}

}  // namespace vortel
