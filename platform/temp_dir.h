// The system's directory for short-lived files, as one text ending in its
// separator, so that callers build names by plain concatenation.
#pragma once

#include <cstddef>
#include <string>

namespace vortel {

// Longest directory text handed out; page-file names are built in 256 bytes.
inline constexpr std::size_t temp_directory_max = 255;

// TMPDIR when it names an absolute directory short enough to leave room for
// a file name, otherwise "/tmp/". Read at every call.
std::string temp_directory();

}  // namespace vortel
