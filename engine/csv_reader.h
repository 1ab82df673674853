// Rows of comma-separated text as RFC 4180 lays them out, read from a file
// in large blocks.
//
//  1. A value in double quotes may hold the delimiter, line breaks and
//     doubled quotes (one quote each); its bytes come out as they stand.
//  2. CR LF, LF and a lone CR each end a row, also mixed in one file, as
//     files pasted together from several programs have them.
//  3. Whatever the reader cannot take as written (a quote left open, text
//     after a closing quote, a quote inside an unquoted value, a value
//     longer than the limit) ends the reading with a reason naming the
//     line, never with a guess: a guessed row could store other values than
//     the file means.
//  4. A line holding nothing is no row; lines are counted as the file has
//     them, line breaks inside quotes included, so "line 7" is the seventh
//     line an editor shows.
#pragma once

#include "engine/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vortel {

inline constexpr char csv_delimiters[] = {',', ';', '\t'};

class csv_reader {
public:
    csv_reader(file_handle& file, char delimiter, std::size_t longest_value);

    // Passes over `count` bytes at the start (a byte order mark).
    void skip_prefix(std::size_t count) { skip_ = count; }

    // The next row's values; false at the end of the file, after a failed
    // read (failed()) and on text the reader cannot take (error()).
    bool next(std::vector<std::string>& values);

    // The line on which the row given last began.
    std::int64_t line() const { return row_line_; }
    // Why reading stopped short, "line 7: ..." in plain words; "" when not.
    const std::string& error() const { return error_; }
    bool failed() const { return failed_; }
    // The bytes of the file read so far.
    std::int64_t consumed() const { return filled_ - static_cast<std::int64_t>(end_ - at_); }

private:
    int get();   // the next byte, or -1 at the end
    int peek();  // the next byte left in place, or -1
    bool fill();
    bool refuse(std::int64_t line, const std::string& why);
    bool add(std::string& value, char byte);
    void end_line(int byte);

    file_handle& file_;
    char delimiter_;
    std::size_t longest_;
    std::vector<char> block_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    std::int64_t filled_ = 0;
    std::size_t skip_ = 0;
    std::int64_t line_ = 1;
    std::int64_t row_line_ = 0;
    bool failed_ = false;
    std::string error_;
};

// The delimiter of a header row: the one of `,`, `;` and tab standing most
// often outside quotes, `,` when none does.
char detect_csv_delimiter(std::string_view header);

// Whether the whole file from its current position is valid UTF-8; false
// with `failed` set when it cannot be read. The position is left at the end.
bool file_is_utf8(file_handle& file, bool& failed);

}  // namespace vortel
