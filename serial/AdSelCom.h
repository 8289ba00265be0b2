#pragma once
// Finding the serial ports that are present, and the family's own small port chooser, shown
// when a port must open without a number and its PromptForPort is set.
#include <cstdint>
#include <vector>

#include "platform/ui/Forms.h"

class TLabel;
class TComboBox;
class TButton;

// Probe through a temporary dispatcher (true) or by opening the device directly.
extern bool ProbeByDispatcher;
// A port that refuses the open (another program holds it, or this user lacks the
// permission) counts as present.
extern bool DeniedMeansPresent;

// True when port N can be opened, or (with DeniedMeansPresent) exists but is held by
// another program or closed to this user. N = 0 is never present.
bool PortExists(uint16_t N);
// The device behind port N.
AnsiString ComName(uint16_t N);

// "Select Port": two lines of explanation, a drop-down list of the ports present
// (COM1..COM50) with the first chosen, and OK (default, Enter) and Cancel (Escape).
class TComSelectForm : public TForm {
 public:
  explicit TComSelectForm(TComponent* AOwner);
  const char* ClassName() const override { return "TComSelectForm"; }

  TLabel* Label1;
  TLabel* Label2;
  TComboBox* PortsComboBox;
  TButton* OkBtn;
  TButton* AbortBtn;

  // The texts of the list, "COM1".."COM50" for the ports present.
  std::vector<AnsiString> Ports() const;
  int ItemIndex() const;
  void SetItemIndex(int Index);
  // The number after the first three characters of the chosen entry; 0 when none is.
  uint16_t SelectedComNum() const;
};

// Shows the chooser modally; true with the chosen number on OK.
bool ChooseComPort(uint16_t& ComNumber);
