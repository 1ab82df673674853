// Reading the memos of a table that holds its table lock, in large blocks.
// Under the table lock no other process writes a memo of the table (a memo
// is stored under its record's lock), so the blocks read once stay true for
// the whole copy, and memos stored in file order, as a copy reads them, are
// read a megabyte at a time instead of a block at a time.
#pragma once

#include "engine/table.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vortel {

class memo_read_ahead {
public:
    explicit memo_read_ahead(table_object& table) : table_(table) {}

    // As memo_read_whole for a table whose texts pass as stored: the memo
    // whose first block `block_text` names, whole.
    [[nodiscard]] bool read(std::string_view block_text, std::string& text);

private:
    bool load(std::int64_t offset);

    table_object& table_;
    std::string window_;
    std::int64_t window_at_ = -1;  // the file offset of window_'s first byte
};

}  // namespace vortel
