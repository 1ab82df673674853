#include "commands/cell_store.h"

#include "engine/table.h"
#include "runtime/settings.h"
#include "text/date_value.h"
#include "text/text_ops.h"

#include <algorithm>

namespace vortel {
namespace {

// A typed number as the engine reads it. The cell opens on the stored form
// ("12.50") while many users type a decimal comma ("12,5"), so either sign
// is the decimal sign, whatever the decimal sign setting says. A text with
// two of them ("1.234,5", "1,234.50") is left as typed, and the engine
// refuses it: guessing which is the thousands separator could store a
// value a thousand times off.
std::string typed_number(std::string_view typed)
{
    std::string text(typed);
    trim_both(text);
    if (std::count(text.begin(), text.end(), ',') == 1 && text.find('.') == std::string::npos) {
        text[text.find(',')] = '.';
    }
    return text;
}

bool is_valid_stored_date(const std::string& digits)
{
    return digits.size() == 8 && date_is_valid(date_parse(digits));
}

// The eight stored digits of a date typed in its shown form, read back by
// the placeholders of SET_DATEFORMAT that laid it out; "" when it is no date.
// Under "DD.MM.YYYY" the digits come day first: taken in typed order they
// would give another date, or none.
std::string stored_date(std::string_view typed)
{
    std::string text(typed);
    trim_both(text);
    const std::string layout = setting_by_index(SET_DATEFORMAT);
    std::string year, month, day;
    bool complete = true;
    for (std::size_t i = 0; i < layout.size() && complete; ++i) {
        std::string* part = layout[i] == 'Y' ? &year : layout[i] == 'M' ? &month : layout[i] == 'D' ? &day : nullptr;
        if (!part) continue;  // separators are not checked, only skipped
        if (i >= text.size() || !is_digit(text[i])) {
            complete = false;
        } else if (part->size() < (part == &year ? 4u : 2u)) {
            *part += text[i];
        }
    }
    std::string digits = year + month + day;
    if (complete && is_valid_stored_date(digits)) return digits;
    const bool stored_form = std::all_of(text.begin(), text.end(), is_digit);
    if (stored_form && is_valid_stored_date(text)) return text;
    return {};
}

// Runs `change` on `record` under its lock. The record is read again
// first: the buffer may be older than another process's last write, and a
// record write puts back every field, not just the changed one.
template <typename Change>
command_result change_record(table_object& table, std::int32_t record, Change change)
{
    if (is_read_only(table)) return {false, read_only_refusal(table)};
    if (record < 1) return {};
    if (!go_to_exactly(table, record) || !lock_record(table)) return {false, record_busy_text};
    const bool done = step(table, 0) && change();
    unlock(table);
    if (!done) step(table, 0);  // drop what did not reach the file
    return {done, {}};
}

}  // namespace

std::string edit_refusal(table_object& table, int index)
{
    if (field_shown_whole(table, index)) return {};
    return field_info(table, index).name +
           " holds characters this program cannot show (shown as ?): it cannot be changed here without losing them";
}

command_result store_typed_value(table_object& table, std::int32_t record, int index, std::string_view typed)
{
    const char type = field_type(table, index);
    if (index < 0 || type == 'M') return {};
    if (is_read_only(table)) return {false, read_only_refusal(table)};
    std::string value;
    switch (type) {
    case 'N':
    case 'F':
        value = typed_number(typed);
        break;
    case 'D':
        // A cell emptied of its digits stores the blank date, how dBase
        // keeps "no date"; the separators the editor lays out do not count.
        if (std::none_of(typed.begin(), typed.end(), is_digit)) break;
        value = stored_date(typed);
        if (value.empty()) return {false, bad_date_text};
        break;
    default:
        value = typed;
        break;
    }
    std::string refusal;
    command_result result = change_record(table, record, [&] {
        // The record as read under the lock decides: another process may
        // have stored such characters since the editor opened.
        refusal = edit_refusal(table, index);
        // Typed numbers never carry an exponent: "1e5" is a slip, not 100000.
        if (refusal.empty()) refusal = store_field_value(table, index, value, number_spelling::plain);
        return refusal.empty() && write_record(table);
    });
    if (!refusal.empty()) result.message = refusal;
    return result;
}

std::string memo_text(table_object& table, int index)
{
    if (field_type(table, index) != 'M') return {};
    return memo_read(table, field_text(table, index));
}

std::string memo_unavailable_text(const table_object& table, int index)
{
    if (field_type(table, index) != 'M' || table.memo_problem.empty()) return {};
    return "The memo cannot be shown: " + table.memo_problem;
}

command_result store_memo_text(table_object& table, std::int32_t record, int index, std::string_view text)
{
    if (field_type(table, index) != 'M') return {};
    std::string refusal;
    clear_failure(table);
    command_result result = change_record(table, record, [&] {
        refusal = edit_refusal(table, index);
        return refusal.empty() && memo_write(table, index, text) == 1;
    });
    if (!refusal.empty()) result.message = refusal;
    // Unlike a cell, the dialog closes after Save: a memo that was not
    // stored has to be said, or the user takes it as saved; a text the
    // code page cannot hold says which character.
    if (!result.done && result.message.empty() && record >= 1) {
        result.message = table.failure.empty() ? memo_write_error_text : table.failure;
    }
    return result;
}

}  // namespace vortel
