#include "text/text_ops.h"

#include "platform/file_ops.h"

#include <algorithm>
#include <sys/stat.h>

namespace vortel {

std::string trim_left(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string trim_right(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string& trim_both(std::string& text)
{
    const std::size_t last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

bool is_blank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool char_in_set(char c, std::string_view set)
{
    return set.find(c) != std::string_view::npos;
}

long count_char(std::string_view text, char c)
{
    return static_cast<long>(std::count(text.begin(), text.end(), c));
}

// Every index of the haystack is a start index, so an empty needle is found at
// the first (or last) of them and not at all in an empty haystack.
long text_position(std::string_view needle, std::string_view haystack)
{
    for (std::size_t i = 0; i < haystack.size(); ++i) {
        if (haystack.substr(i).starts_with(needle)) return static_cast<long>(i);
    }
    return -1;
}

long text_last_position(std::string_view needle, std::string_view haystack)
{
    for (std::size_t i = haystack.size(); i-- > 0;) {
        if (haystack.substr(i).starts_with(needle)) return static_cast<long>(i);
    }
    return -1;
}

void insert_char(std::string& text, std::size_t index, char c)
{
    text.insert(std::min(index, text.size()), 1, c);
}

bool file_exists(std::string_view path)
{
    struct stat status {};
    return active_file_ops().stat_path(std::string(path).c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace vortel
