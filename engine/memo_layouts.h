// Memo files other than dBase III's: dBase IV and 7 DBT files (block size
// in the header, each memo behind an eight-byte header that gives its
// length) and FoxPro FPT files (big-endian block size in the header, each
// memo behind its type and big-endian length). They are only ever read.
#pragma once

#include "engine/file_handle.h"
#include "engine/table_dialect.h"

#include <cstdint>
#include <string>

namespace vortel {

// The block size the memo file's header gives, or 512 (dBase III's, and
// what a header giving none or nonsense is read with); 0 when the header
// cannot be read.
int memo_block_size(file_handle& memo, memo_layout layout);

// The memo at `block` into `text`: the length its header gives, cut to
// what the file holds; a memo without a dBase IV header is read up to its
// end mark, as dBase III reads it. False when reading failed on the way.
bool read_memo_in_layout(file_handle& memo, memo_layout layout, int block_size, std::int64_t block,
                         std::string& text);

}  // namespace vortel
