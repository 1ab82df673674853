#include "query/result_table.h"

#include "engine/create_table.h"
#include "engine/csv_structure.h"
#include "engine/record_blocks.h"
#include "platform/codepage.h"
#include "runtime/scope_exit.h"

#include <cstdio>
#include <filesystem>

namespace vortel {
namespace {

std::string cpg_file_name(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (has_extension ? path.substr(0, dot) : path) + ".cpg";
}

void remove_table_files(const std::string& path)
{
    std::error_code ignored;
    for (const std::string& name : {path, dbt_file_name(path), cpg_file_name(path)}) {
        std::filesystem::remove(name, ignored);
    }
}

// The value as the field stores it: dates as their eight digits.
std::string stored_form(const field_list_entry& field, const sql_value& value)
{
    std::string text = sql_value_text(value);
    if (field.type == 'D' && text.size() == 10) text = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    return text;
}

bool write_rows(table_object& table, const std::vector<field_list_entry>& fields, const result_rows& result,
                std::string& refusal)
{
    record_appender appender(table);
    if (!appender.start()) return false;
    for (const std::vector<sql_value>& row : result.rows) {
        if (!appender.begin_record()) return false;
        for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i) {
            if (row[i].type == sql_value::kind::null) continue;
            const std::string text = stored_form(fields[i], row[i]);
            const int index = static_cast<int>(i);
            if (fields[i].type == 'M') {
                if (!text.empty() && memo_write(table, index, text) != 1) return false;
            } else if (std::string why = store_field_value(table, index, text); !why.empty()) {
                refusal = why;
                return false;
            }
        }
        if (!appender.end_record()) return false;
    }
    return appender.finish();
}

}  // namespace

std::vector<field_list_entry> result_fields(const result_rows& result)
{
    std::vector<std::string> columns;
    for (const std::string& name : result.names) columns.push_back(utf8_to_ansi(name));
    const std::vector<std::string> names = field_names_for_columns(columns);
    std::vector<csv_column_survey> surveys(names.size());
    for (const std::vector<sql_value>& row : result.rows) {
        for (std::size_t i = 0; i < surveys.size() && i < row.size(); ++i) {
            if (row[i].type != sql_value::kind::null) surveys[i].add(sql_value_text(row[i]), {});
        }
    }
    std::vector<field_list_entry> fields;
    for (std::size_t i = 0; i < names.size(); ++i) fields.push_back(surveys[i].field(names[i]));
    return fields;
}

std::string write_result_table(const std::string& path, const result_rows& result)
{
    const std::vector<field_list_entry> fields = result_fields(result);
    if (fields.empty()) return "the query gives no columns";
    std::string refusal;
    bool written = false;
    {
        auto table = table_new(path);
        choose_code_page(*table, code_page::utf8);
        if (!create_table(*table, fields)) return table->failure;
        const scope_exit cleanup([&] {
            if (!written) remove_table_files(path);
        });
        std::FILE* cpg = std::fopen(cpg_file_name(path).c_str(), "wb");
        if (cpg == nullptr || std::fputs("UTF-8", cpg) < 0 || std::fclose(cpg) != 0) {
            return "cannot write " + cpg_file_name(path);
        }
        if (!table_open(*table) || !lock_table(*table)) return table->failure.empty() ? "cannot open " + path : table->failure;
        // The values are UTF-8, as the table stores them.
        table->texts_as_stored = 1;
        written = write_rows(*table, fields, result, refusal);
        if (!written && refusal.empty()) refusal = table->failure;
        unlock(*table);
        table_close(*table);
    }
    return written ? std::string() : refusal;
}

}  // namespace vortel
