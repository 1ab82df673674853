// The search of a text no record holds, through a table of 1,000,000
// records of 73 bytes: every record is compared, as the Search dialog and
// `vortel-cli search` compare them.
#include "bench/bench_tables.h"
#include "commands/search.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>

namespace vortel {
namespace {

void search_not_found(benchmark::State& state, search_scope scope, int column)
{
    auto table = open_bench_table(bench_people_table(1000000));
    browse_object browse = table_browse(*table);
    browse.current_column = column;
    for (auto _ : state) {
        go_to(*table, 1);
        benchmark::DoNotOptimize(search_grid(browse, {"no such text", search_direction::down, scope}).found);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}

void search_all_columns(benchmark::State& state) { search_not_found(state, search_scope::all_columns, 1); }
void search_name_column(benchmark::State& state) { search_not_found(state, search_scope::current_column, 1); }
// Dates are compared as shown, through their picture: the costliest cell.
void search_date_column(benchmark::State& state) { search_not_found(state, search_scope::current_column, 5); }
BENCHMARK(search_all_columns)->Unit(benchmark::kMillisecond);
BENCHMARK(search_name_column)->Unit(benchmark::kMillisecond);
BENCHMARK(search_date_column)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortel
