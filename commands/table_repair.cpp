#include "commands/table_repair.h"

#include "commands/rebuild_names.h"
#include "commands/record_commands.h"
#include "engine/table_verdict.h"
#include "platform/error_text.h"

#include <cerrno>
#include <limits>
#include <vector>

namespace vortel {
namespace {

// More numbered names than any folder holds by accident, as for rebuilds.
constexpr std::size_t copy_block = 1 << 16;

repair_result failed(repair_status status, std::string message)
{
    return {status, std::move(message), {}};
}

// Copies the whole of `from` into `to` and puts the copy on the disk; ""
// when done, else the error met with the file that met it.
std::string copy_whole(file_handle& from, file_handle& to)
{
    if (fh_seek(from, 0, seek_origin::begin) != 0) return file_error_text(from.os.last_error(), from.name);
    std::vector<char> block(copy_block);
    for (;;) {
        std::size_t got = 0;
        if (!fh_read(from, block.data(), block.size(), got)) {
            if (!from.end_of_file) return file_error_text(from.os.last_error(), from.name);
            break;
        }
        if (got == 0) break;
        std::size_t put = 0;
        if (!fh_write(to, block.data(), got, put) || put != got) return file_error_text(to.os.last_error(), to.name);
    }
    return to.os.sync() ? std::string() : file_error_text(to.os.last_error(), to.name);
}

}  // namespace

repair_result repair_record_count(const std::string& table_path)
{
    file_handle table(table_path, 512);
    std::vector<std::string> reasons;
    if (!open_table_file(table, table_read_write_mode, "the file", reasons)) {
        return failed(repair_status::refused, file_error_text(table.os.last_error(), table_path));
    }
    if (!reasons.empty()) return failed(repair_status::refused, "Nothing can be written: " + reasons.front());
    if (!table.os.claim_sole_use()) {
        const int error = table.os.last_error();
        return error == EBUSY ? failed(repair_status::busy, table_busy_text)
                              : failed(repair_status::failed, file_error_text(error, table_path));
    }

    dbf_header header;
    std::vector<field_descriptor> fields;
    const table_verdict verdict = judge_table_file(table, header, fields);
    if (!verdict.refusal.empty()) {
        return failed(repair_status::refused, "The record count cannot be repaired: " + verdict.refusal);
    }
    if (header.record_count == verdict.records_held) {
        return failed(repair_status::nothing_to_repair, "Nothing to repair: the header counts the " +
                                                            records_text(verdict.records_held) + " the file holds");
    }
    if (verdict.records_held > std::numeric_limits<std::int32_t>::max()) {
        return failed(repair_status::refused, "The file holds more records than a header can count");
    }

    // The copy goes where the table's file is, links followed, as a
    // rebuild's backups do.
    std::string real_path = resolved_path(table_path);
    if (real_path.empty()) real_path = table_path;
    repair_result result;
    file_handle backup("");
    const numbered_claim claim = claim_numbered_name(real_path, backup_kind, [&backup](const std::string& name) {
        backup.name = name;
        if (fh_open(backup, access_read | access_write, share_read | share_write, file_creation::create_new)) {
            return name_try::claimed;
        }
        return backup.os.last_error() == EEXIST ? name_try::in_use : name_try::failed;
    });
    if (claim.outcome == name_try::failed) {
        return failed(repair_status::failed, file_error_text(backup.os.last_error(), backup.name));
    }
    if (claim.outcome == name_try::in_use) {
        return failed(repair_status::failed, "No free backup name beside " + file_name_text(real_path));
    }
    result.backup = claim.name;
    if (std::string problem = copy_whole(table, backup); !problem.empty()) {
        // A copy cut short is no backup: it goes, and the table stays as it was.
        fh_close(backup);
        delete_file(result.backup);
        return failed(repair_status::failed, problem);
    }
    fh_close(backup);
    if (!write_record_count(table, static_cast<std::int32_t>(verdict.records_held)) || !table.os.sync()) {
        result.status = repair_status::failed;
        result.message = file_error_text(table.os.last_error(), table_path) +
                         "; the table as it was is kept as " + file_name_text(result.backup);
        return result;
    }
    result.status = repair_status::repaired;
    result.message = "The header counted " + records_text(header.record_count) + " and now counts the " +
                     records_text(verdict.records_held) + " the file holds; the table as it was is kept as " +
                     file_name_text(result.backup);
    return result;
}

}  // namespace vortel
