#include "logger/AbTrend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gauges/AbFlashT.h"
#include "gauges/AbPaced.h"
#include "gauges/GaugeClasses.h"
#include "platform/classes/SafeFile.h"
#include "platform/os/Clock.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

// The time base of the run: fixed by the first record ever added, so that every record of
// the run counts from the same moment on the monotonic clock.
bool g_have_base = false;
TDateTime g_base_time = 0;
uint64_t g_base_ms = 0;

uint16_t ClampStored(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 65535)); }

// Digits between DigitalFrom and DigitalTo; 0 or less means the channel has no span.
int DigitalSpan(TChSettings* ch) { return ch->DigitalTo() - ch->DigitalFrom(); }

double ValuePerDigit(TChSettings* ch) {
  const int span = DigitalSpan(ch);
  return span > 0 ? (static_cast<double>(ch->ValueTo()) - ch->ValueFrom()) / span : 0.0;
}

}  // namespace

TAbTrend::TAbTrend(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  static const TColor kColors[8] = {clLime, clYellow, clRed, clFuchsia, TColor(0x4080FF), clAqua, clBtnFace,
                                    clBtnHighlight};
  for (int n = 1; n <= 8; ++n) {
    TChSettings* ch = Channel(n);
    ch->SetColor(kColors[n - 1]);
    ch->OnValueChange = [this, n](TObject*) { ChannelValueChanged(n); };
    ch->OnChange = [this, n](TObject*) {
      ChannelRangeChanged(n);
      FullRepaint();
    };
  }
  bevel_inner_.SetStyle(bsLowered);
  bevel_inner_.SetSpacing(0);
  bevel_inner_.SetWidth(1);
  bevel_inner_.SetColor(clBlack);
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &limit_upper_,
                                                                &limit_lower_})
    p->OnChange = [this](TObject*) { FullRepaint(); };
  caption_font_.SetName("Arial");
  caption_font_.SetSize(14);
  caption_font_.SetStyle({fsUnderline});
  caption_font_.OnChange = [this](TObject*) { FullRepaint(); };
  SetBounds(0, 0, 500, 300);
}

TAbTrend::~TAbTrend() { RemoveFlashClient(this); }

void TAbTrend::Loaded() {
  TAbAnalogGControl::Loaded();
  FullRepaint();
}

void TAbTrend::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  FullRepaint();
}

void TAbTrend::FullRepaint() {
  dirty_ = true;
  Invalidate();
}

// The channel stores its digit count above DigitalFrom; a count outside 16 bits is held at
// the nearest end instead of wrapping, and a channel without a span stores 0.
void TAbTrend::ChannelValueChanged(int n) {
  TChSettings* ch = Channel(n);
  current_[static_cast<size_t>(n - 1)] = DigitalSpan(ch) > 0 ? ClampStored(ch->DigitOffset()) : 0;
}

// The channel's range changed (its function or the display units did): the sample waiting
// to be recorded is stored against the new range, whether or not the value changes too.
void TAbTrend::ChannelRangeChanged(int n) {
  TChSettings* ch = Channel(n);
  current_[static_cast<size_t>(n - 1)] =
      DigitalSpan(ch) > 0 ? ClampStored(AbRound((ch->Value() - ch->ValueFrom()) * static_cast<double>(ch->DigitsPerUnit())))
                          : 0;
}

// ---- properties ----

void TAbTrend::SetMaxRecords(int v) {
  if (v >= 100) max_records_ = v;
}

void TAbTrend::SetInterval(int v) {
  if (v < 100) return;
  interval_ = v;
  if (recording_ && !Designing()) {
    if (RecordCount() >= 2) InsertSeparator(RecordCount());
    AddFlashClient(this, interval_);
  }
}

void TAbTrend::SetInterval2(int v) {
  if (v >= 100) interval2_ = v;
}

void TAbTrend::SetFlow(bool b) {
  flow_ = b;
  following_ = b && recording_;
}

// A new recording run is set apart from the records before it by a separator after the
// last of them (not when nothing was recorded since the last separator).
void TAbTrend::SetStartRecording(bool b) {
  const bool starting = b && !recording_;
  const bool stopping = !b && recording_;
  recording_ = b;
  // The trend takes the gauge timer's ticks only while it records.
  if (!Designing()) {
    if (starting) AddFlashClient(this, interval_);
    else if (stopping) RemoveFlashClient(this);
  }
  following_ = flow_ && b;
  if (starting && !Designing() && RecordCount() >= 2 && records_.back().Time != 0) InsertSeparator(RecordCount());
}

void TAbTrend::SetGridXPixel(int v) {
  if (v < 30 || v == grid_x_) return;
  grid_x_ = v;
  FullRepaint();
}

void TAbTrend::SetGridYSteps(int v) {
  if (v < 1 || v > 10 || v == grid_y_) return;
  grid_y_ = v;
  FullRepaint();
}

void TAbTrend::SetAbsScaleCh(int v) {
  if (v < 0 || v > 8) return;
  abs_scale_ch_ = v;
  FullRepaint();
}

void TAbTrend::SetLeftScaleCh(int v) {
  if (v < 0 || v > 8) return;
  left_scale_ch_ = v;
  FullRepaint();
}

void TAbTrend::SetFillChannelNo(int v) {
  if (v < 0 || v > 8) return;
  fill_ch_ = v;
  FullRepaint();
}

void TAbTrend::SetOptions(TOptions v) {
  options_ = v;
  FullRepaint();
}

void TAbTrend::SetColorCursorLine(TColor v) {
  color_cursor_ = v;
  Invalidate();
}

void TAbTrend::SetCursorLine(bool v) {
  cursor_line_ = v;
  if (!v) cursor_x_ = -1;
  Invalidate();
}

void TAbTrend::SetCursorLinePenMode(TPenMode v) {
  cursor_mode_ = v;
  Invalidate();
}

void TAbTrend::SetColorGrid(TColor v) {
  color_grid_ = v;
  FullRepaint();
}

void TAbTrend::SetColorSeparator(TColor v) {
  color_separator_ = v;
  FullRepaint();
}

void TAbTrend::SetColorTime(TColor v) {
  color_time_ = v;
  FullRepaint();
}

void TAbTrend::SetTimeFormat(const AnsiString& v) {
  time_format_ = v;
  FullRepaint();
}

void TAbTrend::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TAbAnalogGControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  Layout();
  FullRepaint();
}

// ---- records ----

void TAbTrend::UpdateRecordInfo(bool notify) {
  const int count = RecordCount();
  if (count >= 2) {
    info_.TotalRecords = count;
    info_.FirstRecord = records_.front().Time;
    info_.LastRecord = records_.back().Time;
  } else {
    info_.TotalRecords = 0;
    info_.FirstRecord = info_.LastRecord = 0;
  }
  info_.FirstDisplayedRec = first_;
  info_.LastDisplayedRec = std::max(0, std::min(count - 1, first_ + PlotWidth() - 1));
  if (notify && OnRecNoChanged) OnRecNoChanged(this);
}

void TAbTrend::AddRecord() {
  adding_ = true;
  const int count = RecordCount();
  if (count - 1 >= max_records_ && flow_) {
    const int n = (count - 1) - (max_records_ - grid_x_);
    if (OnMaxRecords) OnMaxRecords(this);
    records_.erase(records_.begin(), records_.begin() + std::min(n, RecordCount()));
    first_ = 0;
    dirty_ = true;
  }
  const uint64_t ms = os::MonotonicMilliseconds();
  if (!g_have_base) {
    g_have_base = true;
    g_base_time = Now();
    g_base_ms = ms;
  }
  TTrendRecord r;
  r.Time = g_base_time + static_cast<double>(ms - g_base_ms) / kMsPerDay;
  r.Values = current_;
  records_.push_back(r);
  FollowNewest();
  UpdateRecordInfo(false);
  // The records are drawn onto the image with the screen, at the pace below: one stroke
  // a channel for all that came meanwhile instead of one a record.
  constexpr unsigned kShowPaceMs = 400;
  if (!shown_) {
    shown_ = std::make_unique<TAbPacedCall>(kShowPaceMs, [this] {
      DrawNewRecords();
      if (OnRecNoChanged) OnRecNoChanged(this);
      Invalidate();
    });
  }
  shown_->Request();
  adding_ = false;
}

void TAbTrend::DrawNewRecords() {
  const int last = RecordCount() - 1;
  if (dirty_ || drawn_to_ >= last || !Showing() || image_.Width() != Width() || image_.Height() != Height()) return;
  TCanvas* c = image_.Canvas();
  TCanvasPainterHold hold(c);
  DrawRecords(c, std::max(first_, drawn_to_), last);
  DrawTimes(c, std::max(first_, drawn_to_ + 1), last);
  drawn_to_ = last;
}

void TAbTrend::FollowNewest() {
  const int width = std::max(1, PlotWidth());
  if (!flow_) return;
  bool moved = false;
  while (first_ + width <= RecordCount() - 1) {
    first_ += grid_x_;
    moved = true;
  }
  if (moved) dirty_ = true;
}

void TAbTrend::Clear() {
  const bool was = recording_;
  recording_ = false;
  records_.clear();
  records_.shrink_to_fit();
  first_ = 0;
  cursor_x_ = -1;
  at_cursor_ = TVAtCursor();
  recording_ = was;
  following_ = flow_ && was;
  FullRepaint();
  UpdateRecordInfo();
}

void TAbTrend::InsertSeparator(int Index) {
  if (!options_.Contains(opSeparator) || Index < 1 || Index > RecordCount()) return;
  TTrendRecord sep;
  sep.Values = records_[static_cast<size_t>(Index - 1)].Values;
  records_.insert(records_.begin() + Index, kSeparatorRun, sep);
  UpdateRecordInfo();
  FullRepaint();
}

void TAbTrend::ScrollBy(int n) {
  if (!Visible()) return;
  SetFlow(false);
  first_ += n;
  if (first_ > RecordCount()) first_ = RecordCount() - 1 - grid_x_;
  if (first_ < 0) first_ = 0;
  info_.FirstDisplayedRec = first_;
  info_.LastDisplayedRec = std::max(0, std::min(RecordCount() - 1, first_ + PlotWidth() - 1));
  FullRepaint();
}

bool TAbTrend::GetRecord(int Index, TDateTime& Time, std::array<float, 8>& Values) const {
  if (Index < 0 || Index >= RecordCount()) return false;
  const TTrendRecord& r = records_[static_cast<size_t>(Index)];
  Time = r.Time;
  auto* self = const_cast<TAbTrend*>(this);
  for (int n = 1; n <= 8; ++n) {
    TChSettings* ch = self->Channel(n);
    const size_t k = static_cast<size_t>(n - 1);
    Values[k] = static_cast<float>(ch->ValueFrom() + (r.Values[k] - ch->DigitalFrom()) * ValuePerDigit(ch));
  }
  return true;
}

float TAbTrend::CursorValue(int n, uint16_t Stored) {
  TChSettings* ch = Channel(n);
  return static_cast<float>(ch->ValueFrom() + Stored * ValuePerDigit(ch));
}

// The first record that is not a separator sets each channel's extremes; later
// separators repeat values already counted and are skipped.
bool TAbTrend::CalcMinMax(int First, int Last) {
  if (First < 0 || Last > RecordCount() - 1 || First > Last) return false;
  int start = First;
  while (start < Last && records_[static_cast<size_t>(start)].Time == 0) ++start;
  const TTrendRecord& r0 = records_[static_cast<size_t>(start)];
  for (size_t k = 0; k < 8; ++k) minmax_[k] = {r0.Values[k], r0.Values[k], r0.Time, r0.Time};
  for (int i = start + 1; i <= Last; ++i) {
    const TTrendRecord& r = records_[static_cast<size_t>(i)];
    if (r.Time == 0) continue;
    for (size_t k = 0; k < 8; ++k) {
      TTrendMinMax& m = minmax_[k];
      if (r.Values[k] < m.Min) {
        m.Min = r.Values[k];
        m.MinTime = r.Time;
      } else if (r.Values[k] > m.Max) {
        m.Max = r.Values[k];
        m.MaxTime = r.Time;
      }
    }
  }
  return true;
}

int TAbTrend::SaveToFile(const AnsiString& FileName) const { return trendio::WriteRecords(FileName, records_); }

int TAbTrend::LoadFromFile(const AnsiString& FileName) {
  std::vector<TTrendRecord> loaded;
  if (const int code = trendio::ReadRecords(FileName, loaded, static_cast<size_t>(std::max(0, max_records_))))
    return code;
  AppendLoaded(loaded);
  return 0;
}

void TAbTrend::AppendLoaded(const std::vector<TTrendRecord>& Records) {
  if (RecordCount() >= 2 && records_.back().Time != 0) InsertSeparator(RecordCount());
  records_.insert(records_.end(), Records.begin(), Records.end());
  first_ = options_.Contains(opShowLast) ? std::max(0, RecordCount() - std::max(1, PlotWidth())) : 0;
  cursor_x_ = -1;
  UpdateRecordInfo();
  FullRepaint();
}

// ---- zoom ----

void TAbTrend::ZoomIn() {
  const float z = std::min(10.0f, static_cast<float>(Round((zoom_ + 0.1) * 10)) / 10.0f);
  if (z != zoom_) {
    zoom_ = z;
    FullRepaint();
  }
}

void TAbTrend::ZoomOut() {
  const float z = std::max(0.1f, static_cast<float>(Round((zoom_ - 0.1) * 10)) / 10.0f);
  if (z != zoom_) {
    zoom_ = z;
    FullRepaint();
  }
}

void TAbTrend::MoveOffset(int n) {
  offset_ += static_cast<int>(Round(n * static_cast<double>(zoom_)));
  FullRepaint();
}

void TAbTrend::ResetZoom() {
  zoom_ = 1.0f;
  offset_ = 0;
  FullRepaint();
}

// ---- timer and mouse ----

void TAbTrend::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    if (!Designing() && recording_) {
      AddRecord();
      if (OnInterval) OnInterval(this);
    }
    return;
  }
  TAbAnalogGControl::WndProc(Message);
}

void TAbTrend::MouseMove(TShiftState Shift, int X, int Y) {
  const bool blocked = following_ && !options_.Contains(opCursorOnRec);
  if (cursor_line_ && !adding_ && !blocked && X != cursor_x_) {
    const bool inside = X >= plot_.Left && X < plot_.Right && Y >= plot_.Top && Y < plot_.Bottom;
    const int index = first_ + (X - plot_.Left);
    if (inside && index < RecordCount()) {
      const TTrendRecord& r = records_[static_cast<size_t>(index)];
      cursor_x_ = X;
      at_cursor_.DataValid = r.Time != 0;
      at_cursor_.RecordNo = index;
      at_cursor_.Time = r.Time;
      for (int n = 1; n <= 8; ++n) at_cursor_.ValueCh[static_cast<size_t>(n - 1)] = CursorValue(n, r.Values[static_cast<size_t>(n - 1)]);
      Invalidate();
      if (OnNewCursorPos) OnNewCursorPos(this);
    } else if (inside) {
      if (OnNewCursorPos) OnNewCursorPos(this);
    } else if (cursor_x_ >= 0) {
      cursor_x_ = -1;
      Invalidate();
      if (OnNewCursorPos) OnNewCursorPos(this);
    }
  }
  TAbAnalogGControl::MouseMove(Shift, X, Y);
}

// ---- drawing ----

void TAbTrend::Layout() {
  TRect r(0, 0, Width(), Height());
  const int outer = bevel_outer_.TotalWidth(), inner = bevel_inner_.TotalWidth();
  r.Left += outer;
  r.Top += outer;
  r.Right -= outer;
  r.Bottom -= outer;
  TCanvas* c = image_.Canvas();
  c->Font()->Assign(Font());
  const int text_h = c->TextHeight("0");
  if (options_.Contains(opCaption) && !Caption().empty()) {
    c->Font()->Assign(&caption_font_);
    r.Top += c->TextHeight(Caption()) + 2;
    c->Font()->Assign(Font());
  }
  auto scale_width = [&](int ch) {
    if (ch == 0) return std::max(c->TextWidth("100.0"), c->TextWidth("%")) + 8;
    TChSettings* s = Channel(ch);
    int w = c->TextWidth(s->ValueUnit() + " Ch" + IntToStr(ch));
    for (double v : {static_cast<double>(s->ValueFrom()), static_cast<double>(s->ValueTo()),
                     static_cast<double>(s->ValueTo()) * 10})
      w = std::max(w, c->TextWidth(FormatFloat(s->ValueFormat(), v)));
    return w + 8;
  };
  if (options_.Contains(opLeftScale)) r.Left += scale_width(left_scale_ch_);
  if (options_.Contains(opRightScale)) r.Right -= scale_width(abs_scale_ch_);
  // The scale headings: a line above the top labels, which are centred on the plot's top
  // edge and so reach half a line above it, with a blank row between heading and label.
  r.Top += text_h + text_h / 2 + 2;
  const bool times = options_.Contains(opTime) || options_.Contains(opDate) || !time_format_.empty();
  time_band_ = TRect(r.Left, r.Bottom - (times ? text_h + 4 : 0), r.Right, r.Bottom);
  r.Bottom = time_band_.Top;
  r.Left += inner;
  r.Top += inner;
  r.Right -= inner;
  r.Bottom -= inner;
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top + 2) r.Bottom = r.Top + 2;
  plot_ = r;
}

double TAbTrend::PixelsPerDigit(int n) const {
  const TChSettings& ch = channels_[static_cast<size_t>(n - 1)];
  const int span = ch.DigitalTo() - ch.DigitalFrom();
  const int h = plot_.Bottom - plot_.Top - 1;
  return span > 0 ? static_cast<double>(h) / span : 0.0;
}

int TAbTrend::Base() const {
  const int h = plot_.Bottom - plot_.Top - 1;
  return plot_.Top + h + static_cast<int>(Round(offset_ * 10.0 * h / 1000));
}

int TAbTrend::PercentY(double p) const {
  const int h = plot_.Bottom - plot_.Top - 1;
  return Base() - static_cast<int>(Round(p * h / 100 / zoom_));
}

// A channel without a span is drawn flat on the base line.
int TAbTrend::RecordY(int n, uint16_t stored) const {
  const double y = stored * PixelsPerDigit(n) / zoom_;
  return Base() - static_cast<int>(Round(std::min(y, 1e6)));
}

AnsiString TAbTrend::TimeText(TDateTime t) const {
  if (!time_format_.empty()) return FormatDateTime(time_format_, t);
  AnsiString f;
  if (options_.Contains(opDate)) f = "dd/mm/yy";
  if (options_.Contains(opTime)) f += f.empty() ? "hh:nn:ss" : " hh:nn:ss";
  return f.empty() ? AnsiString() : FormatDateTime(f, t);
}

void TAbTrend::DrawBackground(TCanvas* c) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(bevel_inner_.Color());
  c->FillRect(plot_);
  c->SetClipRect(plot_);
  const int top = plot_.Top, bottom = plot_.Bottom;
  for (TTrendLimit* limit : {&limit_upper_, &limit_lower_}) {
    if (!limit->Enabled()) continue;
    const int y = PercentY(limit->Value());
    c->Brush()->SetColor(limit->Color());
    c->Pen()->SetColor(limit->Color());
    c->Pen()->SetStyle(psSolid);
    if (limit->Filled()) {
      c->FillRect(limit == &limit_upper_ ? TRect(plot_.Left, top, plot_.Right, y + 1)
                                         : TRect(plot_.Left, y, plot_.Right, bottom));
    } else {
      c->MoveTo(plot_.Left, y);
      c->LineTo(plot_.Right, y);
    }
  }
  if (options_.Contains(opGrid)) {
    c->Pen()->SetColor(color_grid_);
    c->Pen()->SetStyle(psDot);
    c->Brush()->SetStyle(bsClear);
    const int h = plot_.Bottom - plot_.Top - 1;
    for (int k = 0; k <= grid_y_; ++k) {
      const int y = plot_.Top + h - k * h / grid_y_;
      c->MoveTo(plot_.Left, y);
      c->LineTo(plot_.Right, y);
    }
    for (int x = plot_.Left; x < plot_.Right; x += grid_x_) {
      c->MoveTo(x, plot_.Top);
      c->LineTo(x, plot_.Bottom);
    }
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetStyle(bsSolid);
  }
  c->SetClipRegion(nullptr);
}

void TAbTrend::DrawScales(TCanvas* c) {
  const int h = plot_.Bottom - plot_.Top - 1;
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  auto draw = [&](int ch, bool left) {
    AnsiString head;
    TColor color = Font()->Color();
    double low, high;
    AnsiString format;
    if (ch == 0) {
      head = "%";
      low = offset_;
      high = 100.0 * zoom_ + offset_;
      format = "##0.#";
    } else {
      TChSettings* s = Channel(ch);
      const double span = static_cast<double>(s->ValueTo()) - s->ValueFrom();
      low = s->ValueFrom() + span * offset_ / 100;
      high = low + span * zoom_;
      format = s->ValueFormat();
      head = s->ValueUnit() + " Ch" + IntToStr(ch);
      color = s->Color();
    }
    const int text_h = c->TextHeight("0");
    c->Font()->SetColor(color);
    const int head_x = left ? plot_.Left - 4 - c->TextWidth(head) : plot_.Right + 4;
    // Above the top label (whose cell starts half a line above the plot) with a blank row
    // between, within the room the layout left above the plot.
    c->TextOut(head_x, plot_.Top - text_h / 2 - 1 - text_h, head);
    for (int k = 0; k <= grid_y_; ++k) {
      const AnsiString t = FormatFloat(format, low + (high - low) * k / grid_y_);
      const int y = plot_.Top + h - k * h / grid_y_ - text_h / 2;
      c->TextOut(left ? plot_.Left - 4 - c->TextWidth(t) : plot_.Right + 4, y, t);
    }
  };
  if (options_.Contains(opLeftScale)) draw(left_scale_ch_, true);
  if (options_.Contains(opRightScale)) draw(abs_scale_ch_, false);
  c->Brush()->SetStyle(bsSolid);
}

void TAbTrend::DrawRecords(TCanvas* c, int from, int to) {
  if (from > to || to >= RecordCount() || from < 0) return;
  c->SetClipRect(plot_);
  c->Pen()->SetStyle(psSolid);
  const int x0 = plot_.Left - first_;
  // Separators: a full-height line.
  c->Pen()->SetColor(color_separator_);
  c->Pen()->SetWidth(1);
  for (int i = from; i <= to; ++i)
    if (records_[static_cast<size_t>(i)].Time == 0) {
      c->MoveTo(x0 + i, plot_.Top);
      c->LineTo(x0 + i, plot_.Bottom);
    }
  // Variable limits and the filled channel: columns from the line to the edge.
  auto columns = [&](int n, TColor color, bool down) {
    c->Pen()->SetColor(color);
    for (int i = std::max(from, first_); i <= to; ++i) {
      const TTrendRecord& r = records_[static_cast<size_t>(i)];
      if (r.Time == 0) continue;
      const int y = RecordY(n, r.Values[static_cast<size_t>(n - 1)]);
      c->MoveTo(x0 + i, down ? y : plot_.Top);
      c->LineTo(x0 + i, down ? plot_.Bottom : y);
    }
  };
  if (options_.Contains(opCh7isUL) && Channel(7)->Visible()) columns(7, limit_upper_.Color(), false);
  if (options_.Contains(opCh8isLL) && Channel(8)->Visible()) columns(8, limit_lower_.Color(), true);
  if (fill_ch_ > 0 && Channel(fill_ch_)->Visible()) columns(fill_ch_, Channel(fill_ch_)->Color(), true);
  std::vector<TPoint> points;
  points.reserve(static_cast<size_t>(to - from + 1));
  for (int n = 1; n <= 8; ++n) {
    TChSettings* ch = Channel(n);
    if (!ch->Visible()) continue;
    c->Pen()->SetColor(ch->Color());
    c->Pen()->SetWidth(ch->PenWidth());
    const size_t k = static_cast<size_t>(n - 1);
    points.clear();
    auto flush = [&] {
      if (points.size() == 1) points.push_back({points[0].x + 1, points[0].y});
      if (points.size() >= 2) c->Polyline(points);
      points.clear();
    };
    for (int i = from; i <= to; ++i) {
      const TTrendRecord& r = records_[static_cast<size_t>(i)];
      if (r.Time == 0) {
        flush();
        continue;
      }
      points.push_back({x0 + i, RecordY(n, r.Values[k])});
    }
    flush();
  }
  c->Pen()->SetWidth(1);
  c->SetClipRegion(nullptr);
}

void TAbTrend::DrawTimes(TCanvas* c, int from, int to) {
  if (time_band_.Bottom <= time_band_.Top) return;
  c->Font()->Assign(Font());
  c->Font()->SetColor(color_time_);
  c->Brush()->SetStyle(bsClear);
  c->SetClipRect(TRect(time_band_.Left, time_band_.Top, Width(), time_band_.Bottom));
  for (int i = std::max(from, first_); i <= to && i < RecordCount(); ++i) {
    if ((i - first_) % grid_x_ != 0) continue;
    const TTrendRecord& r = records_[static_cast<size_t>(i)];
    if (r.Time == 0) continue;
    c->TextOut(plot_.Left + (i - first_), time_band_.Top + 2, TimeText(r.Time));
  }
  c->SetClipRegion(nullptr);
  c->Brush()->SetStyle(bsSolid);
}

void TAbTrend::Redraw() {
  if (image_.Width() != Width() || image_.Height() != Height()) image_.SetSize(std::max(1, Width()), std::max(1, Height()));
  Layout();
  TCanvas* c = image_.Canvas();
  TCanvasPainterHold hold(c);
  TRect r(0, 0, Width(), Height());
  bevel_outer_.PaintBevel(c, r);
  if (options_.Contains(opCaption) && !Caption().empty()) {
    c->Font()->Assign(&caption_font_);
    c->Brush()->SetStyle(bsClear);
    const int w = c->TextWidth(Caption());
    c->TextOut((Width() - w) / 2, bevel_outer_.TotalWidth(), Caption());
    c->Brush()->SetStyle(bsSolid);
  }
  TRect frame(plot_.Left - bevel_inner_.TotalWidth(), plot_.Top - bevel_inner_.TotalWidth(),
              plot_.Right + bevel_inner_.TotalWidth(), plot_.Bottom + bevel_inner_.TotalWidth());
  bevel_inner_.PaintBevel(c, frame);
  DrawBackground(c);
  DrawScales(c);
  const int last = std::min(RecordCount() - 1, first_ + PlotWidth() - 1);
  c->Brush()->SetColor(bevel_outer_.Color());
  c->FillRect(time_band_);
  DrawRecords(c, first_, last);
  DrawTimes(c, first_, last);
  drawn_to_ = last;
  info_.FirstDisplayedRec = first_;
  info_.LastDisplayedRec = std::max(0, last);
  dirty_ = false;
}

void TAbTrend::Paint() {
  if (dirty_ || image_.Width() != Width() || image_.Height() != Height()) Redraw();
  else DrawNewRecords();
  TCanvas* c = Canvas();
  c->Draw(0, 0, &image_);
  if (cursor_line_ && cursor_x_ >= plot_.Left && cursor_x_ < plot_.Right) {
    c->Pen()->SetColor(color_cursor_);
    c->Pen()->SetMode(cursor_mode_);
    c->Pen()->SetWidth(1);
    c->MoveTo(cursor_x_, plot_.Top);
    c->LineTo(cursor_x_, plot_.Bottom);
    c->Pen()->SetMode(pmCopy);
  }
}

// ---- registration ----

void RegisterTrendClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterGaugeClasses();
    const TIdentMap* colors = &ui::ColorIdents();
    RegisterClass<TTrendLimit, TAbPersistent>("TTrendLimit")
        .Float("Value", &TTrendLimit::Value, &TTrendLimit::SetValue, 0)
        .Int("Color", &TTrendLimit::Color, &TTrendLimit::SetColor, clMaroon, colors)
        .Bool("Filled", &TTrendLimit::Filled, &TTrendLimit::SetFilled, true)
        .Bool("Enabled", &TTrendLimit::Enabled, &TTrendLimit::SetEnabled, true);
    auto trend = RegisterClass<TAbTrend, TAbAnalogGControl>("TAbTrend");
    trend.Object("BevelInner", &TAbTrend::BevelInner)
        .Object("BevelOuter", &TAbTrend::BevelOuter)
        .Object("CaptionFont", &TAbTrend::CaptionFont)
        .Object("LimitUpper", &TAbTrend::LimitUpper)
        .Object("LimitLower", &TAbTrend::LimitLower);
    static const char* const kChannels[8] = {"Channel1", "Channel2", "Channel3", "Channel4",
                                             "Channel5", "Channel6", "Channel7", "Channel8"};
    for (int n = 1; n <= 8; ++n) trend.Object(kChannels[n - 1], [n](TAbTrend* t) { return t->Channel(n); });
    trend.Int("MaxRecords", &TAbTrend::MaxRecords, &TAbTrend::SetMaxRecords, 2000)
        .Int("Interval", &TAbTrend::Interval, &TAbTrend::SetInterval, 1000)
        .Int("Interval2", &TAbTrend::Interval2, &TAbTrend::SetInterval2, 250)
        .Int("GridXPixel", &TAbTrend::GridXPixel, &TAbTrend::SetGridXPixel, 60)
        .Int("GridYSteps", &TAbTrend::GridYSteps, &TAbTrend::SetGridYSteps, 10)
        .Int("AbsScaleCh", &TAbTrend::AbsScaleCh, &TAbTrend::SetAbsScaleCh, 1)
        .Int("LeftScaleCh", &TAbTrend::LeftScaleCh, &TAbTrend::SetLeftScaleCh, 0)
        .Int("FillChannelNo", &TAbTrend::FillChannelNo, &TAbTrend::SetFillChannelNo, 0)
        .Set("Options", [](TAbTrend* t) { return t->Options().Bits(); },
             [](TAbTrend* t, uint32_t v) { t->SetOptions(TAbTrend::TOptions::FromBits(v)); },
             {"opCaption", "opGrid", "opCursorOnRec", "opSeparator", "opDate", "opTime", "opCh7isUL", "opCh8isLL",
              "opLeftScale", "opRightScale", "opShowLast"},
             0x32F)
        .Int("ColorCursorLine", &TAbTrend::ColorCursorLine, &TAbTrend::SetColorCursorLine, clLime, colors)
        .Bool("CursorLine", &TAbTrend::CursorLine, &TAbTrend::SetCursorLine, true)
        .Enum("CursorLinePenMode", &TAbTrend::CursorLinePenMode, &TAbTrend::SetCursorLinePenMode,
              {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
               "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"},
              pmNotMask)
        .Int("ColorGrid", &TAbTrend::ColorGrid, &TAbTrend::SetColorGrid, clBtnShadow, colors)
        .Int("ColorSeparator", &TAbTrend::ColorSeparator, &TAbTrend::SetColorSeparator, clBtnHighlight, colors)
        .Int("ColorTime", &TAbTrend::ColorTime, &TAbTrend::SetColorTime, clBtnHighlight, colors)
        .String("TimeFormat", &TAbTrend::TimeFormat, &TAbTrend::SetTimeFormat)
        .Bool("Flow", &TAbTrend::Flow, &TAbTrend::SetFlow, true)
        .Bool("StartRecording", &TAbTrend::StartRecording, &TAbTrend::SetStartRecording, true)
        .Event("OnInterval", &TAbTrend::OnInterval)
        .Event("OnMaxRecords", &TAbTrend::OnMaxRecords)
        .Event("OnNewCursorPos", &TAbTrend::OnNewCursorPos)
        .Event("OnRecNoChanged", &TAbTrend::OnRecNoChanged);
    return true;
  }();
  (void)done;
}
