// The sort dialog (SORTDLG): the table's columns by caption, the ordered
// list of sort fields, the collation, and the sort of the table.
#pragma once

#include "grid/column_model.h"

#include <QtWidgets/QDialog>

class QComboBox;
class QListWidget;
class QPushButton;

namespace vortel {

class sort_dialog final : public QDialog {
    Q_OBJECT
public:
    // `grid` is the table window, repainted after a sort.
    sort_dialog(QWidget* grid, browse_object& browse);

    QListWidget* fields_list() const { return fields_; }
    QListWidget* sort_list() const { return sort_fields_; }
    QPushButton* add_button() const { return add_; }
    QPushButton* remove_button() const { return remove_; }
    QComboBox* collation_box() const { return collation_; }
    QPushButton* sort_button() const { return sort_; }
    QPushButton* exit_button() const { return exit_; }

    // "&>" and "&<": the selected entry moves before the other list's
    // selected entry, or to its end.
    void add_selected();
    void remove_selected();
    // "&Sort": the dialog stays open unless the key is too long.
    void sort();

private:
    QWidget* grid_;
    browse_object& browse_;
    QListWidget* fields_ = nullptr;
    QListWidget* sort_fields_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QComboBox* collation_ = nullptr;
    QPushButton* sort_ = nullptr;
    QPushButton* exit_ = nullptr;
};

// "So&rt..." of a table window; nothing while a sort dialog is open.
void run_sort_dialog(QWidget* grid, browse_object& browse);
sort_dialog* open_sort_dialog();

}  // namespace vortel
