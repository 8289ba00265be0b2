// The places bar in a real open dialog under a window manager: a button shows its edges
// while the mouse is over it, a bar with more places than fit scrolls with its arrows, a
// click on a place scrolled into view opens its folder, and the place's Properties choose
// another icon from its library. With CQ5_SCREENSHOT_DIR set, the
// dialog is captured at each step.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "controls/ApAddPlace.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApPlacesBar.h"
#include "platform/ui/Application.h"
#include "platform/ui/Timer.h"
#include "x11/XSession.h"

namespace {

void Shot(const std::string& name) {
  const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
  if (dir == nullptr) return;
  std::system(("import -window root '" + std::string(dir) + "/places-" + name + ".png' 2>/dev/null").c_str());
}

void MouseTo(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen({x, y});
  std::system(("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " >/dev/null 2>&1").c_str());
}

TEST(PlacesBarX11, HoverScrollAndOpenAPlace) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("cq5places" + std::to_string(getpid()));
  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("Places test");
  dlg.InitialDir = dir.string();
  dlg.Filter = "All files|*";
  dlg.PlacesBar()->Visible = true;
  for (int i = 1; i <= 12; ++i) {
    const auto sub = dir / ("place" + std::to_string(i));
    std::filesystem::create_directories(sub);
    TApPlace* p = dlg.PlacesBar()->Places()->Add();
    p->PlacePath = sub.string();
    p->AutoCaption = true;
    p->PlaceIconDll = "Shell32.dll";
    p->PlaceIcon = 3;
    p->PlaceHotIcon = 4;
  }
  AnsiString opened;
  dlg.OnFolderChange = [&](TObject*) { opened = dlg.GetFolderPath(); };

  // Each tick of the timer takes one step while the dialog runs its own loop; the input a
  // step sends is handled before the next tick looks at what it did.
  bool hot = false, leftCold = false, scrolled = false, lastOpened = false, formShown = false, iconChosen = false,
       stillDown = false;
  int tick = 0, step = 0, arrowClicks = 0;
  TTimer timer(nullptr);
  timer.SetInterval(250);
  timer.OnTimer = [&](TObject*) {
    TApPlacesBarFrm* bar = dlg.PlacesBarForm();
    // The first ticks let the window manager map and activate the dialog.
    if (bar == nullptr || ++tick < 4) return;
    switch (step++) {
      case 0: MouseTo(bar->Buttons(1), 40, 20); break;
      case 1:
        hot = bar->Buttons(1)->Hot() && !bar->Buttons(0)->Hot();
        Shot("hover");
        MouseTo(bar->Buttons(0), 40, 20);
        break;
      case 2:
        leftCold = !bar->Buttons(1)->Hot() && bar->Buttons(0)->Hot();
        MouseTo(bar->DownArrow(), 40, 5);
        break;
      case 3:
        // One press of the down arrow a tick, until the bar is at its end.
        if (bar->ScrollPos() < bar->MaxScrollPos() && ++arrowClicks < 20) {
          std::system("xdotool click 1 >/dev/null 2>&1");
          --step;
          break;
        }
        scrolled = bar->ScrollPos() == bar->MaxScrollPos() && bar->ScrollPos() > 0;
        Shot("scrolled");
        MouseTo(bar->Buttons(11), 40, 20);
        break;
      case 4: std::system("xdotool click 1 >/dev/null 2>&1"); break;
      case 5:
        lastOpened = opened == (dir / "place12").string() && bar->Buttons(11)->Down();
        Shot("opened");
        std::system("xdotool click 3 >/dev/null 2>&1");  // the place's menu
        break;
      case 6: std::system("xdotool key Up Return >/dev/null 2>&1"); break;  // "Properties..."
      case 7: {
        auto* form = dynamic_cast<TApAddPlaceFrm*>(Screen->ActiveForm());
        if (form == nullptr) {
          if (tick < 60) --step;
          break;
        }
        formShown = form->NormalGrid->IconCount() > 6 && form->NormalGrid->IconIndex() == 3;
        Shot("form");
        // The grid shows the chosen icon first: the drive three columns on.
        MouseTo(form->NormalGrid, 3 * TApIconGrid::CellSize + 20, 20);
        std::system("xdotool click 1 >/dev/null 2>&1");
        break;
      }
      case 8:
        if (auto* form = dynamic_cast<TApAddPlaceFrm*>(Screen->ActiveForm())) {
          Shot("form-chosen");
          MouseTo(form->OkButton, 20, 10);
          std::system("xdotool click 1 >/dev/null 2>&1");
        }
        break;
      case 9:
        iconChosen = dlg.PlacesBar()->Places()->Items(11)->PlaceIcon == 6;
        if (!iconChosen && tick < 80) {
          --step;
          break;
        }
        stillDown = bar->Buttons(11)->Down();
        MouseTo(bar->Buttons(10), 40, 20);  // the edited button shows its normal icon
        break;
      case 10:
        Shot("edited");
        std::system("xdotool key Escape >/dev/null 2>&1");
        break;
      default: std::system("xdotool key Escape >/dev/null 2>&1");
    }
  };
  timer.SetEnabled(true);
  EXPECT_FALSE(dlg.Execute());
  timer.SetEnabled(false);
  EXPECT_TRUE(hot) << "the button under the mouse shows its edges";
  EXPECT_TRUE(leftCold) << "a button the mouse left shows them no more";
  EXPECT_TRUE(scrolled) << "the down arrow scrolls to the last place";
  EXPECT_TRUE(lastOpened) << "the last place, scrolled into view, opens its folder";
  EXPECT_TRUE(formShown) << "its Properties show the library's icons with its own chosen";
  EXPECT_TRUE(iconChosen) << "a click on another icon and OK give the place that icon";
  EXPECT_TRUE(stillDown) << "the edited place is still the folder shown";
  std::filesystem::remove_all(dir);
}

}  // namespace
