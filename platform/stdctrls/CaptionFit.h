#pragma once
// How a control's caption sits in the control as the window system shows it, so that a
// caption cut at the control's edge can be found: the caption's extent in the control's
// font and the room the control leaves it.
#include "platform/ui/Controls.h"

struct TCaptionFit {
  TSize Extent;  // the caption as drawn (a wrapping label: wrapped at its width)
  TSize Room;    // what the control gives it
  bool Fits() const { return Extent.cx <= Room.cx && Extent.cy <= Room.cy; }
};

// For a label, its client area; for a check box or radio button, the part beside its box;
// for a button, its face inside the frame and beside its glyph. False for controls of other
// kinds and for an empty caption.
bool CaptionFit(TControl* Control, TCaptionFit& Out);
