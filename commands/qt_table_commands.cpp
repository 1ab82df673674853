#include "commands/qt_table_commands.h"

#include "commands/file_replacement.h"
#include "commands/qt_file_choosers.h"
#include "commands/qt_warning.h"
#include "commands/record_commands.h"
#include "commands/sort_key.h"
#include "engine/append_from.h"
#include "engine/export.h"
#include "engine/table.h"
#include "grid/qt_table_window.h"
#include "shell/named_registry.h"
#include "shell/qt_open_tables.h"
#include "shell/settings.h"
#include "text/text_ops.h"

#include <QtWidgets/QApplication>

#include <unistd.h>

#include <array>

namespace vortel {
namespace {

constexpr std::size_t directory_max = 255;

void export_command(table_window& window, const char* title, bool html)
{
    browse_object& grid = window.browse();
    if (!grid.table) return;
    run_guarded(&window, [&] {
        const std::string path = choose_file_to_save(&window, chooser_directory(), QString::fromLatin1(title));
        if (path.empty() || !may_overwrite(&window, path)) return;
        int done = 0;
        {
            const wait_cursor busy;
            if (html) {
                std::vector<std::string> captions = sort_dialog_fields(*grid.table, grid.columns);
                for (std::string& caption : captions) {
                    if (caption.size() > html_caption_max) caption.resize(html_caption_max);
                }
                done = export_html(*grid.table, path, setting_by_index(SET_CEGNEV), captions);
            } else {
                done = export_text(*grid.table, path);
            }
        }
        // A page that could not be written is told as the text copy is:
        // saying nothing would leave the user believing it was saved.
        if (!done) show_warning(&window, std::string_view(table_busy_text));
    });
}

void rebuild_command(table_window& window, rebuild_kind kind, const char* verb)
{
    table_slot& slot = table_slot_at(window.slot());
    if (!slot.table) return;
    const QString caption =
        QStringLiteral("%1 : %2").arg(QString::fromLatin1(verb), path_text(table_file_name(*slot.table)));
    run_guarded(&window, [&] {
        if (!ask_ok_cancel(&window, caption, QString::fromLatin1(confirm_text))) return;
        QWidget* owner = main_window_owner();
        if (!owner) owner = window.parentWidget();
        rebuild_result result;
        {
            const wait_cursor busy;
            result = rebuild_table(slot.table, kind);
            if (result.copy_made) {
                // The table is closed; the window goes with it, and the files
                // under the table's name, new or old, open in a fresh one.
                window.close_without_table();
                open_table_window(owner, result.replacement.table_name);
            }
        }
        if (!result.copy_made || !result.replacement.replaced) show_warning(nullptr, std::string_view(table_busy_text));
    });
}

}  // namespace

wait_cursor::wait_cursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

wait_cursor::~wait_cursor()
{
    QApplication::restoreOverrideCursor();
}

void run_guarded(QWidget* owner, const std::function<void()>& command)
{
    try {
        command();
    } catch (...) {
        show_warning(owner, std::string_view(bad_program_text));
    }
}

std::string chooser_directory()
{
    std::array<char, 4096> buffer{};
    if (!getcwd(buffer.data(), buffer.size())) return {};
    std::string directory(buffer.data());
    if (directory.size() > directory_max) directory.resize(directory_max);
    return directory;
}

bool may_overwrite(QWidget* owner, const std::string& path)
{
    if (!file_exists(path)) return true;
    return ask_ok_cancel(owner, QStringLiteral("Warning"), QString::fromLatin1(overwrite_question_text));
}

QWidget* main_window_owner()
{
    const void* registered = named_get("HWND");
    if (!registered) return nullptr;
    // The registry may still name a main window that is gone: only a live
    // top-level widget at that address counts.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (static_cast<const void*>(widget) == registered) return widget;
    }
    return nullptr;
}

void copy_to_command(table_window& window)
{
    export_command(window, copy_to_title, false);
}

void save_to_html_command(table_window& window)
{
    export_command(window, save_to_html_title, true);
}

void append_from_command(table_window& window)
{
    browse_object& grid = window.browse();
    if (!grid.table) return;
    run_guarded(&window, [&] {
        const std::string path = choose_file_to_open(&window, chooser_directory(), QString::fromLatin1(append_from_title));
        if (path.empty() || !file_exists(path)) return;
        int done = 0;
        {
            const wait_cursor busy;
            done = append_from(*grid.table, path);
        }
        if (!done) show_warning(&window, std::string_view(table_busy_text));
    });
}

void pack_command(table_window& window)
{
    rebuild_command(window, rebuild_kind::pack, "Pack");
}

void zap_command(table_window& window)
{
    rebuild_command(window, rebuild_kind::zap, "Zap");
}

}  // namespace vortel
