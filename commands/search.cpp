#include "commands/search.h"

#include "engine/record_blocks.h"
#include "engine/table.h"
#include "grid/cell_text.h"
#include "platform/code_page.h"
#include "platform/codepage.h"
#include "text/text_case.h"
#include "text/text_ops.h"

#include <array>
#include <cstring>

namespace vortel {
namespace {

// The conversion to program text and the upper-casing both map each byte
// on its own, so they are worked out once per search for all 256 bytes
// instead of once per record: the Hungarian rules read their letters from
// the settings at every call.
using byte_map = std::array<char, 256>;

byte_map case_fold_for(const table_object& table, bool case_sensitive)
{
    byte_map fold{};
    for (std::size_t i = 0; i < fold.size(); ++i) {
        const char c = static_cast<char>(i);
        if (case_sensitive) {
            fold[i] = c;
        } else {
            fold[i] = table.codepage.page == code_page::cp852
                          ? char_upper(c)
                          : static_cast<char>(ansi_upper_byte(static_cast<unsigned char>(c)));
        }
    }
    return fold;
}

// Whether each stored byte turns into one program-text byte on its own, so
// that the conversion can be folded into the byte map; UTF-8 and 936 texts
// are converted whole instead.
bool converted_bytewise(const table_object& table)
{
    return single_byte_code_page(table.codepage.page);
}

// Stored bytes to compared text: converted as field_text and record_text
// convert them, then folded.
byte_map stored_to_compared(const table_object& table, const byte_map& fold)
{
    byte_map map{};
    std::string shown;
    for (std::size_t i = 0; i < map.size(); ++i) {
        const char c = static_cast<char>(i);
        shown.assign(1, c);
        if (converted_bytewise(table)) stored_to_program(table.codepage.page, std::string_view(&c, 1), shown);
        map[i] = fold[static_cast<unsigned char>(shown[0])];
    }
    return map;
}

void map_text(std::string& text, const byte_map& map)
{
    for (char& c : text) c = map[static_cast<unsigned char>(c)];
}

// What a record is compared by. Where the grid shows the stored bytes as
// they are (all columns, and cells of characters and numbers) the text is
// taken from the bytes directly; other cells (dates and logicals through
// their pictures, memo marks, other hosts' callbacks) are asked for as a
// paint asks for them.
class compared_text {
public:
    compared_text(browse_object& browse, search_scope scope, const byte_map& fold)
        : browse_(browse), fold_(fold), map_(stored_to_compared(*browse.table, fold)),
          bytewise_(converted_bytewise(*browse.table))
    {
        // Binary fields are compared by what they show.
        decoded_ = browse.table->dialect.decoded;
        if (scope == search_scope::all_columns) {
            offset_ = 1;
            length_ = static_cast<std::size_t>(record_length(*browse.table)) - 1;
            whole_record_ = true;
            return;
        }
        const auto column = static_cast<std::size_t>(browse.current_column);
        if (column >= browse.columns.size()) return;
        const column_descriptor& shown = browse.columns[column];
        if (shown.cell == field_cell && shown.picture.empty() && shown.type != 'M' && shown.field >= 0 &&
            shown.field < field_count(*browse.table) && !field_is_decoded(*browse.table, shown.field)) {
            offset_ = static_cast<std::size_t>(field_offset(*browse.table, shown.field));
            length_ = static_cast<std::size_t>(field_info(*browse.table, shown.field).length);
        }
    }

    const std::string& of(std::span<const std::uint8_t> record)
    {
        if (decoded_ && whole_record_) {
            table_object& table = *browse_.table;
            std::copy(record.begin(), record.end(), table.record.begin());
            text_.clear();
            for (int i = 0; i < field_count(table); ++i) text_ += field_text(table, i) + " ";
            map_text(text_, fold_);
            return text_;
        }
        if (length_ == 0 || offset_ + length_ > record.size()) {
            std::copy(record.begin(), record.end(), browse_.table->record.begin());
            text_ = cell_of(browse_, browse_.current_column).text;
            map_text(text_, fold_);
            return text_;
        }
        const char* bytes = reinterpret_cast<const char*>(record.data()) + offset_;
        // A field's text ends at its first zero byte; a whole record does not.
        text_.assign(bytes, whole_record_ ? length_ : ::strnlen(bytes, length_));
        if (bytewise_) {
            map_text(text_, map_);
        } else {
            stored_to_program(browse_.table->codepage.page, text_, shown_);
            text_.swap(shown_);
            map_text(text_, fold_);
        }
        return text_;
    }

private:
    browse_object& browse_;
    const byte_map& fold_;
    byte_map map_;
    bool bytewise_;
    std::size_t offset_ = 0;
    std::size_t length_ = 0;  // 0: the cell is asked for
    bool whole_record_ = false;
    bool decoded_ = false;
    std::string text_;
    std::string shown_;
};

// As text_position(needle, text) >= 0, which finds nothing in an empty text.
bool contains(std::string_view text, std::string_view needle)
{
    return needle.empty() ? !text.empty() : text.find(needle) != std::string_view::npos;
}

}  // namespace

search_result search_table(browse_object& browse, const search_request& request, const search_progress& progress)
{
    if (!browse.table) return {false, 0, search_not_found_text};
    table_object& table = *browse.table;
    const std::int32_t start = current_record(table);
    const byte_map fold = case_fold_for(table, request.case_sensitive);
    std::string needle = request.text.substr(0, search_text_max);
    trim_both(needle);
    map_text(needle, fold);

    // An empty table has no record to compare, nor one to return to.
    const std::int32_t count = record_count(table);
    if (count < 1) return {false, start, search_not_found_text};

    const bool down = request.direction == search_direction::down;
    record_range_reader records(table, down ? start + 1 : start - 1, down ? count : 1, down ? 1 : -1);
    // The cell callbacks read the record buffer, which holds each record in
    // turn; the table is put back on a whole record before returning.
    const std::vector<std::uint8_t> kept = table.record;
    compared_text compared(browse, request.scope, fold);
    std::int32_t found = 0;
    bool cancelled = false;
    for (std::int64_t in_block = 0;; ++in_block) {
        const std::span<const std::uint8_t> record = records.next();
        if (record.empty()) break;
        if (navigation_hides(table.navigation, records.number(), record[0] == dbf_deleted_mark)) continue;
        if (contains(compared.of(record), needle)) {
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

std::vector<std::int32_t> records_found(browse_object& browse, const search_request& request)
{
    std::vector<std::int32_t> found;
    if (!browse.table || record_count(*browse.table) < 1) return found;
    table_object& table = *browse.table;
    const byte_map fold = case_fold_for(table, request.case_sensitive);
    std::string needle = request.text.substr(0, search_text_max);
    trim_both(needle);
    map_text(needle, fold);
    record_range_reader records(table, 1, record_count(table), 1);
    const std::vector<std::uint8_t> kept = table.record;
    compared_text compared(browse, request.scope, fold);
    for (;;) {
        const std::span<const std::uint8_t> record = records.next();
        if (record.empty()) break;
        if (navigation_hides(table.navigation, records.number(), record[0] == dbf_deleted_mark)) continue;
        if (contains(compared.of(record), needle)) found.push_back(records.number());
    }
    table.record = kept;
    return found;
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
