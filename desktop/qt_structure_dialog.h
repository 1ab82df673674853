// The structure dialog (DBCREATE): a list of field definitions built by
// hand, then either a new empty table ("&Create", from the main window) or
// the open table copied into the new structure ("M&odify str.", from a
// table window). One structure dialog exists at a time. A new table may
// start from a CSV file or a workbook's first sheet: "From C&SV/XLSX..."
// puts the structure its rows propose in the list for editing, and Create
// fills the table with the rows.
#pragma once

#include "engine/field_list_entry.h"

#include <QtCore/QPointer>
#include <QtWidgets/QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace vortel {

class sheet_as_csv;
class table_window;

inline constexpr const char* modify_structure_title = "Modify stucture : %s";
inline constexpr const char* cannot_create_text = "Can't create : %s";

class structure_dialog final : public QDialog {
    Q_OBJECT
public:
    // Create mode when `table` is null; otherwise modify mode for the table
    // of that window.
    structure_dialog(QWidget* owner, table_window* table);
    ~structure_dialog() override;

    QLineEdit* name_box() const { return name_; }
    QComboBox* type_box() const { return type_; }
    QLineEdit* length_box() const { return length_; }
    QLineEdit* decimals_box() const { return decimals_; }
    QLineEdit* file_box() const { return file_; }
    QTreeWidget* field_list() const { return list_; }
    QPushButton* append_button() const { return append_; }
    QPushButton* modify_button() const { return modify_; }
    QPushButton* delete_button() const { return delete_; }
    QPushButton* create_button() const { return create_; }
    QPushButton* select_button() const { return select_; }
    QPushButton* exit_button() const { return exit_; }
    QPushButton* from_csv_button() const { return from_csv_; }
    QLabel* csv_note() const { return csv_note_; }
    QProgressBar* progress_bar() const { return progress_; }
    const std::vector<field_list_entry>& fields() const { return fields_; }

    // The buttons' actions.
    void append_field_row();
    void modify_field_row();
    void delete_field_row();
    void select_file();
    void start_from_csv();
    void create();

private:
    void add_or_modify(bool append);
    void show_fields();
    void create_table_file(const std::string& path);
    void create_table_from_rows(const std::string& path);
    void change_table_structure();

    QPointer<table_window> table_;
    bool modify_mode_ = false;
    std::vector<field_list_entry> fields_;
    // The CSV file the new table is filled from (a workbook's sheet made
    // CSV in `sheet_`), and the field each of its columns goes into; empty
    // for an empty table.
    std::string csv_source_;
    std::vector<std::string> csv_columns_;
    std::unique_ptr<sheet_as_csv> sheet_;
    QLineEdit* name_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* length_ = nullptr;
    QLineEdit* decimals_ = nullptr;
    QLineEdit* file_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPushButton* append_ = nullptr;
    QPushButton* modify_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* create_ = nullptr;
    QPushButton* select_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* from_csv_ = nullptr;
    QLabel* csv_note_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

// "&Create table" of the main window.
void run_structure_dialog(QWidget* owner);
// "M&odify structure..." of a table window; the window may be gone after.
void run_structure_dialog(table_window& window);
structure_dialog* open_structure_dialog();

}  // namespace vortel
