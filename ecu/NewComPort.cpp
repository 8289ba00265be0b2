#include "ecu/NewComPort.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

TSelectPort* SelectPort = nullptr;

void TSelectPort::Publish(TClassProps<TSelectPort>& P) {
  P.Field("ComboBox1", &TSelectPort::ComboBox1)
      .Field("BitBtn1", &TSelectPort::BitBtn1)
      .Field("CheckBox1", &TSelectPort::CheckBox1)
      .Field("OKBtn", &TSelectPort::OKBtn)
      .Field("CancelBtn", &TSelectPort::CancelBtn);
}
