#pragma once
// The load-site editor: current and new positions of the 16 load sites of the main tables.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TCheckBox;
class TMemo;
class TStringAlignGrid;

class TSitePosFrm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSitePosFrm"; }
  static void Publish(TClassProps<TSitePosFrm>& P);

  TStringAlignGrid* SitePosGrid = nullptr;
  TMemo* Memo1 = nullptr;
  TCheckBox* ReCalcMaps = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
};

extern TSitePosFrm* SitePosFrm;
