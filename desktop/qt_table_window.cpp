#include "desktop/qt_table_window.h"

#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "desktop/qt_canvas.h"
#include "desktop/qt_cell_editor.h"
#include "desktop/qt_dialogs.h"
#include "desktop/qt_filter_dialog.h"
#include "desktop/qt_file_choosers.h"
#include "desktop/qt_input_codes.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_print_table.h"
#include "desktop/qt_sort_dialog.h"
#include "desktop/qt_structure_dialog.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_table_watcher.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "grid/grid_filter.h"
#include "grid/input_codes.h"
#include "grid/paint_grid.h"
#include "grid/row_selection.h"

#include <QtGui/QClipboard>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenu>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>

#include <utility>

namespace vortel {
namespace {

// The grid's cell and header font: bold, fixed pitch, 13 pixels high.
QFont grid_font()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    font.setBold(true);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// Whether the current row shows a record; an empty table's has none.
bool has_record_at_current_row(table_object& table)
{
    const std::int32_t record = current_record(table);
    return record >= 1 && record <= record_count(table);
}

// An owned window is a dialog to the window system, the one kind whose
// owner Qt names to window managers, which keep it above that owner; it
// keeps the frame and buttons of a plain window.
Qt::WindowFlags owned_window_flags(const QWidget* owner)
{
    if (!owner) return Qt::Window;
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
           Qt::WindowCloseButtonHint;
}

// The window's size rules are in pixels of a screen at its natural scale;
// on a small or scaled screen (a scale of 2 halves its room) the window
// opens no larger than the screen's free area, less room for the frame the
// window manager draws around it. Where it opens stays the cascade's.
QSize within_screen(QSize wanted, const QWidget* owner)
{
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return wanted;
    constexpr QSize frame_room(16, 40);
    return wanted.boundedTo(screen->availableGeometry().size() - frame_room);
}

bool changes_the_table(grid_command command)
{
    switch (command) {
    case grid_command::new_record:
    case grid_command::delete_record:
    case grid_command::append_from:
    case grid_command::sort:
    case grid_command::pack:
    case grid_command::zap:
    case grid_command::modify_structure: return true;
    default: return false;
    }
}

// The field a column shows, -1 for none.
int column_field(const browse_object& grid, int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= grid.columns.size()) return -1;
    return grid.columns[static_cast<std::size_t>(column)].field;
}

}  // namespace

table_window::table_window(QWidget* owner, int slot, QPoint position)
    : QWidget(owner, owned_window_flags(owner)), slot_(slot), font_(grid_font()),
      kuka_(QStringLiteral(":/KUKA")), info_(QStringLiteral(":/INFO"))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    vertical_ = new QScrollBar(Qt::Vertical, this);
    horizontal_ = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {vertical_, horizontal_}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(1);
        bar->setPageStep(1);
    }
    connect(vertical_, &QScrollBar::actionTriggered, this, [this](int action) { scroll_action(false, action); });
    connect(horizontal_, &QScrollBar::actionTriggered, this, [this](int action) { scroll_action(true, action); });

    browse_object& grid = browse();
    const int bar_width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    grid.scroll_bar_allowance = scroll_bar_allowance_for(bar_width, true);
    grid.cell_font = qt_font_handle(&font_);
    grid.header_font = qt_font_handle(&font_);
    grid.row_height = table_row_height;
    grid.table_window = true;
    grid.grid_lines = true;
    grid.x = position.x();
    grid.y = position.y();
    grid.width = table_window_width;
    // Whole rows: the header and 21 rows fit 450 pixels; two rows are kept
    // for the frame and the bars.
    grid.visible_rows = table_window_height / grid.row_height - 1;
    grid.height = (table_window_height / grid.row_height) * grid.row_height + 1;
    grid.visible_rows -= 2;
    grid.title = table_slot_at(slot_).title;
    // The title carries the state the user must not overlook before typing.
    if (const table_object* table = table_slot_at(slot_).table.get(); table && is_read_only(*table)) {
        grid.title += " (read-only)";
    }
    grid.history = &history_;
    if (grid.table) {
        watcher_ = new table_watcher(this, *grid.table);
        connect(watcher_, &table_watcher::changed, this, &table_window::table_changed);
    }

    setWindowTitle(literal_title(path_text(grid.title)));
    move(position);
    resize(within_screen(QSize(table_window_width, grid.height), owner));
}

table_window::~table_window()
{
    drop_editor();
    if (slot_ >= 0) release_table_slot(slot_);
}

browse_object& table_window::browse()
{
    if (slot_ < 0) {
        // A window on its way out shows nothing and runs nothing.
        static browse_object none;
        none = browse_object{};
        return none;
    }
    return table_slot_at(slot_).browse;
}

void table_window::close_without_table()
{
    if (slot_ < 0) return;
    drop_editor();
    // The window lives on until its deferred delete, and a rebuild that
    // replaced the files makes the watcher look at once: it must not find a
    // freed table.
    delete std::exchange(watcher_, nullptr);
    release_table_slot(slot_);
    slot_ = -1;
    hide();
    deleteLater();
}

void table_window::show_first_time()
{
    setWindowTitle(literal_title(path_text(set_grid_title(browse()))));
    showNormal();
    activateWindow();
    setFocus();
    update();
}

bool table_window::input_blocked() const
{
    return editor_ != nullptr || slot_ < 0;
}

busy_table_window::busy_table_window(table_window& window) : window_(&window)
{
    window.set_busy(true);
}

busy_table_window::~busy_table_window()
{
    if (table_window* window = window_.data()) window->set_busy(false);
}

void table_window::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (busy_) {
        // The scroll bars keep their state too: reading the record count
        // would also reach into the table.
        painter.drawImage(0, 0, last_frame_);
        return;
    }
    browse_object& grid = browse();
    // The grid is drawn into an image first, which is kept for the times the
    // window is busy.
    const qreal ratio = devicePixelRatioF();
    if (last_frame_.size() != size() * ratio || last_frame_.devicePixelRatio() != ratio) {
        last_frame_ = QImage(size() * ratio, QImage::Format_RGB32);
        last_frame_.setDevicePixelRatio(ratio);
    }
    last_frame_.fill(palette().color(QPalette::Window));
    {
        QPainter frame_painter(&last_frame_);
        qt_canvas surface(frame_painter);
        surface.set_bitmaps({&kuka_, &info_});
        QApplication::setOverrideCursor(Qt::WaitCursor);
        paint_grid(grid, surface);
        QApplication::restoreOverrideCursor();
    }
    painter.drawImage(0, 0, last_frame_);
    setWindowTitle(literal_title(path_text(grid.window_title)));
    update_scroll_bars();
    // For timing the start of the program (bench/peers/run_peers.py): it
    // ends as soon as a table window has painted its first screen.
    static const bool exit_after_first_paint = qEnvironmentVariableIsSet("VORTEL_EXIT_AFTER_FIRST_PAINT");
    if (exit_after_first_paint) QApplication::exit(0);
}

void table_window::update_scroll_bars()
{
    browse_object& grid = browse();
    updating_bars_ = true;
    const scroll_range rows = vertical_range(scrolled_records(grid));
    vertical_->setRange(rows.minimum, rows.maximum);
    if (!vertical_->isSliderDown()) vertical_->setValue(grid.vertical_thumb);
    const scroll_range columns = horizontal_range(static_cast<int>(grid.columns.size()));
    horizontal_->setRange(columns.minimum, columns.maximum);
    if (!horizontal_->isSliderDown()) horizontal_->setValue(grid.horizontal_thumb);
    updating_bars_ = false;
}

void table_window::apply(const navigation_result& result)
{
    browse_object& grid = browse();
    if (result.horizontal_thumb_changed) {
        updating_bars_ = true;
        horizontal_->setValue(grid.horizontal_thumb);
        updating_bars_ = false;
    }
    switch (result.pointer) {
    case pointer_shape::arrow:
        unsetCursor();
        break;
    case pointer_shape::size_we:
        setCursor(Qt::SizeHorCursor);
        break;
    case pointer_shape::unchanged:
        break;
    }
    if (result.take_focus) setFocus();
    if (result.paint != repaint::none) update();

    switch (result.action) {
    case grid_action::none:
        break;
    case grid_action::open_cell_editor:
        // The editor is refused before anything is typed into it.
        if (grid.table && is_read_only(*grid.table)) {
            show_warning(this, std::string_view(read_only_refusal(*grid.table)));
        } else {
            open_editor(result.editor_text);
        }
        break;
    case grid_action::undo:
        undo_last_edit();
        break;
    case grid_action::fit_column:
        fit_column(result.column);
        break;
    case grid_action::open_memo_dialog: {
        // A memo shown with '?' for characters it holds is only shown, as
        // is every memo of a read-only table.
        const auto column = static_cast<std::size_t>(grid.current_column);
        const bool read_only = grid.memo_read_only || (grid.table && is_read_only(*grid.table)) ||
                               (grid.table && column < grid.columns.size() &&
                                !edit_refusal(*grid.table, grid.columns[column].field).empty());
        grid.memo_read_only = false;
        const int field = column_field(grid, grid.current_column);
        const std::string why = grid.table ? memo_unavailable_text(*grid.table, field) : std::string();
        if (!why.empty()) {
            show_warning(this, std::string_view(why));
        } else {
            run_memo_dialog(this, grid, &font_, read_only);
        }
        update();
        break;
    }
    case grid_action::close_window:
        close();
        break;
    case grid_action::focus_next_control:
        QWidget::focusNextPrevChild(true);
        break;
    case grid_action::copy_to_clipboard:
        QGuiApplication::clipboard()->setText(from_ansi(result.clipboard_text));
        break;
    case grid_action::run_command:
        if (result.command) {
            QPointer<QWidget> active = QApplication::activeWindow();
            QPointer<table_window> self = this;
            run_command(*result.command);
            if (!self || !has_slot()) return;
            apply(after_command(grid));
            if (active) active->activateWindow();
        }
        break;
    }
}

void table_window::run_command(const command_entry& entry)
{
    browse_object& grid = browse();
    if (!grid.table) return;
    // A read-only table refuses a change before any dialog asks for more.
    if (changes_the_table(entry.command) && is_read_only(*grid.table)) {
        show_warning(this, std::string_view(read_only_refusal(*grid.table)));
        if (isVisible()) setFocus();
        return;
    }
    // A filter that keeps no shown record leaves the table on a hidden one.
    const bool acts_on_current = entry.command == grid_command::modify || entry.command == grid_command::delete_record;
    if (acts_on_current && filter_shows_nothing(grid)) return;
    switch (entry.command) {
    case grid_command::new_record: {
        const command_result result = history_.append_new_record(*grid.table);
        if (!result.message.empty()) show_warning(this, std::string_view(result.message));
        if (result.done) keep_appended_records(grid, current_record(*grid.table), current_record(*grid.table));
        break;
    }
    case grid_command::modify:
        grid.pending_move = 0;
        apply(modify_current_cell(grid));
        break;
    case grid_command::delete_record: {
        const command_result result = history_.toggle_delete(*grid.table);
        if (!result.message.empty()) show_warning(this, std::string_view(result.message));
        break;
    }
    case grid_command::search:
        run_find_dialog(this, grid);
        break;
    case grid_command::go_to:
        run_go_to_dialog(this, grid);
        break;
    case grid_command::table_info:
        run_info_dialog(this, grid, &font_);
        break;
    case grid_command::save_to_html:
        save_to_html_command(*this);
        break;
    case grid_command::copy_to:
        copy_to_command(*this);
        break;
    case grid_command::append_from:
        append_from_command(*this);
        break;
    case grid_command::sort:
        run_sort_dialog(this, grid);
        break;
    case grid_command::pack:
        pack_command(*this);
        break;
    case grid_command::zap:
        zap_command(*this);
        break;
    case grid_command::modify_structure:
        run_structure_dialog(*this);
        break;
    case grid_command::print:
        print_table(*this);
        break;
    case grid_command::exit:
        close();
        break;
    default:
        // Commands this program does not have are neither in the popup nor
        // run by their keys.
        break;
    }
    if (has_slot() && isVisible()) setFocus();
}

void table_window::open_editor(const std::optional<std::string>& typed)
{
    if (editor_) return;
    browse_object& grid = browse();
    // A row without a record (an empty table) has nothing to edit: what
    // was typed there could go nowhere.
    if (!grid.table || !has_record_at_current_row(*grid.table)) return;
    const auto column = static_cast<std::size_t>(grid.current_column);
    if (column < grid.columns.size()) {
        // A text shown with '?' for characters it holds would lose them.
        const std::string refusal = edit_refusal(*grid.table, grid.columns[column].field);
        if (!refusal.empty()) {
            show_warning(this, std::string_view(refusal));
            return;
        }
    }
    // The cell's own text: an editor opened by typing already holds more.
    editor_opening_text_ = from_ansi(cell_editor_text(grid));
    editor_ = new cell_editor(this, grid, font_, typed);
    editor_->installEventFilter(this);
    connect(editor_, &cell_editor::finished, this, [this] {
        // The grid takes input again at once; the editor itself goes later.
        editor_ = nullptr;
        setFocus();
        update();
    });
    connect(editor_, &cell_editor::step_requested, this, [this](int direction) {
        if (!input_blocked()) apply(key_down(browse(), direction > 0 ? vk_right : vk_left, false));
    });
}

void table_window::undo_last_edit()
{
    browse_object& grid = browse();
    if (!grid.table) return;
    if (history_.size() == 0) {
        QApplication::beep();
        return;
    }
    const undo_result result = history_.undo(*grid.table);
    if (!result.message.empty()) show_warning(this, std::string_view(result.message));
    // The grid goes to the cell the undo changed, as Go to would, so the
    // user sees what came back.
    if (result.done && result.record >= 1 && result.record <= record_count(*grid.table)) {
        go_to(*grid.table, result.record);
        for (std::size_t i = 0; i < grid.columns.size(); ++i) {
            if (result.field >= 0 && grid.columns[i].field == result.field) {
                grid.current_column = static_cast<int>(i);
                grid.horizontal_thumb = static_cast<int>(i);
                if (grid.current_column < grid.first_visible_column) grid.first_visible_column = grid.current_column;
            }
        }
        grid.current_record = current_record(*grid.table);
        grid.top_offset = 1 - grid.current_row;
        grid.pending_move = 0;
        grid.move_pending = true;
    }
    apply(after_command(grid));
}

void table_window::fit_column(int column)
{
    browse_object& grid = browse();
    if (column < 0 || static_cast<std::size_t>(column) >= grid.columns.size()) return;
    const QFontMetrics metrics(font_);
    const int width = fit_column_width(grid, column, [&metrics](std::string_view text) {
        return metrics.horizontalAdvance(from_ansi(text));
    });
    grid.columns[static_cast<std::size_t>(column)].width = width;
    update();
}

void table_window::table_changed()
{
    // A busy window's table is being copied or searched: the paint after
    // the command reads it again anyway.
    if (!busy_ && has_slot()) update();
}

void table_window::drop_editor()
{
    // The editor goes with its text: losing the focus as it is deleted
    // must not store it.
    if (editor_) editor_->removeEventFilter(this);
    delete editor_.data();
}

bool table_window::finish_edit()
{
    if (!editor_) return true;
    // The refusal's message box takes the focus from the editor in turn.
    if (finishing_edit_) return false;
    finishing_edit_ = true;
    const QPointer<table_window> self = this;
    const bool closed = editor_->commit();
    if (self) finishing_edit_ = false;
    return closed;
}

bool table_window::may_close()
{
    if (busy_) return false;
    if (!editor_) return true;
    if (editor_->text() == editor_opening_text_) {
        editor_->discard();
        return true;
    }
    const QPointer<table_window> self = this;
    const unsaved_choice choice = ask_about_unsaved_text(
        this, path_text(browse().title), QString::fromLatin1(unsaved_cell_text));
    if (!self) return false;
    switch (choice) {
    case unsaved_choice::save:
        return finish_edit();
    case unsaved_choice::discard:
        if (editor_) editor_->discard();
        return true;
    case unsaved_choice::keep_open:
        break;
    }
    if (editor_) editor_->setFocus();
    return false;
}

void table_window::closeEvent(QCloseEvent* event)
{
    if (may_close()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool table_window::eventFilter(QObject* watched, QEvent* event)
{
    // The focus leaving the editor finishes the edit, so that the grid is
    // never left deaf to input behind an editor the user has turned from.
    // A popup menu borrows the focus without a change of mind, and so does
    // a message box (the editor's own refusal of a value among them).
    if (watched == editor_.data() && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && !QApplication::activeModalWidget()) {
        finish_edit();
    }
    return QWidget::eventFilter(watched, event);
}

QMenu* table_window::command_popup()
{
    auto* popup = new QMenu(this);
    for (const command_entry& entry : command_table()) {
        QAction* item = popup->addAction(QString::fromStdString(menu_item_text(entry)));
        const int id = popup_id(entry);
        item->setData(id);
        // Queued: the command runs once the popup has closed and gone, never
        // inside its trigger, as a command that runs events would otherwise
        // free the menu it is still running in.
        connect(item, &QAction::triggered, this, [this, id] { popup_command(id); }, Qt::QueuedConnection);
    }
    if (browse().table_window && browse().table) {
        popup->addSeparator();
        QAction* filter = popup->addAction(QString::fromLatin1(filter_menu_text));
        filter->setObjectName(QStringLiteral("filter"));
        connect(filter, &QAction::triggered, this, [this] { filter_command(false); }, Qt::QueuedConnection);
        QAction* clear = popup->addAction(QString::fromLatin1(clear_filter_menu_text));
        clear->setObjectName(QStringLiteral("clear_filter"));
        clear->setEnabled(grid_filtered(browse()));
        connect(clear, &QAction::triggered, this, [this] { filter_command(true); }, Qt::QueuedConnection);
        QMenu* pages = popup->addMenu(QString::fromLatin1(code_page_menu_text.data(),
                                                          static_cast<qsizetype>(code_page_menu_text.size())));
        pages->setObjectName(QStringLiteral("code_pages"));
        const std::span<const code_page> all = all_code_pages();
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::string_view name = code_page_name(all[i]);
            QAction* item = pages->addAction(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
            const int id = code_page_id_base + static_cast<int>(i);
            item->setData(id);
            item->setCheckable(true);
            item->setChecked(browse().table->codepage.page == all[i]);
            connect(item, &QAction::triggered, this, [this, id] { popup_command(id); }, Qt::QueuedConnection);
        }
    }
    return popup;
}

void table_window::filter_command(bool clear)
{
    if (input_blocked() || !browse().table) return;
    QPointer<table_window> self = this;
    if (clear) {
        clear_window_filter(*this);
    } else {
        run_filter_dialog(*this);
    }
    if (self && has_slot() && isVisible()) setFocus();
}

void table_window::popup_command(int id)
{
    browse_object& grid = browse();
    if (input_blocked() || !grid.table) return;
    const std::span<const code_page> pages = all_code_pages();
    if (id >= code_page_id_base && id < code_page_id_base + static_cast<int>(pages.size())) {
        if (!grid.table_window) return;
        const code_page page = pages[static_cast<std::size_t>(id - code_page_id_base)];
        choose_code_page(*grid.table, page);
        remember_code_page(table_slot_at(slot_).title, page);
        update();
        return;
    }
    const std::optional<command_entry> entry = command_for_popup_id(id);
    if (!entry) return;
    QPointer<table_window> self = this;
    run_command(*entry);
    if (!self || !has_slot()) return;
    apply(after_command(grid));
}

void table_window::keyPressEvent(QKeyEvent* event)
{
    if (input_blocked()) return;
    // A printable character starts editing the cell, as in spreadsheets.
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const std::string ansi = to_ansi(typed);
        bool refused = false;
        const navigation_result result = type_on_cell(browse(), ansi.empty() ? '?' : ansi.front(), refused);
        if (refused) QApplication::beep();
        apply(result);
        return;
    }
    const int key = virtual_key(*event);
    if (key == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    // Shift with a move up or down extends the range of chosen rows; the
    // move alone ends it.
    if (key == vk_up || key == vk_down || key == vk_prior || key == vk_next ||
        (ctrl && (key == vk_home || key == vk_end))) {
        choose_rows(event->modifiers() & Qt::ShiftModifier);
    }
    apply(key_down(browse(), key, ctrl));
}

void table_window::choose_rows(bool extend)
{
    if (extend) {
        extend_row_selection(browse());
    } else if (has_row_selection(browse())) {
        clear_row_selection(browse());
        update();
    }
}

bool table_window::focusNextPrevChild(bool)
{
    // Tab is a key of the grid, not a move between widgets.
    return false;
}

void table_window::wheelEvent(QWheelEvent* event)
{
    if (!finish_edit() || input_blocked()) return;
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    apply(mouse_wheel(browse(), delta));
}

void table_window::mousePressEvent(QMouseEvent* event)
{
    if (input_blocked()) return;
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        choose_rows(event->modifiers() & Qt::ShiftModifier);
        apply(left_button_down(browse(), at.x(), at.y()));
    } else if (event->button() == Qt::RightButton) {
        QMenu* popup = command_popup();
        popup->setAttribute(Qt::WA_DeleteOnClose);
        // The menu's right edge at the pointer.
        const QPoint global = event->globalPosition().toPoint();
        popup->popup(global - QPoint(popup->sizeHint().width(), 0));
    }
}

void table_window::mouseMoveEvent(QMouseEvent*)
{
    if (input_blocked()) return;
    apply(mouse_move(browse()));
}

void table_window::mouseReleaseEvent(QMouseEvent* event)
{
    if (input_blocked() || event->button() != Qt::LeftButton) return;
    apply(left_button_up(browse(), event->position().toPoint().x()));
}

void table_window::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (input_blocked() || event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    apply(left_double_click(browse(), at.x(), at.y()));
}

void table_window::focusInEvent(QFocusEvent*)
{
    browse().has_focus = true;
    update();
}

void table_window::focusOutEvent(QFocusEvent*)
{
    browse().has_focus = false;
    update();
}

void table_window::scroll_action(bool horizontal, int action)
{
    if (updating_bars_) return;
    QScrollBar* bar = horizontal ? horizontal_ : vertical_;
    const int position = bar->sliderPosition();
    if (action != QAbstractSlider::SliderMove) {
        // The grid places the thumb at its next paint.
        bar->setSliderPosition(bar->value());
    }
    if (!finish_edit() || input_blocked()) return;
    apply(scroll_bar(browse(), scroll_code(action), horizontal, position & 0xFFFF));
}

void table_window::follow_geometry()
{
    const QRect frame = frameGeometry();
    resize_grid(browse(), frame.x(), frame.y(), frame.width(), frame.height());
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    vertical_->setGeometry(width() - bar, 0, bar, height() - bar);
    horizontal_->setGeometry(0, height() - bar, width() - bar, bar);
}

void table_window::resizeEvent(QResizeEvent*)
{
    follow_geometry();
    update();
}

void table_window::moveEvent(QMoveEvent*)
{
    const QRect frame = frameGeometry();
    browse().x = frame.x();
    browse().y = frame.y();
}

}  // namespace vortel
