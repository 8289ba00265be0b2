#include "serial/AdSelCom.h"

#include <cstdlib>

#include "platform/os/ComPorts.h"
#include "platform/os/SerialDevice.h"
#include "serial/AdExcept.h"
#include "serial/AwPort.h"

bool ProbeByDispatcher = true;
bool DeniedMeansPresent = true;

AnsiString ComName(uint16_t N) { return os::ComPortPath(N); }

bool PortExists(uint16_t N) {
  if (N == 0) return false;
  int result;
  if (ProbeByDispatcher) {
    TApdPortDispatcher probe(nullptr);
    result = probe.OpenDevice(N);  // closed again with the probe
  } else {
    os::SerialDevice device;
    const os::SerialError error = device.Open(N);
    result = error == os::SerialError::None ? 0 : -os::Win32ErrorNumber(error);
  }
  if (result == 0) return true;
  return DeniedMeansPresent && result == ecodes::ecAccessDenied;
}

TComSelectForm::TComSelectForm(TComponent* AOwner) : TForm(AOwner) {
  SetText("Select Port");
  for (uint16_t n = 1; n <= 50; ++n)
    if (PortExists(n)) ports_.push_back("COM" + std::to_string(n));
  if (!ports_.empty()) item_index_ = 0;
}

void TComSelectForm::SetItemIndex(int Index) {
  if (Index >= -1 && Index < static_cast<int>(ports_.size())) item_index_ = Index;
}

uint16_t TComSelectForm::SelectedComNum() const {
  if (item_index_ < 0) return 0;
  return static_cast<uint16_t>(std::atoi(ports_[static_cast<size_t>(item_index_)].c_str() + 3));
}

bool ChooseComPort(uint16_t& ComNumber) {
  TComSelectForm form(nullptr);
  if (form.ShowModal() != mrOk) return false;
  ComNumber = form.SelectedComNum();
  return ComNumber != 0;
}
