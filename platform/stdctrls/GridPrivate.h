#pragma once
// Private to the grid's .cpp files: the scroll-bar widgets a grid shows when its cells
// do not fit.
#include <QPointer>
#include <QScrollBar>

#include "platform/stdctrls/Grids.h"

struct TCustomGrid::Bars {
  QPointer<QScrollBar> h;
  QPointer<QScrollBar> v;
};
