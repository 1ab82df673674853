#include "engine/create_table.h"

#include "engine/output_refusal.h"
#include "platform/clock.h"
#include "platform/native_file.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vortel {
namespace {

// Whether the header can hold the list: lengths and counts all fit their
// bytes, so that nothing wraps into a table that reads differently.
bool describable(const std::vector<field_list_entry>& fields)
{
    constexpr std::int64_t header_max = std::numeric_limits<std::uint16_t>::max();
    const std::int64_t header_length = dbf_descriptor_size * (static_cast<std::int64_t>(fields.size()) + 1) + 2;
    if (fields.empty() || header_length > header_max) return false;
    std::int64_t record = 1;
    for (const field_list_entry& field : fields) {
        // Only a character field's length takes the decimals byte too.
        const int length_max = field.type == 'C' ? 65535 : 255;
        if (field.length < 0 || field.length > length_max || field.decimals < 0 || field.decimals > 255) return false;
        record += field.length;
    }
    return record <= header_max;
}

// 1 when written whole; 0 when the file could not be opened, so it is as it
// was; -1 when it was opened (and emptied) but not written whole, or when an
// open that failed after creating the file left it behind empty.
int write_new_file(file_handle& file, const std::uint8_t* bytes, std::size_t count)
{
    const bool existed = file_exists(file.name);
    if (!fh_open(file, create_table_mode)) return existed || !file_exists(file.name) ? 0 : -1;
    std::size_t put = 0;
    const bool written = fh_write(file, bytes, count, put) && put == count;
    return fh_close(file) && written ? 1 : -1;
}

}  // namespace

bool has_memo_field(const std::vector<field_list_entry>& fields)
{
    return std::any_of(fields.begin(), fields.end(), [](const field_list_entry& f) { return f.type == 'M'; });
}

std::vector<std::uint8_t> new_table_header(const std::vector<field_list_entry>& fields)
{
    if (!describable(fields)) return {};
    const local_time today = local_time_now();
    return encode_new_table_header(fields, today.year, today.month, today.day);
}

int create_table(table_object& t, const std::vector<field_list_entry>& fields)
{
    if (t.open || !describable(fields)) return 0;
    // Creating the memo file would empty the table just written.
    if (has_memo_field(fields)) {
        if (std::string refusal = memo_name_refusal(t.dbf_name); !refusal.empty()) {
            note_failure(t, std::move(refusal));
            return 0;
        }
    }
    const local_time today = local_time_now();
    std::vector<std::uint8_t> head = encode_new_table_header(fields, today.year, today.month, today.day);
    // Other programs read the code page of the texts from byte 29.
    head[language_byte_offset] = language_byte(t.codepage.page);
    const int table_written = write_new_file(t.dbf, head.data(), head.size());
    if (table_written != 1) {
        if (table_written < 0) delete_file(t.dbf_name);
        return 0;
    }
    if (has_memo_field(fields)) {
        const auto block = new_dbt_header_block();
        const int memo_written = write_new_file(t.dbt, block.data(), block.size());
        if (memo_written != 1) {
            // A table that names a memo file it lacks cannot be opened.
            if (memo_written < 0) delete_file(t.dbt_name);
            delete_file(t.dbf_name);
            return 0;
        }
    }
    return 1;
}

}  // namespace vortel
