#include "chart/TeEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "chart/TeeConst.h"
#include "chart/TeeFunction.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/streaming/Filer.h"
#include "platform/ui/Dialogs.h"

int ValueListCapacityStep = 1000;

namespace {
[[noreturn]] void IndexError(int Index) { throw EListError("List index out of bounds (" + std::to_string(Index) + ")"); }
}  // namespace

// ---------------------------------------------------------------------------------------
// TChartValueList

TChartValueList::TChartValueList(TChartSeries* Owner, const AnsiString& Name) : owner_(Owner), name_(Name) {
  if (owner_) owner_->value_lists_.push_back(this);
  ClearValues();
}

void TChartValueList::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TChartValueList*>(Source);
  if (!s) return TPersistent::Assign(Source);
  order_ = s->order_;
  date_time_ = s->date_time_;
  value_source_ = s->value_source_;
}

void TChartValueList::SetDateTime(bool v) {
  if (v == date_time_) return;
  date_time_ = v;
  if (owner_) owner_->Repaint();
}

void TChartValueList::SetValueSource(const AnsiString& v) {
  if (v == value_source_) return;
  value_source_ = v;
  if (owner_ && owner_->DataSourceSeries()) owner_->AddValues(owner_->DataSourceSeries());
}

double TChartValueList::Value(int Index) const {
  if (Index < 0 || Index >= count_) IndexError(Index);
  return values_[static_cast<size_t>(Index)];
}

void TChartValueList::SetValue(int Index, double V) {
  if (Index < 0 || Index >= count_) IndexError(Index);
  values_[static_cast<size_t>(Index)] = V;
  modified_ = true;
  if (owner_) owner_->NotifyValue(veModify, Index);
  if (owner_) owner_->Repaint();
}

void TChartValueList::Recalc() {
  count_ = std::min(count_, Capacity());
  if (count_ < 1) {
    max_ = min_ = total_ = total_abs_ = 0;
  } else {
    max_ = min_ = total_ = values_[0];
    total_abs_ = std::fabs(values_[0]);
    for (int i = 1; i < count_; ++i) {
      const double v = values_[static_cast<size_t>(i)];
      if (v < min_)
        min_ = v;
      else if (v > max_)
        max_ = v;
      total_ += v;
      total_abs_ += std::fabs(v);
    }
  }
  modified_ = false;
}

double TChartValueList::MaxValue() {
  if (modified_) Recalc();
  return max_;
}

double TChartValueList::MinValue() {
  if (modified_) Recalc();
  return min_;
}

// Every statistic is refreshed on its own read, so Total is never stale.
double TChartValueList::Total() {
  if (modified_) Recalc();
  return total_;
}

double TChartValueList::TotalABS() {
  if (modified_) Recalc();
  return total_abs_;
}

void TChartValueList::Grow() {
  if (count_ >= Capacity()) values_.resize(values_.size() + static_cast<size_t>(std::max(1, ValueListCapacityStep)));
}

int TChartValueList::AddChartValue(double V) {
  TempValue = V;
  return AddTempValue();
}

int TChartValueList::AddTempValue() {
  const double v = TempValue;
  const int n = count_;
  int index = n;
  if (order_ == loAscending && n > 0 && v < values_[static_cast<size_t>(n - 1)]) {
    int t = n - 1;
    while (t >= 0 && values_[static_cast<size_t>(t)] > v) --t;
    index = t + 1;
  } else if (order_ == loDescending && n > 0 && v > values_[static_cast<size_t>(n - 1)]) {
    int t = n - 1;
    while (t >= 0 && values_[static_cast<size_t>(t)] < v) --t;
    index = t + 1;
  }
  InsertChartValue(index, v);
  return index;
}

void TChartValueList::ClearValues() {
  count_ = 0;
  values_.clear();
  values_.shrink_to_fit();
  modified_ = true;
}

void TChartValueList::InsertChartValue(int Index, double V) {
  if (Index < 0 || Index > count_) IndexError(Index);
  Grow();
  std::move_backward(values_.begin() + Index, values_.begin() + count_, values_.begin() + count_ + 1);
  values_[static_cast<size_t>(Index)] = V;
  ++count_;
  modified_ = true;
}

void TChartValueList::Delete(int Index) {
  if (Index < 0 || Index >= count_) IndexError(Index);
  std::move(values_.begin() + Index + 1, values_.begin() + count_, values_.begin() + Index);
  --count_;
  modified_ = true;
}

void TChartValueList::DeleteRange(int Start, int Quantity) {
  if (Start < 0 || Quantity <= 0 || Start >= count_) return;
  Quantity = std::min(Quantity, count_ - Start);
  std::move(values_.begin() + Start + Quantity, values_.begin() + count_, values_.begin() + Start);
  count_ -= Quantity;
  modified_ = true;
}

void TChartValueList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= count_) IndexError(Index1);
  if (Index2 < 0 || Index2 >= count_) IndexError(Index2);
  std::swap(values_[static_cast<size_t>(Index1)], values_[static_cast<size_t>(Index2)]);
  modified_ = true;
  if (owner_) owner_->NotifyValue(veModify, Index1);
}

void TChartValueList::FillSequence() {
  for (int i = 0; i < count_; ++i) values_[static_cast<size_t>(i)] = i;
  modified_ = true;
  if (owner_) owner_->NotifyValue(veModify, 0);
}

void TChartValueList::MoveFirstToLast() {
  if (count_ > 0) std::rotate(values_.begin(), values_.begin() + 1, values_.begin() + count_);
}

int TChartValueList::CompareValueIndex(int A, int B) const {
  const double a = values_[static_cast<size_t>(A)], b = values_[static_cast<size_t>(B)];
  const int r = a < b ? -1 : a > b ? 1 : 0;
  return order_ == loDescending ? -r : r;
}

void TChartValueList::Sort() {
  if (order_ == loNone || count_ < 2) return;
  SortByCallbacks(
      0, count_ - 1, [this](int a, int b) { return CompareValueIndex(a, b); },
      [this](int a, int b) {
        if (owner_)
          owner_->SwapValueIndex(a, b);
        else
          std::swap(values_[static_cast<size_t>(a)], values_[static_cast<size_t>(b)]);
      });
}

void TChartValueList::DefineProperties(TFiler& Filer) {
  // "Multiplier" of old forms: read and dropped.
  Filer.DefineProperty(
      "Multiplier",
      [](TReader& R) {
        if (R.ReadFloat() != 1.0) ShowMessage("Multiplier property is obsolete.");
      },
      [](TWriter&) {}, false);
}

// ---------------------------------------------------------------------------------------
// Marks and elements

TCustomChartElement::TCustomChartElement(TComponent* AOwner)
    : TComponent(AOwner), pen_(std::make_unique<TChartPen>()) {
  brush_.OnChange = [this](TObject*) { Repaint(); };
  pen_->OnChange = [this](TObject*) { Repaint(); };
}

TCustomChartElement::~TCustomChartElement() = default;

void TCustomChartElement::SetActive(bool v) { SetBooleanProperty(active_, v); }

void TCustomChartElement::SetPen(TChartPen* p) {
  if (p) pen_->Assign(p);
}

void TCustomChartElement::Repaint() {
  if (parent_) parent_->Invalidate();
}

void TCustomChartElement::SetBooleanProperty(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}
void TCustomChartElement::SetColorProperty(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}
void TCustomChartElement::SetDoubleProperty(double& Field, double Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}
void TCustomChartElement::SetIntegerProperty(int& Field, int Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}
void TCustomChartElement::SetStringProperty(AnsiString& Field, const AnsiString& Value) {
  if (Field == Value) return;
  Field = Value;
  Repaint();
}

void TCustomChartSeries::SetTitle(const AnsiString& v) {
  if (v == title_) return;
  title_ = v;
  if (auto* s = dynamic_cast<TChartSeries*>(this); s && parent_) parent_->SeriesChanged(seChangeTitle, s);
  Repaint();
}

// ---------------------------------------------------------------------------------------
// TChartSeries

TChartSeries::TChartSeries(TComponent* AOwner) : TCustomChartSeries(AOwner) {
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, TeeMsg_ValuesX));
  x_values_ = owned_lists_.back().get();
  x_values_->SetOrder(loAscending);
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, TeeMsg_ValuesY));
  y_values_ = owned_lists_.back().get();
  mandatory_ = y_values_;
  not_mandatory_ = x_values_;
  marks_ = std::make_unique<TSeriesMarks>(this);
  ValueFormat = TeeMsg_DefValueFormat;
  PercentFormat = TeeMsg_DefPercentFormat;
}

TChartSeries::~TChartSeries() {
  if (function_ && !function_->Owner())
    delete function_;
  else if (function_)
    function_->SetParentSeries(nullptr);
  function_ = nullptr;
  for (TChartSeries* d : dependants_) {
    auto& s = d->data_sources_;
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
  }
  for (TChartSeries* s : data_sources_) {
    auto& d = s->dependants_;
    d.erase(std::remove(d.begin(), d.end(), this), d.end());
  }
  if (source_) source_->RemoveFreeNotification(this);
  SetParentChart(nullptr);
}

void TChartSeries::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TChartSeries*>(Source);
  if (!s) return TPersistent::Assign(Source);
  series_color_ = s->series_color_;
  color_each_point_ = s->color_each_point_;
  color_source_ = s->color_source_;
  x_labels_source_ = s->x_labels_source_;
  title_ = s->title_;
  show_in_legend_ = s->show_in_legend_;
  horiz_axis_ = s->horiz_axis_;
  vert_axis_ = s->vert_axis_;
  ValueFormat = s->ValueFormat;
  PercentFormat = s->PercentFormat;
  pen_->Assign(s->pen_.get());
  brush_.Assign(&s->brush_);
  for (size_t i = 0; i < value_lists_.size() && i < s->value_lists_.size(); ++i)
    value_lists_[i]->Assign(s->value_lists_[i]);
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::Loaded() {
  TCustomChartSeries::Loaded();
  if (!source_names_.empty() && Owner()) {
    data_sources_.clear();
    for (const AnsiString& n : source_names_)
      if (TComponent* c = Owner()->FindComponent(n)) SetDataSource(c);
    source_names_.clear();
  }
  // A function's points are not stored: compute them once the sources have theirs.
  if (function_ && !data_sources_.empty()) AddValues(data_sources_[0]);
}

void TChartSeries::SetParentChart(TCustomAxisPanel* p) {
  if (p == parent_) return;
  if (parent_) parent_->RemoveSeries(this);
  parent_ = p;
  if (parent_) parent_->AddSeries(this);
  RecalcGetAxis();
}

void TChartSeries::SetActive(bool v) {
  if (v == active_) return;
  active_ = v;
  if (parent_) parent_->SeriesChanged(seChangeActive, this);
  Repaint();
}

void TChartSeries::SetXValue(int Index, double V) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  x_values_->values_[static_cast<size_t>(Index)] = V;
  x_values_->modified_ = true;
  Repaint();
}

void TChartSeries::SetYValue(int Index, double V) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  y_values_->values_[static_cast<size_t>(Index)] = V;
  y_values_->modified_ = true;
  Repaint();
}

AnsiString TChartSeries::Labels(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(labels_.size())) return {};
  return labels_[static_cast<size_t>(Index)];
}

void TChartSeries::SetLabels(int Index, const AnsiString& Text) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  if (Text.empty() && labels_.empty()) return;  // a series without labels keeps none
  if (labels_.size() < static_cast<size_t>(Count())) labels_.resize(static_cast<size_t>(Count()));
  labels_[static_cast<size_t>(Index)] = Text;
  Repaint();
}

void TChartSeries::SetValueColor(int Index, TColor Color) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  if (colors_.empty()) {
    if (Color == clTeeColor) return;
    colors_.assign(static_cast<size_t>(Count()), clTeeColor);
  }
  colors_[static_cast<size_t>(Index)] = Color;
  Repaint();
}

bool TChartSeries::IsNull(int Index) const {
  return Index >= 0 && Index < static_cast<int>(colors_.size()) && colors_[static_cast<size_t>(Index)] == clNone;
}

TColor TChartSeries::GetValueColor(int Index) const {
  if (Index >= 0 && Index < static_cast<int>(colors_.size())) {
    const TColor c = colors_[static_cast<size_t>(Index)];
    if (c != clTeeColor) return c;
  }
  if (color_each_point_) return parent_ ? parent_->GetDefaultColor(Index) : ::GetDefaultColor(Index);
  return SeriesColor();
}

void TChartSeries::SetColorSource(const AnsiString& v) {
  if (color_source_ == v) return;
  color_source_ = v;
  Repaint();
}

void TChartSeries::SetXLabelsSource(const AnsiString& v) {
  if (x_labels_source_ == v) return;
  x_labels_source_ = v;
  Repaint();
}

void TChartSeries::SetSeriesColor(TColor C) {
  if (series_color_ == clTeeColor && C == default_color_) return;
  const bool changed = series_color_ != C;
  series_color_ = C;
  default_color_ = C;
  if (parent_) parent_->SeriesChanged(seChangeColor, this);
  if (changed) Repaint();
}

int TChartSeries::AddXY(double X, double Y, const AnsiString& Label, TColor Color) {
  x_values_->TempValue = X;
  y_values_->TempValue = Y;
  if (OnBeforeAdd && !OnBeforeAdd(this)) return -1;
  const int index = x_values_->AddTempValue();
  y_values_->InsertChartValue(index, y_values_->TempValue);
  for (size_t k = 2; k < value_lists_.size(); ++k) value_lists_[k]->InsertChartValue(index, value_lists_[k]->TempValue);
  if (!colors_.empty()) {
    colors_.insert(colors_.begin() + index, Color);
  } else if (Color != clTeeColor) {
    colors_.assign(static_cast<size_t>(Count() - 1), clTeeColor);
    colors_.insert(colors_.begin() + index, Color);
  }
  if (!Label.empty() || !labels_.empty()) {
    if (labels_.size() < static_cast<size_t>(Count() - 1)) labels_.resize(static_cast<size_t>(Count() - 1));
    labels_.insert(labels_.begin() + index, Label);
  }
  if (update_count_ == 0) NotifyNewValue(this, index);
  return index;
}

int TChartSeries::Add(double Value, const AnsiString& Label, TColor Color) {
  return AddXY(x_values_->Count(), Value, Label, Color);
}

int TChartSeries::AddMandatoryValue(double Value, const AnsiString& Label, TColor Color) {
  if (y_mandatory_) return AddXY(x_values_->Count(), Value, Label, Color);
  return AddXY(Value, y_values_->Count(), Label, Color);
}

int TChartSeries::AddNull(const AnsiString& Label) { return Add(0, Label, clNone); }
int TChartSeries::AddNullXY(double X, double Y, const AnsiString& Label) { return AddXY(X, Y, Label, clNone); }

void TChartSeries::ClearLists() {
  for (TChartValueList* l : value_lists_) l->ClearValues();
  colors_.clear();
  labels_.clear();
  marks_->Clear();
}

void TChartSeries::Clear() {
  FirstValueIndex = LastValueIndex = -1;
  ClearLists();
  if (OnClearValues) OnClearValues(this);
  NotifyValue(veClear, 0);
  if (active_ && parent_ && !parent_->HasState(csDestroying)) Repaint();
}

void TChartSeries::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw ChartException(TeeFormat(TeeMsg_SeriesDelete, {Index, Count() - 1}));
  for (TChartValueList* l : value_lists_) l->Delete(Index);
  if (Index < static_cast<int>(colors_.size())) colors_.erase(colors_.begin() + Index);
  if (Index < static_cast<int>(labels_.size())) labels_.erase(labels_.begin() + Index);
  auto& pos = marks_->Positions();
  if (Index < static_cast<int>(pos.size())) pos.erase(pos.begin() + Index);
  NotifyValue(veDelete, Index);
  if (active_) Repaint();
}

void TChartSeries::DeleteRange(int Start, int Quantity, bool RenumberX) {
  if (Start < 0 || Start >= Count() || Quantity <= 0) return;
  Quantity = std::min(Quantity, Count() - Start);
  for (TChartValueList* l : value_lists_) l->DeleteRange(Start, Quantity);
  auto cut = [Start, Quantity](auto& v) {
    if (Start < static_cast<int>(v.size()))
      v.erase(v.begin() + Start, v.begin() + std::min<int>(Start + Quantity, static_cast<int>(v.size())));
  };
  cut(colors_);
  if (colors_.empty()) colors_.shrink_to_fit();
  cut(labels_);
  cut(marks_->Positions());
  NotifyValue(veDelete, -1);
  if (active_) Repaint();
  if (RenumberX) x_values_->FillSequence();
}

void TChartSeries::SwapValueIndex(int A, int B) {
  for (TChartValueList* l : value_lists_) l->Exchange(A, B);
  if (!colors_.empty()) std::swap(colors_[static_cast<size_t>(A)], colors_[static_cast<size_t>(B)]);
  if (!labels_.empty()) {
    if (labels_.size() < static_cast<size_t>(Count())) labels_.resize(static_cast<size_t>(Count()));
    std::swap(labels_[static_cast<size_t>(A)], labels_[static_cast<size_t>(B)]);
  }
}

void TChartSeries::SortValues() {
  if (mandatory_->Order() != loNone) {
    mandatory_->Sort();
    if (not_mandatory_->ValueSource().empty()) not_mandatory_->FillSequence();
  }
  Repaint();
}

void TChartSeries::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) {
    NotifyValue(veRefresh, 0);
    if (parent_) parent_->SeriesChanged(seDataChanged, this);
    Repaint();
  }
}

void TChartSeries::AddValues(TChartSeries* Source) {
  BeginUpdate();
  Clear();
  if (function_)
    function_->Recompute();
  else if (Source)
    for (int i = 0; i < Source->Count(); ++i) AddChartValue(Source, i);
  EndUpdate();
}

int TChartSeries::AddChartValue(TChartSeries* Source, int Index) {
  double x = Source->XValue(Index), y = Source->YValue(Index);
  if (Source->YMandatory() != y_mandatory_) std::swap(x, y);
  const int i = x_values_->AddChartValue(x);
  y_values_->InsertChartValue(i, y);
  for (size_t k = 2; k < value_lists_.size(); ++k) {
    double v = value_lists_[k]->TempValue;
    if (k < Source->value_lists_.size()) v = Source->value_lists_[k]->Value(Index);
    value_lists_[k]->InsertChartValue(i, v);
  }
  if (!colors_.empty()) colors_.insert(colors_.begin() + i, Source->GetValueColor(Index));
  if (!labels_.empty() || Source->HasLabels()) {
    if (labels_.size() < static_cast<size_t>(Count() - 1)) labels_.resize(static_cast<size_t>(Count() - 1));
    labels_.insert(labels_.begin() + i, Source->Labels(Index));
  }
  return i;
}

void TChartSeries::FillSampleValues(int NumValues) {
  if (NumValues < 0) throw ChartException(TeeMsg_FillSample);
  if (NumValues == 0) NumValues = DefaultSampleCount();
  Clear();
  BeginUpdate();
  try {
    AddSampleValues(NumValues);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  data_stored_ = false;
}

void TChartSeries::PrepareForGallery(bool Enabled) {
  FillSampleValues(4);
  marks_->Hide();
  marks_->Font()->SetSize(7);
  marks_->SetArrowLength(4);
  marks_->SetDrawEvery(2);
  SetColorEachPoint(false);
  if (!Enabled) {
    SetSeriesColor(clSilver);
    return;
  }
  // The first series of the chart takes the palette's first colour, the others its fourth.
  const bool first = !parent_ || parent_->SeriesList().empty() || parent_->SeriesList().front() == this;
  const int index = first ? 0 : 3;
  SetSeriesColor(parent_ ? parent_->GetDefaultColor(index) : ::GetDefaultColor(index));
}

void TChartSeries::AddSampleValues(int NumValues) {
  static std::mt19937 rng(std::random_device{}());
  double minY = 0, maxY = 1000, minX = 0, maxX = NumValues - 1;
  if (x_values_->DateTime()) {
    minX = ::Date();
    maxX = minX + NumValues - 1;
  }
  const double step = NumValues > 1 ? (maxX - minX) / (NumValues - 1) : maxX - minX;
  const double span = std::clamp(maxY - minY, -2147483647.0, 2147483647.0);
  std::uniform_int_distribution<int> start(0, std::max(0, static_cast<int>(span) - 1));
  double y = minY + start(rng);
  std::uniform_real_distribution<double> walk(-span / 20, span / 20);
  for (int i = 0; i < NumValues; ++i) {
    AddXY(minX + i * step, y);
    y = std::clamp(y + walk(rng), minY, maxY);
  }
}

void TChartSeries::SetHorizAxis(THorizAxis v) {
  horiz_axis_ = v;
  if (v != aCustomHorizAxis && !HasState(csLoading)) custom_horiz_ = nullptr;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::SetVertAxis(TVertAxis v) {
  vert_axis_ = v;
  if (v != aCustomVertAxis && !HasState(csLoading)) custom_vert_ = nullptr;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::SetCustomHorizAxis(TChartAxis* a) {
  custom_horiz_ = a;
  horiz_axis_ = a ? aCustomHorizAxis : aBottomAxis;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::SetCustomVertAxis(TChartAxis* a) {
  custom_vert_ = a;
  vert_axis_ = a ? aCustomVertAxis : aLeftAxis;
  RecalcGetAxis();
  Repaint();
}

void TChartSeries::RecalcGetAxis() {
  resolved_horiz_ = resolved_vert_ = nullptr;
  if (!parent_) return;
  resolved_horiz_ = horiz_axis_ == aTopAxis ? parent_->TopAxis() : parent_->BottomAxis();
  if (horiz_axis_ == aCustomHorizAxis && custom_horiz_) resolved_horiz_ = custom_horiz_;
  resolved_vert_ = vert_axis_ == aRightAxis ? parent_->RightAxis() : parent_->LeftAxis();
  if (vert_axis_ == aCustomVertAxis && custom_vert_) resolved_vert_ = custom_vert_;
}

void TChartSeries::SetYMandatory(bool v) {
  y_mandatory_ = v;
  mandatory_ = v ? y_values_ : x_values_;
  not_mandatory_ = v ? x_values_ : y_values_;
}

bool TChartSeries::AssociatedToAxis(const TChartAxis* Axis) const {
  if (!UseAxis() || !Axis) return false;
  if (Axis->Horizontal) return horiz_axis_ == aBothHorizAxis || resolved_horiz_ == Axis;
  return vert_axis_ == aBothVertAxis || resolved_vert_ == Axis;
}

TChartValueList* TChartSeries::ValueListOfAxis(const TChartAxis* Axis) const {
  if (!AssociatedToAxis(Axis)) return nullptr;
  return Axis->Horizontal ? x_values_ : y_values_;
}

TChartValueList* TChartSeries::ValueListByName(const AnsiString& Name) const {
  const AnsiString n = UpperCase(Name);
  for (size_t k = 2; k < value_lists_.size(); ++k)
    if (UpperCase(value_lists_[k]->Name()) == n) return value_lists_[k];
  return y_values_;
}

int TChartSeries::CalcXPos(int Index) const { return resolved_horiz_ ? resolved_horiz_->ValueToPixel(XValue(Index)) : 0; }
int TChartSeries::CalcYPos(int Index) const { return resolved_vert_ ? resolved_vert_->ValueToPixel(YValue(Index)) : 0; }

void TChartSeries::CalcFirstLastVisibleIndex() {
  FirstValueIndex = LastValueIndex = -1;
  const int n = Count();
  if (n == 0) return;
  TChartValueList* other = not_mandatory_;
  TChartAxis* axis = y_mandatory_ ? resolved_horiz_ : resolved_vert_;
  if (!VisibleRangeFlag || other->Order() == loNone || !axis) {
    FirstValueIndex = 0;
    LastValueIndex = n - 1;
    return;
  }
  double mn = axis->IMinimum, mx = axis->IMaximum;
  if (axis->Inverted() && mn > mx) std::swap(mn, mx);
  int first = -1;
  for (int i = 0; i < n; ++i)
    if (other->Value(i) >= mn) {
      first = i;
      break;
    }
  if (first < 0) return;
  FirstValueIndex = first;
  if (other->Value(n - 1) <= mx) {
    LastValueIndex = n - 1;
    return;
  }
  int last = n - 1;
  for (int i = first; i < n; ++i)
    if (other->Value(i) >= mx) {
      last = i;
      break;
    }
  if (!KeepOneBeyond && other->Value(last) > mx) --last;
  LastValueIndex = last;
  if (LastValueIndex < FirstValueIndex) FirstValueIndex = LastValueIndex = -1;
}

void TChartSeries::CalcZOrder() {
  if (!parent_) return;
  if (UserZOrder != -1) {
    z_order_ = UserZOrder;
    parent_->MaxZOrder = std::max(parent_->MaxZOrder, UserZOrder);
  } else if (parent_->View3D()) {
    z_order_ = ++parent_->MaxZOrder;
  } else {
    z_order_ = 0;
  }
}

void TChartSeries::CalcDepthPositions() {
  if (!parent_) return;
  StartZ = parent_->SeriesWidth3D * z_order_;
  EndZ = StartZ + (depth_ != -1 ? depth_ : parent_->SeriesWidth3D);
  MiddleZ = (StartZ + EndZ) / 2;
}

bool TChartSeries::DrawValuesForward() const {
  const bool reverse = parent_ && parent_->ReverseSeries;
  if (y_mandatory_) {
    const bool inv = resolved_horiz_ && resolved_horiz_->Inverted();
    return reverse ? inv : !inv;
  }
  return !(resolved_vert_ && resolved_vert_->Inverted());
}

bool TChartSeries::DrawSeriesForward() const { return !(parent_ && parent_->ReverseSeries); }

void TChartSeries::DrawAllValues() {
  if (FirstValueIndex < 0) return;
  if (DrawValuesForward())
    for (int i = FirstValueIndex; i <= LastValueIndex; ++i) DrawValue(i);
  else
    for (int i = LastValueIndex; i >= FirstValueIndex; --i) DrawValue(i);
}

void TChartSeries::DoBeforeDrawValues() {
  if (BeforeDrawValues) BeforeDrawValues(this);
}

void TChartSeries::DoAfterDrawValues() {
  if (AfterDrawValues) AfterDrawValues(this);
}

bool TChartSeries::MoreSameZOrder() const {
  if (!parent_) return false;
  bool after = false;
  for (TChartSeries* s : parent_->SeriesList()) {
    if (s == this) {
      after = true;
      continue;
    }
    if (after && s->Active() && s->ZOrder() == z_order_) return true;
  }
  return false;
}

AnsiString TChartSeries::DisplayName() const {
  if (!title_.empty()) return title_;
  if (!Name().empty()) return Name();
  int pos = 1;
  if (parent_) {
    const auto& l = parent_->SeriesList();
    pos = static_cast<int>(std::find(l.begin(), l.end(), this) - l.begin()) + 1;
  }
  return TeeMsg_SeriesTitle + std::to_string(pos);
}

AnsiString TChartSeries::GetMarkText(int ValueIndex) {
  const AnsiString sep = marks_->MultiLine() ? AnsiString(1, ChartLineSeparator) : AnsiString(" ");
  auto valueText = [&] { return FormatFloat(ValueFormat, mandatory_->Value(ValueIndex)); };
  auto xText = [&] {
    const double x = not_mandatory_->Value(ValueIndex);
    TChartAxis* a = y_mandatory_ ? resolved_horiz_ : resolved_vert_;
    return a ? a->LabelValue(x) : FormatFloat(ValueFormat, x);
  };
  auto labelText = [&] {
    const AnsiString l = Labels(ValueIndex);
    return l.empty() ? valueText() : l;
  };
  auto percentText = [&] {
    const double t = mandatory_->TotalABS();
    const double p = t == 0 ? 100 : std::fabs(mandatory_->Value(ValueIndex)) * 100 / t;
    return FormatFloat(PercentFormat, p);
  };
  auto percentTotal = [&] {
    return TeeFormat(marks_->MultiLine() ? TeeMsg_OfTotalMultiLine : TeeMsg_OfTotal,
                     {percentText(), FormatFloat(ValueFormat, mandatory_->TotalABS())});
  };
  AnsiString t;
  switch (marks_->Style()) {
    case smsValue: t = valueText(); break;
    case smsPercent: t = percentText(); break;
    case smsLabel: t = labelText(); break;
    case smsLabelPercent: t = labelText() + sep + percentText(); break;
    case smsLabelValue: t = labelText() + sep + valueText(); break;
    case smsLegend:
      t = parent_ ? parent_->LegendTextOfValue(this, ValueIndex) : AnsiString();
      if (!marks_->MultiLine()) t = ReplaceChar(t, ChartColumnSeparator, ' ');
      break;
    case smsPercentTotal: t = percentTotal(); break;
    case smsLabelPercentTotal: t = labelText() + sep + percentTotal(); break;
    case smsXValue: t = xText(); break;
    case smsXY: t = xText() + sep + valueText(); break;
  }
  if (OnGetMarkText) OnGetMarkText(this, ValueIndex, t);
  return t;
}

AnsiString TChartSeries::LegendString(int LegendIndex, TLegendTextStyle Style) {
  const int i = LegendToValueIndex(LegendIndex);
  if (i < 0 || i >= Count()) return {};
  const double v = mandatory_->Value(i);
  const AnsiString value = mandatory_->DateTime() ? FormatDateTime(TeeShortDateFormat, v) : FormatFloat(ValueFormat, v);
  const double t = mandatory_->TotalABS();
  const AnsiString percent = FormatFloat(PercentFormat, t == 0 ? 100 : v * 100 / t);
  TChartAxis* a = y_mandatory_ ? resolved_horiz_ : resolved_vert_;
  const double xv = not_mandatory_->Value(i);
  const AnsiString x = a ? a->LabelValue(xv) : FormatFloat(ValueFormat, xv);
  const AnsiString label = Labels(i);
  const AnsiString sep(1, ChartColumnSeparator);
  switch (Style) {
    case ltsPlain: return label.empty() ? value : label;
    case ltsLeftValue: return value + sep + label;
    case ltsRightValue: return label + sep + value;
    case ltsLeftPercent: return percent + sep + label;
    case ltsRightPercent: return label + sep + percent;
    case ltsXValue: return x;
    case ltsValue: return value;
    case ltsPercent: return percent;
    case ltsXAndValue: return x + sep + value;
    case ltsXAndPercent: return x + sep + percent;
  }
  return value;
}

void TChartSeries::PrepareLegendCanvas(int, TColor&, TBrushStyle&) {}

void TChartSeries::DrawLegendShape(int, const TRect& Rect) {
  if (parent_) parent_->ChartCanvas()->Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TChartSeries::DrawLegend(int ValueIndex, const TRect& Rect) {
  if (!parent_ || (ValueIndex == -1 && color_each_point_)) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const bool savedAuto = parent_->AutoRepaint();
  parent_->SetAutoRepaint(false);
  const TColor color = ValueIndex == -1 ? SeriesColor() : LegendItemColor(ValueIndex);
  if (color != clNone) {
    c->AssignVisiblePen(pen_.get());
    TColor back = parent_->LegendColor != clNone ? parent_->LegendColor : parent_->Color();
    TBrushStyle style = brush_.Style();
    PrepareLegendCanvas(ValueIndex, back, style);
    if (parent_->LegendPen) c->AssignVisiblePen(parent_->LegendPen);
    c->AssignBrushColor(&brush_, color, back);
    if (style != brush_.Style()) c->Brush()->SetStyle(style);
    DrawLegendShape(ValueIndex, Rect);
    if (ColorToRGB(color) == ColorToRGB(parent_->LegendColor)) {
      c->Brush()->SetStyle(bsClear);
      c->Pen()->SetColor(ColorToRGB(color) == clBlack ? clWhite : clBlack);
      DrawLegendShape(ValueIndex, Rect);
    }
    c->Brush()->SetStyle(brush_.Style());
  }
  parent_->SetAutoRepaint(savedAuto);
}

// ---- dependants ----

void TChartSeries::NotifyNewValue(TChartSeries* Sender, int ValueIndex) {
  if (OnAfterAdd) OnAfterAdd(Sender, ValueIndex);
  NotifyValue(veAdd, ValueIndex);
  if (active_) Repaint();
}

void TChartSeries::NotifyValue(TValueEvent ValueEvent, int ValueIndex) {
  if (update_count_ > 0) return;
  const std::vector<TChartSeries*> deps = dependants_;
  for (TChartSeries* d : deps) {
    switch (ValueEvent) {
      case veClear:
        if (d->FollowClearing) d->Clear();
        break;
      case veAdd:
        if (d->FollowInsertions) d->AddedValue(this, ValueIndex);
        break;
      case veDelete:
        if (d->FollowDeletions) d->DeletedValue(this, ValueIndex);
        break;
      case veRefresh: d->AddValues(this); break;
      case veModify:
        if (d->FollowModifications) d->AddValues(this);
        break;
    }
  }
}

void TChartSeries::AddedValue(TChartSeries* Source, int ValueIndex) {
  if (function_) return AddValues(Source);
  AddChartValue(Source, ValueIndex);
  Repaint();
}

void TChartSeries::DeletedValue(TChartSeries* Source, int ValueIndex) {
  (void)Source;
  if (ValueIndex >= 0 && ValueIndex < Count())
    Delete(ValueIndex);
  else if (ValueIndex < 0)
    AddValues(Source);
}

void TChartSeries::SetFunction(TTeeFunction* Function) {
  if (Function == function_) return;
  if (function_) {
    if (function_->Owner()) {
      function_->RemoveFreeNotification(this);
      function_->SetParentSeries(nullptr);
    } else {
      delete function_;
    }
  }
  function_ = Function;
  if (function_) {
    function_->SetParentSeries(this);
    if (function_->Owner()) function_->FreeNotification(this);
  }
  if (parent_) parent_->CheckDataSource(this);
}

void TChartSeries::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomChartSeries::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == function_) function_ = nullptr;
  if (Operation == TOperation::opRemove && AComponent == source_) source_ = nullptr;
}

bool TChartSeries::DependsOn(const TChartSeries* Other) const {
  for (const TChartSeries* s : data_sources_)
    if (s == Other || s->DependsOn(Other)) return true;
  return false;
}

void TChartSeries::SetDataSource(TComponent* Source) {
  if (Source && Source == DataSource()) return;
  auto* series = dynamic_cast<TChartSeries*>(Source);
  auto* loader = dynamic_cast<TTeeSeriesSource*>(Source);
  if (Source && !series && !loader) throw ChartException(TeeFormat(TeeMsg_InvalidDataSource, {Source->Name()}));
  if (Source && !parent_ && !HasState(csLoading)) throw ChartException(TeeMsg_NoParentChart);
  if (series && !IsValidSeriesSource(series))
    throw ChartException(TeeFormat(TeeMsg_InvalidDataSource, {Source->Name()}));
  if (series && series->DependsOn(this)) throw ChartException(TeeMsg_CircularSeries);
  for (TChartSeries* s : data_sources_) {
    auto& d = s->dependants_;
    d.erase(std::remove(d.begin(), d.end(), this), d.end());
  }
  data_sources_.clear();
  TComponent* oldLoader = source_;
  if (source_) source_->RemoveFreeNotification(this);
  source_ = nullptr;
  if (auto* old = dynamic_cast<TTeeSeriesSource*>(oldLoader); old && old->Series() == this) old->SetSeries(nullptr);
  if (!Source) {
    Clear();
    return;
  }
  if (series) {
    data_sources_ = {series};
    series->dependants_.push_back(this);
  } else {
    source_ = loader;
    loader->FreeNotification(this);
    // The source loads into this series from now on, opened again when it was open.
    const bool wasActive = loader->Active();
    loader->SetSeries(this);
    if (wasActive) loader->Open();
    return;
  }
  if (parent_) parent_->CheckDataSource(this);
}

// ---- "Data" property ----

void TChartSeries::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "DataSources",
      [this](TReader& R) {
        R.ReadListBegin();
        source_names_.clear();
        while (!R.EndOfList()) source_names_.push_back(R.ReadString());
        R.ReadListEnd();
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (TChartSeries* s : data_sources_) W.WriteString(s->Name());
        if (source_) W.WriteString(source_->Name());
        W.WriteListEnd();
      },
      !data_sources_.empty() || source_);
  auto axisIndex = [this](TChartAxis* a) {
    if (!parent_) return -1;
    const auto& c = parent_->CustomAxes();
    for (size_t i = 0; i < c.size(); ++i)
      if (c[i].get() == a) return static_cast<int>(i);
    return -1;
  };
  auto customAxis = [this](int i) -> TChartAxis* {
    if (!parent_ || i < 0 || i >= static_cast<int>(parent_->CustomAxes().size())) return nullptr;
    return parent_->CustomAxes()[static_cast<size_t>(i)].get();
  };
  Filer.DefineProperty(
      "CustomHorizAxis", [this, customAxis](TReader& R) { SetCustomHorizAxis(customAxis(R.ReadInteger())); },
      [this, axisIndex](TWriter& W) { W.WriteInteger(axisIndex(custom_horiz_)); }, custom_horiz_ != nullptr);
  Filer.DefineProperty(
      "CustomVertAxis", [this, customAxis](TReader& R) { SetCustomVertAxis(customAxis(R.ReadInteger())); },
      [this, axisIndex](TWriter& W) { W.WriteInteger(axisIndex(custom_vert_)); }, custom_vert_ != nullptr);
  Filer.DefineProperty(
      "Identifier", [this](TReader& R) { Identifier = R.ReadString(); }, [this](TWriter& W) { W.WriteString(Identifier); },
      !Identifier.empty());
  Filer.DefineProperty(
      "Style", [this](TReader& R) { StyleBits = R.ReadInteger() & 63; }, [this](TWriter& W) { W.WriteInteger(StyleBits); },
      StyleBits != 0);
  Filer.DefineBinaryProperty(
      "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
      ForceSaveData || (data_stored_ && !DontSaveData));
}

namespace {
template <class T>
void Put(TStream& S, T v) {
  S.WriteBuffer(&v, sizeof v);
}
template <class T>
T Get(TStream& S) {
  T v{};
  S.ReadBuffer(&v, sizeof v);
  return v;
}
}  // namespace

void TChartSeries::WriteData(TStream& Stream) {
  const int n = Count();
  // Every value, colour and label is looked at, so none is lost on save.
  uint8_t flags = 0;
  if (UseXValues && n >= 1) {
    bool sequence = true;
    for (int i = 0; i < n && sequence; ++i) sequence = not_mandatory_->Value(i) == i;
    if (!sequence) flags |= 1;
  }
  for (TColor c : colors_)
    if (c != clTeeColor && c != SeriesColor()) {
      flags |= 2;
      break;
    }
  for (const AnsiString& l : labels_)
    if (!l.empty()) flags |= 4;
  auto& pos = marks_->Positions();
  for (const auto& p : pos)
    if (p && p->Custom) flags |= 8;
  Put<uint8_t>(Stream, flags);
  Put<int32_t>(Stream, n);
  for (int i = 0; i < n; ++i) {
    if (flags & 1) Put<double>(Stream, not_mandatory_->Value(i));
    Put<double>(Stream, mandatory_->Value(i));
    if (flags & 2) Put<int32_t>(Stream, i < static_cast<int>(colors_.size()) ? colors_[static_cast<size_t>(i)] : clTeeColor);
    if (flags & 4) {
      // A label has a length byte: a longer one keeps its first 255 characters.
      const AnsiString l = Labels(i).substr(0, 255);
      Put<uint8_t>(Stream, static_cast<uint8_t>(l.size()));
      if (!l.empty()) Stream.WriteBuffer(l.data(), static_cast<int64_t>(l.size()));
    }
    for (size_t k = 2; k < value_lists_.size(); ++k) Put<double>(Stream, value_lists_[k]->Value(i));
    if (flags & 8) {
      TSeriesMarkPosition p;
      if (i < static_cast<int>(pos.size()) && pos[static_cast<size_t>(i)]) p = *pos[static_cast<size_t>(i)];
      Put<int32_t>(Stream, p.ArrowFrom.x);
      Put<int32_t>(Stream, p.ArrowFrom.y);
      Put<uint8_t>(Stream, p.ArrowFix ? 1 : 0);
      Put<int32_t>(Stream, p.ArrowTo.x);
      Put<int32_t>(Stream, p.ArrowTo.y);
      Put<uint8_t>(Stream, p.Custom ? 1 : 0);
      Put<int32_t>(Stream, p.Height);
      Put<int32_t>(Stream, p.LeftTop.x);
      Put<int32_t>(Stream, p.LeftTop.y);
      Put<int32_t>(Stream, p.Width);
    }
  }
}

void TChartSeries::ReadData(TStream& Stream) {
  Clear();
  const uint8_t flags = Get<uint8_t>(Stream);
  const int32_t n = Get<int32_t>(Stream);
  if (n < 0) throw EReadError("Series " + Name() + ": stored point count is negative");
  // Each point takes at least 8 bytes: a count beyond what the block holds is corrupt.
  if (static_cast<int64_t>(n) * 8 > Stream.Size() - Stream.Position())
    throw EReadError("Series " + Name() + ": stored points are cut short");
  const bool horizontal = mandatory_ != y_values_;
  BeginUpdate();
  try {
    for (int i = 0; i < n; ++i) {
      double x = (flags & 1) ? Get<double>(Stream) : i;
      double y = Get<double>(Stream);
      if (horizontal) std::swap(x, y);
      const TColor c = (flags & 2) ? Get<int32_t>(Stream) : clTeeColor;
      AnsiString label;
      if (flags & 4) {
        const uint8_t len = Get<uint8_t>(Stream);
        label.resize(len);
        if (len) Stream.ReadBuffer(label.data(), len);
      }
      for (size_t k = 2; k < value_lists_.size(); ++k) value_lists_[k]->TempValue = Get<double>(Stream);
      AddXY(x, y, label, c);
      if (flags & 8) {
        auto p = std::make_unique<TSeriesMarkPosition>();
        p->ArrowFrom.x = Get<int32_t>(Stream);
        p->ArrowFrom.y = Get<int32_t>(Stream);
        p->ArrowFix = Get<uint8_t>(Stream) != 0;
        p->ArrowTo.x = Get<int32_t>(Stream);
        p->ArrowTo.y = Get<int32_t>(Stream);
        p->Custom = Get<uint8_t>(Stream) != 0;
        p->Height = Get<int32_t>(Stream);
        p->LeftTop.x = Get<int32_t>(Stream);
        p->LeftTop.y = Get<int32_t>(Stream);
        p->Width = Get<int32_t>(Stream);
        marks_->Positions().push_back(std::move(p));
      }
    }
  } catch (...) {
    update_count_ = 0;
    ClearLists();
    throw;
  }
  EndUpdate();
  data_stored_ = true;
}

