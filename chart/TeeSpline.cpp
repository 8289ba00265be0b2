// B-spline curves and the smoothing function.
#include "chart/TeeSpline.h"

#include <cmath>

void TBSpline::AddPoint(double X, double Y) {
  if (count_ == capacity_) capacity_ += 25;
  points_.push_back({X, Y});
  knuckles_.push_back(0);
  ++count_;
  built_ = false;
}

void TBSpline::SetPoint(int Index, TSplinePoint P) {
  points_.at(static_cast<size_t>(Index - 1)) = P;
  built_ = false;
}

bool TBSpline::Knuckle(int Index) const {
  if (Index <= 1 || Index >= count_) return false;
  return knuckles_.at(static_cast<size_t>(Index - 1)) != 0;
}

void TBSpline::SetKnuckle(int Index, bool Value) {
  knuckles_.at(static_cast<size_t>(Index - 1)) = Value ? 1 : 0;
  built_ = false;
}

void TBSpline::SetInterpolated(bool v) {
  if (v == interpolated_) return;
  interpolated_ = v;
  built_ = false;
}

void TBSpline::Clear() {
  points_.clear();
  knuckles_.clear();
  control_.clear();
  count_ = capacity_ = n_ = 0;
  interpolated_ = false;
  fragments_ = 100;
  built_ = false;
}

void TBSpline::Build() {
  n_ = 0;
  for (int i = 1; i <= count_; ++i) n_ += Knuckle(i) ? 3 : 1;
  control_.assign(static_cast<size_t>(n_ + 2), {});
  int k = 1;
  for (int i = 1; i <= count_; ++i)
    for (int r = Knuckle(i) ? 3 : 1; r > 0; --r) control_[static_cast<size_t>(k++)] = Point(i);

  if (interpolated_ && n_ >= 3) {
    const int n = n_;
    // Rows and columns 1..n; the right-hand sides are the control points' X and Y.
    std::vector<std::vector<double>> m(static_cast<size_t>(n + 1), std::vector<double>(static_cast<size_t>(n + 1), 0.0));
    std::vector<double> bx(static_cast<size_t>(n + 1)), by(static_cast<size_t>(n + 1));
    for (int i = 1; i <= n; ++i) {
      bx[i] = control_[i].X;
      by[i] = control_[i].Y;
    }
    m[1][1] = 1;
    m[n][n] = 1;
    for (int i = 2; i <= n - 1; ++i) {
      m[i][i - 1] = 1.0 / 6;
      m[i][i] = 2.0 / 3;
      m[i][i + 1] = 1.0 / 6;
    }
    // Three coinciding control points (a knuckle) keep the curve on that point.
    for (int i = 3; i < n - 1;) {
      const auto& a = control_[i - 1];
      const auto& b = control_[i];
      const auto& c = control_[i + 1];
      if (std::fabs(b.X - a.X) < 1e-5 && std::fabs(c.X - b.X) < 1e-5 && std::fabs(b.Y - a.Y) < 1e-5 &&
          std::fabs(c.Y - b.Y) < 1e-5) {
        for (int r = i - 1; r <= i + 1; ++r) {
          std::fill(m[r].begin(), m[r].end(), 0.0);
          m[r][r] = 1;
        }
        i += 2;
      } else {
        ++i;
      }
    }
    // Gaussian elimination in row order; the band matrix is diagonally dominant, so no
    // pivoting is needed.
    for (int r = 1; r <= n; ++r) {
      const double p = m[r][r];
      for (int below = r + 1; below <= n; ++below) {
        const double f = m[below][r] / p;
        if (f == 0) continue;
        for (int c = r; c <= n; ++c) m[below][c] -= f * m[r][c];
        bx[below] -= f * bx[r];
        by[below] -= f * by[r];
      }
    }
    for (int r = n; r >= 1; --r) {
      double sx = bx[r], sy = by[r];
      for (int c = r + 1; c <= n; ++c) {
        sx -= m[r][c] * control_[c].X;
        sy -= m[r][c] * control_[c].Y;
      }
      control_[r] = {sx / m[r][r], sy / m[r][r]};
    }
  }
  control_[0] = {2 * control_[1].X - control_[2].X, 2 * control_[1].Y - control_[2].Y};
  control_[n_ + 1] = {2 * control_[n_].X - control_[n_ - 1].X, 2 * control_[n_].Y - control_[n_ - 1].Y};
  built_ = true;
}

TSplinePoint TBSpline::Value(double T) {
  TSplinePoint r;
  if (count_ < 2) return r;
  if (!built_) Build();
  const double u = (n_ - 1) * T + 1;
  const int k = std::max(0, static_cast<int>(std::trunc(u - 1)));
  for (int j = std::min(k, n_ + 1); j <= std::min(k + 3, n_ + 1); ++j) {
    const double d = std::fabs(j - u);
    if (d >= 2) continue;
    const double w = d >= 1 ? (2 - d) * (2 - d) * (2 - d) / 6 : 2.0 / 3 - d * d + d * d * d / 2;
    r.X += w * control_[static_cast<size_t>(j)].X;
    r.Y += w * control_[static_cast<size_t>(j)].Y;
  }
  return r;
}

// ---------------------------------------------------------------------------------------

TSmoothingFunction::TSmoothingFunction(TComponent* AOwner) : TTeeFunction(AOwner) { period_ = 1; }

void TSmoothingFunction::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TSmoothingFunction*>(Source)) {
    interpolate_ = f->interpolate_;
    factor_ = f->factor_;
  }
  TTeeFunction::Assign(Source);
}

void TSmoothingFunction::SetInterpolate(bool v) {
  if (v == interpolate_) return;
  interpolate_ = v;
  Changed();
}

void TSmoothingFunction::SetFactor(int v) {
  v = std::max(1, v);
  if (v == factor_) return;
  factor_ = v;
  Changed();
}

void TSmoothingFunction::Recompute() {
  if (Updating || !parent_ || !parent_->DataSourceSeries()) return;
  AddPoints(parent_->DataSourceSeries());
}

void TSmoothingFunction::AddPoints(TChartSeries* Source) {
  TChartSeries* s = parent_;
  if (!s || !Source) return;
  s->BeginUpdate();
  s->Clear();
  const bool same = s->YMandatory() == Source->YMandatory();
  s->NotMandatoryValueList()->SetOrder(same ? loAscending : loNone);
  s->MandatoryValueList()->SetOrder(same ? loNone : loAscending);
  // A curve needs two points: fewer give an empty series rather than a (0, 0) point.
  if (Source->Count() >= 2) {
    TBSpline b;
    TChartValueList* values = ValueList(Source);
    TChartValueList* xs = Source->NotMandatoryValueList();
    for (int i = 0; i < Source->Count(); ++i) {
      if (s->YMandatory())
        b.AddPoint(xs->Value(i), values->Value(i));
      else
        b.AddPoint(values->Value(i), xs->Value(i));
    }
    b.SetInterpolated(interpolate_);
    b.SetFragments(static_cast<int>(std::min<long long>(static_cast<long long>(Source->Count()) * factor_, TBSpline::MaxFragments)));
    const int f = b.Fragments();
    for (int j = 0; j <= f; ++j) {
      const TSplinePoint p = b.Value(f == 0 ? 0.0 : static_cast<double>(j) / f);
      if (s->YMandatory())
        s->AddXY(p.X, p.Y);
      else
        s->AddXY(p.Y, p.X);
    }
  }
  s->EndUpdate();
}
