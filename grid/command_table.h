// The table window's commands: the keys that run them and the texts of the
// right-click popup, in popup order. The front-end maps each command to
// its handler; popup item ids are key + 2000; the "Code &page" submenu's
// items are 3000 + the code page's place in all_code_pages().
#pragma once

#include <optional>
#include <span>
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

}  // namespace vortel
