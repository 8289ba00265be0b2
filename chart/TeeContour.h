#pragma once
// Contour series: the iso-lines of a grid series' Y values, one list of polylines per
// level, drawn in the X-Z plane (X across and Z up on a flat chart; at a height in 3-D).
#include <functional>
#include <memory>
#include <vector>
#include "chart/TeeSurfa.h"

class TContourSeries;

struct TContourPoint {
  double X = 0, Z = 0;
};
using TContourLine = std::vector<TContourPoint>;

class TContourLevel : public TPersistent {
 public:
  explicit TContourLevel(TContourSeries* Series);
  ~TContourLevel() override;
  const char* ClassName() const override { return "TContourLevel"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  double UpToValue() const { return up_to_value_; }
  void SetUpToValue(double v);
  // The level's own pen, made on first use in the level's colour.
  TChartPen* Pen();
  TChartPen* PenIfAny() const { return pen_.get(); }
  // Copies P into the level's pen; none frees it.
  void SetPen(TChartPen* P);
  // The lines found at this level by the last drawing.
  std::vector<TContourLine>& Lines() { return lines_; }
  // Adds the segment A-B, joining it to a line that ends within 0.001 of it.
  void AddSegment(TContourPoint A, TContourPoint B);

 private:
  friend class TContourSeries;
  void Changed(bool SwitchesManual);
  TContourSeries* series_;
  TColor color_ = clTeeColor;
  double up_to_value_ = 0;
  std::unique_ptr<TChartPen> pen_;
  std::vector<TContourLine> lines_;
};

// The levels of a contour series, addressed by position.
class TContourLevels {
 public:
  explicit TContourLevels(TContourSeries* Series) : series_(Series) {}
  void Clear();
  TContourLevel* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TContourLevel* Items(int Index) const { return items_.at(static_cast<size_t>(Index)).get(); }
  TContourLevel* operator[](int Index) const { return Items(Index); }
  void Delete(int Index);

 private:
  friend class TContourSeries;
  TContourSeries* series_;
  std::vector<std::unique_ptr<TContourLevel>> items_;
};

class TSmoothPoints : public TPersistent {
 public:
  explicit TSmoothPoints(TChartSeries* Series) : series_(Series) {}
  const char* ClassName() const override { return "TSmoothPoints"; }
  void Assign(TPersistent* Source) override;
  bool Active() const { return active_; }
  void SetActive(bool v);
  bool Interpolate() const { return interpolate_; }
  void SetInterpolate(bool v);
  int Factor() const { return factor_; }

 private:
  TChartSeries* series_;
  bool active_ = false, interpolate_ = false;
  int factor_ = 4;
};

using TContourGetLevel = std::function<void(TContourSeries* Sender, int LevelIndex, double& Value, TColor& Color)>;

class TContourSeries : public TCustom3DGridSeries {
 public:
  explicit TContourSeries(TComponent* AOwner);
  ~TContourSeries() override;
  const char* ClassName() const override { return "TContourSeries"; }
  void Assign(TPersistent* Source) override;
  AnsiString GetEditorClassName() const override { return "TContourSeriesEditor"; }

  bool AutomaticLevels() const { return automatic_; }
  void SetAutomaticLevels(bool v);
  // With automatic levels off, the number of levels in Levels.
  int NumLevels() const;
  void SetNumLevels(int v);
  TContourLevels* Levels() { return &levels_; }
  TSmoothPoints* Smoothing() { return &smoothing_; }
  void SetSmoothing(TSmoothPoints* S) { smoothing_.Assign(S); }
  double YPosition() const { return y_position_; }
  void SetYPosition(double v) { SetDoubleProperty(y_position_, v); }
  bool YPositionLevel() const { return y_position_level_; }
  void SetYPositionLevel(bool v) { SetBooleanProperty(y_position_level_, v); }
  TContourGetLevel OnGetLevel;
  // The gallery's variants: Normal, Color Range, Colors, Positions.
  std::vector<AnsiString> CreateSubGallery() const;
  void SetSubGallery(int Index);
  // As for any palette series; a disabled preview is drawn in grey.
  void PrepareForGallery(bool Enabled) override;

  // Makes the automatic levels from the Y range (with automatic levels on).
  void CreateAutoLevels();
  // Traces every level through every grid cell into the levels' lines.
  void ExtractLines();
  void BeforeDrawChart() override;
  void DrawAllValues() override;
  double MaxYValue() override;
  double MinYValue() override;
  int CountLegendItems() override { return levels_.Count(); }
  // Legend item k stands for the level counted from the highest.
  TColor LegendLevelColor(int LegendIndex);
  AnsiString LegendLevelText(int LegendIndex);
  TColor LegendItemColor(int LegendIndex) override { return LegendLevelColor(LegendIndex); }
  AnsiString LegendString(int LegendIndex, TLegendTextStyle Style) override {
    (void)Style;
    return LegendLevelText(LegendIndex);
  }
  // The position of the first level with a line through the pixel; -1 when none.
  int Clicked(int X, int Y) override;
  // Set while the series makes its own levels or is destroyed: level changes then keep
  // the automatic levels on.
  bool BuildingLevels() const { return building_; }
  // The levels as the form stores them: none while they are automatic.
  TContourLevels* StoredLevels();

 protected:
  // The sample grid, with the lines drawn halfway up its Y range.
  void AddSampleValues(int NumValues) override;

 private:
  friend class TContourLevel;
  void TraceCell(int LevelIndex, double Level, const double X[5], const double Z[5], const double Y[5]);
  bool automatic_ = true, y_position_level_ = false, building_ = false;
  int num_levels_ = 10;
  double y_position_ = 0;
  TContourLevels levels_{this};
  TSmoothPoints smoothing_{this};
  TContourLevels no_levels_{nullptr};
};

// Registers the contour series and its parts for form resources.
void RegisterContourClasses();
