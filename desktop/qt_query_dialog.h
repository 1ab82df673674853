// The Query dialog: an SQL statement over the open tables, each named as
// vortel-cli sql names it (DOLGOZO for dolgozo.dbf), whose rows open in a
// read-only table window titled "Query 1", "Query 2"..., to be printed and
// exported like any table.
#pragma once

#include <QtWidgets/QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vortel {

class table_window;

class query_dialog final : public QDialog {
    Q_OBJECT
public:
    explicit query_dialog(QWidget* owner);

    QPlainTextEdit* statement_box() const { return statement_; }
    QLabel* message_label() const { return message_; }
    QPushButton* run_button() const { return run_; }

    // "&Run": the statement over the open tables, the table windows busy
    // meanwhile, with a progress dialog whose Cancel stops it. The result
    // window, or null with the reason (or "cancelled") under the text.
    table_window* run();

private:
    QPlainTextEdit* statement_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* run_ = nullptr;
};

// "&Query...": the dialog, one at a time, beside the windows.
void run_query_dialog(QWidget* owner);
query_dialog* open_query_dialog();

}  // namespace vortel
