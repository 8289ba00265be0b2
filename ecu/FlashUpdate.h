#pragma once
// The firmware-update window. It owns the one stream container krup that reads map, configuration and update files.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TGroupBox;
class THKStreams;
class TLabel;
class TMemo;
class TProgressBar;

class TFlashUpdateForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TFlashUpdateForm"; }
  static void Publish(TClassProps<TFlashUpdateForm>& P);

  TGroupBox* GroupBox1 = nullptr;
  TMemo* Notes = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TMemo* UpdateInfo = nullptr;
  TProgressBar* ProgressBar = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* ProgressState = nullptr;
  TBitBtn* Proceed = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  THKStreams* krup = nullptr;

  void krupCorrupt(TObject* Sender);
};

extern TFlashUpdateForm* FlashUpdateForm;
