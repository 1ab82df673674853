// The records of a table that satisfy an SQL condition, for a filtered
// grid: the condition runs once over the table through the query module,
// and its answer is kept as a record set.
#pragma once

#include "engine/record_set.h"
#include "engine/table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortel {

// The records of `table` whose fields satisfy the SQL condition `condition`
// (Windows-1250 text, as in a WHERE clause). keep_going(done, total) is
// called now and then; returning false cancels. On failure returns
// nullopt with a plain reason in `refusal`.
//
// Every record is tested, deleted ones too: the navigation hides what it
// hides. The fields read as query/sql_values.h says, under their own names;
// the table stands on its record afterwards.
std::optional<record_set> records_matching(table_object& table, std::string_view condition,
                                           const std::function<bool(std::int32_t done, std::int32_t total)>& keep_going,
                                           std::string& refusal);

}  // namespace vortel
