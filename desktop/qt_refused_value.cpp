#include "desktop/qt_refused_value.h"

#include "desktop/qt_file_choosers.h"
#include "desktop/qt_warning.h"

#include <QtWidgets/QPushButton>

#include <utility>

namespace vortel {
namespace {

refused_value_hook& installed_hook()
{
    static refused_value_hook hook;
    return hook;
}

}  // namespace

refused_value_hook set_refused_value_hook(refused_value_hook hook)
{
    return std::exchange(installed_hook(), std::move(hook));
}

csv_on_error ask_about_refused_value(QWidget* owner, const std::string& refusal)
{
    const QString text = from_ansi(refusal);
    if (installed_hook()) {
        const refused_value_hook hook = installed_hook();  // it may install another one
        return hook(text);
    }
    const std::unique_ptr<QMessageBox> box =
        make_message_box(owner, QMessageBox::Warning, QStringLiteral("Refused value"), text, QMessageBox::NoButton);
    QPushButton* stop = box->addButton(QStringLiteral("Stop"), QMessageBox::RejectRole);
    QPushButton* skip = box->addButton(QStringLiteral("Skip row"), QMessageBox::AcceptRole);
    QPushButton* blank = box->addButton(QStringLiteral("Store blank"), QMessageBox::AcceptRole);
    box->setDefaultButton(stop);
    box->setEscapeButton(stop);
    box->exec();
    if (box->clickedButton() == skip) return csv_on_error::skip;
    if (box->clickedButton() == blank) return csv_on_error::blank;
    return csv_on_error::stop;
}

}  // namespace vortel
