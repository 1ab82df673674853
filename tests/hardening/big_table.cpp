// Large tables for the crash tests, and digests that say whether a table
// still holds the same records.
//
//   big_table make PATH N PREFIX [DELETED]
//                                  a table of N records with memos: every 10th
//                                  record has one (every 100th of several
//                                  blocks), every DELETED-th (default 50; 0:
//                                  none) is deleted
//   big_table digest PATH [FROM TO]
//                                  prints "records=C deleted=D all=H live=L":
//                                  C counts the table's records, D, H and L
//                                  the records FROM..TO (default: all); H and
//                                  L are order-free digests of ID, NAME, NUM
//                                  and the memo text of every record and of
//                                  the live ones. Exit 1 when the table does
//                                  not open or its file does not hold C records.
//   big_table check PATH N PREFIX  prints "copies=K" when the table holds every
//                                  record PREFIX1..PREFIXN made by make the same
//                                  number K of times (0 included), each whole
//                                  with its own memo; else what is wrong, exit 1.
//
// Fields are found by name, so a table whose structure gained fields digests
// like the original.
#include "engine/create_table.h"
#include "engine/table.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vortel;

namespace {

std::string memo_for(const std::string& id, long number)
{
    std::string text = "memo of " + id + ";";
    const std::size_t length = number % 100 == 0 ? 1500 : 60;
    while (text.size() < length) text += " " + std::to_string(text.size());
    return text;
}

std::string name_for(long number) { return "name " + std::to_string(number * 7919 % 100003); }

int make(const std::string& path, long count, const std::string& prefix, long deleted_every)
{
    if (!create_table(*table_new(path), {{"ID", 'C', 8, 0}, {"NAME", 'C', 20, 0}, {"NUM", 'N', 8, 0},
                                         {"NOTE", 'M', 10, 0}})) {
        return 1;
    }
    auto table = table_new(path);
    if (!table_open(*table) || !lock_table(*table)) return 1;
    for (long i = 1; i <= count; ++i) {
        const std::string id = prefix + std::to_string(i);
        bool ok = append_blank(*table) && set_field_text(*table, 0, id) &&
                  set_field_text(*table, 1, name_for(i)) &&
                  set_field_text(*table, 2, std::to_string(i % 9973)) && write_record(*table);
        if (ok && i % 10 == 0) ok = memo_write(*table, 3, memo_for(id, i)) == 1;
        if (ok && deleted_every > 0 && i % deleted_every == 0) ok = delete_record(*table) == 1;
        if (!ok) return 1;
    }
    unlock(*table);
    return 0;
}

std::uint64_t fnv(const std::string& text)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

int digest(const std::string& path, long from, long to)
{
    auto table = table_new(path);
    if (!table_open(*table, 0)) {
        std::puts("cannot open");
        return 1;
    }
    const std::int32_t count = record_count(*table);
    const bool whole = fh_size(table->dbf) >= table->header.header_length + std::int64_t{count} * record_length(*table);
    const int fields[] = {field_index(*table, "ID"), field_index(*table, "NAME"), field_index(*table, "NUM"),
                          field_index(*table, "NOTE")};
    if (to < 0 || to > count) to = count;
    long deleted = 0;
    std::uint64_t all = 0, live = 0;
    for (long number = from; number <= to; ++number) {
        if (!go_to(*table, static_cast<std::int32_t>(number))) {
            std::printf("cannot read record %ld\n", number);
            return 1;
        }
        std::string row;
        for (int field : fields) {
            const std::string text = field < 0 ? "" : field_text(*table, field);
            row += (field >= 0 && field_type(*table, field) == 'M' ? memo_read(*table, text) : text) + "|";
        }
        all += fnv(row);
        if (is_deleted(*table)) {
            ++deleted;
        } else {
            live += fnv(row);
        }
    }
    std::printf("records=%d deleted=%ld all=%016llx live=%016llx\n", count, deleted,
                static_cast<unsigned long long>(all), static_cast<unsigned long long>(live));
    return whole ? 0 : 1;
}

int check(const std::string& path, long count, const std::string& prefix)
{
    auto table = table_new(path);
    if (!table_open(*table, 0)) {
        std::puts("cannot open");
        return 1;
    }
    const int id = field_index(*table, "ID"), name = field_index(*table, "NAME"), num = field_index(*table, "NUM"),
              note = field_index(*table, "NOTE");
    std::vector<long> seen(static_cast<std::size_t>(count) + 1, 0);
    for (std::int32_t number = 1; number <= record_count(*table); ++number) {
        if (!go_to(*table, number)) {
            std::printf("cannot read record %d\n", number);
            return 1;
        }
        const std::string key = field_text(*table, id);
        const long i = key.rfind(prefix, 0) == 0 ? std::atol(key.c_str() + prefix.size()) : 0;
        std::string trimmed = field_text(*table, name);
        trimmed.erase(trimmed.find_last_not_of(' ') + 1);
        const std::string memo = memo_read(*table, field_text(*table, note));
        const bool whole = i >= 1 && i <= count && trimmed == name_for(i) &&
                           std::atol(field_text(*table, num).c_str()) == i % 9973 &&
                           memo == (i % 10 == 0 ? memo_for(prefix + std::to_string(i), i) : "");
        if (!whole) {
            std::printf("record %d is damaged: %s\n", number, key.c_str());
            return 1;
        }
        ++seen[static_cast<std::size_t>(i)];
    }
    for (long i = 2; i <= count; ++i) {
        if (seen[static_cast<std::size_t>(i)] != seen[1]) {
            std::printf("record %s%ld is there %ld times, %s1 %ld times\n", prefix.c_str(), i,
                        seen[static_cast<std::size_t>(i)], prefix.c_str(), seen[1]);
            return 1;
        }
    }
    std::printf("copies=%ld\n", seen[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 2 ? argv[1] : "";
    if (command == "make" && (argc == 5 || argc == 6)) {
        return make(argv[2], std::atol(argv[3]), argv[4], argc == 6 ? std::atol(argv[5]) : 50);
    }
    if (command == "check" && argc == 5) return check(argv[2], std::atol(argv[3]), argv[4]);
    if (command == "digest" && argc == 3) return digest(argv[2], 1, -1);
    if (command == "digest" && argc == 5) return digest(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    std::fputs("usage: big_table make PATH N PREFIX [DELETED] | digest PATH [FROM TO] | check PATH N PREFIX\n", stderr);
    return 2;
}
