// A canvas that keeps every drawing call as data, so tests can check what a
// paint drew without a display.
#pragma once

#include "platform/canvas.h"

#include <string>
#include <vector>

namespace vortel::testing {

enum class drawn { rectangle, line, text, bitmap };

struct canvas_call {
    drawn kind = drawn::rectangle;
    canvas_rect area{};                // rectangle, text; bitmap: x, y, width, height
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line
    canvas_colour pen = 0;             // rectangle, line
    canvas_colour fill = 0;            // rectangle
    std::string text{};
    unsigned flags = 0;
    canvas_colour foreground = 0, background = 0;
    canvas_font font = 0;
    canvas_bitmap image = 0;
    int mode = 0;
};

class recording_canvas : public canvas {
public:
    std::vector<canvas_call> calls;

    void rectangle(const canvas_rect& area, canvas_colour pen, canvas_colour fill) override
    {
        calls.push_back({.kind = drawn::rectangle, .area = area, .pen = pen, .fill = fill});
    }
    void line(int x1, int y1, int x2, int y2, canvas_colour pen) override
    {
        calls.push_back({.kind = drawn::line, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2, .pen = pen});
    }
    void text(const canvas_rect& area, std::string_view text, unsigned flags, canvas_colour foreground,
              canvas_colour background, canvas_font font) override
    {
        calls.push_back({.kind = drawn::text, .area = area, .text = std::string(text), .flags = flags,
                         .foreground = foreground, .background = background, .font = font});
    }
    void bitmap(canvas_bitmap image, int x, int y, int width, int height, int mode) override
    {
        calls.push_back({.kind = drawn::bitmap, .area = {x, y, width, height}, .image = image, .mode = mode});
    }

    std::vector<canvas_call> of(drawn kind) const
    {
        std::vector<canvas_call> found;
        for (const canvas_call& call : calls) {
            if (call.kind == kind) found.push_back(call);
        }
        return found;
    }
    // The texts drawn, in drawing order.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> found;
        for (const canvas_call& call : of(drawn::text)) found.push_back(call.text);
        return found;
    }
};

}  // namespace vortel::testing
