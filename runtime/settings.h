// The settings table: 52 built-in, process-wide text settings.
//
// Every run starts from the built-in defaults; nothing is loaded or saved.
// Texts are Windows-1250 bytes. Callers address most settings by index, so
// the order of the enumeration below is binding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortel {

enum setting_index : int {
    SET_DECIMAL, SET_DATEFORMAT, SET_USER, SET_NUMLEN, SET_SOFTSEEK,
    SET_DELETED, SET_HUN_LOWER, SET_HUN_UPPER, SET_HUN_CMP, SET_CEGNEV,
    SET_VAROS, SET_UTCA, SET_IRSZ, SET_TELEFON, SET_TELEFAX,
    SET_ADOSZAM, SET_BANKSZAM, SET_PRINTER_TO, SET_TOOLBARX, SET_TOOLBARY,
    SET_TIZEDESJEL, SET_EZRESSEP, SET_OEMTOANSI, SET_852TO437, SET_FIELDSEP,
    SET_CHAR_DELIMITER, SET_DATE, SET_EV, SET_TBTOR, SET_ADOJEL,
    SET_KSH, SET_LAND_WIDTH_ZOOM, SET_LAND_HEIGHT_ZOOM, SET_LAND_WIDTH_UNZOOM, SET_LAND_HEIGHT_UNZOOM,
    SET_PORT_WIDTH_ZOOM, SET_PORT_HEIGHT_ZOOM, SET_PORT_WIDTH_UNZOOM, SET_PORT_HEIGHT_UNZOOM, SET_GET_WRITE,
    SET_GET_BACK, SET_GET_CURRENT_WRITE, SET_GET_CURRENT_BACK, SET_GET_BKMODE, SET_GET_COLOR,
    SET_GET_FONT, SET_GET_SAY_FONT, SET_GET_FONT_TYPE, SET_SEARCH_MODE, SET_GET_ST_FONT,
    SET_GET_ST_TYPE, SET_GET_ST_COLOR,
    setting_count
};

// An entry holds at most this many characters. A longer value is refused
// (the entry keeps its old value): cutting it would silently store a
// different setting, such as half a date format. Front-ends that take
// values from users check `setting_value_fits` to report the refusal.
inline constexpr std::size_t setting_value_max = 50;

// Returns the entry's value as it was before the call; then, when
// `new_value` is non-empty and fits, stores it. An empty value therefore only
// reads. An index outside 0..51 yields "" and changes nothing.
std::string setting_by_index(int index, std::string_view new_value = {});

// As `setting_by_index` for the entry whose name equals `name` exactly
// (case-sensitive). An unknown name yields "" and changes nothing.
std::string setting_by_name(std::string_view name, std::string_view new_value = {});

// The name of entry `index`, "" outside the table.
std::string_view setting_name(int index);

// -1 when no entry has this exact name.
int setting_index_of(std::string_view name);

bool setting_value_fits(std::string_view value);

// Puts every entry back to its built-in default, as at program start.
void settings_restore_defaults();

}  // namespace vortel
