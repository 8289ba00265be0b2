// The log export's sheet (range, sampling, separators, elapsed time) read back by xlrd and
// LibreOffice, and the print renderer's legend layout and flat drawing of a channel
// without a span.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "logger/AbPrtTrd.h"
#include "logger/AbTrend.h"
#include "logger/LoggerExport.h"
#include "logger/XLSWrite.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/DateUtils.h"
#include "platform/ui/Application.h"
#include "tests/logger/XlsReader.h"

namespace {

constexpr double kT0 = 46000.25;       // the first record's date-time
constexpr double kSecond = 1.0 / 86400;

class LogExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    char tmpl[] = "/tmp/cq5-logxlsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    saved_ = LoggerSettings;
    savedFrom_ = ChannelFunctionFrom;
    trend_ = std::make_unique<TAbTrend>(nullptr);
    trend_->SetStartRecording(false);
    for (int n = 1; n <= 8; ++n) {
      TChSettings* c = trend_->Channel(n);
      c->SetValueTo(1000);
      c->SetValueFrom(0);
      c->SetDigitalTo(1000);
      c->SetDigitalFrom(0);
    }
    // Records 0..19 a second apart, channel n holding i * n; five separators after record 9.
    for (int i = 0; i < 20; ++i) {
      TTrendRecord r;
      r.Time = kT0 + i * kSecond + (i >= 10 ? 60 * kSecond : 0);
      for (int n = 0; n < 8; ++n) r.Values[static_cast<size_t>(n)] = static_cast<uint16_t>(i * (n + 1));
      trend_->MutableRecords().push_back(r);
    }
    trend_->InsertSeparator(10);
    LoggerSettings.Channels[1] = 19;  // coolant: stored above its From
  }
  void TearDown() override {
    LoggerSettings = saved_;
    ChannelFunctionFrom = savedFrom_;
    std::filesystem::remove_all(dir_);
  }
  std::string Export(int start, int stop, int samples, const std::string& name = "log.xls") {
    const std::string file = dir_ + "/" + name;
    TXLSWrite w;
    SetUpLogWriter(w);
    w.SetFileName(file);
    w.Open();
    WriteLogSheet(w, *trend_, start, stop, samples, kT0);
    w.Close();
    return file;
  }
  std::string dir_;
  TLoggerSettings saved_;
  decltype(ChannelFunctionFrom) savedFrom_;
  std::unique_ptr<TAbTrend> trend_;
};

TEST_F(LogExport, RangeFirstAndLastRecordsAndTheSeparatorRow) {
  ChannelFunctionFrom[19] = -30;
  const int total = trend_->RecordCount();  // 25 with the separators
  const struct {
    int start, stop, samples;
    std::vector<int> records;  // exported in row order; -1 the one empty row
  } rows[] = {
      {0, total, 100, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {3, 7, 100, {3, 4, 5, 6, 7}},
      {0, total, 15, {0, 6, -1, 18, 24}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.start << ".." << row.stop << " " << row.samples << "%");
    const std::string file = Export(row.start, row.stop, row.samples);
    const xlsread::Workbook b = xlsread::ReadWorkbook(file);
    XLS_REQUIRE_READER(b.Read, "python3-xlrd");
    ASSERT_EQ(b.Error, "");
    EXPECT_EQ(b.Text(0, 4, 2), std::to_string(row.samples) + "% data sample");
    EXPECT_EQ(b.Text(0, 9, 0), "Time Stamp");
    EXPECT_EQ(b.Text(0, 8, 2), "Ch1");
    const double first = trend_->Records()[static_cast<size_t>(row.records.front())].Time;
    int r = 10;
    for (int rec : row.records) {
      SCOPED_TRACE(rec);
      if (rec < 0) {
        EXPECT_FALSE(b.Has(0, r, 0));
      } else {
        const TTrendRecord& tr = trend_->Records()[static_cast<size_t>(rec)];
        EXPECT_DOUBLE_EQ(b.Number(0, r, 0), tr.Time);
        EXPECT_NEAR(b.Number(0, r, 1), tr.Time - first, 1e-9);  // elapsed, across the gap
        EXPECT_DOUBLE_EQ(b.Number(0, r, 2), -30 + tr.Values[0]);
        EXPECT_DOUBLE_EQ(b.Number(0, r, 9), tr.Values[7] + ChannelFunctionFrom[static_cast<size_t>(LoggerSettings.Channels[8])]);
      }
      ++r;
    }
    EXPECT_FALSE(b.Has(0, r, 0)) << "a record past the range";
  }
}

TEST_F(LogExport, LibreOfficeReadsTheSameValues) {
  ChannelFunctionFrom[19] = -30;
  const std::string file = Export(0, trend_->RecordCount(), 100, "lo.xls");
  std::vector<std::vector<std::string>> csv;
  XLS_REQUIRE_READER(xlsread::LibreOfficeCsv(file, csv), "LibreOffice (soffice)");
  const xlsread::Workbook b = xlsread::ReadWorkbook(file);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd");
  ASSERT_GE(csv.size(), 31u);
  EXPECT_EQ(csv[2][2], "Corvane R7TQ data log");
  EXPECT_EQ(csv[9][0], "Time Stamp");
  EXPECT_EQ(csv[9][1], "Elapsed Time");
  EXPECT_EQ(csv[8][2], "Ch1");
  // Data rows: LibreOffice shows each number in its cell's format.
  for (int r = 10; r <= 30; ++r) {
    SCOPED_TRACE(r);
    ASSERT_GE(csv[static_cast<size_t>(r)].size(), 10u);
    if (!b.Has(0, r, 0)) {
      EXPECT_EQ(csv[static_cast<size_t>(r)][0], "");
      continue;
    }
    // The time stamp's cell format is also registered as a built-in style, which LibreOffice
    // shows in its own date-time format: the time of day is what both agree on.
    EXPECT_NE(csv[static_cast<size_t>(r)][0].find(FormatDateTime("hh:nn:ss", b.Number(0, r, 0))), std::string::npos)
        << csv[static_cast<size_t>(r)][0];
    for (int c = 2; c <= 9; ++c)
      EXPECT_EQ(csv[static_cast<size_t>(r)][static_cast<size_t>(c)], std::to_string(static_cast<int>(b.Number(0, r, c))));
  }
}

// Channels set up as the logger sets them (digits = (value - From) x 10^decimals): each
// cell holds the value as the log shows it, to the last bit xlrd reads.
TEST_F(LogExport, ValuesAreTheDecimalsTheLogShows) {
  const auto savedDecimals = ChannelFunctionDecimals;
  const auto savedTo = ChannelFunctionTo;
  TSettingsRecord units;
  units.PressureUnit = 1;  // bar
  FillChannelFunctions(units);
  const struct {
    int function;
    const char* value;  // as the log shows it
  } channels[8] = {{24, "55.6"}, {41, "19.7"}, {14, "13.57"}, {32, "-0.03"},
                   {19, "88"},   {23, "-12.3"}, {18, "0.1"},   {11, "99.9"}};
  TTrendRecord r;
  r.Time = kT0;
  for (int n = 1; n <= 8; ++n) {
    const int f = channels[n - 1].function;
    const size_t i = static_cast<size_t>(f);
    int s = 1;
    for (int d = 0; d < ChannelFunctionDecimals[i]; ++d) s *= 10;
    LoggerSettings.Channels[n] = f;
    TChSettings* c = trend_->Channel(n);
    c->SetValueTo(static_cast<float>(ChannelFunctionTo[i]));
    c->SetValueFrom(static_cast<float>(ChannelFunctionFrom[i]));
    c->SetDigitalTo(ChannelFunctionTo[i] * s);
    c->SetDigitalFrom(ChannelFunctionFrom[i] * s);
    r.Values[static_cast<size_t>(n - 1)] =
        static_cast<uint16_t>(std::lround((std::stod(channels[n - 1].value) - ChannelFunctionFrom[i]) * s));
  }
  trend_->MutableRecords().assign(1, r);
  const std::string file = Export(0, 0, 100, "decimals.xls");
  ChannelFunctionDecimals = savedDecimals;
  ChannelFunctionTo = savedTo;
  const xlsread::Workbook b = xlsread::ReadWorkbook(file);
  XLS_REQUIRE_READER(b.Read, "python3-xlrd");
  ASSERT_EQ(b.Error, "");
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(channels[n - 1].value);
    EXPECT_NEAR(b.Number(0, 10, n + 1), std::stod(channels[n - 1].value), 1e-9);
  }
}

class PrintTrend : public LogExport {};

TEST_F(PrintTrend, SplitLegendSharesTheSpareWidthInThree) {
  const struct {
    int left, right, width, xl, xr;
  } rows[] = {{0, 300, 100, 33, 167}, {10, 410, 150, 43, 227}, {0, 200, 100, 0, 100}};
  for (const auto& row : rows) {
    const auto [xl, xr] = TAbPrintTrend::SplitPositions(row.left, row.right, row.width);
    EXPECT_EQ(xl, row.xl);
    EXPECT_EQ(xr, row.xr);
  }
  // 100 spare pixels: 33 at each side, 34 between the blocks.
  const auto [xl, xr] = TAbPrintTrend::SplitPositions(0, 300, 100);
  EXPECT_EQ(xr - (xl + 100), 34);
}

TEST_F(PrintTrend, LegendColumnsEndWhereTheirTextEnds) {
  TAbPrintTrend p(nullptr);
  p.SetTrend(trend_.get());
  p.Legend()->SetOptions({loName1, loMin, loMinTime, loMax, loMaxTime, loUnit});
  TBitmap bmp;
  bmp.SetSize(10, 10);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetHeight(-12);
  const TLegendColumns cols = p.LegendColumns(c);
  const int g = c->TextWidth("X");
  EXPECT_EQ(cols.Width[0], std::max(c->TextWidth("ChNo"), c->TextWidth(" ch8 ")));
  EXPECT_EQ(cols.Edge[0], cols.Width[0] + g / 2);
  EXPECT_EQ(cols.Edge[1], cols.Edge[0] + cols.Width[1] + g);
  EXPECT_EQ(cols.Edge[2], cols.Edge[1]);  // Name2 is left out
  EXPECT_EQ(cols.Width[3], cols.Width[5]);
  EXPECT_EQ(cols.Edge[7], cols.Edge[6] + cols.Width[7] + g);
  EXPECT_EQ(cols.TotalWidth, cols.Edge[7]);
}

TEST_F(PrintTrend, ChannelWithoutSpanDrawsFlat) {
  for (int n = 2; n <= 8; ++n) trend_->Channel(n)->SetVisible(false);
  TChSettings* c1 = trend_->Channel(1);
  c1->SetColor(clRed);
  c1->SetDigitalTo(0);  // no span
  c1->SetDigitalFrom(0);
  trend_->SetAbsScaleCh(0);
  TAbPrintTrend p(nullptr);
  p.SetTrend(trend_.get());
  p.SetOptions({ptColor, ptSelScaleOnly});  // no caption, legend or scale: only the trace is red
  p.SetFormat(pfPixel);
  p.SetWidth(400);
  p.SetHeight(300);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  p.Render(bmp.Canvas(), 0, 0, true);
  int red = 0, row = -1;
  bool flat = true;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if (bmp.Canvas()->Pixel(x, y) == clRed) {
        ++red;
        if (row < 0) row = y;
        flat &= y == row;
      }
  EXPECT_GT(red, 200);
  EXPECT_TRUE(flat);
}

TEST_F(PrintTrend, PrintedPageLargerThanThePaperIsShrunkToFit) {
  TAbPrintTrend p(nullptr);
  p.SetTrend(trend_.get());
  p.SetFormat(pfPixel);
  p.SetWidth(800);
  p.SetHeight(400);
  p.Legend()->SetOptions({loName1, loMin, loMinTime, loMax, loMaxTime, loUnit});
  p.SetFontSize(7);
  p.SetFontSizeCaption(10);
  p.SetLogPixelScreen(96);
  TBitmap bmp;
  bmp.SetSize(1700, 900);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(TRect{0, 0, 1700, 900});
  // At 192 dots per inch the page would be 1600 x 800; the paper is 850 x 450.
  p.Render(bmp.Canvas(), 10, 10, false, 192, TPoint{850, 450});
  int outside = 0, foot = 0;
  for (int y = 0; y < 900; y += 2)
    for (int x = 0; x < 1700; x += 2) {
      const bool ink = bmp.Canvas()->Pixel(x, y) != clWhite;
      if (ink && (x >= 850 || y >= 450)) ++outside;
      if (ink && x < 850 && y >= 330 && y < 450) ++foot;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(foot, 50) << "the legend at the foot of the page";
}

}  // namespace
