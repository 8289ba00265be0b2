// Chart utility routines and message texts.
#include <gtest/gtest.h>

#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeProcs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Forms.h"

TEST(ChartGeometry, EdgesPolygonsAndLines) {
  EXPECT_TRUE(PointInRect(TRect(0, 0, 10, 10), 10, 5));
  EXPECT_FALSE(PointInRect(TRect(0, 0, 10, 10), 11, 5));
  const TPoint one[] = {{5, 5}};
  EXPECT_EQ(RectFromPolygon(one, 1), TRect(5, 5, 6, 6));
  EXPECT_EQ(PolygonBounds({{5, 5}}), TRect(5, 5, 5, 5));
  EXPECT_EQ(PolygonBounds({}), TRect());
  EXPECT_EQ(NormalizeRect(TRect(10, 20, 0, 5)), TRect(0, 5, 10, 20));
  // A square from (0,0) to (10,10): a point on its bottom edge counts each side once.
  const std::vector<TPoint> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(PointInPolygon({5, 5}, square));
  EXPECT_TRUE(PointInPolygon({5, 0}, square));
  EXPECT_FALSE(PointInPolygon({15, 5}, square));
  EXPECT_TRUE(PointInLine({5, 5}, {0, 0}, {10, 10}));
  EXPECT_FALSE(PointInLine({12, 12}, {0, 0}, {10, 10}));
  EXPECT_TRUE(PointInLine({12, 12}, {0, 0}, {10, 10}, 2));
  EXPECT_FALSE(PointInLine({5, 7}, {0, 0}, {10, 10}));
  EXPECT_TRUE(IsNegativeOrientation({0, 10}, {0, 0}, {10, 0}) != IsNegativeOrientation({10, 0}, {0, 0}, {0, 10}));
}

TEST(ChartTexts, FieldsSeparatorsAndCharacters) {
  EXPECT_EQ(ExtractField("a;b;c", 2), "b");
  EXPECT_EQ(ExtractField("a;b;c", 4), "c");
  EXPECT_EQ(ExtractField("a;b;c", 0), "");
  EXPECT_EQ(ExtractField("", 1), "");
  EXPECT_EQ(ExtractFieldBy("1,2", 2, ","), "2");
  EXPECT_EQ(TeeFieldsSeparator, ";");
  EXPECT_EQ(ReplaceChar("a-b-c", '-', '\0'), "abc");
  EXPECT_EQ(ReplaceChar("a-b", '-', '+'), "a+b");
}

TEST(ChartPalette, DefaultColoursWrapAndCanBeReplaced) {
  EXPECT_EQ(GetDefaultColor(0), 0x0000FF);
  EXPECT_EQ(GetDefaultColor(20), 0x008000);
  SetDefaultColorPalette({clBlack});
  EXPECT_EQ(GetDefaultColor(5), clBlack);
  SetDefaultColorPalette({});
  EXPECT_EQ(GetDefaultColor(18), 0xF0FBFF);
}

TEST(ChartDateTime, StepTableLookupsAndCalendarSteps) {
  EXPECT_EQ(DateTimeStepIndex(1.0 / 24), dtOneHour);
  EXPECT_EQ(DateTimeStepIndex(1.5 / 24), dtNone);
  EXPECT_EQ(DateTimeStepIndex(365), dtOneYear);
  struct Case {
    double value, next;
  } cases[] = {
      {0.5 / 86400, DateTimeStep[dtOneSecond]}, {1.0 / 86400, DateTimeStep[dtFiveSeconds]},
      {3.0, DateTimeStep[dtOneWeek]},           {182, 365},
      {500, 365},                               {1e-12, 365},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(FindDateTimeStep(c.value), c.next) << c.value;
  const TDateTime d = EncodeDate(2024, 5, 20) + 0.25;
  EXPECT_EQ(TruncDateTime(dtHalfMonth, d), EncodeDate(2024, 5, 15));
  EXPECT_EQ(TruncDateTime(dtThreeMonths, d), EncodeDate(2024, 5, 1));
  EXPECT_EQ(TruncDateTime(dtOneYear, d), EncodeDate(2024, 1, 1));
  EXPECT_EQ(TruncDateTime(dtOneDay, d), d);
  EXPECT_EQ(NextDateTime(EncodeDate(2024, 12, 15), dtHalfMonth, 15, true), EncodeDate(2025, 1, 1));
  EXPECT_EQ(NextDateTime(EncodeDate(2024, 1, 1), dtHalfMonth, 15, false), EncodeDate(2023, 12, 15));
  EXPECT_EQ(NextDateTime(EncodeDate(2024, 11, 30), dtSixMonths, 182, true), EncodeDate(2025, 5, 30));
  EXPECT_EQ(NextDateTime(EncodeDate(2024, 1, 31), dtOneMonth, 30, true), EncodeDate(2024, 2, 29));
  EXPECT_EQ(NextDateTime(EncodeDate(2024, 2, 29), dtOneYear, 365, true), EncodeDate(2025, 2, 28));
  EXPECT_DOUBLE_EQ(NextDateTime(10.0, dtOneHour, 1.0 / 24, true), 10.0 + 1.0 / 24);
}

TEST(ChartSort, QuicksortFollowsThePivotThroughSwaps) {
  std::vector<int> v = {5, 3, 9, 1, 5, 7, 2, 8, 0, 6};
  SortByCallbacks(
      0, static_cast<int>(v.size()) - 1, [&](int a, int b) { return v[a] < v[b] ? -1 : v[a] > v[b] ? 1 : 0; },
      [&](int a, int b) { std::swap(v[a], v[b]); });
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
}

TEST(ChartResampler, TinySourcesAreReadWithinTheirEdges) {
  for (int size : {1, 2, 3}) {
    TBitmap src, dst;
    src.SetSize(size, size);
    src.Canvas()->Brush()->SetColor(RGB(10, 200, 30));
    src.Canvas()->FillRect(TRect(0, 0, size, size));
    dst.SetSize(9, 7);
    SmoothStretch(&src, &dst, 0);
    SmoothStretch(&src, &dst, 1);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) EXPECT_EQ(dst.Canvas()->Pixel(x, y), RGB(10, 200, 30)) << size << " " << x << "," << y;
  }
}

TEST(ChartMessages, FormattedAndClearedWithTheUnits) {
  EXPECT_EQ(TeeFormat(TeeMsg_OfTotal, {"5", "20"}), "5 of 20");
  EXPECT_EQ(TeeFormat(TeeMsg_SeriesDelete, {3, 2}), "Series Delete: ValueIndex 3 out of bounds (0 to 2).");
  EXPECT_EQ(TeeFormat("Zoom: %d %%", {50}), "Zoom: 50 %");
  ClearChartMessages();
  ClearProMessages();
  for (AnsiString* m : ChartMessageVariables()) EXPECT_TRUE(m->empty());
  for (AnsiString* m : ProMessageVariables()) EXPECT_TRUE(m->empty());
  FillChartMessages();
  FillProMessages();
  EXPECT_EQ(TeeMsg_DefaultFontName, "Arial");
  EXPECT_EQ(ProMessageVariables().size(), 217u);
  EXPECT_EQ(TeeMsg_GallerySurface, "Surface");
  EXPECT_EQ(*ProMessageVariables()[19], "Horizontal\rBoxPlot");
}

TEST(ChartControls, EnableControlsPassesOverEmptyEntriesAndTranslateFormNeedsAHook) {
  TPanel a(nullptr), b(nullptr);
  EnableControls(false, {&a, nullptr, &b});
  EXPECT_FALSE(a.Enabled());
  EXPECT_FALSE(b.Enabled());
  EnableControls(true, {nullptr, &b});
  EXPECT_FALSE(a.Enabled());
  EXPECT_TRUE(b.Enabled());
  EnableControls(true, {});

  TForm form(nullptr);
  form.SetCaption("Graph");
  ASSERT_FALSE(TeeTranslateHook);  // the program installs none
  TranslateForm(&form);
  EXPECT_EQ(form.Caption(), "Graph");
  TeeTranslateHook = [](TForm* f) { f->SetCaption("Grafik"); };
  TranslateForm(&form);
  EXPECT_EQ(form.Caption(), "Grafik");
  TeeTranslateHook = nullptr;
}
