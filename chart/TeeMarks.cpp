// Series marks: sizing and placing each point's label box, its callout, per-point looks,
// positions the user gave the boxes, and the hit test the mark tools use.
#include <cmath>

#include "chart/Chart.h"
#include "chart/TeEngine.h"
#include "chart/TeeItems.h"
#include "chart/TeePointer.h"
#include "platform/classes/Streams.h"
#include "platform/streaming/Filer.h"

namespace {

std::vector<AnsiString> SplitLines(const AnsiString& Text) {
  std::vector<AnsiString> lines(1);
  for (char ch : Text) {
    if (ch == ChartLineSeparator)
      lines.emplace_back();
    else
      lines.back() += ch;
  }
  return lines;
}

}  // namespace

TMarksItem::TMarksItem(TSeriesMarks* Marks) : TTeeCustomShape(nullptr), marks_(Marks) {
  color_ = clInfoBk;
  font_->SetColor(clBlack);
}

void TMarksItem::Repaint() { marks_->Repaint(); }

TSeriesMarks::TSeriesMarks(TChartSeries* Series) : TTeeCustomShape(nullptr), series_(Series) {
  visible_ = false;
  color_ = clInfoBk;
  font_->SetColor(clBlack);
  shadow_default_color_ = 0x808080;
  shadow_default_size_ = 1;
}

TSeriesMarks::~TSeriesMarks() = default;

TSeriesMarksGradient::TSeriesMarksGradient(TNotifyEvent OnChange) : TTeeGradient(std::move(OnChange)) {
  direction_ = gdRightLeft;
  start_color_ = clSilver;
  end_color_ = clWhite;
}

std::unique_ptr<TTeeGradient> TSeriesMarks::NewGradient() {
  return std::make_unique<TSeriesMarksGradient>([this](TObject*) { Repaint(); });
}

void TSeriesMarks::Repaint() {
  if (series_) series_->Repaint();
}

void TSeriesMarks::Assign(TPersistent* Source) {
  if (auto* m = dynamic_cast<TSeriesMarks*>(Source)) {
    angle_ = m->angle_;
    SetCallout(m->callout_.get());
    SetSymbol(m->symbol_.get());
    clip_ = m->clip_;
    draw_every_ = m->draw_every_;
    style_ = m->style_;
    multi_line_ = m->multi_line_;
    items_.clear();
    for (const auto& it : m->items_) {
      if (!it) {
        items_.emplace_back();
        continue;
      }
      items_.push_back(std::make_unique<TMarksItem>(this));
      items_.back()->Assign(it.get());
    }
  }
  TTeeCustomShape::Assign(Source);
}

TMarksCallout* TSeriesMarks::Callout() {
  if (!callout_) {
    callout_ = std::make_unique<TMarksCallout>(series_);
    MarkChartDefaults(callout_.get());
  }
  return callout_.get();
}

void TSeriesMarks::SetCallout(TMarksCallout* C) {
  if (!C) {
    callout_.reset();
  } else {
    Callout()->Assign(C);
  }
  Repaint();
}

TSeriesMarksSymbol* TSeriesMarks::Symbol() {
  if (!symbol_) {
    symbol_ = std::make_unique<TSeriesMarksSymbol>(series_ ? series_->ParentChart() : nullptr);
    MarkChartDefaults(symbol_.get());
  }
  return symbol_.get();
}

void TSeriesMarks::SetSymbol(TSeriesMarksSymbol* S) {
  if (!S)
    symbol_.reset();
  else
    Symbol()->Assign(S);
  Repaint();
}

bool TSeriesMarks::SymbolShown() const { return symbol_ && symbol_->Visible(); }

TChartPen* TSeriesMarks::Arrow() { return Callout()->Arrow(); }
int TSeriesMarks::ArrowLength() const { return callout_ ? callout_->Length() : 8; }
void TSeriesMarks::SetArrowLength(int v) { Callout()->SetLength(v); }

TMarksItem* TSeriesMarks::Item(int Index) {
  if (Index < 0) return nullptr;
  if (Index >= static_cast<int>(items_.size())) items_.resize(static_cast<size_t>(Index) + 1);
  auto& it = items_[static_cast<size_t>(Index)];
  if (!it) {
    it = std::make_unique<TMarksItem>(this);
    MarkChartDefaults(it.get());
  }
  return it.get();
}

TMarksItem* TSeriesMarks::ItemIfAny(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<size_t>(Index)].get();
}

void TSeriesMarks::Clear() {
  positions_.clear();
  if (!items_read_) items_.clear();
}

int TSeriesMarks::Clicked(int X, int Y) {
  if (series_ && series_->ParentChart()) series_->ParentChart()->ChartCanvas()->Calculate2DPosition(X, Y, series_->MiddleZ);
  for (size_t i = 0; i < positions_.size(); ++i) {
    const auto& p = positions_[i];
    if (!p || static_cast<int>(i) % draw_every_ != 0) continue;
    const TRect r(p->LeftTop.x, p->LeftTop.y, p->LeftTop.x + p->Width, p->LeftTop.y + p->Height);
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return static_cast<int>(i);
  }
  return -1;
}

void TSeriesMarks::ApplyArrowLength(TSeriesMarkPosition& P) {
  const int distance = callout_ ? callout_->Distance() : 0;
  const int lift = ArrowLength() + distance;
  P.LeftTop.y -= lift;
  P.ArrowTo.y -= lift;
  P.ArrowFrom.y -= distance;
}

void TSeriesMarks::ApplyPosition(int Index, TSeriesMarkPosition& P) {
  if (Index < 0) return;
  if (Index >= static_cast<int>(positions_.size())) positions_.resize(static_cast<size_t>(Index) + 1);
  auto& stored = positions_[static_cast<size_t>(Index)];
  if (stored && stored->Custom) {
    const TPoint from = P.ArrowFrom;
    const bool fixed = P.ArrowFix;
    P = *stored;
    if (fixed) P.ArrowFrom = from;
    return;
  }
  stored = std::make_unique<TSeriesMarkPosition>(P);
}

int TSeriesMarks::TextWidth(int Index) {
  if (!series_ || !series_->ParentChart()) return 0;
  TTeeCanvas3D* c = series_->ParentChart()->ChartCanvas();
  TMarksItem* item = ItemIfAny(Index);
  c->AssignFont(item ? item->Font() : font_.get());
  int w = 0;
  for (const AnsiString& line : SplitLines(series_->GetMarkText(Index))) w = std::max(w, c->TextWidth(line));
  return w;
}

void TSeriesMarks::DrawItem(int Index, TColor Color, TSeriesMarkPosition& P, const AnsiString& Text) {
  TCustomAxisPanel* chart = series_->ParentChart();
  TTeeCanvas3D* c = chart->ChartCanvas();
  TTeeCustomShape* look = ItemIfAny(Index);
  if (!look) look = this;
  look->SetParentChart(chart);
  ApplyPosition(Index, P);
  const bool is3d = chart->View3D();
  if (callout_ && (callout_->Visible() || callout_->Arrow()->Visible()))
    callout_->Draw(Color, P.ArrowFrom, series_->MiddleZ, P.ArrowTo);
  TRect box(P.LeftTop.x, P.LeftTop.y, P.LeftTop.x + P.Width, P.LeftTop.y + P.Height);
  const int z = series_->MiddleZ;
  if (is3d && !c->IsNative3D()) {
    const TPoint to = c->Calculate3DPosition(P.ArrowTo.x, P.ArrowTo.y, z);
    const int dx = to.x - P.ArrowTo.x, dy = to.y - P.ArrowTo.y;
    box = TRect(box.Left + dx, box.Top + dy, box.Right + dx, box.Bottom + dy);
  }
  look->DrawRectRotated(box, angle_ % 360, z + 1);
  c->AssignFont(look->Font());
  const int fh = c->FontHeight();
  int textLeft = box.Left + 2;
  if (SymbolShown()) {
    // The square takes the point's colour, framed by the symbol's pen.
    const TRect square(box.Left + 4, box.Top + 3, box.Left + fh - 1, box.Top + fh - 2);
    if (symbol_->HasShadow() && symbol_->Shadow()->Size() > 0) symbol_->Shadow()->Draw(c, square, z + 1);
    c->AssignVisiblePen(symbol_->Pen());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color);
    c->Rectangle(square.Left, square.Top, square.Right, square.Bottom);
    textLeft += square.Right - square.Left + 4;
  }
  c->AssignFont(look->Font());
  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
  c->SetTextAlign(TA_CENTER);
  const std::vector<AnsiString> lines = SplitLines(Text);
  const int cx = (textLeft + box.Right) / 2;
  const int frame = look->Pen()->Visible() ? look->Pen()->Width() : 0;
  for (size_t n = 0; n < lines.size(); ++n) {
    const int y = box.Top + static_cast<int>(n) * fh + frame;
    if (angle_ % 360 != 0) {
      c->RotateLabel((box.Left + box.Right) / 2, y, lines[n], angle_ % 360);
    } else {
      c->TextOut(cx, y, lines[n]);
    }
  }
  c->SetTextAlign(TA_LEFT);
}

void TSeriesMarks::DefineProperties(TFiler& Filer) {
  // Older forms store the callout's length as the marks' own; it is written as the callout's.
  Filer.DefineProperty(
      "ArrowLength", [this](TReader& R) { SetArrowLength(R.ReadInteger()); }, [](TWriter&) {}, false);
  bool any = false;
  for (const auto& it : items_) any = any || it;
  Filer.DefineBinaryProperty(
      "Items", [this](TStream& S) { ReadItems(S); }, [this](TStream& S) { WriteItems(S); }, any);
}

// A signed 32-bit count, then one record per item: its properties between a list's begin
// and end (an empty list for a point without an item of its own).
void TSeriesMarks::WriteItems(TStream& S) {
  AnsiString records;
  {
    TWriter w(records);
    for (const auto& it : items_) {
      w.WriteListBegin();
      if (it) w.WriteProperties(it.get());
      w.WriteListEnd();
    }
  }
  const int32_t n = static_cast<int32_t>(items_.size());
  unsigned char count[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                            static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
  S.Write(count, 4);
  S.Write(records.data(), static_cast<int64_t>(records.size()));
}

void TSeriesMarks::ReadItems(TStream& S) {
  AnsiString data(static_cast<size_t>(std::max<int64_t>(0, S.Size() - S.Position())), '\0');
  if (!data.empty()) S.Read(data.data(), static_cast<int64_t>(data.size()));
  if (data.size() < 4) throw EReadError("Mark items cut short");
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  const int32_t n = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  // Each record takes at least its two list markers.
  if (n < 0 || static_cast<size_t>(n) > (data.size() - 4) / 2) throw EReadError("Invalid count of mark items");
  TReader r(data.data() + 4, data.size() - 4);
  items_.clear();
  for (int i = 0; i < n; ++i) {
    r.ReadListBegin();
    if (r.EndOfList()) {
      r.ReadListEnd();
      items_.emplace_back();
      continue;
    }
    r.ReadProperties(Item(i));
  }
  items_read_ = true;
}

// ---------------------------------------------------------------------------------------

void TChartSeries::DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& Position) {
  marks_->ApplyArrowLength(Position);
  marks_->DrawItem(ValueIndex, GetValueColor(ValueIndex), Position, Text);
}

void TChartSeries::DrawMarks() {
  if (!parent_ || !marks_->Visible() || FirstValueIndex < 0) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int every = marks_->DrawEvery();
  for (int i = FirstValueIndex; i <= LastValueIndex; ++i) {
    if (i % every != 0 || IsNull(i)) continue;
    const AnsiString text = GetMarkText(i);
    if (text.empty()) continue;
    TMarksItem* item = marks_->ItemIfAny(i);
    if (item && !item->Visible()) continue;
    TTeeFont* font = item ? item->Font() : marks_->Font();
    c->AssignFont(font);
    if (parent_->View3D() && parent_->View3DOptions()->ZoomText() && parent_->View3DOptions()->Zoom() != 100)
      c->Font()->SetSize(static_cast<int>(std::nearbyint(font->Size() * parent_->View3DOptions()->Zoom() * 0.01)));
    const int fh = c->FontHeight();
    int lines = 0, w = 0;
    for (char ch : text) lines += ch == ChartLineSeparator;
    ++lines;
    {
      AnsiString line;
      for (size_t k = 0; k <= text.size(); ++k) {
        if (k == text.size() || text[k] == ChartLineSeparator) {
          w = std::max(w, c->TextWidth(line));
          line.clear();
        } else {
          line += text[k];
        }
      }
    }
    w += c->TextWidth("W");
    int h = fh * lines;
    if (marks_->SymbolShown()) w += fh - 4;
    TChartPen* frame = item ? item->Pen() : marks_->Pen();
    if (frame->Visible()) {
      w += 2 * frame->Width();
      h += 2 * frame->Width();
    } else {
      h += 1;
    }
    TSeriesMarkPosition p;
    p.ArrowFrom = p.ArrowTo = TPoint(CalcXPos(i), CalcYPos(i));
    p.Width = w;
    p.Height = h;
    p.LeftTop = TPoint(p.ArrowFrom.x - w / 2, p.ArrowFrom.y - h + 1);
    DrawMark(i, text, p);
  }
}
