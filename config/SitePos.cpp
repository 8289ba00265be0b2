#include "config/SitePos.h"

#include "controls/Aligrid.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"

TSitePosFrm* SitePosFrm = nullptr;

void TSitePosFrm::Publish(TClassProps<TSitePosFrm>& P) {
  P.Field("SitePosGrid", &TSitePosFrm::SitePosGrid)
      .Field("Memo1", &TSitePosFrm::Memo1)
      .Field("ReCalcMaps", &TSitePosFrm::ReCalcMaps)
      .Field("BitBtn1", &TSitePosFrm::BitBtn1)
      .Field("BitBtn2", &TSitePosFrm::BitBtn2);
}
