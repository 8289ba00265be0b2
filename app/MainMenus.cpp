// The main window's menu bar and the grids' context menus: which window and page each
// command opens, what is prepared before, and the load axis of the main tables.
#include "app/About.h"
#include "app/Main.h"
#include "model/MapInterp.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "chart/Chart.h"
#include "app/Graphs.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/DisplayUnits.h"
#include "config/LoadSiteAdjU.h"
#include "config/SelectMap.h"
#include "config/SiteEditing.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "config/TCSetup.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "ecu/Diag.h"
#include "ecu/IgnAlign.h"
#include "ecu/Immobiliser.h"
#include "link/LiveData.h"
#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "serial/AdPort.h"
#include "logger/logger.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "controls/AdvSpin.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

namespace {

// Hides the main window's tab row while another window is shown modally over it, and
// shows it again however that window ends.
class TabRowHidden {
 public:
  explicit TabRowHidden(TTabSet* tabs) : tabs_(tabs) { tabs_->SetVisible(false); }
  ~TabRowHidden() { tabs_->SetVisible(true); }
  TabRowHidden(const TabRowHidden&) = delete;
  TabRowHidden& operator=(const TabRowHidden&) = delete;

 private:
  TTabSet* tabs_;
};

const char* const kLoadHeadingGrids[] = {"ignitiontable", "injectiontable", "AFRTargetTable",
                                         "AFRCorrectionTable", "AFRModeTable"};

}  // namespace

template <int Page>
void TR7Tform1::AdditionalPageClick(TObject*) {
  AdditionalMaps->AdditionalBook->SetPageIndex(Page);
  CallUpAdditionalMap();
}

template <int Page>
void TR7Tform1::SetupPageClick(TObject*) {
  SetupForm->SetupBook->SetPageIndex(Page);
  CallUpSetup();
}

void TR7Tform1::PublishMenus(TClassProps<TR7Tform1>& P) {
  P.Handler("AccelFuelling1Click", &TR7Tform1::AdditionalPageClick<0>)
      .Handler("Airconditioningcontrol1Click", &TR7Tform1::AdditionalPageClick<1>)
      .Handler("Batteryvoltagecompensation1Click", &TR7Tform1::AdditionalPageClick<2>)
      .Handler("BoostControl1Click", &TR7Tform1::AdditionalPageClick<3>)
      .Handler("Coilontime1Click", &TR7Tform1::AdditionalPageClick<4>)
      .Handler("Cylindertrims1Click", &TR7Tform1::AdditionalPageClick<5>)
      .Handler("DoubleInjectorControl1Click", &TR7Tform1::AdditionalPageClick<6>)
      .Handler("EGTfeedback1Click", &TR7Tform1::AdditionalPageClick<7>)
      .Handler("Fullthrottlegearchange1Click", &TR7Tform1::AdditionalPageClick<8>)
      .Handler("IdleAirControl1Click", &TR7Tform1::AdditionalPageClick<9>)
      .Handler("IACV1Click", &TR7Tform1::AdditionalPageClick<9>)
      .Handler("InjectionScaling1Click", &TR7Tform1::AdditionalPageClick<10>)
      .Handler("InjectorTiming1Click", &TR7Tform1::AdditionalPageClick<11>)
      .Handler("MAPcompensation1Click", &TR7Tform1::AdditionalPageClick<12>)
      .Handler("BAROcompensation1Click", &TR7Tform1::AdditionalPageClick<13>)
      .Handler("RPMCorrectionforCoolantEnrichment1Click", &TR7Tform1::AdditionalPageClick<14>)
      .Handler("UserOutput1PWMControl1Click", &TR7Tform1::AdditionalPageClick<15>)
      .Handler("VTECswitch1Click", &TR7Tform1::AdditionalPageClick<16>)
      .Handler("VVT1Click", &TR7Tform1::AdditionalPageClick<17>)
      .Handler("ECUversioninfo1Click", &TR7Tform1::SetupPageClick<0>)
      .Handler("ECUconfiguration1Click", &TR7Tform1::SetupPageClick<0>)
      .Handler("CrankCamDistributorsensors1Click", &TR7Tform1::SetupPageClick<1>)
      .Handler("Ignitionoutputs1Click", &TR7Tform1::SetupPageClick<2>)
      .Handler("Injectoroutputs1Click", &TR7Tform1::SetupPageClick<3>)
      .Handler("AirTemperatureSensor1Click", &TR7Tform1::SetupPageClick<4>)
      .Handler("CoolantTemperatureSensor1Click", &TR7Tform1::SetupPageClick<5>)
      .Handler("AuxTemperatureSensor1Click", &TR7Tform1::SetupPageClick<6>)
      .Handler("EGTsensor1Click", &TR7Tform1::SetupPageClick<7>)
      .Handler("ThrottlePositionSensor1Click", &TR7Tform1::SetupPageClick<8>)
      .Handler("MAPSensor1Click", &TR7Tform1::SetupPageClick<9>)
      .Handler("BAROSensor1Click", &TR7Tform1::SetupPageClick<10>)
      .Handler("AFRLambdainput1Click", &TR7Tform1::SetupPageClick<11>)
      .Handler("AFRInput1Click", &TR7Tform1::SetupPageClick<11>)
      .Handler("OxygenSensor1Click", &TR7Tform1::SetupPageClick<11>)
      .Handler("MapSwitching1Click", &TR7Tform1::SetupPageClick<12>)
      .Handler("Boostdashcontrol1Click", &TR7Tform1::SetupPageClick<13>)
      .Handler("Idleaircontrolvalve1Click", &TR7Tform1::SetupPageClick<14>)
      .Handler("WheelSpeedSensors1Click", &TR7Tform1::SetupPageClick<15>)
      .Handler("RoadSpeed1Click", &TR7Tform1::SetupPageClick<15>)
      .Handler("Inputchannels1Click", &TR7Tform1::SetupPageClick<16>)
      .Handler("Outputchannels1Click", &TR7Tform1::SetupPageClick<17>)
      .Handler("Gearposition1Click", &TR7Tform1::SetupPageClick<18>)
      .Handler("CANdatalink1Click", &TR7Tform1::SetupPageClick<19>)
      .Handler("Exit1Click", &TR7Tform1::Exit1Click)
      .Handler("SelectMAP1Click", &TR7Tform1::SelectMAP1Click)
      .Handler("Commsport1Click", &TR7Tform1::Commsport1Click)
      .Field("ReadECUdata1", &TR7Tform1::ReadECUdata1)
      .Field("ProgramECU1", &TR7Tform1::ProgramECU1)
      .Handler("ReadECUdata1Click", &TR7Tform1::ReadECUdata1Click)
      .Handler("ProgramECU1Click", &TR7Tform1::ProgramECU1Click)
      .Handler("DataLogger1Click", &TR7Tform1::DataLogger1Click)
      .Handler("Plotgraph1Click", &TR7Tform1::Plotgraph1Click)
      .Handler("Ignitionalignment1Click", &TR7Tform1::Ignitionalignment1Click)
      .Handler("ThrottlePositionSensor2Click", &TR7Tform1::ThrottlePositionSensor2Click)
      .Handler("Immobiliser1Click", &TR7Tform1::Immobiliser1Click)
      .Handler("MapLock1Click", &TR7Tform1::MapLock1Click)
      .Handler("Displayunits1Click", &TR7Tform1::Displayunits1Click)
      .Handler("Diagdata1Click", &TR7Tform1::Diagdata1Click)
      .Handler("About1Click", &TR7Tform1::About1Click)
      .Handler("TractionControl1Click", &TR7Tform1::TractionControl1Click)
      .Handler("PopUpTPS1Click", &TR7Tform1::PopUpTPS1Click)
      .Handler("PopUpMAP1Click", &TR7Tform1::PopUpMAP1Click)
      .Handler("PopUpLoadsitepositions1Click", &TR7Tform1::PopUpLoadsitepositions1Click)
      .Handler("Speedsitepositions1Click", &TR7Tform1::Speedsitepositions1Click)
      .Handler("Adjustturns1Click", &TR7Tform1::Adjustturns1Click);
}

void TR7Tform1::CallUpAdditionalMap() {
  AdditionalMaps->TabSet->SetTabIndex(AdditionalMaps->AdditionalBook->PageIndex());
  AdditionalMaps->TabSetClick(AdditionalMaps->TabSet);
  TabRowHidden hidden(TabSet1);
  AdditionalMaps->ShowModal();
}

void TR7Tform1::CallUpSetup() {
  SetupForm->TabSet->SetTabIndex(SetupForm->SetupBook->PageIndex());
  SetupForm->TabSetClick(SetupForm->TabSet);
  TabRowHidden hidden(TabSet1);
  SetupForm->ShowModal();
}

void TR7Tform1::Exit1Click(TObject*) { Close(); }

void TR7Tform1::SelectMAP1Click(TObject*) {
  // Switching maps is offered only while the ECU is linked.
  SelectMapForm->SelectedMap->SetEnabled(ECUConnected);
  int result;
  {
    TabRowHidden hidden(TabSet1);
    result = SelectMapForm->ShowModal();
  }
  if (result != mrOk || !SelectMapForm->SelectedMap->Enabled()) return;
  const int map = SelectMapForm->SelectedMap->ItemIndex() + 1;
  if (map < 1 || map > 3 || map == CurrentMap) return;
  ShowMapChoice(map, false, true);
  RefreshMapTables();
}

void TR7Tform1::Commsport1Click(TObject*) { SelectComPort(); }

void TR7Tform1::ReadECUdata1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  ReadMapsFromEcu(*this, *comms);
}

void TR7Tform1::ProgramECU1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  ProgramMapsIntoEcu(*this, *comms);
}

void TR7Tform1::DataLogger1Click(TObject*) {
  LoggerForm->SetCaption("Data Logger");
  LoggerForm->LoggerBook->SetActivePage("Logger");
  LoggerForm->TabSet->SetTabIndex(LoggerForm->LoggerBook->PageIndex());
  LoggerForm->Show();
}

void TR7Tform1::Plotgraph1Click(TObject*) {
  Graph->Chart1->Title()->Text()->SetText("Ignition Map");
  // The load sites run along the bottom axis, the speed sites into the depth.
  Graph->Chart1->BottomAxis()->Title()->SetCaption("Load site");
  Graph->Chart1->DepthAxis()->Title()->SetCaption("Speed Site");
  Graph->Chart1->LeftAxis()->Title()->SetCaption("Ignition Advance");
  Graph->Chart1->LeftAxis()->SetInverted(false);
  Graph->Chart1->BottomAxis()->SetInverted(false);
  PrepareGraphSurface();
  Graph->Show();
}

void TR7Tform1::Ignitionalignment1Click(TObject*) {
  // The two angles are changed only by the window's step buttons.
  IgnAlignForm->ReferenceAdvance->SetEnabled(false);
  IgnAlignForm->LockAdvance->SetEnabled(false);
  IgnAlignForm->Attach(*this);
  Send("$c");
  TabRowHidden hidden(TabSet1);
  IgnAlignForm->ShowModal();
}

void TR7Tform1::ThrottlePositionSensor2Click(TObject*) {
  Alignment->SetCaption("Throttle position sensor setup");
  Alignment->sensorbox->SetCaption("Throttle-pot number");
  Alignment->alignment_info->Lines()->Clear();
  Alignment->alignment_info->Lines()->Add("Ensure that the throttle has full travel and the pot is operating correctly");
  Alignment->alignment_info->Lines()->Add("");
  Alignment->alignment_info->Lines()->Add("Select OK to proceed");
  TabRowHidden hidden(TabSet1);
  Alignment->ShowModal();
}

void TR7Tform1::Immobiliser1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  ImmobForm->Attach(*this);
  ImmobForm->ShowModal();
}

void TR7Tform1::MapLock1Click(TObject*) {
  // Asks the ECU for its lock message ("$B" 05 95) and shows the window, whose Lock/UnLock
  // button sends through this window's port.
  TabRowHidden hidden(TabSet1);
  ShowMapLock(*this);
}

void TR7Tform1::Displayunits1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  UnitsForm->ShowModal();
}

void TR7Tform1::Diagdata1Click(TObject*) {
  // The diagnostics window keeps the tab row visible.
  DiagForm->Attach(*this);
  DiagForm->Timer1->SetEnabled(true);
  DiagForm->ShowModal();
}

void TR7Tform1::About1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  AboutBox->ShowModal();
}

void TR7Tform1::TractionControl1Click(TObject*) {
  TabRowHidden hidden(TabSet1);
  TCSetupForm->ShowModal();
}

void TR7Tform1::PopUpTPS1Click(TObject*) {
  if (PopUpTPS1->Checked()) return;
  PopUpTPS1->SetChecked(true);
  PopUpMAP1->SetChecked(false);
  TMapRecord& map = MapSlots[CurrentMap];
  map.LoadOptions = static_cast<int16_t>(map.LoadOptions & ~1);
  for (const char* name : kLoadHeadingGrids) {
    auto* grid = dynamic_cast<TStringAlignGrid*>(FindComponent(name));
    if (grid == nullptr) continue;
    grid->SetCells(0, 0, "TPS%");
    for (int r = 1; r <= kMainLoadSites; ++r) grid->SetCells(0, r, IntToStr(map.MainThrottleSites[r - 1]));
  }
}

void TR7Tform1::PopUpMAP1Click(TObject*) {
  if (PopUpMAP1->Checked()) return;
  PopUpMAP1->SetChecked(true);
  PopUpTPS1->SetChecked(false);
  TMapRecord& map = MapSlots[CurrentMap];
  map.LoadOptions = static_cast<int16_t>(map.LoadOptions | 1);
  for (const char* name : kLoadHeadingGrids) {
    auto* grid = dynamic_cast<TStringAlignGrid*>(FindComponent(name));
    if (grid == nullptr) continue;
    grid->SetCells(0, 0, "MAP");
    for (int r = 1; r <= kMainLoadSites; ++r) {
      AnsiString text;
      grid->SetCells(0, r, ConvertUnits(1, map.MainMAPSites[r - 1], text));
    }
  }
}

void TR7Tform1::PopUpLoadsitepositions1Click(TObject*) {
  // Both columns start at the sites of the axis in use; the editor moves the new ones in
  // SiteEditList and stores them on OK.
  SitePosFrm->ReCalcMaps->SetChecked(Settings.ReCalcPos);
  const TMapRecord& map = MapSlots[CurrentMap];
  const bool pressure = (map.LoadOptions & 1) != 0;
  SitePosFrm->Tag = pressure ? 1 : 0;
  const AnsiString unit = pressure ? PressureUnitHeading() : AnsiString("%");
  TStringAlignGrid* grid = SitePosFrm->SitePosGrid;
  grid->SetCells(1, 0, "Current pos\r(" + unit + ")");
  grid->SetCells(2, 0, "New pos\r(" + unit + ")");
  for (int r = 1; r <= kMainLoadSites; ++r) {
    const int site = pressure ? map.MainMAPSites[r - 1] : map.MainThrottleSites[r - 1];
    SiteEditList[static_cast<size_t>(r - 1)] = site;
    grid->SetCells(1, r, SitePositionText(site, pressure));
    grid->SetCells(2, r, SitePositionText(site, pressure));
  }
  TabRowHidden hidden(TabSet1);
  SitePosFrm->ShowModal();
}

void TR7Tform1::Speedsitepositions1Click(TObject*) {
  // The editor fills itself from the current map when shown and stores on OK.
  SpeedSiteForm->ReCalcMaps->SetChecked(Settings.ReCalcPos);
  TabRowHidden hidden(TabSet1);
  SpeedSiteForm->ShowModal();
}

void TR7Tform1::Adjustturns1Click(TObject*) {
  // The turns are edited as the fifth kind of site axis; OK stores them and redraws the
  // turn column.
  const TMapRecord& map = MapSlots[CurrentMap];
  LoadSiteAdj->Tag = 4;
  LoadSiteUnit = 2;
  for (int r = 0; r < kAdditionalLoadRows; ++r) {
    LoadSiteCurrent[static_cast<size_t>(r)] = map.CrankTurns[r];
    LoadSiteNew[static_cast<size_t>(r)] = map.CrankTurns[r];
  }
  TabRowHidden hidden(TabSet1);
  LoadSiteAdj->ShowModal();
}
