#include "grid/command_table.h"

#include "grid/input_codes.h"

#include <array>

namespace vortel {
namespace {

constexpr std::array<command_entry, 15> entries{{
    {vk_insert, "&New record", grid_command::new_record, "Ins"},
    {vk_return, "&Modify", grid_command::modify, "Enter"},
    {vk_delete, "&Delete", grid_command::delete_record, "Del"},
    // The Print key runs it too; Ctrl+P is the key users look for.
    {vk_print, "&Print...", grid_command::print, "Ctrl+P"},
    {vk_f2, "Sa&ve to HTML...", grid_command::save_to_html, "F2"},
    {vk_f3, "&Search", grid_command::search, "F3"},
    {vk_f5, "&Go to", grid_command::go_to, "F5"},
    {vk_f6, "So&rt...", grid_command::sort, "F6"},
    {vk_f7, "Pac&k", grid_command::pack, "F7"},
    {vk_f8, "&Zap", grid_command::zap, "F8"},
    {vk_f9, "M&odify structure...", grid_command::modify_structure, "F9"},
    {vk_f10, "&Append from ...", grid_command::append_from, "F10"},
    {vk_f11, "&Copy to ...", grid_command::copy_to, "F11"},
    {vk_f12, "&Table info", grid_command::table_info, "F12"},
    {vk_escape, "&Exit", grid_command::exit, "Esc"},
}};

}  // namespace

std::span<const command_entry> command_table() { return entries; }

std::optional<command_entry> command_for_key(int key)
{
    for (const command_entry& entry : entries) {
        if (entry.key == key) return entry;
    }
    return std::nullopt;
}

std::optional<command_entry> command_for_popup_id(int id) { return command_for_key(id - popup_id_base); }

std::string menu_item_text(const command_entry& entry)
{
    return std::string(entry.menu_text) + '\t' + std::string(entry.key_text);
}

}  // namespace vortel
