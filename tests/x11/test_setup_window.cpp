// The configuration editor under a real window manager: every page's radio groups hold
// their buttons below the caption their frame draws, with the windows made as the editor
// is first shown rather than as its form is read. The traction-control window's pages hold
// their gauges clear of each other, and its toggle switches follow the mouse. With
// CQ5_SCREENSHOT_DIR set, every page is captured from the screen for a look by eye.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "config/TCSetup.h"
#include "config/setup.h"
#include "gauges/AbSwitch.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;
using x11test::PumpUntil;

class SetupWindow : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing, GetParam())) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    CreateProgramForms();
  }
  void TearDown() override {
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
  }
  void Shot(const std::string& name, TForm* form = SetupForm) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    PumpUntil([] { return false; }, 150);
    const std::string file = std::string(dir) + "/" + name + ".png";
    if (std::system(("import -window root '" + file + "' 2>/dev/null").c_str()) != 0)
      ui::GrabToPng(form, file.c_str());
  }
  x11test::XSession x_;
};

// The radio groups among `c` and its children, with the top of their highest button.
void CheckRadioGroups(TWinControl* c, int page) {
  for (int i = 0; i < c->ControlCount(); ++i) {
    TControl* child = c->Controls(i);
    if (auto* g = dynamic_cast<TRadioGroup*>(child); g && g->Visible() && g->ControlCount() > 0) {
      int top = g->Height();
      for (int b = 0; b < g->ControlCount(); ++b) top = std::min(top, g->Controls(b)->Top());
      EXPECT_GE(top, 12) << g->Name() << " on page " << page;
    }
    if (auto* w = dynamic_cast<TWinControl*>(child)) CheckRadioGroups(w, page);
  }
}

TEST_P(SetupWindow, RadioGroupsKeepTheirButtonsBelowTheCaption) {
  TSetupForm* s = SetupForm;
  // Started, the program has not made the editor's windows: they come with its first show.
  EXPECT_FALSE(s->HandleAllocated());
  s->SetLeft(20);
  s->SetTop(20);
  s->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name '" + std::string(s->Caption().c_str()) + "' 2>/dev/null").empty();
  })) << s->Caption().c_str() << " visible " << s->Visible() << " at " << s->Left() << "," << s->Top() << " " << s->Width() << "x" << s->Height();
  const std::string screen = std::string(GetParam()).substr(0, std::string(GetParam()).find('x', 5));
  for (int page = 0; page < s->TabSet->Tabs()->Count(); ++page) {
    s->TabSet->SetTabIndex(page);
    s->TabSetClick(s->TabSet);
    Application->ProcessMessages();
    CheckRadioGroups(s, page);
    Shot(screen + "-setup-page" + (page < 10 ? "0" : "") + std::to_string(page));
  }
  s->Hide();
}

// The traction-control setup, whose menu bar also comes with its window.
TEST_P(SetupWindow, TractionControlSetupShowsWithItsMenuBar) {
  TTCSetupForm* t = TCSetupForm;
  EXPECT_FALSE(t->HandleAllocated());
  const int clientHeight = t->ClientHeight();
  t->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name '" + std::string(t->Caption().c_str()) + "' 2>/dev/null").empty();
  }));
  EXPECT_GT(t->MenuBarHeight(), 0);
  EXPECT_EQ(t->ClientHeight(), clientHeight);
  Shot(std::string(GetParam()).substr(0, std::string(GetParam()).find('x', 5)) + "-tcsetup", t);
  t->Hide();
}

// The visible controls of the form on `parent` stay inside it and none covers another; the
// same inside every container among them. (Unnamed parts of a compound control, such as a
// spin edit's buttons, are its own business.)
void CheckNothingCovered(TWinControl* parent, const std::string& where) {
  std::vector<TControl*> shown;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (parent->Controls(i)->Visible() && !parent->Controls(i)->Name().empty()) shown.push_back(parent->Controls(i));
  const TRect room = parent->ClientRect();
  for (size_t i = 0; i < shown.size(); ++i) {
    const TRect r = shown[i]->BoundsRect();
    EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= room.Right && r.Bottom <= room.Bottom)
        << shown[i]->Name() << " leaves " << where;
    for (size_t j = i + 1; j < shown.size(); ++j) {
      const TRect o = shown[j]->BoundsRect();
      EXPECT_FALSE(r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom)
          << shown[i]->Name() << " and " << shown[j]->Name() << " meet on " << where;
    }
    if (auto* w = dynamic_cast<TWinControl*>(shown[i])) CheckNothingCovered(w, where);
  }
}

int TextWidth(TControl* c, const AnsiString& text) {
  TBitmap b;
  b.SetSize(1, 1);
  b.Canvas()->Font()->Assign(c->Font());
  return b.Canvas()->TextWidth(text);
}

TEST_P(SetupWindow, TractionControlGaugesStandClearAndItsSwitchesFollowTheMouse) {
  TTCSetupForm* t = TCSetupForm;
  t->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name '" + std::string(t->Caption().c_str()) + "' 2>/dev/null").empty();
  }));
  const std::string screen = std::string(GetParam()).substr(0, std::string(GetParam()).find('x', 5));
  for (int page = 0; page < t->TabSet->Tabs()->Count(); ++page) {
    t->TabSet->SetTabIndex(page);
    t->TabSetClick(t->TabSet);
    Application->ProcessMessages();
    CheckNothingCovered(t->TCSetupBook->Page(page), "page " + std::to_string(page));
    Shot(screen + "-tcsetup-page" + std::to_string(page), t);
  }
  // Each switch's texts fit the half of its face that the button leaves free.
  for (TAbToggleSwitch* sw : {t->AbToggleSwitch1, t->AbToggleSwitch2})
    for (const AnsiString& text : {sw->TextOff(), sw->TextOn()})
      EXPECT_LE(TextWidth(sw, text) + 4, sw->SwitchRect().Width() / 2) << sw->Name() << " " << text.c_str();

  // The clutch switch, pressed as a user presses it: only a press on the half away from
  // the button moves it.
  t->TabSet->SetTabIndex(4);
  t->TabSetClick(t->TabSet);
  Application->ProcessMessages();
  TAbToggleSwitch* sw = t->AbToggleSwitch1;
  auto press = [&](int x) {
    const TPoint p = sw->ClientToScreen(TPoint{x, sw->Height() / 2});
    std::system(("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1 >/dev/null 2>&1").c_str());
    // Apart by more than a double click's time, so that each press is one of its own.
    x11test::PumpFor(700);
  };
  const int left = sw->Width() / 4, right = sw->Width() * 3 / 4;
  press(left);
  EXPECT_FALSE(sw->Checked());
  press(right);
  EXPECT_TRUE(sw->Checked());
  Shot(screen + "-tcsetup-clutch-down", t);
  press(right);
  EXPECT_TRUE(sw->Checked());
  press(left);
  EXPECT_FALSE(sw->Checked());
  EXPECT_FALSE(t->AbToggleSwitch2->Checked());
  t->Hide();
}

INSTANTIATE_TEST_SUITE_P(Screens, SetupWindow, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace
