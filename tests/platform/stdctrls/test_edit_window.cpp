// An edit's change event reports changes of its text, never the making of its window: a
// handler that stores the shown value must not run because a form was shown or a control
// was moved to a parent that already has its window.
#include "StdFixture.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"

namespace {

class EditWindowTest : public StdTest {};

TEST_F(EditWindowTest, ChangeRunsForTextChangesOnly) {
  TForm* f = NewForm();
  auto* e = Place<TEdit>(f, 10, 10, 80, 21);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetText("25.5");
  EXPECT_EQ(changes, 1);

  // The window is made with the form's, holding the text already set.
  f->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(e->HandleAllocated());
  EXPECT_EQ(changes, 1);

  // Moved into a panel whose window exists: its window is taken over, the text kept.
  auto* panel = Place<TPanel>(f, 100, 10, 150, 60);
  panel->HandleNeeded();
  e->SetParent(panel);
  Application->ProcessMessages();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(e->Text(), "25.5");

  // A change of the text, by the program or by typing, is reported.
  e->SetText("9.9");
  e->UserEdited("9.", 2);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(e->Text(), "9.");
}

}  // namespace
