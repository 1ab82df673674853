// Pictures and date texts over arbitrary texts, under arbitrary date layouts
// and decimal signs: a picture or a typed text never crashes the program,
// and a date read from a text is written and read again unchanged.
//
// Input: the decimal sign (one byte), then up to three parts separated by
// line feeds: the picture, the text, and the date layout (SET_DATEFORMAT).
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"
#include "text/date_value.h"
#include "text/picture.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vortel;

std::string_view next_part(std::string_view& rest)
{
    const std::size_t end = rest.find('\n');
    const std::string_view part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return part;
}

void check_date(std::string_view text)
{
    const date_value date = date_parse(text);
    std::string cut(text);
    if (date_parse_in_place(cut) != date) fuzz::fail("date_parse_in_place reads another date");
    // Years below 100 are read as 1900-1999 by design, so only later dates
    // survive the trip through their stored digits.
    if (!date_is_valid(date) || date_year(date) < 100) return;
    if (date_parse(date_to_dbf(date)) != date) fuzz::fail("a date does not survive its stored digits");
    if (date_parse(date_to_dash(date)) != date) fuzz::fail("a date does not survive its dashed text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view picture = next_part(rest);
    const std::string_view text = next_part(rest);
    const std::string_view layout = next_part(rest);

    settings_restore_defaults();
    setting_by_index(SET_TIZEDESJEL, std::string(1, static_cast<char>(data[0])));
    if (!layout.empty() && setting_value_fits(layout)) setting_by_index(SET_DATEFORMAT, layout);

    std::string raw(text);
    const std::string shown = picture_format(raw, picture);
    (void)picture_strip(shown, picture);
    (void)picture_strip(text, picture);
    check_date(text);
    return 0;
}
