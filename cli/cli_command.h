// What every vortel-cli command sees: its arguments split into positional
// ones and options, the streams, and helpers that convert between the
// terminal's UTF-8 and the program's Windows-1250.
#pragma once

#include "platform/code_page.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

enum cli_status { cli_success = 0, cli_failure = 1, cli_usage_error = 2 };

struct table_object;

struct cli_context {
    std::vector<std::string> positional;           // as typed (UTF-8 / native paths)
    std::map<std::string, std::string> options;    // "--from" -> "5"; flags map to ""
    std::istream& in;
    std::ostream& out;
    std::ostream& errors;
    // --codepage: the code page the command reads and writes the table in,
    // whatever the table says; none: as the table says.
    std::optional<code_page> chosen_page = std::nullopt;
    bool read_only = false;  // --read-only: tables open only to be read

    bool has(const std::string& option) const { return options.count(option) != 0; }
    // A positional argument as program text (Windows-1250).
    std::string text(std::size_t index) const;
    // Writes program text to standard output, converted to UTF-8.
    void print(std::string_view program_text) const;
    // Writes a message in the program's words to standard error; gives failure.
    int fail(std::string_view program_text) const;
    // Opens the table named by positional argument `index` (in the chosen
    // code page, if any); on failure says "Can't open : %s" and the reason
    // on a second line, and gives null. With --where its moves pass the
    // records the condition does not keep; a condition SQL refuses is
    // said, and null given.
    std::unique_ptr<table_object> open_table(std::size_t index) const;
    // The same for a command that changes the table: a table that opened
    // read-only (asked, or a file we may not write, or damage) is refused
    // with its reason, and null given.
    std::unique_ptr<table_object> open_table_to_change(std::size_t index) const;
    // A record number argument; nullopt (after a usage message) when it is not one.
    std::optional<long> number(const std::string& text, std::string_view what) const;
    // The number an option gives, `fallback` when it is absent.
    std::optional<long> option_number(const std::string& option, long fallback) const;
};

// The value of `option` among `choices`, `fallback` when it is absent;
// nothing, after a usage message, for a value not among them.
template <class Value>
std::optional<Value> option_choice(cli_context& context, const std::string& option,
                                   const std::map<std::string, Value>& choices, Value fallback)
{
    if (!context.has(option)) return fallback;
    const std::string& given = context.options[option];
    if (const auto found = choices.find(given); found != choices.end()) return found->second;
    context.errors << "vortel-cli: " << option << " takes";
    for (const auto& [name, value] : choices) context.errors << " " << name;
    context.errors << ", not " << given << "\n";
    return std::nullopt;
}

struct cli_command {
    std::string_view name;
    std::string_view usage;            // the arguments, for --help
    std::string_view summary;
    std::size_t min_positional;
    std::size_t max_positional;        // SIZE_MAX: any number
    std::vector<std::string_view> value_options;  // options that take a value
    std::vector<std::string_view> flag_options;
    std::function<int(cli_context&)> run;
};

// Every command, in the order --help lists them.
const std::vector<cli_command>& cli_commands();

}  // namespace vortel
