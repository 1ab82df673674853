// Writes the tables the peer comparison runs on, straight to their files:
//   PEOPLE.DBF   1,000,000 records of 73 bytes, every tenth deleted
//   PEOPLE.TXT   the same records as fixed-width CR LF lines (all of them)
//   MEMOS.DBF    100,000 records, each with a memo in MEMOS.DBT
//   SMALL.DBF    10 records, HUGE.DBF 10,000,000 records, both like PEOPLE
// The contents are fixed by a small generator, so every run sees the same bytes.
#include "engine/dbf_format.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using vortel::field_list_entry;

class numbers {
public:
    std::uint32_t next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint64_t state_ = 20260101;
};

constexpr std::array<const char*, 16> given{"Anna", "Bela", "Csaba", "Dora", "Erzsebet", "Ferenc", "Gabor", "Hajnalka",
                                            "Istvan", "Judit", "Karoly", "Laszlo", "Maria", "Nandor", "Orsolya", "Peter"};
constexpr std::array<const char*, 16> family{"Kovacs", "Szabo", "Toth", "Nagy", "Horvath", "Varga", "Kiss", "Molnar",
                                             "Nemeth", "Farkas", "Balogh", "Papp", "Takacs", "Juhasz", "Lakatos", "Meszaros"};
constexpr std::array<const char*, 8> cities{"Budapest", "Debrecen", "Szeged", "Miskolc",
                                            "Pecs", "Gyor", "Nyiregyhaza", "Kecskemet"};

std::vector<std::uint8_t> header_for(const std::vector<field_list_entry>& fields, std::int64_t records)
{
    std::vector<std::uint8_t> header = vortel::encode_new_table_header(fields, 2026, 1, 1);
    for (int i = 0; i < 4; ++i) header[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(records >> (8 * i));
    return header;
}

// One record of NAME C(30), CITY C(20), AGE N(3), SALARY N(10,2), BORN D, ACTIVE L.
std::string person(numbers& random, std::int64_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s %s %u", family[random.below(16)], given[random.below(16)],
                  random.below(100000));
    char record[128];
    std::snprintf(record, sizeof record, "%c%-30.30s%-20.20s%3u%10.2f%04u%02u%02u%c", index % 10 == 9 ? '*' : ' ', name,
                  cities[random.below(8)], 18 + random.below(60), random.below(100000000) / 100.0,
                  1940 + random.below(66), 1 + random.below(12), 1 + random.below(28), random.below(2) ? 'T' : 'F');
    return std::string(record, 73);
}

bool write_people(const std::string& dbf, const std::string& text, std::int64_t records)
{
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 30, 0},   {"CITY", 'C', 20, 0}, {"AGE", 'N', 3, 0},
                                                  {"SALARY", 'N', 10, 2}, {"BORN", 'D', 8, 0},  {"ACTIVE", 'L', 1, 0}};
    std::FILE* out = std::fopen(dbf.c_str(), "wb");
    std::FILE* lines = text.empty() ? nullptr : std::fopen(text.c_str(), "wb");
    if (!out || (!text.empty() && !lines)) return false;
    const std::vector<std::uint8_t> header = header_for(fields, records);
    std::fwrite(header.data(), 1, header.size(), out);
    numbers random;
    std::string block;
    std::string line_block;
    for (std::int64_t i = 0; i < records; ++i) {
        const std::string record = person(random, i);
        block += record;
        if (lines) line_block.append(record, 1).append("\r\n");
        if (block.size() >= (1u << 20)) {
            std::fwrite(block.data(), 1, block.size(), out);
            block.clear();
            if (lines) std::fwrite(line_block.data(), 1, line_block.size(), lines);
            line_block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), out);
    if (lines) std::fwrite(line_block.data(), 1, line_block.size(), lines);
    return std::fclose(out) == 0 && (!lines || std::fclose(lines) == 0);
}

// NAME C(30), NOTE M: memos of 40 to 1,500 characters from block 1 on.
bool write_memos(const std::string& dbf, std::int64_t records)
{
    const std::vector<field_list_entry> fields = {{"NAME", 'C', 30, 0}, {"NOTE", 'M', 10, 0}};
    std::FILE* out = std::fopen(dbf.c_str(), "wb");
    std::FILE* memo = std::fopen(vortel::dbt_file_name(dbf).c_str(), "wb");
    if (!out || !memo) return false;
    const std::vector<std::uint8_t> header = header_for(fields, records);
    std::fwrite(header.data(), 1, header.size(), out);
    numbers random;
    std::string memo_bytes(vortel::dbt_block_size, '\0');
    std::int64_t block = 1;
    std::string table_bytes;
    for (std::int64_t i = 0; i < records; ++i) {
        const std::string text_line = "Note " + std::to_string(i) + ": " + family[random.below(16)] + " from " +
                                      cities[random.below(8)] + " called about the order. ";
        std::string text;
        const std::uint32_t length = 40 + random.below(1460);
        while (text.size() < length) text += text_line;
        text.resize(length);
        char record[64];
        std::snprintf(record, sizeof record, "%c%-30.30s%10lld", i % 10 == 9 ? '*' : ' ',
                      (std::string(family[random.below(16)]) + " " + given[random.below(16)]).c_str(),
                      static_cast<long long>(block));
        table_bytes.append(record, 41);
        text += vortel::memo_terminator;
        const std::int64_t blocks = vortel::memo_block_count(length);
        text.resize(static_cast<std::size_t>(blocks * vortel::dbt_block_size), '\0');
        memo_bytes += text;
        block += blocks;
    }
    const std::array<std::uint8_t, vortel::dbt_block_size> first = vortel::new_dbt_header_block();
    memo_bytes.replace(0, first.size(), reinterpret_cast<const char*>(first.data()), first.size());
    for (int i = 0; i < 4; ++i) memo_bytes[static_cast<std::size_t>(i)] = static_cast<char>(block >> (8 * i));
    std::fwrite(table_bytes.data(), 1, table_bytes.size(), out);
    std::fwrite(memo_bytes.data(), 1, memo_bytes.size(), memo);
    return std::fclose(out) == 0 && std::fclose(memo) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_peer_tables FOLDER\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const bool ok = write_people(dir + "PEOPLE.DBF", dir + "PEOPLE.TXT", 1000000) &&
                    write_memos(dir + "MEMOS.DBF", 100000) && write_people(dir + "SMALL.DBF", "", 10) &&
                    write_people(dir + "HUGE.DBF", "", 10000000);
    if (!ok) std::fprintf(stderr, "make_peer_tables: cannot write the tables in %s\n", argv[1]);
    return ok ? 0 : 1;
}
