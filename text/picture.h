// Pictures: how a field's stored text is shown, and how typed text is turned
// back into stored text.
//
// A picture's kind is chosen by its first characters, case-sensitive:
//   "@D"   date: the eight stored digits laid out by SET_DATEFORMAT;
//   "@N "  number: the rest of the picture is a template whose digit
//          characters are digit positions and everything else literals;
//   "@L"   logical: "I" for a stored "T", "N" for anything else;
//   "@S"   string: "@S", a width, function letters ("!" upper-cases), then
//          optionally a blank and a per-character template.
// Any other picture shows the text unchanged. The decimal sign is the first
// character of SET_TIZEDESJEL, read at every call.
#pragma once

#include <string>
#include <string_view>

namespace vortel {

// Widest text an "@S" picture pads to; larger widths are cut to it.
inline constexpr long picture_width_max = 255;

// The shown text of `raw`. Numbers are expected trimmed. May rewrite `raw`:
// "!" upper-cases it, and an "@N " template with decimals replaces it by the
// value rounded to those decimals; callers pass a scratch copy when they need
// the original.
std::string picture_format(std::string& raw, std::string_view picture);

// The stored text of `edited`: for "@N" the digits, the decimal sign and a
// leading "-"; for "@D" at most eight digits; anything else unchanged.
std::string picture_strip(std::string_view edited, std::string_view picture);

}  // namespace vortel
