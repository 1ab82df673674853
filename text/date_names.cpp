#include "text/date_names.h"

#include <array>
#include <cstddef>

namespace vortel {
namespace {

// Index 0 is unused so that the tables read by month and weekday number.
constexpr std::array<std::string_view, 13> month_names{
    "",           "Janu\xE1r",  "Febru\xE1r", "M\xE1rcius", "\xC1prilis", "M\xE1jus",   "J\xFAnius",
    "J\xFAlius", "Augusztus", "Szeptember", "Oct\xF3" "ber", "November", "December"};

constexpr std::array<std::string_view, 13> month_names_upper{
    "",           "JANU\xC1R",  "FEBRU\xC1R", "M\xC1RCIUS", "\xC1PRILIS", "M\xC1JUS",   "J\xDANIUS",
    "J\xDALIUS", "AUGUSZTUS", "SZEPTEMBER", "OKT\xD3" "BER", "NOVEMBER", "DECEMBER"};

constexpr std::array<std::string_view, 8> day_names{
    "", "H\xE9tf\xF5", "Kedd", "Szerda", "Cs\xFCt\xF6rt\xF6k", "P\xE9ntek", "Szombat", "Vas\xE1rnap"};

constexpr std::array<std::string_view, 8> day_names_upper{
    "", "H\xC9TF\xD5", "KEDD", "SZERDA", "CS\xDCT\xD6RT\xD6K", "P\xC9NTEK", "SZOMBAT", "VAS\xC1RNAP"};

char ascii_upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

template <std::size_t N>
int number_from_name(std::string_view text, const std::array<std::string_view, N>& names)
{
    text = text.substr(0, text.find('\0'));
    for (std::size_t k = N - 1; k >= 1; --k) {
        const std::string_view name = names[k];
        if (text.size() > name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < text.size() && same; ++i) same = ascii_upper(text[i]) == name[i];
        if (same) return static_cast<int>(k);
    }
    return 0;
}

}  // namespace

std::string_view month_name(long month)
{
    return month >= 1 && month <= 12 ? month_names[static_cast<std::size_t>(month)] : std::string_view{};
}

std::string_view day_name(long weekday)
{
    return weekday >= 1 && weekday <= 7 ? day_names[static_cast<std::size_t>(weekday)] : std::string_view{};
}

std::string_view date_month_name(date_value date) { return month_name(date_month(date)); }
std::string_view date_day_name(date_value date) { return day_name(date_day_of_week(date)); }

int month_from_name(std::string_view text) { return number_from_name(text, month_names_upper); }
int weekday_from_name(std::string_view text) { return number_from_name(text, day_names_upper); }

}  // namespace vortel
