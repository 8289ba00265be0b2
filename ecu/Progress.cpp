#include "ecu/Progress.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TCommsProgress* CommsProgress = nullptr;

void TCommsProgress::Publish(TClassProps<TCommsProgress>& P) {
  P.Field("Label5", &TCommsProgress::Label5)
      .Field("ComboBox1", &TCommsProgress::ComboBox1)
      .Field("Panel1", &TCommsProgress::Panel1)
      .Field("map_gauge", &TCommsProgress::map_gauge)
      .Field("Label1", &TCommsProgress::Label1)
      .Field("ok", &TCommsProgress::ok)
      .Field("cancel", &TCommsProgress::cancel);
}
