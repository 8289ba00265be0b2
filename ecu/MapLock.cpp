#include "ecu/MapLock.h"

#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

TMapLockForm* MapLockForm = nullptr;

void TMapLockForm::Publish(TClassProps<TMapLockForm>& P) {
  P.Field("GroupBox1", &TMapLockForm::GroupBox1)
      .Field("LockMessage", &TMapLockForm::LockMessage)
      .Field("GroupBox2", &TMapLockForm::GroupBox2)
      .Field("pincode", &TMapLockForm::pincode)
      .Field("GroupBox3", &TMapLockForm::GroupBox3)
      .Field("maplockstatus", &TMapLockForm::maplockstatus)
      .Field("lockbutton", &TMapLockForm::lockbutton)
      .Field("BitBtn1", &TMapLockForm::BitBtn1);
}
