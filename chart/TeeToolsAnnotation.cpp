// The annotation tool (a text box with an optional callout) and the rectangle tool (a box
// the user moves and resizes with the mouse).
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"

using namespace teetools;

// =======================================================================================
// TAnnotationTool and TRectangleTool

TAnnotationCallout::TAnnotationCallout(TNotifyEvent OnChange) : on_change_(OnChange), arrow_(OnChange) {
  arrow_.SetVisible(false);
}

void TAnnotationCallout::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TAnnotationCallout*>(Source)) {
    x_ = s->x_, y_ = s->y_, z_ = s->z_;
    visible_ = s->visible_;
    distance_ = s->distance_;
    arrow_.Assign(&s->arrow_);
    return;
  }
  TPersistent::Assign(Source);
}

TAnnotationTool::TAnnotationTool(TComponent* AOwner)
    : TTeeCustomTool(AOwner), shape_(std::make_unique<TAnnotationShape>(nullptr)), callout_([this](TObject*) { Repaint(); }) {
  MarkChartDefaults(this);
}

TAnnotationTool::~TAnnotationTool() = default;

AnsiString TAnnotationTool::Description() const { return Msg(kMsgAnnotation); }

void TAnnotationTool::SetParentChart(TCustomAxisPanel* p) {
  TTeeCustomTool::SetParentChart(p);
  if (HasState(csDestroying)) return;
  shape_->SetParentChart(p);
  if (p) p->Invalidate();
}

void TAnnotationTool::SetPosition(TAnnotationPosition v) {
  shape_->SetCustomPosition(false);
  if (position_ == v) return;
  position_ = v;
  Repaint();
}

void TAnnotationTool::SetPositionUnits(TTeeUnits v) {
  if (position_units_ == v) return;
  position_units_ = v;
  Repaint();
}

void TAnnotationTool::SetTextAlignment(TAlignment v) {
  if (text_alignment_ == v) return;
  text_alignment_ = v;
  Repaint();
}

void TAnnotationTool::SetWidth(int v) {
  if (v == Width()) return;
  shape_->SetWidth(v);
  Repaint();
}

void TAnnotationTool::SetHeight(int v) {
  if (v == Height()) return;
  shape_->SetHeight(v);
  Repaint();
}

TRect TAnnotationTool::Bounds(TPoint* TextOrigin, int* LineHeight) {
  if (!parent_) return TRect{};
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignFont(shape_->Font());
  const int h = c->FontHeight();
  const AnsiString text = GetText();
  const std::vector<AnsiString> parts = SplitLines(text.empty() ? AnsiString(1, ' ') : text);
  const int lines = static_cast<int>(parts.size());
  int w = 0;
  for (const AnsiString& l : parts) w = std::max(w, c->TextWidth(l));
  const int th = lines * h, cw = parent_->Width(), ch = parent_->Height();
  int x, y;
  if (shape_->CustomPosition()) {
    if (position_units_ == muPercent) {
      x = static_cast<int>(std::nearbyint(shape_->Left() * cw * 0.01));
      y = static_cast<int>(std::nearbyint(shape_->Top() * ch * 0.01));
    } else {
      x = shape_->Left() + 4;
      y = shape_->Top() + 2;
    }
  } else {
    switch (position_) {
      case ppLeftBottom: x = 10, y = ch - th - 8; break;
      case ppRightTop: x = cw - w - 8, y = 10; break;
      case ppRightBottom: x = cw - w - 8, y = ch - th - 8; break;
      default: x = 10, y = 10; break;
    }
  }
  const int bw = auto_size_ ? w + 6 : shape_->Width(), bh = auto_size_ ? th + 4 : shape_->Height();
  if (TextOrigin) *TextOrigin = {x, y};
  if (LineHeight) *LineHeight = h;
  return TRect(x - 4, y - 2, x - 4 + bw, y - 2 + bh);
}

void TAnnotationTool::DrawCallout(const TRect& Box) {
  if (!callout_.Visible() && !callout_.Arrow()->Visible()) return;
  TPoint p{callout_.XPosition(), callout_.YPosition()};
  TPoint to;
  to.x = p.x >= Box.Left && p.x <= Box.Right ? (Box.Left + Box.Right) / 2 : p.x < Box.Left ? Box.Left : Box.Right;
  to.y = p.y >= Box.Top && p.y <= Box.Bottom ? (Box.Top + Box.Bottom) / 2 : p.y < Box.Top ? Box.Top : Box.Bottom;
  if (callout_.Distance() != 0) {
    const double dx = to.x - p.x, dy = to.y - p.y, len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
      p.x += static_cast<int>(std::nearbyint(dx * callout_.Distance() / len));
      p.y += static_cast<int>(std::nearbyint(dy * callout_.Distance() / len));
    }
  }
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (callout_.Arrow()->Visible()) {
    c->AssignVisiblePen(callout_.Arrow());
    c->LineWithZ(to.x, to.y, p.x, p.y, callout_.ZPosition());
  }
}

void TAnnotationTool::ChartEvent(int Code) {
  TTeeCustomTool::ChartEvent(Code);
  if (Code != 0 || !parent_) return;
  TPoint origin;
  int h = 0;
  const TRect box = Bounds(&origin, &h);
  const TRect stored = shape_->ShapeBounds;
  shape_->ShapeBounds = box;
  if (shape_->Visible()) shape_->Draw();
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignFont(shape_->Font());
  c->SetBackMode(TRANSPARENT);
  int x = origin.x;
  if (text_alignment_ == taLeftJustify) c->SetTextAlign(TA_LEFT);
  if (text_alignment_ == taCenter) c->SetTextAlign(TA_CENTER), x = (box.Left + box.Right) / 2 + 2;
  if (text_alignment_ == taRightJustify) c->SetTextAlign(TA_RIGHT), x = box.Right - 2;
  int line = 0;
  for (const AnsiString& part : SplitLines(GetText())) c->TextOut(x, origin.y + line++ * h, part);
  c->SetTextAlign(TA_LEFT);
  DrawCallout(box);
  shape_->ShapeBounds = stored;
}

void TAnnotationTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomTool::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  if (Kind == 0 && OnClick && Clicked(X, Y)) OnClick(this, Button, Shift, X, Y);
  if (Kind == 1 && Cursor != crDefault && Clicked(X, Y)) {
    SetChartCursor(parent_, Cursor);
    parent_->CancelMouse = true;
  }
}

TRectangleTool::TRectangleTool(TComponent* AOwner) : TAnnotationTool(AOwner) {
  SetAutoSize(false);
  shape_->SetCustomPosition(true);
  shape_->Shadow()->SetSize(0);
  shape_->SetTransparency(75);
  shape_->ShapeBounds = TRect(10, 10, 60, 60);
  SetPositionUnits(muPixels);
  Cursor = crHandPoint;
  MarkChartDefaults(this);
}

AnsiString TRectangleTool::Description() const { return Msg(kMsgRectangle); }

int TRectangleTool::EdgeAt(int X, int Y) {
  if (!Clicked(X, Y)) return -1;
  const TRect r = Bounds();
  if (std::abs(X - r.Left) < 4) return 0;
  if (std::abs(Y - r.Top) < 4) return 1;
  if (std::abs(X - r.Right) < 4) return 2;
  if (std::abs(Y - r.Bottom) < 4) return 3;
  return -1;
}

void TRectangleTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TAnnotationTool::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!active_ || !parent_) return;
  TRect& sb = shape_->ShapeBounds;
  switch (Kind) {
    case 0: {
      if (Button != mbLeft) break;
      const TRect r = Bounds();
      ResizeEdge = EdgeAt(X, Y);
      if (ResizeEdge != -1) {
        OffsetX = X - (ResizeEdge == 2 ? r.Right : r.Left);
        OffsetY = Y - (ResizeEdge == 3 ? r.Bottom : r.Top);
        parent_->CancelMouse = true;
      } else if (Clicked(X, Y)) {
        OffsetX = X - r.Left;
        OffsetY = Y - r.Top;
        DraggingBox = true;
        parent_->CancelMouse = true;
      }
      break;
    }
    case 1:
      if (DraggingBox) {
        const int w = sb.Right - sb.Left, h = sb.Bottom - sb.Top;
        sb.Left = X - OffsetX;
        sb.Top = Y - OffsetY;
        sb.Right = sb.Left + w;
        sb.Bottom = sb.Top + h;
        Repaint();
        parent_->CancelMouse = true;
        if (OnDragging) OnDragging(this);
      } else if (ResizeEdge != -1) {
        switch (ResizeEdge) {
          case 0: sb.Left = std::min(sb.Right - 3, X - OffsetX); break;
          case 1: sb.Top = std::min(sb.Bottom - 3, Y - OffsetY); break;
          case 2: sb.Right = std::max(sb.Left + 3, X - OffsetX); break;
          default: sb.Bottom = std::max(sb.Top + 3, Y - OffsetY); break;
        }
        Repaint();
        parent_->CancelMouse = true;
        if (OnResizing) OnResizing(this);
      } else {
        const int edge = EdgeAt(X, Y);
        bool set = true;
        if (edge == 0 || edge == 2) SetChartCursor(parent_, crSizeWE);
        else if (edge == 1 || edge == 3) SetChartCursor(parent_, crSizeNS);
        else if (Clicked(X, Y) && Cursor != crDefault) SetChartCursor(parent_, Cursor);
        else set = false;
        parent_->CancelMouse = set;
      }
      break;
    case 2:
      DraggingBox = false;
      ResizeEdge = -1;
      break;
    default:
      break;
  }
}
