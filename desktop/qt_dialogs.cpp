#include "desktop/qt_dialogs.h"

#include "commands/cell_store.h"
#include "commands/go_to_record.h"
#include "commands/search.h"
#include "commands/table_info.h"
#include "commands/undo.h"
#include "desktop/qt_search_progress.h"
#include "desktop/qt_table_commands.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "platform/code_page.h"

#include <QtCore/QPointer>
#include <QtCore/QRegularExpression>
#include <QtGui/QFont>
#include <QtGui/QRegularExpressionValidator>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

namespace vortel {
namespace {

QFont dialog_font(const QStringList& families, int points)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSize(points);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// Memo and information texts end their lines with CR LF; the edit boxes
// with a line feed alone.
QString lines_for_edit(std::string_view ansi)
{
    QString text = from_ansi(ansi);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// Whether a memo is too long for the edit box to show it at once.
bool needs_read_only_view(std::string_view ansi)
{
    if (ansi.size() > memo_view_characters) return true;
    std::size_t line = 0;
    for (const char c : ansi) {
        line = c == '\n' ? 0 : line + 1;
        if (line > memo_view_line) return true;
    }
    return false;
}

// The read-only view's text: lines longer than a piece are broken, so that
// no line of the box is long enough to stall it. Never saved. Broken in the
// program's one-byte text, converted once: a memo of tens of megabytes.
QString lines_for_view(std::string_view ansi)
{
    std::string pieces;
    pieces.reserve(ansi.size() + ansi.size() / memo_view_piece + 1);
    std::size_t line = 0;
    for (std::size_t at = 0; at < ansi.size(); ++at) {
        const char c = ansi[at];
        if (c == '\r' && at + 1 < ansi.size() && ansi[at + 1] == '\n') continue;
        if (c == '\n') {
            line = 0;
        } else if (line++ == memo_view_piece) {
            pieces += '\n';
            line = 1;
        }
        pieces += c;
    }
    return from_ansi(pieces);
}

std::string lines_for_file(const QString& text)
{
    QString copy = text;
    copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    copy.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return to_ansi(copy);
}

QPointer<find_dialog> find_marker;
QPointer<go_to_dialog> go_to_marker;
QPointer<memo_dialog> memo_marker;

template <typename Dialog>
void run_once(QPointer<Dialog>& marker, QWidget* grid, Dialog* dialog)
{
    marker = dialog;
    dialog->setWindowModality(Qt::WindowModal);
    dialog->exec();
    delete dialog;
    marker = nullptr;
    if (grid) {
        grid->activateWindow();
        grid->setFocus();
    }
}

}  // namespace

info_dialog::info_dialog(QWidget* parent, const table_object& table, const QFont* grid_font) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Table information"));
    setFont(dialog_font({QStringLiteral("Courier New CE"), QStringLiteral("Courier New")}, 10));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("104"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (grid_font) text_->setFont(*grid_font);
    text_->setPlainText(lines_for_edit(table_info_text(table)));
    auto* exit = new QPushButton(QStringLiteral("&Exit"), this);
    exit->setObjectName(QStringLiteral("101"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(exit, 0, Qt::AlignRight);
    resize(520, 420);
}

find_dialog::find_dialog(QWidget* grid, browse_object& browse) : QDialog(grid), grid_(grid), browse_(browse)
{
    setWindowTitle(QStringLiteral("Search"));
    setFont(dialog_font({QStringLiteral("Courier New")}, 8));
    text_ = new QLineEdit(from_ansi(initial_search_text(browse_)), this);
    text_->setMaxLength(static_cast<int>(search_text_max));
    text_->selectAll();

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setChecked(true);
    auto* direction_layout = new QVBoxLayout(direction);
    direction_layout->addWidget(up_);
    direction_layout->addWidget(down_);

    auto* scope = new QGroupBox(QStringLiteral("Scope"), this);
    all_columns_ = new QRadioButton(QStringLiteral("&All columns"), scope);
    current_column_ = new QRadioButton(QStringLiteral("&Current column"), scope);
    current_column_->setChecked(true);
    auto* scope_layout = new QVBoxLayout(scope);
    scope_layout->addWidget(all_columns_);
    scope_layout->addWidget(current_column_);

    case_sensitive_ = new QCheckBox(QStringLiteral("Ca&se sensitive"), this);
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &find_dialog::search);

    auto* groups = new QHBoxLayout;
    groups->addWidget(direction);
    groups->addWidget(scope);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(case_sensitive_);
    bottom->addStretch();
    bottom->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(groups);
    layout->addLayout(bottom);
    text_->setFocus();
}

void find_dialog::search()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    search_request request;
    request.text = to_ansi(text_->text());
    request.direction = up_->isChecked() ? search_direction::up : search_direction::down;
    request.scope = all_columns_->isChecked() ? search_scope::all_columns : search_scope::current_column;
    request.case_sensitive = case_sensitive_->isChecked();
    if (auto* window = qobject_cast<table_window*>(grid_)) window->remember_search(request, browse_.current_column);
    const search_result result = search_with_progress(this, grid_, browse_, request);
    QApplication::restoreOverrideCursor();
    if (grid_) grid_->update();
    if (!result.found && !result.cancelled) show_error(this, QString::fromLatin1(search_error_caption), from_ansi(result.message));
}

go_to_dialog::go_to_dialog(QWidget* grid, browse_object& browse) : QDialog(grid), grid_(grid), browse_(browse)
{
    setWindowTitle(QStringLiteral("Go to"));
    setFont(dialog_font({QStringLiteral("Courier New")}, 8));
    auto* label = new QLabel(QStringLiteral("Record number"), this);
    number_ = new QLineEdit(this);
    number_->setMaxLength(static_cast<int>(go_to_text_max));
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), number_));
    go_ = new QPushButton(QStringLiteral("Go to"), this);
    go_->setDefault(true);
    connect(go_, &QPushButton::clicked, this, &go_to_dialog::go);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(number_);
    layout->addWidget(go_);
    number_->setFocus();
}

void go_to_dialog::go()
{
    const go_to_result result = go_to_record(browse_, to_ansi(number_->text()));
    if (!result.message.empty()) {
        show_warning(this, std::string_view(result.message));
        return;
    }
    if (result.moved && grid_) grid_->update();
}

memo_dialog::memo_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font, bool read_only)
    : QDialog(grid), browse_(browse)
{
    setWindowTitle(QStringLiteral("MemoEdit"));
    setFont(dialog_font({QStringLiteral("Courier New CE"), QStringLiteral("Courier New")}, 10));
    const auto column = static_cast<std::size_t>(browse_.current_column);
    if (column < browse_.columns.size()) field_ = browse_.columns[column].field;
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("104"));
    if (grid_font) text_->setFont(*grid_font);
    save_ = new QPushButton(QStringLiteral("&Save"), this);
    save_->setObjectName(QStringLiteral("101"));
    connect(save_, &QPushButton::clicked, this, &memo_dialog::save);
    auto* layout = new QVBoxLayout(this);
    if (browse_.table) {
        record_ = current_record(*browse_.table);
        memo_ = memo_text(*browse_.table, field_);
    }
    if (needs_read_only_view(memo_)) {
        view_warning_ = new QLabel(QString::fromLatin1(memo_view_warning).arg(memo_.size()), this);
        view_warning_->setObjectName(QStringLiteral("long_memo"));
        view_warning_->setTextFormat(Qt::PlainText);
        view_warning_->setWordWrap(true);
        layout->addWidget(view_warning_);
        text_->setPlainText(lines_for_view(memo_));
        text_->setReadOnly(true);
        save_->setEnabled(false);
        if (!read_only) {
            edit_ = new QPushButton(QStringLiteral("&Edit anyway"), this);
            edit_->setObjectName(QStringLiteral("edit_anyway"));
            connect(edit_, &QPushButton::clicked, this, &memo_dialog::edit_anyway);
        }
    } else if (!memo_.empty()) {
        text_->setPlainText(lines_for_edit(memo_));
    }
    if (read_only) {
        text_->setReadOnly(true);
        save_->setEnabled(false);
    }
    // Why Save is off, when the table itself is the reason.
    if (browse_.table && is_read_only(*browse_.table)) {
        auto* why = new QLabel(from_ansi(read_only_refusal(*browse_.table)), this);
        why->setObjectName(QStringLiteral("read_only_reason"));
        why->setTextFormat(Qt::PlainText);
        why->setWordWrap(true);
        layout->addWidget(why);
    }
    layout->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (edit_) buttons->addWidget(edit_);
    buttons->addWidget(save_);
    layout->addLayout(buttons);
    resize(560, 400);
    text_->setFocus();
}

void memo_dialog::save()
{
    // A character the program's text cannot carry would be stored as '?';
    // the dialog stays open so that the text is not lost.
    const QByteArray utf8 = text_->toPlainText().toUtf8();
    if (const auto missing = outside_program_text({utf8.constData(), static_cast<std::size_t>(utf8.size())})) {
        show_warning(this, std::string_view(outside_program_text_refusal(*missing)));
        return;
    }
    if (browse_.table) {
        const command_result result =
            store_memo_text(browse_.history, *browse_.table, record_, field_, lines_for_file(text_->toPlainText()));
        if (!result.message.empty()) {
            show_warning(this, std::string_view(result.message));
            if (!result.done) {
                text_->setFocus();
                return;
            }
        }
    }
    accept();
}

void memo_dialog::edit_anyway()
{
    const wait_cursor busy;
    text_->setPlainText(lines_for_edit(memo_));
    text_->setReadOnly(false);
    save_->setEnabled(true);
    edit_->setEnabled(false);
    view_warning_->hide();
    text_->setFocus();
}

void memo_dialog::reject()
{
    if (!text_->isReadOnly() && text_->document()->isModified()) {
        switch (ask_about_unsaved_text(this, windowTitle(), QString::fromLatin1(memo_unsaved_text))) {
        case unsaved_choice::save:
            save();
            return;
        case unsaved_choice::discard:
            break;
        case unsaved_choice::keep_open:
            return;
        }
    }
    QDialog::reject();
}

void run_info_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font)
{
    if (!browse.table) return;
    info_dialog dialog(grid, *browse.table, grid_font);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
    if (grid) grid->setFocus();
}

void run_find_dialog(QWidget* grid, browse_object& browse)
{
    if (find_marker || !browse.table) return;
    run_once(find_marker, grid, new find_dialog(grid, browse));
}

void run_go_to_dialog(QWidget* grid, browse_object& browse)
{
    if (go_to_marker || !browse.table) return;
    run_once(go_to_marker, grid, new go_to_dialog(grid, browse));
}

void run_memo_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font, bool read_only)
{
    if (memo_marker || !browse.table) return;
    // A row without a record (an empty table) has no memo to show or keep.
    const std::int32_t record = current_record(*browse.table);
    if (record < 1 || record > record_count(*browse.table)) return;
    run_once(memo_marker, grid, new memo_dialog(grid, browse, grid_font, read_only));
}

find_dialog* open_find_dialog()
{
    return find_marker.data();
}

go_to_dialog* open_go_to_dialog()
{
    return go_to_marker.data();
}

memo_dialog* open_memo_dialog()
{
    return memo_marker.data();
}

}  // namespace vortel
