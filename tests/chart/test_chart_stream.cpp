// Stored chart forms: only what differs from a new chart's own look is written, every
// published property loads, and a written form loads back to the same text.
#include <gtest/gtest.h>

#include "tests/chart/ChartFormText.h"

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeItems.h"
#include "chart/TeeSurfa.h"

#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

AnsiString FormText(TForm& form) {
  AnsiString out;
  TWriter w(out);
  w.WriteRootComponent(&form);
  return ObjectBinaryToText(out);
}

void Load(TForm& form, const AnsiString& text) {
  const AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&form);
}

// A form holding a new chart and, when Kind is given, one series of that kind.
struct ChartForm {
  TForm form{nullptr};
  TChart* chart;
  explicit ChartForm(const char* Kind) {
    RegisterChartClasses();
    form.SetName("F");
    chart = new TChart(&form);
    chart->SetName("Chart1");
    chart->SetParent(&form);
    TChartSeries* s = nullptr;
    if (AnsiString(Kind) == "TFastLineSeries") s = new TFastLineSeries(&form);
    if (AnsiString(Kind) == "TSurfaceSeries") s = new TSurfaceSeries(&form);
    if (s) {
      s->SetName("S");
      s->SetParentChart(chart);
    }
  }
};

const char* const kFormHead = kChartFormHead;

}  // namespace

TEST(ChartStream, NewChartsWriteOnlyWhatDiffersAndCreateNothing) {
  struct Case {
    const char* kind;
    const char* series;
  } cases[] = {
      {"", ""},
      {"TFastLineSeries",
       "  object S: TFastLineSeries\n    ParentChart = Chart1\n    XValues.Name = 'X'\n    XValues.Order = loAscending\n"
       "    YValues.Name = 'Y'\n    LinePen.Color = clRed\n  end\n"},
      {"TSurfaceSeries",
       "  object S: TSurfaceSeries\n    ParentChart = Chart1\n    XValues.Name = 'X'\n    YValues.Name = 'Y'\n    ZValues.Name = 'Z'\n  end\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ChartForm f(c.kind);
    EXPECT_EQ(FormText(f.form), AnsiString(kFormHead) + c.series + "end\n");
    // Drawing computes the axes' limits (the depth axes' -0.5 .. 0.5 among them); they are
    // not stored while automatic.
    TBitmap bmp;
    bmp.SetSize(400, 250);
    f.chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
    EXPECT_EQ(FormText(f.form), AnsiString(kFormHead) + c.series + "end\n");
    // Writing made none of the objects created on first read.
    EXPECT_FALSE(f.chart->Title()->HasShadow());
    EXPECT_FALSE(f.chart->Legend()->HasShadow());
    EXPECT_FALSE(f.chart->BottomAxis()->Title()->HasShadow());
    EXPECT_EQ(f.chart->Title()->Font()->ShadowIfAny(), nullptr);
    EXPECT_FALSE(f.chart->HasGradient());
  }
}

TEST(ChartStream, WrittenFormsLoadBackToTheSameText) {
  ChartForm f("TFastLineSeries");
  f.chart->Title()->Text()->Add("Boost");
  f.chart->Title()->Font()->SetColor(clGreen);
  f.chart->Foot()->Font()->SetStyle(TFontStyles{});
  f.chart->RightWall()->SetVisible(true);
  f.chart->LeftAxis()->Grid()->SetStyle(psSolid);
  f.chart->LeftAxis()->Axis()->SetWidth(1);
  f.chart->Legend()->Shadow()->SetHorizSize(5);
  f.chart->Legend()->SetAlignment(laBottom);
  f.chart->SetBevelOuter(bvNone);
  f.chart->Legend()->Gradient()->SetVisible(true);
  f.chart->Zoom()->Pen()->SetWidth(2);
  const AnsiString text = FormText(f.form);
  for (const char* line : {"Title.Font.Color = clGreen", "Foot.Font.Style = []", "RightWall.Visible = True",
                           "LeftAxis.Grid.Style = psSolid", "LeftAxis.Axis.Width = 1", "Legend.Shadow.HorizSize = 5",
                           "Legend.Alignment = laBottom", "BevelOuter = bvNone", "Legend.Gradient.Visible = True",
                           "Zoom.Pen.Width = 2"})
    EXPECT_NE(text.find(line), AnsiString::npos) << line;
  // Objects made on first read keep the look they were made with as their own default.
  for (const char* part : {"Legend.Shadow.VertSize", "Legend.Gradient.Direction", "Legend.Gradient.StartColor", "Zoom.Pen.Color"})
    EXPECT_EQ(text.find(part), AnsiString::npos) << part;
  EXPECT_EQ(f.chart->Legend()->Gradient()->Direction(), gdRightLeft);

  TForm again(nullptr);
  Load(again, text);
  EXPECT_EQ(FormText(again), text);
}

TEST(ChartStream, EveryPublishedPropertyLoads) {
  const char* lines[] = {
      "Legend.ColorWidth = 30", "Legend.CheckBoxesStyle = cbsRadio", "Legend.CurrentPage = False",
      "Legend.FirstValue = 2", "Legend.HorizMargin = 4", "Legend.VertMargin = 5", "Legend.Symbol.Width = 12",
      "Legend.Symbol.Pen.Color = clRed", "Legend.Symbol.Squared = True", "Legend.Title.Text.Strings = ('Sensors')",
      "Legend.Title.Font.Color = clBlue", "Legend.Left = 10", "Legend.Top = 20", "Title.Left = 7", "Title.Top = 8",
      "Zoom.Allow = False", "Zoom.Pen.Color = clRed", "Zoom.Pen.Width = 2", "BackImageMode = pbmTile",
      "BackImageInside = True", "BackImageTransp = True", "BevelOuter = bvLowered", "ScrollMouseButton = mbLeft", "Zoom.KeyShift = [ssShift, ssCtrl]"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    RegisterChartClasses();
    TForm form(nullptr);
    EXPECT_NO_THROW(Load(form, AnsiString("object F: TForm\n  object Chart1: TChart\n    ") + line + "\n  end\nend\n"));
  }
  const char* series[] = {"Cursor = crHandPoint", "Brush.Color = clRed", "Brush.Style = bsClear", "Depth = 4",
                          "Marks.Callout.Length = 12", "LinePen.Width = 2", "Pen.Width = 3"};
  for (const char* line : series) {
    SCOPED_TRACE(line);
    TForm form(nullptr);
    EXPECT_NO_THROW(Load(form, AnsiString("object F: TForm\n  object S: TFastLineSeries\n    ") + line + "\n  end\nend\n"));
  }
  TForm form(nullptr);
  Load(form, "object F: TForm\n  object Chart1: TChart\n    Legend.Title.Text.Strings = ('Sensors')\n  end\n"
             "  object S: TFastLineSeries\n    Depth = 4\n    Marks.Callout.Length = 12\n  end\nend\n");
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TFastLineSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  EXPECT_EQ(chart->Legend()->Title()->Text()->Strings(0), "Sensors");
  EXPECT_EQ(chart->BevelOuter(), bvRaised);  // a form without the line keeps the raised bevel
  EXPECT_EQ(s->Depth(), 4);
  EXPECT_EQ(s->Marks()->ArrowLength(), 12);
}

TEST(ChartStream, MouseSettingsAndTheLinePenRoundTrip) {
  RegisterChartClasses();
  TForm form(nullptr);
  Load(form, "object F: TForm\n  object Chart1: TChart\n    ScrollMouseButton = mbMiddle\n"
             "    Zoom.KeyShift = [ssShift]\n  end\n  object S: TFastLineSeries\n    Pen.Width = 3\n  end\nend\n");
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TFastLineSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  EXPECT_EQ(chart->ScrollMouseButton, mbMiddle);
  EXPECT_EQ(chart->Zoom()->KeyShift, TShiftState() << ssShift);
  EXPECT_EQ(s->LinePen()->Width(), 3);
  const AnsiString text = FormText(form);
  for (const char* line : {"ScrollMouseButton = mbMiddle", "Zoom.KeyShift = [ssShift]", "LinePen.Width = 3"})
    EXPECT_NE(text.find(line), AnsiString::npos) << line;
  EXPECT_EQ(text.find("    Pen.Width"), AnsiString::npos);  // the pen is written once, as LinePen
  TChart copy(nullptr);
  copy.Assign(chart);
  EXPECT_EQ(copy.ScrollMouseButton, mbMiddle);
  EXPECT_EQ(copy.Zoom()->KeyShift, TShiftState() << ssShift);
}

TEST(ChartStream, AxisItemsAreStoredAndReplaceTheComputedLabels) {
  ChartForm f("TFastLineSeries");
  auto* s = dynamic_cast<TChartSeries*>(f.form.FindComponent("S"));
  for (int i = 0; i <= 10; ++i) s->AddXY(i, i * 10);
  TAxisItems* items = f.chart->LeftAxis()->Items();
  items->Add(20, "Low");
  items->Add(80, "High")->Font()->SetColor(clRed);
  items->Add(50);              // no text: its value is the label
  items->Add(500, "Beyond");   // outside the limits: neither label nor tick
  items->Add(65, "Hidden")->SetVisible(false);
  const AnsiString text = FormText(f.form);
  EXPECT_NE(text.find("LeftAxis.Items = <"), AnsiString::npos);

  TForm again(nullptr);
  Load(again, text);
  EXPECT_EQ(FormText(again), text);
  auto* chart = dynamic_cast<TChart*>(again.FindComponent("Chart1"));
  auto* s2 = dynamic_cast<TChartSeries*>(again.FindComponent("S"));
  ASSERT_TRUE(chart && s2);
  for (int i = 0; i <= 10; ++i) s2->AddXY(i, i * 10);
  TAxisItems* loaded = chart->LeftAxis()->Items();
  ASSERT_EQ(loaded->Count(), 5);
  EXPECT_EQ(loaded->Items(1)->Text(), "High");
  EXPECT_EQ(loaded->Items(1)->Value(), 80);
  EXPECT_EQ(loaded->Items(1)->Font()->Color(), clRed);
  EXPECT_FALSE(loaded->Items(4)->Visible());

  std::vector<AnsiString> drawn;
  chart->LeftAxis()->OnDrawLabel = [&](TChartAxis*, int&, int&, int&, AnsiString& t, bool&) { drawn.push_back(t); };
  TBitmap bmp;
  bmp.SetSize(400, 250);
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(drawn, (std::vector<AnsiString>{"Low", "High", "50"}));
  TChartAxis* left = chart->LeftAxis();
  EXPECT_EQ(left->TickPositions(), (std::vector<int>{left->CalcPosValue(20), left->CalcPosValue(80), left->CalcPosValue(50)}));
  left->TickOnLabelsOnly = false;  // then the hidden item has its tick as well
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(left->TickPositions().size(), 4u);
  // The labels' room is the widest item text.
  bmp.Canvas()->Font()->Assign(left->LabelsFont());
  EXPECT_GE(left->MaxLabelsWidth(), bmp.Canvas()->TextWidth("Hidden"));
}

TEST(ChartStream, AssignCopiesTheLegend) {
  RegisterChartClasses();
  TChart a(nullptr), b(nullptr);
  a.Legend()->SetColor(clYellow);
  a.Legend()->SetAlignment(laLeft);
  a.Legend()->SetCheckBoxes(true);
  a.Legend()->Symbol()->SetWidth(7);
  a.Legend()->Title()->Text()->Add("T");
  b.Assign(&a);
  EXPECT_EQ(b.Legend()->Color(), clYellow);
  EXPECT_EQ(b.Legend()->Alignment(), laLeft);
  EXPECT_TRUE(b.Legend()->CheckBoxes());
  EXPECT_EQ(b.Legend()->Symbol()->Width(), 7);
  EXPECT_EQ(b.Legend()->Title()->Text()->Count(), 1);
}

TEST(ChartLegendLayout, ANarrowChartWithALongTitleKeepsAPositiveChartRect) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 120, 200);
  TFastLineSeries s(nullptr);
  s.SetTitle("A very long series title that is wider than the whole chart");
  s.SetParentChart(&chart);
  s.Add(1);
  TBitmap bmp;
  bmp.SetSize(120, 200);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 120, 200));
  EXPECT_GE(chart.ChartWidth, 1);
  EXPECT_LT(chart.ChartRect.Left, chart.ChartRect.Right);
  // The legend stays on the panel, on either side, however long its texts.
  for (TLegendAlignment side : {laRight, laLeft}) {
    chart.Legend()->SetAlignment(side);
    s.SetTitle("Boost");
    TFastLineSeries t(nullptr);  // two series: the legend lists their titles
    t.SetTitle("A very long series title that is wider than the whole chart");
    t.SetParentChart(&chart);
    chart.Draw(bmp.Canvas(), TRect(0, 0, 120, 200));
    const TRect& b = chart.Legend()->ShapeBounds;
    EXPECT_GE(b.Left, 0) << side;
    EXPECT_LT(b.Right, 120) << side;
    EXPECT_LT(b.Left, b.Right) << side;
    t.SetParentChart(nullptr);
  }
}

TEST(ChartLegendLayout, EveryLegendSettingRepaintsTheChart) {
  RegisterChartClasses();
  TChart chart(nullptr);
  TBitmap bmp;
  bmp.SetSize(300, 200);
  TChartLegend* l = chart.Legend();
  const std::function<void()> changes[] = {
      [&] { l->SetAlignment(laTop); },         [&] { l->SetCheckBoxes(true); },
      [&] { l->SetCheckBoxesStyle(cbsRadio); }, [&] { l->SetTopPos(30); },
      [&] { l->SetMaxNumRows(2); },             [&] { l->SetInverted(true); },
      [&] { l->SetVertSpacing(3); },            [&] { l->SetTextStyle(ltsPlain); },
      [&] { l->SetLegendStyle(lsSeries); },     [&] { l->SetColorWidth(30); },
      [&] { l->Symbol()->SetSquared(true); },   [&] { l->Symbol()->SetContinuous(true); },
      [&] { l->Symbol()->SetPosition(spRight); }, [&] { l->Symbol()->SetWidthUnits(lcsPixels); },
  };
  int i = 0;
  for (const auto& change : changes) {
    SCOPED_TRACE(i++);
    chart.Draw(bmp.Canvas(), TRect(0, 0, 300, 200));
    ASSERT_FALSE(chart.ChartCanvas()->BufferInvalid);
    change();
    EXPECT_TRUE(chart.ChartCanvas()->BufferInvalid);
  }
}

TEST(ChartLegendLayout, ContinuousSymbolsTouchAndPlacedShapesStoreTheirPlace) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 250);
  chart.SetView3D(false);
  chart.SetBevelOuter(bvNone);
  chart.Legend()->Frame()->Hide();
  chart.Legend()->Symbol()->SetContinuous(true);
  chart.Legend()->Symbol()->SetWidthUnits(lcsPixels);
  std::vector<TRect> symbols;
  chart.Legend()->Symbol()->OnDraw = [&](TObject*, TChartSeries*, int, const TRect& R) { symbols.push_back(R); };
  TFastLineSeries s(nullptr);
  s.SetParentChart(&chart);
  for (int v : {1, 2, 3}) s.Add(v);
  TBitmap bmp;
  bmp.SetSize(400, 250);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  TChartLegend* l = chart.Legend();
  ASSERT_EQ(symbols.size(), 3u);
  // Each symbol reaches one pixel into the next item's, so that their column has no gap;
  // only the first is inset at the top and the last at the bottom.
  const int first = l->ItemsTop + 1;
  EXPECT_EQ(symbols[0].Top, first + 2);
  EXPECT_EQ(symbols[0].Bottom, first + l->ItemHeight + 1);
  EXPECT_EQ(symbols[1].Top, first + l->ItemHeight);
  EXPECT_EQ(symbols[1].Bottom, symbols[2].Top + 1);
  EXPECT_EQ(symbols[2].Bottom, first + 3 * l->ItemHeight + 1 - 3);

  // Left and Top are stored only for a shape placed by hand.
  TForm form(nullptr);
  form.SetName("F");
  auto* c2 = new TChart(&form);
  c2->SetName("C");
  c2->SetParent(&form);
  c2->Legend()->ShapeBounds = TRect(5, 6, 50, 60);
  AnsiString text = FormText(form);
  EXPECT_EQ(text.find("Legend.Left"), AnsiString::npos);
  c2->Legend()->SetLeft(12);
  text = FormText(form);
  EXPECT_NE(text.find("Legend.CustomPosition = True"), AnsiString::npos);
  EXPECT_NE(text.find("Legend.Left = 12"), AnsiString::npos);
  EXPECT_NE(text.find("Legend.Top = 6"), AnsiString::npos);
}

TEST(ChartShapes, ShadowsOfRoundedAndTurnedBoxesNeedTransparency) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 300, 200);
  chart.SetView3D(false);
  chart.Legend()->SetVisible(false);
  TTeeShape shape(&chart);
  shape.Shadow()->SetSize(3);  // black, the boxes' own default colour
  const TRect box(100, 50, 160, 90);
  struct Case {
    TChartObjectShapeStyle style;
    int angle, transparency;
    bool shadow;
  } cases[] = {
      {fosRectangle, 0, 0, true},
      {fosRoundRectangle, 0, 0, false},
      {fosRoundRectangle, 0, 40, true},
      {fosRectangle, 90, 0, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.style * 1000 + k.angle * 10 + k.transparency);
    shape.SetShapeStyle(k.style);
    shape.SetTransparency(k.transparency);
    chart.OnAfterDraw = [&](TObject*) {
      TTeeCanvas3D* c = chart.ChartCanvas();
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clWhite);
      c->FillRect(TRect(60, 10, 240, 190));
      shape.DrawRectRotated(box, k.angle, 0);
    };
    TBitmap bmp;
    bmp.SetSize(300, 200);
    chart.Draw(bmp.Canvas(), TRect(0, 0, 300, 200));
    // Just right of the box, below its top by more than the shadow's offset.
    const TColor right = bmp.Canvas()->Pixel(box.Right + 1, box.Top + 20);
    EXPECT_EQ(right != clWhite, k.shadow) << std::hex << right;
  }
}

TEST(ChartStream, ColourAndLabelSourcesLoadAndStoreBack) {
  RegisterChartClasses();
  const char* text =
      "object F: TForm\n"
      "  object Chart1: TChart\n"
      "  end\n"
      "  object S: TSurfaceSeries\n"
      "    ColorSource = 'X'\n"
      "    XLabelsSource = 'Speed'\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  ASSERT_NO_THROW(Load(form, text));
  auto* s = dynamic_cast<TSurfaceSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->ColorSource(), "X");
  EXPECT_EQ(s->XLabelsSource(), "Speed");
  const AnsiString stored = FormText(form);
  EXPECT_NE(stored.find("ColorSource = 'X'"), AnsiString::npos) << stored;
  EXPECT_NE(stored.find("XLabelsSource = 'Speed'"), AnsiString::npos) << stored;
  TForm again(nullptr);
  Load(again, stored);
  EXPECT_EQ(FormText(again), stored);
  // Empty sources are not written.
  s->SetColorSource("");
  s->SetXLabelsSource("");
  const AnsiString cleared = FormText(form);
  EXPECT_EQ(cleared.find("ColorSource"), AnsiString::npos);
  EXPECT_EQ(cleared.find("XLabelsSource"), AnsiString::npos);
  // A copy takes both.
  s->SetColorSource("Z");
  s->SetXLabelsSource("Load");
  TSurfaceSeries copy(nullptr);
  copy.Assign(s);
  EXPECT_EQ(copy.ColorSource(), "Z");
  EXPECT_EQ(copy.XLabelsSource(), "Load");
}

TEST(ChartStream, AxisLabelLayoutSurfaceFastBrushAndBrushImagesLoadAndStoreBack) {
  RegisterChartClasses();
  const char* text =
      "object F: TForm\n"
      "  object Chart1: TChart\n"
      "    LeftAxis.LabelsAlign = alOpposite\n"
      "    LeftAxis.LabelsAlternate = True\n"
      "    LeftAxis.LabelsExponent = True\n"
      "    RightAxis.LabelsAlign = alOpposite\n"
      "    BottomAxis.LabelsAlternate = True\n"
      "    DepthAxis.LabelsExponent = True\n"
      "  end\n"
      "  object S: TSurfaceSeries\n"
      "    FastBrush = True\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  ASSERT_NO_THROW(Load(form, text));
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TSurfaceSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  EXPECT_EQ(chart->LeftAxis()->LabelsAlign, alOpposite);
  EXPECT_TRUE(chart->LeftAxis()->LabelsAlternate);
  EXPECT_TRUE(chart->LeftAxis()->LabelsExponent);
  EXPECT_EQ(chart->RightAxis()->LabelsAlign, alOpposite);
  EXPECT_TRUE(chart->BottomAxis()->LabelsAlternate);
  EXPECT_FALSE(chart->BottomAxis()->LabelsExponent);
  EXPECT_TRUE(chart->DepthAxis()->LabelsExponent);
  // The fast brush has nothing to fill through here: the setting is read and not kept.
  EXPECT_FALSE(s->FastBrush());

  // A picture put into a brush is copied, announced, stored and read back.
  int changes = 0;
  s->Brush()->OnChange = [&](TObject*) { ++changes; };
  TPicture picture;
  TBitmap bits;
  bits.SetSize(3, 2);
  bits.Canvas()->Brush()->SetColor(clRed);
  bits.Canvas()->FillRect(TRect(0, 0, 3, 2));
  bits.Canvas()->SetPixel(2, 1, clBlue);
  picture.SetGraphic(&bits);
  s->Brush()->SetImage(&picture);
  EXPECT_EQ(changes, 1);
  bits.Canvas()->SetPixel(0, 0, clGreen);
  picture.SetGraphic(&bits);  // the brush holds its own copy
  EXPECT_EQ(s->Brush()->Image()->Bitmap()->Canvas()->Pixel(0, 0), clRed);
  const AnsiString stored = FormText(form);
  for (const char* line : {"LeftAxis.LabelsAlign = alOpposite", "LeftAxis.LabelsAlternate = True", "LeftAxis.LabelsExponent = True",
                           "RightAxis.LabelsAlign = alOpposite", "BottomAxis.LabelsAlternate = True",
                           "DepthAxis.LabelsExponent = True", "Brush.Image.Data = {"})
    EXPECT_NE(stored.find(line), AnsiString::npos) << line;
  // Left at their defaults, none is written.
  for (const char* part : {"BottomAxis.LabelsAlign", "BottomAxis.LabelsExponent", "TopAxis.Labels", "FastBrush"})
    EXPECT_EQ(stored.find(part), AnsiString::npos) << part;

  TForm again(nullptr);
  Load(again, stored);
  EXPECT_EQ(FormText(again), stored);
  auto* s2 = dynamic_cast<TSurfaceSeries*>(again.FindComponent("S"));
  ASSERT_TRUE(s2 && s2->Brush()->HasImage());
  TBitmap* loaded = s2->Brush()->Image()->Bitmap();
  EXPECT_EQ(loaded->Width(), 3);
  EXPECT_EQ(loaded->Canvas()->Pixel(2, 1), clBlue);
  // A copy of the brush copies its picture; nil lets it go, announced as well.
  TChartBrush copy;
  copy.Assign(s2->Brush());
  ASSERT_TRUE(copy.HasImage());
  EXPECT_NE(copy.Image(), s2->Brush()->Image());
  EXPECT_EQ(copy.Image()->Bitmap()->Canvas()->Pixel(2, 1), clBlue);
  s->Brush()->SetImage(nullptr);
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(s->Brush()->HasImage());
  EXPECT_EQ(s->Brush()->ImageIfAny(), nullptr);
  EXPECT_EQ(FormText(form).find("Brush.Image"), AnsiString::npos);
  // A copied axis keeps its label layout.
  TChart other(nullptr);
  other.LeftAxis()->Assign(chart->LeftAxis());
  EXPECT_EQ(other.LeftAxis()->LabelsAlign, alOpposite);
  EXPECT_TRUE(other.LeftAxis()->LabelsAlternate);
  EXPECT_TRUE(other.LeftAxis()->LabelsExponent);
}

TEST(ChartStream, ATransparentBackImageLoadsIsStoredAndLeavesItsColourOut) {
  // A 2 x 2 picture, red but for its white bottom-left pixel: the class name, the byte
  // count (70), then the bitmap file with its rows bottom-up, each padded to 8 bytes.
  const char* data =
      "07544269746D6170" "46000000"
      "424D46000000000000003600000028000000020000000200000001001800000000001000000000000000000000000000000000000000"
      "FFFFFF0000FF0000" "0000FF0000FF0000";
  RegisterChartClasses();
  TForm form(nullptr);
  Load(form, AnsiString("object F: TForm\n  object Chart1: TChart\n    Color = clLime\n    BevelOuter = bvNone\n"
                        "    BackImage.Data = {") + data + "}\n    BackImageTransp = True\n  end\nend\n");
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  ASSERT_TRUE(chart && chart->HasBackImage());
  EXPECT_TRUE(chart->BackImageTransp());
  const AnsiString text = FormText(form);
  const size_t image = text.find("BackImage.Data = {"), transp = text.find("BackImageTransp = True");
  ASSERT_NE(transp, AnsiString::npos) << text;
  EXPECT_LT(image, transp);  // the picture comes first, so the flag finds it on loading

  TBitmap bmp;
  bmp.SetSize(400, 250);
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(bmp.Canvas()->Pixel(2, 2), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixel(397, 247), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixel(2, 247), clLime);  // the white corner is left out
  chart->SetBackImageTransp(false);
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(bmp.Canvas()->Pixel(2, 247), clWhite);

  // Without a picture the flag reads False and there is nothing to set.
  chart->SetBackImage(nullptr);
  chart->SetBackImageTransp(true);
  EXPECT_FALSE(chart->BackImageTransp());
}
