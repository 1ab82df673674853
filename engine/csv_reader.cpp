#include "engine/csv_reader.h"

#include "engine/record_blocks.h"

#include <algorithm>
#include <array>

namespace vortel {

csv_reader::csv_reader(file_handle& file, char delimiter, std::size_t longest_value)
    : file_(file), delimiter_(delimiter), longest_(longest_value), block_(bulk_block_bytes)
{
}

bool csv_reader::fill()
{
    if (failed_) return false;
    std::size_t got = 0;
    if (!fh_read(file_, block_.data(), block_.size(), got)) {
        failed_ = !file_.end_of_file;
        return false;
    }
    at_ = 0;
    end_ = got;
    filled_ += static_cast<std::int64_t>(got);
    if (skip_ > 0) {
        at_ = std::min(skip_, end_);
        skip_ -= at_;
    }
    return at_ < end_ || (got > 0 && fill());
}

int csv_reader::get()
{
    if (at_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(block_[at_++]);
}

int csv_reader::peek()
{
    if (at_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(block_[at_]);
}

bool csv_reader::refuse(std::int64_t line, const std::string& why)
{
    error_ = "line " + std::to_string(line) + ": " + why;
    return false;
}

bool csv_reader::add(std::string& value, char byte)
{
    if (value.size() >= longest_) return false;
    value += byte;
    return true;
}

// CR LF counts as one line end; the CR was taken already.
void csv_reader::end_line(int byte)
{
    if (byte == '\r' && peek() == '\n') ++at_;
    ++line_;
}

bool csv_reader::next(std::vector<std::string>& values)
{
    const std::string too_long = "a value longer than " + std::to_string(longest_) + " bytes";
    for (;;) {
        if (!error_.empty()) return false;
        values.assign(1, {});
        row_line_ = line_;
        int byte = get();
        if (byte < 0) return false;
        if (byte == '\r' || byte == '\n') {  // a line holding nothing
            end_line(byte);
            continue;
        }
        for (;;) {
            std::string& value = values.back();
            if (byte == '"' && value.empty()) {
                const std::int64_t opened = line_;
                for (;;) {
                    byte = get();
                    if (byte < 0) {
                        if (failed_) return false;
                        return refuse(opened, "the quote opened here is never closed");
                    }
                    if (byte == '"') {
                        if (peek() != '"') break;
                        ++at_;
                    } else if (byte == '\r' || byte == '\n') {
                        if (byte == '\r' && peek() == '\n') {
                            if (!add(value, '\r')) return refuse(opened, too_long);
                            byte = get();
                        }
                        ++line_;
                    }
                    if (!add(value, static_cast<char>(byte))) return refuse(opened, too_long);
                }
                byte = get();
                if (byte >= 0 && byte != delimiter_ && byte != '\r' && byte != '\n') {
                    return refuse(line_, "text follows the closing quote of a value");
                }
            } else {
                while (byte >= 0 && byte != delimiter_ && byte != '\r' && byte != '\n') {
                    if (byte == '"') return refuse(line_, "a quote stands inside a value that does not begin with one");
                    if (!add(value, static_cast<char>(byte))) return refuse(line_, too_long);
                    byte = get();
                }
            }
            if (byte == delimiter_) {
                values.emplace_back();
                byte = get();
                continue;
            }
            if (byte >= 0) end_line(byte);
            return !failed_;
        }
    }
}

char detect_csv_delimiter(std::string_view header)
{
    std::array<std::size_t, std::size(csv_delimiters)> counts{};
    bool quoted = false;
    for (const char byte : header) {
        if (byte == '"') quoted = !quoted;
        if (quoted) continue;
        for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += byte == csv_delimiters[i];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? ',' : csv_delimiters[static_cast<std::size_t>(most - counts.begin())];
}

bool file_is_utf8(file_handle& file, bool& failed)
{
    std::vector<unsigned char> block(bulk_block_bytes);
    int expected = 0;                       // continuation bytes still to come
    unsigned char low = 0x80, high = 0xBF;  // the range of the next continuation byte
    for (;;) {
        std::size_t got = 0;
        if (!fh_read(file, block.data(), block.size(), got)) {
            failed = !file.end_of_file;
            return !failed && expected == 0;
        }
        if (got == 0) return expected == 0;
        for (std::size_t i = 0; i < got; ++i) {
            const unsigned char byte = block[i];
            if (expected > 0) {
                if (byte < low || byte > high) return false;
                low = 0x80;
                high = 0xBF;
                --expected;
                continue;
            }
            if (byte < 0x80) continue;
            // Overlong forms and surrogates are no UTF-8 (RFC 3629).
            if (byte >= 0xC2 && byte <= 0xDF) {
                expected = 1;
            } else if (byte >= 0xE0 && byte <= 0xEF) {
                expected = 2;
                if (byte == 0xE0) low = 0xA0;
                if (byte == 0xED) high = 0x9F;
            } else if (byte >= 0xF0 && byte <= 0xF4) {
                expected = 3;
                if (byte == 0xF0) low = 0x90;
                if (byte == 0xF4) high = 0x8F;
            } else {
                return false;
            }
        }
    }
}

}  // namespace vortel
