#include "config/Insert.h"

#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "model/Settings.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Keys.h"

Tinsertdata* insertdata = nullptr;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000;

// The main tables keep their own conversions and limits (app/MapEditing).
struct TMainCaption {
  const char* Caption;
  TableId Id;
};
constexpr TMainCaption kMainCaptions[] = {{"Insert IGNITION map data", TableId::Ignition},
                                          {"Insert INJECTION map data", TableId::Injection},
                                          {"Insert AFR target", TableId::AFRTarget},
                                          {"Insert AFR correction", TableId::AFRCorrection}};

// The additional tables: the record words and the stored word for a typed value.
struct TOtherCaption {
  const char* Caption;
  TMainTable TMapRecord::*Field;
  double (*Stored)(double v, int pressureUnit);
};
constexpr TOtherCaption kOtherCaptions[] = {
    {"Insert INJECTION TIMING map data", &TMapRecord::InjTimingTable,
     [](double v, int) { return std::trunc(v / 4) * 4; }},
    {"Insert BOOST TARGET map data", &TMapRecord::BoostTargetTable,
     [](double v, int unit) {
       // Kept as pressure above atmosphere in one byte of the ECU image: a target below
       // atmosphere is stored as 0, one above 255 kPa more as 255.
       const double kpa = unit == 1 ? v * 100 : unit == 2 ? v / 14.5 * 100 : v - 100;
       return std::clamp(static_cast<double>(Round(kpa)), 0.0, 255.0);
     }},
    {"Insert BOOST VALVE PWM map data", &TMapRecord::BoostDutyTable,
     [](double v, int) { return static_cast<double>(Round(v / (100.0 / 255))); }},
    {"Insert PWM o/p map data", &TMapRecord::UserPWMTable,
     [](double v, int) { return static_cast<double>(Round(v / (100.0 / 255))); }},
    {"Insert Coil on time value", &TMapRecord::CoilOnTable,
     // One byte of the ECU's image holds the count: 12.44 ms at most.
     [](double v, int) { return std::clamp(static_cast<double>(Round(v * 20.4918)), 0.0, 255.0); }},
    {"Insert Cam timing value", &TMapRecord::VVTTable, [](double v, int) { return static_cast<double>(Round(v)); }},
};

}  // namespace

std::optional<TCellWrite> StoreInsertData(TMapRecord& map, const AnsiString& caption, int speedSite,
                                          int loadSite, double v, int pressureUnit) {
  if (speedSite < 0 || speedSite >= kMainSpeedSites || loadSite < 0 || loadSite >= kMainLoadSites ||
      !std::isfinite(v))
    return std::nullopt;
  const int col = speedSite + 1, row = loadSite + 1;
  for (const TMainCaption& c : kMainCaptions)
    if (caption == c.Caption) return StoreCellEntry(map, c.Id, col, row, v);
  for (const TOtherCaption& c : kOtherCaptions) {
    if (caption != c.Caption) continue;
    le::I16& cell = (map.*c.Field)[col][row];
    const int old = cell;
    cell = static_cast<int16_t>(std::clamp(c.Stored(v, pressureUnit), double{INT16_MIN}, double{INT16_MAX}));
    return TCellWrite{col, row, old, cell};
  }
  return std::nullopt;
}

void Tinsertdata::Publish(TClassProps<Tinsertdata>& P) {
  P.Field("Label1", &Tinsertdata::Label1)
      .Field("loadsite", &Tinsertdata::loadsite)
      .Field("Label2", &Tinsertdata::Label2)
      .Field("speedsite", &Tinsertdata::speedsite)
      .Field("Speedinfo", &Tinsertdata::Speedinfo)
      .Field("Label3", &Tinsertdata::Label3)
      .Field("currentval", &Tinsertdata::currentval)
      .Field("currentinfo", &Tinsertdata::currentinfo)
      .Field("Label4", &Tinsertdata::Label4)
      .Field("newvalue", &Tinsertdata::newvalue)
      .Field("newinfo", &Tinsertdata::newinfo)
      .Field("BitBtn1", &Tinsertdata::BitBtn1)
      .Field("BitBtn2", &Tinsertdata::BitBtn2)
      .Handler("FormActivate", &Tinsertdata::FormActivate)
      .Handler("newvalueKeyDown", &Tinsertdata::newvalueKeyDown)
      .Handler("BitBtn1Click", &Tinsertdata::BitBtn1Click)
      .Handler("BitBtn2Click", &Tinsertdata::BitBtn2Click);
}

void Tinsertdata::FormActivate(TObject*) {
  LastStore.reset();
  SetActiveControl(newvalue);
}

void Tinsertdata::newvalueKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  Key = 0;
  if (Accept()) SetModalResult(mrOk);
}

void Tinsertdata::BitBtn1Click(TObject*) {
  if (!Accept()) SetModalResult(mrNone);
}

void Tinsertdata::BitBtn2Click(TObject*) {
  LastStore.reset();
  newvalue->SetValue(0);
}

bool Tinsertdata::Accept() {
  // The edit reads its own text (signs, multiplier letters) and keeps the value within
  // the limits the caller set; text it shows as an error stores nothing.
  if (Trim(newvalue->Text()).empty() || !newvalue->ParseText(true)) {
    MessageBeep(MB_BEEP_OK);
    SetActiveControl(newvalue);
    return false;
  }
  int s = -1, l = -1;
  if (!TryStrToInt(Trim(speedsite->Text()), s) || !TryStrToInt(Trim(loadsite->Text()), l)) s = l = -1;
  LastStore = StoreInsertData(MapSlots[CurrentMap], Caption(), s, l, newvalue->Value(), Settings.PressureUnit);
  if (!LastStore || R7Tform1 == nullptr) return true;
  // The AFR grids show each cell's value as its colour too.
  const int col = LastStore->Col + 1, row = LastStore->Row;
  if (Caption() == "Insert AFR target")
    R7Tform1->SetCellColour(R7Tform1->AFRTargetTable, col, row, kRed, kBlue, 110, 147, 160, LastStore->NewValue);
  else if (Caption() == "Insert AFR correction")
    R7Tform1->SetCellColour(R7Tform1->AFRCorrectionTable, col, row, kBlue, kRed, -16384, 0, 16384,
                            LastStore->NewValue);
  return true;
}
