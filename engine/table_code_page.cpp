#include "engine/table_code_page.h"

#include "engine/table.h"
#include "platform/code_page_guess.h"
#include "platform/companion_file.h"
#include "runtime/settings.h"
#include "text/text_to_number.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace vortel {
namespace {

// Enough records to find accented letters in, little enough that opening
// a table stays quick however large it is.
constexpr std::int64_t sample_bytes_max = 16 * 1024;
// A .cpg file holds one name; anything longer is something else.
constexpr std::size_t cpg_bytes_max = 256;

std::string cpg_name(const std::string& dbf_name)
{
    const std::size_t slash = dbf_name.rfind('/');
    const std::size_t dot = dbf_name.rfind('.');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (has_extension ? dbf_name.substr(0, dot) : dbf_name) + ".cpg";
}

std::string base_name(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool from_cpg_file(const table_object& table, table_code_page& code)
{
    const std::string found = find_ignoring_case(cpg_name(table.dbf_name));
    if (found.empty()) return false;
    std::ifstream file(found, std::ios::binary);
    std::string text(cpg_bytes_max, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    // "UTF-8" in a file that begins with a byte order mark is still "UTF-8".
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    const std::optional<code_page> page = code_page_from_name(text);
    if (!page) return false;
    code = {*page, code_page_origin::cpg_file, 0, base_name(found)};
    return true;
}

// The character fields' bytes of the first records, read beside the table's
// own position.
std::string text_sample(table_object& table)
{
    const std::int64_t length = table.header.record_length;
    if (length <= 0) return {};
    const std::int64_t count = std::max(table.header.record_count, 0);
    const std::int64_t wanted = std::min(count * length, sample_bytes_max / length * length);
    std::string records(static_cast<std::size_t>(std::max<std::int64_t>(wanted, 0)), '\0');
    if (records.empty() || !table.dbf.os.read_whole_at(table.header.header_length, records.data(), records.size())) return {};
    // Most tables hold ASCII only, which every code page reads alike.
    if (std::none_of(records.begin(), records.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return {};
    }
    std::string sample;
    for (std::size_t start = 0; start + static_cast<std::size_t>(length) <= records.size(); start += length) {
        for (int i = 0; i < field_count(table); ++i) {
            if (field_type(table, i) != 'C') continue;
            sample.append(records, start + static_cast<std::size_t>(field_offset(table, i)),
                          static_cast<std::size_t>(field_info(table, i).length));
            sample += ' ';
        }
    }
    return sample;
}

}  // namespace

table_code_page setting_code_page()
{
    const bool oem = text_to_long(setting_by_index(SET_OEMTOANSI)) != 0;
    return {oem ? code_page::cp852 : code_page::cp1250, code_page_origin::setting, 0, {}};
}

std::string code_page_description(const table_code_page& code)
{
    std::string text(code_page_name(code.page));
    switch (code.origin) {
    case code_page_origin::cpg_file: return text + " (from " + code.cpg_file + ")";
    case code_page_origin::language_byte: {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", code.language_byte);
        return text + " (from byte 29 = " + byte + ")";
    }
    case code_page_origin::guessed: return text + " (guessed from the text)";
    case code_page_origin::setting: return text + " (setting SET_OEMTOANSI)";
    case code_page_origin::chosen: return text + " (chosen)";
    }
    return text;
}

table_code_page detect_code_page(table_object& table)
{
    table_code_page code;
    if (from_cpg_file(table, code)) return code;
    const std::uint8_t byte = table.header.reserved[language_byte_offset - 12];
    if (const std::optional<code_page> page = code_page_from_language_byte(byte)) {
        return {*page, code_page_origin::language_byte, byte, {}};
    }
    if (const std::optional<code_page> page = guess_code_page(text_sample(table))) {
        return {*page, code_page_origin::guessed, 0, {}};
    }
    return setting_code_page();
}

void choose_code_page(table_object& table, code_page page)
{
    table.codepage = {page, code_page_origin::chosen, 0, {}};
}

std::uint8_t language_byte_for(const table_code_page& code, std::uint8_t current)
{
    if (code_page_from_language_byte(current) == code.page) return current;
    return language_byte(code.page);
}

}  // namespace vortel
