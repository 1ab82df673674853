#include "desktop/qt_open_tables.h"

#include "commands/rebuild_recovery.h"
#include "commands/setting_options.h"
#include "desktop/qt_file_choosers.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "engine/table.h"
#include "platform/file_ops.h"
#include "platform/native_file.h"
#include "text/text_ops.h"

#include <array>
#include <map>

namespace vortel {
namespace {

std::array<table_slot, table_slot_count> all_slots;
QPoint cascade{0, 20};
std::map<std::string, code_page> chosen_code_pages;  // by the file's resolved path

std::string file_key(const std::string& path)
{
    const std::string resolved = resolved_path(path);
    return resolved.empty() ? path : resolved;
}

}  // namespace

table_slot& table_slot_at(int index)
{
    return all_slots.at(static_cast<std::size_t>(index));
}

bool table_slot_in_use(int index)
{
    return index >= 0 && index < table_slot_count && table_slot_at(index).table != nullptr;
}

void free_all_table_slots()
{
    for (int i = 0; i < table_slot_count; ++i) release_table_slot(i);
}

void release_table_slot(int index)
{
    table_slot& slot = table_slot_at(index);
    if (slot.table) table_close(*slot.table);
    slot.browse = browse_object{};
    slot.table.reset();
    slot.title.clear();
    slot.window = nullptr;
}

void remember_code_page(const std::string& path, code_page page)
{
    chosen_code_pages[file_key(path)] = page;
}

QPoint cascade_position()
{
    return cascade;
}

void reset_cascade_position()
{
    cascade = QPoint(0, 20);
}

table_window* open_table_window(QWidget* owner, const std::string& path, bool read_only)
{
    if (path.empty()) return nullptr;
    // A rebuild that died leaves its story beside the table; it is finished
    // first, so that a table it had moved aside opens again.
    if (const std::string recovered = recover_interrupted_rebuild(path); !recovered.empty()) {
        show_information(owner, QString::fromLocal8Bit(recovered.c_str()));
    }
    if (!file_exists(path)) {
        // The table object would create a missing file; say which one it is.
        show_warning(owner, path_text(path));
        return nullptr;
    }
    std::unique_ptr<table_object> table = table_new(path);
    table->navigation = navigation_by_settings();
    if (const auto chosen = chosen_code_pages.find(file_key(path)); chosen != chosen_code_pages.end()) {
        choose_code_page(*table, chosen->second);
    }
    if (!table_open(*table, read_only ? 0 : 1)) {
        show_warning(owner, QString::fromLatin1(cannot_open_text).replace(QStringLiteral("%s"), path_text(path)) +
                                QLatin1Char('\n') + from_ansi(table->failure));
        return nullptr;
    }
    int index = 0;
    while (index < table_slot_count && table_slot_in_use(index)) ++index;
    if (index == table_slot_count) {
        table_close(*table);
        show_warning(owner, std::string_view(too_many_files_text));
        return nullptr;
    }

    cascade += QPoint(20, 20);
    if (cascade.x() > 300) cascade = QPoint(20, 20);

    // Asked for, read-only is no news; anything else the user must hear
    // before trying a change.
    if (is_read_only(*table) && table->read_only != asked_read_only_reason) {
        show_information(owner, path_text(path) + QStringLiteral(" opens read-only:\n") + from_ansi(table->read_only));
    }

    table_slot& slot = table_slot_at(index);
    slot.title = path;
    slot.browse = table_browse(*table);
    slot.table = std::move(table);
    auto* window = new table_window(owner, index, cascade);
    slot.window = window;
    window->show_first_time();
    return window;
}

}  // namespace vortel
