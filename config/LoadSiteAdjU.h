#pragma once
// The site-adjust window: the five positions of a 5-site load axis, or the five cranking turns.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TStringAlignGrid;

class TLoadSiteAdj : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLoadSiteAdj"; }
  static void Publish(TClassProps<TLoadSiteAdj>& P);

  TStringAlignGrid* SitePosGrid = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
};

extern TLoadSiteAdj* LoadSiteAdj;
