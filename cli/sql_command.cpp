#include "cli/sql_command.h"

#include "cli/cli_command.h"
#include "engine/table.h"
#include "query/sql_session.h"
#include "text/csv_field.h"
#include "text/json_string.h"

#include <charconv>
#include <ostream>
#include <set>
#include <vector>

namespace vortel {
namespace {

enum class output_form { tabs, csv, json };

// A cell of CSV (quoted only where it must be) or of tab-separated text
// (escaped as list escapes it).
void put_cell(std::string& line, std::string_view text, output_form form)
{
    if (form == output_form::csv) {
        append_csv_field(line, text, ',');
    } else {
        line += escaped_tab_cell(text);
    }
}

// JSON objects whose keys repeat lose all but one value in most readers:
// a second VAROS (a join's T.VAROS and U.VAROS) is VAROS_2.
std::vector<std::string> distinct_keys(std::vector<std::string> names)
{
    std::set<std::string> taken;
    for (std::string& name : names) {
        const std::string base = name;
        for (int number = 2; taken.contains(name); ++number) name = base + "_" + std::to_string(number);
        taken.insert(name);
    }
    return names;
}

void put_json_value(std::string& line, const sql_value& value)
{
    switch (value.type) {
    case sql_value::kind::null: line += "null"; break;
    case sql_value::kind::integer: line += std::to_string(value.integer); break;
    case sql_value::kind::text: append_json_string(line, value.text); break;
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
            if (form == output_form::json) {
                names = distinct_keys(std::move(names));
                return true;
            }
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (i > 0) line += form == output_form::csv ? ',' : '\t';
                put_cell(line, names[i], form);
            }
            return end_line();
        },
        [&](std::span<const sql_value> values) {
            if (form == output_form::json) {
                line += '{';
                for (std::size_t i = 0; i < values.size(); ++i) {
                    if (i > 0) line += ", ";
                    append_json_string(line, names[i]);
                    line += ": ";
                    put_json_value(line, values[i]);
                }
                line += '}';
                return end_line();
            }
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (i > 0) line += form == output_form::csv ? ',' : '\t';
                const std::string text = sql_value_text(values[i]);
                put_cell(line, text, form);
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
