#pragma once
// Finding the serial ports that are present, and the family's own small port chooser, shown
// when a port must open without a number and its PromptForPort is set.
#include <cstdint>
#include <vector>

#include "platform/ui/Forms.h"

// Probe through a temporary dispatcher (true) or by opening the device directly.
extern bool ProbeByDispatcher;
// A port that another program holds counts as present.
extern bool DeniedMeansPresent;

// True when port N can be opened, or (with DeniedMeansPresent) exists but is held by
// another program. N = 0 is never present.
bool PortExists(uint16_t N);
// The device behind port N.
AnsiString ComName(uint16_t N);

class TComSelectForm : public TForm {
 public:
  explicit TComSelectForm(TComponent* AOwner);
  const char* ClassName() const override { return "TComSelectForm"; }

  // "COM1".."COM50" for the ports present; the first is selected.
  const std::vector<AnsiString>& Ports() const { return ports_; }
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int Index);
  // The number of the selected entry; 0 when the list is empty.
  uint16_t SelectedComNum() const;

  const AnsiString Line1 = "The serial port is not yet configured.";
  const AnsiString Line2 = "Please choose one from the list below.";

 private:
  std::vector<AnsiString> ports_;
  int item_index_ = -1;
};

// Shows the chooser modally; true with the chosen number on OK.
bool ChooseComPort(uint16_t& ComNumber);
