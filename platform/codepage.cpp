#include "platform/codepage.h"

#include <array>

namespace vortel {
namespace {

#include "platform/codepage_tables.inc"

using byte_table = std::array<unsigned char, 256>;

void convert(char* text, std::size_t length, const byte_table& table)
{
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>(table[static_cast<unsigned char>(text[i])]);
    }
}

void append_utf8(std::string& out, char32_t code_point)
{
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        // Every Windows-1250 character lies in the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

unsigned char ansi_from_code_point(char32_t code_point)
{
    if (code_point < 0x80) return static_cast<unsigned char>(code_point);
    // 128 candidates; the user-interface strings this serves are short.
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        if (ansi_to_unicode_table[byte] == code_point) return static_cast<unsigned char>(byte);
    }
    return '?';
}

}  // namespace

// An ill-formed sequence consumes its maximal subpart: the lead byte and the
// continuation bytes that were still acceptable when the sequence broke off.
// The narrowed second-byte ranges after E0, ED, F0 and F4 reject overlong
// forms, surrogates and values beyond U+10FFFF at the earliest byte.
utf8_step decode_utf8(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {true, lead, 1};

    std::size_t trailing = 0;
    char32_t code_point = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        code_point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        code_point = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        code_point = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {false, 0, 1};  // stray continuation byte, C0, C1, F5-FF
    }

    std::size_t used = 1;
    while (used <= trailing) {
        if (at + used >= text.size()) return {false, 0, used};
        const auto next = static_cast<unsigned char>(text[at + used]);
        if (next < low || next > high) return {false, 0, used};
        code_point = (code_point << 6) | (next & 0x3Fu);
        low = 0x80;
        high = 0xBF;
        ++used;
    }
    return {true, code_point, used};
}

void oem_to_ansi(char* text, std::size_t length)
{
    convert(text, length, oem_to_ansi_table);
}

void ansi_to_oem(char* text, std::size_t length)
{
    convert(text, length, ansi_to_oem_table);
}

void oem_to_ansi(std::string& text)
{
    convert(text.data(), text.size(), oem_to_ansi_table);
}

void ansi_to_oem(std::string& text)
{
    convert(text.data(), text.size(), ansi_to_oem_table);
}

unsigned char oem_to_ansi_byte(unsigned char c)
{
    return oem_to_ansi_table[c];
}

unsigned char ansi_to_oem_byte(unsigned char c)
{
    return ansi_to_oem_table[c];
}

std::string ansi_to_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) append_utf8(out, ansi_to_unicode_table[static_cast<unsigned char>(c)]);
    return out;
}

std::string utf8_to_ansi(std::string_view text)
{
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    if (text.starts_with(byte_order_mark)) text.remove_prefix(byte_order_mark.size());

    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const utf8_step step = decode_utf8(text, at);
        out += static_cast<char>(step.valid ? ansi_from_code_point(step.code_point) : '?');
        at += step.length;
    }
    return out;
}

unsigned char ansi_upper_byte(unsigned char c)
{
    return ansi_upper_table[c];
}

void ansi_upper(std::string& text)
{
    convert(text.data(), text.size(), ansi_upper_table);
}

}  // namespace vortel
