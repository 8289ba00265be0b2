// The throttle-sensor wizard from the main window's tools menu and the temperature
// calculator, against the simulated ECU: the throttle swept by the test, the range and pot
// numbers the ECU received, refusals that send nothing, a lost link, and the calculator's
// live reading, option switch and sensor table.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "app/Main.h"
#include "config/Align.h"
#include "config/TempCalculator.h"
#include "gauges/AbNumEdit.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "e2e/MainWindowLink.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"
#include "platform/ui/Timer.h"

namespace e2e {
namespace {

using ecusim::Ecu;

// With SENSOR_SHOTS set to a folder, pictures of the window and of the whole screen, to
// look at the windows under a real window manager.
void Shot(TForm& form, const std::string& name) {
  const char* dir = std::getenv("SENSOR_SHOTS");
  if (dir == nullptr) return;
  PumpUntil([] { return false; }, 300);
  ui::GrabToPng(&form, AnsiString(dir) + "/" + name + ".png");
  const std::string screen = "import -window root '" + std::string(dir) + "/" + name + "-screen.png'";
  if (std::system(screen.c_str()) != 0) ADD_FAILURE() << screen;
}

AnsiString MemoText(config::TAlignment& w) { return w.alignment_info->Lines()->Text(); }
bool Shows(config::TAlignment& w, const char* line) { return MemoText(w).find(line) != AnsiString::npos; }

class ThrottleWizard : public MainWindowLink {
 protected:
  explicit ThrottleWizard(int com = 45) : MainWindowLink(com) {}
  void Prepare(Ecu& e) override { e.State().fast.throttleCounts = 400; }

  void SetThrottle(int counts) {
    sim.With([counts](Ecu& e) { e.State().fast.throttleCounts = static_cast<uint16_t>(counts); });
    // An inverted sensor's counts show negative; the learning takes their absolute value.
    const bool inverted = sim.With([](Ecu& e) { return e.State().throttleInverted; });
    const AnsiString shown = IntToStr(inverted ? -counts : counts);
    ASSERT_TRUE(PumpUntil([&] {
      return Alignment->sensor_number->Caption() == shown && LiveFast.ThrottleCounts == counts;
    })) << Alignment->sensor_number->Caption();
  }
  // The tuner's sweep: part throttle, full, closed, back to idle.
  void Sweep(int closed, int full) {
    for (int c : {(closed + full) / 2, full, closed, closed + 20}) SetThrottle(c);
  }
  uint32_t Frames(char letter) { return sim.With([letter](Ecu& e) { return e.GetCounters().Frames(letter); }); }
  int BankWord(int bank, size_t offset) {
    const std::vector<uint8_t> b = sim.BankBytes(bank);
    return b[offset] * 256 + b[offset + 1];
  }
  void OpenFromMenu() { dynamic_cast<TMenuItem*>(f_->FindComponent("ThrottlePositionSensor2"))->Click(); }
};

TEST_F(ThrottleWizard, LearnsTheSweepAndSendsRangeAndPotNumbersToEveryMap) {
  ASSERT_TRUE(LinkUp());
  bool intro = false, learning = false, result = false, done = false, cancelHidden = false;
  script.AnswerForm([&](TForm&) {
    config::TAlignment& w = *Alignment;
    intro = w.Caption() == "Throttle position sensor setup" && Shows(w, "Select OK to proceed") &&
            Shows(w, "Ensure that the throttle has full travel");
    w.AutoIdlePotNum->Toggle();
    w.AutoCutPotNum->Toggle();
    w.CutPotNumOffset->SetValue(20);
    w.ok->Click();
    learning = Shows(w, "Apply full throttle and then release.");
    Sweep(120, 900);
    w.ok->Click();
    Shot(w, "throttle-result");
    result = Shows(w, "Min = 120, Max = 900") && Shows(w, "Idle control pot num = 128") &&
             Shows(w, "Overrun cut-off pot num = 140");
    w.ok->Click();
    done = Shows(w, "Done");
    cancelHidden = !w.cancel->Visible();
    w.ok->Click();
  });
  OpenFromMenu();
  EXPECT_TRUE(intro);
  EXPECT_TRUE(learning);
  EXPECT_TRUE(result) << MemoText(*Alignment);
  EXPECT_TRUE(done);
  EXPECT_TRUE(cancelHidden) << "nothing is left to cancel once the settings are sent";
  EXPECT_FALSE(Alignment->Visible());
  EXPECT_TRUE(Settings.AutoIdlePotUpdate && Settings.AutoCutNumUpdate);
  EXPECT_EQ(Settings.AutoCutPotNum, 20);

  ASSERT_TRUE(PumpUntil([&] { return Frames('i') == 6; }));
  EXPECT_EQ(Frames('P'), 1u);
  const std::vector<uint8_t> cfg = sim.ConfigImage();
  const uint8_t range[6] = {0x03, 0x84, 0x00, 0x78, 0x00, 0x4E};
  EXPECT_EQ(0, std::memcmp(cfg.data() + 56, range, 6));
  for (int bank = 1; bank <= 3; ++bank) {
    EXPECT_EQ(BankWord(bank, 3648), 128) << bank;
    EXPECT_EQ(BankWord(bank, 3654), 140) << bank;
    EXPECT_EQ(MapSlots[bank].IdleThrottleSwitch, 128);
    EXPECT_EQ(MapSlots[bank].OverrunCutThrottle, 140);
  }
  EXPECT_EQ(f_->IdlePotSw->Value(), 128);
  EXPECT_EQ(f_->CutOffPot->Value(), 140);
  // Opened again after a finished run, Cancel is back with the first step.
  bool cancelBack = false;
  script.AnswerForm([&](TForm&) {
    cancelBack = Alignment->Step() == 0 && Alignment->cancel->Visible();
    Alignment->cancel->Click();
  });
  OpenFromMenu();
  EXPECT_TRUE(cancelBack);
}

TEST_F(ThrottleWizard, TooSmallARangeIsRefusedSendsNothingAndLearnsAgain) {
  ASSERT_TRUE(LinkUp());
  bool refused = false, again = false;
  script.AnswerForm([&](TForm&) {
    config::TAlignment& w = *Alignment;
    w.ok->Click();
    Sweep(300, 500);  // exactly 200 counts of travel
    w.ok->Click();
    Shot(w, "throttle-refused");
    refused = Shows(w, "Throttle pot range Error!") && Shows(w, "Min = 300, Max = 500") &&
              Shows(w, "Select OK to try again, or Cancel to Exit");
    w.ok->Click();
    again = Shows(w, "Apply full throttle and then release.") && w.Step() == 1;
    w.cancel->Click();
  });
  OpenFromMenu();
  EXPECT_TRUE(refused) << MemoText(*Alignment);
  EXPECT_TRUE(again);
  EXPECT_FALSE(Alignment->Visible());
  // Give a stray frame time to arrive: none may.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Frames('P'), 0u);
  EXPECT_EQ(Frames('i'), 0u);
  // Opened again, the wizard starts from its first step.
  int stepOnOpen = -1;
  script.AnswerForm([&](TForm&) {
    stepOnOpen = Alignment->Step();
    Alignment->cancel->Click();
  });
  OpenFromMenu();
  EXPECT_EQ(stepOnOpen, 0);
}

TEST_F(ThrottleWizard, InvertsTheSensorAndReportsALostLinkWithCancelStillClosing) {
  ASSERT_TRUE(LinkUp());
  bool inverted = false, signedShown = false, learntAbsolute = false, reported = false, stayed = false;
  script.AnswerForm([&](TForm&) {
    config::TAlignment& w = *Alignment;
    w.invert->Click();
    inverted = PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().throttleInverted; }); });
    // The ECU now marks its counts inverted: the window shows them signed.
    signedShown = PumpUntil([&] { return w.sensor_number->Caption() == "-400"; });
    Shot(w, "throttle-inverted");
    w.ok->Click();
    Sweep(100, 950);
    w.ok->Click();
    learntAbsolute = Shows(w, "Min = 100, Max = 950");
    sim.SetStreaming(false);
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }, 3000));
    script.Answer(mrOk);
    w.ok->Click();
    reported = script.Last().Text == kAlignNotConnected;
    stayed = w.Step() == 2 && w.cancel->Visible() && w.Visible();
    w.cancel->Click();
  });
  OpenFromMenu();
  EXPECT_TRUE(inverted);
  EXPECT_TRUE(signedShown) << Alignment->sensor_number->Caption();
  EXPECT_TRUE(learntAbsolute);
  EXPECT_EQ(Frames('A'), 1u);
  EXPECT_TRUE(reported);
  EXPECT_TRUE(stayed);
  EXPECT_FALSE(Alignment->Visible());
  EXPECT_EQ(Frames('P'), 0u);
}

// "Current map" with the ECU running bank 2: only bank 2 gets the pot numbers.
class ThrottleWizardCurrentMap : public ThrottleWizard {
 protected:
  ThrottleWizardCurrentMap() : ThrottleWizard(46) {}
  std::string IniText() override {
    return MainWindowLink::IniText() + "[Main]\nAutoIdlePotUpdate=1\nAutoIdlePotNum=1000\nAutoSetMaps=1\n";
  }
  void Prepare(Ecu& e) override {
    ThrottleWizard::Prepare(e);
    e.State().activeBank = 2;
  }
};

TEST_F(ThrottleWizardCurrentMap, PotNumbersGoToTheCurrentMapOnly) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(PumpUntil([] { return CurrentMap == 2; }));
  const int before1 = BankWord(1, 3648), before3 = BankWord(3, 3648);
  script.AnswerForm([&](TForm&) {
    config::TAlignment& w = *Alignment;
    EXPECT_EQ(w.ComboBox1->ItemIndex(), 1);
    w.ok->Click();
    Sweep(100, 900);
    w.ok->Click();
    w.ok->Click();
    w.ok->Click();
  });
  OpenFromMenu();
  ASSERT_TRUE(PumpUntil([&] { return BankWord(2, 3648) == 1023; }));
  EXPECT_EQ(Frames('i'), 1u);
  EXPECT_EQ(BankWord(1, 3648), before1);
  EXPECT_EQ(BankWord(3, 3648), before3);
  EXPECT_EQ(MapSlots[2].IdleThrottleSwitch, 1023);
}

// The temperature calculator, opened the way the configuration editor's calculator
// buttons open it.
class TemperatureCalculator : public MainWindowLink {
 protected:
  TemperatureCalculator() : MainWindowLink(48) {}
  void Prepare(Ecu& e) override {
    e.State().sensorCounts[0] = 100;
    e.State().sensorCounts[1] = 512;  // coolant: 2.50 V
  }
  // A click on the configuration editor's calculator button of the sensor.
  void Open(const char* caption, int tag) {
    const char* const buttons[3] = {"ATS_calculator", "CTS_calculator", "XTS_Calculator"};
    auto* button = dynamic_cast<TControl*>(SetupForm->FindComponent(buttons[tag]));
    ASSERT_NE(button, nullptr) << buttons[tag];
    button->Click();
    EXPECT_EQ(TempCalc->SensorCaption->Caption(), caption);
    EXPECT_EQ(TempCalc->SensorCaption->Tag, tag);
  }
  // A click on the option's radio button.
  static void Choose(int option) { ui::SimulateClick(TempCalc->MeasureOption->Buttons(option), 8, 8); }
  // The tuner types over an entry, and takes it with Enter in a temperature (which does not
  // press OK) or with Tab in a voltage (where Enter would press OK).
  static void Type(TCustomEdit* e, const char* text) {
    e->SetFocus();
    e->SelectAll();
    for (const char* c = text; *c != 0; ++c) ui::SimulateKey(e, std::string(1, *c).c_str());
  }
  static void Enter(TCustomEdit* e, const char* text) {
    Type(e, text);
    ui::SimulateKey(e, dynamic_cast<TAdvSpinEdit*>(e) != nullptr ? "Tab" : "Return");
  }
  // Three points typed in volts and degrees.
  static void TypePoints(const std::array<const char*, 6>& voltsAndDegrees) {
    TTempCalc& w = *TempCalc;
    TCustomEdit* entries[6] = {w.Measure1, w.Temp1, w.Measure2, w.Temp2, w.Measure3, w.Temp3};
    for (int i = 0; i < 6; ++i) Enter(entries[i], voltsAndDegrees[i]);
  }
  uint32_t Polls() { return sim.With([](Ecu& e) { return e.GetCounters().Frames('B'); }); }
};

TEST_F(TemperatureCalculator, ShowsTheLiveReadingAndWritesTheChosenTable) {
  ASSERT_TRUE(LinkUp());
  const TConfigBlock before = ConfigBlock;
  bool volts = false, ohms = false, entries = false;
  script.AnswerForm([&](TForm&) {
    TTempCalc& w = *TempCalc;
    volts = PumpUntil([&] { return w.SensorVoltage->Caption() == "2.50"; }, 3000);
    Shot(w, "tempcalc-volts");
    Choose(1);
    ohms = w.Label3->Caption() == "Resistance (Ohm) :" && w.Label14->Caption() == "Ohm" &&
           PumpUntil([&] { return w.SensorVoltage->Caption() == "1002"; }, 3000);
    Shot(w, "tempcalc-ohms");
    entries = w.Measure1->Text() == "5756.8";
    Choose(0);
    entries = entries && w.Measure1->Text() == "4.260" && w.Measure3->Text() == "0.786";
    w.BitBtn1->Click();
  });
  Open("COOLANT", 1);
  EXPECT_TRUE(volts) << TempCalc->SensorVoltage->Caption();
  EXPECT_TRUE(ohms) << TempCalc->SensorVoltage->Caption();
  EXPECT_TRUE(entries);
  EXPECT_FALSE(TempCalc->Visible());
  EXPECT_FALSE(TempCalc->Timer1->Enabled());
  const uint16_t expected[14] = {976, 952, 917, 871, 812, 740, 658, 570, 482, 398, 323, 258, 160, 98};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(static_cast<uint16_t>(ConfigBlock.CoolantTempTable[i]), expected[i]) << i;
  EXPECT_EQ(0, std::memcmp(ConfigBlock.AirTempTable, before.AirTempTable, sizeof before.AirTempTable));
  EXPECT_EQ(0, std::memcmp(ConfigBlock.AuxTempTable, before.AuxTempTable, sizeof before.AuxTempTable));
  // Closed, it polls no more.
  const uint32_t polls = sim.With([](Ecu& e) { return e.GetCounters().Frames('B'); });
  EXPECT_GT(polls, 0u);
  PumpUntil([] { return false; }, 800);
  EXPECT_EQ(sim.With([](Ecu& e) { return e.GetCounters().Frames('B'); }), polls);
}

TEST_F(TemperatureCalculator, SwitchingToOhmsHoldsFiveVoltsAtJustUnder) {
  ASSERT_TRUE(LinkUp());
  AnsiString asOhms, backToVolts;
  script.AnswerForm([&](TForm&) {
    TTempCalc& w = *TempCalc;
    w.Measure1->SetFloatValue(5.0);
    Choose(1);
    asOhms = w.Measure1->Text();
    Choose(0);
    backToVolts = w.Measure1->Text();
    w.BitBtn2->Click();
  });
  Open("AIR", 0);
  EXPECT_EQ(asOhms, "499000.0");
  EXPECT_EQ(backToVolts, "4.990");
  EXPECT_FALSE(TempCalc->Timer1->Enabled());
}

// Refused points store nothing and leave the window open with polling stopped; corrected,
// they give the table.
TEST_F(TemperatureCalculator, RefusedPointsKeepTheBlockAndStopPollingUntilCorrected) {
  ASSERT_TRUE(LinkUp());
  const TConfigBlock before = ConfigBlock;
  TConfigBlock expected = ConfigBlock;
  const uint16_t table[14] = {1008, 1002, 993, 981, 964, 941, 908, 864, 804, 726, 628, 511, 254, 52};
  for (int i = 0; i < 14; ++i) expected.AuxTempTable[i] = table[i];
  bool beyondAdc = false, sameSignal = false, blockKept = false, stillOpen = false, stopped = false;
  uint32_t pollsAfterRefusal = 0, pollsLater = 0;
  script.AnswerForm([&](TForm&) {
    TTempCalc& w = *TempCalc;
    EXPECT_TRUE(PumpUntil([&] { return Polls() > 0; }, 3000));
    // The defaults with 7 degC for the first point: the coldest counts pass the ADC's top.
    Enter(w.Temp1, "7");
    script.Answer(mrOk);
    w.BitBtn1->Click();
    beyondAdc = script.Last().Kind == ui::DialogKind::MessageDlg &&
                script.Last().Text.find("count 1025 at -20") != AnsiString::npos &&
                script.Last().Text.find("The sensor table was not changed.") != AnsiString::npos;
    Shot(w, "tempcalc-refused");
    stillOpen = w.Visible();
    stopped = !w.Timer1->Enabled();
    pollsAfterRefusal = Polls();
    PumpUntil([] { return false; }, 800);
    pollsLater = Polls();
    Enter(w.Measure2, "4.26");  // the same signal as the first point
    script.Answer(mrOk);
    w.BitBtn1->Click();
    sameSignal = script.Count(ui::DialogKind::MessageDlg) == 2 &&
                 script.Last().Text.find("no sensor curve") != AnsiString::npos;
    stopped = stopped && !w.Timer1->Enabled();
    blockKept = std::memcmp(&ConfigBlock, &before, sizeof before) == 0;
    // A 10 kOhm sensor, whose curve turns back only beyond 120 degC.
    TypePoints({"4.9", "-20", "4.6", "20", "2.5", "80"});
    w.BitBtn1->Click();
  });
  Open("AUX", 2);
  EXPECT_TRUE(beyondAdc) << script.Last().Text;
  EXPECT_TRUE(sameSignal) << script.Last().Text;
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(pollsLater, pollsAfterRefusal) << "polled while the refused points were corrected";
  EXPECT_TRUE(blockKept);
  EXPECT_FALSE(TempCalc->Visible());
  EXPECT_EQ(0, std::memcmp(&ConfigBlock, &expected, sizeof expected));
}

// With degrees Fahrenheit the same three points, entered as 32, 68 and 212, give the
// same table.
class TemperatureCalculatorFahrenheit : public TemperatureCalculator {
 protected:
  std::string IniText() override { return MainWindowLink::IniText() + "[Units]\nTemperature=1\n"; }
};

// The temperatures are typed as a tuner types them: whole degrees, taken on Enter (which
// does not press OK); a number past the sensor table's range is held at its end.
TEST_F(TemperatureCalculatorFahrenheit, EntriesInFahrenheitGiveTheCelsiusTable) {
  ASSERT_TRUE(LinkUp());
  bool typing = false, held = false;
  script.AnswerForm([&](TForm&) {
    TTempCalc& w = *TempCalc;
    Type(w.Temp3, "300");
    typing = w.Temp3->State() == esEditing && w.Temp3->Color() == w.Temp3->ColorEditing();
    ui::SimulateKey(w.Temp3, "Return");
    held = w.Temp3->ValueAsInt() == 248 && w.Temp3->Text() == "248" && w.Temp3->State() == esNormal;
    for (auto [e, text] : {std::pair{w.Temp1, "32"}, std::pair{w.Temp2, "68"}, std::pair{w.Temp3, "212"}}) Enter(e, text);
    w.BitBtn1->Click();
  });
  Open("AIR", 0);
  EXPECT_TRUE(typing);
  EXPECT_TRUE(held);
  EXPECT_EQ(TempCalc->Temp1->MinValue(), -22);
  EXPECT_EQ(static_cast<uint16_t>(ConfigBlock.AirTempTable[0]), 976);
  EXPECT_EQ(static_cast<uint16_t>(ConfigBlock.AirTempTable[13]), 98);
}

}  // namespace
}  // namespace e2e
