// The pages of the program's notebooks worked from the keyboard alone under a real window
// manager, the main window open behind the others: Ctrl+Tab and Ctrl+PgDn step to the next
// page and Ctrl+Shift+Tab and Ctrl+PgUp to the previous one, round past either end; Tab
// reaches the tab strip, which then shows a focus mark, and Left and Right choose the page.
#include <gtest/gtest.h>

#include "config/Additonl.h"
#include "config/setup.h"
#include "logger/logger.h"
#include "platform/stdctrls/Tabs.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

class PageKeys : public ProgramUser {
 protected:
  // Opens a menu of the main window by its letter and chooses an item by its letter.
  static void Command(const std::string& menu, const std::string& item) {
    Press("alt+" + menu);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press(item);
  }

  // Presses each key and checks the page it leads to: the notebook's page and the strip's
  // tab agree.
  static void Steps(TNotebook* book, TTabSet* tabs, const std::vector<std::pair<const char*, int>>& steps) {
    for (const auto& [key, page] : steps) {
      Press(key);
      EXPECT_TRUE(WaitFor([=] { return book->PageIndex() == page && tabs->TabIndex() == page; }, 5000))
          << key << " to page " << page << ", at " << Ask<int>([=] { return book->PageIndex(); });
    }
  }
};

TEST_P(PageKeys, EveryNotebookStepsItsPagesByKey) {
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    const int last = Ask<int>([m] { return m->TabSet1->Tabs()->Count() - 1; });
    Steps(m->Notebook1, m->TabSet1,
          {{"ctrl+Tab", 1}, {"ctrl+Next", 2}, {"ctrl+Prior", 1}, {"ctrl+shift+Tab", 0}, {"ctrl+shift+Tab", last},
           {"ctrl+Tab", 0}, {"ctrl+Prior", last}, {"ctrl+Next", 0}});

    // Tab goes round the window's controls to the tab strip.
    int presses = 0;
    while (presses < 150 && !Ask<bool>([m] { return m->ActiveControl() == m->TabSet1; })) {
      Press("Tab");
      ++presses;
    }
    ASSERT_TRUE(Ask<bool>([m] { return m->ActiveControl() == m->TabSet1; })) << "Tab never reached the tab strip";
    const auto focused = Picture(m->TabSet1);
    Shot("pages-main-strip");
    Steps(m->Notebook1, m->TabSet1, {{"Right", 1}, {"Right", 2}, {"Left", 1}, {"End", last}, {"Home", 0}});
    EXPECT_TRUE(Ask<bool>([m] { return m->ActiveControl() == m->TabSet1; })) << "the strip keeps the focus";
    Press("shift+Tab");
    ASSERT_TRUE(WaitFor([m] { return m->ActiveControl() != m->TabSet1; }));
    EXPECT_FALSE(SamePicture(*focused, *Picture(m->TabSet1))) << "the focused strip shows a mark";

    // The configuration editor and the additional tables, shown modally over the main window.
    struct Modal {
      const char *menu, *item;
      TForm* form;
      TNotebook* book;
      TTabSet* tabs;
    };
    const Modal modals[] = {
        {"c", "e", SetupForm, SetupForm->SetupBook, SetupForm->TabSet},
        {"t", "a", AdditionalMaps, AdditionalMaps->AdditionalBook, AdditionalMaps->TabSet},
    };
    for (const Modal& w : modals) {
      SCOPED_TRACE(w.form->Name().c_str());
      Command(w.menu, w.item);
      ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == w.form; }));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      const int end = Ask<int>([&] { return w.tabs->Tabs()->Count() - 1; });
      Steps(w.book, w.tabs,
            {{"ctrl+Tab", 1}, {"ctrl+Next", 2}, {"ctrl+shift+Tab", 1}, {"ctrl+Prior", 0}, {"ctrl+Prior", end},
             {"ctrl+Tab", 0}});
      presses = 0;
      while (presses < 60 && !Ask<bool>([&] { return w.form->ActiveControl() == w.tabs; })) {
        Press("Tab");
        ++presses;
      }
      ASSERT_TRUE(Ask<bool>([&] { return w.form->ActiveControl() == w.tabs; })) << "Tab never reached the tab strip";
      Steps(w.book, w.tabs, {{"Right", 1}, {"Left", 0}});
      Shot(std::string("pages-") + w.form->Name().c_str());
      EXPECT_EQ(Ask<int>([m] { return m->Notebook1->PageIndex(); }), 0) << "the main window's page stays";
      Press("Escape");
      ASSERT_TRUE(WaitFor([&] { return !w.form->Visible(); }));
    }

    // The logger, beside the main window.
    TLoggerForm* l = LoggerForm;
    Press("F12");
    ASSERT_TRUE(WaitFor([l] { return Screen->ActiveForm() == l; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Steps(l->LoggerBook, l->TabSet, {{"ctrl+Tab", 1}, {"ctrl+Tab", 0}, {"ctrl+Prior", 1}, {"ctrl+Next", 0}});
    presses = 0;
    while (presses < 60 && !Ask<bool>([l] { return l->ActiveControl() == l->TabSet; })) {
      Press("Tab");
      ++presses;
    }
    ASSERT_TRUE(Ask<bool>([l] { return l->ActiveControl() == l->TabSet; })) << "Tab never reached the tab strip";
    Steps(l->LoggerBook, l->TabSet, {{"Right", 1}, {"Left", 0}});
    Shot("pages-logger");
    Ask<bool>([l] {
      l->Hide();
      return true;
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, PageKeys, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace
