#include "desktop/qt_table_commands.h"

#include "commands/file_replacement.h"
#include "commands/record_commands.h"
#include "commands/transfer_failure.h"
#include "desktop/qt_file_choosers.h"
#include "desktop/qt_open_tables.h"
#include "desktop/qt_refused_value.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "engine/append_from.h"
#include "engine/csv_import.h"
#include "grid/grid_filter.h"
#include "engine/dbf3_copy.h"
#include "engine/export.h"
#include "engine/output_refusal.h"
#include "engine/table.h"
#include "engine/table_export.h"
#include "engine/xlsx_import.h"
#include "grid/column_model.h"
#include "platform/codepage.h"
#include "query/sql_session.h"
#include "query/sqlite_export.h"
#include "runtime/named_registry.h"
#include "runtime/settings.h"
#include "text/text_ops.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QPointer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QProgressDialog>

#include <strings.h>
#include <unistd.h>

#include <array>

namespace vortel {
namespace {

constexpr std::size_t directory_max = 255;

// A progress dialog over the table window for the life of one long copy,
// fed by the engine's progress callback. It has no Cancel button, as a copy
// cut short would leave half of it written, unless the copy is `cancellable`
// (an export staged under a temporary name, which leaves nothing behind).
// The window is busy meanwhile, and each report runs the waiting events
// except input, so that the program's windows stay painted while no other
// command can start; a cancellable copy takes input only in its own dialog.
//
// Those events may delete any widget, the dialog and its window included
// (the window system closing them): the dialog is held by a guarded
// pointer, never by value, and each report first asks whether it is still
// there.
class copy_progress {
public:
    copy_progress(table_window& window, const char* title, bool cancellable = false)
        : busy_(window), dialog_(new QProgressDialog(&window))
    {
        dialog_->setObjectName(QStringLiteral("copy_progress"));
        dialog_->setWindowTitle(QString::fromLatin1(title));
        dialog_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog_->setWindowModality(cancellable ? Qt::ApplicationModal : Qt::WindowModal);
        if (!cancellable) dialog_->setCancelButton(nullptr);
        dialog_->setRange(0, 100);
        dialog_->setMinimumDuration(0);
        // Reaching 100 leaves the dialog as it is; it goes with this object.
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
    }
    ~copy_progress() { delete dialog_.data(); }
    copy_progress(const copy_progress&) = delete;
    copy_progress& operator=(const copy_progress&) = delete;

    std::function<void(int percent)> callback()
    {
        return [this](int percent) {
            if (dialog_) dialog_->setValue(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }

    // The same, answering whether to go on.
    std::function<bool(int percent)> cancellable_callback()
    {
        return [this](int percent) {
            if (dialog_) dialog_->setValue(percent);
            QCoreApplication::processEvents();
            return !dialog_ || !dialog_->wasCanceled();
        };
    }

private:
    busy_table_window busy_;
    QPointer<QProgressDialog> dialog_;
};

// Copy to writes what the chosen name's extension says: CSV, JSON Lines or
// a workbook with the usual choices, a table in an SQLite database, a
// dBase III copy for a table name, fixed-width text for any other name.
const QString copy_to_filters = QStringLiteral("Text (*.txt);;CSV (*.csv);;Excel workbook (*.xlsx);;JSON Lines "
                                               "(*.jsonl);;SQLite database (*.sqlite *.db);;dBase III table "
                                               "(*.dbf);;All files (*)");

// The table into an SQLite database, beside the tables it holds. The user
// agreed to overwrite an existing file: a table of the same name there is
// replaced, the others stay. False after noting the reason on the table.
int export_into_database(table_object& table, const std::string& path, const std::function<bool(int)>& progress)
{
    const sqlite_table_source source{&table, sql_table_name(table_file_name(table))};
    const sqlite_export_options options{deleted_records_as_navigated(table.navigation), true};
    std::string refusal;
    const int done = export_to_sqlite({&source, 1}, path, options, refusal, progress);
    if (done == export_failed && !refusal.empty()) note_failure(table, refusal);
    return done;
}

void export_command(table_window& window, const char* title, bool html)
{
    browse_object& grid = window.browse();
    if (!grid.table) return;
    run_guarded(&window, [&] {
        const std::string path = choose_file_to_save(&window, chooser_directory(), QString::fromLatin1(title),
                                                     html ? QString() : copy_to_filters);
        if (path.empty() || !may_overwrite(&window, path)) return;
        const std::optional<export_format> format = html ? std::nullopt : export_format_for(path);
        int done = 0;
        clear_failure(*grid.table);
        // A table name asks for a plain dBase III copy, which can be edited.
        const bool as_table = !html && path.size() > 4 && ::strcasecmp(path.c_str() + path.size() - 4, ".DBF") == 0;
        std::vector<std::string> converted;
        {
            const wait_cursor busy;
            copy_progress progress(window, title, format.has_value() || (!html && sqlite_file_name(path)));
            if (as_table) {
                done = copy_to_dbf3(*grid.table, path, converted);
            } else if (!html && sqlite_file_name(path)) {
                done = export_into_database(*grid.table, path, progress.cancellable_callback()) != export_failed;
            } else if (format) {
                export_options options;
                options.format = *format;
                options.deleted = deleted_records_as_navigated(grid.table->navigation);
                done = export_table(*grid.table, path, options, progress.cancellable_callback()) != export_failed;
            } else if (html) {
                std::vector<std::string> captions = field_captions(*grid.table, grid.columns);
                for (std::string& caption : captions) {
                    if (caption.size() > html_caption_max) caption.resize(html_caption_max);
                }
                done = export_html(*grid.table, path, setting_by_index(SET_CEGNEV), captions, progress.callback());
            } else {
                done = export_text(*grid.table, path, progress.callback());
            }
        }
        // A page that could not be written is told as the text copy is:
        // saying nothing would leave the user believing it was saved.
        if (!done) {
            show_warning(&window, std::string_view(export_failure_text(*grid.table)));
        } else if (!converted.empty()) {
            std::string lines;
            for (const std::string& line : converted) lines += line + "\n";
            show_information(&window, QString::fromStdString(ansi_to_utf8(lines)));
        }
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
            {
                copy_progress progress(window, verb);
                result = rebuild_table(slot.table, kind, progress.callback());
            }
            if (!slot.table) {
                // The table is closed; the window goes with it, and the files
                // under the table's name, new or old, open in a fresh one.
                window.close_without_table();
                open_table_window(owner, result.table_name);
            }
        }
        if (!result.message.empty()) show_warning(nullptr, std::string_view(result.message));
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

std::string open_table_file_refusal(const std::string& path)
{
    for (int slot = 0; slot < table_slot_count; ++slot) {
        if (!table_slot_in_use(slot)) continue;
        if (std::string refusal = output_refusal(*table_slot_at(slot).table, path); !refusal.empty()) return refusal;
    }
    return {};
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
        const std::string path =
            choose_file_to_open(&window, chooser_directory(), QString::fromLatin1(append_from_title), true);
        if (path.empty() || !file_exists(path)) return;
        int done = 0;
        clear_failure(*grid.table);
        const std::int32_t count_before = record_count(*grid.table);
        csv_import_report report;
        {
            const wait_cursor busy;
            copy_progress progress(window, append_from_title);
            if (has_csv_extension(path) || has_xlsx_extension(path)) {
                csv_import_options options;
                options.on_error = csv_on_error::ask;
                options.ask = [&window](const std::string& refusal) { return ask_about_refused_value(&window, refusal); };
                options.date_layout = setting_by_index(SET_DATEFORMAT);
                done = has_xlsx_extension(path) ? append_workbook(*grid.table, path, options, report, progress.callback())
                                                : append_csv(*grid.table, path, options, report, progress.callback());
            } else {
                done = append_from(*grid.table, path, progress.callback());
            }
        }
        if (!done) {
            show_warning(&window, std::string_view(append_failure_text(*grid.table)));
            return;
        }
        keep_appended_records(grid, count_before + 1, record_count(*grid.table));
        // What the CSV append passed over, so that no column is lost unseen.
        std::string told;
        for (const std::string& note : report.notes) told += note + "\n";
        if (report.skipped) told += "Rows skipped: " + std::to_string(report.skipped) + "\n";
        if (report.blanked) told += "Values stored blank: " + std::to_string(report.blanked) + "\n";
        if (!told.empty()) show_information(&window, from_ansi(told.substr(0, told.size() - 1)));
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
