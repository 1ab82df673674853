#include "text/folding.h"

#include <cstddef>
#include <initializer_list>


namespace vortel {
namespace {

struct fold_rule {
    std::string_view bytes;
    char base;
};

constexpr folding_table make_table(std::initializer_list<fold_rule> rules)
{
    folding_table table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<unsigned char>(i);
    for (const fold_rule& rule : rules) {
        for (const char byte : rule.bytes) {
            table[static_cast<unsigned char>(byte)] = static_cast<unsigned char>(rule.base);
        }
    }
    return table;
}

}  // namespace

// The vowels of the ISO 8859-1 positions. Under Windows-1250 this catches
// every Hungarian accented vowel; F0 and F1 stay although D0 and D1 fold.
constinit const folding_table ansi_folding_table = make_table({
    {"\xC0\xC1\xC2\xC3\xC4\xC5", 'A'},
    {"\xC8\xC9\xCA\xCB", 'E'},
    {"\xCC\xCD\xCE\xCF", 'I'},
    {"\xD0\xD1\xD2\xD3\xD4\xD5\xD6", 'O'},
    {"\xD9\xDA\xDB\xDC", 'U'},
    {"\xE0\xE1\xE2\xE3\xE4\xE5", 'a'},
    {"\xE8\xE9\xEA\xEB", 'e'},
    {"\xEC\xED\xEE\xEF", 'i'},
    {"\xF2\xF3\xF4\xF5\xF6", 'o'},
    {"\xF9\xFA\xFB\xFC", 'u'},
});

namespace {

// Code page 437 vowel folding with the Hungarian capitals and "ű" of code page
// 852 added. Byte 8B is "ï" in 437 and 850, and folds to "i" there.
constexpr folding_table dos_vowels = make_table({
    {"\x8E\x8F\xB5", 'A'},
    {"\x90", 'E'},
    {"\xD6", 'I'},
    {"\x8A\x99\xE0", 'O'},
    {"\x9A\xE9\xEB", 'U'},
    {"\x83\x84\x85\x86\xA0", 'a'},
    {"\x82\x88\x89", 'e'},
    {"\x8B\x8C\x8D\xA1", 'i'},
    {"\x93\x94\x95\xA2", 'o'},
    {"\x81\x96\x97\xA3\xFB", 'u'},
});

constexpr folding_table refolded(folding_table table, unsigned char byte, char base)
{
    table[byte] = static_cast<unsigned char>(base);
    return table;
}

}  // namespace

constinit const folding_table oem_folding_table = dos_vowels;

// The same for code page 852, where byte 8B is "ő": in Hungarian order it
// goes with "o" and "ö", so that Győr sorts after Gyomaendrőd.
constinit const folding_table hungarian_oem_folding_table = refolded(dos_vowels, 0x8B, 'o');

constinit const folding_table identity_folding_table = make_table({});

const folding_table& folding_for(code_page page)
{
    switch (page) {
    case code_page::cp852: return hungarian_oem_folding_table;
    case code_page::cp437:
    case code_page::cp850: return oem_folding_table;
    case code_page::cp1250:
    case code_page::cp1252:
    case code_page::iso8859_1:
    case code_page::iso8859_2: return ansi_folding_table;
    case code_page::utf8:
    case code_page::cp866:
    case code_page::cp1251:
    case code_page::cp936: break;
    }
    return identity_folding_table;
}

int folded_key_comparison(std::string_view a, std::string_view b, bool oem_text, bool fold)
{
    a = a.substr(0, a.find('\0'));
    b = b.substr(0, b.find('\0'));
    const folding_table& table = oem_text ? hungarian_oem_folding_table : ansi_folding_table;
    auto byte_at = [&](std::string_view key, std::size_t i) -> int {
        if (i >= key.size()) return 0;
        const auto byte = static_cast<unsigned char>(key[i]);
        return fold ? table[byte] : byte;
    };
    for (std::size_t i = 0;; ++i) {
        const int x = byte_at(a, i);
        const int y = byte_at(b, i);
        if (x != y || x == 0) return x - y;
    }
}

}  // namespace vortel
