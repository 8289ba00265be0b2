#include "config/SpeedSiteAdj.h"

#include <algorithm>
#include <array>

#include "app/Main.h"
#include "model/MapInterp.h"
#include "model/Settings.h"
#include "config/SiteEditing.h"
#include "controls/Aligrid.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

TSpeedSiteForm* SpeedSiteForm = nullptr;

namespace {

constexpr int kSpeedSites = 32;
constexpr int kFastStep = 50;  // rpm per key with Shift, Alt or Ctrl held

// "," before the last three digits from 1000 up.
AnsiString RpmText(int32_t rpm) {
  const AnsiString t = IntToStr(rpm);
  if (rpm < 1000) return t;
  const size_t head = t.size() - 3;
  return t.substr(0, head) + "," + t.substr(head);
}

}  // namespace

void TSpeedSiteForm::Publish(TClassProps<TSpeedSiteForm>& P) {
  P.Field("SitePosGrid", &TSpeedSiteForm::SitePosGrid)
      .Field("ReCalcMaps", &TSpeedSiteForm::ReCalcMaps)
      .Field("BitBtn1", &TSpeedSiteForm::BitBtn1)
      .Field("BitBtn2", &TSpeedSiteForm::BitBtn2)
      .Handler("FormCreate", &TSpeedSiteForm::FormCreate)
      .Handler("FormShow", &TSpeedSiteForm::FormShow)
      .Handler("SitePosGridKeyDown", &TSpeedSiteForm::SitePosGridKeyDown)
      .Handler("BitBtn1Click", &TSpeedSiteForm::BitBtn1Click);
}

void TSpeedSiteForm::FormCreate(TObject*) {
  SitePosGrid->SetCells(0, 0, "Speed site");
  SitePosGrid->SetCells(0, 1, "Current RPM");
  SitePosGrid->SetCells(0, 2, "New RPM");
  SitePosGrid->SetColWidths(0, 84);
  for (int s = 0; s < kSpeedSites && s + 1 < SitePosGrid->ColCount(); ++s)
    SitePosGrid->SetCells(s + 1, 0, IntToStr(s));
}

void TSpeedSiteForm::FormShow(TObject*) {
  if (SitePosGrid->ColCount() < kSpeedSites + 1) SitePosGrid->SetColCount(kSpeedSites + 1);
  const TMapRecord& map = MapSlots[CurrentMap];
  for (int s = 0; s < kSpeedSites; ++s) {
    SiteEditList[static_cast<size_t>(s)] = map.SpeedSites[s];
    SitePosGrid->SetCells(s + 1, 0, IntToStr(s));
    SitePosGrid->SetCells(s + 1, 1, RpmText(map.SpeedSites[s]));
    ShowNewSite(s);
  }
  SiteEditList[kSpeedSites] = kSpeedSiteEnd;
}

void TSpeedSiteForm::ShowNewSite(int site) {
  SitePosGrid->SetCells(site + 1, 2, RpmText(SiteEditList[static_cast<size_t>(site)]));
}

void TSpeedSiteForm::SitePosGridKeyDown(TObject*, WORD& Key, TShiftState Shift) {
  const TGridRect sel = SitePosGrid->Selection();
  const int first = std::max(sel.Left, 1) - 1, last = std::min(sel.Right, kSpeedSites) - 1;
  if (first > last) return;
  if (const int direction = SiteStepDirection(Key); direction != 0) {
    const bool fast = Shift.Contains(ssShift) || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl);
    const uint32_t moved = StepSpeedSites(SiteEditList, first, last, direction, fast ? kFastStep : 1);
    for (int s = first; s <= last; ++s)
      if (moved & (1u << s)) ShowNewSite(s);
  } else if (Key == 'C' && first != last) {
    // The end mark is not a site: the spread covers sites 0..31 only.
    if (!InterpolateSites(std::span<int32_t>(SiteEditList.data(), kSpeedSites), first, last)) {
      MessageDlg(kNotEnoughRange, mtError, TMsgDlgButtons{mbOK});
      return;
    }
    for (int s = first + 1; s < last; ++s) ShowNewSite(s);
  }
}

void TSpeedSiteForm::BitBtn1Click(TObject*) {
  const bool recalc = ReCalcMaps->Checked();
  Settings.ReCalcPos = recalc;
  std::array<int, 32> sites{};
  std::copy_n(SiteEditList.begin(), kSpeedSites, sites.begin());
  ChangeSpeedSites(MapSlots[CurrentMap], sites, recalc);
  if (R7Tform1 != nullptr) R7Tform1->RefreshMapTables();
}
