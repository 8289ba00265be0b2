#include "logger/AbPrtTrd.h"

#include <algorithm>
#include <cmath>

#include "logger/AbTrend.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Printer.h"

namespace {

// Nearest integer, halves to the even neighbour.
int Nearest(double v) { return static_cast<int>(std::lrint(v)); }

AnsiString ChannelTag(int ch) { return " ch" + IntToStr(ch) + " "; }
AnsiString DateTimeText(TDateTime t) {
  return FormatDateTime(AnsiString(kPrintDateFormat) + " " + kPrintTimeFormat, t);
}

// Column order of the legend after the channel column.
constexpr TLegendOption kColumns[7] = {loName1, loName2, loMin, loMinTime, loMax, loMaxTime, loUnit};

}  // namespace

void TLegend::SetCaptions(const TLegendCaptions& v) {
  captions_ = v;
  Changed();
}
void TLegend::SetOptions(TLegendOptions v) {
  options_ = v;
  Changed();
}
void TLegend::SetPosition(TLegendPosition v) {
  position_ = v;
  Changed();
}
void TLegend::SetMargin(int v) {
  margin_ = v;
  Changed();
}
void TLegend::Changed() {
  if (OnChange) OnChange(nullptr);
  owner_->Changed();
}

TAbPrintTrend::TAbPrintTrend(TComponent* AOwner) : TComponent(AOwner) {
  font_.SetName("Arial");
  Changed();
}

TAbPrintTrend::~TAbPrintTrend() = default;

#define CQ5_PRT_SETTER(Name, field, Type) \
  void TAbPrintTrend::Set##Name(Type v) { \
    field = v;                            \
    Changed();                            \
  }
CQ5_PRT_SETTER(Trend, trend_, TAbTrend*)
CQ5_PRT_SETTER(Format, format_, TPrtFormat)
CQ5_PRT_SETTER(Width, width_, int)
CQ5_PRT_SETTER(Height, height_, int)
CQ5_PRT_SETTER(FontSize, font_size_, int)
CQ5_PRT_SETTER(FontSizeCaption, font_size_caption_, int)
CQ5_PRT_SETTER(ScaleSpacing, scale_spacing_, int)
CQ5_PRT_SETTER(TrendSpace, trend_space_, int)
CQ5_PRT_SETTER(OuterBorder, outer_border_, int)
CQ5_PRT_SETTER(RecTo, rec_to_, int)
CQ5_PRT_SETTER(TimeScaleSteps, time_steps_, int)
CQ5_PRT_SETTER(Options, options_, TPrtOptions)
CQ5_PRT_SETTER(PreviewZoom, zoom_, double)
CQ5_PRT_SETTER(LogPixelScreen, log_pixel_screen_, int)
CQ5_PRT_SETTER(BkColor, bk_color_, TColor)
#undef CQ5_PRT_SETTER

void TAbPrintTrend::SetRecFrom(int v) {
  if (v < 0) return;
  rec_from_ = v;
  Changed();
}

void TAbPrintTrend::SetPreviewPaintBox(TPaintBox* v) {
  paint_box_ = v;
  if (paint_box_ != nullptr) paint_box_->OnPaint = [this](TObject* s) { PaintPreview(s); };
  Changed();
}

int TAbPrintTrend::ToPixels(int v) const {
  switch (format_) {
    case pfMetric: return Nearest(v * static_cast<double>(log_pixel_screen_) / 254.0);
    case pfInch: return Nearest(v * static_cast<double>(log_pixel_screen_) / 100.0);
    case pfPixel: break;
  }
  return v;
}

int TAbPrintTrend::Scaled(int px) const { return Nearest(px * s_); }
int TAbPrintTrend::TextScaled(int px) const { return Nearest(px * text_s_); }

// The text sizes are meant for a page of 270 by 190 mm. Drawn at PreviewZoom, the text of
// a preview the size of a window would be a few pixels high; the preview draws its text
// instead at its size on the screen (2.6 mm: 10 pixels at 96 dots an inch) while its page
// is smaller than that page would be on the screen, and in proportion to its page, as on
// paper, once the page is larger.
double TAbPrintTrend::PreviewTextScale() const {
  const double nominalWidth = kNominalPageWidth * static_cast<double>(log_pixel_screen_) / 254.0;
  const double nominalHeight = kNominalPageHeight * static_cast<double>(log_pixel_screen_) / 254.0;
  if (nominalWidth <= 0 || nominalHeight <= 0) return 1.0;
  const double shown = std::min(px_width_ * zoom_ / nominalWidth, px_height_ * zoom_ / nominalHeight);
  return std::max(1.0, shown);
}

void TAbPrintTrend::Changed() {
  px_width_ = ToPixels(width_);
  px_height_ = ToPixels(height_);
  px_font_ = ToPixels(font_size_);
  px_font_caption_ = ToPixels(font_size_caption_);
  px_scale_spacing_ = ToPixels(scale_spacing_);
  px_trend_space_ = ToPixels(trend_space_);
  px_outer_border_ = ToPixels(outer_border_);
  px_legend_margin_ = ToPixels(legend_.Margin());
  if (paint_box_ != nullptr) paint_box_->Invalidate();
  if (OnSettingsChange) OnSettingsChange(this);
}

std::pair<int, int> TAbPrintTrend::SplitPositions(int Left, int Right, int LegendWidth) {
  const int e = (Right - Left - 2 * LegendWidth) / 3;
  return {Left + e, Right - LegendWidth - e};
}

TLegendColumns TAbPrintTrend::LegendColumns(TCanvas* c) {
  TLegendColumns cols;
  const TLegendCaptions& cap = legend_.Captions();
  auto widest = [&](const AnsiString& caption, auto text) {
    int w = c->TextWidth(caption);
    for (int n = 1; n <= 8; ++n) w = std::max(w, c->TextWidth(text(n)));
    return w;
  };
  const int timeWidth = std::max(c->TextWidth(cap.MinTime), c->TextWidth(DateTimeText(Now())));
  const int valueWidth = widest(cap.Min, [&](int n) { return trend_->Channel(n)->ValueFormat(); });
  cols.Width[0] = widest(cap.ChannelNo, [](int n) { return ChannelTag(n); });
  cols.Width[1] = widest(cap.Name1, [&](int n) { return trend_->Channel(n)->Name1(); });
  cols.Width[2] = widest(cap.Name2, [&](int n) { return trend_->Channel(n)->Name2(); });
  cols.Width[3] = valueWidth;
  cols.Width[4] = timeWidth;
  cols.Width[5] = valueWidth;
  cols.Width[6] = timeWidth;
  cols.Width[7] = widest(cap.lUnit, [&](int n) { return trend_->Channel(n)->ValueUnit(); });
  const int g = c->TextWidth("X");
  cols.Edge[0] = cols.Width[0] + g / 2;
  for (size_t k = 1; k < 8; ++k)
    cols.Edge[k] = cols.Edge[k - 1] + (legend_.Options().Contains(kColumns[k - 1]) ? cols.Width[k] + g : 0);
  cols.TotalWidth = cols.Edge[7];
  return cols;
}

void TAbPrintTrend::DrawLegendBlock(TCanvas* c, int x, int y, int a, int b, const TLegendColumns& cols) {
  const TLegendCaptions& cap = legend_.Captions();
  const TLegendOptions lo = legend_.Options();
  const AnsiString captions[7] = {cap.Name1, cap.Name2, cap.Min, cap.MinTime, cap.Max, cap.MaxTime, cap.lUnit};
  const unsigned oldAlign = c->TextAlign();
  c->SetTextAlign(TA_RIGHT | TA_TOP);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(x + cols.Edge[0], y, cap.ChannelNo);
  for (size_t k = 1; k < 8; ++k)
    if (lo.Contains(kColumns[k - 1])) c->TextOut(x + cols.Edge[k], y, captions[k - 1]);
  const std::array<TTrendMinMax, 8>& mm = trend_->MinMaxValues();
  for (int ch = a; ch <= b; ++ch) {
    TChSettings* s = trend_->Channel(ch);
    const int ry = y + (ch - a + 1) * th_;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(options_.Contains(ptColor) ? s->Color() : clWhite);
    c->SetBkMode(OPAQUE);
    c->TextOut(x + cols.Edge[0], ry, ChannelTag(ch));
    c->Brush()->SetStyle(bsClear);
    if (!s->Visible()) {
      c->TextOut(x + (lo.Contains(loName1) ? cols.Edge[1] : cols.Edge[0]), ry, "-");
      continue;
    }
    const TTrendMinMax& m = mm[static_cast<size_t>(ch - 1)];
    const AnsiString texts[7] = {s->Name1(),
                                 s->Name2(),
                                 FormatFloat(s->ValueFormat(), trend_->CursorValue(ch, m.Min)),
                                 DateTimeText(m.MinTime),
                                 FormatFloat(s->ValueFormat(), trend_->CursorValue(ch, m.Max)),
                                 DateTimeText(m.MaxTime),
                                 s->ValueUnit()};
    for (size_t k = 1; k < 8; ++k)
      if (lo.Contains(kColumns[k - 1])) c->TextOut(x + cols.Edge[k], ry, texts[k - 1]);
  }
  c->SetTextAlign(oldAlign);
  // Rules.
  const int rows = b - a + 1;
  const int g = c->TextWidth("X");
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clBlack);
  const int right = x + cols.TotalWidth + g / 2;
  for (int ly : {y, y + th_, y + (rows + 1) * th_}) {
    c->MoveTo(x, ly);
    c->LineTo(right, ly);
  }
  c->MoveTo(x, y);
  c->LineTo(x, y + (rows + 1) * th_);
  for (size_t k = 0; k < 8; ++k) {
    const int lx = x + cols.Edge[k] + g / 2;
    c->MoveTo(lx, y);
    c->LineTo(lx, y + (rows + 1) * th_);
  }
}

void TAbPrintTrend::DrawLegend(TCanvas* c, TRect& area, int, int) {
  const TLegendColumns cols = LegendColumns(c);
  const int wl = cols.TotalWidth;
  // A split legend whose halves would overlap on a narrow page is drawn as one block.
  TLegendPosition position = legend_.Position();
  if (position == TLegendPosition::lpSplit && 2 * wl > area.Right - area.Left) position = TLegendPosition::lpCenter;
  const bool split = position == TLegendPosition::lpSplit;
  const int lh = Nearest(3.0 * px_scale_spacing_ * s_ + (split ? 5 : 9) * th_);
  const int y = area.Bottom - lh;
  switch (position) {
    case TLegendPosition::lpLeft: DrawLegendBlock(c, area.Left, y, 1, 8, cols); break;
    case TLegendPosition::lpCenter: DrawLegendBlock(c, area.Left + (area.Right - area.Left - wl) / 2, y, 1, 8, cols); break;
    case TLegendPosition::lpRight: DrawLegendBlock(c, area.Right - wl, y, 1, 8, cols); break;
    case TLegendPosition::lpSplit: {
      const auto [xl, xr] = SplitPositions(area.Left, area.Right, wl);
      DrawLegendBlock(c, xl, y, 1, 4, cols);
      DrawLegendBlock(c, xr, y, 5, 8, cols);
      break;
    }
  }
  area.Bottom -= lh + th_ + Nearest(px_legend_margin_ * s_);
}

void TAbPrintTrend::DrawScale(TCanvas* c, TRect& area, int ch, int wf) {
  TChSettings* s = trend_->Channel(ch);
  const int steps = std::max(1, trend_->GridYSteps());
  const double step = (area.Bottom - area.Top - 1) / static_cast<double>(steps);
  c->Brush()->SetStyle(bsSolid);
  c->Font()->SetColor(clBlack);
  const TColor tagColour = options_.Contains(ptColor) ? s->Color() : RGB(192, 192, 192);
  const TColor labelBrush = c->Brush()->Color();
  const bool vertical = options_.Contains(ptVerticalScale);
  TFont saved;
  saved.Assign(c->Font());
  int h = th_;
  if (vertical) {
    c->Font()->SetOrientation(900);
    c->Font()->SetStyle(TFontStyles{});
    c->Font()->SetHeight(-TextScaled(px_font_));
    h = c->TextHeight("0");
  }
  // The texts of the scale, each centred on its line: the unit on line 1, the channel tag
  // on the line next to the bottom, value labels on the others. Along the scale a text
  // takes its width (turned) or its height (level). Texts are placed by rank, the tag
  // first, then the unit, the two end labels, the inner labels; one that would run into a
  // text placed before is left out (the tag may stand over the unit, on one line), so a
  // channel whose labels are long for the scale's height shows every other label, or
  // fewer. The bottom label may instead stand lower, just below the tag over it or hanging
  // below the bottom line, within the room kept there for the time scale; no text reaches
  // further down than that room.
  struct Text {
    AnsiString text;
    bool tag, unit;
    int line;
    std::vector<int> starts;  // where it may start along the scale, the first choice first
    int length;
    int from = 0, to = 0;     // where it was placed
  };
  std::vector<Text> texts;
  const int bottomLine = Nearest(area.Top + steps * step);
  const int lowest = bottomLine + scale_room_below_;
  auto add = [&](const AnsiString& text, bool tag, bool unit, int i) {
    if (text.empty()) return;
    const int y = Nearest(area.Top + i * step);
    const int length = vertical ? c->TextWidth(text) : th_;
    Text t{text, tag, unit, i, {}, length};
    for (int from : {y - length / 2, i == steps ? bottomLine + 1 : y - length / 2, bottomLine - length})
      if (from + length <= lowest) t.starts.push_back(from);
    texts.push_back(t);
  };
  add(vertical ? ChannelTag(ch) : " " + IntToStr(ch) + " ", true, false, steps - 1);
  add(s->ValueUnit(), false, true, 1);
  auto label = [&](int i) {
    if (i == 1 || i == steps - 1) return;
    const double v = s->ValueTo() - (s->ValueTo() - s->ValueFrom()) * i / steps;
    add(FormatFloat(s->ValueFormat(), v), false, false, i);
  };
  label(0);
  label(steps);
  for (int i = 1; i < steps; ++i) label(i);
  const int gap = std::max(1, th_ / 4);
  std::vector<const Text*> placed;
  for (Text& t : texts) {
    if (t.line == steps && !t.tag && !t.unit && !t.starts.empty()) {
      // Below a text placed over the bottom line (the tag, whose colour box would take the
      // label's place), nearest its line first.
      const int centred = t.starts.front();
      std::vector<int> below;
      for (const Text* o : placed)
        if (o->to + gap > centred && o->to + gap + t.length <= lowest) below.push_back(o->to + gap);
      std::sort(below.begin(), below.end());
      t.starts.insert(t.starts.begin() + 1, below.begin(), below.end());
    }
    for (int from : t.starts) {
      bool free = true;
      for (const Text* o : placed) {
        const bool tagOverUnit = (t.unit && o->tag) && t.line == o->line;
        if (!tagOverUnit && from < o->to + gap && o->from < from + t.length + gap) free = false;
      }
      if (!free) continue;
      t.from = from;
      t.to = from + t.length;
      placed.push_back(&t);
      break;
    }
  }
  // Drawn from the top down, units before tags, so that a tag stands over the unit of its
  // line.
  std::stable_sort(placed.begin(), placed.end(), [](const Text* a, const Text* b) {
    return a->line != b->line ? a->line < b->line : (!a->tag && b->tag);
  });
  c->SetTextAlign(vertical ? TA_LEFT | TA_TOP : TA_RIGHT | TA_TOP);
  for (const Text* t : placed) {
    c->Brush()->SetColor(t->tag ? tagColour : labelBrush);
    if (vertical) {
      c->TextOut(area.Right - h, t->to, t->text);
      scale_texts_.push_back(TRect(area.Right - h, t->from, area.Right, t->to));
    } else {
      c->TextOut(area.Right, t->from, t->text);
      scale_texts_.push_back(TRect(area.Right - c->TextWidth(t->text), t->from, area.Right, t->to));
    }
    scale_places_.push_back({ch, t->line, t->tag});
  }
  c->SetTextAlign(TA_LEFT | TA_TOP);
  c->Font()->Assign(&saved);
  area.Right -= (vertical ? th_ : wf) + Scaled(px_scale_spacing_);
  c->Brush()->SetColor(labelBrush);
}

void TAbPrintTrend::Render(TCanvas* c, int LeftMargin, int TopMargin, bool Preview, double PrinterDpi, TPoint Paper) {
  if (trend_ == nullptr) return;
  TAbTrend& t = *trend_;
  scale_texts_.clear();
  scale_places_.clear();
  time_texts_.clear();
  // 1. Canvas.
  c->Font()->Assign(&font_);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWhite);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetWidth(1);
  c->SetTextAlign(TA_LEFT | TA_TOP);
  // 2. Range.
  const int count = t.RecordCount();
  const int first = rec_from_;
  const int last = std::min(rec_to_, count - 1);
  const bool flow = t.Flow();
  if (flow) t.SetFlow(false);
  // 3. Factors.
  s_ = 1.0;
  text_s_ = 1.0;
  double u = 1.0;
  const double unitDiv = format_ == pfMetric ? 254.0 : 100.0;
  if (Preview) {
    if (paint_box_ != nullptr) {
      s_ = zoom_;
      text_s_ = PreviewTextScale();
    }
    if (format_ != pfPixel) u = log_pixel_screen_ / unitDiv;
  } else {
    if (log_pixel_screen_ > 0) s_ = PrinterDpi / log_pixel_screen_;
    if (format_ != pfPixel) u = PrinterDpi / unitDiv;
  }
  // A page larger than the paper is scaled down to fit it rather than cut off.
  if (!Preview && Paper.x > 0 && Paper.y > 0 && px_width_ > 0 && px_height_ > 0) {
    const double fitW = (Paper.x - Nearest(LeftMargin * u)) / static_cast<double>(px_width_);
    const double fitH = (Paper.y - Nearest(TopMargin * u)) / static_cast<double>(px_height_);
    s_ = std::max(0.01, std::min({s_, fitW, fitH}));
  }
  if (!Preview) text_s_ = s_;
  // 4. Page.
  TRect area;
  area.Left = Nearest(LeftMargin * u);
  area.Top = Nearest(TopMargin * u);
  area.Right = area.Left + Scaled(px_width_);
  area.Bottom = area.Top + Scaled(px_height_);
  if (Preview) c->Rectangle(area);
  area.Left += px_outer_border_;
  area.Top += px_outer_border_;
  area.Right -= px_outer_border_;
  area.Bottom -= px_outer_border_;
  // 5. Caption.
  c->Font()->SetColor(clBlack);
  if (options_.Contains(ptCaption)) {
    c->Font()->SetHeight(-TextScaled(px_font_caption_));
    c->SetTextAlign(TA_CENTER | TA_TOP);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(area.Left + (area.Right - area.Left) / 2, area.Top, t.Caption());
    c->SetTextAlign(TA_LEFT | TA_TOP);
    area.Top += TextScaled(px_font_caption_);
  }
  // 6. Text font.
  c->Font()->SetHeight(-TextScaled(px_font_));
  // A preview page too narrow for the legend at that size takes smaller text.
  if (Preview && options_.Contains(ptLegend)) {
    const int room = area.Right - area.Left, wl = LegendColumns(c).TotalWidth;
    if (wl > room && wl > 0) {
      text_s_ = std::max(s_, text_s_ * room / wl);
      c->Font()->SetHeight(-TextScaled(px_font_));
    }
  }
  th_ = c->TextHeight("X");
  g_ = c->TextWidth("X");
  int wf = 0;
  for (int n = 1; n <= 8; ++n) wf = std::max(wf, c->TextWidth(t.Channel(n)->ValueFormat()));
  // 7. Extremes of the range.
  if (last - first > 0) t.CalcMinMax(first, last);
  // 8. Legend.
  if (options_.Contains(ptLegend)) DrawLegend(c, area, first, last);
  // 9. Room for the time scale and the labels.
  const int tw = c->TextWidth(FormatDateTime(kPrintTimeFormat, Now()));
  area.Left += tw / 2;
  if (options_.Contains(ptVerticalScale)) {
    area.Top += wf / 2 + 1;
    scale_room_below_ = Nearest(2.0 * th_ + px_scale_spacing_ * s_) + 2;
  } else {
    area.Top += Nearest(px_font_ * text_s_ / 2);
    scale_room_below_ = Nearest(2.0 * th_ + px_scale_spacing_ * s_);
  }
  area.Bottom -= scale_room_below_;
  // 10. Scales. A scale's labels start on white, whatever the legend left in the brush.
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWhite);
  if (options_.Contains(ptSelScaleOnly)) {
    const int ch = t.AbsScaleCh();
    if (ch >= 1 && ch <= 8) DrawScale(c, area, ch, wf);
  } else {
    for (int ch = 8; ch >= 1; --ch)
      if (t.Channel(ch)->Visible()) DrawScale(c, area, ch, wf);
  }
  c->Font()->SetColor(clBlack);
  c->Brush()->SetColor(clWhite);
  c->SetTextAlign(TA_LEFT | TA_TOP);
  // 11. The trace area.
  const int space = Scaled(px_trend_space_);
  area.Right -= space;
  // 12. Background.
  if (options_.Contains(ptColor)) {
    const TColor bk = options_.Contains(ptUseTrdBkCol) ? t.BevelInner()->Color() : bk_color_;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(bk);
    c->Pen()->SetColor(bk);
    c->Rectangle(area);
  }
  // 13. Time divisions.
  const int W = area.Right - area.Left, H = area.Bottom - area.Top;
  const double k = W / (last - first + 0.001);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  c->SetTextAlign(TA_CENTER | TA_TOP);
  const int steps = std::max(1, time_steps_);
  for (int j = 0;; ++j) {
    const int xj = Nearest(static_cast<double>(j) * W / steps);
    if (xj > W) break;
    const int r = Nearest(xj / k) + rec_from_;
    TDateTime when = 0;
    bool text = false;
    if (r >= 0 && r <= count - 1) {
      when = t.Records()[static_cast<size_t>(r)].Time;
      text = true;
    } else if (last - first <= 0) {
      text = true;
    }
    if (text) {
      for (int line = 0; line < 2; ++line) {
        const AnsiString label = FormatDateTime(line == 0 ? kPrintTimeFormat : kPrintDateFormat, when);
        // Centred on its division; the last one moves left as far as it must to end
        // before the scales begin.
        const int w = c->TextWidth(label), y = area.Bottom + space + line * th_;
        const int x = std::min(area.Left + xj - w / 2, area.Right + space - w);
        c->SetTextAlign(TA_LEFT | TA_TOP);
        c->TextOut(x, y, label);
        c->SetTextAlign(TA_CENTER | TA_TOP);
        time_texts_.push_back(TRect(x, y, x + w, y + th_));
      }
    }
    c->Pen()->SetStyle(psDot);
    c->MoveTo(area.Left + xj, area.Top);
    c->LineTo(area.Left + xj, area.Bottom);
    c->Pen()->SetStyle(psSolid);
    c->LineTo(area.Left + xj, area.Bottom + space);
    if (j > 100000) break;
  }
  c->SetTextAlign(TA_LEFT | TA_TOP);
  // 14. Value grid.
  const int gridSteps = std::max(1, t.GridYSteps());
  for (int i = 0; i <= gridSteps; ++i) {
    const int y = Nearest(area.Top + i * (area.Bottom - area.Top - 1) / static_cast<double>(gridSteps));
    c->Pen()->SetStyle(psDot);
    c->MoveTo(area.Left, y);
    c->LineTo(area.Right, y);
    c->Pen()->SetStyle(psSolid);
    c->LineTo(area.Right + space, y);
  }
  // 15. Frame.
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(std::max(1, Nearest(1.0 * s_)));
  const int out = Nearest(0.51 * s_);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(area.Left - out, area.Top - out, area.Right + out, area.Bottom + out);
  // 16. Traces, channel 1 on top.
  if (last - first > 0) {
    for (int ch = 8; ch >= 1; --ch) {
      TChSettings* s = t.Channel(ch);
      if (!s->Visible()) continue;
      const int span = s->DigitalTo() - s->DigitalFrom();
      // A channel without a digit span has no vertical scale: it is drawn flat on the
      // bottom line.
      const double v = span != 0 ? H / static_cast<double>(span) : 0.0;
      c->Pen()->SetWidth(std::max(1, Nearest(s->PenWidth() * s_)));
      c->Pen()->SetColor(options_.Contains(ptColor) ? s->Color() : clBlack);
      std::vector<TPoint> points;
      points.reserve(static_cast<size_t>(last - first + 1));
      for (int i = 0; i <= last - first; ++i) {
        const uint16_t stored = t.Records()[static_cast<size_t>(first + i)].Values[static_cast<size_t>(ch - 1)];
        const int y = std::clamp(area.Bottom - Nearest(stored * v), area.Top, area.Bottom);
        points.push_back(TPoint{area.Left + Nearest(i * k), y});
      }
      c->Polyline(points);
    }
  }
  // 17.
  c->Pen()->SetWidth(1);
  if (flow) t.SetFlow(true);
}

void TAbPrintTrend::PaintPreview(TObject*) {
  if (trend_ == nullptr || paint_box_ == nullptr) return;
  TBitmap bmp;
  const int w = Nearest(px_width_ * zoom_), h = Nearest(px_height_ * zoom_);
  if (w <= 0 || h <= 0) return;
  bmp.SetSize(w, h);
  Render(bmp.Canvas(), 0, 0, true);
  if (paint_box_->Width() != w || paint_box_->Height() != h)
    paint_box_->SetBounds(paint_box_->Left(), paint_box_->Top(), w, h);
  paint_box_->Canvas()->Draw(0, 0, &bmp);
}

void TAbPrintTrend::Print(int LeftMargin, int TopMargin) {
  if (trend_ == nullptr) return;
  TPrinter* p = Printer();
  p->BeginDoc();
  try {
    if (OnAfterBeginDoc) OnAfterBeginDoc(this);
    p->Canvas()->TextOut(0, 0, " ");
    Render(p->Canvas(), LeftMargin, TopMargin, false, p->XDpi(), TPoint{p->PageWidth(), p->PageHeight()});
    if (OnBeforeEndDoc) OnBeforeEndDoc(this);
  } catch (...) {
    p->Abort();
    throw;
  }
  p->EndDoc();
}
