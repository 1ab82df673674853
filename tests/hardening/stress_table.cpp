// Several processes editing one table at once through the engine's
// non-waiting locks, each retrying refusals and logging what it stored, then
// a check of the file against the logs.
//
//   stress_table run SECONDS WORKERS   make the table in a scratch folder, run the workers, check
//   stress_table work TABLE WORKER SECONDS LOG SEED
//   stress_table check TABLE LOG_PREFIX WORKERS
#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "engine/create_table.h"
#include "engine/table.h"
#include "testing/child_process.h"
#include "testing/scratch_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <vector>
#include <unistd.h>

using namespace vortel;

namespace {

// The logs the checker reads back: each worker logs only changes the
// engine reported as done, one line each, in the order it made them:
//   A N            appended record N (its OWNER field follows as an E line)
//   E N FIELD TEXT stored TEXT in FIELD of record N
//   D N 0|1        record N is now live (0) or deleted (1)
//   M N SEQ LEN    stored memo_text(worker, SEQ, LEN) as the memo of record N
// Field values, delete marks and memos change only on the worker's own
// records (the initial ones tagged with its name, and the ones it
// appended), so the last line about a record decides what the file holds.
constexpr int initial_records_per_worker = 10;

std::string worker_name(int worker) { return "P" + std::to_string(worker); }

// A memo whose text tells who wrote it and when, of any length, so that
// memos of one, two or several blocks all occur.
std::string memo_text(int worker, long seq, long length)
{
    std::string text = worker_name(worker) + " memo " + std::to_string(seq) + ":";
    while (static_cast<long>(text.size()) < length) text += static_cast<char>('a' + text.size() % 26);
    return text;
}

using clock_type = std::chrono::steady_clock;

// Runs `command` until it is not refused for a busy record or table; gives
// up after about ten seconds so that a fault fails the run instead of
// hanging it.
template <typename Command>
command_result retried(Command command)
{
    command_result result;
    for (int tries = 0; tries < 20000; ++tries) {
        result = command();
        if (result.done || (result.message != record_busy_text && result.message != table_busy_text &&
                            result.message != memo_write_error_text)) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return result;
}

int make(const std::string& path, int workers)
{
    if (!create_table(*table_new(path), {{"OWNER", 'C', 4, 0}, {"VAL", 'C', 16, 0}, {"NOTE", 'M', 10, 0}})) return 1;
    auto table = table_new(path);
    if (!table_open(*table) || !lock_table(*table)) return 1;
    for (int i = 0; i < workers * initial_records_per_worker; ++i) {
        if (!append_blank(*table) || !set_field_text(*table, 0, worker_name(i / initial_records_per_worker)) ||
            !write_record(*table)) {
            return 1;
        }
    }
    return 0;
}

int work(const std::string& path, int worker, double seconds, const std::string& log_path, unsigned seed)
{
    auto table = table_new(path);
    if (!table_open(*table)) return 2;
    std::FILE* log = std::fopen(log_path.c_str(), "w");
    if (log == nullptr) return 2;
    std::mt19937 random(seed);
    std::vector<std::int32_t> own;
    for (int i = 1; i <= initial_records_per_worker; ++i) own.push_back(worker * initial_records_per_worker + i);
    const auto deadline = clock_type::now() + std::chrono::duration<double>(seconds);
    long seq = 0, refused = 0;

    // Goes to one of our records; false when it cannot be read.
    auto on_own_record = [&] {
        const std::int32_t number = own[random() % own.size()];
        return go_to(*table, number) && current_record(*table) == number;
    };
    while (clock_type::now() < deadline) {
        ++seq;
        const unsigned choice = random() % 100;
        command_result result;
        if (choice < 40) {
            if (!on_own_record()) return 1;
            const std::string value = worker_name(worker) + "-" + std::to_string(seq);
            result = retried([&] { return store_typed_value(*table, current_record(*table), field_index(*table, "VAL"), value); });
            if (result.done) std::fprintf(log, "E %d VAL %s\n", current_record(*table), value.c_str());
        } else if (choice < 55) {
            if (!on_own_record()) return 1;
            result = retried([&] { return toggle_delete(*table); });
            if (result.done) std::fprintf(log, "D %d %d\n", current_record(*table), is_deleted(*table));
        } else if (choice < 75) {
            result = retried([&] { return append_new_record(*table); });
            if (result.done) {
                const std::int32_t number = current_record(*table);
                std::fprintf(log, "A %d\n", number);
                result = retried([&] { return store_typed_value(*table, current_record(*table), field_index(*table, "OWNER"), worker_name(worker)); });
                if (result.done) {
                    std::fprintf(log, "E %d OWNER %s\n", number, worker_name(worker).c_str());
                    own.push_back(number);
                }
            }
        } else {
            if (!on_own_record()) return 1;
            const long length = static_cast<long>(random() % 2000);
            result = retried([&] { return store_memo_text(*table, current_record(*table), field_index(*table, "NOTE"), memo_text(worker, seq, length)); });
            if (result.done) std::fprintf(log, "M %d %ld %ld\n", current_record(*table), seq, length);
        }
        if (!result.done) ++refused;
        std::fflush(log);
        // A short random pause keeps a two-minute run's memo file to a few
        // hundred megabytes while the workers still collide all the time.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 1000));
    }
    std::fclose(log);
    // Refusals that outlasted the retries are no fault of the file; many of
    // them would be a fault of the locks.
    return refused * 100 > seq ? 1 : 0;
}

// The verdict: every change a worker logged is in the file, the record
// count fits the file size, and no two memos share a block; prints what is
// wrong and gives 0 when nothing is.
struct expected_record {
    int owner = -1;
    std::map<std::string, std::string> fields;
    int deleted = 0;
    std::string memo;
    int appends = 0;  // how many logs claim to have appended it
};

std::string trimmed(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

void read_log(const std::string& path, int worker, std::map<long, expected_record>& records, long& changes)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        long number = 0;
        fields >> kind >> number;
        expected_record& record = records[number];
        ++changes;
        if (kind == "A") {
            record.owner = worker;
            ++record.appends;
        } else if (kind == "E") {
            std::string field, text;
            fields >> field;
            std::getline(fields, text);
            record.fields[field] = text.empty() ? "" : text.substr(1);
        } else if (kind == "D") {
            fields >> record.deleted;
        } else if (kind == "M") {
            long seq = 0, length = 0;
            fields >> seq >> length;
            record.memo = memo_text(worker, seq, length);
        }
    }
}

int check_stress_table(const std::string& path, const std::string& log_prefix, int workers)
{
    std::map<long, expected_record> expected;
    long changes = 0;
    for (int worker = 0; worker < workers; ++worker) {
        read_log(log_prefix + std::to_string(worker), worker, expected, changes);
    }

    int faults = 0;  // the first twenty are printed
    const auto fault = [&faults](const std::string& what) {
        if (++faults <= 20) std::printf("FAULT %s\n", what.c_str());
    };
    auto table = table_new(path);
    if (!table_open(*table, 0)) {
        std::printf("FAULT the table does not open\n");
        return 1;
    }
    const std::int32_t count = record_count(*table);
    const std::int64_t size = fh_size(table->dbf);
    const std::int64_t records_end = table->header.header_length + std::int64_t{count} * record_length(*table);
    if (size != records_end && size != records_end + 1) {
        fault("file size " + std::to_string(size) + " for " + std::to_string(count) + " records");
    }

    const int owner_field = field_index(*table, "OWNER");
    const int memo_field = field_index(*table, "NOTE");
    dbt_header memo_header;
    if (!read_dbt_header(table->dbt, memo_header)) fault("the memo file header cannot be read");
    const std::int64_t next_free = memo_header.next_free_block;
    std::vector<std::pair<std::int64_t, std::int64_t>> memo_blocks;  // first block, past the last
    for (std::int32_t number = 1; number <= count; ++number) {
        if (!go_to(*table, number)) {
            fault("record " + std::to_string(number) + " cannot be read");
            continue;
        }
        const std::string where = "record " + std::to_string(number) + ": ";
        const bool initial = number <= workers * initial_records_per_worker;
        const expected_record& want = expected[number];
        if (!initial && want.appends != 1) {
            fault(where + "appended by " + std::to_string(want.appends) + " logs");
        }
        const std::string owner = trimmed(field_text(*table, owner_field));
        const int owner_number = initial ? (number - 1) / initial_records_per_worker : want.owner;
        if (owner_number >= 0 && owner != worker_name(owner_number)) fault(where + "owner " + owner);
        for (const auto& [field, text] : want.fields) {
            const std::string stored = trimmed(field_text(*table, field_index(*table, field)));
            if (stored != text) fault(where + field + " is \"" + stored + "\", logged \"" + text + "\"");
        }
        if (is_deleted(*table) != want.deleted) fault(where + "delete mark differs from the log");
        const std::string block_text = field_text(*table, memo_field);
        const std::string memo = memo_read(*table, block_text);
        if (memo != want.memo) fault(where + "memo \"" + memo.substr(0, 30) + "\" is not the logged one");
        if (const long block = std::atol(block_text.c_str()); block > 0) {
            memo_blocks.emplace_back(block, block + memo_block_count(static_cast<std::int64_t>(memo.size())));
        }
    }
    std::sort(memo_blocks.begin(), memo_blocks.end());
    for (std::size_t i = 0; i < memo_blocks.size(); ++i) {
        if (i + 1 < memo_blocks.size() && memo_blocks[i].second > memo_blocks[i + 1].first) {
            fault("memos at blocks " + std::to_string(memo_blocks[i].first) + " and " +
                         std::to_string(memo_blocks[i + 1].first) + " share a block");
        }
        if (memo_blocks[i].second > next_free) fault("a memo ends past the next free block");
    }
    std::printf("%d records, %zu memos, %ld logged changes, %d faults\n", count, memo_blocks.size(), changes,
                faults);
    return faults == 0 ? 0 : 1;
}

int run(double seconds, int workers)
{
    const testing::scratch_dir folder;
    const std::string path = folder.file("STRESS.DBF");
    const std::string log_prefix = folder.file("worker.log.");
    if (make(path, workers) != 0) {
        std::puts("cannot make the table");
        return 1;
    }
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 1;
    const std::string program(self, static_cast<std::size_t>(length));
    std::vector<std::unique_ptr<testing::background_program>> running;
    for (int worker = 0; worker < workers; ++worker) {
        running.push_back(std::make_unique<testing::background_program>(
            program, std::vector<std::string>{"work", path, std::to_string(worker), std::to_string(seconds),
                                              log_prefix + std::to_string(worker),
                                              std::to_string(std::random_device{}())}));
    }
    int status = 0;
    for (int worker = 0; worker < workers; ++worker) {
        if (const int exit = running[static_cast<std::size_t>(worker)]->finish(); exit != 0) {
            std::printf("FAULT worker %d ended with %d\n", worker, exit);
            status = 1;
        }
    }
    return check_stress_table(path, log_prefix, workers) != 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run" && argc == 4) return run(std::atof(argv[2]), std::atoi(argv[3]));
    if (command == "work" && argc == 7) {
        return work(argv[2], std::atoi(argv[3]), std::atof(argv[4]), argv[5],
                    static_cast<unsigned>(std::strtoul(argv[6], nullptr, 10)));
    }
    if (command == "check" && argc == 5) return check_stress_table(argv[2], argv[3], std::atoi(argv[4]));
    std::fputs("usage: stress_table run SECONDS WORKERS | work ... | check TABLE LOG_PREFIX WORKERS\n", stderr);
    return 2;
}
