// Fields that other dBase-family programs store as binary numbers, dates
// and times, read into the texts this program shows: "1234", "12.5000",
// "2024.02.29 13:45:00". Fields that hold what this program cannot show
// (pictures, objects, raw bytes) read as a neutral placeholder, so that no
// binary byte ever passes for text in a cell, an export or a search.
#pragma once

#include "engine/dbf_format.h"
#include "engine/table_dialect.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vortel {

// "<binary 12 bytes>".
std::string binary_placeholder(std::size_t length);

// The shown text of `field`, whose bytes in the record are `bytes`, in a
// table of `dialect`; none when the field is stored as text and reads as in
// any dBase III table (C, N, F, L, eight-digit D, ten-digit M). An empty
// value (a zero date, a blank timestamp) reads as "".
//  1. I and +: little-endian integers of one to eight bytes, their last
//     digits decimals when the descriptor gives some; in dBase 7 32-bit,
//     big-endian, with the sign bit flipped so that the bytes sort as the
//     numbers.
//  2. B of 8 bytes: a little-endian double; O: dBase 7's double, big-endian
//     and sign-flipped like its integers.
//  3. Y: a 64-bit count of ten-thousandths, shown with four decimals.
//  4. T of 8 bytes and @ outside dBase 7: a Julian day and the milliseconds
//     since midnight, "YYYY.MM.DD HH:MM:SS"; T of 4 bytes the time alone;
//     @ in dBase 7: a sign-flipped double of milliseconds since the start of
//     Julian day 0.
//  5. D of 3 or 4 bytes: a little-endian Julian day, read as the eight
//     digits a D field stores.
//  6. M of 4 bytes: a little-endian memo block number, as the digits a
//     ten-byte memo field stores ("" for none).
//  7. Every other type: binary_placeholder.
std::optional<std::string> decoded_field_text(const table_dialect& dialect, const field_descriptor& field,
                                              std::span<const std::uint8_t> bytes);

// Whether decoded_field_text reads such a field (by its type and length).
bool is_decoded_field(const table_dialect& dialect, const field_descriptor& field);
// The widest text decoded_field_text gives for such a field; its length
// for a field stored as text.
std::size_t shown_width(const table_dialect& dialect, const field_descriptor& field);

// "YYYYMMDD" of Julian day `day`; "" for a day before year 1 or after 9999.
std::string julian_day_digits(std::int64_t day);

}  // namespace vortel
