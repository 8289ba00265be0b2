#pragma once
// The eight-channel trend recorder. It keeps a growing list of time-stamped records of
// eight 16-bit samples, draws them as coloured lines over a grid with scales, limit bands
// and separators between recording runs, follows the newest record while recording, and
// lets the user scroll, zoom and read the values under a cursor. Its records go to and
// come from log files of 24 bytes a record.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "files/LogRecords.h"
#include "gauges/_GClass.h"
#include "platform/graphics/Bitmap.h"

// A limit band of the plot: Value in percent of the plot height.
class TAbPacedCall;

class TTrendLimit : public TAbPersistent {
 public:
  TTrendLimit(float value) : value_(value) {}
  const char* ClassName() const override { return "TTrendLimit"; }
  float Value() const { return value_; }
  void SetValue(float v) { Store(value_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  bool Filled() const { return filled_; }
  void SetFilled(bool v) { Store(filled_, v); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { Store(enabled_, v); }

 private:
  float value_;
  TColor color_ = clMaroon;
  bool filled_ = true, enabled_ = true;
};

struct TRecInfo {
  int FirstDisplayedRec = 0, LastDisplayedRec = 0, TotalRecords = 0;
  TDateTime FirstRecord = 0, LastRecord = 0;
};

// The record under the cursor; DataValid is false on a separator.
struct TVAtCursor {
  bool DataValid = false;
  int RecordNo = 0;
  TDateTime Time = 0;
  std::array<float, 8> ValueCh{};
};

// Smallest and largest stored value of one channel over a range, with their record times.
struct TTrendMinMax {
  uint16_t Min = 0, Max = 0;
  TDateTime MinTime = 0, MaxTime = 0;
};

class TAbTrend : public TAbAnalogGControl {
 public:
  enum TOption {
    opCaption, opGrid, opCursorOnRec, opSeparator, opDate, opTime, opCh7isUL, opCh8isLL, opLeftScale,
    opRightScale, opShowLast
  };
  using TOptions = SmallSet<TOption>;
  static constexpr int kSeparatorRun = 5;

  explicit TAbTrend(TComponent* AOwner);
  ~TAbTrend() override;
  const char* ClassName() const override { return "TAbTrend"; }

  // Channels 1..8.
  TChSettings* Channel(int n) { return &channels_.at(static_cast<size_t>(n - 1)); }
  TAbSBevel* BevelInner() { return &bevel_inner_; }
  TAbSBevel* BevelOuter() { return &bevel_outer_; }
  TFont* CaptionFont() { return &caption_font_; }
  TTrendLimit* LimitUpper() { return &limit_upper_; }
  TTrendLimit* LimitLower() { return &limit_lower_; }

  int MaxRecords() const { return max_records_; }
  void SetMaxRecords(int v);
  int Interval() const { return interval_; }
  void SetInterval(int v);
  int Interval2() const { return interval2_; }
  void SetInterval2(int v);
  bool Flow() const { return flow_; }
  void SetFlow(bool b);
  bool StartRecording() const { return recording_; }
  void SetStartRecording(bool b);
  int GridXPixel() const { return grid_x_; }
  void SetGridXPixel(int v);
  int GridYSteps() const { return grid_y_; }
  void SetGridYSteps(int v);
  int AbsScaleCh() const { return abs_scale_ch_; }
  void SetAbsScaleCh(int v);
  int LeftScaleCh() const { return left_scale_ch_; }
  void SetLeftScaleCh(int v);
  int FillChannelNo() const { return fill_ch_; }
  void SetFillChannelNo(int v);
  TOptions Options() const { return options_; }
  void SetOptions(TOptions v);
  TColor ColorCursorLine() const { return color_cursor_; }
  void SetColorCursorLine(TColor v);
  bool CursorLine() const { return cursor_line_; }
  void SetCursorLine(bool v);
  TPenMode CursorLinePenMode() const { return cursor_mode_; }
  void SetCursorLinePenMode(TPenMode v);
  TColor ColorGrid() const { return color_grid_; }
  void SetColorGrid(TColor v);
  TColor ColorSeparator() const { return color_separator_; }
  void SetColorSeparator(TColor v);
  TColor ColorTime() const { return color_time_; }
  void SetColorTime(TColor v);
  const AnsiString& TimeFormat() const { return time_format_; }
  void SetTimeFormat(const AnsiString& v);

  const TRecInfo& RecordInfo() const { return info_; }
  const TVAtCursor& ValueAtCursor() const { return at_cursor_; }
  float Zoom() const { return zoom_; }
  int VerticalOffset() const { return offset_; }
  const std::array<TTrendMinMax, 8>& MinMaxValues() const { return minmax_; }

  TNotifyEvent OnInterval, OnMaxRecords, OnNewCursorPos, OnRecNoChanged;

  // Appends one record of the current samples, trimming the oldest when the list is full.
  void AddRecord();
  void Clear();
  // Five separator records repeating record Index - 1, inserted at Index (0 < Index <= count).
  void InsertSeparator(int Index);
  void ScrollBy(int n);
  bool GetRecord(int Index, TDateTime& Time, std::array<float, 8>& Values) const;
  bool CalcMinMax(int First, int Last);
  int SaveToFile(const AnsiString& FileName) const;
  int LoadFromFile(const AnsiString& FileName);
  // The tail of LoadFromFile: appends records already read (after a separator when the
  // list holds two or more), then shows the first or the last page.
  void AppendLoaded(const std::vector<TTrendRecord>& Records);

  // Vertical zoom 0.1..10 in steps of 0.1, the offset in percent of the span.
  void ZoomIn();
  void ZoomOut();
  void MoveOffset(int n);
  void ResetZoom();

  // The record list; ConvertUnits rewrites stored samples in place, then calls Redraw.
  int RecordCount() const { return static_cast<int>(records_.size()); }
  const std::vector<TTrendRecord>& Records() const { return records_; }
  std::vector<TTrendRecord>& MutableRecords() { return records_; }
  const std::array<uint16_t, 8>& CurrentSample() const { return current_; }

  // The value of a stored sample in channel units (the cursor's mapping); a channel
  // without a span reads its ValueFrom.
  float CursorValue(int Channel, uint16_t Stored);
  // The plot area and the full redraw into the off-screen image.
  TRect PlotRect() const { return plot_; }
  void Redraw();
  TBitmap* Image() { return &image_; }

  void Paint() override;
  // The trend draws its whole picture: the window beneath need not repaint with it.
  bool PaintsWholeClient() const override { return !image_.Transparent(); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& Message) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void SettingsChanged() override;
  void Loaded() override;

 private:
  void ChannelValueChanged(int n);
  void ChannelRangeChanged(int n);
  // Brings RecordInfo up to date and, unless `notify` is false, tells OnRecNoChanged.
  void UpdateRecordInfo(bool notify = true);
  void Layout();
  double PixelsPerDigit(int n) const;
  int RecordY(int n, uint16_t stored) const;
  int PercentY(double p) const;
  int Base() const;
  void DrawBackground(TCanvas* c);
  void DrawScales(TCanvas* c);
  void DrawRecords(TCanvas* c, int from, int to);
  void DrawTimes(TCanvas* c, int from, int to);
  AnsiString TimeText(TDateTime t) const;
  int PlotWidth() const { return plot_.Right - plot_.Left; }
  void FullRepaint();
  void FollowNewest();
  void DrawNewRecords();  // the records added since the image was last drawn

  std::array<TChSettings, 8> channels_;
  TAbSBevel bevel_inner_, bevel_outer_;
  TFont caption_font_;
  TTrendLimit limit_upper_{90}, limit_lower_{10};
  int max_records_ = 2000, interval_ = 1000, interval2_ = 250, grid_x_ = 60, grid_y_ = 10;
  bool flow_ = true, recording_ = true, following_ = true;
  int abs_scale_ch_ = 1, left_scale_ch_ = 0, fill_ch_ = 0;
  TOptions options_{opCaption, opGrid, opCursorOnRec, opSeparator, opTime, opLeftScale, opRightScale};
  TColor color_cursor_ = clLime;
  bool cursor_line_ = true;
  TPenMode cursor_mode_ = pmNotMask;
  TColor color_grid_ = clBtnShadow, color_separator_ = clBtnHighlight, color_time_ = clBtnHighlight;
  AnsiString time_format_;

  std::vector<TTrendRecord> records_;
  std::array<uint16_t, 8> current_{};
  std::array<TTrendMinMax, 8> minmax_{};
  TRecInfo info_;
  TVAtCursor at_cursor_;
  float zoom_ = 1.0f;
  int offset_ = 0;
  int first_ = 0;          // first displayed record
  int cursor_x_ = -1;      // x of the cursor line; -1 none shown
  bool adding_ = false;
  // Records added faster than the pace are shown together: one repaint and one
  // OnRecNoChanged for them, two or three times a second, the newest record always shown.
  std::unique_ptr<TAbPacedCall> shown_;
  bool dirty_ = true;      // the image needs a full redraw
  int drawn_to_ = -1;      // last record drawn into the image
  TBitmap image_;
  TRect plot_;
  TRect time_band_;
};

// Registers TAbTrend for form resources; later calls do nothing.
void RegisterTrendClasses();
