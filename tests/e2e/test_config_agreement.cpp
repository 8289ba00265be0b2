// The configuration editor and the ECU agree, driven from the main window's menus against
// the simulated ECU: abandoned edits dropped, a late reply that never undoes an upload, an
// upload cut between its frames or tried on a dead line, the alignment window showing the
// ECU's angles, the lost link greying the editor, and what a read leaves alone.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/Main.h"
#include "config/setup.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/SBPro.h"
#include "e2e/ConfigEditorLink.h"
#include "ecu/IgnAlign.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbVMeter.h"
#include "link/ConfigRequests.h"
#include "model/ConfigBlock.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"
#include "serial/AdPort.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using ecusim::Ecu;

constexpr const char* kCurrent = "Current ECU settings displayed";
constexpr const char* kModified = "User modified settings displayed";
constexpr const char* kOffline = "Offline ECU settings displayed";
constexpr TColor kGrey = ColorValue(0x808080);

// With AGREE_SHOTS set to a folder, a picture of the editor, to look at under a real window
// system.
void Shot(TForm& form, const std::string& name) {
  const char* dir = std::getenv("AGREE_SHOTS");
  if (dir == nullptr) return;
  PumpUntil([] { return false; }, 300);
  ui::GrabToPng(&form, AnsiString(dir) + "/" + name + ".png");
}

int Word(const std::vector<std::uint8_t>& image, size_t at) { return image[at] * 256 + image[at + 1]; }

class ConfigAgreement : public ConfigEditorLink {
 protected:
  ConfigAgreement() : ConfigEditorLink(54, "e2e-agree-") {}

  void Prepare(Ecu& e) override {
    auto cfg = e.Config();
    cfg[10] = 0;
    cfg[11] = 101;  // reference advance 50.5 degrees
    cfg[218] = 1;   // the map switch reads auxiliary input 1
    e.State().slow.auxInputs[0] = 512;
  }

  // Opens the editor at the page of the main window's menu command `command`, runs `body`
  // in it and leaves by "Exit to mapping software"; `body` answers any close question.
  void InEditor(const char* command, const std::function<void(TSetupForm&)>& body) {
    ASSERT_TRUE(LinkUp());
    bool ran = false;
    script.AnswerForm([&](TForm&) {
      ran = true;
      body(*SetupForm);
      Menu("Exittomappingsoftware1")->Click();
    });
    dynamic_cast<TMenuItem*>(f_->FindComponent(command))->Click();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(SetupForm->Visible());
  }
  bool Upload() {
    const int before = PacketCountsA[3];
    script.Answer(mrOk);
    Menu("UpdateECUconfiguration1")->Click();
    return PumpUntil([&] { return PacketCountsA[3] > before && SetupForm->StatusText() == kCurrent; });
  }
  // Complete configuration replies handled so far: the simulated ECU sends its 300 bytes
  // in two chunks, and the handler counts chunks.
  static int Replies() { return PacketCountsA[3] / 2; }
  bool Shown(const char* words) {
    for (const ui::DialogRequest& r : script.Shown())
      if (r.Text.find(words) != AnsiString::npos) return true;
    return false;
  }

};

TEST_F(ConfigAgreement, AbandonedEditsAreDroppedAndTheEcusSettingsShownAgain) {
  InEditor("ThrottlePositionSensor1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    s.TPSmax->SetValue(901);
    ASSERT_EQ(s.StatusText(), kModified);
    script.Answer(mrNo);
    EXPECT_FALSE(s.CloseQuery());
    EXPECT_EQ(ConfigBlock.TPSMax, 901);
    script.Answer(mrYes);
  });
  EXPECT_TRUE(Shown("Do you want to abandon these changes?"));
  EXPECT_EQ(ConfigBlock.TPSMax, 800);
  EXPECT_FALSE(ConfigBlockUnsent);

  InEditor("ThrottlePositionSensor1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    EXPECT_EQ(s.TPSmax->Value(), 800);
    // The next upload sends the ECU's own value, not the abandoned one.
    ASSERT_TRUE(Upload());
    EXPECT_EQ(Word(sim.ConfigImage(), 56), 800);
  });
}

TEST_F(ConfigAgreement, AReplyAskedForBeforeAnUploadNeverUndoesIt) {
  InEditor("ThrottlePositionSensor1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    ASSERT_TRUE(PumpUntil([] { return ecu::ConfigRequests.RepliesDue() == 0; }));
    s.TPSmax->SetValue(870);
    // Replies come late, as on a busy line: the one asked for when the confirmation box
    // closed and re-activated the editor lands after the upload's frames.
    sim.With([](Ecu& e) { e.SetConfigReplyDelay(800); });
    const int replies = Replies();
    const std::uint32_t asked = sim.FramesReceived('c');
    script.Answer(mrOk);
    Menu("UpdateECUconfiguration1")->Click();
    ASSERT_TRUE(PumpUntil([&] { return sim.FramesReceived('c') == asked + 2; }));
    EXPECT_EQ(Word(sim.ConfigImage(), 56), 870);
    bool undone = false, currentEarly = false;
    // The out-of-date reply comes first, then the read-back asked for after the frames.
    ASSERT_TRUE(PumpUntil([&] {
      undone = undone || ConfigBlock.TPSMax != 870 || s.TPSmax->Value() != 870;
      currentEarly = currentEarly || (Replies() < replies + 2 && s.StatusText() == kCurrent);
      return Replies() == replies + 2 && s.StatusText() == kCurrent;
    })) << s.StatusText();
    EXPECT_FALSE(undone);
    EXPECT_FALSE(currentEarly);
    EXPECT_EQ(ConfigReadCopy.TPSMax, 870);
    EXPECT_FALSE(ConfigBlockUnsent);
  });
}

TEST_F(ConfigAgreement, AnUploadCutBetweenItsFramesIsReportedAndItsWorkKept) {
  InEditor("ThrottlePositionSensor1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    s.TPSmax->SetValue(870);                // image bytes 56-57: the first frame
    s.TachoMultiplier->SetFloatValue(2.0);  // image byte 177: the second frame
    ASSERT_EQ(ConfigBlock.TachoMultiplier, 128);
    sim.With([](Ecu& e) { e.CutLineAfterConfigFrame(2500); });
    script.Answer(mrOk).Answer(mrOk);
    Menu("UpdateECUconfiguration1")->Click();
    bool shownDone = false;
    ASSERT_TRUE(PumpUntil([&] {
      shownDone = shownDone || s.StatusText() == kCurrent;
      return Shown("did not finish");
    }));
    EXPECT_FALSE(shownDone);
    EXPECT_TRUE(Shown("read the ECU configuration back") || Shown("Read the ECU configuration back"));
    const std::vector<std::uint8_t> half = sim.ConfigImage();
    EXPECT_EQ(Word(half, 56), 870);
    EXPECT_EQ(half[177], 64);
    EXPECT_EQ(s.StatusText(), kModified);
    EXPECT_TRUE(ConfigBlockUnsent);
    Shot(s, "upload-unfinished");

    // The line comes back: the reply shows what the ECU holds, the work stays on screen.
    const int replies = Replies();
    ASSERT_TRUE(PumpUntil([&] { return ECUConnected && Replies() > replies; }));
    EXPECT_EQ(ConfigReadCopy.TachoMultiplier, 64);
    EXPECT_EQ(ConfigBlock.TachoMultiplier, 128);
    EXPECT_EQ(ConfigBlock.TPSMax, 870);
    EXPECT_EQ(s.StatusText(), kModified);
    ASSERT_TRUE(Upload());
    EXPECT_EQ(sim.ConfigImage()[177], 128);
  });
}

TEST_F(ConfigAgreement, AnUploadOnADeadLineSaysSoInTheProgramsWords) {
  InEditor("ThrottlePositionSensor1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    s.TPSmax->SetValue(870);
    sim.Stop();
    ASSERT_TRUE(PumpUntil([&] { return f_->comms->LineLost(); }, 800));
    ASSERT_TRUE(ECUConnected) << "the link watchdog fired before the click";
    script.Answer(mrOk).Answer(mrOk);
    Menu("UpdateECUconfiguration1")->Click();
    EXPECT_TRUE(Shown("was not sent")) << script.Last().Text;
    EXPECT_FALSE(Shown("Failed to put"));
    EXPECT_EQ(ConfigBlock.TPSMax, 870);
    EXPECT_TRUE(ConfigBlockUnsent);
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
    EXPECT_EQ(s.StatusText(), kModified);
    script.Answer(mrYes);
  });
}

TEST_F(ConfigAgreement, TheAlignmentWindowShowsTheAnglesTheEcuReplied) {
  ASSERT_TRUE(LinkUp());
  // Work the ECU has not seen: the working block holds 50.0 degrees.
  ConfigBlock.ReferenceAdvance = 100;
  ConfigBlockUnsent = true;
  bool replied = false, stepped = false;
  script.AnswerForm([&](TForm&) {
    TIgnAlignForm& w = *IgnAlignForm;
    replied = PumpUntil([&] { return w.ReferenceAdvance->Enabled() && w.ReferenceAdvance->FloatValue() == 50.5; });
    WORD key = VK_UP;
    w.ReferenceAdvance->OnKeyUp(w.ReferenceAdvance, key, {});
    stepped = PumpUntil([&] { return w.ReferenceAdvance->FloatValue() == 51.0; });
    w.BitBtn1->Click();
  });
  dynamic_cast<TMenuItem*>(f_->FindComponent("Ignitionalignment1"))->Click();
  EXPECT_TRUE(replied) << IgnAlignForm->ReferenceAdvance->FloatValue();
  EXPECT_TRUE(stepped) << IgnAlignForm->ReferenceAdvance->FloatValue();
  EXPECT_EQ(ConfigBlock.ReferenceAdvance, 100);
}

TEST_F(ConfigAgreement, ALostLinkGreysTheIdentityAndTheMapSwitchMeter) {
  InEditor("MapSwitching1", [&](TSetupForm& s) {
    ASSERT_TRUE(PumpUntil([&] { return s.SerialNumberLab->Caption() == "1234 " && s.MapSwitchMeter->Enabled(); }));
    sim.SetStreaming(false);
    ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
    EXPECT_EQ(s.SerialNumberLab->Caption(), "xxxxxxxx ");
    for (TLabel* l : {s.SWVersionLab, s.HWVersionLab, s.DevVersionLab}) EXPECT_EQ(l->Caption(), "xxxx ");
    for (TLabel* l : {s.SerialNumberLab, s.SWVersionLab, s.HWVersionLab, s.DevVersionLab})
      EXPECT_EQ(l->Font()->Color(), kGrey);
    EXPECT_EQ(s.MapSwitchMeter->Color(), kGrey);
    EXPECT_FALSE(s.MapSwitchMeter->Enabled());
    EXPECT_FALSE(s.MapSwitchMeter->Blinking());
    EXPECT_EQ(s.StatusText(), kOffline);
    Shot(s, "link-lost-switch");
    s.TabSet->SetTabIndex(0);
    s.TabSetClick(s.TabSet);
    Shot(s, "link-lost-identity");
    // The link back: the ECU's identity again, in blue.
    sim.SetStreaming(true);
    ASSERT_TRUE(PumpUntil([&] { return ECUConnected && s.SerialNumberLab->Caption() == "1234 "; }));
    EXPECT_EQ(s.SerialNumberLab->Font()->Color(), clBlue);
    // Its map-switch page shows the live input again, the meter in its colours.
    s.TabSet->SetTabIndex(12);
    s.TabSetClick(s.TabSet);
    ASSERT_TRUE(PumpUntil([&] { return s.MapSwitchMeter->Enabled(); }));
    EXPECT_EQ(s.MapSwitchMeter->Color(), clWhite);
    Shot(s, "link-back-switch");
  });
}

// A read fills what the ECU's reply carries; what it does not carry (the PC's own bytes,
// and reply bytes past the end of a 300-byte reply) stays as the working block has it.
TEST_F(ConfigAgreement, ReadingTheEcuKeepsWhatNoReplyCarries) {
  TConfigBlock b = ConfigBlock;
  b.Cylinders = 8;
  std::memset(b.PcOnly180, 0x5A, sizeof b.PcOnly180);
  b.PcOnly390[1] = 0x11;
  b.ReplyTail[10] = 0x33;  // block byte 448, reply byte 305
  b.PcOnly634[10] = 0x77;
  THKStreams own(nullptr);
  const std::string file = (dir_ / "pc.q05").string();
  config::SaveConfigFile(file, "", b, own);
  InEditor("ECUversioninfo1", [&](TSetupForm& s) {
    ASSERT_TRUE(StatusIs(kCurrent));
    script.AnswerFile(file);
    Menu("Loadconfigurationfromdisk1")->Click();
    ASSERT_EQ(ConfigBlock.Cylinders, 8);
    script.Answer(mrOk);
    Menu("ReadECUconfiguration1")->Click();
    ASSERT_TRUE(PumpUntil([&] { return s.StatusText() != "Wait..."; }));
    EXPECT_EQ(s.StatusText(), kCurrent);
    EXPECT_EQ(ConfigBlock.Cylinders, 4);
    EXPECT_EQ(ConfigBlock.PcOnly180[39], 0x5A);
    EXPECT_EQ(ConfigBlock.PcOnly390[1], 0x11);
    EXPECT_EQ(ConfigBlock.ReplyTail[10], 0x33);
    EXPECT_EQ(ConfigBlock.PcOnly634[10], 0x77);
    EXPECT_EQ(std::memcmp(&ConfigBlock, &ConfigReadCopy, sizeof ConfigBlock), 0);
  });
}

}  // namespace
}  // namespace e2e
