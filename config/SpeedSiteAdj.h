#pragma once
// The speed-site editor: current and new positions of the 32 speed sites.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TCheckBox;
class TStringAlignGrid;

class TSpeedSiteForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSpeedSiteForm"; }
  static void Publish(TClassProps<TSpeedSiteForm>& P);

  TStringAlignGrid* SitePosGrid = nullptr;
  TCheckBox* ReCalcMaps = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
};

extern TSpeedSiteForm* SpeedSiteForm;
