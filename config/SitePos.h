#pragma once
// The load-site editor: current and new positions of the 16 load sites of the main tables.
// The opener fills the grid (column 1 current, column 2 new, rows 1..16), the work list
// SiteEditList[0..15] and Tag (0 throttle percent, 1 MAP pressure); OK stores the new
// sites into the current map, re-sampling the main tables onto them when asked.
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

  void FormCreate(TObject* Sender);
  // Step keys and "C" on the selected rows.
  void SitePosGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // OK: the box state becomes the settings' re-calc option, then the sites are stored.
  void BitBtn1Click(TObject* Sender);

  // The highest position of the last site: 100 % or 455 kPa.
  int32_t LastSiteMax() const;
  // Writes new position `site` (0..15) from the work list into column 2.
  void ShowNewSite(int site);
};

extern TSitePosFrm* SitePosFrm;
