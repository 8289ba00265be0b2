#pragma once
// Asks for the 4-digit keycode of the telltale memory lock.
#include <optional>
#include <string_view>

#include "platform/rtl/AnsiString.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TLabel;
class TAdvMaskEdit;

class TDlgPw : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TDlgPw"; }
  static void Publish(TClassProps<TDlgPw>& P);

  TLabel* Label1 = nullptr;
  TAdvMaskEdit* code = nullptr;
  TBitBtn* OKBtn = nullptr;
  TBitBtn* CancelBtn = nullptr;

  void FormActivate(TObject* Sender);
  // Closes with OK only for four digits; anything else beeps and keeps the dialog open.
  void OKBtnClick(TObject* Sender);
};

extern TDlgPw* DlgPw;

namespace ecu {
// The keycode frame "$i" 00 F8 08 for a code of four digits (the numbers of the first and
// of the last two), or none for any other text.
std::optional<AnsiString> KeycodeFrameFor(std::string_view code);
}  // namespace ecu
