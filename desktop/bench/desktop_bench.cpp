// Timings of the desktop program's table window: opening a table and
// painting its first screen with Qt, every moving key with the paint after
// it, and the Search dialog's search.
// The surface is an image of the table window's size.
#include "bench/bench_tables.h"
#include "desktop/qt_canvas.h"
#include "desktop/qt_search_progress.h"
#include "engine/table.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace vortel {
namespace {

constexpr int window_width = 750, window_height = 441;

void paint_into(browse_object& browse, QImage& image)
{
    QPainter painter(&image);
    qt_canvas surface(painter);
    paint_grid(browse, surface);
}

void open_and_first_paint_qt(benchmark::State& state)
{
    const std::string& path = bench_table(state.range(0));
    QImage image(window_width, window_height, QImage::Format_RGB32);
    for (auto _ : state) {
        auto table = open_bench_table(path);
        browse_object browse = table_browse(*table);
        resize_grid(browse, 0, 0, window_width, window_height);
        paint_into(browse, image);
    }
}
BENCHMARK(open_and_first_paint_qt)->Arg(10)->Arg(10000000)->Unit(benchmark::kMicrosecond);

void paint_qt(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(state.range(0)));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, window_width, window_height);
    QImage image(window_width, window_height, QImage::Format_RGB32);
    for (auto _ : state) paint_into(browse, image);
}
BENCHMARK(paint_qt)->Arg(10)->Arg(10000000)->Unit(benchmark::kMicrosecond);

void ctrl_end_and_paint_qt(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(state.range(0)));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, window_width, window_height);
    QImage image(window_width, window_height, QImage::Format_RGB32);
    for (auto _ : state) {
        key_down(browse, vk_home, true);
        paint_into(browse, image);
        key_down(browse, vk_end, true);
        paint_into(browse, image);
    }
}
BENCHMARK(ctrl_end_and_paint_qt)->Arg(10)->Arg(10000000)->Unit(benchmark::kMicrosecond);

// Every key that moves within the table, each followed by the paint that
// shows its result, in the middle of ten million records and at both ends.
// A move must be painted within one frame (16 ms).
struct move_key {
    const char* name;
    int key;
    bool ctrl;
};
constexpr move_key move_keys[] = {
    {"down", vk_down, false},       {"up", vk_up, false},           {"page_down", vk_next, false},
    {"page_up", vk_prior, false},   {"ctrl_end", vk_end, true},     {"ctrl_home", vk_home, true},
    {"end", vk_end, false},         {"home", vk_home, false},       {"right", vk_right, false},
    {"left", vk_left, false},
};

void move_key_and_paint_qt(benchmark::State& state)
{
    const move_key& move = move_keys[state.range(1)];
    auto table = open_bench_table(bench_table(10000000));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, window_width, window_height);
    QImage image(window_width, window_height, QImage::Format_RGB32);
    const std::int32_t start = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        go_to(*table, start);
        browse.current_record = start;
        browse.current_row = 10;
        browse.move_pending = true;
        paint_into(browse, image);
        state.ResumeTiming();
        key_down(browse, move.key, move.ctrl);
        paint_into(browse, image);
    }
    state.SetLabel(move.name);
}
BENCHMARK(move_key_and_paint_qt)
    ->ArgsProduct({{1, 5000000, 10000000}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}})
    ->Unit(benchmark::kMicrosecond);

// The vertical scroll bar's thumb dragged to a place, and the paint.
void thumb_and_paint_qt(benchmark::State& state)
{
    auto table = open_bench_table(bench_table(10000000));
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, window_width, window_height);
    QImage image(window_width, window_height, QImage::Format_RGB32);
    int thumb = 0;
    for (auto _ : state) {
        thumb = (thumb + 37) % 101;
        scroll_bar(browse, sb_thumbtrack, false, thumb);
        paint_into(browse, image);
    }
}
BENCHMARK(thumb_and_paint_qt)->Unit(benchmark::kMicrosecond);

// The Search dialog's search for a text no record holds, through a million
// records of 73 bytes, with its progress window ready and events run after
// every block.
void search_with_progress_qt(benchmark::State& state)
{
    auto table = open_bench_table(bench_people_table(1000000));
    browse_object browse = table_browse(*table);
    browse.current_column = 1;
    for (auto _ : state) {
        go_to(*table, 1);
        benchmark::DoNotOptimize(search_with_progress(nullptr, nullptr, browse, {"no such text"}).found);
    }
}
BENCHMARK(search_with_progress_qt)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortel

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
