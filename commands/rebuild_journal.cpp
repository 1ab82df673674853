#include "commands/rebuild_journal.h"

#include "commands/rebuild_names.h"

#include <cerrno>
#include <charconv>
#include <string_view>

namespace vortel {
namespace {

// "WORD NAME": the name is the rest of the line, blanks included.
bool split_name(std::string_view line, std::string_view word, std::string& name)
{
    if (line.size() <= word.size() + 1 || line.substr(0, word.size()) != word || line[word.size()] != ' ') return false;
    name = std::string(line.substr(word.size() + 1));
    return name.find('/') == std::string::npos;
}

bool take_number(std::string_view& text, std::uint64_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || end == text.data() + text.size() || *end != ' ') return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    return true;
}

// "WORD DEVICE INODE NAME".
bool split_file(std::string_view line, std::string_view word, journal_file& file)
{
    std::string rest;
    if (!split_name(line, word, rest)) return false;
    std::string_view text = rest;
    if (!take_number(text, file.id.device) || !take_number(text, file.id.inode) || text.empty()) return false;
    file.name = std::string(text);
    return true;
}

}  // namespace

bool parse_journal(const std::string& text, journal_story& story)
{
    story = {};
    std::size_t start = 0;
    bool first = true, has_table = false;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(text.data() + start, end - start);
        if (first) {
            if (line != journal_first_line) return false;
            first = false;
            continue;
        }
        journal_file file;
        std::string name;
        if (split_file(line, "table", file) && !has_table) {
            story.table = file;
            has_table = true;
        } else if (split_file(line, "memo", file) && has_table) {
            story.memo = file;
            story.has_memo = true;
        } else if (split_file(line, "created", file) && has_table) {
            story.created.push_back(file);
        } else if (split_name(line, "create", name) && has_table) {
            story.intended.push_back(name);
        } else if (split_name(line, "backup", name) && has_table) {
            story.backups.push_back(name);
        } else {
            return false;
        }
    }
    // A journal cut off before its first line ends tells nothing yet; one
    // without its table line tells that nothing was done.
    return first ? text.size() < std::string_view(journal_first_line).size() + 1 &&
                       std::string_view(journal_first_line).substr(0, text.size()) == text
                 : true;
}

int rebuild_journal::create(const std::string& path)
{
    path_ = path;
    // Made without a name and claimed before it gets one, the journal is
    // never seen without its owner: no recovery can take a live rebuild's
    // journal for a dead one's.
    if (file_.create_unnamed(folder_of(path))) {
        if (!write_line(journal_first_line)) {
            const int error = file_.last_error();
            file_.close();
            return error;
        }
        if (file_.link_name(path)) return 0;
        const int error = file_.last_error();
        file_.close();
        return error;
    }
    if (file_.last_error() != EOPNOTSUPP) return file_.last_error();
    if (!file_.open(path, access_read | access_write, share_read | share_write, file_creation::create_new)) {
        return file_.last_error();
    }
    if (!file_.claim_sole_use()) {
        // Another handle opened it before the claim: a recovery that finds
        // it will remove it once we are gone.
        const int error = file_.last_error();
        file_.close();
        return error;
    }
    if (!write_line(journal_first_line)) {
        const int error = file_.last_error();
        remove();
        close();
        return error;
    }
    return 0;
}

bool rebuild_journal::write_line(const std::string& line)
{
    const std::string bytes = line + "\n";
    std::size_t put = 0;
    return file_.write(bytes.data(), bytes.size(), put) && file_.sync();
}

bool rebuild_journal::note_table(const char* word, const file_identity& id, const std::string& name)
{
    return write_line(std::string(word) + " " + std::to_string(id.device) + " " + std::to_string(id.inode) + " " +
                      name_in_folder(name));
}

bool rebuild_journal::note_name(const char* word, const std::string& name)
{
    return write_line(std::string(word) + " " + name_in_folder(name));
}

int rebuild_journal::remove()
{
    if (!file_.is_open()) return 0;
    if (!file_.unlink_claimed(path_)) return file_.last_error();
    file_.close();
    return 0;
}

}  // namespace vortel
