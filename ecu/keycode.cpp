#include "ecu/keycode.h"

#include "model/Frames.h"
#include "ecu/MapLock.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "controls/AdvMaskEdit.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

TDlgPw* DlgPw = nullptr;

void TDlgPw::Publish(TClassProps<TDlgPw>& P) {
  P.Field("Label1", &TDlgPw::Label1)
      .Field("code", &TDlgPw::code)
      .Field("OKBtn", &TDlgPw::OKBtn)
      .Field("CancelBtn", &TDlgPw::CancelBtn)
      .Handler("FormActivate", &TDlgPw::FormActivate)
      .Handler("OKBtnClick", &TDlgPw::OKBtnClick);
}

void TDlgPw::FormActivate(TObject*) {
  if (code->Visible() && code->Enabled()) SetActiveControl(code);
}

void TDlgPw::OKBtnClick(TObject*) {
  if (!ecu::KeycodeFrameFor(code->Text())) {
    MessageBeep(MB_BEEP_OK);
    SetModalResult(mrNone);
    return;
  }
  SetModalResult(mrOk);
}

namespace ecu {
std::optional<AnsiString> KeycodeFrameFor(std::string_view code) {
  const auto pin = PinBytes(code);
  if (!pin) return std::nullopt;
  return TelltaleKeycodeFrame((*pin)[0], (*pin)[1]);
}
}  // namespace ecu
