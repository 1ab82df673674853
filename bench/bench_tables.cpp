#include "bench/bench_tables.h"

#include "engine/dbf_format.h"
#include "testing/scratch_dir.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace vortel {

const std::string& bench_table(std::int64_t records)
{
    static testing::scratch_dir dir;
    static std::map<std::int64_t, std::string> made;
    auto [at, fresh] = made.try_emplace(records, dir.file("T" + std::to_string(records) + ".DBF"));
    if (fresh) {
        std::vector<field_list_entry> fields = {{"NAME", 'C', 15, 0}, {"N", 'N', 4, 0}};
        std::vector<std::uint8_t> header = encode_new_table_header(fields, 2026, 1, 1);
        for (int i = 0; i < 4; ++i) header[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(records >> (8 * i));
        std::FILE* out = std::fopen(at->second.c_str(), "wb");
        std::fwrite(header.data(), 1, header.size(), out);
        const std::string record = " benchmark row    42";
        std::string chunk;
        for (int i = 0; i < 4096; ++i) chunk += record;
        for (std::int64_t left = records; left > 0; left -= 4096) {
            std::fwrite(chunk.data(), 1, record.size() * static_cast<std::size_t>(std::min<std::int64_t>(left, 4096)), out);
        }
        std::fclose(out);
    }
    return at->second;
}

const std::string& bench_people_table(std::int64_t records)
{
    static testing::scratch_dir dir;
    static std::map<std::int64_t, std::string> made;
    auto [at, fresh] = made.try_emplace(records, dir.file("P" + std::to_string(records) + ".DBF"));
    if (fresh) {
        const std::vector<field_list_entry> fields = {{"NAME", 'C', 30, 0},   {"CITY", 'C', 20, 0}, {"AGE", 'N', 3, 0},
                                                      {"SALARY", 'N', 10, 2}, {"BORN", 'D', 8, 0},  {"ACTIVE", 'L', 1, 0}};
        std::vector<std::uint8_t> header = encode_new_table_header(fields, 2026, 1, 1);
        for (int i = 0; i < 4; ++i) header[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(records >> (8 * i));
        std::FILE* out = std::fopen(at->second.c_str(), "wb");
        std::fwrite(header.data(), 1, header.size(), out);
        const char* const names[] = {"Kovacs Anna", "Szabo Bela", "Toth Csaba", "Nagy Dora", "Kiss Ferenc"};
        const char* const cities[] = {"Budapest", "Debrecen", "Szeged", "Miskolc", "Pecs"};
        char record[128];
        for (std::int64_t i = 0; i < records; ++i) {
            std::snprintf(record, sizeof record, "%c%-30.30s%-20.20s%3d%10.2f%04d%02d%02d%c", i % 10 == 9 ? '*' : ' ',
                          names[i % 5], cities[i % 3], static_cast<int>(18 + i % 60), static_cast<double>(i % 100000),
                          static_cast<int>(1940 + i % 66), static_cast<int>(1 + i % 12), static_cast<int>(1 + i % 28),
                          i % 2 ? 'T' : 'F');
            std::fwrite(record, 1, 73, out);
        }
        std::fclose(out);
    }
    return at->second;
}

std::unique_ptr<table_object> open_bench_table(const std::string& path)
{
    auto table = table_new(path);
    if (!table_open(*table)) throw std::runtime_error("cannot open " + path + ": " + table->failure);
    return table;
}

}  // namespace vortel
