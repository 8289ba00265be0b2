#include "chart/TeeItems.h"

#include "chart/Chart.h"

#include <algorithm>

// ---- axis items ----

TAxisItem::TAxisItem(TAxisItems* Owner) : TTeeShape(Owner->Axis() ? Owner->Axis()->ParentChart() : nullptr), owner_(Owner) {
  SetTransparent(true);
}

void TAxisItem::SetText(const AnsiString& v) {
  if (v == text_) return;
  text_ = v;
  owner_->Repaint();
}

void TAxisItem::SetValue(double v) {
  if (v == value_) return;
  value_ = v;
  owner_->Repaint();
}

TAxisItems::TAxisItems(TChartAxis* Axis, TTeeShape* Format) : axis_(Axis), format_(Format) {
  if (!format_) {
    own_format_ = std::make_unique<TTeeShape>(Axis ? Axis->ParentChart() : nullptr);
    own_format_->SetTransparent(true);
    format_ = own_format_.get();
  }
}

TAxisItems::~TAxisItems() = default;

TAxisItem* TAxisItems::Add(double Value) {
  items_.push_back(std::make_unique<TAxisItem>(this));
  TAxisItem* item = items_.back().get();
  if (axis_) item->Font()->Assign(axis_->LabelsFont());
  // A stored form holds only what differs from a new item.
  MarkChartDefaults(item);
  item->SetValue(Value);
  return item;
}

TAxisItem* TAxisItems::Add(double Value, const AnsiString& Text) {
  TAxisItem* item = Add(Value);
  item->SetText(Text);
  return item;
}

void TAxisItems::Assign(const TAxisItems& Source) {
  if (&Source == this) return;
  format_->Assign(Source.format_);
  items_.clear();
  for (const auto& s : Source.items_) {
    TAxisItem* item = Add(s->Value(), s->Text());
    item->Assign(s.get());
  }
  Repaint();
}

void TAxisItems::Clear() {
  items_.clear();
  Repaint();
}

void TAxisItems::Repaint() {
  if (axis_ && axis_->ParentChart()) axis_->ParentChart()->Invalidate();
}

// ---- series groups ----

void TSeriesGroup::Remove(TChartSeries* S) { series_.erase(std::remove(series_.begin(), series_.end(), S), series_.end()); }

TSeriesGroupActive TSeriesGroup::Active() const {
  const auto active = std::count_if(series_.begin(), series_.end(), [](TChartSeries* s) { return s->Active(); });
  if (active == static_cast<std::ptrdiff_t>(series_.size())) return gaYes;
  return active == 0 ? gaNo : gaSome;
}

void TSeriesGroup::SetActive(TSeriesGroupActive v) {
  if (v == gaSome || v == Active()) return;
  for (TChartSeries* s : series_) s->SetActive(v == gaYes);
}

TSeriesGroup* TSeriesGroups::Add(const AnsiString& Name) {
  groups_.push_back(std::make_unique<TSeriesGroup>());
  groups_.back()->Name = Name;
  return groups_.back().get();
}

void TSeriesGroups::Delete(int Index) {
  if (Index >= 0 && Index < Count()) groups_.erase(groups_.begin() + Index);
}

void TSeriesGroups::RemoveSeries(TChartSeries* S) {
  for (auto& g : groups_) g->Remove(S);
}

// ---- marks symbol ----

TSeriesMarksSymbol::TSeriesMarksSymbol(TCustomTeePanel* AOwner) : TTeeCustomShape(AOwner) {
  visible_ = false;
  transparent_ = false;
  Shadow()->SetSize(1);
}
