#include "desktop/qt_print_pages.h"

#include <QtGui/QPageSize>
#include <QtCore/QMarginsF>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include "desktop/qt_page_painter.h"
#include "print/page_player.h"
#include "print/page_setup.h"

namespace vortel {
namespace {

void lay_out_as_a4(QPrinter& printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(pdf_page_resolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

QPageSize::PageSizeId paper_id(const std::string& name)
{
    const std::string_view known[] = {"A4", "A3", "A5", "Letter", "Legal"};
    const QPageSize::PageSizeId ids[] = {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter,
                                         QPageSize::Legal};
    static_assert(std::size(known) == paper_sizes.size());
    const paper_size* paper = find_paper(name);
    for (std::size_t i = 0; paper != nullptr && i < std::size(known); ++i) {
        if (known[i] == paper->name) return ids[i];
    }
    return QPageSize::A4;
}

// A printer that has not the paper or cannot print that close to the edge
// keeps its own: the listing is laid out for what it took, so nothing is cut.
void apply_page_setup(QPrinter& printer, const page_setup& setup)
{
    printer.setPageSize(QPageSize(paper_id(setup.paper)));
    printer.setPageOrientation(setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (setup.margins_mm >= 0) {
        const double m = setup.margins_mm;
        printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    }
}

}  // namespace

page_printer set_up_page_printer(const page_setup& setup)
{
    page_printer chosen;
    const QPrinterInfo named = QPrinterInfo::printerInfo(QString::fromStdString(setup.printer));
    if (!setup.printer.empty() && !named.isNull()) {
        auto printer = std::make_unique<QPrinter>(named, QPrinter::HighResolution);
        if (printer->isValid()) chosen = {std::move(printer), false};
    }
    if (!chosen.printer) chosen = default_page_printer();
    apply_page_setup(*chosen.printer, setup);
    return chosen;
}

page_printer default_page_printer()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (printer->isValid()) return {std::move(printer), false};
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    lay_out_as_a4(*printer);
    return {std::move(printer), true};
}

std::unique_ptr<QPrinter> pdf_page_printer(const std::string& path, const page_setup& setup)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    lay_out_as_a4(*printer);
    apply_page_setup(*printer, setup);
    printer->setOutputFileName(QString::fromStdString(path));
    return printer;
}

bool print_page_files(QPrinter& printer, const std::vector<std::string>& pages, const std::vector<int>& order)
{
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool first = true;
    for (const int page : order) {
        if (page < 1 || page > static_cast<int>(pages.size())) continue;
        if (!first) printer.newPage();
        first = false;
        qt_page_painter surface(painter);
        play_page_file(pages[static_cast<std::size_t>(page - 1)], surface);
    }
    return painter.end();
}

}  // namespace vortel
