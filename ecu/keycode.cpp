#include "ecu/keycode.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

TDlgPw* DlgPw = nullptr;

void TDlgPw::Publish(TClassProps<TDlgPw>& P) {
  P.Field("Label1", &TDlgPw::Label1)
      .Field("code", &TDlgPw::code)
      .Field("OKBtn", &TDlgPw::OKBtn)
      .Field("CancelBtn", &TDlgPw::CancelBtn);
}
