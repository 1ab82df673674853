#include "commands/rebuild_recovery.h"

#include "commands/rebuild_journal.h"
#include "commands/rebuild_names.h"
#include "engine/dbf_format.h"
#include "platform/error_text.h"

#include <cerrno>
#include <climits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vortel {
namespace {

// Where the table file is or would be: links followed as far as they go,
// also to a name that no longer exists (the rebuild moved it away).
std::string table_location(const std::string& path)
{
    if (std::string real = resolved_path(path); !real.empty()) return real;
    std::string at = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info;
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(at.c_str(), target.data(), PATH_MAX);
        if (length <= 0) break;
        const std::string next(target.data(), static_cast<std::size_t>(length));
        at = next.front() == '/' ? next : folder_of(at) + "/" + next;
    }
    const std::string folder = resolved_path(folder_of(at));
    return folder.empty() ? std::string() : folder + "/" + name_in_folder(at);
}

std::optional<file_identity> identity_at(const std::string& path)
{
    file_identity id;
    if (!path_identity(path, id)) return std::nullopt;
    return id;
}

bool holds(const std::string& path, const file_identity& id)
{
    const auto there = identity_at(path);
    return there && there->same_file(id);
}

// Opens `path` only if it is the journaled file, and claims it, so that the
// name acted on next is proven to be that file and no one else has it open.
bool open_proven(native_file& file, const std::string& path, const file_identity& id)
{
    file_identity opened;
    return file.open(path, access_read | access_write, share_read | share_write, file_creation::open_existing) &&
           file.identity(opened) && opened.same_file(id) && file.claim_sole_use();
}

class recovery {
public:
    recovery(std::string folder, const journal_story& story) : folder_(std::move(folder)), story_(story) {}

    std::string run();
    // Whether the story is over, so that the journal may go.
    bool over() const { return over_; }

private:
    std::string at(const std::string& name) const { return folder_ + "/" + name; }
    void remove(const std::string& name, const file_identity& id);
    bool move(const std::string& from, const std::string& to, const file_identity& id);
    const journal_file* created_at(const std::string& name) const;
    void remove_created(const journal_file* except_table, const journal_file* except_memo);
    void remove_backups();
    bool put_old_memo_back();
    std::string report(const std::string& what) const;

    std::string folder_;
    const journal_story& story_;
    std::vector<std::string> removed_;
    std::vector<std::string> left_;
    bool over_ = true;
};

void recovery::remove(const std::string& name, const file_identity& id)
{
    // Another file under the name is not the rebuild's: it stays, unnamed.
    const std::string path = at(name);
    if (!holds(path, id)) return;
    native_file file;
    if (open_proven(file, path, id) && file.unlink_claimed(path)) {
        removed_.push_back(path);
    } else {
        left_.push_back(path);
        over_ = false;
    }
}

bool recovery::move(const std::string& from, const std::string& to, const file_identity& id)
{
    native_file file;
    if (open_proven(file, at(from), id) && file.rename_claimed(at(from), at(to))) return true;
    left_.push_back(at(from));
    over_ = false;
    return false;
}

// The created file the name holds now, if any.
const journal_file* recovery::created_at(const std::string& name) const
{
    const auto there = identity_at(at(name));
    if (!there) return nullptr;
    for (const journal_file& file : story_.created) {
        if (file.id.same_file(*there)) return &file;
    }
    return nullptr;
}

// Every file the rebuild created that still stands under its own name,
// but for the new pair in place.
void recovery::remove_created(const journal_file* except_table, const journal_file* except_memo)
{
    for (const journal_file& file : story_.created) {
        if (&file != except_table && &file != except_memo) remove(file.name, file.id);
    }
    // Names the rebuild was about to create carry no identity: whatever is
    // there cannot be proven to be its own.
    for (const std::string& name : story_.intended) {
        bool proven = false;
        for (const journal_file& file : story_.created) proven = proven || file.name == name;
        if (!proven && identity_at(at(name))) left_.push_back(at(name));
    }
}

void recovery::remove_backups()
{
    for (const std::string& name : story_.backups) {
        if (holds(at(name), story_.table.id)) {
            remove(name, story_.table.id);
        } else if (story_.has_memo && holds(at(name), story_.memo.id)) {
            remove(name, story_.memo.id);
        }
    }
}

// The old memo file back under its name, the new one that may stand there
// removed first.
bool recovery::put_old_memo_back()
{
    if (!story_.has_memo || holds(at(story_.memo.name), story_.memo.id)) return true;
    for (const std::string& name : story_.backups) {
        if (!holds(at(name), story_.memo.id)) continue;
        if (identity_at(at(story_.memo.name))) {
            const journal_file* copy_memo = created_at(story_.memo.name);
            if (copy_memo == nullptr) {
                left_.push_back(at(story_.memo.name));
                return over_ = false;
            }
            remove(story_.memo.name, copy_memo->id);
            if (!over_) return false;
        }
        return move(name, story_.memo.name, story_.memo.id);
    }
    left_.push_back(at(story_.memo.name));
    return over_ = false;
}

std::string recovery::report(const std::string& what) const
{
    std::string text = "An interrupted rebuild of " + at(story_.table.name) + " was found: " + what;
    if (!removed_.empty()) {
        text += " Removed:";
        for (const std::string& path : removed_) text += " " + path;
        text += ".";
    }
    if (!left_.empty()) {
        text += " Left as they are, not proven to be the rebuild's own or still in use:";
        for (const std::string& path : left_) text += " " + path;
        text += ".";
    }
    return text;
}

std::string recovery::run()
{
    const std::string table = story_.table.name;
    const journal_file* in_place = created_at(table);
    if (in_place != nullptr) {
        const journal_file* new_memo = nullptr;
        // The old memo file's name, which may differ in letter case from
        // the one the rule gives, is where the new one went.
        const std::string memo_name = story_.has_memo ? story_.memo.name : dbt_file_name(table);
        if (const journal_file* memo = created_at(memo_name);
            memo != nullptr && memo->name == dbt_file_name(in_place->name)) {
            new_memo = memo;
        }
        remove_backups();
        remove_created(in_place, new_memo);
        return report("the rebuilt table had taken the table's place and stays.");
    }
    if (holds(at(table), story_.table.id)) {
        put_old_memo_back();
        remove_created(nullptr, nullptr);
        return report("the table had not been replaced and stays as it was.");
    }
    if (identity_at(at(table))) {
        over_ = false;
        left_.push_back(at(table));
        return report("the table's name holds a file the rebuild did not write; nothing was changed.");
    }
    for (const std::string& name : story_.backups) {
        if (!holds(at(name), story_.table.id)) continue;
        if (!put_old_memo_back() || !move(name, table, story_.table.id)) {
            return report("the old table could not be put back from " + at(name) + ".");
        }
        sync_folder(folder_);
        remove_created(nullptr, nullptr);
        return report("the old table was put back from " + at(name) + ".");
    }
    over_ = false;
    return report("the table is missing and no backup of it was found.");
}

}  // namespace

std::string recover_interrupted_rebuild(const std::string& table_path)
{
    const std::string location = table_location(table_path);
    if (location.empty()) return {};
    const std::string journal_path = rebuild_journal_name(location);
    if (!identity_at(journal_path)) return {};

    // A journal someone else has open belongs to a live rebuild (or to
    // another recovery); it is theirs.
    native_file journal;
    if (!journal.open(journal_path, access_read | access_write, share_read | share_write,
                      file_creation::open_existing)) {
        if (journal.last_error() == EBUSY || journal.last_error() == ENOENT) return {};
        return "A rebuild journal cannot be opened (" + error_text(journal.last_error()) + ") and was left as it is: " +
               journal_path;
    }
    if (!journal.claim_sole_use()) return {};

    std::string text;
    const std::int64_t size = journal.size();
    if (size < 0 || size > (std::int64_t{1} << 20)) {
        return "A rebuild journal that cannot be read was left as it is: " + journal_path;
    }
    text.resize(static_cast<std::size_t>(size));
    journal_story story;
    if ((size > 0 && !journal.read_whole_at(0, text.data(), text.size())) || !parse_journal(text, story)) {
        return "A rebuild journal that cannot be read was left as it is: " + journal_path;
    }

    const std::string folder = folder_of(location);
    std::string message;
    bool over = true;
    if (story.table.name.empty()) {
        message = "The journal of a rebuild that had not begun was removed: " + journal_path;
    } else {
        recovery finish(folder, story);
        message = finish.run();
        over = finish.over();
    }
    if (over && !journal.unlink_claimed(journal_path)) {
        message += " The journal could not be removed (" + error_text(journal.last_error()) + "): " + journal_path;
    } else if (!over) {
        message += " The journal stays for another try: " + journal_path;
    }
    return message;
}

}  // namespace vortel
