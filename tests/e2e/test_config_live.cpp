// The configuration editor's gear and wheel-speed readings against the simulated ECU: slow
// byte 49 names the gear (low nibble + 1) and the wheel (high nibble) whose label shows the
// speed of bytes 52 and 53, in the display speed unit.
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "app/Main.h"
#include "config/setup.h"
#include "e2e/MainWindowLink.h"
#include "model/ConfigBlock.h"
#include "model/Settings.h"
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

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

// The idle valve page: each valve type the tuner picks stores its number and shows a
// wiring picture of its own; the auxiliary temperature page's panel names the chosen input.
TEST_F(ConfigLive, ValveTypePicturesAndAuxInputPanel) {
  InEditor([&](TSetupForm& s) {
    s.TabSet->SetTabIndex(14);
    s.TabSetClick(s.TabSet);
    std::set<std::string> pictures;
    for (int type : {3, 2, 1, 0}) {
      s.IACVTypeBox->UserSelect(type);
      Application->ProcessMessages();
      EXPECT_EQ(ConfigBlock.IACVType & 0x0F, type);
      // The picture as pixels, sampled on a grid fine enough to catch a wire or a pin.
      TCanvas* c = s.IACVWiring->Canvas();
      const TColor face = c->Pixel(0, 0);
      std::string sample;
      for (int y = 0; y < s.IACVWiring->Height(); y += 2)
        for (int x = 0; x < s.IACVWiring->Width(); x += 2) sample += static_cast<char>(c->Pixel(x, y) != face);
      EXPECT_NE(sample.find('\1'), std::string::npos) << "type " << type << " draws nothing";
      pictures.insert(sample);
      if (const char* dir = std::getenv("SETUP_SHOTS"))
        ui::GrabToPng(&s, AnsiString(dir) + "/iacv-" + IntToStr(type) + ".png");
    }
    EXPECT_EQ(pictures.size(), 4u) << "every valve type has a picture of its own";

    s.TabSet->SetTabIndex(6);
    s.TabSetClick(s.TabSet);
    auto* panel = dynamic_cast<TPanel*>(s.FindComponent("AuxTempChanPanel"));
    auto* box = dynamic_cast<TComboBox*>(s.FindComponent("AuxTempChannel"));
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(box, nullptr);
    for (int input : {3, 9, 0}) {
      box->UserSelect(input);
      EXPECT_EQ(ConfigBlock.AuxTempChannel, input);
      EXPECT_EQ(panel->Caption(), "Aux input " + IntToStr(input + 1));
    }
  });
}

}  // namespace
}  // namespace e2e
