// Value lists and series: ordering, statistics, null points, deletion and the "Data"
// stream property byte by byte.
#include <gtest/gtest.h>

#include <cstring>

#include "chart/Series.h"
#include "chart/TeeConst.h"
#include "platform/classes/Streams.h"

TEST(ValueList, StatisticsStayCurrentAfterEveryChange) {
  TChartSeries s(nullptr);
  TChartValueList* y = s.YValues();
  EXPECT_EQ(y->MaxValue(), 0);
  EXPECT_EQ(y->Total(), 0);
  s.Add(-2);
  s.Add(3);
  // Total read first, before any other statistic.
  EXPECT_EQ(y->Total(), 1);
  EXPECT_EQ(y->TotalABS(), 5);
  s.Add(10);
  EXPECT_EQ(y->Total(), 11);
  EXPECT_EQ(y->MaxValue(), 10);
  y->SetValue(2, -7);
  EXPECT_EQ(y->Total(), -6);
  EXPECT_EQ(y->MinValue(), -7);
  EXPECT_EQ(y->TotalABS(), 12);
  s.Delete(0);
  EXPECT_EQ(y->Total(), -4);
  EXPECT_EQ(y->Range(), 10);
  EXPECT_THROW(y->SetValue(5, 1), EListError);
  EXPECT_THROW(y->Value(-1), EListError);
}

TEST(ValueList, OrderedInsertionGoesAfterEqualValues) {
  struct Case {
    TChartListOrder order;
    std::vector<double> values;
    double add;
    int index;
  } cases[] = {
      {loAscending, {1, 2, 2, 3}, 2, 3}, {loAscending, {1, 2, 2, 3}, 0, 0}, {loAscending, {1, 2, 2, 3}, 5, 4},
      {loDescending, {3, 2, 1}, 2, 2},   {loDescending, {3, 2, 1}, 4, 0},   {loNone, {3, 1}, 2, 2},
  };
  for (const Case& c : cases) {
    TChartValueList l(nullptr, "X");
    l.SetOrder(c.order);
    for (double v : c.values) l.AddChartValue(v);
    EXPECT_EQ(l.AddChartValue(c.add), c.index);
  }
  TChartValueList l(nullptr, "X");
  for (int i = 0; i < 1001; ++i) l.AddChartValue(i);
  EXPECT_EQ(l.Capacity(), 2000);
}

TEST(Series, PointsAreKeptInXOrderWithLabelsColoursAndNulls) {
  TChartSeries s(nullptr);
  EXPECT_EQ(s.AddXY(3, 30), 0);
  EXPECT_EQ(s.AddXY(1, 10, "one"), 0);
  EXPECT_EQ(s.AddXY(2, 20, "", clRed), 1);
  EXPECT_EQ(s.YValue(0), 10);
  EXPECT_EQ(s.YValue(2), 30);
  EXPECT_EQ(s.Labels(0), "one");
  EXPECT_EQ(s.ValueColor(1), clRed);
  s.AddNull();
  EXPECT_TRUE(s.IsNull(3));
  EXPECT_FALSE(s.IsNull(0));
  TChartSeries empty(nullptr);
  empty.Add(5);
  EXPECT_EQ(empty.XValue(0), 0);
  empty.OnBeforeAdd = [](TChartSeries*) { return false; };
  EXPECT_EQ(empty.Add(1), -1);
  EXPECT_EQ(empty.Count(), 1);
}

TEST(Series, DeleteRefusesIndexesOutsideThePoints) {
  TChartSeries s(nullptr);
  s.Add(1);
  s.Add(2);
  for (int bad : {2, -1}) {
    try {
      s.Delete(bad);
      FAIL() << bad;
    } catch (const ChartException& e) {
      EXPECT_EQ(e.Message(), TeeFormat(TeeMsg_SeriesDelete, {bad, 1}));
    }
  }
  EXPECT_EQ(s.Count(), 2);
  s.Delete(0);
  EXPECT_EQ(s.YValue(0), 2);
}

TEST(Series, UpdatesAreHeldBackUntilTheLastEndUpdate) {
  TChartSeries source(nullptr), copy(nullptr);
  TCustomAxisPanel* none = nullptr;
  (void)none;
  int added = 0;
  source.OnAfterAdd = [&](TChartSeries*, int) { ++added; };
  source.BeginUpdate();
  source.Add(1);
  source.Add(2);
  EXPECT_EQ(added, 0);
  source.EndUpdate();
  EXPECT_EQ(source.Count(), 2);
}

namespace {
template <class T>
T At(const uint8_t* p, size_t off) {
  T v;
  std::memcpy(&v, p + off, sizeof v);
  return v;
}
}  // namespace

TEST(SeriesData, LaysOutFlagsCountAndPointRecords) {
  TChartSeries s(nullptr);
  s.AddXY(0.5, 1.25, "ab", clRed);
  s.AddXY(2, -3);
  TMemoryStream m;
  s.WriteData(m);
  const auto* p = static_cast<const uint8_t*>(m.Memory());
  ASSERT_EQ(m.Size(), 5 + (8 + 8 + 4 + 3) + (8 + 8 + 4 + 1));
  EXPECT_EQ(p[0], 1 | 2 | 4);
  EXPECT_EQ(At<int32_t>(p, 1), 2);
  EXPECT_EQ(At<double>(p, 5), 0.5);
  EXPECT_EQ(At<double>(p, 13), 1.25);
  EXPECT_EQ(At<int32_t>(p, 21), clRed);
  EXPECT_EQ(p[25], 2);
  EXPECT_EQ(p[26], 'a');
  EXPECT_EQ(p[27], 'b');
  EXPECT_EQ(At<double>(p, 28), 2.0);
  EXPECT_EQ(At<int32_t>(p, 44), clTeeColor);
  EXPECT_EQ(p[48], 0);
}

TEST(SeriesData, SequenceXAndSeriesColoursAreNotStored) {
  TChartSeries s(nullptr);
  s.SetSeriesColor(clGreen);
  for (int i = 0; i < 5; ++i) s.Add(i * 2.0, "", i == 3 ? clGreen : clTeeColor);
  TMemoryStream m;
  s.WriteData(m);
  EXPECT_EQ(static_cast<const uint8_t*>(m.Memory())[0], 0);
  EXPECT_EQ(m.Size(), 5 + 5 * 8);
  m.SetPosition(0);
  TChartSeries r(nullptr);
  r.ReadData(m);
  ASSERT_EQ(r.Count(), 5);
  EXPECT_EQ(r.XValue(4), 4);
  EXPECT_EQ(r.YValue(4), 8);
  EXPECT_TRUE(r.DataWasStored());
}

TEST(SeriesData, TwentyThousandPointsAndTwoHundredLabelsRoundTrip) {
  TChartSeries s(nullptr);
  s.BeginUpdate();
  for (int i = 0; i < 20000; ++i) {
    // X runs 0, 1, 2 ... except far beyond the first ten thousand points.
    const double x = i == 15000 ? 15000.5 : i;
    AnsiString label = i >= 19800 ? "p" + std::to_string(i) : AnsiString();
    s.AddXY(x, i * 0.5, label, i == 12345 ? clBlue : clTeeColor);
  }
  s.EndUpdate();
  TMemoryStream m;
  s.WriteData(m);
  EXPECT_EQ(static_cast<const uint8_t*>(m.Memory())[0], 1 | 2 | 4);
  m.SetPosition(0);
  TChartSeries r(nullptr);
  r.ReadData(m);
  ASSERT_EQ(r.Count(), 20000);
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(r.XValue(i), s.XValue(i));
    ASSERT_EQ(r.YValue(i), s.YValue(i));
    ASSERT_EQ(r.Labels(i), s.Labels(i));
    ASSERT_EQ(r.ValueColor(i), s.ValueColor(i));
  }
  EXPECT_EQ(r.Labels(19999), "p19999");
  EXPECT_EQ(r.ValueColor(12345), clBlue);
}

TEST(SeriesData, LabelsLongerThanALengthByteKeepTheirStart) {
  for (const size_t length : {255u, 256u, 1000u}) {
    TChartSeries s(nullptr);
    AnsiString label;
    for (size_t i = 0; i < length; ++i) label += static_cast<char>('a' + i % 26);
    s.Add(1, label);
    TMemoryStream m;
    s.WriteData(m);
    m.SetPosition(0);
    TChartSeries r(nullptr);
    r.ReadData(m);
    EXPECT_EQ(r.Labels(0), label.substr(0, 255)) << length;
  }
}

TEST(SeriesData, CutShortOrNegativeCountsAreReportedAndLeaveNoPoints) {
  TChartSeries s(nullptr);
  for (int i = 0; i < 4; ++i) s.AddXY(i + 0.5, i);
  TMemoryStream m;
  s.WriteData(m);
  m.SetSize(m.Size() - 3);
  m.SetPosition(0);
  TChartSeries r(nullptr);
  EXPECT_THROW(r.ReadData(m), EReadError);
  EXPECT_EQ(r.Count(), 0);
  TMemoryStream neg;
  const uint8_t bytes[] = {0, 0xFF, 0xFF, 0xFF, 0xFF};
  neg.WriteBuffer(bytes, 5);
  neg.SetPosition(0);
  EXPECT_THROW(r.ReadData(neg), EReadError);
}
