#include "commands/table_rebuild.h"

#include "commands/rebuild_journal.h"
#include "commands/rebuild_names.h"
#include "platform/companion_file.h"
#include "platform/error_text.h"

#include <cerrno>
#include <memory>
#include <utility>

namespace vortel {
namespace {

// More numbered names than any folder holds by accident: past them the
// folder is full of our names, and the rebuild stops rather than search on.

constexpr const char* busy_reason = "The table busy !";

// The memo file of the table file `path` as it stands, whatever its letter
// case, or the name a new one takes.
std::string memo_file_beside(const std::string& path)
{
    const std::string found = find_ignoring_case(dbt_file_name(path));
    return found.empty() ? dbt_file_name(path) : found;
}

std::string words_for(int error, const std::string& path)
{
    return file_error_text(error, path);
}

struct planned_move {
    native_file* file;
    std::string from;
    std::string to;
};

class rebuild_run {
public:
    rebuild_run(table_object& table, const rebuild_plan& plan) : table_(table), plan_(plan) {}

    rebuild_outcome run();

private:
    bool claim();
    bool check_names();
    bool start_journal();
    bool create_copy();
    bool create_exclusively(file_handle& file, bool& taken);
    bool fill_copy();
    bool replace();
    bool move(native_file& file, const std::string& from, const std::string& to);
    bool undo_moves();
    void finish_done();
    void clean_up_failure();
    bool remove_copy();

    rebuild_outcome refuse(rebuild_status status, std::string reason);
    bool fail(std::string reason);
    bool fail_system(int error, const std::string& path) { return fail(words_for(error, path)); }

    table_object& table_;
    const rebuild_plan& plan_;
    rebuild_outcome outcome_;

    bool locked_ = false;
    std::string real_path_;   // the table file where it is, links resolved
    std::string memo_path_;   // its memo name beside it
    file_identity table_id_;
    file_identity memo_id_;
    native_file* old_memo_ = nullptr;  // the memo file taking part, claimed
    native_file stray_memo_;           // a memo file the table does not open
    rebuild_journal journal_;
    bool journal_in_the_way_ = false;
    std::unique_ptr<table_object> copy_;
    file_identity copy_id_;
    file_identity copy_memo_id_;
    std::string backup_;
    std::string backup_memo_;
    std::vector<planned_move> moves_done_;
};

rebuild_outcome rebuild_run::refuse(rebuild_status status, std::string reason)
{
    outcome_.status = status;
    outcome_.reason = std::move(reason);
    clean_up_failure();
    return outcome_;
}

bool rebuild_run::fail(std::string reason)
{
    note_failure(table_, std::move(reason));
    return false;
}

bool rebuild_run::claim()
{
    if (!lock_table(table_)) return false;
    locked_ = true;
    if (!table_.dbf.os.claim_sole_use()) return false;
    return !table_.dbt.os.is_open() || table_.dbt.os.claim_sole_use();
}

// Where the table really is, and whether its memo file there is the one
// the table opened; every refusal here comes before anything is created.
bool rebuild_run::check_names()
{
    real_path_ = resolved_path(table_.dbf_name);
    if (real_path_.empty()) return fail_system(errno, table_.dbf_name);
    memo_path_ = memo_file_beside(real_path_);
    file_identity by_name;
    if (!table_.dbf.os.identity(table_id_)) return fail_system(table_.dbf.os.last_error(), table_.dbf_name);
    if (!path_identity(real_path_, by_name) || !by_name.same_file(table_id_)) {
        return fail("The table file was moved or replaced while it was open: " + file_name_text(table_.dbf_name));
    }
    if (table_id_.links > 1) {
        return fail("The table file has another name (a hard link), which a rebuild would leave on the old "
                    "records: " + file_name_text(real_path_));
    }

    // The memo file the table's name reaches must be the one the rebuild
    // writes beside the table's file, or the name would open the table
    // with a memo file it does not own.
    file_identity given_memo, beside_memo;
    const std::string given_memo_name = memo_file_beside(table_.dbf_name);
    const bool given_exists = path_identity(given_memo_name, given_memo);
    const bool beside_exists = path_identity(memo_path_, beside_memo);
    const std::string folder = resolved_path(folder_of(table_.dbf_name));
    const bool name_is_a_link = folder.empty() || folder + "/" + name_in_folder(table_.dbf_name) != real_path_;
    const bool memo_matters = table_.dbt.os.is_open() || plan_.own_memo;
    if (memo_matters && (given_exists ? !beside_exists || !given_memo.same_file(beside_memo)
                                      : beside_exists || (plan_.own_memo && name_is_a_link))) {
        return fail("The memo file reached through the table's name is not the one beside the table: " +
                    file_name_text(given_memo_name));
    }
    if (table_.dbt.os.is_open()) {
        old_memo_ = &table_.dbt.os;
    } else if (plan_.own_memo && beside_exists) {
        // A memo file under the table's memo name that the table does not
        // use still has the name the new one needs; it moves aside with the
        // table, so it must be ours alone too.
        if (!stray_memo_.open(memo_path_, access_read | access_write, share_read | share_write,
                              file_creation::open_existing) ||
            !stray_memo_.claim_sole_use()) {
            return fail(busy_reason);
        }
        old_memo_ = &stray_memo_;
    }
    if (old_memo_ != nullptr) {
        if (!old_memo_->identity(memo_id_)) return fail_system(old_memo_->last_error(), memo_path_);
        if (!beside_memo.same_file(memo_id_)) {
            return fail("The memo file was moved or replaced while it was open: " + memo_path_);
        }
        if (memo_id_.links > 1) {
            return fail("The memo file has another name (a hard link), which a rebuild would leave on the old "
                        "memos: " + memo_path_);
        }
    }
    if ((plan_.own_memo || old_memo_ != nullptr) && memo_path_ == real_path_) {
        return fail("The table's memo file would have the table's own name: " + file_name_text(real_path_));
    }
    return true;
}

bool rebuild_run::start_journal()
{
    const std::string name = rebuild_journal_name(real_path_);
    if (const int error = journal_.create(name); error != 0) {
        if (error == EEXIST) {
            journal_in_the_way_ = true;
            return fail("An interrupted rebuild of this table left its journal, which opening the table again "
                        "recovers: " + file_name_text(name));
        }
        // Another process opened the new journal at once: a recovery that
        // took it for a dead rebuild's, as good as a busy table.
        return error == EBUSY ? fail(busy_reason) : fail_system(error, name);
    }
    // The journal's name is on the disk before any file it will tell of.
    if (const int error = sync_folder(folder_of(real_path_)); error != 0) {
        return fail_system(error, folder_of(real_path_));
    }
    if (!journal_.note_table("table", table_id_, real_path_) ||
        (old_memo_ != nullptr && !journal_.note_table("memo", memo_id_, memo_path_))) {
        return fail_system(journal_.last_error(), name);
    }
    return true;
}

// Creates `file` and journals it. `taken`: the name was there. A file
// without a name is journaled before it gets one, so a crash leaves either
// nothing or a file the journal proves; where the file system cannot make
// one, the name is journaled before the exclusive create and the identity
// after it.
bool rebuild_run::create_exclusively(file_handle& file, bool& taken)
{
    taken = false;
    file_identity id;
    if (file.os.create_unnamed(folder_of(real_path_))) {
        if (!file.os.identity(id)) return fail_system(file.os.last_error(), file.name);
        if (!journal_.note_table("created", id, file.name)) return fail_system(journal_.last_error(), journal_.path());
        if (!file.os.link_name(file.name)) {
            const int error = file.os.last_error();
            file.os.close();
            taken = error == EEXIST;
            return taken ? false : fail_system(error, file.name);
        }
    } else {
        if (file.os.last_error() != EOPNOTSUPP) return fail_system(file.os.last_error(), file.name);
        if (!journal_.note_name("create", file.name)) return fail_system(journal_.last_error(), journal_.path());
        if (!fh_open(file, access_read | access_write, share_read | share_write, file_creation::create_new)) {
            taken = file.os.last_error() == EEXIST;
            return taken ? false : fail_system(file.os.last_error(), file.name);
        }
        if (!file.os.identity(id)) return fail_system(file.os.last_error(), file.name);
        if (!journal_.note_table("created", id, file.name)) return fail_system(journal_.last_error(), journal_.path());
    }
    (&file == &copy_->dbf ? copy_id_ : copy_memo_id_) = id;
    return true;
}

bool write_whole(file_handle& file, const std::uint8_t* bytes, std::size_t count)
{
    std::size_t put = 0;
    return fh_write(file, bytes, count, put) && put == count;
}

bool rebuild_run::create_copy()
{
    const numbered_claim claim = claim_numbered_name(real_path_, copy_kind, [this](const std::string& name) {
        copy_ = table_new(name);
        copy_id_ = copy_memo_id_ = {};
        bool taken = false;
        if (!create_exclusively(copy_->dbf, taken)) return taken ? name_try::in_use : name_try::failed;
        if (plan_.own_memo && !create_exclusively(copy_->dbt, taken)) {
            if (!taken) return name_try::failed;
            // Someone else's memo file has the pair's name: our table file
            // goes, and the next pair is tried.
            if (!copy_->dbf.os.claim_sole_use() || !copy_->dbf.os.unlink_claimed(copy_->dbf_name)) {
                fail_system(copy_->dbf.os.last_error(), copy_->dbf_name);
                return name_try::failed;
            }
            fh_close(copy_->dbf);
            return name_try::in_use;
        }
        return name_try::claimed;
    });
    if (claim.outcome == name_try::failed) return false;
    if (claim.outcome == name_try::in_use) {
        return fail("No free name for the rebuilt table beside " + file_name_text(real_path_));
    }
    // Byte 29 tells other programs the code page the texts are in.
    std::vector<std::uint8_t> header = plan_.header;
    header[language_byte_offset] = language_byte_for(table_.codepage, header[language_byte_offset]);
    if (!write_whole(copy_->dbf, header.data(), header.size())) {
        return fail_system(copy_->dbf.os.last_error(), copy_->dbf_name);
    }
    if (plan_.own_memo) {
        const auto block = new_dbt_header_block();
        if (!write_whole(copy_->dbt, block.data(), block.size())) {
            return fail_system(copy_->dbt.os.last_error(), copy_->dbt_name);
        }
    }
    return true;
}

bool rebuild_run::fill_copy()
{
    table_object& copy = *copy_;
    if (plan_.open_copy) {
        // The table opens the files again by name; they must be the ones
        // created, and the creating handles go so that sole use can be had.
        fh_close(copy.dbf);
        fh_close(copy.dbt);
        // The copy holds the table's texts in the table's code page, whatever
        // its name beside no .cpg file would have it guess.
        copy.codepage = table_.codepage;
        copy.codepage.origin = code_page_origin::chosen;
        if (!table_open(copy)) return fail_system(copy.dbf.os.last_error(), copy.dbf_name);
        file_identity id;
        if (!copy.dbf.os.identity(id) || !id.same_file(copy_id_) ||
            (plan_.own_memo && (!copy.dbt.os.identity(id) || !id.same_file(copy_memo_id_)))) {
            return fail("The rebuilt table was replaced while it was written: " + copy.dbf_name);
        }
        if (!lock_table(copy)) return fail(busy_reason);
    }
    const int filled = plan_.fill ? plan_.fill(copy) : 1;
    if (copy.open) unlock(copy);
    if (!filled) return table_.failure.empty() ? fail("The records could not be copied") : false;
    for (file_handle* file : {&copy.dbf, &copy.dbt}) {
        if (!file->os.is_open()) continue;
        if (!file->os.sync()) return fail_system(file->os.last_error(), file->name);
        if (!file->os.claim_sole_use()) return fail(busy_reason);
    }
    return true;
}

bool rebuild_run::move(native_file& file, const std::string& from, const std::string& to)
{
    if (!file.rename_claimed(from, to)) return fail_system(file.last_error(), from);
    moves_done_.push_back({&file, from, to});
    return true;
}

bool rebuild_run::replace()
{
    const bool memo_moves = plan_.own_memo && old_memo_ != nullptr;
    const numbered_claim claim = claim_numbered_name(real_path_, backup_kind, [&](const std::string& name) {
        backup_ = name;
        backup_memo_ = dbt_file_name(backup_);
        file_identity there;
        if (path_identity(backup_, there) || (memo_moves && path_identity(backup_memo_, there))) return name_try::in_use;
        if (!journal_.note_name("backup", backup_) || (memo_moves && !journal_.note_name("backup", backup_memo_))) {
            fail_system(journal_.last_error(), journal_.path());
            return name_try::failed;
        }
        if (!table_.dbf.os.rename_claimed(real_path_, backup_)) {
            if (table_.dbf.os.last_error() == EEXIST) return name_try::in_use;  // taken since the look
            fail_system(table_.dbf.os.last_error(), real_path_);
            return name_try::failed;
        }
        moves_done_.push_back({&table_.dbf.os, real_path_, backup_});
        return name_try::claimed;
    });
    if (claim.outcome == name_try::failed) return false;
    if (claim.outcome == name_try::in_use) return fail("No free backup name beside " + file_name_text(real_path_));
    if (memo_moves && !move(*old_memo_, memo_path_, backup_memo_)) return false;
    if (plan_.own_memo && !move(copy_->dbt.os, copy_->dbt_name, memo_path_)) return false;
    if (!move(copy_->dbf.os, copy_->dbf_name, real_path_)) return false;
    // The new names are what a crash must find; the backups go after.
    if (const int error = sync_folder(folder_of(real_path_)); error != 0) {
        note_failure(table_, words_for(error, folder_of(real_path_)));
    }
    return true;
}

bool rebuild_run::undo_moves()
{
    while (!moves_done_.empty()) {
        const planned_move& done = moves_done_.back();
        if (!done.file->rename_claimed(done.to, done.from)) return false;
        moves_done_.pop_back();
    }
    return true;
}

// The copy's files go; a file whose handle closed (the copy was being
// opened again as a table) is opened once more and proven first.
bool rebuild_run::remove_copy()
{
    if (!copy_) return true;
    bool removed = true;
    const std::pair<file_handle*, const file_identity*> files[] = {{&copy_->dbf, &copy_id_}, {&copy_->dbt, &copy_memo_id_}};
    for (const auto& [file, id] : files) {
        if (id->inode == 0) continue;  // never created
        native_file& handle = file->os;
        if (!handle.is_open()) {
            file_identity there;
            if (!path_identity(file->name, there) || !there.same_file(*id)) continue;
            file_identity opened;
            if (!handle.open(file->name, access_read | access_write, share_read | share_write,
                             file_creation::open_existing) ||
                !handle.identity(opened) || !opened.same_file(*id)) {
                removed = false;
                outcome_.kept_files.push_back(file->name);
                continue;
            }
        }
        if (!handle.claim_sole_use() || !handle.unlink_claimed(file->name)) {
            removed = false;
            outcome_.kept_files.push_back(file->name);
        }
    }
    copy_.reset();
    return removed;
}

void rebuild_run::finish_done()
{
    outcome_.status = rebuild_status::done;
    bool all_gone = true;
    if (!table_.dbf.os.unlink_claimed(backup_)) {
        all_gone = false;
        outcome_.kept_files.push_back(backup_);
    }
    if (plan_.own_memo && old_memo_ != nullptr && !old_memo_->unlink_claimed(backup_memo_)) {
        all_gone = false;
        outcome_.kept_files.push_back(backup_memo_);
    }
    // The journal goes while the new files are still ours alone, so that
    // the next rebuild never meets it; backups that stayed are still its
    // to remove.
    if (!all_gone || journal_.remove() != 0) outcome_.kept_files.push_back(journal_.path());
    journal_.close();
    copy_.reset();
    stray_memo_.close();
    table_close(table_);
}

void rebuild_run::clean_up_failure()
{
    bool story_over = true;
    if (!moves_done_.empty() && !undo_moves()) {
        story_over = false;
        file_identity there;
        outcome_.table_in_place = path_identity(real_path_, there) && there.same_file(table_id_);
        for (const planned_move& done : moves_done_) {
            if (done.from == real_path_ || done.from == memo_path_) outcome_.kept_files.push_back(done.to);
        }
    }
    if (story_over && !remove_copy()) story_over = false;
    copy_.reset();
    stray_memo_.close();
    if (journal_.is_open()) {
        if (!story_over || journal_.remove() != 0) outcome_.kept_files.push_back(journal_.path());
        journal_.close();
    }
    if (!outcome_.table_in_place) {
        table_close(table_);
        return;
    }
    table_.dbf.os.release_sole_use();
    if (table_.dbt.os.is_open()) table_.dbt.os.release_sole_use();
    if (locked_) unlock(table_);
}

rebuild_outcome rebuild_run::run()
{
    if (!table_.open || plan_.header.size() < static_cast<std::size_t>(dbf_header_size)) {
        return refuse(rebuild_status::failed, table_.failure.empty() ? "The table is not open" : table_.failure);
    }
    if (is_read_only(table_)) return refuse(rebuild_status::refused, read_only_refusal(table_));
    clear_failure(table_);
    if (!claim()) return refuse(rebuild_status::busy, busy_reason);
    if (!check_names()) {
        const bool busy = table_.failure == busy_reason;
        return refuse(busy ? rebuild_status::busy : rebuild_status::refused, table_.failure);
    }
    if (!start_journal()) {
        const rebuild_status status = table_.failure == busy_reason ? rebuild_status::busy
                                      : journal_in_the_way_         ? rebuild_status::refused
                                                                    : rebuild_status::failed;
        return refuse(status, table_.failure);
    }
    if (!create_copy() || !fill_copy() || !replace()) {
        return refuse(rebuild_status::failed, table_.failure.empty() ? "The rebuild failed" : table_.failure);
    }
    finish_done();
    return outcome_;
}

}  // namespace

rebuild_outcome run_rebuild(table_object& table, const rebuild_plan& plan)
{
    return rebuild_run(table, plan).run();
}

}  // namespace vortel
