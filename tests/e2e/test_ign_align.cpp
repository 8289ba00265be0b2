// Ignition alignment from the main window's menu against the simulated ECU: the angles
// shown from the configuration, the lock, the arrow keys' steps shown only from the ECU's
// reply, and the lock released when the window closes.
#include "app/Main.h"
#include "controls/AdvEdit.h"
#include "e2e/MainWindowLink.h"
#include "ecu/IgnAlign.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

class IgnitionAlignment : public MainWindowLink {
 protected:
  IgnitionAlignment() : MainWindowLink(41) {}
  void Prepare(ecusim::Ecu& e) override {
    auto cfg = e.Config();
    cfg[10] = 0;
    cfg[11] = 100;  // reference 50 degrees
    cfg[12] = 0;
    cfg[13] = 30;  // lock at 15 degrees
  }
};

TEST_F(IgnitionAlignment, LockStepAndCloseReleases) {
  ASSERT_TRUE(LinkUp());
  bool disabledOnShow = false, shownAngles = false, locked = false, stepped = false;
  script.AnswerForm([&](TForm&) {
    TIgnAlignForm& w = *IgnAlignForm;
    // The window opens with both angle fields disabled; only the configuration reply
    // enables them.
    disabledOnShow = !w.ReferenceAdvance->Enabled() && !w.LockAdvance->Enabled();
    shownAngles = PumpUntil([&] { return w.ReferenceAdvance->Enabled() && w.LockAdvance->Enabled(); }) &&
                  w.ReferenceAdvance->FloatValue() == 50.0 && w.LockAdvance->FloatValue() == 15.0;
    w.UnLockButton->Click();
    locked = PumpUntil([&] {
      return sim.With([](ecusim::Ecu& e) { return e.State().advanceLocked; }) &&
             w.UnLockButton->Caption() == "&Unlock ignition advance";
    });
    w.ReferenceAdvance->SetFocus();
    ui::SimulateKey(w.ReferenceAdvance, "Up");
    stepped = PumpUntil([&] { return w.ReferenceAdvance->FloatValue() == 50.5; });
    w.BitBtn1->Click();
  });
  dynamic_cast<TMenuItem*>(f_->FindComponent("Ignitionalignment1"))->Click();
  EXPECT_TRUE(disabledOnShow);
  EXPECT_TRUE(shownAngles);
  EXPECT_TRUE(locked);
  EXPECT_TRUE(stepped);
  EXPECT_FALSE(IgnAlignForm->Visible());
  ASSERT_TRUE(PumpUntil([&] { return !sim.With([](ecusim::Ecu& e) { return e.State().advanceLocked; }); }));
  const std::vector<std::uint8_t> cfg = sim.ConfigImage();
  EXPECT_EQ(cfg[10] * 256 + cfg[11], 101);
  EXPECT_EQ(cfg[12] * 256 + cfg[13], 30);
}

// Up and Down in an angle field only ask the ECU for a step and re-read the configuration;
// the field shows the new angle when the reply carries it, never by itself. The ECU holds
// its reply back long enough to look at the field in between.
TEST_F(IgnitionAlignment, ArrowKeysShowTheAngleOnlyFromTheEcusReply) {
  ASSERT_TRUE(LinkUp());
  sim.With([](ecusim::Ecu& e) { e.SetConfigReplyDelay(700); });
  auto word = [this](std::size_t at) {
    const std::vector<std::uint8_t> cfg = sim.ConfigImage();
    return cfg[at] * 256 + cfg[at + 1];
  };
  bool shown = false;
  script.AnswerForm([&](TForm&) {
    TIgnAlignForm& w = *IgnAlignForm;
    shown = PumpUntil([&] {
      return w.ReferenceAdvance->Enabled() && w.ReferenceAdvance->Text() == "50.0" && w.LockAdvance->Text() == "15.0";
    });
    const struct {
      TAdvEdit* field;
      const char* key;
      std::uint32_t steps;  // "$A" frames the ECU takes
      std::size_t at;       // the angle's word in the configuration image, half degrees
      int halfDegrees;
      const char* before;
      const char* after;
    } cases[] = {
        {w.ReferenceAdvance, "Up", 1, 10, 101, "50.0", "50.5"},
        {w.ReferenceAdvance, "Down", 1, 10, 100, "50.5", "50.0"},
        {w.LockAdvance, "Down", 1, 12, 29, "15.0", "14.5"},
        {w.LockAdvance, "Up", 1, 12, 30, "14.5", "15.0"},
        {w.LockAdvance, "5", 0, 12, 30, "15.0", "15.0"},  // read-only: no digit typed
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.field->Name().c_str()) + " " + c.key);
      const ecusim::Counters before = sim.GetCounters();
      c.field->SetFocus();
      ui::SimulateKey(c.field, c.key);
      ASSERT_TRUE(PumpUntil([&] { return sim.FramesReceived('c') == before.Frames('c') + 1; }));
      EXPECT_EQ(sim.FramesReceived('A') - before.Frames('A'), c.steps);
      EXPECT_EQ(word(c.at), c.halfDegrees);
      EXPECT_EQ(c.field->Text(), c.before) << "shown before the reply";
      EXPECT_TRUE(PumpUntil([&] { return c.field->Text() == c.after; }));
    }
    w.BitBtn1->Click();
  });
  dynamic_cast<TMenuItem*>(f_->FindComponent("Ignitionalignment1"))->Click();
  EXPECT_TRUE(shown);
  EXPECT_EQ(sim.GetCounters().rejectedFrames, 0u);
}

}  // namespace
}  // namespace e2e
