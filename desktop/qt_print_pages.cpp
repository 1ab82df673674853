#include "desktop/qt_print_pages.h"

#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include "print/page_player.h"
#include "desktop/qt_page_painter.h"

namespace vortel {
namespace {

void lay_out_as_a4(QPrinter& printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(pdf_page_resolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

}  // namespace

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

std::unique_ptr<QPrinter> pdf_page_printer(const std::string& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    lay_out_as_a4(*printer);
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
