#include "cli/structure_command.h"

#include "engine/dbf_format.h"
#include "engine/table_verdict.h"
#include "platform/codepage.h"
#include "platform/error_text.h"

#include <cstdio>
#include <ostream>

namespace vortel {
int print_structure(const std::string& path, std::ostream& out, std::ostream& errors)
{
    file_handle table(path, 512);
    dbf_header header;
    if (!fh_open(table, table_read_only_mode) || !read_dbf_header(table, header)) {
        const bool opened = table.os.is_open();
        errors << "Can't open : " << path << "\n"
               << (opened ? "the file is shorter than a table header (32 bytes)"
                          : ansi_to_utf8(error_text(table.os.last_error())))
               << "\n";
        return 1;
    }
    // The fields are listed as stored, also when the table does not open.
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
    // The year byte counts the years since 1900.
    std::snprintf(line, sizeof line, "Last update  : %04d.%02d.%02d\nRecords      : %ld\n", 1900 + header.update_year,
                  header.update_month, header.update_day, static_cast<long>(header.record_count));
    out << line;
    std::snprintf(line, sizeof line, "Header length: %d\nRecord length: %d\n", header.header_length,
                  header.record_length);
    out << line;

    // The open's own judgement, so that the listing never promises a table
    // the open refuses.
    std::vector<field_descriptor> judged;
    table_verdict verdict = judge_table_file(table, header, judged);
    // Other versions lay their descriptors out their own way: those the
    // judgement read are listed.
    if (verdict.dialect.family != table_family::dbase3 && !judged.empty()) fields = judged;
    if (verdict.refusal.empty() && header.version == dbf_version_with_memo) {
        file_handle memo(dbt_file_name(path), 512);
        verdict.refusal = open_memo_file(memo, path, table_read_only_mode, verdict.read_only_reasons).refusal;
    }
    if (!verdict.read_only_reasons.empty()) {
        out << "Read-only    : " << ansi_to_utf8(joined_reasons(verdict.read_only_reasons)) << "\n";
    }

    out << "\n  #  Name        Type  Length  Dec\n";
    for (int i = 0; i < std::ssize(fields); ++i) {
        field_descriptor field = fields[static_cast<std::size_t>(i)];
        normalise_date_length(field);
        const auto at = static_cast<std::size_t>(i);
        std::string name =
            ansi_to_utf8(at < verdict.long_names.size() ? verdict.long_names[at] : descriptor_name(field));
        std::snprintf(line, sizeof line, "%3d  %-10s  %c     %6d  %3d\n", i + 1, name.c_str(),
                      descriptor_type(field), descriptor_length(field), descriptor_decimals(field));
        out << line;
    }
    if (!verdict.refusal.empty()) {
        errors << path << ": " << ansi_to_utf8(verdict.refusal) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vortel
