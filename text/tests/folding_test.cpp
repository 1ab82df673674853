#include "text/folding.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/settings.h"
#include "text/tests/default_settings.h"

namespace vortel {
namespace {

using folding = testing_support::with_default_settings;

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
