#include "platform/code_page.h"
#include "platform/code_page_guess.h"
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace vortel;

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
