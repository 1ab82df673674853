// Timings of the bulk operations, which hold the table lock and may read and
// write in large blocks: each should run near the speed of copying the file.
#include "bench/bench_tables.h"
#include "commands/file_replacement.h"
#include "commands/sort_key.h"
#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/table.h"
#include "testing/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace vortel {
namespace {

constexpr std::int64_t records = 200000;

testing::scratch_dir& folder()
{
    static testing::scratch_dir dir;
    return dir;
}

// A fresh copy of a table of `records` records of 64 bytes, every tenth deleted.
std::string fresh_table()
{
    static std::string original;
    if (original.empty()) {
        original = folder().file("BULK.DBF");
        std::vector<field_list_entry> fields = {{"NAME", 'C', 40, 0}, {"CITY", 'C', 15, 0}, {"N", 'N', 8, 2}};
        std::vector<std::uint8_t> header = encode_new_table_header(fields, 2026, 1, 1);
        for (int i = 0; i < 4; ++i) header[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(records >> (8 * i));
        std::string bytes(header.begin(), header.end());
        for (std::int64_t i = 0; i < records; ++i) {
            char record[80];
            std::snprintf(record, sizeof record, "%c%-40s%-15s%8.2f", i % 10 == 3 ? '*' : ' ',
                          ("name " + std::to_string((i * 7919) % records)).c_str(), "Budapest", i * 0.5);
            bytes.append(record, 64);
        }
        testing::write_file(original, bytes);
    }
    const std::string copy = folder().file("WORK.DBF");
    std::filesystem::copy_file(original, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

template <typename Operation>
void run_on_fresh_tables(benchmark::State& state, Operation operation)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto table = open_bench_table(fresh_table());
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation(*table));
    }
    state.SetItemsProcessed(state.iterations() * records);
}

void export_to_text(benchmark::State& state)
{
    run_on_fresh_tables(state, [](table_object& t) { return export_text(t, folder().file("OUT.TXT")); });
}
BENCHMARK(export_to_text)->Unit(benchmark::kMillisecond);

void export_to_html(benchmark::State& state)
{
    std::vector<std::string> captions = {"NAME", "CITY", "N"};
    run_on_fresh_tables(state, [&](table_object& t) { return export_html(t, folder().file("OUT.HTML"), "t", captions); });
}
BENCHMARK(export_to_html)->Unit(benchmark::kMillisecond);

void sort_by_name(benchmark::State& state)
{
    run_on_fresh_tables(state, [](table_object& t) { return sort_command(t, {0}, sort_collation::english).status; });
}
BENCHMARK(sort_by_name)->Unit(benchmark::kMillisecond);

void pack(benchmark::State& state)
{
    // Pack replaces the table's files and closes the table object.
    for (auto _ : state) {
        state.PauseTiming();
        auto table = open_bench_table(fresh_table());
        state.ResumeTiming();
        benchmark::DoNotOptimize(rebuild_table(table, rebuild_kind::pack).status);
    }
}
BENCHMARK(pack)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortel
