// The standard controls driven as the windows drive them: item lists set as one text,
// choices, check and radio state, edits and the notebook.
#include "StdFixture.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/CaptionFit.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

class ControlsTest : public StdTest {};

TEST_F(ControlsTest, ComboItemsFromOneCarriageReturnText) {
  TForm* f = NewForm();
  auto* cb = Place<TComboBox>(f, 10, 10, 150, 21);
  cb->SetStyle(csDropDownList);
  cb->Items()->SetText("Boost\rRPM\r\rLambda");
  ASSERT_EQ(cb->Items()->Count(), 4);
  EXPECT_EQ(cb->Items()->Strings(2), "");
  EXPECT_EQ(cb->ItemIndex(), -1);
  int changes = 0;
  cb->OnChange = [&](TObject*) { ++changes; };
  cb->SetItemIndex(3);
  EXPECT_EQ(cb->Text(), "Lambda");
  cb->SetItemIndex(9);  // out of range: nothing chosen
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(cb->Text(), "");
  EXPECT_EQ(changes, 0);  // only a user's choice fires OnChange
  f->Show();
  cb->UserSelect(1);
  EXPECT_EQ(cb->Text(), "RPM");
  EXPECT_EQ(changes, 1);
  cb->SetDroppedDown(true);
  EXPECT_TRUE(cb->DroppedDown());
  cb->SetDroppedDown(false);
  // Shrinking the list drops a choice that is no longer there.
  cb->Items()->SetText("One");
  EXPECT_EQ(cb->ItemIndex(), -1);
}

// Filling a radio group makes no windows: its form's windows come when the form shows
// (a form being read would otherwise make all of them before its properties are in), and
// the buttons then stand below the caption.
TEST_F(ControlsTest, RadioGroupMakesNoWindowUntilItsFormShows) {
  TForm* f = NewForm();
  auto* rg = Place<TRadioGroup>(f, 10, 10, 200, 80);
  rg->SetCaption("Speed unit");
  rg->Font()->SetSize(16);
  rg->Items()->SetText("km/h\rmph");
  EXPECT_FALSE(rg->HandleAllocated());
  EXPECT_FALSE(f->HandleAllocated());
  f->Show();
  EXPECT_GT(rg->FrameTop(), 14);
  EXPECT_GE(rg->Buttons(0)->Top(), rg->FrameTop());
}

TEST_F(ControlsTest, RadioGroupItemsColumnsAndIndex) {
  TForm* f = NewForm();
  auto* rg = Place<TRadioGroup>(f, 10, 10, 200, 80);
  rg->SetColumns(2);
  rg->Items()->SetText("km/h\rmph\rknots");
  rg->SetItemIndex(1);
  f->Show();
  EXPECT_TRUE(rg->Buttons(1)->Checked());
  EXPECT_FALSE(rg->Buttons(0)->Checked());
  EXPECT_EQ(rg->Buttons(1)->Caption(), "mph");
  // Two columns: the third item starts the second column.
  EXPECT_GT(rg->Buttons(2)->Left(), rg->Buttons(0)->Left());
  EXPECT_EQ(rg->Buttons(2)->Top(), rg->Buttons(0)->Top());
  // The buttons start inside the frame, below the caption, whatever its font.
  rg->SetCaption("Speed unit");
  rg->Font()->SetSize(16);
  rg->SetColumns(2);
  EXPECT_GE(rg->Buttons(0)->Top(), rg->FrameTop());
  EXPECT_GT(rg->FrameTop(), 14);
  int clicks = 0;
  rg->OnClick = [&](TObject*) { ++clicks; };
  rg->Buttons(2)->SetChecked(true);  // as a user's click does
  EXPECT_EQ(rg->ItemIndex(), 2);
  EXPECT_FALSE(rg->Buttons(1)->Checked());
  EXPECT_EQ(clicks, 1);
  rg->SetItemIndex(5);
  EXPECT_EQ(rg->ItemIndex(), -1);
  EXPECT_FALSE(rg->Buttons(2)->Checked());
}

// The keyboard reaches a radio group through one button: the checked one, or the first
// while none is checked, where Space checks it. The arrows move round the group and pass
// a disabled button by; the frame itself never takes the focus.
TEST_F(ControlsTest, RadioGroupByKeyboard) {
  TForm* f = NewForm();
  auto* rg = Place<TRadioGroup>(f, 10, 10, 200, 100);
  rg->Items()->SetText("a\rb\rc\rd");
  f->Show();
  int clicks = 0;
  rg->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_TRUE(rg->Buttons(0)->TabStop());
  EXPECT_FALSE(rg->Buttons(1)->TabStop());
  rg->SetFocus();
  EXPECT_EQ(f->ActiveControl(), rg->Buttons(0));
  ui::SimulateKey(f, "Space");
  EXPECT_EQ(rg->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
  rg->Buttons(2)->SetEnabled(false);
  struct Step {
    const char* key;
    int index;
  };
  for (const Step& s : {Step{"Down", 1}, Step{"Right", 3}, Step{"Down", 0}, Step{"Up", 3}, Step{"Left", 1}}) {
    ui::SimulateKey(f, s.key);
    EXPECT_EQ(rg->ItemIndex(), s.index) << s.key;
    EXPECT_EQ(f->ActiveControl(), rg->Buttons(s.index)) << s.key;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rg->Buttons(i)->TabStop(), i == 1) << i;
  EXPECT_EQ(clicks, 6);
  rg->SetItemIndex(-1);
  EXPECT_TRUE(rg->Buttons(0)->TabStop());
  EXPECT_FALSE(rg->Buttons(1)->TabStop());
}

TEST_F(ControlsTest, CheckBoxAndRadioButtons) {
  TForm* f = NewForm();
  auto* cb = Place<TCheckBox>(f, 0, 0, 100, 17);
  int clicks = 0;
  cb->OnClick = [&](TObject*) { ++clicks; };
  cb->SetChecked(true);
  cb->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  cb->SetAllowGrayed(true);
  cb->Toggle();
  EXPECT_EQ(cb->State(), cbUnchecked);
  cb->Toggle();
  EXPECT_EQ(cb->State(), cbGrayed);
  auto* a = Place<TRadioButton>(f, 0, 20, 100, 17);
  auto* b = Place<TRadioButton>(f, 0, 40, 100, 17);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  auto* ok = Place<TButton>(f, 0, 60, 75, 25);
  ok->SetModalResult(mrOk);
  ok->Click();
  EXPECT_EQ(f->ModalResult(), mrOk);
}

// The room a caption has: a check box's box, a button's frame and its glyph are no room for
// text; a wrapping label needs the height of its lines.
TEST_F(ControlsTest, CaptionFitTakesBoxesFramesAndGlyphsOff) {
  TForm* f = NewForm(600, 300);
  TCaptionFit fit;
  auto* check = Place<TCheckBox>(f, 0, 0, 118, 17);
  check->SetCaption("Four wheel drive, rear biased");
  ASSERT_TRUE(CaptionFit(check, fit));
  EXPECT_LT(fit.Room.cx, 118 - 10) << "the box and its gap are taken off";
  EXPECT_FALSE(fit.Fits());
  check->SetBounds(0, 0, fit.Extent.cx + (118 - fit.Room.cx), 17);
  ASSERT_TRUE(CaptionFit(check, fit));
  EXPECT_TRUE(fit.Fits());

  auto* plain = Place<TButton>(f, 0, 30, 75, 25);
  plain->SetCaption("Cancel");
  ASSERT_TRUE(CaptionFit(plain, fit));
  EXPECT_LT(fit.Room.cx, 75);
  EXPECT_TRUE(fit.Fits());
  auto* glyphed = Place<TBitBtn>(f, 100, 30, 75, 25);
  glyphed->SetCaption("Cancel");
  glyphed->Glyph()->SetSize(18, 18);
  TCaptionFit bare;
  ASSERT_TRUE(CaptionFit(plain, bare));
  ASSERT_TRUE(CaptionFit(glyphed, fit));
  EXPECT_EQ(fit.Room.cx, bare.Room.cx - 18 - 4);

  auto* wrapped = Place<TLabel>(f, 0, 60, 60, 13);
  wrapped->SetAutoSize(false);
  wrapped->SetWordWrap(true);
  wrapped->SetCaption("Adjust the idle screw");
  ASSERT_TRUE(CaptionFit(wrapped, fit));
  EXPECT_LE(fit.Extent.cx, 60);
  EXPECT_FALSE(fit.Fits()) << "its lines need more than one line's height";
  wrapped->SetBounds(0, 60, 60, fit.Extent.cy);
  ASSERT_TRUE(CaptionFit(wrapped, fit));
  EXPECT_TRUE(fit.Fits());
  wrapped->SetCaption("");
  EXPECT_FALSE(CaptionFit(wrapped, fit)) << "no caption, nothing to fit";
}

TEST_F(ControlsTest, EditSelectionAndLimits) {
  TForm* f = NewForm();
  auto* e = Place<TEdit>(f, 0, 0, 120, 21);
  e->SetText("Injection");
  e->SetSelStart(2);
  e->SetSelLength(3);
  EXPECT_EQ(e->SelText(), "jec");
  e->SetSelText("XY");
  EXPECT_EQ(e->Text(), "InXYtion");
  EXPECT_EQ(e->SelStart(), 4);
  e->SetSelLength(100);  // clipped to the text
  EXPECT_EQ(e->SelLength(), 4);
  e->SetMaxLength(8);
  e->SetSelLength(0);
  char k = 'z';
  e->KeyPress(k);
  EXPECT_EQ(k, 0);  // full
  e->SetCharCase(ecUpperCase);
  EXPECT_EQ(e->Text(), "INXYTION");
  f->Show();
  e->SetText("abc");
  e->SetFocus();
  ui::SimulateKey(e, "End");
  ui::SimulateKey(e, "D");
  EXPECT_EQ(e->Text(), "ABCD");
  EXPECT_TRUE(e->Modified());
}

TEST_F(ControlsTest, MaskEditKeepsLiterals) {
  TMaskEdit m(nullptr);
  m.SetEditMask("00:00;1;_");
  EXPECT_EQ(m.Text(), "__:__");
  EXPECT_FALSE(m.IsComplete());
  for (char ch : AnsiString("12x34")) {
    char k = ch;
    m.KeyPress(k);
  }
  EXPECT_EQ(m.Text(), "12:34");
  EXPECT_TRUE(m.IsComplete());
  // Typed over a selection, the selected positions are blanked first (literals stay); a
  // character the position refuses changes nothing.
  m.SetSelStart(1);
  m.SetSelLength(3);
  char seven = '7';
  m.KeyPress(seven);
  EXPECT_EQ(m.Text(), "17:_4");
  EXPECT_FALSE(m.IsComplete());
  m.SetSelStart(0);
  m.SetSelLength(5);
  char letter = 'x';
  m.KeyPress(letter);
  EXPECT_EQ(m.Text(), "17:_4");
}

// A paste takes what fits: the first line in a one-line edit, CR LF line breaks in a memo,
// nothing past a NUL or the limit (the text beside the selection counts, one longer than
// the limit leaves no room); a read-only edit and an empty paste change nothing; a mask
// edit takes the pasted characters as typed ones.
TEST_F(ControlsTest, PastesKeepWithinTheLimitAndTheLines) {
  EXPECT_EQ(FitPastedText(AnsiString("ab\0cd", 5), false), "ab");
  EXPECT_EQ(FitPastedText("a\rb\nc\r\nd", true), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(FitPastedText("ab\r\ncd", true, 4, 1), "ab");  // a line break is not split
  EXPECT_EQ(FitPastedText("abc", false, 4, 6), "");

  TForm* f = NewForm();
  auto* e = Place<TEdit>(f, 0, 0, 120, 21);
  int changes = 0;
  e->OnChange = [&](TObject*) { ++changes; };
  e->SetText("Boost");
  changes = 0;
  e->SetMaxLength(6);
  e->SetSelStart(1);
  e->SetSelLength(3);
  e->PasteText("12345\r\nnext");
  EXPECT_EQ(e->Text(), "B1234t");
  EXPECT_EQ(e->SelStart(), 5);
  EXPECT_TRUE(e->Modified());
  EXPECT_EQ(changes, 1);
  e->PasteText("");
  e->SetReadOnly(true);
  e->PasteText("x");
  EXPECT_EQ(e->Text(), "B1234t");
  EXPECT_EQ(changes, 1);

  auto* m = Place<TMemo>(f, 0, 30, 200, 100);
  m->SetText("one");
  m->SetSelStart(3);
  m->PasteText("\ntwo\nthree");
  EXPECT_EQ(m->Text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(m->Lines()->Count(), 3);

  TMaskEdit mask(nullptr);
  mask.SetEditMask("00:00;1;_");
  mask.SetSelStart(0);
  mask.PasteText("1x2:3456");
  EXPECT_EQ(mask.Text(), "12:34");
  EXPECT_EQ(mask.SelStart(), 5);
  mask.SetSelStart(3);
  mask.PasteText("9");
  EXPECT_EQ(mask.Text(), "12:94");
}

TEST_F(ControlsTest, MemoLinesAndText) {
  TForm* f = NewForm();
  auto* m = Place<TMemo>(f, 0, 0, 200, 100);
  m->Lines()->Add("first");
  m->Lines()->Add("second");
  EXPECT_EQ(m->Text(), "first\r\nsecond");
  m->SetText("a\r\nb\r\nc");
  EXPECT_EQ(m->Lines()->Count(), 3);
  f->Show();
  EXPECT_EQ(m->Lines()->Strings(2), "c");
  // A line break typed takes two characters of the limit.
  m->SetMaxLength(6);
  m->SetFocus();
  ui::SimulateKey(m, "Ctrl+End");
  ui::SimulateKey(m, "Return");
  EXPECT_EQ(m->Text(), "a\r\nb\r\nc");
  m->SetMaxLength(9);
  ui::SimulateKey(m, "Return");
  EXPECT_EQ(m->Text(), "a\r\nb\r\nc\r\n");
}

TEST_F(ControlsTest, NotebookPagesByNameAndIndexWithTabSet) {
  TForm* f = NewForm();
  auto* tabs = Place<TTabSet>(f, 0, 200, 300, 21);
  auto* nb = Place<TNotebook>(f, 0, 0, 300, 200);
  nb->Pages()->SetText("Ignition\rInjection\rSetup");
  tabs->Tabs()->SetText("Ignition\rInjection\rSetup");
  tabs->OnChange = [&](TObject*, int tab, bool& allow) {
    allow = tab != 2;
    if (allow) nb->SetPageIndex(tab);
  };
  EXPECT_EQ(nb->PageCount(), 3);
  EXPECT_EQ(nb->PageIndex(), 0);
  nb->SetActivePage("injection");
  EXPECT_EQ(nb->PageIndex(), 1);
  EXPECT_TRUE(nb->Page(1)->Visible());
  EXPECT_FALSE(nb->Page(0)->Visible());
  nb->SetActivePage("nothing");
  EXPECT_EQ(nb->ActivePage(), "Injection");
  f->Show();
  EXPECT_EQ(tabs->TabIndex(), 0);  // the first tab is chosen once there are tabs
  TRect r = tabs->ItemRect(1);
  nb->SetPageIndex(0);
  ui::SimulateClick(tabs, r.Left + 3, r.Top + 5);
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(nb->PageIndex(), 1);
  tabs->SetTabIndex(2);  // refused by OnChange
  EXPECT_EQ(tabs->TabIndex(), 1);
}

// A tab chosen from code runs the same click handler as a mouse click, once; and a
// page put away takes the focus from its controls, so they take no more keys.
TEST_F(ControlsTest, TabIndexFromCodeClicksAndPutAwayPagesLoseTheFocus) {
  TForm* f = NewForm();
  auto* tabs = Place<TTabSet>(f, 0, 200, 300, 21);
  auto* nb = Place<TNotebook>(f, 0, 0, 300, 200);
  nb->Pages()->SetText("One\rTwo");
  tabs->Tabs()->SetText("One\rTwo");
  auto* edit = new TEdit(f);
  edit->SetParent(nb->Page(0));
  int clicks = 0;
  tabs->OnClick = [&](TObject*) {
    ++clicks;
    nb->SetPageIndex(tabs->TabIndex());
  };
  f->Show();
  edit->SetFocus();
  ASSERT_EQ(f->ActiveControl(), edit);
  tabs->SetTabIndex(1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(nb->PageIndex(), 1);
  EXPECT_NE(f->ActiveControl(), edit);
  // The page shown has nothing to focus: the strip that turns the pages takes the focus.
  EXPECT_EQ(f->ActiveControl(), tabs);
  tabs->SetTabIndex(1);  // no change, no click
  ui::SimulateClick(tabs, tabs->ItemRect(0).Left + 3, 5);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(nb->PageIndex(), 0);
}

// Tabs that do not fit scroll with the two arrow buttons at the right end; choosing a
// tab brings it into view; nothing past the arrows is clickable.
TEST_F(ControlsTest, TabSetScrollsTabsThatDoNotFit) {
  TForm* f = NewForm();
  auto* tabs = Place<TTabSet>(f, 0, 200, 160, 21);
  tabs->Tabs()->SetText("Accel Fuelling\rAirCon\rBatteryV Comp\rBoost Control\rCoil on-time\rCyl trims");
  f->Show();
  ASSERT_TRUE(tabs->Scrolling());
  EXPECT_EQ(tabs->FirstIndex(), 0);
  const int arrows = tabs->Width() - 32;
  EXPECT_EQ(tabs->ItemAtPos({arrows + 2, 5}), -1);
  ui::SimulateClick(tabs, arrows + 20, 5);  // right arrow
  EXPECT_EQ(tabs->FirstIndex(), 1);
  EXPECT_TRUE(tabs->ItemRect(0).IsEmpty());
  EXPECT_EQ(tabs->ItemRect(1).Left, 4);
  ui::SimulateClick(tabs, arrows + 4, 5);  // left arrow
  ui::SimulateClick(tabs, arrows + 4, 5);  // stops at the first tab
  EXPECT_EQ(tabs->FirstIndex(), 0);
  for (int i = 0; i < 10; ++i) ui::SimulateClick(tabs, arrows + 20, 5);
  EXPECT_LE(tabs->ItemRect(5).Right, arrows) << "stops once the last tab is in view";
  const int last = tabs->FirstIndex();
  ui::SimulateClick(tabs, arrows + 4, 5);  // one back: the last tab is cut off again
  EXPECT_GT(tabs->ItemRect(5).Right, arrows) << "and no further";
  ui::SimulateClick(tabs, arrows + 20, 5);
  EXPECT_EQ(tabs->FirstIndex(), last);
  tabs->SetTabIndex(0);
  EXPECT_EQ(tabs->FirstIndex(), 0);
  tabs->SetTabIndex(5);
  EXPECT_LE(tabs->ItemRect(5).Right, arrows);
  tabs->SetBounds(0, 200, 900, 21);
  EXPECT_FALSE(tabs->Scrolling());
}

// Pages from the keyboard: Ctrl+Tab / Ctrl+PgDn forward and Ctrl+Shift+Tab / Ctrl+PgUp back,
// round past the ends. They turn the window's own tab strip from a control on a page (not
// the sub-tabs on that page), the sub-tabs when those have the focus, and a page control's
// pages from a control on them. The focused strip takes Left, Right, Home and End. A key
// that turned a page is no key of the page after: its release reaches nobody.
TEST_F(ControlsTest, KeysTurnThePagesOfTheStripOrPageControlInCharge) {
  TForm* f = NewForm(500, 400);
  auto* tabs = Place<TTabSet>(f, 0, 370, 400, 21);
  auto* nb = Place<TNotebook>(f, 0, 0, 250, 360);
  nb->Pages()->SetText("One\rTwo\rThree");
  tabs->Tabs()->SetText("One\rTwo\rThree");
  tabs->OnClick = [&](TObject*) { nb->SetPageIndex(tabs->TabIndex()); };
  auto* sub = new TTabSet(f);
  sub->SetParent(nb->Page(0));
  sub->SetBounds(0, 0, 200, 21);
  sub->Tabs()->SetText("A\rB");
  auto* edit = new TEdit(f);
  edit->SetParent(nb->Page(0));
  edit->SetBounds(0, 40, 100, 21);
  auto* pc = Place<TPageControl>(f, 260, 0, 230, 200);
  for (int i = 0; i < 2; ++i) (new TTabSheet(f))->SetPageControl(pc);
  pc->SetActivePageIndex(0);
  auto* sheetEdit = new TEdit(f);
  sheetEdit->SetParent(pc->Pages(0));
  f->SetKeyPreview(true);
  std::vector<WORD> released;
  f->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) { released.push_back(Key); };
  f->Show();

  struct Step {
    TWinControl* focus;
    const char* key;
    int outer, inner, pages;
  };
  const Step steps[] = {
      {edit, "Ctrl+Tab", 1, 0, 0},       {nullptr, "Ctrl+Shift+Tab", 0, 0, 0}, {nullptr, "Ctrl+Shift+Tab", 2, 0, 0},
      {nullptr, "Ctrl+PgDown", 0, 0, 0}, {nullptr, "Ctrl+PgUp", 2, 0, 0},      {nullptr, "Ctrl+PgDown", 0, 0, 0},
      {sub, "Ctrl+Tab", 0, 1, 0},        {nullptr, "Ctrl+Tab", 0, 0, 0},       {sheetEdit, "Ctrl+PgDown", 0, 0, 1},
      {nullptr, "Ctrl+Tab", 0, 0, 0},    {tabs, "Right", 1, 0, 0},             {nullptr, "End", 2, 0, 0},
      {nullptr, "Right", 2, 0, 0},       {nullptr, "Left", 1, 0, 0},           {nullptr, "Home", 0, 0, 0},
      {nullptr, "Left", 0, 0, 0},        {pc, "Right", 0, 0, 1},               {nullptr, "Left", 0, 0, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    if (s.focus) s.focus->SetFocus();
    released.clear();
    ui::SimulateKey(f, s.key);
    EXPECT_EQ(tabs->TabIndex(), s.outer);
    EXPECT_EQ(nb->PageIndex(), s.outer);
    EXPECT_EQ(sub->TabIndex(), s.inner);
    EXPECT_EQ(pc->ActivePageIndex(), s.pages);
    if (std::string(s.key).rfind("Ctrl+", 0) == 0) {
      EXPECT_TRUE(released.empty());
    }
  }
}

TEST_F(ControlsTest, PanelShapeAndImageDraw) {
  TForm* f = NewForm();
  auto* p = Place<TPanel>(f, 0, 0, 100, 40);
  p->SetColor(clYellow);
  auto* s = Place<TShape>(f, 110, 0, 40, 40);
  s->Brush()->SetColor(clRed);
  auto* img = Place<TImage>(f, 160, 0, 40, 40);
  img->Canvas()->Brush()->SetColor(clBlue);
  img->Canvas()->FillRect(TRect(0, 0, 20, 20));
  f->Show();
  TBitmap shot;
  ui::GrabControl(f, shot);
  TCanvas* c = shot.Canvas();
  EXPECT_EQ(c->Pixel(50, 20), clYellow);
  EXPECT_EQ(c->Pixel(0, 0), ColorToRGB(clBtnHighlight));  // raised bevel
  EXPECT_EQ(c->Pixel(99, 39), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->Pixel(130, 20), clRed);
  EXPECT_EQ(c->Pixel(110, 0), clBlack);  // the shape's pen
  EXPECT_EQ(c->Pixel(165, 5), clBlue);
  EXPECT_EQ(c->Pixel(195, 35), clWhite);
}

// ---- Dialog keys and window titles ----

namespace {

class DialogKeys : public StdTest {
 protected:
  // An edit, an OK button (default) and a Cancel button (cancel).
  TForm* Dialog() {
    TForm* f = NewForm(300, 120);
    f->SetCaption("Choose");
    edit = Place<TEdit>(f, 8, 8, 120, 24);
    ok = Place<TButton>(f, 8, 60, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel = Place<TButton>(f, 100, 60, 75, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    return f;
  }
  TEdit* edit = nullptr;
  TButton* ok = nullptr;
  TButton* cancel = nullptr;
};

TEST_F(DialogKeys, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  struct Row {
    const char* key;
    bool focusCancel;
    int result;
  } rows[] = {{"Return", false, mrOk}, {"Escape", false, mrCancel}, {"Return", true, mrCancel}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    TForm* f = Dialog();
    script.AnswerForm([&](TForm&) {
      if (r.focusCancel) cancel->SetFocus();
      else edit->SetFocus();
      ui::SimulateKey(f, r.key);
    });
    EXPECT_EQ(f->ShowModal(), r.result);
  }
}

// As the window system delivers it, an Alt key is offered to the menu bar's mnemonics
// first; a form previewing keys sees it before them, once.
TEST_F(DialogKeys, APreviewingFormSeesAnAltKeyBeforeTheMenuBarAndOnlyOnce) {
  TForm* f = NewForm(300, 200);
  auto* menu = new TMainMenu(f);
  auto* maps = new TMenuItem(f);
  maps->SetCaption("&Maps");
  auto* choose = new TMenuItem(f);
  choose->SetCaption("Switch");
  maps->Add(choose);
  menu->Items()->Add(maps);
  f->SetMenu(menu);
  f->SetKeyPreview(true);
  edit = Place<TEdit>(f, 8, 8, 120, 24);
  int taken = 0, passed = 0, editKeys = 0;
  f->OnKeyDown = [&](TObject*, WORD& key, TShiftState shift) {
    if (!shift.Contains(ssAlt)) return;
    if (key == 'M') {
      ++taken;
      key = 0;
    } else {
      ++passed;
    }
  };
  edit->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++editKeys; };
  f->Show();
  edit->SetFocus();
  ui::SimulateSystemKey(f, "Alt+M");
  EXPECT_EQ(taken, 1);
  EXPECT_EQ(editKeys, 0);
  ui::SimulateSystemKey(f, "Alt+2");  // no mnemonic: the form, then the edit
  EXPECT_EQ(passed, 1);
  EXPECT_EQ(editKeys, 1);
  ui::SimulateKey(f, "Alt+2");  // a key sent straight to the control is seen once too
  EXPECT_EQ(passed, 2);
  EXPECT_EQ(editKeys, 2);
}

// Menus of one bar that share a mnemonic: the mnemonic pressed again in the open menu
// moves on to the next menu with that letter (wrapping round), unless the open menu has
// an item of that letter; Enter then runs the first item of the menu that is open.
TEST_F(DialogKeys, AMnemonicPressedAgainMovesToTheNextMenuWithThatLetter) {
  TForm* f = NewForm(400, 200);
  auto* menu = new TMainMenu(f);
  std::vector<AnsiString> ran;
  auto add = [&](TMenuItem* to, const char* caption) {
    auto* item = new TMenuItem(f);
    item->SetCaption(caption);
    item->OnClick = [&ran, item](TObject*) { ran.push_back(item->Caption()); };
    to->Add(item);
    return item;
  };
  for (const char* top : {"&Configuration", "&Tables", "&Comms", "T&ools"}) {
    TMenuItem* m = add(menu->Items(), top);
    add(m, ("first of " + StripHotkey(top)).c_str());
    if (AnsiString(top) == "&Tables") add(m, "&Cells");
  }
  f->SetMenu(menu);
  f->Show();
  Application->ProcessMessages();
  struct Row {
    std::vector<const char*> keys;  // the first opens the bar's menu, the rest go to it
    const char* runs;
  } rows[] = {
      {{"Alt+C", "Return"}, "first of Configuration"},
      {{"Alt+C", "Return"}, "first of Configuration"},  // each time, not in turns
      {{"Alt+C", "Alt+C", "Return"}, "first of Comms"},
      {{"Alt+C", "C", "Return"}, "first of Comms"},
      {{"Alt+C", "Alt+C", "Alt+C", "Return"}, "first of Configuration"},
      {{"Alt+O", "Return"}, "first of Tools"},
      {{"Alt+T", "C"}, "&Cells"},  // the open menu's own letter comes first
      {{"Alt+C", "X", "Return"}, "first of Configuration"},
      {{"Alt+C", "Alt", "Return"}, nullptr},  // Alt let go alone closes the menu
  };
  for (const Row& r : rows) {
    // The offscreen platform leaves no window active once a menu has closed; a window
    // system gives activation back to the form.
    Screen->SetActiveForm(nullptr);
    Screen->SetActiveForm(f);
    Application->ProcessMessages();
    ran.clear();
    ui::SimulateSystemKey(f, r.keys[0]);
    for (size_t i = 1; i < r.keys.size(); ++i) ui::SimulateKey(f, r.keys[i]);
    Application->ProcessMessages();
    EXPECT_EQ(ran, r.runs ? std::vector<AnsiString>{r.runs} : std::vector<AnsiString>{})
        << r.keys.size() << " keys from " << r.keys[0];
    ui::SimulateKey(f, "Escape");
    ui::SimulateKey(f, "Escape");
  }
}

// A title opened by its letter while the bar held the keys (another menu shut with Escape)
// leaves the focus on the bar once its command has run and the command's question is
// answered: the keys go back to the control that had them, or, when it can no longer take
// them, to the window's first control in tab order (here inside a panel).
TEST_F(DialogKeys, TheKeysGoBackToTheControlOnceAMenuCommandHasRun) {
  TForm* f = NewForm(400, 200);
  auto* menu = new TMainMenu(f);
  int asked = 0;
  for (const char* top : {"&File", "&ECU"}) {
    auto* title = new TMenuItem(f);
    title->SetCaption(top);
    menu->Items()->Add(title);
    auto* item = new TMenuItem(f);
    item->SetCaption("Read");
    item->OnClick = [&asked](TObject*) {
      ++asked;
      MessageDlg("Read it?", mtConfirmation, {mbOK, mbCancel});
    };
    title->Add(item);
  }
  f->SetMenu(menu);
  auto* panel = Place<TPanel>(f, 8, 8, 200, 40);
  auto* first = new TEdit(f);
  first->SetParent(panel);
  first->SetBounds(4, 4, 120, 24);
  auto* second = Place<TEdit>(f, 8, 60, 120, 24);
  second->SetTabOrder(0);  // before the panel among the form's own controls
  f->Show();
  second->SetFocus();
  Application->ProcessMessages();
  for (TEdit* expected : {second, first}) {
    if (expected == first) second->SetVisible(false);
    script.Answer(mrOk);
    ui::SimulateSystemKey(f, "Alt+E");
    ui::SimulateKey(f, "Escape");
    ui::SimulateSystemKey(f, "Alt+F");
    ui::SimulateKey(f, "Escape");
    ui::SimulateSystemKey(f, "Alt+E");
    ui::SimulateKey(f, "Return");
    Application->ProcessMessages();
    // The offscreen platform leaves no window active once a menu has closed; a window
    // system gives activation back to the form.
    Screen->SetActiveForm(nullptr);
    Screen->SetActiveForm(f);
    Application->ProcessMessages();
    EXPECT_EQ(ui::ControlWithKeys(), expected) << (expected == first ? "first" : "second");
    EXPECT_EQ(f->ActiveControl(), expected);
  }
  EXPECT_EQ(asked, 2);
}

TEST_F(DialogKeys, AMemoKeepsItsReturnsAndAWindowWithoutButtonsClosesWithEscape) {
  TForm* f = Dialog();
  auto* memo = Place<TMemo>(f, 150, 8, 120, 40);
  script.AnswerForm([&](TForm&) {
    memo->SetFocus();
    ui::SimulateKey(f, "Return");
    EXPECT_EQ(f->ModalResult(), mrNone);
    ui::SimulateKey(f, "Escape");
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);

  TForm* bare = NewForm(200, 100);
  script.AnswerForm([&](TForm&) { ui::SimulateKey(bare, "Escape"); });
  EXPECT_EQ(bare->ShowModal(), mrCancel);
}

TEST_F(DialogKeys, TheWindowCarriesItsCaptionFromTheFirstShow) {
  TForm* f = Dialog();  // captioned before it has a window
  f->Show();
  EXPECT_EQ(ui::WindowTitle(f), "Choose");
  f->SetCaption("Again");
  EXPECT_EQ(ui::WindowTitle(f), "Again");
}

}  // namespace
