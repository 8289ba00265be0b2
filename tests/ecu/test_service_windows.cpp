// The immobiliser window and its status transitions, the telltale keycode and its dialog,
// and the diagnostics window's telltale buttons and status-packet values.
#include <gtest/gtest.h>

#include <vector>

#include "controls/AdvMaskEdit.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "app/Windows.h"
#include "ecu/Diag.h"
#include "ecu/Immobiliser.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "ecu/keycode.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"

namespace {

AnsiString Bytes(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

struct SentFrames : ecu::PacketHost {
  std::vector<AnsiString> sent;
  void Send(const AnsiString& bytes) override { sent.push_back(bytes); }
  void ArmLinkWatchdog() override {}
  void IdentityReceived() override { DiagForm->ShowIdentity(); }
};

class ServiceWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }
  void SetUp() override {
    immob = ui::CreateForm<TImmobForm>(nullptr);
    DiagForm = ui::CreateForm<TDiagForm>(nullptr);
    DlgPw = ui::CreateForm<TDlgPw>(nullptr);
    immob->Attach(link);
    DiagForm->Attach(link);
    ECUConnected = true;
    ECUImmobilised = false;
  }
  void TearDown() override {
    delete immob;
    delete DiagForm;
    delete DlgPw;
    DiagForm = nullptr;
    DlgPw = nullptr;
    ECUConnected = ECUImmobilised = false;
    ECUIdentity = {};
  }

  SentFrames link;
  TImmobForm* immob = nullptr;
  ui::DialogScript script;
};

TEST_F(ServiceWindows, ImmobiliserStatusFollowsTheLockBits) {
  struct Case {
    const char* before;
    int bits;
    const char* after;
    bool immobilised;
    const char* button;
  };
  // ECUImmobilised starts set each time, so an unchanged flag reads true.
  const Case cases[] = {
      {"Deactivated", 0xC0, "Active - IMMOBILISED", true, "Deactivate"},  // both steps in one call
      {"Deactivated", 0x80, "Active - DISARMED", false, "Deactivate"},
      {"Active - IMMOBILISED", 0x80, "Active - DISARMED", false, "Deactivate"},
      {"Active - DISARMED", 0xA0, "Active - LEARNING", true, "Deactivate"},
      {"Active - LEARNING", 0x80, "Active", true, "Deactivate"},
      {"Active - IMMOBILISED", 0x00, "Deactivated", false, "Activate"},
      {"Deactivated", 0x40, "Deactivated", true, "Activate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before + AnsiString(" bits ") + IntToStr(c.bits));
    immob->ImmobiliserStatus->SetCaption(c.before);
    immob->ImmobiliserChangeStatus->SetCaption(AnsiString(c.before) == "Deactivated" ? "Activate" : "Deactivate");
    ECUImmobilised = true;
    immob->UpdateImmobiliser(static_cast<uint8_t>(c.bits));
    EXPECT_EQ(immob->ImmobiliserStatus->Caption(), c.after);
    EXPECT_EQ(ECUImmobilised, c.immobilised);
    EXPECT_EQ(immob->ImmobiliserChangeStatus->Caption(), c.button);
  }
}

TEST_F(ServiceWindows, ImmobiliserButtonsSendOnlyWhenConfirmedAndConnected) {
  immob->ImmobiliserChangeStatus->SetCaption("Activate");
  script.Answer(mrYes).Answer(mrNo).Answer(mrYes);
  immob->ImmobiliserChangeStatusClick(nullptr);
  immob->ImmobiliserChangeStatusClick(nullptr);
  immob->ResetImmobilserClick(nullptr);
  immob->ImmobiliserChangeStatus->SetCaption("Deactivate");
  script.Answer(mrYes);
  immob->ImmobiliserChangeStatusClick(nullptr);
  EXPECT_EQ(link.sent, (std::vector<AnsiString>{Bytes({'$', 'X', 1, 0x83}), Bytes({'$', 'X', 3, 0x81}),
                                                Bytes({'$', 'X', 2, 0x82})}));
  link.sent.clear();
  ECUConnected = false;
  script.Answer(mrOk).Answer(mrOk);
  immob->ImmobiliserChangeStatusClick(nullptr);
  immob->ResetImmobilserClick(nullptr);
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(script.Last().Text, "ECU not connected or not powered up.  Please check!");
}

TEST_F(ServiceWindows, KeycodeFrameAndDialog) {
  // 12 and 34: 397 + 46 = 443, checksum (256 - 443) mod 256 = 69.
  EXPECT_EQ(ecu::KeycodeFrameFor("1234"), Bytes({'$', 'i', 0x00, 0xF8, 0x08, 12, 34, 69}));
  EXPECT_EQ(ecu::KeycodeFrameFor("9999"), Bytes({'$', 'i', 0x00, 0xF8, 0x08, 99, 99, 173}));
  EXPECT_EQ(ecu::KeycodeFrameFor("0000"), Bytes({'$', 'i', 0x00, 0xF8, 0x08, 0, 0, 115}));
  EXPECT_FALSE(ecu::KeycodeFrameFor("12 4"));
  EXPECT_FALSE(ecu::KeycodeFrameFor("123"));

  // A blank keeps the dialog open; four digits close it with OK.
  DlgPw->code->SetText("12 4");
  DlgPw->OKBtnClick(nullptr);
  EXPECT_EQ(DlgPw->ModalResult(), mrNone);
  DlgPw->code->SetText("5678");
  DlgPw->OKBtnClick(nullptr);
  EXPECT_EQ(DlgPw->ModalResult(), mrOk);
}

TEST_F(ServiceWindows, TelltaleLockAndClear) {
  // Locking: the keycode, then "$F" 06; with the memory locked the button unlocks.
  script.AnswerForm([](TForm&) {
    EXPECT_EQ(DlgPw->code->Text(), "0000");
    DlgPw->code->SetText("1234");
    DlgPw->OKBtn->Click();
  });
  DiagForm->TelltaleLock->SetCaption("Lock");
  DiagForm->TelltaleLockClick(nullptr);
  EXPECT_EQ(link.sent, (std::vector<AnsiString>{Bytes({'$', 'i', 0x00, 0xF8, 0x08, 12, 34, 69}),
                                                Bytes({'$', 'F', 0x06, 0x90})}));
  link.sent.clear();
  DiagForm->TelltaleLock->SetCaption("Unlock");
  script.AnswerForm([](TForm&) { DlgPw->CancelBtn->Click(); });
  DiagForm->TelltaleLockClick(nullptr);
  EXPECT_TRUE(link.sent.empty());
  script.AnswerForm([](TForm&) { DlgPw->OKBtn->Click(); });
  DiagForm->TelltaleLockClick(nullptr);
  EXPECT_EQ(link.sent.back(), Bytes({'$', 'F', 0x07, 0x8F}));

  // Clearing is refused while locked, and goes out once unlocked.
  link.sent.clear();
  script.Answer(mrOk);
  DiagForm->TelltaleClearClick(nullptr);
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(script.Last().Text, kTelltaleLocked);
  DiagForm->TelltaleLock->SetCaption("Lock");
  DiagForm->TelltaleClearClick(nullptr);
  EXPECT_EQ(link.sent, (std::vector<AnsiString>{Bytes({'$', 'F', 0x08, 0x8E})}));
}

TEST_F(ServiceWindows, DiagnosticsShowTheStatusPacket) {
  AnsiString data(50, '\0');
  auto put = [&](size_t k, std::initializer_list<int> bytes) {
    for (int b : bytes) data[k++] = static_cast<char>(b);
  };
  put(12, {0, 3});                     // protocol 3
  put(14, {0x5A, 0x8F, 0x6B, 0x4A});  // 15/04/2025 13:26:20
  put(24, {0, 0, 0x0E, 0x10});         // engine 3600 s
  put(28, {0, 1, 0x86, 0xA0});         // ECU 100000 s
  put(48, {0x1B, 0x58});               // 7000 rpm
  AnsiString body = Bytes({2, 0});
  body += data;
  body.push_back('\0');
  TSettingsRecord units{};
  ecu::PacketHandler packets(link, units);
  packets.HandlePacket(body);
  EXPECT_EQ(DiagForm->TimeStamp->Caption(), "15/04/2025 13:26:20");
  EXPECT_EQ(DiagForm->EngRunTime->Caption(), "1:00:00");
  EXPECT_EQ(DiagForm->ECURunTime->Caption(), "27:46:40");
  EXPECT_EQ(DiagForm->RPMmax->Caption(), "7000");
  EXPECT_EQ(ecu::PackedDateText(0), "Unknown");
}

}  // namespace
