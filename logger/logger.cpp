#include "logger/logger.h"

#include <algorithm>
#include <cmath>

#include "model/ChannelFunctions.h"
#include "app/Main.h"
#include "model/Settings.h"
#include "config/loadfiles.h"
#include "controls/AdvSpin.h"
#include "controls/ApOpenDlg.h"
#include "link/LiveData.h"
#include "logger/AbTrend.h"
#include "files/LogFiles.h"
#include "logger/LoggerExport.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"

TLoggerForm* LoggerForm = nullptr;
AnsiString LoggerCaption = "Data Logger";
TDateTime CursorTimeRef = 0;

namespace {

constexpr const char* kLogFilter = "R7T log files|*.lg1";
constexpr int kMinClientWidth = 636, kMinClientHeight = 414;

const char* ValueFormatFor(int decimals) { return decimals <= 0 ? "####0" : decimals == 1 ? "###0.0" : "##0.00"; }

int ScaleFor(int decimals) { return decimals <= 0 ? 1 : decimals == 1 ? 10 : 100; }

// The value range in an order the range setters take: an end that equals the other end
// of the old range would otherwise be refused and leave the old range in place.
void SetRange(TSignalSettings* s, float from, float to) {
  if (from >= s->ValueTo()) {
    s->SetValueTo(to);
    s->SetValueFrom(from);
  } else {
    s->SetValueFrom(from);
    s->SetValueTo(to);
  }
}

// A function index a channel selector may hold.
int FunctionOf(const TComboBox* combo) {
  const int f = combo != nullptr ? combo->ItemIndex() : 0;
  return f >= 0 && f < kChannelFunctionSlots ? f : 0;
}

AnsiString FolderOf(const AnsiString& file) { return ExtractFilePath(file); }

}  // namespace

void TLoggerForm::Publish(TClassProps<TLoggerForm>& P) {
  P.Field("LoggerBook", &TLoggerForm::LoggerBook)
      .Field("TabSet", &TLoggerForm::TabSet)
      .Field("DataPlotter", &TLoggerForm::DataPlotter)
      .Field("AbValueInd1", &TLoggerForm::AbValueInd1)
      .Field("AbValueInd2", &TLoggerForm::AbValueInd2)
      .Field("AbValueInd3", &TLoggerForm::AbValueInd3)
      .Field("AbValueInd4", &TLoggerForm::AbValueInd4)
      .Field("AbValueInd5", &TLoggerForm::AbValueInd5)
      .Field("AbValueInd6", &TLoggerForm::AbValueInd6)
      .Field("AbValueInd7", &TLoggerForm::AbValueInd7)
      .Field("AbValueInd8", &TLoggerForm::AbValueInd8)
      .Field("CheckBoxCh1", &TLoggerForm::CheckBoxCh1)
      .Field("CheckBoxCh2", &TLoggerForm::CheckBoxCh2)
      .Field("CheckBoxCh3", &TLoggerForm::CheckBoxCh3)
      .Field("CheckBoxCh4", &TLoggerForm::CheckBoxCh4)
      .Field("CheckBoxCh5", &TLoggerForm::CheckBoxCh5)
      .Field("CheckBoxCh6", &TLoggerForm::CheckBoxCh6)
      .Field("CheckBoxCh7", &TLoggerForm::CheckBoxCh7)
      .Field("CheckBoxCh8", &TLoggerForm::CheckBoxCh8)
      .Field("ScaleChanSpin", &TLoggerForm::ScaleChanSpin)
      .Field("TimeStamp", &TLoggerForm::TimeStamp)
      .Field("Offset", &TLoggerForm::Offset)
      .Field("Scroll", &TLoggerForm::Scroll)
      .Field("ScrollBar1", &TLoggerForm::ScrollBar1)
      .Field("SpeedButton5", &TLoggerForm::SpeedButton5)
      .Field("SpeedButton6", &TLoggerForm::SpeedButton6)
      .Field("SpeedButton7", &TLoggerForm::SpeedButton7)
      .Field("SpeedButton8", &TLoggerForm::SpeedButton8)
      .Field("SpeedButton9", &TLoggerForm::SpeedButton9)
      .Field("Chan1Lab", &TLoggerForm::Chan1Lab)
      .Field("Chan2Lab", &TLoggerForm::Chan2Lab)
      .Field("Chan3Lab", &TLoggerForm::Chan3Lab)
      .Field("Chan4Lab", &TLoggerForm::Chan4Lab)
      .Field("Chan5Lab", &TLoggerForm::Chan5Lab)
      .Field("Chan6Lab", &TLoggerForm::Chan6Lab)
      .Field("Chan7Lab", &TLoggerForm::Chan7Lab)
      .Field("Chan8Lab", &TLoggerForm::Chan8Lab)
      .Field("Chan1Unit", &TLoggerForm::Chan1Unit)
      .Field("Chan2Unit", &TLoggerForm::Chan2Unit)
      .Field("Chan3Unit", &TLoggerForm::Chan3Unit)
      .Field("Chan4Unit", &TLoggerForm::Chan4Unit)
      .Field("Chan5Unit", &TLoggerForm::Chan5Unit)
      .Field("Chan6Unit", &TLoggerForm::Chan6Unit)
      .Field("Chan7Unit", &TLoggerForm::Chan7Unit)
      .Field("Chan8Unit", &TLoggerForm::Chan8Unit)
      .Field("StartChan", &TLoggerForm::StartChan)
      .Field("StartLogic", &TLoggerForm::StartLogic)
      .Field("StartVal", &TLoggerForm::StartVal)
      .Field("StartLab", &TLoggerForm::StartLab)
      .Field("StopChan", &TLoggerForm::StopChan)
      .Field("StopLogic", &TLoggerForm::StopLogic)
      .Field("StopVal", &TLoggerForm::StopVal)
      .Field("StopLab", &TLoggerForm::StopLab)
      .Field("StartRecording", &TLoggerForm::StartRecording)
      .Field("MainMenu1", &TLoggerForm::MainMenu1)
      .Handler("FormCreate", &TLoggerForm::FormCreate)
      .Handler("FormResize", &TLoggerForm::FormResize)
      .Handler("FormKeyDown", &TLoggerForm::FormKeyDown)
      .Handler("TabSetClick", &TLoggerForm::TabSetClick)
      .Handler("StartRecordingClick", &TLoggerForm::StartRecordingClick)
      .Handler("Chan1LabChange", &TLoggerForm::Chan1LabChange)
      .Handler("Chan2LabChange", &TLoggerForm::Chan2LabChange)
      .Handler("Chan3LabChange", &TLoggerForm::Chan3LabChange)
      .Handler("Chan4LabChange", &TLoggerForm::Chan4LabChange)
      .Handler("Chan5LabChange", &TLoggerForm::Chan5LabChange)
      .Handler("Chan6LabChange", &TLoggerForm::Chan6LabChange)
      .Handler("Chan7LabChange", &TLoggerForm::Chan7LabChange)
      .Handler("Chan8LabChange", &TLoggerForm::Chan8LabChange)
      .Handler("StartChanChange", &TLoggerForm::StartChanChange)
      .Handler("StopChanChange", &TLoggerForm::StopChanChange)
      .Handler("StartValChange", &TLoggerForm::StartValChange)
      .Handler("StopValChange", &TLoggerForm::StopValChange)
      .Handler("CheckBoxChClick", &TLoggerForm::CheckBoxChClick)
      .Handler("ScaleChanSpinChange", &TLoggerForm::ScaleChanSpinChange)
      .Handler("ScrollClick", &TLoggerForm::ScrollClick)
      .Handler("ScrollBar1Scroll", &TLoggerForm::ScrollBar1Scroll)
      .Handler("ScrollBar1Change", &TLoggerForm::ScrollBar1Change)
      .Handler("SpeedButton5Click", &TLoggerForm::SpeedButton5Click)
      .Handler("SpeedButton6Click", &TLoggerForm::SpeedButton6Click)
      .Handler("SpeedButton7Click", &TLoggerForm::SpeedButton7Click)
      .Handler("SpeedButton8Click", &TLoggerForm::SpeedButton8Click)
      .Handler("SpeedButton9Click", &TLoggerForm::SpeedButton9Click)
      .Handler("DataPlotterInterval", &TLoggerForm::DataPlotterInterval)
      .Handler("DataPlotterNewCursorPos", &TLoggerForm::DataPlotterNewCursorPos)
      .Handler("DataPlotterMouseUp", &TLoggerForm::DataPlotterMouseUp)
      .Handler("DataPlotterRecNoChanged", &TLoggerForm::DataPlotterRecNoChanged)
      .Handler("Savetofile1Click", &TLoggerForm::Savetofile1Click)
      .Handler("LoadLogfile1Click", &TLoggerForm::LoadLogfile1Click)
      .Handler("ExportCSV1Click", &TLoggerForm::ExportCSV1Click)
      .Handler("RetrievefromECU1Click", &TLoggerForm::RetrievefromECU1Click)
      .Handler("Auxinput1Table1Click", &TLoggerForm::Auxinput1Table1Click);
}

TComboBox* TLoggerForm::ChannelCombo(int n) const {
  TComboBox* const c[8] = {Chan1Lab, Chan2Lab, Chan3Lab, Chan4Lab, Chan5Lab, Chan6Lab, Chan7Lab, Chan8Lab};
  return n >= 1 && n <= 8 ? c[n - 1] : nullptr;
}

TAbAnalogGControl* TLoggerForm::Readout(int n) const {
  TAbAnalogGControl* const r[8] = {AbValueInd1, AbValueInd2, AbValueInd3, AbValueInd4,
                                   AbValueInd5, AbValueInd6, AbValueInd7, AbValueInd8};
  return n >= 1 && n <= 8 ? r[n - 1] : nullptr;
}

TCheckBox* TLoggerForm::ChannelBox(int n) const {
  TCheckBox* const b[8] = {CheckBoxCh1, CheckBoxCh2, CheckBoxCh3, CheckBoxCh4,
                           CheckBoxCh5, CheckBoxCh6, CheckBoxCh7, CheckBoxCh8};
  return n >= 1 && n <= 8 ? b[n - 1] : nullptr;
}

void TLoggerForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(LoggerBook->Pages());
  TabSet->SetTabIndex(LoggerBook->PageIndex());
  CursorTimeRef = 0;
}

void TLoggerForm::FormResize(TObject*) {
  if (ClientWidth() < kMinClientWidth || ClientHeight() < kMinClientHeight)
    SetClientSize(std::max(ClientWidth(), kMinClientWidth), std::max(ClientHeight(), kMinClientHeight));
  ShowScrollPage();
}

// F1..F8 belong to the main window; F4 only brings it forward.
void TLoggerForm::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  if (Key < VK_F1 || Key > VK_F8 || R7Tform1 == nullptr) return;
  R7Tform1->SetFocus();
  if (Key != VK_F4) R7Tform1->FormKeyDown(R7Tform1, Key, Shift);
}

void TLoggerForm::TabSetClick(TObject*) {
  LoggerBook->SetPageIndex(TabSet->TabIndex());
  SetCaption(TabSet->TabIndex() == 0 ? LoggerCaption : AnsiString("Data Logger - Options"));
}

// "Enabled" lets logging start. Clearing it while logging stops the recorder as well as
// the lamp, so the trend's own timer does not go on adding records once the lamp says
// logging is off.
void TLoggerForm::StartRecordingClick(TObject*) {
  const bool enabled = StartRecording->Checked();
  if (!enabled && LoggingActive) {
    if (R7Tform1 != nullptr) R7Tform1->StopLogging();
    else {
      LoggingActive = false;
      DataPlotter->SetStartRecording(false);
    }
  }
  LoggerSettings.Enabled = enabled;
  if (R7Tform1 != nullptr) R7Tform1->ArmTriggerTimer();
}

// ---- channels ----

void TLoggerForm::ApplyChannel(int n) {
  TComboBox* combo = ChannelCombo(n);
  TLabel* const units[8] = {Chan1Unit, Chan2Unit, Chan3Unit, Chan4Unit, Chan5Unit, Chan6Unit, Chan7Unit, Chan8Unit};
  TLabel* unit = units[n - 1];
  const int f = FunctionOf(combo);
  const size_t i = static_cast<size_t>(f);
  LoggerSettings.Channels[n] = f;
  unit->SetCaption(ChannelFunctionUnit[i]);
  const int s = ScaleFor(ChannelFunctionDecimals[i]);
  const float from = static_cast<float>(ChannelFunctionFrom[i]), to = static_cast<float>(ChannelFunctionTo[i]);
  const AnsiString format = ValueFormatFor(ChannelFunctionDecimals[i]);
  auto apply = [&](TSignalSettings* sig) {
    sig->SetName1(combo->Text());
    sig->SetValueUnit(unit->Caption());
    SetRange(sig, from, to);
    sig->SetDigitalTo(ChannelFunctionTo[i] * s);
    sig->SetDigitalFrom(ChannelFunctionFrom[i] * s);
    sig->SetValueFormat(format);
  };
  if (TAbAnalogGControl* r = Readout(n)) apply(r->SignalSettings());
  apply(DataPlotter->Channel(n));
  LoggerSSUpdate();
}

void TLoggerForm::Chan1LabChange(TObject*) { ApplyChannel(1); }
void TLoggerForm::Chan2LabChange(TObject*) { ApplyChannel(2); }
void TLoggerForm::Chan3LabChange(TObject*) { ApplyChannel(3); }
void TLoggerForm::Chan4LabChange(TObject*) { ApplyChannel(4); }
void TLoggerForm::Chan5LabChange(TObject*) { ApplyChannel(5); }
void TLoggerForm::Chan6LabChange(TObject*) { ApplyChannel(6); }
void TLoggerForm::Chan7LabChange(TObject*) { ApplyChannel(7); }
void TLoggerForm::Chan8LabChange(TObject*) { ApplyChannel(8); }

void TLoggerForm::SetTriggerRow(TComboBox* chan, TComboBox* logic, TAdvSpinEdit* value, TLabel* unit) {
  const int c = chan->ItemIndex();
  if (c < 1) {
    unit->SetCaption("");
    logic->SetEnabled(false);
    value->SetEnabled(false);
    return;
  }
  logic->SetEnabled(true);
  value->SetEnabled(true);
  const size_t f = static_cast<size_t>(FunctionOf(ChannelCombo(c)));
  unit->SetCaption(ChannelFunctionUnit[f]);
  const int decimals = ChannelFunctionDecimals[f];
  double v = value->FloatValue();
  if (decimals < value->Precision()) v = std::trunc(v);
  value->SetPrecision(decimals);
  const double lo = ChannelFunctionFrom[f], hi = ChannelFunctionTo[f];
  value->SetMinFloatValue(lo);
  value->SetMaxFloatValue(hi);
  value->SetIncrementFloat(decimals <= 0 ? 1 : decimals == 1 ? 0.1 : 0.01);
  if (v > hi) v = (hi - lo) / 2;
  if (v < lo) v = lo;
  value->SetFloatValue(v);
}

void TLoggerForm::LoggerSSUpdate() {
  if (updating_triggers_) return;
  updating_triggers_ = true;
  SetTriggerRow(StartChan, StartLogic, StartVal, StartLab);
  SetTriggerRow(StopChan, StopLogic, StopVal, StopLab);
  updating_triggers_ = false;
  LoggerSettings.StartChan = std::max(0, StartChan->ItemIndex());
  LoggerSettings.StartLogic = std::max(0, StartLogic->ItemIndex());
  LoggerSettings.StartValue = StartVal->FloatValue();
  LoggerSettings.StopChan = std::max(0, StopChan->ItemIndex());
  LoggerSettings.StopLogic = std::max(0, StopLogic->ItemIndex());
  LoggerSettings.StopValue = StopVal->FloatValue();
  // The main window's trigger timer runs only while a trigger channel is chosen.
  if (R7Tform1 != nullptr) R7Tform1->ArmTriggerTimer();
}

void TLoggerForm::StartChanChange(TObject*) { LoggerSSUpdate(); }
void TLoggerForm::StopChanChange(TObject*) { LoggerSSUpdate(); }
void TLoggerForm::StartValChange(TObject*) { LoggerSettings.StartValue = StartVal->FloatValue(); }
void TLoggerForm::StopValChange(TObject*) { LoggerSettings.StopValue = StopVal->FloatValue(); }

void TLoggerForm::CheckBoxChClick(TObject* Sender) {
  for (int n = 1; n <= 8; ++n)
    if (Sender == ChannelBox(n)) DataPlotter->Channel(n)->SetVisible(ChannelBox(n)->Checked());
}

void TLoggerForm::ScaleChanSpinChange(TObject*) {
  const int ch = ScaleChanSpin->Value();
  if (ch >= 1 && ch <= 8) DataPlotter->SetAbsScaleCh(ch);
}

void TLoggerForm::ScrollClick(TObject*) { DataPlotter->SetFlow(Scroll->Checked()); }

void TLoggerForm::SpeedButton8Click(TObject*) { DataPlotter->ZoomIn(); }
void TLoggerForm::SpeedButton6Click(TObject*) { DataPlotter->ZoomOut(); }
void TLoggerForm::SpeedButton7Click(TObject*) { DataPlotter->ResetZoom(); }
void TLoggerForm::SpeedButton5Click(TObject*) { DataPlotter->MoveOffset(10); }
void TLoggerForm::SpeedButton9Click(TObject*) { DataPlotter->MoveOffset(-10); }

// ---- the trend's events ----

void TLoggerForm::DataPlotterInterval(TObject*) {
  for (int n = 1; n <= 8; ++n)
    DataPlotter->Channel(n)->SetValue(static_cast<float>(LiveValues[static_cast<size_t>(FunctionOf(ChannelCombo(n)))]));
}

void TLoggerForm::DataPlotterNewCursorPos(TObject*) {
  const TVAtCursor& at = DataPlotter->ValueAtCursor();
  if (at.DataValid) {
    if (CursorTimeRef == 0) CursorTimeRef = DataPlotter->RecordInfo().FirstRecord;
    for (int n = 1; n <= 8; ++n)
      if (TAbAnalogGControl* r = Readout(n)) r->SetValue(at.ValueCh[static_cast<size_t>(n - 1)]);
    TimeStamp->SetCaption(FormatDateTime("hh:nn:ss.z", at.Time));
    Offset->SetCaption(FormatDateTime("hh:nn:ss.z", std::fabs(at.Time - CursorTimeRef)));
  } else {
    for (int n = 1; n <= 8; ++n)
      if (TAbAnalogGControl* r = Readout(n)) r->SetValue(0);
    TimeStamp->SetCaption("__");
    Offset->SetCaption("__");
  }
}

void TLoggerForm::DataPlotterMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  const TVAtCursor& at = DataPlotter->ValueAtCursor();
  if (!at.DataValid) return;
  CursorTimeRef = at.Time;
  Offset->SetCaption("00:00:00.000");
}

void TLoggerForm::DataPlotterRecNoChanged(TObject*) {
  const TRecInfo& info = DataPlotter->RecordInfo();
  if (info.TotalRecords > 100) ScrollBar1->SetMax(info.TotalRecords);
  ShowScrollPage();
  if (Scroll->Checked() && info.TotalRecords > 0) ScrollBar1->SetPosition(info.FirstDisplayedRec);
}

// One page of the scroll bar is what the plot shows: a record a pixel column. Its thumb
// is that part of the log, and a click beside the thumb moves the plot by a page.
void TLoggerForm::ShowScrollPage() {
  if (ScrollBar1 == nullptr || DataPlotter == nullptr) return;
  const TRect plot = DataPlotter->PlotRect();
  const int page = std::max(1, plot.Right - plot.Left);
  ScrollBar1->SetLargeChange(page);
  ScrollBar1->SetPageSize(page);
}

void TLoggerForm::ScrollBar1Scroll(TObject*, TScrollCode, int&) {
  if (!Scroll->Checked()) return;
  Scroll->SetChecked(false);
  DataPlotter->SetFlow(false);
}

void TLoggerForm::ScrollBar1Change(TObject*) {
  if (!Scroll->Checked()) DataPlotter->ScrollBy(ScrollBar1->Position() - DataPlotter->RecordInfo().FirstDisplayedRec);
}

// ---- Data menu ----

void TLoggerForm::ShowLogCaption(const AnsiString& caption) {
  LoggerCaption = caption;
  SetCaption(caption);
  LogNewDataShown = false;
}

void TLoggerForm::Savetofile1Click(TObject*) {
  if (R7Tform1 == nullptr) return;
  TSaveDialog* dialog = R7Tform1->SaveDialog1();
  dialog->Filter = kLogFilter;
  dialog->FilterIndex = 1;
  dialog->InitialDir = Settings.LogPath;
  dialog->DefaultExt = "lg1";
  dialog->FileName = "*.lg1";
  dialog->OverwritePrompt = false;  // asked below, once for the pair
  if (!dialog->Execute()) return;
  const AnsiString name = dialog->FileName;
  const AnsiString lg2 = ChangeFileExt(name, ".lg2");
  // Both files of the pair are looked at before anything is asked or written: a channel file
  // another program holds, or a pipe or folder in its place, refuses the pair.
  try {
    safefile::CheckTarget(name);
    safefile::CheckTarget(lg2);
  } catch (const Exception& e) {
    MessageDlg(AnsiString(kLogSaveError) + "\r\n" + e.Message(), mtError, TMsgDlgButtons{mbAbort});
    return;
  }
  if (FileExists(name)) {
    MessageBeep(0);
    if (MessageDlg("This file (" + ExtractFileName(name) + kLogOverwriteQuestion, mtWarning, mbYesNoCancel) != mrYes)
      return;
  }
  Scroll->SetChecked(false);
  Settings.LogPath = FolderOf(name);
  std::array<int32_t, 9> channels{};
  for (int n = 1; n <= 8; ++n) channels[static_cast<size_t>(n)] = LoggerSettings.Channels[n];
  // The records and their channel file are replaced together or not at all, so the old
  // pair stays loadable when either cannot be written.
  const std::string records = trendio::EncodeRecords(DataPlotter->Records());
  const AnsiString description = FormatLogDescription(channels, Settings.TemperatureUnit, Settings.PressureUnit,
                                                      Settings.SpeedUnit, Settings.DistanceUnit, Settings.O2Unit);
  try {
    safefile::WriteFiles({{name, records}, {lg2, description}});
  } catch (const Exception& e) {
    MessageDlg(AnsiString(kLogSaveError) + "\r\n" + e.Message(), mtError, TMsgDlgButtons{mbAbort});
    return;
  }
  // The pair is saved: the dialog's file name, the plot's caption and the window's caption
  // name its channel file.
  dialog->FileName = lg2;
  DataPlotter->SetCaption(lg2);
  ShowLogCaption("Data logger - " + lg2);
}

void TLoggerForm::LoadLogfile1Click(TObject*) {
  if (R7Tform1 == nullptr) return;
  TApOpenDialog* dialog = R7Tform1->ApOpenDialog1();
  dialog->DefaultExt = "lg1";
  dialog->FileName = "*.lg1";
  dialog->InitialDir = Settings.LogPath;
  dialog->Filter = kLogFilter;
  dialog->FilterIndex = 1;
  if (Form2 != nullptr) Form2->Tag = 4;  // the side panel shows nothing of a log file
  if (!dialog->Execute()) return;
  const AnsiString name = dialog->FileName;
  const AnsiString lg2 = ChangeFileExt(name, ".lg2");

  // Both files are read and checked before anything on screen changes, so a failed load
  // leaves the log in the window as it was.
  std::vector<TTrendRecord> records;
  trendio::TReadSummary summary;
  if (trendio::ReadRecords(name, records, static_cast<size_t>(std::max(0, DataPlotter->MaxRecords())), &summary) != 0) {
    MessageDlg(kLogLoadError, mtError, TMsgDlgButtons{mbAbort});
    return;
  }
  AnsiString text;
  try {
    text = safefile::ReadFile(lg2, kMaxLogDescriptionSize);
  } catch (const Exception& e) {
    MessageDlg("The channel file " + ExtractFileName(lg2) + " of this log cannot be read, so its channels are unknown." +
                   "\r\n" + e.Message() + "\r\nThe log was not loaded.",
               mtError, TMsgDlgButtons{mbAbort});
    return;
  }
  AnsiString why;
  const std::optional<TLogDescription> d = ParseLogDescription(text, why);
  if (!d) {
    MessageDlg("The channel file " + ExtractFileName(lg2) + " is damaged: " + why + "\r\nThe log was not loaded.",
               mtError, TMsgDlgButtons{mbAbort});
    return;
  }

  Scroll->SetChecked(false);
  LoggingActive = false;
  Settings.LogPath = FolderOf(name);
  DataPlotter->Clear();
  DataPlotter->AppendLoaded(records);
  ScrollBar1->SetMax(std::max(100, DataPlotter->RecordInfo().TotalRecords));
  ScrollBar1->SetPosition(0);
  DataPlotter->ScrollBy(-DataPlotter->RecordInfo().FirstDisplayedRec);

  for (int f : {3, 4}) {
    const std::optional<TLogUnitRow>& row = f == 3 ? d->Unit3 : d->Unit4;
    if (!row) continue;
    const size_t i = static_cast<size_t>(f);
    ChannelFunctionFrom[i] = row->From;
    ChannelFunctionTo[i] = row->To;
    ChannelFunctionDecimals[i] = row->Decimals;
    ChannelFunctionUnit[i] = row->Unit;
  }
  for (int n = 1; n <= 8; ++n) {
    const int32_t f = d->Channels[static_cast<size_t>(n)];
    if (f < 0) continue;
    LoggerSettings.Channels[n] = f;
    ChannelCombo(n)->SetItemIndex(f);
  }
  for (int n = 1; n <= 8; ++n) ApplyChannel(n);
  DataPlotter->SetCaption(lg2);
  ShowLogCaption("Data log - " + lg2);

  if (d->HasUnits) {
    ConvertUnits(false, Settings.TemperatureUnit != d->TemperatureUnit, d->PressureUnit, Settings.SpeedUnit,
                 Settings.PressureUnit, Settings.TemperatureUnit, Settings.SpeedUnit != d->SpeedUnit,
                 Settings.PressureUnit != d->PressureUnit);
  } else {
    ConvertUnits(true, true, 0, Settings.SpeedUnit, Settings.PressureUnit, Settings.TemperatureUnit == 1 ? 1 : 2,
                 false, Settings.PressureUnit != 0);
  }

  AnsiString leftOut;
  if (summary.RecordsLeftOut > 0)
    leftOut += "The log holds more records than the logger can show: the first " + IntToStr(static_cast<int64_t>(records.size())) +
               " were loaded, the last " + IntToStr(static_cast<int64_t>(summary.RecordsLeftOut)) + " were left out.";
  if (summary.PartialBytes > 0)
    leftOut += AnsiString(leftOut.empty() ? "" : "\r\n") + "The last record of " + ExtractFileName(name) +
               " is cut short (" + IntToStr(static_cast<int64_t>(summary.PartialBytes)) + " bytes) and was left out.";
  if (!leftOut.empty()) MessageDlg(leftOut, mtWarning, TMsgDlgButtons{mbOK});
}

void TLoggerForm::ConvertUnits(bool OldFormat, bool Temperature, int OldPressure, int SpeedDirection, int NewPressure,
                               int TargetTemperature, bool Speed, bool Pressure) {
  TLogConversion c;
  c.OldFormat = OldFormat;
  c.Temperature = Temperature;
  c.OldPressure = OldPressure;
  c.SpeedDirection = SpeedDirection;
  c.NewPressure = NewPressure;
  c.TargetTemperature = TargetTemperature;
  c.Speed = Speed;
  c.Pressure = Pressure;
  std::array<int32_t, 9> channels{};
  for (int n = 1; n <= 8; ++n) channels[static_cast<size_t>(n)] = LoggerSettings.Channels[n];
  ConvertLogSamples(DataPlotter->MutableRecords(), channels, c, ChannelFunctionFrom);
  const int ch = ScaleChanSpin->Value();
  DataPlotter->SetAbsScaleCh(ch >= 1 && ch <= 8 ? ch : DataPlotter->AbsScaleCh());
}

void TLoggerForm::ExportCSV1Click(TObject*) {
  LoggerExportForm->ExcelSamples->SetValue(LoggerSettings.ExportSamples);
  LoggerExportForm->ShowModal();
}

void TLoggerForm::RetrievefromECU1Click(TObject*) {
  if (MessageDlg(kLogClearQuestion, mtConfirmation, mbOKCancel) != mrOk) return;
  DataPlotter->Clear();
  for (int n = 1; n <= 8; ++n) ApplyChannel(n);
  LogNewDataShown = false;
  LoggerCaption = "Data Logger";
  SetCaption(LoggerCaption);
  DataPlotter->SetCaption("Plot");
}

void TLoggerForm::Auxinput1Table1Click(TObject*) {}
