#include "ecu/CommsStats.h"

#include "platform/stdctrls/StdCtrls.h"

TCommsForm* CommsForm = nullptr;

void TCommsForm::Publish(TClassProps<TCommsForm>& P) {
  P.Field("Label5", &TCommsForm::Label5)
      .Field("Label6", &TCommsForm::Label6)
      .Field("Label1", &TCommsForm::Label1)
      .Field("Label2", &TCommsForm::Label2)
      .Field("Label3", &TCommsForm::Label3)
      .Field("Label4", &TCommsForm::Label4)
      .Field("Button1", &TCommsForm::Button1);
}
