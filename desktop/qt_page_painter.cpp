#include "desktop/qt_page_painter.h"

#include <algorithm>
#include <cmath>

#include <QtGui/QFontMetrics>
#include <QtGui/QPageLayout>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrinter>

#include "platform/codepage.h"

namespace vortel {
namespace {

constexpr int default_font_points = 12;

QColor colour_of(std::uint32_t rgb)
{
    return QColor(static_cast<int>(rgb & 0xFFu), static_cast<int>(rgb >> 8 & 0xFFu),
                  static_cast<int>(rgb >> 16 & 0xFFu));
}

}  // namespace

QFont qt_page_font(const page_font& font, const QPaintDevice* device)
{
    QFont qt_font(QString::fromLatin1(font.face.c_str()));
    qt_font.setStyleHint(QFont::TypeWriter);
    qt_font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(font.weight == 0 ? 400 : font.weight, 1, 1000)));
    qt_font.setItalic(font.italic != 0);
    // A negative height is the characters' own height; a positive one the
    // whole cell's, ascent and descent together.
    int pixels = std::abs(int{font.height});
    if (font.height > 0 && device != nullptr) {
        qt_font.setPixelSize(1000);
        const QFontMetricsF metrics(qt_font, device);
        if (metrics.ascent() + metrics.descent() > 0) {
            pixels = static_cast<int>(std::lround(1000.0 * font.height / (metrics.ascent() + metrics.descent())));
        }
    }
    if (pixels > 0) qt_font.setPixelSize(pixels);
    return qt_font;
}

qt_page_painter::qt_page_painter(QPainter& painter) : painter_(painter)
{
    painter_.setBackground(Qt::white);
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setPen(Qt::black);
}

void qt_page_painter::select_font(const page_font& font)
{
    painter_.setFont(qt_page_font(font, painter_.device()));
}

void qt_page_painter::set_text_colour(std::uint32_t rgb)
{
    painter_.setPen(colour_of(rgb));
}

void qt_page_painter::set_background_mode(int mode)
{
    painter_.setBackgroundMode(mode == background_transparent ? Qt::TransparentMode : Qt::OpaqueMode);
}

void qt_page_painter::draw_text(std::int32_t x, std::int32_t y, std::string_view text)
{
    const QFontMetrics metrics(painter_.font(), painter_.device());
    painter_.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(ansi_to_utf8(text)));
}

printer_facts qt_printer_facts(QPrinter& printer, const std::string& face)
{
    printer_facts facts;
    facts.dots_per_inch_x = printer.logicalDpiX();
    facts.dots_per_inch_y = printer.logicalDpiY();
    facts.printable_width = printer.width();
    facts.printable_height = printer.height();
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    facts.offset_x = printable.left();
    facts.offset_y = printable.top();
    page_font font;
    font.height = static_cast<std::int16_t>(
        -std::clamp<long>(std::lround(default_font_points * facts.dots_per_inch_y / 72.0), 1, INT16_MAX));
    font.face = face.substr(0, 31);
    facts.default_font = font;
    const QFontMetrics metrics(qt_page_font(font, &printer), &printer);
    facts.font_height = metrics.ascent() + metrics.descent();
    facts.font_external_leading = std::max(metrics.leading(), 0);
    return facts;
}

}  // namespace vortel
