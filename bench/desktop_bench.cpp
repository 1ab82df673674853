// Timings of the desktop program's table window: opening a table and
// painting its first screen with Qt, and Ctrl+End with the paint after it.
// The surface is an image of the table window's size.
#include "bench/bench_tables.h"
#include "engine/table.h"
#include "grid/input_codes.h"
#include "grid/navigation.h"
#include "grid/paint_grid.h"
#include "grid/qt_canvas.h"

#include <QGuiApplication>
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
        auto table = table_new(path);
        table_open(*table);
        browse_object browse = table_browse(*table);
        resize_grid(browse, 0, 0, window_width, window_height);
        paint_into(browse, image);
    }
}
BENCHMARK(open_and_first_paint_qt)->Arg(10)->Arg(10000000)->Unit(benchmark::kMicrosecond);

void paint_qt(benchmark::State& state)
{
    auto table = table_new(bench_table(state.range(0)));
    table_open(*table);
    browse_object browse = table_browse(*table);
    resize_grid(browse, 0, 0, window_width, window_height);
    QImage image(window_width, window_height, QImage::Format_RGB32);
    for (auto _ : state) paint_into(browse, image);
}
BENCHMARK(paint_qt)->Arg(10)->Arg(10000000)->Unit(benchmark::kMicrosecond);

void ctrl_end_and_paint_qt(benchmark::State& state)
{
    auto table = table_new(bench_table(state.range(0)));
    table_open(*table);
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

}  // namespace
}  // namespace vortel

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
