#include "engine/sort_table.h"

#include "shell/settings.h"
#include "text/folding.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace vortel {
namespace {

struct key_fields {
    std::vector<int> fields;  // in key order, up to the first name that is no field
    int length = 0;           // of every named field that exists
};

key_fields parse_key(const table_object& table, std::string_view key)
{
    key_fields parsed;
    bool ended = false;
    for (std::size_t start = 0;;) {
        const std::size_t plus = key.find('+', start);
        const int index = field_index(table, key.substr(start, plus == std::string_view::npos ? plus : plus - start));
        if (index < 0) {
            ended = true;
        } else {
            // The field's length, not its text in the current record: a field
            // cut short by a zero byte there must not let longer keys through.
            parsed.length += field_info(table, index).length;
            if (!ended) parsed.fields.push_back(index);
        }
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    return parsed;
}

// Every record's key, folded once when SET_HUN_CMP asks for it, at a fixed
// stride and padded with zero bytes. Keys hold no zero byte, so comparing
// whole strides byte by byte orders them as the folded key comparison does.
std::vector<std::uint8_t> record_keys(const table_object& table, const std::vector<std::uint8_t>& records,
                                      std::size_t count, const key_fields& key, std::size_t stride)
{
    const bool fold = setting_by_index(SET_HUN_CMP) == "1";
    const folding_table& folding = table.conversion ? oem_folding_table : ansi_folding_table;
    const std::size_t length = table.header.record_length;
    std::vector<std::uint8_t> keys(count * stride, 0);
    for (std::size_t r = 0; r < count; ++r) {
        std::uint8_t* out = keys.data() + r * stride;
        for (int field : key.fields) {
            const std::uint8_t* bytes = records.data() + r * length + static_cast<std::size_t>(field_offset(table, field));
            const auto width = static_cast<std::size_t>(field_info(table, field).length);
            for (std::size_t i = 0; i < width && bytes[i] != 0; ++i) *out++ = fold ? folding[bytes[i]] : bytes[i];
        }
    }
    return keys;
}

// Moves each record to its place in key order, one spare record at a time.
void put_in_order(std::vector<std::uint8_t>& records, std::size_t length, std::vector<std::uint32_t>& order)
{
    std::vector<std::uint8_t> spare(length);
    auto at = [&](std::size_t index) { return records.data() + index * length; };
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) continue;
        std::memcpy(spare.data(), at(start), length);
        std::size_t hole = start;
        while (order[hole] != start) {
            const std::size_t from = order[hole];
            std::memcpy(at(hole), at(from), length);
            order[hole] = static_cast<std::uint32_t>(hole);
            hole = from;
        }
        std::memcpy(at(hole), spare.data(), length);
        order[hole] = static_cast<std::uint32_t>(hole);
    }
}

int sort_records(table_object& table, const key_fields& key)
{
    const std::int32_t count = record_count(table);  // again, now that no one else can append
    const std::size_t length = table.header.record_length;
    const auto records_count = static_cast<std::size_t>(std::max(count, 0));
    std::vector<std::uint8_t> records(records_count * length);

    // The records as the header counts them, or nothing: a file cut short
    // must not have the missing records written back as made-up bytes.
    std::size_t got = 0;
    const std::int64_t start = table.header.header_length;
    if (fh_seek(table.dbf, start, seek_origin::begin) != start ||
        (!records.empty() && (!fh_read(table.dbf, records.data(), records.size(), got) || got != records.size()))) {
        return 0;
    }

    const auto stride = static_cast<std::size_t>(std::max(key.length, 1));
    const std::vector<std::uint8_t> keys = record_keys(table, records, records_count, key, stride);
    std::vector<std::uint32_t> order(records_count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::memcmp(keys.data() + a * stride, keys.data() + b * stride, stride) < 0;
    });
    put_in_order(records, length, order);

    std::size_t put = 0;
    if (fh_seek(table.dbf, start, seek_origin::begin) != start) return 0;
    return fh_write(table.dbf, records.data(), records.size(), put) && put == records.size() ? 1 : 0;
}

}  // namespace

int sort_table(table_object& table, std::string_view key)
{
    if (record_count(table) <= 0) return 1;
    const key_fields parsed = parse_key(table, key);
    if (parsed.fields.empty() || parsed.length > sort_key_length_max) return 0;
    if (!lock_table(table)) return 0;

    // While the sort runs, SET_OEMTOANSI says whether the bytes it compares
    // are code page 852. The guard puts it, the lock and the position back
    // also when memory for the records runs out.
    struct restore {
        table_object& table;
        std::int32_t record;
        std::string oem_setting;
        ~restore()
        {
            go_to(table, record);
            setting_by_index(SET_OEMTOANSI, oem_setting);
            unlock(table);
        }
    } restore_on_exit{table, current_record(table), setting_by_index(SET_OEMTOANSI, table.conversion ? "1" : "0")};

    return sort_records(table, parsed);
}

}  // namespace vortel
