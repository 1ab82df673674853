#include "desktop/qt_canvas.h"

#include "platform/codepage.h"

#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QPainter>

namespace vortel {
namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

}  // namespace

QColor qt_colour(canvas_colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

canvas_font qt_font_handle(const QFont* font)
{
    return reinterpret_cast<canvas_font>(font);
}

qt_canvas::qt_canvas(QPainter& painter) : painter_(painter)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void qt_canvas::set_bitmaps(std::initializer_list<const QImage*> images)
{
    images_.assign(images.begin(), images.end());
}

void qt_canvas::rectangle(const canvas_rect& area, canvas_colour pen, canvas_colour fill)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    painter_.fillRect(area.left, area.top, width, height, qt_colour(fill));
    painter_.setPen(QPen(qt_colour(pen), 0));
    painter_.setBrush(Qt::NoBrush);
    // The outline runs on the outermost pixels inside the rectangle.
    painter_.drawRect(area.left, area.top, width - 1, height - 1);
}

void qt_canvas::line(int x1, int y1, int x2, int y2, canvas_colour pen)
{
    if (x1 == x2 && y1 == y2) return;
    painter_.setPen(QPen(qt_colour(pen), 0));
    // The end point itself is not drawn.
    painter_.drawLine(x1, y1, x2 - sign(x2 - x1), y2 - sign(y2 - y1));
}

void qt_canvas::text(const canvas_rect& area, std::string_view text, unsigned flags, canvas_colour foreground,
                     canvas_colour background, canvas_font font)
{
    const QRect box(area.left, area.top, area.right - area.left, area.bottom - area.top);
    if (box.width() <= 0 || box.height() <= 0) return;
    int alignment = Qt::AlignLeft;
    if (flags & text_centre) alignment = Qt::AlignHCenter;
    if (flags & text_right) alignment = Qt::AlignRight;
    alignment |= (flags & text_vertical_centre) ? Qt::AlignVCenter : Qt::AlignTop;
    if (flags & text_single_line) alignment |= Qt::TextSingleLine;

    painter_.save();
    painter_.setClipRect(box);
    if (font) painter_.setFont(*reinterpret_cast<const QFont*>(font));
    const QString shown = QString::fromStdString(ansi_to_utf8(text));
    // Opaque like the cells: the text's own extent takes the background.
    const QRect extent = painter_.boundingRect(box, alignment, shown).intersected(box);
    painter_.fillRect(extent, qt_colour(background));
    painter_.setPen(qt_colour(foreground));
    painter_.drawText(box, alignment, shown);
    painter_.restore();
}

void qt_canvas::bitmap(canvas_bitmap image, int x, int y, int width, int height, int mode)
{
    if (image < 1 || static_cast<std::size_t>(image) > images_.size()) return;
    const QImage* found = images_[static_cast<std::size_t>(image) - 1];
    if (!found || found->isNull()) return;
    const QImage& picture = *found;
    painter_.save();
    if (mode == 1) {
        painter_.drawImage(QRect(x, y, width, height), picture);
    } else {
        // AND with the surface: white pixels leave it as it was.
        painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter_.drawImage(QPoint(x, y), picture);
    }
    painter_.restore();
}

}  // namespace vortel
