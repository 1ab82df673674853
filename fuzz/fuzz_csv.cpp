// Appending an arbitrary CSV file to a small real table: whatever the file
// holds, the append either adds the rows it reports, every field readable,
// or refuses and leaves the table's files as they were.
//
// The input's first byte chooses what the user would give (the answer to
// a refused value, the encoding, the delimiter); the rest is the file. The
// table (character, number with decimals, date, logical and memo fields)
// is made once with create_table and put back from its bytes before every
// input, so each run starts empty.
#include "engine/csv_import.h"
#include "engine/dbf_format.h"
#include "engine/table.h"
#include "fuzz/empty_target_table.h"
#include "fuzz/fuzz_support.h"
#include "runtime/settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vortel;

csv_import_options options_of(std::uint8_t flags)
{
    constexpr csv_on_error answers[] = {csv_on_error::stop, csv_on_error::skip, csv_on_error::blank,
                                        csv_on_error::stop};
    constexpr csv_encoding encodings[] = {csv_encoding::detect, csv_encoding::utf8, csv_encoding::cp1250,
                                          csv_encoding::cp852};
    constexpr char delimiters[] = {0, ',', ';', '\t'};
    csv_import_options options;
    options.on_error = answers[flags & 3];
    options.encoding = encodings[(flags >> 2) & 3];
    options.delimiter = delimiters[(flags >> 4) & 3];
    options.date_layout = "YYYY.MM.DD";
    // Small enough that the fuzzer reaches the limit.
    options.longest_value = 4096;
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    settings_restore_defaults();
    setting_by_index(SET_OEMTOANSI, (data[0] & 0x40) != 0 ? "1" : "0");
    const fuzz::empty_table& empty = fuzz::empty_target_table();
    const std::string dbf_name = fuzz::scratch_folder() + "A.DBF";
    const std::string source = fuzz::scratch_folder() + "SOURCE.CSV";
    fuzz::write_empty_target_table(dbf_name);
    fuzz::write_file(source, text);

    const csv_import_options options = options_of(data[0]);
    csv_import_report report;
    int appended = 0;
    {
        table_object table(dbf_name);
        if (!table_open(table)) fuzz::fail("the empty table does not open");
        appended = append_csv(table, source, options, report);
    }
    if (!appended) {
        if (fuzz::read_file(dbf_name) != empty.dbf || fuzz::read_file(dbt_file_name(dbf_name)) != empty.dbt) {
            fuzz::fail("a refused append changed the table");
        }
        return 0;
    }
    if (options.on_error == csv_on_error::stop && (report.skipped != 0 || report.blanked != 0)) {
        fuzz::fail("an append told to stop skipped or blanked values");
    }
    table_object table(dbf_name);
    if (!table_open(table)) fuzz::fail("the appended table does not open");
    if (record_count(table) != report.appended) fuzz::fail("the table does not hold the rows the append reported");
    for (go_top(table); !at_eof(table); skip(table, 1)) {
        for (int i = 0; i < field_count(table); ++i) {
            const std::string value = field_text(table, i);
            if (field_type(table, i) == 'M') (void)memo_read(table, value);
        }
        if (current_record(table) == record_count(table)) break;
    }
    return 0;
}
