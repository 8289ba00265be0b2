#include "config/Align.h"

#include "controls/AdvSpin.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

config::TAlignment* Alignment = nullptr;

namespace config {

void TAlignment::Publish(TClassProps<TAlignment>& P) {
  P.Field("alignment_info", &TAlignment::alignment_info)
      .Field("sensorbox", &TAlignment::sensorbox)
      .Field("sensor_number", &TAlignment::sensor_number)
      .Field("loadsitebox", &TAlignment::loadsitebox)
      .Field("loadsite_number", &TAlignment::loadsite_number)
      .Field("AutoIdlePotNum", &TAlignment::AutoIdlePotNum)
      .Field("IdlePotNumOffset", &TAlignment::IdlePotNumOffset)
      .Field("AutoCutPotNum", &TAlignment::AutoCutPotNum)
      .Field("CutPotNumOffset", &TAlignment::CutPotNumOffset)
      .Field("Label1", &TAlignment::Label1)
      .Field("ComboBox1", &TAlignment::ComboBox1)
      .Field("ok", &TAlignment::ok)
      .Field("cancel", &TAlignment::cancel)
      .Field("invert", &TAlignment::invert);
}

}  // namespace config
