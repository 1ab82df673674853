#include "engine/export.h"

#include "engine/export_output.h"
#include "engine/field_copy.h"
#include "engine/field_decode.h"
#include "engine/record_blocks.h"
#include "platform/code_page.h"
#include "platform/codepage.h"
#include "platform/error_text.h"
#include "text/text_ops.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vortel {
namespace {

// Which bytes a page must write as entities; 0 for the others.
constexpr std::array<std::uint8_t, 256> html_specials = [] {
    std::array<std::uint8_t, 256> table{};
    table['&'] = table['<'] = table['>'] = table['"'] = 1;
    return table;
}();

// What a cell needs to know of each stored byte, in one lookup.
constexpr std::uint8_t not_blank = 1;
constexpr std::uint8_t special_character = 2;
constexpr std::uint8_t end_of_text = 4;  // a zero byte ends a field's text
constexpr std::array<std::uint8_t, 256> byte_kinds = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        table[byte] = static_cast<std::uint8_t>((byte == ' ' ? 0 : not_blank) |
                                                (html_specials[byte] != 0 ? special_character : 0));
    }
    table[0] = end_of_text;
    return table;
}();

std::string_view html_entity(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return "&quot;";
    }
}

template <std::size_t size>
char* copy_bytes(char* out, const char (&bytes)[size])
{
    std::memcpy(out, bytes, size - 1);
    return out + size - 1;
}

// What each stored byte of a single-byte code page is written as in a
// Windows-1250 page: the character as field_text shows it.
using byte_map = std::array<char, 256>;

byte_map cell_byte_map(code_page page)
{
    byte_map map{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::string shown;
        stored_to_program(page, std::string(1, static_cast<char>(byte)), shown);
        map[byte] = shown.empty() ? '?' : shown[0];
    }
    return map;
}

constexpr byte_map identity_map = [] {
    byte_map map{};
    for (unsigned byte = 0; byte < 256; ++byte) map[byte] = static_cast<char>(byte);
    return map;
}();

// Whether each byte of a field is one character of the page the export
// writes, so that cells can be written byte by byte through a map.
bool one_byte_per_character(code_page page, export_encoding encoding)
{
    return encoding == export_encoding::usual && page != code_page::utf8 && page != code_page::cp936;
}

// One cell of the page at `out`, from a field's `width` stored bytes up to
// the first zero byte, each written as `map` says: "&nbsp;" for a blank
// text, otherwise the text with its special characters as entities.
// Returns the end. `out` has room for six bytes per byte of the field.
// Conversion never makes or removes a blank or a special character: both
// are ASCII.
char* put_cell(char* out, const std::uint8_t* field, std::size_t width, const byte_map& map)
{
    // Most cells hold nothing special: they are written in the pass that
    // finds out.
    unsigned seen = 0;
    std::size_t length = 0;
    for (; length < width; ++length) {
        const std::uint8_t kind = byte_kinds[field[length]];
        if (kind == end_of_text) break;
        seen |= kind;
        out[length] = map[field[length]];
    }
    if ((seen & not_blank) == 0) return copy_bytes(out, "&nbsp;");
    if ((seen & special_character) == 0) return out + length;
    for (std::size_t i = 0; i < length; ++i) {
        if (html_specials[field[i]] == 0) {
            *out++ = map[field[i]];
            continue;
        }
        const std::string_view entity = html_entity(static_cast<char>(field[i]));
        std::memcpy(out, entity.data(), entity.size());
        out += entity.size();
    }
    return out;
}

std::string html_escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (html_specials[static_cast<unsigned char>(c)] == 0)
            escaped += c;
        else
            escaped += html_entity(c);
    }
    return escaped;
}

// A line of a table with binary fields: each field as field_text shows it
// (stored texts as stored, or in UTF-8), filled up to the widest text the
// field shows; null flags are shown in the fields they cover.
std::string decoded_line(table_object& table, std::span<const std::uint8_t> record, export_encoding encoding)
{
    std::copy(record.begin(), record.end(), table.record.begin());
    std::string line;
    for (int i = 0; i < field_count(table); ++i) {
        if (i == table.null_flags_field) continue;
        const auto at = static_cast<std::size_t>(i);
        std::string text;
        if (field_is_decoded(table, i)) {
            text = field_text(table, i);
        } else {
            const std::string_view stored(reinterpret_cast<const char*>(record.data()) + field_offset(table, i),
                                          static_cast<std::size_t>(descriptor_length(table.fields[at])));
            text = encoding == export_encoding::utf8 ? stored_to_utf8(table.codepage.page, stored) : std::string(stored);
        }
        text.resize(std::max(text.size(), shown_width(table.dialect, table.fields[at])), ' ');
        line += text;
    }
    return line;
}

}  // namespace

int export_text(table_object& table, const std::string& output, const std::function<void(int percent)>& progress,
                export_encoding encoding)
{
    return run_export(table, output, [&table, &progress, encoding](output_buffer& out) {
        record_block_reader reader(table);
        progress_meter meter(progress, reader.counted());
        for (auto record = reader.next(); !record.empty(); record = reader.next()) {
            if (!navigation_hides(table.navigation, reader.number(), record[0] == dbf_deleted_mark)) {
                const std::string_view bytes(reinterpret_cast<const char*>(record.data()) + 1, record.size() - 1);
                if (table.dialect.decoded) {
                    out.put(decoded_line(table, record, encoding));
                } else if (encoding == export_encoding::utf8) {
                    out.put(stored_to_utf8(table.codepage.page, bytes));
                } else {
                    out.put(bytes);
                }
                out.put("\r\n");
            }
            meter.step(reader.number());
        }
        if (reader.failed()) return false;
        meter.finish();
        return true;
    });
}

int export_html(table_object& table, const std::string& output, std::string_view title,
                const std::vector<std::string>& captions, const std::function<void(int percent)>& progress,
                export_encoding encoding)
{
    return run_export(table, output, [&](output_buffer& out) {
        const bool utf8 = encoding == export_encoding::utf8;
        // The page's own words are program text, in the page's encoding.
        const auto page_text = [utf8](std::string_view text) {
            return html_escaped(utf8 ? ansi_to_utf8(text) : std::string(text));
        };
        out.put(utf8 ? "<HTML>\r\n<HEAD>\r\n<META http-equiv=\"content-type\" content=\"TEXT/HTML; charset=utf-8\">"
                       "<TITLE>"
                     : "<HTML>\r\n<HEAD>\r\n<META http-equiv=\"content-type\" content=\"TEXT/HTML; "
                       "charset=windows-1250\"><TITLE>");
        out.put(page_text(title));
        out.put("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<TABLE border=\"1\" frame=box>\r\n<CAPTION>");
        // A file name is the file system's bytes (UTF-8), already the text
        // of a UTF-8 page; a Windows-1250 page gets it as program text.
        out.put(html_escaped(utf8 ? output : file_name_text(output)));
        out.put("</CAPTION><TR>");
        for (int i = 0; i < field_count(table); ++i) {
            if (i == table.null_flags_field) continue;  // shown in the fields it covers
            const auto at = static_cast<std::size_t>(i);
            out.put("<TH>");
            out.put(page_text(at < captions.size() ? captions[at] : std::string()));
            out.put("</TH>");
        }
        out.put("</TR>\r\n");

        // The cells are the texts field_text gives, conversion included,
        // written straight from the records read in blocks; in UTF-8 every
        // character whole, also those Windows-1250 lacks.
        struct cell_place {
            std::size_t offset;
            std::size_t width;
            int decoded;  // the field's index when field_text shows a value, else -1
        };
        std::vector<cell_place> cells;
        for (int i = 0; i < field_count(table); ++i) {
            if (i == table.null_flags_field) continue;
            const bool decoded = field_is_decoded(table, i);
            cells.push_back({static_cast<std::size_t>(field_offset(table, i)),
                             decoded ? shown_width(table.dialect, table.fields[static_cast<std::size_t>(i)])
                                     : static_cast<std::size_t>(field_info(table, i).length),
                             decoded ? i : -1});
        }
        const code_page page = table.codepage.page;
        const bool mapped = one_byte_per_character(page, encoding);
        const byte_map map = mapped ? cell_byte_map(page) : identity_map;
        std::string converted;
        // A converted cell is never longer than six bytes per stored byte
        // either: a special character stays one byte before its entity, and
        // no character takes more than three bytes of UTF-8 per stored byte.
        const auto put_converted = [&](char* at, const std::uint8_t* field, std::size_t width) {
            const std::string_view stored = stored_text(field, width);
            if (utf8) {
                converted = stored_to_utf8(page, stored);
            } else {
                stored_to_program(page, stored, converted);
            }
            return put_cell(at, reinterpret_cast<const std::uint8_t*>(converted.data()), converted.size(), map);
        };
        record_block_reader reader(table);
        progress_meter meter(progress, reader.counted());
        // The record is written before progress is told, so that whatever
        // the callback does cannot reach the record buffer in between.
        std::size_t row_room = 4 + 7;  // "<TR>" and "</TR>\r\n"
        for (const auto& cell : cells) row_room += 4 + 5 + 6 * std::max<std::size_t>(cell.width, 1);
        for (auto record = reader.next(); !record.empty(); record = reader.next()) {
            if (record[0] != dbf_deleted_mark && !filter_hides(table.navigation, reader.number())) {
                char* at = out.room(row_room);
                at = copy_bytes(at, "<TR>");
                if (table.dialect.decoded) std::copy(record.begin(), record.end(), table.record.begin());
                for (const auto& [offset, width, decoded] : cells) {
                    at = copy_bytes(at, "<TD>");
                    if (decoded >= 0) {
                        // Shown values are ASCII and no wider than the room counted.
                        const std::string shown = field_text(table, decoded).substr(0, width);
                        at = put_cell(at, reinterpret_cast<const std::uint8_t*>(shown.data()), shown.size(),
                                      identity_map);
                    } else {
                        at = mapped ? put_cell(at, record.data() + offset, width, map)
                                    : put_converted(at, record.data() + offset, width);
                    }
                    at = copy_bytes(at, "</TD>");
                }
                out.commit(copy_bytes(at, "</TR>\r\n"));
            }
            meter.step(reader.number());
        }
        out.put("</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
        if (reader.failed()) return false;
        meter.finish();
        return true;
    });
}

}  // namespace vortel
