// Ignition alignment from the main window's menu against the simulated ECU: the angles
// shown from the configuration, the lock, a reference step re-read, and the lock released
// when the window closes.
#include "app/Main.h"
#include "controls/AdvSpin.h"
#include "e2e/MainWindowLink.h"
#include "ecu/IgnAlign.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Keys.h"

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
    WORD key = VK_UP;
    w.ReferenceAdvance->OnKeyUp(w.ReferenceAdvance, key, {});
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

}  // namespace
}  // namespace e2e
