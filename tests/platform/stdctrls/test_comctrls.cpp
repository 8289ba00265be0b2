// Page control, status bar, button groups and range controls driven as windows use them.
#include "StdFixture.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/ui/Simulate.h"

class ComCtrlsTest : public StdTest {};

TEST_F(ComCtrlsTest, PageControlTabsPagesAndVeto) {
  TForm* f = NewForm();
  auto* pc = Place<TPageControl>(f, 0, 0, 300, 200);
  TTabSheet* sheets[3];
  const char* names[] = {"Fuel", "Spark", "Idle"};
  for (int i = 0; i < 3; ++i) {
    sheets[i] = new TTabSheet(f);
    sheets[i]->SetCaption(names[i]);
    sheets[i]->SetParent(pc);  // as a form resource places it
  }
  ASSERT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_TRUE(pc->DisplayRect().Contains(sheets[1]->BoundsRect().TopLeft()));

  // A hidden tab is skipped by tab indexes but keeps its page index.
  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(sheets[2]->TabIndex(), 1);
  EXPECT_EQ(sheets[2]->PageIndex(), 2);
  EXPECT_EQ(pc->PageOfTab(1), sheets[2]);

  int changing = 0, changed = 0;
  bool allow = false;
  pc->OnChanging = [&](TObject*, bool& a) { ++changing; a = allow; };
  pc->OnChange = [&](TObject*) { ++changed; };
  pc->SetActivePageIndex(1);  // code: no events
  EXPECT_EQ(pc->ActivePage(), sheets[1]);
  EXPECT_EQ(changing + changed, 0);
  pc->SetActivePageIndex(7);
  EXPECT_EQ(pc->ActivePage(), nullptr);
  pc->SetActivePageIndex(0);

  f->Show();
  const TRect tab = pc->TabRect(1);
  ui::SimulateClick(pc, tab.Left + 3, tab.Top + 3);  // vetoed
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 0);
  allow = true;
  ui::SimulateClick(pc, tab.Left + 3, tab.Top + 3);
  EXPECT_EQ(pc->ActivePage(), sheets[2]);
  EXPECT_EQ(changed, 1);
  pc->SelectNextPage(true);  // wraps to the first visible tab
  EXPECT_EQ(pc->ActivePage(), sheets[0]);

  // Moving and freeing pages: the neighbour takes over from a freed active page.
  sheets[2]->SetPageIndex(0);
  EXPECT_EQ(pc->Pages(0), sheets[2]);
  pc->SetActivePage(sheets[2]);
  delete sheets[2];
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
}

TEST_F(ComCtrlsTest, StatusBarPanelsAndSimpleText) {
  TForm* f = NewForm(400, 300);
  auto* sb = new TStatusBar(f);
  sb->SetParent(f);
  EXPECT_EQ(sb->Top() + sb->Height(), f->ClientHeight());  // docked at the bottom
  for (int w : {80, 120, 50}) sb->Panels()->Add()->SetWidth(w);
  sb->Panels()->Items(1)->SetText("1200 rpm");
  sb->Panels()->Items(1)->SetAlignment(taRightJustify);
  EXPECT_EQ(sb->PanelRect(1), TRect(80, 2, 200, sb->Height()));
  EXPECT_EQ(sb->PanelRect(2).Right, sb->Width());  // the last panel fills the bar
  EXPECT_EQ(sb->PanelAtPos(90), 1);
  EXPECT_EQ(sb->PanelAtPos(390), 2);
  EXPECT_THROW(sb->Panels()->Items(3), EListError);
  sb->Panels()->Delete(0);
  EXPECT_EQ(sb->Panels()->Items(0)->Text(), "1200 rpm");
  sb->SetSimplePanel(true);
  sb->SetSimpleText("Connecting");
  EXPECT_EQ(sb->PanelAtPos(10), -1);
  f->Show();
  TBitmap shot;
  ui::GrabControl(sb, shot);  // paints without a panel list in simple mode
  EXPECT_EQ(shot.Width(), sb->Width());
}

TEST_F(ComCtrlsTest, SpeedButtonGroupsReleaseEachOther) {
  TForm* f = NewForm();
  TSpeedButton* b[3];
  for (int i = 0; i < 3; ++i) {
    b[i] = Place<TSpeedButton>(f, i * 25, 0, 23, 22);
    b[i]->SetGroupIndex(1);
  }
  auto* loose = Place<TSpeedButton>(f, 100, 0, 23, 22);
  loose->SetDown(true);  // no group: never stays down
  EXPECT_FALSE(loose->Down());

  b[0]->SetDown(true);
  b[1]->SetDown(true);
  EXPECT_FALSE(b[0]->Down());
  EXPECT_TRUE(b[1]->Down());
  b[1]->SetDown(false);  // the group needs one down
  EXPECT_TRUE(b[1]->Down());

  int clicks = 0;
  b[2]->OnClick = [&](TObject*) { ++clicks; };
  f->Show();
  ui::SimulateClick(b[2], 5, 5);
  EXPECT_TRUE(b[2]->Down());
  EXPECT_FALSE(b[1]->Down());
  EXPECT_EQ(clicks, 1);
  ui::SimulateClick(b[2], 5, 5);  // stays down without AllowAllUp
  EXPECT_TRUE(b[2]->Down());

  b[0]->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(b[2]->AllowAllUp());
  ui::SimulateClick(b[2], 5, 5);
  EXPECT_FALSE(b[2]->Down());
  EXPECT_EQ(clicks, 3);
  // A release outside the button is no click.
  ui::SimulateMouseDown(b[0], mbLeft, 5, 5);
  ui::SimulateMouseUp(b[0], mbLeft, 40, 5);
  EXPECT_FALSE(b[0]->Down());
}

TEST_F(ComCtrlsTest, BitBtnKindsSetResultAndClose) {
  struct Case {
    TBitBtnKind kind;
    const char* caption;
    TModalResult result;
  };
  const Case cases[] = {{bkOK, "OK", mrOk},       {bkCancel, "Cancel", mrCancel}, {bkYes, "&Yes", mrYes},
                        {bkNo, "&No", mrNo},      {bkAbort, "Abort", mrAbort},   {bkRetry, "&Retry", mrRetry},
                        {bkIgnore, "&Ignore", mrIgnore}, {bkAll, "&All", mrAll}, {bkHelp, "&Help", mrNone}};
  TForm* f = NewForm();
  for (const Case& c : cases) {
    auto* b = Place<TBitBtn>(f, 0, 0, 75, 25);
    b->SetKind(c.kind);
    EXPECT_EQ(b->Caption(), c.caption);
    EXPECT_EQ(b->ModalResult(), c.result);
    f->SetModalResult(mrNone);
    b->Click();
    EXPECT_EQ(f->ModalResult(), c.result);
  }
  auto* ok = Place<TBitBtn>(f, 0, 0, 75, 25);
  ok->SetKind(bkOK);
  EXPECT_TRUE(ok->Default());
  ok->SetCaption("Apply");  // a custom caption stays
  EXPECT_EQ(ok->Caption(), "Apply");
  ok->Glyph()->SetSize(32, 16);
  ok->SetNumGlyphs(2);
  EXPECT_EQ(GlyphPart(*ok->Glyph(), 2, 1), TRect(16, 0, 32, 16));
  EXPECT_EQ(GlyphPart(*ok->Glyph(), 2, 3), TRect(0, 0, 16, 16));  // a missing state shows the up image
  f->Show();
  auto* close = Place<TBitBtn>(f, 0, 30, 75, 25);
  close->SetKind(bkClose);
  close->Click();
  EXPECT_FALSE(f->Visible());
}

TEST_F(ComCtrlsTest, UpDownStepsTheEditItIsAttachedTo) {
  TForm* f = NewForm();
  auto* ed = Place<TEdit>(f, 10, 10, 60, 21);
  auto* ud = new TUpDown(f);
  ud->SetMin(0);
  ud->SetMax(10);
  ud->SetIncrement(4);
  ud->SetPosition(5);
  ud->SetAssociate(ed);
  EXPECT_EQ(ud->Parent(), f);
  EXPECT_EQ(ud->Left(), 70);  // beside the edit
  EXPECT_EQ(ud->Height(), 21);
  EXPECT_EQ(ed->Text(), "5");
  std::vector<TUDBtnType> clicks;
  ud->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
  ud->ButtonClick(btNext);
  ud->ButtonClick(btNext);  // stops at Max
  EXPECT_EQ(ed->Text(), "10");
  ud->SetWrap(true);
  ud->ButtonClick(btNext);  // goes round
  EXPECT_EQ(ud->Position(), 0);
  ed->SetText("7");  // typed by the user
  ud->ButtonClick(btPrev);
  EXPECT_EQ(ud->Position(), 3);
  EXPECT_EQ(clicks.size(), 4u);
  EXPECT_EQ(clicks.back(), btPrev);
  ud->OnChanging = [](TObject*, bool& allow) { allow = false; };
  ud->ButtonClick(btNext);
  EXPECT_EQ(ud->Position(), 3);
  ud->OnChanging = nullptr;
  // Upper half of a vertical up-down is Next.
  f->Show();
  ui::SimulateMouseDown(ud, mbLeft, 5, 2);
  ui::SimulateMouseUp(ud, mbLeft, 5, 2);
  EXPECT_EQ(ud->Position(), 7);
  delete ed;  // the up-down forgets an edit that is gone
  EXPECT_EQ(ud->Associate(), nullptr);
  ud->ButtonClick(btNext);
  EXPECT_EQ(ud->Position(), 0);
}

TEST_F(ComCtrlsTest, TrackBarPositionByKeysAndMouse) {
  TForm* f = NewForm();
  auto* tb = Place<TTrackBar>(f, 0, 0, 124, 45);  // channel 12..112: 10 px per step
  tb->SetMax(10);
  int changes = 0;
  tb->OnChange = [&](TObject*) { ++changes; };
  tb->SetPosition(15);
  EXPECT_EQ(tb->Position(), 10);
  tb->SetPosition(10);  // no change, no event
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(tb->PositionAt(12 + 34, 20), 3);
  EXPECT_EQ(tb->PositionAt(12 + 36, 20), 4);
  EXPECT_EQ(tb->PositionAt(-50, 20), 0);
  f->Show();
  tb->SetFocus();
  ui::SimulateKey(tb, "Home");
  EXPECT_EQ(tb->Position(), 0);
  ui::SimulateKey(tb, "PgDown");
  ui::SimulateKey(tb, "Right");
  EXPECT_EQ(tb->Position(), 3);
  ui::SimulateMouseDown(tb, mbLeft, 12 + 60, 20);
  ui::SimulateMouseMove(tb, 12 + 80, 20, {ssLeft});
  ui::SimulateMouseUp(tb, mbLeft, 12 + 80, 20);
  EXPECT_EQ(tb->Position(), 8);
  tb->SetMin(9);
  EXPECT_EQ(tb->Position(), 9);
  tb->SetOrientation(trVertical);
  EXPECT_EQ(tb->Width(), 45);
  EXPECT_EQ(tb->PositionAt(5, 200), 10);
}

TEST_F(ComCtrlsTest, ProgressBarStepsAndWraps) {
  TForm* f = NewForm();
  auto* pb = Place<TProgressBar>(f, 0, 0, 102, 16);
  pb->SetStep(30);
  pb->StepIt();
  pb->StepIt();
  pb->StepIt();
  EXPECT_EQ(pb->Position(), 90);
  EXPECT_EQ(pb->FilledLength(), 90);
  pb->StepIt();  // past Max: round again from Min
  EXPECT_EQ(pb->Position(), 20);
  pb->StepBy(500);
  EXPECT_EQ(pb->Position(), 100);
  pb->SetMax(50);
  EXPECT_EQ(pb->Position(), 50);
  pb->SetMin(60);  // Min above Max pulls Max along
  EXPECT_EQ(pb->Max(), 60);
  EXPECT_EQ(pb->FilledLength(), 0);
  f->Show();
  TBitmap shot;
  ui::GrabControl(pb, shot);
  EXPECT_EQ(shot.Height(), 16);
}
