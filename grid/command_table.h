// The table window's commands: the keys that run them and the texts of the
// right-click popup, in popup order. Every key runs its command, F10
// included, and every menu names the key beside the text. The front-end
// maps each command to its handler; popup item ids are key + 2000; the
// "Code &page" submenu's items are 3000 + the code page's place in
// all_code_pages().
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vortel {

enum class grid_command {
    new_record,
    modify,
    delete_record,
    print,
    save_to_html,
    search,
    go_to,
    sort,
    pack,
    zap,
    modify_structure,
    append_from,
    copy_to,
    table_info,
    exit,
};

struct command_entry {
    int key;  // virtual-key code
    std::string_view menu_text;
    grid_command command;
    std::string_view key_text;  // the key as menus name it
};

inline constexpr int popup_id_base = 2000;
inline constexpr int code_page_id_base = 3000;
inline constexpr std::string_view code_page_menu_text = "Code &page";

std::span<const command_entry> command_table();

// The first entry with this key; none for keys no command has.
std::optional<command_entry> command_for_key(int key);
// The entry a popup item id stands for (key + 2000).
std::optional<command_entry> command_for_popup_id(int id);
inline int popup_id(const command_entry& entry) { return entry.key + popup_id_base; }
// The item text of a menu that offers the command: its text, a tab, and
// the key that runs it, which menus show in a column of their own.
std::string menu_item_text(const command_entry& entry);

}  // namespace vortel
