// The file choosers of the main window and the commands.
//
// Paths are file-system names: they keep the bytes the file system uses and
// are never converted to the program's Windows-1250 texts, so that any file
// that exists can be opened. Both choosers return "" when cancelled.
#pragma once

#include <QtCore/QString>

#include <functional>
#include <string>

class QWidget;

namespace vortel {

struct chooser_request {
    bool save = false;
    QString title;
    QString start_directory;
    QString filters;
};

// Called instead of showing a chooser while installed; returns the chosen
// path ("" for cancel). For tests.
using chooser_hook = std::function<std::string(const chooser_request& request)>;
chooser_hook set_chooser_hook(chooser_hook hook);

// Filters "dBase III files", "Text files", with `csv_files` "CSV files",
// then "All files", the first selected; the title "File select" when none
// is given. The file must exist.
std::string choose_file_to_open(QWidget* owner, const std::string& start_directory, const QString& title = {},
                                bool csv_files = false);

// Filters "CSV files", "Workbooks", then "All files": a file whose rows make
// a new table. The file must exist.
std::string choose_file_of_rows(QWidget* owner, const std::string& start_directory, const QString& title);

// Filter "All files" unless `filters` are given; the title "File save" when
// none is given. The folder must exist; whether to overwrite is the calling
// command's question.
std::string choose_file_to_save(QWidget* owner, const std::string& start_directory, const QString& title = {},
                                const QString& filters = {});

// A file-system name as text for the user, and back.
QString path_text(const std::string& path);
std::string path_bytes(const QString& path);

}  // namespace vortel
