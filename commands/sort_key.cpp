#include "commands/sort_key.h"

#include "engine/sort_table.h"
#include "shell/settings.h"

#include <strings.h>

namespace vortel {
namespace {

bool same_field_name(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::vector<std::string> sort_dialog_fields(const table_object& table, const std::vector<column_descriptor>& columns)
{
    std::vector<std::string> entries;
    for (int i = 0; i < field_count(table); ++i) {
        const std::string name = field_info(table, i).name;
        std::string caption;
        for (const column_descriptor& column : columns) {
            if (same_field_name(column.source_name, name)) {
                caption = column.caption;
                break;
            }
        }
        entries.push_back(caption);
    }
    return entries;
}

std::vector<std::string> sort_field_names(const std::vector<std::string>& entries,
                                          const std::vector<column_descriptor>& columns)
{
    std::vector<std::string> names;
    for (const std::string& entry : entries) {
        for (const column_descriptor& column : columns) {
            if (!entry.empty() && column.caption == entry) {
                names.push_back(column.source_name);
                break;
            }
        }
    }
    return names;
}

std::vector<std::string> split_sort_key(std::string_view key)
{
    std::vector<std::string> names;
    if (key.empty()) return names;
    for (std::size_t start = 0;;) {
        const std::size_t plus = key.find('+', start);
        names.emplace_back(key.substr(start, plus == std::string_view::npos ? plus : plus - start));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    return names;
}

std::optional<std::string> build_sort_key(const std::vector<std::string>& field_names)
{
    std::string key;
    for (std::size_t i = 0; i < field_names.size() && i < sort_fields_max; ++i) {
        if (key.size() + field_names[i].size() + 1 > sort_key_text_max) return std::nullopt;
        key += field_names[i];
        key += '+';
    }
    if (!key.empty()) key.pop_back();
    return key;
}

sort_outcome sort_command(table_object& table, const std::vector<std::string>& field_names,
                          sort_collation collation)
{
    if (field_names.empty()) return {sort_status::empty_list, sort_empty_message};
    const std::optional<std::string> key = build_sort_key(field_names);
    if (!key) return {sort_status::key_too_long, sort_too_long_message};

    // The collation holds for this one sort only.
    struct restore {
        std::string comparison;
        ~restore() { setting_by_index(SET_HUN_CMP, comparison); }
    } restore_on_exit{setting_by_index(SET_HUN_CMP, collation == sort_collation::magyar ? "1" : "0")};

    if (sort_table(table, *key)) return {sort_status::sorted, sort_ready_message};
    return {sort_status::not_sorted, sort_failed_message};
}

}  // namespace vortel
