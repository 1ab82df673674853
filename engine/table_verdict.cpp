#include "engine/table_verdict.h"

#include "platform/companion_file.h"
#include "platform/error_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace vortel {
namespace {

// "AMOUNT N(70)"; a damaged descriptor's unreadable name or type byte is
// shown as "?", never passed on as a control character.
std::string field_shape(const field_descriptor& field)
{
    std::string name = descriptor_name(field);
    for (char& c : name) c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    const char type = descriptor_type(field);
    std::string shape = (name.empty() ? "?" : name) + " " + (type > 0x20 && type < 0x7F ? type : '?') + "(" +
                        std::to_string(descriptor_length(field));
    if (descriptor_decimals(field) > 0) shape += "," + std::to_string(descriptor_decimals(field));
    return shape + ")";
}

// Error words inside a sentence: "permission denied", not "Permission denied".
std::string lower_first(std::string words)
{
    if (!words.empty()) words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
    return words;
}

// Why the stored lengths cannot be laid out, "" when they can. A date
// takes eight characters whatever its descriptor says, so a shorter one
// (3 or 4 in some files) pushes the fields after it past the record.
std::string length_problem(const dbf_header& header, const std::vector<field_descriptor>& stored)
{
    for (std::size_t i = 0; i + 1 < stored.size(); ++i) {
        const field_descriptor& field = stored[i];
        if (within_length_limits(field)) continue;
        return "field " + field_shape(field) + " is longer than " + std::to_string(dbf_numeric_length_max) +
               " characters";
    }
    std::int64_t as_stored = 1, as_read = 1;
    const field_descriptor* short_date = nullptr;
    for (const field_descriptor& field : stored) {
        as_stored += descriptor_length(field);
        const bool date = descriptor_type(field) == 'D';
        as_read += date ? 8 : descriptor_length(field);
        if (date && descriptor_length(field) < 8 && short_date == nullptr) short_date = &field;
    }
    if (short_date != nullptr && as_stored <= header.record_length && as_read > header.record_length) {
        return "the date field " + descriptor_name(*short_date) + " is " +
               std::to_string(descriptor_length(*short_date)) + " characters long, but dates take 8";
    }
    return {};
}

// The descriptors of a table of another dBase-family version: from where
// its layout puts them up to the terminator, as the header's length also
// counts what some versions keep after it. dBase 7's longer descriptors are
// read into the dBase III layout (name, type, length, decimals), their
// whole names into `long_names`.
bool read_dialect_descriptors(file_handle& dbf, const dbf_header& header, const table_dialect& dialect,
                              std::vector<field_descriptor>& fields, std::vector<std::string>& long_names)
{
    fields.clear();
    long_names.clear();
    const int stride = descriptor_stride(dialect);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride));
    for (std::int64_t at = descriptor_start(dialect); at + 1 <= header.header_length; at += stride) {
        std::size_t got = 0;
        if (fh_seek(dbf, at, seek_origin::begin) != at || !fh_read(dbf, bytes.data(), bytes.size(), got)) return false;
        if (got >= 1 && bytes[0] == dbf_header_terminator) return true;
        if (got < bytes.size() || at + stride > header.header_length) return false;
        field_descriptor field;
        if (dialect.family == table_family::dbase7) {
            std::copy_n(bytes.begin(), 10, field.bytes.begin());
            field.bytes[11] = bytes[32];
            field.bytes[16] = bytes[33];
            field.bytes[17] = bytes[34];
            const auto* name = reinterpret_cast<const char*>(bytes.data());
            long_names.emplace_back(name, ::strnlen(name, 31));
        } else {
            std::copy_n(bytes.begin(), dbf_descriptor_size, field.bytes.begin());
        }
        fields.push_back(field);
    }
    return false;
}

// The first field of a dBase III table whose type dBase III does not know:
// its bytes are binary, and an edit would write text over them.
const field_descriptor* unknown_type_field(const std::vector<field_descriptor>& fields)
{
    for (const field_descriptor& field : fields) {
        if (!is_dbase3_type(descriptor_type(field))) return &field;
    }
    return nullptr;
}

}  // namespace

std::string joined_reasons(const std::vector<std::string>& reasons)
{
    std::string text;
    for (const std::string& reason : reasons) text += (text.empty() ? "" : "; ") + reason;
    return text;
}

std::string record_count_problem(std::int64_t count, std::int64_t held)
{
    if (count == held) return {};
    const std::string says = "the header says " + records_text(count) + " but the file holds ";
    const std::string repair = "; vortel-cli repair writes the count the file holds";
    if (count > held || count < 0) return says + count_text(held) + repair;
    // Whole records after the counted ones are most likely records whose
    // append was cut short before the count was written: an append now
    // would write over them.
    return says + count_text(held - count) + " more after them" + repair;
}

std::string records_text(std::int64_t count)
{
    return count_text(count) + (count == 1 ? " record" : " records");
}

std::string count_text(std::int64_t count)
{
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return count < 0 ? "-" + digits : digits;
}

std::string memo_name_text(const std::string& memo_path)
{
    const std::size_t slash = memo_path.rfind('/');
    return file_name_text(slash == std::string::npos ? memo_path : memo_path.substr(slash + 1));
}

table_verdict judge_table_file(file_handle& dbf, dbf_header& header, std::vector<field_descriptor>& fields)
{
    table_verdict verdict;
    const std::int64_t size = fh_size(dbf);
    if (size < 0) {
        verdict.refusal = error_text(dbf.os.last_error());
        return verdict;
    }
    if (!read_dbf_header(dbf, header)) {
        verdict.refusal = size < dbf_header_size ? "the file is shorter than a table header (32 bytes)"
                                                 : error_text(dbf.os.last_error());
        return verdict;
    }
    const std::optional<table_dialect> dialect = dialect_of_version(header.version);
    if (!dialect) {
        char version[8];
        std::snprintf(version, sizeof version, "0x%02X", header.version);
        verdict.refusal = std::string("version byte ") + version + ": not a dBase III table";
        return verdict;
    }
    verdict.dialect = *dialect;
    const bool read = verdict.dialect.family == table_family::dbase3
                          ? read_field_descriptors(dbf, field_count_for_header_length(header.header_length), fields)
                          : read_dialect_descriptors(dbf, header, verdict.dialect, fields, verdict.long_names);
    if (!read) {
        verdict.refusal = "the field descriptors run past the end of the file";
        return verdict;
    }
    if (verdict.dialect.decoded) {
        verdict.read_only_reasons.push_back(dialect_description(verdict.dialect) + ": shown read-only");
    } else if (const field_descriptor* unknown = unknown_type_field(fields)) {
        verdict.dialect.decoded = true;
        const char type = descriptor_type(*unknown);
        char shape[24];
        std::snprintf(shape, sizeof shape, " (type byte 0x%02X)", static_cast<unsigned char>(type));
        const std::string named =
            type > 0x20 && type < 0x7F ? field_shape(*unknown) : descriptor_name(*unknown) + shape;
        verdict.read_only_reasons.push_back("field " + named + " has a type dBase III does not know: shown read-only");
    }
    // Dates of other programs may be three or four binary bytes: their
    // lengths are taken as stored.
    if (!verdict.dialect.decoded) {
        verdict.refusal = length_problem(header, fields);
        for (field_descriptor& field : fields) normalise_date_length(field);
    } else {
        for (std::size_t i = 0; i + 1 < fields.size() && verdict.refusal.empty(); ++i) {
            if (!within_length_limits(fields[i])) verdict.refusal = length_problem(header, fields);
        }
    }
    if (verdict.refusal.empty()) verdict.refusal = dbf_layout_problem(header, fields, size);
    if (!verdict.refusal.empty()) return verdict;

    verdict.records_held = whole_records_in_file(header, size, header.record_count);
    verdict.records_shown = std::clamp<std::int64_t>(header.record_count, 0, verdict.records_held);
    if (std::string problem = record_count_problem(header.record_count, verdict.records_held); !problem.empty()) {
        verdict.read_only_reasons.push_back(std::move(problem));
    }
    return verdict;
}

bool open_table_file(file_handle& file, open_mode mode, const std::string& what, std::vector<std::string>& reasons)
{
    mode.creation = file_creation::open_existing;
    if (fh_open(file, mode)) return true;
    const int error = file.os.last_error();
    const bool only_writing_refused = error == EACCES || error == EPERM || error == EROFS;
    if ((mode.access & access_write) == 0 || !only_writing_refused) return false;
    if (!fh_open(file, table_read_only_mode)) return false;
    reasons.push_back(what + " is read-only (" + lower_first(error_text(error)) + ")");
    return true;
}

memo_file_outcome open_memo_file(file_handle& memo, const std::string& dbf_path, const open_mode& mode,
                                 std::vector<std::string>& reasons)
{
    return open_memo_file(memo, dbf_path, *dialect_of_version(dbf_version_with_memo), mode, reasons);
}

memo_file_outcome open_memo_file(file_handle& memo, const std::string& dbf_path, const table_dialect& dialect,
                                 const open_mode& mode, std::vector<std::string>& reasons)
{
    // Other systems write the memo file's name in another letter case.
    const std::string expected = memo_file_name(dialect, dbf_path);
    const std::string found = find_ignoring_case(expected);
    memo.name = found.empty() ? expected : found;
    const std::string what = "the memo file " + memo_name_text(memo.name);
    if (!found.empty() && open_table_file(memo, mode, what, reasons)) return {};
    const int error = found.empty() ? ENOENT : memo.os.last_error();
    memo_file_outcome outcome;
    if (error == ENOENT) {
        outcome.unavailable = what + " is missing";
    } else if (error == EACCES || error == EPERM) {
        outcome.unavailable = what + " cannot be read (" + lower_first(error_text(error)) + ")";
    } else {
        // Busy (a rebuild holds it) or failing: nothing says it is gone.
        outcome.refusal = error_text(error) + ": " + memo_name_text(memo.name);
        return outcome;
    }
    reasons.push_back(outcome.unavailable);
    return outcome;
}

}  // namespace vortel
