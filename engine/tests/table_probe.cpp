// A second process for the table tests: it holds locks on a table or changes
// it the way another copy of the program would, and answers through its exit
// status (0 done, 3 refused, 2 bad arguments or the table did not open).
//
//   table_probe hold-record PATH N     lock record N, print "ready", wait for input to close
//   table_probe hold-table PATH        lock the table, print "ready", wait
//   table_probe lock-record PATH N     0 when record N can be locked now, 3 when not
//   table_probe lock-table PATH        0 when the table can be locked now, 3 when not
//   table_probe append PATH M TAG      append M records, retrying refused table locks;
//                                      field 1 of each holds TAG-i
//   table_probe memos PATH TAG         store a memo of several blocks in every record
//                                      whose field 1 starts with TAG-, retrying refused locks
//   table_probe set PATH N F TEXT      store TEXT into field F (1 for the first) of record N
//   table_probe memo PATH N F TEXT     store TEXT as the memo of field F of record N
//   table_probe delete PATH N          put the delete mark on record N
// The record commands act on exactly record N, deleted or not, under its
// lock, as another copy of the program editing the same table would.
#include "engine/table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

using namespace vortel;

namespace {

void wait_for_input_to_close()
{
    std::puts("ready");
    std::fflush(stdout);
    char sink[64];
    while (::read(STDIN_FILENO, sink, sizeof sink) > 0) {
    }
}

// Tries until `attempt` succeeds; gives up after about ten seconds so that a
// fault makes the test fail instead of hang.
template <typename Attempt>
bool retry(Attempt attempt)
{
    for (int tries = 0; tries < 50000; ++tries) {
        if (attempt()) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

std::string memo_for(const std::string& key)
{
    std::string text;
    while (text.size() < 1300) text += key + ";";
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    const std::string command = argv[1];
    auto table = table_new(argv[2]);
    if (!table_open(*table)) return 2;

    if ((command == "hold-record" || command == "lock-record") && argc == 4) {
        go_to(*table, std::atoi(argv[3]));
        if (!lock_record(*table)) return 3;
        if (command == "hold-record") wait_for_input_to_close();
        return 0;
    }
    if (command == "hold-table" || command == "lock-table") {
        if (!lock_table(*table)) return 3;
        if (command == "hold-table") wait_for_input_to_close();
        return 0;
    }
    if (command == "append" && argc == 5) {
        for (int i = 0, count = std::atoi(argv[3]); i < count; ++i) {
            if (!retry([&] { return lock_table(*table) != 0; })) return 1;
            bool ok = append_blank(*table) && set_field_text(*table, 0, std::string(argv[4]) + "-" + std::to_string(i)) &&
                      write_record(*table);
            unlock(*table);
            if (!ok) return 1;
        }
        return 0;
    }
    if ((command == "set" || command == "memo") && argc == 6) {
        const int field = std::atoi(argv[4]) - 1;
        if (!go_to_exactly(*table, std::atoi(argv[3]))) return 2;
        if (!lock_record(*table)) return 3;
        const bool stored = command == "set" ? set_field_text(*table, field, argv[5]) && write_record(*table)
                                             : memo_write(*table, field, argv[5]) == 1;
        unlock(*table);
        return stored ? 0 : 1;
    }
    if (command == "delete" && argc == 4) {
        if (!go_to_exactly(*table, std::atoi(argv[3]))) return 2;
        if (!lock_record(*table)) return 3;
        const bool changed = delete_record(*table);
        unlock(*table);
        return changed ? 0 : 1;
    }
    if (command == "memos" && argc == 4) {
        const std::string prefix = std::string(argv[3]) + "-";
        for (std::int32_t number = 1; number <= record_count(*table); ++number) {
            go_to(*table, number);
            const std::string key = field_text(*table, 0);
            if (key.rfind(prefix, 0) != 0) continue;
            if (!retry([&] { return lock_record(*table) != 0; })) return 1;
            // A refusal means another process holds the memo header just now.
            bool stored = retry([&] { return memo_write(*table, 1, memo_for(key)) == 1; });
            unlock(*table);
            if (!stored) return 1;
        }
        return 0;
    }
    return 2;
}
