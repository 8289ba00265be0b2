#include "config/Insert.h"

#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

Tinsertdata* insertdata = nullptr;

void Tinsertdata::Publish(TClassProps<Tinsertdata>& P) {
  P.Field("Label1", &Tinsertdata::Label1)
      .Field("loadsite", &Tinsertdata::loadsite)
      .Field("Label2", &Tinsertdata::Label2)
      .Field("speedsite", &Tinsertdata::speedsite)
      .Field("Speedinfo", &Tinsertdata::Speedinfo)
      .Field("Label3", &Tinsertdata::Label3)
      .Field("currentval", &Tinsertdata::currentval)
      .Field("currentinfo", &Tinsertdata::currentinfo)
      .Field("Label4", &Tinsertdata::Label4)
      .Field("newvalue", &Tinsertdata::newvalue)
      .Field("newinfo", &Tinsertdata::newinfo)
      .Field("BitBtn1", &Tinsertdata::BitBtn1)
      .Field("BitBtn2", &Tinsertdata::BitBtn2);
}
