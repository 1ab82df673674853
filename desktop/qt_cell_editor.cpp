#include "desktop/qt_cell_editor.h"

#include "commands/cell_store.h"
#include "commands/undo.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "grid/key_filter.h"
#include "grid/navigation.h"
#include "platform/code_page.h"

#include <QtCore/QPointer>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>

namespace vortel {

cell_editor::cell_editor(QWidget* grid, browse_object& browse, const QFont& font, const std::optional<std::string>& typed)
    : QLineEdit(grid), browse_(browse), column_(browse.columns.at(static_cast<std::size_t>(browse.current_column))),
      record_(browse.table ? current_record(*browse.table) : 0)
{
    const editor_geometry area = cell_editor_geometry(browse_);
    setGeometry(area.x, area.y, area.width, area.height);
    setFont(font);
    setText(from_ansi(cell_editor_text(browse_)));
    // Numbers (and centred memo marks) sit on the right as in the cell.
    if (column_.alignment != align_left) setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (column_.edit_length > 0) setMaxLength(column_.edit_length);
    setFrame(true);
    // Text reaches the editor only through the key filter: no context
    // menu's paste, no drop.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    if (typed) {
        setText(from_ansi(*typed));
        setCursorPosition(static_cast<int>(text().size()));
    } else {
        selectAll();
    }
    show();
    setFocus();
}

bool cell_editor::event(QEvent* event)
{
    // Tab would otherwise move the focus before the key reaches the editor.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const int direction = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier) ? -1 : 1;
            QPointer<cell_editor> self = this;
            if (commit() && self) emit step_requested(direction);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void cell_editor::paste_filtered()
{
    edit_state state;
    state.text = to_ansi(text());
    state.selection_start = hasSelectedText() ? selectionStart() : cursorPosition();
    state.selection_end = hasSelectedText() ? selectionEnd() : cursorPosition();
    const QString clipboard = QGuiApplication::clipboard()->text();
    // A pasted character the program's text cannot carry would become '?'
    // in the cell: the paste is refused and says which character.
    const QByteArray utf8 = clipboard.toUtf8();
    if (const auto missing = outside_program_text({utf8.constData(), static_cast<std::size_t>(utf8.size())})) {
        show_warning(parentWidget(), std::string_view(outside_program_text_refusal(*missing)));
        return;
    }
    const std::string pasted = to_ansi(clipboard);
    if (!paste_text(state, pasted, column_.picture, column_.type, column_.edit_length)) {
        QApplication::beep();
        return;
    }
    setText(from_ansi(state.text));
    setCursorPosition(state.selection_end);
}

void cell_editor::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        paste_filtered();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commit();
        return;
    case Qt::Key_Escape:
        discard();
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    const bool character = typed.size() == 1 && typed.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!character) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const std::string ansi = to_ansi(typed);
    edit_state state;
    state.text = to_ansi(text());
    state.selection_start = hasSelectedText() ? selectionStart() : cursorPosition();
    state.selection_end = hasSelectedText() ? selectionEnd() : cursorPosition();
    const key_filter_result verdict = filter_key(state, ansi.empty() ? '?' : ansi.front(), column_.picture, column_.type);
    switch (verdict.verdict) {
    case key_verdict::accept:
        QLineEdit::keyPressEvent(event);
        break;
    case key_verdict::refuse:
        break;
    case key_verdict::rewritten:
        setText(from_ansi(verdict.state.text));
        setCursorPosition(verdict.state.selection_end);
        break;
    }
}

bool cell_editor::commit()
{
    if (closing_) return true;
    if (column_.accept && !column_.accept(browse_)) return false;
    // A typed character the program's text cannot carry would become '?'.
    const QByteArray utf8 = text().toUtf8();
    if (const auto missing = outside_program_text({utf8.constData(), static_cast<std::size_t>(utf8.size())})) {
        show_warning(parentWidget(), std::string_view(outside_program_text_refusal(*missing)));
        setFocus();
        return false;
    }
    const std::string typed = to_ansi(text());
    if (browse_.table) {
        // Refusals come back as messages. A refused value (a bad date, a
        // number that does not fit) keeps the editor open on the typed
        // text, so the user can correct it or leave with Escape; a record
        // another program holds locked closes it, the typed value not lost
        // without a word.
        const command_result result =
            browse_.history ? browse_.history->store_typed_value(*browse_.table, record_, column_.field, typed)
                            : store_typed_value(*browse_.table, record_, column_.field, typed);
        const bool value_refused = !result.done && !result.message.empty() && result.message != record_busy_text;
        if (value_refused) {
            show_warning(parentWidget(), std::string_view(result.message));
            setFocus();
            return false;
        }
        close_editor();
        if (!result.message.empty()) show_warning(parentWidget(), std::string_view(result.message));
        return true;
    }
    close_editor();
    return true;
}

void cell_editor::discard()
{
    close_editor();
}

void cell_editor::close_editor()
{
    if (closing_) return;
    closing_ = true;
    hide();
    emit finished();
    deleteLater();
}

}  // namespace vortel
