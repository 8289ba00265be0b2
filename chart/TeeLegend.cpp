// The chart legend: series or points of one series with a colour symbol and two text columns.
#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeConst.h"

namespace {
int Rnd(double v) { return static_cast<int>(std::nearbyint(std::clamp(v, -2147483647.0, 2147483647.0))); }

// The first two columns of an item text.
void SplitColumns(const AnsiString& t, AnsiString& c0, AnsiString& c1) {
  const size_t a = t.find(ChartColumnSeparator);
  if (a == AnsiString::npos) {
    c0 = t;
    c1.clear();
    return;
  }
  c0 = t.substr(0, a);
  const size_t b = t.find(ChartColumnSeparator, a + 1);
  c1 = t.substr(a + 1, b == AnsiString::npos ? AnsiString::npos : b - a - 1);
}
}  // namespace

TLegendSymbol::TLegendSymbol(TTeeCustomShapeBrushPen* Legend) : legend_(Legend) {
  pen_.OnChange = [Legend](TObject*) { Legend->Repaint(); };
}

TLegendTitle::TLegendTitle(TCustomTeePanel* AOwner) : TTeeShape(AOwner) {
  transparent_ = default_transparent_ = true;
  font_->SetStyle(TFontStyles{fsBold});
  shadow_default_color_ = clSilver;
  shadow_default_size_ = 2;
  text_.OnChange = [this](TObject*) { Repaint(); };
}

void TLegendTitle::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TLegendTitle*>(Source)) {
    text_.Assign(&s->text_);
    text_alignment_ = s->text_alignment_;
  }
  TTeeShape::Assign(Source);
}

int TLegendTitle::TitleHeight() {
  TTeeCanvas3D* c = Canvas();
  c->AssignFont(font_.get());
  int h = text_.Count() * c->FontHeight();
  if (!transparent_) {
    h += 2;
    if (pen_->Visible()) h += 2 * pen_->Width();
  }
  return h;
}

int TLegendTitle::TitleWidth() {
  TTeeCanvas3D* c = Canvas();
  c->AssignFont(font_.get());
  int w = 0;
  for (int i = 0; i < text_.Count(); ++i) w = std::max(w, c->TextWidth(text_.Strings(i)));
  w += c->TextWidth("W");
  if (!transparent_) {
    if (pen_->Visible()) w += 2 * pen_->Width();
    if (shadow_) w += shadow_->HorizSize();
  }
  return w;
}

void TLegendTitle::DrawTitle(const TRect& R) {
  TTeeCanvas3D* c = Canvas();
  ShapeBounds = TRect(R.Left + 2, R.Top + 2, R.Right - 2, R.Top + 2 + TitleHeight());
  if (!transparent_ && shadow_) {
    if (shadow_->HorizSize() < 1)
      ShapeBounds.Left -= shadow_->HorizSize();
    else
      ShapeBounds.Right -= shadow_->HorizSize();
    if (shadow_->VertSize() < 0) ShapeBounds.Top -= shadow_->VertSize();
  }
  Draw();
  c->AssignFont(font_.get());
  c->SetBackMode(TRANSPARENT);
  c->SetTextAlign(TA_LEFT | TA_TOP);
  const int h = c->FontHeight(), half = c->TextWidth("W") / 2;
  for (int i = 0; i < text_.Count(); ++i) {
    const AnsiString t = text_.Strings(i);
    const int y = ShapeBounds.Top + 1 + i * h;
    int x;
    if (text_alignment_ == taLeftJustify)
      x = ShapeBounds.Left + half;
    else if (text_alignment_ == taRightJustify)
      x = ShapeBounds.Right - c->TextWidth(t) - half;
    else
      x = (ShapeBounds.Left + ShapeBounds.Right) / 2 - c->TextWidth(t) / 2;
    c->TextOut(x, y, t);
  }
}

TChartLegendGradient::TChartLegendGradient(TNotifyEvent OnChange) : TTeeGradient(std::move(OnChange)) {
  direction_ = gdRightLeft;
  start_color_ = clSilver;
  end_color_ = clWhite;
}

std::unique_ptr<TTeeGradient> TChartLegend::NewGradient() {
  return std::make_unique<TChartLegendGradient>([this](TObject*) { Repaint(); });
}

TChartLegend::TChartLegend(TCustomChart* AOwner)
    : TTeeCustomShapePosition(AOwner), chart_(AOwner), symbol_(this), title_(AOwner) {
  dividing_lines_.OnChange = [this](TObject*) { Repaint(); };
}

TChartLegend::~TChartLegend() = default;

void TChartLegend::SetFirstValue(int v) {
  if (v < 0) throw LegendException(TeeMsg_LegendFirstValue);
  Set(first_value_, v);
}

TLegendStyle TChartLegend::ResolvedStyle() {
  if (legend_style_ != lsAuto) return legend_style_;
  return (!check_boxes_ && chart_->SeriesLegendCount(true) < 2) ? lsValues : lsSeries;
}

bool TChartLegend::ShowCheckBoxes() { return check_boxes_ && ResolvedStyle() != lsValues; }

bool TChartLegend::ShouldDraw() { return visible_ && (ShowCheckBoxes() || chart_->SeriesLegendCount(false) > 0); }

int TChartLegend::CalcItemHeight() {
  int h = chart_->ChartCanvas()->FontHeight();
  if (ShowCheckBoxes()) h = std::max(h, 17);
  h += vert_spacing_;
  if (Vertical() && dividing_lines_.Visible()) h += dividing_lines_.Width();
  return h;
}

TChartSeries* TChartLegend::LegendSeriesOfValues() {
  if (Series) return Series;
  for (TChartSeries* s : chart_->SeriesList())
    if (s->Active()) return s;
  return nullptr;
}

AnsiString TChartLegend::FormattedValue(TChartSeries* S, int ValueIndex) {
  if (ValueIndex < 0) return {};
  return ReplaceChar(S->LegendString(ValueIndex, text_style_), ChartColumnSeparator, ' ');
}

AnsiString TChartLegend::ItemText(int Index) {
  AnsiString t;
  const TLegendStyle st = ResolvedStyle();
  if (st == lsSeries) {
    if (TChartSeries* s = chart_->LegendSeries(Index, !check_boxes_)) t = s->DisplayName();
  } else if (st == lsValues) {
    if (TChartSeries* s = LegendSeriesOfValues()) t = s->LegendString(Index, text_style_);
  } else {
    if (TChartSeries* s = chart_->LegendSeries(Index, !check_boxes_))
      if (s->Count() > 0) t = s->LegendString(s->Count() - 1, text_style_);
  }
  if (chart_->OnGetLegendText) chart_->OnGetLegendText(chart_, st, Index, t);
  return t;
}

int TChartLegend::CalcSymbolWidth(int Base) {
  if (!symbol_.Visible()) return 0;
  if (symbol_.Squared()) return ItemHeight - 5;
  if (symbol_.WidthUnits() == lcsPixels) return symbol_.Width();
  return Rnd(symbol_.Width() * Base * 0.01);
}

void TChartLegend::Draw() {
  TTeeCanvas3D* c = chart_->ChartCanvas();
  const TLegendStyle st = ResolvedStyle();
  const bool boxes = ShowCheckBoxes();
  int frame = pen_->Visible() ? pen_->Width() : 0;
  if (bevel_ != bvNone) frame = bevel_width_;
  const int mpp = chart_->MaxPointsPerPage();
  if (st == lsValues && current_page_ && mpp > 0)
    first_value_ = (chart_->Page() - 1) * mpp;
  else if (mpp > 0)
    first_value_ = 0;
  int count = 0;
  if (st == lsSeries || st == lsLastValues) {
    count = chart_->SeriesLegendCount(!check_boxes_);
  } else {
    TChartSeries* s = LegendSeriesOfValues();
    count = s && s->ShowInLegend() ? s->CountLegendItems() : 0;
  }
  count = std::max(0, count - first_value_);
  if (mpp > 0 && st == lsValues && current_page_) count = std::min(count, mpp);
  TotalItems = count;
  chart_->LegendColor = color_;
  c->AssignFont(font_.get());
  SpaceWidth = c->TextWidth(" ");
  ItemHeight = CalcItemHeight();
  const bool showTitle = title_.Visible() && title_.Text()->Count() > 0;
  const int titleHeight = showTitle ? title_.TitleHeight() : 0;
  c->AssignFont(font_.get());
  auto itemsTop = [&] {
    int t = ShapeBounds.Top;
    if (showTitle) {
      t += titleHeight + 2;
      if (!title_.Transparent() && title_.HasShadow()) t += std::abs(title_.Shadow()->VertSize());
    }
    return t;
  };
  auto fetch = [&](int last) {
    texts_.clear();
    ColumnWidths[0] = ColumnWidths[1] = 0;
    for (int i = first_value_; i <= last; ++i) {
      texts_.push_back(ItemText(i));
      AnsiString a, b;
      SplitColumns(texts_.back(), a, b);
      if (!a.empty()) ColumnWidths[0] = std::max(ColumnWidths[0], c->TextWidth(a));
      if (!b.empty()) ColumnWidths[1] = std::max(ColumnWidths[1], c->TextWidth(b));
    }
    TextWidth = ColumnWidths[0] + ColumnWidths[1] + 2 * SpaceWidth - 1;
  };
  if (Vertical()) {
    if (!custom_position_)
      ShapeBounds.Top = chart_->ChartBounds.Top + Rnd(top_pos_ * (chart_->ChartBounds.Bottom - chart_->ChartBounds.Top) * 0.01);
    ItemsTop = itemsTop();
    Columns = 1;
    if (chart_->ChartRect.Bottom <= ItemsTop || ItemHeight < 1)
      Rows = 0;
    else
      Rows = std::min((chart_->ChartRect.Top + chart_->ChartHeight - 2 * frame - ItemsTop) / ItemHeight, count);
    LastIndex = first_value_ + std::min(count, Rows) - 1;
    fetch(LastIndex);
  } else {
    LastIndex = first_value_ + count - 1;
    fetch(LastIndex);
    SymbolWidth = CalcSymbolWidth(TextWidth);
    if (!custom_position_) {
      if (alignment_ == laTop) {
        const int h = ShapeBounds.Height();
        ShapeBounds.Top = chart_->ChartRect.Top + frame + 1;
        ShapeBounds.Bottom = ShapeBounds.Top + h;
      } else {
        int d = chart_->Shadow()->VertSize() + frame + 1;
        if (OnSizeHook) OnSizeHook(this, d);
        ShapeBounds.Bottom = chart_->ChartRect.Bottom - d;
      }
    }
    ItemsTop = itemsTop();
    const int itemWidth = SymbolWidth + TextWidth + 8 + (boxes ? 27 : 0);
    if (chart_->ChartRect.Right <= 8 || itemWidth < 1)
      Columns = 0;
    else
      Columns = std::min((chart_->ChartWidth - 2 * frame - 8) / itemWidth, count);
    if (Columns > 0) {
      Rows = count / Columns + (count % Columns ? 1 : 0);
      Rows = std::min(Rows, max_num_rows_);
    } else {
      Rows = 0;
    }
    LastIndex = first_value_ + std::min(count, Columns * Rows) - 1;
  }
  if (LastIndex < first_value_) return;
  int height = Rows * ItemHeight + 2;
  if (showTitle) {
    height += titleHeight + 2;
    if (!title_.Transparent() && title_.HasShadow()) height += std::abs(title_.Shadow()->VertSize());
  }
  if (alignment_ == laBottom && !custom_position_) {
    ShapeBounds.Top = ShapeBounds.Bottom - height;
    ItemsTop = itemsTop();
  } else {
    ShapeBounds.Bottom = ShapeBounds.Top + height;
  }
  bool clipItems = false;
  if (Vertical()) {
    int width = TextWidth + 10;
    SymbolWidth = CalcSymbolWidth(width);
    width += SymbolWidth;
    if (OnSizeHook) OnSizeHook(this, width);
    if (showTitle) width = std::max(width, title_.TitleWidth());
    const int boxRoom = boxes ? 15 : 0;
    if (!custom_position_) {
      // A legend that would reach off the panel beside the chart (long texts on a narrow
      // chart) takes half of the chart's width instead, its items cut at its frame, so
      // that both stay on the panel.
      const int sh = alignment_ == laRight && HasShadow() ? Shadow()->HorizSize() : 0;
      const int start = alignment_ == laRight ? chart_->ChartRect.Right - (sh + frame + 1) - width - boxRoom
                                              : chart_->ChartRect.Left + frame + 1;
      if (start < chart_->ChartBounds.Left || start + boxRoom + width >= chart_->ChartBounds.Right) {
        width = std::max(1, chart_->ChartWidth / 2 - boxRoom);
        SymbolWidth = std::min(CalcSymbolWidth(width), width / 2);
        clipItems = true;
      }
    }
    if (alignment_ == laRight && !custom_position_) {
      const int sh = HasShadow() ? Shadow()->HorizSize() : 0;
      ShapeBounds.Right = chart_->ChartRect.Right - (sh + frame + 1);
      ShapeBounds.Left = ShapeBounds.Right - width - boxRoom;
    } else if (!custom_position_) {
      ShapeBounds.Left = chart_->ChartRect.Left + frame + 1;
    }
    CheckBoxLeft = ShapeBounds.Left + 4;
    ItemLeft = boxes ? ShapeBounds.Left + 15 : ShapeBounds.Left;
    ShapeBounds.Right = ItemLeft + width;
  } else {
    int total = (TextWidth + SymbolWidth) * Columns + 12 + (Columns - 1) * 6;
    if (boxes) total += Columns * 13 + 8;
    const int half = std::min(chart_->ChartWidth, total) / 2;
    if (!custom_position_)
      ShapeBounds.Left = chart_->ChartXCenter - half +
                         Rnd(top_pos_ * (chart_->ChartBounds.Right - chart_->ChartBounds.Left - 2 * half) * 0.01);
    ShapeBounds.Right = ShapeBounds.Left + 2 * half;
    CheckBoxLeft = ShapeBounds.Left + 4;
    ItemLeft = boxes ? ShapeBounds.Left + 15 : ShapeBounds.Left;
  }
  if (symbol_.Position() == spLeft) {
    SymbolLeft = ItemLeft + 6;
    TextLeft = SymbolLeft + SymbolWidth + 4;
  } else {
    TextLeft = ItemLeft + 6;
    SymbolLeft = TextLeft + TextWidth;
  }
  if (chart_->OnGetLegendRect) chart_->OnGetLegendRect(chart_, ShapeBounds);
  DrawRectRotated(ShapeBounds, 0, 0);
  if (showTitle) {
    title_.DrawTitle(ShapeBounds);
    c->AssignFont(font_.get());
  }
  // Items, cut at the frame when they are wider than the legend could be.
  if (clipItems) c->ClipRectangle(ShapeBounds);
  const int slots = LastIndex - first_value_ + 1;
  for (int s = 0; s < slots; ++s) {
    const int i = inverted_ ? LastIndex - s : first_value_ + s;
    if (s >= count) break;
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(bsClear);
    chart_->LegendPen = symbol_.DefaultPen() ? nullptr : symbol_.Pen();
    const int row = Vertical() ? s : s / std::max(1, Columns), col = Vertical() ? 0 : s % std::max(1, Columns);
    const int colOffset = Vertical() ? 0 : col * (TextWidth + SymbolWidth + 6) + (boxes ? 15 * col : 0);
    int itemTop = ItemsTop + 1 + row * ItemHeight + vert_spacing_ / 2;
    int textLeft = TextLeft + colOffset, symbolLeft = SymbolLeft + colOffset;
    if (chart_->OnGetLegendPos) chart_->OnGetLegendPos(chart_, i, textLeft, itemTop, symbolLeft);
    if (s >= 1 && dividing_lines_.Visible()) {
      c->AssignVisiblePen(&dividing_lines_);
      c->SetBackMode(TRANSPARENT);
      if (Vertical())
        c->Line(ShapeBounds.Left, itemTop - vert_spacing_ / 2, ShapeBounds.Right, itemTop - vert_spacing_ / 2);
      else
        c->Line(ShapeBounds.Left + colOffset + 2, ShapeBounds.Top, ShapeBounds.Left + colOffset + 2, ShapeBounds.Bottom);
    }
    c->AssignFont(font_.get());
    if (font_series_color_) {
      if (st == lsValues) {
        if (TChartSeries* ls = LegendSeriesOfValues()) c->Font()->SetColor(ls->LegendItemColor(i));
      } else if (TChartSeries* ls = chart_->LegendSeries(i, !check_boxes_)) {
        c->Font()->SetColor(ls->SeriesColor());
      }
    }
    c->SetBackMode(TRANSPARENT);
    AnsiString col0, col1;
    SplitColumns(texts_[static_cast<size_t>(i - first_value_)], col0, col1);
    int x = textLeft;
    const int ty = itemTop + (boxes ? 1 : 0);
    for (int k = 0; k < 2; ++k) {
      const AnsiString& t = k == 0 ? col0 : col1;
      const TLegendTextStyle ts = text_style_;
      const bool number = st != lsSeries &&
                          (k == 0 ? (ts == ltsLeftValue || ts == ltsLeftPercent || ts == ltsXValue || ts == ltsValue ||
                                     ts == ltsPercent || ts == ltsXAndValue || ts == ltsXAndPercent)
                                  : (ts == ltsRightValue || ts == ltsRightPercent || ts == ltsXAndValue || ts == ltsXAndPercent));
      if (number) {
        x += ColumnWidths[k];
        if (!t.empty()) {
          c->SetTextAlign(TA_RIGHT);
          c->TextOut(x, ty, t);
        }
      } else {
        if (!t.empty()) {
          c->SetTextAlign(TA_LEFT);
          c->TextOut(x, ty, t);
        }
        x += ColumnWidths[k];
      }
      x += SpaceWidth;
    }
    c->SetTextAlign(TA_LEFT);
    TRect sr(symbolLeft, itemTop + 2, symbolLeft + SymbolWidth, itemTop + ItemHeight + 1 - (vert_spacing_ + 3));
    if (symbol_.Continuous()) {
      if (s != 0) sr.Top = itemTop;
      if (s != slots - 1) sr.Bottom = itemTop + ItemHeight + 1;
    }
    TChartSeries* series = nullptr;
    int valueIndex = -1;
    if (st == lsValues) {
      series = LegendSeriesOfValues();
      if (!series) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clWhite);
        c->AssignVisiblePen(symbol_.Pen());
        c->Rectangle(sr.Left, sr.Top, sr.Right, sr.Bottom);
        continue;
      }
      valueIndex = series->LegendToValueIndex(i);
    } else {
      series = chart_->LegendSeries(i, !check_boxes_);
      if (boxes && series)
        DrawCheckBox(CheckBoxLeft + colOffset, itemTop - 1 + (ItemHeight - vert_spacing_ - 11) / 2, c->Canvas(),
                     check_boxes_style_ == cbsCheck, series->Active());
    }
    if (series && SymbolWidth > 0) series->DrawLegend(valueIndex, sr);
    if (symbol_.OnDraw) symbol_.OnDraw(this, series, valueIndex, sr);
  }
  if (clipItems) c->UnClipRectangle();
  chart_->LegendPen = nullptr;
  // Chart resizing.
  if (resize_chart_ && !custom_position_) {
    TRect& r = chart_->ChartRect;
    switch (alignment_) {
      case laLeft: r.Left = ShapeBounds.Right; break;
      case laRight: r.Right = ShapeBounds.Left; break;
      case laTop: r.Top = ShapeBounds.Bottom + chart_->Shadow()->VertSize(); break;
      case laBottom: r.Bottom = ShapeBounds.Top; break;
    }
    if (Vertical()) {
      const int m = horiz_margin_ != 0 ? horiz_margin_ : 3 * chart_->ChartWidth / 100;
      if (alignment_ == laLeft) r.Left += m; else r.Right -= m;
    } else {
      const int m = vert_margin_ != 0 ? vert_margin_ : 4 * chart_->ChartHeight / 100;
      if (alignment_ == laTop) r.Top += m; else r.Bottom -= m;
    }
  }
  chart_->TidyChartRect();
}

int TChartLegend::Clicked(int X, int Y) {
  TRect r = ShapeBounds;
  int hook = 0;
  if (OnSizeHook) OnSizeHook(this, hook);
  r.Right -= hook;
  if (!PointInRect(r, X, Y)) return -1;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  c->AssignFont(font_.get());
  ItemHeight = CalcItemHeight();
  int row = -1;
  for (int k = 0; k < Rows; ++k) {
    const int top = ItemsTop + 1 + k * ItemHeight;
    if (Y >= top && Y <= top + ItemHeight) {
      row = inverted_ ? Rows - k - 1 : k;
      break;
    }
  }
  if (row < 0) return -1;
  if (Vertical()) return row + first_value_;
  if (Columns <= 0) return -1;
  const int cw = (ShapeBounds.Right - ShapeBounds.Left) / Columns;
  int result = -1;
  for (int col = 0; col < Columns; ++col) {
    const int left = ShapeBounds.Left + 1 + col * cw;
    if (X >= left && X <= left + cw) {
      const int cc = inverted_ ? Columns - col - 1 : col;
      const int idx = Columns * row + cc;
      result = idx > TotalItems - 1 ? -1 : idx;
    }
  }
  return result;
}

bool TChartLegend::DoMouseCheckBox(int X, int Y) {
  if (!ShowCheckBoxes()) return false;
  const int idx = Clicked(X, Y);
  if (idx < 0) return false;
  int n = 0;
  for (TChartSeries* s : chart_->SeriesList()) {
    if (!s->ShowInLegend()) continue;
    if (check_boxes_style_ == cbsRadio)
      s->SetActive(n == idx);
    else if (n == idx)
      s->SetActive(!s->Active());
    ++n;
  }
  return true;
}

void TLegendSymbol::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TLegendSymbol*>(Source);
  if (!s) return TPersistent::Assign(Source);
  continuous_ = s->continuous_;
  default_pen_ = s->default_pen_;
  squared_ = s->squared_;
  visible_ = s->visible_;
  position_ = s->position_;
  width_ = s->width_;
  width_units_ = s->width_units_;
  OnDraw = s->OnDraw;
  pen_.Assign(&s->pen_);
}

void TChartLegend::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartLegend*>(Source)) {
    alignment_ = s->alignment_;
    check_boxes_ = s->check_boxes_;
    check_boxes_style_ = s->check_boxes_style_;
    current_page_ = s->current_page_;
    first_value_ = s->first_value_;
    font_series_color_ = s->font_series_color_;
    inverted_ = s->inverted_;
    resize_chart_ = s->resize_chart_;
    horiz_margin_ = s->horiz_margin_;
    vert_margin_ = s->vert_margin_;
    max_num_rows_ = s->max_num_rows_;
    top_pos_ = s->top_pos_;
    vert_spacing_ = s->vert_spacing_;
    legend_style_ = s->legend_style_;
    text_style_ = s->text_style_;
    custom_position_ = s->custom_position_;
    dividing_lines_.Assign(&s->dividing_lines_);
    symbol_.Assign(&s->symbol_);
    title_.Assign(&s->title_);
  }
  TTeeCustomShape::Assign(Source);
}
