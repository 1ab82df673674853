#include "testing/scratch_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vortel::testing {

scratch_dir::scratch_dir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vortel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
}

scratch_dir::~scratch_dir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path)
{
    std::ostringstream bytes;
    if (std::ifstream in(path, std::ios::binary); in) bytes << in.rdbuf();
    return std::move(bytes).str();
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) throw std::runtime_error("cannot write " + path);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write " + path);
}

}  // namespace vortel::testing
