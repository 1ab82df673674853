// A table window's "&Filter...": an SQL condition over the table's fields
// (as vortel-cli sql reads them), run once over every record into the set
// of records the grid then shows (grid/grid_filter.h). "Clear filter"
// shows the whole table again.
#pragma once

#include <QtWidgets/QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vortel {

class table_window;

inline constexpr const char* filter_menu_text = "&Filter...";
inline constexpr const char* clear_filter_menu_text = "Clear filter";

class filter_dialog final : public QDialog {
    Q_OBJECT
public:
    explicit filter_dialog(table_window& window);

    QLineEdit* condition_box() const { return condition_; }
    QLabel* message_label() const { return message_; }
    QPushButton* run_button() const { return run_; }

    // "&Run": the condition over the window's table, with a progress dialog
    // whose Cancel stops it. On success the window shows the records it
    // keeps and the dialog is accepted; otherwise the reason (or
    // "cancelled") stands under the condition and the grid stays as it was.
    bool run();

private:
    table_window& window_;
    QLineEdit* condition_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* run_ = nullptr;
};

// Opens the dialog, modal, on the window's last condition.
void run_filter_dialog(table_window& window);
// The whole table again; nothing when no filter is on.
void clear_window_filter(table_window& window);

}  // namespace vortel
