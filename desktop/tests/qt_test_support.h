// What the desktop program's QTest programs share: a working copy of the
// sample per test with its table windows closed after it, keys and typing
// as the user gives them, recording the boxes the program would show and
// answering its questions and choosers, acting on a modal dialog once its
// loop runs, and reading fields and memos back from the file.
#pragma once

#include "desktop/qt_file_choosers.h"
#include "desktop/qt_warning.h"
#include "testing/scratch_dir.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/qnamespace.h>
#include <QtCore/QStringList>
#include <QtTest/QTest>
#include <QtWidgets/QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortel {
class table_window;
}

namespace vortel::testing {

// The per-test state of a desktop test: a fresh folder holding a working
// copy of the sample; `end_test` closes the table windows a test left and
// checks that every table slot was given back.
class sample_fixture {
protected:
    std::unique_ptr<scratch_dir> dir_;
    std::string table_;
    std::string memo_;

    void begin_test();
    void end_test();
    // A window on the sample, painted once; null when it did not open.
    table_window* open_sample(QWidget* owner = nullptr) const;
    // A window on the sample with the current cell on `record`, `column`.
    table_window* open_sample_at(std::int32_t record, int column) const;
    // The sample's two files, to tell that a refused command changed nothing.
    std::string sample_bytes() const;
};

// Posted events and deferred deletes run, as the event loop would.
void settle();

// A key to the window, which then paints (a paint applies a pending move).
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Typing as a keyboard layout delivers it: one key press per character,
// accented letters included.
void type_text(QWidget* widget, const QString& text);

// The one table window open, or the last of several; null when none is.
table_window* only_window();

// Calls `seen` with every event the application delivers while it lives.
class event_watcher final : public QObject {
public:
    explicit event_watcher(std::function<void(QObject*, QEvent*)> seen);
    ~event_watcher() override;
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    std::function<void(QObject*, QEvent*)> seen_;
};

// Answers the file choosers with `paths` in order, then with Cancel, and
// keeps the requests.
class chooser_answers {
public:
    explicit chooser_answers(std::vector<std::string> paths);
    ~chooser_answers();
    chooser_answers(const chooser_answers&) = delete;
    chooser_answers& operator=(const chooser_answers&) = delete;
    std::vector<chooser_request> requests;

private:
    std::vector<std::string> paths_;
    chooser_hook previous_;
};

// The boxes that would have been shown, as "caption: text". Questions are
// answered from `answers` in order, OK once they run out; questions about
// unsaved text from `choices`, save once they run out.
class box_recorder {
public:
    box_recorder();
    ~box_recorder();
    box_recorder(const box_recorder&) = delete;
    box_recorder& operator=(const box_recorder&) = delete;

    QStringList boxes;
    QList<bool> cursor_during_box;  // whether the wait cursor was up at each box
    QList<bool> answers;
    QList<unsaved_choice> choices;

private:
    box_hook previous_box_;
    answer_hook previous_answer_;
    choice_hook previous_choice_;
};

// Runs `act` on the modal dialog once its loop runs, then closes it if
// `act` left it open (a failed check must not keep the test waiting).
void when_modal(std::function<void(QWidget*)> act);

// As when_modal, for a modal dialog that must be a `Dialog`.
template <class Dialog, class Act>
void when_dialog(Act act)
{
    when_modal([act](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        QVERIFY2(dialog, "another dialog than the one expected");
        act(dialog);
    });
}

// Once per test program: the program's resources and its start-up state,
// as the program's main sets them.
void start_desktop();

// A working copy of the sample table and its memo file in `folder`,
// replacing an earlier copy; the table's path.
std::string copy_sample_table(const std::string& folder);

// The stored text of `field` in record `record` of the table at `path`,
// deleted or not.
std::string field_of(const std::string& path, std::int32_t record, const std::string& field);

// The memo text of `field` in record `record` of the table at `path`.
std::string memo_of(const std::string& path, std::int32_t record, const std::string& field = "MEGJEGYZES");

}  // namespace vortel::testing
