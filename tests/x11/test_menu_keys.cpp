// Where the keys go after a menu and after a page turn, under a real window manager with the
// main window and the logger open: a menu shut with Escape leaves its title highlighted
// while the bar holds the keys, and a key meant for the window (Ctrl+Tab, Ctrl+PgDn) leaves
// the bar and works; a page turned away from a focused table hands the focus to the first
// control of the new page; the 3-D graph's scroll bars mark the focus; and every menu bar,
// menu and window gives each title, item and button a letter of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "app/Graphs.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/DisplayUnits.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "ecu/IgnAlign.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "link/LiveData.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

// The pixels of a form's menu bar as it shows now.
std::vector<TColor> BarPixels(TForm* f) {
  return Ask<std::vector<TColor>>([f] {
    TBitmap b;
    ui::GrabControl(f, b);
    const int h = f->Menu() != nullptr ? std::min(f->Menu()->BarHeight(), b.Height()) : 0;
    std::vector<TColor> px;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < b.Width(); ++x) px.push_back(b.Canvas()->Pixel(x, y));
    return px;
  });
}

void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

class MenuKeys : public ProgramUser {};

TEST_P(MenuKeys, AMenuShutWithEscapeShowsWhereTheKeysGoAndPageKeysStillWork) {
  TLoggerForm* l = LoggerForm;
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));

    // The logger beside the main window; Alt+D opens its Data menu.
    Press("F12");
    ASSERT_TRUE(WaitFor([l] { return Screen->ActiveForm() == l; }));
    Settle();
    const std::vector<TColor> loggerIdle = BarPixels(l);
    Press("alt+d");
    Settle();
    Press("Down Down Return");  // "Export/Print"
    EXPECT_TRUE(WaitFor([] { return Screen->ActiveForm() == LoggerExportForm; })) << "Alt+D opens the Data menu";
    if (Ask<bool>([] { return LoggerExportForm->Visible(); })) Press("Escape");
    ASSERT_TRUE(WaitFor([l] { return Screen->ActiveForm() == l && !LoggerExportForm->Visible(); }));
    Settle();
    Press("alt+a");
    Settle();
    Press("Escape");
    EXPECT_TRUE(WaitFor([&] { return BarPixels(l) != loggerIdle; }, 3000)) << "the logger's bar shows its title";
    Shot("menu-held-logger");
    Press("ctrl+Tab");
    EXPECT_TRUE(WaitFor([l] { return l->LoggerBook->PageIndex() == 1; })) << "Ctrl+Tab from the bar turns the page";
    EXPECT_TRUE(WaitFor([&] { return BarPixels(l) == loggerIdle; }, 3000)) << "and the bar let the keys go";
    Press("ctrl+Tab");
    ASSERT_TRUE(WaitFor([l] { return l->LoggerBook->PageIndex() == 0; }));

    // Back to the main window, where F3 shows the ignition table, which takes the keys.
    const std::string caption = Ask<std::string>([m] { return std::string(m->Caption().c_str()); });
    const std::string mainId = Output("xdotool search --name '^" + caption + "$' 2>/dev/null | head -n1");
    ASSERT_FALSE(mainId.empty());
    std::system(("xdotool windowactivate " + mainId + " >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m; }));
    Settle();
    Press("F3");
    ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m && m->ActiveControl() == m->ignitiontable; }))
        << Ask<std::string>([m] {
             return std::string(Screen->ActiveForm() ? Screen->ActiveForm()->Name().c_str() : "none") + " " +
                    (m->ActiveControl() ? m->ActiveControl()->Name().c_str() : "none") + " page " +
                    std::to_string(m->Notebook1->PageIndex());
           });
    Settle();
    auto row = [](TStringAlignGrid* g) { return Ask<int>([g] { return g->Row(); }); };
    const int ignitionRow = row(m->ignitiontable);
    Press("Down");
    EXPECT_TRUE(WaitFor([&] { return m->ignitiontable->Row() == ignitionRow + 1; }));
    const std::vector<TColor> mainIdle = BarPixels(m);

    // Alt+F, Escape: the "File" title shows that the bar holds the keys; Ctrl+Tab leaves the
    // bar, turns to the injection page and its table takes the keys.
    Press("alt+f");
    Settle();
    Press("Escape");
    EXPECT_TRUE(WaitFor([&] { return BarPixels(m) != mainIdle; }, 3000)) << "the highlighted title shows";
    Shot("menu-held-main");
    Press("ctrl+Tab");
    EXPECT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 3 && m->ActiveControl() == m->injectiontable; }))
        << Ask<std::string>([m] { return std::string(m->ActiveControl() ? m->ActiveControl()->Name().c_str() : "none"); });
    EXPECT_TRUE(WaitFor([&] { return BarPixels(m) == mainIdle; }, 3000)) << "the bar let the keys go";
    const int injectionRow = row(m->injectiontable);
    Press("Down");
    EXPECT_TRUE(WaitFor([&] { return m->injectiontable->Row() == injectionRow + 1; })) << "Down works on the new page";
    Shot("page-turned-main");

    // The second Escape hands the keys back to the window; Ctrl+PgUp then turns back to the
    // ignition page and its table has them again.
    Press("alt+f");
    Settle();
    Press("Escape Escape");
    EXPECT_TRUE(WaitFor([&] { return BarPixels(m) == mainIdle; }, 3000));
    Press("ctrl+Prior");
    EXPECT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 2 && m->ActiveControl() == m->ignitiontable; }));
    Press("Down");
    EXPECT_TRUE(WaitFor([&] { return m->ignitiontable->Row() == ignitionRow + 2; }));

    // The bar that holds the keys is walked by them: Right to "Maps", Down opens it, and its
    // "Plot graph" opens the graph.
    Press("alt+f");
    Settle();
    Press("Escape Right Down");
    Settle();
    Press("p");
    EXPECT_TRUE(WaitFor([] { return Graph->Visible(); })) << "the arrows walk the held bar";
    if (Ask<bool>([] { return Graph->Visible(); })) {
      Ask<bool>([] {
        Graph->Hide();
        return true;
      });
      std::system(("xdotool windowactivate " + mainId + " >/dev/null 2>&1").c_str());
      ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m; }));
      Settle();
    }

    // Ctrl+PgDn from the bar as well.
    Press("alt+f");
    Settle();
    Press("Escape");
    Press("ctrl+Next");
    EXPECT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 3 && m->ActiveControl() == m->injectiontable; }));

    // A tab strip that has the focus keeps it while it turns the pages.
    int presses = 0;
    while (presses < 150 && !Ask<bool>([m] { return m->ActiveControl() == m->TabSet1; })) {
      Press("Tab");
      ++presses;
    }
    ASSERT_TRUE(Ask<bool>([m] { return m->ActiveControl() == m->TabSet1; }));
    const int page = Ask<int>([m] { return m->Notebook1->PageIndex(); });
    Press("ctrl+Tab");
    EXPECT_TRUE(WaitFor([&] { return m->Notebook1->PageIndex() != page && m->ActiveControl() == m->TabSet1; }));

    // The configuration editor and the additional tables, modal over the main window: from a
    // control on a page, Ctrl+Tab leaves the focus on a control of the next page that shows
    // it; the editor's menu shut with Escape shows its title as well.
    struct Modal {
      const char *menu, *item;
      TForm* form;
      TNotebook* book;
    };
    const Modal modals[] = {{"c", "e", SetupForm, SetupForm->SetupBook},
                            {"t", "a", AdditionalMaps, AdditionalMaps->AdditionalBook}};
    for (const Modal& w : modals) {
      SCOPED_TRACE(w.form->Name().c_str());
      Press(std::string("alt+") + w.menu);
      Settle();
      Press(w.item);
      ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == w.form; }));
      Settle();
      auto onPage = [&] {
        TWinControl* a = w.form->ActiveControl();
        // (a page's own tab strip would turn its own tabs)
        return a != nullptr && a != w.book && w.book->ContainsControl(a) && a->CanFocus() &&
               dynamic_cast<TTabSet*>(a) == nullptr;
      };
      for (int i = 0; i < 60 && !Ask<bool>(onPage); ++i) Press("Tab");
      ASSERT_TRUE(Ask<bool>(onPage)) << "Tab never reached a control of the page";
      const int before = Ask<int>([&] { return w.book->PageIndex(); });
      if (w.form->Menu() != nullptr) {
        const std::vector<TColor> idle = BarPixels(w.form);
        Press("alt+f");
        Settle();
        Press("Escape");
        EXPECT_TRUE(WaitFor([&] { return BarPixels(w.form) != idle; }, 3000)) << "the highlighted title shows";
        Shot(std::string("menu-held-") + w.form->Name().c_str());
      }
      Press("ctrl+Tab");
      EXPECT_TRUE(WaitFor([&] { return w.book->PageIndex() == before + 1 && onPage(); }))
          << Ask<std::string>([&] {
               return std::string(w.form->ActiveControl() ? w.form->ActiveControl()->Name().c_str() : "none");
             });
      Press("Escape");
      ASSERT_TRUE(WaitFor([&] { return !w.form->Visible(); }));
      ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m; }));
    }
    Ask<bool>([l] {
      l->Hide();
      return true;
    });
  });
}

// Tab reaches both of the graph's scroll bars, and each shows that it has the focus.
TEST_P(MenuKeys, TheGraphsScrollBarsMarkTheFocus) {
  TGraph* g = Graph;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("alt+a");
    Settle();
    Press("p");  // "Plot graph"
    ASSERT_TRUE(WaitFor([g] { return Screen->ActiveForm() == g; }));
    Settle();
    for (TScrollBar* bar : {g->RotationBar, g->ElevationBar}) {
      SCOPED_TRACE(bar->Name().c_str());
      auto on = [g, bar] { return g->ActiveControl() == static_cast<TWinControl*>(bar); };
      for (int i = 0; i < 40 && Ask<bool>(on); ++i) Press("Tab");
      Settle();
      const auto unmarked = Picture(bar);
      for (int i = 0; i < 40 && !Ask<bool>(on); ++i) Press("Tab");
      ASSERT_TRUE(Ask<bool>(on)) << "Tab never reached the bar";
      Settle();
      EXPECT_FALSE(SamePicture(*unmarked, *Picture(bar))) << "the focused bar shows a mark";
      Shot(std::string("graph-") + bar->Name().c_str());
    }
    Ask<bool>([g] {
      g->Hide();
      return true;
    });
  });
}

// The windows whose buttons got their letters, opened from the tools menu and shut by the
// letter of their Close or Cancel button.
TEST_P(MenuKeys, TheAlignmentAndUnitsWindowsAreShutByTheirButtonsLetters) {
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    struct Window {
      const char* item;  // keys in the tools menu
      TForm* form;
      const char* shut;
    };
    const Window windows[] = {{"Down Return", IgnAlignForm, "alt+c"},
                              {"Down Down Return", Alignment, "alt+c"},
                              {"Down Down Down Return", UnitsForm, "alt+c"}};
    for (const Window& w : windows) {
      SCOPED_TRACE(w.form->Name().c_str());
      Press("alt+o");
      Settle();
      Press(w.item);
      ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == w.form; }));
      Settle();
      Shot(std::string("letters-") + w.form->Name().c_str());
      Press(w.shut);
      EXPECT_TRUE(WaitFor([&] { return !w.form->Visible(); }));
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    }
  });
}

// The throttle wizard driven by its OK button's letter through a sweep: once it has sent the
// settings, Cancel is gone and OK closes it.
TEST_P(MenuKeys, TheThrottleWizardDropsCancelOnceItSends) {
  config::TAlignment* w = Alignment;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    Press("alt+o");
    Settle();
    Press("Down Down Return");
    ASSERT_TRUE(WaitFor([w] { return Screen->ActiveForm() == w; }));
    Settle();
    Press("alt+o");
    ASSERT_TRUE(WaitFor([w] { return w->Step() == 1; }));
    EXPECT_TRUE(Ask<bool>([w] { return w->cancel->Visible(); }));
    for (int counts : {120, 900, 130}) {
      sim_.With([counts](ecusim::Ecu& e) { e.State().fast.throttleCounts = static_cast<uint16_t>(counts); });
      EXPECT_TRUE(WaitFor([w, counts] { return w->sensor_number->Caption() == IntToStr(counts); }));
    }
    Press("alt+o");
    ASSERT_TRUE(WaitFor([w] { return w->Step() == 2; }));
    EXPECT_TRUE(Ask<bool>([w] { return w->cancel->Visible(); })) << "Cancel still leaves before sending";
    Press("alt+o");
    ASSERT_TRUE(WaitFor([w] { return w->Step() == 3; }, 5000));
    EXPECT_TRUE(WaitFor([w] { return !w->cancel->Visible(); }));
    Settle();
    Shot("throttle-sent");
    Press("alt+o");
    EXPECT_TRUE(WaitFor([w] { return !w->Visible(); }));
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, MenuKeys, ::testing::Values("1024x768x24", "1600x1000x24"));

// The same hand-over in the platform's two kinds of pages, on a window of their own: a page
// control (its tab strip is the control itself) and a tab strip paired with a notebook. The
// first control of the new page takes the focus; a page with none leaves it with the page
// control, or gives it to the strip beside the notebook; focus outside the pages stays
// where it is.
TEST(PageTurnFocus, TheFirstControlOfTheNewPageTakesTheFocus) {
  XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  auto* form = new TForm(nullptr);
  form->SetCaption("Page turns");
  form->SetBounds(100, 100, 640, 300);
  auto edit = [form](TWinControl* on, int left) {
    auto* e = new TEdit(form);
    e->SetParent(on);
    e->SetBounds(left, 10, 80, 22);
    return e;
  };
  // A page control with an edit on its first two pages and only a label on the third, on a
  // panel, so that the keys from the notebook's pages turn the strip beside the notebook.
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 300, 200);
  auto* pc = new TPageControl(form);
  pc->SetParent(panel);
  pc->SetBounds(0, 0, 300, 200);
  TTabSheet* sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = new TTabSheet(form);
    sheets[i]->SetCaption(AnsiString("Sheet ") + IntToStr(i));
    sheets[i]->SetPageControl(pc);
  }
  TEdit* sheetEdit[2] = {edit(sheets[0], 10), edit(sheets[1], 100)};
  (new TLabel(form))->SetParent(sheets[2]);
  pc->SetActivePage(sheets[0]);
  // A tab strip turning a notebook of the same three pages, and a button after it.
  auto* tabs = new TTabSet(form);
  tabs->SetParent(form);
  tabs->SetBounds(320, 220, 300, 21);
  auto* book = new TNotebook(form);
  book->SetParent(form);
  book->SetBounds(320, 10, 300, 200);
  book->Pages()->Add("B");
  book->Pages()->Add("C");
  for (const char* t : {"A", "B", "C"}) tabs->Tabs()->Add(t);
  tabs->OnClick = [tabs, book](TObject*) { book->SetPageIndex(tabs->TabIndex()); };
  TEdit* pageEdit[2] = {edit(book->Page(0), 10), edit(book->Page(1), 100)};
  (new TLabel(form))->SetParent(book->Page(2));
  auto* after = new TButton(form);
  after->SetParent(form);
  after->SetBounds(10, 240, 80, 25);
  after->SetCaption("After");
  form->Show();
  ASSERT_TRUE(PumpUntil([form] { return Screen->ActiveForm() == form && WaitActive("Page turns", 20); }, 10000));

  struct Step {
    TWinControl* from;  // focused before the key (nullptr: where the last step left it)
    TWinControl* to;
    int sheet, page;  // the pages shown after it
  };
  const Step steps[] = {
      {sheetEdit[0], sheetEdit[1], 1, 0},  // to the edit of the new page
      {nullptr, pc, 2, 0},                 // a page with nothing to focus: the page control keeps it
      {nullptr, pc, 0, 0},                 // the strip had it: it keeps it
      {pageEdit[0], pageEdit[1], 0, 1},
      {nullptr, tabs, 0, 2},  // nothing on the page: the strip that turns the pages
      {nullptr, tabs, 0, 0},  // the strip had it: it keeps it
      {after, after, 0, 1},   // the focus was not on the pages: it stays
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(&s - steps);
    if (s.from != nullptr) {
      s.from->SetFocus();
      ASSERT_TRUE(PumpUntil([&] { return form->ActiveControl() == s.from; }));
    }
    Press("ctrl+Tab");
    EXPECT_TRUE(PumpUntil([&] {
      return pc->ActivePageIndex() == s.sheet && book->PageIndex() == s.page && form->ActiveControl() == s.to;
    })) << "pages " << pc->ActivePageIndex() << ", " << book->PageIndex() << ", focus on "
        << (form->ActiveControl() ? form->ActiveControl()->ClassName() : "none");
  }
  form->Hide();
  delete form;
  Application->ProcessMessages();
}

// The letters of every window of the program: no two titles of a menu bar, no two items of
// one menu (the bar's menus, their submenus and the pop-up menus) and no two buttons of a
// window share one, every title has one, and so does every button of the windows listed
// below. A letter the window takes for itself is no title's.
class Mnemonics : public ProgramUser {};

// Items of one menu that share a letter because both captions are given so (the letter
// then moves between them, and Enter chooses).
bool SharedOnPurpose(const AnsiString& a, const AnsiString& b) {
  static const std::pair<const char*, const char*> kShared[] = {{"&VTEC switch", "&VVT"}};
  for (const auto& [x, y] : kShared)
    if ((a == x && b == y) || (a == y && b == x)) return true;
  return false;
}

// Checks the items of one menu, then each submenu's.
void CheckMenuLetters(const TMenuItem* menu, const std::string& where) {
  std::vector<const TMenuItem*> byLetter[256];
  for (int k = 0; k < menu->Count(); ++k) {
    const TMenuItem* item = menu->Items(k);
    if (!item->Visible() || item->IsLine()) continue;
    if (const char h = GetHotkey(item->Caption()); h != 0) {
      for (const TMenuItem* other : byLetter[static_cast<unsigned char>(h)])
        EXPECT_TRUE(SharedOnPurpose(item->Caption(), other->Caption()))
            << where << ": " << item->Caption().c_str() << " and " << other->Caption().c_str() << " share " << h;
      byLetter[static_cast<unsigned char>(h)].push_back(item);
    }
    if (item->Count() > 0) CheckMenuLetters(item, where + " > " + StripHotkey(item->Caption()).c_str());
  }
}

TEST_P(Mnemonics, EveryTitleAndButtonHasALetterOfItsOwn) {
  struct Rule {
    TForm* form;
    bool everyButton;   // each button must have a letter
    char bound;         // Alt and this letter belong to the window itself
  };
  const Rule rules[] = {{R7Tform1, false, 'M'}, {IgnAlignForm, true, 0}, {Alignment, true, 0}, {UnitsForm, true, 0}};
  ASSERT_GT(Screen->FormCount(), 20);
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* f = Screen->Forms(i);
    SCOPED_TRACE(f->Name().c_str());
    Rule rule{f, false, 0};
    for (const Rule& r : rules)
      if (r.form == f) rule = r;
    std::set<char> buttons;
    for (int c = 0; c < f->ComponentCount(); ++c) {
      TComponent* comp = f->Components(c);
      if (auto* menu = dynamic_cast<TMainMenu*>(comp)) {
        std::set<char> titles;
        for (int k = 0; k < menu->Items()->Count(); ++k) {
          const TMenuItem* t = menu->Items()->Items(k);
          if (!t->Visible() || t->IsLine()) continue;
          const char h = GetHotkey(t->Caption());
          EXPECT_NE(h, 0) << "title " << t->Caption().c_str() << " has no letter";
          EXPECT_TRUE(h == 0 || titles.insert(h).second) << "title " << t->Caption().c_str() << " shares its letter";
          EXPECT_TRUE(h == 0 || h != rule.bound) << "title " << t->Caption().c_str() << " takes the window's own key";
          CheckMenuLetters(t, StripHotkey(t->Caption()).c_str());
        }
        continue;
      }
      if (auto* popup = dynamic_cast<TPopupMenu*>(comp)) {
        CheckMenuLetters(popup->Items(), popup->Name().c_str());
        continue;
      }
      AnsiString caption;
      if (auto* b = dynamic_cast<TButton*>(comp)) caption = b->Caption();
      else if (auto* s = dynamic_cast<TSpeedButton*>(comp)) caption = s->Caption();
      else continue;
      const char h = GetHotkey(caption);
      EXPECT_TRUE(h != 0 || !rule.everyButton) << "button " << caption.c_str() << " has no letter";
      EXPECT_TRUE(h == 0 || buttons.insert(h).second) << "button " << caption.c_str() << " shares its letter";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, Mnemonics, ::testing::Values("1024x768x24"));

}  // namespace
