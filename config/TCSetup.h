#pragma once
// The traction-control settings, page by page: wheel speed sensors with the road-speed
// dial and a lamp per wheel, control inputs, the gear position table, traction control
// with the slip bars, launch control with the clutch and launch switches, flat shift and
// gear position. A layout only: nothing here is stored or sent to the ECU (the wheel-speed
// and gear settings that reach the ECU are edited in the configuration editor), and no
// reading reaches the gauges, which rest at their first values.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAb270Meter;
class TAbBar;
class TAbLED;
class TAbToggleSwitch;
class TAbNumSpin;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TLabel;
class TMainMenu;
class TMenuItem;
class TNotebook;
class TRadioGroup;
class TSpeedButton;
class TStringAlignGrid;
class TTabSet;

class TTCSetupForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TTCSetupForm"; }
  static void Publish(TClassProps<TTCSetupForm>& P);

  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TNotebook* TCSetupBook = nullptr;
  TTabSet* TabSet = nullptr;

  // Wheel speed sensors.
  TSpeedButton *LF = nullptr, *RF = nullptr, *LR = nullptr, *RR = nullptr, *Options = nullptr;
  TGroupBox* SensorGroup = nullptr;
  TLabel* WssChanLab = nullptr;
  TCheckBox* WssEnabled = nullptr;
  TLabel *WssWheelRollLab = nullptr, *WssTriggerPointsLab = nullptr, *WssSignalTypeLab = nullptr;
  TAbNumSpin* WssWheelRoll = nullptr;
  TAbNumSpin* WssTriggerPoints = nullptr;
  TComboBox* WssSignalType = nullptr;
  TLabel *TCoptDrivetrainLab = nullptr, *TCoptSpeedSourceLab = nullptr;
  TComboBox* TCoptDrivetrain = nullptr;
  TComboBox* TCoptSpeedSource = nullptr;
  TAb270Meter* TC_speedo = nullptr;
  TRadioGroup* SpeedOption = nullptr;
  // One lamp under each wheel's button: that wheel's sensor signal.
  TAbLED *LFLED = nullptr, *RFLED = nullptr, *RRLED = nullptr, *LRLED = nullptr;

  // Traction control: the slip detected and the slip set.
  TAbBar *AbBar1 = nullptr, *AbBar2 = nullptr;
  // Launch control: the clutch switch and the launch button.
  TAbToggleSwitch *AbToggleSwitch1 = nullptr, *AbToggleSwitch2 = nullptr;

  // Control inputs: the box switches the seven controls below it on and off.
  TCheckBox* CheckBox6 = nullptr;
  TLabel *CtlLabel1 = nullptr, *CtlLabel2 = nullptr, *CtlLabel3 = nullptr;
  TComboBox *CtlInput1 = nullptr, *CtlInput2 = nullptr, *CtlInput3 = nullptr;
  TCheckBox* CtlInvert = nullptr;

  TStringAlignGrid* GearPos_table = nullptr;

  // Gear position.
  TComboBox* GPInput = nullptr;
  TAbNumSpin* GPErrorAllowed = nullptr;
  TAbNumSpin* GPTimer = nullptr;
  TComboBox* GPCutType = nullptr;
  TAbNumSpin* GPCutTimer = nullptr;

  // The tab strip takes the notebook's page names; the first wheel is chosen.
  void FormCreate(TObject* Sender);
  // Shows the chosen page and names it in the caption.
  void TabSetClick(TObject* Sender);
  // A wheel button down: its number (1..4) is kept in LF's Tag and the group shows that
  // wheel's controls.
  void LFClick(TObject* Sender);
  void RFClick(TObject* Sender);
  void LRClick(TObject* Sender);
  void RRClick(TObject* Sender);
  // "Options" down: no wheel chosen; the group shows the drivetrain and speed source.
  void OptionsClick(TObject* Sender);
  void CheckBox6Click(TObject* Sender);
  void Exit1Click(TObject* Sender);

  // The controls' change handlers: with nothing stored they have nothing to do.
  void SensorSettingsUpdate();
  void WssEnabledClick(TObject*) {}
  void WssWheelRollChange(TObject*) {}
  void WssTriggerPointsChange(TObject*) {}
  void WssSignalTypeChange(TObject*) {}
  void TCoptDrivetrainChange(TObject*) {}
  void TCoptSpeedSourceChange(TObject*) {}
  void SpeedOptionClick(TObject*) {}
  void GearPos_tableKeyDown(TObject*, WORD&, TShiftState) {}
  void GPInputChange(TObject*) {}
  void GPErrorAllowedValueChanged(TObject*) {}
  void GPTimerValueChanged(TObject*) {}
  void GPCutTypeChange(TObject*) {}
  void GPCutTimerValueChanged(TObject*) {}

 private:
  void ChooseWheel(TSpeedButton* button, int wheel);
  // Shows the per-wheel controls (true) or the option controls (false).
  void ShowWheelControls(bool wheel);
};

extern TTCSetupForm* TCSetupForm;
