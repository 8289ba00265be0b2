// What the tuner sees of the live data in the real main window against the simulated ECU:
// the live page's dashboard and its blanking when the ECU falls silent, the immobiliser
// window from the menu, and the diagnostics window with its values and telltale lock.
#include <map>
#include <string>

#include "controls/AdvMaskEdit.h"
#include "app/Main.h"
#include "e2e/MainWindowLink.h"
#include "ecu/Diag.h"
#include "ecu/Immobiliser.h"
#include "ecu/keycode.h"
#include "gauges/AbValInd.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

namespace e2e {
namespace {

void Click(TR7Tform1* f, const char* menu) { dynamic_cast<TMenuItem*>(f->FindComponent(menu))->Click(); }

// Fixed live values, as an engine at part load would send them.
void SetEngine(ecusim::Ecu& e) {
  ecusim::FastLive& f = e.State().fast;
  f.rpm = 3250;
  f.throttlePercent = 42;
  f.throttleCounts = 512;
  f.manifoldPressure = 1500;  // 150 kPa
  f.speedSite = 6;
  f.speedFraction = 64;
  f.loadSite = 9;
  f.loadFraction = 200;
  f.advance = 51;  // 25.5 degrees
  f.afr = 125;
  f.afr2 = 147;
  f.pulseCount1 = 4000;
  f.roadSpeed = 2560;
  f.flags = 2;  // clutch down
  ecusim::SlowLive& s = e.State().slow;
  s.airTemp = 31;
  s.coolantTemp = 125;
  s.battery = 143;  // 13.0 V
  s.idlePosition = 57;
  s.ignitionCorrection = 5;  // 2.5 degrees
  s.injectionCorrection = -12;
  s.statusWord = 1 << 14 | 1 << 2;  // closed loop, idling
  s.faultWord = 1 << 4;    // air temperature sensor fault
  s.boostTarget = 80;
  s.boostPwm = 51;
  s.coilOnTime = 41;
  s.gearWheel = 2;
  s.egt = 640;
  s.camPosition = 30;
  s.duty = 128;
  s.auxInputs[0] = 512;
  s.auxInputs[9] = 1023;
  s.lambdaSensor = 102;
  s.lambdaTrim = -1638;
}

class LiveDisplays : public MainWindowLink {
 protected:
  LiveDisplays() : MainWindowLink(61) {}
  void Prepare(ecusim::Ecu& e) override { SetEngine(e); }
};

TEST_F(LiveDisplays, TheLivePageFollowsTheEcuAndBlanksWhenItFallsSilent) {
  ASSERT_TRUE(LinkUp());
  f_->TabSet1->SetTabIndex(7);
  f_->TabSet1Click(f_->TabSet1);
  ASSERT_TRUE(PumpUntil([&] { return f_->engine_speed->Caption() == "3250" && f_->BatteryV->Caption() == "13.0"; }));
  EXPECT_EQ(f_->throttle->Caption(), "42");
  EXPECT_EQ(f_->Boost->Caption(), "0.50");  // bar
  EXPECT_EQ(f_->load_site->Caption(), "10");
  EXPECT_EQ(f_->speed_site->Caption(), "6");
  EXPECT_FLOAT_EQ(f_->AbValueInd1->Value(), 12.5f);
  EXPECT_FLOAT_EQ(f_->AbValueInd2->Value(), 14.7f);
  EXPECT_GT(f_->InjDuration->Value(), 0.0f);
  EXPECT_EQ(f_->IACpos->Caption(), "57");
  EXPECT_EQ(f_->ign_corr->Caption(), "2.5");
  EXPECT_EQ(f_->inj_corr->Caption(), "-12");
  EXPECT_EQ(f_->LambdaStatus->Caption(), "Closed loop");
  EXPECT_EQ(f_->EngineStatus->Caption(), "Idling");
  EXPECT_EQ(f_->IACpos->Font()->Color(), clRed);
  EXPECT_EQ(f_->InjectionStatus->Caption(), "Grouped");
  // The air sensor is faulty: white on red; the coolant is past the sensor's range.
  EXPECT_EQ(f_->air_temp->Caption(), "31");
  EXPECT_EQ(f_->air_temp->Color(), clRed);
  EXPECT_EQ(f_->coolant_temp->Caption(), ">125");
  EXPECT_EQ(f_->coolant_temp->Font()->Color(), clRed);

  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  EXPECT_EQ(f_->engine_speed->Caption(), "XXXX");
  EXPECT_EQ(f_->load_site->Caption(), "XX");
  for (TPanel* p : {f_->throttle, f_->Boost, f_->BatteryV, f_->IACpos, f_->User1, f_->ign_corr, f_->air_temp})
    EXPECT_EQ(p->Caption(), "XXX") << p->Name();
  EXPECT_EQ(f_->EngineStatus->Caption(), "");
  EXPECT_EQ(f_->air_temp->Color(), clBlack);
  EXPECT_EQ(f_->IACpos->Font()->Color(), clLime);
  EXPECT_EQ(f_->InjDuration->Value(), 0.0f);

  // The ECU speaks again: so do the displays.
  sim.SetStreaming(true);
  ASSERT_TRUE(PumpUntil([&] { return f_->engine_speed->Caption() == "3250"; }));
}

// ---- Immobiliser ----

class Immobiliser : public MainWindowLink {
 protected:
  Immobiliser() : MainWindowLink(62) {}
  bool Sim(bool (*what)(ecusim::Ecu&)) { return sim.With(what); }
};

TEST_F(Immobiliser, ActivateImmobiliseRelearnAndDeactivateFromTheMenu) {
  ASSERT_TRUE(LinkUp());
  AnsiString afterActivate, afterImmobilise, mainStatus, afterLearn, afterDeactivate;
  script.AnswerForm([&](TForm&) {
    TImmobForm& w = *ImmobForm;
    EXPECT_EQ(w.ImmobiliserStatus->Caption(), "Deactivated");
    script.Answer(mrYes);
    w.ImmobiliserChangeStatus->Click();
    EXPECT_EQ(script.Last().Text, "Activate the ECU Immobiliser function?");
    PumpUntil([&] { return w.ImmobiliserStatus->Caption() == "Active - DISARMED"; });
    afterActivate = w.ImmobiliserStatus->Caption();
    EXPECT_EQ(w.ImmobiliserChangeStatus->Caption(), "Deactivate");

    sim.With([](ecusim::Ecu& e) { e.State().immobiliser.immobilised = true; });
    PumpUntil([&] { return ECUImmobilised && f_->StatusPanel->Caption() == "ECU IMMOBILISED"; });
    afterImmobilise = w.ImmobiliserStatus->Caption();
    mainStatus = f_->StatusPanel->Caption();
    sim.With([](ecusim::Ecu& e) { e.State().immobiliser.immobilised = false; });

    script.Answer(mrYes);
    w.ResetImmobilser->Click();
    EXPECT_EQ(script.Last().Text, "Delete current immobiliser code and relearn?");
    PumpUntil([&] { return w.ImmobiliserStatus->Caption() == "Active - LEARNING"; });
    afterLearn = w.ImmobiliserStatus->Caption();

    // Refused: nothing is sent.
    const uint32_t frames = sim.FramesReceived('X');
    script.Answer(mrNo);
    w.ImmobiliserChangeStatus->Click();
    EXPECT_EQ(script.Last().Text, "Deactivate the ECU Immobiliser function?");
    EXPECT_EQ(sim.FramesReceived('X'), frames);

    script.Answer(mrYes);
    w.ImmobiliserChangeStatus->Click();
    PumpUntil([&] { return w.ImmobiliserStatus->Caption() == "Deactivated"; });
    afterDeactivate = w.ImmobiliserStatus->Caption();
    w.BitBtn1->Click();
  });
  Click(f_, "Immobiliser1");
  EXPECT_EQ(afterActivate, "Active - DISARMED");
  EXPECT_EQ(afterImmobilise, "Active - IMMOBILISED");
  EXPECT_EQ(mainStatus, "ECU IMMOBILISED");
  EXPECT_EQ(afterLearn, "Active - LEARNING");
  EXPECT_EQ(afterDeactivate, "Deactivated");
  EXPECT_FALSE(ECUImmobilised);
  EXPECT_FALSE(sim.With([](ecusim::Ecu& e) { return e.State().immobiliser.active; }));
  EXPECT_EQ(sim.FramesReceived('X'), 3u);
}

TEST_F(Immobiliser, WithoutTheLinkEveryButtonSaysSoAndSendsNothing) {
  ASSERT_TRUE(LinkUp());
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  script.AnswerForm([&](TForm&) {
    for (TButton* b : {ImmobForm->ImmobiliserChangeStatus, ImmobForm->ResetImmobilser}) {
      script.Answer(mrOk);
      b->Click();
      EXPECT_EQ(script.Last().Text, "ECU not connected or not powered up.  Please check!");
    }
    ImmobForm->BitBtn1->Click();
  });
  Click(f_, "Immobiliser1");
  EXPECT_EQ(sim.FramesReceived('X'), 0u);
}

// ---- Diagnostics ----

class Diagnostics : public MainWindowLink {
 protected:
  Diagnostics() : MainWindowLink(63) {}
  void Prepare(ecusim::Ecu& e) override {
    SetEngine(e);
    ecusim::Identity& id = e.State().identity;
    // 15/04/2025 13:26:20 as a packed date (date word high, time word low).
    id.programmedDate = static_cast<uint32_t>((45 << 9 | 4 << 5 | 15) << 16 | (13 << 11 | 26 << 5 | 10));
    id.engineSeconds = 5 * 3600 + 61;
    id.ecuSeconds = 100 * 3600 + 59;
    e.State().telltale.maxRpm = 6789;
  }
};

TEST_F(Diagnostics, ShowsTheEcusValuesAndLocksTheTelltaleWithAKeycode) {
  ASSERT_TRUE(LinkUp());
  std::map<std::string, AnsiString> shown;
  bool locked = false, unlocked = false;
  AnsiString refusal;
  script.AnswerForm([&](TForm&) {
    TDiagForm& w = *DiagForm;
    PumpUntil([&] { return w.RPMmax->Caption() == "6789" && w.rpm->Caption() == "3250" && w.GearPos->Caption() == "3"; });
    for (TLabel* l : {w.TimeStamp, w.ECURunTime, w.EngRunTime, w.RPMmax, w.rpm, w.throttle, w.potnum, w.speedsite,
                      w.loadsite, w.actualadv, w.injpw, w.TCSpeed, w.inlet, w.airtemp, w.coolanttemp, w.EGTTemp,
                      w.baro, w.battery, w.boosttarget, w.boostpwm, w.boostlevel, w.iacvpos, w.COTms, w.VVTactual,
                      w.GearPos, w.ClutchStatus, w.StatusFlag, w.FaultFlag, w.LambdaV, w.LambdaTrim,
                      w.Input[0], w.Input[9]})
      shown[l->Name()] = l->Caption();

    // Lock with a keycode: the ECU keeps the code and reports the lock.
    script.AnswerForm([](TForm&) {
      DlgPw->code->SetText("4321");
      DlgPw->OKBtn->Click();
    });
    w.TelltaleLock->Click();
    locked = PumpUntil([&] {
      return w.TelltaleLock->Caption() == "Unlock" && sim.With([](ecusim::Ecu& e) { return e.State().telltale.locked; });
    });
    // Clearing is refused while locked, without a frame.
    const uint32_t frames = sim.FramesReceived('F');
    script.Answer(mrOk);
    w.TelltaleClear->Click();
    refusal = script.Last().Text;
    EXPECT_EQ(sim.FramesReceived('F'), frames);

    script.AnswerForm([](TForm&) {
      DlgPw->code->SetText("4321");
      DlgPw->OKBtn->Click();
    });
    w.TelltaleLock->Click();
    unlocked = PumpUntil([&] {
      return w.TelltaleLock->Caption() == "Lock" && !sim.With([](ecusim::Ecu& e) { return e.State().telltale.locked; });
    });
    w.BitBtn1->Click();
  });
  Click(f_, "Diagdata1");
  EXPECT_FALSE(DiagForm->Timer1->Enabled());

  const std::map<std::string, AnsiString> expected = {
      {"TimeStamp", "15/04/2025 13:26:20"}, {"ECURunTime", "100:00:59"}, {"EngRunTime", "5:01:01"},
      {"RPMmax", "6789"},                   {"rpm", "3250"},             {"throttle", "42"},
      {"potnum", "512"},                    {"speedsite", "6:64"},       {"loadsite", "9:200"},
      {"actualadv", "25.5"},                {"injpw", "0.61"},           {"TCSpeed", "22.5"},
      {"inlet", "0.50"},                     {"airtemp", "31"},           {"coolanttemp", "125"},
      {"EGTTemp", "640"},                   {"baro", "1013"},            {"battery", "13.00"},
      {"boosttarget", "0.80"},               {"boostpwm", "20.0"},        {"boostlevel", "50.0"},
      {"iacvpos", "57"},                    {"COTms", "2.00"},           {"VVTactual", "15"},
      {"GearPos", "3"},                     {"ClutchStatus", "DOWN"},    {"StatusFlag", "16388"},
      {"FaultFlag", "16"},                  {"LambdaV", "2.00"},         {"LambdaTrim", "-10.00"},
      {"Input1", "2.502"},                  {"Input10", "5.000"}};
  for (const auto& [name, text] : expected) EXPECT_EQ(shown[name], text) << name;
  EXPECT_TRUE(locked);
  EXPECT_EQ(refusal, kTelltaleLocked);
  EXPECT_TRUE(unlocked);
}

}  // namespace
}  // namespace e2e
