// Firmware updates as a tuner runs them: the configuration editor from the main window's
// menu, its "Install update" button, the update window's file choice and "Proceed",
// against the simulated ECU, through a whole update and each way it can fail.
#include <unistd.h>

#include <filesystem>

#include "files/HKStreamCol.h"
#include "config/setup.h"
#include "e2e/MainWindowLink.h"
#include "ecu/FlashUpdate.h"
#include "platform/classes/Streams.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"

namespace e2e {
namespace {

using ecusim::Ecu;
using ecusim::FirmwareFault;

constexpr int kCom = 44;

// S1 records of `data`, 16 bytes each, then the S8 record.
std::string Records(const std::string& data) {
  std::string text;
  char buf[16];
  for (std::size_t at = 0; at < data.size(); at += 16) {
    const std::string part = data.substr(at, 16);
    const unsigned count = static_cast<unsigned>(part.size()) + 3;
    const unsigned address = 0x8000 + static_cast<unsigned>(at);
    unsigned sum = count + (address >> 8) + (address & 0xFF);
    std::snprintf(buf, sizeof buf, "S1%02X%04X", count, address);
    text += buf;
    for (const char c : part) {
      std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(c));
      text += buf;
      sum += static_cast<unsigned char>(c);
    }
    std::snprintf(buf, sizeof buf, "%02X\r\n", 255 - sum % 256);
    text += buf;
  }
  return text + "S804000000FB\r\n";
}

class FlashUpdate : public MainWindowLink {
 protected:
  FlashUpdate() : MainWindowLink(kCom) {
    for (int i = 0; i < 301; ++i) code_ += static_cast<char>((i * 7 + 0xC0) & 0xFF);
  }

  void TearDown() override {
    for (const auto& f : files_) std::filesystem::remove(f);
    MainWindowLink::TearDown();
    FlashUpdateForm = nullptr;
    SetupForm = nullptr;
  }

  // An update file with the three streams, scrambled with `key` when one is given.
  std::string WriteRom(const std::string& ini, const std::string& data, const std::string& key = "") {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("e2e-flash-" + std::to_string(getpid()) + "-" + std::to_string(files_.size()) + ".rom"))
                                 .string();
    THKStreams streams(nullptr);
    const auto add = [&streams](const char* stream, const std::string& text) {
      TMemoryStream m;
      m.Write(text.data(), static_cast<int64_t>(text.size()));
      streams.AddStream(stream, &m);
    };
    add("MEMO", "Release notes\r\nFaster idle control");
    add("INI", ini);
    add("DATA", data);
    streams.Encrypted = !key.empty();
    streams.Key = key;
    streams.SaveToFile(name);
    files_.push_back(name);
    return name;
  }

  // Opens the configuration editor from the main window's menu, presses its "Install
  // update", picks `rom` through the update window's menu and, when `proceed`, presses
  // "Proceed". `answers` answer the boxes shown after the file dialog, in order.
  void RunUpdate(const std::string& rom, std::initializer_list<int> answers, bool proceed = true) {
    script.AnswerForm([](TForm& setup) {
      SetupForm->InstallUpdate->Click();
      setup.SetModalResult(mrOk);
    });
    script.AnswerForm([this, proceed](TForm& form) {
      auto& w = dynamic_cast<TFlashUpdateForm&>(form);
      w.ReplyTimeoutMs = 2000;
      EXPECT_EQ(w.ProgressState->Caption(), " Waiting for file selection");
      w.SelectUpdateFile1->Click();
      notes_ = w.Notes->Text();
      proceedEnabled_ = w.Proceed->Enabled();
      if (proceed && proceedEnabled_) w.Proceed->Click();
      if (form.ModalResult() == mrNone) form.SetModalResult(mrCancel);
      status_ = w.ProgressState->Caption();
      info_ = w.UpdateInfo->Lines()->Text();
    });
    script.AnswerFile(rom);
    for (const int a : answers) script.Answer(a);
    Menu("ECUversioninfo1")->Click();
    EXPECT_EQ(script.Pending(), 0u);
  }

  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }

  // The texts of the message boxes shown, in order.
  std::vector<AnsiString> Messages() {
    std::vector<AnsiString> texts;
    for (const auto& r : script.Shown())
      if (r.Kind == ui::DialogKind::MessageBox || r.Kind == ui::DialogKind::MessageDlg) texts.push_back(r.Text);
    return texts;
  }

  std::string code_;
  std::vector<std::string> files_;
  AnsiString status_, info_, notes_;
  bool proceedEnabled_ = false;
};

TEST_F(FlashUpdate, WholeUpdateThenTheModelChange) {
  ASSERT_TRUE(LinkUp());
  const std::string rom =
      WriteRom("FVersion=1.07\r\nFRequires=1.10\r\nEModel=07\r\nFRomUpdate=True", Records(code_) + Records("XYZ"));
  RunUpdate(rom, {mrOk});

  EXPECT_EQ(notes_, "Release notes\r\nFaster idle control");
  EXPECT_EQ(Messages(), std::vector<AnsiString>{"All done, switch ignition off/on to fully reset the ECU"});
  EXPECT_EQ(status_, " Configuring ECU...");
  EXPECT_NE(info_.find("Install new ECU software"), AnsiString::npos);
  EXPECT_NE(info_.find("Changed ECU model type..."), AnsiString::npos);
  EXPECT_EQ(FlashState, 0);
  // The model change left the PC last; give the ECU a moment to take it.
  EXPECT_TRUE(PumpUntil([this] { return sim.With([](Ecu& e) { return e.Model() == 7; }); }));
  sim.With([this](Ecu& e) {
    // 301 bytes announced as 300; the odd last byte reaches the ECU as a stray byte; the
    // records after the S8 record are not sent.
    EXPECT_EQ(e.State().firmware, code_.substr(0, 300));
    EXPECT_EQ(e.GetCounters().strayBytes, 1u);
    EXPECT_EQ(e.GetCounters().Frames('R'), 1u);
    EXPECT_EQ(e.GetCounters().checksumErrors, 0u);
    EXPECT_EQ(e.State().restarts, 1u);
    EXPECT_EQ(e.Model(), 7);
  });
}

// An update file scrambled with the linked ECU's version text opens with it as the key.
TEST_F(FlashUpdate, FileScrambledWithTheEcuVersionTextOpens) {
  ASSERT_TRUE(LinkUp());
  ASSERT_TRUE(PumpUntil([] { return ECUIdentity.VersionText == "0105"; }));
  const std::string rom = WriteRom("FVersion=1.07", Records(code_), "0105");
  RunUpdate(rom, {}, false);
  EXPECT_EQ(notes_, "Release notes\r\nFaster idle control");
  EXPECT_EQ(Messages(), std::vector<AnsiString>{});
}

TEST_F(FlashUpdate, ModelChangeOnly) {
  ASSERT_TRUE(LinkUp());
  sim.With([](Ecu& e) { e.State().memory[0] = 9; });
  RunUpdate(WriteRom("[ECU]\r\nEModel=05", ""), {mrOk});
  EXPECT_EQ(Messages(), std::vector<AnsiString>{"All done, switch ignition off/on to fully reset the ECU"});
  EXPECT_TRUE(PumpUntil([this] { return sim.With([](Ecu& e) { return e.Model() == 5; }); }));
  sim.With([](Ecu& e) {
    EXPECT_EQ(e.Model(), 5);
    EXPECT_EQ(e.GetCounters().Frames('i'), 1u);
    EXPECT_EQ(e.GetCounters().Frames('R'), 0u);
    EXPECT_EQ(e.GetCounters().checksumErrors, 0u);
  });
}

TEST_F(FlashUpdate, FailuresNeverClaimSuccess) {
  struct Case { FirmwareFault fault; bool failVerify; const char* status; bool codeSent; } cases[] = {
      {FirmwareFault::ErrorAfterCode, false, " ERROR installing code", true},
      {FirmwareFault::None, true, " ERROR installing code", true},
      {FirmwareFault::Silent, false, " Error : No reply from ECU", false},
      {FirmwareFault::ResetBeforeVerify, false, " Error : Unexpected ECU reset", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    sim.With([&c](Ecu& e) {
      e.State().firmwareFault = c.fault;
      e.State().failVerify = c.failVerify;
      e.State().firmware.clear();
    });
    // The ECU may still be recovering from the case before.
    ASSERT_TRUE(PumpUntil([] { return ECUConnected; }));
    const std::size_t before = script.Shown().size();
    RunUpdate(WriteRom("EModel=07\r\nFRomUpdate=True\r\n", Records(code_)), {mrOk});
    ASSERT_GT(script.Shown().size(), before);
    EXPECT_EQ(script.Shown().back().Text, "Error, Reset ECU by switching ignition off.");
    EXPECT_EQ(status_, c.status);
    EXPECT_EQ(FlashState, 0);
    EXPECT_EQ(info_.find("Changed ECU model type..."), AnsiString::npos);
    sim.With([&c, this](Ecu& e) {
      EXPECT_EQ(e.Model(), 5);  // no model change after a failure
      EXPECT_EQ(e.State().firmware, c.codeSent ? code_.substr(0, 300) : "");
      e.State().firmwareFault = FirmwareFault::None;
      e.State().failVerify = false;
    });
    // A silent loader only comes back with the ignition.
    if (c.fault == FirmwareFault::Silent) {
      sim.SetPowered(false);
      sim.SetPowered(true);
    }
  }
  for (const auto& text : Messages()) EXPECT_EQ(text.find("All done"), AnsiString::npos);
}

TEST_F(FlashUpdate, BadFilesSendNothing) {
  ASSERT_TRUE(LinkUp());
  std::string badSum = Records(code_);
  badSum[8 + 2] = badSum[8 + 2] == '0' ? '1' : '0';  // a data digit of the first record
  RunUpdate(WriteRom("FRomUpdate=True", badSum), {mrOk, mrOk, mrOk});
  EXPECT_EQ(Messages().back(), "This file is corrupt!");

  RunUpdate(WriteRom("FRomUpdate=True", "S9030000FC\r\n"), {mrOk});
  EXPECT_EQ(Messages().back(), "This file is corrupt!");

  RunUpdate(WriteRom("FRequires=1.2\r\nFRomUpdate=True", Records(code_)), {mrOk});
  EXPECT_EQ(Messages().back(), "This ECU control software version cannot be used");
  EXPECT_FALSE(proceedEnabled_);

  // A version with more places than any version has is no version: the conflict question.
  RunUpdate(WriteRom("FReplaces=0." + std::string(65, '0') + "1\r\nFRomUpdate=True", Records(code_)), {mrCancel},
            false);
  EXPECT_EQ(Messages().back().find("ECU version conflict."), 0u);
  EXPECT_FALSE(proceedEnabled_);

  // Not a container at all.
  const std::string junk = WriteRom("", "");
  { std::ofstream(junk, std::ios::binary | std::ios::trunc) << "not an update file"; }
  RunUpdate(junk, {mrOk});
  EXPECT_EQ(Messages().back().find("File Access Error."), 0u);
  EXPECT_EQ(status_, " Waiting for file selection");

  sim.With([](Ecu& e) {
    EXPECT_EQ(e.GetCounters().Frames('R'), 0u);
    EXPECT_EQ(e.GetCounters().Frames('i'), 0u);
    EXPECT_TRUE(e.State().firmware.empty());
  });
  EXPECT_EQ(FlashState, 0);
}

}  // namespace
}  // namespace e2e
