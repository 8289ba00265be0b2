#pragma once
// Chart series: a list of points (X, Y, label, colour) drawn by the chart they name as
// ParentChart. Series are components of the form; the chart only lists them.
#include <functional>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Colors.h"

class TChart;
class TChartSeries;

// Colour of a point that takes the series' colour.
constexpr TColor clTeeColor = static_cast<TColor>(0x20000000);

// One coordinate of every point of a series.
class TChartValueList : public TPersistent {
 public:
  explicit TChartValueList(TChartSeries* Owner) : owner_(Owner) {}
  const char* ClassName() const override { return "TChartValueList"; }
  int Count() const { return static_cast<int>(values_.size()); }
  double Value(int Index) const { return values_.at(static_cast<size_t>(Index)); }
  // Replaces the value at Index (out of range raises EListError), marks the list as
  // modified and has the series redrawn.
  void SetValue(int Index, double Value);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  double MinValue() const;
  double MaxValue() const;

 private:
  friend class TChartSeries;
  friend class TSurfaceSeries;
  TChartSeries* owner_;
  std::vector<double> values_;
  bool modified_ = false;
};

class TChartSeries : public TComponent {
 public:
  explicit TChartSeries(TComponent* AOwner);
  ~TChartSeries() override;
  const char* ClassName() const override { return "TChartSeries"; }

  TChart* ParentChart() const { return chart_; }
  void SetParentChart(TChart* Chart);
  TColor SeriesColor() const { return color_; }
  void SetSeriesColor(TColor v);
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& v) { title_ = v; }

  TChartValueList* XValues() { return &x_; }
  TChartValueList* YValues() { return &y_; }
  const TChartValueList* YValues() const { return &y_; }
  int Count() const { return y_.Count(); }
  AnsiString Label(int Index) const { return labels_.at(static_cast<size_t>(Index)); }
  TColor ValueColor(int Index) const;

  // Removes every point.
  virtual void Clear();
  // Appends a point whose X is the number of points before it; returns its index.
  int Add(double Value, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  int AddXY(double X, double Y, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);

  // Asks the chart to draw again.
  void Repaint();

 private:
  friend class TChart;
  TChart* chart_ = nullptr;
  TColor color_ = clRed;
  AnsiString title_;
  TChartValueList x_{this}, y_{this};
  std::vector<AnsiString> labels_;
  std::vector<TColor> colors_;
};

// A line series drawn without per-point marks.
class TFastLineSeries : public TChartSeries {
 public:
  using TChartSeries::TChartSeries;
  const char* ClassName() const override { return "TFastLineSeries"; }
};
