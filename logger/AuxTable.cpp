#include "logger/AuxTable.h"

#include "controls/Aligrid.h"
#include "platform/stdctrls/Buttons.h"

TAuxTableForm* AuxTableForm = nullptr;

void TAuxTableForm::Publish(TClassProps<TAuxTableForm>& P) {
  P.Field("AuxTable", &TAuxTableForm::AuxTable)
      .Field("BitBtn1", &TAuxTableForm::BitBtn1);
}
