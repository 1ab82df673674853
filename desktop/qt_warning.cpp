#include "desktop/qt_warning.h"

#include "platform/codepage.h"

#include <QtGui/QFontMetrics>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QMessageBox>

#include <algorithm>
#include <optional>
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

choice_hook& installed_choice_hook()
{
    static choice_hook hook;
    return hook;
}

// Room beside a caption for what window managers draw in the title bar:
// the icon and the three buttons.
constexpr int title_bar_room = 160;

void show_box(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    if (installed_hook()) {
        // Copy: the hook may install another one while it runs.
        const box_hook hook = installed_hook();
        hook(box_request{caption, text});
        return;
    }
    make_message_box(owner, icon, caption, text, QMessageBox::Ok)->exec();
}

// A question asked while a hook is installed is told to the box hook and
// answered by the answer hook, or by `fallback` when only the box hook is
// there; no box opens. Empty when no hook is installed.
template <typename Answer, typename Hook>
std::optional<Answer> hooked_answer(const Hook& installed_answer, const box_request& question, Answer fallback)
{
    if (!installed_hook() && !installed_answer) return std::nullopt;
    if (installed_hook()) {
        // Copies: a hook may install another one while it runs.
        const box_hook hook = installed_hook();
        hook(question);
    }
    if (!installed_answer) return fallback;
    const Hook answer = installed_answer;
    return answer(question);
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
    if (const std::optional<bool> answer = hooked_answer(installed_answer_hook(), {caption, text}, true)) {
        return *answer;
    }
    const std::unique_ptr<QMessageBox> box =
        make_message_box(owner, QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Ok);
    return box->exec() == QMessageBox::Ok;
}

choice_hook set_choice_hook(choice_hook hook)
{
    return std::exchange(installed_choice_hook(), std::move(hook));
}

unsaved_choice ask_about_unsaved_text(QWidget* owner, const QString& caption, const QString& text)
{
    if (const std::optional<unsaved_choice> choice =
            hooked_answer(installed_choice_hook(), {caption, text}, unsaved_choice::save)) {
        return *choice;
    }
    const std::unique_ptr<QMessageBox> box = make_message_box(
        owner, QMessageBox::Question, caption, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Save);
    box->setEscapeButton(QMessageBox::Cancel);
    switch (box->exec()) {
    case QMessageBox::Save: return unsaved_choice::save;
    case QMessageBox::Discard: return unsaved_choice::discard;
    default: return unsaved_choice::keep_open;
    }
}

std::unique_ptr<QMessageBox> make_message_box(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, QMessageBox::StandardButtons buttons)
{
    auto box = std::make_unique<QMessageBox>(icon, literal_title(caption), text, buttons,
                                             owner ? owner : QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::ApplicationModal);
    // The box sizes itself to its text; a spacer across its layout makes it
    // at least as wide as the caption, within the screen.
    const QScreen* screen = box->screen();
    const int most = screen ? screen->availableGeometry().width() - 40 : 1000;
    const int caption_width = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption);
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(std::min(caption_width + title_bar_room, most), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

QString literal_title(const QString& text)
{
    QString title = text;
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

}  // namespace vortel
