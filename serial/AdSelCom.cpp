#include "serial/AdSelCom.h"

#include <cstdlib>

#include "platform/os/ComPorts.h"
#include "platform/os/SerialDevice.h"
#include "platform/stdctrls/StdCtrls.h"
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
  // A device this user may not open is there all the same: choosing it says why it fails.
  return DeniedMeansPresent && (result == ecodes::ecAccessDenied || result == ecodes::ecNoPermission);
}

TComSelectForm::TComSelectForm(TComponent* AOwner) : TForm(AOwner) {
  SetText("Select Port");
  SetBorderStyle(bsDialog);
  SetBorderIcons({biSystemMenu});
  SetPosition(poScreenCenter);
  SetClientSize(296, 136);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetParent(this);
  Label1->SetBounds(16, 14, 264, 16);
  Label1->SetText("The serial port is not yet configured.");
  Label2 = new TLabel(this);
  Label2->SetName("Label2");
  Label2->SetParent(this);
  Label2->SetBounds(16, 34, 264, 16);
  Label2->SetText("Please choose one from the list below.");

  PortsComboBox = new TComboBox(this);
  PortsComboBox->SetName("PortsComboBox");
  PortsComboBox->SetParent(this);
  PortsComboBox->SetStyle(csDropDownList);
  PortsComboBox->SetBounds(16, 60, 264, 24);
  for (uint16_t n = 1; n <= 50; ++n)
    if (PortExists(n)) PortsComboBox->Items()->Add("COM" + std::to_string(n));
  if (PortsComboBox->Items()->Count() > 0) PortsComboBox->SetItemIndex(0);

  OkBtn = new TButton(this);
  OkBtn->SetName("OkBtn");
  OkBtn->SetParent(this);
  OkBtn->SetBounds(116, 100, 80, 26);
  OkBtn->SetText("OK");
  OkBtn->SetModalResult(mrOk);
  OkBtn->SetDefault(true);
  AbortBtn = new TButton(this);
  AbortBtn->SetName("AbortBtn");
  AbortBtn->SetParent(this);
  AbortBtn->SetBounds(200, 100, 80, 26);
  AbortBtn->SetText("Cancel");
  AbortBtn->SetModalResult(mrCancel);
  AbortBtn->SetCancel(true);

  // The list has the focus, so the arrow keys choose and Enter confirms.
  SetActiveControl(PortsComboBox);
}

std::vector<AnsiString> TComSelectForm::Ports() const {
  std::vector<AnsiString> ports;
  TStrings* items = PortsComboBox->Items();
  for (int i = 0; i < items->Count(); ++i) ports.push_back(items->Strings(i));
  return ports;
}

int TComSelectForm::ItemIndex() const { return PortsComboBox->ItemIndex(); }

void TComSelectForm::SetItemIndex(int Index) { PortsComboBox->SetItemIndex(Index); }

uint16_t TComSelectForm::SelectedComNum() const {
  const int index = PortsComboBox->ItemIndex();
  if (index < 0) return 0;
  const AnsiString text = PortsComboBox->Items()->Strings(index);
  return text.size() > 3 ? static_cast<uint16_t>(std::atoi(text.c_str() + 3)) : 0;
}

bool ChooseComPort(uint16_t& ComNumber) {
  TComSelectForm form(nullptr);
  if (form.ShowModal() != mrOk) return false;
  ComNumber = form.SelectedComNum();
  return ComNumber != 0;
}
