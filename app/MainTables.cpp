// The map display: every control of the main window, the additional-tables window and the
// sensor tables of the configuration editor is rebuilt from the current map record. The
// record is the only store; the grids hold text only.
#include <algorithm>
#include <cstring>

#include "model/ChannelFunctions.h"
#include "app/Main.h"
#include "app/MainWindows.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "chart/Chart.h"
#include "app/Graphs.h"
#include "chart/Series.h"
#include "config/Additonl.h"
#include "config/TempCalculator.h"
#include "config/setup.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/LblEffct.h"
#include "ecu/Diag.h"
#include "link/LiveData.h"
#include "gauges/AbNumEdit.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

namespace {

// Record access by byte offset: the record layout is the ECU's, and the display walks it
// table by table with computed offsets.
int RecWord(const TMapRecord& m, size_t off) {
  int16_t v;
  std::memcpy(&v, m.Bytes() + off, 2);
  return v;
}
int RecUWord(const TMapRecord& m, size_t off) {
  uint16_t v;
  std::memcpy(&v, m.Bytes() + off, 2);
  return v;
}
void SetRecUWord(TMapRecord& m, size_t off, int value) {
  const uint16_t v = static_cast<uint16_t>(value);
  std::memcpy(m.Bytes() + off, &v, 2);
}
int RecByte(const TMapRecord& m, size_t off) { return m.Bytes()[off]; }
double RecDbl(const TMapRecord& m, size_t off) {
  double v;
  std::memcpy(&v, m.Bytes() + off, 8);
  return v;
}
uint32_t RecDWord(const TMapRecord& m, size_t off) {
  uint32_t v;
  std::memcpy(&v, m.Bytes() + off, 4);
  return v;
}

constexpr TColor kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x008000, kLime = 0x00FF00,
                 kYellow = 0x00FFFF;

// Texts put before slot 1's name in the caption, by source byte.
const char* const kMapSourceText[3] = {"", "FILE - ", "ECU - "};
const char* const kTemperatureUnits[2] = {"\xB0" "C", "\xB0" "F"};
const char* const kPressureUnits[3] = {"KPa", "Bar", "PSI"};
const char* const kSpeedUnits[2] = {"MPH", "KPH"};
constexpr int kSiteHeadingsC[14] = {-30, -20, -10, 0, 10, 20, 30, 40, 50, 60, 70, 80, 100, 120};
constexpr int kSiteHeadingsF[14] = {-22, -4, 14, 32, 50, 68, 86, 104, 122, 140, 158, 176, 212, 248};

// Table bases and single fields of the record.
constexpr size_t kIgnition = 512, kInjection = 1668, kAFRTarget = 2824, kAFRCorrection = 3980, kAFRMode = 17086;
constexpr size_t kSpeedSites = 14090, kTurnPositions = 14226, kCranking = 15132;
constexpr size_t kThrottleSites = 13954, kMAPSites = 14022, kOptionWord = 14294;
constexpr size_t kSeqStart = 16942;

size_t MainCell(size_t base, int s, int l) { return base + 34 * static_cast<size_t>(s) + 2 * static_cast<size_t>(l); }

AnsiString Int(int v) { return IntToStr(v); }
AnsiString Duty(int raw) { return Str(raw * 100.0 / 255.0, 3, 1); }

// Temperature unit index kept within the label tables.
int TempUnit() { return Settings.TemperatureUnit == 1 ? 1 : 0; }
int PressUnit() { return std::clamp(Settings.PressureUnit, 0, 2); }

// Site text with a thousands comma, for the main grids.
AnsiString SiteWithComma(int site) {
  AnsiString t = IntToStr(site);
  if (site >= 1000) t.insert(t.size() - 3, ",");
  return t;
}

// Fills one 5 x 32 additional table (rows 1..5, columns 1..32).
template <class F>
void FillFiveRows(TStringAlignGrid* g, const TMapRecord& m, size_t base, F show) {
  for (int c = 1; c <= 32; ++c)
    for (int r = 1; r <= 5; ++r) g->SetCells(c, r, show(RecWord(m, base + 34 * static_cast<size_t>(c) + 2 * static_cast<size_t>(r))));
}

// "(-30 to 120°C)": the range of the 14-point temperature tables in the unit shown.
AnsiString TemperatureRangeText(TR7Tform1& f, const AnsiString& unit) {
  AnsiString low, high;
  f.ConvertUnits(0, -30, low);
  f.ConvertUnits(0, 120, high);
  return "(" + low + " to " + high + unit + ")";
}

// The configuration editor's sensor pages, the temperature calculator and the diagnostics
// window show their temperatures, pressures and road speed in the display units.
void ShowSensorWindowUnitTexts(const AnsiString& temperature, const AnsiString& pressure, const AnsiString& speed,
                               const AnsiString& range) {
  if (TSetupForm* s = SetupForm) {
    for (TLabel* l : {s->ATSTempLabel, s->CTSTempLabel, s->XTSTempLabel})
      if (l) l->SetCaption("Temp (" + temperature + ")");
    for (TChart* c : {s->ATSChart, s->CTSChart, s->XTSChart})
      if (c) c->BottomAxis()->Title()->SetCaption("Temperature (" + temperature + ")");
  }
  if (TTempCalc* c = TempCalc) {
    for (TLabel* l : {c->TempUnit1, c->TempUnit2, c->TempUnit3})
      if (l) l->SetCaption(temperature + " = ");
    if (c->TempRange) c->TempRange->SetCaption(range);
    // The three calibration temperatures stay within the sensor table's range.
    const bool f = Settings.TemperatureUnit == 1;
    for (TAbNumSpin* e : {c->Temp1, c->Temp2, c->Temp3}) {
      if (!e) continue;
      e->SetMinValue(f ? -22 : -30);
      e->SetMaxValue(f ? 248 : 120);
    }
  }
  if (TDiagForm* d = DiagForm) {
    for (TLabel* l : {d->airtempUnit, d->coolanttempUnit, d->AuxTempUnit, d->EGTTempUnit})
      if (l) l->SetCaption(temperature);
    for (TLabel* l : {d->inletUnit, d->boostactualUnit, d->boosttargetUnit})
      if (l) l->SetCaption(pressure);
    if (d->TCSpeedUnit) d->TCSpeedUnit->SetCaption(speed);
  }
}

}  // namespace

void TR7Tform1::PublishTables(TClassProps<TR7Tform1>& P) {
  P.Field("DetailsDateEdit", &TR7Tform1::DetailsDateEdit)
      .Field("DetailsOwnerEdit", &TR7Tform1::DetailsOwnerEdit)
      .Field("DetailsEngineEdit", &TR7Tform1::DetailsEngineEdit)
      .Field("DetailsInductionEdit", &TR7Tform1::DetailsInductionEdit)
      .Field("DetailsPressureEdit", &TR7Tform1::DetailsPressureEdit)
      .Field("DetailsInjectorsEdit", &TR7Tform1::DetailsInjectorsEdit)
      .Field("DetailsInjectionTypeEdit", &TR7Tform1::DetailsInjectionTypeEdit)
      .Field("DetailsExhaustEdit", &TR7Tform1::DetailsExhaustEdit)
      .Field("details", &TR7Tform1::details)
      .Field("map_comments", &TR7Tform1::map_comments)
      .Field("soft_limit", &TR7Tform1::soft_limit)
      .Field("hard_limit", &TR7Tform1::hard_limit)
      .Field("shiftlight", &TR7Tform1::shiftlight)
      .Field("startup_timing", &TR7Tform1::startup_timing)
      .Field("IACVRateValue", &TR7Tform1::IACVRateValue)
      .Field("IACVoff", &TR7Tform1::IACVoff)
      .Field("CutOffRpm", &TR7Tform1::CutOffRpm)
      .Field("CutOffPot", &TR7Tform1::CutOffPot)
      .Field("IdleRpmSw", &TR7Tform1::IdleRpmSw)
      .Field("IdlePotSw", &TR7Tform1::IdlePotSw)
      .Field("IdleIgnTrim", &TR7Tform1::IdleIgnTrim)
      .Field("IdleIgnRate", &TR7Tform1::IdleIgnRate)
      .Field("Idleuprpm", &TR7Tform1::Idleuprpm)
      .Field("idleupv", &TR7Tform1::idleupv)
      .Field("SeqStart", &TR7Tform1::SeqStart)
      .Field("SeqDown", &TR7Tform1::SeqDown)
      .Field("Lam_StartDelay", &TR7Tform1::Lam_StartDelay)
      .Field("Lam_Warmupdelay", &TR7Tform1::Lam_Warmupdelay)
      .Field("Lam_Coolant", &TR7Tform1::Lam_Coolant)
      .Field("Lam_Decel", &TR7Tform1::Lam_Decel)
      .Field("Lam_accel", &TR7Tform1::Lam_accel)
      .Field("Lam_deceldelay", &TR7Tform1::Lam_deceldelay)
      .Field("Lam_Load", &TR7Tform1::Lam_Load)
      .Field("Lam_Speed", &TR7Tform1::Lam_Speed)
      .Field("Lam_Response", &TR7Tform1::Lam_Response)
      .Field("Lam_mapRes", &TR7Tform1::Lam_mapRes)
      .Field("Lam_MaxCorr", &TR7Tform1::Lam_MaxCorr)
      .Field("Lam_MinCorr", &TR7Tform1::Lam_MinCorr)
      .Field("Lam_LockTimer", &TR7Tform1::Lam_LockTimer)
      .Field("Lam_Rate", &TR7Tform1::Lam_Rate)
      .Field("CutOffEnabled", &TR7Tform1::CutOffEnabled)
      .Field("FineEnabled", &TR7Tform1::FineEnabled)
      .Field("SeqEnabled", &TR7Tform1::SeqEnabled)
      .Field("cutoffpotlabel", &TR7Tform1::cutoffpotlabel)
      .Field("cutoffrpmlabel", &TR7Tform1::cutoffrpmlabel)
      .Field("FineLabel", &TR7Tform1::FineLabel)
      .Field("UpdateLabel", &TR7Tform1::UpdateLabel)
      .Field("SeqLabel1", &TR7Tform1::SeqLabel1)
      .Field("SeqLabel2", &TR7Tform1::SeqLabel2)
      .Field("SeqLabel3", &TR7Tform1::SeqLabel3)
      .Field("IdleNote1", &TR7Tform1::IdleNote1)
      .Field("IdleNote2", &TR7Tform1::IdleNote2)
      .Field("IdleNote3", &TR7Tform1::IdleNote3)
      .Field("ComboBox1", &TR7Tform1::ComboBox1)
      .Field("Lam_Sensor", &TR7Tform1::Lam_Sensor)
      .Field("Label104", &TR7Tform1::Label104)
      .Field("Label105", &TR7Tform1::Label105)
      .Field("NSOn", &TR7Tform1::NSOn)
      .Field("NSoff", &TR7Tform1::NSoff)
      .Field("NS2On", &TR7Tform1::NS2On)
      .Field("NS2Off", &TR7Tform1::NS2Off)
      .Field("Label54", &TR7Tform1::Label54)
      .Field("Label17", &TR7Tform1::Label17)
      .Field("Label53", &TR7Tform1::Label53)
      .Field("Label50", &TR7Tform1::Label50)
      .Field("Label42", &TR7Tform1::Label42)
      .Field("Label60", &TR7Tform1::Label60)
      .Field("UserLabel1", &TR7Tform1::UserLabel1)
      .Field("UserLabel2", &TR7Tform1::UserLabel2)
      .Field("UserLabel3", &TR7Tform1::UserLabel3)
      .Field("UserLabel4", &TR7Tform1::UserLabel4)
      .Field("airign_table", &TR7Tform1::airign_table)
      .Field("airinj_table", &TR7Tform1::airinj_table)
      .Field("coolantign_table", &TR7Tform1::coolantign_table)
      .Field("coolantinj_table", &TR7Tform1::coolantinj_table)
      .Field("CrankPrime_table", &TR7Tform1::CrankPrime_table)
      .Field("idlerpm_table", &TR7Tform1::idlerpm_table)
      .Field("ECUmap_panel", &TR7Tform1::ECUmap_panel)
      .Field("PCmap_panel", &TR7Tform1::PCmap_panel)
      .Field("info_panel", &TR7Tform1::info_panel)
      .Field("AFRsettingspanel", &TR7Tform1::AFRsettingspanel)
      .Field("TelltaleStatus", &TR7Tform1::TelltaleStatus)
      .Field("TellTaleMax", &TR7Tform1::TellTaleMax)
      .Field("speed_site", &TR7Tform1::speed_site)
      .Field("TabSet2", &TR7Tform1::TabSet2)
      .Field("page4_label", &TR7Tform1::page4_label)
      .Field("Label79", &TR7Tform1::Label79)
      .Field("Label81", &TR7Tform1::Label81)
      .Field("Label16", &TR7Tform1::Label16)
      .Field("RichBrush", &TR7Tform1::RichBrush)
      .Field("LeanBrush", &TR7Tform1::LeanBrush)
      .Field("Shape62", &TR7Tform1::Shape62)
      .Field("MainMenu1", &TR7Tform1::MainMenu1)
      .Field("PopupMenu1", &TR7Tform1::PopupMenu1)
      .Field("PopupMenu2", &TR7Tform1::PopupMenu2)
      .Field("PopupMenu3", &TR7Tform1::PopupMenu3)
      .Field("PopUpTPS1", &TR7Tform1::PopUpTPS1)
      .Field("PopUpMAP1", &TR7Tform1::PopUpMAP1)
      .Handler("TabSet1Click", &TR7Tform1::TabSet1Click)
      .Handler("TabSet2Click", &TR7Tform1::TabSet2Click)
      .Handler("AFRModeTableDrawCell", &TR7Tform1::AFRModeTableDrawCell)
      .Handler("FormResize", &TR7Tform1::FormResize)
      .Handler("ElasticForm1AfterResize", &TR7Tform1::ElasticForm1AfterResize);
}

AnsiString TR7Tform1::ConvertUnits(int kind, int32_t raw, AnsiString& text) {
  // The road speed is always the live one: the caller's value is not a speed.
  if (kind == 2) raw = LiveRoadSpeed;
  if (auto u = ecu::ConvertUnitValue(kind, raw, Settings)) {
    ConvertedValue = u->value;
    ConvertedText = u->text;
  }
  text = ConvertedText;
  return ConvertedText;
}

void TR7Tform1::SetCellColour(TStringAlignGrid* grid, int col, int row, TColor below, TColor above, int low,
                              int mid, int high, int value) {
  const int v = std::clamp(value, std::min(low, high), std::max(low, high));
  TColor target;
  int span, distance;
  if (mid > v) {
    target = below;
    span = mid - low;
    distance = mid - v;
  } else {
    target = above;
    span = high - mid;
    distance = v - mid;
  }
  TColor result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int channel = static_cast<int>((target >> shift) & 0xFF);
    // An empty span means the value sits on mid: white.
    const int c = span > 0 ? static_cast<int>(Round(255.0 - distance * (255.0 - channel) / span)) : 255;
    result |= static_cast<TColor>(std::clamp(c, 0, 255)) << shift;
  }
  grid->SetColorCell(col, row, result);
}

void TR7Tform1::UpdateRPMsites() {
  const TMapRecord& m = MapSlots[CurrentMap];
  TAdditionalMaps* a = AdditionalMaps;
  for (int i = 0; i < 32; ++i) {
    const int site = RecWord(m, kSpeedSites + 2 * static_cast<size_t>(i));
    const AnsiString text = IntToStr(site).substr(0, 6);
    for (TStringAlignGrid* g : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable})
      if (g) g->SetCells(i + 2, 0, SiteWithComma(site));
    if (!a) continue;
    for (TStringAlignGrid* g : {a->AccelRPMScale, a->RpmCorr_table})
      if (g) g->SetCells(i, 0, text);
    for (TStringAlignGrid* g : {a->InjTimingTable, a->BoostPWMTable, a->BoostTargetTable, a->PWMTable, a->CoilOnTable,
                                a->VVT_table})
      if (g) g->SetCells(i + 1, 0, text);
  }
}

void TR7Tform1::UpdateTurnPositions() {
  const TMapRecord& m = MapSlots[CurrentMap];
  for (int r = 0; r < 5; ++r) CrankingTable->SetCells(0, r, Int(RecWord(m, kTurnPositions + 2 * static_cast<size_t>(r))));
}

void TR7Tform1::ShowMapChoice(int map, bool ecuSide, bool pcSide) {
  if (map == CurrentMap || map < 1 || map > 3) return;
  static constexpr TColor colours[4] = {0, kLime, kRed, kYellow};
  const AnsiString n = IntToStr(map);
  if (ecuSide) {
    ECUmap_panel->SetCaption(("ECU Map " + n).substr(0, 10));
    ECUmap_panel->SetColor(colours[map]);
  }
  if (pcSide) {
    PCmap_panel->SetCaption(("PC Map " + n).substr(0, 10));
    PCmap_panel->SetColor(colours[map]);
  }
  CurrentMap = map;
}

void TR7Tform1::ShowLoadAxis(bool mapSites) {
  TMapRecord& m = MapSlots[CurrentMap];
  PopUpMAP1->SetChecked(mapSites);
  PopUpTPS1->SetChecked(!mapSites);
  const int option = RecUWord(m, kOptionWord);
  SetRecUWord(m, kOptionWord, mapSites ? (option | 1) : (option & ~1));
  for (TStringAlignGrid* g : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable}) {
    g->SetCells(0, 0, mapSites ? "MAP" : "TPS%");
    for (int l = 1; l <= 16; ++l) {
      AnsiString text;
      if (mapSites)
        ConvertUnits(1, RecWord(m, kMAPSites + 2 * static_cast<size_t>(l - 1)), text);
      else
        text = Int(RecWord(m, kThrottleSites + 2 * static_cast<size_t>(l - 1)));
      g->SetCells(0, l, text);
    }
  }
}

void TR7Tform1::UpdateLoggerUnits() {
  ApplyChannelFunctionUnits(Settings);
  RefreshLoggerChannels();
  TComboBox* selectors[4] = {User1Selection, User2Selection, User3Selection, User4Selection};
  TLabel* labels[4] = {UserLabel1, UserLabel2, UserLabel3, UserLabel4};
  for (int i = 0; i < 4; ++i) {
    if (!labels[i]) continue;
    const int f = selectors[i]->ItemIndex();
    labels[i]->SetCaption(f >= 0 && f < static_cast<int>(ChannelFunctionUnit.size())
                              ? ChannelFunctionUnit[static_cast<size_t>(f)]
                              : AnsiString());
  }
}

void TR7Tform1::RefreshMapTables() {
  // The controls are filled from the record: their change handlers must not write the
  // shown values back into it.
  const bool wasRefreshing = RefreshingTables;
  RefreshingTables = true;
  struct Restore {
    bool& flag;
    bool value;
    ~Restore() { flag = value; }
  } restore{RefreshingTables, wasRefreshing};
  TMapRecord& m = MapSlots[CurrentMap];
  const TMapRecord& first = MapSlots[1];
  const int tu = TempUnit(), pu = PressUnit();

  // 1. Caption: slot 1 decides whether anything is loaded at all.
  {
    AnsiString prefix, name = "empty";
    if (first.Source != 0) {
      // Names are kept padded with spaces in the record; the caption shows them without.
      prefix = AnsiString(kMapSourceText[first.Source <= 2 ? first.Source : 0]) + TrimRight(first.MapName.Get()) + ",  ";
      if (m.Source != 0) name = TrimRight(m.MapName.Get());
    }
    SetCaption(prefix + "Map " + IntToStr(CurrentMap) + " - " + name);
    ComboBox1->SetItemIndex(RecByte(m, 17686));
  }

  // 2. Temperature edits: fan thresholds, the user output's temperatures, the EGT warning.
  {
    TAbNumSpin* temps[4] = {NS2On, NS2Off, NSOn, NSoff};
    const size_t temp_offsets[4] = {16930, 16932, 16934, 16936};
    const bool f = tu == 1;
    const double lo = f ? -22 : -30, hi = f ? 248 : 120, inc = f ? 1.8 : 1.0;
    auto show = [&](TAbNumSpin* e, int raw) {
      e->SetMinValue(lo);
      e->SetMaxValue(hi);
      e->SetIncrement(inc);
      e->SetValue(f ? raw * 9.0 / 5.0 + 32 : raw);
    };
    for (int i = 0; i < 4; ++i) show(temps[i], RecWord(m, temp_offsets[i]));
    if (AdditionalMaps && AdditionalMaps->Func1UpperTemp) {
      show(AdditionalMaps->Func1UpperTemp, RecWord(m, 13258));
      show(AdditionalMaps->Func1LowerTemp, RecWord(m, 13260));
    }
    if (AdditionalMaps && AdditionalMaps->EGTwarning) {
      TAbNumSpin* warning = AdditionalMaps->EGTwarning;
      warning->SetMinValue(f ? 32 : 0);
      warning->SetMaxValue(f ? 2282 : 1250);
      warning->SetValue(f ? static_cast<double>(Round(Settings.EGTWarning * 9.0 / 5.0) + 32) : Settings.EGTWarning);
    }
  }

  // 3. Details.
  DetailsDateEdit->SetText(m.Date.Get());
  DetailsOwnerEdit->SetText(m.Owner.Get());
  DetailsEngineEdit->SetText(m.Engine.Get());
  DetailsInductionEdit->SetText(m.Induction.Get());
  DetailsPressureEdit->SetText(m.Pressure.Get());
  DetailsInjectorsEdit->SetText(m.Injectors.Get());
  DetailsInjectionTypeEdit->SetText(m.InjectionType.Get());
  DetailsExhaustEdit->SetText(m.Exhaust.Get());
  details->SetText(m.Comments.Get());
  {
    // Only the count is wanted here: the texts came from the record, within their limits.
    AnsiString comments = details->Text();
    DetailsCharsUsed(details, comments);
  }

  // 4. Limits and idle.
  soft_limit->SetValue(RecWord(m, 16948));
  hard_limit->SetValue(RecWord(m, 16950));
  shiftlight->SetValue(RecUWord(m, 16938));
  IdleControlMode->SetItemIndex(RecWord(m, 16836));
  IdleControlModeChange(IdleControlMode);
  IACVRateValue->SetValue(RecWord(m, 16838));
  IACVoff->SetValue(RecWord(m, 16840));
  const bool cutoff = RecByte(m, 16925) != 0;
  CutOffEnabled->SetChecked(cutoff);
  for (TControl* c : std::initializer_list<TControl*>{CutOffPot, CutOffRpm, cutoffpotlabel, cutoffrpmlabel})
    c->SetEnabled(cutoff);
  CutOffRpm->SetValue(RecWord(m, 16928));
  CutOffPot->SetValue(RecUWord(m, 16926));
  IdleRpmSw->SetValue(RecWord(m, 16830));
  IdlePotSw->SetValue(RecWord(m, 16832));
  const bool fine = RecByte(m, 16842) != 0;
  FineEnabled->SetChecked(fine);
  for (TControl* c : std::initializer_list<TControl*>{IdleIgnTrim, IdleIgnRate, FineLabel, UpdateLabel})
    c->SetEnabled(fine);
  IdleIgnTrim->SetValue(RecWord(m, 16844));
  IdleIgnRate->SetValue(RecWord(m, 16846));
  Idleuprpm->SetValue(RecWord(m, 16826) * 10);
  const int upv = RecWord(m, 16828);
  idleupv->SetFloatValue(upv >= 1 ? upv / 10.0 : 0);

  // 5. Start-up timing and sequential shift; the cut start is kept within its type's
  // range in the record itself.
  startup_timing->SetValue(RecWord(m, 510));
  SeqEnabled->SetChecked(RecByte(m, 16940) != 0);
  SeqType->SetItemIndex(RecByte(m, 16944));
  SeqTypeChange(SeqType);
  {
    const int cap = RecByte(m, 16944) == 0 ? 20000 : 2550;
    if (RecUWord(m, kSeqStart) > cap) SetRecUWord(m, kSeqStart, cap);
    SeqStart->SetValue(RecUWord(m, kSeqStart));
  }
  SeqDown->SetValue(RecWord(m, 16946));

  // 6. The 14-site grids and the cranking table; turn positions made strictly rising.
  {
    const std::pair<TStringAlignGrid*, size_t> sites[5] = {{airign_table, 14456},
                                                           {airinj_table, 14524},
                                                           {coolantign_table, 14728},
                                                           {coolantinj_table, 14796},
                                                           {CrankPrime_table, 15064}};
    for (const auto& [g, base] : sites)
      for (int i = 0; i < 14; ++i) g->SetCells(i, 0, Int(RecWord(m, base + 2 * static_cast<size_t>(i))));
    for (int i = 0; i < 14; ++i) idlerpm_table->SetCells(i, 0, Int(RecWord(m, 14928 + 2 * static_cast<size_t>(i)) * 10));
    for (int r = 1; r <= 4; ++r) {
      const size_t at = kTurnPositions + 2 * static_cast<size_t>(r);
      const int before = RecWord(m, at - 2);
      if (RecWord(m, at) <= before) SetRecUWord(m, at, before + 1);
    }
    for (int c = 1; c <= 14; ++c)
      for (int r = 0; r <= 4; ++r)
        CrankingTable->SetCells(c, r, Int(RecWord(m, kCranking + 34 * static_cast<size_t>(c) + 2 * static_cast<size_t>(r))));
    UpdateTurnPositions();
  }

  // 7. Closed-loop lambda control.
  Lam_Sensor->SetItemIndex(std::min((RecByte(m, 16848) & 24) >> 3, 1));
  ShowLambdaLabels();
  const std::pair<TAdvSpinEdit*, size_t> lambda[9] = {
      {Lam_StartDelay, 16850}, {Lam_Warmupdelay, 16852}, {Lam_Coolant, 16854}, {Lam_Decel, 16856},
      {Lam_accel, 16858},      {Lam_deceldelay, 16882},  {Lam_Load, 16872},    {Lam_Speed, 16874},
      {Lam_Response, 16880}};
  for (const auto& [e, off] : lambda) e->SetValue(RecWord(m, off));
  Lam_mapRes->SetFloatValue(RecWord(m, 16866) / 10.0);
  Lam_MaxCorr->SetFloatValue(RecWord(m, 16860) * Lam_MaxCorr->IncrementFloat());
  Lam_MinCorr->SetFloatValue(RecWord(m, 16862) * Lam_MinCorr->IncrementFloat());
  Lam_Pgain->SetFloatValue(RecWord(m, 16868) / 255.0);
  Lam_Igain->SetFloatValue(RecWord(m, 16870) / 255.0);
  Lam_LockTimer->SetFloatValue(RecWord(m, 16876) / 100.0);
  Lam_Rate->SetFloatValue(RecWord(m, 16878) / 100.0);

  // 8. Load axis of the main grids.
  ShowLoadAxis((RecUWord(m, kOptionWord) & 1) != 0);

  // 9. Main tables.
  for (int s = 1; s <= 32; ++s) {
    for (int l = 1; l <= 16; ++l) {
      ignitiontable->SetCells(s + 1, l, Int(RecWord(m, MainCell(kIgnition, s, l))));
      injectiontable->SetCells(s + 1, l, Int(RecWord(m, MainCell(kInjection, s, l))));
      const int afr = RecWord(m, MainCell(kAFRTarget, s, l));
      AFRTargetTable->SetCells(s + 1, l, Str(afr / 10.0, 3, 1));
      SetCellColour(AFRTargetTable, s + 1, l, kRed, kBlue, 110, 147, 160, afr);
      const int corr = RecWord(m, MainCell(kAFRCorrection, s, l));
      AFRCorrectionTable->SetCells(s + 1, l, Str(corr / 163.84, 4, 2));
      SetCellColour(AFRCorrectionTable, s + 1, l, kBlue, kRed, -16384, 0, 16384, corr);
      switch (RecByte(m, kAFRMode + 17 * static_cast<size_t>(s) + static_cast<size_t>(l))) {
        case 0: AFRModeTable->SetColorCell(s + 1, l, kWhite); break;
        case 1: AFRModeTable->SetColorCell(s + 1, l, kGreen); break;
        case 2: AFRModeTable->SetColorCell(s + 1, l, kLime); break;
        default: break;
      }
    }
  }
  UpdateRPMsites();

  // 10. The additional-tables window.
  if (AdditionalMaps) RefreshAdditionalMaps();
  LiveCellMin[6] = RecWord(m, 13248);
  LiveCellMax[6] = LiveCellMin[6] + 255;

  // 11. The graph redraws when it is open; the sensor tables follow the units.
  if (Graph && Graph->Visible() && Graph->GraphSelect) Graph->GraphSelectChange(Graph->GraphSelect);
  if (SetupForm) {
    SetupForm->ATS_typeClick(SetupForm->ATS_type);
    SetupForm->CTS_typeClick(SetupForm->CTS_type);
    SetupForm->XTS_typeClick(SetupForm->XTS_type);
  }

  // 12. Unit texts and temperature headings.
  {
    const AnsiString t = kTemperatureUnits[tu], p = kPressureUnits[pu];
    for (TLabel* l : {Label54, Label17, Label53, Label50}) l->SetCaption(t);
    ShowDashboardUnits(t, p);
    for (TLabel* l : {Label5, Label42, Label60}) l->SetCaption("Temp (" + t + ")");
    const int* headings = tu == 1 ? kSiteHeadingsF : kSiteHeadingsC;
    std::vector<TStringAlignGrid*> rows = {StringAlignGrid1, StringAlignGrid2, CoolantTempMarker};
    if (AdditionalMaps)
      for (TStringAlignGrid* g : {AdditionalMaps->AccelTempScale, AdditionalMaps->CoolantTempMarker,
                                  AdditionalMaps->IACVPosMap_table, AdditionalMaps->VVTcontrol_table})
        rows.push_back(g);
    if (SetupForm)
      for (TStringAlignGrid* g : {SetupForm->ATStable, SetupForm->CTStable, SetupForm->XTStable}) rows.push_back(g);
    for (TStringAlignGrid* g : rows)
      if (g)
        for (int i = 0; i < 14 && i < g->ColCount(); ++i) g->SetCells(i, 0, Int(headings[i]));
    if (AdditionalMaps) ShowAdditionalUnitTexts(t, p);
    ShowSensorWindowUnitTexts(t, p, kSpeedUnits[Settings.SpeedUnit == 1 ? 1 : 0], TemperatureRangeText(*this, t));
  }

  // 13. Boost cut and the two MAP limits in the pressure unit.
  if (AdditionalMaps) AdditionalMaps->ShowBoostPressures();
}

void TR7Tform1::TabSet1Click(TObject*) {
  const int page = TabSet1->TabIndex();
  if (page >= 0) Notebook1->SetPageIndex(page);
  TStringAlignGrid* grid = nullptr;
  if (page == 2) {
    grid = ignitiontable;
  } else if (page == 3) {
    if (InjectionPageTable == 3) return;
    grid = InjectionPageTable == 1 ? AFRTargetTable : InjectionPageTable == 2 ? AFRCorrectionTable : injectiontable;
  } else {
    info_panel->SetCaption("");
    return;
  }
  ShowSpeedSiteInfo(grid);
}

void TR7Tform1::ShowSpeedSiteInfo(const TStringAlignGrid* grid) {
  if (grid == nullptr || info_panel == nullptr) return;
  const int c = std::clamp(grid->Col() - 1, 1, 32);
  const TMapRecord& m = MapSlots[CurrentMap];
  info_panel->SetCaption("Speed site : " + IntToStr(c - 1) + " (" +
                         IntToStr(RecWord(m, kSpeedSites + 2 * static_cast<size_t>(c - 1))) + " - " +
                         IntToStr(RecWord(m, kSpeedSites + 2 * static_cast<size_t>(c))) + " rpm)");
}

void TR7Tform1::TabSet2Click(TObject*) {
  const int tab = TabSet2->TabIndex();
  TStringAlignGrid* grids[4] = {injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable};
  static const char* const captions[5] = {"Injection map", "AFR target", "AFR corrections", "Control mode",
                                          "Closed loop settings"};
  if (tab < 0 || tab > 4) return;
  // A table chosen by its tab is where F4 goes on from.
  if (tab <= 3) InjectionPageTable = tab;
  for (int i = 0; i < 4; ++i) grids[i]->SetVisible(i == tab);
  AFRsettingspanel->SetVisible(tab == 4);
  page4_label->SetCaption(captions[tab]);
  const bool legend = tab >= 1 && tab <= 3;
  for (TControl* c : std::initializer_list<TControl*>{Label79, Label81, RichBrush, LeanBrush}) c->SetVisible(legend);
  LabelEffect3->SetVisible(tab <= 3);
  loadsite_label2->SetVisible(tab <= 3);
  Label16->SetVisible(tab == 3);
  Shape62->SetVisible(tab == 3);
  if (tab == 1) {
    Label79->SetCaption("Rich (11.0:1)");
    Label81->SetCaption("Lean, (16.0:1)");
  } else if (tab == 2) {
    const AnsiString k = RecByte(MapSlots[CurrentMap], 16864) != 0 ? "10" : "100";
    Label79->SetCaption("+" + k + "% correction");
    Label81->SetCaption("-" + k + "% correction");
  } else if (tab == 3) {
    Label79->SetCaption("Closed loop");
    Label81->SetCaption("Adaptive");
  }
  RichBrush->Brush()->SetColor(tab == 3 ? kGreen : kRed);
  LeanBrush->Brush()->SetColor(tab == 3 ? kLime : kBlue);
  if (tab <= 3 && grids[tab]->CanFocus()) grids[tab]->SetFocus();
}

void TR7Tform1::AFRModeTableDrawCell(TObject*, int, int, TRect Rect, TGridDrawState State) {
  if (!State.Contains(gdSelected)) return;
  TCanvas* c = AFRModeTable->Canvas();
  c->Brush()->SetColor(kYellow);
  c->FrameRect(Rect);
}

void TR7Tform1::RefreshAdditionalMaps() {
  TAdditionalMaps* a = AdditionalMaps;
  const TMapRecord& m = MapSlots[CurrentMap];
  auto w = [&](size_t off) { return RecWord(m, off); };
  auto duty = [](int v) { return Duty(v); };
  auto integer = [](int v) { return Int(v); };

  FillFiveRows(a->BoostPWMTable, m, 5136, duty);
  // The two boost tables share one throttle axis.
  for (TStringAlignGrid* g : {a->BoostPWMTable, a->BoostTargetTable}) {
    g->SetCells(0, 0, "Throttle %");
    for (int l = 0; l < 5; ++l) g->SetCells(0, l + 1, Int(w(14158 + 2 * static_cast<size_t>(l))));
  }
  FillFiveRows(a->BoostTargetTable, m, 6292, [this](int v) {
    AnsiString t;
    return ConvertUnits(1, v + 100, t);
  });
  FillFiveRows(a->PWMTable, m, 7464, duty);
  FillFiveRows(a->VVT_table, m, 8620, integer);
  FillFiveRows(a->CoilOnTable, m, 10932, [](int v) { return AddTableText(TAddTableId::CoilOn, v, 0); });
  FillFiveRows(a->InjTimingTable, m, 12090, integer);
  a->CoilOnTimeCrank->SetFloatValue(w(12088) / 20.4918);

  const std::pair<TStringAlignGrid*, size_t> limits[3] = {
      {a->AirBoostLimit_table, 14592}, {a->CoolantBoostLimit_table, 14996}, {a->AuxBoostLimit_table, 14660}};
  for (const auto& [g, base] : limits)
    for (int i = 0; i < 14; ++i) g->SetCells(i, 0, Duty(w(base + 2 * static_cast<size_t>(i))));
  for (int r = 1; r <= 8; ++r) a->BoostGearTable->SetCells(1, r, Duty(w(7448 + 2 * static_cast<size_t>(r - 1))));

  for (int r = 1; r <= 8; ++r) {
    AnsiString t = Int(750 + 50 * (r - 1));
    if (TempUnit() == 1) ConvertUnits(0, 750 + 50 * (r - 1), t);
    a->EGT_table->SetCells(0, r, t);
    a->EGT_table->SetCells(1, r, Int(w(14296 + 2 * static_cast<size_t>(r - 1))));
    a->EGT_table->SetCells(2, r, Duty(w(14312 + 2 * static_cast<size_t>(r - 1))));
  }
  for (int c = 1; c <= 5; ++c)
    for (int r = 1; r <= 16; ++r)
      a->CylTrims_table->SetCells(c, r, Int(w(16432 + 32 * static_cast<size_t>(c) + 2 * static_cast<size_t>(r))));
  for (int i = 0; i < 14; ++i) {
    a->IACVPosMap_table->SetCells(i, 1, Int(w(16288 + 2 * static_cast<size_t>(i))));
    a->VVTcontrol_table->SetCells(i, 1, Int(w(16356 + 2 * static_cast<size_t>(i))));
    a->AppliedAccelTemp_table->SetCells(i, 0, Int(w(16758 + 2 * static_cast<size_t>(i))));
  }
  for (int i = 0; i < 5; ++i) a->IdleFuelMap_table->SetCells(i, 1, Int(w(16424 + 2 * static_cast<size_t>(i))));
  for (int i = 0; i < 32; ++i) {
    a->RpmCorr_table->SetCells(i, 1, Int(w(14864 + 2 * static_cast<size_t>(i))));
    a->AppliedAccelRPM_table->SetCells(i, 0, Int(w(16690 + 2 * static_cast<size_t>(i))));
  }

  for (int r = 1; r <= 20; ++r) {
    const size_t k = 2 * static_cast<size_t>(r);
    AnsiString t;
    a->MapTable->SetCells(0, r, ConvertUnits(1, w(14330 + k), t));
    a->MapTable->SetCells(1, r, Int(w(14372 + k)));
    a->MapTable->SetCells(2, r, Int(w(14414 + k)));
    // A signed byte: a negative correction (0xF6 is -1.0) must not show as +24.6.
    const int b = static_cast<int8_t>(RecByte(m, 17665 + static_cast<size_t>(r)));
    a->MapTable->SetCells(3, r, (b > 0 ? "+" : "") + Str(b / 10.0, 4, 1));
    a->BaroTable->SetCells(0, r, Int(w(17700 + k)));
    a->BaroTable->SetCells(1, r, Int(w(17742 + k)));
    a->BaroTable->SetCells(2, r, Int(w(17784 + k)));
  }
  a->BaroTable->SetCells(0, 0, "Pressure\r(mbar)");

  a->CompType->SetItemIndex(RecByte(m, 16676) == 0 ? 1 : 0);
  for (int r = 1; r <= 8; ++r) a->Flat_Table->SetCells(1, r, Str(w(17002 + 2 * static_cast<size_t>(r - 1)) * 0.01, 4, 2));

  a->Double2Size->SetValue(RecByte(m, 16952));
  a->Double1Limit->SetValue(RecByte(m, 16953));
  a->DoubleLoad->SetValue(RecByte(m, 16955));
  a->DoubleSpeed->SetValue(RecByte(m, 16956));
  a->Double1AfterSize->SetValue(RecByte(m, 16957));
  a->DoubleForce->SetChecked(RecByte(m, 16954) != 0);
  a->DoubleRichCross->SetChecked(RecByte(m, 16958) != 0);

  a->IACVStartPosValue->SetValue(w(16834));
  a->CF_edit->SetValue(w(16892));
  a->CP_edit->SetFloatValue(RecDbl(m, 16896));
  a->CTP_edit->SetFloatValue(RecDbl(m, 16904));
  a->CFlab->SetCaption(RecDWord(m, 16912) != 0 ? "lb/hr" : "cc/min");
  a->CTPlab->SetCaption(RecDWord(m, 16920) != 0 ? "bar" : "psi");
  a->CPlab->SetCaption(RecDWord(m, 16916) != 0 ? "bar" : "psi");
  a->mspbEdit->SetIntValue(RecByte(m, 16924));

  const int boost = RecByte(m, 16959);
  a->BoostFunction->SetItemIndex(boost & 1);
  a->BoostMaxCB->SetChecked((boost & 2) != 0);
  a->CheckBox2->SetChecked((boost & 4) != 0);
  a->CheckBox3->SetChecked((boost & 8) != 0);
  a->CheckBox1->SetChecked((boost & 16) != 0);
  a->BoostControlLimit->SetValue(RecByte(m, 16960));
  a->BoostFreq->SetValue(RecByte(m, 16961));
  a->Boost_Rate->SetFloatValue(RecByte(m, 16962) / 100.0);
  a->BoostMinDuty->SetValue(RecByte(m, 16963) * a->BoostMinDuty->Increment());
  a->BoostMaxDuty->SetValue(RecByte(m, 16964) * a->BoostMaxDuty->Increment());
  a->BoostMaxTPS->SetValue(RecByte(m, 16965));
  a->BoostP->SetValue(RecByte(m, 16966));
  a->BoostI->SetValue(RecByte(m, 16967));
  a->BoostD->SetValue(RecByte(m, 16968));
  a->BoostCutTime->SetFloatValue(RecByte(m, 16972) / 10.0);

  a->PWMFreq->SetValue(w(13254));
  a->Func1Enable->SetChecked(RecByte(m, 13250) != 0);
  a->Func1TempType->SetItemIndex(w(13256));
  a->Func1UpperAdj->SetFloatValue(w(13262) * 100.0 / 255.0);
  a->Func1LowerAdj->SetFloatValue(w(13264) * 100.0 / 255.0);
  a->EGTEnabled->SetChecked(RecByte(m, 14328) != 0);
  a->VVT_mapoffset->SetValue(w(13248));
  a->VVTdelay->SetValue(w(13246));
  a->TSVtecONRPM->SetValue(w(16974));
  a->TSVtecONTPS->SetValue(w(16976));
  a->TSVtecOFFRPM->SetValue(w(16978));
  a->TSVtecOFFTPS->SetValue(w(16980));
  a->Flat_TPS->SetValue(w(16984));
  a->Flat_type->SetItemIndex(RecByte(m, 16986));
  a->Flat_advance->SetFloatValue((w(16988) - 120) / 2.0);
  a->Flat_delay->SetValue(RecByte(m, 16990) * 10);
  a->Flat_RPM->SetValue(w(16998));
  a->Flat_MinRpm->SetValue(w(17000));
  a->Flat_enabled->SetChecked(RecByte(m, 16982) != 0);
  a->AccelEnrich->SetValue(w(16678));
  a->AccelClamp->SetValue(w(16680));
  a->AccelDecay->SetValue(w(16682));
  a->AccelRate->SetValue(w(16686));
  a->AccelTPS->SetValue(w(16688));
  const int other = RecByte(m, 17688);
  a->CheckBox4->SetChecked((other & 1) != 0);
  a->CheckBox5->SetChecked((other & 2) != 0);
  a->CheckBox6->SetChecked((other & 4) != 0);
  a->AbNumSpin1->SetValue(RecByte(m, 17695));
  a->AbNumSpin2->SetValue(w(17690));
  a->AbNumSpin3->SetValue(RecByte(m, 17694));
  a->AbNumSpin4->SetValue(w(17692));
  a->AbNumSpin5->SetValue(RecByte(m, 17689) / 10.0);
  a->AbNumSpin6->SetValue(RecByte(m, 17696) / 10.0);
  a->ComboBox2->SetItemIndex(RecByte(m, 17687) & 1);

  a->BoostFunctionChange(a->BoostFunction);
  a->BoostMaxCBClick(a->BoostMaxCB);
  a->CheckBox1Click(a->CheckBox1);
  a->CheckBox2Click(a->CheckBox2);
  a->CheckBox3Click(a->CheckBox3);
  a->UpdateCoilOnLoad();
  a->UpdatePWMLoad();
  a->UpdateVVTload();
  a->UpdateInjPosLoad();
  a->UpdateCylTrimSites();
  a->ApplyEnabledStates();
  a->RefreshScalingPage();
}

void TR7Tform1::ShowAdditionalUnitTexts(const AnsiString& temperature, const AnsiString& pressure) {
  TAdditionalMaps* a = AdditionalMaps;
  a->MapTable->SetCells(0, 0, "Pressure\r(" + pressure + ")");
  a->EGT_table->SetCells(0, 0, "EGT (" + temperature + ")");
  for (TLabel* l : {a->AccelTempLabel, a->BoostTempLabel, a->IACVTempLabel, a->VVTTempLabel})
    if (l) l->SetCaption("Temp (" + temperature + ")");
  for (TLabel* l : {a->Func1UpperTempUnit, a->Func1LowerTempUnit})
    if (l) l->SetCaption(temperature);
  if (a->Func1TempRange) a->Func1TempRange->SetCaption(TemperatureRangeText(*this, temperature));
  for (TLabel* l : {a->BoostCutUnit, a->BoostDiff1Unit, a->BoostDiff2Unit})
    if (l) l->SetCaption(pressure);
  if (a->EGTWarnUnit) a->EGTWarnUnit->SetCaption(temperature);
  // The closed-loop boost caption names the pressure unit.
  if (a->TabSet2 && a->AdditionalBook->PageIndex() == 3) a->TabSet2Click(a->TabSet2);
}
