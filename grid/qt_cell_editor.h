// The cell editor: a line edit laid exactly over the current cell of a
// table window. Typed characters pass the column's key filter; Enter stores
// the text into the current record under the record lock, Escape discards
// it. Either way the editor goes and the table window takes the focus back,
// except when the value itself is refused: the warning says why, and the
// editor stays with the typed text to be corrected.
//
// The text goes into the record and the field the editor opened on, even
// when the table window has moved its table since (a repaint passes over a
// record another process deleted meanwhile).
#pragma once

#include "grid/column_model.h"

#include <QtWidgets/QLineEdit>

#include <cstdint>

namespace vortel {

class cell_editor final : public QLineEdit {
    Q_OBJECT
public:
    // Over the current cell of `browse`, child of the table window `grid`.
    cell_editor(QWidget* grid, browse_object& browse, const QFont& font);

    // Enter: the typed text into the current record. A refused accept
    // callback or a refused value keeps the editor open; returns whether
    // it closed.
    bool commit();
    void discard();

signals:
    void finished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void close_editor();

    browse_object& browse_;
    const column_descriptor column_;
    const std::int32_t record_;  // the record whose cell the editor opened on
    bool closing_ = false;
};

}  // namespace vortel
