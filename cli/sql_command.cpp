#include "cli/sql_command.h"

#include "cli/cli_command.h"
#include "engine/table.h"
#include "query/sql_session.h"

#include <charconv>
#include <ostream>

namespace vortel {
namespace {

enum class output_form { tabs, csv, json };

// A cell of the tab-separated form: a tab, a line end or a backslash inside
// a value would otherwise look like more cells or rows (as `list` writes).
void put_tab_cell(std::string& line, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c; break;
        }
    }
}

// Quoted only where the value holds a comma, a quote or a line break.
void put_csv_cell(std::string& line, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void put_json_string(std::string& line, std::string_view text)
{
    line += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (byte < 0x20) {
            static const char hex[] = "0123456789abcdef";
            line += "\\u00";
            line += hex[byte >> 4];
            line += hex[byte & 15];
        } else {
            line += c;
        }
    }
    line += '"';
}

void put_json_value(std::string& line, const sql_value& value)
{
    switch (value.type) {
    case sql_value::kind::null: line += "null"; break;
    case sql_value::kind::integer: line += std::to_string(value.integer); break;
    case sql_value::kind::text: put_json_string(line, value.text); break;
    case sql_value::kind::real: {
        // The shortest digits that read back as the same double; JSON has no
        // infinity, so one is null.
        char digits[64];
        const auto written = std::to_chars(digits, digits + sizeof digits, value.real);
        const std::string_view text(digits, static_cast<std::size_t>(written.ptr - digits));
        if (text.find_first_of("in") != std::string_view::npos) {
            line += "null";
        } else {
            line += text;
        }
        break;
    }
    }
}

}  // namespace

int run_sql_command(cli_context& context)
{
    if (context.has("--csv") && context.has("--json")) {
        context.errors << "vortel-cli: give --csv or --json, not both\n";
        return cli_usage_error;
    }
    const output_form form = context.has("--csv") ? output_form::csv
                             : context.has("--json") ? output_form::json
                                                     : output_form::tabs;
    // A query reads: no table is opened for writing.
    context.read_only = true;
    std::vector<std::unique_ptr<table_object>> tables;
    sql_session session;
    for (std::size_t i = 1; i < context.positional.size(); ++i) {
        auto table = context.open_table(i);
        if (!table) return cli_failure;
        std::string refusal;
        const std::string name = sql_table_name(context.positional[i]);
        if (!session.add_table(*table, name, record_scope::as_navigated, refusal)) {
            context.errors << "vortel-cli: sql: " << context.positional[i] << " cannot be named " << name << ": "
                           << refusal << "\n";
            return cli_failure;
        }
        tables.push_back(std::move(table));
    }

    std::vector<std::string> names;
    std::string line;
    const auto end_line = [&context, &line] {
        line += '\n';
        context.out << line;
        line.clear();
        return static_cast<bool>(context.out);
    };
    const sql_row_sink sink{
        [&](std::span<const std::string> columns) {
            names.assign(columns.begin(), columns.end());
            if (form == output_form::json) return true;
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (i > 0) line += form == output_form::csv ? ',' : '\t';
                form == output_form::csv ? put_csv_cell(line, names[i]) : put_tab_cell(line, names[i]);
            }
            return end_line();
        },
        [&](std::span<const sql_value> values) {
            if (form == output_form::json) {
                line += '{';
                for (std::size_t i = 0; i < values.size(); ++i) {
                    if (i > 0) line += ", ";
                    put_json_string(line, names[i]);
                    line += ": ";
                    put_json_value(line, values[i]);
                }
                line += '}';
                return end_line();
            }
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (i > 0) line += form == output_form::csv ? ',' : '\t';
                const std::string text = sql_value_text(values[i]);
                form == output_form::csv ? put_csv_cell(line, text) : put_tab_cell(line, text);
            }
            return end_line();
        }};
    std::string refusal;
    if (!session.run(context.positional[0], sink, refusal)) {
        if (refusal.empty()) refusal = "the output cannot be written";
        context.errors << "vortel-cli: sql: " << refusal << "\n";
        return cli_failure;
    }
    return cli_success;
}

}  // namespace vortel
