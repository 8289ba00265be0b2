// Scroll bars, scroll boxes, tool bars and splitters: what the user's clicks, keys and
// drags do, and how they come out of a form resource.
#include "StdFixture.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/stdctrls/ToolCtrls.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"

namespace {

using ScrollToolTest = StdTest;

TEST_F(ScrollToolTest, ScrollBarKeepsItsPositionInRange) {
  TForm* f = NewForm();
  auto* bar = Place<TScrollBar>(f, 0, 0, 200, 16);
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->SetParams(150, 10, 120);
  EXPECT_EQ(bar->Position(), 120);
  bar->SetPageSize(21);  // a page of 21 leaves 100 as the last position
  EXPECT_EQ(bar->MaxPosition(), 100);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetMax(5);  // below Min: raised to it
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Position(), 10);
  EXPECT_EQ(changes, 3);
}

TEST_F(ScrollToolTest, ScrollBarAnswersKeysAndClicks) {
  TForm* f = NewForm();
  auto* bar = Place<TScrollBar>(f, 0, 0, 116, 16);  // arrows 16, track 84
  bar->SetParams(50, 0, 100);
  bar->SetSmallChange(2);
  bar->SetLargeChange(10);
  struct Step {
    WORD key;       // a key, or 0 for a click at x
    int x;
    int expected;
  };
  const Step steps[] = {
      {VK_RIGHT, 0, 52}, {VK_UP, 0, 50}, {VK_NEXT, 0, 60}, {VK_PRIOR, 0, 50}, {VK_END, 0, 100}, {VK_HOME, 0, 0},
      {0, 5, 0},         {0, 110, 2},    {0, 90, 12},      {0, 20, 2},      {0, 16, 0},
  };
  for (const Step& s : steps) {
    if (s.key != 0) {
      WORD k = s.key;
      bar->KeyDown(k, {});
      EXPECT_EQ(k, 0);
    } else {
      bar->MouseDown(mbLeft, {}, s.x, 8);
      bar->MouseUp(mbLeft, {}, s.x, 8);
    }
    EXPECT_EQ(bar->Position(), s.expected) << "key " << s.key << " x " << s.x;
  }

  // Dragging the thumb to the far end reaches Max; OnScroll sees the track and may
  // change where the bar ends up.
  std::vector<TScrollCode> codes;
  bar->OnScroll = [&](TObject*, TScrollCode code, int& pos) {
    codes.push_back(code);
    if (code == scPosition) pos = 90;
  };
  const TRect thumb = bar->ThumbRect();
  bar->MouseDown(mbLeft, {}, thumb.Left + 2, 8);
  bar->MouseMove({}, 500, 8);
  EXPECT_EQ(bar->Position(), 100);
  bar->MouseUp(mbLeft, {}, 500, 8);
  EXPECT_EQ(bar->Position(), 90);
  EXPECT_EQ(codes, (std::vector<TScrollCode>{scTrack, scPosition, scEndScroll}));
}

TEST_F(ScrollToolTest, ScrollBoxScrollsItsChildrenWithinTheirExtent) {
  TForm* f = NewForm();
  auto* box = Place<TScrollBox>(f, 0, 0, 200, 100);
  box->SetBorderStyle(bsNoBorder);
  auto* far = Place<TPanel>(f, 0, 0, 10, 10);
  far->SetParent(box);
  far->SetBounds(10, 280, 50, 20);  // reaches down to 300
  box->UpdateScrollBars();
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->VertScrollBar()->Range(), 300);
  EXPECT_EQ(box->ClientWidth(), 184);
  EXPECT_TRUE(box->Bar(sbVertical)->Visible());

  box->VertScrollBar()->SetPosition(50);
  EXPECT_EQ(far->Top(), 230);
  box->VertScrollBar()->SetPosition(1000);  // no further than the content's end
  EXPECT_EQ(box->VertScrollBar()->Position(), 200);
  EXPECT_EQ(far->Top(), 80);
  EXPECT_EQ(box->VertScrollBar()->Range(), 300);  // scrolling does not change the extent

  box->VertScrollBar()->SetPosition(0);
  box->ScrollInView(far);
  EXPECT_EQ(far->Top() + far->Height(), 100);
  // The bar control scrolls the box as the user drags it.
  box->Bar(sbVertical)->SetPosition(0);
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(far->Top(), 280);

  // A view as large as the content needs no bar and shows it from the start.
  box->VertScrollBar()->SetPosition(100);
  box->SetBounds(0, 0, 200, 400);
  EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(far->Top(), 280);
}

TEST_F(ScrollToolTest, ToolBarLinesUpItsButtonsAndChecksGroups) {
  TForm* f = NewForm(400, 300);
  auto* bar = Place<TToolBar>(f, 0, 0, 100, 29);
  std::vector<TToolButton*> b;
  for (int i = 0; i < 5; ++i) {
    auto* t = new TToolButton(f);
    if (i == 2) t->SetStyle(tbsSeparator);
    else if (i > 2) {
      t->SetStyle(tbsCheck);
      t->SetGrouped(true);
    }
    t->SetParent(bar);
    b.push_back(t);
  }
  EXPECT_EQ(bar->Width(), 400);  // aligned along the top
  EXPECT_EQ(bar->ButtonCount(), 5);
  const int lefts[] = {0, 23, 46, 54, 77};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b[i]->Left(), lefts[i]) << i;
  EXPECT_EQ(b[2]->Width(), 8);

  b[3]->Click();
  EXPECT_TRUE(b[3]->Down());
  b[4]->Click();
  EXPECT_TRUE(b[4]->Down());
  EXPECT_FALSE(b[3]->Down());
  b[4]->Click();  // the group's down button stays down without AllowAllUp
  EXPECT_TRUE(b[4]->Down());
  b[4]->SetDown(false);
  EXPECT_TRUE(b[4]->Down());

  delete b[0];
  EXPECT_EQ(bar->ButtonCount(), 4);
  EXPECT_EQ(b[1]->Left(), 0);
  bar->SetWrapable(true);
  bar->SetButtonWidth(150);  // two buttons no longer fit on one row
  EXPECT_EQ(b[3]->Top(), 0);
  EXPECT_EQ(b[4]->Top(), 22);
}

TEST_F(ScrollToolTest, SplitterResizesItsNeighbourWithinMinSize) {
  struct Case {
    TAlign align;
    int drag;  // mouse movement along the axis
    int expected;
  };
  const Case cases[] = {
      {alLeft, 50, 150},  {alLeft, -500, 30},  {alLeft, 500, 400 - 3 - 30},
      {alRight, 50, 50},  {alRight, -40, 140}, {alTop, 30, 130},
      {alBottom, -500, 300 - 3 - 30},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.align);
    TForm* f = NewForm(400, 300);
    f->SetClientSize(400, 300);
    auto* side = Place<TPanel>(f, 0, 0, 100, 100);
    side->SetAlign(k.align);
    auto* split = new TSplitter(f);
    split->SetAlign(k.align);
    if (k.align == alTop || k.align == alBottom) split->SetHeight(3);
    // The splitter goes just beyond its neighbour, as a designer places it.
    if (k.align == alLeft) split->SetLeft(200);
    if (k.align == alTop) split->SetTop(200);
    split->SetParent(f);
    Place<TPanel>(f, 0, 0, 10, 10)->SetAlign(alClient);
    ASSERT_EQ(split->FindControl(), side);
    int moved = 0;
    split->OnMoved = [&](TObject*) { ++moved; };
    const bool h = k.align == alTop || k.align == alBottom;
    const int start = h ? split->Top() : split->Left();
    split->MouseDown(mbLeft, {}, 1, 1);
    // Mouse positions are relative to the splitter, which moves as its neighbour grows.
    for (int step = 1; step <= 2; ++step) {
      const int at = start + 1 + k.drag * step / 2 - (h ? split->Top() : split->Left());
      split->MouseMove({}, h ? 1 : at, h ? at : 1);
    }
    split->MouseUp(mbLeft, {}, 1, 1);
    EXPECT_EQ(h ? side->Height() : side->Width(), k.expected);
    EXPECT_EQ(moved, 1);
  }
}

TEST_F(ScrollToolTest, SplitterAsksBeforeResizing) {
  TForm* f = NewForm(400, 300);
  auto* side = Place<TPanel>(f, 0, 0, 100, 100);
  side->SetAlign(alLeft);
  auto* split = new TSplitter(f);
  split->SetLeft(200);
  split->SetParent(f);
  split->OnCanResize = [](TObject*, int& size, bool& accept) {
    accept = size < 180;
    size -= size % 10;  // snaps to tens
  };
  split->MouseDown(mbLeft, {}, 0, 0);
  split->MouseMove({}, 57, 0);
  EXPECT_EQ(side->Width(), 150);
  split->MouseMove({}, 100 - 150 + 100, 0);  // would make 200: refused
  EXPECT_EQ(side->Width(), 150);
  split->MouseUp(mbLeft, {}, 0, 0);
}

TEST_F(ScrollToolTest, ScrollAndToolControlsComeFromResources) {
  RegisterStdCtrlsClasses();
  TForm form(nullptr);
  ReadFormText(&form, R"(object F: TForm
  Width = 400
  Height = 300
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 400
    Height = 29
    ButtonWidth = 30
    Indent = 4
    object B2: TToolButton
      Left = 34
      Top = 0
      Width = 30
      Height = 22
      Style = tbsCheck
      Down = True
    end
    object B1: TToolButton
      Left = 4
      Top = 0
      Width = 30
      Height = 22
    end
  end
  object Box1: TScrollBox
    Left = 0
    Top = 29
    Width = 200
    Height = 100
    AutoScroll = False
    HorzScrollBar.Range = 500
    object Bar1: TScrollBar
      Left = 0
      Top = 0
      Width = 300
      Height = 16
      Max = 50
      Position = 40
    end
  end
end
)",
               "scroll.form");
  auto* tool = dynamic_cast<TToolBar*>(form.FindComponent("ToolBar1"));
  ASSERT_NE(tool, nullptr);
  ASSERT_EQ(tool->ButtonCount(), 2);
  EXPECT_EQ(tool->Buttons(0)->Name(), "B1");  // in the order of their places
  EXPECT_TRUE(tool->Buttons(1)->Down());
  auto* box = dynamic_cast<TScrollBox*>(form.FindComponent("Box1"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 500);  // not the child's 300: AutoScroll is off
  EXPECT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(dynamic_cast<TScrollBar*>(form.FindComponent("Bar1"))->Position(), 40);
}

// The bar spans its window at every size and keeps the menu font when the window's
// font is scaled, so its items never fold away into the overflow button.
TEST_F(ScrollToolTest, MenuBarFollowsItsWindow) {
  TForm* f = NewForm(150, 200);
  auto* menu = new TMainMenu(f);
  for (const char* caption : {"&File", "&Maps", "&Tables", "&Configuration", "&Help"}) {
    auto* item = new TMenuItem(f);
    item->SetCaption(caption);
    menu->Items()->Add(item);
  }
  f->SetMenu(menu);
  f->Show();
  const int height = menu->BarHeight();
  EXPECT_GT(height, 0) << "a menu set before the window is shown still gets its bar";
  EXPECT_EQ(menu->BarWidth(), f->ClientWidth());
  f->Font()->SetSize(f->Font()->Size() * 3);
  f->SetBounds(0, 0, 700, 200);
  Application->ProcessMessages();
  EXPECT_EQ(menu->BarWidth(), f->ClientWidth());
  EXPECT_EQ(menu->BarHeight(), height);
  EXPECT_EQ(f->MenuBarHeight(), height);
}

TEST_F(ScrollToolTest, FormClientAreaStartsBelowItsMenuBar) {
  TForm* f = NewForm(400, 300);
  auto* client = Place<TPanel>(f, 0, 0, 10, 10);
  client->SetAlign(alClient);
  f->Show();
  const int full = f->ClientHeight();
  const TPoint top = client->ClientToScreen({0, 0});
  auto* menu = new TMainMenu(f);
  auto* item = new TMenuItem(f);
  item->SetCaption("&File");
  menu->Items()->Add(item);
  f->SetMenu(menu);
  const int bar = f->MenuBarHeight();
  EXPECT_GT(bar, 0);
  EXPECT_EQ(f->ClientHeight(), full - bar);
  EXPECT_EQ(client->Top(), 0);  // client coordinates start below the bar
  EXPECT_EQ(client->Height(), full - bar);
  EXPECT_EQ(client->ClientToScreen({0, 0}).y, top.y + bar);

  // Another form's menu is refused; a freed menu gives the room back.
  TForm* other = NewForm();
  auto* foreign = new TMainMenu(other);
  EXPECT_THROW(f->SetMenu(foreign), EInvalidOperation);
  EXPECT_EQ(f->Menu(), menu);
  delete menu;
  EXPECT_EQ(f->Menu(), nullptr);
  EXPECT_EQ(f->ClientHeight(), full);
  EXPECT_EQ(client->ClientToScreen({0, 0}).y, top.y);
}

TEST_F(ScrollToolTest, WheelScrollsTheGridAndGoesUpToTheScrollBox) {
  TForm* f = NewForm(400, 300);
  auto* grid = Place<TStringGrid>(f, 0, 0, 200, 100);
  grid->SetRowCount(50);
  f->Show();
  struct Turn {
    int delta;
    int top;  // TopRow after the turn
  };
  const Turn turns[] = {{-120, 4}, {-240, 10}, {60, 10}, {60, 7}, {120, 4}, {1200, 1}};
  for (const Turn& t : turns) {
    ui::SimulateMouseWheel(grid, t.delta, 20, 20);
    EXPECT_EQ(grid->TopRow(), t.top) << t.delta;
  }
  // A handler that takes the turn leaves the grid where it is.
  int seen = 0;
  grid->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    seen = delta;
    handled = true;
  };
  ui::SimulateMouseWheel(grid, -120, 20, 20);
  EXPECT_EQ(seen, -120);
  EXPECT_EQ(grid->TopRow(), 1);

  // A label has no use for the wheel: the scroll box it sits in scrolls.
  auto* box = Place<TScrollBox>(f, 200, 0, 150, 100);
  auto* label = Place<TPanel>(f, 0, 0, 50, 20);
  label->SetParent(box);
  auto* far = Place<TPanel>(f, 0, 0, 50, 20);
  far->SetParent(box);
  far->SetTop(400);
  box->UpdateScrollBars();
  ui::SimulateMouseWheel(label, -120, 5, 5);
  EXPECT_EQ(box->VertScrollBar()->Position(), 24);
  EXPECT_EQ(far->Top(), 376);
}

}  // namespace
