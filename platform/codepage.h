// Text conversions between the three encodings the program meets: DOS code
// page 852 ("OEM", text in table files), Windows-1250 ("ANSI", all text
// inside the program) and UTF-8 (the user interface and the terminal).
//
// OEM <-> ANSI works from fixed byte tables (platform/codepage_tables.inc,
// written by scripts/gen_codepage_tables.py):
// 1. Bytes below 0x80 are kept.
// 2. A character both code pages have keeps its identity, so such bytes
//    survive any number of round trips.
// 3. A character only one side has becomes an ASCII look-alike: box-drawing
//    horizontals '-', verticals '|', corners and junctions '+'; shades and
//    blocks '#'; typographic quotes ' and ", guillemets < >; dashes '-';
//    bullet '*'; ellipsis and middle dot '.'; broken bar '|'; daggers '+';
//    per mille '%'; micro sign 'u'; euro 'E'. Anything else becomes '?'
//    (copyright, registered, trade mark, plus-minus, pilcrow, the unused
//    Windows-1250 positions 81 83 88 90 98).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortel {

// In place, exactly `length` bytes; NUL bytes are converted like any other
// (they stay NUL), so fixed-size field buffers can be passed whole.
void oem_to_ansi(char* text, std::size_t length);
void ansi_to_oem(char* text, std::size_t length);
void oem_to_ansi(std::string& text);
void ansi_to_oem(std::string& text);

unsigned char oem_to_ansi_byte(unsigned char c);
unsigned char ansi_to_oem_byte(unsigned char c);

// Windows-1250 to UTF-8. The five unused Windows-1250 positions come out as
// '?', never as C1 control characters.
std::string ansi_to_utf8(std::string_view text);

// UTF-8 to Windows-1250. A code point that Windows-1250 lacks becomes one
// '?'; so does each maximal ill-formed subsequence (stray continuation
// bytes, truncated sequences, overlong forms, surrogates, values above
// U+10FFFF), following Unicode's substitution practice. One byte-order
// mark at the very start is dropped: it marks the encoding, not the text.
std::string utf8_to_ansi(std::string_view text);

// One UTF-8 sequence at `at` (below text.size()): its code point when it is
// well formed, and the bytes it takes, at least one. An ill-formed sequence
// takes its maximal subpart, as utf8_to_ansi counts them.
struct utf8_step {
    bool valid;
    char32_t code_point;
    std::size_t length;
};
utf8_step decode_utf8(std::string_view text, std::size_t at);

// Upper-casing as Windows does it for Windows-1250: a-z and every accented
// small letter whose capital is also in Windows-1250 (á->Á, ő->Ő, ű->Ű,
// š->Š, ł->Ł, ą->Ą ...). Sharp s, micro sign and non-letters stay.
unsigned char ansi_upper_byte(unsigned char c);
void ansi_upper(std::string& text);

}  // namespace vortel
