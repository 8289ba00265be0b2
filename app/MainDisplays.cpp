// The main window's live displays: the dashboard of the live page, the two air-fuel ratio
// bars, the temperature pointers under the temperature tables, the user value boxes, the
// once-a-second clock and warning colours, and the service windows that follow the live
// data (diagnostics, ignition alignment, the configuration editor's block and identity).
#include <algorithm>
#include <utility>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "ecu/Diag.h"
#include "ecu/IgnAlign.h"
#include "gauges/AbValInd.h"
#include "link/LiveData.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

void TR7Tform1::PublishDisplays(TClassProps<TR7Tform1>& P) {
  P.Field("engine_speed", &TR7Tform1::engine_speed)
      .Field("load_site", &TR7Tform1::load_site)
      .Field("throttle", &TR7Tform1::throttle)
      .Field("Boost", &TR7Tform1::Boost)
      .Field("BatteryV", &TR7Tform1::BatteryV)
      .Field("IACpos", &TR7Tform1::IACpos)
      .Field("inj_corr", &TR7Tform1::inj_corr)
      .Field("ign_corr", &TR7Tform1::ign_corr)
      .Field("air_temp", &TR7Tform1::air_temp)
      .Field("coolant_temp", &TR7Tform1::coolant_temp)
      .Field("EngineStatus", &TR7Tform1::EngineStatus)
      .Field("LambdaStatus", &TR7Tform1::LambdaStatus)
      .Field("InjectionStatus", &TR7Tform1::InjectionStatus)
      .Field("AirTempLabel", &TR7Tform1::AirTempLabel)
      .Field("CoolantTempLabel", &TR7Tform1::CoolantTempLabel)
      .Field("AirTempLabel2", &TR7Tform1::AirTempLabel2)
      .Field("CoolantTempLabel2", &TR7Tform1::CoolantTempLabel2)
      .Field("BoostCaption", &TR7Tform1::BoostCaption)
      .Field("InjDuration", &TR7Tform1::InjDuration)
      .Field("AbValueInd1", &TR7Tform1::AbValueInd1)
      .Field("AbValueInd2", &TR7Tform1::AbValueInd2)
      .Field("Panel6", &TR7Tform1::Panel6)
      .Field("Panel8", &TR7Tform1::Panel8)
      .Field("User1", &TR7Tform1::User1)
      .Field("User2", &TR7Tform1::User2)
      .Field("User3", &TR7Tform1::User3)
      .Field("User4", &TR7Tform1::User4)
      .Field("AirTempLive5", &TR7Tform1::AirTempLive5)
      .Field("CoolantTempLive5", &TR7Tform1::CoolantTempLive5)
      .Field("AirTempLive6", &TR7Tform1::AirTempLive6)
      .Field("CoolantTempLive6", &TR7Tform1::CoolantTempLive6)
      .Field("Image10", &TR7Tform1::Image10);
}

namespace {

void ShowText(TPanel* panel, const AnsiString& text) {
  if (panel != nullptr) panel->SetCaption(text);
}

AnsiString TemperatureUnit(const TSettingsRecord& units) { return units.TemperatureUnit == 1 ? "\xB0" "F" : "\xB0" "C"; }

AnsiString Fixed(double value, int decimals) { return FloatToStrF(value, ffFixed, 15, decimals); }

// Lights segments 0..last of a ratio bar (none for last = -1) and darkens the rest: each
// segment's dark colour from the form has one bright partner.
void LightSegments(TPanel* bar, int last) {
  if (bar == nullptr) return;
  static constexpr std::pair<TColor, TColor> kDarkBright[] = {{clMaroon, clRed}, {clOlive, clYellow}, {clGreen, clLime}};
  for (int k = 0; k < bar->ControlCount(); ++k) {
    auto* segment = dynamic_cast<TShape*>(bar->Controls(k));
    if (segment == nullptr) continue;
    const TColor now = segment->Brush()->Color();
    for (const auto& [dark, bright] : kDarkBright) {
      if (now != dark && now != bright) continue;
      const TColor want = k <= last ? bright : dark;
      if (now != want) segment->Brush()->SetColor(want);
      break;
    }
  }
}

void ShowRatio(TAbValueInd* gauge, TPanel* bar, int32_t ratioX10) {
  const int last = ecu::AFRBarIndex(ratioX10);
  LightSegments(bar, last);
  if (gauge == nullptr) return;
  gauge->SetValue(static_cast<float>(ratioX10 / 10.0));
  gauge->FontValue()->SetColor(last < 10 ? clRed : last < 20 ? clYellow : clLime);
}

// A temperature text of the dashboard: a sensor fault shows white on red; a value at the
// sensor's range ends is marked and red; otherwise green.
struct TempText {
  AnsiString text;
  TColor font = clLime;
  TColor back = clBlack;
};

TempText TemperatureText(int32_t tempC, bool sensorFault, const TSettingsRecord& units) {
  const std::optional<ecu::UnitValue> u = ecu::ConvertUnitValue(0, tempC, units);
  TempText t;
  t.text = u ? u->text : IntToStr(tempC);
  if (sensorFault) {
    t.font = clWhite;
    t.back = clRed;
  } else if (tempC >= 120) {
    t.text = ">" + t.text;
    t.font = clRed;
  } else if (tempC <= -30) {
    t.text = "<" + t.text;
    t.font = clRed;
  }
  return t;
}

void ShowTemperature(TPanel* panel, const TempText& t) {
  if (panel == nullptr) return;
  panel->SetCaption(t.text);
  panel->Font()->SetColor(t.font);
  panel->SetColor(t.back);
}

}  // namespace

void TR7Tform1::FastLiveDisplays() {
  const TFastLiveRaw& f = LiveFast;
  ShowText(engine_speed, IntToStr(f.RPM));
  ShowText(load_site, IntToStr(LiveLoadSite));
  ShowText(throttle, IntToStr(f.ThrottlePercent));
  AnsiString pressure;
  ShowText(Boost, ConvertUnits(1, f.ManifoldPressure / 10, pressure));
  if (InjDuration != nullptr) InjDuration->SetValue(static_cast<float>(f.InjectionDuty));
  UpdateAFR();
  ShowUserValues();
  if (DiagForm != nullptr && DiagForm->Visible()) DiagForm->ShowFastLive(Settings);
  if (AdditionalMaps != nullptr) AdditionalMaps->ShowFastLive();
}

void TR7Tform1::UpdateAFR() {
  ShowRatio(AbValueInd1, Panel6, LiveFast.AFR);
  ShowRatio(AbValueInd2, Panel8, LiveFast.AFR2);
}

void TR7Tform1::ShowUserValues() {
  TPanel* boxes[4] = {User1, User2, User3, User4};
  for (int i = 0; i < 4; ++i) {
    if (boxes[i] == nullptr) continue;
    const int f = Settings.UserViewVar[static_cast<size_t>(i + 1)];
    if (f < 0 || f >= static_cast<int>(LiveValues.size()) || f >= static_cast<int>(ChannelFunctionDecimals.size()))
      continue;
    boxes[i]->SetCaption(Fixed(LiveValues[static_cast<size_t>(f)], ChannelFunctionDecimals[static_cast<size_t>(f)]));
  }
}

void TR7Tform1::SlowLiveDisplays() {
  const TSlowLiveRaw& s = LiveSlow;
  ShowText(BatteryV, Fixed(s.Battery / 11.0, 1));
  ShowText(IACpos, IntToStr(s.IdlePosition));
  const bool idling = (s.StatusWord & (1 << 2)) != 0;
  if (IACpos != nullptr) IACpos->Font()->SetColor(idling ? clRed : clLime);
  ShowText(inj_corr, IntToStr(s.InjectionCorrection));
  ShowText(ign_corr, Fixed(s.IgnitionCorrection / 2.0, 1));
  ShowTemperature(air_temp, TemperatureText(s.AirTemp, (s.FaultWord & (1 << 4)) != 0, Settings));
  ShowTemperature(coolant_temp, TemperatureText(s.CoolantTemp, (s.FaultWord & (1 << 5)) != 0, Settings));
  ShowText(EngineStatus, ecu::EngineStateText(LiveFast.RPM, s.StatusWord));
  ShowText(LambdaStatus, ecu::LambdaModeText(s.StatusWord, s.FaultWord));
  ShowText(InjectionStatus, ecu::InjectionModeText(s.StatusWord));
  UpdateTempPointers();
  if (DiagForm != nullptr && DiagForm->Visible()) DiagForm->ShowSlowLive(Settings);
  if (IgnAlignForm != nullptr && IgnAlignForm->Visible()) IgnAlignForm->ShowAdvanceLock(ECUIdentity.AdvanceLocked);
  if (AdditionalMaps != nullptr) AdditionalMaps->ShowSlowLive();
}

void TR7Tform1::BlankLiveDisplays() {
  ShowText(engine_speed, "XXXX");
  ShowText(load_site, "XX");
  for (TPanel* p : {throttle, Boost, BatteryV, IACpos, User1, User2, User3, User4, ign_corr, inj_corr})
    ShowText(p, "XXX");
  for (TPanel* p : {air_temp, coolant_temp}) ShowTemperature(p, TempText{"XXX"});
  if (IACpos != nullptr) IACpos->Font()->SetColor(clLime);
  for (TPanel* p : {EngineStatus, LambdaStatus, InjectionStatus}) ShowText(p, "");
  if (InjDuration != nullptr) InjDuration->SetValue(0);
  // No ratio: dark bars and empty read-outs rather than a full "rich" bar for a zero.
  for (TPanel* bar : {Panel6, Panel8}) LightSegments(bar, -1);
  for (TAbValueInd* gauge : {AbValueInd1, AbValueInd2}) {
    if (gauge == nullptr) continue;
    gauge->SetValue(0);
    gauge->FontValue()->SetColor(clGreen);
  }
  for (TLabel* l : {AirTempLive5, CoolantTempLive5, AirTempLive6, CoolantTempLive6})
    if (l != nullptr) l->SetCaption("");
  if (DiagForm != nullptr && DiagForm->Visible()) DiagForm->ShowUnknown();
  if (AdditionalMaps != nullptr) AdditionalMaps->ShowLinkLost();
}

void TR7Tform1::ShowDashboardUnits(const AnsiString& temperature, const AnsiString& pressure) {
  for (TLabel* unit : {AirTempLabel2, CoolantTempLabel2})
    if (unit != nullptr) unit->SetCaption("(" + temperature + ")");
  if (BoostCaption != nullptr) BoostCaption->SetCaption("Boost (" + pressure + ")");
}

void TR7Tform1::UpdateTempPointers() {
  const int page = Notebook1 != nullptr ? Notebook1->PageIndex() : -1;
  if (page < 4 || page > 6 || TempPointerBitmap == nullptr) return;
  const TSlowLiveRaw& s = LiveSlow;

  // The live temperatures beside the tables, as the dashboard shows them.
  const std::pair<TLabel*, TPanel*> copies[] = {{CoolantTempLive5, coolant_temp},
                                                {AirTempLive5, air_temp},
                                                {CoolantTempLive6, coolant_temp},
                                                {AirTempLive6, air_temp}};
  for (const auto& [label, from] : copies) {
    if (label == nullptr || from == nullptr) continue;
    const bool coolant = from == coolant_temp;
    label->SetCaption((coolant ? "Coolant: " : "Air: ") + from->Caption() + " " + TemperatureUnit(Settings));
    label->Font()->SetColor(from->Font()->Color() == clLime ? clGreen : clRed);
  }

  struct Strip {
    TImage* image;
    TStringAlignGrid* table;
    bool coolant;
    int page;
  };
  const Strip strips[] = {{Image10, idlerpm_table, true, 4},   {Image6, coolantign_table, true, 5},
                          {Image7, airign_table, false, 5},    {Image3, coolantinj_table, true, 6},
                          {Image2, airinj_table, false, 6},    {Image5, CrankPrime_table, true, 6}};
  TCanvas* c = TempPointerBitmap->Canvas();
  const int w = TempPointerBitmap->Width(), h = TempPointerBitmap->Height();
  for (const bool coolant : {true, false}) {
    const int32_t t = coolant ? s.CoolantTemp : s.AirTemp;
    for (const Strip& strip : strips) {
      if (strip.page != page || strip.coolant != coolant || strip.image == nullptr || strip.table == nullptr) continue;
      // The axis runs from the first column's centre to the last's, as the table shows it now.
      const TRect first = strip.table->CellRect(0, 0);
      const TRect last = strip.table->CellRect(strip.table->ColCount() - 1, 0);
      const int origin = (first.Left + first.Right) / 2;
      const int scale = last.Right > last.Left ? (last.Left + last.Right) / 2 - origin : TempPointerScale;
      const int x = ecu::TempPointerPosition(t, scale, last.Right > last.Left ? origin : TempPointerOffset) +
                    strip.table->Left() - strip.image->Left();
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clBtnFace);
      c->FillRect(TRect(0, 0, w, h));
      const int half = std::max(3, h / 2);
      c->Pen()->SetColor(clBlack);
      c->Pen()->SetWidth(1);
      c->Brush()->SetColor(coolant ? clBlue : clWhite);
      c->Polygon({TPoint(x, 0), TPoint(x + half, h - 1), TPoint(x - half, h - 1)});
      TBitmap* shown = strip.image->Picture()->Bitmap();
      if (shown->Width() != w || shown->Height() != h) shown->SetSize(w, h);
      shown->Canvas()->Draw(0, 0, TempPointerBitmap);
      strip.image->Invalidate();
    }
  }

  if (page != 6 || CrankingTable == nullptr || CrankPointerBitmap == nullptr || Image8 == nullptr) return;
  // The cranking site: high 3 bits the row of the turns table, low 5 bits how far towards
  // the next row.
  const int row = s.CrankingSite >> 5, fraction = s.CrankingSite & 0x1F;
  if (crank_marked_row_ >= 0 && crank_marked_row_ != row && crank_marked_row_ < CrankingTable->RowCount())
    CrankingTable->SetColorCell(0, crank_marked_row_, crank_marked_colour_);
  TCanvas* cc = CrankPointerBitmap->Canvas();
  const int cw = CrankPointerBitmap->Width(), ch = CrankPointerBitmap->Height();
  cc->Brush()->SetStyle(bsSolid);
  cc->Brush()->SetColor(clBtnFace);
  cc->FillRect(TRect(0, 0, cw, ch));
  if (row < CrankingTable->RowCount()) {
    if (crank_marked_row_ != row) {
      crank_marked_colour_ = CrankingTable->ColorCell(0, row);
      crank_marked_row_ = row;
    }
    CrankingTable->SetColorCell(0, row, clSilver);
    const TRect cell = CrankingTable->CellRect(0, row);
    const int y = CrankingTable->Top() - Image8->Top() + cell.Top + (cell.Bottom - cell.Top) / 2 +
                  fraction * (cell.Bottom - cell.Top) / 32;
    const int half = std::max(3, cw / 4);
    cc->Pen()->SetColor(clBlack);
    cc->Brush()->SetColor(clBlue);
    cc->Polygon({TPoint(cw - 1, y), TPoint(cw - 1 - 2 * half, y - half), TPoint(cw - 1 - 2 * half, y + half)});
  } else {
    crank_marked_row_ = -1;
  }
  TBitmap* shown = Image8->Picture()->Bitmap();
  if (shown->Width() != cw || shown->Height() != ch) shown->SetSize(cw, ch);
  shown->Canvas()->Draw(0, 0, CrankPointerBitmap);
  Image8->Invalidate();
}

void TR7Tform1::Timer1Timer(TObject*) {
  blink_phase_ = !blink_phase_;
  // A box left with its selector closed and nothing chosen shows its value again.
  TComboBox* selectors[4] = {User1Selection, User2Selection, User3Selection, User4Selection};
  TPanel* panels[4] = {Panel9, Panel10, Panel11, Panel12};
  TPanel* boxes[4] = {User1, User2, User3, User4};
  for (int i = 0; i < 4; ++i) {
    if (selectors[i] == nullptr || panels[i] == nullptr) continue;
    if (selectors[i]->DroppedDown() || panels[i]->Visible()) continue;
    if (selectors[i]->ItemIndex() >= 0) {
      UserSelectionChange(selectors[i]);
    } else {
      selectors[i]->SetVisible(false);
      panels[i]->SetVisible(true);
    }
  }
  if (timepanel != nullptr) timepanel->SetCaption(FormatDateTime("hh:mm", Now()));

  if (StatusPanel != nullptr)
    StatusPanel->SetColor((ECUImmobilised || ECUMapsLocked) && blink_phase_ ? clYellow : clBtnFace);

  // The exhaust gas temperature warns by blinking once it reaches the set limit.
  for (int i = 0; i < 4; ++i) {
    if (boxes[i] == nullptr) continue;
    const bool egt = Settings.UserViewVar[static_cast<size_t>(i + 1)] == 21;
    const bool warn = egt && LiveEGT >= Settings.EGTWarning;
    boxes[i]->Font()->SetColor(!warn ? clGreen : blink_phase_ ? clRed : clWhite);
    boxes[i]->SetColor(warn && !blink_phase_ ? clRed : clBtnFace);
  }
  // The accel meter's peaks cover the last second.
  if (AdditionalMaps != nullptr) AdditionalMaps->ResetMeterPeaks();
}

void TR7Tform1::ConfigurationReceived() {
  if (IgnAlignForm != nullptr && IgnAlignForm->Visible()) IgnAlignForm->ShowConfiguration();
  if (SetupForm != nullptr && SetupForm->Visible()) {
    SetupForm->ConfigOnline(true);
    SetupForm->RefreshConfigDisplay(true);
  }
}

void TR7Tform1::ConfigUploadUnfinished() {
  if (SetupForm != nullptr) SetupForm->UploadUnfinished();
}

void TR7Tform1::IdentityReceived() {
  if (DiagForm != nullptr && DiagForm->Visible()) DiagForm->ShowIdentity();
  if (SetupForm != nullptr && SetupForm->Visible()) SetupForm->ShowIdentity();
}
