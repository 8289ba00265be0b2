// Every control of the configuration editor, changed once as a user changes it, on a block
// whose bytes no control writes: only the control's own field and what its rules derive
// from it may change. Also the locked grids of the built-in sensor curve and the tacho
// multiplier's steps.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <cstring>
#include <functional>
#include <vector>

#include "chart/Series.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "model/ConfigBlock.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"

namespace {

using Bytes = std::vector<std::pair<int, int>>;  // offset, expected byte

// A 16-bit little-endian value at an offset.
void Word(Bytes& b, int at, int v) {
  b.push_back({at, v & 0xFF});
  b.push_back({at + 1, (v >> 8) & 0xFF});
}
Bytes Words(int at, std::initializer_list<int> values) {
  Bytes b;
  for (int v : values) Word(b, at, v), at += 2;
  return b;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Every byte different from its neighbours, then the fields the controls show set to
// values they can show (so filling the controls stores nothing).
TConfigBlock Pattern() {
  TConfigBlock b;
  auto* p = reinterpret_cast<uint8_t*>(&b);
  for (size_t i = 0; i < sizeof b; ++i) p[i] = static_cast<uint8_t>(i * 73 + 29);
  b.Cylinders = 4;
  b.CrankTrigger = 0xC5;    // pattern 5, bits 6-7 set
  b.CamTrigger = 0xD3;      // pattern 3, edge 1, bits 6-7 set
  b.OptionBits = 0x151A;    // mode 2, uneven firing, custom injection; 13-15 clear
  b.ReferenceAdvance = 60;
  for (int c = 0; c < 4; ++c) b.CylinderOffset[c] = static_cast<int16_t>(100 + 200 * c);
  for (int k = 0; k < 8; ++k) b.CustomInjAngle[k] = static_cast<int16_t>(35 + 200 * k);
  b.TPSMax = 800;
  b.TPSMin = 60;
  b.TPSRangeDiv10 = 0x4321;
  b.MapOffset = 300;
  b.BaroOffset = -300;
  b.SensorOptions = 0x69;   // air user defined, input 10 pull-up, bits 3 and 5
  for (int i = 0; i < 14; ++i) {
    b.AirTempTable[i] = static_cast<uint16_t>(500 + i);
    b.CoolantTempTable[i] = static_cast<uint16_t>(600 + i);
    b.AuxTempTable[i] = static_cast<uint16_t>(700 + i);
  }
  b.TachoMultiplier = 85;
  for (int i = 0; i < 6; ++i) {
    b.AFRInputCounts[i] = static_cast<uint16_t>(100 * i + 50);
    b.AFRInputRatio[i] = static_cast<uint8_t>(100 + i);
  }
  b.IACVType = 0xD6;        // type 6, sync 1, bits 6-7
  b.ComboBits = 0xAA;
  b.Wss1Options = 0xC5;     // enabled, drivetrain 1, bits 6-7
  b.Wss2Enabled = 0x81;
  b.Wss3Enabled = 0x40;
  b.Wss4Enabled = 0x03;
  for (int g = 0; g < 8; ++g) b.GearRatio[g] = 100000u + 1111u * static_cast<uint32_t>(g);
  b.GearEnabled = 0x5A;
  b.ComboBox9Choice = 0x3C;
  return b;
}

struct Row {
  const char* control;
  std::function<void(TConfigBlock&)> prepare;  // changes to the pattern first, if any
  std::function<void(TSetupForm&)> act;
  Bytes expect;
};

TRadioButton* Button(TRadioGroup* g, int i) { return g->Buttons(i); }
TComboBox* Box(TSetupForm& s, const char* name) { return dynamic_cast<TComboBox*>(s.FindComponent(name)); }
TAdvSpinEdit* Spin(TSetupForm& s, const char* name) { return dynamic_cast<TAdvSpinEdit*>(s.FindComponent(name)); }
void Press(TStringAlignGrid* g, TGridRect sel, WORD key, TShiftState shift = {}) {
  g->SetSelection(sel);
  g->OnKeyDown(g, key, shift);
  g->OnKeyUp(g, key, shift);
}
void Options(TConfigBlock& b, uint16_t bits) { b.OptionBits = bits; }

// The dialog answers of the running test.
ui::DialogScript* g_script = nullptr;
ui::DialogScript& Script() { return *g_script; }
void Cancelled(TSetupForm& s, const char* button) {
  Script().AnswerForm([](TForm& form) { form.SetModalResult(mrCancel); });
  dynamic_cast<TButton*>(s.FindComponent(button))->Click();
}

// Wheel sensor bytes after any wheel change: 374 rebuilt from its fields, 378/382/386 the
// enabled flags alone.
Bytes Wheels(int opt1, int en2, int en3, int en4) { return {{374, opt1}, {378, en2}, {382, en3}, {386, en4}}; }

std::vector<Row> Rows() {
  using S = TSetupForm;
  std::vector<Row> rows = {
      // Triggers: one bit field each.
      {"MainPatternBox", nullptr, [](S& s) { s.MainPatternBox->UserSelect(7); }, {{2, 0xC7}}},
      {"MainTriggerBox", nullptr, [](S& s) { Button(s.MainTriggerBox, 1)->SetChecked(true); }, {{2, 0xD5}}},
      {"MainTypeBox", nullptr, [](S& s) { Button(s.MainTypeBox, 1)->SetChecked(true); }, {{2, 0xE5}}},
      {"CamPatternBox", nullptr, [](S& s) { s.CamPatternBox->UserSelect(1); }, {{3, 0xD1}}},
      {"CamTriggerBox", nullptr, [](S& s) { Button(s.CamTriggerBox, 0)->SetChecked(true); }, {{3, 0xC3}}},
      {"CamTypeBox", nullptr, [](S& s) { Button(s.CamTypeBox, 1)->SetChecked(true); }, {{3, 0xF3}}},
      // Cylinders: uneven firing keeps the offsets, custom injection the outputs.
      {"CylindersSpin", nullptr, [](S& s) { s.CylindersSpin->SetValue(6); }, {{1, 6}}},
      // Five cylinders forbid the second ignition mode: the first takes over with bits
      // 13-15; even offsets 0, 288, 576, 864-720; five grouped injectors on the cam
      // reference, their angles not stored.
      {"CylindersSpin 5", [](TConfigBlock& b) { Options(b, 0x1501); },
       [](S& s) { s.CylindersSpin->SetValue(5); },
       Bytes{{1, 5}, {4, 0x00}, {5, 0xF5}, {6, 0x55}, {7, 0x55}, {8, 0x05}, {9, 0x00}} + Words(32, {0, 288, 576, 144})},
      // 7 entered over 4 gives 6; offsets 0, 240, 480, 720 -> 0; six grouped injectors.
      {"CylindersSpin 7", [](TConfigBlock& b) { Options(b, 0x1502); },
       [](S& s) { s.CylindersSpin->SetValue(7); },
       Bytes{{1, 6}, {6, 0x11}, {7, 0x11}, {8, 0x11}, {9, 0x00}} + Words(32, {0, 240, 480, 0}) +
           Words(40, {0, 240, 480, 0, 240, 480})},
      // The second driver mode kept: its output functions follow the count (bit 15 alone
      // for six cylinders).
      {"CylindersSpin, second driver", [](TConfigBlock& b) { Options(b, 0xD519); },
       [](S& s) { s.CylindersSpin->SetValue(6); }, {{1, 6}, {5, 0x95}}},
      {"IgnRefAdvance", nullptr, [](S& s) { s.IgnRefAdvance->SetValue(12.5); }, Words(10, {25})},
      // The ignition output mode: bits 0-2 and its output functions in 13-15.
      {"IgnOutputBox 0", nullptr, [](S& s) { Button(s.IgnOutputBox, 0)->SetChecked(true); }, {{4, 0x18}, {5, 0xF5}}},
      {"IgnOutputBox 1", nullptr, [](S& s) { Button(s.IgnOutputBox, 1)->SetChecked(true); }, {{4, 0x19}, {5, 0xD5}}},
      {"IgnOutputBox 1, 6 cylinders", [](TConfigBlock& b) { b.Cylinders = 6; },
       [](S& s) { Button(s.IgnOutputBox, 1)->SetChecked(true); }, {{4, 0x19}, {5, 0x95}}},
      {"IgnOutputBox 1, 8 cylinders", [](TConfigBlock& b) { b.Cylinders = 8; },
       [](S& s) { Button(s.IgnOutputBox, 1)->SetChecked(true); }, {{4, 0x19}, {5, 0x15}}},
      {"IgnOutputBox 3", nullptr, [](S& s) { Button(s.IgnOutputBox, 3)->SetChecked(true); }, {{4, 0x1B}, {5, 0xD5}}},
      // Option ticks: their own bit; custom injection off assigns the outputs (four
      // grouped injectors at 0, 360, 0, 360 half degrees on the crank).
      {"UnevenFiringCheckBox", nullptr, [](S& s) { s.UnevenFiringCheckBox->SetChecked(false); }, {{4, 0x12}}},
      {"CustomInjCB", nullptr, [](S& s) { s.CustomInjCB->SetChecked(false); },
       Bytes{{4, 0x0A}, {6, 0x11}, {7, 0x11}, {8, 0}, {9, 0}} + Words(40, {0, 360, 0, 360})},
      {"DoubleInjectorsCB", nullptr, [](S& s) { s.DoubleInjectorsCB->SetChecked(true); }, {{4, 0x5A}}},
      // Four cylinders with double injectors: outputs 5-6 the second injectors, angles
      // running on (4 x 360 and 5 x 360, wrapped at 720).
      {"DoubleInjectorsCB, automatic", [](TConfigBlock& b) { Options(b, 0x150A); },
       [](S& s) { s.DoubleInjectorsCB->SetChecked(true); },
       Bytes{{4, 0x4A}, {6, 0x11}, {7, 0x11}, {8, 0x33}, {9, 0}} + Words(40, {0, 360, 0, 360, 0, 360})},
      {"CheckBox1", nullptr, [](S& s) { s.CheckBox1->SetChecked(true); }, {{4, 0x9A}}},
      {"InjTypeGB", nullptr, [](S& s) { Button(s.InjTypeGB, 1)->SetChecked(true); }, {{4, 0x3A}}},
      // Sequential: cam reference, angles wrapped at 1440.
      {"InjTypeGB, automatic", [](TConfigBlock& b) { Options(b, 0x150A); },
       [](S& s) { Button(s.InjTypeGB, 1)->SetChecked(true); },
       Bytes{{4, 0x2A}, {6, 0x55}, {7, 0x55}, {8, 0}, {9, 0}} + Words(40, {0, 360, 720, 1080})},
      // Sensor types, fail thresholds and substitutes.
      {"ATS_type", nullptr, [](S& s) { Button(s.ATS_type, 0)->SetChecked(true); }, {{83, 0x68}}},
      {"CTS_type", nullptr, [](S& s) { Button(s.CTS_type, 1)->SetChecked(true); }, {{83, 0x6B}}},
      {"XTS_type", nullptr, [](S& s) { Button(s.XTS_type, 1)->SetChecked(true); }, {{83, 0x6D}}},
      {"ATFailHighSpin", nullptr, [](S& s) { s.ATFailHighSpin->SetFloatValue(4.5); }, {{288, 921 - 768}}},
      {"ATFailLowSpin", nullptr, [](S& s) { s.ATFailLowSpin->SetFloatValue(1.0); }, {{289, 205}}},
      {"ATSubSpin", nullptr, [](S& s) { s.ATSubSpin->SetValue(85); }, {{290, 125}}},
      {"WTFailHighSpin", nullptr, [](S& s) { s.WTFailHighSpin->SetFloatValue(4.0); }, {{291, 818 - 768}}},
      {"WTFailLowSpin", nullptr, [](S& s) { s.WTFailLowSpin->SetFloatValue(0.5); }, {{292, 102}}},
      {"WTSubSpin", nullptr, [](S& s) { s.WTSubSpin->SetValue(-40); }, {{293, 0}}},
      {"XTFailHighSpin", nullptr, [](S& s) { s.XTFailHighSpin->SetFloatValue(5.0); }, {{294, 255}}},
      {"XTFailLowSpin", nullptr, [](S& s) { s.XTFailLowSpin->SetFloatValue(0.25); }, {{295, 51}}},
      {"XTSubSpin", nullptr, [](S& s) { s.XTSubSpin->SetValue(120); }, {{296, 160}}},
      // Throttle: the end and the range div 10.
      {"TPSmax", nullptr, [](S& s) { s.TPSmax->SetValue(900); }, Words(56, {900}) + Words(60, {84})},
      {"TPSmin", nullptr, [](S& s) { s.TPSmin->SetValue(100); }, Words(58, {100}) + Words(60, {70})},
      // Plain values.
      {"MapSensitivity", nullptr, [](S& s) { Spin(s, "MapSensitivity")->SetValue(1234); }, Words(62, {1234})},
      {"BaroSensitivity", nullptr, [](S& s) { Spin(s, "BaroSensitivity")->SetValue(40000); }, Words(72, {40000})},
      {"MapDamp", nullptr, [](S& s) { Spin(s, "MapDamp")->SetValue(7); }, {{71, 7}}},
      {"BaroDamp", nullptr, [](S& s) { Spin(s, "BaroDamp")->SetValue(200); }, {{81, 200}}},
      {"AFRDamp", nullptr, [](S& s) { Spin(s, "AFRDamp")->SetValue(3); }, {{317, 3}}},
      {"PWMMaxDur", nullptr, [](S& s) { Spin(s, "PWMMaxDur")->SetValue(90); }, {{350, 90}}},
      {"PWMMinDur", nullptr, [](S& s) { Spin(s, "PWMMinDur")->SetValue(12); }, {{351, 12}}},
      {"Gear_MatchError", nullptr, [](S& s) { Spin(s, "Gear_MatchError")->SetValue(15); }, {{424, 15}}},
      {"AdvSpinEdit1", nullptr, [](S& s) { Spin(s, "AdvSpinEdit1")->SetValue(513); }, Words(434, {513})},
      {"AdvSpinEdit2", nullptr, [](S& s) { Spin(s, "AdvSpinEdit2")->SetValue(65535); }, Words(436, {65535})},
      {"AbNumSpin1", nullptr, [](S& s) { s.AbNumSpin1->SetValue(77); }, {{433, 77}}},
      // Offsets in whole counts (-1 V is -204.6 counts).
      {"MapOffSetEdit", nullptr, [](S& s) { s.MapOffSetEdit->SetFloatValue(-1.0); }, Words(64, {0xFF33})},
      {"BaroOffSetEdit", nullptr, [](S& s) { s.BaroOffSetEdit->SetFloatValue(0.5); }, Words(74, {102})},
      // Map-switch thresholds on the 8-bit scale, boost-adjust values in spin steps.
      {"MapSw1", nullptr, [](S& s) { s.MapSw1->SetFloatValue(2.0); }, {{339, 102}}},
      {"MapSw2", nullptr, [](S& s) { s.MapSw2->SetFloatValue(4.0); }, {{340, 204}}},
      {"BoostAdjLoV", nullptr, [](S& s) { s.BoostAdjLoV->SetFloatValue(1.0); }, {{344, 50}}},
      {"BoostAdjHiV", nullptr, [](S& s) { s.BoostAdjHiV->SetFloatValue(4.5); }, {{345, 225}}},
      {"BoostSetLo", nullptr, [](S& s) { s.BoostSetLo->SetFloatValue(200); }, {{346, 200}}},
      // Idle valve: two bit fields of one byte, and the PWM frequency.
      {"IACVTypeBox", nullptr, [](S& s) { s.IACVTypeBox->UserSelect(2); }, {{348, 0xD2}}},
      {"StepperSyncRG", nullptr, [](S& s) { Button(s.StepperSyncRG, 2)->SetChecked(true); }, {{348, 0xE6}}},
      {"PWMFreqSpin", nullptr, [](S& s) { s.PWMFreqSpin->SetValue(100); }, {{349, 45}}},
      // Inputs, outputs, gears, datalink.
      {"AuxIn10PullupCB", nullptr, [](S& s) { s.AuxIn10PullupCB->SetChecked(false); }, {{83, 0x29}}},
      {"AuxIn35PullupCB", nullptr, [](S& s) { s.AuxIn35PullupCB->SetChecked(true); }, {{83, 0xE9}}},
      {"ComboBox1", nullptr, [](S& s) { s.ComboBox1->UserSelect(1); }, {{371, 0xAB}}},
      {"ComboBox3", nullptr, [](S& s) { s.ComboBox3->UserSelect(0); }, {{371, 0xA8}}},
      {"ComboBox4", nullptr, [](S& s) { s.ComboBox4->UserSelect(1); }, {{371, 0xAE}}},
      {"TachoMultiplier", nullptr, [](S& s) { s.TachoMultiplier->SetFloatValue(2.5); }, {{297, 160}}},
      {"TachoMultiplier 4", nullptr, [](S& s) { s.TachoMultiplier->SetFloatValue(4.0); }, {{297, 0}}},
      {"Gear_Enabled", nullptr, [](S& s) { s.Gear_Enabled->SetChecked(true); }, {{425, 0x5B}}},
      {"ComboBox9", nullptr, [](S& s) { s.ComboBox9->UserSelect(1); }, {{432, 0x3D}}},
      // Wheel speed sensors: the wheel buttons only choose what is shown; every other
      // change writes the wheel's field and rebuilds the four option bytes.
      {"LF", nullptr, [](S& s) { s.LF->Click(); }, {}},
      {"RF", nullptr, [](S& s) { s.RF->Click(); }, {}},
      {"LR", nullptr, [](S& s) { s.LR->Click(); }, {}},
      {"RR", nullptr, [](S& s) { s.RR->Click(); }, {}},
      {"Options", nullptr, [](S& s) { s.Options->Click(); }, {}},
      {"WssEnabled", nullptr, [](S& s) { s.WssEnabled->SetChecked(false); }, Wheels(0x04, 1, 0, 1)},
      {"WssEnabled wheel 3", nullptr,
       [](S& s) {
         s.LR->Click();
         s.WssEnabled->SetChecked(true);
       },
       Wheels(0x05, 1, 1, 1)},
      {"WssWheelRoll", nullptr, [](S& s) { s.WssWheelRoll->SetValue(2000); }, Words(372, {2000}) + Wheels(0x05, 1, 0, 1)},
      {"WssWheelRoll wheel 4", nullptr,
       [](S& s) {
         s.RR->Click();
         s.WssWheelRoll->SetValue(2000);
       },
       Words(384, {2000}) + Wheels(0x05, 1, 0, 1)},
      {"WssTriggerPoints", nullptr, [](S& s) { s.WssTriggerPoints->SetValue(48); }, Bytes{{375, 48}} + Wheels(0x05, 1, 0, 1)},
      {"WssSignalType", nullptr,
       [](S& s) {
         s.Options->Click();
         Button(s.WssSignalType, 1)->SetChecked(true);
       },
       Wheels(0x07, 1, 0, 1)},
      {"TCoptDrivetrain", nullptr,
       [](S& s) {
         s.Options->Click();
         Button(s.TCoptDrivetrain, 3)->SetChecked(true);
       },
       Wheels(0x0D, 1, 0, 1)},
      {"TCoptSpeedSource", nullptr,
       [](S& s) {
         s.Options->Click();
         Button(s.TCoptSpeedSource, 2)->SetChecked(true);
       },
       Wheels(0x25, 1, 0, 1)},
      // Buttons that open windows: the calculator cancelled and the update refused
      // without a link change nothing.
      {"ATS_calculator", nullptr, [](S& s) { Cancelled(s, "ATS_calculator"); }, {}},
      {"CTS_calculator", nullptr, [](S& s) { Cancelled(s, "CTS_calculator"); }, {}},
      {"XTS_Calculator", nullptr, [](S& s) { Cancelled(s, "XTS_Calculator"); }, {}},
      {"InstallUpdate", nullptr,
       [](S& s) {
         Script().Answer(mrOk);
         s.InstallUpdate->Click();
       },
       {}},
      // Tables: the selected cells only.
      {"ATStable", nullptr, [](S& s) { Press(s.ATStable, {2, 1, 3, 1}, VK_UP); }, Words(88, {503, 504})},
      {"CTStable (built-in curve)", nullptr, [](S& s) { Press(s.CTStable, {2, 1, 3, 1}, VK_UP); }, {}},
      {"XTStable", [](TConfigBlock& b) { b.SensorOptions |= 4; },
       [](S& s) { Press(s.XTStable, {13, 1, 13, 1}, VK_ADD, TShiftState{ssShift}); }, Bytes{{83, 0x6D}} + Words(246, {723})},
      {"CylinderOffsetTable", nullptr, [](S& s) { Press(s.CylinderOffsetTable, {1, 1, 1, 2}, VK_DOWN); },
       Words(32, {99, 299})},
      {"CustomInjTable", nullptr, [](S& s) { Press(s.CustomInjTable, {3, 8, 3, 8}, VK_UP, TShiftState{ssShift}); },
       Words(54, {1440})},
      {"AFRinput_table", nullptr, [](S& s) { Press(s.AFRinput_table, {1, 1, 1, 2}, VK_UP); },
       Bytes{{310, 101}} + Words(298, {51})},
      {"GearPos_table", nullptr, [](S& s) { Press(s.GearPos_table, {1, 1, 1, 1}, VK_UP); },
       Bytes{{392, (100000 + 445) & 0xFF}, {393, (100445 >> 8) & 0xFF}, {394, 100445 >> 16}, {395, 0}}},
  };
  // Controls whose item is a byte of the block.
  const struct {
    const char* box;
    int offset, item;
  } choices[] = {{"MapSource", 70, 3},        {"BaroSource", 80, 10},      {"AuxTempChannel", 82, 5},
                 {"AFRinputsource", 316, 5},  {"MapSwSource", 338, 7},     {"BoostAdjChan", 343, 2},
                 {"AC_clutch_chan", 352, 1},  {"userout1_chan", 353, 2},   {"AuxFunc2_chan", 354, 3},
                 {"AuxFunc1_chan", 355, 4},   {"bcv_chan", 356, 5},        {"coolingfan2_chan", 357, 6},
                 {"shiftlight_chan", 358, 7}, {"vtec_chan", 359, 8},       {"vvt_plus_chan", 360, 0},
                 {"vvt_minus_chan", 361, 1},  {"userout2_chan", 362, 2},   {"userout3_chan", 363, 3},
                 {"combobox6", 364, 4},       {"combobox5", 365, 10},      {"combobox7", 366, 6},
                 {"ComboBox2", 367, 9}};
  for (const auto& c : choices) {
    const char* box = c.box;
    const int item = c.item;
    rows.push_back({box, nullptr, [box, item](S& s) { Box(s, box)->UserSelect(item); }, {{c.offset, item}}});
  }
  return rows;
}

class SetupControls : public ProgramWindowsTest {
 protected:
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    saved_block_ = ConfigBlock;
    saved_read_ = ConfigReadCopy;
    Settings.TemperatureUnit = 0;
  }
  void TearDown() override {
    ConfigBlock = saved_block_;
    ConfigReadCopy = saved_read_;
    ConfigBlockUnsent = false;
    ProgramWindowsTest::TearDown();
  }
  // The block as `b`, the controls filled from it, the ECU's copy the same.
  void Show(const TConfigBlock& b) {
    ConfigBlock = b;
    ConfigReadCopy = b;
    ConfigBlockUnsent = false;
    SetupForm->LF->Tag = 1;
    SetupForm->RefreshConfigDisplay();
    SetupForm->CheckConfigModified();
  }
  TConfigBlock saved_block_{}, saved_read_{};
};

TEST_F(SetupControls, EachControlChangesItsOwnFieldAndWhatItsRulesDerive) {
  TSetupForm& s = *SetupForm;
  ui::DialogScript script;
  g_script = &script;
  for (const Row& row : Rows()) {
    TConfigBlock before = Pattern();
    if (row.prepare) row.prepare(before);
    Show(before);
    ASSERT_EQ(std::memcmp(&ConfigBlock, &before, sizeof before), 0) << row.control << ": filling the controls stored";
    row.act(s);
    uint8_t expected[sizeof before];
    std::memcpy(expected, &before, sizeof before);
    for (const auto& [at, v] : row.expect) expected[at] = static_cast<uint8_t>(v);
    const auto* actual = reinterpret_cast<const uint8_t*>(&ConfigBlock);
    for (size_t i = 0; i < sizeof before; ++i)
      EXPECT_EQ(actual[i], expected[i]) << row.control << ": byte " << i;
    EXPECT_EQ(s.StatusText(), row.expect.empty() ? "Offline ECU settings displayed" : "User modified settings displayed")
        << row.control;
  }
  g_script = nullptr;
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 3);
  EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg), 1);
}

// The built-in curve locks its grid grey with no selection mark and the keys change
// nothing; a user-defined curve unlocks it white.
TEST_F(SetupControls, DefaultSensorCurveLocksItsGrid) {
  TSetupForm& s = *SetupForm;
  Show(Pattern());
  struct {
    TRadioGroup* type;
    TStringAlignGrid* grid;
    int bit;
  } sensors[] = {{s.ATS_type, s.ATStable, 1}, {s.CTS_type, s.CTStable, 2}, {s.XTS_type, s.XTStable, 4}};
  // The built-in curve, in 8-bit counts at -30..80 in tens, 100 and 120 degC.
  const int curve[14] = {250, 245, 228, 215, 198, 178, 150, 134, 113, 94, 77, 63, 42, 28};
  const int temperatures[14] = {-30, -20, -10, 0, 10, 20, 30, 40, 50, 60, 70, 80, 100, 120};
  TChartSeries* const series[3] = {s.ATSSeries, s.CTSSeries, s.XTSSeries};
  int n = 0;
  for (auto& x : sensors) {
    Button(x.type, 0)->SetChecked(true);
    TChartSeries* line = series[n++];
    ASSERT_EQ(line->Count(), 14);
    for (int i = 0; i < 14; ++i) {
      EXPECT_EQ(line->XValue(i), temperatures[i]);
      EXPECT_DOUBLE_EQ(line->YValue(i), curve[i] * 5.0 / 255) << i;
    }
    EXPECT_FALSE(ConfigBlock.SensorOptions & x.bit);
    EXPECT_FALSE(x.grid->Enabled());
    EXPECT_EQ(x.grid->Color(), ColorValue(0xC0C0C0));
    EXPECT_FALSE(x.grid->DrawSelection());
    EXPECT_EQ(x.grid->ColorCell(5, 1), ColorValue(0xC0C0C0));
    const TConfigBlock locked = ConfigBlock;
    Press(x.grid, {0, 1, 13, 1}, VK_UP);
    EXPECT_EQ(std::memcmp(&ConfigBlock, &locked, sizeof locked), 0);

    Button(x.type, 1)->SetChecked(true);
    EXPECT_TRUE(x.grid->Enabled());
    EXPECT_EQ(x.grid->Color(), clWindow);
    EXPECT_TRUE(x.grid->DrawSelection());
    EXPECT_EQ(x.grid->ColorCell(5, 1), clWindow);
  }
}

// The spin's arrows step the multiplier one sixty-fourth at a time, all the way up.
TEST_F(SetupControls, TachoMultiplierStepsEveryCount) {
  TSetupForm& s = *SetupForm;
  TConfigBlock b = Pattern();
  b.TachoMultiplier = 1;
  Show(b);
  EXPECT_EQ(s.TachoMultiplier->IncrementFloat(), 1.0 / 64);
  for (int count = 2; count <= 256; ++count) {
    ui::SimulateKey(s.TachoMultiplier, "Up");
    ASSERT_EQ(ConfigBlock.TachoMultiplier, count % 256) << "step to " << count;
  }
}

// A sensor offset typed key by key: the half-typed text stays as typed and the block
// follows it; leaving the box shows the whole count stored.
TEST_F(SetupControls, TypedOffsetStaysAsTypedUntilTheBoxIsLeft) {
  TSetupForm& s = *SetupForm;
  Show(Pattern());
  s.Show();
  s.TabSet->SetTabIndex(9);
  s.TabSetClick(s.TabSet);
  s.MapOffSetEdit->SetFocus();
  s.MapOffSetEdit->SelectAll();
  // The minus key turns the sign of what is there.
  for (const char* k : {"0", ".", "5", "-"}) ui::SimulateKey(s.MapOffSetEdit, k);
  EXPECT_EQ(s.MapOffSetEdit->Text(), "-0.5");
  EXPECT_EQ(ConfigBlock.MapOffset, -102);  // -0.5 V is -102.3 counts
  Spin(s, "MapSensitivity")->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(s.MapOffSetEdit->Text(), "-0.499");
  EXPECT_EQ(ConfigBlock.MapOffset, -102);
  s.Hide();
}

}  // namespace
