#pragma once
// Icons as pictures: the set that comes with the program, and the images of an icon file.
#include <string>
#include "platform/graphics/Bitmap.h"

namespace ui {

// The program's own icons, by number (the widget style's pictures of files, folders,
// drives, the computer and so on): how many there are, and one drawn Size pixels square.
int BundledIconCount();
bool BundledIconBitmap(int Index, int Size, TBitmap& Out);

// The bytes of an icon file (".ico": one icon in one or more sizes): the image nearest to
// Size pixels, drawn Size square. False when the bytes hold no icon that can be read. An
// image that claims more than 1024 pixels a side is no icon and is not decoded.
bool IconFileBitmap(const std::string& Data, int Size, TBitmap& Out);

}  // namespace ui
