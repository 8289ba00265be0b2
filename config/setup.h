#pragma once
// The configuration editor: shows and edits ConfigBlock page by page. Every control
// writes its field at once and the status panel says whether the block shown is the
// ECU's, an offline copy or modified by the user. Its menu uploads the block, reads the
// ECU's and keeps it in configuration files (setupfiles.cpp).
#include <vector>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Keys.h"

class TAbNumSpin;
class TAbVMeter;
class TAdvSpinEdit;
class TBitBtn;
class TButton;
class TChart;
class TChartAxis;
class TChartSeries;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TImage;
class TLabel;
class TMenuItem;
class TNotebook;
class TPanel;
class TRadioGroup;
class TStatusBarPro;
class TStringAlignGrid;
class TTabSet;
struct TConfigBlock;

class TSetupForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSetupForm"; }
  static void Publish(TClassProps<TSetupForm>& P);

  TNotebook* SetupBook = nullptr;
  TTabSet* TabSet = nullptr;
  TStatusBarPro* StatusBarPro1 = nullptr;
  TBitBtn* InstallUpdate = nullptr;
  // Page 0: the ECU's identity.
  TLabel* SerialNumberLab = nullptr;
  TLabel* SWVersionLab = nullptr;
  TLabel* HWVersionLab = nullptr;
  TLabel* DevVersionLab = nullptr;
  TGroupBox* DevVersionGroup = nullptr;
  // Pages 1-3: triggers, ignition and injection outputs.
  TComboBox* MainPatternBox = nullptr;
  TRadioGroup* MainTriggerBox = nullptr;
  TRadioGroup* MainTypeBox = nullptr;
  TComboBox* CamPatternBox = nullptr;
  TRadioGroup* CamTriggerBox = nullptr;
  TRadioGroup* CamTypeBox = nullptr;
  TAdvSpinEdit* CylindersSpin = nullptr;
  TAbNumSpin* IgnRefAdvance = nullptr;
  TRadioGroup* IgnOutputBox = nullptr;
  TLabel* IgnOut5Lab = nullptr;
  TLabel* IgnOut6Lab = nullptr;
  TCheckBox* UnevenFiringCheckBox = nullptr;
  TStringAlignGrid* CylinderOffsetTable = nullptr;
  TRadioGroup* InjTypeGB = nullptr;
  TCheckBox* DoubleInjectorsCB = nullptr;
  TCheckBox* CustomInjCB = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TStringAlignGrid* CustomInjTable = nullptr;
  // Pages 4-6: the temperature sensors.
  TRadioGroup* ATS_type = nullptr;
  TStringAlignGrid* ATStable = nullptr;
  TRadioGroup* CTS_type = nullptr;
  TStringAlignGrid* CTStable = nullptr;
  TRadioGroup* XTS_type = nullptr;
  TStringAlignGrid* XTStable = nullptr;
  TChart* ATSChart = nullptr;
  TChart* CTSChart = nullptr;
  TChart* XTSChart = nullptr;
  TChartSeries* ATSSeries = nullptr;
  TChartSeries* CTSSeries = nullptr;
  TChartSeries* XTSSeries = nullptr;
  TLabel* ATSTempLabel = nullptr;
  TLabel* CTSTempLabel = nullptr;
  TLabel* XTSTempLabel = nullptr;
  TAdvSpinEdit* ATFailHighSpin = nullptr;
  TAdvSpinEdit* ATFailLowSpin = nullptr;
  TAdvSpinEdit* ATSubSpin = nullptr;
  TAdvSpinEdit* WTFailHighSpin = nullptr;
  TAdvSpinEdit* WTFailLowSpin = nullptr;
  TAdvSpinEdit* WTSubSpin = nullptr;
  TAdvSpinEdit* XTFailHighSpin = nullptr;
  TAdvSpinEdit* XTFailLowSpin = nullptr;
  TAdvSpinEdit* XTSubSpin = nullptr;
  TLabel* ATSubLab = nullptr;
  TLabel* CTSubLab = nullptr;
  TLabel* XTSubLab = nullptr;
  // Pages 8-13: throttle, pressure sensors, lambda input, map switch, boost adjust.
  TAdvSpinEdit* TPSmax = nullptr;
  TAdvSpinEdit* TPSmin = nullptr;
  TAdvSpinEdit* MapOffSetEdit = nullptr;
  TAdvSpinEdit* BaroOffSetEdit = nullptr;
  TStringAlignGrid* AFRinput_table = nullptr;
  TChart* Chart6 = nullptr;
  TChartSeries* AFRSeries = nullptr;
  TLabel* auxV = nullptr;
  TLabel* afrlabel = nullptr;
  TAdvSpinEdit* MapSw1 = nullptr;
  TAdvSpinEdit* MapSw2 = nullptr;
  TAbVMeter* MapSwitchMeter = nullptr;
  TAdvSpinEdit* BoostAdjLoV = nullptr;
  TAdvSpinEdit* BoostAdjHiV = nullptr;
  TAdvSpinEdit* BoostSetLo = nullptr;
  TLabel* BoostLevVoltage = nullptr;
  TLabel* boostlevel = nullptr;
  // Page 14: idle valve.
  TComboBox* IACVTypeBox = nullptr;
  TRadioGroup* StepperSyncRG = nullptr;
  // The wiring picture of the chosen valve type (setupiacv.cpp).
  TImage* IACVWiring = nullptr;
  TAdvSpinEdit* PWMFreqSpin = nullptr;
  // Page 15: wheel speed sensors; the wheel shown is kept in LF's tag (0: options).
  TButton* LF = nullptr;
  TButton* RF = nullptr;
  TButton* LR = nullptr;
  TButton* RR = nullptr;
  TButton* Options = nullptr;
  TGroupBox* WssGroup = nullptr;
  TLabel* WssChanLab = nullptr;
  TCheckBox* WssEnabled = nullptr;
  TAdvSpinEdit* WssWheelRoll = nullptr;
  TAdvSpinEdit* WssTriggerPoints = nullptr;
  TRadioGroup* WssSignalType = nullptr;
  TRadioGroup* TCoptDrivetrain = nullptr;
  TRadioGroup* TCoptSpeedSource = nullptr;
  TLabel* LFspeed = nullptr;
  TLabel* RFspeed = nullptr;
  TLabel* LRspeed = nullptr;
  TLabel* RRspeed = nullptr;
  // The gear the ECU reports, on the gear page and beside the wheel speeds.
  TLabel* SelectedGear = nullptr;
  TLabel* SelectedGear2 = nullptr;
  // Pages 16-19: inputs, outputs, gears, datalink.
  TCheckBox* AuxIn10PullupCB = nullptr;
  TCheckBox* AuxIn35PullupCB = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TComboBox* ComboBox3 = nullptr;
  TComboBox* ComboBox4 = nullptr;
  TAdvSpinEdit* TachoMultiplier = nullptr;
  TCheckBox* Gear_Enabled = nullptr;
  TStringAlignGrid* GearPos_table = nullptr;
  TComboBox* ComboBox9 = nullptr;
  TAbNumSpin* AbNumSpin1 = nullptr;
  TMenuItem* UpdateECUconfiguration1 = nullptr;
  TMenuItem* ReadECUconfiguration1 = nullptr;

  void FormCreate(TObject* Sender);
  // Asks the ECU for its configuration and identity.
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void TabSetClick(TObject* Sender);
  void ATS_typeClick(TObject* Sender);
  void CTS_typeClick(TObject* Sender);
  void XTS_typeClick(TObject* Sender);
  // Opens the firmware-update window while the ECU is linked.
  void InstallClick(TObject* Sender);

  // The menu: setupfiles.cpp.
  void UpdateECUconfiguration1Click(TObject* Sender);
  void ReadECUconfiguration1Click(TObject* Sender);
  void Saveconfigurationtodisk1Click(TObject* Sender);
  void Loadconfigurationfromdisk1Click(TObject* Sender);
  void Exittomappingsoftware1Click(TObject* Sender);

  // Control handlers: each writes its field, then re-evaluates the status.
  void TriggerChange(TObject* Sender);
  void TriggerClick(TObject* Sender);
  void CylindersSpinChange(TObject* Sender);
  void IgnRefAdvanceValueChanged(TObject* Sender);
  void IgnOutputBoxClick(TObject* Sender);
  void OptionCheckClick(TObject* Sender);
  void InjTypeGBClick(TObject* Sender);
  void FailSpinChange(TObject* Sender);
  void CalculatorClick(TObject* Sender);
  void TPSChange(TObject* Sender);
  void ValueChange(TObject* Sender);
  void ChoiceChange(TObject* Sender);
  void OffsetChange(TObject* Sender);
  void ThresholdChange(TObject* Sender);
  void StepSpinChange(TObject* Sender);
  void IACVTypeBoxChange(TObject* Sender);
  void ShowIACVPicture();
  void StepperSyncRGClick(TObject* Sender);
  void PWMFreqSpinChange(TObject* Sender);
  void WheelClick(TObject* Sender);
  void WssChange(TObject* Sender);
  void WssClick(TObject* Sender);
  void PullupClick(TObject* Sender);
  void ComboBitChange(TObject* Sender);
  void TachoMultiplierChange(TObject* Sender);
  void Gear_EnabledClick(TObject* Sender);
  void ComboBox9Change(TObject* Sender);
  void AbNumSpin1ValueChanged(TObject* Sender);
  // Table keys: Up or plus raises, Down or minus lowers the selected cells by a step (ten
  // with Shift); the key-up re-evaluates the status.
  void TempTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void CylOffsetKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void CustomInjKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void AFRTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void GearTableKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void TableKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void Chart6GetAxisLabel(TChartAxis* Sender, TChartSeries* Series, int ValueIndex, AnsiString& LabelText);

  void ConfigDefault();
  // Fills every control from ConfigBlock with the change handlers muted.
  // Reply: filled after a configuration reply, which leaves the field the user is typing
  // in as it is.
  void RefreshConfigDisplay(bool Reply = false);
  // The status after a configuration reply (on) or a lost link (off).
  void ConfigOnline(bool on);
  // Compares ConfigBlock with ConfigReadCopy and says so in the status panel.
  void CheckConfigModified();
  // The ECU's identity from the last status packet.
  void ShowIdentity();
  // The link is lost: no identity and no live input to show.
  void ShowLinkLost();
  // An upload ended without the ECU showing it holds what was sent: the block stays
  // unsent and the tuner is told to read the ECU's settings back.
  void UploadUnfinished();
  // The cylinder count changed: the second ignition mode only where the count allows it,
  // and the even-firing cylinder offsets.
  void IgnOutputsCheck();
  // The two output labels of the chosen ignition output mode.
  void ShowIgnitionOutputLabels();
  void InjOutputsCheck();
  void UpdateCustomInjTable();
  void SensorSettingsUpdate();
  // The map-switch meter's sectors from the two thresholds.
  void MapSwitchSectorUpdate();
  // The live inputs of the lambda, map-switch and boost-adjust pages, from the last
  // slow packet.
  void ShowLiveReadings();
  void WSS_update();
  // The status panel's text.
  AnsiString StatusText() const;

 private:
  friend struct SetupFiles;
  // A user's change: the block differs from the ECU's copy or not.
  void Edited();
  void SetStatus(const AnsiString& text, TColor face, TColor textColor);
  void ShowSensor(int sensor);
  void ShowSensorCurve(int sensor);
  void ShowAfrTable();
  void ShowCylinderOffsets();
  void ShowGears();
  void ShowInjectionRows();
  TAdvSpinEdit* Spin(const char* name);
  TComboBox* Combo(const char* name);
  // Mutes the change handlers while controls are filled from the block (and while the
  // form is read: controls report their first values as changes).
  bool refreshing_ = true;
  bool online_ = false;
  TColor statusTextColor_ = clWindowText;
};

extern TSetupForm* SetupForm;
