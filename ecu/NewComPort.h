#pragma once
// The serial-port choice: the ports present and whether to open the chosen one at start-up.
// The choice goes straight into the settings (CommsPort, CommsAuto), which the main window
// stores at exit and uses at the next start.
#include <array>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TCheckBox;
class TComboBox;

class TSelectPort : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSelectPort"; }
  static void Publish(TClassProps<TSelectPort>& P);

  TComboBox* ComboBox1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;

  // Lists the ports present (none while the ECU is linked: the list is then disabled) and
  // selects the first, which becomes the chosen port.
  void FormActivate(TObject* Sender);
  // "&Refresh": lists the ports again.
  void BitBtn1Click(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void CheckBox1Click(TObject* Sender);

  // The port number of each list entry, in list order.
  std::array<int, 64> PortNumbers{};
  int PortCount = 0;
};

extern TSelectPort* SelectPort;
