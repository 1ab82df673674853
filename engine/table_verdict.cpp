#include "engine/table_verdict.h"

#include "platform/companion_file.h"
#include "platform/error_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

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
    if (header.version != dbf_version_plain && header.version != dbf_version_with_memo) {
        char version[8];
        std::snprintf(version, sizeof version, "0x%02X", header.version);
        verdict.refusal = std::string("version byte ") + version + ": not a dBase III table";
        return verdict;
    }
    if (!read_field_descriptors(dbf, field_count_for_header_length(header.header_length), fields)) {
        verdict.refusal = "the field descriptors run past the end of the file";
        return verdict;
    }
    verdict.refusal = length_problem(header, fields);
    for (field_descriptor& field : fields) normalise_date_length(field);
    if (verdict.refusal.empty()) verdict.refusal = dbf_layout_problem(header, fields, size);
    if (!verdict.refusal.empty()) return verdict;

    verdict.records_held = whole_records_in_file(header, size);
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
    // Other systems write the memo file's name in another letter case.
    const std::string found = find_ignoring_case(dbt_file_name(dbf_path));
    memo.name = found.empty() ? dbt_file_name(dbf_path) : found;
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
