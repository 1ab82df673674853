// A table window: one open table shown as a grid, an owned top-level window
// of its own. Window-system events become the grid's input codes; the
// portable grid decides what they do, and every change is drawn by the
// next paint. Destroying the window closes the table and frees its slot.
#pragma once

#include "commands/search.h"
#include "commands/undo.h"
#include "desktop/qt_cell_editor.h"
#include "grid/column_model.h"
#include "grid/navigation.h"

#include <QtCore/QPointer>
#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

class QMenu;
class QScrollBar;

namespace vortel {

class table_watcher;

inline constexpr const char* unsaved_cell_text = "Store the text typed into the cell?";

class table_window final : public QWidget {
    Q_OBJECT
public:
    // The table of slot `slot`, at `position`, owned by `owner`.
    table_window(QWidget* owner, int slot, QPoint position);
    ~table_window() override;

    // The window's edits, for Ctrl+Z.
    edit_history& history() { return history_; }

    // Shown normally, focused and painted with its title set.
    void show_first_time();

    browse_object& browse();
    int slot() const { return slot_; }
    cell_editor* editor() const { return editor_; }
    QScrollBar* vertical_bar() const { return vertical_; }
    QScrollBar* horizontal_bar() const { return horizontal_; }
    const QFont& cell_font() const { return font_; }

    // The right-click popup: the commands this program has, in command-table
    // order (ids key + 2000), each with its key, then "&Filter..." and
    // "Clear filter" (qt_filter_dialog.h), then the "Code &page"
    // submenu, one checkable item per code page (ids 3000 + its place), the
    // table's own checked. Choosing one reads the table in it, remembered
    // for the file while the program runs. The caller owns it. Its items
    // run their commands once the popup has closed.
    QMenu* command_popup();
    // A popup item chosen, by its id.
    void popup_command(int id);
    // "&Filter..." (the dialog) and "Clear filter".
    void filter_command(bool clear);

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

    // Whether the window may go now. Never while a command copies or
    // rebuilds its table. Text typed into the cell editor and not stored is
    // asked about first: stored (the window stays when the value is
    // refused), dropped, or kept with the window.
    bool may_close();

    // An open cell edit finished as Enter finishes it, for whatever else
    // the user turned to: a click elsewhere, the scroll bars, the wheel, a
    // focus change. True when no editor is left; a refused value is told
    // and keeps the editor, with the focus.
    bool finish_edit();

    // The last search made in the window and the column it searched, for a
    // listing of what it finds; null before one.
    const search_request* last_search() const { return last_search_ ? &*last_search_ : nullptr; }
    int last_search_column() const { return last_search_column_; }
    void remember_search(const search_request& request, int column)
    {
        last_search_ = request;
        last_search_column_ = column;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(const navigation_result& result);
    // Before a move: with Shift the move extends the chosen rows, without
    // it the rows chosen are let go.
    void choose_rows(bool extend);
    void drop_editor();
    void run_command(const command_entry& entry);
    void open_editor(const std::optional<std::string>& typed = {});
    void undo_last_edit();
    void fit_column(int column);
    // Another process changed the table's files: the visible rows are read
    // again by the next paint, which keeps the current record.
    void table_changed();
    void scroll_action(bool horizontal, int action);
    void update_scroll_bars();
    void follow_geometry();
    bool input_blocked() const;

    int slot_;
    // Reads the slot's table: it goes before the table does.
    table_watcher* watcher_ = nullptr;
    QFont font_;
    QImage kuka_;
    QImage info_;
    QScrollBar* vertical_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    QPointer<cell_editor> editor_;
    QString editor_opening_text_;  // what the editor showed when it opened
    bool finishing_edit_ = false;
    edit_history history_;
    bool updating_bars_ = false;
    bool busy_ = false;
    QImage last_frame_;
    std::optional<search_request> last_search_;
    int last_search_column_ = 0;
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
