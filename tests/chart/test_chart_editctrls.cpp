// The chart editors' small controls: the colour chooser, the colour button linked to a
// chart object's colour, and the flat drop-down list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "chart/Chart.h"
#include "chart/TeeEditCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"

namespace {

class ChartEditCtrlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterChartClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(300, 120);
    chart = new TChart(form.get());
    button = new TButtonColor(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 75, 25);
    combo = new TComboFlat(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 60, 120, 21);
    combo->Items()->Add("Solid");
    combo->Items()->Add("Dash");
    form->Show();
  }
  void TearDown() override { form->Hide(); }
  std::unique_ptr<TForm> form;
  TChart* chart = nullptr;
  TButtonColor* button = nullptr;
  TComboFlat* combo = nullptr;
};

}  // namespace

TEST_F(ChartEditCtrlsTest, ColourButtonEditsTheLinkedColour) {
  chart->Legend()->SetColor(clYellow);
  button->LinkProperty(chart->Legend(), "Color");
  ASSERT_NE(button->LinkedProperty(), nullptr);
  EXPECT_EQ(button->Width(), 75);
  EXPECT_EQ(button->SymbolRect(), TRect(56, 6, 69, 19));
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };

  TBitmap shot;
  ui::GrabControl(button, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(62, 12), clYellow) << "the symbol shows the linked colour";

  struct Step {
    bool cancel;
    TColor answer, expected;
    int clicks;
  } steps[] = {
      {false, clRed, clRed, 1},     // a new colour is stored and the click event fires
      {false, clRed, clRed, 1},     // the same colour again changes nothing
      {true, clBlue, clRed, 1},     // cancelled: nothing changes
  };
  for (const Step& s : steps) {
    ui::DialogScript script;
    if (s.cancel)
      script.CancelColor();
    else
      script.AnswerColor(s.answer);
    ui::SimulateClick(button, 20, 12);
    ASSERT_EQ(script.Count(ui::DialogKind::Color), 1);
    EXPECT_EQ(chart->Legend()->Color(), s.expected);
    EXPECT_EQ(clicks, s.clicks);
  }
  {
    ui::DialogScript script;
    script.AnswerColor(clGreen);
    ui::SimulateClick(button, 20, 12);
    EXPECT_EQ(script.Last().Color, clRed) << "the dialog opens on the current colour";
  }
  ui::GrabControl(button, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(62, 12), clGreen);

  // An unlinked colour button shows what its getter gives, or nothing for clNone.
  button->LinkProperty(nullptr, "");
  button->GetColor = [] { return clNone; };
  ui::GrabControl(button, shot);
  EXPECT_NE(shot.Canvas()->Pixel(62, 12), clGreen);
}

TEST_F(ChartEditCtrlsTest, CustomColoursLastForTheRun) {
  TColor c = clRed;
  {
    ui::DialogScript script;
    script.AnswerColor(clRed);
    EXPECT_FALSE(EditColor(nullptr, c)) << "the same colour is no change";
    EXPECT_EQ(script.Last().CustomColors.size(), 16u);
  }
}

TEST_F(ChartEditCtrlsTest, FlatComboIsADropDownListWithAFlatFrame) {
  EXPECT_EQ(combo->Style(), csDropDownList);
  EXPECT_EQ(combo->Height(), 21);
  EXPECT_EQ(combo->ItemHeight(), 13);
  EXPECT_TRUE(combo->DrawsFlat());
  TBitmap shot;
  ui::GrabControl(combo, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(0, 10), ColorToRGB(clBtnFace));
  EXPECT_EQ(shot.Canvas()->Pixel(1, 10), ColorToRGB(clBtnFace));
  combo->SetFocus();
  EXPECT_FALSE(combo->DrawsFlat());
}
