// The trend recorder's record list, separators, extremes, zoom, cursor and record files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <tuple>
#include <utility>
#include <vector>
#include <memory>
#include <string>

#include "InkRuns.h"
#include "gauges/AbFlashT.h"
#include "logger/AbTrend.h"
#include "platform/os/Clock.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Simulate.h"

namespace {

class Trend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    t = std::make_unique<TAbTrend>(nullptr);
    t->SetStartRecording(false);
  }
  std::string Temp(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("trend-" + std::to_string(getpid()) + "-" + name)).string();
  }
  static TTrendRecord Rec(double time, uint16_t v) {
    TTrendRecord r;
    r.Time = time;
    r.Values.fill(v);
    return r;
  }
  std::unique_ptr<TAbTrend> t;
};

TEST_F(Trend, FullListDropsTheOldestGridWidthWhileFlowing) {
  t->SetMaxRecords(72000);
  t->SetGridXPixel(100);
  t->MutableRecords().assign(72001, Rec(45000, 1));
  t->AddRecord();
  EXPECT_EQ(t->RecordCount(), 71902);
  t->SetFlow(false);
  t->AddRecord();
  t->AddRecord();
  EXPECT_EQ(t->RecordCount(), 71904);
  t->SetMaxRecords(50);  // below 100: ignored
  EXPECT_EQ(t->MaxRecords(), 72000);
}

// Records come with every live packet: the record list and its info follow each one, the
// scroll bar's notice (and the repaint) at most every 400 ms, the last one always.
TEST_F(Trend, RecordsAddedFasterThanThePaceAreAnnouncedTogether) {
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  int notices = 0, seen = 0;
  t->OnRecNoChanged = [&](TObject*) {
    ++notices;
    seen = t->RecordInfo().TotalRecords;
  };
  struct Step {
    uint64_t advance;
    int notices, seen;
  } const steps[] = {{0, 1, 0}, {50, 1, 0}, {50, 1, 0}, {250, 1, 0}, {60, 2, 5}, {50, 2, 5}};
  int count = 0;
  for (const Step& s : steps) {
    clock.Advance(s.advance);
    t->AddRecord();
    ++count;
    EXPECT_EQ(t->RecordCount(), count);
    EXPECT_EQ(notices, s.notices) << count;
    EXPECT_EQ(seen, s.seen) << count;  // info counts from two records on
  }
  EXPECT_EQ(t->RecordInfo().TotalRecords, 6);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (notices < 3 && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    usleep(5000);
  }
  EXPECT_EQ(notices, 3);
  EXPECT_EQ(seen, 6);
}

// A trend on screen draws the records that came since it was last drawn when it is next
// painted; the picture is the one a full redraw of the same records gives.
TEST_F(Trend, RecordsDrawnAsTheyComeMatchAFullRedraw) {
  TForm form(nullptr);
  form.SetClientSize(420, 260);
  auto* trend = new TAbTrend(&form);
  trend->SetParent(&form);
  trend->SetBounds(5, 5, 400, 240);
  trend->SetStartRecording(false);
  form.Show();
  Application->ProcessMessages();
  TBitmap shot;
  const auto grab = [&] {
    ui::GrabControl(trend, shot);
    std::vector<TColor> px;
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x) px.push_back(shot.Canvas()->Pixel(x, y));
    return px;
  };
  const std::vector<TColor> empty = grab();
  for (int i = 0; i < 40; ++i) {
    for (int n = 1; n <= 8; ++n) {
      TChSettings* ch = trend->Channel(n);
      ch->SetVisible(n == 1);
      ch->SetValue(static_cast<float>(ch->ValueFrom() + (ch->ValueTo() - ch->ValueFrom()) * ((i * (n + 2)) % 11) / 10.0));
    }
    trend->AddRecord();
    if (i % 7 == 3) grab();  // painted now and then, as the screen is
  }
  const std::vector<TColor> drawnAsTheyCame = grab();
  EXPECT_NE(drawnAsTheyCame, empty);
  trend->CaptionFont()->SetSize(trend->CaptionFont()->Size() + 1);
  trend->CaptionFont()->SetSize(trend->CaptionFont()->Size() - 1);
  const std::vector<TColor> full = grab();
  int diff = 0, minx = 1 << 20, maxx = -1, miny = 1 << 20, maxy = -1;
  for (size_t i = 0; i < full.size(); ++i)
    if (full[i] != drawnAsTheyCame[i]) {
      ++diff;
      const int x = static_cast<int>(i) % shot.Width(), y = static_cast<int>(i) / shot.Width();
      minx = std::min(minx, x); maxx = std::max(maxx, x); miny = std::min(miny, y); maxy = std::max(maxy, y);
    }
  EXPECT_EQ(diff, 0) << minx << "," << miny << " - " << maxx << "," << maxy;
}

TEST_F(Trend, EachRunIsSetApartAfterTheLastRecordOfThePreviousOne) {
  t->AddRecord();
  t->SetStartRecording(true);
  EXPECT_EQ(t->RecordCount(), 1);  // one record: no separator
  t->SetStartRecording(false);
  t->MutableRecords() = {Rec(45000, 3), Rec(45001, 7)};
  t->SetStartRecording(true);
  ASSERT_EQ(t->RecordCount(), 7);
  EXPECT_EQ(t->Records()[1], Rec(45001, 7));  // the last record stays before the run
  for (int i = 2; i < 7; ++i) EXPECT_EQ(t->Records()[static_cast<size_t>(i)], Rec(0, 7));
  // Started again without a record in between: no second separator.
  t->SetStartRecording(false);
  t->SetStartRecording(true);
  EXPECT_EQ(t->RecordCount(), 7);
}

// The shared gauge timer ticks for the trend only while it records: idle, nothing wakes.
TEST_F(Trend, TakesTimerTicksOnlyWhileRecording) {
  t->SetInterval(500);
  EXPECT_FALSE(abflash::IsClient(t.get()));
  t->SetStartRecording(true);
  EXPECT_TRUE(abflash::IsClient(t.get()));
  ASSERT_NE(abflash::FlashTimer(), nullptr);
  EXPECT_TRUE(abflash::FlashTimer()->Running());
  t->SetStartRecording(false);
  EXPECT_FALSE(abflash::IsClient(t.get()));
  EXPECT_FALSE(abflash::FlashTimer()->Running());
}

TEST_F(Trend, ExtremesSkipSeparators) {
  t->MutableRecords() = {Rec(0, 1), Rec(45000.1, 50), Rec(45000.2, 20), Rec(0, 5), Rec(45000.3, 90), Rec(45000.4, 20)};
  ASSERT_TRUE(t->CalcMinMax(0, 5));
  const TTrendMinMax& m = t->MinMaxValues()[0];
  EXPECT_EQ(m.Min, 20);
  EXPECT_DOUBLE_EQ(m.MinTime, 45000.2);  // the earliest extreme keeps its time
  EXPECT_EQ(m.Max, 90);
  EXPECT_DOUBLE_EQ(m.MaxTime, 45000.3);
  EXPECT_FALSE(t->CalcMinMax(-1, 2));
  EXPECT_FALSE(t->CalcMinMax(0, 6));
}

TEST_F(Trend, ZoomStaysWithinATenthAndTen) {
  for (int i = 0; i < 200; ++i) t->ZoomIn();
  EXPECT_FLOAT_EQ(t->Zoom(), 10.0f);
  for (int i = 0; i < 200; ++i) t->ZoomOut();
  EXPECT_FLOAT_EQ(t->Zoom(), 0.1f);
  t->ResetZoom();
  t->ZoomIn();
  t->MoveOffset(10);
  EXPECT_EQ(t->VerticalOffset(), 11);  // 10 x zoom 1.1
}

// A channel without a span (both ends 0) stores 0 and draws flat, without a division by
// its span; a value beyond 16 bits is held at the top instead of wrapping.
TEST_F(Trend, ZeroSpanChannelAndSixteenBitLimit) {
  TChSettings* ch = t->Channel(1);
  ch->SetValueTo(0.0f);
  ch->SetDigitalTo(0);
  ch->SetValue(42.0f);
  EXPECT_EQ(t->CurrentSample()[0], 0);
  TChSettings* wide = t->Channel(2);
  wide->SetValueFrom(-10000);
  wide->SetValueTo(10000);
  wide->SetDigitalFrom(-1000000);
  wide->SetDigitalTo(1000000);
  wide->SetValue(9000);
  EXPECT_EQ(t->CurrentSample()[1], 65535);
  wide->SetValue(-9999);
  EXPECT_EQ(t->CurrentSample()[1], 100 * 1);
  t->AddRecord();
  TDateTime time;
  std::array<float, 8> values{};
  ASSERT_TRUE(t->GetRecord(0, time, values));
  EXPECT_FLOAT_EQ(values[0], ch->ValueFrom());
  t->SetBounds(0, 0, 500, 300);
  t->Redraw();
  const TRect p = t->PlotRect();
  EXPECT_GT(p.Right, p.Left);
  EXPECT_FALSE(t->GetRecord(1, time, values));
}

// Each scale's heading ("°C Ch1" over the channel's scale, "%" over the percent scale)
// stands clear above its top label, whatever the font and the control's size: above the
// second label each scale column holds two runs of ink rows, the heading's and the top
// label's, apart by at least one blank row, and the top label's run holds the plot's top.
TEST_F(Trend, ScaleHeadingsStandClearAboveTheirTopLabels) {
  TChSettings* ch = t->Channel(1);
  ch->SetValueUnit("\xB0" "C");
  ch->SetValueFrom(-40);
  ch->SetValueTo(120);
  ch->SetValueFormat("##0");
  t->SetAbsScaleCh(1);
  t->SetLeftScaleCh(0);
  t->SetGridYSteps(5);
  t->SetOptions({TAbTrend::opLeftScale, TAbTrend::opRightScale, TAbTrend::opTime});
  int looked = 0;
  for (int height : {-9, -11, -13, -16, -19, -24, -32})
    for (bool bold : {false, true})
      for (auto [w, h] : {std::pair(260, 160), std::pair(580, 340), std::pair(1200, 700)}) {
        t->Font()->SetHeight(height);
        t->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
        t->SetBounds(0, 0, w, h);
        t->Redraw();
        TBitmap& shot = *t->Image();
        const TRect p = t->PlotRect();
        const int text_h = shot.Canvas()->TextHeight("0");
        // Where the labels crowd each other there is no row between them to look at.
        if ((p.Bottom - p.Top - 1) / t->GridYSteps() < text_h + 2) continue;
        ++looked;
        const int second_label = p.Top + (p.Bottom - p.Top - 1) / t->GridYSteps() - text_h / 2;
        for (bool left : {true, false}) {
          const int edge = t->BevelOuter()->TotalWidth();
          const auto runs = left ? InkRuns(shot, edge, p.Left - 4, edge, second_label)
                                 : InkRuns(shot, p.Right + 4, w - edge, edge, second_label);
          const std::string where = std::to_string(height) + (bold ? " bold " : " ") + std::to_string(w) + "x" +
                                    std::to_string(h) + (left ? " left" : " right");
          std::string rows;
          for (auto [first, last] : runs) rows += " " + std::to_string(first) + "-" + std::to_string(last);
          ASSERT_EQ(runs.size(), 2u) << where << ", ink rows" << rows << ", plot top " << p.Top;
          EXPECT_LT(runs[0].second + 1, runs[1].first) << where;
          EXPECT_LE(runs[1].first, p.Top) << where;
          EXPECT_GE(runs[1].second, p.Top - 1) << where;
        }
      }
  EXPECT_GE(looked, 36) << looked;
}

TEST_F(Trend, CursorOnASeparatorHasNoData) {
  t->SetBounds(0, 0, 500, 300);
  t->Redraw();
  t->MutableRecords() = {Rec(45000.5, 10), Rec(0, 10), Rec(45000.6, 20)};
  int fired = 0;
  t->OnNewCursorPos = [&](TObject*) { ++fired; };
  const TRect p = t->PlotRect();
  t->MouseMove({}, p.Left + 1, p.Top + 5);
  EXPECT_FALSE(t->ValueAtCursor().DataValid);
  EXPECT_EQ(t->ValueAtCursor().RecordNo, 1);
  t->MouseMove({}, p.Left + 2, p.Top + 5);
  EXPECT_TRUE(t->ValueAtCursor().DataValid);
  EXPECT_DOUBLE_EQ(t->ValueAtCursor().Time, 45000.6);
  EXPECT_EQ(fired, 2);
}

// Two records: days since 1899-12-30 as a little-endian double, then eight 16-bit
// little-endian samples each.
TEST_F(Trend, RecordFileBytes) {
  TTrendRecord a;
  a.Time = 45266.25;  // 2023-12-07 06:00
  a.Values = {1, 2, 0x0102, 0xFFFF, 0, 176, 300, 65534};
  const TTrendRecord b = Rec(0, 0xABCD);
  t->MutableRecords() = {a, b};
  const std::string name = Temp("bytes.lg1");
  ASSERT_EQ(t->SaveToFile(name.c_str()), 0);
  std::ifstream in(name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const unsigned char expected[48] = {
      0x00, 0x00, 0x00, 0x00, 0x48, 0x1A, 0xE6, 0x40,  // 45266.25
      0x01, 0x00, 0x02, 0x00, 0x02, 0x01, 0xFF, 0xFF, 0x00, 0x00, 0xB0, 0x00, 0x2C, 0x01, 0xFE, 0xFF,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // separator
      0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB};
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected), 48));
  TAbTrend other(nullptr);
  ASSERT_EQ(other.LoadFromFile(name.c_str()), 0);
  EXPECT_EQ(other.Records(), t->Records());
  std::filesystem::remove(name);
}

TEST_F(Trend, DamagedRecordFilesAreRefusedWhole) {
  t->MutableRecords() = {Rec(45000, 1), Rec(45001, 2), Rec(45002, 3)};
  const std::string name = Temp("damaged.lg1");
  ASSERT_EQ(t->SaveToFile(name.c_str()), 0);
  // A file cut short keeps its whole records; a limit reads no more than it allows.
  std::filesystem::resize_file(name, 71);
  struct Case { size_t max; size_t loaded; uint64_t partial, leftOut; } cases[] = {
      {SIZE_MAX, 2, 23, 0}, {2, 2, 23, 0}, {1, 1, 23, 1}, {0, 0, 23, 2}};
  for (const Case& c : cases) {
    std::vector<TTrendRecord> out;
    trendio::TReadSummary summary;
    ASSERT_EQ(trendio::ReadRecords(name.c_str(), out, c.max, &summary), 0);
    EXPECT_EQ(out.size(), c.loaded) << c.max;
    EXPECT_EQ(summary.PartialBytes, c.partial) << c.max;
    EXPECT_EQ(summary.RecordsLeftOut, c.leftOut) << c.max;
  }
  std::vector<TTrendRecord> out{Rec(1, 1)};
  // A time that is no date-time.
  TTrendRecord bad = Rec(std::numeric_limits<double>::quiet_NaN(), 1);
  t->MutableRecords() = {Rec(45000, 1), bad};
  ASSERT_EQ(t->SaveToFile(name.c_str()), 0);
  EXPECT_EQ(t->LoadFromFile(name.c_str()), trendio::kReadError);
  EXPECT_EQ(t->RecordCount(), 2);
  std::filesystem::remove(name);
  EXPECT_EQ(trendio::ReadRecords(name.c_str(), out), trendio::kFileNotFound);
}

}  // namespace
