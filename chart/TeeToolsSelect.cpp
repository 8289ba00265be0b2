#include "chart/TeeToolsSelect.h"

#include <algorithm>

#include "chart/TeeProCo.h"
#include "chart/TeeSurfa.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiStreaming.h"

namespace {

constexpr size_t kMsgDragMarks = 93, kMsgMarkTips = 101, kMsgGridBand = 184, kMsgSurfaceNearest = 206;
AnsiString Msg(size_t Index) { return *ProMessageVariables()[Index]; }
constexpr TColor kPointOwnColor = clTeeColor;  // the point keeps the series' colour

}  // namespace

// =======================================================================================
// TGridBandTool

void TGridBandBrush::SetBackColor(TColor v) {
  if (back_color_ == v) return;
  back_color_ = v;
  if (OnChange) OnChange(this);
}

void TGridBandBrush::SetTransparency(TTeeTransparency v) {
  if (transparency_ == v) return;
  transparency_ = v;
  if (OnChange) OnChange(this);
}

TGridBandTool::TGridBandTool(TComponent* AOwner)
    : TTeeCustomToolAxis(AOwner), band1_([this](TObject*) { Repaint(); }), band2_([this](TObject*) { Repaint(); }) {
  MarkChartDefaults(this);
}

TGridBandTool::~TGridBandTool() {
  if (axis_) axis_->OnDrawGrids = nullptr;
}

AnsiString TGridBandTool::Description() const { return Msg(kMsgGridBand); }

void TGridBandTool::SetAxis(TChartAxis* A) {
  if (axis_ && axis_ != A) axis_->OnDrawGrids = nullptr;
  TTeeCustomToolAxis::SetAxis(A);
  if (axis_) axis_->OnDrawGrids = [this](TChartAxis* Axis) { DrawBands(Axis); };
}

void TGridBandTool::DrawBands(TChartAxis* Axis) {
  filled_.clear();
  if (!active_ || !parent_) return;
  const std::vector<int>& t = Axis->TickPositions();
  // A band whose brush has no colour of its own (a new band's) fills nothing: it would
  // otherwise cover the chart with black stripes.
  auto fills = [](const TGridBandBrush& b) { return b.Style() != bsClear && b.Color() != clTeeColor; };
  if ((t.size() < 2 || !fills(band1_)) && !fills(band2_)) return;
  if (t.empty()) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  const TRect cr = parent_->ChartRect;
  const bool is3D = parent_->View3D();
  TGridBandBrush* band = &band1_;
  auto fill = [&](int p0, int p1) {
    if (fills(*band)) {
      const TColor back = band->BackColor() == clNone && chart ? chart->BackWall()->Color() : band->BackColor();
      c->AssignBrushColor(band, band->Color(), back);
      if (p0 > p1) std::swap(p0, p1);
      TRect r = Axis->Horizontal ? TRect(p0, cr.Top + 1, p1, cr.Bottom) : TRect(cr.Left + 1, p0, cr.Right, p1 + 1);
      TTeeBlend* blend = band->Transparency() ? c->BeginBlending(is3D ? c->CalcRect3D(r, parent_->Width3D) : r, band->Transparency()) : nullptr;
      c->Pen()->SetStyle(psClear);
      if (is3D) {
        c->RectangleWithZ(r, parent_->Width3D);
      } else {
        ++r.Right;
        c->RectangleRect(r);
      }
      if (blend) c->EndBlending(blend);
      filled_.push_back({p0, p1});
    }
    band = band == &band1_ ? &band2_ : &band1_;
  };
  const size_t n = t.size() - 1;
  if (Axis->Horizontal) {
    if (Axis->IEndPos > t[0]) fill(Axis->IEndPos - 1, t[0]);
  } else if (Axis->IStartPos < t[0]) {
    fill(Axis->IStartPos + 1, t[0]);
  }
  for (size_t i = 1; i <= n; ++i) fill(t[i - 1], t[i]);
  if (Axis->Horizontal) {
    if (t[n] > Axis->IStartPos) fill(t[n], Axis->IStartPos);
  } else if (t[n] < Axis->IEndPos) {
    fill(t[n], Axis->IEndPos);
  }
}

// =======================================================================================
// TSurfaceNearestTool

TSurfaceNearestTool::TSurfaceNearestTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

AnsiString TSurfaceNearestTool::Description() const { return Msg(kMsgSurfaceNearest); }

void TSurfaceNearestTool::SetSeries(TChartSeries* S) { TTeeCustomToolSeries::SetSeries(dynamic_cast<TSurfaceSeries*>(S)); }

void TSurfaceNearestTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  auto* s = dynamic_cast<TSurfaceSeries*>(series_);
  if (Kind != 1 || !s) return;
  const int idx = s->Clicked(X, Y);
  if (idx == SelectedCell) return;
  SelectedCell = idx;
  if (idx >= 0) {
    // The cell is coloured by its drawn corner (lower X, upper Z in drawing order).
    const int ci = s->DX == 1 ? (s->DZ == 1 ? 3 : 0) : (s->DZ == 1 ? 2 : 1);
    const int corner = s->Corner[ci] >= 0 ? s->Corner[ci] : idx;
    const double cx = s->XValue(corner), cz = s->ZValues()->Value(corner);
    for (int i = 0; i < s->Count(); ++i) {
      const bool sx = s->XValue(i) == cx, sz = s->ZValues()->Value(i) == cz;
      s->SetValueColor(i, sx && sz ? cell_ : sx ? row_ : sz ? column_ : kPointOwnColor);
    }
  } else {
    for (int i = 0; i < s->Count(); ++i) s->SetValueColor(i, kPointOwnColor);
  }
  if (TCustomAxisPanel* c = s->ParentChart()) {
    c->SetAutoRepaint(true);
    c->Invalidate();
  }
  if (OnSelectCell) OnSelectCell(this);
}

// =======================================================================================
// TSelectorTool

TSelectorTool::TSelectorTool(TComponent* AOwner) : TTeeCustomTool(AOwner) { MarkChartDefaults(this); }

void TSelectorTool::SelectionChanged() {
  Repaint();
  if (OnSelected) OnSelected(this);
}

void TSelectorTool::ClearSelection() {
  Part = TChartClickedPart{};
  SelectedAnnotation = nullptr;
  SelectedShape = nullptr;
  SelectedWall = nullptr;
}

void TSelectorTool::Handle(int X, int Y) {
  parent_->ChartCanvas()->Rectangle(X - handle_size_, Y - handle_size_, X + handle_size_, Y + handle_size_);
}

void TSelectorTool::BoxHandles(const TRect& R) {
  if (R.Right - R.Left <= 0) return;
  Handle(R.Left, R.Top);
  Handle(R.Left, R.Bottom);
  Handle(R.Right, R.Top);
  Handle(R.Right, R.Bottom);
}

void TSelectorTool::ChartEvent(int Code) {
  TTeeCustomTool::ChartEvent(Code);
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  if (Code != 0 || !chart || chart->Printing || !ShowHandles) return;
  TTeeCanvas3D* c = chart->ChartCanvas();
  c->AssignVisiblePen(pen_.get());
  c->AssignBrush(&brush_, brush_.Color());
  if (SelectedShape) return BoxHandles(SelectedShape->ShapeBounds);
  switch (Part.Part) {
    case cpNone: {
      const int h = handle_size_;
      BoxHandles(TRect(h, h, chart->Width() - h, chart->Height() - h));
      break;
    }
    case cpLegend:
      if (chart->Legend()->Visible()) BoxHandles(chart->Legend()->ShapeBounds);
      break;
    case cpTitle: BoxHandles(chart->Title()->TitleRect); break;
    case cpFoot: BoxHandles(chart->Foot()->TitleRect); break;
    case cpSubTitle: BoxHandles(chart->SubTitle()->TitleRect); break;
    case cpSubFoot: BoxHandles(chart->SubFoot()->TitleRect); break;
    case cpChartRect: {
      const TRect& r = chart->ChartRect;
      const int z = chart->View3D() ? chart->Width3D : 0;
      for (const TPoint p : c->FourPointsFromRect(r, z)) Handle(p.x, p.y);
      break;
    }
    case cpAxis:
      if (TChartAxis* a = Part.AAxis)
        BoxHandles(a->Horizontal ? TRect(a->IStartPos, a->PosAxis, a->IEndPos, a->PosLabels)
                                 : TRect(std::min(a->PosAxis, a->PosLabels), a->IStartPos, std::max(a->PosAxis, a->PosLabels), a->IEndPos));
      break;
    case cpSeries:
    case cpSeriesMarks:
      if (TChartSeries* s = Part.ASeries; s && s->Count() > 0) {
        int first = std::max(0, s->FirstValueIndex), last = s->LastValueIndex < 0 ? s->Count() - 1 : s->LastValueIndex;
        int diff = last - first;
        if (diff == 0) diff = s->Count();
        const int step = diff > 20 ? diff / 20 : 1;
        for (int i = first; i <= last && i < s->Count(); i += step) {
          const TPoint p = c->Calculate3DPosition(s->CalcXPos(i), s->CalcYPos(i), s->MiddleZ);
          Handle(p.x, p.y);
        }
      }
      break;
    default:
      break;
  }
}

void TSelectorTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomTool::ChartMouseEvent(Kind, Button, Shift, X, Y);
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  if (!chart || Shift.Contains(ssDouble)) return;
  switch (Kind) {
    case 0: {
      if (Button != mbLeft) break;
      if (AllowResizeChart && std::abs(X - chart->Width()) <= 8 && std::abs(Y - chart->Height()) <= 8) {
        resizing_ = true;
        break;
      }
      ClearSelection();
      for (TTeeCustomTool* t : chart->Tools()->Items())
        if (auto* a = dynamic_cast<TAnnotationTool*>(t); a && a->Active() && a->Clicked(X, Y)) {
          SelectedAnnotation = a;
          SelectedShape = a->Shape();
          // The shape's stored place is where it shows.
          const TRect b = a->Bounds();
          if (!a->Shape()->CustomPosition()) a->Shape()->ShapeBounds = b;
          break;
        }
      if (!SelectedAnnotation) {
        Part = chart->CalcClickedPart(X, Y);
        switch (Part.Part) {
          case cpLegend: SelectedShape = chart->Legend(); break;
          case cpTitle: SelectedShape = chart->Title(); break;
          case cpFoot: SelectedShape = chart->Foot(); break;
          case cpSubTitle: SelectedShape = chart->SubTitle(); break;
          case cpSubFoot: SelectedShape = chart->SubFoot(); break;
          case cpChartRect: SelectedWall = chart->BackWall(); break;
          default: break;
        }
      }
      SelectionChanged();
      dragging_ = AllowDrag && SelectedShape;
      if (dragging_) {
        drag_dx_ = SelectedShape->Left() - X;
        drag_dy_ = SelectedShape->Top() - Y;
        chart->CancelMouse = true;
      }
      break;
    }
    case 1:
      if (dragging_ && SelectedShape) {
        const int left = drag_dx_ + X, top = drag_dy_ + Y;
        // A shape starts moving only once the mouse went 3 pixels; then it follows every pixel.
        if (moved_ || std::abs(left - SelectedShape->Left()) >= 3) {
          if (left != SelectedShape->Left()) SelectedShape->SetLeft(left), moved_ = true;
        }
        if (moved_ || std::abs(top - SelectedShape->Top()) >= 3) {
          if (top != SelectedShape->Top()) SelectedShape->SetTop(top), moved_ = true;
        }
        if (SelectedAnnotation && moved_) SelectedAnnotation->Shape()->SetCustomPosition(true);
        chart->Invalidate();
        chart->CancelMouse = true;
        if (OnDragging) OnDragging(this);
      } else if (resizing_) {
        if (chart->Align() != alNone) chart->SetAlign(alNone);
        if (X != chart->Width()) chart->SetWidth(X);
        if (Y != chart->Height()) chart->SetHeight(Y);
        resized_ = true;
        chart->CancelMouse = true;
        if (OnResizing) OnResizing(this);
      }
      break;
    case 2:
      if (moved_ && OnDragged) OnDragged(this);
      if (resized_ && OnResized) OnResized(this);
      dragging_ = moved_ = resizing_ = resized_ = false;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TDragMarksTool

AnsiString TDragMarksTool::Description() const { return Msg(kMsgDragMarks); }

int TDragMarksTool::MarkAt(TChartSeries* S, int X, int Y) {
  const int i = S->Marks()->Clicked(X, Y);
  auto& positions = S->Marks()->Positions();
  return i >= 0 && i < static_cast<int>(positions.size()) && positions[static_cast<size_t>(i)] ? i : -1;
}

TChartSeries* TDragMarksTool::Find(int X, int Y, bool Hovering, int& Index) {
  auto usable = [Hovering](TChartSeries* s) { return s->Active() && (!Hovering || s->Marks()->Visible()); };
  if (series_) {
    Index = usable(series_) ? MarkAt(series_, X, Y) : -1;
    return Index >= 0 ? series_ : nullptr;
  }
  auto& list = parent_->SeriesList();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (usable(*it) && (Index = MarkAt(*it, X, Y)) >= 0) return *it;
  Index = -1;
  return nullptr;
}

void TDragMarksTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  int index = -1;
  switch (Kind) {
    case 0:
      if (TChartSeries* s = Find(X, Y, false, index)) {
        drag_series_ = s;
        drag_position_ = s->Marks()->Positions()[static_cast<size_t>(index)].get();
        old_x_ = X;
        old_y_ = Y;
        parent_->CancelMouse = true;
      }
      break;
    case 1:
      if (drag_position_) {
        const int dx = X - old_x_, dy = Y - old_y_;
        drag_position_->Custom = true;
        drag_position_->ArrowTo.x += dx, drag_position_->ArrowTo.y += dy;
        drag_position_->LeftTop.x += dx, drag_position_->LeftTop.y += dy;
        old_x_ = X;
        old_y_ = Y;
        parent_->CancelMouse = true;
        parent_->Invalidate();
      } else if (Find(X, Y, true, index)) {
        parent_->SetCursor(crHandPoint);
        parent_->CancelMouse = true;
      }
      break;
    case 2:
      drag_position_ = nullptr;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TMarksTipTool

TMarksTipTool::TMarksTipTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

AnsiString TMarksTipTool::Description() const { return Msg(kMsgMarkTips); }

TCustomAxisPanel* TMarksTipTool::Chart() const { return series_ && series_->ParentChart() ? series_->ParentChart() : parent_; }

void TMarksTipTool::SetActive(bool v) {
  TTeeCustomToolSeries::SetActive(v);
  if (!v)
    if (TCustomAxisPanel* c = Chart()) c->SetHint(AnsiString());
}

void TMarksTipTool::SetMouseAction(TMarkToolMouseAction v) {
  mouse_action_ = v;
  if (TCustomAxisPanel* c = Chart()) c->SetHint(AnsiString());
}

int TMarksTipTool::MouseDelay() const { return Application ? Application->HintPause : 500; }

void TMarksTipTool::SetMouseDelay(int v) {
  if (Application) Application->HintPause = v;
}

void TMarksTipTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  TCustomAxisPanel* chart = Chart();
  if (!chart || !((Kind == 1 && mouse_action_ == mtmMove) || (Kind == 0 && mouse_action_ == mtmClick))) return;
  TChartSeries* found = nullptr;
  int index = -1;
  if (series_) {
    index = series_->Clicked(X, Y);
    if (index >= 0) found = series_;
  } else {
    auto& list = chart->SeriesList();
    for (auto it = list.rbegin(); it != list.rend() && !found; ++it)
      if ((index = (*it)->Clicked(X, Y)) >= 0) found = *it;
  }
  if (found) {
    const TSeriesMarksStyle oldStyle = found->Marks()->Style();
    const bool oldAuto = chart->AutoRepaint();
    chart->SetAutoRepaint(false);
    found->Marks()->SetStyle(Style);
    AnsiString text = found->GetMarkText(index);
    if (OnGetText) OnGetText(this, text);
    if (text != chart->Hint()) {
      chart->SetShowHint(true);
      chart->SetHint(text);
      ++Shown;
    }
    found->Marks()->SetStyle(oldStyle);
    chart->SetAutoRepaint(oldAuto);
    return;
  }
  if (auto* c = dynamic_cast<TCustomChart*>(chart))
    for (TTeeCustomTool* t : c->Tools()->Items())
      if (t != this && dynamic_cast<TMarksTipTool*>(t)) return;
  chart->SetHint(AnsiString());
  ui::CancelHint();
}

// =======================================================================================
// Form resources

void RegisterSelectToolClasses() {
  const TIdentMap* colors = &ui::ColorIdents();
  RegisterClass<TGridBandBrush, TChartBrush>("TGridBandBrush")
      .Int("BackColor", &TGridBandBrush::BackColor, &TGridBandBrush::SetBackColor, clNone, colors)
      .Int("Transparency", &TGridBandBrush::Transparency, &TGridBandBrush::SetTransparency, 0);
  RegisterClass<TGridBandTool, TTeeCustomToolAxis>("TGridBandTool")
      .Object("Band1", &TGridBandTool::Band1)
      .Object("Band2", &TGridBandTool::Band2);
  using SN = TSurfaceNearestTool;
  RegisterClass<TSurfaceNearestTool, TTeeCustomToolSeries>("TSurfaceNearestTool")
      .Int("CellColor", &SN::CellColor, &SN::SetCellColor, clRed, colors)
      .Int("ColumnColor", &SN::ColumnColor, &SN::SetColumnColor, 0x008000, colors)
      .Int("RowColor", &SN::RowColor, &SN::SetRowColor, 0xFF0000, colors)
      .Event("OnSelectCell", &SN::OnSelectCell);
  using ST = TSelectorTool;
  RegisterClass<TSelectorTool, TTeeCustomTool>("TSelectorTool")
      .Bool("AllowDrag", &ST::GetAllowDrag, &ST::SetAllowDrag, true)
      .Bool("AllowResizeChart", &ST::GetAllowResizeChart, &ST::SetAllowResizeChart, false)
      .Int("HandleSize", &ST::HandleSize, &ST::SetHandleSize, 3)
      .Event("OnDragged", &ST::OnDragged)
      .Event("OnDragging", &ST::OnDragging)
      .Event("OnResized", &ST::OnResized)
      .Event("OnResizing", &ST::OnResizing)
      .Event("OnSelected", &ST::OnSelected);
  RegisterClass<TDragMarksTool, TTeeCustomToolSeries>("TDragMarksTool");
  using MT = TMarksTipTool;
  RegisterClass<TMarksTipTool, TTeeCustomToolSeries>("TMarksTipTool")
      .Enum("MouseAction", &MT::MouseAction, &MT::SetMouseAction, {"mtmMove", "mtmClick"}, mtmMove)
      .Int("MouseDelay", &MT::MouseDelay, &MT::SetMouseDelay, 500)
      .Enum("Style", &MT::GetStyle, &MT::SetStyle,
            {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue", "smsLegend", "smsPercentTotal",
             "smsLabelPercentTotal", "smsXValue", "smsXY"},
            smsLabel)
      .Event("OnGetText", &MT::OnGetText);
  RegisterChartTools({"TDragMarksTool", "TMarksTipTool", "TGridBandTool", "TSurfaceNearestTool", "TSelectorTool"});
}
