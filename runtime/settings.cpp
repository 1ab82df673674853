#include "runtime/settings.h"

#include <array>

namespace vortel {
namespace {

struct setting_default {
    std::string_view name;
    std::string_view value;
};

// Entries 6 and 7 are Windows-1250 bytes: ö ü ó ő ú é á ű í and their capitals.
constexpr std::array<setting_default, setting_count> defaults{{
    {"SET_DECIMAL", "4"},
    {"SET_DATEFORMAT", "YYYY.MM.DD"},
    {"SET_USER", ""},
    {"SET_NUMLEN", "19"},
    {"SET_SOFTSEEK", "0"},
    {"SET_DELETED", "0"},
    {"SET_HUN_LOWER", "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED"},
    {"SET_HUN_UPPER", "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD"},
    {"SET_HUN_CMP", "1"},
    {"SET_CEGNEV", ""},
    {"SET_VAROS", ""},
    {"SET_UTCA", ""},
    {"SET_IRSZ", ""},
    {"SET_TELEFON", ""},
    {"SET_TELEFAX", ""},
    {"SET_ADOSZAM", ""},
    {"SET_BANKSZAM", ""},
    {"SET_PRINTER_TO", "LPT1"},
    {"SET_TOOLBARX", "42"},
    {"SET_TOOLBARY", "42"},
    {"SET_TIZEDESJEL", "."},
    {"SET_EZRESSEP", ","},
    {"SET_OEMTOANSI", "1"},
    {"SET_852TO437", "1"},
    {"SET_FIELDSEP", "`"},
    {"SET_CHAR_DELIMITER", "'"},
    {"SET_DATE", ""},
    {"SET_EV", ""},
    {"SET_TBTOR", ""},
    {"SET_ADOJEL", ""},
    {"SET_KSH", ""},
    {"SET_LAND_WIDTH_ZOOM", "1"},
    {"SET_LAND_HEIGHT_ZOOM", "2"},
    {"SET_LAND_WIDTH_UNZOOM", "1.45"},
    {"SET_LAND_HEIGHT_UNZOOM", "1.45"},
    {"SET_PORT_WIDTH_ZOOM", "1.40"},
    {"SET_PORT_HEIGHT_ZOOM", "1.8"},
    {"SET_PORT_WIDTH_UNZOOM", "1.3"},
    {"SET_PORT_HEIGHT_UNZOOM", "1.3"},
    {"SET_GET_WRITE", "1"},
    {"SET_GET_BACK", "16777215"},
    {"SET_GET_CURRENT_WRITE", "255"},
    {"SET_GET_CURRENT_BACK", "65535"},
    {"SET_GET_BKMODE", "TRANSPARENT"},
    {"SET_GET_COLOR", "TRUE"},
    {"SET_GET_FONT", "Courier New"},
    {"SET_GET_SAY_FONT", "Courier New"},
    {"SET_GET_FONT_TYPE", "BOLD"},
    {"SET_SEARCH_MODE", "FIRST"},
    {"SET_GET_ST_FONT", "Courier New"},
    {"SET_GET_ST_TYPE", "800"},
    {"SET_GET_ST_COLOR", "255"},
}};

std::array<std::string, setting_count>& values()
{
    static std::array<std::string, setting_count> current = [] {
        std::array<std::string, setting_count> initial;
        for (int i = 0; i < setting_count; ++i) initial[i] = std::string(defaults[i].value);
        return initial;
    }();
    return current;
}

}  // namespace

bool setting_value_fits(std::string_view value)
{
    return value.size() <= setting_value_max;
}

std::string setting_by_index(int index, std::string_view new_value)
{
    if (index < 0 || index >= setting_count) return {};
    std::string& entry = values()[index];
    std::string old = entry;
    if (!new_value.empty() && setting_value_fits(new_value)) entry = std::string(new_value);
    return old;
}

std::string_view setting_name(int index)
{
    if (index < 0 || index >= setting_count) return {};
    return defaults[index].name;
}

int setting_index_of(std::string_view name)
{
    for (int i = 0; i < setting_count; ++i) {
        if (defaults[i].name == name) return i;
    }
    return -1;
}

std::string setting_by_name(std::string_view name, std::string_view new_value)
{
    return setting_by_index(setting_index_of(name), new_value);
}

void settings_restore_defaults()
{
    for (int i = 0; i < setting_count; ++i) values()[i] = std::string(defaults[i].value);
}

}  // namespace vortel
