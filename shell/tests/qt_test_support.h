// What the desktop program's QTest programs share: recording the boxes the
// program would show and answering its questions, acting on a modal dialog
// once its loop runs, and reading a field back from the file.
#pragma once

#include "commands/qt_warning.h"

#include <QtCore/QList>
#include <QtCore/QStringList>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace vortel::testing {

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

// Once per test program: the program's resources and its start-up state,
// as the program's main sets them.
void start_desktop();

// A working copy of the sample table and its memo file in `folder`,
// replacing an earlier copy; the table's path.
std::string copy_sample_table(const std::string& folder);

// The stored text of `field` in record `record` of the table at `path`,
// deleted or not.
std::string field_of(const std::string& path, std::int32_t record, const std::string& field);

}  // namespace vortel::testing
