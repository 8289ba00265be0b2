#pragma once
// The data logger: eight channels of live values recorded into its trend recorder, by
// hand or by trigger, with value read-outs at the cursor; logs saved to and loaded from
// ".lg1"/".lg2" file pairs.
#include <array>

#include "platform/rtl/DateUtils.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbTrend;
class TAbAnalogGControl;
class TAdvSpinEdit;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TLabel;
class TMainMenu;
class TMenuItem;
class TNotebook;
class TScrollBar;
class TSpeedButton;
class TTabSet;

class TLoggerForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLoggerForm"; }
  static void Publish(TClassProps<TLoggerForm>& P);

  TNotebook* LoggerBook = nullptr;
  TTabSet* TabSet = nullptr;
  // Page "Logger".
  TAbTrend* DataPlotter = nullptr;
  TAbAnalogGControl *AbValueInd1 = nullptr, *AbValueInd2 = nullptr, *AbValueInd3 = nullptr,
                    *AbValueInd4 = nullptr, *AbValueInd5 = nullptr, *AbValueInd6 = nullptr,
                    *AbValueInd7 = nullptr, *AbValueInd8 = nullptr;
  TCheckBox *CheckBoxCh1 = nullptr, *CheckBoxCh2 = nullptr, *CheckBoxCh3 = nullptr, *CheckBoxCh4 = nullptr,
            *CheckBoxCh5 = nullptr, *CheckBoxCh6 = nullptr, *CheckBoxCh7 = nullptr, *CheckBoxCh8 = nullptr;
  TAdvSpinEdit* ScaleChanSpin = nullptr;
  TLabel *TimeStamp = nullptr, *Offset = nullptr;
  TCheckBox* Scroll = nullptr;
  TScrollBar* ScrollBar1 = nullptr;
  TSpeedButton *SpeedButton5 = nullptr, *SpeedButton6 = nullptr, *SpeedButton7 = nullptr,
               *SpeedButton8 = nullptr, *SpeedButton9 = nullptr;
  // Page "Options".
  TComboBox *Chan1Lab = nullptr, *Chan2Lab = nullptr, *Chan3Lab = nullptr, *Chan4Lab = nullptr,
            *Chan5Lab = nullptr, *Chan6Lab = nullptr, *Chan7Lab = nullptr, *Chan8Lab = nullptr;
  TLabel *Chan1Unit = nullptr, *Chan2Unit = nullptr, *Chan3Unit = nullptr, *Chan4Unit = nullptr,
         *Chan5Unit = nullptr, *Chan6Unit = nullptr, *Chan7Unit = nullptr, *Chan8Unit = nullptr;
  TComboBox *StartChan = nullptr, *StartLogic = nullptr, *StopChan = nullptr, *StopLogic = nullptr;
  TAdvSpinEdit *StartVal = nullptr, *StopVal = nullptr;
  TLabel *StartLab = nullptr, *StopLab = nullptr;
  TCheckBox* StartRecording = nullptr;
  TMainMenu* MainMenu1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void TabSetClick(TObject* Sender);
  void StartRecordingClick(TObject* Sender);
  void Chan1LabChange(TObject* Sender);
  void Chan2LabChange(TObject* Sender);
  void Chan3LabChange(TObject* Sender);
  void Chan4LabChange(TObject* Sender);
  void Chan5LabChange(TObject* Sender);
  void Chan6LabChange(TObject* Sender);
  void Chan7LabChange(TObject* Sender);
  void Chan8LabChange(TObject* Sender);
  void StartChanChange(TObject* Sender);
  void StopChanChange(TObject* Sender);
  void StartValChange(TObject* Sender);
  void StopValChange(TObject* Sender);
  void CheckBoxChClick(TObject* Sender);
  void ScaleChanSpinChange(TObject* Sender);
  void ScrollClick(TObject* Sender);
  void ScrollBar1Scroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);
  void ScrollBar1Change(TObject* Sender);
  void SpeedButton5Click(TObject* Sender);
  void SpeedButton6Click(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);
  void SpeedButton8Click(TObject* Sender);
  void SpeedButton9Click(TObject* Sender);
  void DataPlotterInterval(TObject* Sender);
  void DataPlotterNewCursorPos(TObject* Sender);
  void DataPlotterMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void DataPlotterRecNoChanged(TObject* Sender);
  void Savetofile1Click(TObject* Sender);
  void LoadLogfile1Click(TObject* Sender);
  void ExportCSV1Click(TObject* Sender);
  void RetrievefromECU1Click(TObject* Sender);
  void Auxinput1Table1Click(TObject* Sender);

  // Applies channel n's function (1..8) to its read-out and trend channel.
  void ApplyChannel(int n);
  // Refreshes the trigger rows from the channel functions and copies them into
  // LoggerSettings.
  void LoggerSSUpdate();
  // Rewrites the stored samples for a change of display units, then redraws.
  void ConvertUnits(bool OldFormat, bool Temperature, int OldPressure, int SpeedDirection, int NewPressure,
                    int TargetTemperature, bool Speed, bool Pressure);

  TComboBox* ChannelCombo(int n) const;
  TAbAnalogGControl* Readout(int n) const;
  TCheckBox* ChannelBox(int n) const;

 private:
  void SetTriggerRow(TComboBox* chan, TComboBox* logic, TAdvSpinEdit* value, TLabel* unit);
  void ShowLogCaption(const AnsiString& caption);
  void ShowScrollPage();
  bool updating_triggers_ = false;
};

extern TLoggerForm* LoggerForm;

// The logger window's caption for the log in use ("Data Logger", or the file's name),
// with " ...New Data!" once samples were recorded since it was cleared, saved or loaded.
extern AnsiString LoggerCaption;
// The reference time of the elapsed-time read-out; 0 until the cursor first finds a record.
extern TDateTime CursorTimeRef;

// Texts of the logger window.
inline constexpr const char* kLogOverwriteQuestion = ") already exists!, Overwrite it?";
inline constexpr const char* kLogSaveError = "Error saving log file";
inline constexpr const char* kLogLoadError = "Cannot load file!";
inline constexpr const char* kLogClearQuestion = "Clear all logger data?, Confirm";
