// What the stress workers write to their logs and the checker reads back.
//
// Each worker logs only changes the engine reported as done, one line each,
// in the order it made them:
//   A N            appended record N (its OWNER field follows as an E line)
//   E N FIELD TEXT stored TEXT in FIELD of record N
//   D N 0|1        record N is now live (0) or deleted (1)
//   M N SEQ LEN    stored memo_text(worker, SEQ, LEN) as the memo of record N
// Field values, delete marks and memos change only on the worker's own
// records (the initial ones tagged with its name, and the ones it
// appended), so the last line about a record decides what the file holds.
#pragma once

#include <string>

namespace vortel::stress {

inline constexpr int initial_records_per_worker = 10;

inline std::string worker_name(int worker) { return "P" + std::to_string(worker); }

// A memo whose text tells who wrote it and when, of any length, so that
// memos of one, two or several blocks all occur.
inline std::string memo_text(int worker, long seq, long length)
{
    std::string text = worker_name(worker) + " memo " + std::to_string(seq) + ":";
    while (static_cast<long>(text.size()) < length) text += static_cast<char>('a' + text.size() % 26);
    return text;
}

// Checks the table against the logs of `workers` workers; prints what is
// wrong and gives 0 when nothing is.
int check_stress_table(const std::string& path, const std::string& log_prefix, int workers);

}  // namespace vortel::stress
