// Several processes editing one table at once through the engine's
// non-waiting locks, each retrying refusals and logging what it stored
// (tests/hardening/stress_log.h), then a check of the file against the logs.
//
//   stress_table run SECONDS WORKERS   make the table in a scratch folder, run the workers, check
//   stress_table work TABLE WORKER SECONDS LOG SEED
//   stress_table check TABLE LOG_PREFIX WORKERS
#include "tests/hardening/stress_log.h"

#include "commands/cell_store.h"
#include "commands/record_commands.h"
#include "engine/create_table.h"
#include "engine/table.h"
#include "testing/child_process.h"
#include "testing/scratch_dir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <unistd.h>

using namespace vortel;
using namespace vortel::stress;

namespace {

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
