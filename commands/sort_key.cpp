#include "commands/sort_key.h"

#include "commands/file_replacement.h"
#include "engine/pack_zap.h"
#include "engine/sort_table.h"
#include "platform/error_text.h"
#include "text/text_ops.h"

#include <charconv>

namespace vortel {
namespace {

// The field indexes of every field named `name`.
std::vector<int> fields_named(const table_object& table, std::string_view name)
{
    std::vector<int> found;
    for (int i = 0; i < field_count(table); ++i) {
        if (equal_ignoring_case(field_info(table, i).name, name)) found.push_back(i);
    }
    return found;
}

sort_outcome not_sorted(std::string_view reason)
{
    std::string message(sort_failed_message);
    if (!reason.empty()) message += " " + std::string(reason);
    return {sort_status::not_sorted, message};
}

}  // namespace

std::vector<std::string> sort_dialog_fields(const table_object& table, const std::vector<column_descriptor>& columns)
{
    std::vector<std::string> entries;
    for (int i = 0; i < field_count(table); ++i) {
        const std::string name = field_info(table, i).name;
        // Which of the fields of this name the field is.
        int rank = 0;
        for (int before = 0; before < i; ++before) rank += equal_ignoring_case(field_info(table, before).name, name) ? 1 : 0;
        std::string caption;
        for (const column_descriptor& column : columns) {
            if (equal_ignoring_case(column.source_name, name) && rank-- == 0) {
                caption = column.caption;
                break;
            }
        }
        entries.push_back(caption);
    }
    return entries;
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

sort_key_fields parse_sort_key(const table_object& table, std::string_view key)
{
    sort_key_fields parsed;
    for (const std::string& part : split_sort_key(key)) {
        if (!part.empty() && part[0] == '#') {
            int number = 0;
            const auto [end, error] = std::from_chars(part.data() + 1, part.data() + part.size(), number);
            if (error != std::errc() || end != part.data() + part.size() || number < 1 || number > field_count(table)) {
                parsed.message = "No such field: " + part;
                return parsed;
            }
            parsed.fields.push_back(number - 1);
            continue;
        }
        const std::vector<int> found = fields_named(table, part);
        if (found.empty()) break;
        if (found.size() > 1) {
            parsed.message = "Several fields are named " + part + ": give one as #INDEX (";
            for (int index : found) parsed.message += "#" + std::to_string(index + 1) + (index == found.back() ? ")" : ", ");
            return parsed;
        }
        parsed.fields.push_back(found.front());
    }
    return parsed;
}

sort_outcome sort_command(table_object& table, const std::vector<int>& fields, sort_collation collation,
                          std::size_t memory_budget)
{
    if (fields.empty()) return {sort_status::empty_list, std::string(sort_empty_message)};
    std::vector<std::string> names;
    for (int index : fields) names.push_back(field_info(table, index).name);
    if (!build_sort_key(names)) return {sort_status::key_too_long, std::string(sort_too_long_message)};
    const std::vector<int> key(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(std::min(fields.size(), sort_fields_max)));
    if (!sort_key_fits(table, key)) return not_sorted("");
    if (record_count(table) <= 0) return {sort_status::sorted, std::string(sort_ready_message)};

    clear_failure(table);
    rebuild_plan plan;
    plan.header = copy_header_area(table);
    const sort_options options{collation == sort_collation::magyar, memory_budget};
    plan.fill = [&](table_object& copy) { return write_sorted_records(table, key, copy.dbf, options); };
    const std::int32_t remembered = current_record(table);
    const rebuild_outcome outcome = run_rebuild(table, plan);
    if (outcome.status != rebuild_status::done) return not_sorted(rebuild_message(outcome));
    // The same object opens the sorted file, so that a window keeps it.
    if (!table_open(table)) return not_sorted("Can't open : " + file_name_text(table_file_name(table)));
    go_to(table, remembered);
    return {sort_status::sorted, std::string(sort_ready_message)};
}

}  // namespace vortel
