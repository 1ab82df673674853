// The main window: an empty, maximised frame with the menu (Open, Open
// read-only, Create table, Query, About),
// the right-click list of open tables, and Escape to end the program. Every
// table opens in a window of its own that this window owns.
#pragma once

#include <QtWidgets/QMainWindow>

#include <string>

class QAction;
class QMenu;

namespace vortel {

inline constexpr int window_list_first_id = 2000;
inline constexpr int open_command_id = 11843;
inline constexpr int open_synonym_id = 40002;
inline constexpr int open_read_only_command_id = 11844;
inline constexpr int create_table_command_id = 11842;
inline constexpr int create_table_synonym_id = 40003;
inline constexpr int about_command_id = 11846;
inline constexpr int query_command_id = 11848;

class main_window final : public QMainWindow {
    Q_OBJECT
public:
    // `command_line` names the table to open on the first activation.
    explicit main_window(std::string command_line);
    ~main_window() override;

    // Open: the file chooser from the remembered directory, then the table.
    void open_command();
    // Open read-only: the same, and the table opens only to be viewed.
    void open_read_only_command();
    void about_command();
    // Create table: the structure dialog for a new table.
    void create_table_command();
    // A menu command by its id, synonyms included; other ids do nothing.
    void menu_command(int id);

    // The right-click list: one item per table slot in use, in slot order,
    // with the id 2000 + slot and the path as text. The caller owns it.
    QMenu* window_list_popup();
    // Item 2000 + slot: that table window restored and focused.
    void show_listed_window(int id);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void run_from_menu(QAction* item, int id);

    std::string command_line_;
    bool first_activation_ = true;
};

}  // namespace vortel
