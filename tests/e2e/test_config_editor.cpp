// The configuration editor from the main window's menu against the simulated ECU: edits
// uploaded and read back, unsent edits kept through a live reply, configuration files
// loaded, uploaded and read after a power cycle, saved with comments, refused when
// damaged, and the close question.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/Main.h"
#include "config/ConfigComments.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/SBPro.h"
#include "e2e/ConfigEditorLink.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "model/ConfigBlock.h"
#include "model/Frames.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCurrent = "Current ECU settings displayed";
constexpr const char* kModified = "User modified settings displayed";

class ConfigEditor : public ConfigEditorLink {
 protected:
  ConfigEditor() : ConfigEditorLink(61, "e2e-q05-") {}


  // Opens the editor from the main window's menu, runs `body` in it, and leaves it by
  // its "Exit to mapping software".
  void InEditor(const std::function<void(TSetupForm&)>& body) {
    ASSERT_TRUE(LinkUp());
    bool ran = false;
    script.AnswerForm([&](TForm&) {
      ran = true;
      body(*SetupForm);
      if (SetupForm->StatusText() == kModified) script.Answer(mrYes);
      Menu("Exittomappingsoftware1")->Click();
    });
    dynamic_cast<TMenuItem*>(f_->FindComponent("ECUversioninfo1"))->Click();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(SetupForm->Visible());
  }



  // Answers the confirmation, then waits for the ECU's copy to come back.
  bool Upload() {
    const int before = PacketCountsA[3];
    script.Answer(mrOk);
    Menu("UpdateECUconfiguration1")->Click();
    return PumpUntil([&] { return PacketCountsA[3] > before && SetupForm->StatusText() == kCurrent; });
  }
  bool ReadEcu() {
    const int before = PacketCountsA[3];
    script.Answer(mrOk);
    Menu("ReadECUconfiguration1")->Click();
    return PumpUntil([&] { return PacketCountsA[3] > before && SetupForm->StatusText() != "Wait..."; });
  }

  std::vector<std::uint8_t> ImageOf(const TConfigBlock& b) {
    const config::ConfigImage image = config::EncodeConfigImage(b);
    return {image.begin(), image.end()};
  }
  static bool Same(const TConfigBlock& a, const TConfigBlock& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

};

TEST_F(ConfigEditor, EditUploadAndReadBack) {
  InEditor([&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    ASSERT_TRUE(PumpUntil([&] { return s.SerialNumberLab->Caption() == "1234 "; }));
    EXPECT_EQ(s.SWVersionLab->Caption(), "1.05 ");
    EXPECT_EQ(s.HWVersionLab->Caption(), "2.00 ");
    EXPECT_FALSE(s.DevVersionGroup->Visible());

    s.CylindersSpin->SetValue(6);
    dynamic_cast<TComboBox*>(s.FindComponent("MapSource"))->UserSelect(3);
    s.TPSmax->SetValue(900);
    EXPECT_EQ(s.StatusText(), kModified);
    EXPECT_TRUE(ConfigBlockUnsent);
    EXPECT_EQ(ConfigBlock.Cylinders, 6);
    EXPECT_EQ(ConfigBlock.MapSource, 3);
    EXPECT_EQ(ConfigBlock.TPSRangeDiv10, (900 - 60) / 10);

    // A user-defined air sensor table: keys step the selected counts within 0..1023.
    s.ATS_type->SetItemIndex(1);
    s.ATS_typeClick(s.ATS_type);
    EXPECT_TRUE(ConfigBlock.SensorOptions & 1);
    ConfigBlock.AirTempTable[0] = 1020;
    s.ATStable->SetSelection({0, 1, 1, 1});
    auto press = [&](WORD key, TShiftState shift) {
      s.ATStable->OnKeyDown(s.ATStable, key, shift);
      s.ATStable->OnKeyUp(s.ATStable, key, shift);
    };
    press(VK_UP, TShiftState{ssShift});
    EXPECT_EQ(ConfigBlock.AirTempTable[0], 1023);
    EXPECT_EQ(ConfigBlock.AirTempTable[1], 10);
    EXPECT_EQ(s.ATStable->Cells(0, 1), "5.000");
    press(VK_SUBTRACT, TShiftState{ssShift});
    press(VK_DOWN, TShiftState{});
    EXPECT_EQ(ConfigBlock.AirTempTable[0], 1012);
    EXPECT_EQ(ConfigBlock.AirTempTable[1], 0);

    // A reply the user did not ask for leaves the unsent edits where they are.
    const int before = PacketCountsA[3];
    f_->Send(ecu::ConfigRequestFrame());
    ASSERT_TRUE(PumpUntil([&] { return PacketCountsA[3] > before; }));
    EXPECT_EQ(ConfigBlock.Cylinders, 6);
    EXPECT_EQ(ConfigReadCopy.Cylinders, 4);
    EXPECT_EQ(s.StatusText(), kModified);

    const std::uint32_t writes = sim.With([](ecusim::Ecu& e) { return e.GetCounters().Frames('i'); });
    ASSERT_TRUE(Upload());
    EXPECT_EQ(sim.With([](ecusim::Ecu& e) { return e.GetCounters().Frames('i'); }), writes + 2);
    EXPECT_EQ(sim.ConfigImage(), ImageOf(ConfigBlock));
    EXPECT_TRUE(Same(ConfigBlock, ConfigReadCopy));
    EXPECT_FALSE(ConfigBlockUnsent);
    EXPECT_EQ(sim.ConfigImage()[1], 6);

    // Changing a field back and forth.
    s.TPSmax->SetValue(901);
    EXPECT_EQ(s.StatusText(), kModified);
    s.TPSmax->SetValue(900);
    EXPECT_EQ(s.StatusText(), kCurrent);
  });
}

TEST_F(ConfigEditor, LoadedFileSurvivesUploadPowerCycleAndRead) {
  TConfigBlock b = ConfigBlock;
  b.Cylinders = 8;
  b.SensorOptions = 0x03;
  for (int i = 0; i < 14; ++i) b.AirTempTable[i] = static_cast<uint16_t>(900 - 50 * i);
  b.GearRatio[0] = 12345;
  b.GearRatio[1] = 99990;  // the fraction rounds into the integer byte
  std::memset(b.PcOnly112, 0x5A, sizeof b.PcOnly112);
  b.PcOnly634[10] = 0x77;
  THKStreams own(nullptr);
  config::SaveConfigFile(File("track.q05"), "Track car\r\n", b, own);

  InEditor([&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    script.AnswerFile(File("track.q05"));
    Menu("Loadconfigurationfromdisk1")->Click();
    EXPECT_TRUE(Same(ConfigBlock, b));
    EXPECT_EQ(s.StatusText(), kModified);
    EXPECT_TRUE(ConfigBlockUnsent);
    EXPECT_EQ(ConfigSaveCommentsForm->Memo1->Lines()->Strings(0), "Track car");
    EXPECT_EQ(s.CylindersSpin->Value(), 8);
    EXPECT_EQ(s.ATStable->Cells(0, 1), "4.399");

    ASSERT_TRUE(Upload());
    sim.With([](ecusim::Ecu& e) { e.SetPowered(false); });
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
    sim.With([](ecusim::Ecu& e) { e.SetPowered(true); });
    ASSERT_TRUE(PumpUntil([] { return ECUConnected; }));
    ASSERT_TRUE(ReadEcu());
    EXPECT_EQ(s.StatusText(), kCurrent);

    EXPECT_EQ(sim.ConfigImage(), ImageOf(b));
    EXPECT_EQ(ImageOf(ConfigBlock), ImageOf(b));
    EXPECT_TRUE(Same(ConfigBlock, ConfigReadCopy));
    EXPECT_EQ(ConfigBlock.GearRatio[0], 12343u);
    EXPECT_EQ(ConfigBlock.GearRatio[1], 100000u);
    EXPECT_EQ(ConfigBlock.Cylinders, 8);
    // What the ECU does not hold is still the file's.
    EXPECT_EQ(ConfigBlock.PcOnly112[7], 0x5A);
    EXPECT_EQ(ConfigBlock.PcOnly634[10], 0x77);
  });
}

TEST_F(ConfigEditor, SaveOverwriteCorruptFileAndCloseQuestion) {
  InEditor([&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    s.CylindersSpin->SetValue(10);  // 9 to 11 step over to 8 from 4
    EXPECT_EQ(ConfigBlock.Cylinders, 8);
    EXPECT_EQ(s.CylindersSpin->Value(), 8);

    script.AnswerFile(File("saved.q05")).AnswerForm([](TForm& form) {
      ConfigSaveCommentsForm->Memo1->SetText("Notes");
      form.SetModalResult(mrOk);
    });
    Menu("Saveconfigurationtodisk1")->Click();
    THKStreams own(nullptr);
    const config::TConfigFileContents saved = config::LoadConfigFile(File("saved.q05"), own);
    EXPECT_TRUE(Same(saved.Block, ConfigBlock));
    EXPECT_EQ(saved.Comments, "Notes\r\n");

    // Over an existing file: No asks again, Cancel there leaves the file as it was.
    auto bytes = [&] {
      std::ifstream in(File("saved.q05"), std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes();
    s.CylindersSpin->SetValue(6);
    script.AnswerFile(File("saved.q05")).Answer(mrNo).CancelFile();
    Menu("Saveconfigurationtodisk1")->Click();
    EXPECT_EQ(script.Count(ui::DialogKind::SaveFile), 3);
    EXPECT_EQ(bytes(), before);

    // A damaged file is refused with the container's message and changes nothing.
    std::ofstream(File("bad.q05"), std::ios::binary) << "&\x20not a configuration";
    const TConfigBlock kept = ConfigBlock;
    script.AnswerFile(File("bad.q05")).Answer(mrOk);
    Menu("Loadconfigurationfromdisk1")->Click();
    EXPECT_NE(script.Last().Text.find("This file is corrupt"), AnsiString::npos) << script.Last().Text;
    EXPECT_TRUE(Same(ConfigBlock, kept));

    // Unsent changes: the close question, No keeps the window.
    ASSERT_EQ(s.StatusText(), kModified);
    script.Answer(mrNo);
    EXPECT_FALSE(s.CloseQuery());
    EXPECT_NE(script.Last().Text.find("Do you want to abandon these changes?"), AnsiString::npos);
  });
}

// Pictures of every page, for a look under a real window system (SETUP_SHOTS=<folder>;
// with DISPLAY set, the whole screen too), then of the sensor and map-switch pages once
// the link is lost. The window shows without a modal loop, so the window system paints it
// as a user sees it.
TEST_F(ConfigEditor, Pictures) {
  const char* dir = std::getenv("SETUP_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "SETUP_SHOTS not set";
  ASSERT_TRUE(LinkUp());
  TSetupForm& s = *SetupForm;
  s.Show();
  ASSERT_TRUE(StatusIs(kCurrent));
  s.CylindersSpin->SetValue(6);
  auto shoot = [&](int page, const char* prefix) {
    s.TabSet->SetTabIndex(page);
    s.TabSetClick(s.TabSet);
    for (int i = 0; i < 30; ++i) {
      Application->ProcessMessages();
      usleep(10000);
    }
    char name[64];
    std::snprintf(name, sizeof name, "/%s-%02d.png", prefix, page);
    ui::GrabToPng(&s, AnsiString(dir) + name);
    if (std::getenv("DISPLAY") != nullptr) {
      std::snprintf(name, sizeof name, "/screen-%s-%02d.png", prefix, page);
      EXPECT_TRUE(ui::GrabScreenToPng(AnsiString(dir) + name));
    }
  };
  for (int page = 0; page < 20; ++page) shoot(page, "setup");
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  for (int page : {0, 4, 12}) shoot(page, "lost");
  if (const char* linger = std::getenv("SETUP_LINGER"))
    for (int i = 0; i < std::atoi(linger) * 50; ++i) {
      Application->ProcessMessages();
      usleep(20000);
    }
  script.Answer(mrYes);
  s.Close();
}

}  // namespace
}  // namespace e2e
