#pragma once
#include "platform/ui/Messages.h"

// Window messages an event of a window is reported as: the virtual-key code in WParam of a
// key; a mouse position in LParam, x in the low and y in the high 16 bits (relative to the
// control that got it; on the screen for the wheel and the context menu).
constexpr UINT WM_NULL = 0x0000, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006,
               WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_PAINT = 0x000F, WM_CLOSE = 0x0010,
               WM_SHOWWINDOW = 0x0018, WM_CONTEXTMENU = 0x007B, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
               WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A;
