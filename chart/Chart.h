#pragma once
// A chart panel that draws its series as simple lines between titled axes. It holds
// only what the program's windows use so far: axis titles, the chart title and the
// list of series that name it as their parent.
#include <vector>
#include "platform/classes/Lists.h"
#include "platform/ui/Controls.h"

class TChartSeries;

class TChartAxisTitle : public TPersistent {
 public:
  const char* ClassName() const override { return "TChartAxisTitle"; }
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { caption_ = v; }

 private:
  AnsiString caption_;
};

class TChartAxis : public TPersistent {
 public:
  const char* ClassName() const override { return "TChartAxis"; }
  TChartAxisTitle* Title() { return &title_; }
  bool Inverted() const { return inverted_; }
  void SetInverted(bool v) { inverted_ = v; }

 private:
  TChartAxisTitle title_;
  bool inverted_ = false;
};

// The chart title: lines of text above the plot.
class TChartTitle : public TPersistent {
 public:
  const char* ClassName() const override { return "TChartTitle"; }
  TStrings* Text() { return &text_; }

 private:
  TStringList text_;
};

class TChart : public TCustomControl {
 public:
  explicit TChart(TComponent* AOwner);
  ~TChart() override;
  const char* ClassName() const override { return "TChart"; }

  TChartTitle* Title() { return &title_; }
  TChartAxis* LeftAxis() { return &left_; }
  TChartAxis* BottomAxis() { return &bottom_; }
  TChartAxis* DepthAxis() { return &depth_; }

  int SeriesCount() const { return static_cast<int>(series_.size()); }
  TChartSeries* Series(int i) const { return series_.at(static_cast<size_t>(i)); }

  void Paint() override;

 private:
  friend class TChartSeries;  // series add and remove themselves
  void AddSeries(TChartSeries* s);
  void RemoveSeries(TChartSeries* s);

  TChartTitle title_;
  TChartAxis left_, bottom_, depth_;
  std::vector<TChartSeries*> series_;
};

// Registers the chart and series classes for form resources; later calls do nothing.
void RegisterChartClasses();
