#include "ecu/NewComPort.h"

#include "model/Settings.h"
#include "link/LiveData.h"
#include "platform/os/ComPorts.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

TSelectPort* SelectPort = nullptr;

void TSelectPort::Publish(TClassProps<TSelectPort>& P) {
  P.Field("ComboBox1", &TSelectPort::ComboBox1)
      .Field("BitBtn1", &TSelectPort::BitBtn1)
      .Field("CheckBox1", &TSelectPort::CheckBox1)
      .Field("OKBtn", &TSelectPort::OKBtn)
      .Field("CancelBtn", &TSelectPort::CancelBtn)
      .Handler("FormActivate", &TSelectPort::FormActivate)
      .Handler("BitBtn1Click", &TSelectPort::BitBtn1Click)
      .Handler("ComboBox1Change", &TSelectPort::ComboBox1Change)
      .Handler("CheckBox1Click", &TSelectPort::CheckBox1Click);
}

void TSelectPort::FormActivate(TObject*) {
  CheckBox1->SetChecked(Settings.CommsAuto);
  if (ECUConnected) {
    // The link is up on the current port: nothing to choose while it runs.
    ComboBox1->SetEnabled(false);
    return;
  }
  ComboBox1->SetEnabled(true);
  ComboBox1->Items()->Clear();
  PortCount = 0;
  for (int n = 1; n <= os::kMaxComNumber; ++n) {
    if (!os::PortExists(n)) continue;
    ComboBox1->Items()->Add("COM" + IntToStr(n));
    PortNumbers[static_cast<size_t>(PortCount++)] = n;
  }
  if (PortCount > 0) {
    ComboBox1->SetItemIndex(0);
    Settings.CommsPort = PortNumbers[0];
  }
}

void TSelectPort::BitBtn1Click(TObject* Sender) { FormActivate(Sender); }

void TSelectPort::ComboBox1Change(TObject*) {
  const int i = ComboBox1->ItemIndex();
  if (i >= 0 && i < PortCount) Settings.CommsPort = PortNumbers[static_cast<size_t>(i)];
}

void TSelectPort::CheckBox1Click(TObject*) { Settings.CommsAuto = CheckBox1->Checked(); }
