#include "config/LoadSiteAdjU.h"

#include <algorithm>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "config/Additonl.h"
#include "config/SiteEditing.h"
#include "controls/Aligrid.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/ui/Dialogs.h"

TLoadSiteAdj* LoadSiteAdj = nullptr;
std::array<int32_t, 5> LoadSiteNew{};
std::array<int32_t, 5> LoadSiteCurrent{};
int32_t LoadSiteUnit = 0;

namespace {

constexpr int kSites = 5;
constexpr int kTurnsTag = kCrankTurnsSiteTag;
// The cylinder trims' speed sites move 10 rpm a step, within the map's speed sites.
constexpr int32_t kRpmStep = 10;

// The record axis of each additional-table tag 0..3.
constexpr TAdditionalAxis kAxisOfTag[4] = {axCoilOn, axInjTiming, axPWMBoost, axVVT};

}  // namespace

bool StoreSiteAxis(TMapRecord& map, int tag, int unit, const std::array<int32_t, 5>& sites) {
  le::I16* axis = nullptr;
  if (tag == kTurnsTag) {
    axis = map.CrankTurns;
  } else if (tag == kCylTrimSiteTag) {
    axis = map.CylTrimSites;
  } else if (tag >= 0 && tag < kTurnsTag && (unit == 0 || unit == 1)) {
    const TAdditionalAxis k = kAxisOfTag[tag];
    axis = unit == 1 ? map.AddMAPSites[k] : map.AddThrottleSites[k];
  }
  if (axis == nullptr) return false;
  for (int i = 0; i < kSites; ++i)
    axis[i] = static_cast<int16_t>(std::clamp<int32_t>(sites[static_cast<size_t>(i)], INT16_MIN, INT16_MAX));
  return true;
}

void TLoadSiteAdj::Publish(TClassProps<TLoadSiteAdj>& P) {
  P.Field("SitePosGrid", &TLoadSiteAdj::SitePosGrid)
      .Field("BitBtn1", &TLoadSiteAdj::BitBtn1)
      .Field("BitBtn2", &TLoadSiteAdj::BitBtn2)
      .Handler("FormCreate", &TLoadSiteAdj::FormCreate)
      .Handler("FormShow", &TLoadSiteAdj::FormShow)
      .Handler("SitePosGridKeyDown", &TLoadSiteAdj::SitePosGridKeyDown)
      .Handler("BitBtn1Click", &TLoadSiteAdj::BitBtn1Click);
}

void TLoadSiteAdj::FormCreate(TObject*) {
  SitePosGrid->SetCells(0, 0, "Load site");
  SitePosGrid->SetCells(1, 0, "Current pos  (%)");
  SitePosGrid->SetCells(2, 0, "New pos (%)");
  SitePosGrid->SetColWidths(0, 60);
  SitePosGrid->SetRowHeights(0, 32);
  for (int r = 1; r <= kSites; ++r) SitePosGrid->SetCells(0, r, IntToStr(r));
}

int32_t TLoadSiteAdj::LastSiteMax(int unit) {
  switch (unit) {
    case 1: return 455;
    case 2: return 999;
    case kRpmSiteUnit: return MapSlots[CurrentMap].SpeedSites[31];
    default: return 100;
  }
}

namespace {

// A position as the grid shows it: rpm with a thousands comma, like the speed headings.
AnsiString PositionText(int32_t position) {
  if (LoadSiteUnit != kRpmSiteUnit) return SitePositionText(position, LoadSiteUnit == 1);
  return FormatFloat("#,##0", position);
}

}  // namespace

void TLoadSiteAdj::FormShow(TObject*) {
  SitePosGrid->SetCells(0, 0, LoadSiteUnit == kRpmSiteUnit ? "Speed site" : "Load site");
  if (LoadSiteUnit == kRpmSiteUnit) {
    SetCaption("Speed site positions");
    SitePosGrid->SetCells(1, 0, "Current RPM");
    SitePosGrid->SetCells(2, 0, "New RPM");
  } else if (LoadSiteUnit == 2) {
    SetCaption("Number of engine turns from start");
    SitePosGrid->SetCells(1, 0, "Turns");
    SitePosGrid->SetCells(2, 0, "Turns");
  } else {
    SetCaption("Load site adjust..");
    const AnsiString unit = LoadSiteUnit == 1 ? PressureUnitHeading() : AnsiString("%");
    SitePosGrid->SetCells(1, 0, "Current pos\r(" + unit + ")");
    SitePosGrid->SetCells(2, 0, "New pos\r(" + unit + ")");
  }
  for (int i = 0; i < kSites; ++i) {
    SitePosGrid->SetCells(1, i + 1, PositionText(LoadSiteCurrent[static_cast<size_t>(i)]));
    ShowNewSite(i);
  }
}

void TLoadSiteAdj::ShowNewSite(int site) {
  SitePosGrid->SetCells(2, site + 1, PositionText(LoadSiteNew[static_cast<size_t>(site)]));
}

void TLoadSiteAdj::SitePosGridKeyDown(TObject*, WORD& Key, TShiftState) {
  const TGridRect sel = SitePosGrid->Selection();
  const int first = std::max(sel.Top, 1) - 1, last = std::min(sel.Bottom, kSites) - 1;
  if (first > last) return;
  if (const int direction = SiteStepDirection(Key); direction != 0) {
    const bool rpm = LoadSiteUnit == kRpmSiteUnit;
    const int32_t step = rpm ? kRpmStep : 1, lowest = rpm ? MapSlots[CurrentMap].SpeedSites[0] : 0;
    if (StepLoadSites(LoadSiteNew, first, last, direction, LastSiteMax(LoadSiteUnit), step, lowest))
      for (int k = first; k <= last; ++k) ShowNewSite(k);
  } else if (Key == 'C' && first != last) {
    if (!InterpolateSites(LoadSiteNew, first, last)) {
      MessageDlg(kNotEnoughRange, mtError, TMsgDlgButtons{mbOK});
      return;
    }
    for (int k = first + 1; k < last; ++k) ShowNewSite(k);
  }
}

void TLoadSiteAdj::BitBtn1Click(TObject*) {
  if (!StoreSiteAxis(MapSlots[CurrentMap], Tag, LoadSiteUnit, LoadSiteNew)) return;
  // The axis display of the table whose sites moved.
  TAdditionalMaps* a = AdditionalMaps;
  switch (Tag) {
    case 0: if (a) a->UpdateCoilOnLoad(); break;
    case 1: if (a) a->UpdateInjPosLoad(); break;
    case 2: if (a) a->UpdatePWMLoad(); break;
    case 3: if (a) a->UpdateVVTload(); break;
    case kTurnsTag: if (R7Tform1) R7Tform1->UpdateTurnPositions(); break;
    case kCylTrimSiteTag: if (a) a->UpdateCylTrimSites(); break;
    default: break;
  }
}
