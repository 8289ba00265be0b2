// The ECU link as the tuner sees it in the main window, against the simulated ECU: the
// port choice and its keeping, the status panel through connect, lock, immobiliser and
// silence, the placeholders after silence, and the map lock from the menu.
#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "controls/AdvMaskEdit.h"
#include "app/Main.h"
#include "model/Settings.h"
#include "e2e/MainWindowLink.h"
#include "ecu/Diag.h"
#include "ecu/Immobiliser.h"
#include "ecu/MapLock.h"
#include "ecu/keycode.h"
#include "ecu/NewComPort.h"
#include "platform/os/SerialDevice.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"
#include "DeniedDevice.h"

namespace e2e {
namespace {

using ecusim::Ecu;

TMenuItem* Menu(TR7Tform1* f, const char* name) { return dynamic_cast<TMenuItem*>(f->FindComponent(name)); }

// ---- Port choice ----

class PortChoice : public MainWindowLink {
 protected:
  PortChoice() : MainWindowLink(57) {}
  // A first start: no port saved, so the window asks.
  std::string IniText() override { return "[Comms]\nAuto=0\nPort=1\n"; }
  void BeforeShow() override {
    script.AnswerForm([this](TForm&) {
      TSelectPort& w = *SelectPort;
      for (int i = 0; i < w.ComboBox1->Items()->Count(); ++i) listed.push_back(w.ComboBox1->Items()->Strings(i));
      const int at = w.ComboBox1->Items()->IndexOf("COM" + IntToStr(com_));
      w.ComboBox1->SetItemIndex(at);
      w.ComboBox1Change(w.ComboBox1);
      w.CheckBox1->SetChecked(true);
      w.OKBtn->Click();
    });
  }
  std::vector<AnsiString> listed;
};

TEST_F(PortChoice, ListsTheEcusPortAndKeepsTheChoiceForTheNextStart) {
  ASSERT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
  EXPECT_NE(std::find(listed.begin(), listed.end(), "COM" + IntToStr(com_)), listed.end());
  ASSERT_TRUE(LinkUp());
  EXPECT_EQ(Settings.CommsPort, com_);
  EXPECT_TRUE(Settings.CommsAuto);

  // The program ends (the settings are written) and starts again: no question, the link
  // comes up on the port chosen.
  script.Answer(mrOk);
  ASSERT_TRUE(f_->CloseQuery());
  DestroyWindows();
  ECUConnected = false;
  Settings = TSettingsRecord{};
  const size_t asked = script.Shown().size();
  CreateProgramForms();
  f_ = R7Tform1;
  f_->SettingsFileName = ini_;
  f_->Show();
  EXPECT_EQ(script.Shown().size(), asked);
  ASSERT_TRUE(LinkUp());
  EXPECT_EQ(f_->comms->ComNumber(), com_);
}

TEST_F(PortChoice, RefreshListsThePortsAgainAndCancelLeavesThePortClosed) {
  ASSERT_TRUE(LinkUp());
  // While the link runs the list is not offered; chosen again after the ECU went silent,
  // "&Refresh" lists the port, and Cancel leaves no port open.
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  int count = -1;
  script.AnswerForm([&](TForm&) {
    TSelectPort& w = *SelectPort;
    w.ComboBox1->Items()->Clear();
    w.BitBtn1->Click();
    count = w.ComboBox1->Items()->IndexOf("COM" + IntToStr(com_));
    w.CancelBtn->Click();
  });
  script.Answer(mrOk);
  Menu(f_, "Commsport1")->Click();
  Application->ProcessMessages();
  EXPECT_GE(count, 0);
  EXPECT_EQ(script.Last().Text, "No port selected, no ECU communications possible!");
  EXPECT_FALSE(f_->comms->Open());
}

// ---- A port that will not open ----

class PortRefused : public MainWindowLink {
 protected:
  PortRefused() : MainWindowLink(57) {}
  // The port chosen again from the menu, with `meanwhile` run while the chooser shows (the
  // program's own port closed), and `messages` boxes after it answered OK. The texts shown
  // after the chooser.
  std::vector<AnsiString> ChooseAgain(int messages, const std::function<void()>& meanwhile = [] {}) {
    const size_t before = script.Shown().size();
    script.AnswerForm([&](TForm&) {
      meanwhile();
      TSelectPort& w = *SelectPort;
      w.ComboBox1->SetItemIndex(w.ComboBox1->Items()->IndexOf("COM" + IntToStr(com_)));
      w.ComboBox1Change(w.ComboBox1);
      w.OKBtn->Click();
    });
    for (int i = 0; i < messages; ++i) script.Answer(mrOk);
    Menu(f_, "Commsport1")->Click();
    Application->ProcessMessages();
    std::vector<AnsiString> texts;
    for (size_t i = before + 1; i < script.Shown().size(); ++i) texts.push_back(script.Shown()[i].Text);
    return texts;
  }
};

// Held by another program the port is "already open"; closed to this user by the device's
// permissions, the message names the port, its device and the group to join. Either way
// the link stays down, and with the port free and permitted the link comes back.
TEST_F(PortRefused, HeldAndForbiddenPortsAreToldApart) {
  ASSERT_TRUE(LinkUp());
  {
    os::SerialDevice other;
    const std::vector<AnsiString> texts = ChooseAgain(2, [&] { EXPECT_EQ(other.Open(com_), os::SerialError::None); });
    EXPECT_EQ(texts, (std::vector<AnsiString>{"ie_Open - device already open.", kNoPortSelected}));
    EXPECT_FALSE(f_->comms->Open());
  }

  const group* users = getegid() != 0 ? getgrgid(getegid()) : getgrnam("dialout");
  ASSERT_NE(users, nullptr);
  const std::string name = users->gr_name;
  {
    testhelp::DeniedDevice denied(sim.SlavePath(), 0060, users->gr_gid);
    if (!denied.Denied()) GTEST_SKIP() << "the device's permissions do not keep this user out";
    const std::vector<AnsiString> texts = ChooseAgain(2);
    EXPECT_EQ(texts, (std::vector<AnsiString>{
                         "Permission denied on COM" + IntToStr(com_) + " (" + sim.SlavePath() +
                             "): this user may not open the serial device. Add the user to the group \"" + name +
                             "\" (sudo usermod -aG " + name + " $USER), then log out and in again.",
                         kNoPortSelected}));
    EXPECT_FALSE(f_->comms->Open());
    EXPECT_EQ(f_->StatusPanel->Caption(), "Status - No ECU link");
  }

  EXPECT_TRUE(ChooseAgain(0).empty());
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_TRUE(LinkUp());
}

// ---- Status panel, placeholders and the map lock ----

class LinkStatus : public MainWindowLink {
 protected:
  LinkStatus() : MainWindowLink(58) {}
  void Prepare(Ecu& e) override {
    e.State().fast.rpm = 3000;
    e.State().fast.speedSite = 7;
    e.State().telltale.capture = true;
  }
  // Pumps until the status panel reads `text`, noting every distinct text on the way.
  bool StatusBecomes(const AnsiString& text) {
    return PumpUntil([&] {
      const AnsiString now = f_->StatusPanel->Caption();
      if (texts.empty() || texts.back() != now) texts.push_back(now);
      return now == text;
    });
  }
  std::vector<AnsiString> texts;
  bool reached = false;
  AnsiString button;
};

TEST_F(LinkStatus, FollowsConnectLockImmobiliserAndSilence) {
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  ASSERT_TRUE(PumpUntil([&] { return f_->TelltaleStatus->Caption() == "ON"; }));
  EXPECT_EQ(f_->speed_site->Caption(), "7");
  ASSERT_TRUE(PumpUntil([&] { return f_->TellTaleMax->Caption() == "3000"; }));

  sim.With([](Ecu& e) { e.State().lock.locked = true; });
  ASSERT_TRUE(StatusBecomes("ECU LOCKED"));
  EXPECT_TRUE(ECUMapsLocked);
  sim.With([](Ecu& e) { e.State().immobiliser = {true, true, false}; });
  ASSERT_TRUE(StatusBecomes("ECU IMMOBILISED"));
  EXPECT_TRUE(ECUImmobilised);

  sim.SetStreaming(false);
  ASSERT_TRUE(StatusBecomes("Status - No ECU link"));
  const std::vector<AnsiString> expected = {"Status - ECU connected", "ECU LOCKED", "ECU IMMOBILISED",
                                            "Status - No ECU link"};
  // The start may show the no-link text before the first packet.
  const auto first = std::find(texts.begin(), texts.end(), expected[0]);
  EXPECT_EQ(std::vector<AnsiString>(first, texts.end()), expected);
  EXPECT_FALSE(ECUMapsLocked || ECUImmobilised || ECUConnected);

  // Nothing of the engine stays on screen.
  for (TPanel* p : {f_->map_advance, f_->actual_advance, f_->ignition_trim, f_->map_injection, f_->actual_injection,
                    f_->injection_trim})
    EXPECT_EQ(p->Caption(), "0") << p->Name();
  EXPECT_EQ(f_->speed_site->Caption(), "XX");
  EXPECT_EQ(f_->TelltaleStatus->Caption(), "Unknown");
  EXPECT_EQ(f_->TellTaleMax->Caption(), "Unknown");
  EXPECT_FALSE(dynamic_cast<TControl*>(f_->FindComponent("TelltaleToggle"))->Enabled());
  EXPECT_EQ(LiveFast.RPM, 0);
  EXPECT_EQ(LiveEditMarks, 0);
}

TEST_F(LinkStatus, MapLockFromTheMenuLocksAndUnlocksTheEcu) {
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  ASSERT_TRUE(PumpUntil([] { return ECUIdentity.MapLockKey != 0; }));
  auto lockWith = [&](const char* pin, const char* message, bool wantLocked) {
    script.AnswerForm([=, this](TForm&) {
      TMapLockForm& w = *MapLockForm;
      if (message != nullptr) w.LockMessage->SetText(message);
      w.pincode->SetText(pin);
      w.lockbutton->Click();
      reached = PumpUntil([&] {
        return sim.With([](Ecu& e) { return e.State().lock.locked; }) == wantLocked &&
               w.maplockstatus->Caption() == (wantLocked ? "Map Locked" : "Map UnLocked");
      });
      button = w.lockbutton->Caption();
      w.BitBtn1->Click();
    });
    Menu(f_, "MapLock1")->Click();
    Application->ProcessMessages();
  };
  lockWith("4321", "call me", true);
  EXPECT_TRUE(reached);
  EXPECT_EQ(button, "UnLock");
  EXPECT_EQ(sim.With([](Ecu& e) { return std::string(e.State().lock.message.begin(), e.State().lock.message.begin() + 7); }),
            "call me");
  ASSERT_TRUE(StatusBecomes("ECU LOCKED"));

  lockWith("4321", nullptr, false);
  EXPECT_TRUE(reached);
  EXPECT_EQ(button, "Lock");
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  // The menu asked the ECU for its message each time.
  EXPECT_EQ(sim.FramesReceived('B'), 2u);
}

TEST_F(LinkStatus, CancellingThePortChoiceWhileConnectedShowsTheLinkDown) {
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  ASSERT_TRUE(PumpUntil([&] { return f_->speed_site->Caption() == "7"; }));
  script.AnswerForm([](TForm&) { SelectPort->CancelBtn->Click(); });
  script.Answer(mrOk);
  Menu(f_, "Commsport1")->Click();
  Application->ProcessMessages();
  EXPECT_EQ(script.Last().Text, "No port selected, no ECU communications possible!");
  EXPECT_FALSE(f_->comms->Open());
  EXPECT_FALSE(ECUConnected);
  EXPECT_EQ(f_->StatusPanel->Caption(), "Status - No ECU link");
  EXPECT_EQ(f_->speed_site->Caption(), "XX");
  EXPECT_EQ(f_->TelltaleStatus->Caption(), "Unknown");
  EXPECT_EQ(LiveFast.RPM, 0);
}

// The immobiliser window through every state the ECU reports: its label moves as the
// state changes and never runs under the button beside it.
TEST_F(LinkStatus, ImmobiliserLabelStaysReadableInEveryState) {
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  std::vector<std::string> problems;
  script.AnswerForm([&](TForm&) {
    TImmobForm& w = *ImmobForm;
    const std::pair<std::array<bool, 3>, const char*> steps[] = {
        {{true, false, false}, "Active - DISARMED"},
        {{true, true, false}, "Active - IMMOBILISED"},
        {{true, false, true}, "Active - LEARNING"},
        {{false, false, false}, "Deactivated"},
    };
    for (const auto& step : steps) {
      // Plain names rather than a structured binding, which lambdas may not capture in C++20.
      const std::array<bool, 3>& bits = step.first;
      const char* const status = step.second;
      sim.With([&](Ecu& e) { e.State().immobiliser = {bits[0], bits[1], bits[2]}; });
      if (!PumpUntil([&] { return w.ImmobiliserStatus->Caption() == status; })) problems.push_back(std::string("never ") + status);
      const TLabel& l = *w.EnableDisable;
      if (l.Left() + l.Width() >= w.ImmobiliserChangeStatus->Left())
        problems.push_back(std::string(status) + ": label " + l.Caption().c_str() + " ends at " +
                           std::to_string(l.Left() + l.Width()));
      if (const char* dir = std::getenv("IMMOB_SHOTS"))
        ui::GrabToPng(&w, AnsiString(dir) + "/immob-" + std::to_string(problems.size()) + "-" + status + ".png");
    }
    w.BitBtn1->Click();
  });
  Menu(f_, "Immobiliser1")->Click();
  Application->ProcessMessages();
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
  for (const std::string& p : problems) ADD_FAILURE() << p;
}

TEST_F(LinkStatus, TelltaleLockButtonFollowsTheEcusMemoryLock) {
  ASSERT_TRUE(StatusBecomes("Status - ECU connected"));
  ASSERT_TRUE(PumpUntil([&] { return f_->TellTaleMax->Caption() == "3000"; }));
  auto telltaleFrames = [&] { return sim.FramesReceived('F'); };
  auto eculocked = [&] { return sim.With([](Ecu& e) { return e.State().telltale.locked; }); };
  std::vector<AnsiString> captions;
  bool clearAsked = false;
  uint32_t framesBefore = 0, framesAfter = 0;
  script.AnswerForm([&](TForm&) {
    TDiagForm& w = *DiagForm;
    // The keycode dialog of the lock button, answered with `code`.
    auto pressLock = [&](const char* code) {
      script.AnswerForm([=](TForm&) {
        DlgPw->code->SetText(code);
        DlgPw->OKBtn->Click();
      });
      w.TelltaleLock->Click();
    };
    reached = PumpUntil([&] { return w.TelltaleLock->Caption() == "Lock"; });
    captions.push_back(w.TelltaleLock->Caption());
    pressLock("1234");
    reached = reached && PumpUntil([&] { return eculocked() && w.TelltaleLock->Caption() == "Unlock"; });
    captions.push_back(w.TelltaleLock->Caption());
    // Locked: "Clear" says so and sends nothing.
    framesBefore = telltaleFrames();
    script.Answer(mrOk);
    w.TelltaleClear->Click();
    clearAsked = script.Last().Text == kTelltaleLocked;
    PumpUntil([] { return false; }, 300);
    framesAfter = telltaleFrames();
    pressLock("1234");
    reached = reached && PumpUntil([&] { return !eculocked() && w.TelltaleLock->Caption() == "Lock"; });
    captions.push_back(w.TelltaleLock->Caption());
    // Unlocked: "Clear" goes to the ECU.
    const uint32_t beforeClear = telltaleFrames();
    w.TelltaleClear->Click();
    reached = reached && PumpUntil([&] { return telltaleFrames() == beforeClear + 1; });
    w.Close();
  });
  Menu(f_, "Diagdata1")->Click();
  Application->ProcessMessages();
  EXPECT_TRUE(reached);
  EXPECT_EQ(captions, (std::vector<AnsiString>{"Lock", "Unlock", "Lock"}));
  EXPECT_TRUE(clearAsked);
  EXPECT_EQ(framesAfter, framesBefore);
}

// ---- A link shut down for another protocol comes back when the port is chosen again ----

class OtherProtocol : public MainWindowLink {
 protected:
  OtherProtocol() : MainWindowLink(59) {}
  void Prepare(Ecu& e) override { e.State().identity.protocol = 30; }
};

TEST_F(OtherProtocol, ChoosingThePortAgainBringsTheLinkBack) {
  script.Answer(mrOk);
  ASSERT_TRUE(PumpUntil([&] { return !f_->comms->Open(); }));
  EXPECT_EQ(f_->StatusPanel->Caption(), "Status - COMMS DISABLED");

  // The ECU is swapped for one of this protocol and the port chosen again.
  sim.With([](Ecu& e) { e.State().identity.protocol = 3; });
  script.AnswerForm([this](TForm&) {
    SelectPort->ComboBox1->SetItemIndex(SelectPort->ComboBox1->Items()->IndexOf("COM" + IntToStr(com_)));
    SelectPort->ComboBox1Change(nullptr);
    SelectPort->OKBtn->Click();
  });
  Menu(f_, "Commsport1")->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(PumpUntil([&] { return f_->StatusPanel->Caption() == "Status - ECU connected"; }));
  ASSERT_TRUE(PumpUntil([] { return ECUIdentity.Protocol == 3; }));
  EXPECT_TRUE(ECUConnected);
}

}  // namespace
}  // namespace e2e
