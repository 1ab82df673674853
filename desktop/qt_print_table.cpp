#include "desktop/qt_print_table.h"

#include <algorithm>

#include <QtGui/QGuiApplication>
#include <QtPrintSupport/QPrinter>

#include "commands/search.h"
#include "desktop/qt_page_painter.h"
#include "desktop/qt_page_setup.h"
#include "desktop/qt_preview.h"
#include "desktop/qt_print_columns.h"
#include "desktop/qt_print_pages.h"
#include "desktop/qt_table_window.h"
#include "desktop/qt_warning.h"
#include "platform/error_text.h"
#include "print/page_setup.h"
#include "print/table_listing.h"
#include "runtime/named_registry.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

struct preview_owner {
    QWidget* window;
    bool no_printer;
    std::string table_path;
};

void show_listing_preview(page_device& device, void* context)
{
    const auto& owner = *static_cast<preview_owner*>(context);
    show_preview(owner.window, device, owner.no_printer, owner.table_path);
}

void wait_cursor(bool on, void*)
{
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

std::string print_font_face()
{
    const auto* face = static_cast<const char*>(named_get("PRINT_FONT"));
    return face != nullptr && *face != '\0' ? std::string(face) : std::string("Courier New");
}

}  // namespace

void print_table(table_window& window)
{
    browse_object& browse = window.browse();
    if (browse.table == nullptr || listing_running()) return;
    for (column_descriptor& column : browse.columns) column.print_selected = false;
    // Memo texts or not, and only the found records or all, as last asked in this run.
    static print_choices choices;
    const search_request* search = window.last_search();
    choices.search_text = search != nullptr ? search->text : std::string();
    choose_print_columns(&window, browse, choices);
    if (std::none_of(browse.columns.begin(), browse.columns.end(),
                     [](const column_descriptor& column) { return column.print_selected; })) {
        return;
    }
    // Columns past the listing's end are not cut without a word.
    if (const std::string cut = listing_cut_warning(*browse.table, browse.columns);
        !cut.empty() && !ask_ok_cancel(&window, QStringLiteral("Warning"), from_ansi(cut + " Print it anyway?"))) {
        return;
    }
    // The pages are laid out for the paper they will be printed on.
    page_setup setup = remembered_page_setup();
    if (!ask_page_setup(&window, setup)) return;
    remembered_page_setup() = setup;

    const page_printer printer = set_up_page_printer(setup);
    listing_environment environment;
    environment.font_face = print_font_face();
    environment.memo_texts = choices.memo_texts;
    std::vector<std::int32_t> found;
    if (choices.found_only && search != nullptr) {
        // The records the search finds in the column it was made in.
        const int current_column = browse.current_column;
        browse.current_column = window.last_search_column();
        found = records_found(browse, *search);
        browse.current_column = current_column;
        environment.only_records = &found;
    }
    const printer_facts facts = qt_printer_facts(*printer.printer, environment.font_face);
    preview_owner owner{&window, printer.pdf_fallback, browse.title};
    environment.printer = &facts;
    // The path whole: the header shows the file name when the path does not fit.
    environment.header = {setting_by_index(SET_CEGNEV), listing_date(), file_name_text(browse.title)};
    environment.preview = show_listing_preview;
    environment.preview_context = &owner;
    environment.busy = wait_cursor;
    std::string problem;
    if (print_listing(browse, environment, &problem) == listing_result::pages_not_written)
        show_warning(&window, std::string_view(problem));
    window.update();
}

}  // namespace vortel
