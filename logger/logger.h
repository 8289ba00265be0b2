#pragma once
// The data logger: eight channels of live values recorded into its trend recorder, by hand or by trigger.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbTrend;
class TAdvSpinEdit;
class TCheckBox;
class TComboBox;
class TLabel;
class TNotebook;
class TTabSet;

class TLoggerForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLoggerForm"; }
  static void Publish(TClassProps<TLoggerForm>& P);

  TNotebook* LoggerBook = nullptr;
  TComboBox* Chan1Lab = nullptr;
  TComboBox* Chan2Lab = nullptr;
  TComboBox* Chan3Lab = nullptr;
  TComboBox* Chan4Lab = nullptr;
  TComboBox* Chan5Lab = nullptr;
  TComboBox* Chan6Lab = nullptr;
  TComboBox* Chan7Lab = nullptr;
  TComboBox* Chan8Lab = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* StartChan = nullptr;
  TComboBox* StartLogic = nullptr;
  TAdvSpinEdit* StartVal = nullptr;
  TLabel* Label2 = nullptr;
  TComboBox* StopChan = nullptr;
  TComboBox* StopLogic = nullptr;
  TAdvSpinEdit* StopVal = nullptr;
  TCheckBox* StartRecording = nullptr;
  TAbTrend* DataPlotter = nullptr;
  TTabSet* TabSet = nullptr;

  void FormCreate(TObject* Sender);
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
  void LoggerSSUpdate();
};

extern TLoggerForm* LoggerForm;

// The logger window's caption for the log in use ("Data Logger", or the file's name),
// with " ...New Data!" once samples were recorded since it was cleared, saved or loaded.
extern AnsiString LoggerCaption;
