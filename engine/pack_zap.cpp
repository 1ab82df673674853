#include "engine/pack_zap.h"

#include "engine/create_table.h"
#include "engine/record_blocks.h"
#include "engine/record_copy.h"

#include <numeric>
#include <vector>

namespace vortel {

int make_empty_copy(table_object& table, std::string& copy_name)
{
    std::vector<field_list_entry> fields;
    for (int i = 0; i < field_count(table); ++i) {
        const field_information field = field_info(table, i);
        fields.push_back({field.name, field.type, field.length, field.decimals});
    }
    const bool with_memo = has_memo_fields(table) != 0;
    std::string name = free_numbered_name(table_file_name(table), field_count(table), with_memo);
    if (!create_table(*table_new(name), fields)) return 0;
    copy_name = name;
    return 1;
}

int zap_table(table_object& table, std::string& copy_name)
{
    if (!lock_table(table)) return 0;
    const int made = make_empty_copy(table, copy_name);
    unlock(table);
    return made;
}

int pack_table(table_object& table, std::string& copy_name)
{
    return pack_table(table, copy_name, {});
}

int pack_table(table_object& table, std::string& copy_name, const std::function<void(int percent)>& progress)
{
    if (!lock_table(table)) return 0;
    std::string name;
    int packed = 0;
    if (make_empty_copy(table, name)) {
        {
            auto copy = table_new(name);
            // Same fields in the same order: copy by position, which also
            // holds for tables whose fields share a name.
            std::vector<int> same_fields(static_cast<std::size_t>(field_count(table)));
            std::iota(same_fields.begin(), same_fields.end(), 0);
            // The copy tells percentages itself; the meter keeps them in 0..100.
            progress_meter meter(progress, 100);
            packed = table_open(*copy) && lock_table(*copy) &&
                     copy_records(table, *copy, same_fields, copy_selection::live_only,
                                  [&meter](int percent) { meter.step(percent); });
            if (packed) meter.finish();
        }
        if (packed) {
            copy_name = name;
        } else {
            remove_table_files(name, has_memo_fields(table) != 0);
        }
    }
    unlock(table);
    return packed;
}

}  // namespace vortel
