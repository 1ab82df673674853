// Tables for the benchmarks: records of 20 bytes, written once per run into
// a scratch folder and kept for every benchmark that asks for that size.
#pragma once

#include <cstdint>
#include <string>

namespace vortel {

const std::string& bench_table(std::int64_t records);

}  // namespace vortel
