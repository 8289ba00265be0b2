// Settings objects, the update lock, the analog value model and the scale measures.
#include <gtest/gtest.h>

#include "gauges/GaugeClasses.h"
#include "gauges/_GClass.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Application.h"

namespace {

class GClassTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    RegisterGaugeClasses();
  }
};

TEST_F(GClassTest, SettersIgnoreWhatTheirRulesRefuse) {
  TLED led;
  int changes = 0;
  led.OnChange = [&](TObject*) { ++changes; };
  for (int bad : {3, 81}) led.SetWidth(bad);
  EXPECT_EQ(led.Width(), 13);
  led.SetWidth(4);
  led.SetHeight(80);
  led.SetWidth(4);  // equal: no notice
  EXPECT_EQ(led.Width(), 4);
  EXPECT_EQ(led.Height(), 80);
  EXPECT_EQ(changes, 2);

  TSignalSettings s;
  s.SetValueFrom(100);  // equal to ValueTo
  EXPECT_EQ(s.ValueFrom(), 0.0f);
  s.SetValueFrom(5);
  s.SetValueFrom(0);
  EXPECT_FLOAT_EQ(s.ValueFrom(), 1e-6f);
  s.SetValueFormat("0.0;-0.00");
  EXPECT_EQ(s.LongestFormat(), "-0.00");

  TSignalSettings r;
  r.SetValueFrom(20);
  const float range = r.ValueRange(), upd = r.UnitsPerDigit();
  r.SetValueTo(-1);  // From >= 0 and To <= 0: the range keeps its value
  r.SetValueFrom(10);
  r.SetValueTo(0);
  EXPECT_EQ(r.ValueRange(), range);
  EXPECT_EQ(r.UnitsPerDigit(), upd);

  TScaleSettings sc;
  for (int bad : {0, 21}) sc.SetSteps(bad);
  for (int bad : {0, 11}) sc.SetSubSteps(bad);
  EXPECT_EQ(sc.Steps(), 5);
  EXPECT_EQ(sc.SubSteps(), 2);

  TAbSBevel b;
  b.SetBevelLine(blBoth);
  EXPECT_EQ(b.TotalWidth(), 9);
}

TEST_F(GClassTest, LogStepsDivideTheDecades) {
  EXPECT_EQ(TScaleSettings::LogSteps(5, 4), 4);
  EXPECT_EQ(TScaleSettings::LogSteps(3, 4), 2);
  EXPECT_EQ(TScaleSettings::LogSteps(5, 3), 3);
  EXPECT_EQ(TScaleSettings::LogSteps(5, 0), 1);
  EXPECT_EQ(TScaleSettings::LogSteps(1, 4), 1);
  EXPECT_EQ(TScaleSettings::LogSteps(4, 7), 1);
}

TEST_F(GClassTest, UpdateLockAppliesOnce) {
  struct Counting : TAbGraphicControl {
    using TAbGraphicControl::TAbGraphicControl;
    int runs = 0;
    void SettingsChanged() override { ++runs; }
  } c(nullptr);
  c.EndUpdate();  // without BeginUpdate: stays at 0, runs once
  EXPECT_EQ(c.UpdateCount(), 0);
  EXPECT_EQ(c.runs, 1);
  c.BeginUpdate();
  c.BeginUpdate();
  c.ParamChange();
  c.EndUpdate();
  EXPECT_EQ(c.runs, 1);
  c.EndUpdate();
  EXPECT_EQ(c.runs, 2);
}

struct Events {
  std::vector<int> overflow;
  std::vector<std::pair<bool, bool>> limits;
  int values = 0;
  void Hook(TAbAnalogGControl& g) {
    g.OnOverflow = [this](TObject*, int p) { overflow.push_back(p); };
    g.OnLimit = [this](TObject*, bool lo, bool up) { limits.emplace_back(lo, up); };
    g.OnValueChange = [this](TObject*) { ++values; };
  }
};

TEST_F(GClassTest, LinearValuesMapToDigitsAndPerMille) {
  TAbAnalogGControl g(nullptr);
  g.Loaded();
  Events ev;
  ev.Hook(g);
  g.SetValue(37.5f);
  EXPECT_EQ(g.Digit(), 375);
  EXPECT_EQ(g.PPT(), 375);
  g.SetValue(120);
  EXPECT_EQ(g.Digit(), 1200);
  EXPECT_EQ(g.PPT(), 1000);
  g.SetValue(130);
  EXPECT_EQ(ev.overflow, std::vector<int>{1200});
  g.SetValue(50);
  EXPECT_EQ(ev.overflow, (std::vector<int>{1200, 500}));
  EXPECT_FALSE(g.Overflow());
  const int before = ev.values;
  g.SetValue(50);  // same value: nothing
  EXPECT_EQ(ev.values, before);
  g.SetValue(-10);
  EXPECT_TRUE(g.Underflow());
  EXPECT_EQ(g.PPT(), 0);
  EXPECT_EQ(ev.limits.back(), std::make_pair(true, false));
}

TEST_F(GClassTest, SectorsIncludeBothEnds) {
  TAbAnalogGControl g(nullptr);
  g.Loaded();
  g.SetValue(25.0f);  // PPT 250
  EXPECT_TRUE(g.InSector(1));
  EXPECT_FALSE(g.InSector(2));
  EXPECT_EQ(g.CurrentSectorColor(), clYellow);
  g.SetValue(25.1f);  // PPT 251
  EXPECT_FALSE(g.InSector(1));
  EXPECT_TRUE(g.InSector(2));
  EXPECT_EQ(g.CurrentSectorColor(), clGreen);
}

TEST_F(GClassTest, LogScaleRoundsToDecades) {
  TAbAnalogGControl g(nullptr);
  g.Loaded();
  g.SignalSettings()->SetValueFrom(0.2f);
  g.SignalSettings()->SetValueTo(1500);
  g.SetLogScale(true);
  EXPECT_FLOAT_EQ(g.SignalSettings()->ValueFrom(), 0.1f);
  EXPECT_FLOAT_EQ(g.SignalSettings()->ValueTo(), 1000);
  EXPECT_NEAR(g.DigitsPerDecade(), 250, 1e-3);
  g.SetValue(10);
  EXPECT_EQ(g.Digit(), 500);
  EXPECT_EQ(g.PPT(), 500);
  g.SetValue(-3);  // refused on a log scale
  EXPECT_EQ(g.Value(), 10);
}

TEST_F(GClassTest, DegenerateRangesShowTheMinimum) {
  TAbAnalogGControl g(nullptr);
  g.Loaded();
  g.SignalSettings()->SetDigitalTo(0);  // digital span 0
  g.SetValue(70);
  EXPECT_EQ(g.PPT(), 0);
  TAbAnalogGControl h(nullptr);
  h.Loaded();
  h.SignalSettings()->SetValueFrom(0.5f);
  h.SignalSettings()->SetValueTo(0.6f);
  h.SetLogScale(true);  // both ends round to the same decade
  h.SetValue(3);
  EXPECT_GE(h.PPT(), 0);
  EXPECT_LE(h.PPT(), 1000);
}

TEST_F(GClassTest, MinMaxTrackingAndHint) {
  TAbAnalogGControl g(nullptr);
  g.Loaded();
  int minmax = 0;
  g.OnMinMaxChange = [&](TObject*) { ++minmax; };
  g.SetHintOptions(THintOptions{hoAutoHint, hoValue});
  g.SetValue(40);  // first value after the reset: both recorded, reported for the maximum
  EXPECT_EQ(g.MinMax()->Min(), 40);
  EXPECT_EQ(g.MinMax()->Max(), 40);
  EXPECT_EQ(minmax, 1);
  g.SetValue(30);
  g.SetValue(60);
  EXPECT_EQ(minmax, 3);
  EXPECT_EQ(g.MinPPT(), 300);
  EXPECT_EQ(g.MaxPPT(), 600);
  EXPECT_EQ(g.Hint(), "Value= 60.0 %");
}

TEST_F(GClassTest, SettingsRoundTripThroughAFormResource) {
  const char* text =
      "object G: TAbAnalogGControl\n"
      "  SignalSettings.ValueFrom = -20\n"
      "  SignalSettings.ValueTo = 80\n"
      "  SignalSettings.ValueUnit = 'mph'\n"
      "  SectorSettings.Sector1To = 333\n"
      "  SectorSettings.Sector4Color = clRed\n"
      "  MinMax.MaxColor = clFuchsia\n"
      "  Value = 30\n"
      "end\n";
  TAbAnalogGControl g(nullptr);
  AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&g);
  EXPECT_EQ(g.SignalSettings()->ValueFrom(), -20);
  EXPECT_EQ(g.SignalSettings()->ValueUnit(), "mph");
  EXPECT_EQ(g.SectorSettings()->SectorTo(1), 333);
  EXPECT_EQ(g.SectorSettings()->SectorFrom(2), 251);  // omitted: the new control's value
  EXPECT_EQ(g.PPT(), 500);
  AnsiString out;
  TWriter w(out);
  w.WriteRootComponent(&g);
  TAbAnalogGControl h(nullptr);
  TReader r2(out.data(), out.size());
  r2.ReadRootComponent(&h);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(h.SectorSettings()->SectorColor(k), g.SectorSettings()->SectorColor(k));
    EXPECT_EQ(h.SectorSettings()->SectorFrom(k), g.SectorSettings()->SectorFrom(k));
    EXPECT_EQ(h.SectorSettings()->SectorTo(k), g.SectorSettings()->SectorTo(k));
  }
  EXPECT_EQ(h.MinMax()->MaxColor(), clFuchsia);
  EXPECT_EQ(h.SignalSettings()->ValueTo(), 80);
  EXPECT_EQ(ObjectBinaryToText(out), ObjectBinaryToText(AnsiString(out)));
}

TEST_F(GClassTest, ScaleMeasuresLabels) {
  TBitmap bmp;
  bmp.SetSize(10, 10);
  TScaleSettings s;
  s.MeasureLinear(bmp.Canvas(), 100, 0);
  EXPECT_EQ(s.LabelText, "100;80;60;40;20;0;");
  EXPECT_GT(s.LabelHeight, 0);
  EXPECT_EQ(s.MainTickLength, AbRound(s.LabelHeight / 1.4));
  EXPECT_EQ(s.TotalLength, AbRound(s.LabelHeight * 5 * 1.4));
  s.MeasureRound(bmp.Canvas(), 100, 0);
  EXPECT_EQ(s.LabelText, "0;20;40;60;80;100;");
  s.LogScale = true;
  s.MeasureLinear(bmp.Canvas(), 1000, 0.1);
  EXPECT_EQ(s.LogStepCount, 4);
  s.MeasureRound(bmp.Canvas(), 1000, 1);
  EXPECT_EQ(s.LogStepCount, 3);
  EXPECT_EQ(s.LabelText, "1e0;1e1;1e2;1e3;");
}

TEST_F(GClassTest, BarSettingsPaintTheBarAndItsSegments) {
  TBitmap bmp;
  bmp.SetSize(100, 20);
  TBarSettings b;
  b.BarRect = TRect(0, 0, 100, 20);
  b.PaintBar(bmp.Canvas(), 500);
  EXPECT_EQ(bmp.Canvas()->Pixel(20, 10), clLime);
  EXPECT_EQ(bmp.Canvas()->Pixel(80, 10), clBlack);
  // A vertical bar grows upwards.
  TBitmap v;
  v.SetSize(10, 100);
  b.BarRect = TRect(0, 0, 10, 100);
  b.PaintBar(v.Canvas(), 250);
  EXPECT_EQ(v.Canvas()->Pixel(5, 90), clLime);
  EXPECT_EQ(v.Canvas()->Pixel(5, 10), clBlack);
  // LED bars of every length, down to a sliver, stay inside their bitmap.
  b.SetStyle(bsLED_Bar);
  for (int len : {1, 2, 3, 4, 5, 9, 100}) {
    TBitmap s;
    s.SetSize(len, 2);
    b.BarRect = TRect(0, 0, len, 2);
    b.PaintBar(s.Canvas(), 1000);
  }
  b.BarRect = TRect(0, 0, 100, 20);
  b.PaintBar(bmp.Canvas(), 1000);
  EXPECT_EQ(bmp.Canvas()->Pixel(2, 10), clYellow);   // first segment: sector 1
  EXPECT_EQ(bmp.Canvas()->Pixel(98, 10), clBlue);    // last: sector 4
  EXPECT_EQ(bmp.Canvas()->Pixel(4, 10), clBlack);    // the gap between segments
}

}  // namespace
