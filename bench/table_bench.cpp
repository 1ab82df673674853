// Timings of the table object: opening must not depend on the table's size,
// and a move reads one record.
#include "bench/bench_tables.h"
#include "engine/table.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"
#include "platform/canvas.h"
#include "testing/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vortel {
namespace {

void open_table(benchmark::State& state)
{
    const std::string& path = bench_table(state.range(0));
    for (auto _ : state) {
        auto table = table_new(path);
        benchmark::DoNotOptimize(table_open(*table));
    }
}
BENCHMARK(open_table)->Arg(10)->Arg(10000000);

void skip_through_table(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(state.range(0)));
    for (auto _ : state) {
        for (go_top(*table); !at_eof(*table);) skip(*table, 1);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(skip_through_table)->Arg(100000);

void go_to_random_records(benchmark::State& state)
{
    const std::int64_t records = state.range(0);
    auto table = open_bench_table(bench_table(records));
    std::uint32_t seed = 1;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        go_to(*table, static_cast<std::int32_t>(seed % records) + 1);
    }
}
BENCHMARK(go_to_random_records)->Arg(10)->Arg(10000000);

}  // namespace
}  // namespace vortel

namespace vortel {
namespace {

// Opening a table window's table and painting its first screen.
void open_and_first_paint(benchmark::State& state)
{
    const std::string& path = bench_table(state.range(0));
    null_canvas surface;
    for (auto _ : state) {
        auto table = open_bench_table(path);
        browse_object browse = table_browse(*table);
        resize_grid(browse, 0, 0, 750, 441);
        paint_grid(browse, surface);
    }
}
BENCHMARK(open_and_first_paint)->Arg(10)->Arg(10000000);

// Ctrl+End and the paint that shows the last page.
void ctrl_end_and_paint(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(state.range(0)));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, 750, 441);
    null_canvas surface;
    for (auto _ : state) {
        key_down(browse, vk_home, true);
        paint_grid(browse, surface);
        key_down(browse, vk_end, true);
        paint_grid(browse, surface);
    }
}
BENCHMARK(ctrl_end_and_paint)->Arg(10)->Arg(10000000);

}  // namespace
}  // namespace vortel
