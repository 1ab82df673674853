// Tables for the benchmarks: records of 20 bytes, written once per run into
// a scratch folder and kept for every benchmark that asks for that size.
#pragma once

#include "engine/table.h"
#include "platform/canvas.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vortel {

const std::string& bench_table(std::int64_t records);

// Tables of people: records of 73 bytes (NAME C(30), CITY C(20), AGE N(3),
// SALARY N(10,2), BORN D, ACTIVE L), every tenth deleted, as the peer
// comparison has them.
const std::string& bench_people_table(std::int64_t records);

// The table at `path`, open for writing; a table that does not open stops
// the run, as no timing of it would mean anything.
std::unique_ptr<table_object> open_bench_table(const std::string& path);

// A surface that draws nothing: the timing is the grid's own work and its reads.
class null_canvas : public canvas {
public:
    void rectangle(const canvas_rect&, canvas_colour, canvas_colour) override {}
    void line(int, int, int, int, canvas_colour) override {}
    void text(const canvas_rect&, std::string_view, unsigned, canvas_colour, canvas_colour, canvas_font) override {}
    void bitmap(canvas_bitmap, int, int, int, int, int) override {}
};

}  // namespace vortel
