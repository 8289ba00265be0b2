// The configuration editor's rules on the block: cylinder counts, the ignition output
// mode, the automatic injection output assignment and the sensor unit conversions.
#include <gtest/gtest.h>

#include <vector>

#include "model/ConfigEditing.h"

namespace {

using namespace config;

constexpr uint16_t kSequential = 1 << 5;
constexpr uint16_t kDouble = 1 << 6;

struct Row {
  const char* function;
  const char* reference;
  const char* angle;
};

TConfigBlock Engine(int cylinders, bool sequential, bool dbl) {
  TConfigBlock b{};
  ApplyConfigDefaults(b);
  b.Cylinders = static_cast<uint8_t>(cylinders);
  b.OptionBits = static_cast<uint16_t>((sequential ? kSequential : 0) | (dbl ? kDouble : 0));
  std::fill(std::begin(b.CustomInjAngle), std::end(b.CustomInjAngle), int16_t{-1});
  return b;
}

TEST(InjOutputsCheck, AssignsOutputsFlagsAndAngles) {
  struct Case {
    int cylinders;
    bool sequential, dbl;
    std::vector<Row> rows;  // outputs 1..6
    uint8_t flags[4];
    bool cleared;
  } cases[] = {
      {4, false, false,
       {{"Injector", "Crank", "0.0"}, {"Injector", "Crank", "180.0"}, {"Injector", "Crank", "0.0"},
        {"Injector", "Crank", "180.0"}, {"AuxOut5", "-", "-"}, {"AuxOut6", "-", "-"}},
       {0x11, 0x11, 0x00, 0x00}, false},
      {4, true, false,
       {{"Injector", "Cam", "0.0"}, {"Injector", "Cam", "180.0"}, {"Injector", "Cam", "360.0"},
        {"Injector", "Cam", "540.0"}, {"AuxOut5", "-", "-"}, {"AuxOut6", "-", "-"}},
       {0x55, 0x55, 0x00, 0x00}, false},
      {4, false, true,
       {{"Injector", "Crank", "0.0"}, {"Injector", "Crank", "180.0"}, {"Injector", "Crank", "0.0"},
        {"Injector", "Crank", "180.0"}, {"2nd Inj", "Crank", "0.0"}, {"2nd Inj", "Crank", "180.0"}},
       {0x11, 0x11, 0x33, 0x00}, false},
      // Grouped six with double injectors: 4-6 become second injectors, counting on after 6.
      {6, false, true,
       {{"Injector", "Crank", "0.0"}, {"Injector", "Crank", "120.0"}, {"Injector", "Crank", "240.0"},
        {"2nd Inj", "Crank", "0.0"}, {"2nd Inj", "Crank", "120.0"}, {"2nd Inj", "Crank", "240.0"}},
       {0x11, 0x31, 0x33, 0x00}, false},
      {6, true, true,
       {{"Injector", "Cam", "0.0"}, {"Injector", "Cam", "120.0"}, {"Injector", "Cam", "240.0"},
        {"Injector", "Cam", "360.0"}, {"Injector", "Cam", "480.0"}, {"Injector", "Cam", "600.0"}},
       {0x55, 0x55, 0x55, 0x00}, true},
      {12, false, true,
       {{"Injector", "Crank", "0.0"}, {"Injector", "Crank", "60.0"}, {"Injector", "Crank", "120.0"},
        {"Injector", "Crank", "180.0"}, {"Injector", "Crank", "240.0"}, {"Injector", "Crank", "300.0"}},
       {0x11, 0x11, 0x11, 0x00}, true},
      {12, true, false,
       {{"Injector", "Cam", "0.0"}, {"Injector", "Cam", "60.0"}, {"Injector", "Cam", "120.0"},
        {"Injector", "Cam", "180.0"}, {"Injector", "Cam", "240.0"}, {"Injector", "Cam", "300.0"}},
       {0x55, 0x55, 0x55, 0x00}, false},
  };
  for (const Case& c : cases) {
    TConfigBlock b = Engine(c.cylinders, c.sequential, c.dbl);
    const InjOutputsResult r = AssignInjectionOutputs(b);
    const std::string what = std::to_string(c.cylinders) + (c.sequential ? " seq" : " grp") + (c.dbl ? " dbl" : "");
    for (size_t k = 0; k < c.rows.size(); ++k) {
      EXPECT_EQ(r.Rows[k].Function, c.rows[k].function) << what << " output " << k + 1;
      EXPECT_EQ(r.Rows[k].Reference, c.rows[k].reference) << what << " output " << k + 1;
      EXPECT_EQ(r.Rows[k].Angle, c.rows[k].angle) << what << " output " << k + 1;
    }
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(b.OutputAssignment[i], c.flags[i]) << what << " byte " << 6 + i;
    EXPECT_EQ(r.DoubleInjectorsCleared, c.cleared) << what;
    EXPECT_EQ((b.OptionBits & kDouble) != 0, c.dbl && !c.cleared) << what;
    // Angles are stored in half degrees; the stored table reads the same.
    const InjOutputRows stored = StoredInjectionOutputs(b);
    for (size_t k = 0; k < c.rows.size(); ++k) {
      if (r.Rows[k].Angle == "-") continue;
      EXPECT_EQ(stored[k].Angle, r.Rows[k].Angle) << what << " output " << k + 1;
    }
  }
}

// One and three cylinders, grouped and sequential, with and without double injectors:
// the functions, the flag bytes 6-9 and the stored angles (half degrees; -1 where the
// output takes no angle).
TEST(InjOutputsCheck, OneAndThreeCylinders) {
  struct Case {
    int cylinders;
    bool sequential, dbl;
    const char* functions[6];
    uint8_t flags[4];
    int angles[8];
  } cases[] = {
      // One cylinder counts as two: an interval of 720, wrapped at 720 on the crank.
      {1, false, false, {"Injector", "Injector", "AuxOut3", "AuxOut4", "AuxOut5", "AuxOut6"},
       {0x11, 0x00, 0x00, 0x00}, {0, 0, -1, -1, -1, -1, -1, -1}},
      {1, false, true, {"Injector", "Injector", "2nd Inj", "2nd Inj", "AuxOut5", "AuxOut6"},
       {0x11, 0x33, 0x00, 0x00}, {0, 0, 0, 0, -1, -1, -1, -1}},
      {1, true, false, {"Injector", "Injector", "AuxOut3", "AuxOut4", "AuxOut5", "AuxOut6"},
       {0x55, 0x00, 0x00, 0x00}, {0, 720, -1, -1, -1, -1, -1, -1}},
      {3, false, false, {"Injector", "Injector", "Injector", "AuxOut4", "AuxOut5", "AuxOut6"},
       {0x11, 0x01, 0x00, 0x00}, {0, 480, 240, -1, -1, -1, -1, -1}},
      // The second injectors count on from the fourth firing: 1440, 1920, 2400 mod 720.
      {3, false, true, {"Injector", "Injector", "Injector", "2nd Inj", "2nd Inj", "2nd Inj"},
       {0x11, 0x31, 0x33, 0x00}, {0, 480, 240, 0, 480, 240, -1, -1}},
      {3, true, true, {"Injector", "Injector", "Injector", "2nd Inj", "2nd Inj", "2nd Inj"},
       {0x55, 0x35, 0x33, 0x00}, {0, 480, 960, 0, 480, 240, -1, -1}},
  };
  for (const Case& c : cases) {
    TConfigBlock b = Engine(c.cylinders, c.sequential, c.dbl);
    const InjOutputsResult r = AssignInjectionOutputs(b);
    const std::string what = std::to_string(c.cylinders) + (c.sequential ? " seq" : " grp") + (c.dbl ? " dbl" : "");
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(r.Rows[k].Function, c.functions[k]) << what << " output " << k + 1;
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(b.OutputAssignment[i], c.flags[i]) << what << " byte " << 6 + i;
    for (size_t k = 0; k < 8; ++k) EXPECT_EQ(b.CustomInjAngle[k], c.angles[k]) << what << " output " << k + 1;
    EXPECT_FALSE(r.DoubleInjectorsCleared) << what;
  }
}

// Even firing: cylinder c at (c - 1) x 1440 / n half degrees, less 720 from 720 on; the
// cylinders an engine lacks at 0. Uneven firing keeps what the tuner set.
TEST(IgnOutputsCheck, EvenFiringOffsets) {
  struct Case {
    int cylinders;
    int16_t offsets[4];
  } cases[] = {{1, {0, 0, 0, 0}},       {2, {0, 0, 0, 0}},       {3, {0, 480, 240, 0}},
               {4, {0, 360, 0, 360}},   {5, {0, 288, 576, 144}}, {6, {0, 240, 480, 0}},
               {8, {0, 180, 360, 540}}, {12, {0, 120, 240, 360}}};
  for (const Case& c : cases) {
    TConfigBlock b = Engine(c.cylinders, false, false);
    for (auto& o : b.CylinderOffset) o = 999;
    EvenFiringOffsets(b);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b.CylinderOffset[i], c.offsets[i]) << c.cylinders << " cylinder " << i + 1;
  }
  TConfigBlock b = Engine(4, false, false);
  b.OptionBits = 1 << 3;
  for (auto& o : b.CylinderOffset) o = 999;
  EvenFiringOffsets(b);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.CylinderOffset[i], 999);
}

TEST(InjOutputsCheck, FiveCylindersGroupedLeaveTheAngles) {
  TConfigBlock b = Engine(5, false, false);
  const InjOutputsResult r = AssignInjectionOutputs(b);
  for (size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(r.Rows[k].Reference, "Cam");
    EXPECT_EQ(r.Rows[k].Angle, "0.0");
    EXPECT_EQ(b.CustomInjAngle[k], -1);
  }
  EXPECT_EQ(r.Rows[5].Function, "AuxOut6");
}

// Five cylinders with double injectors: output 6 drives the second injector on the cam
// (injector, second-injector and cam flags: 0x7 in the high half of byte 8), its angle
// counting on from the sixth firing, 5 x 288 = 1440, wrapped at 720 to 0.
TEST(InjOutputsCheck, FiveCylindersSecondInjectorOnTheCam) {
  struct Case {
    bool sequential;
    const char* angles[5];
    int stored[5];
  } cases[] = {
      {false, {"0.0", "0.0", "0.0", "0.0", "0.0"}, {-1, -1, -1, -1, -1}},
      {true, {"0.0", "144.0", "288.0", "432.0", "576.0"}, {0, 288, 576, 864, 1152}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sequential ? "sequential" : "grouped");
    TConfigBlock b = Engine(5, c.sequential, true);
    const InjOutputsResult r = AssignInjectionOutputs(b);
    for (size_t k = 0; k < 5; ++k) {
      EXPECT_EQ(r.Rows[k].Function, "Injector") << "output " << k + 1;
      EXPECT_EQ(r.Rows[k].Reference, "Cam") << "output " << k + 1;
      EXPECT_EQ(r.Rows[k].Angle, c.angles[k]) << "output " << k + 1;
      EXPECT_EQ(b.CustomInjAngle[k], c.stored[k]) << "output " << k + 1;
    }
    EXPECT_EQ(r.Rows[5].Function, "2nd Inj");
    EXPECT_EQ(r.Rows[5].Reference, "Cam");
    EXPECT_EQ(r.Rows[5].Angle, "0.0");
    EXPECT_EQ(b.CustomInjAngle[5], 0);
    EXPECT_EQ(r.Rows[6].Function, "AuxOut7");
    EXPECT_EQ(r.Rows[7].Function, "AuxOut8");
    const uint8_t flags[4] = {0x55, 0x55, 0x75, 0x00};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(b.OutputAssignment[i], flags[i]) << "byte " << 6 + i;
    EXPECT_FALSE(r.DoubleInjectorsCleared);
    // The stored table reads the cam reference back from the flag.
    EXPECT_EQ(StoredInjectionOutputs(b)[5].Reference, "Cam");
  }
}

TEST(ConfigEditing, CylinderCountsSkipSevenAndNineToEleven) {
  const int cases[][3] = {{7, 6, 8}, {7, 8, 6}, {10, 8, 12}, {10, 12, 8}, {9, 8, 12}, {11, 12, 8}, {5, 4, 5}, {12, 8, 12}};
  for (const auto& c : cases) EXPECT_EQ(AllowedCylinders(c[0], c[1]), c[2]) << c[0] << " after " << c[1];
}

TEST(ConfigEditing, IgnitionOutputModes) {
  struct Case {
    int cylinders, item;
    const char* second;
    uint16_t functionBits;
  } cases[] = {
      {4, 0, "Main relay control", 0xE000}, {6, 1, "Ignition driver 3", 0x8000},
      {8, 1, "Ignition driver 3", 0x0000},  {4, 1, "Main relay control", 0xC000},
      {4, 3, "Main relay control", 0xC000},
  };
  for (const Case& c : cases) {
    TConfigBlock b = Engine(c.cylinders, false, false);
    b.OptionBits = 0x1FF8;
    const IgnOutputLabels l = SetIgnitionOutputMode(b, c.item);
    EXPECT_EQ(l.Output2, c.second);
    EXPECT_EQ(b.OptionBits, 0x1FF8 | c.functionBits | c.item) << c.cylinders << "/" << c.item;
  }
  EXPECT_FALSE(SecondIgnitionModeAllowed(5));
  EXPECT_FALSE(SecondIgnitionModeAllowed(12));
  EXPECT_TRUE(SecondIgnitionModeAllowed(6));

  TConfigBlock b = Engine(3, false, false);
  EvenFiringOffsets(b);
  EXPECT_EQ(b.CylinderOffset[1], 480);
  EXPECT_EQ(b.CylinderOffset[2], 960 - 720);
  EXPECT_EQ(b.CylinderOffset[3], 0);
}

TEST(ConfigEditing, SensorConversions) {
  // Fail thresholds: volts on screen, counts (high ones less 768) in the byte.
  struct Case {
    double volts;
    uint8_t high, low;
  } cases[] = {{5.0, 255, 255}, {3.754, 0, 255}, {4.5, 153, 255}, {0.5, 0, 102}, {0.0, 0, 0}, {1.2463, 0, 255}};
  for (const Case& c : cases) {
    EXPECT_EQ(FailHighByte(c.volts), c.high) << c.volts;
    EXPECT_EQ(FailLowByte(c.volts), c.low) << c.volts;
  }
  for (int byte = 0; byte < 256; ++byte) {
    const auto b = static_cast<uint8_t>(byte);
    EXPECT_EQ(FailHighByte(FailHighVolts(b)), b);
    EXPECT_EQ(FailLowByte(FailLowVolts(b)), b);
  }
  EXPECT_NEAR(FailHighVolts(255), 5.0, 1e-9);
  EXPECT_EQ(SubstituteShown(120, true), 176);
  EXPECT_EQ(SubstituteByte(176, true), 120);
  EXPECT_EQ(SubstituteShown(80, false), 40);
  EXPECT_EQ(TachoByte(4.0), 0);
  EXPECT_EQ(TachoMultiplier(0), 4.0);
  EXPECT_EQ(TachoByte(1.0), 64);
  EXPECT_EQ(PwmFrequencyByte(PwmFrequencyHz(45)), 45);
  EXPECT_NEAR(GearRatioShown(255000), 57.375, 1e-9);
}

// A stored (custom) assignment read back as it stands: flag f of output k is bit
// (k - 1) x 4 + f from bit 0 of byte 6 (injector, second injector, cam reference, spare).
// Only an injector output has a reference, and only its cam flag makes it "Cam": the
// spare flag or the cam flag of an auxiliary output changes nothing.
TEST(ConfigEditing, StoredAssignmentReferences) {
  TConfigBlock b{};
  ApplyConfigDefaults(b);
  // Outputs 1-2: injector + cam, injector. 3-4: cam alone, injector + 2nd + cam.
  // 5-6: injector + 2nd, injector + spare. 7-8: nothing, injector + cam.
  uint8_t* bytes = reinterpret_cast<uint8_t*>(&b);
  bytes[6] = 0x15;
  bytes[7] = 0x74;
  bytes[8] = 0x93;
  bytes[9] = 0x50;
  for (int k = 0; k < 8; ++k) b.CustomInjAngle[k] = static_cast<int16_t>(90 * k + 1);
  const InjOutputRows rows = StoredInjectionOutputs(b);
  const Row expected[] = {
      {"Injector", "Cam", "0.5"},   {"Injector", "Crank", "45.5"}, {"AuxOut3", "-", "-"},
      {"2nd inj", "Cam", "135.5"},  {"2nd inj", "Crank", "180.5"}, {"Injector", "Crank", "225.5"},
      {"AuxOut7", "-", "-"},        {"Injector", "Cam", "315.5"},
  };
  for (size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(rows[k].Function, expected[k].function) << "output " << k + 1;
    EXPECT_EQ(rows[k].Reference, expected[k].reference) << "output " << k + 1;
    EXPECT_EQ(rows[k].Angle, expected[k].angle) << "output " << k + 1;
  }
}

}  // namespace
