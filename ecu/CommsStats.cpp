#include "ecu/CommsStats.h"

#include "link/LiveData.h"
#include "platform/stdctrls/StdCtrls.h"

TCommsForm* CommsForm = nullptr;

void TCommsForm::Publish(TClassProps<TCommsForm>& P) {
  P.Field("Label5", &TCommsForm::Label5)
      .Field("Label6", &TCommsForm::Label6)
      .Field("Label1", &TCommsForm::Label1)
      .Field("Label2", &TCommsForm::Label2)
      .Field("Label3", &TCommsForm::Label3)
      .Field("Label4", &TCommsForm::Label4)
      .Field("Button1", &TCommsForm::Button1)
      .Field("FastRate", &TCommsForm::FastRate)
      .Field("SlowRate", &TCommsForm::SlowRate)
      .Field("StatusRate", &TCommsForm::StatusRate)
      .Field("ConfigRate", &TCommsForm::ConfigRate)
      .Field("FastTotal", &TCommsForm::FastTotal)
      .Field("SlowTotal", &TCommsForm::SlowTotal)
      .Field("StatusTotal", &TCommsForm::StatusTotal)
      .Field("ConfigTotal", &TCommsForm::ConfigTotal)
      .Handler("Button1Click", &TCommsForm::Button1Click);
}

void TCommsForm::Button1Click(TObject*) {
  PacketCountsA.fill(0);
  PacketCountsB.fill(0);
  for (TLabel* total : {FastTotal, SlowTotal, StatusTotal, ConfigTotal})
    if (total != nullptr) total->SetCaption("0");
}
