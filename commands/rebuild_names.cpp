#include "commands/rebuild_names.h"

#include <algorithm>
#include <cctype>

namespace vortel {
namespace {

bool lower_case(std::string_view text)
{
    const bool lower = std::any_of(text.begin(), text.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
    const bool upper = std::any_of(text.begin(), text.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
    return lower && !upper;
}

std::string in_case(std::string_view word, bool lower)
{
    std::string text(word);
    for (char& c : text) c = static_cast<char>(lower ? std::tolower(static_cast<unsigned char>(c)) : c);
    return text;
}

}  // namespace

numbered_claim claim_numbered_name(const std::string& table_path, std::string_view kind,
                                   const std::function<name_try(const std::string& name)>& attempt)
{
    for (int number = 1; number <= numbered_names_max; ++number) {
        std::string name = numbered_table_name(table_path, kind, number);
        const name_try outcome = attempt(name);
        if (outcome != name_try::in_use) return {outcome, std::move(name)};
    }
    return {};
}

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_in_folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string numbered_table_name(const std::string& table_path, std::string_view kind, int number)
{
    const std::size_t name_start = table_path.size() - name_in_folder(table_path).size();
    const std::size_t dot = table_path.rfind('.');
    // A dot that starts the name or lies in a folder is no extension.
    if (dot != std::string::npos && dot > name_start && dot + 1 < table_path.size()) {
        const std::string extension = table_path.substr(dot + 1);
        return table_path.substr(0, dot) + "." + in_case(kind, lower_case(extension)) + std::to_string(number) + "." +
               extension;
    }
    // The memo name replaces the last character: one that differs for every
    // number and is never "T" keeps the pairs apart.
    const bool lower = lower_case(table_path.substr(name_start));
    return table_path + "." + in_case(kind, lower) + std::to_string(number) + "_";
}

std::string rebuild_journal_name(const std::string& table_path)
{
    return table_path + ".rebuild";
}

}  // namespace vortel
