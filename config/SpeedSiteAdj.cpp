#include "config/SpeedSiteAdj.h"

#include "controls/Aligrid.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

TSpeedSiteForm* SpeedSiteForm = nullptr;

void TSpeedSiteForm::Publish(TClassProps<TSpeedSiteForm>& P) {
  P.Field("SitePosGrid", &TSpeedSiteForm::SitePosGrid)
      .Field("ReCalcMaps", &TSpeedSiteForm::ReCalcMaps)
      .Field("BitBtn1", &TSpeedSiteForm::BitBtn1)
      .Field("BitBtn2", &TSpeedSiteForm::BitBtn2);
}
