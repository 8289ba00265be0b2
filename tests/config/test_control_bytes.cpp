// Every control of the additional tables window and of the three site editors, changed
// once on a map record filled with a pattern no control writes, changes exactly the bytes
// of its own field: all 25,728 bytes are compared with the pattern and the field's new
// value as the record layout gives it.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "config/Additonl.h"
#include "config/LoadSiteAdjU.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The expected record: starts as the record before the change; `actual` is there for the
// few values compared within a tolerance.
using Expect = std::function<void(Bytes& expected, const Bytes& actual)>;

Expect Word(size_t at, int v) {
  return [=](Bytes& e, const Bytes&) {
    e[at] = static_cast<uint8_t>(v & 0xFF);
    e[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  };
}
Expect Byte(size_t at, int v) {
  return [=](Bytes& e, const Bytes&) { e[at] = static_cast<uint8_t>(v); };
}
Expect Dword(size_t at, int32_t v) {
  return [=](Bytes& e, const Bytes&) { std::memcpy(&e[at], &v, 4); };
}
Expect Double(size_t at, double v) {
  return [=](Bytes& e, const Bytes&) { std::memcpy(&e[at], &v, 8); };
}
// A double within `tol` of `v`; its bytes are then taken as they are.
Expect DoubleNear(size_t at, double v, double tol) {
  return [=](Bytes& e, const Bytes& a) {
    double got = 0;
    std::memcpy(&got, &a[at], 8);
    EXPECT_NEAR(got, v, tol) << "double at " << at;
    std::memcpy(&e[at], &a[at], 8);
  };
}
Expect FlipBit(size_t at, int bit) {
  return [=](Bytes& e, const Bytes&) { e[at] = static_cast<uint8_t>(e[at] ^ (1 << bit)); };
}
// A 0/1 flag byte turned to the other state.
Expect FlipFlag(size_t at) {
  return [=](Bytes& e, const Bytes&) { e[at] = e[at] != 0 ? 0 : 1; };
}
Expect Nothing() {
  return [](Bytes&, const Bytes&) {};
}
Expect All(std::vector<Expect> parts) {
  return [=](Bytes& e, const Bytes& a) {
    for (const Expect& p : parts) p(e, a);
  };
}

void Put16(TMapRecord& m, size_t at, int v) {
  uint8_t* b = m.Bytes();
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
void Put32(TMapRecord& m, size_t at, int32_t v) { std::memcpy(m.Bytes() + at, &v, 4); }
void PutDouble(TMapRecord& m, size_t at, double v) { std::memcpy(m.Bytes() + at, &v, 8); }

struct Case {
  std::string name;
  std::function<void(TMapRecord&)> prepare;  // values the change needs, before the refresh
  std::function<void(TAdditionalMaps&)> act;
  Expect expect;
};

class ControlBytes : public ProgramWindowsTest {
 protected:
  // 0xA1..0xAB: no control writes such a byte, words read far outside every limit, and
  // neighbouring fields differ.
  static void FillPattern(TMapRecord& m) {
    uint8_t* b = m.Bytes();
    for (size_t i = 0; i < sizeof(TMapRecord); ++i) b[i] = static_cast<uint8_t>(0xA1 + i % 11);
  }

  void Run(const Case& c) {
    SCOPED_TRACE(c.name);
    Settings.PressureUnit = 0;
    Settings.TemperatureUnit = 0;
    TMapRecord& m = MapSlots[1];
    FillPattern(m);
    if (c.prepare) c.prepare(m);
    f_->RefreshMapTables();
    const Bytes before(m.Bytes(), m.Bytes() + sizeof(TMapRecord));
    c.act(*AdditionalMaps);
    Application->ProcessMessages();
    const Bytes after(m.Bytes(), m.Bytes() + sizeof(TMapRecord));
    Bytes expected = before;
    c.expect(expected, after);
    int shown = 0;
    for (size_t i = 0; i < after.size(); ++i)
      if (after[i] != expected[i] && shown++ < 8)
        ADD_FAILURE() << "byte " << i << ": " << int(after[i]) << ", expected " << int(expected[i]);
  }

  ui::DialogScript script_;
};

void Page(TAdditionalMaps& a, int page) {
  a.TabSet->SetTabIndex(page);
  a.TabSetClick(a.TabSet);
}
// A key on one selected cell of a grid, as its key handler takes it.
void Key(TStringAlignGrid* g, int col, int row, WORD key) {
  g->SetSelection(TGridRect{col, row, col, row});
  ASSERT_TRUE(g->OnKeyDown) << g->Name();
  g->OnKeyDown(g, key, TShiftState{});
}
void Toggle(TCheckBox* c) { c->SetChecked(!c->Checked()); }
// A choice from a drop-down list, as the user makes it.
void Choose(TComboBox* c, int index) {
  c->SetItemIndex(index);
  if (c->OnChange) c->OnChange(c);
}

// A spin edit typed with `v`.
std::function<void(TAdditionalMaps&)> Type(TAdvSpinEdit* TAdditionalMaps::*e, double v) {
  return [=](TAdditionalMaps& a) {
    if ((a.*e)->SpinType() == sptFloat)
      (a.*e)->SetFloatValue(v);
    else
      (a.*e)->SetValue(static_cast<int>(v));
  };
}
std::function<void(TAdditionalMaps&)> Type(TAbNumSpin* TAdditionalMaps::*e, double v) {
  return [=](TAdditionalMaps& a) { (a.*e)->SetValue(v); };
}

// One step key on one cell of a grid, the cell first set to `start`.
Case GridStep(std::string name, TStringAlignGrid* TAdditionalMaps::*g, int col, int row, WORD key, size_t at,
              int start, int after, bool byte = false) {
  return {name + " key",
          [=](TMapRecord& m) {
            if (byte)
              m.Bytes()[at] = static_cast<uint8_t>(start);
            else
              Put16(m, at, start);
          },
          [=](TAdditionalMaps& a) { Key(a.*g, col, row, key); }, byte ? Byte(at, after) : Word(at, after)};
}


// Each case changes one control once.
std::vector<Case> AdditionalWindowCases() {
  using A = TAdditionalMaps;
  auto spin = [](const char* name, auto member, double v, Expect e) {
    return Case{name, nullptr, Type(member, v), e};
  };
  auto tick = [](const char* name, TCheckBox* A::*c, Expect e) {
    return Case{name, nullptr, [c](A& a) { Toggle(a.*c); }, e};
  };
  auto bitTick = [&tick](const char* name, TCheckBox* A::*c, size_t at, int bit) {
    return tick(name, c, FlipBit(at, bit));
  };
  const WORD plus = VK_ADD, up = VK_UP;
  std::vector<Case> cases = {
      // Accel fuelling.
      spin("AccelEnrich", &A::AccelEnrich, 55, Word(16678, 55)),
      spin("AccelClamp", &A::AccelClamp, 200, Word(16680, 200)),
      spin("AccelDecay", &A::AccelDecay, 17, Word(16682, 17)),
      spin("AccelRate", &A::AccelRate, 33, Word(16686, 33)),
      spin("AccelTPS", &A::AccelTPS, 44, Word(16688, 44)),
      GridStep("AppliedAccelRPM_table", &A::AppliedAccelRPM_table, 3, 0, up, 16690 + 6, 40, 41),
      GridStep("AppliedAccelTemp_table", &A::AppliedAccelTemp_table, 2, 0, up, 16758 + 4, 40, 41),
      // Air conditioning.
      bitTick("CheckBox4", &A::CheckBox4, 17688, 0),
      bitTick("CheckBox5", &A::CheckBox5, 17688, 1),
      bitTick("CheckBox6", &A::CheckBox6, 17688, 2),
      spin("AbNumSpin1", &A::AbNumSpin1, 50, Byte(17695, 50)),
      spin("AbNumSpin2", &A::AbNumSpin2, 3000, Word(17690, 3000)),
      spin("AbNumSpin4", &A::AbNumSpin4, 5000, Word(17692, 5000)),
      spin("AbNumSpin3", &A::AbNumSpin3, 99, Byte(17694, 99)),
      spin("AbNumSpin5", &A::AbNumSpin5, 2.5, Byte(17689, 25)),
      spin("AbNumSpin6", &A::AbNumSpin6, 1.3, Byte(17696, 13)),
      // Battery compensation: the user table keeps the values; the basic curve writes
      // 0.16 ms per volt below 16 V and no coil compensation.
      {"CompType user table", [](TMapRecord& m) { m.Bytes()[16676] = 1; },
       [](A& a) {
         a.CompType->SetItemIndex(1);
         a.CompType->OnClick(a.CompType);
       },
       Byte(16676, 0)},
      {"CompType basic", [](TMapRecord& m) { m.Bytes()[16676] = 0; },
       [](A& a) {
         a.CompType->SetItemIndex(0);
         a.CompType->OnClick(a.CompType);
       },
       [](Bytes& e, const Bytes& x) {
         const int inj[10] = {118, 105, 92, 79, 66, 52, 39, 26, 13, 0};
         Byte(16676, 1)(e, x);
         for (int r = 1; r <= 10; ++r) {
           Word(16634 + 2 * static_cast<size_t>(r), inj[r - 1])(e, x);
           Word(16654 + 2 * static_cast<size_t>(r), 0)(e, x);
         }
       }},
      GridStep("BattCompTable injector", &A::BattCompTable, 1, 1, plus, 16636, 10, 11),
      GridStep("BattCompTable coil", &A::BattCompTable, 2, 1, plus, 16656, 5, 6),
      // Boost control.
      GridStep("BoostPWMTable", &A::BoostPWMTable, 1, 1, plus, 5136 + 34 + 2, 10, 11),
      GridStep("BoostTargetTable", &A::BoostTargetTable, 1, 1, plus, 6292 + 34 + 2, 10, 11),
      {"BoostFunction", nullptr, [](A& a) { Choose(a.BoostFunction, (MapSlots[1].Bytes()[16959] & 1) ^ 1); },
       FlipBit(16959, 0)},
      bitTick("BoostMaxCB", &A::BoostMaxCB, 16959, 1),
      bitTick("CheckBox2", &A::CheckBox2, 16959, 2),
      bitTick("CheckBox3", &A::CheckBox3, 16959, 3),
      bitTick("CheckBox1", &A::CheckBox1, 16959, 4),
      spin("BoostControlLimit", &A::BoostControlLimit, 77, Byte(16960, 77)),
      spin("BoostFreq", &A::BoostFreq, 100, Byte(16961, 100)),
      spin("Boost_Rate", &A::Boost_Rate, 0.5, Byte(16962, 50)),
      spin("BoostMinDuty", &A::BoostMinDuty, 40, Byte(16963, 40)),
      spin("BoostMaxDuty", &A::BoostMaxDuty, 90, Byte(16964, 90)),
      spin("BoostMaxTPS", &A::BoostMaxTPS, 12, Byte(16965, 12)),
      spin("BoostP", &A::BoostP, 1, Byte(16966, 1)),
      spin("BoostI", &A::BoostI, 2, Byte(16967, 2)),
      spin("BoostD", &A::BoostD, 3, Byte(16968, 3)),
      spin("BoostCut", &A::BoostCut, 200, Word(16970, 200)),
      spin("BoostCutTime", &A::BoostCutTime, 2.5, Byte(16972, 25)),
      spin("AbNumEdit1", &A::AbNumEdit1, 30, Byte(17665, 30)),
      spin("AbNumEdit2", &A::AbNumEdit2, 40, Byte(17664, 40)),
      GridStep("AirBoostLimit_table", &A::AirBoostLimit_table, 0, 0, up, 14592, 10, 11),
      GridStep("CoolantBoostLimit_table", &A::CoolantBoostLimit_table, 0, 0, up, 14996, 10, 11),
      GridStep("AuxBoostLimit_table", &A::AuxBoostLimit_table, 0, 0, up, 14660, 10, 11),
      GridStep("BoostGearTable", &A::BoostGearTable, 1, 1, plus, 7448, 10, 11),
      // Coil on-time: 5 ms is 102 whole steps of 0.0488 ms, stored as round(4.9776 x 20.4918).
      GridStep("CoilOnTable", &A::CoilOnTable, 1, 1, plus, 10932 + 34 + 2, 10, 11),
      spin("CoilOnTimeCrank", &A::CoilOnTimeCrank, 5.0, Word(12088, 102)),
      // Cylinder trims: an ignition and an injection trim.
      GridStep("CylTrims_table ignition", &A::CylTrims_table, 1, 1, plus, 16466, 0, 1),
      GridStep("CylTrims_table injection", &A::CylTrims_table, 5, 16, plus, 16466 + 32 * 4 + 2 * 15, 0, 1),
      // Double injector.
      spin("Double2Size", &A::Double2Size, 50, Byte(16952, 50)),
      spin("Double1Limit", &A::Double1Limit, 60, Byte(16953, 60)),
      tick("DoubleForce", &A::DoubleForce, FlipFlag(16954)),
      spin("DoubleLoad", &A::DoubleLoad, 7, Byte(16955, 7)),
      spin("DoubleSpeed", &A::DoubleSpeed, 20, Byte(16956, 20)),
      spin("Double1AfterSize", &A::Double1AfterSize, 30, Byte(16957, 30)),
      tick("DoubleRichCross", &A::DoubleRichCross, FlipFlag(16958)),
      // EGT feedback; the warning temperature is a setting of the program.
      tick("EGTEnabled", &A::EGTEnabled, FlipFlag(14328)),
      GridStep("EGT_table enrichment", &A::EGT_table, 1, 2, plus, 14298, 10, 11),
      GridStep("EGT_table boost", &A::EGT_table, 2, 2, plus, 14314, 10, 11),
      spin("EGTwarning", &A::EGTwarning, 900, Nothing()),
      // Flat shift.
      tick("Flat_enabled", &A::Flat_enabled, FlipFlag(16982)),
      spin("Flat_TPS", &A::Flat_TPS, 50, Word(16984, 50)),
      {"Flat_type", nullptr, [](A& a) { Choose(a.Flat_type, 1); }, Byte(16986, 1)},
      spin("Flat_advance", &A::Flat_advance, 10.5, Word(16988, 141)),
      spin("Flat_delay", &A::Flat_delay, 505, Byte(16990, 50)),
      spin("Flat_RPM", &A::Flat_RPM, 6000, Word(16998, 6000)),
      spin("Flat_MinRpm", &A::Flat_MinRpm, 2000, Word(17000, 2000)),
      GridStep("Flat_Table", &A::Flat_Table, 1, 1, plus, 17002, 10, 11),
      // Idle air control.
      GridStep("IACVPosMap_table", &A::IACVPosMap_table, 0, 1, up, 16288, 10, 11),
      GridStep("IdleFuelMap_table", &A::IdleFuelMap_table, 0, 1, up, 16424, 10, 11),
      spin("IACVStartPosValue", &A::IACVStartPosValue, 50, Word(16834, 50)),
      // Injection scaling: the map's values; the new values are the window's own. The unit
      // buttons of the map's values answer while their box is ticked.
      spin("CF_edit", &A::CF_edit, 440, Dword(16892, 440)),
      spin("CP_edit", &A::CP_edit, 4.5, Double(16896, 4.5)),
      spin("CTP_edit", &A::CTP_edit, 3.5, Double(16904, 3.5)),
      {"mspbEdit", nullptr,
       [](A& a) {
         a.mspbEdit->SetText("58");
         a.mspbEdit->DoExit();  // taken when the edit is left
       },
       Byte(16924, 58)},
      {"CFlab", [](TMapRecord& m) { Put32(m, 16892, 43), Put32(m, 16912, 1); }, [](A& a) { a.calc_FR_Check->SetChecked(true), a.CFlab->Click(); },
       All({Dword(16892, 439), Dword(16912, 0)})},
      {"CPlab", [](TMapRecord& m) { PutDouble(m, 16896, 43.5), Put32(m, 16916, 0); }, [](A& a) { a.calc_FP_check->SetChecked(true), a.CPlab->Click(); },
       All({DoubleNear(16896, 43.5 / 14.5037, 0.005), Dword(16916, 1)})},
      {"CTPlab", [](TMapRecord& m) { PutDouble(m, 16904, 3.0), Put32(m, 16920, 1); }, [](A& a) { a.calc_FR_Check->SetChecked(true), a.CTPlab->Click(); },
       All({DoubleNear(16904, 3.0 * 14.5037, 0.05), Dword(16920, 0)})},
      spin("NF_edit", &A::NF_edit, 500, Nothing()),
      spin("NP_edit", &A::NP_edit, 4.0, Nothing()),
      spin("NTP_edit", &A::NTP_edit, 4.0, Nothing()),
      {"NFlab", nullptr, [](A& a) { a.NFlab->Click(); }, Nothing()},
      {"NPlab", nullptr, [](A& a) { a.NPlab->Click(); }, Nothing()},
      {"NTPlab", nullptr, [](A& a) { a.NTPlab->Click(); }, Nothing()},
      tick("calc_FR_Check", &A::calc_FR_Check, Nothing()),
      tick("calc_FP_check", &A::calc_FP_check, Nothing()),
      tick("AutoscaleCheck", &A::AutoscaleCheck, Nothing()),
      spin("MapMaxEdit", &A::MapMaxEdit, 180, Nothing()),
      {"calculate with nothing ticked", nullptr,
       [](A& a) {
         for (TCheckBox* c : {a.calc_FR_Check, a.calc_FP_check, a.AutoscaleCheck}) c->SetChecked(false);
         a.calculate->Click();
       },
       Nothing()},
      {"Ignitiontrim", nullptr, [](A& a) { a.Ignitiontrim->Click(); }, Nothing()},
      {"Injectionclick", nullptr, [](A& a) { a.Injectionclick->Click(); }, Nothing()},
      {"TabSet1", nullptr, [](A& a) { a.TabSet1->SetTabIndex(2); }, Nothing()},
      {"TabSet2", nullptr, [](A& a) { a.TabSet2->SetTabIndex(4); }, Nothing()},
      // Injector timing.
      GridStep("InjTimingTable", &A::InjTimingTable, 1, 1, plus, 12090 + 34 + 2, 100, 104),
      {"ComboBox2", nullptr, [](A& a) { Choose(a.ComboBox2, (MapSlots[1].Bytes()[17687] & 1) ^ 1); },
       FlipBit(17687, 0)},
      // MAP and BARO compensation, rpm correction.
      GridStep("MapTable pressure", &A::MapTable, 0, 1, plus, 14332, 100, 101),
      GridStep("MapTable injection", &A::MapTable, 1, 1, plus, 14374, 10, 11),
      GridStep("MapTable ignition", &A::MapTable, 2, 1, plus, 14416, 10, 11),
      GridStep("MapTable AFR", &A::MapTable, 3, 1, plus, 17666, 10, 11, true),
      GridStep("BaroTable pressure", &A::BaroTable, 0, 1, plus, 17702, 1000, 1001),
      GridStep("BaroTable injection", &A::BaroTable, 1, 1, plus, 17744, 10, 11),
      GridStep("BaroTable ignition", &A::BaroTable, 2, 1, plus, 17786, 10, 11),
      GridStep("RpmCorr_table", &A::RpmCorr_table, 0, 1, up, 14864, 10, 11),
      // User PWM output.
      GridStep("PWMTable", &A::PWMTable, 1, 1, plus, 7464 + 34 + 2, 10, 11),
      spin("PWMFreq", &A::PWMFreq, 100, Word(13254, 100)),
      tick("Func1Enable", &A::Func1Enable, FlipFlag(13250)),
      {"Func1TempType", nullptr, [](A& a) { Choose(a.Func1TempType, 1); }, Word(13256, 1)},
      spin("Func1UpperTemp", &A::Func1UpperTemp, 60, Word(13258, 60)),
      spin("Func1LowerTemp", &A::Func1LowerTemp, 20, Word(13260, 20)),
      spin("Func1UpperAdj", &A::Func1UpperAdj, 50.0, Word(13262, 128)),  // 127.5 to even
      spin("Func1LowerAdj", &A::Func1LowerAdj, 20.0, Word(13264, 51)),
      // VTEC.
      spin("TSVtecONRPM", &A::TSVtecONRPM, 5000, Word(16974, 5000)),
      spin("TSVtecONTPS", &A::TSVtecONTPS, 50, Word(16976, 50)),
      spin("TSVtecOFFRPM", &A::TSVtecOFFRPM, 4500, Word(16978, 4500)),
      spin("TSVtecOFFTPS", &A::TSVtecOFFTPS, 40, Word(16980, 40)),
      // VVT: the cell range follows the map offset.
      {"VVT_table key", [](TMapRecord& m) { Put16(m, 13248, 200), Put16(m, 8620 + 34 + 2, 210); },
       [](A& a) { Key(a.VVT_table, 1, 1, VK_ADD); }, Word(8620 + 34 + 2, 211)},
      spin("VVT_mapoffset", &A::VVT_mapoffset, 150, Word(13248, 150)),
      spin("VVTdelay", &A::VVTdelay, 20, Word(13246, 20)),
      GridStep("VVTcontrol_table", &A::VVTcontrol_table, 0, 1, up, 16356, 10, 11),
  };
  // The load sensor of each 32 x 5 table: one bit of the option word each.
  const struct {
    int page, bit;
  } sensors[4] = {{4, 2}, {11, 5}, {15, 1}, {17, 3}};
  for (const auto& s : sensors) {
    const int page = s.page, bit = s.bit;
    cases.push_back({"MAP1 on page " + std::to_string(page), [](TMapRecord& m) { Put16(m, 14294, 0); },
                     [page](A& a) {
                       Page(a, page);
                       a.MAP1->Click();
                     },
                     Word(14294, 1 << bit)});
    cases.push_back({"Throttlepot1 on page " + std::to_string(page), [](TMapRecord& m) { Put16(m, 14294, 0x2F); },
                     [page](A& a) {
                       Page(a, page);
                       a.Throttlepot1->Click();
                     },
                     Word(14294, 0x2F & ~(1 << bit))});
  }
  return cases;
}

TEST_F(ControlBytes, EachAdditionalTablesControlChangesOnlyItsOwnField) {
  const std::vector<Case> cases = AdditionalWindowCases();
  EXPECT_GE(cases.size(), 125u);
  script_.Answer(mrOk);  // "Nothing to calculate"
  for (const Case& c : cases) Run(c);
  EXPECT_EQ(script_.Count(ui::DialogKind::MessageDlg), 1);
}

// The site editors: one site stepped up and OK. Sites are given rising values first; with
// "Re-calc maps" ticked the cells on both sides of the moved site are made equal, so the
// line through them leaves every cell as it was and only the site's word changes.
TEST_F(ControlBytes, EachSiteEditorChangesOnlyItsSites) {
  std::vector<Case> cases;
  auto rising = [](TMapRecord& m) {
    for (int i = 0; i <= 32; ++i) m.SpeedSites[i] = static_cast<uint16_t>(500 * i);
    for (int l = 0; l < 16; ++l) {
      m.MainThrottleSites[l] = static_cast<int16_t>(6 * l);
      m.MainMAPSites[l] = static_cast<int16_t>(100 + 20 * l);
    }
    for (int k = 0; k < 5; ++k)
      for (int i = 0; i < 5; ++i) {
        m.AddThrottleSites[k][i] = static_cast<int16_t>(10 + 20 * i);
        m.AddMAPSites[k][i] = static_cast<int16_t>(100 + 50 * i);
      }
    for (int i = 0; i < 5; ++i) {
      m.CrankTurns[i] = static_cast<int16_t>(1 + 2 * i);
      m.CylTrimSites[i] = static_cast<int16_t>(1000 * (i + 1));
    }
  };
  // Load sites: site 2 (row 3) moves from 12 % or 140 kPa by one.
  for (const bool pressure : {false, true})
    for (const bool recalc : {false, true}) {
      cases.push_back(
          {std::string("load sites ") + (pressure ? "MAP" : "throttle") + (recalc ? " re-sampled" : ""),
           [=](TMapRecord& m) {
             rising(m);
             Put16(m, 14294, pressure ? 1 : 0);
             for (TMainTable* t : {&m.IgnitionTable, &m.InjectionTable, &m.AFRTargetTable})
               for (int s = 1; s <= 32; ++s) (*t)[s][4] = (*t)[s][3];
           },
           [this, recalc](TAdditionalMaps&) {
             script_.AnswerForm([recalc](TForm&) {
               SitePosFrm->ReCalcMaps->SetChecked(recalc);
               SitePosFrm->SitePosGrid->SetSelection(TGridRect{2, 3, 2, 3});
               WORD key = VK_ADD;
               SitePosFrm->SitePosGridKeyDown(nullptr, key, {});
               SitePosFrm->BitBtn1->Click();
             });
             f_->PopUpLoadsitepositions1Click(nullptr);
           },
           pressure ? Word(14022 + 4, 141) : Word(13954 + 4, 13)});
    }
  // Speed sites: site 3 (1500 rpm) moves by one; every 32-column table re-sampled.
  for (const bool recalc : {false, true})
    cases.push_back({std::string("speed sites") + (recalc ? " re-sampled" : ""),
                     [=](TMapRecord& m) {
                       rising(m);
                       for (size_t base : {512, 1668, 2824, 3980, 5136, 6292, 7464, 8620, 9776, 10932, 12090})
                         for (int l = 1; l <= 16; ++l)
                           Put16(m, base + 5 * 34 + 2 * static_cast<size_t>(l),
                                 m.Bytes()[base + 4 * 34 + 2 * l] | m.Bytes()[base + 4 * 34 + 2 * l + 1] << 8);
                     },
                     [this, recalc](TAdditionalMaps&) {
                       script_.AnswerForm([recalc](TForm&) {
                         SpeedSiteForm->ReCalcMaps->SetChecked(recalc);
                         SpeedSiteForm->SitePosGrid->SetSelection(TGridRect{4, 2, 4, 2});
                         WORD key = VK_ADD;
                         SpeedSiteForm->SitePosGridKeyDown(nullptr, key, {});
                         SpeedSiteForm->BitBtn1->Click();
                       });
                       f_->Speedsitepositions1Click(nullptr);
                     },
                     Word(14090 + 6, 1501)});
  // The 5-site axes of the additional tables by page and sensor; site 2 moves by one.
  const struct {
    int page, bit;
    size_t throttle, map;
  } axes[4] = {{4, 2, 13274 + 68, 13614 + 68},
               {11, 5, 13274 + 3 * 68, 13614 + 3 * 68},
               {15, 1, 13274, 13614},
               {17, 3, 13274 + 2 * 68, 13614 + 2 * 68}};
  auto stepSite2 = [](TForm&) {
    LoadSiteAdj->SitePosGrid->SetSelection(TGridRect{2, 3, 2, 3});
    WORD key = VK_ADD;
    LoadSiteAdj->SitePosGridKeyDown(nullptr, key, {});
    LoadSiteAdj->BitBtn1->Click();
  };
  for (const auto& x : axes)
    for (const bool pressure : {false, true}) {
      const int page = x.page, bit = x.bit;
      cases.push_back({"load axis of page " + std::to_string(page) + (pressure ? " MAP" : " throttle"),
                       [=](TMapRecord& m) {
                         rising(m);
                         Put16(m, 14294, pressure ? 1 << bit : 0);
                       },
                       [this, page, stepSite2](TAdditionalMaps& a) {
                         Page(a, page);
                         script_.AnswerForm(stepSite2);
                         a.Loadsitepositions1->Click();
                       },
                       pressure ? Word(x.map + 4, 201) : Word(x.throttle + 4, 51)});
    }
  cases.push_back({"cranking turns", rising,
                   [this, stepSite2](TAdditionalMaps&) {
                     script_.AnswerForm(stepSite2);
                     f_->Adjustturns1Click(nullptr);
                   },
                   Word(14226 + 4, 6)});
  cases.push_back({"cylinder-trim speed sites", rising,
                   [this, stepSite2](TAdditionalMaps& a) {
                     script_.AnswerForm(stepSite2);
                     a.Positionspeedsites1Click(nullptr);
                   },
                   Word(16626 + 4, 3010)});
  for (const Case& c : cases) Run(c);
}

}  // namespace
