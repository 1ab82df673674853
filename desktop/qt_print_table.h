// The table window's "&Print..." command: choose the columns, lay the
// listing out for the default printer (or, with none, for A4 pages that
// Print... can write to a PDF file) and show it in the preview.
#pragma once

namespace vortel {

class table_window;

void print_table(table_window& window);

}  // namespace vortel
