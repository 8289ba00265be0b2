#include "config/setup.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

#include "app/Main.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "config/TempCalculator.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/SBPro.h"
#include "ecu/FlashUpdate.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbVMeter.h"
#include "link/ConfigRequests.h"
#include "link/LiveData.h"
#include "model/ConfigBlock.h"
#include "model/ConfigEditing.h"
#include "model/Frames.h"
#include "model/Settings.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"

TSetupForm* SetupForm = nullptr;

namespace {

using namespace config;

constexpr TColor kStatusBlue = clBlue;
constexpr TColor kStatusRed = clRed;
constexpr TColor kOfflineGrey = ColorValue(0x808080);
constexpr uint16_t kUnevenFiring = 1 << 3, kCustomInj = 1 << 4, kSequential = 1 << 5, kDoubleInj = 1 << 6,
                   kCheckBox1 = 1 << 7;

uint8_t* Bytes(TConfigBlock& b) { return reinterpret_cast<uint8_t*>(&b); }

// The window's caption for each page; the tabs carry the pages' short names.
constexpr const char* kPageCaptions[] = {
    "ECU version information",
    "Distributor / Crank sensor options",
    "Ignition output options",
    "Injection output options",
    "Air temp sensor calibration",
    "Coolant temp sensor calibration",
    "Auxillary temp sensor calibration",
    "EGT temp sensor options",
    "Throttle position sensor calibration",
    "MAP sensor calibration",
    "BARO sensor calibration",
    "AFR/Lambda input calibration",
    "Map switching options",
    "Boost - dash control",
    "Idle Air Control Valve Motor options",
    "Wheel Speed Sensor Settings",
    "Input channel configuration",
    "Output channel configuration",
    "Gear position calculation settings",
    "CAN datalink settings",
};

// Controls whose item index is a byte of the block, and the panel that names the choice.
struct ChoiceField {
  const char* box;
  size_t offset;
  const char* panel;
};
constexpr ChoiceField kChoices[] = {
    {"MapSource", 70, "MapSourcePanel"},       {"BaroSource", 80, "BaroSourcePanel"},
    {"AuxTempChannel", 82, "AuxTempChanPanel"}, {"AFRinputsource", 316, "AFRSourcePanel"},
    {"MapSwSource", 338, "MapSwSourcePanel"},  {"BoostAdjChan", 343, "BoostAdjChanPanel"},
    {"AC_clutch_chan", 352, nullptr},          {"userout1_chan", 353, nullptr},
    {"AuxFunc2_chan", 354, nullptr},           {"AuxFunc1_chan", 355, nullptr},
    {"bcv_chan", 356, nullptr},                {"coolingfan2_chan", 357, nullptr},
    {"shiftlight_chan", 358, nullptr},         {"vtec_chan", 359, nullptr},
    {"vvt_plus_chan", 360, nullptr},           {"vvt_minus_chan", 361, nullptr},
    {"userout2_chan", 362, nullptr},           {"userout3_chan", 363, nullptr},
    {"combobox6", 364, nullptr},               {"combobox5", 365, nullptr},
    {"combobox7", 366, nullptr},               {"ComboBox2", 367, nullptr},
};

// Spins whose value is stored as it stands, in one or two bytes.
struct ValueField {
  const char* spin;
  size_t offset;
  int bytes;
};
constexpr ValueField kValues[] = {
    {"MapSensitivity", 62, 2}, {"BaroSensitivity", 72, 2}, {"MapDamp", 71, 1},     {"BaroDamp", 81, 1},
    {"AFRDamp", 317, 1},       {"PWMMaxDur", 350, 1},      {"PWMMinDur", 351, 1}, {"Gear_MatchError", 424, 1},
    {"AdvSpinEdit1", 434, 2},  {"AdvSpinEdit2", 436, 2},
};

int ReadValue(const TConfigBlock& b, const ValueField& f) {
  const auto* p = reinterpret_cast<const uint8_t*>(&b) + f.offset;
  return f.bytes == 1 ? p[0] : p[0] | p[1] << 8;
}

void WriteValue(TConfigBlock& b, const ValueField& f, int v) {
  uint8_t* p = Bytes(b) + f.offset;
  v = std::clamp(v, 0, f.bytes == 1 ? 255 : 65535);
  p[0] = static_cast<uint8_t>(v);
  if (f.bytes == 2) p[1] = static_cast<uint8_t>(v >> 8);
}

bool Fahrenheit() { return Settings.TemperatureUnit == 1; }

AnsiString Fixed(double v, int decimals) { return FormatFloat(decimals == 3 ? "0.000" : decimals == 2 ? "0.00" : "0.0", v); }

// Up or plus raises, Down or minus lowers; Shift makes it ten steps. 0: not a step key.
int StepOfKey(WORD key, TShiftState shift) {
  int dir = 0;
  if (key == VK_UP || key == VK_ADD || key == VK_OEM_PLUS) dir = 1;
  if (key == VK_DOWN || key == VK_SUBTRACT || key == VK_OEM_MINUS) dir = -1;
  return shift.Contains(ssShift) ? dir * 10 : dir;
}

le::U16* SensorTable(TConfigBlock& b, int sensor) {
  return sensor == 0 ? b.AirTempTable : sensor == 1 ? b.CoolantTempTable : b.AuxTempTable;
}

constexpr TColor kLockedGrey = ColorValue(0xC0C0C0);

// Cells the user may change are white, locked ones grey.
void ShadeCells(TStringAlignGrid* g, int col0, int col1, int row0, int row1, bool editable) {
  for (int c = col0; c <= col1; ++c)
    for (int r = row0; r <= row1; ++r) g->SetColorCell(c, r, editable ? clWindow : kLockedGrey);
}

// A whole table the user may not change: grey, without a selection mark, taking no input.
void LockGrid(TStringAlignGrid* g, bool editable) {
  g->SetEnabled(editable);
  g->SetColor(editable ? clWindow : kLockedGrey);
  g->SetDrawSelection(editable);
}

uint16_t OptionBit(uint16_t bits, uint16_t bit, bool on) {
  return static_cast<uint16_t>(on ? bits | bit : bits & ~bit);
}

}  // namespace

void TSetupForm::Publish(TClassProps<TSetupForm>& P) {
#define F(n) P.Field(#n, &TSetupForm::n);
  F(SetupBook) F(TabSet) F(StatusBarPro1) F(InstallUpdate) F(SerialNumberLab) F(SWVersionLab) F(HWVersionLab)
  F(DevVersionLab) F(DevVersionGroup) F(MainPatternBox) F(MainTriggerBox) F(MainTypeBox) F(CamPatternBox)
  F(CamTriggerBox) F(CamTypeBox) F(CylindersSpin) F(IgnRefAdvance) F(IgnOutputBox) F(IgnOut5Lab) F(IgnOut6Lab)
  F(UnevenFiringCheckBox) F(CylinderOffsetTable) F(InjTypeGB) F(DoubleInjectorsCB) F(CustomInjCB) F(CheckBox1)
  F(CustomInjTable) F(ATS_type) F(ATStable) F(CTS_type) F(CTStable) F(XTS_type) F(XTStable) F(ATSChart) F(CTSChart)
  F(XTSChart) F(ATSSeries) F(CTSSeries) F(XTSSeries) F(ATSTempLabel) F(CTSTempLabel) F(XTSTempLabel)
  F(ATFailHighSpin) F(ATFailLowSpin) F(ATSubSpin) F(WTFailHighSpin) F(WTFailLowSpin) F(WTSubSpin) F(XTFailHighSpin)
  F(XTFailLowSpin) F(XTSubSpin) F(ATSubLab) F(CTSubLab) F(XTSubLab) F(TPSmax) F(TPSmin) F(MapOffSetEdit)
  F(BaroOffSetEdit) F(AFRinput_table) F(Chart6) F(AFRSeries) F(auxV) F(afrlabel) F(MapSw1) F(MapSw2) F(MapSwitchMeter) F(BoostAdjLoV)
  F(BoostAdjHiV) F(BoostSetLo) F(BoostLevVoltage) F(boostlevel) F(IACVTypeBox) F(StepperSyncRG) F(PWMFreqSpin) F(LF)
  F(IACVWiring)
  F(RF) F(LR) F(RR) F(Options) F(WssGroup) F(WssChanLab) F(WssEnabled) F(WssWheelRoll) F(WssTriggerPoints)
  F(WssSignalType) F(TCoptDrivetrain) F(TCoptSpeedSource) F(LFspeed) F(RFspeed) F(LRspeed) F(RRspeed)
  F(SelectedGear) F(SelectedGear2)
  F(AuxIn10PullupCB) F(AuxIn35PullupCB) F(ComboBox1) F(ComboBox3) F(ComboBox4) F(TachoMultiplier) F(Gear_Enabled)
  F(GearPos_table) F(ComboBox9) F(AbNumSpin1) F(UpdateECUconfiguration1) F(ReadECUconfiguration1)
#undef F
#define H(n) P.Handler(#n, &TSetupForm::n);
  H(FormCreate) H(FormActivate) H(FormCloseQuery) H(TabSetClick) H(ATS_typeClick) H(CTS_typeClick) H(XTS_typeClick)
  H(InstallClick) H(UpdateECUconfiguration1Click) H(ReadECUconfiguration1Click) H(Saveconfigurationtodisk1Click)
  H(Loadconfigurationfromdisk1Click) H(Exittomappingsoftware1Click) H(TriggerChange) H(TriggerClick)
  H(CylindersSpinChange) H(IgnRefAdvanceValueChanged) H(IgnOutputBoxClick) H(OptionCheckClick) H(InjTypeGBClick)
  H(FailSpinChange) H(CalculatorClick) H(TPSChange) H(ValueChange) H(ChoiceChange) H(OffsetChange)
  H(ThresholdChange) H(StepSpinChange) H(IACVTypeBoxChange) H(StepperSyncRGClick) H(PWMFreqSpinChange)
  H(WheelClick) H(WssChange) H(WssClick) H(PullupClick) H(ComboBitChange) H(TachoMultiplierChange)
  H(Gear_EnabledClick) H(ComboBox9Change) H(AbNumSpin1ValueChanged) H(TempTableKeyDown) H(CylOffsetKeyDown)
  H(CustomInjKeyDown) H(AFRTableKeyDown) H(GearTableKeyDown) H(TableKeyUp)
#undef H
}

TAdvSpinEdit* TSetupForm::Spin(const char* name) { return dynamic_cast<TAdvSpinEdit*>(FindComponent(name)); }
TComboBox* TSetupForm::Combo(const char* name) { return dynamic_cast<TComboBox*>(FindComponent(name)); }

// The tab strip names the notebook pages, in page order; the tables get their headings.
void TSetupForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(SetupBook->Pages());
  TabSet->SetTabIndex(SetupBook->PageIndex());
  for (TStringAlignGrid* g : {ATStable, CTStable, XTStable})
    for (int i = 0; i < 14; ++i)
      if (g->Cells(i, 0).empty()) g->SetCells(i, 0, IntToStr(kSensorTableTemperatures[static_cast<size_t>(i)]));
  CylinderOffsetTable->SetCells(0, 0, "Cylinder");
  CylinderOffsetTable->SetCells(1, 0, "Offset");
  for (int c = 1; c <= 4; ++c) CylinderOffsetTable->SetCells(0, c, IntToStr(c));
  const char* const injHeadings[4] = {"Output", "Function", "Reference", "Angle"};
  for (int c = 0; c < 4; ++c) CustomInjTable->SetCells(c, 0, injHeadings[c]);
  for (int k = 1; k <= kInjOutputs; ++k) CustomInjTable->SetCells(0, k, IntToStr(k));
  AFRinput_table->SetCells(0, 1, "Volts");
  AFRinput_table->SetCells(0, 2, "AFR");
  for (int p = 1; p <= 6; ++p) AFRinput_table->SetCells(p, 0, IntToStr(p));
  GearPos_table->SetCells(0, 0, "Gear");
  GearPos_table->SetCells(1, 0, "km/h per 1000");
  for (int g = 1; g <= 8; ++g) GearPos_table->SetCells(0, g, IntToStr(g));
  Chart6->OnGetAxisLabel = [this](TChartAxis* a, TChartSeries* s, int i, AnsiString& t) {
    Chart6GetAxisLabel(a, s, i, t);
  };
  LF->Tag = 1;
  // The map-switch meter reads the input's 10-bit counts.
  TSignalSettings* signal = MapSwitchMeter->SignalSettings();
  signal->SetDigitalFrom(0);
  signal->SetDigitalTo(1023);
  signal->SetValueFrom(0);
  signal->SetValueTo(5);
  signal->SetValueUnit("V");
  signal->SetValueFormat("0.00");
  signal->SetName1("Map switch");
  signal->SetName2("input");
  // Every voltage is a valid switch input: no limit alarm blinks the pointer.
  MapSwitchMeter->SetOptions(MapSwitchMeter->Options() - TVMeterOptions{TVMeterOption::opLimit});
  // The status panel draws its own text colour (white on blue or red); the other panel
  // keeps the bar's.
  SetStatus(StatusText().empty() ? AnsiString("Default ECU settings displayed") : StatusText(), clBtnFace,
            clWindowText);
  StatusBarPro1->Panels()->Items(1)->SetStyle(psOwnerDraw);
  StatusBarPro1->OnDrawPanel = [this](TStatusBarPro* bar, TStatusPanelPro* panel, const TRect& r) {
    TCanvas* c = bar->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(panel->Color());
    c->FillRect(r);
    c->Font()->SetColor(statusTextColor_);
    c->Brush()->SetStyle(bsClear);
    const AnsiString& text = panel->Text();
    c->TextOut(r.Left + (r.Width() - c->TextWidth(text)) / 2, r.Top + (r.Height() - c->TextHeight(text)) / 2, text);
    c->Font()->Assign(bar->Font());
  };
  refreshing_ = false;
}

void TSetupForm::FormActivate(TObject*) {
  if (!ECUConnected || R7Tform1 == nullptr) return;
  try {
    R7Tform1->Send(ecu::ConfigRequestFrame());
    R7Tform1->Send(ecu::StatusRequestFrame());
  } catch (const Exception&) {
    // The line died since the last live packet; the link watchdog reports it within a
    // second, and the settings shown go offline then.
  }
}

void TSetupForm::FormCloseQuery(TObject*, bool& CanClose) {
  if (StatusText() != "User modified settings displayed") return;
  CanClose = MessageDlg("ECU configuration changes have not been saved or sent to the ECU.\r"
                        "Do you want to abandon these changes?",
                        mtConfirmation, {mbYes, mbNo}) == mrYes;
  if (!CanClose) return;
  // Abandoned: the block goes back to the ECU's settings as last read, and the next
  // configuration reply replaces it as a whole.
  ConfigBlock = BlockFromReadCopy(ConfigReadCopy);
  ConfigBlockUnsent = false;
  RefreshConfigDisplay();
  CheckConfigModified();
}

// The window caption names the page shown.
void TSetupForm::TabSetClick(TObject*) {
  SetupBook->SetPageIndex(TabSet->TabIndex());
  const int page = SetupBook->PageIndex();
  if (page >= 0 && page < static_cast<int>(std::size(kPageCaptions))) SetCaption(kPageCaptions[page]);
}

void TSetupForm::InstallClick(TObject*) {
  if (!ECUConnected) {
    MessageDlg("ECU must be connected and powered up to access update files", mtWarning, {mbOK});
    return;
  }
  FlashUpdateForm->ResetForNewFile();
  FlashUpdateForm->ShowModal();
}

void TSetupForm::ConfigDefault() {
  ApplyConfigDefaults(ConfigBlock);
  // Fail-high thresholds start at 768 counts, fail-low ones end at 255 counts.
  for (TAdvSpinEdit* s : {ATFailHighSpin, WTFailHighSpin, XTFailHighSpin}) {
    s->SetMinFloatValue(FailHighVolts(0));
    s->SetMaxFloatValue(FailHighVolts(255));
  }
  for (TAdvSpinEdit* s : {ATFailLowSpin, WTFailLowSpin, XTFailLowSpin}) {
    s->SetMinFloatValue(0);
    s->SetMaxFloatValue(FailLowVolts(255));
  }
}

// --- status ---------------------------------------------------------------------

AnsiString TSetupForm::StatusText() const {
  auto* panels = StatusBarPro1->Panels();
  return panels->Count() > 1 ? panels->Items(1)->Text() : AnsiString();
}

void TSetupForm::SetStatus(const AnsiString& text, TColor face, TColor textColor) {
  auto* panels = StatusBarPro1->Panels();
  while (panels->Count() < 2) panels->Add();
  statusTextColor_ = textColor;
  panels->Items(1)->SetText(text);
  panels->Items(1)->SetColor(face);
  StatusBarPro1->Invalidate();
}

void TSetupForm::ConfigOnline(bool on) {
  online_ = on;
  if (on) SetStatus("Current ECU settings displayed", kStatusBlue, clWhite);
  else SetStatus("Offline ECU settings displayed", clBtnFace, clWindowText);
  // The values read blue while they are the ECU's, grey while offline: every control that
  // shows a field of the block, the choices and ticks included. A table's own font is the
  // one of its value cells; its headings keep theirs.
  const TColor text = on ? clBlue : kOfflineGrey;
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (dynamic_cast<TAdvSpinEdit*>(c) != nullptr || dynamic_cast<TComboBox*>(c) != nullptr ||
        dynamic_cast<TAbNumSpin*>(c) != nullptr || dynamic_cast<TRadioGroup*>(c) != nullptr ||
        dynamic_cast<TCheckBox*>(c) != nullptr || dynamic_cast<TStringAlignGrid*>(c) != nullptr)
      static_cast<TControl*>(c)->Font()->SetColor(text);
  }
  // Unsent changes stay on show as such whatever the link does.
  if (ConfigModified() || ConfigBlockUnsent) CheckConfigModified();
}

void TSetupForm::CheckConfigModified() {
  // A block the ECU may not hold (an unconfirmed upload, a loaded file) is the user's,
  // even where it matches the last copy read.
  if (ConfigModified() || ConfigBlockUnsent) SetStatus("User modified settings displayed", kStatusRed, clWhite);
  else if (ECUConnected) SetStatus("Current ECU settings displayed", kStatusBlue, clWhite);
  else SetStatus("Offline ECU settings displayed", clBtnFace, clWindowText);
}

void TSetupForm::Edited() {
  if (refreshing_) return;
  // Work the ECU has not seen stays in the block when a configuration reply comes in;
  // while an upload waits for its read-back, nothing the user does counts as sent.
  ConfigBlockUnsent = ConfigModified() || ecu::ConfigRequests.UploadUnderWay();
  CheckConfigModified();
}

void TSetupForm::ShowIdentity() {
  const TECUIdentity& id = ECUIdentity;
  auto version = [](uint16_t v) { return FormatFloat("0.00", v / 100.0) + " "; };
  SerialNumberLab->SetCaption(IntToStr(id.SerialNumber) + " ");
  SWVersionLab->SetCaption(version(id.FirmwareVersion));
  HWVersionLab->SetCaption(version(id.HardwareVersion));
  DevVersionLab->SetCaption(version(id.DevelopmentVersion));
  for (TLabel* l : {SerialNumberLab, SWVersionLab, HWVersionLab, DevVersionLab}) l->Font()->SetColor(clBlue);
  DevVersionGroup->SetVisible(id.DevelopmentVersion >= 100);
}

void TSetupForm::ShowLinkLost() {
  SerialNumberLab->SetCaption("xxxxxxxx ");
  for (TLabel* l : {SWVersionLab, HWVersionLab, DevVersionLab}) l->SetCaption("xxxx ");
  for (TLabel* l : {SerialNumberLab, SWVersionLab, HWVersionLab, DevVersionLab}) l->Font()->SetColor(kOfflineGrey);
  MapSwitchMeter->SetColor(kOfflineGrey);
  MapSwitchMeter->SetDigit(0);
  MapSwitchMeter->SetEnabled(false);
}

// --- filling the controls --------------------------------------------------------

void TSetupForm::RefreshConfigDisplay(bool Reply) {
  refreshing_ = true;
  // A reply never rewrites the field being typed in while the user's work stands: work
  // kept unsent in the block (the field's text is part of it), or a number typed and not
  // yet taken. A reply comes each time the window is activated, so the user may well be
  // typing.
  TWinControl* focused = ActiveControl();
  TypingKept typing(focused, Reply && focused != nullptr && (ConfigBlockUnsent || focused->TypingNotTaken()));
  TConfigBlock& b = ConfigBlock;
  MainPatternBox->SetItemIndex(b.CrankTrigger & 0x0F);
  MainTriggerBox->SetItemIndex(b.CrankTrigger >> 4 & 1);
  MainTypeBox->SetItemIndex(b.CrankTrigger >> 5 & 1);
  CamPatternBox->SetItemIndex(b.CamTrigger & 0x0F);
  CamTriggerBox->SetItemIndex(b.CamTrigger >> 4 & 1);
  CamTypeBox->SetItemIndex(b.CamTrigger >> 5 & 1);

  CylindersSpin->SetValue(b.Cylinders);
  IgnRefAdvance->SetValue(b.ReferenceAdvance / 2.0);
  const uint16_t bits = b.OptionBits;
  IgnOutputBox->SetItemIndex(std::min(bits & 7, 3));
  UnevenFiringCheckBox->SetChecked(bits & kUnevenFiring);
  CustomInjCB->SetChecked(bits & kCustomInj);
  InjTypeGB->SetItemIndex(bits & kSequential ? 1 : 0);
  DoubleInjectorsCB->SetChecked(bits & kDoubleInj);
  CheckBox1->SetChecked(bits & kCheckBox1);
  ShowIgnitionOutputLabels();
  IgnOutputBox->Buttons(1)->SetEnabled(SecondIgnitionModeAllowed(b.Cylinders));
  ShowCylinderOffsets();
  ShowInjectionRows();

  for (int s = 0; s < 3; ++s) ShowSensor(s);
  TAdvSpinEdit* const highs[3] = {ATFailHighSpin, WTFailHighSpin, XTFailHighSpin};
  TAdvSpinEdit* const lows[3] = {ATFailLowSpin, WTFailLowSpin, XTFailLowSpin};
  for (int s = 0; s < 3; ++s) {
    highs[s]->SetFloatValue(FailHighVolts(b.SensorFail[s][0]));
    lows[s]->SetFloatValue(FailLowVolts(b.SensorFail[s][1]));
  }

  TPSmax->SetValue(b.TPSMax);
  TPSmin->SetValue(b.TPSMin);
  MapOffSetEdit->SetFloatValue(CountsToVolts(b.MapOffset));
  BaroOffSetEdit->SetFloatValue(CountsToVolts(b.BaroOffset));
  for (const ChoiceField& f : kChoices) {
    TComboBox* box = Combo(f.box);
    box->SetItemIndex(Bytes(b)[f.offset]);
    if (f.panel)
      if (auto* p = dynamic_cast<TPanel*>(FindComponent(f.panel))) p->SetCaption(box->Text());
  }
  for (const ValueField& f : kValues) Spin(f.spin)->SetValue(ReadValue(b, f));
  AuxIn10PullupCB->SetChecked(b.SensorOptions & 0x40);
  AuxIn35PullupCB->SetChecked(b.SensorOptions & 0x80);
  TachoMultiplier->SetFloatValue(config::TachoMultiplier(b.TachoMultiplier));
  ShowAfrTable();
  MapSw1->SetFloatValue(b.MapSwThreshold[0] * kVoltsPerCount8);
  MapSw2->SetFloatValue(b.MapSwThreshold[1] * kVoltsPerCount8);
  MapSwitchSectorUpdate();
  BoostAdjLoV->SetFloatValue(b.BoostAdjLoV * BoostAdjLoV->IncrementFloat());
  BoostAdjHiV->SetFloatValue(b.BoostAdjHiV * BoostAdjHiV->IncrementFloat());
  BoostSetLo->SetFloatValue(b.BoostSetLo * BoostSetLo->IncrementFloat());
  IACVTypeBox->SetItemIndex(b.IACVType & 0x0F);
  ShowIACVPicture();
  StepperSyncRG->SetItemIndex(b.IACVType >> 4 & 3);
  PWMFreqSpin->SetValue(PwmFrequencyHz(b.PWMFrequency));
  ComboBox1->SetItemIndex(b.ComboBits & 1);
  ComboBox3->SetItemIndex(b.ComboBits >> 1 & 1);
  ComboBox4->SetItemIndex(b.ComboBits >> 2 & 1);
  SensorSettingsUpdate();
  Gear_Enabled->SetChecked(b.GearEnabled & 1);
  ShowGears();
  ComboBox9->SetItemIndex(b.ComboBox9Choice & 1);
  AbNumSpin1->SetValue(b.NumSpin1);
  typing.Restore();
  refreshing_ = false;
}

void TSetupForm::ShowCylinderOffsets() {
  const TConfigBlock& b = ConfigBlock;
  const bool uneven = (b.OptionBits & kUnevenFiring) != 0;
  for (int c = 1; c <= 4; ++c)
    CylinderOffsetTable->SetCells(1, c, c <= b.Cylinders || uneven ? Fixed(b.CylinderOffset[c - 1] / 2.0, 1) : "0.0");
  LockGrid(CylinderOffsetTable, uneven);
  ShadeCells(CylinderOffsetTable, 1, 1, 1, 4, uneven);
}

void TSetupForm::ShowInjectionRows() {
  if (ConfigBlock.OptionBits & kCustomInj) return UpdateCustomInjTable();
  // The automatic assignment as it reads, without storing anything.
  TConfigBlock scratch = ConfigBlock;
  const InjOutputRows rows = AssignInjectionOutputs(scratch).Rows;
  for (int k = 0; k < kInjOutputs; ++k) {
    const InjOutputRow& r = rows[static_cast<size_t>(k)];
    CustomInjTable->SetCells(1, k + 1, r.Function);
    CustomInjTable->SetCells(2, k + 1, r.Reference);
    CustomInjTable->SetCells(3, k + 1, r.Angle);
  }
  ShadeCells(CustomInjTable, 1, 3, 1, kInjOutputs, false);
}

void TSetupForm::UpdateCustomInjTable() {
  const InjOutputRows rows = StoredInjectionOutputs(ConfigBlock);
  for (int k = 0; k < kInjOutputs; ++k) {
    const InjOutputRow& r = rows[static_cast<size_t>(k)];
    CustomInjTable->SetCells(1, k + 1, r.Function);
    CustomInjTable->SetCells(2, k + 1, r.Reference);
    CustomInjTable->SetCells(3, k + 1, Fixed(ConfigBlock.CustomInjAngle[k] / 2.0, 1));
  }
  ShadeCells(CustomInjTable, 1, 2, 1, kInjOutputs, false);
  ShadeCells(CustomInjTable, 3, 3, 1, kInjOutputs, (ConfigBlock.OptionBits & kCustomInj) != 0);
}

// One temperature sensor: its table in volts, the grid locked for the built-in curve.
void TSetupForm::ShowSensor(int sensor) {
  TRadioGroup* const types[3] = {ATS_type, CTS_type, XTS_type};
  TStringAlignGrid* const grids[3] = {ATStable, CTStable, XTStable};
  const bool user = (ConfigBlock.SensorOptions >> sensor & 1) != 0;
  types[sensor]->SetItemIndex(user ? 1 : 0);
  TStringAlignGrid* g = grids[sensor];
  const le::U16* table = SensorTable(ConfigBlock, sensor);
  for (int i = 0; i < 14; ++i) g->SetCells(i, 1, Fixed(CountsToVolts(table[i]), 3));
  LockGrid(g, user);
  ShadeCells(g, 0, 13, 1, 1, user);
  ShowSensorCurve(sensor);
  // The substitute temperature in the display unit.
  TAdvSpinEdit* const subs[3] = {ATSubSpin, WTSubSpin, XTSubSpin};
  TLabel* const labels[3] = {ATSubLab, CTSubLab, XTSubLab};
  const bool was = refreshing_;
  refreshing_ = true;
  subs[sensor]->SetMinValue(-40);  // byte 0: -40 in both units
  subs[sensor]->SetMaxValue(Fahrenheit() ? 419 : 215);
  subs[sensor]->SetValue(SubstituteShown(ConfigBlock.SensorFail[sensor][2], Fahrenheit()));
  labels[sensor]->SetCaption(Fahrenheit() ? "Substitute (\xB0""F)" : "Substitute (\xB0""C)");
  refreshing_ = was;
}

void TSetupForm::ShowSensorCurve(int sensor) {
  TChartSeries* const series[3] = {ATSSeries, CTSSeries, XTSSeries};
  TChartSeries* s = series[sensor];
  const bool user = (ConfigBlock.SensorOptions >> sensor & 1) != 0;
  const le::U16* table = SensorTable(ConfigBlock, sensor);
  s->Clear();
  for (size_t i = 0; i < 14; ++i) {
    const int c = kSensorTableTemperatures[i];
    const double x = Fahrenheit() ? c * 9.0 / 5.0 + 32 : c;
    s->AddXY(x, user ? CountsToVolts(table[i]) : kDefaultSensorCurve[i] * kVoltsPerCount8);
  }
}

void TSetupForm::ShowAfrTable() {
  AFRSeries->Clear();
  for (int p = 0; p < 6; ++p) {
    const double volts = CountsToVolts(ConfigBlock.AFRInputCounts[p]);
    const AnsiString afr = Fixed(ConfigBlock.AFRInputRatio[p] / 10.0, 1);
    AFRinput_table->SetCells(p + 1, 1, Fixed(volts, 3));
    AFRinput_table->SetCells(p + 1, 2, afr);
    AFRSeries->AddXY(ConfigBlock.AFRInputRatio[p] / 10.0, volts, afr);
  }
}

void TSetupForm::Chart6GetAxisLabel(TChartAxis* Sender, TChartSeries*, int ValueIndex, AnsiString& LabelText) {
  // The bottom axis reads the table's air-fuel ratios.
  if (Sender == Chart6->BottomAxis() && ValueIndex >= 0 && ValueIndex < 6)
    LabelText = AFRinput_table->Cells(ValueIndex + 1, 2);
}

void TSetupForm::ShowGears() {
  for (int g = 0; g < 8; ++g) {
    // A ratio beyond what the ECU holds is shown as the largest it holds, which is what an
    // upload sends; the block keeps it as read until the user steps it.
    const uint32_t ratio = std::min<uint32_t>(ConfigBlock.GearRatio[g], kMaxGearRatio);
    GearPos_table->SetCells(1, g + 1, Fixed(GearRatioShown(ratio), 1));
  }
}

// --- pages 1 to 3 ----------------------------------------------------------------

void TSetupForm::TriggerChange(TObject* Sender) { TriggerClick(Sender); }

// Each trigger control owns one bit field of its byte; the byte's other bits stay.
void TSetupForm::TriggerClick(TObject* Sender) {
  if (refreshing_) return;
  struct Field {
    TControl* control;
    uint8_t* byte;
    int shift;
    int mask;
  };
  const Field fields[] = {
      {MainPatternBox, &ConfigBlock.CrankTrigger, 0, 0x0F}, {MainTriggerBox, &ConfigBlock.CrankTrigger, 4, 1},
      {MainTypeBox, &ConfigBlock.CrankTrigger, 5, 1},       {CamPatternBox, &ConfigBlock.CamTrigger, 0, 0x0F},
      {CamTriggerBox, &ConfigBlock.CamTrigger, 4, 1},       {CamTypeBox, &ConfigBlock.CamTrigger, 5, 1},
  };
  for (const Field& f : fields) {
    if (Sender != f.control) continue;
    int item = 0;
    if (auto* box = dynamic_cast<TComboBox*>(Sender)) item = box->ItemIndex();
    else if (auto* group = dynamic_cast<TRadioGroup*>(Sender)) item = group->ItemIndex();
    if (item < 0) return;  // nothing chosen: the field stays
    *f.byte = static_cast<uint8_t>((*f.byte & ~(f.mask << f.shift)) | (item & f.mask) << f.shift);
  }
  Edited();
}

void TSetupForm::CylindersSpinChange(TObject*) {
  if (refreshing_) return;
  const int entered = CylindersSpin->Value();
  const int n = AllowedCylinders(entered, ConfigBlock.Cylinders);
  if (n != entered) {
    refreshing_ = true;
    CylindersSpin->SetValue(n);
    refreshing_ = false;
  }
  ConfigBlock.Cylinders = static_cast<uint8_t>(std::clamp(n, 1, 12));
  IgnOutputsCheck();
  InjOutputsCheck();
  Edited();
}

void TSetupForm::IgnOutputsCheck() {
  TConfigBlock& b = ConfigBlock;
  const bool second = SecondIgnitionModeAllowed(b.Cylinders);
  IgnOutputBox->Buttons(1)->SetEnabled(second);
  if (IgnOutputBox->ItemIndex() == 1 && !second) {
    // The engine cannot use a second ignition driver this way: the first mode takes over,
    // with the output functions it sets.
    const bool was = refreshing_;
    refreshing_ = true;
    IgnOutputBox->SetItemIndex(0);
    refreshing_ = was;
    SetIgnitionOutputMode(b, 0);
  } else if (IgnOutputBox->ItemIndex() == 1) {
    // What the second driver mode does with output 6 depends on the count (a third driver
    // for 3, 6 and 8 cylinders): its output functions follow the new count, as shown.
    SetIgnitionOutputMode(b, 1);
  }
  ShowIgnitionOutputLabels();
  EvenFiringOffsets(b);
  ShowCylinderOffsets();
}

void TSetupForm::ShowIgnitionOutputLabels() {
  // What the chosen mode makes of the two outputs, without touching the stored bits.
  TConfigBlock scratch = ConfigBlock;
  const IgnOutputLabels l = SetIgnitionOutputMode(scratch, std::max(IgnOutputBox->ItemIndex(), 0));
  IgnOut5Lab->SetCaption(l.Output1);
  IgnOut6Lab->SetCaption(l.Output2);
}

void TSetupForm::InjOutputsCheck() {
  if (ConfigBlock.OptionBits & kCustomInj) return UpdateCustomInjTable();
  const InjOutputsResult r = AssignInjectionOutputs(ConfigBlock);
  if (r.DoubleInjectorsCleared) {
    const bool was = refreshing_;
    refreshing_ = true;
    DoubleInjectorsCB->SetChecked(false);
    refreshing_ = was;
  }
  ShowInjectionRows();
}

void TSetupForm::IgnRefAdvanceValueChanged(TObject*) {
  if (refreshing_) return;
  ConfigBlock.ReferenceAdvance = static_cast<uint16_t>(std::clamp<int64_t>(Round(IgnRefAdvance->Value() * 2), 0, 65535));
  Edited();
}

void TSetupForm::IgnOutputBoxClick(TObject*) {
  if (refreshing_) return;
  const int item = IgnOutputBox->ItemIndex();
  if (item < 0) return;
  SetIgnitionOutputMode(ConfigBlock, item);
  ShowIgnitionOutputLabels();
  Edited();
}

// Each tick sets its own option bit. Custom injection and double injectors are inputs of
// the automatic injection assignment, so they run it again; uneven firing only unlocks
// the cylinder offsets, and the fourth box only sets its bit.
void TSetupForm::OptionCheckClick(TObject* Sender) {
  if (refreshing_) return;
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  const uint16_t bit = Sender == UnevenFiringCheckBox ? kUnevenFiring
                       : Sender == CustomInjCB        ? kCustomInj
                       : Sender == DoubleInjectorsCB  ? kDoubleInj
                       : Sender == CheckBox1          ? kCheckBox1
                                                      : 0;
  if (box == nullptr || bit == 0) return;
  ConfigBlock.OptionBits = OptionBit(ConfigBlock.OptionBits, bit, box->Checked());
  if (bit == kUnevenFiring) ShowCylinderOffsets();
  if (bit == kCustomInj || bit == kDoubleInj) InjOutputsCheck();
  Edited();
}

void TSetupForm::InjTypeGBClick(TObject*) {
  if (refreshing_) return;
  ConfigBlock.OptionBits = OptionBit(ConfigBlock.OptionBits, kSequential, InjTypeGB->ItemIndex() == 1);
  InjOutputsCheck();
  Edited();
}

// --- tables ----------------------------------------------------------------------

void TSetupForm::TempTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {
  const int step = StepOfKey(Key, Shift);
  if (step == 0) return;
  const int sensor = Sender == ATStable ? 0 : Sender == CTStable ? 1 : 2;
  auto* g = static_cast<TStringAlignGrid*>(Sender);
  if (!(ConfigBlock.SensorOptions >> sensor & 1)) return;
  le::U16* table = SensorTable(ConfigBlock, sensor);
  const TGridRect sel = g->Selection();
  for (int col = std::max(sel.Left, 0); col <= std::min(sel.Right, 13); ++col) {
    table[col] = static_cast<uint16_t>(std::clamp(table[col] + step, 0, 1023));
    g->SetCells(col, 1, Fixed(CountsToVolts(table[col]), 3));
  }
  ShowSensorCurve(sensor);
  Key = 0;
}

void TSetupForm::TableKeyUp(TObject*, WORD&, TShiftState) { Edited(); }

void TSetupForm::CylOffsetKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const int step = StepOfKey(Key, Shift);
  if (step == 0 || !(ConfigBlock.OptionBits & kUnevenFiring)) return;
  const TGridRect sel = CylinderOffsetTable->Selection();
  for (int row = std::max(sel.Top, 1); row <= std::min(sel.Bottom, 4); ++row) {
    le::I16& v = ConfigBlock.CylinderOffset[row - 1];
    v = static_cast<int16_t>(std::clamp(v + step, 0, 1440));
  }
  ShowCylinderOffsets();
  Key = 0;
}

void TSetupForm::CustomInjKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const int step = StepOfKey(Key, Shift);
  if (step == 0 || !(ConfigBlock.OptionBits & kCustomInj)) return;
  const TGridRect sel = CustomInjTable->Selection();
  for (int row = std::max(sel.Top, 1); row <= std::min(sel.Bottom, kInjOutputs); ++row) {
    le::I16& v = ConfigBlock.CustomInjAngle[row - 1];
    v = static_cast<int16_t>(std::clamp(v + step, 0, 1440));
  }
  UpdateCustomInjTable();
  Key = 0;
}

void TSetupForm::AFRTableKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const int step = StepOfKey(Key, Shift);
  if (step == 0) return;
  const TGridRect sel = AFRinput_table->Selection();
  for (int col = std::max(sel.Left, 1); col <= std::min(sel.Right, 6); ++col) {
    if (sel.Top <= 1 && sel.Bottom >= 1) {
      le::U16& c = ConfigBlock.AFRInputCounts[col - 1];
      c = static_cast<uint16_t>(std::clamp(c + step, 0, 1023));
    }
    if (sel.Top <= 2 && sel.Bottom >= 2) {
      uint8_t& r = ConfigBlock.AFRInputRatio[col - 1];
      r = static_cast<uint8_t>(std::clamp(r + step, 0, 255));
    }
  }
  ShowAfrTable();
  Key = 0;
}

void TSetupForm::GearTableKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const int step = StepOfKey(Key, Shift);
  if (step == 0) return;
  // One step moves the shown speed by about a tenth.
  constexpr int kGearStep = 445;
  const TGridRect sel = GearPos_table->Selection();
  for (int row = std::max(sel.Top, 1); row <= std::min(sel.Bottom, 8); ++row) {
    auto& r = ConfigBlock.GearRatio[row - 1];
    r = static_cast<uint32_t>(std::clamp<int64_t>(int64_t{r} + int64_t{step} * kGearStep, 0, kMaxGearRatio));
  }
  ShowGears();
  Key = 0;
}

// --- pages 4 to 6 ----------------------------------------------------------------

void TSetupForm::ATS_typeClick(TObject*) {
  if (refreshing_) return;
  const uint8_t before = ConfigBlock.SensorOptions;
  const bool user = ATS_type->ItemIndex() == 1;
  ConfigBlock.SensorOptions = static_cast<uint8_t>(user ? before | 1 : before & ~1);
  ShowSensor(0);
  // Also called to redraw the curve in new display units: only a change is an edit.
  if (ConfigBlock.SensorOptions != before) Edited();
}

void TSetupForm::CTS_typeClick(TObject*) {
  if (refreshing_) return;
  const uint8_t before = ConfigBlock.SensorOptions;
  const bool user = CTS_type->ItemIndex() == 1;
  ConfigBlock.SensorOptions = static_cast<uint8_t>(user ? before | 2 : before & ~2);
  ShowSensor(1);
  // Also called to redraw the curve in new display units: only a change is an edit.
  if (ConfigBlock.SensorOptions != before) Edited();
}

void TSetupForm::XTS_typeClick(TObject*) {
  if (refreshing_) return;
  const uint8_t before = ConfigBlock.SensorOptions;
  const bool user = XTS_type->ItemIndex() == 1;
  ConfigBlock.SensorOptions = static_cast<uint8_t>(user ? before | 4 : before & ~4);
  ShowSensor(2);
  // Also called to redraw the curve in new display units: only a change is an edit.
  if (ConfigBlock.SensorOptions != before) Edited();
}

void TSetupForm::FailSpinChange(TObject* Sender) {
  if (refreshing_) return;
  TAdvSpinEdit* const spins[3][3] = {{ATFailHighSpin, ATFailLowSpin, ATSubSpin},
                                     {WTFailHighSpin, WTFailLowSpin, WTSubSpin},
                                     {XTFailHighSpin, XTFailLowSpin, XTSubSpin}};
  for (int s = 0; s < 3; ++s) {
    uint8_t* f = ConfigBlock.SensorFail[s];
    if (Sender == spins[s][0]) f[0] = FailHighByte(spins[s][0]->FloatValue());
    if (Sender == spins[s][1]) f[1] = FailLowByte(spins[s][1]->FloatValue());
    if (Sender == spins[s][2]) f[2] = SubstituteByte(spins[s][2]->Value(), Fahrenheit());
  }
  Edited();
}

void TSetupForm::CalculatorClick(TObject* Sender) {
  if (TempCalc == nullptr) return;
  // The label's Tag tells the calculator which sensor table to fill: 0 air, 1 coolant, 2 auxiliary.
  const int sensor = Sender == FindComponent("ATS_calculator")   ? 0
                     : Sender == FindComponent("CTS_calculator") ? 1
                                                                 : 2;
  const char* const names[3] = {"AIR", "COOLANT", "AUX"};
  if (TempCalc->SensorCaption) {
    TempCalc->SensorCaption->SetCaption(names[sensor]);
    TempCalc->SensorCaption->Tag = sensor;
  }
  if (TempCalc->SensorVoltage) TempCalc->SensorVoltage->SetCaption("x.xxx");
  TempCalc->ShowModal();
  refreshing_ = true;
  for (int s = 0; s < 3; ++s) ShowSensor(s);
  refreshing_ = false;
  Edited();
}

// --- pages 8 to 19 ---------------------------------------------------------------

void TSetupForm::TPSChange(TObject* Sender) {
  if (refreshing_) return;
  if (Sender == TPSmax) SetThrottleMaximum(ConfigBlock, static_cast<uint16_t>(std::clamp(TPSmax->Value(), 0, 1023)));
  else SetThrottleMinimum(ConfigBlock, static_cast<uint16_t>(std::clamp(TPSmin->Value(), 0, 1023)));
  Edited();
}

void TSetupForm::ValueChange(TObject* Sender) {
  if (refreshing_) return;
  for (const ValueField& f : kValues)
    if (Sender == FindComponent(f.spin)) WriteValue(ConfigBlock, f, static_cast<TAdvSpinEdit*>(Sender)->Value());
  Edited();
}

void TSetupForm::ChoiceChange(TObject* Sender) {
  if (refreshing_) return;
  for (const ChoiceField& f : kChoices) {
    auto* box = Combo(f.box);
    if (Sender != box) continue;
    Bytes(ConfigBlock)[f.offset] = static_cast<uint8_t>(std::max(box->ItemIndex(), 0));
    if (f.panel)
      if (auto* p = dynamic_cast<TPanel*>(FindComponent(f.panel))) p->SetCaption(box->Text());
  }
  Edited();
}

void TSetupForm::OffsetChange(TObject* Sender) {
  if (refreshing_) return;
  auto* spin = static_cast<TAdvSpinEdit*>(Sender);
  const int counts = std::clamp(VoltsToCounts(spin->FloatValue()), -1023, 1023);
  (Sender == MapOffSetEdit ? ConfigBlock.MapOffset : ConfigBlock.BaroOffset) = static_cast<int16_t>(counts);
  // The spin shows the whole count the block holds once its value is settled (a step, or
  // the box left); a number still being typed stays as typed.
  if (spin->Text() == FloatToStrF(spin->FloatValue(), ffFixed, 15, spin->Precision())) {
    refreshing_ = true;
    spin->SetFloatValue(CountsToVolts(counts));
    refreshing_ = false;
  }
  Edited();
}

void TSetupForm::ThresholdChange(TObject* Sender) {
  if (refreshing_) return;
  const int k = Sender == MapSw1 ? 0 : 1;
  ConfigBlock.MapSwThreshold[k] = ThresholdByte(static_cast<TAdvSpinEdit*>(Sender)->FloatValue());
  MapSwitchSectorUpdate();
  Edited();
}

void TSetupForm::MapSwitchSectorUpdate() {
  const int t1 = ConfigBlock.MapSwThreshold[0] * 4, t2 = ConfigBlock.MapSwThreshold[1] * 4;
  const bool off = t1 == 0 || t2 == 0;
  TSectorSettings* sectors = MapSwitchMeter->SectorSettings();
  // Map 1 below the first threshold, map 2 up to the second, map 3 above; no fourth.
  const int bounds[5] = {0, t1, t2, 1023, 1023};
  for (int k = 1; k <= 4; ++k) {
    sectors->SetSectorFrom(k, off ? 1023 : bounds[k - 1]);
    sectors->SetSectorTo(k, off ? 1023 : bounds[k]);
  }
}

void TSetupForm::ShowLiveReadings() {
  // Inputs 1 to 10 are the auxiliary inputs; anything else has no reading.
  auto counts = [](int input) -> std::optional<int> {
    if (input < 1 || input > 10) return std::nullopt;
    return LiveSlow.AuxInput[static_cast<size_t>(input - 1)];
  };
  // Slow byte 49: the gear less one in the low nibble, the wheel in the high one.
  for (TLabel* l : {SelectedGear, SelectedGear2}) l->SetCaption(IntToStr((LiveSlow.GearWheel & 0x0F) + 1));
  // The wheel the packet names shows its speed.
  const int wheel = LiveSlow.GearWheel >> 4 & 0x0F;
  if (wheel <= 3) {
    TLabel* const speeds[4] = {LFspeed, RFspeed, LRspeed, RRspeed};
    const double scale = Settings.SpeedUnit == 1 ? 3.6 : 2.25;
    speeds[wheel]->SetCaption(Fixed(LiveSlow.WheelSpeed / 256.0 * scale, 1));
  }
  switch (SetupBook->PageIndex()) {
    case 11:
      if (const auto c = counts(ConfigBlock.AFRInputSource)) {
        auxV->SetCaption(Fixed(CountsToVolts(*c), 3));
        afrlabel->SetCaption(Fixed(LiveFast.AFR / 10.0, 1));
      } else {
        auxV->SetCaption("x.xxx");
        afrlabel->SetCaption("xx.x");
      }
      break;
    case 12:
      if (const auto c = counts(ConfigBlock.MapSwSource)) {
        if (!MapSwitchMeter->Enabled()) MapSwitchSectorUpdate();
        MapSwitchMeter->SetColor(clWhite);
        MapSwitchMeter->SetEnabled(true);
        MapSwitchMeter->SetDigit(*c);
      } else {
        MapSwitchMeter->SetColor(kOfflineGrey);
        MapSwitchMeter->SetDigit(0);
        MapSwitchMeter->SetEnabled(false);
      }
      break;
    case 13: {
      const auto c = counts(ConfigBlock.BoostAdjChan);
      BoostLevVoltage->SetCaption(c ? Fixed(CountsToVolts(*c), 3) : AnsiString("xxx"));
      boostlevel->SetCaption(Fixed(LiveSlow.Duty48 * 0.390625, 1));
      break;
    }
    default: break;
  }
}

void TSetupForm::StepSpinChange(TObject* Sender) {
  if (refreshing_) return;
  auto* spin = static_cast<TAdvSpinEdit*>(Sender);
  const double step = spin->IncrementFloat() > 0 ? spin->IncrementFloat() : 1.0;
  const auto v = static_cast<uint8_t>(std::clamp<int64_t>(Round(spin->FloatValue() / step), 0, 255));
  (Sender == BoostAdjLoV ? ConfigBlock.BoostAdjLoV : Sender == BoostAdjHiV ? ConfigBlock.BoostAdjHiV : ConfigBlock.BoostSetLo) = v;
  Edited();
}

void TSetupForm::IACVTypeBoxChange(TObject*) {
  ShowIACVPicture();
  if (refreshing_) return;
  ConfigBlock.IACVType = static_cast<uint8_t>((ConfigBlock.IACVType & 0xF0) | (std::max(IACVTypeBox->ItemIndex(), 0) & 0x0F));
  Edited();
}

void TSetupForm::StepperSyncRGClick(TObject*) {
  if (refreshing_) return;
  ConfigBlock.IACVType =
      static_cast<uint8_t>((ConfigBlock.IACVType & ~0x30) | (std::max(StepperSyncRG->ItemIndex(), 0) & 3) << 4);
  Edited();
}

void TSetupForm::PWMFreqSpinChange(TObject*) {
  if (refreshing_) return;
  ConfigBlock.PWMFrequency = PwmFrequencyByte(PWMFreqSpin->Value());
  Edited();
}

void TSetupForm::PullupClick(TObject* Sender) {
  if (refreshing_) return;
  auto* box = dynamic_cast<TCheckBox*>(Sender);
  if (box == nullptr) return;
  const uint8_t bit = box == AuxIn10PullupCB ? 0x40 : 0x80;
  const bool on = box->Checked();
  ConfigBlock.SensorOptions = static_cast<uint8_t>(on ? ConfigBlock.SensorOptions | bit : ConfigBlock.SensorOptions & ~bit);
  Edited();
}

void TSetupForm::ComboBitChange(TObject* Sender) {
  if (refreshing_) return;
  auto* box = dynamic_cast<TComboBox*>(Sender);
  if (box == nullptr) return;
  const uint8_t bit = box == ComboBox1 ? 1 : box == ComboBox3 ? 2 : 4;
  const bool second = box->ItemIndex() == 1;
  ConfigBlock.ComboBits = static_cast<uint8_t>(second ? ConfigBlock.ComboBits | bit : ConfigBlock.ComboBits & ~bit);
  Edited();
}

void TSetupForm::TachoMultiplierChange(TObject*) {
  if (refreshing_) return;
  ConfigBlock.TachoMultiplier = TachoByte(TachoMultiplier->FloatValue());
  Edited();
}

void TSetupForm::Gear_EnabledClick(TObject*) {
  if (refreshing_) return;
  ConfigBlock.GearEnabled = static_cast<uint8_t>((ConfigBlock.GearEnabled & ~1) | Gear_Enabled->Checked());
  Edited();
}

void TSetupForm::ComboBox9Change(TObject*) {
  if (refreshing_) return;
  ConfigBlock.ComboBox9Choice =
      static_cast<uint8_t>((ConfigBlock.ComboBox9Choice & ~1) | (std::max(ComboBox9->ItemIndex(), 0) & 1));
  Edited();
}

void TSetupForm::AbNumSpin1ValueChanged(TObject*) {
  if (refreshing_) return;
  ConfigBlock.NumSpin1 = static_cast<uint8_t>(std::clamp<int64_t>(Round(AbNumSpin1->Value()), 0, 255));
  Edited();
}

// --- wheel speed sensors -----------------------------------------------------------

namespace {
le::U16& WheelRoll(TConfigBlock& b, int w) {
  return w == 1 ? b.WssWheelRoll1 : w == 2 ? b.WssWheelRoll2 : w == 3 ? b.WssWheelRoll3 : b.WssWheelRoll4;
}
uint8_t& WheelTrigger(TConfigBlock& b, int w) {
  return w == 1 ? b.WssTriggerPoints1 : w == 2 ? b.WssTriggerPoints2 : w == 3 ? b.WssTriggerPoints3 : b.WssTriggerPoints4;
}
uint8_t& WheelEnabledByte(TConfigBlock& b, int w) {
  return w == 1 ? b.Wss1Options : w == 2 ? b.Wss2Enabled : w == 3 ? b.Wss3Enabled : b.Wss4Enabled;
}
}  // namespace

void TSetupForm::WheelClick(TObject* Sender) {
  LF->Tag = Sender == LF ? 1 : Sender == RF ? 2 : Sender == LR ? 3 : Sender == RR ? 4 : 0;
  const bool was = refreshing_;
  refreshing_ = true;
  SensorSettingsUpdate();
  refreshing_ = was;
}

void TSetupForm::SensorSettingsUpdate() {
  const int w = static_cast<int>(LF->Tag);
  const bool options = w == 0;
  for (TControl* c : std::initializer_list<TControl*>{WssChanLab, WssEnabled, WssWheelRoll, WssTriggerPoints,
                                                      FindComponent("WssRollLab") ? static_cast<TControl*>(FindComponent("WssRollLab")) : nullptr,
                                                      FindComponent("WssTrigLab") ? static_cast<TControl*>(FindComponent("WssTrigLab")) : nullptr})
    if (c) c->SetVisible(!options);
  for (TControl* c : std::initializer_list<TControl*>{WssSignalType, TCoptDrivetrain, TCoptSpeedSource}) c->SetVisible(options);
  WssGroup->SetCaption(options ? "Options" : "Sensor settings");
  TConfigBlock& b = ConfigBlock;
  if (options) {
    WssSignalType->SetItemIndex(b.Wss1Options >> 1 & 1);
    TCoptDrivetrain->SetItemIndex(b.Wss1Options >> 2 & 3);
    TCoptSpeedSource->SetItemIndex(b.Wss1Options >> 4 & 3);
    return;
  }
  WssChanLab->SetCaption("channel " + IntToStr(w));
  WssEnabled->SetChecked(WheelEnabledByte(b, w) & 1);
  WssWheelRoll->SetValue(WheelRoll(b, w));
  WssTriggerPoints->SetValue(WheelTrigger(b, w));
}

void TSetupForm::WSS_update() {
  TConfigBlock& b = ConfigBlock;
  const int w = static_cast<int>(LF->Tag);
  bool enabled[5] = {false, (b.Wss1Options & 1) != 0, (b.Wss2Enabled & 1) != 0, (b.Wss3Enabled & 1) != 0,
                     (b.Wss4Enabled & 1) != 0};
  int signal = b.Wss1Options >> 1 & 1, drivetrain = b.Wss1Options >> 2 & 3, source = b.Wss1Options >> 4 & 3;
  if (w == 0) {
    signal = std::max(WssSignalType->ItemIndex(), 0);
    drivetrain = std::max(TCoptDrivetrain->ItemIndex(), 0);
    source = std::max(TCoptSpeedSource->ItemIndex(), 0);
  } else {
    enabled[w] = WssEnabled->Checked();
    WheelRoll(b, w) = static_cast<uint16_t>(std::clamp(WssWheelRoll->Value(), 0, 65535));
    WheelTrigger(b, w) = static_cast<uint8_t>(std::clamp(WssTriggerPoints->Value(), 0, 255));
  }
  b.Wss1Options = static_cast<uint8_t>(enabled[1] + signal * 2 + drivetrain * 4 + source * 16);
  b.Wss2Enabled = enabled[2] ? 1 : 0;
  b.Wss3Enabled = enabled[3] ? 1 : 0;
  b.Wss4Enabled = enabled[4] ? 1 : 0;
}

void TSetupForm::WssChange(TObject*) {
  if (refreshing_) return;
  WSS_update();
  Edited();
}

void TSetupForm::WssClick(TObject*) { WssChange(nullptr); }
