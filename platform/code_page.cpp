#include "platform/code_page.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iconv.h>
#include <utility>
#include <vector>

namespace vortel {
namespace {

constexpr char32_t no_character = 0xFFFFFFFF;

struct page_facts {
    code_page page;
    std::string_view name;
    const char* iconv_name;
    std::uint8_t language_byte;  // written into new and rebuilt tables; 0: none
    bool single_byte;
};

constexpr std::array<page_facts, 11> facts{{
    {code_page::cp852, "852", "CP852", 0x64, true},
    {code_page::cp1250, "1250", "CP1250", 0xC8, true},
    {code_page::cp437, "437", "CP437", 0x01, true},
    {code_page::cp850, "850", "CP850", 0x02, true},
    {code_page::cp1252, "1252", "CP1252", 0x03, true},
    {code_page::iso8859_1, "ISO-8859-1", "ISO-8859-1", 0x00, true},
    {code_page::iso8859_2, "ISO-8859-2", "ISO-8859-2", 0x00, true},
    {code_page::utf8, "UTF-8", "UTF-8", 0x00, false},
    {code_page::cp866, "866", "CP866", 0x26, true},
    {code_page::cp1251, "1251", "CP1251", 0xC9, true},
    {code_page::cp936, "936", "GBK", 0x4D, false},
}};

constexpr std::array<code_page, facts.size()> pages = [] {
    std::array<code_page, facts.size()> list{};
    for (std::size_t i = 0; i < facts.size(); ++i) list[i] = facts[i].page;
    return list;
}();

static_assert([] {
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (static_cast<std::size_t>(facts[i].page) != i) return false;
    }
    return true;
}(), "facts are listed in the order of the code_page values");

const page_facts& facts_of(code_page page) { return facts[static_cast<std::size_t>(page)]; }

// The language drivers other programs write, by the code page they stand
// for. Several countries' drivers share one code page; 0x57 says "the
// system's ANSI page", which is Windows-1252 on the systems that write it.
struct language_driver {
    std::uint8_t byte;
    code_page page;
};
constexpr language_driver language_drivers[] = {
    {0x01, code_page::cp437}, {0x09, code_page::cp437}, {0x0B, code_page::cp437}, {0x0D, code_page::cp437},
    {0x0F, code_page::cp437}, {0x11, code_page::cp437}, {0x15, code_page::cp437}, {0x18, code_page::cp437},
    {0x19, code_page::cp437}, {0x1B, code_page::cp437}, {0x02, code_page::cp850}, {0x0A, code_page::cp850},
    {0x0E, code_page::cp850}, {0x10, code_page::cp850}, {0x12, code_page::cp850}, {0x14, code_page::cp850},
    {0x16, code_page::cp850}, {0x1A, code_page::cp850}, {0x1D, code_page::cp850}, {0x25, code_page::cp850},
    {0x37, code_page::cp850}, {0x03, code_page::cp1252}, {0x57, code_page::cp1252}, {0x58, code_page::cp1252},
    {0x59, code_page::cp1252}, {0x1F, code_page::cp852}, {0x22, code_page::cp852}, {0x23, code_page::cp852},
    {0x40, code_page::cp852}, {0x64, code_page::cp852}, {0x87, code_page::cp852}, {0x26, code_page::cp866},
    {0x65, code_page::cp866}, {0x4D, code_page::cp936}, {0x7A, code_page::cp936}, {0xC8, code_page::cp1250},
    {0xC9, code_page::cp1251},
};

// Conversions through iconv, one code page in one direction.
class iconv_link {
public:
    iconv_link(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~iconv_link()
    {
        if (usable()) ::iconv_close(handle_);
    }
    iconv_link(const iconv_link&) = delete;
    iconv_link& operator=(const iconv_link&) = delete;

    bool usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from `at` as far as it can; `at` and the output move on.
    // False when it stopped at a byte sequence it cannot convert.
    bool run(const char*& at, std::size_t& left, char*& out, std::size_t& room)
    {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(at);
        const std::size_t done = ::iconv(handle_, &in, &left, &out, &room);
        at = in;
        return done != static_cast<std::size_t>(-1);
    }

private:
    iconv_t handle_;
};

// What iconv says byte `byte` of a single-byte code page is.
char32_t single_byte_character(iconv_link& link, unsigned char byte)
{
    const char bytes[1] = {static_cast<char>(byte)};
    const char* at = bytes;
    std::size_t left = 1;
    char32_t character = 0;
    char* out = reinterpret_cast<char*>(&character);
    std::size_t room = sizeof character;
    if (!link.usable() || !link.run(at, left, out, room) || room != 0) return no_character;
    return character;
}

struct single_byte_table {
    std::array<char32_t, 256> unicode{};          // no_character where the byte is none
    std::array<unsigned char, 256> program{};     // the Windows-1250 byte shown
    std::array<bool, 256> whole{};                // the byte shows as itself
    std::array<std::int16_t, 256> from_program{}; // the byte a Windows-1250 byte is stored as; -1: none
    std::vector<std::pair<char32_t, unsigned char>> by_unicode;  // sorted
};

std::optional<unsigned char> byte_of(const single_byte_table& table, char32_t character)
{
    if (character < 0x80) return static_cast<unsigned char>(character);
    const auto found = std::lower_bound(table.by_unicode.begin(), table.by_unicode.end(),
                                        std::pair<char32_t, unsigned char>{character, 0});
    if (found == table.by_unicode.end() || found->first != character) return std::nullopt;
    return found->second;
}

single_byte_table unicode_table(const char* iconv_name)
{
    single_byte_table table;
    iconv_link link("UTF-32LE", iconv_name);
    for (unsigned byte = 0; byte < 256; ++byte) {
        table.unicode[byte] = byte < 0x80 ? byte : single_byte_character(link, static_cast<unsigned char>(byte));
        if (byte >= 0x80 && table.unicode[byte] != no_character) {
            table.by_unicode.emplace_back(table.unicode[byte], static_cast<unsigned char>(byte));
        }
    }
    std::sort(table.by_unicode.begin(), table.by_unicode.end());
    return table;
}

struct all_tables {
    std::array<single_byte_table, facts.size()> single;
};

const all_tables& tables()
{
    static const all_tables built = [] {
        all_tables all;
        for (const page_facts& page : facts) {
            if (page.single_byte) all.single[static_cast<std::size_t>(page.page)] = unicode_table(page.iconv_name);
        }
        const single_byte_table& ansi = all.single[static_cast<std::size_t>(code_page::cp1250)];
        for (const page_facts& page : facts) {
            if (!page.single_byte) continue;
            single_byte_table& table = all.single[static_cast<std::size_t>(page.page)];
            for (unsigned byte = 0; byte < 256; ++byte) {
                const auto b = static_cast<unsigned char>(byte);
                const std::optional<unsigned char> shown = byte_of(ansi, table.unicode[byte]);
                if (page.page == code_page::cp1250) {
                    // The program's own text: every byte is itself.
                    table.program[byte] = b;
                    table.whole[byte] = true;
                } else if (page.page == code_page::cp852) {
                    table.program[byte] = oem_to_ansi_byte(b);
                    table.whole[byte] = shown && *shown == table.program[byte];
                } else {
                    table.program[byte] = shown ? *shown : '?';
                    table.whole[byte] = shown.has_value();
                }
                const std::optional<unsigned char> stored =
                    ansi.unicode[byte] == no_character ? std::nullopt : byte_of(table, ansi.unicode[byte]);
                table.from_program[byte] = page.page == code_page::cp1250 ? static_cast<std::int16_t>(byte)
                                           : stored                       ? static_cast<std::int16_t>(*stored)
                                                                          : std::int16_t{-1};
            }
        }
        return all;
    }();
    return built;
}

const single_byte_table& single(code_page page) { return tables().single[static_cast<std::size_t>(page)]; }

std::u32string decode_utf8_text(std::string_view stored, bool marks)
{
    std::u32string characters;
    characters.reserve(stored.size());
    for (std::size_t at = 0; at < stored.size();) {
        const utf8_step step = decode_utf8(stored, at);
        if (step.valid) {
            characters += step.code_point;
        } else {
            for (std::size_t i = 0; i < step.length; ++i) {
                characters += marks ? stored_byte_mark + static_cast<unsigned char>(stored[at + i]) : U'\uFFFD';
            }
        }
        at += step.length;
    }
    return characters;
}

// Code page 936 bytes as iconv reads them; a byte it cannot read becomes
// stored_byte_mark + the byte, and reading goes on after it.
std::u32string decode_936(std::string_view stored)
{
    static iconv_link link("UTF-32LE", facts_of(code_page::cp936).iconv_name);
    std::u32string characters;
    std::vector<char32_t> buffer(stored.size() + 1);
    const char* at = stored.data();
    std::size_t left = stored.size();
    while (left > 0) {
        char* out = reinterpret_cast<char*>(buffer.data());
        std::size_t room = buffer.size() * sizeof(char32_t);
        const bool whole = link.usable() && link.run(at, left, out, room);
        characters.append(buffer.data(), static_cast<std::size_t>(out - reinterpret_cast<char*>(buffer.data())) / 4);
        if (!whole && left > 0) {
            characters += stored_byte_mark + static_cast<unsigned char>(*at);
            ++at;
            --left;
        }
    }
    return characters;
}

std::u32string decode(code_page page, std::string_view stored, bool marks = true)
{
    if (page == code_page::utf8) return decode_utf8_text(stored, marks);
    if (page == code_page::cp936) {
        std::u32string characters = decode_936(stored);
        if (!marks) {
            for (char32_t& c : characters) {
                if (c >= stored_byte_mark) c = U'\uFFFD';
            }
        }
        return characters;
    }
    const single_byte_table& table = single(page);
    std::u32string characters;
    characters.reserve(stored.size());
    for (const char c : stored) {
        const char32_t character = table.unicode[static_cast<unsigned char>(c)];
        if (character != no_character) {
            characters += character;
        } else {
            characters += marks ? stored_byte_mark + static_cast<unsigned char>(c) : U'\uFFFD';
        }
    }
    return characters;
}

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::optional<char32_t> encode(code_page page, std::u32string_view characters, std::string& out)
{
    out.clear();
    out.reserve(characters.size());
    for (const char32_t c : characters) {
        if (c >= stored_byte_mark) return c;  // a byte that was no character
    }
    if (page == code_page::utf8) {
        for (const char32_t c : characters) {
            if (c >= 0xD800 && c <= 0xDFFF) return c;
            append_utf8(out, c);
        }
        return std::nullopt;
    }
    if (page == code_page::cp936) {
        static iconv_link link(facts_of(code_page::cp936).iconv_name, "UTF-32LE");
        for (const char32_t c : characters) {
            if (c < 0x80) {
                out += static_cast<char>(c);
                continue;
            }
            const char* at = reinterpret_cast<const char*>(&c);
            std::size_t left = sizeof c;
            char bytes[8];
            char* put = bytes;
            std::size_t room = sizeof bytes;
            if (!link.usable() || !link.run(at, left, put, room) || left != 0) return c;
            out.append(bytes, static_cast<std::size_t>(put - bytes));
        }
        return std::nullopt;
    }
    const single_byte_table& table = single(page);
    for (const char32_t c : characters) {
        const std::optional<unsigned char> byte = byte_of(table, c);
        if (!byte) return c;
        out += static_cast<char>(*byte);
    }
    return std::nullopt;
}

// Letters and digits only, capitals: "ANSI 1250" and "ansi-1250" read alike.
std::string name_key(std::string_view name)
{
    std::string key;
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c))) key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (const std::string_view prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "DOS", "CP", "MS"}) {
        if (key.starts_with(prefix) && key.size() > prefix.size() &&
            std::isdigit(static_cast<unsigned char>(key[prefix.size()]))) {
            return key.substr(prefix.size());
        }
    }
    return key;
}

}  // namespace

std::span<const code_page> all_code_pages() { return pages; }

std::string_view code_page_name(code_page page) { return facts_of(page).name; }

bool single_byte_code_page(code_page page) { return facts_of(page).single_byte; }

std::optional<code_page> code_page_from_name(std::string_view name)
{
    struct spelling {
        std::string_view key;
        code_page page;
    };
    static constexpr spelling spellings[] = {
        {"852", code_page::cp852},          {"1250", code_page::cp1250},      {"437", code_page::cp437},
        {"850", code_page::cp850},          {"1252", code_page::cp1252},      {"ISO88591", code_page::iso8859_1},
        {"88591", code_page::iso8859_1},    {"LATIN1", code_page::iso8859_1}, {"ISO88592", code_page::iso8859_2},
        {"88592", code_page::iso8859_2},    {"LATIN2", code_page::iso8859_2}, {"UTF8", code_page::utf8},
        {"866", code_page::cp866},          {"1251", code_page::cp1251},      {"936", code_page::cp936},
        {"GBK", code_page::cp936},          {"GB2312", code_page::cp936},     {"GB18030", code_page::cp936},
    };
    const std::string key = name_key(name);
    for (const spelling& s : spellings) {
        if (s.key == key) return s.page;
    }
    return std::nullopt;
}

std::optional<code_page> code_page_from_language_byte(std::uint8_t byte)
{
    for (const language_driver& driver : language_drivers) {
        if (driver.byte == byte) return driver.page;
    }
    return std::nullopt;
}

std::uint8_t language_byte(code_page page) { return facts_of(page).language_byte; }

bool stored_to_program(code_page page, std::string_view stored, std::string& text)
{
    if (facts_of(page).single_byte) {
        const single_byte_table& table = single(page);
        text.resize(stored.size());
        bool whole = true;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const auto byte = static_cast<unsigned char>(stored[i]);
            text[i] = static_cast<char>(table.program[byte]);
            whole = whole && table.whole[byte];
        }
        return whole;
    }
    const single_byte_table& ansi = single(code_page::cp1250);
    text.clear();
    bool whole = true;
    for (const char32_t c : decode(page, stored)) {
        const std::optional<unsigned char> byte = c < stored_byte_mark ? byte_of(ansi, c) : std::nullopt;
        text += static_cast<char>(byte ? *byte : '?');
        whole = whole && byte.has_value();
    }
    return whole;
}

bool stored_shows_whole(code_page page, std::string_view stored)
{
    if (page == code_page::cp1250) return true;
    if (facts_of(page).single_byte) {
        const single_byte_table& table = single(page);
        return std::all_of(stored.begin(), stored.end(),
                           [&table](char c) { return table.whole[static_cast<unsigned char>(c)]; });
    }
    // ASCII comes through in every code page; most texts are only that.
    if (std::all_of(stored.begin(), stored.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return true;
    }
    std::string text;
    return stored_to_program(page, stored, text);
}

std::string character_text(char32_t character)
{
    char number[32];
    if (character >= stored_byte_mark) {
        std::snprintf(number, sizeof number, "byte 0x%02X", static_cast<unsigned>(character - stored_byte_mark));
        return number;
    }
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(character));
    const std::optional<unsigned char> byte = byte_of(single(code_page::cp1250), character);
    if (!byte || *byte < 0x20) return number;
    return "\"" + std::string(1, static_cast<char>(*byte)) + "\" (" + number + ")";
}

std::optional<char32_t> program_to_stored(code_page page, std::string_view text, std::string& stored)
{
    if (facts_of(page).single_byte) {
        const single_byte_table& table = single(page);
        stored.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const std::int16_t put = table.from_program[byte];
            if (put < 0) {
                const char32_t character = single(code_page::cp1250).unicode[byte];
                return character == no_character ? stored_byte_mark + byte : character;
            }
            stored[i] = static_cast<char>(put);
        }
        return std::nullopt;
    }
    return recode_stored(code_page::cp1250, page, text, stored);
}

std::optional<char32_t> recode_stored(code_page from, code_page to, std::string_view bytes, std::string& out)
{
    if (from == to) {
        out.assign(bytes);
        return std::nullopt;
    }
    return encode(to, decode(from, bytes), out);
}

std::optional<char32_t> outside_program_text(std::string_view utf8)
{
    std::string text;
    return recode_stored(code_page::utf8, code_page::cp1250, utf8, text);
}

std::string outside_program_text_refusal(char32_t character)
{
    return character_text(character) + " cannot be taken: this program's text is Windows-1250, which has no such character";
}

std::string stored_to_utf8(code_page page, std::string_view stored)
{
    std::string out;
    out.reserve(stored.size());
    for (const char32_t c : decode(page, stored, false)) append_utf8(out, c);
    return out;
}

std::size_t whole_characters_within(code_page page, std::string_view stored, std::size_t width)
{
    if (stored.size() <= width) return stored.size();
    if (page == code_page::utf8) {
        std::size_t cut = width;
        while (cut > 0 && (static_cast<unsigned char>(stored[cut]) & 0xC0) == 0x80) --cut;
        return cut;
    }
    if (page == code_page::cp936) {
        // A lead byte 0x81-0xFE takes the byte after it along.
        std::size_t at = 0;
        while (at < width) {
            const std::size_t length = static_cast<unsigned char>(stored[at]) >= 0x81 ? 2 : 1;
            if (at + length > width) break;
            at += length;
        }
        return at;
    }
    return width;
}

}  // namespace vortel
