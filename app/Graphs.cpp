#include "app/Graphs.h"

#include <algorithm>
#include <cstring>

#include "chart/Chart.h"
#include "chart/TeCanvas.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeTools.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TGraph* Graph = nullptr;

namespace {

enum GraphItem { kIgnition, kInjection, kIgnAir, kIgnCoolant, kInjAir, kInjCoolant, kCranking, kItemCount };

// Record offsets of the tables the selector offers: the two main tables of 34 x 17 words
// (17 words per speed site) and the one-row correction tables of 14 words.
constexpr size_t kIgnitionTable = 512, kInjectionTable = 1668;
constexpr size_t kOneRowTable[kItemCount] = {0, 0, 14456, 14728, 14524, 14796, 15064};
constexpr int kMainColumns = 34, kMainRows = 17, kOneRowWords = 14;
// Grid rows of the one-row tables: the correction sites after the first word.
constexpr int kCorrectionSites = 13;
constexpr int kLoadSites = 16;
constexpr int kDefaultSpeedSiteSpacing = 500;
constexpr int kDefaultZoom = 50;

struct OneRowSetup {
  const char* Title;
  const char* ValueTitle;
};
// Titles of the one-row tables, each under its own name.
constexpr OneRowSetup kOneRow[kItemCount] = {
    {"", ""},
    {"", ""},
    {"Ignition Vs Air Temperature", "Correction (\xB0""Adv)"},
    {"Ignition Vs Coolant Temperature", "Correction (\xB0""Adv)"},
    {"Injection Vs Air Temperature", "Correction"},
    {"Injection Vs Coolant Temperature", "Correction"},
    {"Cranking Prime", "Prime"},
};

int ReadWord(const TMapRecord& m, size_t off) {
  int16_t v;
  std::memcpy(&v, m.Bytes() + off, 2);
  return v;
}

}  // namespace

int GraphSpeedSiteCount(int HardLimit, int SpeedSiteSpacing) {
  const int spacing = SpeedSiteSpacing > 0 ? SpeedSiteSpacing : kDefaultSpeedSiteSpacing;
  return std::clamp(HardLimit / spacing + 2, 8, 32);
}

double GraphTableValue(const TMapRecord& Map, int Item, int X, int Z) {
  if (Item == kIgnition || Item == kInjection) {
    if (X < 0 || X >= kMainRows || Z < 0 || Z >= kMainColumns) return 0;
    const size_t base = Item == kIgnition ? kIgnitionTable : kInjectionTable;
    return ReadWord(Map, base + static_cast<size_t>(Z) * 34 + static_cast<size_t>(X) * 2);
  }
  if (Item < kIgnAir || Item >= kItemCount || Z < 0 || Z >= kOneRowWords) return 0;
  return ReadWord(Map, kOneRowTable[Item] + static_cast<size_t>(Z) * 2);
}

void TGraph::Publish(TClassProps<TGraph>& P) {
  P.Field("Chart1", &TGraph::Chart1)
      .Field("RotationBar", &TGraph::RotationBar)
      .Field("ElevationBar", &TGraph::ElevationBar)
      .Field("Panel1", &TGraph::Panel1)
      .Field("GroupBox1", &TGraph::GroupBox1)
      .Field("GroupBox2", &TGraph::GroupBox2)
      .Field("GraphSelect", &TGraph::GraphSelect)
      .Field("zoom_minus", &TGraph::zoom_minus)
      .Field("zoom_plus", &TGraph::zoom_plus)
      .Field("zoom_reset", &TGraph::zoom_reset)
      .Field("Series1", &TGraph::Series1)
      .Field("ChartTool1", &TGraph::ChartTool1)
      .Field("MainMenu1", &TGraph::MainMenu1)
      .Field("Exit1", &TGraph::Exit1)
      .Field("Exitgraph1", &TGraph::Exitgraph1)
      .Field("Print1", &TGraph::Print1)
      .Field("Printgraph1", &TGraph::Printgraph1)
      .Handler("FormShow", &TGraph::FormShow)
      .Handler("FormResize", &TGraph::FormResize)
      .Handler("GraphSelectChange", &TGraph::GraphSelectChange)
      .Handler("Series1GetYValue", &TGraph::Series1GetYValue)
      .Handler("Series1GetColor", &TGraph::Series1GetColor)
      .Handler("RotationBarChange", &TGraph::RotationBarChange)
      .Handler("ElevationBarChange", &TGraph::ElevationBarChange)
      .Handler("zoom_minusClick", &TGraph::zoom_minusClick)
      .Handler("zoom_plusClick", &TGraph::zoom_plusClick)
      .Handler("zoom_resetClick", &TGraph::zoom_resetClick)
      .Handler("Exitgraph1Click", &TGraph::Exitgraph1Click);
}

int TGraph::SpeedSiteCount() const {
  return GraphSpeedSiteCount(MapSlots[CurrentMap].HardRevLimit, Settings.SpeedSiteStep);
}

void TGraph::FillSurface(int NumX, int NumZ) {
  // A new table starts from the axes' own limits: a wheel scroll of the previous one is undone.
  Chart1->UndoZoom();
  Series1->CreateValues(NumX, NumZ);
  Chart1->DepthAxis()->SetMinMax(1, std::max(NumZ, 2));
}

void TGraph::RefreshSurface() {
  const int item = GraphSelect->ItemIndex();
  if (item >= kIgnAir && item < kItemCount)
    FillSurface(2, kCorrectionSites);
  else
    FillSurface(kLoadSites, SpeedSiteCount());
}

void TGraph::FormShow(TObject*) {
  TView3DOptions* o = Chart1->View3DOptions();
  // The bars cover 270..360 degrees; an angle outside that (the rotate tool turns all the way
  // round) shows at the bar's end and is kept, not snapped to it.
  setting_bars_ = true;
  ElevationBar->SetPosition(o->Elevation());
  RotationBar->SetPosition(o->Rotation());
  setting_bars_ = false;
  GraphSelect->SetItemIndex(0);
  SetActiveControl(GraphSelect);
  // Each showing starts at the ignition table with the load axis shown the plain way.
  Chart1->BottomAxis()->SetInverted(false);
  Chart1->BottomAxis()->SetVisible(true);
  Chart1->DepthAxis()->SetInverted(false);
  FillSurface(kLoadSites, SpeedSiteCount());
}

void TGraph::FormResize(TObject*) {
  if (Chart1) Chart1->Invalidate();
}

void TGraph::GraphSelectChange(TObject*) {
  const int item = GraphSelect->ItemIndex();
  if (item < 0 || item >= kItemCount) return;
  TChartAxis* bottom = Chart1->BottomAxis();
  TChartAxis* depth = Chart1->DepthAxis();
  TChartAxis* left = Chart1->LeftAxis();
  TStrings* title = Chart1->Title()->Text();
  if (item == kIgnition || item == kInjection) {
    bottom->Title()->SetCaption("Load site");
    depth->Title()->SetCaption("Speed site");
    depth->SetInverted(false);
    left->Title()->SetCaption(item == kIgnition ? "Ignition Advance" : "Injection number");
    title->Clear();
    title->Add(item == kIgnition ? "Ignition Map" : "Injection Map");
    bottom->SetInverted(item == kInjection);
    bottom->SetVisible(true);
    FillSurface(kLoadSites, SpeedSiteCount());
    return;
  }
  bottom->Title()->SetCaption("");
  bottom->SetVisible(false);
  bottom->SetInverted(true);
  depth->Title()->SetCaption(item == kCranking ? "Coolant temperature site" : "Temperature \xB0""C");
  depth->SetInverted(true);
  left->Title()->SetCaption(kOneRow[item].ValueTitle);
  title->Clear();
  title->Add(kOneRow[item].Title);
  // Two identical rows over the correction sites make the one-row table a band.
  FillSurface(2, kCorrectionSites);
}

double TGraph::Series1GetYValue(TChartSeries*, int X, int Z) {
  return GraphTableValue(MapSlots[CurrentMap], GraphSelect ? GraphSelect->ItemIndex() : kIgnition, X, Z);
}

void TGraph::Series1GetColor(TChartSeries*, int, TColor&) {}

void TGraph::RotationBarChange(TObject*) {
  if (!setting_bars_) Chart1->View3DOptions()->SetRotation(RotationBar->Position());
}

void TGraph::ElevationBarChange(TObject*) {
  if (!setting_bars_) Chart1->View3DOptions()->SetElevation(ElevationBar->Position());
}

void TGraph::zoom_minusClick(TObject*) {
  TView3DOptions* o = Chart1->View3DOptions();
  o->SetZoom(o->Zoom() - 1);
}

void TGraph::zoom_plusClick(TObject*) {
  TView3DOptions* o = Chart1->View3DOptions();
  o->SetZoom(o->Zoom() + 1);
}

void TGraph::zoom_resetClick(TObject*) {
  Chart1->View3DOptions()->SetZoom(kDefaultZoom);
  // Reset also gives the value axis back its own limits after wheel scrolling.
  Chart1->UndoZoom();
}

void TGraph::Exitgraph1Click(TObject*) { Close(); }

// ---- axis titles ----

void TGraph::Loaded() {
  TForm::Loaded();
  if (Chart1 == nullptr) return;
  // The room an axis keeps for its title beyond its labels lies in the chart's own plane,
  // while the labels are as wide on the screen at every angle: turned nearly edge-on, that
  // room shrinks to nothing and the title comes out on top of its labels. So the load and
  // value axes' titles are drawn once every label stands, moved off them on the screen.
  for (TChartAxis* a : {Chart1->LeftAxis(), Chart1->BottomAxis()})
    a->OnDrawLabel = [this](TChartAxis* Sender, int& X, int& Y, int& Z, AnsiString& Text, bool& DrawLabel) {
      AxisDrawLabel(Sender, X, Y, Z, Text, DrawLabel);
    };
  Chart1->OnBeforeDrawChart = [this](TObject*) {
    titles_.clear();
    label_rects_.clear();
  };
  Chart1->OnAfterDraw = [this](TObject*) { DrawTitles(); };
}

void TGraph::AxisDrawLabel(TChartAxis* Sender, int& X, int& Y, int& Z, AnsiString& Text, bool& DrawLabel) {
  TTeeCanvas3D* c = Chart1->ChartCanvas();
  if (!c->Is3D) return;  // a flat chart keeps room for its titles
  const bool isTitle = Text == Sender->Title()->Caption();
  // Where the axis draws the text's one line: a font height on from the point it places.
  const int angle = isTitle ? Sender->Title()->Angle() : Sender->LabelsAngle();
  const int h = (angle == 180 || angle == 270) ? -c->FontHeight() : c->FontHeight();
  int x = X, y = Y;
  if (angle == 90 || angle == 270) x += h;
  else y += h;
  if (!isTitle) {
    // A label the axis may still leave out for want of room: its place is kept free anyway.
    label_rects_.push_back(c->TextBounds3D(x, y, Z, Text, angle));
    return;
  }
  const TPendingTitle title{Sender, Text, angle, c->GetTextAlign(), c->Calculate3DPosition(x, y, Z),
                            c->TextBounds3D(x, y, Z, Text, angle)};
  // An axis drawn again (with its wall) has its title drawn once, where it was drawn last.
  auto same = std::find_if(titles_.begin(), titles_.end(), [Sender](const TPendingTitle& t) { return t.Axis == Sender; });
  if (same != titles_.end()) *same = title;
  else titles_.push_back(title);
  DrawLabel = false;
}

void TGraph::DrawTitles() {
  TTeeCanvas3D* c = Chart1->ChartCanvas();
  // The labels of every axis: those the chart keeps (from the last pass over its axes) and
  // those of the load and value axes, which a mirrored view draws in an earlier pass too.
  std::vector<TRect> taken = Chart1->AxisLabelRects;
  taken.insert(taken.end(), label_rects_.begin(), label_rects_.end());
  title_rects_.clear();
  // Free: inside the chart, and a pixel or two clear of every label and title.
  constexpr int kGap = 2;
  auto free = [&](const TRect& r) {
    const TRect& b = c->Bounds;
    if (r.Left < b.Left || r.Top < b.Top || r.Right > b.Right || r.Bottom > b.Bottom) return false;
    return std::none_of(taken.begin(), taken.end(), [&](const TRect& o) {
      return r.Left < o.Right + kGap && o.Left < r.Right + kGap && r.Top < o.Bottom + kGap && o.Top < r.Bottom + kGap;
    });
  };
  for (const TPendingTitle& t : titles_) {
    // Away from the chart first, across the axis as a flat chart places its title; the
    // other way round only where the chart's edge leaves no room. The place the axis chose
    // stays when neither is free.
    const int out = t.Axis->OtherSide ? -1 : 1;
    const TPoint away = t.Axis->Horizontal ? TPoint{0, out} : TPoint{-out, 0};
    TPoint shift{0, 0};
    bool found = false;
    const int reach = std::max(c->Bounds.Width(), c->Bounds.Height());
    for (int dir : {1, -1})
      for (int d = 0; d <= reach && !found; ++d) {
        const TPoint p{away.x * d * dir, away.y * d * dir};
        if (free(TRect(t.Box.Left + p.x, t.Box.Top + p.y, t.Box.Right + p.x, t.Box.Bottom + p.y))) {
          shift = p;
          found = true;
        }
      }
    c->AssignFont(t.Axis->Title()->Font());
    c->SetTextAlign(t.Align);
    c->RotateLabel(t.At.x + shift.x, t.At.y + shift.y, t.Text, t.Angle);
    const TRect drawn(t.Box.Left + shift.x, t.Box.Top + shift.y, t.Box.Right + shift.x, t.Box.Bottom + shift.y);
    taken.push_back(drawn);
    title_rects_.push_back(drawn);
  }
  c->SetTextAlign(TA_LEFT);
  titles_.clear();
}
