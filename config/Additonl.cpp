#include "config/Additonl.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/Main.h"
#include "config/LoadSiteAdjU.h"
#include "gauges/AbVMeter.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/Keys.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "link/LiveData.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/ScrollCtrls.h"
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
      .Handler("CheckBox3Click", &TAdditionalMaps::CheckBox3Click)
      .Field("TabSet1", &TAdditionalMaps::TabSet1)
      .Field("AccelPage1", &TAdditionalMaps::AccelPage1)
      .Field("AccelPage2", &TAdditionalMaps::AccelPage2)
      .Field("AccelPage3", &TAdditionalMaps::AccelPage3)
      .Field("Label76", &TAdditionalMaps::Label76)
      .Field("Label21", &TAdditionalMaps::Label21)
      .Field("LiveReadings", &TAdditionalMaps::LiveReadings)
      .Field("ClutchText", &TAdditionalMaps::ClutchText)
      .Field("OutputShape1", &TAdditionalMaps::OutputShape1)
      .Field("OutputShape2", &TAdditionalMaps::OutputShape2)
      .Field("OutputShape3", &TAdditionalMaps::OutputShape3)
      .Field("OutputShape4", &TAdditionalMaps::OutputShape4)
      .Field("OutputShape5", &TAdditionalMaps::OutputShape5)
      .Field("OutputText1", &TAdditionalMaps::OutputText1)
      .Field("OutputText2", &TAdditionalMaps::OutputText2)
      .Field("OutputText3", &TAdditionalMaps::OutputText3)
      .Field("OutputText4", &TAdditionalMaps::OutputText4)
      .Field("OutputText5", &TAdditionalMaps::OutputText5)
      .Field("EGTNote", &TAdditionalMaps::EGTNote)
      .Field("VVT_ScrollBar", &TAdditionalMaps::VVT_ScrollBar)
      .Handler("VVT_ScrollBarChange", &TAdditionalMaps::VVT_ScrollBarChange)
      .Field("BoostMaxTPS", &TAdditionalMaps::BoostMaxTPS)
      .Field("BoostCut", &TAdditionalMaps::BoostCut)
      .Field("AbNumEdit1", &TAdditionalMaps::AbNumEdit1)
      .Field("AbNumEdit2", &TAdditionalMaps::AbNumEdit2)
      .Field("BoostCutUnit", &TAdditionalMaps::BoostCutUnit)
      .Field("BoostDiff1Unit", &TAdditionalMaps::BoostDiff1Unit)
      .Field("BoostDiff2Unit", &TAdditionalMaps::BoostDiff2Unit)
      .Field("EGTwarning", &TAdditionalMaps::EGTwarning)
      .Field("EGTWarnUnit", &TAdditionalMaps::EGTWarnUnit)
      .Field("CoilOnLoadLabel", &TAdditionalMaps::CoilOnLoadLabel)
      .Field("InjPosLoadLabel", &TAdditionalMaps::InjPosLoadLabel)
      .Field("LoadLabel", &TAdditionalMaps::LoadLabel)
      .Field("VVTloadlabel", &TAdditionalMaps::VVTloadlabel)
      .Field("PopupMenu1", &TAdditionalMaps::PopupMenu1)
      .Field("Throttlepot1", &TAdditionalMaps::Throttlepot1)
      .Field("MAP1", &TAdditionalMaps::MAP1)
      .Field("Loadsitepositions1", &TAdditionalMaps::Loadsitepositions1)
      .Field("CylTrimsPopup", &TAdditionalMaps::CylTrimsPopup)
      .Field("Ignitiontrim", &TAdditionalMaps::Ignitiontrim)
      .Field("Injectionclick", &TAdditionalMaps::Injectionclick)
      .Field("NF_edit", &TAdditionalMaps::NF_edit)
      .Field("NFlab", &TAdditionalMaps::NFlab)
      .Field("NP_edit", &TAdditionalMaps::NP_edit)
      .Field("NPlab", &TAdditionalMaps::NPlab)
      .Field("NTP_edit", &TAdditionalMaps::NTP_edit)
      .Field("NTPlab", &TAdditionalMaps::NTPlab)
      .Field("calc_FR_Check", &TAdditionalMaps::calc_FR_Check)
      .Field("calc_FP_check", &TAdditionalMaps::calc_FP_check)
      .Field("AutoscaleCheck", &TAdditionalMaps::AutoscaleCheck)
      .Field("MapMaxEdit", &TAdditionalMaps::MapMaxEdit)
      .Field("calculate", &TAdditionalMaps::calculate)
      .Field("EstimateLab", &TAdditionalMaps::EstimateLab)
      .Handler("FormActivate", &TAdditionalMaps::FormActivate)
      .Handler("FormClose", &TAdditionalMaps::FormClose)
      .Handler("FormResize", &TAdditionalMaps::FormResize)
      .Handler("FormKeyDown", &TAdditionalMaps::FormKeyDown)
      .Handler("TabSet1Click", &TAdditionalMaps::TabSet1Click)
      .Handler("PopupMenu1Popup", &TAdditionalMaps::PopupMenu1Popup)
      .Handler("Throttlepot1Click", &TAdditionalMaps::Throttlepot1Click)
      .Handler("MAP1Click", &TAdditionalMaps::MAP1Click)
      .Handler("Loadsitepositions1Click", &TAdditionalMaps::Loadsitepositions1Click)
      .Handler("Positionspeedsites1Click", &TAdditionalMaps::Positionspeedsites1Click)
      .Handler("IgnitiontrimClick", &TAdditionalMaps::IgnitiontrimClick)
      .Handler("InjectionclickClick", &TAdditionalMaps::InjectionclickClick)
      .Handler("calc_FR_CheckClick", &TAdditionalMaps::calc_FR_CheckClick)
      .Handler("calc_FP_checkClick", &TAdditionalMaps::calc_FP_checkClick)
      .Handler("AutoscaleCheckClick", &TAdditionalMaps::AutoscaleCheckClick)
      .Handler("CFlabClick", &TAdditionalMaps::CFlabClick)
      .Handler("CPlabClick", &TAdditionalMaps::CPlabClick)
      .Handler("CTPlabClick", &TAdditionalMaps::CTPlabClick)
      .Handler("NFlabClick", &TAdditionalMaps::NFlabClick)
      .Handler("NPlabClick", &TAdditionalMaps::NPlabClick)
      .Handler("NTPlabClick", &TAdditionalMaps::NTPlabClick)
      .Handler("calculateClick", &TAdditionalMaps::calculateClick);
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

// The design size: the height never changes; narrower than the minimum hides controls.
constexpr int kDesignWidth = 740;
constexpr int kDesignHeight = 329;
constexpr int kMinWidth = 619;

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

// A table's load label stands on its own row right above the axis column. The table keeps
// its place when the window is resized while the page's other controls are re-centred, so
// the label is put back over the column after each resize too.
void PlaceLoadLabel(TStringAlignGrid* grid, TLabel* label) {
  if (grid == nullptr || label == nullptr) return;
  label->SetLeft(grid->Left() + 2);
  label->SetTop(grid->Top() - label->Height() - 2);
}

}  // namespace

// The tab strip names the notebook pages, in page order.
void TAdditionalMaps::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(AdditionalBook->Pages());
  TabSet->SetTabIndex(AdditionalBook->PageIndex());
  ShapeGrids(*this);
  // The live accel meter: -250..250 % on a scale that ends at +-255.
  AbVMeter1 = new TAbVMeter(this);
  AbVMeter1->SetName("AbVMeter1");
  AbVMeter1->SetParent(AccelPage1->Parent());
  AbVMeter1->SetBounds(kDesignWidth - 94, 4, 90, 246);
  AbVMeter1->SignalSettings()->SetValueFrom(-250);
  AbVMeter1->SignalSettings()->SetValueTo(250);
  AbVMeter1->SignalSettings()->SetValueUnit("%");
  AbVMeter1->SignalSettings()->SetValueFormat("##0");
  AbVMeter1->ScaleSettings()->SetSteps(5);
  AbVMeter1->SetOptions({TVMeterOption::opBevelInner, TVMeterOption::opBevelOuter, TVMeterOption::opLimit,
                         TVMeterOption::opUnit, TVMeterOption::opValue});
  // The ECU's value is a byte with a sign, so it never passes these: the pointer does not
  // blink (the gauge's own limits of 10..90 would make it blink at an idle engine's 0).
  AbVMeter1->SetLimitUpper(255);
  AbVMeter1->SetLimitLower(-255);
  AbVMeter1->OnMinMaxChange = [this](TObject*) {
    Label76->SetCaption("-Peak = " + IntToStr(Round(AbVMeter1->MinMax()->Min())));
    Label21->SetCaption("+Peak = " + IntToStr(Round(AbVMeter1->MinMax()->Max())));
  };
  AbVMeter1->SetValue(0);
  BindSettings();
  BindTableKeys();
}

bool TAdditionalMaps::Filling() const { return filling_ || (R7Tform1 != nullptr && R7Tform1->RefreshingTables); }

void TAdditionalMaps::FormActivate(TObject*) {
  for (TStringAlignGrid* g : {MapTable, BaroTable}) {
    g->SetRowHeights(0, 32);
    g->SetCells(1, 0, "Inj Corr\r(%)");
    g->SetCells(2, 0, "Ign Corr\r(\xB0" "Adv)");
  }
  MapTable->SetCells(3, 0, "Target AFR\rCorr");
  if (calculating_) return;
  RefreshScalingPage();
  TabSetClick(TabSet);
}

void TAdditionalMaps::FormClose(TObject*, TCloseAction&) {
  // Closing does not move the focus: a time base still being typed is taken as leaving its
  // edit would take it, not dropped.
  if (ActiveControl() == mspbEdit) mspbEdit->DoValidate(mspbEdit->Text());
  for (TCheckBox* c : {calc_FR_Check, calc_FP_check, AutoscaleCheck}) c->SetChecked(false);
}

// The window keeps its height and never gets narrower than its pages need; each page's
// controls stay centred as one block, the accel meter at the right edge.
void TAdditionalMaps::FormResize(TObject*) {
  if (Width() < kMinWidth) SetWidth(kMinWidth);
  if (ClientHeight() != kDesignHeight) SetClientHeight(kDesignHeight);
  const int w = ClientWidth();
  AdditionalBook->SetWidth(w);
  TabSet->SetWidth(w);
  for (int p = 0; p < AdditionalBook->PageCount(); ++p) {
    TPage* page = AdditionalBook->Page(p);
    page->SetWidth(w);
    if (p == 0) {
      AbVMeter1->SetLeft(w - AbVMeter1->Width() - 4);
      const int room = AbVMeter1->Left() - 14;
      for (TControl* c : std::initializer_list<TControl*>{TabSet1, AccelPage1, AccelPage2, AccelPage3})
        c->SetWidth(std::max(room - c->Left(), 100));
      for (TLabel* l : {Label76, Label21}) l->SetLeft(w - l->Width() - 4);
      continue;
    }
    int left = w, right = 0;
    for (int i = 0; i < page->ControlCount(); ++i) {
      const TControl* c = page->Controls(i);
      left = std::min(left, c->Left());
      right = std::max(right, c->Left() + c->Width());
    }
    if (right <= left) continue;
    const int dx = (w - (right - left)) / 2 - left;
    for (int i = 0; i < page->ControlCount(); ++i) {
      TControl* c = page->Controls(i);
      // Controls as wide as the page (the boost sub-panels, the tab strip) stay put.
      if (c->Width() >= kDesignWidth - 12) {
        c->SetWidth(std::max(w - 2 * c->Left(), 100));
        continue;
      }
      c->SetLeft(c->Left() + dx);
    }
  }
  PlaceLoadLabel(CoilOnTable, CoilOnLoadLabel);
  PlaceLoadLabel(InjTimingTable, InjPosLoadLabel);
  PlaceLoadLabel(PWMTable, LoadLabel);
  PlaceLoadLabel(VVT_table, VVTloadlabel);
}

void TAdditionalMaps::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key < VK_F1 || Key > VK_F12) return;
  TabSet->SetTabIndex(Key - VK_F1);
  TabSetClick(TabSet);
  Key = 0;
}

void TAdditionalMaps::TabSetClick(TObject*) {
  if (TabSet->TabIndex() >= 0) AdditionalBook->SetPageIndex(TabSet->TabIndex());
  const int page = AdditionalBook->PageIndex();
  if (page == 0)
    TabSet1Click(TabSet1);
  else if (page == 3)
    TabSet2Click(TabSet2);
  else if (page >= 0 && page < 18)
    SetCaption(kPageCaptions[page]);
  if (page == 10) RefreshScalingPage();
}

void TAdditionalMaps::TabSet1Click(TObject*) {
  TPanel* panels[3] = {AccelPage1, AccelPage2, AccelPage3};
  static const char* const captions[3] = {"Accel fuelling settings", "Adjust accel fuelling according to rpm",
                                          "Adjust accel fuelling according to coolant temperature"};
  const int tab = TabSet1->TabIndex();
  if (tab < 0 || tab > 2) return;
  for (int i = 0; i < 3; ++i) panels[i]->SetVisible(i == tab);
  SetCaption(captions[tab]);
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

namespace {

void EnableAll(std::initializer_list<TControl*> controls, bool on) {
  for (TControl* c : controls)
    if (c) c->SetEnabled(on);
}

}  // namespace

void TAdditionalMaps::BoostFunctionChange(TObject*) {
  const bool closed = BoostFunction->ItemIndex() == 1;
  if (!Filling()) StoreBit(MapSlots[CurrentMap].BoostOptions, 0, closed);
  auto label = [this](const char* name) { return dynamic_cast<TControl*>(FindComponent(name)); };
  TControl* labels[4] = {label("Label32"), label("Label35"), label("Label36"), label("Label37")};
  EnableAll({BoostP, BoostI, BoostD, BoostControlLimit, labels[0], labels[1], labels[2], labels[3]}, closed);
}

void TAdditionalMaps::BoostMaxCBClick(TObject*) {
  if (!Filling()) StoreBit(MapSlots[CurrentMap].BoostOptions, 1, BoostMaxCB->Checked());
  BoostMaxTPS->SetEnabled(BoostMaxCB->Checked());
}

void TAdditionalMaps::CheckBox1Click(TObject*) {
  if (!Filling()) StoreBit(MapSlots[CurrentMap].BoostOptions, 4, CheckBox1->Checked());
  EnableAll({BoostCut, BoostCutTime}, CheckBox1->Checked());
}

void TAdditionalMaps::CheckBox2Click(TObject*) {
  if (!Filling()) StoreBit(MapSlots[CurrentMap].BoostOptions, 2, CheckBox2->Checked());
  AbNumEdit1->SetEnabled(CheckBox2->Checked());
}

void TAdditionalMaps::CheckBox3Click(TObject*) {
  if (!Filling()) StoreBit(MapSlots[CurrentMap].BoostOptions, 3, CheckBox3->Checked());
  AbNumEdit2->SetEnabled(CheckBox3->Checked());
}

namespace {

// Column 0 of a 32 x 5 table shows its load axis: the throttle sites under "%", or, when
// the table's bit of the load-option word is set, the MAP sites in the pressure unit; the
// label above the column names the sensor.
void ShowLoadAxis(TStringAlignGrid* grid, TLabel* label, TAddTableId id) {
  const TMapRecord& m = MapSlots[CurrentMap];
  const TAddTableInfo& t = AddTableInfo(id);
  const bool map = (m.LoadOptions >> t.OptionBit & 1) != 0;
  const int unit = std::clamp(Settings.PressureUnit, 0, 2);
  grid->SetCells(0, 0, map ? kPressureUnitNames[unit] : "%");
  for (int l = 0; l < 5; ++l) {
    const int site = map ? m.AddMAPSites[t.Axis][l] : m.AddThrottleSites[t.Axis][l];
    grid->SetCells(0, l + 1, map ? PressureText(site, unit) : IntToStr(site));
  }
  if (label) label->SetCaption(map ? "MAP" : "Throttle");
  PlaceLoadLabel(grid, label);
}

}  // namespace

void TAdditionalMaps::UpdateCoilOnLoad() { ShowLoadAxis(CoilOnTable, CoilOnLoadLabel, TAddTableId::CoilOn); }

void TAdditionalMaps::UpdatePWMLoad() { ShowLoadAxis(PWMTable, LoadLabel, TAddTableId::UserPWM); }

void TAdditionalMaps::UpdateVVTload() { ShowLoadAxis(VVT_table, VVTloadlabel, TAddTableId::VVT); }

void TAdditionalMaps::UpdateInjPosLoad() { ShowLoadAxis(InjTimingTable, InjPosLoadLabel, TAddTableId::InjTiming); }

// The five speed sites of the cylinder trims head columns 1..5, with a thousands comma.
void TAdditionalMaps::UpdateCylTrimSites() {
  for (int c = 1; c <= 5; ++c) {
    const int site = MapSlots[CurrentMap].CylTrimSites[c - 1];
    AnsiString text = IntToStr(site);
    if (site >= 1000) text.insert(text.size() - 3, ",");
    CylTrims_table->SetCells(c, 0, text);
  }
}

// ---- The load-sensor menu of the 32 x 5 tables.

namespace {

struct TLoadMenuTable {
  int Page;
  TAddTableId Id;
  int SiteTag;  // which axis the site editor edits
};
constexpr TLoadMenuTable kLoadMenuTables[4] = {
    {4, TAddTableId::CoilOn, 0}, {11, TAddTableId::InjTiming, 1}, {15, TAddTableId::UserPWM, 2}, {17, TAddTableId::VVT, 3}};

}  // namespace

int TAdditionalMaps::LoadMenuTable() const {
  const int page = AdditionalBook->PageIndex();
  for (int i = 0; i < 4; ++i)
    if (kLoadMenuTables[i].Page == page) return i;
  return -1;
}

void TAdditionalMaps::LoadAxisGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
  auto* grid = dynamic_cast<TStringAlignGrid*>(Sender);
  // Only a right click on the load axis (column 0 below the heading) opens the menu.
  if (Button != mbRight || grid == nullptr || X >= grid->ColWidths(0) || Y < grid->RowHeights(0)) return;
  const TPoint at = grid->ClientToScreen(TPoint{X, Y});
  PopupMenu1->Popup(at.x, at.y);
}

void TAdditionalMaps::PopupMenu1Popup(TObject*) {
  const int i = LoadMenuTable();
  if (i < 0) return;
  const bool map = (MapSlots[CurrentMap].LoadOptions >> AddTableInfo(kLoadMenuTables[i].Id).OptionBit & 1) != 0;
  MAP1->SetChecked(map);
  Throttlepot1->SetChecked(!map);
}

namespace {

void ShowAxisOf(TAdditionalMaps& a, TAddTableId id) {
  switch (id) {
    case TAddTableId::CoilOn: a.UpdateCoilOnLoad(); break;
    case TAddTableId::InjTiming: a.UpdateInjPosLoad(); break;
    case TAddTableId::UserPWM: a.UpdatePWMLoad(); break;
    case TAddTableId::VVT: a.UpdateVVTload(); break;
    default: break;
  }
}

void ChooseLoadSensor(TAdditionalMaps& a, bool map) {
  const int i = a.LoadMenuTable();
  if (i < 0) return;
  const TAddTableId id = kLoadMenuTables[i].Id;
  TMapRecord& m = MapSlots[CurrentMap];
  const int bit = AddTableInfo(id).OptionBit;
  const bool was = (m.LoadOptions >> bit & 1) != 0;
  // Only the axis shown changes; the table values stay as they are.
  if (was == map) return;
  m.LoadOptions = static_cast<int16_t>(map ? (m.LoadOptions | (1 << bit)) : (m.LoadOptions & ~(1 << bit)));
  ShowAxisOf(a, id);
}

}  // namespace

void TAdditionalMaps::Throttlepot1Click(TObject*) { ChooseLoadSensor(*this, false); }

void TAdditionalMaps::MAP1Click(TObject*) { ChooseLoadSensor(*this, true); }

void TAdditionalMaps::Loadsitepositions1Click(TObject*) {
  const int i = LoadMenuTable();
  if (i < 0 || LoadSiteAdj == nullptr) return;
  const TAddTableInfo& t = AddTableInfo(kLoadMenuTables[i].Id);
  const TMapRecord& m = MapSlots[CurrentMap];
  LoadSiteAdj->Tag = kLoadMenuTables[i].SiteTag;
  LoadSiteUnit = (m.LoadOptions >> t.OptionBit & 1) != 0 ? 1 : 0;
  for (int l = 0; l < kAdditionalLoadRows; ++l) {
    const int site = LoadSiteUnit == 1 ? m.AddMAPSites[t.Axis][l] : m.AddThrottleSites[t.Axis][l];
    LoadSiteCurrent[static_cast<size_t>(l)] = site;
    LoadSiteNew[static_cast<size_t>(l)] = site;
  }
  LoadSiteAdj->ShowModal();
}

// The cylinder trims' five speed sites, in rpm, in the site editor; OK stores them and
// shows them as the trim table's headings.
void TAdditionalMaps::Positionspeedsites1Click(TObject*) {
  if (LoadSiteAdj == nullptr) return;
  const TMapRecord& m = MapSlots[CurrentMap];
  LoadSiteAdj->Tag = kCylTrimSiteTag;
  LoadSiteUnit = kRpmSiteUnit;
  for (int i = 0; i < kAdditionalLoadRows; ++i) {
    LoadSiteCurrent[static_cast<size_t>(i)] = m.CylTrimSites[i];
    LoadSiteNew[static_cast<size_t>(i)] = m.CylTrimSites[i];
  }
  LoadSiteAdj->ShowModal();
}

void TAdditionalMaps::CylTrimsGridMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbRight) return;
  const TPoint at = CylTrims_table->ClientToScreen(TPoint{X, Y});
  CylTrimsPopup->Popup(at.x, at.y);
}

namespace {

// Shows one half of the trim table (ignition rows 1..8 or injection rows 9..16) and moves
// the selection by eight rows into it when it lies in the other half.
void ShowTrimHalf(TStringAlignGrid* g, bool injection) {
  TGridRect sel = g->Selection();
  const bool inInjection = sel.Top >= 9;
  if (inInjection != injection) {
    const int d = injection ? 8 : -8;
    sel.Top += d;
    sel.Bottom += d;
    g->SetSelection(sel);
  }
  g->SetTopRow(injection ? 9 : 1);
}

}  // namespace

void TAdditionalMaps::IgnitiontrimClick(TObject*) { ShowTrimHalf(CylTrims_table, false); }

void TAdditionalMaps::InjectionclickClick(TObject*) { ShowTrimHalf(CylTrims_table, true); }

// ---- Live data of the ECU link.

namespace {

constexpr int kOutputCount = 5;

}  // namespace

void TAdditionalMaps::ValueRange::Add(float value) {
  lowest = any ? std::min(lowest, value) : value;
  highest = any ? std::max(highest, value) : value;
  any = true;
}

void TAdditionalMaps::MeterValueReceived() {
  // The sign of the gauge value came in bit 0 of the flag byte; the decoder applied it.
  const auto value = static_cast<float>(LiveFast.GaugeValue);
  undrawn_.Add(value);
  if (peaks_reset_due_) since_restart_.Add(value);
}

void TAdditionalMaps::ShowFastLive() {
  // The drawing before this one showed the second that ended: the peaks start again here
  // from the values that came since the restart.
  auto takeIn = [this](ValueRange& range) {
    if (!range.any) return;
    AbVMeter1->SetValue(range.lowest);
    AbVMeter1->SetValue(range.highest);
    range.any = false;
  };
  if (peaks_restart_next_) {
    ValueRange sinceRestart = carried_;
    RestartMeterPeaks();
    takeIn(sinceRestart);
  }
  // Every value that came since the last drawing reaches the peaks now, before a restart
  // that is due: none of them was shown yet, so each extreme shows in at least this drawing.
  // Those that came after the restart are kept for the new peaks, which the next drawing
  // shows. The meter ends on the newest value and repaints once for all of it.
  takeIn(undrawn_);
  AbVMeter1->SetValue(static_cast<float>(LiveFast.GaugeValue));
  if (peaks_reset_due_) {
    peaks_reset_due_ = false;
    peaks_restart_next_ = true;
    carried_ = since_restart_;
    since_restart_ = {};
  }
  ClutchText->SetCaption((LiveFast.Flags & 2) != 0 ? "DOWN" : "UP");
}

void TAdditionalMaps::ShowSlowLive() {
  TShape* const shapes[kOutputCount] = {OutputShape1, OutputShape2, OutputShape3, OutputShape4, OutputShape5};
  TLabel* const texts[kOutputCount] = {OutputText1, OutputText2, OutputText3, OutputText4, OutputText5};
  for (int k = 0; k < kOutputCount; ++k) {
    const bool on = (LiveSlow.Outputs >> k & 1) != 0;
    texts[k]->SetCaption(on ? "ON" : "OFF");
    // A new colour repaints the lamp; the same one leaves it as it is.
    shapes[k]->Brush()->SetColor(on ? clLime : clGreen);
  }
}

void TAdditionalMaps::ShowLinkLost() {
  // Nothing the ECU said before it fell silent stays on show or comes back later.
  undrawn_ = since_restart_ = carried_ = {};
  TShape* const shapes[kOutputCount] = {OutputShape1, OutputShape2, OutputShape3, OutputShape4, OutputShape5};
  TLabel* const texts[kOutputCount] = {OutputText1, OutputText2, OutputText3, OutputText4, OutputText5};
  for (int k = 0; k < kOutputCount; ++k) {
    texts[k]->SetCaption("");
    shapes[k]->Brush()->SetColor(clGreen);
  }
  ClutchText->SetCaption("");
  if (peaks_reset_due_ || peaks_restart_next_) RestartMeterPeaks();
}

void TAdditionalMaps::ResetMeterPeaks() {
  if (!Visible() || AdditionalBook->PageIndex() != 0) return;
  // While the ECU streams, the restart waits for the drawings of its values, so the meter
  // repaints with the main window's live displays rather than on this tick as well: the
  // next drawing shows the values not drawn yet, the one after it the new second's alone.
  // A second restart before that drawing ends the second that began with the first.
  if (ECUConnected) {
    peaks_reset_due_ = true;
    since_restart_ = {};
  } else {
    RestartMeterPeaks();
  }
}

void TAdditionalMaps::RestartMeterPeaks() {
  peaks_reset_due_ = peaks_restart_next_ = false;
  since_restart_ = carried_ = {};
  // The markers start again from the far ends; the small value reports the new peaks.
  AbVMeter1->MinMax()->SetMax(-255);
  AbVMeter1->MinMax()->SetMin(255);
  AbVMeter1->SetValue(0.001f);
}

void TAdditionalMaps::VVT_ScrollBarChange(TObject*) {
  if (VVTcontrol_table->LeftCol() != VVT_ScrollBar->Position()) VVTcontrol_table->SetLeftCol(VVT_ScrollBar->Position());
}
