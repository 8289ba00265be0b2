#include "model/MapRecord.h"

#include <cstring>
#include "platform/rtl/SysUtils.h"

TMapSlots MapSlots;
int32_t CurrentMap = 1;
int32_t SpeedSiteList[33];

void TMapRecord::Clear() { std::memset(Bytes(), 0, kMapRecordSize); }

TMapRecord& TMapSlots::operator[](int n) {
  if (n < 1 || n > 3) throw ERangeError("Map slot " + IntToStr(n) + " does not exist");
  return slots_[n - 1];
}

const TMapRecord& TMapSlots::operator[](int n) const {
  if (n < 1 || n > 3) throw ERangeError("Map slot " + IntToStr(n) + " does not exist");
  return slots_[n - 1];
}

namespace {

// Writes v into cells s = 1..32, l = 1..rows of a main-layout table.
void FillCells(TMainTable& table, int rows, int16_t v) {
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= rows; ++l) table[s][l] = v;
}

template <size_t N>
void Fill(le::I16 (&words)[N], int16_t v) {
  for (auto& w : words) w = v;
}

}  // namespace

void SetMapSpeedSiteAndLimitDefaults(TMapRecord& map, int32_t speedSiteStep) {
  SpeedSiteList[0] = 0;
  SpeedSiteList[1] = 500;
  for (int k = 2; k <= 32; ++k) SpeedSiteList[k] = SpeedSiteList[k - 1] + speedSiteStep;
  for (int k = 0; k <= 32; ++k) map.SpeedSites[k] = static_cast<uint16_t>(SpeedSiteList[k]);

  Fill(map.BoostLimitByGear, 255);
  Fill(map.BoostLimitAirTemp, 255);
  Fill(map.BoostLimitAuxTemp, 255);
  Fill(map.BoostLimitCoolant, 255);
  map.BoostMaxDuty = 255;
  map.BoostCutPressure = 355;
  map.BoostCutTime = 255;
}

void SetMapAdditionalDefaults(TMapRecord& map) {
  FillCells(map.BoostDutyTable, kAdditionalLoadRows, 0);
  FillCells(map.BoostTargetTable, kAdditionalLoadRows, 0);
  FillCells(map.UserPWMTable, kAdditionalLoadRows, 0);
  // The VVT cells start at the VVT offset, the bottom of the VVT display span.
  map.VVTDelay = 2;
  map.VVTOffset = 200;
  FillCells(map.VVTTable, kAdditionalLoadRows, map.VVTOffset);
  FillCells(map.FifthTable, kAdditionalLoadRows, 125);
  FillCells(map.CoilOnTable, kAdditionalLoadRows, 62);
  map.CoilOnCranking = 123;
  FillCells(map.InjTimingTable, kAdditionalLoadRows, 316);

  map.PWMEnabled = 0;
  map.PWMFlag2 = 0;
  map.PWMWord1 = 0;
  map.PWMFrequency = 10;
  map.PWMTempSource = 0;
  map.PWMUpperTemp = 50;
  map.PWMLowerTemp = 30;
  map.PWMUpperAdjust = 77;
  map.PWMLowerAdjust = 77;
  map.PWMWord8 = 90;
  map.PWMWord9 = 50;
  map.PWMWord10 = 100;
  map.PWMWord11 = 0;

  for (int k = 0; k < 5; ++k)
    for (int i = 0; i < 5; ++i) {
      map.AddThrottleSites[k][i] = static_cast<int16_t>(25 * i);
      map.AddMAPSites[k][i] = static_cast<int16_t>(100 + 25 * i);
    }
  for (int i = 0; i < 5; ++i) map.CylTrimSites[i] = static_cast<int16_t>(1000 * (i + 1));

  map.InjectorFlow = 200;
  map.FuelPressure = 3.0;
  map.RatedPressure = 2.7;
  map.FlowUnit = 0;
  map.FuelPressureUnit = 1;
  map.RatedPressureUnit = 1;
  map.MSPB = 61;
  map.BoostOptions = 0;
  map.BoostRate = 20;

  map.FlatShiftEnabled = 0;
  map.FlatShiftThrottle = 75;
  map.FlatShiftType = 1;
  map.FlatShiftAdvance = 120;
  map.FlatShiftDelay = 50;
  map.FlatShiftSpeed = 5000;
  map.FlatShiftMinSpeed = 3000;
  Fill(map.FlatShiftTable, 50);
}

void SetMapBaroDefaults(TMapRecord& map) {
  for (int r = 1; r <= 20; ++r) map.BaroCompPressure[r] = 1000;
}

void SetMapBoostLoadDefaults(TMapRecord& map) {
  for (int i = 0; i < 5; ++i) map.BoostLoadList[i] = static_cast<int16_t>(25 * i);
}

void SetMapMainDefaults(TMapRecord& map) {
  static const int16_t kThrottleSites[16] = {0, 3, 6, 12, 19, 25, 31, 38, 44, 50, 57, 65, 72, 79, 86, 94};
  // round(30 + 4.667 i)
  static const int16_t kMAPSites[16] = {30, 35, 39, 44, 49, 53, 58, 63, 67, 72, 77, 81, 86, 91, 95, 100};
  static const int16_t kCrankTurns[5] = {1, 2, 3, 50, 100};

  map.Comments.Set("");
  FillCells(map.IgnitionTable, kMainLoadSites, 0);
  FillCells(map.InjectionTable, kMainLoadSites, 0);
  FillCells(map.AFRTargetTable, kMainLoadSites, 125);
  FillCells(map.AFRCorrectionTable, kMainLoadSites, 0);
  for (int i = 0; i < 16; ++i) {
    map.MainThrottleSites[i] = kThrottleSites[i];
    map.MainMAPSites[i] = kMAPSites[i];
  }
  for (int i = 0; i < 5; ++i) map.CrankTurns[i] = kCrankTurns[i];
  map.LoadOptions = 0;
  Fill(map.EGTColumn1, 0);
  Fill(map.EGTColumn2, 255);
  map.EGTEnabled = 0;
  Fill(map.AirIgnCorrection, 0);
  Fill(map.AirFuelCorrection, 0);
  Fill(map.CoolantIgnCorrection, 0);
  Fill(map.CoolantFuelCorrection, 0);
  Fill(map.CrankingPrime, 0);
  for (int c = 1; c <= kTemperatureSites; ++c)
    for (int r = 0; r < 5; ++r) map.CrankingTable[c][r] = 0;
  Fill(map.VVTControlByCoolant, 0);
  Fill(map.CylTrimCells, 0);
  map.ShiftLightSpeed = 0;
  map.SoftRevLimit = 0;
  map.HardRevLimit = 0;
  map.VTECOnSpeed = 4000;
  map.VTECOnThrottle = 34;
  map.VTECOffSpeed = 3900;
  map.VTECOffThrottle = 33;
}

void SetMapBattCompDefaults(TMapRecord& map) {
  for (int r = 1; r <= 10; ++r) {
    map.BattCompVoltageAxis[r - 1] = static_cast<int16_t>(Round((10 - r) * 0.16 / 0.0122079));
    map.BattCompValues[r - 1] = 0;
  }
  map.BattCompType = 1;
}

void CopyMap1ToMaps2And3() {
  MapSlots[2] = MapSlots[1];
  MapSlots[3] = MapSlots[1];
}
