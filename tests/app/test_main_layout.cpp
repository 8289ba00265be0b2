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
#include "controls/LblEffct.h"
#include "gauges/AbValInd.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
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

// The map pages' titles show their whole text, descenders included, above their grid at
// every size, also with a face taller than the design's (another machine's fonts).
TEST_F(MainLayout, MapTitlesShowTheirWholeTextAboveTheGrid) {
  ShowMainWindow(script);
  for (const char* face : {"Times New Roman", "DejaVu Serif", "DejaVu Sans"})
    for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1600, 1000}, std::pair{640, 480}}) {
      SCOPED_TRACE(std::string(face) + " " + std::to_string(w) + "x" + std::to_string(h));
      for (TLabelEffect* t : {f_->LabelEffect1, f_->LabelEffect3}) t->Font()->SetName(face);
      ResizeTo(w, h);
      const TControl* grid = f_->ignitiontable;
      for (TLabelEffect* t : {f_->LabelEffect1, f_->LabelEffect3}) {
        TBitmap m;
        m.Canvas()->Font()->Assign(t->Font());
        // The raised effect adds a pixel above and below the face.
        const int need = m.Canvas()->TextHeight(t->Caption()) + 2;
        EXPECT_GE(t->Top(), 0) << t->Name();
        EXPECT_GE(t->Height(), need) << t->Name();
        EXPECT_LT(t->Top() + need, grid->Top()) << t->Name() << ": the text ends above the grid";
        if (w >= 1024) {
          EXPECT_EQ(t->Font()->Size(), 20) << t->Name() << ": the design size where it fits";
        }
      }
    }
}

// The live page's last step: the duty bar as thick as the scaled reference shape, the
// temperature captions and units in one column right of the duty caption, every text of
// that column clear of the value panels, and the column and bar clear of the status box.
TEST_F(MainLayout, DutyBarAndTemperatureColumnFollowTheirReferences) {
  ShowMainWindow(script);
  TControl* shape = f_->LayoutControl("Shape2");
  TControl* caption = f_->LayoutControl("Label107");
  ASSERT_NE(shape, nullptr);
  ASSERT_NE(caption, nullptr);
  const TControl* status = f_->LayoutControl("StatusBox");
  ASSERT_NE(status, nullptr);
  f_->TabSet1->SetTabIndex(7);
  f_->TabSet1Click(f_->TabSet1);
  int designThickness = 0;
  for (const auto& [w, h] : {std::pair{1032, 706}, std::pair{1024, 768}, std::pair{1600, 1000}, std::pair{640, 480}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    ResizeTo(w, h);
    TAbHBar* bar = f_->InjDuration;
    EXPECT_EQ(bar->BarSettings()->minHeight(), shape->Height());
    if (designThickness == 0) designThickness = shape->Height();
    if (w == 1600) {
      EXPECT_GT(bar->BarSettings()->minHeight(), designThickness) << "a larger window, a thicker bar";
    }
    TBitmap grab;
    ui::GrabControl(bar, grab);  // paints: a bar that needs more room grows
    EXPECT_LE(bar->Top() + bar->Height(), status->Top()) << "the bar stays clear of the status box";
    const int column = caption->Left() + caption->Width() + 3;
    const std::pair<TLabel*, TPanel*> rows[] = {{f_->AirTempLabel, f_->air_temp},
                                                {f_->AirTempLabel2, f_->air_temp},
                                                {f_->CoolantTempLabel, f_->coolant_temp},
                                                {f_->CoolantTempLabel2, f_->coolant_temp}};
    for (const auto& [label, panel] : rows) {
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->Left(), column) << label->Name();
      TBitmap m;
      m.Canvas()->Font()->Assign(label->Font());
      EXPECT_LE(label->Left() + m.Canvas()->TextWidth(label->Caption()), panel->Left()) << label->Name();
      EXPECT_LE(m.Canvas()->TextHeight(label->Caption()), label->Height()) << label->Name();
      EXPECT_LE(label->Top() + label->Height(), status->Top()) << label->Name();
    }
    EXPECT_LE(f_->AirTempLabel2->Top() + f_->AirTempLabel2->Height(), f_->CoolantTempLabel->Top() + 1);
  }
  // The units follow the chosen temperature unit.
  f_->ShowDashboardUnits("\xB0""F", "kPa");
  EXPECT_EQ(f_->AirTempLabel2->Caption(), "(\xB0""F)");
  EXPECT_EQ(f_->CoolantTempLabel2->Caption(), "(\xB0""F)");
  EXPECT_EQ(f_->AirTempLabel->Caption(), "Air temp");
}

}  // namespace
