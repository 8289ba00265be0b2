#include "config/LoadSiteAdjU.h"

#include "controls/Aligrid.h"
#include "platform/stdctrls/Buttons.h"

TLoadSiteAdj* LoadSiteAdj = nullptr;

void TLoadSiteAdj::Publish(TClassProps<TLoadSiteAdj>& P) {
  P.Field("SitePosGrid", &TLoadSiteAdj::SitePosGrid)
      .Field("BitBtn1", &TLoadSiteAdj::BitBtn1)
      .Field("BitBtn2", &TLoadSiteAdj::BitBtn2);
}
