#pragma once
// Series computed from other series. A TTeeFunction turns the points of its owner series'
// sources into the owner's points, over the whole source or period by period; a
// TTeeSeriesSource loads points into a series when it is opened. Also the chart library's
// error box and the series naming helpers the editors use.
#include <functional>
#include <vector>
#include "chart/TeEngine.h"

class TStrings;

enum TFunctionPeriodStyle { psNumPoints, psRange };
enum TFunctionPeriodAlign { paFirst, paCenter, paLast };

class TTeeFunction : public TComponent {
 public:
  explicit TTeeFunction(TComponent* AOwner = nullptr);
  const char* ClassName() const override { return "TTeeFunction"; }
  void Assign(TPersistent* Source) override;

  double Period() const { return period_; }
  // A negative period raises ChartException.
  void SetPeriod(double v);
  TFunctionPeriodStyle PeriodStyle() const { return period_style_; }
  void SetPeriodStyle(TFunctionPeriodStyle v);
  TFunctionPeriodAlign PeriodAlign() const { return period_align_; }
  void SetPeriodAlign(TFunctionPeriodAlign v);

  TChartSeries* ParentSeries() const { return parent_; }
  // Hands the function to S (S takes ownership through its SetFunction).
  void SetOwnerSeries(TChartSeries* S);
  // Set by the series when it takes the function.
  void SetParentSeries(TChartSeries* S) { parent_ = S; }
  bool Updating = false;
  void BeginUpdate() { Updating = true; }
  void EndUpdate();
  // True when the owner series takes one point for a whole-source calculation; false
  // draws a flat line from the source's smallest to its largest X.
  bool SingleSourcePoint = true;

  // Fills the owner series from its sources (run inside the owner's update).
  virtual void Recompute();
  virtual void ComputeWhole(TChartSeries* Source, TChartValueList* List);
  virtual void ComputeByPeriods(TChartSeries* Source, TChartValueList* List);
  virtual void ComputePeriodPoint(TChartSeries* Source, int First, int Last, double X);
  virtual double Compute(TChartSeries* Source, int First, int Last) { (void)Source, (void)First, (void)Last; return 0; }
  virtual double ComputeMany(const std::vector<TChartSeries*>& Sources, int ValueIndex) {
    (void)Sources, (void)ValueIndex;
    return 0;
  }
  virtual AnsiString GetEditorClass() const { return "TTeeFunctionEditor"; }
  // The list of the source the function works on (the source's mandatory list).
  TChartValueList* ValueList(TChartSeries* Source) const;
  // Adds the point (X, V) to the owner series (exchanged for a horizontal owner).
  void AddFunctionXY(double X, double V);
  // The number of source points one period spans (psNumPoints): never below one.
  int PeriodPoints() const;

 protected:
  void Changed();
  TChartSeries* parent_ = nullptr;
  double period_ = 0;
  TFunctionPeriodStyle period_style_ = psNumPoints;
  TFunctionPeriodAlign period_align_ = paCenter;
};

class TTeeSeriesSource : public TComponent {
 public:
  explicit TTeeSeriesSource(TComponent* AOwner = nullptr);
  ~TTeeSeriesSource() override;
  const char* ClassName() const override { return "TTeeSeriesSource"; }
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  bool Active() const { return active_; }
  virtual void SetActive(bool v);
  TChartSeries* Series() const { return series_; }
  void SetSeries(TChartSeries* S);
  void Open() { SetActive(true); }
  void Close();
  // Adds the points to Series (a concrete source fills it; the base adds nothing).
  virtual void Load() {}
  virtual AnsiString Description() const { return AnsiString(); }

 private:
  bool active_ = false;
  TChartSeries* series_ = nullptr;
};

// The chart library's modal error box (error icon, empty caption).
void ShowChartError(const AnsiString& Text);
// The series' title, else its name, else "Series" and its 1-based place in its chart.
AnsiString SeriesTitleOrName(const TChartSeries* Series);
// Adds every series of the list not marked internal, with its title or name.
void FillSeriesItems(TStrings* Strings, const std::vector<TChartSeries*>& SeriesList, bool UseTitles = true);
