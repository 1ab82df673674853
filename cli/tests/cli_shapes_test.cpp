// Tables in the shapes other programs write, and damaged ones: per shape,
// what `list`, a change (`set`) and `structure` do. The open and the
// structure listing judge alike, so each shape names one reason for both.
#include "cli/tests/cli_run.h"
#include "engine/tests/table_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace vortel {
namespace {

using testing::read_file;
using testing::record_of;
using testing::write_file;
using testing::run_cli_with;

// A memo file whose block 2 holds `text`, the next free block 3.
std::string memo_file_with(const std::string& text)
{
    std::string bytes(1024, '\0');
    bytes[0] = 3;
    bytes[16] = 3;
    return bytes + text + "\x1A\x1A";
}

enum class opens { writable, read_only, refused };

struct shape {
    const char* what;  // the shape, and which programs write it
    const char* table_name;
    std::function<void(const std::string& path)> write;
    opens outcome;
    std::string reason;          // why read-only or refused, as both the open and structure say it
    std::vector<std::vector<std::string>> listed;  // each listed record's field cells, trimmed
    int column;                  // the field `set` changes in record 1, counted from 0
    std::string value;
    std::string shown_after;     // that cell as listed after the change
};

const std::vector<field_list_entry> memo_fields = {{"NAME", 'C', 6, 0}, {"NOTE", 'M', 10, 0}};
const std::vector<field_list_entry> plain_fields = {{"NAME", 'C', 6, 0}, {"AGE", 'N', 3, 0}};

void three_people(const std::string& path)
{
    testing::write_table(path, plain_fields, testing::records_of(plain_fields, {{"Anna", " 30"}, {"Bela", " 41"}, {"Cili", " 52"}}));
}

// Three people with `bytes` written over the file at `offset`.
std::function<void(const std::string&)> three_people_patched(std::size_t offset, std::string bytes)
{
    return [=](const std::string& path) {
        three_people(path);
        testing::patch_file(path, offset, bytes);
    };
}

// A table of one record.
std::function<void(const std::string&)> one_record(std::vector<field_list_entry> fields, std::vector<std::string> values)
{
    return [=](const std::string& path) { testing::write_table(path, fields, {{record_of(fields, values)}}); };
}

// A memo table written whole under `memo_name`, beside the table.
std::function<void(const std::string&)> memo_table_with_memo_file(const std::string& memo_name)
{
    return [memo_name](const std::string& path) {
        testing::write_table(path, memo_fields, {{record_of(memo_fields, {"Anna", "         2"})}});
        std::remove(dbt_file_name(path).c_str());
        write_file(path.substr(0, path.rfind('/') + 1) + memo_name, memo_file_with("hello"));
    };
}

std::vector<std::vector<std::string>> listed_cells(const std::string& out)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);  // the captions
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream parts(line);
        for (std::string cell; std::getline(parts, cell, '\t');) {
            const std::size_t first = cell.find_first_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
        }
        // The record number and the deleted mark go; the fields stay.
        rows.push_back(std::vector<std::string>(cells.begin() + 2, cells.end()));
    }
    return rows;
}

TEST(cli_shapes_test, open_list_change_and_structure_agree_on_every_shape)
{
    const std::vector<shape> shapes = {
        {"python3-dbf and most Unix tools: lower-case names, the memo file pd.dbt", "pd.dbf",
         memo_table_with_memo_file("pd.dbt"), opens::writable, "", {{"Anna", "<-MEMO->"}}, 0, "Zoe", "Zoe"},
        {"a memo file named in the other letter case", "pd.dbf", memo_table_with_memo_file("PD.DBT"), opens::writable,
         "", {{"Anna", "<-MEMO->"}}, 0, "Zoe", "Zoe"},
        {"shapefile tables from GIS programs: F(19,11), the decimals in byte 17 as for N", "SHAPE.DBF",
         [](const std::string& path) {
             one_record({{"AREA", 'N', 19, 11}, {"CODE", 'C', 2, 0}}, {"      1.25000000000", "HU"})(path);
             testing::patch_file(path, 32 + 11, "F");
         },
         opens::writable, "", {{"1.25000000000", "HU"}}, 0, "2,5", "2.50000000000"},
        {"a character field of 300 before another field, its length's high byte in byte 17", "LONG.DBF",
         one_record({{"TEXT", 'C', 300, 0}, {"CODE", 'C', 2, 0}}, {std::string(299, 'x') + "y", "HU"}),
         opens::writable, "", {{std::string(299, 'x') + "y", "HU"}}, 1, "AT", "AT"},
        {"a date field stored with length 3: dates take 8, so the fields after it do not fit", "SHORT.DBF",
         one_record({{"BORN", 'D', 3, 0}, {"CODE", 'C', 2, 0}}, {"202", "HU"}),
         opens::refused, "the date field BORN is 3 characters long, but dates take 8", {}, 0, "", ""},
        {"a dBase IV table", "FOUR.DBF", three_people_patched(0, "\x8B"), opens::read_only,
         "a dBase IV table (version 0x8B): shown read-only", {{"Anna", "30"}, {"Bela", "41"}, {"Cili", "52"}}, 0, "Zoe", ""},
        {"a version byte no dBase-family program writes", "ODD.DBF", three_people_patched(0, "\x7F"), opens::refused,
         "version byte 0x7F: not a dBase III table", {}, 0, "", ""},
        {"a copy cut short: the header counts 3 records, the file holds 2 and a half", "CUT.DBF",
         [](const std::string& path) {
             three_people(path);
             write_file(path, read_file(path).substr(0, read_file(path).size() - 5));
         },
         opens::read_only, "the header says 3 records but the file holds 2; vortel-cli repair writes the count the file holds",
         {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", ""},
        {"an append killed before its count: 2 records counted, 3 in the file", "KILLED.DBF",
         three_people_patched(4, std::string("\x02", 1)), opens::read_only,
         "the header says 2 records but the file holds 1 more after them; vortel-cli repair writes the count the file "
         "holds",
         {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", ""},
        {"an end-of-file mark and a partial record after the counted ones are no records", "TAIL.DBF",
         [](const std::string& path) {
             three_people_patched(4, std::string("\x02", 1))(path);
             write_file(path, read_file(path).substr(0, read_file(path).size() - 10) + "\x1A");
         },
         opens::writable, "", {{"Anna", "30"}, {"Bela", "41"}}, 0, "Zoe", "Zoe"},
    };

    for (const shape& s : shapes) {
        SCOPED_TRACE(s.what);
        testing::scratch_dir dir;
        const std::string path = dir.file(s.table_name);
        s.write(path);

        const auto structure = run_cli_with({"structure", path});
        const std::size_t read_only_line = structure.out.find("Read-only    : ");
        const auto list = run_cli_with({"list", path});
        if (s.outcome == opens::refused) {
            EXPECT_EQ(list.errors, "Can't open : " + path + "\n" + s.reason + "\n");
            EXPECT_EQ(structure.status, 1);
            EXPECT_EQ(structure.errors, path + ": " + s.reason + "\n");
            continue;
        }
        EXPECT_EQ(list.errors, "");
        EXPECT_EQ(listed_cells(list.out), s.listed);
        EXPECT_EQ(structure.status, 0) << structure.errors;
        if (s.outcome == opens::writable) {
            EXPECT_EQ(read_only_line, std::string::npos) << structure.out;
        } else {
            EXPECT_NE(structure.out.find("Read-only    : " + s.reason + "\n"), std::string::npos) << structure.out;
        }

        const std::string before = read_file(path);
        const auto change = run_cli_with({"set", path, "1", "#" + std::to_string(s.column + 1), s.value});
        if (s.outcome == opens::read_only) {
            EXPECT_EQ(change.errors, "The table is read-only: " + s.reason + "\n");
            EXPECT_EQ(read_file(path), before);
            continue;
        }
        EXPECT_EQ(change.errors, "");
        const auto after = listed_cells(run_cli_with({"list", path}).out);
        ASSERT_FALSE(after.empty()) << "the change left nothing to list";
        EXPECT_EQ(after.front().at(static_cast<std::size_t>(s.column)), s.shown_after);
    }
}

}  // namespace
}  // namespace vortel
