// A table window: one open table shown as a grid, an owned top-level window
// of its own. Window-system events become the grid's input codes; the
// portable grid decides what they do, and every change is drawn by the
// next paint. Destroying the window closes the table and frees its slot.
#pragma once

#include "grid/column_model.h"
#include "grid/navigation.h"
#include "grid/qt_cell_editor.h"

#include <QtCore/QPointer>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

class QMenu;
class QScrollBar;

namespace vortel {

class table_window final : public QWidget {
    Q_OBJECT
public:
    // The table of slot `slot`, at `position`, owned by `owner`.
    table_window(QWidget* owner, int slot, QPoint position);
    ~table_window() override;

    // Shown normally, focused and painted with its title set.
    void show_first_time();

    browse_object& browse();
    int slot() const { return slot_; }
    cell_editor* editor() const { return editor_; }
    QScrollBar* vertical_bar() const { return vertical_; }
    QScrollBar* horizontal_bar() const { return horizontal_; }
    const QFont& cell_font() const { return font_; }

    // The right-click popup: the commands this program has, in command-table
    // order (ids key + 2000), then the "Code &page" submenu, one checkable
    // item per code page (ids 3000 + its place), the table's own checked.
    // Choosing one reads the table in it, remembered for the file while
    // the program runs. The caller owns it.
    QMenu* command_popup();
    // A popup item chosen, by its id.
    void popup_command(int id);

    // After its table was closed by a rebuild or a structure change: the
    // slot is freed now, so that a table opened again may take it, and the
    // window hides and goes once control is back in the event loop.
    void close_without_table();
    bool has_slot() const { return slot_ >= 0; }

    // While a command copies or rebuilds the window's table it runs events
    // so that the program's windows stay painted, but painting the grid
    // would move the table being copied: a busy window draws the frame it
    // painted last instead.
    void set_busy(bool busy) { busy_ = busy; }
    bool busy() const { return busy_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void apply(const navigation_result& result);
    void run_command(const command_entry& entry);
    void open_editor();
    void scroll_action(bool horizontal, int action);
    void update_scroll_bars();
    void follow_geometry();
    bool input_blocked() const;

    int slot_;
    QFont font_;
    QImage kuka_;
    QImage info_;
    QScrollBar* vertical_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    QPointer<cell_editor> editor_;
    bool updating_bars_ = false;
    bool busy_ = false;
    QImage last_frame_;
};

// Keeps a table window busy for the life of a command; the window may be
// gone by the end.
class busy_table_window {
public:
    explicit busy_table_window(table_window& window);
    ~busy_table_window();
    busy_table_window(const busy_table_window&) = delete;
    busy_table_window& operator=(const busy_table_window&) = delete;

private:
    QPointer<table_window> window_;
};

}  // namespace vortel
