#pragma once
// The engine of the chart: value lists (one column of numbers of a series), series (the
// points one chart draws in one style), axes (value to pixel along one side) and the axis
// panel that owns series, axes and tools and draws a chart in its fixed order.
#include <functional>
#include <memory>
#include <vector>
#include "chart/TeeProcs.h"
#include "platform/rtl/SysUtils.h"

class TChartSeries;
class TChartAxis;
class TTeeFunction;
class TCustomAxisPanel;
class TStream;

CQ5_DECLARE_EXCEPTION(ChartException, Exception)
CQ5_DECLARE_EXCEPTION(AxisException, Exception)

// Separators inside legend and mark texts.
constexpr char ChartLineSeparator = '\r';
constexpr char ChartColumnSeparator = '\x06';

enum TChartListOrder { loNone, loAscending, loDescending };
enum THorizAxis { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum TVertAxis { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };
enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };
enum TAxisLabelAlign { alDefault, alOpposite };
enum TSeriesMarksStyle {
  smsValue, smsPercent, smsLabel, smsLabelPercent, smsLabelValue, smsLegend, smsPercentTotal,
  smsLabelPercentTotal, smsXValue, smsXY
};
enum TLegendTextStyle {
  ltsPlain, ltsLeftValue, ltsRightValue, ltsLeftPercent, ltsRightPercent, ltsXValue, ltsValue, ltsPercent,
  ltsXAndValue, ltsXAndPercent
};
// Notification codes of NotifyValue.
enum TValueEvent { veClear, veAdd, veDelete, veRefresh, veModify };

// Grows value lists by this many entries when full (a library-wide setting).
extern int ValueListCapacityStep;

// ---------------------------------------------------------------------------------------

class TChartValueList : public TPersistent {
 public:
  TChartValueList(TChartSeries* Owner, const AnsiString& Name);
  const char* ClassName() const override { return "TChartValueList"; }
  void Assign(TPersistent* Source) override;

  TChartSeries* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& v) { name_ = v; }
  TChartListOrder Order() const { return order_; }
  void SetOrder(TChartListOrder v) { order_ = v; }
  bool DateTime() const { return date_time_; }
  void SetDateTime(bool v);
  void SetDefaultDateTime(bool v) { date_time_ = default_date_time_ = v; }
  bool DefaultDateTime() const { return default_date_time_; }
  const AnsiString& ValueSource() const { return value_source_; }
  void SetValueSource(const AnsiString& v);

  int Count() const { return count_; }
  int Capacity() const { return static_cast<int>(values_.size()); }
  // Reads the value at Index (an index outside the list raises EListError).
  double Value(int Index) const;
  // Stores the value (an index outside the list raises EListError), marks the list
  // modified and tells the owner (code 4).
  void SetValue(int Index, double Value);
  double operator[](int Index) const { return Value(Index); }
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }

  double MaxValue();
  double MinValue();
  double Total();
  double TotalABS();
  double Range() { return MaxValue() - MinValue(); }
  double First() const { return Value(0); }
  double Last() const { return Value(count_ - 1); }

  double TempValue = 0;
  virtual int AddChartValue(double V);
  int AddTempValue();
  virtual void ClearValues();
  virtual void InsertChartValue(int Index, double V);
  virtual void Delete(int Index);
  void DeleteRange(int Start, int Quantity);
  void Exchange(int Index1, int Index2);
  void FillSequence();
  void MoveFirstToLast();
  int CompareValueIndex(int A, int B) const;
  void Sort();
  // Direct access for drawing loops (no statistics refresh).
  const double* Data() const { return values_.data(); }
  // Forgets the stored values without notifying (used while a series loads).
  void DefineProperties(TFiler& Filer);

 private:
  friend class TChartSeries;
  void Recalc();
  void Grow();
  TChartSeries* owner_;
  AnsiString name_;
  TChartListOrder order_ = loNone;
  bool date_time_ = false, default_date_time_ = false;
  AnsiString value_source_;
  std::vector<double> values_;
  int count_ = 0;
  bool modified_ = true;
  double max_ = 0, min_ = 0, total_ = 0, total_abs_ = 0;
};

// A mark's custom position as stored in a series' "Data" property.
struct TSeriesMarkPosition {
  TPoint ArrowFrom;
  bool ArrowFix = false;
  TPoint ArrowTo;
  bool Custom = false;
  int Height = 0;
  TPoint LeftTop;
  int Width = 0;
};

class TSeriesMarks;
class TAxisItems;
class TAxisItem;
class TMarksCallout;
class TSeriesMarksSymbol;
class TChartPen;
class TReader;
class TWriter;

// One point's own mark look (colour, frame, font); a transparent item draws no box.
class TMarksItem : public TTeeCustomShape {
 public:
  explicit TMarksItem(TSeriesMarks* Marks);
  const char* ClassName() const override { return "TMarksItem"; }
  void Repaint() override;

 private:
  TSeriesMarks* marks_;
};

// The marks' background gradient: silver to white, right to left.
class TSeriesMarksGradient : public TTeeGradient {
 public:
  explicit TSeriesMarksGradient(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TSeriesMarksGradient"; }
};

// The point labels of a series: their look, style, per-point looks, the positions they
// were drawn at (and the ones the user gave them) and the callout from point to box.
class TSeriesMarks : public TTeeCustomShape {
 public:
  explicit TSeriesMarks(TChartSeries* Series);
  ~TSeriesMarks() override;
  const char* ClassName() const override { return "TSeriesMarks"; }
  void Assign(TPersistent* Source) override;
  TChartSeries* Series() const { return series_; }
  TSeriesMarksStyle Style() const { return style_; }
  void SetStyle(TSeriesMarksStyle v) { Set(style_, v); }
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool v) { Set(multi_line_, v); }
  int Angle() const { return angle_; }
  void SetAngle(int v) { Set(angle_, v); }
  // The callout's length (8 while there is no callout; setting it makes the callout).
  int ArrowLength() const;
  void SetArrowLength(int v);
  // The callout, made on first use with its defaults.
  TMarksCallout* Callout();
  TMarksCallout* CalloutIfAny() const { return callout_.get(); }
  // Copies C into the callout; none frees it.
  void SetCallout(TMarksCallout* C);
  TChartPen* Arrow();
  // The colour square left of the text, made on first use (hidden).
  TSeriesMarksSymbol* Symbol();
  TSeriesMarksSymbol* SymbolIfAny() const { return symbol_.get(); }
  // Copies S into the symbol; none frees it.
  void SetSymbol(TSeriesMarksSymbol* S);
  // True when a symbol is to be drawn beside the texts.
  bool SymbolShown() const;
  bool Clip() const { return clip_; }
  void SetClip(bool v) { Set(clip_, v); }
  int DrawEvery() const { return draw_every_; }
  void SetDrawEvery(int v) { Set(draw_every_, std::max(1, v)); }
  std::vector<std::unique_ptr<TSeriesMarkPosition>>& Positions() { return positions_; }
  // The item of point Index, made on first use.
  TMarksItem* Item(int Index);
  TMarksItem* ItemIfAny(int Index) const;
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // Forgets the positions, and the items unless they came from the form.
  void Clear();
  void Repaint() override;

  // The index of the drawn mark at screen point (X, Y); -1 when none.
  int Clicked(int X, int Y);
  // Lifts the label and the arrow end by the callout's length and distance.
  void ApplyArrowLength(TSeriesMarkPosition& Position);
  // Stores the computed position, or takes the stored one where the user placed the box.
  void ApplyPosition(int Index, TSeriesMarkPosition& Position);
  // The widest line of the mark text of point Index.
  int TextWidth(int Index);
  // Draws the mark of point Index at Position with its callout.
  void DrawItem(int Index, TColor Color, TSeriesMarkPosition& Position, const AnsiString& Text);
  void DefineProperties(TFiler& Filer);

 protected:
  std::unique_ptr<TTeeGradient> NewGradient() override;

 private:
  void ReadItems(TStream& Stream);
  void WriteItems(TStream& Stream);
  TChartSeries* series_;
  TSeriesMarksStyle style_ = smsLabel;
  bool multi_line_ = false, clip_ = false, items_read_ = false;
  int draw_every_ = 1, angle_ = 0;
  std::unique_ptr<TMarksCallout> callout_;
  std::unique_ptr<TSeriesMarksSymbol> symbol_;
  std::vector<std::unique_ptr<TMarksItem>> items_;
  std::vector<std::unique_ptr<TSeriesMarkPosition>> positions_;
};

// Base of series and tools: active flag, brush, pen and the chart.
class TCustomChartElement : public TComponent {
 public:
  explicit TCustomChartElement(TComponent* AOwner);
  ~TCustomChartElement() override;
  const char* ClassName() const override { return "TCustomChartElement"; }
  bool Active() const { return active_; }
  virtual void SetActive(bool v);
  TChartBrush* Brush() { return &brush_; }
  TChartPen* Pen() { return pen_.get(); }
  virtual void SetPen(TChartPen* p);
  TCustomAxisPanel* ParentChart() const { return parent_; }
  virtual void SetParentChart(TCustomAxisPanel* p) { parent_ = p; }
  // Invalidates the parent chart.
  virtual void Repaint();

 protected:
  void SetBooleanProperty(bool& Field, bool Value);
  void SetColorProperty(TColor& Field, TColor Value);
  void SetDoubleProperty(double& Field, double Value);
  void SetIntegerProperty(int& Field, int Value);
  void SetStringProperty(AnsiString& Field, const AnsiString& Value);

  TCustomAxisPanel* parent_ = nullptr;
  bool active_ = true;
  TChartBrush brush_;
  std::unique_ptr<TChartPen> pen_;
};

class TCustomChartSeries : public TCustomChartElement {
 public:
  using TCustomChartElement::TCustomChartElement;
  const char* ClassName() const override { return "TCustomChartSeries"; }
  bool ShowInLegend() const { return show_in_legend_; }
  void SetShowInLegend(bool v) { SetBooleanProperty(show_in_legend_, v); }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& v);
  AnsiString Identifier;
  int StyleBits = 0;

 protected:
  bool show_in_legend_ = true;
  AnsiString title_;
};

using TSeriesNotifyEvent = std::function<void(TChartSeries* Sender, int ValueIndex)>;
using TSeriesOnBeforeAdd = std::function<bool(TChartSeries* Sender)>;
using TSeriesOnGetMarkText = std::function<void(TChartSeries* Sender, int ValueIndex, AnsiString& MarkText)>;
using TSeriesClick =
    std::function<void(TChartSeries* Sender, int ValueIndex, TMouseButton Button, TShiftState Shift, int X, int Y)>;

class TChartSeries : public TCustomChartSeries {
 public:
  explicit TChartSeries(TComponent* AOwner);
  ~TChartSeries() override;
  const char* ClassName() const override { return "TChartSeries"; }
  void Assign(TPersistent* Source) override;
  void Loaded() override;

  // The chart (a TCustomAxisPanel, usually a TChart).
  void SetParentChart(TCustomAxisPanel* p) override;
  void SetActive(bool v) override;

  // ---- points ----
  TChartValueList* XValues() const { return x_values_; }
  TChartValueList* YValues() const { return y_values_; }
  TChartValueList* MandatoryValueList() const { return mandatory_; }
  TChartValueList* NotMandatoryValueList() const { return not_mandatory_; }
  std::vector<TChartValueList*>& ValuesList() { return value_lists_; }
  int Count() const { return x_values_->Count(); }
  double XValue(int Index) const { return x_values_->Value(Index); }
  void SetXValue(int Index, double V);
  double YValue(int Index) const { return y_values_->Value(Index); }
  void SetYValue(int Index, double V);
  AnsiString Labels(int Index) const;
  void SetLabels(int Index, const AnsiString& Text);
  bool HasLabels() const { return !labels_.empty(); }
  TColor ValueColor(int Index) const { return GetValueColor(Index); }
  void SetValueColor(int Index, TColor Color);
  bool IsNull(int Index) const;
  bool HasColors() const { return !colors_.empty(); }

  virtual int AddXY(double X, double Y, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  int Add(double Value, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  int AddY(double Y, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor) { return Add(Y, Label, Color); }
  int AddMandatoryValue(double Value, const AnsiString& Label = AnsiString(), TColor Color = clTeeColor);
  int AddNull(const AnsiString& Label = AnsiString());
  int AddNullXY(double X, double Y, const AnsiString& Label = AnsiString());
  virtual void Clear();
  virtual void Delete(int Index);
  void DeleteRange(int Start, int Quantity, bool RenumberX = false);
  void SwapValueIndex(int A, int B);
  void SortValues();
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  virtual void AddValues(TChartSeries* Source);
  int AddChartValue(TChartSeries* Source, int Index);
  void FillSampleValues(int NumValues = 0);
  // Readies the series as the preview of its type in a gallery of series types: a few
  // sample points in small print, in the chart's colour, or greyed out when not Enabled.
  virtual void PrepareForGallery(bool Enabled);

  // ---- colour ----
  TColor SeriesColor() const { return series_color_ == clTeeColor ? default_color_ : series_color_; }
  virtual void SetSeriesColor(TColor C);
  TColor OwnColor() const { return series_color_; }
  TColor DefaultColor() const { return default_color_; }
  virtual void SetDefaultColor(TColor c) { default_color_ = c; }
  bool ColorEachPoint() const { return color_each_point_; }
  virtual void SetColorEachPoint(bool v) { SetBooleanProperty(color_each_point_, v); }
  virtual TColor GetValueColor(int Index) const;
  virtual TColor LegendItemColor(int Index) { return GetValueColor(Index); }
  // The value list whose values pick the palette colours of a 3-D palette series (empty:
  // the Y values).
  const AnsiString& ColorSource() const { return color_source_; }
  void SetColorSource(const AnsiString& v);
  // The source field the point labels come from (kept for the series' data source).
  const AnsiString& XLabelsSource() const { return x_labels_source_; }
  void SetXLabelsSource(const AnsiString& v);

  // ---- axes ----
  THorizAxis HorizAxis() const { return horiz_axis_; }
  void SetHorizAxis(THorizAxis v);
  TVertAxis VertAxis() const { return vert_axis_; }
  void SetVertAxis(TVertAxis v);
  TChartAxis* CustomHorizAxis() const { return custom_horiz_; }
  void SetCustomHorizAxis(TChartAxis* a);
  TChartAxis* CustomVertAxis() const { return custom_vert_; }
  void SetCustomVertAxis(TChartAxis* a);
  TChartAxis* GetHorizAxis() const { return resolved_horiz_; }
  TChartAxis* GetVertAxis() const { return resolved_vert_; }
  void RecalcGetAxis();
  bool YMandatory() const { return y_mandatory_; }
  void SetYMandatory(bool v);
  virtual bool UseAxis() const { return true; }
  virtual bool AssociatedToAxis(const TChartAxis* Axis) const;
  virtual TChartValueList* ValueListOfAxis(const TChartAxis* Axis) const;
  TChartValueList* ValueListByName(const AnsiString& Name) const;
  virtual int CalcXPos(int Index) const;
  virtual int CalcYPos(int Index) const;
  virtual double MaxXValue() { return x_values_->MaxValue(); }
  virtual double MinXValue() { return x_values_->MinValue(); }
  virtual double MaxYValue() { return y_values_->MaxValue(); }
  virtual double MinYValue() { return y_values_->MinValue(); }
  virtual double MaxZValue() { return z_order_; }
  virtual double MinZValue() { return z_order_; }
  double MandatoryValue(int Index) const { return mandatory_->Value(Index); }

  // ---- drawing ----
  int FirstValueIndex = -1, LastValueIndex = -1;
  int ZOrder() const { return z_order_; }
  int UserZOrder = -1;
  void SetZOrder(int z) { z_order_ = z; }
  int StartZ = 0, MiddleZ = 0, EndZ = 0;
  int Depth() const { return depth_; }
  // The mouse cursor over the series' points.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v) { cursor_ = v; }
  void SetDepth(int v) { SetIntegerProperty(depth_, v); }
  virtual void CalcFirstLastVisibleIndex();
  virtual void CalcZOrder();
  virtual void CalcDepthPositions();
  virtual void CalcHorizMargins(int& LeftMargin, int& RightMargin) { LeftMargin = RightMargin = 0; }
  virtual void CalcVerticalMargins(int& TopMargin, int& BottomMargin) { TopMargin = BottomMargin = 0; }
  virtual void BeforeDrawChart() {}
  virtual void DrawAllValues();
  virtual void DrawValue(int ValueIndex) { (void)ValueIndex; }
  virtual void DrawMarks();
  // Draws the mark of one point; series types move the position first (TeeMarks.cpp).
  virtual void DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& Position);
  virtual bool DrawValuesForward() const;
  virtual bool DrawSeriesForward() const;
  virtual void DoBeforeDrawValues();
  virtual void DoAfterDrawValues();
  virtual bool MoreSameZOrder() const;
  virtual int Clicked(int X, int Y) { (void)X, (void)Y; return -1; }
  bool VisibleRangeFlag = true;  // compute the first/last visible index from the axis limits
  bool KeepOneBeyond = false;

  // ---- legend and texts ----
  virtual int CountLegendItems() { return Count(); }
  virtual int LegendToValueIndex(int LegendIndex) const { return LegendIndex; }
  virtual AnsiString LegendString(int LegendIndex, TLegendTextStyle Style);
  virtual void DrawLegend(int ValueIndex, const TRect& Rect);
  virtual void DrawLegendShape(int ValueIndex, const TRect& Rect);
  virtual void PrepareLegendCanvas(int ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle);
  AnsiString GetMarkText(int ValueIndex);
  AnsiString DisplayName() const;
  AnsiString ValueFormat = "#,##0.###", PercentFormat = "##0.## %";
  TSeriesMarks* Marks() { return marks_.get(); }
  virtual AnsiString GetEditorClassName() const { return AnsiString(); }

  // ---- dependants and notification ----
  virtual void NotifyNewValue(TChartSeries* Sender, int ValueIndex);
  virtual void NotifyValue(TValueEvent ValueEvent, int ValueIndex);
  virtual void AddedValue(TChartSeries* Source, int ValueIndex);
  virtual void DeletedValue(TChartSeries* Source, int ValueIndex);
  // The source component: another series, or a series source (TTeeSeriesSource) that
  // loads the points.
  TComponent* DataSource() const { return data_sources_.empty() ? source_ : data_sources_[0]; }
  // The source when it is a series.
  TChartSeries* DataSourceSeries() const { return data_sources_.empty() ? nullptr : data_sources_[0]; }
  // None detaches; a series or a series source becomes the only source (anything else,
  // or a series this one cannot take its points from, raises ChartException).
  void SetDataSource(TComponent* Source);
  // Whether this series can take its points from Source; any other series by default.
  virtual bool IsValidSeriesSource(const TChartSeries* Source) const { return Source != this; }
  std::vector<TChartSeries*>& DataSources() { return data_sources_; }
  bool DependsOn(const TChartSeries* Other) const;
  // The function that computes the points from the sources (owned by the series; none when
  // the series holds its own points). Setting one frees the old and recomputes.
  TTeeFunction* FunctionType() const { return function_; }
  // A function without an owner belongs to the series; one a form owns (read from a form
  // as the series' child) stays the form's.
  void SetFunction(TTeeFunction* Function);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool FollowDeletions = true, FollowModifications = true, FollowInsertions = true, FollowClearing = true;

  // ---- form data ----
  void DefineProperties(TFiler& Filer);
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  bool ForceSaveData = false, DontSaveData = false;
  bool DataWasStored() const { return data_stored_; }
  bool UseXValues = true;  // the series type uses X values (decides whether "Data" stores them)

  // ---- events ----
  TSeriesOnBeforeAdd OnBeforeAdd;
  TSeriesNotifyEvent OnAfterAdd;
  TNotifyEvent OnClearValues;
  TSeriesOnGetMarkText OnGetMarkText;
  TNotifyEvent AfterDrawValues, BeforeDrawValues;
  // Mouse over the series' points (the chart's mouse handling fires them).
  TSeriesClick OnClick, OnDblClick;
  TNotifyEvent OnMouseEnter, OnMouseLeave;
  bool MouseInside = false;
  // A series a tool or function keeps for itself: the lists of series offered to the user
  // leave it out.
  bool InternalUse = false;

 protected:
  void ClearLists();
  // Adds NumValues sample points of the series type (the base: a random walk).
  virtual void AddSampleValues(int NumValues);
  // How many sample points FillSampleValues adds when asked for none in particular.
  virtual int DefaultSampleCount() const { return 25; }
  TChartValueList* x_values_;
  TChartValueList* y_values_;
  TChartValueList* mandatory_;
  TChartValueList* not_mandatory_;
  std::vector<TChartValueList*> value_lists_;
  std::vector<std::unique_ptr<TChartValueList>> owned_lists_;
  std::vector<AnsiString> labels_;
  std::vector<TColor> colors_;
  TColor series_color_ = clTeeColor, default_color_ = clTeeColor;
  bool color_each_point_ = false;
  AnsiString color_source_, x_labels_source_;
  THorizAxis horiz_axis_ = aBottomAxis;
  TVertAxis vert_axis_ = aLeftAxis;
  TChartAxis* custom_horiz_ = nullptr;
  TChartAxis* custom_vert_ = nullptr;
  TChartAxis* resolved_horiz_ = nullptr;
  TChartAxis* resolved_vert_ = nullptr;
  bool y_mandatory_ = true;
  int depth_ = -1, z_order_ = 0, update_count_ = 0;
  TCursor cursor_ = crDefault;
  std::unique_ptr<TSeriesMarks> marks_;
  std::vector<TChartSeries*> data_sources_, dependants_;
  TComponent* source_ = nullptr;  // a series source in place of source series
  std::vector<AnsiString> source_names_;
  TTeeFunction* function_ = nullptr;
  bool data_stored_ = false;

  friend class TChartValueList;
  friend class TSurfaceSeries;
  friend class TCustomAxisPanel;
};

// =======================================================================================
// Axes

class TChartAxisTitle : public TTeeCustomShape {
 public:
  explicit TChartAxisTitle(TCustomTeePanel* AOwner);
  const char* ClassName() const override { return "TChartAxisTitle"; }
  int Angle() const { return angle_; }
  void SetAngle(int v);
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v);
  int DefaultAngle = 0;

 private:
  int angle_ = 0;
  AnsiString caption_;
};

class TChartAxisPen : public TChartPen {
 public:
  explicit TChartAxisPen(TNotifyEvent OnChange = {}) {
    SetWidth(2);
    this->OnChange = std::move(OnChange);
  }
  const char* ClassName() const override { return "TChartAxisPen"; }
};

class TAxisGridPen : public TDottedGrayPen {
 public:
  explicit TAxisGridPen(TNotifyEvent OnChange = {}) : TDottedGrayPen(std::move(OnChange)) {}
  const char* ClassName() const override { return "TAxisGridPen"; }
  double ZPosition = 0;
  bool Centered = false;
};

using TAxisDrawLabelEvent = std::function<void(TChartAxis* Sender, int& X, int& Y, int& Z, AnsiString& Text, bool& DrawLabel)>;

// Library settings of the axes: the smallest label increment an axis computes, and how
// many pixels beside its line a click still hits the axis.
extern double MinAxisIncrement;  // 1e-12
extern int AxisClickTolerance;   // 3

class TChartAxis : public TPersistent, public TOwnDefaults {
 public:
  explicit TChartAxis(TCustomAxisPanel* Chart);
  ~TChartAxis() override;
  const char* ClassName() const override { return "TChartAxis"; }
  void Assign(TPersistent* Source) override;

  TCustomAxisPanel* ParentChart() const { return chart_; }
  TChartAxisTitle* Title() { return &title_; }
  TChartAxisPen* Axis() { return &axis_pen_; }
  TAxisGridPen* Grid() { return &grid_; }
  TDottedGrayPen* MinorGrid() { return &minor_grid_; }
  TDarkGrayPen* Ticks() { return &ticks_; }
  TDarkGrayPen* TicksInner() { return &ticks_inner_; }
  TDarkGrayPen* MinorTicks() { return &minor_ticks_; }
  TTeeShape* LabelsFormat() { return &labels_format_; }
  TTeeFont* LabelsFont() { return labels_format_.Font(); }
  // Custom labels; when there are any they replace the computed ones.
  TAxisItems* Items() { return items_.get(); }

  bool Automatic() const { return automatic_; }
  void SetAutomatic(bool v);
  bool AutomaticMaximum() const { return auto_max_; }
  void SetAutomaticMaximum(bool v);
  bool AutomaticMinimum() const { return auto_min_; }
  void SetAutomaticMinimum(bool v);
  double Maximum() const { return maximum_; }
  void SetMaximum(double v);
  double Minimum() const { return minimum_; }
  void SetMinimum(double v);
  void SetMinMax(double Min, double Max);
  void SetLimits(double Min, double Max) { SetMinMax(Min, Max); }
  double Increment() const { return increment_; }
  void SetIncrement(double v);
  bool Inverted() const { return inverted_; }
  virtual void SetInverted(bool v);
  bool Horizontal = false, OtherSide = false, IsDepthAxis = false;
  bool Logarithmic() const { return logarithmic_; }
  void SetLogarithmic(bool v);
  double LogarithmicBase() const { return log_base_; }
  void SetLogarithmicBase(double v);
  int LabelsSeparation() const { return labels_separation_; }
  void SetLabelsSeparation(int v);
  int LabelsAngle() const { return labels_angle_; }
  void SetLabelsAngle(int v);
  bool Labels() const { return labels_format_.Visible(); }
  void SetLabels(bool v) { labels_format_.SetVisible(v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  TAxisLabelStyle LabelStyle() const { return label_style_; }
  void SetLabelStyle(TAxisLabelStyle v);
  double ZPosition() const { return z_position_; }
  void SetZPosition(double v);

  AnsiString AxisValuesFormat = "#,##0.###";
  AnsiString DateTimeFormat;
  bool ExactDateTime = true;
  bool GridCentered = false;
  TAxisLabelAlign LabelsAlign = alDefault;
  bool LabelsAlternate = false, LabelsExponent = false, LabelsMultiLine = false, LabelsOnAxis = true;
  int LabelsSize = 0;
  int MaximumOffset = 0, MinimumOffset = 0;
  int MinorTickCount = 3, MinorTickLength = 2;
  double StartPosition = 0, EndPosition = 100, PositionPercent = 0;
  TTeeUnits PositionUnits = muPercent;
  bool RoundFirstLabel = true;
  int TickInnerLength = 0, TickLength = 4;
  bool TickOnLabelsOnly = true;
  int TitleSize = 0;
  TAxisDrawLabelEvent OnDrawLabel;

  // ---- computed state ----
  double IMaximum = 0, IMinimum = 0, IRange = 0;
  bool IRangeIsZero = true;
  double ILogMaximum = 0, ILogMinimum = 0, ILogRange = 0;
  double LinearFactor = 0, LogFactor = 0;
  int IStartPos = 0, IEndPos = 0, IAxisSize = 0, ICenterPos = 0;
  int PosAxis = 0, PosLabels = 0, PosTitle = 0;
  int AxisDepthPixel = 0;
  bool IsDateTime = false;

  int ValueToPixel(double Value) const;
  int CalcPosValue(double Value) const { return ValueToPixel(Value); }
  int CalcXPosValue(double Value) const { return ValueToPixel(Value); }
  int CalcYPosValue(double Value) const { return ValueToPixel(Value); }
  int ValueSpanToPixels(double Value) const;
  double PixelToValue(int Pixel) const;
  double CalcPosPoint(int Pixel) const { return PixelToValue(Pixel); }
  void ComputeLimits();
  void AdjustMaxMin() { ComputeLimits(); }
  void ComputeLimitsInRect(const TRect& Margins);
  void CalcScale();
  // The axis' pixel span from the chart rectangle.
  void InternalCalcPositions();
  void Scroll(double Offset, bool CheckValues);
  bool Clicked(int X, int Y);
  void RefreshDateTime();
  AnsiString LabelValue(double Value);
  TAxisLabelStyle CalcLabelStyle();
  double CalcIncrement();
  double IncrementForLabelCount(int MaxCount);
  int ComputeLabelSize(const AnsiString& Text);
  int LabelRoomSize(const AnsiString& Text);
  bool RoomIsWidth() const;
  int MaxLabelsWidth();
  // A custom label's text: its own, or its value as a label.
  AnsiString ItemText(const TAxisItem* Item);
  void CalcRect(TRect& Rect, bool Standard);
  virtual void Draw(bool PlaceAxisLine);
  // Grid lines only (the chart draws them again over a wall that faces the viewer).
  void DrawGrids();
  // Runs before the grid lines are drawn (a grid band fills between them).
  std::function<void(TChartAxis* Sender)> OnDrawGrids;
  // Pixel positions of the labels (and grid lines) of the last draw.
  const std::vector<int>& TickPositions() const { return ticks_pos_; }
  void DrawAxisLabel(int X, int Y, int Angle, const AnsiString& Text, TTeeCustomShape* Format = nullptr);
  // Whether a label's screen rectangle lies inside the chart and clear of the labels drawn
  // so far in this paint.
  bool LabelRoomFree(const TRect& Rect) const;
  int SizeTickAxis() const;
  bool IsStandard = true;

 protected:
  void Changed();
  void CheckLogarithmic();
  double NextLabelValue(double Value, double Step, bool Forward) const;
  bool InternalLabelStyleIsAcross() const;

  TCustomAxisPanel* chart_;
  TChartAxisTitle title_;
  TChartAxisPen axis_pen_;
  TAxisGridPen grid_;
  TDottedGrayPen minor_grid_;
  TDarkGrayPen ticks_, ticks_inner_, minor_ticks_;
  TTeeShape labels_format_;
  std::unique_ptr<TAxisItems> items_;
  bool automatic_ = true, auto_max_ = true, auto_min_ = true;
  double maximum_ = 0, minimum_ = 0, increment_ = 0;
  bool inverted_ = false, logarithmic_ = false;
  double log_base_ = 10;
  int labels_separation_ = 10, labels_angle_ = 0;
  bool visible_ = true;
  TAxisLabelStyle label_style_ = talAuto;
  double z_position_ = 0.01;
  std::vector<int> ticks_pos_;  // label positions of the last draw
  int labels_size_ = 0;
  bool sparing_labels_ = false;  // the label being drawn is a value label, left out where it has no room
};

class TChartDepthAxis : public TChartAxis {
 public:
  explicit TChartDepthAxis(TCustomAxisPanel* Chart);
  const char* ClassName() const override { return "TChartDepthAxis"; }
  void SetInverted(bool v) override;
  // Along the floor's side into the depth: line, ticks and labels at each label's depth,
  // grid lines across the floor and up the side wall (TeeDepthAxis.cpp).
  void Draw(bool PlaceAxisLine) override;
};

// =======================================================================================
// Axis panel

using TAxisOnGetLabel = std::function<void(TChartAxis* Sender, TChartSeries* Series, int ValueIndex, AnsiString& LabelText)>;
using TAxisOnGetNextLabel = std::function<void(TChartAxis* Sender, int LabelIndex, double& LabelValue, bool& Stop)>;

enum TChartSeriesEventKind { seAdd, seRemove, seChangeTitle, seChangeColor, seChangeActive = 5, seDataChanged };
struct TTeeSeriesEvent : TTeeEvent {
  TChartSeriesEventKind Event = seAdd;
  TChartSeries* Series = nullptr;
};
struct TChartChangePage : TTeeEvent {};

class TCustomAxisPanel : public TCustomTeePanelExtended {
 public:
  explicit TCustomAxisPanel(TComponent* AOwner);
  ~TCustomAxisPanel() override;
  const char* ClassName() const override { return "TCustomAxisPanel"; }
  void Assign(TPersistent* Source) override;

  // ---- series ----
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  TChartSeries* Series(int Index) const { return series_.at(static_cast<size_t>(Index)); }
  std::vector<TChartSeries*>& SeriesList() { return series_; }
  int ActiveSeriesCount() const;
  void AddSeries(TChartSeries* Series);
  void RemoveSeries(TChartSeries* Series);
  TChartSeries* LegendSeries(int Index, bool OnlyActive);
  int SeriesLegendCount(bool OnlyActive) const;
  void CheckDataSource(TChartSeries* Series);
  void SeriesChanged(TChartSeriesEventKind Kind, TChartSeries* Series);

  // ---- axes ----
  TChartAxis* LeftAxis() { return left_.get(); }
  TChartAxis* RightAxis() { return right_.get(); }
  TChartAxis* TopAxis() { return top_.get(); }
  TChartAxis* BottomAxis() { return bottom_.get(); }
  TChartDepthAxis* DepthAxis() { return depth_.get(); }
  TChartDepthAxis* DepthTopAxis() { return depth_top_.get(); }
  std::vector<TChartAxis*>& Axes() { return axes_; }
  TChartAxis* AddCustomAxis();
  void RemoveCustomAxis(TChartAxis* Axis);
  const std::vector<std::unique_ptr<TChartAxis>>& CustomAxes() const { return custom_axes_; }
  bool AxisBehind = true, AxisVisible = true, ClipPoints = true, View3DWalls = true;
  bool UnclampedValueToPixel = false;  // the plain (unclamped) value-to-pixel of the axes
  double MinAxisValue(const TChartAxis* Axis);
  double MaxAxisValue(const TChartAxis* Axis);
  double SeriesExtreme(const TChartAxis* Axis, bool Largest) const;
  bool IsAxisVisible(TChartAxis* Axis);

  // ---- 3-D ----
  int Chart3DPercent() const { return chart3d_percent_; }
  void SetChart3DPercent(int v);
  int SeriesWidth3D = 0, SeriesHeight3D = 0, MaxZOrder = -1;
  bool ReverseSeries = false;
  virtual bool ChartRectMirrored(int Z);

  // ---- paging ----
  int MaxPointsPerPage() const { return max_points_per_page_; }
  void SetMaxPointsPerPage(int v);
  int Page() const { return page_; }
  void SetPage(int v);
  int PageCount();
  bool ScaleLastPage = true;
  void CalcFirstLastPage(TChartSeries* Series, int& First, int& Last);

  // ---- colours ----
  std::vector<TColor> ColorPalette;
  int ColorPaletteIndex = 0;
  TColor GetDefaultColor(int Index) const;
  TColor FreeSeriesColor(bool CheckAll, TChartSeries* Series = nullptr);
  virtual bool IsFreeSeriesColor(TColor Color, bool CheckBackground, TChartSeries* Series);

  // ---- texts ----
  int MultiLineTextWidth(const AnsiString& Text, int& Lines);
  virtual AnsiString LegendTextOfValue(TChartSeries* Series, int Index) { (void)Series, (void)Index; return {}; }
  // Legend background colour recorded before the legend draws (symbols of that colour get an outline).
  TColor LegendColor = clNone;
  TChartPen* LegendPen = nullptr;

  TNotifyEvent OnPageChange, OnBeforeDrawChart, OnBeforeDrawAxes, OnBeforeDrawSeries;
  TAxisOnGetLabel OnGetAxisLabel;
  TAxisOnGetNextLabel OnGetNextAxisLabel;

  // Tool events (0 after draw, 1 before series, 2 before chart, 3 before axes, 4 after series).
  std::function<void(int Event)> OnToolsEvent;

 protected:
  void InternalDraw(const TRect& UserRect) override;
  virtual void CalcWallsRect();
  virtual int CalcWallSize(TChartAxis* Axis) { (void)Axis; return 0; }

 public:
  int CalcWallSizeOf(TChartAxis* Axis) { return CalcWallSize(Axis); }
  // Where the axes' value labels stand on the screen in the paint under way (each axis adds
  // its own as it draws them): in 3-D a label that would run into one of them is left out.
  std::vector<TRect> AxisLabelRects;

 protected:
  virtual void DrawTitlesAndLegend(bool BeforeSeries) { (void)BeforeSeries; }
  virtual void DrawWalls() {}
  void DrawAxes();
  void DrawAllSeries();
  void DrawOneSeries(TChartSeries* Series);
  void CalcAxisRect();
  void CalcSeriesRect();
  void CalcZOrders();
  void Calc3DSize();
  bool AllActiveSeriesUseAxes() const;

 private:
  std::vector<TChartSeries*> series_;
  std::unique_ptr<TChartAxis> left_, right_, top_, bottom_;
  std::unique_ptr<TChartDepthAxis> depth_, depth_top_;
  std::vector<std::unique_ptr<TChartAxis>> custom_axes_;
  std::vector<TChartAxis*> axes_;
  int chart3d_percent_ = 15, max_points_per_page_ = 0, page_ = 1;
};
