// The message boxes of the desktop program: show_warning for user-facing
// errors, and the captioned error box of the search.
//
// Texts inside the program are Windows-1250; they become Unicode here, at the
// window system's edge. Tests answer boxes without showing them by
// installing a box hook.
#pragma once

#include <QtCore/QString>
#include <QtWidgets/QMessageBox>

#include <functional>
#include <memory>
#include <string_view>

namespace vortel {

struct box_request {
    QString caption;
    QString text;
};

// Called instead of showing a box while installed; its result stands for the
// button pressed (the boxes here only have OK).
using box_hook = std::function<void(const box_request& box)>;

// Installs `hook` (an empty one shows boxes again) and returns the previous.
box_hook set_box_hook(box_hook hook);

// A Windows-1250 text as Unicode.
QString from_ansi(std::string_view text);
// Unicode as Windows-1250; characters it lacks become '?'.
std::string to_ansi(const QString& text);

// Caption "Warning", OK only, blocking the whole program until answered.
// Owned by `owner`, or the active window when that is null.
void show_warning(QWidget* owner, const QString& text);
void show_warning(QWidget* owner, std::string_view ansi_text);

// An OK box with its own caption (the search's "Error").
void show_error(QWidget* owner, const QString& caption, const QString& text);

// Caption "Information", OK only: news that needs no decision.
void show_information(QWidget* owner, const QString& text);

// Answers questions instead of the user while installed: true for OK. For
// tests; a question also reaches the box hook, so recorders see it asked.
// With a box hook but no answer hook, questions are answered OK.
using answer_hook = std::function<bool(const box_request& box)>;
answer_hook set_answer_hook(answer_hook hook);

// An OK/Cancel question with its own caption, blocking the whole program
// until answered (the overwrite, pack and zap confirmations). True for OK.
bool ask_ok_cancel(QWidget* owner, const QString& caption, const QString& text);

// What to do with text typed but not stored, when its window is closed.
enum class unsaved_choice { save, discard, keep_open };

// Answers the unsaved-text question instead of the user while installed.
// For tests; the question also reaches the box hook. With a box hook but no
// choice hook, the text is saved.
using choice_hook = std::function<unsaved_choice(const box_request& box)>;
choice_hook set_choice_hook(choice_hook hook);

// A Save / Discard / Cancel question with its own caption, blocking the
// whole program until answered; Cancel and closing the box keep it open.
unsaved_choice ask_about_unsaved_text(QWidget* owner, const QString& caption, const QString& text);

// The box every question and warning above shows: its texts are shown as
// the characters they are, never as markup, since they carry names and
// values from files; and it is wide enough for its whole caption. Owned by
// `owner`, or the active window when that is null. For the callers above
// and for tests.
std::unique_ptr<QMessageBox> make_message_box(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                              const QString& text, QMessageBox::StandardButtons buttons);

// A window title that shows `text` as it is: Qt reads "[*]" in a title as
// the place of its changed-document mark.
QString literal_title(const QString& text);

}  // namespace vortel
