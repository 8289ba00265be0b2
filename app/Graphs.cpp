#include "app/Graphs.h"

#include <algorithm>
#include <cstring>

#include "chart/Chart.h"
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
