#include "config/SitePos.h"

#include <algorithm>
#include <array>

#include "app/Main.h"
#include "model/MapInterp.h"
#include "model/Settings.h"
#include "config/SiteEditing.h"
#include "controls/Aligrid.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

TSitePosFrm* SitePosFrm = nullptr;

namespace {

constexpr int kLoadSites = 16;
constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000;

}  // namespace

void TSitePosFrm::Publish(TClassProps<TSitePosFrm>& P) {
  P.Field("SitePosGrid", &TSitePosFrm::SitePosGrid)
      .Field("Memo1", &TSitePosFrm::Memo1)
      .Field("ReCalcMaps", &TSitePosFrm::ReCalcMaps)
      .Field("BitBtn1", &TSitePosFrm::BitBtn1)
      .Field("BitBtn2", &TSitePosFrm::BitBtn2)
      .Handler("FormCreate", &TSitePosFrm::FormCreate)
      .Handler("SitePosGridKeyDown", &TSitePosFrm::SitePosGridKeyDown)
      .Handler("BitBtn1Click", &TSitePosFrm::BitBtn1Click);
}

void TSitePosFrm::FormCreate(TObject*) {
  SitePosGrid->SetCells(0, 0, "Load site");
  SitePosGrid->SetCells(1, 0, "Current pos  (%)");
  SitePosGrid->SetCells(2, 0, "New pos (%)");
  SitePosGrid->SetColWidths(0, 60);
  SitePosGrid->SetRowHeights(0, 32);
  for (int r = 1; r <= kLoadSites; ++r) SitePosGrid->SetCells(0, r, IntToStr(r));
}

int32_t TSitePosFrm::LastSiteMax() const { return Tag == 1 ? 455 : 100; }

void TSitePosFrm::ShowNewSite(int site) {
  SitePosGrid->SetCells(2, site + 1, SitePositionText(SiteEditList[static_cast<size_t>(site)], Tag == 1));
}

void TSitePosFrm::SitePosGridKeyDown(TObject*, WORD& Key, TShiftState) {
  const TGridRect sel = SitePosGrid->Selection();
  const int first = std::max(sel.Top, 1) - 1, last = std::min(sel.Bottom, kLoadSites) - 1;
  if (first > last) return;
  const std::span<int32_t> sites(SiteEditList.data(), kLoadSites);
  if (const int direction = SiteStepDirection(Key); direction != 0) {
    if (StepLoadSites(sites, first, last, direction, LastSiteMax()))
      for (int k = first; k <= last; ++k) ShowNewSite(k);
  } else if (Key == 'C' && first != last) {
    if (!InterpolateSites(sites, first, last)) {
      MessageDlg(kNotEnoughRange, mtError, TMsgDlgButtons{mbOK});
      return;
    }
    for (int k = first + 1; k < last; ++k) ShowNewSite(k);
  }
}

void TSitePosFrm::BitBtn1Click(TObject*) {
  const bool recalc = ReCalcMaps->Checked();
  Settings.ReCalcPos = recalc;
  std::array<int, 16> sites{};
  std::copy_n(SiteEditList.begin(), kLoadSites, sites.begin());
  const TLoadSiteChange change = ChangeLoadSites(MapSlots[CurrentMap], sites, recalc);
  TR7Tform1* main = R7Tform1;
  if (main == nullptr) return;
  // The re-sampled cells (grid column = speed site + 1), then the new positions as the
  // row headings of the main grids.
  for (const TCellWrite& w : change.Ignition) main->ignitiontable->SetCells(w.Col + 1, w.Row, IntToStr(w.NewValue));
  for (const TCellWrite& w : change.Injection) main->injectiontable->SetCells(w.Col + 1, w.Row, IntToStr(w.NewValue));
  for (const TCellWrite& w : change.AFRTarget) {
    main->AFRTargetTable->SetCells(w.Col + 1, w.Row, Str(w.NewValue / 10.0, 3, 1));
    main->SetCellColour(main->AFRTargetTable, w.Col + 1, w.Row, kRed, kBlue, 110, 147, 160, w.NewValue);
  }
  const bool pressure = (MapSlots[CurrentMap].LoadOptions & 1) != 0;
  for (TStringAlignGrid* grid :
       {main->ignitiontable, main->injectiontable, main->AFRTargetTable, main->AFRCorrectionTable})
    if (grid != nullptr)
      for (int r = 1; r <= kLoadSites; ++r)
        grid->SetCells(0, r, SitePositionText(sites[static_cast<size_t>(r - 1)], pressure));
}
