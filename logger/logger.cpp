#include "logger/logger.h"

#include "app/Main.h"
#include "app/Settings.h"
#include "controls/AdvSpin.h"
#include "ecu/LiveData.h"
#include "logger/AbTrend.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

TLoggerForm* LoggerForm = nullptr;
AnsiString LoggerCaption = "Data Logger";

void TLoggerForm::Publish(TClassProps<TLoggerForm>& P) {
  P.Field("LoggerBook", &TLoggerForm::LoggerBook)
      .Field("Chan1Lab", &TLoggerForm::Chan1Lab)
      .Field("Chan2Lab", &TLoggerForm::Chan2Lab)
      .Field("Chan3Lab", &TLoggerForm::Chan3Lab)
      .Field("Chan4Lab", &TLoggerForm::Chan4Lab)
      .Field("Chan5Lab", &TLoggerForm::Chan5Lab)
      .Field("Chan6Lab", &TLoggerForm::Chan6Lab)
      .Field("Chan7Lab", &TLoggerForm::Chan7Lab)
      .Field("Chan8Lab", &TLoggerForm::Chan8Lab)
      .Field("Label1", &TLoggerForm::Label1)
      .Field("StartChan", &TLoggerForm::StartChan)
      .Field("StartLogic", &TLoggerForm::StartLogic)
      .Field("StartVal", &TLoggerForm::StartVal)
      .Field("Label2", &TLoggerForm::Label2)
      .Field("StopChan", &TLoggerForm::StopChan)
      .Field("StopLogic", &TLoggerForm::StopLogic)
      .Field("StopVal", &TLoggerForm::StopVal)
      .Field("StartRecording", &TLoggerForm::StartRecording)
      .Field("DataPlotter", &TLoggerForm::DataPlotter)
      .Field("TabSet", &TLoggerForm::TabSet)
      .Handler("FormCreate", &TLoggerForm::FormCreate)
      .Handler("TabSetClick", &TLoggerForm::TabSetClick)
      .Handler("StartRecordingClick", &TLoggerForm::StartRecordingClick)
      .Handler("Chan1LabChange", &TLoggerForm::Chan1LabChange)
      .Handler("Chan2LabChange", &TLoggerForm::Chan2LabChange)
      .Handler("Chan3LabChange", &TLoggerForm::Chan3LabChange)
      .Handler("Chan4LabChange", &TLoggerForm::Chan4LabChange)
      .Handler("Chan5LabChange", &TLoggerForm::Chan5LabChange)
      .Handler("Chan6LabChange", &TLoggerForm::Chan6LabChange)
      .Handler("Chan7LabChange", &TLoggerForm::Chan7LabChange)
      .Handler("Chan8LabChange", &TLoggerForm::Chan8LabChange);
}

// The tab strip names the notebook pages, in page order.
void TLoggerForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(LoggerBook->Pages());
  TabSet->SetTabIndex(LoggerBook->PageIndex());
}

void TLoggerForm::TabSetClick(TObject*) {
  LoggerBook->SetPageIndex(TabSet->TabIndex());
}

// "Enabled" switches the logger on and off. Clearing it while logging stops the
// recorder as well, so the trend's own timer does not go on adding records once the
// lamp says logging is off.
void TLoggerForm::StartRecordingClick(TObject*) {
  const bool enabled = StartRecording->Checked();
  if (!enabled && LoggingActive) {
    LoggingActive = false;
    DataPlotter->SetStartRecording(false);
    if (R7Tform1 != nullptr) R7Tform1->ShowLoggingLED(false);
  }
  LoggerSettings.Enabled = enabled;
}

void TLoggerForm::Chan1LabChange(TObject*) {}

void TLoggerForm::Chan2LabChange(TObject*) {}

void TLoggerForm::Chan3LabChange(TObject*) {}

void TLoggerForm::Chan4LabChange(TObject*) {}

void TLoggerForm::Chan5LabChange(TObject*) {}

void TLoggerForm::Chan6LabChange(TObject*) {}

void TLoggerForm::Chan7LabChange(TObject*) {}

void TLoggerForm::Chan8LabChange(TObject*) {}

void TLoggerForm::LoggerSSUpdate() {}
