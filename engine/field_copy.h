// How a field's value travels between records of two tables in the bulk
// copies (pack, append from a table, structure change) that move millions
// of fields, and which stored bytes an import may keep as they are.
//
// Between tables bytes pass unconverted. A copy never re-formats a value it
// only carries: a field of the same shape keeps its bytes whatever they
// are (another program's odd number form, a zero date), which is also the
// common, fast case of a memcpy.
#pragma once

#include "engine/table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vortel {

// The text a field of `width` bytes holds: its bytes up to the first zero.
std::string_view stored_text(const std::uint8_t* bytes, std::size_t width);

enum class field_route {
    same_bytes,   // same type, length and decimals: the bytes as they are
    characters,   // into a character field: the stored text cut or padded
    value_rules,  // a value of another shape: store_field_value decides or refuses
    memo,         // from or into a memo: the memo text, read or written whole
};

field_route route_between(const field_information& source, const field_information& target);

// A character field of `width` bytes at `target` takes `text`, cut to the
// width or filled up with blanks; what store_field_value stores there.
void copy_characters(std::uint8_t* target, std::size_t width, std::string_view text);

// Whether the `width` bytes of a field of `type` and `decimals` already hold
// a form every reader takes for its value, so that an import keeps them:
//  - N (and F): all blanks, or a number (blanks around it, a sign, digits,
//    one point) with at most `decimals` decimals and no zero byte;
//  - L: one of T, F, Y, N (either case), "?" or a blank, then blanks;
//  - D: a valid date as eight digits, eight blanks, or eight zeros (the "no
//    date" some programs write);
//  - other types: any bytes.
bool holds_stored_form(char type, const std::uint8_t* bytes, std::size_t width, int decimals);

}  // namespace vortel
