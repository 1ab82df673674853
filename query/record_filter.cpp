#include "query/record_filter.h"

#include "platform/codepage.h"
#include "query/sql_session.h"

namespace vortel {

std::optional<record_set> records_matching(table_object& table, std::string_view condition,
                                           const std::function<bool(std::int32_t done, std::int32_t total)>& keep_going,
                                           std::string& refusal)
{
    const std::int32_t total = record_count(table);
    sql_session session;
    if (!session.add_table(table, "t", record_scope::all, refusal)) return std::nullopt;
    session.keep_going_while([&] {
        return !keep_going || keep_going(static_cast<std::int32_t>(session.records_read()), total);
    });
    // The condition stands alone in its parentheses: a stray ")" or a second
    // statement in it is a syntax error, not a way around the WHERE.
    const std::string statement = "SELECT _recno FROM t WHERE (" + ansi_to_utf8(condition) + "\n)";
    record_set matching(total);
    const sql_row_sink sink{{}, [&matching](std::span<const sql_value> values) {
                                matching.add(static_cast<std::int32_t>(values[0].integer));
                                return true;
                            }};
    std::string reason;
    if (!session.run(statement, sink, reason)) {
        refusal = utf8_to_ansi(reason);
        return std::nullopt;
    }
    return matching;
}

}  // namespace vortel
