#include "text/folding.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using folding = testing_support::with_default_settings;

int sign(int x) { return (x > 0) - (x < 0); }

TEST_F(folding, sort_key_order)
{
    struct row { bool fold; bool oem_text; std::string a, b; int expected; };
    const row rows[] = {
        // Ábel, Abel, abel, Zoli, Ödön, Odon in Windows-1250.
        {true, false, "\xC1" "bel", "Abel", 0}, {true, false, "\xC1" "bel", "Zoli", -1},
        {true, false, "abel", "Zoli", 1},  // case is not folded
        {true, false, "\xD6" "d\xF6n", "Odon", 0}, {true, false, "\xE1" "bel", "Abel", 1},
        // The same names in code page 852 fold only through the OEM table.
        {true, true, "\xB5" "bel", "Abel", 0}, {true, true, "\x99" "d\x94n", "Odon", 0},
        {true, false, "\xB5" "bel", "Zoli", 1},
        // Without folding, raw bytes.
        {false, false, "\xC1" "bel", "Zoli", 1}, {false, true, "\xB5" "bel", "Abel", 1},
        // NUL-terminated unsigned bytes: a NUL ends a key, a shorter key sorts first.
        {true, false, std::string("ab\0z", 4), "ab", 0}, {true, false, "ab", "abc", -1}, {true, false, "", "", 0},
        {false, true, "\xFF", "\x01", 1},
        // Gyimes < Gyomaendrőd < Győr, in 852 and in 1250.
        {true, true, "Gyimes", "Gyomaendr\x8B" "d", -1}, {true, true, "Gyomaendr\x8B" "d", "Gy\x8Br", -1},
        {true, false, "Gyomaendr\xF5" "d", "Gy\xF5r", -1},
    };
    for (const row& r : rows) {
        EXPECT_EQ(sign(folded_key_comparison(r.a, r.b, r.oem_text, r.fold)), r.expected)
            << '"' << r.a << "\" vs \"" << r.b << "\"" << (r.fold ? " folded" : "") << (r.oem_text ? " OEM" : " ANSI");
    }
}

// Every Hungarian accented letter folds onto its base vowel, keeping its
// case, in both code pages. The bytes are written out by hand from the code
// page charts, never taken from the tables under test.
TEST(folding_tables, every_hungarian_accented_letter_folds_onto_its_vowel_in_both_code_pages)
{
    struct letter { const char* name; unsigned char in_1250, in_852; char base; };
    const letter letters[] = {
        {"a acute", 0xE1, 0xA0, 'a'},   {"e acute", 0xE9, 0x82, 'e'},   {"i acute", 0xED, 0xA1, 'i'},
        {"o acute", 0xF3, 0xA2, 'o'},   {"o diaeresis", 0xF6, 0x94, 'o'}, {"o double acute", 0xF5, 0x8B, 'o'},
        {"u acute", 0xFA, 0xA3, 'u'},   {"u diaeresis", 0xFC, 0x81, 'u'}, {"u double acute", 0xFB, 0xFB, 'u'},
        {"A acute", 0xC1, 0xB5, 'A'},   {"E acute", 0xC9, 0x90, 'E'},   {"I acute", 0xCD, 0xD6, 'I'},
        {"O acute", 0xD3, 0xE0, 'O'},   {"O diaeresis", 0xD6, 0x99, 'O'}, {"O double acute", 0xD5, 0x8A, 'O'},
        {"U acute", 0xDA, 0xE9, 'U'},   {"U diaeresis", 0xDC, 0x9A, 'U'}, {"U double acute", 0xDB, 0xEB, 'U'},
    };
    for (const letter& l : letters) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(folding_for(code_page::cp1250)[l.in_1250], static_cast<unsigned char>(l.base));
        EXPECT_EQ(folding_for(code_page::iso8859_2)[l.in_1250], static_cast<unsigned char>(l.base));
        EXPECT_EQ(folding_for(code_page::cp852)[l.in_852], static_cast<unsigned char>(l.base));
    }
    // Byte 8B is another letter in 437 and 850.
    EXPECT_EQ(folding_for(code_page::cp437)[0x8B], 'i');
}

}  // namespace
}  // namespace vortel
