// The open-table registry: fifteen table slots, each holding the table and
// the grid state of one table window, and the one routine that opens a
// table into a new window.
//
// A slot is in use exactly while its table is set. Opening takes the lowest
// free slot; destroying the window frees it again.
#pragma once

#include "grid/column_model.h"
#include "platform/code_page.h"

#include <QtCore/QPoint>
#include <QtCore/QPointer>

#include <memory>
#include <string>

class QWidget;

namespace vortel {

class table_window;

inline constexpr int table_slot_count = 15;
inline constexpr int table_window_width = 750;
inline constexpr int table_window_height = 450;  // before rounding to whole rows

inline constexpr const char* too_many_files_text = "Too many files opened !";
inline constexpr const char* cannot_open_text = "Can't open : %s";

struct table_slot {
    std::unique_ptr<table_object> table;  // set: the slot is in use
    browse_object browse;
    std::string title;  // the path as opened, whatever its length
    QPointer<table_window> window;
};

table_slot& table_slot_at(int index);
bool table_slot_in_use(int index);
void free_all_table_slots();

// Closes the slot's table and frees the slot; its window is not touched.
void release_table_slot(int index);

// Where the next table window goes: (x + 20, y + 20), back to (20, 20)
// after x passes 300. Only windows actually opened move it.
QPoint cascade_position();
void reset_cascade_position();

// The code page the user chose for the table file `path` stays chosen
// while the program runs: opening the file again, under any name that
// reaches it, reads it in that code page.
void remember_code_page(const std::string& path, code_page page);

// Opens the table file `path` (a file-system name) into a new table window
// owned by `owner`, in the code page remembered for it if any, read-only
// when `read_only` asks. Every failure is told through show_warning, with
// its reason on a second line; a table that opens read-only unasked (a file
// we may not write, a missing memo file, a damaged count) says why in an
// information box. An empty path does nothing. Returns the window, or null.
table_window* open_table_window(QWidget* owner, const std::string& path, bool read_only = false);

}  // namespace vortel
