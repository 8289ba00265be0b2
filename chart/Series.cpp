#include "chart/Series.h"

#include <algorithm>

#include "chart/Chart.h"
#include "platform/rtl/SysUtils.h"

void TChartValueList::SetValue(int Index, double Value) {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  values_[static_cast<size_t>(Index)] = Value;
  modified_ = true;
  owner_->Repaint();
}

double TChartValueList::MinValue() const {
  return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end());
}

double TChartValueList::MaxValue() const {
  return values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end());
}

TChartSeries::TChartSeries(TComponent* AOwner) : TComponent(AOwner) {}

TChartSeries::~TChartSeries() { SetParentChart(nullptr); }

void TChartSeries::SetParentChart(TChart* Chart) {
  if (Chart == chart_) return;
  if (chart_ != nullptr) chart_->RemoveSeries(this);
  chart_ = Chart;
  if (chart_ != nullptr) chart_->AddSeries(this);
}

void TChartSeries::SetSeriesColor(TColor v) {
  color_ = v;
  Repaint();
}

TColor TChartSeries::ValueColor(int Index) const {
  const TColor c = colors_.at(static_cast<size_t>(Index));
  return c == clTeeColor ? color_ : c;
}

void TChartSeries::Clear() {
  x_.values_.clear();
  y_.values_.clear();
  labels_.clear();
  colors_.clear();
  x_.modified_ = y_.modified_ = true;
  Repaint();
}

int TChartSeries::Add(double Value, const AnsiString& Label, TColor Color) {
  return AddXY(Count(), Value, Label, Color);
}

int TChartSeries::AddXY(double X, double Y, const AnsiString& Label, TColor Color) {
  x_.values_.push_back(X);
  y_.values_.push_back(Y);
  labels_.push_back(Label);
  colors_.push_back(Color);
  Repaint();
  return Count() - 1;
}

void TChartSeries::Repaint() {
  if (chart_ != nullptr) chart_->Invalidate();
}
