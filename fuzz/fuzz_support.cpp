#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vortel::fuzz {
namespace {

struct scratch {
    std::string path;

    scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vortel-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make the scratch folder");
        path = pattern + "/";
    }
    ~scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    scratch(const scratch&) = delete;
    scratch& operator=(const scratch&) = delete;
};

}  // namespace

const std::string& scratch_folder()
{
    static const scratch folder;
    return folder.path;
}

void write_file(const std::string& path, std::string_view bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) fail("cannot write a scratch file");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) fail("cannot write a scratch file");
}

void write_file(const std::string& path, std::span<const std::uint8_t> bytes)
{
    write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string read_file(const std::string& path, std::size_t limit)
{
    std::string bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return bytes;
    char chunk[16384];
    for (std::size_t got; bytes.size() < limit && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
        bytes.append(chunk, std::min(got, limit - bytes.size()));
    }
    std::fclose(in);
    return bytes;
}

void remove_file(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

std::uint16_t get16(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2) return 0;
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

bool split_table_input(std::span<const std::uint8_t> input, table_input& parts)
{
    if (input.empty()) return false;
    const auto text = [](std::span<const std::uint8_t> bytes) {
        return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    const auto rest = input.subspan(1);
    const std::size_t start = std::min<std::size_t>(2, rest.size());
    const std::size_t dbf_length = std::min<std::size_t>(get16(rest), rest.size() - start);
    parts = {input[0], text(rest.subspan(start, dbf_length)), text(rest.subspan(start + dbf_length))};
    return true;
}

}  // namespace vortel::fuzz
