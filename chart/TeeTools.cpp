#include "chart/TeeTools.h"

#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeProCo.h"
#include "platform/streaming/ClassProps.h"

namespace {

TChartTools* ToolsOf(TCustomAxisPanel* Chart) {
  auto* c = dynamic_cast<TCustomChart*>(Chart);
  return c ? c->Tools() : nullptr;
}

// The tool descriptions' place in the gallery text table.
constexpr size_t kMsgToolRotate = 99, kMsgToolImage = 100;

}  // namespace

// =======================================================================================
// TChartTools

TChartTools::~TChartTools() {
  // The tools outlive their chart as form components; they only lose it.
  for (TTeeCustomTool* t : items_) t->parent_ = nullptr;
}

void TChartTools::Add(TTeeCustomTool* Tool) {
  if (Tool && std::find(items_.begin(), items_.end(), Tool) == items_.end()) items_.push_back(Tool);
}

void TChartTools::Remove(TTeeCustomTool* Tool) { items_.erase(std::remove(items_.begin(), items_.end(), Tool), items_.end()); }

void TChartTools::Clear() {
  while (!items_.empty()) delete items_.back();  // each tool leaves the list as it goes
}

void TChartTools::BroadcastDraw(int Code) {
  const std::vector<TTeeCustomTool*> list = items_;
  for (TTeeCustomTool* t : list)
    if (t->Active()) t->ChartEvent(Code);
}

void TChartTools::BroadcastMouse(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  const std::vector<TTeeCustomTool*> list = items_;
  for (TTeeCustomTool* t : list) {
    if (!t->Active()) continue;
    t->ChartMouseEvent(Kind, Button, Shift, X, Y);
    if (owner_->CancelMouse) break;
  }
}

void TChartTools::DrawOverlays(TCanvas* Canvas) {
  for (TTeeCustomTool* t : items_)
    if (t->Active()) t->DrawOverlay(Canvas);
}

// =======================================================================================
// Tool bases

TTeeCustomTool::TTeeCustomTool(TComponent* AOwner) : TCustomChartElement(AOwner) {}

TTeeCustomTool::~TTeeCustomTool() {
  if (TChartTools* l = ToolsOf(parent_)) l->Remove(this);
}

void TTeeCustomTool::SetParentChart(TCustomAxisPanel* p) {
  if (p == parent_) return;
  if (parent_) {
    if (TChartTools* l = ToolsOf(parent_)) l->Remove(this);
    if (!p) parent_->Invalidate();
  }
  parent_ = p;
  if (parent_)
    if (TChartTools* l = ToolsOf(parent_)) l->Add(this);
}

TTeeCustomToolSeries::~TTeeCustomToolSeries() {
  if (series_) series_->RemoveFreeNotification(this);
}

void TTeeCustomToolSeries::SetSeries(TChartSeries* S) {
  if (S == series_) return;
  if (series_) series_->RemoveFreeNotification(this);
  series_ = S;
  if (series_) series_->FreeNotification(this);
}

void TTeeCustomToolSeries::Notification(TComponent* AComponent, TOperation Operation) {
  TTeeCustomTool::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == series_) series_ = nullptr;
}

TChartAxis* TTeeCustomToolSeries::GetHorizAxis() const {
  if (series_ && series_->GetHorizAxis()) return series_->GetHorizAxis();
  return parent_ ? parent_->BottomAxis() : nullptr;
}

TChartAxis* TTeeCustomToolSeries::GetVertAxis() const {
  if (series_ && series_->GetVertAxis()) return series_->GetVertAxis();
  return parent_ ? parent_->LeftAxis() : nullptr;
}

void TTeeCustomToolAxis::SetAxis(TChartAxis* A) {
  axis_ = A;
  SetParentChart(A ? A->ParentChart() : nullptr);
  Repaint();
}

int TTeeCustomToolAxis::AxisID() const {
  if (!axis_ || !parent_) return -1;
  const auto& axes = parent_->Axes();
  const auto it = std::find(axes.begin(), axes.end(), axis_);
  return it == axes.end() ? -1 : static_cast<int>(it - axes.begin());
}

void TTeeCustomToolAxis::SetParentChart(TCustomAxisPanel* p) {
  TTeeCustomTool::SetParentChart(p);
  if (p && pending_axis_ >= 0) {
    const int index = pending_axis_;
    pending_axis_ = -1;
    SetAxisID(index);
  }
}

void TTeeCustomToolAxis::SetAxisID(int Index) {
  if (!parent_) {
    pending_axis_ = Index;
    return;
  }
  const auto& axes = parent_->Axes();
  if (Index >= 0 && Index < static_cast<int>(axes.size())) SetAxis(axes[static_cast<size_t>(Index)]);
}

// =======================================================================================
// TRotateTool

TRotateTool::TRotateTool(TComponent* AOwner) : TTeeCustomTool(AOwner) {
  pen_ = std::make_unique<TChartHiddenPen>([this](TObject*) { Repaint(); });
  pen_->SetMode(pmXor);
  pen_->SetColor(clWhite);
  MarkChartDefaults(this);
}

AnsiString TRotateTool::Description() const { return *ProMessageVariables()[kMsgToolRotate]; }

int TRotateTool::NextRotation(int Old, int Change) {
  if (Change == 0) return Old;
  // Whole turns fold back into one, so a long drag keeps a plain angle.
  int r = (Old + Change) % 360;
  if (r < 0) r += 360;
  return r;
}

int TRotateTool::NextElevation(int Old, int Change) {
  if (Change == 0) return Old;
  return Change > 0 ? std::min(360, Old + Change) : std::max(270, Old + Change);
}

void TRotateTool::ChartMouseEvent(int Kind, TMouseButton MouseButton, TShiftState Shift, int X, int Y) {
  TTeeCustomTool::ChartMouseEvent(Kind, MouseButton, Shift, X, Y);
  if (!parent_) return;
  switch (Kind) {
    case 0:
      if (MouseButton != Button) return;
      dragging_ = true;
      old_x_ = X;
      old_y_ = Y;
      rest_rotation_ = rest_elevation_ = 0;
      first_step_ = true;
      parent_->CancelMouse = true;
      break;
    case 1:
      if (dragging_) DragStep(X, Y);
      break;
    case 2:
      if (!dragging_) return;
      dragging_ = false;
      box_.clear();
      if (pen_->Visible()) parent_->SetAutoRepaint(old_auto_repaint_);
      parent_->Invalidate();
      break;
    default:
      break;
  }
}

void TRotateTool::DragStep(int X, int Y) {
  TCustomAxisPanel* chart = parent_;
  // Movement below a whole degree is carried to the next step instead of being dropped.
  const double w = std::max(1, chart->Width()), h = std::max(1, chart->Height());
  double dr = 90.0 * (X - old_x_) / w + rest_rotation_;
  double de = 90.0 * (old_y_ - Y) / h + rest_elevation_;
  int rot = static_cast<int>(std::nearbyint(dr)), elev = static_cast<int>(std::nearbyint(de));
  rest_rotation_ = dr - rot;
  rest_elevation_ = de - elev;
  if (Inverted) {
    rot = -rot;
    elev = -elev;
  }
  const bool box = pen_->Visible();
  if (box && first_step_) {
    old_auto_repaint_ = chart->AutoRepaint();
    chart->SetAutoRepaint(false);
    first_step_ = false;
  }
  chart->SetView3D(true);
  TView3DOptions* o = chart->View3DOptions();
  o->SetOrthogonal(false);
  int newRot, newElev;
  if (chart->ChartCanvas()->IsNative3D()) {
    auto wrap = [](int a) { return a > 360 ? a - 360 : a < 0 ? a + 360 : a; };
    newRot = wrap(o->Rotation() + rot);
    newElev = wrap(o->Elevation() + elev);
  } else {
    newRot = NextRotation(o->Rotation(), rot);
    newElev = NextElevation(o->Elevation(), elev);
  }
  const bool changed = (Style != rsElevation && newRot != o->Rotation()) || (Style != rsRotation && newElev != o->Elevation());
  if (Style == rsAll || Style == rsRotation) o->SetRotation(newRot);
  if (Style == rsAll || Style == rsElevation) o->SetElevation(newElev);
  old_x_ = X;
  old_y_ = Y;
  chart->CancelMouse = true;
  if (box) {
    ComputeBox();
    if (auto* c = dynamic_cast<TCustomChart*>(chart)) c->RepaintOverlay();
  }
  if (changed && OnRotate) OnRotate(this);
}

void TRotateTool::ComputeBox() {
  TCustomAxisPanel* chart = parent_;
  TTeeCanvas3D* c = chart->ChartCanvas();
  c->IsOrthogonal = false;
  c->CalcTrigValues();
  c->CalcPerspective(chart->ChartRect);
  const TRect& r = chart->ChartRect;
  const int d = chart->Width3D;
  auto p = [&](int x, int y, int z) { return c->Calculate3DPosition(x, y, z); };
  box_.clear();
  for (int z : {0, d}) {
    const TPoint a = p(r.Left, r.Top, z), b = p(r.Right, r.Top, z), e = p(r.Right, r.Bottom, z), f = p(r.Left, r.Bottom, z);
    box_.insert(box_.end(), {a, b, b, e, e, f, f, a});
  }
  for (const TPoint& corner : {TPoint{r.Left, r.Top}, TPoint{r.Right, r.Top}, TPoint{r.Left, r.Bottom}, TPoint{r.Right, r.Bottom}}) {
    box_.push_back(p(corner.x, corner.y, 0));
    box_.push_back(p(corner.x, corner.y, d));
  }
}

void TRotateTool::DrawOverlay(TCanvas* Canvas) {
  if (!dragging_ || box_.empty() || !pen_->Visible()) return;
  Canvas->SetClipRegion(nullptr);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Pen()->SetStyle(pen_->Style());
  Canvas->Pen()->SetWidth(pen_->Width());
  Canvas->Pen()->SetColor(pen_->Color());
  Canvas->Pen()->SetMode(pen_->Mode());
  for (size_t i = 0; i + 1 < box_.size(); i += 2) {
    Canvas->MoveTo(box_[i].x, box_[i].y);
    Canvas->LineTo(box_[i + 1].x, box_[i + 1].y);
  }
  Canvas->Pen()->SetMode(pmCopy);
}

// =======================================================================================
// TChartImageTool

TChartImageTool::TChartImageTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = [this](TObject*) { Repaint(); };
}

TChartImageTool::~TChartImageTool() = default;

AnsiString TChartImageTool::Description() const { return *ProMessageVariables()[kMsgToolImage]; }

void TChartImageTool::SetSeries(TChartSeries* S) {
  TTeeCustomToolSeries::SetSeries(S);
  Repaint();
}

void TChartImageTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  TGraphic* g = picture_->Graphic();
  if (Code != 1 || !parent_ || !g || g->Empty()) return;
  TCustomAxisPanel* chart = parent_;
  TRect r;
  if (series_ && series_->Count() > 0 && series_->GetHorizAxis() && series_->GetVertAxis()) {
    r = TRect(series_->GetHorizAxis()->CalcXPosValue(series_->MinXValue()), series_->GetVertAxis()->CalcYPosValue(series_->MaxYValue()),
              series_->GetHorizAxis()->CalcXPosValue(series_->MaxXValue()), series_->GetVertAxis()->CalcYPosValue(series_->MinYValue()));
  } else {
    TChartAxis* h = GetHorizAxis();
    TChartAxis* v = GetVertAxis();
    if (!h || !v) return;
    r = TRect(h->CalcXPosValue(h->Minimum()), v->CalcYPosValue(v->Maximum()), h->CalcXPosValue(h->Maximum()), v->CalcYPosValue(v->Minimum()));
  }
  TTeeCanvas3D* c = chart->ChartCanvas();
  const bool clip = chart->CanClip();
  if (clip) c->ClipCube(chart->ChartRect, 0, chart->Width3D);
  if (chart->View3D() && !chart->View3DOptions()->Orthogonal())
    c->StretchDraw3D(r, g, chart->Width3D);
  else
    c->StretchDraw(c->CalcRect3D(r, chart->Width3D), g);
  if (clip) c->UnClipRectangle();
}

// =======================================================================================
// Form resources

void RegisterToolClasses() {
  RegisterClass<TTeeCustomTool, TComponent>("TTeeCustomTool")
      .Bool("Active", &TTeeCustomTool::Active, &TTeeCustomTool::SetActive, true)
      .Object("Brush", &TTeeCustomTool::Brush)
      .Object("Pen", &TTeeCustomTool::Pen)
      .Component("ParentChart", &TTeeCustomTool::ParentChart, &TTeeCustomTool::SetParentChart);
  RegisterClass<TTeeCustomToolSeries, TTeeCustomTool>("TTeeCustomToolSeries")
      .Component("Series", &TTeeCustomToolSeries::Series, &TTeeCustomToolSeries::SetSeries);
  RegisterClass<TTeeCustomToolAxis, TTeeCustomTool>("TTeeCustomToolAxis")
      .Int("AxisID", &TTeeCustomToolAxis::AxisID, &TTeeCustomToolAxis::SetAxisID, -1);
  RegisterClass<TRotateTool, TTeeCustomTool>("TRotateTool")
      .Enum("Button", &TRotateTool::GetButton, &TRotateTool::SetButton, {"mbLeft", "mbRight", "mbMiddle"}, mbLeft)
      .Bool("Inverted", &TRotateTool::GetInverted, &TRotateTool::SetInverted, false)
      .Enum("Style", &TRotateTool::GetStyle, &TRotateTool::SetStyle, {"rsAll", "rsRotation", "rsElevation"}, rsAll)
      .Event("OnRotate", &TRotateTool::OnRotate);
  RegisterClass<TChartImageTool, TTeeCustomToolSeries>("TChartImageTool").Object("Picture", &TChartImageTool::Picture);
  RegisterChartTools({"TRotateTool", "TChartImageTool"});
}
