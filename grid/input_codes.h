// The input codes the navigation routine understands: virtual-key codes of
// the keys a table window reacts to, and scroll-bar codes (horizontal ones
// plus 10000). Front-ends translate their own events into these.
#pragma once

namespace vortel {

inline constexpr int vk_back = 8;
inline constexpr int vk_tab = 9;
inline constexpr int vk_return = 13;
inline constexpr int vk_escape = 27;
inline constexpr int vk_prior = 33;  // Page Up
inline constexpr int vk_next = 34;   // Page Down
inline constexpr int vk_end = 35;
inline constexpr int vk_home = 36;
inline constexpr int vk_left = 37;
inline constexpr int vk_up = 38;
inline constexpr int vk_right = 39;
inline constexpr int vk_down = 40;
inline constexpr int vk_print = 42;
inline constexpr int vk_insert = 45;
inline constexpr int vk_delete = 46;
inline constexpr int vk_c = 67;
inline constexpr int vk_z = 90;  // undoes the last edit with Ctrl held
inline constexpr int vk_numpad3 = 99;  // copies like "C" with Ctrl held
inline constexpr int vk_f2 = 113;
inline constexpr int vk_f3 = 114;
inline constexpr int vk_f5 = 116;
inline constexpr int vk_f6 = 117;
inline constexpr int vk_f7 = 118;
inline constexpr int vk_f8 = 119;
inline constexpr int vk_f9 = 120;
inline constexpr int vk_f10 = 121;
inline constexpr int vk_f11 = 122;
inline constexpr int vk_f12 = 123;

inline constexpr int sb_lineup = 0;
inline constexpr int sb_linedown = 1;
inline constexpr int sb_pageup = 2;
inline constexpr int sb_pagedown = 3;
inline constexpr int sb_thumbposition = 4;
inline constexpr int sb_thumbtrack = 5;
inline constexpr int sb_top = 6;
inline constexpr int sb_bottom = 7;
inline constexpr int sb_endscroll = 8;

inline constexpr int horizontal_scroll = 10000;  // added to the horizontal bar's codes
inline constexpr int sb_lineleft = horizontal_scroll + 0;
inline constexpr int sb_lineright = horizontal_scroll + 1;
inline constexpr int sb_pageleft = horizontal_scroll + 2;
inline constexpr int sb_pageright = horizontal_scroll + 3;
inline constexpr int sb_left = horizontal_scroll + 6;
inline constexpr int sb_right = horizontal_scroll + 7;

}  // namespace vortel
