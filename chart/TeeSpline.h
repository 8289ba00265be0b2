#pragma once
// Uniform cubic B-splines through a list of points, and the smoothing function that fills a
// series with such a curve through the points of its source.
#include <vector>
#include "chart/TeeFunction.h"

struct TSplinePoint {
  double X = 0, Y = 0;
};

class TBSpline {
 public:
  static constexpr int MaxFragments = 600;

  void AddPoint(double X, double Y);
  int NumPoints() const { return count_; }
  // Points are numbered from 1.
  TSplinePoint Point(int Index) const { return points_.at(static_cast<size_t>(Index - 1)); }
  void SetPoint(int Index, TSplinePoint P);
  // A knuckle point is a sharp corner: the first and the last point never are.
  bool Knuckle(int Index) const;
  void SetKnuckle(int Index, bool Value);
  bool Interpolated() const { return interpolated_; }
  void SetInterpolated(bool v);
  int Fragments() const { return fragments_; }
  void SetFragments(int v) { fragments_ = std::clamp(v, 0, MaxFragments); }
  // The curve at T (0..1): (0, 0) for fewer than two points.
  TSplinePoint Value(double T);
  void Clear();
  int Capacity() const { return capacity_; }

 private:
  void Build();
  std::vector<TSplinePoint> points_;
  std::vector<unsigned char> knuckles_;
  std::vector<TSplinePoint> control_;  // 0 .. N + 1, with a phantom point at each end
  int capacity_ = 0, count_ = 0, n_ = 0, fragments_ = 100;
  bool interpolated_ = false, built_ = false;
};

class TSmoothingFunction : public TTeeFunction {
 public:
  explicit TSmoothingFunction(TComponent* AOwner = nullptr);
  const char* ClassName() const override { return "TSmoothingFunction"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClass() const override { return "TSmoothFuncEditor"; }

  bool Interpolate() const { return interpolate_; }
  void SetInterpolate(bool v);
  int Factor() const { return factor_; }
  // Stored as at least 1.
  void SetFactor(int v);

  // Fills the function's series with the curve through Source's points: an empty curve for
  // a source of fewer than two points.
  void AddPoints(TChartSeries* Source);
  void Recompute() override;

 private:
  bool interpolate_ = true;
  int factor_ = 4;
};
