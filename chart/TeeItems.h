#pragma once
// Small objects around axes and series: custom axis labels (TAxisItem, TAxisItems), named
// groups of series switched on and off together (TSeriesGroup, TSeriesGroups), and the
// colour square beside a series mark (TSeriesMarksSymbol).
#include <memory>
#include <vector>
#include "chart/TeEngine.h"

class TAxisItems;

// One custom label of an axis: a text at a value, drawn in its own transparent frame.
class TAxisItem : public TTeeShape {
 public:
  explicit TAxisItem(TAxisItems* Owner);
  const char* ClassName() const override { return "TAxisItem"; }
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v);
  double Value() const { return value_; }
  void SetValue(double v);
  TAxisItems* Owner() const { return owner_; }

 private:
  TAxisItems* owner_;
  AnsiString text_;
  double value_ = 0;
};

// The custom labels of an axis. When it has any, they replace the computed labels.
class TAxisItems {
 public:
  // Format is the shared look of the items; the axis passes its labels' shape (its
  // visibility is the axis' Labels, its font the LabelsFont). Without one the list keeps
  // a look of its own.
  explicit TAxisItems(TChartAxis* Axis, TTeeShape* Format = nullptr);
  ~TAxisItems();
  TAxisItems(const TAxisItems&) = delete;
  TAxisItems& operator=(const TAxisItems&) = delete;

  TChartAxis* Axis() const { return axis_; }
  // The look the items share.
  TTeeShape* Format() { return format_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TAxisItem* operator[](int Index) const { return items_.at(static_cast<size_t>(Index)).get(); }
  TAxisItem* Items(int Index) const { return (*this)[Index]; }
  // A new item at value 0 (a form reading the items fills it in).
  TAxisItem* Add() { return Add(0); }
  TAxisItem* Add(double Value);
  TAxisItem* Add(double Value, const AnsiString& Text);
  void Assign(const TAxisItems& Source);
  void Clear();
  void Repaint();

 private:
  TChartAxis* axis_;
  std::unique_ptr<TTeeShape> own_format_;
  TTeeShape* format_;
  std::vector<std::unique_ptr<TAxisItem>> items_;
};

enum TSeriesGroupActive { gaYes, gaNo, gaSome };

class TSeriesGroup {
 public:
  AnsiString Name;
  const std::vector<TChartSeries*>& Series() const { return series_; }
  // Replaces the group's series with those of List.
  void SetSeries(const std::vector<TChartSeries*>& List) { series_ = List; }
  void Add(TChartSeries* S) { series_.push_back(S); }
  void Remove(TChartSeries* S);
  // gaYes when every series is active (or there are none), gaSome when some are, gaNo when none.
  TSeriesGroupActive Active() const;
  // gaYes activates and gaNo deactivates every series; gaSome changes nothing.
  void SetActive(TSeriesGroupActive v);

 private:
  std::vector<TChartSeries*> series_;
};

class TSeriesGroups {
 public:
  int Count() const { return static_cast<int>(groups_.size()); }
  TSeriesGroup* operator[](int Index) const { return groups_.at(static_cast<size_t>(Index)).get(); }
  TSeriesGroup* Add(const AnsiString& Name = AnsiString());
  void Delete(int Index);
  void Clear() { groups_.clear(); }
  // A series that goes away leaves every group.
  void RemoveSeries(TChartSeries* S);

 private:
  std::vector<std::unique_ptr<TSeriesGroup>> groups_;
};

// The colour square drawn beside a mark: hidden until asked for, opaque, with a one-pixel shadow.
class TSeriesMarksSymbol : public TTeeCustomShape {
 public:
  explicit TSeriesMarksSymbol(TCustomTeePanel* AOwner);
  const char* ClassName() const override { return "TSeriesMarksSymbol"; }
  bool ShouldDraw() const { return Visible() && !Transparent(); }
};
