#include "cli/cli_app.h"

#include "cli/cli_command.h"
#include "commands/rebuild_recovery.h"
#include "commands/setting_options.h"
#include "engine/table.h"
#include "platform/codepage.h"
#include "query/record_filter.h"
#include "runtime/settings.h"
#include "runtime/version.h"
#include "text/text_to_number.h"

#include <algorithm>
#include <climits>
#include <istream>
#include <memory>
#include <ostream>

namespace vortel {

std::string cli_context::text(std::size_t index) const { return utf8_to_ansi(positional.at(index)); }

void cli_context::print(std::string_view program_text) const { out << ansi_to_utf8(program_text); }

int cli_context::fail(std::string_view program_text) const
{
    errors << ansi_to_utf8(program_text) << "\n";
    return cli_failure;
}

std::unique_ptr<table_object> cli_context::open_table(std::size_t index) const
{
    // A rebuild that died leaves its story beside the table; it is finished
    // first, so that a table it had moved aside opens again.
    if (const std::string recovered = recover_interrupted_rebuild(positional.at(index)); !recovered.empty()) {
        errors << recovered << "\n";
    }
    auto table = table_new(positional.at(index));
    table->navigation = navigation_by_settings();
    if (chosen_page) choose_code_page(*table, *chosen_page);
    if (!table_open(*table, read_only ? 0 : 1)) {
        // The path goes out as the user typed it; the reason is program text.
        errors << "Can't open : " << positional.at(index) << "\n" << ansi_to_utf8(table->failure) << "\n";
        return nullptr;
    }
    if (has("--where")) {
        std::string refusal;
        std::optional<record_set> kept = records_matching(*table, utf8_to_ansi(options.at("--where")), {}, refusal);
        if (!kept) {
            errors << "vortel-cli: --where: " << ansi_to_utf8(refusal) << "\n";
            return nullptr;
        }
        table->navigation.filter = std::make_shared<const record_set>(std::move(*kept));
        go_top(*table);
    }
    return table;
}

std::unique_ptr<table_object> cli_context::open_table_to_change(std::size_t index) const
{
    auto table = open_table(index);
    if (table && is_read_only(*table)) {
        fail(read_only_refusal(*table));
        return nullptr;
    }
    return table;
}

std::optional<long> cli_context::number(const std::string& value, std::string_view what) const
{
    const bool digits = !value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || value.size() > 9) {
        errors << "vortel-cli: " << what << " must be a number: " << value << "\n";
        return std::nullopt;
    }
    return text_to_long(value);
}

std::optional<long> cli_context::option_number(const std::string& option, long fallback) const
{
    auto given = options.find(option);
    return given == options.end() ? std::optional<long>(fallback) : number(given->second, option);
}

namespace {

constexpr const char* version_text = "vortel-cli " VORTEL_VERSION_TEXT "\n";

void print_usage(std::ostream& out)
{
    out << "Usage: vortel-cli [--set NAME=VALUE]... [--codepage PAGE] [--read-only] COMMAND ARGUMENTS\n\n"
           "Commands:\n";
    for (const cli_command& command : cli_commands()) {
        std::string line = std::string(command.name) + " " + std::string(command.usage);
        out << "  " << line << "\n      " << command.summary << "\n";
    }
    out << "\nOptions:\n"
           "  --set NAME=VALUE  change one setting for this run (SET_DELETED=1, SET_OEMTOANSI=0, ...)\n"
           "  --read-only       open tables only to read them; commands that change a table are refused\n"
           "  --codepage PAGE   read and write the table's texts in code page PAGE, whatever the table says:\n"
           "                    ";
    for (const code_page page : all_code_pages()) {
        out << code_page_name(page) << (page == all_code_pages().back() ? "\n" : "|");
    }
    out << "                    Without it a .cpg file beside the table, its byte 29, its text or\n"
           "                    SET_OEMTOANSI decide\n"
           "  --help            this text\n"
           "  --version         the program's name and version\n"
           "\nRecords and fields:\n"
           "  N is exactly record N: a record that is missing, or deleted while SET_DELETED=1 hides\n"
           "  deleted records, is refused, never replaced by the next one.\n"
           "  FIELD is a field's name or #N, its number in info; a name that two fields share must be\n"
           "  given as #N.\n"
           "  list prints a tab, CR, LF or backslash inside a cell as \\t, \\r, \\n or \\\\, so that\n"
           "  every line is one record; --raw prints the cells as they are.\n"
           "\nExit status: 0 done, 1 the operation failed, 2 usage error.\n";
}

int usage_error(std::ostream& errors, const std::string& message)
{
    errors << "vortel-cli: " << message << "\nTry 'vortel-cli --help'.\n";
    return cli_usage_error;
}

// Applies "NAME=VALUE" to the settings store; "" when done, else the problem.
std::string apply_setting(const std::string& assignment)
{
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) return "--set wants NAME=VALUE: " + assignment;
    const std::string name = assignment.substr(0, equals);
    const std::string value = utf8_to_ansi(assignment.substr(equals + 1));
    if (setting_index_of(name) < 0) return "unknown setting: " + name;
    if (value.empty()) return "a setting cannot be emptied: " + name;
    if (!setting_value_fits(value)) return "a setting holds at most 50 characters: " + name;
    setting_by_name(name, value);
    return {};
}

// The code page --codepage names; a usage message when it names none.
std::string read_code_page(const std::string& name, std::optional<code_page>& page)
{
    page = code_page_from_name(name);
    if (page) return {};
    return "unknown code page " + name + " (852, 1250, 437, 850, 1252, iso-8859-2, utf-8, ...)";
}

bool listed(const std::vector<std::string_view>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int run_cli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& errors)
{
    // As the desktop program starts.
    setting_by_index(SET_CEGNEV, program_title);

    std::optional<code_page> chosen_page;
    std::size_t next = 0;
    bool read_only = false;
    while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
        const std::string& option = arguments[next++];
        if (option == "--help") {
            print_usage(out);
            return cli_success;
        }
        if (option == "--version") {
            out << version_text;
            return cli_success;
        }
        if (option == "--read-only") {
            read_only = true;
            continue;
        }
        if (option == "--codepage") {
            if (next == arguments.size()) return usage_error(errors, "--codepage wants a code page");
            if (std::string problem = read_code_page(arguments[next++], chosen_page); !problem.empty()) {
                return usage_error(errors, problem);
            }
            continue;
        }
        if (option != "--set") return usage_error(errors, "unknown option " + option);
        if (next == arguments.size()) return usage_error(errors, "--set wants NAME=VALUE");
        if (std::string problem = apply_setting(arguments[next++]); !problem.empty()) {
            return usage_error(errors, problem);
        }
    }
    if (next == arguments.size()) return usage_error(errors, "no command given");

    const std::string& name = arguments[next++];
    const auto& commands = cli_commands();
    auto command = std::find_if(commands.begin(), commands.end(), [&](const cli_command& c) { return c.name == name; });
    if (command == commands.end()) return usage_error(errors, "unknown command " + name);

    cli_context context{{}, {}, in, out, errors, chosen_page, read_only};
    while (next < arguments.size()) {
        const std::string& argument = arguments[next++];
        if (argument.size() > 2 && argument.rfind("--", 0) == 0) {
            if (argument == "--codepage") {
                // After the command too, as `create T ... --codepage 1250` reads.
                if (next == arguments.size()) return usage_error(errors, "--codepage wants a code page");
                if (std::string problem = read_code_page(arguments[next++], context.chosen_page); !problem.empty()) {
                    return usage_error(errors, problem);
                }
            } else if (listed(command->flag_options, argument)) {
                context.options[argument] = "";
            } else if (listed(command->value_options, argument)) {
                if (next == arguments.size()) return usage_error(errors, argument + " wants a value");
                context.options[argument] = arguments[next++];
            } else {
                return usage_error(errors, "unknown option " + argument + " for " + name);
            }
        } else {
            context.positional.push_back(argument);
        }
    }
    if (context.positional.size() < command->min_positional || context.positional.size() > command->max_positional) {
        return usage_error(errors, "usage: vortel-cli " + std::string(command->name) + " " + std::string(command->usage));
    }
    return command->run(context);
}

}  // namespace vortel
