// The sort gives one order whatever its memory: within the budget it orders
// the records in memory, beyond it in runs merged from a scratch file, and
// the copies it writes are the same bytes.
#include "engine/sort_table.h"

#include "engine/table.h"
#include "engine/tests/table_test_base.h"

#include <filesystem>
#include <random>

namespace vortel {
namespace {

const std::vector<field_list_entry> fields = {{"NAME", 'C', 6, 0}, {"CITY", 'C', 3, 0}, {"N", 'N', 5, 0}};
constexpr std::size_t record_length = 1 + 6 + 3 + 5;

// The table's records sorted by `key` into a copy of its file under
// `budget`; the copy's bytes, or "" when the sort failed.
std::string sorted_copy(testing::scratch_dir& dir, const std::string& table_path, const std::vector<int>& key,
                        std::size_t budget)
{
    const std::string copy_path = dir.file("COPY.DBF");
    std::filesystem::copy_file(table_path, copy_path, std::filesystem::copy_options::overwrite_existing);
    const std::unique_ptr<table_object> table = table_new(table_path);
    std::unique_ptr<table_object> copy = table_new(copy_path);
    if (!table_open(*table) || !table_open(*copy) || !lock_table(*table)) return "";
    const int sorted = write_sorted_records(*table, key, copy->dbf, budget);
    unlock(*table);
    copy.reset();
    return sorted ? testing::read_file(copy_path) : "";
}

using sort_table = testing::table_test_base;

TEST_F(sort_table, every_memory_budget_gives_the_bytes_of_the_sort_in_memory)
{
    // Few distinct names and cities, so that equal keys are many and their
    // order (the file's) is tested across runs; accented names fold.
    const char* names[] = {"Anna", "\xC1" "gi", "agi", "Bea", "Zoe", "", "Anna  "};
    const char* cities[] = {"Pec", "Gy\xF5", "", "Ab"};
    std::mt19937 random(11);
    std::vector<testing::fixture_record> records;
    for (int i = 0; i < 3000; ++i) {
        records.push_back({testing::record_of(fields, {names[random() % 7], cities[random() % 4], std::to_string(i)}),
                           i % 9 == 4});
    }
    testing::write_table(path, fields, records);

    for (const char* hungarian : {"0", "1"}) {
        setting_by_index(SET_HUN_CMP, hungarian);
        for (const std::vector<int>& key : {std::vector<int>{0}, std::vector<int>{1, 0}}) {
            const std::string in_memory = sorted_copy(dir, path, key, sort_memory_budget_default);
            ASSERT_FALSE(in_memory.empty());
            ASSERT_NE(in_memory, testing::read_file(path)) << "the records were in no order before";
            const std::size_t per_record = record_length + 28;
            // One record a run, a few a run, and runs of a few hundred.
            for (const std::size_t budget : {per_record, 3 * per_record + 5, std::size_t{4096}, 300 * per_record}) {
                SCOPED_TRACE(std::string("SET_HUN_CMP ") + hungarian + ", key of " + std::to_string(key.size()) +
                             ", budget " + std::to_string(budget));
                EXPECT_TRUE(sorted_copy(dir, path, key, budget) == in_memory);
            }
        }
    }
}

}  // namespace
}  // namespace vortel
