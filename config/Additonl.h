#pragma once
// The additional-tables window: eighteen notebook pages of tables and settings kept in the current map record.
#include "model/AdditionalTables.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbNumSpin;
class TAbVMeter;
class TAdvEdit;
class TAdvSpinEdit;
class TButton;
class TMenuItem;
class TPopupMenu;
class TChart;
class TCheckBox;
class TComboBox;
class TFastLineSeries;
class TLabel;
class TNotebook;
class TPanel;
class TRadioGroup;
class TScrollBar;
class TShape;
class TGroupBox;
class TStringAlignGrid;
class TTabSet;

class TAdditionalMaps : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAdditionalMaps"; }
  static void Publish(TClassProps<TAdditionalMaps>& P);

  TNotebook* AdditionalBook = nullptr;
  TStringAlignGrid* BattCompTable = nullptr;
  TChart* BattCompChart = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* BoostFunction = nullptr;
  TCheckBox* BoostMaxCB = nullptr;
  TLabel* Label2 = nullptr;
  TAbNumSpin* BoostMinDuty = nullptr;
  TLabel* Label3 = nullptr;
  TAbNumSpin* BoostMaxDuty = nullptr;
  TStringAlignGrid* BoostPWMTable = nullptr;
  TStringAlignGrid* BoostTargetTable = nullptr;
  TStringAlignGrid* CoilOnTable = nullptr;
  TStringAlignGrid* CylTrims_table = nullptr;
  TStringAlignGrid* EGT_table = nullptr;
  TStringAlignGrid* IACVPosMap_table = nullptr;
  TStringAlignGrid* IdleFuelMap_table = nullptr;
  TStringAlignGrid* InjTimingTable = nullptr;
  TStringAlignGrid* MapTable = nullptr;
  TStringAlignGrid* BaroTable = nullptr;
  TStringAlignGrid* RpmCorr_table = nullptr;
  TStringAlignGrid* PWMTable = nullptr;
  TLabel* Label4 = nullptr;
  TAdvSpinEdit* Func1UpperAdj = nullptr;
  TLabel* Label5 = nullptr;
  TAdvSpinEdit* Func1LowerAdj = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TStringAlignGrid* VVT_table = nullptr;
  TStringAlignGrid* VVTcontrol_table = nullptr;
  TTabSet* TabSet = nullptr;
  TFastLineSeries* BattCompSeries1 = nullptr;
  TFastLineSeries* BattCompSeries2 = nullptr;
  // Controls the main window fills from the map record.
  TStringAlignGrid* AccelTempScale = nullptr;
  TStringAlignGrid* AppliedAccelTemp_table = nullptr;
  TStringAlignGrid* AccelRPMScale = nullptr;
  TStringAlignGrid* AppliedAccelRPM_table = nullptr;
  TAdvSpinEdit* AccelEnrich = nullptr;
  TAdvSpinEdit* AccelClamp = nullptr;
  TAdvSpinEdit* AccelDecay = nullptr;
  TAdvSpinEdit* AccelRate = nullptr;
  TAdvSpinEdit* AccelTPS = nullptr;
  TCheckBox* CheckBox4 = nullptr;
  TCheckBox* CheckBox5 = nullptr;
  TCheckBox* CheckBox6 = nullptr;
  TAbNumSpin* AbNumSpin1 = nullptr;
  TAbNumSpin* AbNumSpin2 = nullptr;
  TAbNumSpin* AbNumSpin3 = nullptr;
  TAbNumSpin* AbNumSpin4 = nullptr;
  TAbNumSpin* AbNumSpin5 = nullptr;
  TAbNumSpin* AbNumSpin6 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TRadioGroup* CompType = nullptr;
  TStringAlignGrid* AirBoostLimit_table = nullptr;
  TStringAlignGrid* CoolantBoostLimit_table = nullptr;
  TStringAlignGrid* AuxBoostLimit_table = nullptr;
  TStringAlignGrid* BoostGearTable = nullptr;
  TAdvSpinEdit* BoostControlLimit = nullptr;
  TAdvSpinEdit* BoostFreq = nullptr;
  TAdvSpinEdit* Boost_Rate = nullptr;
  TAdvSpinEdit* BoostP = nullptr;
  TAdvSpinEdit* BoostI = nullptr;
  TAdvSpinEdit* BoostD = nullptr;
  TAdvSpinEdit* BoostCutTime = nullptr;
  TAdvSpinEdit* CoilOnTimeCrank = nullptr;
  TAdvSpinEdit* Double2Size = nullptr;
  TAdvSpinEdit* Double1Limit = nullptr;
  TCheckBox* DoubleForce = nullptr;
  TAdvSpinEdit* DoubleLoad = nullptr;
  TLabel* DoubleLabel1 = nullptr;
  TAdvSpinEdit* DoubleSpeed = nullptr;
  TLabel* DoubleLabel2 = nullptr;
  TAdvSpinEdit* Double1AfterSize = nullptr;
  TLabel* DoubleLabel3 = nullptr;
  TLabel* DoubleLabel4 = nullptr;
  TCheckBox* DoubleRichCross = nullptr;
  TCheckBox* EGTEnabled = nullptr;
  TStringAlignGrid* Flat_Table = nullptr;
  TCheckBox* Flat_enabled = nullptr;
  TAdvSpinEdit* Flat_TPS = nullptr;
  TComboBox* Flat_type = nullptr;
  TAdvSpinEdit* Flat_advance = nullptr;
  TAdvSpinEdit* Flat_delay = nullptr;
  TAdvSpinEdit* Flat_RPM = nullptr;
  TAdvSpinEdit* Flat_MinRpm = nullptr;
  TAdvSpinEdit* IACVStartPosValue = nullptr;
  TAdvSpinEdit* CF_edit = nullptr;
  TButton* CFlab = nullptr;
  TAdvSpinEdit* CP_edit = nullptr;
  TButton* CPlab = nullptr;
  TAdvSpinEdit* CTP_edit = nullptr;
  TButton* CTPlab = nullptr;
  // Taken into the map when the tuner leaves it, not digit by digit.
  TAdvEdit* mspbEdit = nullptr;
  // The injection scaling's new injector and pressure (not kept in the map) and its choices.
  TAdvSpinEdit* NF_edit = nullptr;
  TButton* NFlab = nullptr;
  TAdvSpinEdit* NP_edit = nullptr;
  TButton* NPlab = nullptr;
  TAdvSpinEdit* NTP_edit = nullptr;
  TButton* NTPlab = nullptr;
  TCheckBox* calc_FR_Check = nullptr;
  TCheckBox* calc_FP_check = nullptr;
  TCheckBox* AutoscaleCheck = nullptr;
  TAdvSpinEdit* MapMaxEdit = nullptr;
  TButton* calculate = nullptr;
  TLabel* EstimateLab = nullptr;
  TStringAlignGrid* CoolantTempMarker = nullptr;
  TAdvSpinEdit* PWMFreq = nullptr;
  TCheckBox* Func1Enable = nullptr;
  TComboBox* Func1TempType = nullptr;
  TAbNumSpin* Func1UpperTemp = nullptr;
  TAbNumSpin* Func1LowerTemp = nullptr;
  TAdvSpinEdit* TSVtecONRPM = nullptr;
  TAdvSpinEdit* TSVtecONTPS = nullptr;
  TAdvSpinEdit* TSVtecOFFRPM = nullptr;
  TAdvSpinEdit* TSVtecOFFTPS = nullptr;
  TAdvSpinEdit* VVT_mapoffset = nullptr;
  TAdvSpinEdit* VVTdelay = nullptr;
  // The boost page's sub-panels and the tab strip that chooses one.
  TTabSet* TabSet2 = nullptr;
  TPanel* BoostPage0 = nullptr;
  TPanel* BoostPage1 = nullptr;
  TPanel* BoostPage2 = nullptr;
  TPanel* BoostPage3 = nullptr;
  TPanel* BoostPage4 = nullptr;
  // The accel page's sub-panels, its tab strip and the live accel meter with its peaks.
  TTabSet* TabSet1 = nullptr;
  TPanel* AccelPage1 = nullptr;
  TPanel* AccelPage2 = nullptr;
  TPanel* AccelPage3 = nullptr;
  TAbVMeter* AbVMeter1 = nullptr;
  TLabel* Label76 = nullptr;
  TLabel* Label21 = nullptr;
  // Page 1's live readings: the clutch switch and the ECU's five output states.
  TGroupBox* LiveReadings = nullptr;
  TLabel* ClutchText = nullptr;
  TShape* OutputShape1 = nullptr;
  TShape* OutputShape2 = nullptr;
  TShape* OutputShape3 = nullptr;
  TShape* OutputShape4 = nullptr;
  TShape* OutputShape5 = nullptr;
  TLabel* OutputText1 = nullptr;
  TLabel* OutputText2 = nullptr;
  TLabel* OutputText3 = nullptr;
  TLabel* OutputText4 = nullptr;
  TLabel* OutputText5 = nullptr;
  TLabel* EGTNote = nullptr;
  // Scrolls the VVT control table; the table's own scrolling moves it back.
  TScrollBar* VVT_ScrollBar = nullptr;
  // Boost settings in the display pressure unit.
  TAdvSpinEdit* BoostMaxTPS = nullptr;
  TAbNumSpin* BoostCut = nullptr;
  TAbNumSpin* AbNumEdit1 = nullptr;
  TAbNumSpin* AbNumEdit2 = nullptr;
  TLabel* BoostCutUnit = nullptr;
  TLabel* BoostDiff1Unit = nullptr;
  TLabel* BoostDiff2Unit = nullptr;
  TAbNumSpin* EGTwarning = nullptr;
  TLabel* EGTWarnUnit = nullptr;
  // Load-axis names of the 32 x 5 tables and the load-sensor menu of their column 0.
  TLabel* CoilOnLoadLabel = nullptr;
  TLabel* InjPosLoadLabel = nullptr;
  TLabel* LoadLabel = nullptr;
  TLabel* VVTloadlabel = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* Throttlepot1 = nullptr;
  TMenuItem* MAP1 = nullptr;
  TMenuItem* Loadsitepositions1 = nullptr;
  TPopupMenu* CylTrimsPopup = nullptr;
  TButton* Ignitiontrim = nullptr;
  TButton* Injectionclick = nullptr;
  // Unit texts the main window sets for the display units.
  TLabel* AccelTempLabel = nullptr;
  TLabel* BoostTempLabel = nullptr;
  TLabel* IACVTempLabel = nullptr;
  TLabel* VVTTempLabel = nullptr;
  TLabel* Func1UpperTempUnit = nullptr;
  TLabel* Func1LowerTempUnit = nullptr;
  TLabel* Func1TempRange = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormResize(TObject* Sender);
  // F1..F12 choose pages 0..11; other keys go on to the focused control.
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void TabSetClick(TObject* Sender);
  void TabSet1Click(TObject* Sender);
  void TabSet2Click(TObject* Sender);
  void BoostFunctionChange(TObject* Sender);
  void BoostMaxCBClick(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void UpdateCoilOnLoad();
  void UpdatePWMLoad();
  void UpdateVVTload();
  void UpdateInjPosLoad();
  void UpdateCylTrimSites();

  // Live data of the ECU link, drawn with the main window's live displays: the accel meter
  // and clutch text from the fast packet, the output states from the slow one; all emptied
  // when the link is lost.
  void ShowFastLive();
  void ShowSlowLive();
  void ShowLinkLost();
  // A fast packet's accel value has come: it counts towards the meter's peaks whether or
  // not a drawing shows the packet itself.
  void MeterValueReceived();
  // Once a second while the meter is on screen: its peak markers start again. While the ECU
  // streams, the next drawing still shows the values that came before, and the drawing after
  // it those of the new second alone.
  void ResetMeterPeaks();
  void VVT_ScrollBarChange(TObject* Sender);

  // Load-sensor menu of the 32 x 5 tables.
  void PopupMenu1Popup(TObject* Sender);
  void Throttlepot1Click(TObject* Sender);
  void MAP1Click(TObject* Sender);
  void Loadsitepositions1Click(TObject* Sender);
  void Positionspeedsites1Click(TObject* Sender);
  void IgnitiontrimClick(TObject* Sender);
  void InjectionclickClick(TObject* Sender);
  void LoadAxisGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // A right click in the cylinder trims opens their menu ("Position speed sites").
  void CylTrimsGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // Injection scaling (page "Injection Scaling").
  void RefreshScalingPage();
  void ShowPowerEstimate();
  void calc_FR_CheckClick(TObject* Sender);
  void calc_FP_checkClick(TObject* Sender);
  void AutoscaleCheckClick(TObject* Sender);
  void CFlabClick(TObject* Sender);
  void CPlabClick(TObject* Sender);
  void CTPlabClick(TObject* Sender);
  void NFlabClick(TObject* Sender);
  void NPlabClick(TObject* Sender);
  void NTPlabClick(TObject* Sender);
  void calculateClick(TObject* Sender);

  // Redraws the cells of a 32 x 5 table from the current map (record columns and rows).
  void ShowAddTableCells(TAddTableId id, const TCellWrites& writes);
  TStringAlignGrid* AddTableGrid(TAddTableId id) const;
  // Shows the boost pressure entries in the display unit with their limits and steps.
  void ShowBoostPressures();
  // The table of the current page that the load-sensor menu acts on.
  int LoadMenuTable() const;

  // Re-applies what the ticks and choices switch on or off, after the controls were filled.
  void ApplyEnabledStates();
  // True while the controls are filled from the record: their handlers store nothing.
  bool Filling() const;
  // Connects every setting control's change to its field of the current map.
  void BindSettings();
  void BindTableKeys();

  // Sets or clears one bit of a flag byte, leaving the other bits.
  static void StoreBit(uint8_t& byte, int bit, bool on);
  // A small table editable (window colour, selection drawn) or not (inactive colour).
  static void ShowTableEnabled(TStringAlignGrid* grid, bool on);
  // The chart points of battery-compensation row r (1..10) from the record.
  void ShowBatteryPoint(int r);

  // The working values of the injection scaling (not stored in the map).
  bool NewFlowLb = false, NewPressureBar = false, NewRatedBar = false;

 private:
  void RestartMeterPeaks();
  bool snapping_ = false, showing_pressures_ = false, filling_ = false, calculating_ = false;
  // The lowest and highest of some accel values, if any came.
  struct ValueRange {
    bool any = false;
    float lowest = 0, highest = 0;
    void Add(float value);
  };
  // The clock asked for a restart that no drawing has shown yet.
  bool peaks_reset_due_ = false;
  // The last drawing showed the second that ended; the next one starts the peaks again.
  bool peaks_restart_next_ = false;
  // The values that came since the meter was last drawn.
  ValueRange undrawn_;
  // The values that came since the clock's restart, which belong to the new second: those
  // not yet taken in by a drawing, and those the drawing that showed the second that ended
  // hands on to the new peaks.
  ValueRange since_restart_, carried_;
};

extern TAdditionalMaps* AdditionalMaps;
