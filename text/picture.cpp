#include "text/picture.h"

#include <algorithm>
#include <cstddef>

#include "runtime/settings.h"
#include "text/picture_number.h"
#include "text/text_case.h"
#include "text/text_ops.h"

namespace vortel {
namespace {

char decimal_sign()
{
    const std::string sign = setting_by_index(SET_TIZEDESJEL);
    return sign.empty() ? '.' : sign.front();
}

// Lays the stored digits YYYYMMDD out by SET_DATEFORMAT. A partly typed date
// uses only as many format positions as its digits have reached, so the
// separators appear as the user types.
std::string format_date_picture(std::string_view raw)
{
    if (raw.empty()) return {};
    const std::string layout = setting_by_index(SET_DATEFORMAT);
    const std::size_t n = raw.size();
    const std::size_t positions = std::min(layout.size(), n <= 4 ? n : n <= 6 ? n + 1 : n + 2);

    // Each placeholder letter takes the next digit of its own part. A digit the
    // value does not (yet) have shows as a blank, keeping the layout intact.
    struct part {
        std::size_t next;
        std::size_t end;
    };
    part year{0, 4};
    part month{4, 6};
    part day{6, 8};
    auto take = [&](part& p) {
        const char c = p.next < p.end && p.next < n ? raw[p.next] : ' ';
        ++p.next;
        return c;
    };

    std::string shown;
    for (std::size_t i = 0; i < positions; ++i) {
        switch (layout[i]) {
        case 'Y': shown += take(year); break;
        case 'M': shown += take(month); break;
        case 'D': shown += take(day); break;
        default: shown += layout[i]; break;
        }
    }
    return shown;
}

char string_template_char(char slot, char c)
{
    switch (slot) {
    case '!': return char_upper(c);
    case 'A': return is_digit(c) ? '.' : c;
    case '#': return is_digit(c) || c == '-' || c == ' ' ? c : '.';
    case '9': return is_digit(c) || c == '-' ? c : ' ';
    case 'N': return is_letter_or_digit(c) ? c : '.';
    case 'L': return c == 'T' ? 'I' : 'N';
    default: return c;
    }
}

std::string format_string_picture(std::string& raw, std::string_view picture)
{
    const std::size_t blank = picture.find(' ');
    const std::string_view functions = picture.substr(0, blank);
    const std::string_view layout = blank == std::string_view::npos ? std::string_view{} : picture.substr(blank + 1);
    if (functions.find('!') != std::string_view::npos) raw = text_upper(raw);

    std::size_t width = 0;
    for (std::size_t i = 2; i < functions.size() && is_digit(functions[i]); ++i) {
        width = std::min<std::size_t>(width * 10 + static_cast<std::size_t>(functions[i] - '0'), picture_width_max);
    }

    std::string shown;
    std::size_t v = 0;
    for (std::size_t t = 0; t < layout.size() && v < width && v < raw.size(); ++t) {
        const char slot = layout[t];
        if (slot == ',' || slot == '-' || slot == '.') {
            shown += slot;  // an inserted literal; the value character waits
        } else {
            shown += string_template_char(slot, raw[v++]);
        }
    }
    // Counting on from the template's length, not from what was written: a
    // value that ran out inside the template is not padded for the rest of it.
    std::size_t count = layout.size();
    for (; count < width && v < raw.size(); ++count) shown += raw[v++];
    if (count < width) shown.append(width - count, ' ');
    return shown;
}

}  // namespace

std::string picture_format(std::string& raw, std::string_view picture)
{
    if (picture.starts_with("@D")) return format_date_picture(raw);
    if (picture.starts_with("@N ")) return format_number_template(raw, picture, decimal_sign());
    if (picture.starts_with("@L")) return !raw.empty() && raw.front() == 'T' ? "I" : "N";
    if (picture.starts_with("@S")) return format_string_picture(raw, picture);
    return raw;
}

std::string picture_strip(std::string_view edited, std::string_view picture)
{
    std::string stored;
    if (picture.starts_with("@N")) {
        const char point = decimal_sign();
        for (const char c : edited) {
            if (is_digit(c) || c == point || (c == '-' && stored.empty())) stored += c;
        }
    } else if (picture.starts_with("@D")) {
        for (const char c : edited) {
            if (is_digit(c) && stored.size() < 8) stored += c;
        }
    } else {
        stored = edited;
    }
    return stored;
}

}  // namespace vortel
