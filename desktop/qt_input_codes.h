// Qt's key events and scroll-bar actions as the input codes of the portable
// grid and preview: virtual-key codes and scroll-bar codes.
#pragma once

class QKeyEvent;

namespace vortel {

// The virtual-key code of a key; 0 for keys no window of the program
// reacts to.
int virtual_key(const QKeyEvent& event);

// A scroll-bar action (QAbstractSlider::SliderAction) as a bar code.
int scroll_code(int action);

}  // namespace vortel
