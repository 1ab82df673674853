// Hungarian month and weekday names (Windows-1250), and reading them back.
#pragma once

#include <string_view>

#include "text/date_value.h"

namespace vortel {

// "Január" ... "December" for 1-12; empty outside.
std::string_view month_name(long month);
// "Hétfő" (1, Monday) ... "Vasárnap" (7); empty outside.
std::string_view day_name(long weekday);
std::string_view date_month_name(date_value date);
std::string_view date_day_name(date_value date);

// The number of the upper-case name that begins with `text`, compared with
// ASCII letters case-insensitive and accented letters exact. The list is
// searched from its end, so an ambiguous prefix gives the later entry and an
// empty text the last one. 0 when nothing matches.
int month_from_name(std::string_view text);
int weekday_from_name(std::string_view text);

}  // namespace vortel
