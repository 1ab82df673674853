#include "desktop/qt_startup.h"

#include "desktop/qt_open_tables.h"
#include "runtime/named_registry.h"
#include "runtime/settings.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QtCore/QtGlobal>

// Resources compiled into a static library are registered by hand.
static void register_resources()
{
    Q_INIT_RESOURCE(vortel);
}

namespace vortel {
namespace {

constexpr std::size_t source_path_size = 255;
constexpr std::size_t print_font_size = 32;

// Lives as long as the program, as the registry keeps its address.
struct utsname system_description;

}  // namespace

std::string command_line_text(const std::vector<std::string>& arguments)
{
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) text += ' ';
        text += arguments[i];
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    if (text == "\"") return {};
    return text;
}

void start_up()
{
    if (uname(&system_description) == 0) named_put("OS", &system_description);
    setting_by_index(SET_CEGNEV, program_title);
    named_put("HELP_FONT", const_cast<char*>("Comic Sans MS"));

    auto* source_path = static_cast<char*>(std::calloc(source_path_size, 1));
    if (source_path && !getcwd(source_path, source_path_size)) source_path[0] = '\0';
    named_put("SOURCE_PATH", source_path);

    auto* print_font = static_cast<char*>(std::calloc(print_font_size, 1));
    if (print_font) std::strcpy(print_font, "Courier New");
    named_put("PRINT_FONT", print_font);

    free_all_table_slots();
}

void load_desktop_resources()
{
    register_resources();
}

std::string open_directory()
{
    return static_cast<const char*>(named_get("SOURCE_PATH"));
}

void remember_open_directory(const std::string& chosen_path)
{
    const std::size_t separator = chosen_path.rfind('/');
    const std::string directory = separator == std::string::npos ? std::string() : chosen_path.substr(0, separator);
    // A fresh block, at least as long as the directory: a long one is kept
    // whole rather than cut into a folder that does not exist.
    auto* block = static_cast<char*>(std::calloc(std::max(directory.size() + 1, source_path_size), 1));
    if (!block) return;
    std::memcpy(block, directory.c_str(), directory.size() + 1);
    std::free(named_put("SOURCE_PATH", block));
}

void release_start_up_values()
{
    named_release("SOURCE_PAT", 'C');
    named_release("PRINT_FONT", 'C');
}

}  // namespace vortel
