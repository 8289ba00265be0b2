#pragma once
// The about box: product name, version and revision, and an OK button.
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiStreaming.h"

class TAboutBox : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TAboutBox"; }
  static void Publish(TClassProps<TAboutBox>& P);

  TPanel* Panel1 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* Version = nullptr;
  TLabel* Copyright = nullptr;
  TButton* OKButton = nullptr;

  void FormCreate(TObject* Sender);
  void OKButtonClick(TObject* Sender);
};

extern TAboutBox* AboutBox;
