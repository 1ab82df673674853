#include "text/csv_field.h"

namespace vortel {

bool csv_needs_quotes(std::string_view field, char delimiter)
{
    for (const char c : field) {
        if (c == delimiter || c == csv_quote || c == '\r' || c == '\n') return true;
    }
    return false;
}

void append_csv_field(std::string& line, std::string_view field, char delimiter)
{
    if (!csv_needs_quotes(field, delimiter)) {
        line += field;
        return;
    }
    line += csv_quote;
    for (const char c : field) {
        if (c == csv_quote) line += csv_quote;
        line += c;
    }
    line += csv_quote;
}

std::string escaped_tab_cell(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

}  // namespace vortel
