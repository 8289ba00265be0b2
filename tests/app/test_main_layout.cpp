// The main window after resizes: whole grid cells at every size, the grids that belong
// together on one geometry, no drift over repeated resizes and maximise/restore.
// With LAYOUT_SHOTS=<folder> the window is also saved as a picture at each size.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <cstdlib>
#include <map>
#include <string>

#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/ElastFrm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace {

class MainLayout : public ProgramWindowsTest {
 protected:
  // The sizes below stand for any size a user could give the window: the window's own
  // proportion keeping and its limits on the small offscreen screen are left out here
  // (tests/x11/test_main_elastic.cpp drives them on real screens).
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    f_->ElasticForm1->SetMaintainProportions(false);
  }
  void ResizeTo(int w, int h) {
    f_->SetBounds(0, 0, w, h);
    Application->ProcessMessages();
    f_->ElasticForm1->FlushPendingResize();
    Application->ProcessMessages();
  }
  void Shot(const std::string& name) {
    if (const char* dir = std::getenv("LAYOUT_SHOTS"))
      for (int page : {1, 2, 4, 6, 7}) {
        f_->TabSet1->SetTabIndex(page);
        f_->TabSet1Click(f_->TabSet1);
        Application->ProcessMessages();
        ui::GrabToPng(f_, AnsiString(dir) + "/" + name + "-p" + std::to_string(page) + ".png");
      }
  }
  // Every control's bounds, by name.
  std::map<std::string, TRect> Geometry() const {
    std::map<std::string, TRect> g;
    for (int i = 0; i < f_->ComponentCount(); ++i)
      if (auto* c = dynamic_cast<TControl*>(f_->Components(i)); c && !c->Name().empty()) g[c->Name()] = c->BoundsRect();
    return g;
  }
  ui::DialogScript script;
};

TEST_F(MainLayout, GridsHoldWholeCellsAtEverySize) {
  ShowMainWindow(script);
  for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1280, 800}, std::pair{1280, 1024}, std::pair{1920, 1080}, std::pair{700, 520}}) {
    ResizeTo(w, h);
    TStringAlignGrid* ign = f_->ignitiontable;
    const int cell = ign->ColWidths(2) + 1;
    const bool vscroll = ign->VisibleRowCount() + ign->FixedRows() < ign->RowCount();
    const int cells = ign->Width() - (vscroll ? 17 : 0);
    EXPECT_EQ(cells % cell, 0) << w << "x" << h << ": the main grid ends on a cell edge";
    EXPECT_LE(ign->Left() + ign->Width(), f_->Notebook1->Width()) << w << "x" << h;
    EXPECT_GT(ign->Left() + ign->Width() + cell, f_->Notebook1->Width() - 55) << w << "x" << h << ": no whole cell left over";
    for (const TStringAlignGrid* g : {f_->injectiontable, f_->AFRTargetTable, f_->AFRCorrectionTable, f_->AFRModeTable})
      EXPECT_EQ(g->BoundsRect(), f_->injectiontable->BoundsRect()) << g->Name();
    const TStringAlignGrid* ref = f_->StringAlignGrid1;
    EXPECT_EQ(ref->Width(), ref->DefaultColWidth() * 14 + 17);
    EXPECT_EQ(f_->CrankingTable->Height(), f_->CrankingTable->DefaultRowHeight() * 5 + 9);
    Shot("main-" + std::to_string(w) + "x" + std::to_string(h));
  }
}

TEST_F(MainLayout, RepeatedResizesAndMaximiseRestoreComeBackExactly) {
  ShowMainWindow(script);
  ResizeTo(1024, 768);
  const auto before = Geometry();
  for (const auto& [w, h] : {std::pair{1280, 1000}, std::pair{800, 600}, std::pair{1917, 1033}, std::pair{1100, 705}})
    ResizeTo(w, h);
  f_->SetWindowState(wsMaximized);
  Application->ProcessMessages();
  f_->ElasticForm1->FlushPendingResize();
  f_->SetWindowState(wsNormal);
  ResizeTo(1024, 768);
  const auto after = Geometry();
  for (const auto& [name, r] : before) EXPECT_EQ(after.at(name), r) << name;
}

// The page tabs at the bottom are whole at the size the window opens with and at every size
// after, and from that size up the main grids' speed headings ("10,500") fit inside their cells.
TEST_F(MainLayout, TabStripAndSpeedHeadingsAreWholeAtEverySize) {
  ShowMainWindow(script);
  EXPECT_EQ(f_->ClientHeight(), 660) << "the menu bar takes no room from the designed client area";
  auto check = [&](const std::string& size, bool headings = true) {
    SCOPED_TRACE(size);
    EXPECT_LE(f_->TabSet1->Top() + f_->TabSet1->Height(), f_->ClientHeight());
    if (!headings) return;
    TBitmap measure;
    for (TStringAlignGrid* g : {f_->ignitiontable, f_->injectiontable, f_->AFRTargetTable, f_->AFRCorrectionTable,
                                f_->AFRModeTable}) {
      measure.Canvas()->Font()->Assign(const_cast<TFont*>(g->CellFont(30, 0)));
      EXPECT_LE(measure.Canvas()->TextWidth("10,500"), g->ColWidths(30) - 4) << g->Name();
    }
  };
  f_->ElasticForm1->FlushPendingResize();
  Application->ProcessMessages();
  check("as opened");
  for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1280, 1024}, std::pair{1920, 1080}, std::pair{700, 520}}) {
    ResizeTo(w, h);
    check(std::to_string(w) + "x" + std::to_string(h), w >= 1024);
  }
}

}  // namespace
