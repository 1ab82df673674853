// A table file and optionally its memo file read through SQL: every column
// of every record, the record-number pushdown and a filter. A damaged table
// must give rows or a refusal, never a crash, and reading must not change a
// byte of either file.
//
// Input: a flags byte, the table file's length (two bytes, little-endian),
// the table file, then the memo file.
//   bit 0: there is a memo file
//   bit 1: deleted records are hidden
//   bit 2: SET_OEMTOANSI is on
#include "engine/table.h"
#include "fuzz/fuzz_support.h"
#include "query/record_filter.h"
#include "query/sql_session.h"
#include "runtime/settings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

using namespace vortel;

// Every value of every row is looked at, so that a value the module made
// from damaged bytes is used as a caller would.
std::size_t run_all(sql_session& session, std::string_view statement)
{
    std::size_t seen = 0;
    const sql_row_sink sink{[](std::span<const std::string>) { return true; },
                            [&seen](std::span<const sql_value> values) {
                                for (const sql_value& value : values) seen += value.text.size();
                                return ++seen < 100000;
                            }};
    std::string refusal;
    (void)session.run(statement, sink, refusal);
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::table_input in;
    if (!fuzz::split_table_input(std::span<const std::uint8_t>(data, size), in)) return 0;
    const std::uint8_t flags = in.flags;

    const std::string dbf_name = fuzz::scratch_folder() + "Q.DBF";
    const std::string dbt_name = fuzz::scratch_folder() + "Q.DBT";
    fuzz::write_file(dbf_name, in.dbf);
    if (in.with_memo_file()) {
        fuzz::write_file(dbt_name, in.dbt);
    } else {
        fuzz::remove_file(dbt_name);
    }
    settings_restore_defaults();
    setting_by_index(SET_OEMTOANSI, (flags & 4) != 0 ? "1" : "0");
    const std::string dbf_before = fuzz::read_file(dbf_name);
    const std::string dbt_before = fuzz::read_file(dbt_name);

    {
        auto table = table_new(dbf_name);
        if (!table_open(*table, 0)) return 0;
        table->navigation.hide_deleted = (flags & 2) != 0;
        sql_session session;
        std::string refusal;
        if (!session.add_table(*table, "Q", record_scope::as_navigated, refusal)) return 0;
        run_all(session, "SELECT _recno, _deleted, * FROM Q");
        run_all(session, "SELECT * FROM Q WHERE _recno BETWEEN 2 AND 3 ORDER BY _recno DESC");
        run_all(session, "SELECT COUNT(*), MIN(_recno), MAX(_recno) FROM Q WHERE _recno > 1");
        (void)records_matching(
            *table, "_recno % 2 = 1", [](std::int32_t, std::int32_t) { return true; }, refusal);
        table_close(*table);
    }
    if (fuzz::read_file(dbf_name) != dbf_before || fuzz::read_file(dbt_name) != dbt_before) {
        fuzz::fail("reading through SQL changed a byte of the table's files");
    }
    return 0;
}
