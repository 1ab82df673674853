// The cell editor: a line edit laid exactly over the current cell of a
// table window. Typed and pasted characters pass the column's key filter;
// Enter stores the text into the current record under the record lock (Tab
// and Shift+Tab too, and then ask the grid to move right or left), Escape
// discards it. Either way the editor goes and the table window takes the
// focus back, except when the value itself is refused: the warning says
// why, and the editor stays with the typed text to be corrected. A store
// goes into the window's edit history, where there is one, to be undone.
//
// The text goes into the record and the field the editor opened on, even
// when the table window has moved its table since (a repaint passes over a
// record another process deleted meanwhile).
#pragma once

#include "grid/column_model.h"

#include <QtWidgets/QLineEdit>

#include <cstdint>
#include <optional>
#include <string>

namespace vortel {

class cell_editor final : public QLineEdit {
    Q_OBJECT
public:
    // Over the current cell of `browse`, child of the table window `grid`;
    // with `typed` (a character typed on the cell) as its text instead of
    // the cell's, the caret after it.
    cell_editor(QWidget* grid, browse_object& browse, const QFont& font, const std::optional<std::string>& typed = {});

    // Enter: the typed text into the current record. A refused accept
    // callback or a refused value keeps the editor open; returns whether
    // it closed.
    bool commit();
    void discard();

    // Ctrl+V: the clipboard's text through the key filter, or a beep.
    void paste_filtered();

signals:
    void finished();
    // After Tab (1) or Shift+Tab (-1) stored the text and closed the editor.
    void step_requested(int direction);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void close_editor();

    browse_object& browse_;
    const column_descriptor column_;
    const std::int32_t record_;  // the record whose cell the editor opened on
    bool closing_ = false;
};

}  // namespace vortel
