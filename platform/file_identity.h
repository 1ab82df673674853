// Telling files apart by what they are rather than by how they are named.
//
// A symbolic link, a hard link, "./" or a folder reached another way all
// spell one file differently; comparing names would let a command write
// over the very file it reads. Existing files are compared by device and
// inode. A name that does not exist yet is compared by the identity of its
// folder and its last component (after following a dangling link), so that
// two spellings of one file still to be created also count as one.
#pragma once

#include <string>

namespace vortel {

// Whether `a` and `b` name the same file, existing or to be created.
bool names_one_file(const std::string& a, const std::string& b);

}  // namespace vortel
