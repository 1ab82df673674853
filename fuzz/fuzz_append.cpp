// Appending arbitrary text lines to a small real table: every line becomes
// one record, whatever bytes it holds, and the table stays readable.
//
// The input is the text file. The table (character, number with decimals,
// date, logical and memo fields) is made once with create_table and put back
// from its bytes before every input, so each run starts empty.
#include "engine/append_from.h"
#include "engine/table.h"
#include "fuzz/empty_target_table.h"
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace vortel;

constexpr std::size_t name_length = fuzz::target_name_length;
// Records checked one by one; the count covers the rest.
constexpr std::int32_t records_checked = 64;

// Lines as the importer reads them: each ends at a CR LF, or at an LF in a
// text that holds no CR LF at all, and bytes after the last line end make
// one more line.
std::vector<std::string_view> lines_of(std::string_view text)
{
    const std::string_view end = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string_view::npos; start = at + end.size()) {
        lines.push_back(text.substr(start, at - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool opens_as_table(const std::string& name)
{
    table_object table(name);
    return table_open(table, 0) == 1;
}

// The first field's stored text: the line's first bytes, up to a zero byte.
std::string expected_name(std::string_view line)
{
    const std::string_view name = line.substr(0, name_length);
    return std::string(name.substr(0, name.find('\0')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    settings_restore_defaults();
    // Lines pass as stored bytes; so do the texts read back: the table is
    // made, and read, in the program's own code page.
    setting_by_index(SET_OEMTOANSI, "0");
    const std::string dbf_name = fuzz::scratch_folder() + "A.DBF";
    const std::string source = fuzz::scratch_folder() + "SOURCE.TXT";
    fuzz::write_empty_target_table(dbf_name);
    fuzz::write_file(source, text);

    // A text that opens as a table, of any version the program reads, is
    // appended as a table; one that begins as a dBase III table does but
    // does not open is refused.
    const bool looks_like_table = opens_as_table(source) ||
                                  (!text.empty() && (text[0] == static_cast<char>(dbf_version_plain) ||
                                                     text[0] == static_cast<char>(dbf_version_with_memo)));
    table_object table(dbf_name);
    if (!table_open(table)) fuzz::fail("the empty table does not open");
    const int appended = append_from(table, source);
    const std::vector<std::string_view> lines = lines_of(text);
    // Text lines append whole unless a field refuses a line's value, which
    // is said with the line's number.
    const bool refused = !appended && table.failure.starts_with("Line ");
    if (!looks_like_table && !refused) {
        if (!appended) fuzz::fail("appending text lines failed");
        if (record_count(table) != std::ssize(lines)) fuzz::fail("the records are not the text's lines");
    }
    for (go_top(table); !at_eof(table) && current_record(table) <= records_checked; skip(table, 1)) {
        for (int i = 0; i < field_count(table); ++i) {
            const std::string value = field_text(table, i);
            if (field_type(table, i) == 'M') (void)memo_read(table, value);
        }
        const auto line = static_cast<std::size_t>(current_record(table) - 1);
        if (!looks_like_table && !refused && field_text(table, 0) != expected_name(lines.at(line))) {
            fuzz::fail("a record does not hold its line's bytes");
        }
        if (current_record(table) == record_count(table)) break;
    }
    return 0;
}
