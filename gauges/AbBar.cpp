#include "gauges/AbBar.h"

#include <algorithm>

TAbBar::TAbBar(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  SetBounds(0, 0, 164, 28);
  bar_.SetminWidth(25);
  bar_.SetminHeight(12);
  bar_.SetOptions(TBarOptions{opValue, opUnit});
  bar_.SetBkBrightness(40);
  // A change of the bar settings redraws the bar only; the bevel is a change of layout.
  bar_.OnChange = [this](TObject*) {
    if (HasState(csLoading)) return;
    Layout();
    ValueChanged();
  };
  bevel_.OnChange = [this](TObject*) { ParamChange(); };
  Layout();
}

TAbBar::~TAbBar() {
  bar_.OnChange = nullptr;
  bevel_.OnChange = nullptr;
}

void TAbBar::Loaded() {
  TAbAnalogGControl::Loaded();
  Layout();
}

void TAbBar::Layout() {
  bar_.UnitText = SignalSettings()->ValueUnit();
  const int outer = bevel_.TotalWidth(), inner = bar_.Bevel()->TotalWidth();
  const int h = 2 * inner + 2 * outer + bar_.minHeight(), w = bar_.minWidth() + 2 * outer;
  if (Width() < w || Height() < h) SetBounds(Left(), Top(), std::max(Width(), w), std::max(Height(), h));
  bar_.ZeroPosition = SignalSettings()->ValueToPPT(0);
}

void TAbBar::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  Layout();
  Invalidate();
}

void TAbBar::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  bar_.ValueText = ValueText();
  bar_.SectorColor = (InSector(1) || InSector(2) || InSector(3)) ? CurrentSectorColor() : clNone;
  bar_.Sectors.Assign(SectorSettings());
  Invalidate();
}

void TAbBar::Paint() {
  if (UpdateCount() > 0) return;
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bevel_.PaintBevel(c, r);
  bar_.Bevel()->PaintBevel(c, r);
  bar_.BarRect = r;
  bar_.PaintBar(c, PPT());
}
