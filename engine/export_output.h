// What every export shares: the refusal of the table's own files, the
// table lock held for the whole run, the output written under a temporary
// name that takes the output's own only when complete, and the table put
// back on the record it stood on.
//
// After a failure a file under the output's name is as it was and nothing
// of the new one is left; every failure but a busy table notes its reason
// on the table, with the name the user gave ("Disk full: OUT.CSV").
#pragma once

#include "engine/file_handle.h"
#include "engine/table.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vortel {

// Collects what an export writes so that the file sees large writes. After
// a failed write it drops the rest and keeps the failure. Rows may be built
// in place at the end of the buffer (room, then commit), so a million-row
// output costs no text per cell.
class output_buffer {
public:
    explicit output_buffer(file_handle& file);

    // Inline: a page calls these once per row, a million times.
    void put(std::string_view bytes)
    {
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        commit(at + bytes.size());
    }
    // At least `count` writable bytes after what is pending; `commit` says
    // how far they were used.
    char* room(std::size_t count)
    {
        if (size_ + count > capacity_) {
            flush();
            if (count > capacity_) reserve(count);
        }
        return data_.get() + size_;
    }
    void commit(char* end)
    {
        size_ = static_cast<std::size_t>(end - data_.get());
        if (size_ >= flush_bytes) flush();
    }
    bool flush();

private:
    static constexpr std::size_t flush_bytes = std::size_t{1} << 20;

    void reserve(std::size_t capacity);

    file_handle& file_;
    std::unique_ptr<char[]> data_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    bool ok_ = true;
};

// `write_body` writes the whole output into the buffer; false when it gave
// up: it notes why on the table first, or a failed read of the table is
// noted. 1 when the output was written whole, 0 otherwise.
int run_export(table_object& table, const std::string& output,
               const std::function<bool(output_buffer& out)>& write_body);

// The same for a writer that creates its file itself by name: `write_file`
// writes the complete output to the temporary name it is given, or notes
// why it could not on the table and gives false.
int run_export_by_name(table_object& table, const std::string& output,
                       const std::function<bool(const std::string& temporary)>& write_file);

}  // namespace vortel
