#pragma once
// Messages a control handles through Perform, PostMessage and SendMessage: a message
// number and two parameters, answered with a result.
#include <cstdint>

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Private messages of the program and its components start here.
constexpr UINT WM_USER = 0x0400;
// The timer message a control receives from components that tick it.
constexpr UINT WM_TIMER = 0x0113;
