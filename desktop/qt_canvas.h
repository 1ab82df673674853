// The grid's drawing surface over a QPainter.
//
// Font handles are the addresses of QFonts that the table window owns for as
// long as it paints with them; bitmap handles number the images given to
// set_bitmaps from 1 on, as the grid's bitmap ids do.
#pragma once

#include "platform/canvas.h"

#include <initializer_list>
#include <vector>

#include <QtGui/QColor>

class QPainter;
class QFont;
class QImage;

namespace vortel {

QColor qt_colour(canvas_colour colour);  // 0x00BBGGRR
canvas_font qt_font_handle(const QFont* font);

class qt_canvas final : public canvas {
public:
    explicit qt_canvas(QPainter& painter);

    // Handle n draws images[n - 1]; other handles draw nothing.
    void set_bitmaps(std::initializer_list<const QImage*> images);

    void rectangle(const canvas_rect& area, canvas_colour pen, canvas_colour fill) override;
    void line(int x1, int y1, int x2, int y2, canvas_colour pen) override;
    void text(const canvas_rect& area, std::string_view text, unsigned flags, canvas_colour foreground,
              canvas_colour background, canvas_font font) override;
    void bitmap(canvas_bitmap image, int x, int y, int width, int height, int mode) override;

private:
    QPainter& painter_;
    std::vector<const QImage*> images_;
};

}  // namespace vortel
