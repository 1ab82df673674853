#include "desktop/qt_pdf_listing.h"

#include <memory>
#include <vector>

#include <QtGui/QGuiApplication>
#include <QtPrintSupport/QPrinter>

#include "cli/print_command.h"
#include "desktop/qt_page_painter.h"
#include "desktop/qt_print_pages.h"
#include "platform/error_text.h"
#include "platform/staged_output.h"
#include "print/page_order.h"
#include "print/preview_model.h"
#include "print/table_listing.h"
#include "runtime/settings.h"

namespace vortel {
namespace {

// Fonts and printers need a GUI application; a script has no screen, so it
// is made on the offscreen platform unless the caller chose another.
// Qt's own chatter (a missing runtime directory, a painter that would not
// start) would mix with the program's messages on standard error; what
// matters is reported in the program's words instead.
void drop_qt_messages(QtMsgType, const QMessageLogContext&, const QString&) {}

void ensure_gui_application()
{
    if (QGuiApplication::instance() != nullptr) return;
    qInstallMessageHandler(drop_qt_messages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vortel-cli";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> application = std::make_unique<QGuiApplication>(argc, argv);
}

struct pdf_job {
    QPrinter* printer = nullptr;
    bool empty = false;
    bool written = false;
};

// Takes the preview's place: every page goes to the PDF file at once.
void print_all_pages(page_device& device, void* context)
{
    auto& job = *static_cast<pdf_job*>(context);
    std::vector<std::string> pages;
    for (void* name = list_first(device.pages); name != nullptr; name = list_next(device.pages)) {
        pages.emplace_back(static_cast<const char*>(name));
    }
    job.empty = pages.empty();
    if (!job.empty) {
        const int count = static_cast<int>(pages.size());
        job.written = print_page_files(*job.printer, pages, print_page_order(count, {1, count}).pages);
    }
}

}  // namespace

std::string write_pdf_listing(browse_object& browse, const std::string& title, const std::string& path,
                              const pdf_listing_options& options)
{
    ensure_gui_application();
    // The PDF takes the output's name only when it was written whole.
    staged_output staged(path);
    native_file created;
    if (const int error = staged.open(created)) return file_error_text(error, path);
    created.close();
    const std::unique_ptr<QPrinter> printer = pdf_page_printer(staged.temporary_name(), options.setup);
    listing_environment environment;
    const printer_facts facts = qt_printer_facts(*printer, environment.font_face);
    pdf_job job{printer.get()};
    environment.printer = &facts;
    environment.memo_texts = options.memo_texts;
    if (options.found_only) environment.only_records = &options.found;
    environment.header = {setting_by_index(SET_CEGNEV), listing_date(), title};
    environment.preview = print_all_pages;
    environment.preview_context = &job;
    std::string problem;
    switch (print_listing(browse, environment, &problem)) {
    case listing_result::nothing_chosen: return "vortel-cli: no column to print";
    case listing_result::already_running:
    case listing_result::no_printer: return "vortel-cli: the listing could not start";
    case listing_result::pages_not_written: return problem;
    case listing_result::shown: break;
    }
    if (job.empty) return preview_empty_job_text;
    if (!job.written) return "vortel-cli: cannot write " + file_name_text(path);
    const int error = staged.commit();
    return error == 0 ? std::string() : file_error_text(error, path);
}

}  // namespace vortel
