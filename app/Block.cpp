#include "app/Block.h"

#include "gauges/AbNumEdit.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Keys.h"

Tmap_function* map_function = nullptr;

void Tmap_function::Publish(TClassProps<Tmap_function>& P) {
  P.Field("Label1", &Tmap_function::Label1)
      .Field("operation", &Tmap_function::operation)
      .Field("do_what", &Tmap_function::do_what)
      .Field("Value", &Tmap_function::Value)
      .Field("percent", &Tmap_function::percent)
      .Field("ok", &Tmap_function::ok)
      .Field("cancel", &Tmap_function::cancel)
      .Handler("FormActivate", &Tmap_function::FormActivate)
      .Handler("FormShow", &Tmap_function::FormShow)
      .Handler("FormKeyDown", &Tmap_function::FormKeyDown)
      .Handler("operationChange", &Tmap_function::operationChange)
      .Handler("operationKeyDown", &Tmap_function::operationKeyDown)
      .Handler("ValueKeyDown", &Tmap_function::ValueKeyDown)
      .Handler("okClick", &Tmap_function::okClick);
}

void Tmap_function::FormActivate(TObject*) {
  operation->SetItemIndex(0);
  operationChange(operation);
}

void Tmap_function::FormShow(TObject*) { SetActiveControl(operation); }

void Tmap_function::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_ESCAPE) return;
  Key = 0;
  SetModalResult(mrCancel);
}

void Tmap_function::operationChange(TObject*) {
  const int op = operation->ItemIndex();
  const bool percentage = op == 3 || op == 4;
  do_what->SetVisible(op == 0 || percentage);
  do_what->SetCaption(percentage ? "By" : "With");
  percent->SetVisible(percentage);
}

void Tmap_function::operationKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  Key = 0;
  SetActiveControl(Value);
}

void Tmap_function::ValueKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  Key = 0;
  if (!TakeValue()) return;
  SetActiveControl(ok);
  SetModalResult(mrOk);
}

void Tmap_function::okClick(TObject*) {
  if (!TakeValue()) SetModalResult(mrNone);
}

bool Tmap_function::TakeValue() {
  double v = 0;
  // An empty box reads as 0, as the number edit itself reads it on Enter or on leaving.
  const AnsiString text = Trim(Value->Text());
  if (!text.empty() && !TryStrToFloat(text, v)) {
    MessageBeep(MB_BEEP_OK);
    SetActiveControl(Value);
    return false;
  }
  Value->SetValue(v);  // within the spin's limits
  return true;
}
