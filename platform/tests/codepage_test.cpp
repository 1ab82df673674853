#include "platform/code_page.h"
#include "platform/code_page_guess.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <locale.h>
#include <wctype.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace vortel;

// glibc's converters are an independent source of the two code pages'
// Unicode mappings, so the generated tables are checked against them.
class iconv_converter {
public:
    iconv_converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~iconv_converter()
    {
        if (ok()) iconv_close(handle_);
    }
    iconv_converter(const iconv_converter&) = delete;
    iconv_converter& operator=(const iconv_converter&) = delete;

    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

    // nullopt when iconv refuses the input (no counterpart, or undefined).
    std::optional<std::string> convert(std::string input)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char output[16];
        char* in = input.data();
        std::size_t in_left = input.size();
        char* out = output;
        std::size_t out_left = sizeof output;
        if (iconv(handle_, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) return std::nullopt;
        return std::string(output, static_cast<std::size_t>(out - output));
    }

private:
    iconv_t handle_;
};

std::string byte_text(unsigned byte)
{
    return std::string(1, static_cast<char>(byte));
}

// Every byte that glibc converts must convert the same way here and come
// back unchanged; every byte it refuses has no counterpart and must get an
// ASCII stand-in, never some unrelated accented letter.
TEST(Codepage, tables_match_iconv_shared_characters_round_trip_and_buffers_convert_whole)
{
    using text_conversion = std::function<std::string(const std::string&)>;
    const auto bytewise = [](unsigned char (*convert)(unsigned char)) -> text_conversion {
        return [convert](const std::string& text) {
            return byte_text(convert(static_cast<unsigned char>(text.at(0))));
        };
    };
    struct direction {
        const char *from, *to;
        text_conversion forward, back;
        int shared;  // ASCII and the high bytes both sides have
        const char* stand_in;  // null: any ASCII character
    };
    const direction directions[] = {
        {"CP852", "CP1250", bytewise(oem_to_ansi_byte), bytewise(ansi_to_oem_byte), 128 + 99, nullptr},
        {"CP1250", "CP852", bytewise(ansi_to_oem_byte), bytewise(oem_to_ansi_byte), 128 + 99, nullptr},
        {"CP1250", "UTF-8", [](const std::string& t) { return ansi_to_utf8(t); },
         [](const std::string& t) { return utf8_to_ansi(t); }, 251, "?"},  // 81 83 88 90 98 are unused
    };
    for (const direction& d : directions) {
        iconv_converter converter(d.to, d.from);
        ASSERT_TRUE(converter.ok()) << d.from << " -> " << d.to;
        int shared = 0;
        for (unsigned byte = 0; byte < 0x100; ++byte) {
            const std::string in = byte_text(byte), out = d.forward(in);
            if (const std::optional<std::string> reference = converter.convert(in)) {
                EXPECT_EQ(out, *reference) << d.from << " " << std::hex << byte;
                EXPECT_EQ(d.back(out), in) << d.from << " " << std::hex << byte;
                ++shared;
            } else if (d.stand_in) {
                EXPECT_EQ(out, d.stand_in) << d.from << " " << std::hex << byte;
            } else {
                EXPECT_LT(static_cast<unsigned char>(out.at(0)), 0x80) << d.from << " " << std::hex << byte;
            }
        }
        EXPECT_EQ(shared, d.shared) << d.from << " -> " << d.to;
    }

    // Buffer conversion covers the whole given length, NULs included.
    char field[] = {'\xA0', '\0', '\x8B', 'x', '\x8B'};
    oem_to_ansi(field, 4);  // the last byte lies outside the given length
    EXPECT_EQ(std::string(field, 5), std::string("\xE1\0\xF5x\x8B", 5));
    ansi_to_oem(field, 4);
    EXPECT_EQ(std::string(field, 5), std::string("\xA0\0\x8Bx\x8B", 5));

    oem_to_ansi(nullptr, 0);
    ansi_to_oem(nullptr, 0);

    std::string text = "\xB5rv\xA1zt\xFBr\x8B";  // the string forms convert every byte
    oem_to_ansi(text);
    EXPECT_EQ(text, "\xC1rv\xEDzt\xFBr\xF5");
    ansi_upper(text);
    EXPECT_EQ(text, "\xC1RV\xCDZT\xDBR\xD5");
    ansi_to_oem(text);
    EXPECT_EQ(text, "\xB5RV\xD6ZT\xEBR\x8A");
}

// The input lives in a heap block of exactly its size, so that the
// sanitized build catches any read past the end of a truncated sequence.
std::string decode_exact(std::string_view utf8)
{
    std::unique_ptr<char[]> block(new char[utf8.size() + (utf8.empty() ? 1 : 0)]);
    std::memcpy(block.get(), utf8.data(), utf8.size());
    return utf8_to_ansi(std::string_view(block.get(), utf8.size()));
}

TEST(Codepage, ill_formed_utf8_becomes_one_question_mark_per_maximal_subpart_and_any_two_bytes_decode_safely)
{
    struct row { const char* name; std::string_view input, expected; };
    using namespace std::string_view_literals;
    const row rows[] = {
        {"empty", ""sv, ""sv}, {"stray continuation", "a\x80z"sv, "a?z"sv},
        {"two-byte cut at end", "a\xC3"sv, "a?"sv}, {"two-byte cut by ASCII", "\xC3z"sv, "?z"sv},
        {"three-byte cut at end", "\xE2\x82"sv, "?"sv}, {"three-byte cut by ASCII", "\xE2\x82z"sv, "?z"sv},
        {"four-byte cut at end", "\xF0\x9F\x98"sv, "?"sv}, {"overlong two-byte slash", "\xC0\xAF"sv, "??"sv},
        {"overlong three-byte", "\xE0\x80\xAF"sv, "???"sv}, {"overlong four-byte", "\xF0\x8F\xBF\xBF"sv, "????"sv},
        {"surrogate", "\xED\xA0\x80"sv, "???"sv}, {"beyond U+10FFFF", "\xF4\x90\x80\x80"sv, "????"sv},
        {"invalid lead bytes", "\xF5\xFE\xFF"sv, "???"sv},
        {"valid four-byte, no counterpart", "\xF0\x9F\x98\x80z"sv, "?z"sv},
        {"valid box drawing, no counterpart", "\xE2\x94\x80"sv, "?"sv},
        {"C1 control has no counterpart", "\xC2\x81"sv, "?"sv}, {"embedded NUL kept", "a\0b"sv, "a\0b"sv},
        {"leading byte-order mark dropped", "\xEF\xBB\xBF\xC3\xA1"sv, "\xE1"sv},
        {"only the first byte-order mark dropped", "\xEF\xBB\xBF\xEF\xBB\xBF"sv, "?"sv},
        {"later byte-order mark kept as unmappable", "a\xEF\xBB\xBF"sv, "a?"sv},
    };
    for (const row& r : rows) EXPECT_EQ(decode_exact(r.input), r.expected) << r.name;

    // Any two bytes decode safely: each output byte stands for at least one
    // input byte.
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const char input[] = {static_cast<char>(first), static_cast<char>(second)};
            const std::string out = decode_exact(std::string_view(input, 2));
            ASSERT_GE(out.size(), 1u);
            ASSERT_LE(out.size(), 2u);
        }
    }
}

// glibc's case mapping agrees for all 256 bytes: a byte changes exactly when
// its Unicode capital exists in Windows-1250 (so š ł ą ľ ř change; ß, µ, ÷,
// × and the dot above at FF stay).
TEST(Codepage, upper_case_matches_glibc_case_mapping)
{
    iconv_converter to_ansi("CP1250", "WCHAR_T");
    iconv_converter from_ansi("WCHAR_T", "CP1250");
    ASSERT_TRUE(to_ansi.ok() && from_ansi.ok());
    locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8 == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "no C.UTF-8 locale";
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        unsigned char expected = static_cast<unsigned char>(byte);
        if (const auto wide = from_ansi.convert(byte_text(byte))) {
            wchar_t letter = 0;
            std::memcpy(&letter, wide->data(), sizeof letter);
            const wchar_t capital = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(letter), utf8));
            std::string capital_bytes(sizeof capital, '\0');
            std::memcpy(capital_bytes.data(), &capital, sizeof capital);
            if (const auto back = to_ansi.convert(capital_bytes)) expected = static_cast<unsigned char>((*back)[0]);
        }
        EXPECT_EQ(ansi_upper_byte(static_cast<unsigned char>(byte)), expected) << std::hex << byte;
    }
    freelocale(utf8);
}

// Texts are written here in UTF-8 and put into each code page by the
// conversion under test from the one code page every character has.
std::string in_page(code_page page, std::string_view utf8)
{
    std::string stored;
    EXPECT_EQ(recode_stored(code_page::utf8, page, utf8, stored), std::nullopt) << utf8;
    return stored;
}

// What a table's bytes show, back in UTF-8 for reading, and whether whole.
std::pair<std::string, bool> shown(code_page page, std::string_view stored)
{
    std::string text;
    const bool whole = stored_to_program(page, stored, text);
    EXPECT_EQ(stored_shows_whole(page, stored), whole);
    return {ansi_to_utf8(text), whole};
}

TEST(code_page, every_code_page_shows_its_text_says_what_it_could_not_and_stores_it_back)
{
    struct row {
        code_page page;
        const char* stored;  // UTF-8, put into the page
        const char* expected = nullptr;  // null: the stored text, whole
    } rows[] = {
        {code_page::cp852, "Árvíztűrő tükörfúrógép"}, {code_page::cp1250, "Árvíztűrő tükörfúrógép"},
        {code_page::iso8859_2, "Árvíztűrő Šťastný"}, {code_page::utf8, "Árvíztűrő tükörfúrógép"},
        {code_page::cp1252, "Zürich Großmann €"}, {code_page::cp437, "Zürich Öl"}, {code_page::cp850, "Zürich Öl"},
        {code_page::iso8859_1, "Zürich"},
        // Characters Windows-1250 lacks show as '?' and say so.
        {code_page::cp1252, "Ségolène Åland", "Ségol?ne ?land"}, {code_page::utf8, "Москва ő", "?????? ő"},
        {code_page::cp866, "Москва", "??????"}, {code_page::cp1251, "Москва", "??????"},
        {code_page::cp936, "中文 abc", "?? abc"},
        // 852's box drawing keeps its look-alikes, but is not whole either.
        {code_page::cp852, "─│┼", "-|+"},
    };
    for (const row& r : rows) {
        EXPECT_EQ(shown(r.page, in_page(r.page, r.stored)),
                  std::make_pair(std::string(r.expected ? r.expected : r.stored), r.expected == nullptr))
            << code_page_name(r.page) << ": " << r.stored;
    }
    // Bytes that are no character at all: an ill-formed UTF-8 sequence, an
    // undefined 1252 byte, a GBK lead byte with nothing after it.
    EXPECT_EQ(shown(code_page::utf8, "a\xC3"), std::make_pair(std::string("a?"), false));
    EXPECT_EQ(shown(code_page::cp1252, "\x81"), std::make_pair(std::string("?"), false));
    EXPECT_EQ(shown(code_page::cp936, "x\xD6"), std::make_pair(std::string("x?"), false));

    // Every byte that shows whole is stored back as itself.
    for (const code_page page : all_code_pages()) {
        if (page == code_page::utf8 || page == code_page::cp936) continue;
        for (unsigned byte = 0; byte < 256; ++byte) {
            const std::string stored(1, static_cast<char>(byte));
            std::string text, back;
            if (!stored_to_program(page, stored, text)) continue;
            EXPECT_EQ(program_to_stored(page, text, back), std::nullopt) << code_page_name(page) << " " << byte;
            EXPECT_EQ(back, stored) << code_page_name(page) << " " << byte;
        }
    }
}

TEST(code_page, a_character_the_code_page_lacks_is_refused_and_named)
{
    // UTF-8, given as the program's Windows-1250 text; stored as itself when not refused.
    const std::tuple<code_page, std::string_view, std::optional<char32_t>> rows[] = {
        {code_page::cp852, "Győr", std::nullopt}, {code_page::cp852, "10 €", U'\u20AC'},
        {code_page::cp852, "„idézet”", U'\u201E'}, {code_page::cp1252, "Győr", U'\u0151'},
        {code_page::cp437, "Győr", U'\u0151'}, {code_page::utf8, "Győr „€”", std::nullopt},
        {code_page::cp1251, "Zoé", U'\u00E9'}, {code_page::cp936, "Győr", U'\u0151'},
    };
    for (const auto& [page, text, refused] : rows) {
        std::string stored;
        EXPECT_EQ(program_to_stored(page, in_page(code_page::cp1250, text), stored), refused)
            << code_page_name(page) << ": " << text;
        if (!refused) {
            EXPECT_EQ(stored, in_page(page, text));
        }
    }
    std::string stored;
    EXPECT_EQ(recode_stored(code_page::utf8, code_page::cp852, "Москва", stored), U'\u041C');
    EXPECT_EQ(recode_stored(code_page::cp1252, code_page::cp852, "\x81", stored), stored_byte_mark + 0x81);

    EXPECT_EQ(character_text(U'\u20AC'), "\"\x80\" (U+20AC)");
    EXPECT_EQ(character_text(U'\u041C'), "U+041C");
    EXPECT_EQ(character_text(stored_byte_mark + 0x81), "byte 0x81");
}

TEST(code_page, names_and_language_bytes_say_which_code_page_and_where_its_characters_end)
{
    // Each page's own name and byte read back through the loop at the end;
    // the rows are the other spellings and the bytes other drivers write.
    const std::pair<std::string_view, std::optional<code_page>> names[] = {
        {"ANSI 1250", code_page::cp1250}, {"windows-1250", code_page::cp1250}, {"CP1250\r\n", code_page::cp1250},
        {"OEM 852", code_page::cp852},    {"IBM852", code_page::cp852},       {"utf8", code_page::utf8},
        {"88592", code_page::iso8859_2},  {"CP1252", code_page::cp1252},      {"GBK", code_page::cp936},
        {"EBCDIC", std::nullopt},         {"", std::nullopt},                 {"12500", std::nullopt},
    };
    for (const auto& [name, page] : names) EXPECT_EQ(code_page_from_name(name), page) << name;

    const std::pair<std::uint8_t, std::optional<code_page>> bytes[] = {
        {0x22, code_page::cp852}, {0x1F, code_page::cp852}, {0x23, code_page::cp852}, {0x40, code_page::cp852},
        {0x57, code_page::cp1252}, {0x00, std::nullopt},    {0x13, std::nullopt},
    };
    for (const auto& [byte, page] : bytes) EXPECT_EQ(code_page_from_language_byte(byte), page) << int{byte};
    for (const code_page page : all_code_pages()) {
        if (language_byte(page) != 0) {
            EXPECT_EQ(code_page_from_language_byte(language_byte(page)), page);
        }
        EXPECT_EQ(code_page_from_name(code_page_name(page)), page);
    }

    // A field is cut between whole characters.
    EXPECT_EQ(whole_characters_within(code_page::utf8, "Győr", 3), 2u);  // not inside "ő"
    EXPECT_EQ(whole_characters_within(code_page::utf8, "Győr", 4), 4u);
    EXPECT_EQ(whole_characters_within(code_page::cp936, "a\xD6\xD0\xCE\xC4", 4), 3u);
    EXPECT_EQ(whole_characters_within(code_page::cp852, "abcdef", 4), 4u);
    EXPECT_EQ(whole_characters_within(code_page::utf8, "ab", 4), 2u);
}

TEST(code_page, a_guess_names_the_code_page_of_real_text_and_nothing_when_unsure)
{
    const std::string hungarian =
        "Kovács Éva, Szőke Ödön, Nagy Béla, Győr, Pécs, Kiss Ágnes, Tóth Gábor, Horváth Ildikó, Szűcs Ünige, "
        "Fehér Zoltán, Bíró Józsefné, Kőszeg, Székesfehérvár, Nyíregyháza, Hódmezővásárhely. ";
    const std::string russian = "Центральный банк Российской Федерации, Москва, Неглинная улица, дом двенадцать. ";
    std::string long_hungarian, long_russian;
    for (int i = 0; i < 4; ++i) {
        long_hungarian += hungarian;
        long_russian += russian;
    }
    const std::pair<std::string, std::optional<code_page>> rows[] = {
        {in_page(code_page::cp852, long_hungarian), code_page::cp852},
        {in_page(code_page::cp1250, long_hungarian), code_page::cp1250},
        // Hungarian in ISO-8859-2 is byte for byte the same as in 1250.
        {in_page(code_page::iso8859_2, long_hungarian), code_page::cp1250},
        {in_page(code_page::utf8, "Győr"), code_page::utf8},
        {in_page(code_page::cp866, long_russian), code_page::cp866},
        {"Plain ASCII, nothing to judge", std::nullopt},
        // Too little to tell: the setting decides instead of a wrong guess.
        {in_page(code_page::cp852, "Győr Pécs"), std::nullopt},
    };
    for (const auto& [sample, guess] : rows) EXPECT_EQ(guess_code_page(sample), guess) << sample;
}

}  // namespace
