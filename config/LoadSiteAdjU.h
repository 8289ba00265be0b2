#pragma once
// The site-adjust window: the five positions of a 5-site load axis of the additional
// tables, the five cranking turns, or the five speed sites of the cylinder trims. The
// opener sets Tag (which axis: 0 coil on-time, 1 injector timing, 2 user PWM, 3 VVT,
// 4 cranking turns, 5 cylinder-trim speed sites), LoadSiteUnit (0 throttle percent, 1 MAP
// pressure, 2 turns, 3 rpm) and copies the five positions into LoadSiteCurrent and
// LoadSiteNew; OK writes LoadSiteNew into that axis of the current map.
#include <array>
#include <cstdint>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TStringAlignGrid;
struct TMapRecord;

extern std::array<int32_t, 5> LoadSiteNew;
extern std::array<int32_t, 5> LoadSiteCurrent;
extern int32_t LoadSiteUnit;

class TLoadSiteAdj : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TLoadSiteAdj"; }
  static void Publish(TClassProps<TLoadSiteAdj>& P);

  TStringAlignGrid* SitePosGrid = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;

  void FormCreate(TObject* Sender);
  // Caption, headings and both columns by the kind of axis.
  void FormShow(TObject* Sender);
  // Step keys and "C" on the selected rows.
  void SitePosGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void BitBtn1Click(TObject* Sender);

  // The highest position of the last site: 100 %, 455 kPa, 999 turns, or for rpm the
  // last speed site of the current map.
  static int32_t LastSiteMax(int unit);
  // Writes new position `site` (0..4) into column 2.
  void ShowNewSite(int site);
};

inline constexpr int kCrankTurnsSiteTag = 4;
inline constexpr int kCylTrimSiteTag = 5;
inline constexpr int kRpmSiteUnit = 3;

// Stores the five positions into the axis that `tag` and `unit` name: an additional
// table's throttle (unit 0) or MAP (unit 1) axis, the cranking turns (tag 4) or the
// cylinder trims' speed sites (tag 5). False for a tag or unit that names no axis;
// nothing is written then.
bool StoreSiteAxis(TMapRecord& map, int tag, int unit, const std::array<int32_t, 5>& sites);

extern TLoadSiteAdj* LoadSiteAdj;
