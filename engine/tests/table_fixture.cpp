#include "engine/tests/table_fixture.h"

#include "engine/dbf_format.h"
#include "testing/scratch_dir.h"

#include <stdexcept>

namespace vortel::testing {

void write_table(const std::string& path, const std::vector<field_list_entry>& fields,
                 const std::vector<fixture_record>& records)
{
    std::vector<std::uint8_t> header = encode_new_table_header(fields, 2026, 12, 6);
    header[4] = static_cast<std::uint8_t>(records.size());
    header[5] = static_cast<std::uint8_t>(records.size() >> 8);
    header[6] = static_cast<std::uint8_t>(records.size() >> 16);
    std::string bytes(header.begin(), header.end());
    bool has_memo = false;
    std::size_t length = 0;
    for (const field_list_entry& field : fields) {
        has_memo = has_memo || field.type == 'M';
        length += static_cast<std::size_t>(field.length);
    }
    for (const fixture_record& record : records) {
        if (record.fields.size() != length) throw std::invalid_argument("record does not match its fields");
        bytes += record.deleted ? dbf_deleted_mark : dbf_live_mark;
        bytes += record.fields;
    }
    write_file(path, bytes);
    if (has_memo) {
        auto block = new_dbt_header_block();
        write_file(dbt_file_name(path), std::string(block.begin(), block.end()));
    }
}

std::string record_of(const std::vector<field_list_entry>& fields, const std::vector<std::string>& values)
{
    std::string bytes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = i < values.size() ? values[i] : std::string();
        value.resize(static_cast<std::size_t>(fields[i].length), ' ');
        bytes += value;
    }
    return bytes;
}

}  // namespace vortel::testing
