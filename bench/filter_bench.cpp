// Timings of a filtered grid over a million records: moves jump from member
// to member through the set, so paging a filter that keeps ten records
// costs about what paging ten records does, and a dense filter pages as the
// whole table does.
#include "bench/bench_tables.h"
#include "engine/table.h"
#include "grid/grid_filter.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"
#include "platform/canvas.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace vortel {
namespace {

constexpr std::int32_t million = 1000000;

// Every `gap`-th record of a million.
std::shared_ptr<const record_set> every(std::int32_t gap)
{
    record_set set(million);
    for (std::int32_t n = gap / 2 + 1; n <= million; n += gap) set.add(n);
    return std::make_shared<const record_set>(set);
}

// Ctrl+Home, Page Down to the end of the filter (at most 100 pages), Ctrl+End
// and a thumb move to the middle, each with its paint. The argument is the
// gap between members: 100,000 keeps ten records, 2 half the table.
void page_through_a_filter(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(million));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, 750, 441);
    set_grid_filter(browse, every(static_cast<std::int32_t>(state.range(0))));
    null_canvas surface;
    for (auto _ : state) {
        key_down(browse, vk_home, true);
        paint_grid(browse, surface);
        for (int page = 0; page < 100; ++page) {
            const std::int32_t before = current_record(*table);
            key_down(browse, vk_next, false);
            paint_grid(browse, surface);
            if (current_record(*table) == before) break;
        }
        key_down(browse, vk_end, true);
        paint_grid(browse, surface);
        scroll_bar(browse, sb_thumbposition, false, 50);
        paint_grid(browse, surface);
    }
}
BENCHMARK(page_through_a_filter)->Arg(100000)->Arg(1000)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortel
