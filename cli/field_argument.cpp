#include "cli/field_argument.h"

#include "engine/table.h"
#include "text/text_ops.h"

#include <vector>

namespace vortel {
namespace {

bool all_digits(std::string_view text)
{
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// "#1 and #2", "#1, #4 and #7"; with "or" for the advice.
std::string number_list(const std::vector<int>& indexes, std::string_view last_joint)
{
    std::string text;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (i > 0) text += i + 1 == indexes.size() ? std::string(last_joint) : std::string(", ");
        text += "#" + std::to_string(indexes[i] + 1);
    }
    return text;
}

}  // namespace

field_choice find_named_field(const table_object& table, std::string_view argument)
{
    if (argument.size() > 1 && argument.front() == '#' && all_digits(argument.substr(1))) {
        const long number = std::stol(std::string(argument.substr(1)));
        if (number >= 1 && number <= field_count(table)) return {static_cast<int>(number - 1), {}};
        return {-1, "vortel-cli: no field " + std::string(argument) + ": the table has " +
                        std::to_string(field_count(table)) + " fields"};
    }
    std::vector<int> named;
    for (int i = 0; i < field_count(table); ++i) {
        if (equal_ignoring_case(field_info(table, i).name, argument)) named.push_back(i);
    }
    if (named.empty()) return {-1, "vortel-cli: no field " + std::string(argument)};
    if (named.size() == 1) return {named.front(), {}};
    const std::string count = named.size() == 2 ? "two" : std::to_string(named.size());
    return {-1, "vortel-cli: " + count + " fields are named " + field_info(table, named.front()).name + " (" +
                    number_list(named, " and ") + "): give the field as " + number_list(named, " or ")};
}

}  // namespace vortel
