// Timings of SQL over a table: a filter's condition over a million records
// should take about a second, and a count with a condition runs the same
// reading.
#include "bench/bench_tables.h"
#include "query/record_filter.h"
#include "query/sql_session.h"

#include <benchmark/benchmark.h>

namespace vortel {
namespace {

constexpr std::int64_t million = 1000000;

void filter_a_million_records(benchmark::State& state)
{
    auto table = open_bench_table(bench_people_table(million));
    std::string refusal;
    std::int32_t kept = 0;
    for (auto _ : state) {
        const auto matching = records_matching(*table, "CITY = 'Budapest' AND SALARY > 50000",
                                               [](std::int32_t, std::int32_t) { return true; }, refusal);
        if (!matching) state.SkipWithError(refusal.c_str());
        kept = matching ? matching->members() : 0;
    }
    state.counters["kept"] = kept;
    state.SetItemsProcessed(state.iterations() * million);
}
BENCHMARK(filter_a_million_records)->Unit(benchmark::kMillisecond);

void count_a_million_records_by_age(benchmark::State& state)
{
    auto table = open_bench_table(bench_people_table(million));
    sql_session session;
    std::string refusal;
    if (!session.add_table(*table, "PEOPLE", record_scope::as_navigated, refusal)) state.SkipWithError(refusal.c_str());
    for (auto _ : state) {
        const sql_row_sink sink{{}, [](std::span<const sql_value> values) {
                                    benchmark::DoNotOptimize(values[0].integer);
                                    return true;
                                }};
        if (!session.run("SELECT COUNT(*) FROM PEOPLE WHERE AGE > 40", sink, refusal)) {
            state.SkipWithError(refusal.c_str());
        }
    }
    state.SetItemsProcessed(state.iterations() * million);
}
BENCHMARK(count_a_million_records_by_age)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortel
