// Pages drawn with Qt: a text surface over a QPainter, so the page player
// can draw a page into the preview (scaled) or onto a printer (one to one),
// and the printer facts of a QPrinter for laying pages out.
#pragma once

#include <QtGui/QColor>
#include <QtGui/QFont>

#include "print/printer_facts.h"
#include "print/text_surface.h"

class QPainter;
class QPaintDevice;
class QPrinter;

namespace vortel {

// A page font as Qt draws it on `device`, whose pixels are the font's units.
QFont qt_page_font(const page_font& font, const QPaintDevice* device);

class qt_page_painter final : public text_surface {
public:
    explicit qt_page_painter(QPainter& painter);

    void select_font(const page_font& font) override;
    void set_text_colour(std::uint32_t rgb) override;
    void set_background_mode(int mode) override;
    // (x, y) is the top left corner of the text's cell.
    void draw_text(std::int32_t x, std::int32_t y, std::string_view text) override;

private:
    QPainter& painter_;
};

// The facts of `printer` as it is set up now, with `face` at 12 points as
// its default font: lines are spaced for a listing in that face.
printer_facts qt_printer_facts(QPrinter& printer, const std::string& face);

}  // namespace vortel
