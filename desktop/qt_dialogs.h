// The table window's dialogs: Table information (INFODLG), Search
// (FINDDLG), Go to (GOTODLG) and the memo editor (MEMODLG).
//
// Each works on the table window's browse object; the window passed as
// `grid` is repainted after a move and gets the focus back at the end.
// Search, Go to and the memo editor exist at most once at a time: their
// launchers do nothing while one is open.
#pragma once

#include "grid/column_model.h"

#include <QtWidgets/QDialog>

#include <cstddef>
#include <cstdint>
#include <string>

class QCheckBox;
class QFont;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vortel {

class info_dialog final : public QDialog {
    Q_OBJECT
public:
    info_dialog(QWidget* parent, const table_object& table, const QFont* grid_font);
    QPlainTextEdit* text_box() const { return text_; }

private:
    QPlainTextEdit* text_ = nullptr;
};

class find_dialog final : public QDialog {
    Q_OBJECT
public:
    find_dialog(QWidget* grid, browse_object& browse);

    QLineEdit* text_box() const { return text_; }
    QRadioButton* up_button() const { return up_; }
    QRadioButton* all_columns_button() const { return all_columns_; }
    QCheckBox* case_box() const { return case_sensitive_; }
    QPushButton* ok_button() const { return ok_; }

    // "&OK": the next match from the current record on; the dialog stays.
    void search();

private:
    QWidget* grid_;
    browse_object& browse_;
    QLineEdit* text_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QRadioButton* all_columns_ = nullptr;
    QRadioButton* current_column_ = nullptr;
    QCheckBox* case_sensitive_ = nullptr;
    QPushButton* ok_ = nullptr;
};

class go_to_dialog final : public QDialog {
    Q_OBJECT
public:
    go_to_dialog(QWidget* grid, browse_object& browse);

    QLineEdit* number_box() const { return number_; }
    QPushButton* go_button() const { return go_; }

    // "Go to": the typed record becomes current; the dialog stays.
    void go();

private:
    QWidget* grid_;
    browse_object& browse_;
    QLineEdit* number_ = nullptr;
    QPushButton* go_ = nullptr;
};

// Past these a memo opens in the read-only view: the text widget lays out
// each line whole, so that one very long line takes minutes to show and
// edit, and a very long text seconds.
inline constexpr std::size_t memo_view_characters = 1'000'000;
inline constexpr std::size_t memo_view_line = 10'000;
// The read-only view shows lines longer than this in pieces of this length.
inline constexpr int memo_view_piece = 1000;

inline constexpr const char* memo_view_warning =
    "This memo holds %1 characters, too many to edit here without long waits: it is shown read-only, with "
    "long lines in pieces.";
inline constexpr const char* memo_unsaved_text = "Save the changed memo?";

class memo_dialog final : public QDialog {
    Q_OBJECT
public:
    // The memo of the current column of the current record; `read_only`
    // when Enter was refused the edit permission. A long memo opens in the
    // read-only view, with a warning and "&Edit anyway".
    memo_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font, bool read_only);

    QPlainTextEdit* text_box() const { return text_; }
    QPushButton* save_button() const { return save_; }
    QLabel* view_warning() const { return view_warning_; }
    QPushButton* edit_button() const { return edit_; }

    // "&Save" under the record lock. The dialog ends once the memo is
    // stored; a refused store (another program holds the record) is told
    // and keeps the dialog open with the text.
    void save();
    // "&Edit anyway": the whole memo as it is, editable, however slowly.
    void edit_anyway();
    // Closing with changed text asks whether to save it first.
    void reject() override;

private:
    browse_object& browse_;
    // The field and the record the dialog opened on, which Save writes even
    // when the table window has moved its table meanwhile.
    int field_ = -1;
    std::int32_t record_ = 0;
    std::string memo_;  // as read, for "&Edit anyway"
    QPlainTextEdit* text_ = nullptr;
    QPushButton* save_ = nullptr;
    QLabel* view_warning_ = nullptr;
    QPushButton* edit_ = nullptr;
};

// The launchers, run from the table window's commands. Each runs its dialog
// modally to the table window (other table windows stay usable) and gives
// the window the focus back.
void run_info_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font);
void run_find_dialog(QWidget* grid, browse_object& browse);
void run_go_to_dialog(QWidget* grid, browse_object& browse);
void run_memo_dialog(QWidget* grid, browse_object& browse, const QFont* grid_font, bool read_only);

// The dialog of that kind now open, or null.
find_dialog* open_find_dialog();
go_to_dialog* open_go_to_dialog();
memo_dialog* open_memo_dialog();

}  // namespace vortel
