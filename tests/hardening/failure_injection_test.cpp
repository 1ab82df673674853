// Every operation that changes files, with each of its system calls failing
// in turn. The operation runs once without a failure, which counts its calls
// and gives the result it intends; then, for every call index, it runs again
// on fresh files with that call failing. Afterwards the table is opened as
// the front-ends open it, which finishes what a failed rebuild left to its
// journal, and the folder must show either the state from before (the
// operation said it failed) or the intended one, never a lost or changed
// record or memo, a table that does not open, or a file left over: appends
// take back what they wrote, and exports leave no part of their output.
#include "commands/cell_store.h"
#include "commands/file_replacement.h"
#include "commands/rebuild_recovery.h"
#include "commands/record_commands.h"
#include "commands/sort_key.h"
#include "commands/structure_change.h"
#include "engine/append_from.h"
#include "engine/create_table.h"
#include "engine/csv_import.h"
#include "engine/export.h"
#include "engine/table_export.h"

#include "engine/tests/table_fixture.h"
#include "platform/fault_injection.h"
#include "runtime/settings.h"
#include "testing/scratch_dir.h"
#include "text/tests/default_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>

namespace vortel {
namespace {

using testing::record_of;

const std::vector<field_list_entry> fields = {{"NAME", 'C', 10, 0}, {"AGE", 'N', 4, 0}, {"NOTE", 'M', 10, 0}};
const std::vector<field_list_entry> source_fields = {{"NOTE", 'M', 10, 0}, {"NAME", 'C', 8, 0}};

std::string long_text(const std::string& seed, std::size_t length)
{
    std::string text;
    while (text.size() < length) text += seed + std::to_string(text.size()) + " ";
    return text;
}

// The table T.DBF (records 2 and 4 deleted, memos of one and of several
// blocks) and the sources the append operations read.
void write_fixture(const testing::scratch_dir& dir)
{
    const std::string path = dir.file("T.DBF");
    testing::write_table(path, fields,
                         {{record_of(fields, {"Eve", "  31"})}, {record_of(fields, {"Adam", "  40"}), true},
                          {record_of(fields, {"Cecil", "   7"})}, {record_of(fields, {"Bob", "  12"}), true},
                          {record_of(fields, {"Dora", "  58"})}});
    testing::put_memos(*testing::open_table(path), 2, {"short memo", "", long_text("three", 1400), long_text("four", 700)});

    const std::string source = dir.file("S.DBF");
    testing::write_table(source, source_fields, testing::records_of(source_fields, {{"", "Zed"}, {"", "Yvonne"}}));
    testing::put_memos(*testing::open_table(source), 0, {long_text("zed", 900), "tiny"});
    testing::write_file(dir.file("S.TXT"), "Xena        3\r\nWalt      101\r\n");
    testing::write_file(dir.file("S.CSV"), "name,Note\r\nXena,\"" + long_text("xena", 900) + "\"\r\nWalt,\r\n");
}

// What the folder holds, as far as data goes: the rows of every table (memo
// texts included), the bytes of other files, and the mere presence of memo
// files, whose contents the rows already show.
using snapshot = std::map<std::string, std::vector<std::string>>;

snapshot take_snapshot(const testing::scratch_dir& dir)
{
    snapshot shot;
    for (const std::string& name : testing::files_in(dir.path())) {
        const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
        if (ext == ".DBF") {
            shot[name] = testing::table_rows(dir.file(name));
        } else if (ext == ".DBT") {
            shot[name] = {"memo file"};
        } else {
            // The HTML page names its own path, which differs per folder.
            std::string bytes = testing::read_file(dir.file(name));
            for (std::size_t at; (at = bytes.find(dir.path())) != std::string::npos;) {
                bytes.replace(at, dir.path().size(), "DIR");
            }
            shot[name] = {bytes};
        }
    }
    return shot;
}

// An operation run on T.DBF (and the sources beside it); true when it says it did what it was asked.
using run_operation = std::function<bool(std::unique_ptr<table_object>& table, const testing::scratch_dir& dir)>;

struct operation { const char* name; run_operation run; };

void PrintTo(const operation& op, std::ostream* out) { *out << op.name; }

// As vortel-cli does: a record that cannot be reached is not changed.
bool on_record(table_object& table, std::int32_t number, const std::function<command_result()>& command)
{
    return go_to(table, number) && command().done;
}

bool stored_memo(table_object& table, std::int32_t number, const std::string& text)
{
    const int note = field_index(table, "NOTE");
    return on_record(table, number, [&] { return store_memo_text(table, current_record(table), note, text); });
}

bool rebuilt(std::unique_ptr<table_object>& table, rebuild_kind kind)
{
    return rebuild_table(table, kind).status == rebuild_status::done;
}

// An export in the format the name says, memos and deleted records included.
bool exported(table_object& table, const std::string& output)
{
    export_options options;
    options.format = *export_format_for(output);
    options.deleted = deleted_records::mark;
    return export_table(table, output, options) == export_written;
}

// The folder of the run, for operations that read or write other files.
using folder = const testing::scratch_dir&;

const std::vector<operation>& operations()
{
    static const std::vector<operation> all = {
        {"set_field",
         [](auto& t, folder) {
             const int name = field_index(*t, "NAME");
             return on_record(*t, 3, [&] { return store_typed_value(*t, current_record(*t), name, "Changed"); });
         }},
        {"append_blank", [](auto& t, folder) { return append_new_record(*t).done; }},
        {"delete_record", [](auto& t, folder) { return on_record(*t, 1, [&] { return toggle_delete(*t); }); }},
        {"recall_record", [](auto& t, folder) { return on_record(*t, 2, [&] { return toggle_delete(*t); }); }},
        {"memo_in_place", [](auto& t, folder) { return stored_memo(*t, 1, "other"); }},
        {"memo_in_new_blocks", [](auto& t, folder) { return stored_memo(*t, 3, long_text("new", 1100)); }},
        {"memo_of_a_record_without_one", [](auto& t, folder) { return stored_memo(*t, 5, "first memo of Dora"); }},
        {"create_table",
         [](auto&, folder dir) {
             return create_table(*table_new(dir.file("NEW.DBF")), {{"CODE", 'C', 4, 0}, {"TEXT", 'M', 10, 0}}) == 1;
         }},
        {"structure_change",
         [](auto& t, folder) {
             return change_structure(t, {{"NAME", 'C', 12, 0}, {"NOTE", 'M', 10, 0}, {"CITY", 'C', 5, 0}}).status ==
                    restructure_status::changed;
         }},
        {"pack", [](auto& t, folder) { return rebuilt(t, rebuild_kind::pack); }},
        {"zap", [](auto& t, folder) { return rebuilt(t, rebuild_kind::zap); }},
        {"sort",
         [](auto& t, folder) { return sort_command(*t, {0}, sort_collation::english).status == sort_status::sorted; }},
        {"append_from_table", [](auto& t, folder dir) { return append_from(*t, dir.file("S.DBF")) == 1; }},
        {"append_from_text", [](auto& t, folder dir) { return append_from(*t, dir.file("S.TXT")) == 1; }},
        {"append_csv",
         [](auto& t, folder dir) {
             csv_import_report report;
             return append_csv(*t, dir.file("S.CSV"), {}, report) == 1;
         }},
        {"export_text", [](auto& t, folder dir) { return export_text(*t, dir.file("OUT.TXT")) == 1; }},
        {"export_html",
         [](auto& t, folder dir) { return export_html(*t, dir.file("OUT.HTM"), "Title", {"Name", "Age"}) == 1; }},
        {"export_csv", [](auto& t, folder dir) { return exported(*t, dir.file("OUT.CSV")); }},
        {"export_jsonl", [](auto& t, folder dir) { return exported(*t, dir.file("OUT.JSONL")); }},
        {"export_xlsx", [](auto& t, folder dir) { return exported(*t, dir.file("OUT.XLSX")); }},
    };
    return all;
}

struct run_result {
    bool done = false;
    snapshot before, after;
    long calls = 0;
    std::string failed_call;
};

// One run on fresh files, with call `fail_at` of `kind` failing (0: none).
run_result run_once(const operation& op, fault_call kind, long fail_at, int error)
{
    testing::scratch_dir dir;
    write_fixture(dir);
    run_result run;
    run.before = take_snapshot(dir);
    auto table = table_new(dir.file("T.DBF"));
    if (!table_open(*table)) throw std::runtime_error("fixture does not open");
    {
        fault_injector injector(kind, fail_at, error);
        run.done = op.run(table, dir);
        run.calls = injector.calls();
        run.failed_call = injector.fired_call();
    }
    table.reset();
    (void)recover_interrupted_rebuild(dir.file("T.DBF"));
    run.after = take_snapshot(dir);
    return run;
}

// Why the state after a run is wrong, or "" when it is acceptable. A failed
// change that reached the files whole although a later call failed, such as
// the memo file's next-free number not being advanced after the memo and its
// record were written, loses nothing.
std::string judge(const run_result& run, const snapshot& intended)
{
    if (run.done) return run.after == intended ? "" : "reported success but the result differs";
    if (run.after == run.before || run.after == intended) return "";
    return "failed and left neither the old state nor the intended one";
}

std::string describe(const snapshot& shot)
{
    std::string text;
    for (const auto& [name, rows] : shot) {
        text += "  " + name + ":\n";
        for (const std::string& row : rows) text += "    " + row.substr(0, 70) + "\n";
    }
    return text;
}

class failure_injection_test : public testing_support::with_default_settings,
                               public ::testing::WithParamInterface<operation> {};

TEST_P(failure_injection_test, every_failing_call_leaves_the_old_or_the_intended_state)
{
    const operation& op = GetParam();
    // Any call failing with an I/O error, and locks refused as when another
    // process holds them.
    for (const auto& [kind, error] : {std::pair{fault_call::any, EIO}, std::pair{fault_call::lock, EAGAIN}}) {
        const run_result reference = run_once(op, kind, 0, 0);
        ASSERT_TRUE(reference.done) << op.name << " fails without any injected failure";
        ASSERT_GT(reference.calls, 0);
        ASSERT_NE(reference.after, reference.before) << op.name << " changes nothing";
        long reported_failures = 0, unchanged = 0;
        for (long n = 1; n <= reference.calls; ++n) {
            const run_result run = run_once(op, kind, n, error);
            ASSERT_FALSE(run.failed_call.empty()) << "call " << n << " was never made: the calls vary between runs";
            reported_failures += run.done ? 0 : 1;
            unchanged += run.after == run.before ? 1 : 0;
            const std::string fault = judge(run, reference.after);
            EXPECT_EQ(fault, "") << op.name << ": call " << n << " of " << reference.calls << " (" << run.failed_call
                                 << ", errno " << error << ")\nbefore:\n"
                                 << describe(run.before) << "after:\n"
                                 << describe(run.after) << "intended:\n"
                                 << describe(reference.after);
        }
        std::cout << op.name << ": " << reference.calls << " calls failed in turn (errno " << error << "), "
                  << reported_failures << " reported as failures, " << unchanged << " left the files unchanged\n";
    }
}

INSTANTIATE_TEST_SUITE_P(operations, failure_injection_test, ::testing::ValuesIn(operations()),
                         [](const ::testing::TestParamInfo<operation>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace vortel
