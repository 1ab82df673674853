#include "commands/file_replacement.h"

#include "engine/create_table.h"
#include "engine/pack_zap.h"
#include "platform/native_file.h"
#include "text/text_ops.h"

namespace vortel {
namespace {

std::string memo_backup_name(const std::string& backup_name)
{
    return backup_name.substr(0, backup_name.size() - 1) + "TT";
}

struct planned_move {
    std::string from;
    std::string to;
};

}  // namespace

std::string table_backup_name(const std::string& table_name, bool with_memo)
{
    for (long number = 0;; ++number) {
        std::string name = table_name + std::to_string(number);
        if (!file_exists(name) && !(with_memo && file_exists(memo_backup_name(name)))) return name;
    }
}

replacement_result replace_table_files(const std::string& table_name, const std::string& new_name,
                                       bool new_has_memo)
{
    replacement_result result;
    result.table_name = table_name;
    const std::string table_memo = dbt_file_name(table_name);
    const bool old_memo_moves = new_has_memo && file_exists(table_memo);
    const std::string backup = table_backup_name(table_name, old_memo_moves);
    const std::string memo_backup = memo_backup_name(backup);

    struct step {
        replacement_step name;
        bool wanted;
        planned_move move;
    };
    const step steps[] = {
        {replacement_step::table_aside, true, {table_name, backup}},
        {replacement_step::memo_aside, old_memo_moves, {table_memo, memo_backup}},
        {replacement_step::memo_in, new_has_memo, {dbt_file_name(new_name), table_memo}},
        {replacement_step::table_in, true, {new_name, table_name}},
    };
    std::vector<planned_move> done;
    for (const step& s : steps) {
        if (!s.wanted) continue;
        if (move_file(s.move.from, s.move.to) == 0) {
            done.push_back(s.move);
            continue;
        }
        result.failed_step = s.name;
        while (!done.empty()) {
            if (move_file(done.back().to, done.back().from) != 0) break;
            done.pop_back();
        }
        if (done.empty()) {
            remove_table_files(new_name, new_has_memo);
        } else {
            // The table's own files did not all get back: say where the old
            // ones wait.
            result.table_in_place = false;
            for (const planned_move& move : done) {
                if (move.from == table_name || move.from == table_memo) result.kept_files.push_back(move.to);
            }
        }
        return result;
    }

    result.replaced = true;
    if (delete_file(backup) != 0) result.kept_files.push_back(backup);
    if (old_memo_moves && delete_file(memo_backup) != 0) result.kept_files.push_back(memo_backup);
    return result;
}

rebuild_result rebuild_table(std::unique_ptr<table_object>& table, rebuild_kind kind,
                             const std::function<void(int percent)>& progress)
{
    rebuild_result result;
    std::string copy_name;
    const int made =
        kind == rebuild_kind::pack ? pack_table(*table, copy_name, progress) : zap_table(*table, copy_name);
    if (!made) return result;
    result.copy_made = true;
    const std::string table_name = table_file_name(*table);
    const bool with_memo = has_memo_fields(*table) != 0;
    table.reset();
    result.replacement = replace_table_files(table_name, copy_name, with_memo);
    return result;
}

}  // namespace vortel
