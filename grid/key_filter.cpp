#include "grid/key_filter.h"

#include "engine/dbf_format.h"
#include "runtime/settings.h"
#include "text/picture.h"

#include <algorithm>
#include <cstring>

namespace vortel {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string digits_of(std::string_view text)
{
    std::string digits;
    for (const char c : text) {
        if (is_digit(c)) digits += c;
    }
    return digits;
}

// The selection as ordered, bounded positions in the text.
std::pair<std::size_t, std::size_t> selection_of(const edit_state& state)
{
    const auto bound = [&](int position) {
        return static_cast<std::size_t>(std::clamp(position, 0, static_cast<int>(state.text.size())));
    };
    const std::size_t a = bound(state.selection_start), b = bound(state.selection_end);
    return {std::min(a, b), std::max(a, b)};
}

// "," and "." are both decimal signs of typed numbers (commands/cell_store.h).
bool number_character(char c, std::size_t caret)
{
    const std::string sign = setting_by_index(SET_TIZEDESJEL);
    const char point = sign.empty() ? '.' : sign.front();
    return is_digit(c) || c == '.' || c == ',' || c == point || (c == '-' && caret == 0);
}

// Every letter a logical field stores something for, "?" (unknown) included.
bool logical_character(char c) { return c != '\0' && std::strchr("TtFfYyNn?", c) != nullptr; }

// The typed digit goes in among the date's digits, which are then laid out
// afresh, so separators appear and stay where the date format puts them.
key_filter_result type_date_digit(const edit_state& state, char c)
{
    auto [start, end] = selection_of(state);
    std::string text = state.text;
    text.erase(start, end - start);
    const std::size_t e = start;

    std::string digits = digits_of(std::string_view(text).substr(0, e));
    digits += c;
    digits += digits_of(std::string_view(text).substr(e));

    key_filter_result result;
    result.verdict = key_verdict::rewritten;
    result.state.text = picture_format(digits, "@D");
    std::size_t caret = 0;
    if (e < 4) {
        caret = e + 1;
    } else if (e <= 6) {
        caret = e + 2;
    } else {
        caret = result.state.text.size() == 10 ? e + 1 : e + 2;
    }
    // The edit control keeps the caret inside its text.
    caret = std::min(caret, result.state.text.size());
    result.state.selection_start = result.state.selection_end = static_cast<int>(caret);
    return result;
}

key_filter_result verdict(key_verdict v) { return {v, {}}; }

}  // namespace

key_filter_result filter_key(const edit_state& state, char c, std::string_view picture, char type)
{
    if (c == key_backspace || c == key_carriage_return || c == key_line_feed) return verdict(key_verdict::accept);
    const std::size_t caret = selection_of(state).first;
    if (is_number_type(type)) return verdict(number_character(c, caret) ? key_verdict::accept : key_verdict::refuse);
    if (picture.empty()) return verdict(key_verdict::accept);
    if (caret >= picture.size() && !picture.starts_with("@")) return verdict(key_verdict::refuse);
    switch (type) {
    case 'D': return is_digit(c) ? type_date_digit(state, c) : verdict(key_verdict::refuse);
    case 'L':
        return verdict(logical_character(c) ? key_verdict::accept : key_verdict::refuse);
    default: return verdict(key_verdict::accept);
    }
}

bool type_character(edit_state& state, char c, std::string_view picture, char type, int edit_length)
{
    const key_filter_result filtered = filter_key(state, c, picture, type);
    if (filtered.verdict == key_verdict::refuse) return false;
    if (filtered.verdict == key_verdict::rewritten) {
        const bool changed = filtered.state.text != state.text;
        state = filtered.state;
        return changed;
    }

    auto [start, end] = selection_of(state);
    if (c == key_carriage_return || c == key_line_feed) return false;  // a single-line control
    if (c == key_backspace) {
        if (start == end) {
            if (start == 0) return false;
            --start;
        }
        state.text.erase(start, end - start);
    } else {
        const std::size_t length = state.text.size() - (end - start) + 1;
        if (edit_length > 0 && length > static_cast<std::size_t>(edit_length)) return false;
        state.text.replace(start, end - start, 1, c);
        ++start;
    }
    state.selection_start = state.selection_end = static_cast<int>(start);
    return true;
}

bool paste_text(edit_state& state, std::string_view text, std::string_view picture, char type, int edit_length)
{
    text = text.substr(0, text.find_first_of("\r\n"));
    edit_state pasted = state;
    for (const char c : text) {
        const bool separator = !is_digit(c) && (c == '.' || c == '/' || c == '-' || c == ' ');
        if (type == 'D' && separator) continue;
        if (static_cast<unsigned char>(c) < 0x20 || !type_character(pasted, c, picture, type, edit_length)) return false;
    }
    state = pasted;
    return true;
}

}  // namespace vortel
