// The main window's life: creation, the first activation that brings the program into its
// working state, later activations, and the close query that saves the settings and shuts
// the link down.
#include <algorithm>
#include <utility>

#include "model/ChannelFunctions.h"
#include "app/Main.h"
#include "gauges/AbPaced.h"

#include "ecu/MapLock.h"
#include "app/MainWindows.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "config/Align.h"
#include "model/ConfigBlock.h"
#include "config/DisplayUnits.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/ElastFrm.h"
#include "controls/LblEffct.h"
#include "link/LiveData.h"
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

TR7Tform1* R7Tform1 = nullptr;

namespace {
// Why the settings file could not be read, shown once the first activation is done:
// a box shown during it would activate the window again and repeat it.
AnsiString g_settingsProblem;
}  // namespace

bool MainWindowActivated = false;
int32_t MapBoxItem1 = 1, MapBoxItem2 = 2;
std::array<int32_t, 7> LiveCellTrim{};
bool LogNewDataShown = false;
uint16_t LinkWatchdogHandle = 0;
int32_t TempPointerScale = 0, TempPointerOffset = 0;

TR7Tform1::TR7Tform1(TComponent* AOwner) : TForm(AOwner), SettingsFileName(kSettingsFileName) {}

TR7Tform1::~TR7Tform1() {
  // Freed with delete the form is destroying already and OnDestroy has run. Otherwise
  // both happen here, while the bitmaps and fields still exist: from the base class's
  // destructor OnDestroy would reach an object that is no longer a TR7Tform1.
  BeforeDestruction();
}

void TR7Tform1::Publish(TClassProps<TR7Tform1>& P) {
  RegisterMainWindowControlClasses();
  P.Field("Image2", &TR7Tform1::Image2)
      .Field("Image3", &TR7Tform1::Image3)
      .Field("Image4", &TR7Tform1::Image4)
      .Field("Image5", &TR7Tform1::Image5)
      .Field("Image6", &TR7Tform1::Image6)
      .Field("Image7", &TR7Tform1::Image7)
      .Field("Image8", &TR7Tform1::Image8)
      .Field("Image9", &TR7Tform1::Image9)
      .Field("StringAlignGrid1", &TR7Tform1::StringAlignGrid1)
      .Field("StringAlignGrid2", &TR7Tform1::StringAlignGrid2)
      .Field("CoolantTempMarker", &TR7Tform1::CoolantTempMarker)
      .Field("Label5", &TR7Tform1::Label5)
      .Field("ElasticForm1", &TR7Tform1::ElasticForm1)
      .Field("loadsite_label", &TR7Tform1::loadsite_label)
      .Field("loadsite_label2", &TR7Tform1::loadsite_label2)
      .Field("LabelEffect1", &TR7Tform1::LabelEffect1)
      .Field("LabelEffect3", &TR7Tform1::LabelEffect3)
      .Field("timepanel", &TR7Tform1::timepanel)
      .Field("Lam_Pgain", &TR7Tform1::Lam_Pgain)
      .Field("Lam_Igain", &TR7Tform1::Lam_Igain)
      .Field("BoxBar1", &TR7Tform1::BoxBar1)
      .Field("BoxBar2", &TR7Tform1::BoxBar2)
      .Field("ignitiontable", &TR7Tform1::ignitiontable)
      .Field("injectiontable", &TR7Tform1::injectiontable)
      .Field("AFRTargetTable", &TR7Tform1::AFRTargetTable)
      .Field("AFRCorrectionTable", &TR7Tform1::AFRCorrectionTable)
      .Field("AFRModeTable", &TR7Tform1::AFRModeTable)
      .Field("CrankingTable", &TR7Tform1::CrankingTable)
      .Field("TabSet1", &TR7Tform1::TabSet1)
      .Field("Notebook1", &TR7Tform1::Notebook1)
      .Field("IdleControlMode", &TR7Tform1::IdleControlMode)
      .Field("SeqType", &TR7Tform1::SeqType)
      .Field("User1Selection", &TR7Tform1::User1Selection)
      .Field("User2Selection", &TR7Tform1::User2Selection)
      .Field("User3Selection", &TR7Tform1::User3Selection)
      .Field("User4Selection", &TR7Tform1::User4Selection)
      .Field("Panel9", &TR7Tform1::Panel9)
      .Field("Panel10", &TR7Tform1::Panel10)
      .Field("Panel11", &TR7Tform1::Panel11)
      .Field("Panel12", &TR7Tform1::Panel12)
      .Field("StatusPanel", &TR7Tform1::StatusPanel)
      .Field("Timer1", &TR7Tform1::Timer1)
      .Field("Timer2", &TR7Tform1::Timer2)
      .Handler("FormCreate", &TR7Tform1::FormCreate)
      .Handler("FormActivate", &TR7Tform1::FormActivate)
      .Handler("FormCloseQuery", &TR7Tform1::FormCloseQuery)
      .Handler("FormClose", &TR7Tform1::FormClose)
      .Handler("FormDestroy", &TR7Tform1::FormDestroy)
      .Handler("Timer1Timer", &TR7Tform1::Timer1Timer)
      .Handler("Timer2Timer", &TR7Tform1::Timer2Timer)
      .Handler("IdleControlModeChange", &TR7Tform1::IdleControlModeChange)
      .Handler("SeqTypeChange", &TR7Tform1::SeqTypeChange);
  // Each concern of the window names its own controls and handlers.
  PublishTables(P);
  PublishEditing(P);
  PublishLive(P);
  PublishFields(P);
  PublishMenus(P);
  PublishFiles(P);
  PublishDisplays(P);
}

namespace {

TBitmap* BitmapLike(const TControl* image) {
  auto* bitmap = new TBitmap();
  bitmap->SetSize(image->Width(), image->Height());
  return bitmap;
}

}  // namespace

void TR7Tform1::FormCreate(TObject*) {
  TempPointerBitmap = BitmapLike(Image2);
  CrankPointerBitmap = BitmapLike(Image8);
  TargetBitmap = BitmapLike(Image9);
  MainWindowActivated = false;
  CurrentMap = 1;
  for (TStringAlignGrid* grid : {StringAlignGrid1, StringAlignGrid2, CoolantTempMarker})
    grid->SetFontFixedRow(0, Label5->Font());
  // The resize code of the window places these itself.
  for (TControl* c : std::initializer_list<TControl*>{loadsite_label, LabelEffect1, loadsite_label2, LabelEffect3,
                                                      Image2, Image3, Image4, Image5, Image6, Image7, Image8,
                                                      Image9, Image10})
    ElasticForm1->ExcludeControl(c);
  CreateLinkComponents();
}

void TR7Tform1::FormActivate(TObject*) {
  if (!MainWindowActivated) FirstActivation();
  trigger_timer_allowed_ = true;
  ArmTriggerTimer();
}

void TR7Tform1::FirstActivation() {
  CurrentMap = 1;
  LiveSpeedFraction = 127;
  LiveLoadFraction = 127;
  PacketCountsA.fill(0);
  PacketCountsB.fill(0);
  ReadIniFile();
  timepanel->SetCaption(FormatDateTime("hh:mm", Now()));
  LogNewDataShown = false;
  LoggingActive = false;
  StopLoggerRecorder();

  TempPointerScale = CoolantTempMarker->Width() - CoolantTempMarker->DefaultColWidth();
  TempPointerOffset = CoolantTempMarker->DefaultColWidth() / 2;
  Lam_Pgain->SetIncrementFloat(1.0 / 255);
  Lam_Igain->SetIncrementFloat(1.0 / 255);
  BoxBar1->SetVisible(false);
  BoxBar2->SetVisible(false);

  TMapRecord& map = MapSlots[CurrentMap];
  SetMapSpeedSiteAndLimitDefaults(map, Settings.SpeedSiteStep);
  SetBoostDutyIncrements();

  ShapeGrids();
  TabSet1->Tabs()->Assign(Notebook1->Pages());
  TabSet1->SetTabIndex(Notebook1->PageIndex());

  SetMapAdditionalDefaults(map);
  ECUMSPB = 61;
  LiveEGT = 0;
  ECUActiveMap = 1;
  ECUImmobilised = false;
  SetPWMAdjustIncrements();

  ShapeAdditionalTables();
  SetMapBaroDefaults(map);
  UpdateRPMsites();
  ShowBoostLoadAxis();
  SetMapBoostLoadDefaults(map);
  ShapeCylinderTrimTable();
  SizeGridsToContents();

  ShowConfigurationDefaults();
  ConfigReadCopy = ConfigBlock;

  SetMapMainDefaults(map);
  SetMapBattCompDefaults(map);
  FillBatteryCompensation();
  FillMainGridAxes();

  IdleControlMode->SetItemIndex(2);
  IdleControlModeChange(IdleControlMode);
  SeqType->SetItemIndex(0);
  SeqTypeChange(SeqType);
  RefreshMapTables();

  MapBoxItem1 = 1;
  MapBoxItem2 = 2;
  LiveCellValue.fill(0);
  LiveCellTrim.fill(0);
  FillChannelFunctions(Settings);
  FillChannelSelectors();
  BlankLiveDisplays();

  MainWindowActivated = true;
  if (!g_settingsProblem.empty()) MessageDlg(std::exchange(g_settingsProblem, {}), mtWarning, TMsgDlgButtons{mbOK});
  OpenSavedPort();
  if (Visible() && Enabled()) SetFocus();
  CopyMap1ToMaps2And3();
}

void TR7Tform1::ShapeGrids() {
  for (TStringAlignGrid* grid : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable}) {
    grid->SetColCount(34);
    grid->SetRowCount(17);
  }
  // The one-row tables start on their first cell.
  for (TStringAlignGrid* grid :
       {airign_table, coolantign_table, airinj_table, coolantinj_table, CrankPrime_table, idlerpm_table})
    grid->SetSelection(TGridRect{0, 0, 0, 0});
  ShapeOtherWindowGrids();
}

void TR7Tform1::FillBatteryCompensation() {
  const TMapRecord& map = MapSlots[CurrentMap];
  std::array<double, 10> volts{};
  for (int i = 1; i <= 10; ++i) volts[static_cast<size_t>(i - 1)] = map.BattCompVoltageAxis[i - 1] * 0.0122079;
  ShowBatteryCompensation(volts);
}

void TR7Tform1::FillMainGridAxes() {
  for (TStringAlignGrid* grid : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable}) {
    for (int row = 1; row < grid->RowCount(); ++row) {
      grid->SetCells(1, row, IntToStr(row - 1));
      for (int col = 2; col <= 33; ++col)
        grid->SetHintCell(col, row, "Load site " + IntToStr(row - 1) + ", Speed site " + IntToStr(col - 2));
    }
  }
  for (TStringAlignGrid* grid :
       {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable, CrankingTable})
    grid->SetAlignment(TMyAlign::alCenter);
}

void TR7Tform1::FillChannelSelectors() {
  TComboBox* selectors[4] = {User1Selection, User2Selection, User3Selection, User4Selection};
  TPanel* panels[4] = {Panel9, Panel10, Panel11, Panel12};
  for (int i = 0; i < 4; ++i) {
    FillChannelItems(selectors[i]);
    selectors[i]->SetItemIndex(Settings.UserViewVar[i + 1]);
    const int index = selectors[i]->ItemIndex();
    const AnsiString name = index >= 0 ? ChannelFunctionName[static_cast<size_t>(index)] : AnsiString();
    panels[i]->SetCaption((name + ": ").substr(0, 17));
  }
  ShowLoggerSettings();
  UpdateLoggerUnits();
  ApplyLoggerEnabled();
}

void FillChannelItems(TComboBox* selector) {
  TStrings* items = selector->Items();
  items->BeginUpdate();
  items->Clear();
  for (const AnsiString& name : ChannelFunctionName) items->Add(name);
  items->EndUpdate();
}

void TR7Tform1::ReadIniFile() {
  g_settingsProblem = ReadSettingsFile(SettingsFileName);
  // The windows that show settings start from what was read.
  if (Alignment != nullptr) {
    Alignment->AutoIdlePotNum->SetChecked(Settings.AutoIdlePotUpdate);
    Alignment->IdlePotNumOffset->SetEnabled(Settings.AutoIdlePotUpdate);
    Alignment->AutoCutPotNum->SetChecked(Settings.AutoCutNumUpdate);
    Alignment->CutPotNumOffset->SetEnabled(Settings.AutoCutNumUpdate);
    Alignment->IdlePotNumOffset->SetValue(Settings.AutoIdlePotNum);
    Alignment->CutPotNumOffset->SetValue(Settings.AutoCutPotNum);
    Alignment->ComboBox1->SetItemIndex(Settings.AutoSetMaps);
  }
  if (UnitsForm != nullptr) {
    UnitsForm->UnitsTemperature->SetItemIndex(Settings.TemperatureUnit);
    UnitsForm->UnitsPressure->SetItemIndex(Settings.PressureUnit);
    UnitsForm->UnitsSpeed->SetItemIndex(Settings.SpeedUnit);
    UnitsForm->UnitsDistance->SetItemIndex(Settings.DistanceUnit);
    UnitsForm->UnitsO2->SetItemIndex(Settings.O2Unit);
  }
}

void TR7Tform1::WriteInifile() { WriteSettingsFile(SettingsFileName); }

void TR7Tform1::IdleControlModeChange(TObject*) {
  const int mode = IdleControlMode->ItemIndex();
  // Mapped position explains itself in one note; manual control needs all three.
  if (IdleNote1 != nullptr) IdleNote1->SetVisible(mode == 0 || mode == 1);
  if (IdleNote2 != nullptr) IdleNote2->SetVisible(mode == 1);
  if (IdleNote3 != nullptr) IdleNote3->SetVisible(mode == 1);
  if (!RefreshingTables && mode >= 0) MapSlots[CurrentMap].IdleControlMode = static_cast<int16_t>(mode);
}

void TR7Tform1::SeqTypeChange(TObject*) {
  const int type = SeqType->ItemIndex();
  if (type < 0) return;
  // "RPM" counts in steps of 50 up to 20000, "mS" in steps of 10 up to 2550.
  const int increment = type == 0 ? 50 : 10, maximum = type == 0 ? 20000 : 2550;
  SeqStart->SetIncrement(increment);
  SeqStart->SetMaxValue(maximum);
  if (RefreshingTables) return;
  TMapRecord& map = MapSlots[CurrentMap];
  map.SeqShiftType = static_cast<uint8_t>(type);
  const int value = std::min<int>(map.SeqShiftStart, maximum) / increment * increment;
  map.SeqShiftStart = static_cast<uint16_t>(value);
  SeqStart->SetValue(value);
}

void TR7Tform1::FormCloseQuery(TObject*, bool& CanClose) {
  if (MessageDlg(kExitQuestion, mtConfirmation, mbOKCancel) != mrOk) {
    CanClose = false;
    return;
  }
  const bool timer1 = Timer1->Enabled(), timer2 = Timer2->Enabled();
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  trigger_timer_allowed_ = false;
  try {
    WriteInifile();
  } catch (...) {
    // Closing now would lose the settings without a word: show why and stay open.
    Timer1->SetEnabled(timer1);
    Timer2->SetEnabled(timer2);
    trigger_timer_allowed_ = true;
    CanClose = false;
    Application->HandleException(this, std::current_exception());
    return;
  }
  ShutDownLink();
}

void TR7Tform1::ShowLinkLost() {
  StatusPanel->Font()->SetColor(clRed);
  StatusPanel->SetCaption("Status - No ECU link");
  if (MapLockForm != nullptr) MapLockForm->ResetStatus();
}

void TR7Tform1::FormClose(TObject*, TCloseAction&) {}

void TR7Tform1::FormDestroy(TObject*) {
  for (TBitmap** bitmap : {&TempPointerBitmap, &CrankPointerBitmap, &TargetBitmap}) {
    delete *bitmap;
    *bitmap = nullptr;
  }
}
