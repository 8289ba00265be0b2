#include "config/Additonl.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "model/MapRecord.h"
#include "model/Settings.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "link/LiveData.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Tabs.h"

TAdditionalMaps* AdditionalMaps = nullptr;

void TAdditionalMaps::Publish(TClassProps<TAdditionalMaps>& P) {
  P.Field("AdditionalBook", &TAdditionalMaps::AdditionalBook)
      .Field("BattCompTable", &TAdditionalMaps::BattCompTable)
      .Field("BattCompChart", &TAdditionalMaps::BattCompChart)
      .Field("Label1", &TAdditionalMaps::Label1)
      .Field("BoostFunction", &TAdditionalMaps::BoostFunction)
      .Field("BoostMaxCB", &TAdditionalMaps::BoostMaxCB)
      .Field("Label2", &TAdditionalMaps::Label2)
      .Field("BoostMinDuty", &TAdditionalMaps::BoostMinDuty)
      .Field("Label3", &TAdditionalMaps::Label3)
      .Field("BoostMaxDuty", &TAdditionalMaps::BoostMaxDuty)
      .Field("BoostPWMTable", &TAdditionalMaps::BoostPWMTable)
      .Field("BoostTargetTable", &TAdditionalMaps::BoostTargetTable)
      .Field("CoilOnTable", &TAdditionalMaps::CoilOnTable)
      .Field("CylTrims_table", &TAdditionalMaps::CylTrims_table)
      .Field("EGT_table", &TAdditionalMaps::EGT_table)
      .Field("IACVPosMap_table", &TAdditionalMaps::IACVPosMap_table)
      .Field("IdleFuelMap_table", &TAdditionalMaps::IdleFuelMap_table)
      .Field("InjTimingTable", &TAdditionalMaps::InjTimingTable)
      .Field("MapTable", &TAdditionalMaps::MapTable)
      .Field("BaroTable", &TAdditionalMaps::BaroTable)
      .Field("RpmCorr_table", &TAdditionalMaps::RpmCorr_table)
      .Field("PWMTable", &TAdditionalMaps::PWMTable)
      .Field("Label4", &TAdditionalMaps::Label4)
      .Field("Func1UpperAdj", &TAdditionalMaps::Func1UpperAdj)
      .Field("Label5", &TAdditionalMaps::Label5)
      .Field("Func1LowerAdj", &TAdditionalMaps::Func1LowerAdj)
      .Field("CheckBox1", &TAdditionalMaps::CheckBox1)
      .Field("CheckBox2", &TAdditionalMaps::CheckBox2)
      .Field("CheckBox3", &TAdditionalMaps::CheckBox3)
      .Field("VVT_table", &TAdditionalMaps::VVT_table)
      .Field("VVTcontrol_table", &TAdditionalMaps::VVTcontrol_table)
      .Field("TabSet", &TAdditionalMaps::TabSet)
      .Field("BattCompSeries1", &TAdditionalMaps::BattCompSeries1)
      .Field("BattCompSeries2", &TAdditionalMaps::BattCompSeries2)
      .Field("AccelTempScale", &TAdditionalMaps::AccelTempScale)
      .Field("AppliedAccelTemp_table", &TAdditionalMaps::AppliedAccelTemp_table)
      .Field("AccelRPMScale", &TAdditionalMaps::AccelRPMScale)
      .Field("AppliedAccelRPM_table", &TAdditionalMaps::AppliedAccelRPM_table)
      .Field("AccelEnrich", &TAdditionalMaps::AccelEnrich)
      .Field("AccelClamp", &TAdditionalMaps::AccelClamp)
      .Field("AccelDecay", &TAdditionalMaps::AccelDecay)
      .Field("AccelRate", &TAdditionalMaps::AccelRate)
      .Field("AccelTPS", &TAdditionalMaps::AccelTPS)
      .Field("CheckBox4", &TAdditionalMaps::CheckBox4)
      .Field("CheckBox5", &TAdditionalMaps::CheckBox5)
      .Field("CheckBox6", &TAdditionalMaps::CheckBox6)
      .Field("AbNumSpin1", &TAdditionalMaps::AbNumSpin1)
      .Field("AbNumSpin2", &TAdditionalMaps::AbNumSpin2)
      .Field("AbNumSpin3", &TAdditionalMaps::AbNumSpin3)
      .Field("AbNumSpin4", &TAdditionalMaps::AbNumSpin4)
      .Field("AbNumSpin5", &TAdditionalMaps::AbNumSpin5)
      .Field("AbNumSpin6", &TAdditionalMaps::AbNumSpin6)
      .Field("ComboBox2", &TAdditionalMaps::ComboBox2)
      .Field("CompType", &TAdditionalMaps::CompType)
      .Field("AirBoostLimit_table", &TAdditionalMaps::AirBoostLimit_table)
      .Field("CoolantBoostLimit_table", &TAdditionalMaps::CoolantBoostLimit_table)
      .Field("AuxBoostLimit_table", &TAdditionalMaps::AuxBoostLimit_table)
      .Field("BoostGearTable", &TAdditionalMaps::BoostGearTable)
      .Field("BoostControlLimit", &TAdditionalMaps::BoostControlLimit)
      .Field("BoostFreq", &TAdditionalMaps::BoostFreq)
      .Field("Boost_Rate", &TAdditionalMaps::Boost_Rate)
      .Field("BoostP", &TAdditionalMaps::BoostP)
      .Field("BoostI", &TAdditionalMaps::BoostI)
      .Field("BoostD", &TAdditionalMaps::BoostD)
      .Field("BoostCutTime", &TAdditionalMaps::BoostCutTime)
      .Field("CoilOnTimeCrank", &TAdditionalMaps::CoilOnTimeCrank)
      .Field("Double2Size", &TAdditionalMaps::Double2Size)
      .Field("Double1Limit", &TAdditionalMaps::Double1Limit)
      .Field("DoubleForce", &TAdditionalMaps::DoubleForce)
      .Field("DoubleLoad", &TAdditionalMaps::DoubleLoad)
      .Field("DoubleLabel1", &TAdditionalMaps::DoubleLabel1)
      .Field("DoubleSpeed", &TAdditionalMaps::DoubleSpeed)
      .Field("DoubleLabel2", &TAdditionalMaps::DoubleLabel2)
      .Field("Double1AfterSize", &TAdditionalMaps::Double1AfterSize)
      .Field("DoubleLabel3", &TAdditionalMaps::DoubleLabel3)
      .Field("DoubleLabel4", &TAdditionalMaps::DoubleLabel4)
      .Field("DoubleRichCross", &TAdditionalMaps::DoubleRichCross)
      .Field("EGTEnabled", &TAdditionalMaps::EGTEnabled)
      .Field("Flat_Table", &TAdditionalMaps::Flat_Table)
      .Field("Flat_enabled", &TAdditionalMaps::Flat_enabled)
      .Field("Flat_TPS", &TAdditionalMaps::Flat_TPS)
      .Field("Flat_type", &TAdditionalMaps::Flat_type)
      .Field("Flat_advance", &TAdditionalMaps::Flat_advance)
      .Field("Flat_delay", &TAdditionalMaps::Flat_delay)
      .Field("Flat_RPM", &TAdditionalMaps::Flat_RPM)
      .Field("Flat_MinRpm", &TAdditionalMaps::Flat_MinRpm)
      .Field("IACVStartPosValue", &TAdditionalMaps::IACVStartPosValue)
      .Field("CF_edit", &TAdditionalMaps::CF_edit)
      .Field("CFlab", &TAdditionalMaps::CFlab)
      .Field("CP_edit", &TAdditionalMaps::CP_edit)
      .Field("CPlab", &TAdditionalMaps::CPlab)
      .Field("CTP_edit", &TAdditionalMaps::CTP_edit)
      .Field("CTPlab", &TAdditionalMaps::CTPlab)
      .Field("mspbEdit", &TAdditionalMaps::mspbEdit)
      .Field("CoolantTempMarker", &TAdditionalMaps::CoolantTempMarker)
      .Field("PWMFreq", &TAdditionalMaps::PWMFreq)
      .Field("Func1Enable", &TAdditionalMaps::Func1Enable)
      .Field("Func1TempType", &TAdditionalMaps::Func1TempType)
      .Field("Func1UpperTemp", &TAdditionalMaps::Func1UpperTemp)
      .Field("Func1LowerTemp", &TAdditionalMaps::Func1LowerTemp)
      .Field("TSVtecONRPM", &TAdditionalMaps::TSVtecONRPM)
      .Field("TSVtecONTPS", &TAdditionalMaps::TSVtecONTPS)
      .Field("TSVtecOFFRPM", &TAdditionalMaps::TSVtecOFFRPM)
      .Field("TSVtecOFFTPS", &TAdditionalMaps::TSVtecOFFTPS)
      .Field("VVT_mapoffset", &TAdditionalMaps::VVT_mapoffset)
      .Field("VVTdelay", &TAdditionalMaps::VVTdelay)
      .Field("TabSet2", &TAdditionalMaps::TabSet2)
      .Field("BoostPage0", &TAdditionalMaps::BoostPage0)
      .Field("BoostPage1", &TAdditionalMaps::BoostPage1)
      .Field("BoostPage2", &TAdditionalMaps::BoostPage2)
      .Field("BoostPage3", &TAdditionalMaps::BoostPage3)
      .Field("BoostPage4", &TAdditionalMaps::BoostPage4)
      .Field("AccelTempLabel", &TAdditionalMaps::AccelTempLabel)
      .Field("BoostTempLabel", &TAdditionalMaps::BoostTempLabel)
      .Field("IACVTempLabel", &TAdditionalMaps::IACVTempLabel)
      .Field("VVTTempLabel", &TAdditionalMaps::VVTTempLabel)
      .Field("Func1UpperTempUnit", &TAdditionalMaps::Func1UpperTempUnit)
      .Field("Func1LowerTempUnit", &TAdditionalMaps::Func1LowerTempUnit)
      .Field("Func1TempRange", &TAdditionalMaps::Func1TempRange)
      .Handler("FormCreate", &TAdditionalMaps::FormCreate)
      .Handler("TabSetClick", &TAdditionalMaps::TabSetClick)
      .Handler("TabSet2Click", &TAdditionalMaps::TabSet2Click)
      .Handler("BoostFunctionChange", &TAdditionalMaps::BoostFunctionChange)
      .Handler("BoostMaxCBClick", &TAdditionalMaps::BoostMaxCBClick)
      .Handler("CheckBox1Click", &TAdditionalMaps::CheckBox1Click)
      .Handler("CheckBox2Click", &TAdditionalMaps::CheckBox2Click)
      .Handler("CheckBox3Click", &TAdditionalMaps::CheckBox3Click);
}

namespace {

// Window captions by page; the boost page takes the caption of its sub-panel.
const char* const kPageCaptions[18] = {"Accel fuelling settings",
                                       "Air conditioning clutch control",
                                       "Battery voltage compensations",
                                       "",
                                       "Coil on-time",
                                       "Individual Channel / Cylinder trims",
                                       "Double injector control",
                                       "Exhaust Gas Temperature feedback",
                                       "Full throttle gear shift",
                                       "Idle Air Control Valve",
                                       "Injection map scale settings",
                                       "Injector timing",
                                       "Pressure (MAP) Compensation Table",
                                       "Pressure (BARO) Compensation Table",
                                       "RPM correction for Coolant Enrichment",
                                       "PWM Control",
                                       "VTEC switch",
                                       "VVT control"};
const char* const kPressureUnitNames[3] = {"KPa", "Bar", "PSI"};

// The form resource holds one width and height per grid; the wider label columns and the
// two-line heading rows are set here, with the headings that never change.
void ShapeGrids(TAdditionalMaps& a) {
  for (TStringAlignGrid* g : {a.BoostPWMTable, a.BoostTargetTable, a.CoilOnTable, a.InjTimingTable, a.PWMTable,
                              a.VVT_table})
    g->SetColWidths(0, 56);
  // One row per battery voltage, 7 to 16 V; the injector and coil compensation beside it.
  a.BattCompTable->SetColWidths(1, 130);
  a.BattCompTable->SetColWidths(2, 130);
  a.BattCompTable->SetCells(0, 0, "Volts");
  a.BattCompTable->SetCells(1, 0, "Inj pulse width (+mS)");
  a.BattCompTable->SetCells(2, 0, "Coil on-time (+/-mS)");
  for (int r = 1; r <= 10; ++r) a.BattCompTable->SetCells(0, r, IntToStr(r + 6));
  for (TStringAlignGrid* g : {a.BoostGearTable, a.Flat_Table}) {
    g->SetColWidths(0, 48);
    g->SetCells(0, 0, "Gear");
    for (int r = 1; r <= 8; ++r) g->SetCells(0, r, IntToStr(r));
  }
  a.BoostGearTable->SetCells(1, 0, "Boost level (%)");
  a.Flat_Table->SetRowHeights(0, 32);
  a.Flat_Table->SetCells(1, 0, "Cut time\r(Secs)");
  a.CylTrims_table->SetColWidths(0, 110);
  for (int r = 1; r <= 16; ++r)
    a.CylTrims_table->SetCells(0, r, (r <= 8 ? "Ign trim " : "Inj trim ") + IntToStr(r <= 8 ? r : r - 8));
  a.EGT_table->SetColWidths(0, 80);
  a.EGT_table->SetRowHeights(0, 32);
  a.EGT_table->SetCells(1, 0, "Injection enrichment (%)");
  a.EGT_table->SetCells(2, 0, "Boost level  allowed\r(%)");
  for (TStringAlignGrid* g : {a.MapTable, a.BaroTable}) {
    g->SetRowHeights(0, 32);
    g->SetCells(1, 0, "Inj Corr\r(%)");
    g->SetCells(2, 0, "Ign Corr\r(\xB0" "Adv)");
  }
  a.MapTable->SetCells(3, 0, "Target AFR\rCorr");
}

}  // namespace

// The tab strip names the notebook pages, in page order.
void TAdditionalMaps::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(AdditionalBook->Pages());
  TabSet->SetTabIndex(AdditionalBook->PageIndex());
  ShapeGrids(*this);
}

void TAdditionalMaps::TabSetClick(TObject*) {
  AdditionalBook->SetPageIndex(TabSet->TabIndex());
  const int page = AdditionalBook->PageIndex();
  if (page == 3)
    TabSet2Click(TabSet2);
  else if (page >= 0 && page < 18)
    SetCaption(kPageCaptions[page]);
}

// The boost page shows one sub-panel at a time; the caption names it, the closed-loop
// target in the pressure unit shown.
void TAdditionalMaps::TabSet2Click(TObject*) {
  TPanel* panels[5] = {BoostPage0, BoostPage1, BoostPage2, BoostPage3, BoostPage4};
  const int tab = TabSet2->TabIndex();
  if (tab < 0 || tab > 4) return;
  for (int i = 0; i < 5; ++i) panels[i]->SetVisible(i == tab);
  const AnsiString captions[5] = {
      "Boost Control - OPEN LOOP PWM SIGNAL (%)",
      AnsiString("Boost Control - TARGET BOOST (") + kPressureUnitNames[std::clamp(Settings.PressureUnit, 0, 2)] + ")",
      "Boost Control - Settings", "Boost Control - Limit vs Temperature",
      "Boost Control - Adjust level for gear position"};
  SetCaption(captions[tab]);
}

void TAdditionalMaps::BoostFunctionChange(TObject*) {}

void TAdditionalMaps::BoostMaxCBClick(TObject*) {}

void TAdditionalMaps::CheckBox1Click(TObject*) {}

void TAdditionalMaps::CheckBox2Click(TObject*) {}

void TAdditionalMaps::CheckBox3Click(TObject*) {}

namespace {

int RecordWord(size_t off) {
  int16_t v;
  std::memcpy(&v, MapSlots[CurrentMap].Bytes() + off, 2);
  return v;
}

// Column 0 of a 32 x 5 table shows its load axis: the throttle sites under "%", or, when
// the table's bit of the load-option word is set, the MAP sites in the pressure unit.
void ShowLoadAxis(TStringAlignGrid* grid, int bit, size_t throttleSites, size_t mapSites) {
  const bool map = (RecordWord(14294) >> bit & 1) != 0;
  grid->SetCells(0, 0, map ? kPressureUnitNames[std::clamp(Settings.PressureUnit, 0, 2)] : "%");
  for (int l = 0; l < 5; ++l) {
    const int site = RecordWord((map ? mapSites : throttleSites) + 2 * static_cast<size_t>(l));
    const auto pressure = map ? ecu::ConvertUnitValue(1, site, Settings) : std::nullopt;
    grid->SetCells(0, l + 1, pressure ? pressure->text : IntToStr(site));
  }
}

}  // namespace

void TAdditionalMaps::UpdateCoilOnLoad() { ShowLoadAxis(CoilOnTable, 2, 13342, 13682); }

void TAdditionalMaps::UpdatePWMLoad() { ShowLoadAxis(PWMTable, 1, 13274, 13614); }

void TAdditionalMaps::UpdateVVTload() { ShowLoadAxis(VVT_table, 3, 13410, 13750); }

void TAdditionalMaps::UpdateInjPosLoad() { ShowLoadAxis(InjTimingTable, 5, 13478, 13818); }

// The five speed sites of the cylinder trims head columns 1..5, with a thousands comma.
void TAdditionalMaps::UpdateCylTrimSites() {
  for (int c = 1; c <= 5; ++c) {
    const int site = RecordWord(16626 + 2 * static_cast<size_t>(c - 1));
    AnsiString text = IntToStr(site);
    if (site >= 1000) text.insert(text.size() - 3, ",");
    CylTrims_table->SetCells(c, 0, text);
  }
}
