// The ignition-alignment window's frames: steps with their re-read, the lock button, the
// factory reset, and the lock released by every way of closing.
#include <gtest/gtest.h>

#include <vector>

#include "app/Windows.h"
#include "model/ConfigBlock.h"
#include "controls/AdvEdit.h"
#include "ecu/IgnAlign.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/UiStreaming.h"

namespace {

AnsiString Bytes(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

struct SentFrames : ecu::PacketHost {
  std::vector<AnsiString> sent;
  int arms = 0;
  void Send(const AnsiString& bytes) override { sent.push_back(bytes); }
  void ArmLinkWatchdog() override { ++arms; }
};

class IgnAlign : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }
  void SetUp() override {
    savedConfig_ = ConfigBlock;
    form = ui::CreateForm<TIgnAlignForm>(nullptr);
    form->Attach(link);
    ECUConnected = true;
    ECUIdentity.AdvanceLocked = false;
  }
  void TearDown() override {
    delete form;
    ECUConnected = false;
    ECUIdentity.AdvanceLocked = false;
    ConfigBlock = savedConfig_;
  }

  SentFrames link;
  TIgnAlignForm* form = nullptr;
  ui::DialogScript script;

 private:
  TConfigBlock savedConfig_{};
};

const AnsiString kRelease = Bytes({'$', 'A', 0x00, 0x9B});
const AnsiString kReread = "$c";

TEST_F(IgnAlign, KeyUpStepsThenRereadsTheConfiguration) {
  struct Case {
    bool reference;
    WORD key;
    std::vector<AnsiString> frames;
  };
  const Case cases[] = {
      {true, VK_UP, {Bytes({'$', 'A', 0x04, 0x97}), kReread}},
      {true, VK_DOWN, {Bytes({'$', 'A', 0x05, 0x96}), kReread}},
      {false, VK_UP, {Bytes({'$', 'A', 0x02, 0x99}), kReread}},
      {false, VK_DOWN, {Bytes({'$', 'A', 0x03, 0x98}), kReread}},
      {true, VK_RETURN, {kReread}},
      {false, 'A', {kReread}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.reference << " key " << c.key);
    link.sent.clear();
    link.arms = 0;
    WORD key = c.key;
    if (c.reference) form->ReferenceAdvanceKeyUp(form->ReferenceAdvance, key, {});
    else form->LockAdvanceKeyUp(form->LockAdvance, key, {});
    EXPECT_EQ(link.sent, c.frames);
    EXPECT_EQ(link.arms, 1);
  }
}

TEST_F(IgnAlign, LockButtonAndFactoryReset) {
  form->UnLockButtonClick(nullptr);
  ECUIdentity.AdvanceLocked = true;
  form->UnLockButtonClick(nullptr);
  script.Answer(mrNo).Answer(mrYes);
  form->DefaultClick(nullptr);
  form->DefaultClick(nullptr);
  EXPECT_EQ(script.Shown().at(0).Text, "Reset \"Lock at\" and \"Referance\" settings to factory defaults?");
  EXPECT_EQ(link.sent, (std::vector<AnsiString>{Bytes({'$', 'A', 0x01, 0x9A}), kRelease,
                                                Bytes({'$', 'A', 0xFF, 0x9C})}));

  // Without the link both buttons say so and send nothing.
  link.sent.clear();
  ECUConnected = false;
  script.Answer(mrOk).Answer(mrOk);
  form->UnLockButtonClick(nullptr);
  form->DefaultClick(nullptr);
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(script.Last().Text, "ECU not connected or not powered up.  Please check!");
}

TEST_F(IgnAlign, EveryWayOfClosingReleasesALockedAdvance) {
  struct Case {
    const char* how;
    bool locked;
    std::function<void(TForm&)> close;
  };
  const Case cases[] = {
      {"done button", true, [](TForm&) { IgnAlignForm->BitBtn1->Click(); }},
      {"close box", true, [](TForm& f) { f.Close(); }},
      {"done button, not locked", false, [](TForm&) { IgnAlignForm->BitBtn1->Click(); }},
  };
  IgnAlignForm = form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    link.sent.clear();
    ECUIdentity.AdvanceLocked = c.locked;
    script.AnswerForm(c.close);
    form->ShowModal();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(link.sent.size(), c.locked ? 2u : 1u);  // "$s" on activation
    if (c.locked) {
      EXPECT_EQ(link.sent.back(), kRelease);
    }
  }
  IgnAlignForm = nullptr;
}

TEST_F(IgnAlign, ClosingLockedWithoutTheLinkWarns) {
  ECUIdentity.AdvanceLocked = true;
  ECUConnected = false;
  script.AnswerForm([](TForm& f) { f.Close(); }).Answer(mrOk);
  form->ShowModal();
  EXPECT_TRUE(link.sent.empty());
  EXPECT_EQ(script.Last().Text, kAdvanceLockedLinkLost);
  EXPECT_EQ(script.Last().Kind, ui::DialogKind::MessageDlg);
}

TEST_F(IgnAlign, ConfigurationReplyShowsTheAnglesInDegrees) {
  // The angles come from the reply's copy; the working block may hold unsent edits.
  ConfigReadCopy.ReferenceAdvance = 181;
  ConfigReadCopy.LockAtAdvance = 40;
  ConfigBlock.ReferenceAdvance = 100;
  ConfigBlock.LockAtAdvance = 30;
  form->ReferenceAdvance->SetEnabled(false);
  form->ShowConfiguration();
  EXPECT_DOUBLE_EQ(form->ReferenceAdvance->FloatValue(), 90.5);
  EXPECT_DOUBLE_EQ(form->LockAdvance->FloatValue(), 20.0);
  EXPECT_TRUE(form->ReferenceAdvance->Enabled());
  form->ShowAdvanceLock(true);
  EXPECT_EQ(form->UnLockButton->Caption(), "&Unlock ignition advance");
  form->ShowAdvanceLock(false);
  EXPECT_EQ(form->UnLockButton->Caption(), "&Lock ignition advance");
}

}  // namespace
