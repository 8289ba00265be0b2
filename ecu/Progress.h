#pragma once
// The map-transfer window: chooses the current map or all maps and shows the progress of a read or program.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TComboBox;
class TLabel;
class TPanel;
class TProgressBar;

class TCommsProgress : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TCommsProgress"; }
  static void Publish(TClassProps<TCommsProgress>& P);

  TLabel* Label5 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TPanel* Panel1 = nullptr;
  TProgressBar* map_gauge = nullptr;
  TLabel* Label1 = nullptr;
  TBitBtn* ok = nullptr;
  TBitBtn* cancel = nullptr;
};

extern TCommsProgress* CommsProgress;
