// The table window's file commands: "&Copy to ...", "Sa&ve to HTML...",
// "&Append from ...", "Pac&k" and "&Zap", and what every command that copies
// or rebuilds files shares: the catch-all, the wait cursor, the progress
// dialog over the busy window, the overwrite question and the owner of
// reopened tables.
//
// The engine and commands/ do the work and return results; these handlers
// choose files, ask, and tell the results.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace vortel {

class table_window;

inline constexpr const char* overwrite_question_text = "The file already exist, overwite ?";
inline constexpr const char* bad_program_text = "Very, very, very bad program.";
inline constexpr const char* copy_to_title = "DBF -> ASCII";
inline constexpr const char* save_to_html_title = "DBF -> HTML";
inline constexpr const char* append_from_title = "DBF|ASCII -> DBF";
inline constexpr const char* confirm_text = "Are you sure?";
inline constexpr std::size_t html_caption_max = 127;

// The wait cursor while it lives; the previous cursor comes back after.
class wait_cursor {
public:
    wait_cursor();
    ~wait_cursor();
    wait_cursor(const wait_cursor&) = delete;
    wait_cursor& operator=(const wait_cursor&) = delete;
};

// Runs `command`; whatever it throws ends it with "Very, very, very bad
// program.", so that a failed allocation in the middle of a copy is told
// rather than ending the program with files half-written.
void run_guarded(QWidget* owner, const std::function<void()>& command);

// The process's current directory, where the commands' choosers start; at
// most 255 characters, empty when it cannot be told.
std::string chooser_directory();

// False when `path` exists and the user did not answer OK to overwriting it.
bool may_overwrite(QWidget* owner, const std::string& path);

// Why `path` may not be written while table windows are open: it is the
// table or memo file of one of them, under any name (output_refusal). ""
// when it may.
std::string open_table_file_refusal(const std::string& path);

// The main window (the registry value "HWND") while it exists, else null:
// the owner of table windows opened again after a rebuild.
QWidget* main_window_owner();

// The handlers; each leaves the focus on the window when it ends.
void copy_to_command(table_window& window);
void save_to_html_command(table_window& window);
void append_from_command(table_window& window);
void pack_command(table_window& window);
void zap_command(table_window& window);

}  // namespace vortel
