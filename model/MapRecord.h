#pragma once
// One complete PC map and the three map slots the program holds.
//
// The record is also the payload of a map file and the source of a map-bank image, so
// its byte layout is a file format: 25,728 bytes, every field directly after the
// previous one, little-endian. Gaps the ECU does not use are kept as reserved bytes so
// that a loaded map saves back byte for byte.
#include <cstddef>
#include <cstdint>
#include "model/LeField.h"
#include "platform/rtl/AnsiString.h"

// A short string: one length byte followed by N character bytes (Windows-1252). Bytes
// after the length are undefined and kept as they are.
template <size_t N>
struct ShortString {
  uint8_t Length;
  char Chars[N];

  // The length byte of a file may exceed N; only the N stored characters are returned.
  AnsiString Get() const { return AnsiString(Chars, Length <= N ? Length : N); }
  // Text longer than N characters is cut to N.
  void Set(const AnsiString& s) {
    const size_t n = s.size() <= N ? s.size() : N;
    for (size_t i = 0; i < n; ++i) Chars[i] = s[i];
    Length = static_cast<uint8_t>(n);
  }
};

// Main-table layout: 34 columns of 17 words. Cell (speed site s 1..32, load site l 1..16)
// is [s][l]; column 0, column 33 and word 0 of every column are not map cells. The
// five-load-row additional tables use the same layout with l 1..5.
using TMainTable = le::I16[34][17];
// Byte table with the same shape (the AFR mode table).
using TByteTable = uint8_t[34][17];
// Temperature-site tables: site i (0..13) for -30, -20, -10, 0, 10 ... 80, 100, 120 degC.
using TSiteTable = le::I16[14];

constexpr int kMainSpeedSites = 32;  // s = 1..32
constexpr int kMainLoadSites = 16;   // l = 1..16
constexpr int kAdditionalLoadRows = 5;
constexpr int kTemperatureSites = 14;

// Additional 34 x 17 tables with their own five-site load axes, by axis index k.
enum TAdditionalAxis { axPWMBoost = 0, axCoilOn = 1, axVVT = 2, axInjTiming = 3, axFifth = 4 };

struct TMapRecord {
  uint8_t Source;  // 0 empty, 1 loaded from a file, 2 read from the ECU
  ShortString<32> MapName;
  ShortString<10> Date;
  ShortString<32> Owner;
  ShortString<32> Engine;
  ShortString<32> Induction;
  ShortString<10> Pressure;
  ShortString<32> Injectors;
  ShortString<32> InjectionType;
  ShortString<32> Exhaust;
  ShortString<255> Comments;  // the editor limits it to 248 characters
  le::I16 StartupTiming;

  TMainTable IgnitionTable;       // degrees
  TMainTable InjectionTable;
  TMainTable AFRTargetTable;      // air-fuel ratio x 10
  TMainTable AFRCorrectionTable;  // 16384 = 100 %
  TMainTable BoostDutyTable;      // 5 load rows, duty 0..255
  TMainTable BoostTargetTable;    // 5 load rows
  le::I16 BoostLimitByGear[8];    // gears 1..8, duty 0..255
  TMainTable UserPWMTable;        // 5 load rows, duty 0..255
  TMainTable VVTTable;            // 5 load rows
  TMainTable FifthTable;          // 5 load rows, shown by no window
  TMainTable CoilOnTable;         // 5 load rows, ms x 20.4918
  le::I16 CoilOnCranking;         // ms x 20.4918
  TMainTable InjTimingTable;      // 5 load rows
  le::I16 VVTDelay;
  le::I16 VVTOffset;  // the VVT display spans offset .. offset + 255

  uint8_t PWMEnabled;
  uint8_t PWMFlag2;
  le::I16 PWMWord1;
  le::I16 PWMFrequency;
  le::I16 PWMTempSource;  // item index
  le::I16 PWMUpperTemp;
  le::I16 PWMLowerTemp;
  le::I16 PWMUpperAdjust;  // duty 0..255
  le::I16 PWMLowerAdjust;  // duty 0..255
  le::I16 PWMWord8;
  le::I16 PWMWord9;
  le::I16 PWMWord10;  // duty 0..255
  le::I16 PWMWord11;  // duty 0..255

  // Load axes of the additional tables, [TAdditionalAxis][site]; sites 0..4 used.
  le::I16 AddThrottleSites[5][34];
  le::I16 AddMAPSites[5][34];

  le::I16 MainThrottleSites[16];  // %
  uint8_t Reserved13986[36];
  le::I16 MainMAPSites[16];  // kPa
  uint8_t Reserved14054[36];
  le::U16 SpeedSites[33];  // rpm; sites 0..31 are table columns 1..32
  uint8_t Reserved14156[2];
  le::I16 BoostLoadList[5];
  uint8_t Reserved14168[58];
  le::I16 CrankTurns[5];  // kept strictly rising
  uint8_t Reserved14236[58];
  le::I16 LoadOptions;  // bit 0: main tables use the MAP load sites
  le::I16 EGTColumn1[8];  // rows for 750, 800, ... 1100 degC
  le::I16 EGTColumn2[8];  // duty 0..255
  uint8_t EGTEnabled;
  uint8_t Reserved14329;
  // MAP compensation rows r = 1..20 (index 0 unused).
  le::I16 MAPCompPressure[21];
  le::I16 MAPCompValue2[21];
  le::I16 MAPCompValue3[21];

  TSiteTable AirIgnCorrection;
  uint8_t Reserved14484[40];
  TSiteTable AirFuelCorrection;
  uint8_t Reserved14552[40];
  TSiteTable BoostLimitAirTemp;  // duty 0..255
  uint8_t Reserved14620[40];
  TSiteTable BoostLimitAuxTemp;  // duty 0..255
  uint8_t Reserved14688[40];
  TSiteTable CoolantIgnCorrection;
  uint8_t Reserved14756[40];
  TSiteTable CoolantFuelCorrection;
  uint8_t Reserved14824[40];
  le::I16 RpmCorrection[32];  // by speed site
  TSiteTable IdleSpeedByCoolant;  // rpm / 10
  uint8_t Reserved14956[40];
  TSiteTable BoostLimitCoolant;  // duty 0..255
  uint8_t Reserved15024[40];
  TSiteTable CrankingPrime;
  uint8_t Reserved15092[40];
  // Cell (temperature site column c = 1..14, turn row r = 0..4) is [c][r].
  TMainTable CrankingTable;
  TSiteTable IACVPositionByCoolant;
  uint8_t Reserved16316[40];
  TSiteTable VVTControlByCoolant;
  uint8_t Reserved16384[40];
  le::I16 IdleFuel[5];
  le::I16 CylTrimCells[96];  // see CylinderTrim()
  le::I16 CylTrimSites[5];
  le::I16 BattCompVoltageAxis[10];  // rows 1..10; volts / 0.0122079
  le::I16 BattCompValues[10];       // rows 1..10; shown x 0.05
  uint8_t BattCompType;  // 0 shows the ten-row table
  uint8_t Reserved16677;

  le::I16 AccelEnrichment;
  le::I16 AccelClamp;
  le::I16 AccelDecay;
  le::I16 AccelSpeedLimit;  // rpm
  le::I16 AccelRate;
  le::I16 AccelThrottle;
  le::I16 AccelBySpeed[32];
  uint8_t Reserved16754[4];
  // 14 temperature sites are used; the old text map reader sets the first 32 words.
  le::I16 AccelByTemp[34];

  le::I16 IdleUpSpeed;    // rpm / 10
  le::I16 IdleUpVoltage;  // volts x 10
  le::I16 IdleSpeedSwitch;
  le::I16 IdleThrottleSwitch;
  le::I16 IACVStartPosition;
  le::I16 IdleControlMode;  // item index
  le::I16 IACVRate;
  le::I16 IACVOff;
  uint8_t IdleFineControl;
  uint8_t Reserved16843;
  le::I16 IdleIgnTrim;
  le::I16 IdleIgnRate;
  uint8_t LambdaOptions;  // bits 3..4 select the sensor
  uint8_t Reserved16849;
  le::I16 LambdaStartDelay;
  le::I16 LambdaWarmupDelay;
  le::I16 LambdaCoolant;
  le::I16 LambdaDecel;
  le::I16 LambdaAccel;
  le::I16 LambdaMaxCorrection;
  le::I16 LambdaMinCorrection;
  le::I16 LambdaCorrRangeFlag;
  le::I16 LambdaMapResponse;  // x 10
  le::I16 LambdaPGain;        // x 255
  le::I16 LambdaIGain;        // x 255
  le::I16 LambdaLoad;
  le::I16 LambdaSpeed;
  le::I16 LambdaLockTimer;  // x 100
  le::I16 LambdaLockRate;   // x 100
  le::I16 LambdaResponse;
  le::I16 LambdaDecelDelay;
  uint8_t Reserved16884[8];

  le::I32 InjectorFlow;
  le::F64 FuelPressure;          // the pressure the injectors run at
  le::F64 RatedPressure;         // the pressure their flow is rated at
  le::I32 FlowUnit;              // non-zero lb/hr, else cc/min
  le::I32 FuelPressureUnit;      // non-zero bar, else psi
  le::I32 RatedPressureUnit;     // non-zero bar, else psi
  uint8_t MSPB;                  // injection time base, microseconds per bit
  uint8_t OverrunCutEnabled;
  le::U16 OverrunCutThrottle;
  le::I16 OverrunCutSpeed;
  le::I16 Fan2OnTemp;
  le::I16 Fan2OffTemp;
  le::I16 Fan1OnTemp;
  le::I16 Fan1OffTemp;
  le::U16 ShiftLightSpeed;
  uint8_t SeqShiftEnabled;
  uint8_t Reserved16941;
  le::U16 SeqShiftStart;  // type 0: rpm <= 20000, multiple of 50; type 1: <= 2550, multiple of 10
  uint8_t SeqShiftType;   // 0 or 1
  uint8_t Reserved16945;
  le::I16 SeqShiftDown;
  le::I16 SoftRevLimit;
  le::I16 HardRevLimit;
  uint8_t DblInjSecondSize;
  uint8_t DblInjFirstLimit;
  uint8_t DblInjForced;
  uint8_t DblInjLoad;
  uint8_t DblInjSpeed;
  uint8_t DblInjFirstAfterSize;
  uint8_t DblInjRichCrossover;
  uint8_t BoostOptions;  // bit 0 function, bits 1..4 further options
  uint8_t BoostControlLimit;
  uint8_t BoostFrequency;
  uint8_t BoostRate;  // x 100
  uint8_t BoostMinDuty;
  uint8_t BoostMaxDuty;
  uint8_t Reserved16965;
  uint8_t BoostP;
  uint8_t BoostI;
  uint8_t BoostD;
  uint8_t Reserved16969;
  le::I16 BoostCutPressure;  // shown through the pressure unit as value - 100
  uint8_t BoostCutTime;      // x 10
  uint8_t Reserved16973;
  le::I16 VTECOnSpeed;
  le::I16 VTECOnThrottle;
  le::I16 VTECOffSpeed;
  le::I16 VTECOffThrottle;
  uint8_t FlatShiftEnabled;
  uint8_t Reserved16983;
  le::I16 FlatShiftThrottle;
  uint8_t FlatShiftType;
  uint8_t Reserved16987;
  le::I16 FlatShiftAdvance;  // degrees = (value - 120) / 2
  uint8_t FlatShiftDelay;    // x 10
  uint8_t Reserved16991[7];
  le::I16 FlatShiftSpeed;
  le::I16 FlatShiftMinSpeed;
  le::I16 FlatShiftTable[8];  // x 0.01
  uint8_t Reserved17018[68];
  TByteTable AFRModeTable;  // 0, 1 or 2
  uint8_t BoostPressureLimit1;
  uint8_t BoostPressureLimit2;
  int8_t MAPCompValue4[20];  // rows 1..20 at index r - 1; x 10, signed
  uint8_t MainOptionItem;
  uint8_t OptionBits17687;  // bit 0 is an item choice
  uint8_t OptionBits17688;  // bits 0..2
  uint8_t Setting17689;     // shown / 10
  le::I16 Setting17690;
  le::I16 Setting17692;
  uint8_t Setting17694;
  uint8_t Setting17695;
  uint8_t Setting17696;  // shown / 10
  uint8_t Reserved17697[3];
  // BARO compensation rows r = 1..20 (index 0 unused).
  le::I16 BaroCompPressure[21];  // millibar
  le::I16 BaroCompValue2[21];
  le::I16 BaroCompValue3[21];
  uint8_t Unused17826[7902];

  // Cylinder trims: column c = 0..5, row r = 1..16 (rows 1..8 ignition trims of
  // cylinders 1..8, rows 9..16 injection trims).
  le::I16& CylinderTrim(int c, int r) { return CylTrimCells[16 * c + r - 1]; }
  const le::I16& CylinderTrim(int c, int r) const { return CylTrimCells[16 * c + r - 1]; }

  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(this); }
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(this); }
  // Zero-fills the whole record: an empty slot.
  void Clear();
};

constexpr size_t kMapRecordSize = 25728;

static_assert(sizeof(TMapRecord) == kMapRecordSize);
static_assert(alignof(TMapRecord) == 1);
static_assert(offsetof(TMapRecord, MapName) == 1);
static_assert(offsetof(TMapRecord, Date) == 34);
static_assert(offsetof(TMapRecord, Exhaust) == 221);
static_assert(offsetof(TMapRecord, Comments) == 254);
static_assert(offsetof(TMapRecord, StartupTiming) == 510);
static_assert(offsetof(TMapRecord, IgnitionTable) == 512);
static_assert(offsetof(TMapRecord, InjectionTable) == 1668);
static_assert(offsetof(TMapRecord, AFRTargetTable) == 2824);
static_assert(offsetof(TMapRecord, AFRCorrectionTable) == 3980);
static_assert(offsetof(TMapRecord, BoostDutyTable) == 5136);
static_assert(offsetof(TMapRecord, BoostTargetTable) == 6292);
static_assert(offsetof(TMapRecord, BoostLimitByGear) == 7448);
static_assert(offsetof(TMapRecord, UserPWMTable) == 7464);
static_assert(offsetof(TMapRecord, VVTTable) == 8620);
static_assert(offsetof(TMapRecord, FifthTable) == 9776);
static_assert(offsetof(TMapRecord, CoilOnTable) == 10932);
static_assert(offsetof(TMapRecord, CoilOnCranking) == 12088);
static_assert(offsetof(TMapRecord, InjTimingTable) == 12090);
static_assert(offsetof(TMapRecord, VVTDelay) == 13246);
static_assert(offsetof(TMapRecord, VVTOffset) == 13248);
static_assert(offsetof(TMapRecord, PWMEnabled) == 13250);
static_assert(offsetof(TMapRecord, PWMWord11) == 13272);
static_assert(offsetof(TMapRecord, AddThrottleSites) == 13274);
static_assert(offsetof(TMapRecord, AddMAPSites) == 13614);
static_assert(offsetof(TMapRecord, MainThrottleSites) == 13954);
static_assert(offsetof(TMapRecord, MainMAPSites) == 14022);
static_assert(offsetof(TMapRecord, SpeedSites) == 14090);
static_assert(offsetof(TMapRecord, BoostLoadList) == 14158);
static_assert(offsetof(TMapRecord, CrankTurns) == 14226);
static_assert(offsetof(TMapRecord, LoadOptions) == 14294);
static_assert(offsetof(TMapRecord, EGTColumn1) == 14296);
static_assert(offsetof(TMapRecord, EGTColumn2) == 14312);
static_assert(offsetof(TMapRecord, EGTEnabled) == 14328);
static_assert(offsetof(TMapRecord, MAPCompPressure) == 14330);
static_assert(offsetof(TMapRecord, MAPCompValue2) == 14372);
static_assert(offsetof(TMapRecord, MAPCompValue3) == 14414);
static_assert(offsetof(TMapRecord, AirIgnCorrection) == 14456);
static_assert(offsetof(TMapRecord, AirFuelCorrection) == 14524);
static_assert(offsetof(TMapRecord, BoostLimitAirTemp) == 14592);
static_assert(offsetof(TMapRecord, BoostLimitAuxTemp) == 14660);
static_assert(offsetof(TMapRecord, CoolantIgnCorrection) == 14728);
static_assert(offsetof(TMapRecord, CoolantFuelCorrection) == 14796);
static_assert(offsetof(TMapRecord, RpmCorrection) == 14864);
static_assert(offsetof(TMapRecord, IdleSpeedByCoolant) == 14928);
static_assert(offsetof(TMapRecord, BoostLimitCoolant) == 14996);
static_assert(offsetof(TMapRecord, CrankingPrime) == 15064);
static_assert(offsetof(TMapRecord, CrankingTable) == 15132);
static_assert(offsetof(TMapRecord, IACVPositionByCoolant) == 16288);
static_assert(offsetof(TMapRecord, VVTControlByCoolant) == 16356);
static_assert(offsetof(TMapRecord, IdleFuel) == 16424);
static_assert(offsetof(TMapRecord, CylTrimCells) == 16434);
static_assert(offsetof(TMapRecord, CylTrimSites) == 16626);
static_assert(offsetof(TMapRecord, BattCompVoltageAxis) == 16636);
static_assert(offsetof(TMapRecord, BattCompValues) == 16656);
static_assert(offsetof(TMapRecord, BattCompType) == 16676);
static_assert(offsetof(TMapRecord, AccelEnrichment) == 16678);
static_assert(offsetof(TMapRecord, AccelThrottle) == 16688);
static_assert(offsetof(TMapRecord, AccelBySpeed) == 16690);
static_assert(offsetof(TMapRecord, AccelByTemp) == 16758);
static_assert(offsetof(TMapRecord, IdleUpSpeed) == 16826);
static_assert(offsetof(TMapRecord, IdleFineControl) == 16842);
static_assert(offsetof(TMapRecord, IdleIgnRate) == 16846);
static_assert(offsetof(TMapRecord, LambdaOptions) == 16848);
static_assert(offsetof(TMapRecord, LambdaStartDelay) == 16850);
static_assert(offsetof(TMapRecord, LambdaMapResponse) == 16866);
static_assert(offsetof(TMapRecord, LambdaDecelDelay) == 16882);
static_assert(offsetof(TMapRecord, InjectorFlow) == 16892);
static_assert(offsetof(TMapRecord, FuelPressure) == 16896);
static_assert(offsetof(TMapRecord, RatedPressure) == 16904);
static_assert(offsetof(TMapRecord, FlowUnit) == 16912);
static_assert(offsetof(TMapRecord, FuelPressureUnit) == 16916);
static_assert(offsetof(TMapRecord, RatedPressureUnit) == 16920);
static_assert(offsetof(TMapRecord, MSPB) == 16924);
static_assert(offsetof(TMapRecord, OverrunCutThrottle) == 16926);
static_assert(offsetof(TMapRecord, Fan2OnTemp) == 16930);
static_assert(offsetof(TMapRecord, Fan1OffTemp) == 16936);
static_assert(offsetof(TMapRecord, ShiftLightSpeed) == 16938);
static_assert(offsetof(TMapRecord, SeqShiftEnabled) == 16940);
static_assert(offsetof(TMapRecord, SeqShiftStart) == 16942);
static_assert(offsetof(TMapRecord, SeqShiftType) == 16944);
static_assert(offsetof(TMapRecord, SeqShiftDown) == 16946);
static_assert(offsetof(TMapRecord, SoftRevLimit) == 16948);
static_assert(offsetof(TMapRecord, HardRevLimit) == 16950);
static_assert(offsetof(TMapRecord, DblInjSecondSize) == 16952);
static_assert(offsetof(TMapRecord, DblInjRichCrossover) == 16958);
static_assert(offsetof(TMapRecord, BoostOptions) == 16959);
static_assert(offsetof(TMapRecord, BoostMaxDuty) == 16964);
static_assert(offsetof(TMapRecord, BoostP) == 16966);
static_assert(offsetof(TMapRecord, BoostD) == 16968);
static_assert(offsetof(TMapRecord, BoostCutPressure) == 16970);
static_assert(offsetof(TMapRecord, BoostCutTime) == 16972);
static_assert(offsetof(TMapRecord, VTECOnSpeed) == 16974);
static_assert(offsetof(TMapRecord, VTECOffThrottle) == 16980);
static_assert(offsetof(TMapRecord, FlatShiftEnabled) == 16982);
static_assert(offsetof(TMapRecord, FlatShiftThrottle) == 16984);
static_assert(offsetof(TMapRecord, FlatShiftType) == 16986);
static_assert(offsetof(TMapRecord, FlatShiftAdvance) == 16988);
static_assert(offsetof(TMapRecord, FlatShiftDelay) == 16990);
static_assert(offsetof(TMapRecord, FlatShiftSpeed) == 16998);
static_assert(offsetof(TMapRecord, FlatShiftMinSpeed) == 17000);
static_assert(offsetof(TMapRecord, FlatShiftTable) == 17002);
static_assert(offsetof(TMapRecord, AFRModeTable) == 17086);
static_assert(offsetof(TMapRecord, BoostPressureLimit1) == 17664);
static_assert(offsetof(TMapRecord, MAPCompValue4) == 17666);
static_assert(offsetof(TMapRecord, MainOptionItem) == 17686);
static_assert(offsetof(TMapRecord, OptionBits17687) == 17687);
static_assert(offsetof(TMapRecord, Setting17690) == 17690);
static_assert(offsetof(TMapRecord, Setting17696) == 17696);
static_assert(offsetof(TMapRecord, BaroCompPressure) == 17700);
static_assert(offsetof(TMapRecord, BaroCompValue2) == 17742);
static_assert(offsetof(TMapRecord, BaroCompValue3) == 17784);
static_assert(offsetof(TMapRecord, Unused17826) == 17826);

// The three PC map slots, numbered 1..3 as the program counts them. A slot number
// outside 1..3 raises ERangeError instead of reaching past the block.
class TMapSlots {
 public:
  TMapRecord& operator[](int n);
  const TMapRecord& operator[](int n) const;
  // A slot is present when its source byte is not 0.
  bool Present(int n) const { return (*this)[n].Source != 0; }

 private:
  TMapRecord slots_[3];
};

extern TMapSlots MapSlots;
extern int32_t CurrentMap;  // 1..3, the slot shown and edited
// The speed sites made with the first group of defaults, as 32-bit values; the old text
// map reader takes its default speed sites from here.
extern int32_t SpeedSiteList[33];

// Defaults written into a map at the main window's first activation, in groups, each
// called at its moment of the activation. Fields no group names stay as they are.
// Speed sites (0, 500, then + SpeedSiteStep; also into SpeedSiteList), boost limits and
// boost cut.
void SetMapSpeedSiteAndLimitDefaults(TMapRecord& map, int32_t speedSiteStep);
// The additional tables, their load axes, user PWM, injector data, flat shift.
void SetMapAdditionalDefaults(TMapRecord& map);
// The 20 BARO compensation pressures := 1000 mbar.
void SetMapBaroDefaults(TMapRecord& map);
// The boost load list 0, 25, 50, 75, 100.
void SetMapBoostLoadDefaults(TMapRecord& map);
// Main and correction tables, comments, load sites, cranking, limits, VTEC.
void SetMapMainDefaults(TMapRecord& map);
// Battery compensation axis, values and type.
void SetMapBattCompDefaults(TMapRecord& map);

// Copies slot 1 whole into slots 2 and 3 (the end of the first activation).
void CopyMap1ToMaps2And3();
