#include "engine/dbf3_copy.h"

#include "engine/create_table.h"
#include "engine/output_refusal.h"
#include "platform/error_text.h"
#include "platform/file_ops.h"

#include <cerrno>
#include <cstdio>

namespace vortel {
namespace {

std::string shape_text(char type, int length, int decimals)
{
    std::string text = std::string(1, type) + "(" + std::to_string(length);
    if (decimals > 0) text += "," + std::to_string(decimals);
    return text + ")";
}

// The nearest dBase III field of `field`; type 0 when it is dropped.
field_list_entry nearest_field(const table_object& table, int index)
{
    const field_information field = field_info(table, index);
    const int stored_decimals = table.fields[static_cast<std::size_t>(index)].bytes[17];
    field_list_entry target{field.name, field.type, field.length, field.decimals};
    switch (field.type) {
    case 'C':
    case 'N':
    case 'F':
    case 'L': return target;
    case 'D': return {field.name, 'D', 8, 0};
    case 'M': return {field.name, 'M', 10, 0};
    case 'I':
    case '+':
        if (field.length <= 4 && stored_decimals == 0) return {field.name, 'N', 11, 0};
        return {field.name, 'N', 20, std::min(stored_decimals, 18)};
    case 'B':
    case 'O': return {field.name, 'N', 20, field.type == 'B' && stored_decimals > 0 ? std::min(stored_decimals, 15) : 6};
    case 'Y': return {field.name, 'N', 20, 4};
    case 'T':
    case '@': return {field.name, 'C', field.length == 4 ? 8 : 19, 0};
    default: return {field.name, 0, 0, 0};
    }
}

// The temporary name of `path` beside it: "~" before its last part, so
// that its memo file's name follows it.
std::string temporary_name(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, at) + "~" + path.substr(at);
}

void remove_file(const std::string& path) { (void)active_file_ops().unlink(path.c_str()); }

// Copies every record of `source` into the empty, open `copy`. "" when
// copied; otherwise why not.
std::string copy_records(table_object& source, table_object& copy, const std::vector<dbf3_field_plan>& plan)
{
    for (std::int32_t number = 1; number <= record_count(source); ++number) {
        if (!go_to_exactly(source, number)) return file_error_text(source.dbf.os.last_error(), source.dbf_name);
        if (!append_blank(copy)) return copy.failure.empty() ? "the copy could not be written" : copy.failure;
        int target = 0;
        std::vector<std::pair<int, std::string>> memos;
        for (const dbf3_field_plan& field : plan) {
            if (field.target.type == 0) continue;
            const std::string text = field_text(source, field.source);
            if (field.target.type == 'M') {
                std::string memo;
                if (!memo_read_whole(source, text, memo)) return source.failure;
                if (!memo.empty()) memos.emplace_back(target, std::move(memo));
            } else if (std::string refused = store_field_value(copy, target, text); !refused.empty()) {
                return "record " + std::to_string(number) + ": " + refused;
            }
            ++target;
        }
        if (is_deleted(source)) copy.record[0] = dbf_deleted_mark;
        if (!write_record(copy)) return file_error_text(copy.dbf.os.last_error(), copy.dbf_name);
        for (const auto& [index, memo] : memos) {
            if (memo_write(copy, index, memo) != 1) {
                return copy.failure.empty() ? file_error_text(copy.dbt.os.last_error(), copy.dbt_name) : copy.failure;
            }
        }
    }
    return {};
}

}  // namespace

std::vector<dbf3_field_plan> plan_dbf3_copy(const table_object& source)
{
    std::vector<dbf3_field_plan> plan;
    for (int i = 0; i < field_count(source); ++i) {
        const field_information field = field_info(source, i);
        dbf3_field_plan entry{i, nearest_field(source, i), {}};
        if (i == source.null_flags_field) entry.target.type = 0;
        const std::string from = field.name + " " + shape_text(field.type > 0x20 && field.type < 0x7F ? field.type : '?',
                                                               field.length, field.decimals);
        if (entry.target.type == 0) {
            entry.note = from + " dropped";
        } else if (entry.target.type != field.type || entry.target.length != field.length ||
                   entry.target.decimals != field.decimals) {
            entry.note = from + " -> " + shape_text(entry.target.type, entry.target.length, entry.target.decimals);
        }
        plan.push_back(std::move(entry));
    }
    return plan;
}

int copy_to_dbf3(table_object& source, const std::string& output, std::vector<std::string>& notes)
{
    const std::vector<dbf3_field_plan> plan = plan_dbf3_copy(source);
    std::vector<field_list_entry> fields;
    for (const dbf3_field_plan& field : plan) {
        if (!field.note.empty()) notes.push_back(field.note);
        if (field.target.type != 0) fields.push_back(field.target);
    }
    const bool memo = has_memo_field(fields);
    for (const std::string& name : {output, dbt_file_name(output)}) {
        if (std::string refusal = output_refusal(source, name); !refusal.empty()) {
            note_failure(source, std::move(refusal));
            return 0;
        }
    }
    if (std::string refusal = memo ? memo_name_refusal(output) : std::string(); !refusal.empty()) {
        note_failure(source, std::move(refusal));
        return 0;
    }
    if (fields.empty()) {
        note_failure(source, "the table has no field dBase III can hold");
        return 0;
    }

    const std::string staged = temporary_name(output);
    table_object copy(staged);
    copy.codepage = source.codepage;
    copy.codepage.origin = code_page_origin::chosen;
    const auto give_up = [&](std::string reason) {
        table_close(copy);
        remove_file(staged);
        if (memo) remove_file(dbt_file_name(staged));
        note_failure(source, std::move(reason));
        return 0;
    };
    if (!create_table(copy, fields) || !table_open(copy)) {
        return give_up(copy.failure.empty() ? "the copy could not be created: " + file_name_text(staged)
                                            : copy.failure);
    }
    // Stored texts go over as stored; shown values are plain ASCII.
    const int kept = source.texts_as_stored;
    source.texts_as_stored = copy.texts_as_stored = 1;
    const std::int32_t standing = current_record(source);
    std::string failure = lock_table(copy) ? copy_records(source, copy, plan) : "the copy could not be locked";
    source.texts_as_stored = kept;
    go_to(source, standing);
    unlock(copy);
    if (!failure.empty()) return give_up(std::move(failure));
    table_close(copy);
    // The memo file first: a table never names a memo file it lacks.
    const file_ops& ops = active_file_ops();
    if ((memo && ops.rename_replace(dbt_file_name(staged).c_str(), dbt_file_name(output).c_str()) != 0) ||
        ops.rename_replace(staged.c_str(), output.c_str()) != 0) {
        return give_up(file_error_text(errno, output));
    }
    return 1;
}

}  // namespace vortel
