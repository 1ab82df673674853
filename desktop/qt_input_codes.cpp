#include "desktop/qt_input_codes.h"

#include "grid/input_codes.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractSlider>

namespace vortel {

int virtual_key(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Up: return vk_up;
    case Qt::Key_Down: return vk_down;
    case Qt::Key_PageUp: return vk_prior;
    case Qt::Key_PageDown: return vk_next;
    case Qt::Key_Home: return vk_home;
    case Qt::Key_End: return vk_end;
    case Qt::Key_Left: return vk_left;
    case Qt::Key_Right: return vk_right;
    case Qt::Key_Tab: return vk_tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk_return;
    case Qt::Key_Escape: return vk_escape;
    case Qt::Key_Insert: return vk_insert;
    case Qt::Key_Delete: return vk_delete;
    case Qt::Key_Print: return vk_print;
    case Qt::Key_F2: return vk_f2;
    case Qt::Key_F3: return vk_f3;
    case Qt::Key_F5: return vk_f5;
    case Qt::Key_F6: return vk_f6;
    case Qt::Key_F7: return vk_f7;
    case Qt::Key_F8: return vk_f8;
    case Qt::Key_F9: return vk_f9;
    case Qt::Key_F10: return vk_f10;
    case Qt::Key_F11: return vk_f11;
    case Qt::Key_F12: return vk_f12;
    case Qt::Key_C: return vk_c;
    case Qt::Key_Z: return (event.modifiers() & Qt::ControlModifier) ? vk_z : 0;
    // Ctrl+P prints, as users expect it to, beside the Print key.
    case Qt::Key_P: return (event.modifiers() & Qt::ControlModifier) ? vk_print : 0;
    case Qt::Key_3: return (event.modifiers() & Qt::KeypadModifier) ? vk_numpad3 : 0;
    default: return 0;
    }
}

int scroll_code(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return sb_lineup;
    case QAbstractSlider::SliderSingleStepAdd: return sb_linedown;
    case QAbstractSlider::SliderPageStepSub: return sb_pageup;
    case QAbstractSlider::SliderPageStepAdd: return sb_pagedown;
    case QAbstractSlider::SliderMove: return sb_thumbtrack;
    case QAbstractSlider::SliderToMinimum: return sb_top;
    case QAbstractSlider::SliderToMaximum: return sb_bottom;
    default: return sb_endscroll;
    }
}

}  // namespace vortel
