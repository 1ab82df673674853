#include "commands/search.h"

#include "engine/record_blocks.h"
#include "engine/table.h"
#include "grid/cell_text.h"
#include "platform/codepage.h"
#include "shell/settings.h"
#include "text/text_case.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

#include <array>

namespace vortel {
namespace {

// Upper-casing maps each byte on its own, so it is worked out once per
// search for all 256 bytes instead of once per record: the Hungarian rules
// read their letters from the settings at every call.
using case_fold = std::array<char, 256>;

case_fold fold_for(const table_object& table)
{
    case_fold fold{};
    for (std::size_t i = 0; i < fold.size(); ++i) {
        const char c = static_cast<char>(i);
        fold[i] = table.conversion ? char_upper(c) : static_cast<char>(ansi_upper_byte(static_cast<unsigned char>(c)));
    }
    return fold;
}

void fold_text(std::string& text, const case_fold& fold)
{
    for (char& c : text) c = fold[static_cast<unsigned char>(c)];
}

// As text_position(needle, text) >= 0, which finds nothing in an empty text.
bool contains(std::string_view text, std::string_view needle)
{
    return needle.empty() ? !text.empty() : text.find(needle) != std::string_view::npos;
}

bool deleted_records_hidden() { return text_to_long(setting_by_index(SET_DELETED)) != 0; }

}  // namespace

search_result search_table(browse_object& browse, const search_request& request, const search_progress& progress)
{
    if (!browse.table) return {false, 0, search_not_found_text};
    table_object& table = *browse.table;
    const std::int32_t start = current_record(table);
    const case_fold fold = fold_for(table);
    std::string needle = request.text.substr(0, search_text_max);
    trim_both(needle);
    if (!request.case_sensitive) fold_text(needle, fold);

    // An empty table has no record to compare, nor one to return to.
    const std::int32_t count = record_count(table);
    if (count < 1) return {false, start, search_not_found_text};

    const bool down = request.direction == search_direction::down;
    const bool hide_deleted = deleted_records_hidden();
    record_range_reader records(table, down ? start + 1 : start - 1, down ? count : 1, down ? 1 : -1);
    // The cell callbacks read the record buffer, which holds each record in
    // turn; the table is put back on a whole record before returning.
    const std::vector<std::uint8_t> kept = table.record;
    std::int32_t found = 0;
    bool cancelled = false;
    std::string text;
    for (std::int64_t in_block = 0;; ++in_block) {
        const std::span<const std::uint8_t> record = records.next();
        if (record.empty()) break;
        if (hide_deleted && record[0] == dbf_deleted_mark) continue;
        std::copy(record.begin(), record.end(), table.record.begin());
        text = request.scope == search_scope::current_column ? cell_of(browse, browse.current_column).text
                                                              : record_text(table);
        if (!request.case_sensitive) fold_text(text, fold);
        if (contains(text, needle)) {
            found = records.number();
            break;
        }
        if (progress && in_block * record_length(table) >= static_cast<std::int64_t>(bulk_block_bytes)) {
            in_block = 0;
            if (!progress(static_cast<int>(records.given() * 100 / records.total()))) {
                cancelled = true;
                break;
            }
        }
    }
    table.record = kept;
    if (found && (go_to_exactly(table, found) || go_to(table, found))) return {true, found, {}};
    go_to(table, start);
    if (cancelled) return {false, start, {}, true};
    return {false, start, search_not_found_text};
}

search_result search_grid(browse_object& browse, const search_request& request, const search_progress& progress)
{
    if (!browse.table) return {false, 0, search_not_found_text};
    search_result result = search_table(browse, request, progress);
    if (result.found) {
        browse.current_record = result.record;
        if (request.direction == search_direction::up) browse.current_row = 1;
        browse.top_offset = 1 - browse.current_row;
        browse.pending_move = 0;
        browse.move_pending = true;
    }
    return result;
}

std::string initial_search_text(browse_object& browse)
{
    std::string text = cell_of(browse, browse.current_column).text;
    return trim_both(text);
}

}  // namespace vortel
