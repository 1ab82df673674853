#include "commands/table_info.h"

#include "engine/table.h"
#include "platform/error_text.h"

#include <algorithm>
#include <cstdio>

namespace vortel {
namespace {

constexpr const char* rule = "--- ---------- ---- --- -------";

// What snprintf put into `line`, never more than the buffer holds.
template <std::size_t size>
std::string written_text(const char (&line)[size], int written)
{
    return std::string(line, written <= 0 ? 0 : std::min(static_cast<std::size_t>(written), size - 1));
}

std::string field_line(int number, const field_information& field)
{
    // A damaged descriptor may hold a zero type byte; it must not end the text.
    const char type = field.type ? field.type : ' ';
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%3d %-10s %c    %3d     %3d", number, field.name.c_str(),
                                     type, field.length, field.decimals);
    return written_text(line, length);
}

std::string record_length_line(long length)
{
    char line[64];
    const int written = std::snprintf(line, sizeof line, "The record length %5ld bytes.", length);
    return written_text(line, written);
}

}  // namespace

std::string table_info_text(const table_object& table)
{
    const std::string end = "\r\n";
    // The path is a file-system name; the text is the program's own.
    std::string text = "Table name : " + file_name_text(table_file_name(table)) + end;
    text += "Code page  : " + code_page_description(table.codepage) + end;
    if (is_read_only(table)) text += "Read-only  : " + table.read_only + end;
    text += rule + end;
    text += "    Fieldname  Type Len Decimal" + end;
    text += rule + end;
    text += "  0 delete flag       1" + end;
    text += rule + end;
    long record_length = 1;
    for (int i = 0; i < field_count(table); ++i) {
        const field_information field = field_info(table, i);
        text += field_line(i + 1, field) + end;
        record_length += field.length;
    }
    text += end;
    text += record_length_line(record_length) + end;
    return text;
}

}  // namespace vortel
