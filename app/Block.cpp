#include "app/Block.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

Tmap_function* map_function = nullptr;

void Tmap_function::Publish(TClassProps<Tmap_function>& P) {
  P.Field("Label1", &Tmap_function::Label1)
      .Field("operation", &Tmap_function::operation)
      .Field("do_what", &Tmap_function::do_what)
      .Field("Value", &Tmap_function::Value)
      .Field("percent", &Tmap_function::percent)
      .Field("OKBtn", &Tmap_function::OKBtn)
      .Field("CancelBtn", &Tmap_function::CancelBtn)
      .Handler("FormActivate", &Tmap_function::FormActivate)
      .Handler("operationChange", &Tmap_function::operationChange);
}

void Tmap_function::FormActivate(TObject*) {
  operation->SetItemIndex(0);
  operationChange(operation);
}

void Tmap_function::operationChange(TObject*) {
  const int op = operation->ItemIndex();
  const bool percentage = op == 3 || op == 4;
  do_what->SetVisible(op == 0 || percentage);
  do_what->SetCaption(percentage ? "By" : "With");
  percent->SetVisible(percentage);
}
