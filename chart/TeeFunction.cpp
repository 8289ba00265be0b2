// Functions that compute a series from its sources, series sources, and the small helpers
// the chart editors share.
#include "chart/TeeFunction.h"

#include <cmath>

#include "chart/TeeConst.h"
#include "platform/classes/Lists.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

TTeeFunction::TTeeFunction(TComponent* AOwner) : TComponent(AOwner) {}

void TTeeFunction::Assign(TPersistent* Source) {
  auto* f = dynamic_cast<TTeeFunction*>(Source);
  if (!f) return TComponent::Assign(Source);
  period_ = f->period_;
  period_style_ = f->period_style_;
  period_align_ = f->period_align_;
}

void TTeeFunction::Changed() {
  if (Updating || !parent_) return;
  if (parent_->ParentChart()) parent_->ParentChart()->CheckDataSource(parent_);
}

void TTeeFunction::EndUpdate() {
  if (!Updating) return;
  Updating = false;
  Changed();
}

void TTeeFunction::SetPeriod(double v) {
  if (v < 0) throw ChartException(TeeMsg_FunctionPeriod);
  if (v == period_) return;
  period_ = v;
  Changed();
}

void TTeeFunction::SetPeriodStyle(TFunctionPeriodStyle v) {
  if (v == period_style_) return;
  period_style_ = v;
  Changed();
}

void TTeeFunction::SetPeriodAlign(TFunctionPeriodAlign v) {
  if (v == period_align_) return;
  period_align_ = v;
  Changed();
}

void TTeeFunction::SetOwnerSeries(TChartSeries* S) {
  if (S) S->SetFunction(this);
}

TChartValueList* TTeeFunction::ValueList(TChartSeries* Source) const {
  if (parent_ && !parent_->MandatoryValueList()->ValueSource().empty())
    if (TChartValueList* l = Source->ValueListByName(parent_->MandatoryValueList()->ValueSource())) return l;
  return Source->MandatoryValueList();
}

void TTeeFunction::AddFunctionXY(double X, double V) {
  if (!parent_->YMandatory()) std::swap(X, V);
  parent_->AddXY(X, V, AnsiString(), clTeeColor);
}

int TTeeFunction::PeriodPoints() const {
  // A period that rounds below one point would end before it starts and never advance.
  return std::max(1, static_cast<int>(std::nearbyint(period_)));
}

void TTeeFunction::Recompute() {
  if (Updating || !parent_) return;
  const std::vector<TChartSeries*> sources = parent_->DataSources();
  if (sources.empty()) return;
  if (sources.size() > 1) {
    TChartSeries* most = sources[0];
    for (TChartSeries* s : sources)
      if (s->Count() > most->Count()) most = s;
    const std::vector<AnsiString> labels = [&] {
      std::vector<AnsiString> l;
      for (int i = 0; i < parent_->Count(); ++i) l.push_back(parent_->Labels(i));
      return l;
    }();
    for (int i = 0; i < most->Count(); ++i) {
      double v = ComputeMany(sources, i);
      double x = most->NotMandatoryValueList()->Value(i);
      if (!parent_->YMandatory()) std::swap(x, v);
      parent_->AddXY(x, v, i < static_cast<int>(labels.size()) ? labels[i] : AnsiString(), clTeeColor);
    }
    return;
  }
  TChartSeries* src = sources[0];
  if (src->Count() == 0) return;
  TChartValueList* list = ValueList(src);
  if (period_ == 0)
    ComputeWhole(src, list);
  else
    ComputeByPeriods(src, list);
}

void TTeeFunction::ComputeWhole(TChartSeries* Source, TChartValueList* List) {
  const double v = Compute(Source, -1, -1);
  TChartValueList* x = Source->NotMandatoryValueList();
  (void)List;
  if (SingleSourcePoint) {
    AddFunctionXY(x->MinValue() + x->Range() * 0.5, v);
  } else {
    AddFunctionXY(x->MinValue(), v);
    AddFunctionXY(x->MaxValue(), v);
  }
}

void TTeeFunction::ComputeByPeriods(TChartSeries* Source, TChartValueList* List) {
  (void)List;
  TChartValueList* xs = Source->NotMandatoryValueList();
  const int n = Source->Count();
  int first = 0;
  while (first <= n - 1) {
    int last;
    if (period_style_ == psNumPoints) {
      last = first + PeriodPoints() - 1;
    } else {
      double end = xs->Value(first);
      const int step = xs->DateTime() ? DateTimeStepIndex(period_) : dtNone;
      if (step != dtNone)
        end = NextDateTime(end, step, period_, true);
      else
        end += period_;
      end -= 0.001 * period_;
      last = first;
      while (last + 1 < n && xs->Value(last + 1) < end) ++last;
    }
    if (last < n) {
      double x = xs->Value(first);
      if (period_align_ == paLast)
        x = xs->Value(last);
      else if (period_align_ == paCenter)
        x = (xs->Value(first) + xs->Value(last)) * 0.5;
      ComputePeriodPoint(Source, first, last, x);
    }
    first = last + 1;
  }
}

void TTeeFunction::ComputePeriodPoint(TChartSeries* Source, int First, int Last, double X) {
  AddFunctionXY(X, Compute(Source, First, Last));
}

// ---------------------------------------------------------------------------------------

TTeeSeriesSource::TTeeSeriesSource(TComponent* AOwner) : TComponent(AOwner) {}

TTeeSeriesSource::~TTeeSeriesSource() {
  if (series_) series_->RemoveFreeNotification(this);
}

void TTeeSeriesSource::Loaded() {
  TComponent::Loaded();
  if (active_) Load();
}

void TTeeSeriesSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == series_) series_ = nullptr;
}

void TTeeSeriesSource::SetActive(bool v) {
  if (v == active_) return;
  active_ = v;
  if (HasState(csLoading)) return;
  if (active_)
    Load();
  else if (series_ && !HasState(csDestroying) && !series_->HasState(csDestroying))
    series_->Clear();
}

void TTeeSeriesSource::Close() {
  if (HasState(csLoading) || HasState(csDestroying)) return;
  SetActive(false);
}

void TTeeSeriesSource::SetSeries(TChartSeries* S) {
  if (S == series_) return;
  Close();
  TChartSeries* old = series_;
  if (old) old->RemoveFreeNotification(this);
  series_ = S;
  if (series_) series_->FreeNotification(this);
  // The old series loses this source; the new one takes it as its data source.
  if (old && old->DataSource() == this) old->SetDataSource(nullptr);
  if (series_ && series_->DataSource() != this) series_->SetDataSource(this);
}

// ---------------------------------------------------------------------------------------

void ShowChartError(const AnsiString& Text) { Application->MessageBox(Text, AnsiString(), MB_TASKMODAL | MB_ICONERROR); }

AnsiString SeriesTitleOrName(const TChartSeries* Series) { return Series->DisplayName(); }

void FillSeriesItems(TStrings* Strings, const std::vector<TChartSeries*>& SeriesList, bool UseTitles) {
  Strings->BeginUpdate();
  for (TChartSeries* s : SeriesList)
    if (!s->InternalUse) Strings->AddObject(UseTitles ? SeriesTitleOrName(s) : s->Name(), s);
  Strings->EndUpdate();
}
