#include "cli/structure_command.h"

#include "engine/dbf_format.h"
#include "platform/codepage.h"

#include <cstdio>
#include <ostream>

namespace vortel {

int print_structure(const std::string& path, std::ostream& out, std::ostream& errors)
{
    file_handle table(path, 512);
    dbf_header header;
    if (!fh_open(table, access_read, share_read | share_write, file_creation::open_existing) ||
        !read_dbf_header(table, header)) {
        errors << "Can't open : " << path << "\n";
        return 1;
    }
    const int field_count = field_count_for_header_length(header.header_length);
    std::vector<field_descriptor> fields;
    if (!read_field_descriptors(table, field_count, fields)) {
        errors << path << ": the field descriptors run past the end of the file\n";
        return 1;
    }

    char line[160];
    std::snprintf(line, sizeof line, "Version      : 0x%02X%s\n", header.version,
                  header.version == dbf_version_with_memo ? " (with memo file)"
                  : header.version == dbf_version_plain  ? ""
                                                         : " (not a dBase III table)");
    out << "Table        : " << path << "\n" << line;
    std::snprintf(line, sizeof line, "Last update  : %02d.%02d.%02d\nRecords      : %ld\n", header.update_year,
                  header.update_month, header.update_day, static_cast<long>(header.record_count));
    out << line;
    std::snprintf(line, sizeof line, "Header length: %d\nRecord length: %d\n", header.header_length,
                  header.record_length);
    out << line << "\n  #  Name        Type  Length  Dec\n";
    for (int i = 0; i < field_count; ++i) {
        field_descriptor field = fields[static_cast<std::size_t>(i)];
        normalise_date_length(field);
        std::string name = ansi_to_utf8(descriptor_name(field));
        std::snprintf(line, sizeof line, "%3d  %-10s  %c     %6d  %3d\n", i + 1, name.c_str(),
                      descriptor_type(field), descriptor_length(field), descriptor_decimals(field));
        out << line;
    }
    if (std::string problem = dbf_layout_problem(header, fields, fh_size(table)); !problem.empty()) {
        errors << path << ": " << problem << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vortel
