#include "app/Block.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

Tmap_function* map_function = nullptr;

void Tmap_function::Publish(TClassProps<Tmap_function>& P) {
  P.Field("Label1", &Tmap_function::Label1)
      .Field("operation", &Tmap_function::operation)
      .Field("Label2", &Tmap_function::Label2)
      .Field("Value", &Tmap_function::Value)
      .Field("OKBtn", &Tmap_function::OKBtn)
      .Field("CancelBtn", &Tmap_function::CancelBtn);
}
