#include "grid/command_table.h"

#include "grid/input_codes.h"

#include <array>

namespace vortel {
namespace {

constexpr std::array<command_entry, 15> entries{{
    {vk_insert, "&New record", grid_command::new_record},
    {vk_return, "&Modify", grid_command::modify},
    {vk_delete, "&Delete", grid_command::delete_record},
    {vk_print, "&Print...", grid_command::print},
    {vk_f2, "Sa&ve to HTML...", grid_command::save_to_html},
    {vk_f3, "&Search", grid_command::search},
    {vk_f5, "&Go to", grid_command::go_to},
    {vk_f6, "So&rt...", grid_command::sort},
    {vk_f7, "Pac&k", grid_command::pack},
    {vk_f8, "&Zap", grid_command::zap},
    {vk_f9, "M&odify structure...", grid_command::modify_structure},
    {vk_f10, "&Append from ...", grid_command::append_from},
    {vk_f11, "&Copy to ...", grid_command::copy_to},
    {vk_f12, "&Table info", grid_command::table_info},
    {vk_escape, "&Exit", grid_command::exit},
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

}  // namespace vortel
