// The idle valve page's wiring picture: for the chosen valve type, the valve's connector
// pins, its coils between them, and the ECU output or supply each pin goes to.
#include <algorithm>
#include <vector>

#include "config/setup.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

// One valve type: what each connector pin is wired to, and the coils as runs of pins (first
// pin, last pin, a centre tap in between when there is one).
struct Coil {
  int first, last, tap;  // pin numbers from 1; tap 0: none
  const char* name;
};
struct Wiring {
  std::vector<const char*> pins;
  std::vector<Coil> coils;
};

const Wiring kWirings[4] = {
    {{"IACV 1", "IACV 2", "IACV 3", "IACV 4"}, {{1, 2, 0, "Coil A"}, {3, 4, 0, "Coil B"}}},
    {{"IACV 1", "+12 V", "IACV 2", "IACV 3", "+12 V", "IACV 4"},
     {{1, 3, 2, "Coil A"}, {4, 6, 5, "Coil B"}}},
    {{"+12 V", "IACV 1"}, {{1, 2, 0, "Coil"}}},
    {{"IACV 1", "+12 V", "IACV 2"}, {{1, 2, 0, "Open"}, {2, 3, 0, "Close"}}},
};

constexpr TColor kWire = ColorValue(0x000080);    // dark red: wires
constexpr TColor kSupply = ColorValue(0x0000C0);  // red: the switched supply
constexpr TColor kCoil = ColorValue(0x800000);    // navy: the valve's coils

}  // namespace

void TSetupForm::ShowIACVPicture() {
  if (IACVWiring == nullptr) return;
  const int type = std::clamp(IACVTypeBox->ItemIndex(), 0, 3);
  const Wiring& w = kWirings[type];
  TCanvas* c = IACVWiring->Canvas();
  const int width = IACVWiring->Width(), height = IACVWiring->Height();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, width, height));
  c->Font()->SetColor(clBlack);
  c->SetBkMode(TRANSPARENT);

  // Columns: the ECU's terminals at the left, the valve's connector at the right.
  const int ecuLeft = 4, ecuRight = 84, pinX = 150, valveRight = width - 4, coilX = pinX + 44;
  const int pitch = w.pins.size() > 4 ? 34 : 44;
  const int top = 44, firstY = top + 30;
  const int bottom = firstY + pitch * (static_cast<int>(w.pins.size()) - 1) + 30;
  auto pinY = [&](int pin) { return firstY + pitch * (pin - 1); };

  c->TextOut(ecuLeft, top - 20, "ECU");
  c->TextOut(pinX - 4, top - 20, "Valve connector");
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(ecuLeft, top, ecuRight, bottom);
  c->Rectangle(pinX - 8, top, valveRight, bottom);

  for (size_t i = 0; i < w.pins.size(); ++i) {
    const int pin = static_cast<int>(i) + 1, y = pinY(pin);
    const AnsiString name = w.pins[i];
    const bool supply = name[0] == '+';
    // The terminal's name inside the ECU box, at its right edge.
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(supply ? kSupply : clBlack);
    c->TextOut(ecuRight - 6 - c->TextWidth(name), y - c->TextHeight(name) / 2, name);
    // The wire to the pin, and the pin with its number.
    c->Pen()->SetColor(supply ? kSupply : kWire);
    c->Pen()->SetWidth(2);
    c->MoveTo(ecuRight, y);
    c->LineTo(pinX, y);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clSilver);
    c->Ellipse(pinX - 5, y - 5, pinX + 6, y + 6);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    const AnsiString number = IntToStr(pin);
    c->TextOut(pinX + 10, y - c->TextHeight(number) - 1, number);
  }

  // Each coil: a run of turns between its end pins, its centre tap joined halfway.
  c->Pen()->SetColor(kCoil);
  c->Pen()->SetWidth(2);
  c->Font()->SetColor(kCoil);
  for (const Coil& coil : w.coils) {
    const int y1 = pinY(coil.first), y2 = pinY(coil.last);
    c->MoveTo(pinX + 6, y1);
    c->LineTo(coilX, y1);
    c->MoveTo(pinX + 6, y2);
    c->LineTo(coilX, y2);
    const int turns = std::max(2, (y2 - y1 - 8) / 10);
    const int lead = (y2 - y1 - turns * 10) / 2;
    c->MoveTo(coilX, y1);
    c->LineTo(coilX, y1 + lead);
    for (int t = 0; t < turns; ++t) {
      const int ty = y1 + lead + t * 10;
      // A half turn bulging to the right, from its top to its bottom.
      c->Arc(coilX - 7, ty, coilX + 7, ty + 10, coilX, ty, coilX, ty + 10);
    }
    c->MoveTo(coilX, y1 + lead + turns * 10);
    c->LineTo(coilX, y2);
    if (coil.tap != 0) {
      const int ty = pinY(coil.tap);
      c->MoveTo(pinX + 6, ty);
      c->LineTo(coilX - 12, ty);
      c->LineTo(coilX - 12, (y1 + y2) / 2);
      c->LineTo(coilX, (y1 + y2) / 2);
    }
    c->TextOut(coilX + 14, (y1 + y2) / 2 - c->TextHeight(coil.name) / 2, coil.name);
  }
  c->Pen()->SetWidth(1);
  c->Font()->SetColor(clBlack);
  IACVWiring->Invalidate();
}
