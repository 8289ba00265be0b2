// Commands and closes take in what was typed into the focused control first, a text the
// control cannot take keeps a command from running, a control hidden by the program is put
// away, and a refill can leave the field being typed in as it was.
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"
#include "StdFixture.h"

namespace {

// An edit that counts what it is asked and takes its text only when told it can.
class ProbeEdit : public TEdit {
 public:
  using TEdit::TEdit;
  bool CommitTyping() override {
    ++commits;
    return takes;
  }
  void PutAway() override { ++putAway; }
  int commits = 0, putAway = 0;
  bool takes = true;
};

using TypedCommit = StdTest;

TEST_F(TypedCommit, CommandsAndClosesTakeTheFocusedTextFirst) {
  TForm* f = NewForm();
  auto* panel = Place<TPanel>(f, 0, 0, 200, 100);
  auto* e = new ProbeEdit(f);
  e->SetParent(panel);
  auto* ok = Place<TButton>(f, 10, 150, 80, 25);
  auto* cancel = Place<TButton>(f, 100, 150, 80, 25);
  cancel->SetCancel(true);
  auto* item = new TMenuItem(f);
  int ran = 0;
  item->OnClick = [&](TObject*) { ++ran; };
  ok->OnClick = [&](TObject*) { ++ran; };
  cancel->OnClick = [&](TObject*) { ++ran; };
  f->Show();
  f->SetActiveControl(e);

  item->Click();
  ok->Click();
  EXPECT_EQ(e->commits, 2);
  EXPECT_EQ(ran, 2);
  e->takes = false;
  item->Click();
  ok->Click();
  EXPECT_EQ(ran, 2) << "a text the field cannot take stops the command";
  cancel->Click();
  EXPECT_EQ(ran, 3) << "cancelling never waits on the field";
  EXPECT_EQ(e->commits, 4);
  EXPECT_TRUE(f->CloseQuery());
  EXPECT_EQ(e->commits, 5);

  // Put away with its panel, and again with its window, once each.
  panel->SetVisible(false);
  Application->ProcessMessages();
  EXPECT_EQ(e->putAway, 1);
  panel->SetVisible(true);
  f->Hide();
  Application->ProcessMessages();
  EXPECT_EQ(e->putAway, 2);
}

TEST_F(TypedCommit, RefillKeepsTheTypingOnlyWhenAsked) {
  TForm* f = NewForm();
  auto* e = Place<TEdit>(f, 0, 0, 100, 24);
  f->Show();
  for (const bool keep : {true, false}) {
    e->SetText("1.");
    e->SetSelStart(2);
    TypingKept typing(e, keep);
    e->SetText("1.002");
    typing.Restore();
    EXPECT_EQ(e->Text(), keep ? "1." : "1.002");
    if (keep) {
      EXPECT_EQ(e->SelStart(), 2);
    }
  }
}

}  // namespace
