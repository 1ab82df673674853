// Copying a field's value between records without building texts, for the
// bulk copies (pack, append from a table, structure change) that move
// millions of fields.
//
// Between tables bytes pass unconverted, so the target field's bytes follow
// from the source field's bytes alone: its text up to the first zero byte,
// stored by the target field's type rules. Where the rules are simple to
// follow byte by byte, or the value is already in the exact form the target
// stores, the bytes are written at once; everything else (memos, numbers and
// dates in other forms) is left to the general way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vortel {

// The text a field of `width` bytes holds: its bytes up to the first zero.
std::string_view stored_text(const std::uint8_t* bytes, std::size_t width);

// Whether `text` is exactly what set_field_text stores for it in a numeric
// field of `width` and `decimals`: right-aligned digits with `decimals`
// places, no leading zeros, at most 15 significant digits (which a double
// carries exactly) and no negative zero.
bool is_stored_number(std::string_view text, std::size_t width, int decimals);

// Writes into `target` (a field of `type`, `width` and `decimals`, not a
// memo) what set_field_text would store for `text` without conversion; false,
// writing nothing, when the general way must run. `text` may be the target
// field's own bytes.
bool store_field_directly(std::uint8_t* target, char type, std::size_t width, int decimals, std::string_view text);

}  // namespace vortel
