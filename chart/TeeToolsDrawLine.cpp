// The draw-line tool: lines the user draws, selects and moves with the mouse, kept in axis
// values and stored with the form.
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"

using namespace teetools;

// =======================================================================================
// TDrawLine and TDrawLineTool

TDrawLine::~TDrawLine() {
  if (owner_) owner_->ForgetLine(this);
}

void TDrawLine::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDrawLine*>(Source)) {
    StartPos = s->StartPos;
    EndPos = s->EndPos;
    style_ = s->style_;
    return;
  }
  TPersistent::Assign(Source);
}

void TDrawLine::SetStyle(TDrawLineStyle v) {
  if (style_ == v) return;
  style_ = v;
  if (owner_) owner_->Repaint();
}

void TDrawLine::SetCoord(double& Field, double V) {
  if (Field == V) return;
  Field = V;
  if (owner_) owner_->Repaint();
}

TDrawLine* TDrawLines::Add() {
  items_.push_back(std::make_unique<TDrawLine>(owner_));
  if (owner_) owner_->Repaint();
  return items_.back().get();
}

void TDrawLines::Delete(int Index) {
  (void)Items(Index);  // an index outside the list throws before anything changes
  items_.erase(items_.begin() + Index);
  if (owner_) owner_->Repaint();
}

void TDrawLines::Clear() {
  items_.clear();
  if (owner_) owner_->Repaint();
}

void TDrawLines::Assign(const TDrawLines& Source) {
  if (&Source == this) return;
  items_.clear();
  for (const auto& l : Source.items_) Add()->Assign(l.get());
}

TDrawLineTool::TDrawLineTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

TDrawLineTool::~TDrawLineTool() = default;

AnsiString TDrawLineTool::Description() const { return Msg(kMsgDrawLine); }

void TDrawLineTool::ForgetLine(TDrawLine* Line) {
  if (selected_ == Line) selected_ = nullptr;
}

void TDrawLineTool::SetEnableSelect(bool v) {
  if (enable_select_ == v) return;
  enable_select_ = v;
  if (!v) {
    selected_ = nullptr;
    Repaint();
  }
}

void TDrawLineTool::SetLines(TDrawLines* Value) {
  if (Value) lines_.Assign(*Value);
  Repaint();
}

TDrawLine* TDrawLineTool::AddLine(TFloatPoint From, TFloatPoint To, TDrawLineStyle Style) {
  TDrawLine* l = lines_.Add();
  l->StartPos = From;
  l->EndPos = To;
  l->SetStyle(Style);
  return l;
}

void TDrawLineTool::DeleteLine(int Index) { lines_.Delete(Index); }

void TDrawLineTool::ClearLines() { lines_.Clear(); }

TPoint TDrawLineTool::AxisPoint(TFloatPoint P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  return {h ? h->CalcPosValue(P.X) : 0, v ? v->CalcPosValue(P.Y) : 0};
}

TFloatPoint TDrawLineTool::ScreenToValue(TPoint P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  return {h ? h->CalcPosPoint(P.x) : 0, v ? v->CalcPosPoint(P.y) : 0};
}

namespace {

bool NearSegment(TPoint P, TPoint A, TPoint B, double Tolerance) {
  const double dx = B.x - A.x, dy = B.y - A.y, len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((P.x - A.x) * dx + (P.y - A.y) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = A.x + t * dx - P.x, ey = A.y + t * dy - P.y;
  return std::sqrt(ex * ex + ey * ey) <= Tolerance;
}

bool InHandle(TPoint P, TPoint H) { return std::abs(P.x - H.x) <= 3 && std::abs(P.y - H.y) <= 3; }

// The segments a line of Style between A and B is drawn with.
std::vector<std::pair<TPoint, TPoint>> LineSegments(TDrawLineStyle Style, TPoint A, TPoint B) {
  switch (Style) {
    case dlHorizParallel: return {{{A.x, A.y}, {B.x, A.y}}, {{A.x, B.y}, {B.x, B.y}}};
    case dlVertParallel: return {{{A.x, A.y}, {A.x, B.y}}, {{B.x, A.y}, {B.x, B.y}}};
    default: return {{A, B}};
  }
}

}  // namespace

bool TDrawLineTool::HitLine(TDrawLine* L, int X, int Y, int Part) {
  if (parent_ && parent_->View3D()) parent_->ChartCanvas()->Calculate2DPosition(X, Y, 0);
  const TPoint p{X, Y}, a = AxisPoint(L->StartPos), b = AxisPoint(L->EndPos);
  if (Part == 1) return InHandle(p, a);
  if (Part == 2) return InHandle(p, b);
  for (const auto& [s, e] : LineSegments(L->Style(), a, b))
    if (NearSegment(p, s, e, 4)) return true;
  return false;
}

TDrawLine* TDrawLineTool::LineAt(int X, int Y, int Part) {
  if (selected_ && HitLine(selected_, X, Y, Part)) return selected_;
  for (auto& l : lines_)
    if (HitLine(l.get(), X, Y, Part)) return l.get();
  return nullptr;
}

TDrawLine* TDrawLineTool::Clicked(int X, int Y) {
  for (int part : {0, 1, 2})
    if (TDrawLine* l = LineAt(X, Y, part)) return l;
  return nullptr;
}

TRect TDrawLineTool::ClipRect() {
  if (series_) {
    TChartAxis* h = GetHorizAxis();
    TChartAxis* v = GetVertAxis();
    return TRect(h->IStartPos, v->IStartPos, h->IEndPos, v->IEndPos);
  }
  return parent_->ChartRect;
}

void TDrawLineTool::ClipDrawingRegion() {
  if (parent_->CanClip()) parent_->ChartCanvas()->ClipCube(ClipRect(), 0, parent_->Width3D);
}

void TDrawLineTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code != 0 || lines_.empty() || !parent_) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->SetBackMode(TRANSPARENT);
  ClipDrawingRegion();
  c->AssignVisiblePen(pen_.get());
  const bool is3D = parent_->View3D();
  for (auto& l : lines_)
    for (const auto& [a, b] : LineSegments(l->Style(), AxisPoint(l->StartPos), AxisPoint(l->EndPos))) {
      if (is3D) c->LineWithZ(a.x, a.y, b.x, b.y, 0);
      else c->Line(a.x, a.y, b.x, b.y);
    }
  if (selected_) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(parent_->Color() == clBlack ? clSilver : clBlack);
    c->Pen()->SetStyle(psClear);
    for (TFloatPoint fp : {selected_->StartPos, selected_->EndPos}) {
      const TPoint p = AxisPoint(fp);
      c->RectangleWithZ(TRect(p.x - 3, p.y - 3, p.x + 3, p.y + 3), 0);
    }
  }
  if (parent_->CanClip()) c->UnClipRectangle();
}

void TDrawLineTool::DrawOverlay(TCanvas* C) {
  if (!rubber_ || !parent_) return;
  C->SetClipRegion(nullptr);
  const TColor color = ColorToRGB(pen_->Color()) ^ (0xFFFFFF - BackgroundOf(parent_));
  SelectPen(C, pen_.get(), color, pmNotXor);
  for (const auto& [a, b] : LineSegments(selected_ ? selected_->Style() : dlLine, from_, to_))
    OverlayLine(C, parent_, a.x, a.y, b.x, b.y, 0);
  C->Pen()->SetMode(pmCopy);
}

void TDrawLineTool::ChartMouseEvent(int Kind, TMouseButton MouseButton, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, MouseButton, Shift, X, Y);
  if (!parent_) return;
  switch (Kind) {
    case 0: {
      if (MouseButton != Button) break;
      TDrawLine* hit = enable_select_ ? Clicked(X, Y) : nullptr;
      if (hit) {
        from_ = AxisPoint(hit->StartPos);
        to_ = AxisPoint(hit->EndPos);
        drag_part_ = 3;
        old_x_ = X;
        old_y_ = Y;
        if (hit == selected_) {
          if (HitLine(hit, X, Y, 1)) drag_part_ = 1;
          else if (HitLine(hit, X, Y, 2)) drag_part_ = 2;
        } else {
          bool allow = true;
          if (OnSelecting) OnSelecting(this, hit, allow);
          if (allow) {
            selected_ = hit;
            Repaint();
            if (OnSelect) OnSelect(this);
          } else {
            drag_part_ = 0;
          }
        }
        parent_->CancelMouse = true;
      } else {
        if (selected_) {
          selected_ = nullptr;
          Repaint();
        }
        if (EnableDraw) {
          drawing_ = true;
          from_ = to_ = TPoint{X, Y};
          rubber_ = true;
          RepaintOverlayOf(parent_);
          parent_->CancelMouse = true;
        }
      }
      break;
    }
    case 1:
      if (!drawing_ && drag_part_ == 0) {
        if (!enable_select_) break;
        bool over = false;
        if (selected_ && (HitLine(selected_, X, Y, 1) || HitLine(selected_, X, Y, 2))) {
          SetChartCursor(parent_, crCross);
          over = true;
        } else if (Clicked(X, Y)) {
          SetChartCursor(parent_, crHandPoint);
          over = true;
        }
        parent_->CancelMouse = over;
        break;
      }
      if (drawing_) {
        to_ = TPoint{X, Y};
      } else if (drag_part_ == 1) {
        from_ = TPoint{X, Y};
      } else if (drag_part_ == 2) {
        to_ = TPoint{X, Y};
      } else {
        from_.x += X - old_x_, from_.y += Y - old_y_;
        to_.x += X - old_x_, to_.y += Y - old_y_;
        old_x_ = X;
        old_y_ = Y;
      }
      rubber_ = true;
      RepaintOverlayOf(parent_);
      parent_->CancelMouse = true;
      if (OnDragLine) OnDragLine(this);
      break;
    case 2:
      if (MouseButton != Button) break;
      rubber_ = false;
      if (drag_part_ != 0) {
        if (selected_) {
          if (drag_part_ != 2) selected_->StartPos = ScreenToValue(from_);
          if (drag_part_ != 1) selected_->EndPos = ScreenToValue(to_);
        }
        drag_part_ = 0;
        Repaint();
        if (OnDraggedLine) OnDraggedLine(this);
      } else if (drawing_) {
        if (from_ != to_) {
          AddLine(ScreenToValue(from_), ScreenToValue(to_));
          if (OnNewLine) OnNewLine(this);
        } else {
          RepaintOverlayOf(parent_);
        }
      }
      drawing_ = false;
      break;
    default:
      break;
  }
}
