#include "text/folding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using folding = testing_support::with_default_settings;

struct fold_group {
    std::string bytes;
    char base;
};

// Checks all 256 entries: the listed bytes fold, every other byte stays.
void expect_table(const folding_table& table, const std::vector<fold_group>& groups)
{
    folding_table expected{};
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<unsigned char>(i);
    for (const fold_group& g : groups) {
        for (char byte : g.bytes) expected[static_cast<unsigned char>(byte)] = static_cast<unsigned char>(g.base);
    }
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(table[i], expected[i]) << "byte " << std::hex << i;
}

TEST(folding_tables, ansi_table)
{
    expect_table(ansi_folding_table, {{"\xC0\xC1\xC2\xC3\xC4\xC5", 'A'},
                                      {"\xC8\xC9\xCA\xCB", 'E'},
                                      {"\xCC\xCD\xCE\xCF", 'I'},
                                      {"\xD0\xD1\xD2\xD3\xD4\xD5\xD6", 'O'},
                                      {"\xD9\xDA\xDB\xDC", 'U'},
                                      {"\xE0\xE1\xE2\xE3\xE4\xE5", 'a'},
                                      {"\xE8\xE9\xEA\xEB", 'e'},
                                      {"\xEC\xED\xEE\xEF", 'i'},
                                      {"\xF2\xF3\xF4\xF5\xF6", 'o'},
                                      {"\xF9\xFA\xFB\xFC", 'u'}});
}

TEST(folding_tables, oem_table)
{
    expect_table(oem_folding_table, {{"\x8E\x8F\xB5", 'A'},
                                     {"\x90", 'E'},
                                     {"\xD6", 'I'},
                                     {"\x8A\x99\xE0", 'O'},
                                     {"\x9A\xE9\xEB", 'U'},
                                     {"\x83\x84\x85\x86\xA0", 'a'},
                                     {"\x82\x88\x89", 'e'},
                                     {"\x8B\x8C\x8D\xA1", 'i'},
                                     {"\x93\x94\x95\xA2", 'o'},
                                     {"\x81\x96\x97\xA3\xFB", 'u'}});
}

int sign(int x) { return (x > 0) - (x < 0); }

TEST_F(folding, sort_key_order)
{
    struct row {
        const char* hun_cmp;
        bool oem_text;
        std::string a;
        std::string b;
        int expected;
    };
    const row rows[] = {
        // Ábel, Abel, abel, Zoli, Ödön, Odon in Windows-1250.
        {"1", false, "\xC1" "bel", "Abel", 0},
        {"1", false, "\xC1" "bel", "Zoli", -1},
        {"1", false, "abel", "Zoli", 1},  // case is not folded
        {"1", false, "\xD6" "d\xF6n", "Odon", 0},
        {"1", false, "\xE1" "bel", "Abel", 1},
        // The same names in code page 852 fold only through the OEM table.
        {"1", true, "\xB5" "bel", "Abel", 0},
        {"1", true, "\x99" "d\x94n", "Odon", 0},
        {"1", false, "\xB5" "bel", "Zoli", 1},
        // Anything but exactly "1" compares raw bytes.
        {"0", false, "\xC1" "bel", "Zoli", 1},
        {"yes", false, "\xC1" "bel", "Abel", 1},
        {" 1", true, "\xB5" "bel", "Abel", 1},
        // NUL-terminated unsigned bytes: a NUL ends a key, a shorter key sorts first.
        {"1", false, std::string("ab\0z", 4), "ab", 0},
        {"1", false, "ab", "abc", -1},
        {"1", false, "", "", 0},
        {"0", true, "\xFF", "\x01", 1},
    };
    for (const row& r : rows) {
        setting_by_index(SET_HUN_CMP, r.hun_cmp);
        EXPECT_EQ(sign(folded_key_comparison(r.a, r.b, r.oem_text)), r.expected)
            << '"' << r.a << "\" vs \"" << r.b << "\" under " << r.hun_cmp << (r.oem_text ? " OEM" : " ANSI");
    }
}

}  // namespace
}  // namespace vortel
