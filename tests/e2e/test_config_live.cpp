// The configuration editor's gear and wheel-speed readings against the simulated ECU: slow
// byte 49 names the gear (low nibble + 1) and the wheel (high nibble) whose label shows the
// speed of bytes 52 and 53, in the display speed unit.
#include <functional>
#include <string>

#include "app/Main.h"
#include "config/setup.h"
#include "e2e/MainWindowLink.h"
#include "model/Settings.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"

namespace e2e {
namespace {

class ConfigLive : public MainWindowLink {
 protected:
  ConfigLive() : MainWindowLink(28) {}

  // Opens the editor on the gear page from the main window's menu and leaves it by its own.
  void InEditor(const std::function<void(TSetupForm&)>& look) {
    ASSERT_TRUE(LinkUp());
    bool ran = false;
    script.AnswerForm([&](TForm&) {
      ran = true;
      look(*SetupForm);
      dynamic_cast<TMenuItem*>(SetupForm->FindComponent("Exittomappingsoftware1"))->Click();
    });
    dynamic_cast<TMenuItem*>(f_->FindComponent("Gearposition1"))->Click();
    EXPECT_TRUE(ran);
  }
};

TEST_F(ConfigLive, GearAndTheNamedWheelFollowSlowByte49) {
  InEditor([&](TSetupForm& s) {
    TLabel* wheels[4] = {s.LFspeed, s.RFspeed, s.LRspeed, s.RRspeed};
    struct Case {
      int byte49, byte52, byte53, speedUnit;
      const char* gear;
      int wheel;  // -1: no wheel label
      const char* speed;
    };
    const Case cases[] = {
        {0x00, 40, 0, 0, "1", 0, "90.0"},     // 40 x 2.25
        {0x13, 10, 128, 0, "4", 1, "23.6"},  // 10.5 x 2.25 = 23.625
        {0x27, 40, 0, 1, "8", 2, "144.0"},    // 40 x 3.6
        {0x31, 0, 64, 1, "2", 3, "0.9"},      // 0.25 x 3.6
        {0x42, 99, 0, 0, "3", -1, ""},        // no such wheel: the labels keep what they had
    };
    for (const Case& c : cases) {
      Settings.SpeedUnit = c.speedUnit;
      std::string before[4];
      for (int w = 0; w < 4; ++w) before[w] = wheels[w]->Caption().c_str();
      sim.With([&](ecusim::Ecu& e) {
        e.State().slow.gearWheel = static_cast<std::uint8_t>(c.byte49);
        e.State().slow.wheelSpeed = static_cast<std::uint8_t>(c.byte52);
        e.State().slow.wheelSpeedFraction = static_cast<std::uint8_t>(c.byte53);
      });
      const bool seen = PumpUntil([&] {
        return s.SelectedGear->Caption() == c.gear && s.SelectedGear2->Caption() == c.gear &&
               (c.wheel < 0 || wheels[c.wheel]->Caption() == c.speed);
      });
      EXPECT_TRUE(seen) << "byte 49 = " << c.byte49 << ": gear " << s.SelectedGear->Caption().c_str() << "/"
                        << s.SelectedGear2->Caption().c_str();
      if (c.wheel >= 0) {
        EXPECT_EQ(wheels[c.wheel]->Caption(), c.speed) << c.byte49;
      }
      for (int w = 0; w < 4; ++w) {
        if (w == c.wheel) continue;
        EXPECT_EQ(wheels[w]->Caption(), before[w]) << "byte 49 = " << c.byte49 << ", wheel " << w;
      }
    }
  });
}

}  // namespace
}  // namespace e2e
