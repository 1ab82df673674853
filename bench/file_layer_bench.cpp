// Timings of the file layer: reading records one by one as table moves do,
// and reading CR LF lines as the text import does.
#include "engine/dbf_format.h"
#include "engine/file_handle.h"
#include "testing/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace vortel {
namespace {

constexpr int record_length = 100;

std::string table_of(int records)
{
    static testing::scratch_dir dir;
    std::string path = dir.file("BENCH" + std::to_string(records) + ".DBF");
    std::vector<field_list_entry> fields = {{"TEXT", 'C', record_length - 1, 0}};
    std::vector<std::uint8_t> bytes = encode_new_table_header(fields, 2026, 1, 1);
    bytes.resize(bytes.size() + static_cast<std::size_t>(records) * record_length, ' ');
    testing::write_file(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

void read_records_one_by_one(benchmark::State& state)
{
    const int records = static_cast<int>(state.range(0));
    file_handle table(table_of(records), 512);
    fh_open(table, table_read_write_mode);
    dbf_header header;
    read_dbf_header(table, header);
    std::vector<std::uint8_t> record(record_length);
    for (auto _ : state) {
        for (int number = 1; number <= records; ++number) read_record_bytes(table, header, number, record);
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * records * record_length);
}
BENCHMARK(read_records_one_by_one)->Arg(1000)->Arg(100000);

void read_lines(benchmark::State& state)
{
    static testing::scratch_dir dir;
    const int lines = static_cast<int>(state.range(0));
    std::string text;
    for (int i = 0; i < lines; ++i) text += std::string(80, 'x') + "\r\n";
    std::string path = dir.file("LINES.TXT");
    testing::write_file(path, text);
    file_handle input(path, 512);
    fh_open(input, import_text_mode);
    std::string line;
    for (auto _ : state) {
        fh_seek(input, 0, seek_origin::begin);
        while (fh_read_line(input, line, 512)) benchmark::DoNotOptimize(line.data());
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(read_lines)->Arg(10000);

}  // namespace
}  // namespace vortel

