// The code pages a table's text may be stored in, and the conversions of
// stored bytes to and from the program's own text (Windows-1250) and UTF-8.
//
// Rules every conversion keeps:
//  1. Bytes below 0x80 are ASCII in every code page and pass unchanged.
//  2. Reading never fails: a character Windows-1250 cannot hold is shown as
//     '?', and the caller learns that the text did not come through whole,
//     so that it never stores the '?' back in the character's place.
//  3. Writing never replaces: a character the target code page cannot hold
//     refuses the whole text and is named, so the user can say what to do.
//  4. 852 and 1250 read as they always did: 852 through the fixed tables of
//     platform/codepage.h, whose look-alikes ('-' for a box-drawing line)
//     count as not coming through whole; 1250 is the program's own text.
//
// Single-byte code pages work from 256-entry tables built once from the
// system's iconv; 936 goes through iconv for every text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vortel {

enum class code_page : std::uint8_t {
    cp852,
    cp1250,
    cp437,
    cp850,
    cp1252,
    iso8859_1,
    iso8859_2,
    utf8,
    cp866,
    cp1251,
    cp936,
};

// Every code page, in the order menus list them.
std::span<const code_page> all_code_pages();

// "852", "1250", "ISO-8859-2", "UTF-8" ...
std::string_view code_page_name(code_page page);
// Whether each stored byte is one character (all but UTF-8 and 936).
bool single_byte_code_page(code_page page);

// A name as users, .cpg files and other programs write it, letter case and
// blanks ignored: "1250", "ANSI 1250", "CP1250", "Windows-1250", "852",
// "OEM 852", "IBM852", "UTF-8", "UTF8", "ISO-8859-2", "88592", "GBK" ...
std::optional<code_page> code_page_from_name(std::string_view name);

// The code page a table's language driver byte (header byte 29) names;
// none for 0 and for drivers of code pages this program does not read.
std::optional<code_page> code_page_from_language_byte(std::uint8_t byte);
// The byte other programs read as this code page; 0 where none exists.
std::uint8_t language_byte(code_page page);

// Stored bytes as program text. True when every character came through;
// false when some were shown as '?' (or, in 852, as a look-alike).
bool stored_to_program(code_page page, std::string_view stored, std::string& text);
// Only whether stored_to_program would bring the bytes through whole.
bool stored_shows_whole(code_page page, std::string_view stored);

// A character a text could not be written with: a Unicode code point, or a
// stored byte that is no character of its code page (stored_byte_mark + byte).
inline constexpr char32_t stored_byte_mark = 0x110000;
// The character in a message: "€ (U+20AC)", "U+0416" when Windows-1250
// lacks it, "byte 0x81" for a byte that is no character.
std::string character_text(char32_t character);

// Program text as stored bytes of `page`; nothing when every character has
// a place there, otherwise the first character that has none.
std::optional<char32_t> program_to_stored(code_page page, std::string_view text, std::string& stored);

// Stored bytes of one code page as stored bytes of another, character by
// character; the first character the target lacks (or a source byte that
// is no character) refuses the text.
std::optional<char32_t> recode_stored(code_page from, code_page to, std::string_view bytes, std::string& out);

// The first character of a UTF-8 text that Windows-1250, the program's own
// text, cannot hold; none when it holds them all. Front-ends refuse such
// input with outside_program_text_refusal rather than let it become '?'.
std::optional<char32_t> outside_program_text(std::string_view utf8);
std::string outside_program_text_refusal(char32_t character);

// Stored bytes as UTF-8, every character whole; a byte that is no character
// of the code page becomes U+FFFD.
std::string stored_to_utf8(code_page page, std::string_view stored);

// The longest start of `stored` of at most `width` bytes that ends between
// two characters, so a field cut to its width holds no half character.
std::size_t whole_characters_within(code_page page, std::string_view stored, std::size_t width);

}  // namespace vortel
