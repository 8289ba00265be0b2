#include "logger/LogReadout.h"

#include "gauges/GaugeClasses.h"
#include "platform/rtl/Numbers.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TLogReadout::TLogReadout(TComponent* AOwner) : TAbAnalogGControl(AOwner) { SetBounds(0, 0, 140, 36); }

void TLogReadout::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  Invalidate();
}

void TLogReadout::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  Invalidate();
}

AnsiString TLogReadout::ValueLine() {
  TSignalSettings* s = SignalSettings();
  AnsiString text = FormatFloat(s->ValueFormat(), Value());
  if (!s->ValueUnit().empty()) text += " " + s->ValueUnit();
  return text;
}

void TLogReadout::Paint() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(0, h - 1);
  c->LineTo(0, 0);
  c->LineTo(w - 1, 0);
  c->Pen()->SetColor(clBtnHighlight);
  c->LineTo(w - 1, h - 1);
  c->LineTo(0, h - 1);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect(1, 1, w - 1, h - 1));
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  c->Font()->SetSize(7);
  c->Font()->SetColor(clSilver);
  c->TextOut(4, 2, SignalSettings()->Name1());
  c->Font()->Assign(Font());
  const AnsiString value = ValueLine();
  c->TextOut(w - 4 - c->TextWidth(value), h - 2 - c->TextHeight(value), value);
  c->Brush()->SetStyle(bsSolid);
}

void RegisterLogReadoutClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterGaugeClasses();
    RegisterClass<TLogReadout, TAbAnalogGControl>("TLogReadout");
    return true;
  }();
  (void)done;
}
