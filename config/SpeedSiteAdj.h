#pragma once
// The speed-site editor: current and new positions of the 32 speed sites. When shown it
// fills its grid and the work list SiteEditList from the current map; OK stores the new
// sites, re-sampling every 32-column table onto them when asked.
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

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  // Step keys (50 rpm with Shift, Alt or Ctrl held, else 1) and "C" on the selected columns.
  void SitePosGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // OK: the box state becomes the settings' re-calc option, then the sites are stored.
  void BitBtn1Click(TObject* Sender);

  // Writes new position `site` (0..31) from the work list into row 2.
  void ShowNewSite(int site);
};

extern TSpeedSiteForm* SpeedSiteForm;
