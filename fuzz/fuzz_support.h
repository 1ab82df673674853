// What the fuzz targets share: one scratch folder per process, reused by
// every input under fixed file names, whole-file reads and writes, and a
// stop for broken promises that the fuzzer reports as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vortel::fuzz {

// The process's own folder under the temporary directory, ending in '/'.
// Made on first use and removed with its contents at a normal exit.
const std::string& scratch_folder();

// Replaces the file's contents; stops the run when it cannot.
void write_file(const std::string& path, std::span<const std::uint8_t> bytes);
void write_file(const std::string& path, std::string_view bytes);
// Contents up to `limit` bytes ("" when the file cannot be read).
std::string read_file(const std::string& path, std::size_t limit = SIZE_MAX);
void remove_file(const std::string& path);

// Reports `what` and aborts, so that libFuzzer saves the input.
[[noreturn]] void fail(const char* what);

// Little-endian 16-bit number at the start of `bytes` (0 when too short).
std::uint16_t get16(std::span<const std::uint8_t> bytes);

// The layout of the targets that read a table file and its memo file: a
// flags byte (bit 0: there is a memo file), the table file's length (two
// bytes, little-endian), the table file, then the memo file. Parts the
// input is too short for are empty.
struct table_input {
    std::uint8_t flags = 0;
    std::string_view dbf;
    std::string_view dbt;
    bool with_memo_file() const { return (flags & 1) != 0; }
};
// Nothing for an empty input.
bool split_table_input(std::span<const std::uint8_t> input, table_input& parts);

}  // namespace vortel::fuzz
