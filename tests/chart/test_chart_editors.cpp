// The pen, brush and gradient editors answered through the dialog script: OK keeps what
// the user chose, Cancel, Escape and the close box give the object back as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeToolEditors.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"

namespace {

struct EditorTest : ::testing::Test {
  void SetUp() override { RegisterChartClasses(); }
  ui::DialogScript script;
};

TEST_F(EditorTest, PenEditorKeepsChangesOnOkAndRestoresThemOnCancel) {
  TChartPen pen;
  pen.SetWidth(2);
  pen.SetColor(clRed);
  int changes = 0;
  pen.OnChange = [&](TObject*) { ++changes; };
  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TPenDialog&>(f);
    EXPECT_EQ(ui::WindowTitle(&f), "Border Editor");
    EXPECT_EQ(d.CBStyle->Items()->Strings(5), "Small Dots");
    d.UDWidth->SetPosition(4);
    d.CBStyle->UserSelect(2);
    EXPECT_TRUE(d.CBEndStyle->Visible());
    EXPECT_EQ(d.CBEndStyle->Text(), "Round");
    d.CBEndStyle->UserSelect(2);
    d.BColor->Click();
    d.BOk->Click();
  });
  script.AnswerColor(clBlue);
  EXPECT_TRUE(ShowPenEditor(nullptr, &pen));
  EXPECT_EQ(pen.Color(), clBlue);
  EXPECT_EQ(pen.Width(), 4);
  EXPECT_EQ(pen.Style(), psDot);
  EXPECT_EQ(pen.EndStyle(), esFlat);

  for (int way = 0; way < 3; ++way) {
    script.AnswerForm([way](TForm& f) {
      auto& d = dynamic_cast<TPenDialog&>(f);
      d.UDWidth->SetPosition(7);
      d.CBVisible->Toggle();
      d.CBStyle->UserSelect(5);  // small dots
      EXPECT_EQ(d.CBEndStyle->Text(), "Flat");
      d.CBEndStyle->UserSelect(1);
      d.BColor->Click();
      if (way == 0) d.BCancel->Click();
      if (way == 1) ui::SimulateKey(&f, "Escape");
      if (way == 2) f.Close();
    });
    script.AnswerColor(clGreen);
    changes = 0;
    EXPECT_FALSE(ShowPenEditor(nullptr, &pen)) << way;
    EXPECT_EQ(pen.Color(), clBlue) << way;
    EXPECT_EQ(pen.Width(), 4) << way;
    EXPECT_TRUE(pen.Visible()) << way;
    EXPECT_FALSE(pen.SmallDots()) << way;
    EXPECT_EQ(pen.EndStyle(), esFlat) << way;
    EXPECT_GT(changes, 0) << way;  // the pen's owner hears of the restore
  }
}

TEST_F(EditorTest, BrushEditorSwitchesBetweenStylesAndPicturesAndCancels) {
  TChartBrush brush;
  brush.SetStyle(bsCross);
  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TBrushDialog&>(f);
    EXPECT_EQ(d.LStyle->ItemIndex(), bsCross);
    EXPECT_EQ(d.Button1->Caption(), "B&rowse...");
    d.LStyle->UserSelect(26);  // "Snow": a picture, not a style
    EXPECT_EQ(d.Button1->Caption(), "Clea&r");
    d.Button2->Click();
  });
  EXPECT_TRUE(ShowBrushEditor(nullptr, &brush));
  EXPECT_TRUE(brush.HasImage());

  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TBrushDialog&>(f);
    EXPECT_EQ(d.LStyle->ItemIndex(), -1);  // a brush with a picture has no style chosen
    d.Button1->Click();                    // "Clear": the picture goes
    EXPECT_EQ(d.Button1->Caption(), "B&rowse...");
    d.LStyle->UserSelect(6);
    d.Button3->Click();
  });
  EXPECT_FALSE(ShowBrushEditor(nullptr, &brush));
  EXPECT_TRUE(brush.HasImage());  // Cancel gave it back

  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TBrushDialog&>(f);
    d.LStyle->UserSelect(6);  // "Cross" removes the picture
    d.Button2->Click();
  });
  EXPECT_TRUE(ShowBrushEditor(nullptr, &brush));
  EXPECT_FALSE(brush.HasImage());
  EXPECT_EQ(brush.Style(), bsCross);
}

TEST_F(EditorTest, GradientPresetIsUndoneByEveryWayOfCancelling) {
  TTeeGradient g;
  g.SetVisible(true);
  g.SetStartColor(0x112233);
  g.SetEndColor(0x445566);
  g.SetDirection(gdLeftRight);
  g.SetBalance(30);
  const TTeeGradient before = [&] {
    TTeeGradient b;
    b.Assign(&g);
    return b;
  }();
  auto same = [&](const TTeeGradient& a) {
    return a.StartColor() == before.StartColor() && a.MidColor() == before.MidColor() && a.EndColor() == before.EndColor() &&
           a.Direction() == before.Direction() && a.Balance() == before.Balance();
  };
  for (int way = 0; way < 3; ++way) {
    script.AnswerForm([way](TForm& f) {
      auto& d = dynamic_cast<TTeeGradientEditor&>(f);
      d.Gallery->UserSelect(3);  // "Ace"
      EXPECT_EQ(d.CBDirection->ItemIndex(), gdBottomTop);
      EXPECT_EQ(d.SBBalance->Position(), 74);
      if (way == 0) d.BCancel->Click();
      if (way == 1) ui::SimulateKey(&f, "Escape");
      if (way == 2) f.Close();
    });
    EXPECT_FALSE(ShowGradientEditor(nullptr, &g)) << way;
    EXPECT_TRUE(same(g)) << way;
  }
  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TTeeGradientEditor&>(f);
    d.Gallery->UserSelect(2);  // "Hot": no middle colour
    EXPECT_TRUE(d.CBMid->Checked());
    d.BSwap->Click();
    d.BOk->Click();
  });
  EXPECT_TRUE(ShowGradientEditor(nullptr, &g));
  EXPECT_EQ(g.StartColor(), TColor(0x00FFFF));
  EXPECT_EQ(g.EndColor(), TColor(0x0000FF));
  EXPECT_EQ(g.MidColor(), clNone);

  // Hidden end colour: no end and swap buttons; radial controls only for the radial direction.
  script.AnswerForm([](TForm& f) {
    auto& d = dynamic_cast<TTeeGradientEditor&>(f);
    EXPECT_FALSE(d.BEnd->Visible());
    EXPECT_FALSE(d.TrackBar1->Enabled());
    d.CBDirection->UserSelect(gdRadial);
    EXPECT_TRUE(d.TrackBar1->Enabled());
    EXPECT_FALSE(d.CBMid->Enabled());
    d.BOk->Click();
  });
  EXPECT_TRUE(ShowGradientEditor(nullptr, &g, true, false));
  EXPECT_EQ(g.Direction(), gdRadial);
}

// Every control of each editor lies inside its window; EDITOR_SHOTS names a folder for
// pictures of them, and EDITOR_WAIT keeps each on screen that many milliseconds.
TEST_F(EditorTest, EditorsFitTheirControlsInsideTheirWindows) {
  TChartPen pen;
  TChartBrush brush;
  TTeeGradient g;
  g.SetVisible(true);
  auto check = [](TForm& f) {
    std::vector<TWinControl*> parents{&f};
    for (size_t k = 0; k < parents.size(); ++k)
      for (int i = 0; i < parents[k]->ControlCount(); ++i) {
        TControl* c = parents[k]->Controls(i);
        EXPECT_GE(c->Left(), 0) << c->Name();
        EXPECT_GE(c->Top(), 0) << c->Name();
        EXPECT_LE(c->Left() + c->Width(), parents[k]->ClientWidth()) << c->Name();
        EXPECT_LE(c->Top() + c->Height(), parents[k]->ClientHeight()) << c->Name();
        if (auto* w = dynamic_cast<TWinControl*>(c)) parents.push_back(w);
      }
    if (const char* dir = std::getenv("EDITOR_SHOTS")) ui::GrabToPng(&f, AnsiString(dir) + "/" + f.ClassName() + ".png");
    if (const char* wait = std::getenv("EDITOR_WAIT")) {
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(wait));
      while (std::chrono::steady_clock::now() < until) Application->ProcessMessages();
    }
    f.SetModalResult(mrCancel);
  };
  script.AnswerForm(check).AnswerForm(check).AnswerForm([&](TForm& f) {
    auto& g = dynamic_cast<TTeeGradientEditor&>(f);
    g.Gallery->UserSelect(0);
    if (const char* dir = std::getenv("EDITOR_SHOTS"))
      for (int i = 1; i < g.PageControl1->PageCount(); ++i) {
        g.PageControl1->SetActivePage(g.PageControl1->Pages(i));
        ui::GrabToPng(&f, AnsiString(dir) + "/GradientPage" + IntToStr(i) + ".png");
      }
    g.PageControl1->SetActivePage(g.PageControl1->Pages(0));
    check(f);
  });
  ShowPenEditor(nullptr, &pen);
  ShowBrushEditor(nullptr, &brush);
  ShowGradientEditor(nullptr, &g);
}

// The style lists draw samples: the pen's style as a line in its colour, the brush
// styles and patterns as black-on-white swatches ("None" has none).
TEST_F(EditorTest, PenAndBrushListsDrawSamplesBesideTheNames) {
  TChartPen pen;
  pen.SetColor(clRed);
  TChartBrush brush;
  auto count = [](TBitmap& b, TRect r, TColor c) {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(b.Height(), r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(b.Width(), r.Right); ++x) n += b.Canvas()->Pixel(x, y) == c;
    return n;
  };
  script.AnswerForm([&](TForm& f) {
    auto& d = dynamic_cast<TPenDialog&>(f);
    EXPECT_EQ(d.CBStyle->Style(), csOwnerDrawFixed);
    TBitmap shot;
    ui::GrabControl(d.CBStyle, shot);
    // The solid style's line: 28 red pixels in a row at the field's left.
    EXPECT_GE(count(shot, TRect(0, 0, 40, shot.Height()), clRed), 28);
    d.CBStyle->SetItemIndex(2);  // dots: about half as many
    ui::GrabControl(d.CBStyle, shot);
    const int dots = count(shot, TRect(0, 0, 40, shot.Height()), clRed);
    EXPECT_GE(dots, 8);
    EXPECT_LE(dots, 20);
    f.SetModalResult(mrCancel);
  });
  script.AnswerForm([&](TForm& f) {
    auto& d = dynamic_cast<TBrushDialog&>(f);
    EXPECT_EQ(d.LStyle->Style(), lbOwnerDrawFixed);
    d.LStyle->SetItemIndex(-1);
    TBitmap shot;
    ui::GrabControl(d.LStyle, shot);
    const int h = d.LStyle->ItemHeight();
    // Rows start below the list's frame (at most 3 pixels); each swatch spans x 2..16.
    auto swatch = [&](int row) { return TRect(0, row * h + 2, 19, row * h + h + 2); };
    EXPECT_GE(count(shot, swatch(0), clBlack), 14 * 10);  // "Solid": black
    EXPECT_LE(count(shot, swatch(1), clBlack), 0);        // "None": nothing
    const int hatch = count(shot, swatch(2), clBlack);   // "Horizontal": lines
    EXPECT_GT(hatch, 10);
    EXPECT_GT(count(shot, swatch(2), clWhite), hatch);
    EXPECT_GT(count(shot, swatch(8), clBlack), 14 * 4);   // "Fill 80%": a pattern
    EXPECT_GT(count(shot, swatch(8), clWhite), 10);
    f.SetModalResult(mrCancel);
  });
  ShowPenEditor(nullptr, &pen);
  ShowBrushEditor(nullptr, &brush);
}

TEST(ChartCursors, TheChartHandHasANameBesideThePlatformCursors) {
  RegisterChartClasses();
  EXPECT_EQ(TeeCursorToName(crTeeHand), "crTeeHand");
  TCursor c = crDefault;
  EXPECT_TRUE(TeeNameToCursor("crHandPoint", c));
  EXPECT_EQ(c, crHandPoint);
  EXPECT_FALSE(TeeNameToCursor("crNoSuch", c));
  EXPECT_EQ(c, crHandPoint);
  TComboBox combo(nullptr);
  FillTeeCursors(&combo, crTeeHand);
  ASSERT_GE(combo.ItemIndex(), 0);
  EXPECT_EQ(combo.Items()->Strings(combo.ItemIndex()), "TeeHand");
  EXPECT_EQ(TeeCursorOfCombo(&combo, crDefault), crTeeHand);
}

}  // namespace

namespace {

struct ToolEditorChart {
  TChart chart{nullptr};
  TFastLineSeries a{nullptr}, b{nullptr};
  ToolEditorChart() {
    RegisterChartClasses();
    a.SetParentChart(&chart);
    a.SetTitle("Speed");
    b.SetParentChart(&chart);
  }
};

// Shows the editor as its host page would, lets `act` work it, then frees it.
template <class Act>
void WithEditor(const char* Name, TTeeCustomTool* Tool, Act act) {
  TForm* f = CreateToolEditor(Name, Tool);
  ASSERT_NE(f, nullptr) << Name;
  f->SetAlign(alNone);
  f->Show();
  act(*f);
  if (const char* dir = std::getenv("EDITOR_SHOTS")) ui::GrabToPng(f, AnsiString(dir) + "/" + Name + ".png");
  f->BeforeDestruction();
  delete f;
}

TEST(ToolEditors, SeriesComboDragStyleAndCursorReachTheTool) {
  ToolEditorChart c;
  TDragPointTool t(nullptr);
  t.SetParentChart(&c.chart);
  WithEditor("TDragPointToolEdit", &t, [&](TForm& f) {
    auto& e = dynamic_cast<TDragPointToolEdit&>(f);
    ASSERT_EQ(e.CBSeries->Items()->Count(), 3);
    EXPECT_EQ(e.CBSeries->Items()->Strings(0), "(none)");
    EXPECT_EQ(e.CBSeries->Items()->Strings(1), "Speed");
    EXPECT_EQ(e.CBSeries->Items()->Strings(2), "Series2");
    EXPECT_FALSE(e.CBCursor->Enabled());
    e.CBSeries->UserSelect(2);
    EXPECT_EQ(t.Series(), &c.b);
    EXPECT_TRUE(e.CBCursor->Enabled());
    e.CBCursor->UserSelect(e.CBCursor->Items()->IndexOf("TeeHand"));
    EXPECT_EQ(c.b.Cursor(), crTeeHand);
    e.RGStyle->SetItemIndex(1);
    if (e.RGStyle->OnClick) e.RGStyle->OnClick(e.RGStyle);
    EXPECT_EQ(t.DragStyle, dsY);
    e.CBSeries->UserSelect(0);
    EXPECT_EQ(t.Series(), nullptr);
  });
  EXPECT_EQ(CreateToolEditor("TCursorToolEditor", &t), nullptr);  // no form of its own
}

TEST(ToolEditors, BandSelectorAndSurfaceFormsSetTheirTools) {
  ToolEditorChart c;
  TSeriesBandTool band(nullptr);
  band.SetParentChart(&c.chart);
  band.SetSeries(&c.a);
  WithEditor("TSeriesBandToolEdit", &band, [&](TForm& f) {
    auto& e = dynamic_cast<TSeriesBandToolEdit&>(f);
    e.CBSeries2->UserSelect(1);
    EXPECT_EQ(band.Series2(), &c.b);
    e.UDTransp->SetPosition(40);
    EXPECT_EQ(band.Transparency(), 40);
    e.CBDrawBehindSeries->Toggle();
    EXPECT_FALSE(band.DrawBehindSeries());
  });
  TSelectorTool sel(nullptr);
  WithEditor("TSelectorToolEditor", &sel, [&](TForm& f) {
    auto& e = dynamic_cast<TSelectorToolEditor&>(f);
    EXPECT_EQ(e.UDSize->Position(), 3);
    e.UDSize->SetPosition(5);
    EXPECT_EQ(sel.HandleSize(), 5);
    e.CBResizeChart->Toggle();
    EXPECT_TRUE(sel.AllowResizeChart);
  });
  TSurfaceNearestTool near(nullptr);
  near.SetParentChart(&c.chart);
  WithEditor("TSurfaceNearest", &near, [&](TForm& f) {
    auto& e = dynamic_cast<TSurfaceNearest&>(f);
    EXPECT_EQ(e.CBSeries->Items()->Count(), 0);  // no surface series on this chart
    e.CheckBox1->Toggle();
    EXPECT_EQ(near.CellColor(), clTeeColor);
    e.CheckBox5->Toggle();
    EXPECT_EQ(near.RowColor(), clNone);
  });
}

}  // namespace
