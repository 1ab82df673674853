// The stress test's verdict: every change a worker logged is in the file,
// the record count fits the file size, and no two memos share a block.
#include "tests/hardening/stress_log.h"

#include "engine/table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace vortel::stress {
namespace {

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

}  // namespace

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

}  // namespace vortel::stress
