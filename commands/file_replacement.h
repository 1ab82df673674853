// Pack and zap as commands: the engine fills a copy of the table
// (engine/pack_zap.h) and the rebuild puts it in the table's place
// (commands/table_rebuild.h).
#pragma once

#include "commands/table_rebuild.h"
#include "engine/table.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortel {

enum class rebuild_kind { pack, zap };

struct rebuild_result {
    rebuild_status status = rebuild_status::failed;
    // "" when done; "The table busy !" when the table is in use elsewhere;
    // otherwise what failed, in plain words.
    std::string message;
    std::string table_name;  // what to open again afterwards
    bool table_in_place = true;
    std::vector<std::string> kept_files;
};

// The message of a rebuild that did not get done, "" for one that did.
std::string rebuild_message(const rebuild_outcome& outcome);

// Pack or zap of the open `table`. Afterwards `table` is null when the
// rebuild is done (the front-end opens result.table_name again) or when the
// table could not stay open; otherwise it holds the table as it was, on its
// record. `progress` sees the pack's copy as pack_records tells it; a zap
// copies nothing and tells nothing.
rebuild_result rebuild_table(std::unique_ptr<table_object>& table, rebuild_kind kind,
                             const std::function<void(int percent)>& progress = {});

}  // namespace vortel
