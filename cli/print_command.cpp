#include "cli/print_command.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "cli/cli_command.h"
#include "cli/field_argument.h"
#include "commands/search.h"
#include "engine/output_refusal.h"
#include "engine/table.h"
#include "grid/column_model.h"
#include "platform/codepage.h"
#include "print/page_setup.h"
#include "print/table_listing.h"
#include "text/text_ops.h"

namespace vortel {
namespace {

pdf_listing_writer installed_writer = nullptr;

}  // namespace

void set_pdf_listing_writer(pdf_listing_writer writer)
{
    installed_writer = writer;
}

std::string choose_print_columns(browse_object& browse, const std::string& names)
{
    for (column_descriptor& column : browse.columns) column.print_selected = names.empty() && column.type != 0;
    // The listing prints its columns in the browse's order: the named ones
    // are moved to its front in the order given, the others follow unchosen.
    std::vector<column_descriptor> chosen;
    std::size_t start = 0;
    while (!names.empty() && start <= names.size()) {
        const std::size_t comma = std::min(names.find(',', start), names.size());
        const std::string name = names.substr(start, comma - start);
        start = comma + 1;
        const field_choice choice = find_named_field(*browse.table, name);
        if (choice.index < 0) return name.empty() ? "vortel-cli: no field (empty)" : choice.problem;
        const auto found = std::find_if(browse.columns.begin(), browse.columns.end(),
                                        [&](const column_descriptor& column) { return column.field == choice.index; });
        if (found == browse.columns.end()) continue;  // named twice: printed once, where first named
        chosen.push_back(std::move(*found));
        chosen.back().print_selected = true;
        browse.columns.erase(found);
    }
    browse.columns.insert(browse.columns.begin(), std::make_move_iterator(chosen.begin()),
                          std::make_move_iterator(chosen.end()));
    return {};
}

std::string read_page_setup(cli_context& context, page_setup& setup)
{
    if (context.has("--paper")) {
        const paper_size* paper = find_paper(context.options["--paper"]);
        if (paper == nullptr)
            return "vortel-cli: no such paper: " + utf8_to_ansi(context.options["--paper"]) + " (" + paper_names() + ")";
        setup.paper = paper->name;
    }
    setup.landscape = context.has("--landscape");
    if (!context.has("--margins")) return {};
    return margins_refusal(utf8_to_ansi(context.options["--margins"]), *find_paper(setup.paper), setup.margins_mm);
}

int run_print_command(cli_context& context)
{
    pdf_listing_options options;
    page_setup& setup = options.setup;
    if (const std::string problem = read_page_setup(context, setup); !problem.empty()) {
        context.fail(problem);
        return cli_usage_error;
    }
    const std::string& path = context.positional[1];
    if (file_exists(path) && !context.has("--overwrite")) return context.fail("The file already exist, overwite ?");
    if (installed_writer == nullptr) return context.fail("vortel-cli: printing is not available in this program: it was built without the desktop program");
    auto table = context.open_table(0);
    if (!table) return cli_failure;
    browse_object browse = table_browse(*table);
    const std::string problem = choose_print_columns(browse, utf8_to_ansi(context.options["--columns"]));
    if (!problem.empty()) {
        context.fail(problem);
        return cli_usage_error;
    }
    if (const std::string refusal = output_refusal(*table, path); !refusal.empty()) return context.fail(refusal);
    // The listing's title is the table's path, as a table window shows it;
    // the header shows the file name when the whole path does not fit.
    options.memo_texts = context.has("--memos");
    if (context.has("--search")) {
        // The records the Search dialog finds with the text in all columns.
        options.found_only = true;
        options.found = records_found(
            browse, {utf8_to_ansi(context.options["--search"]), search_direction::down, search_scope::all_columns});
    }
    const std::string message = installed_writer(browse, context.text(0), path, options);
    if (!message.empty()) return context.fail(message);
    // Told once the listing is written: columns cut or left out.
    if (const std::string cut = listing_cut_warning(*table, browse.columns); !cut.empty()) context.fail(cut);
    return cli_success;
}

}  // namespace vortel
