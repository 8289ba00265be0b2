// The depth axis: it runs along the bottom edge of the chart's right side (the depth-top
// axis along the top edge of the left side) from the front to the back wall.
#include <algorithm>
#include <cmath>

#include "chart/TeEngine.h"

void TChartDepthAxis::Draw(bool) {
  if (!chart_ || !chart_->View3D()) return;
  RefreshDateTime();
  TTeeCanvas3D* c = chart_->ChartCanvas();
  const TRect& r = chart_->ChartRect;
  const int x = OtherSide ? r.Right : r.Left, y = OtherSide ? r.Bottom : r.Top;
  const int out = OtherSide ? 1 : -1;
  PosAxis = x;

  // Label values: the axis' own increment, widened until the labels fit along the depth.
  std::vector<std::pair<int, double>> labels;
  if (IMaximum >= IMinimum && Labels()) {
    c->AssignFont(LabelsFont());
    const int room = std::max(1, c->FontHeight());
    double inc = increment_ > 0 ? increment_ : CalcIncrement();
    if (!(inc > 0)) inc = 1;
    const int span = std::max(1, std::abs(IEndPos - IStartPos));
    while ((IMaximum - IMinimum) / inc * room > span * 2 && inc < 1e300) inc *= 2;
    double v = std::ceil(IMinimum / inc - 1e-9) * inc;
    for (int guard = 0; v <= IMaximum + inc * 1e-9 && guard < 10000; ++guard, v += inc)
      labels.emplace_back(ValueToPixel(v), v);
  }
  ticks_pos_.clear();
  for (const auto& l : labels) ticks_pos_.push_back(l.first);

  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
  if (grid_.Visible()) {
    c->AssignVisiblePenColor(&grid_, grid_.Color() == clTeeColor ? clGray : grid_.Color());
    const int wall = OtherSide ? r.Left : r.Right;
    for (int p : ticks_pos_) {
      c->HorizLine3D(r.Left, r.Right, y, p);
      c->VertLine3D(wall, r.Top, r.Bottom, p);
    }
  }
  if (axis_pen_.Visible()) {
    c->AssignVisiblePen(&axis_pen_);
    c->ZLine3D(x, y, IStartPos, IEndPos);
  }
  if (ticks_.Visible() && TickLength > 0) {
    c->AssignVisiblePen(&ticks_);
    for (int p : ticks_pos_) c->HorizLine3D(x, x + out * TickLength, y, p);
  }
  int widest = 0;
  if (!labels.empty()) {
    c->AssignFont(LabelsFont());
    c->SetTextAlign((OtherSide ? TA_LEFT : TA_RIGHT) | TA_TOP);
    // Seen nearly edge-on the labels crowd together along the foreshortened axis, and its
    // first one meets the last label of the axis at its corner: a label that would run
    // into one drawn before, or be cut by the chart's edge, is left out.
    std::vector<TRect>& drawn = chart_->AxisLabelRects;
    for (const auto& [p, v] : labels) {
      const AnsiString text = LabelValue(v);
      widest = std::max(widest, c->TextWidth(text));
      const TRect b = c->TextBounds3D(x + out * (TickLength + 2), y, p, text);
      if (!LabelRoomFree(b)) continue;
      c->TextOut3D(x + out * (TickLength + 2), y, p, text);
      drawn.push_back(b);
    }
  }
  if (title_.Visible() && !title_.Caption().empty()) {
    c->AssignFont(title_.Font());
    c->SetTextAlign((OtherSide ? TA_LEFT : TA_RIGHT) | TA_TOP);
    // Beyond the labels and below them, so that it clears the labels of a slanting axis.
    const int below = OtherSide ? c->FontHeight() : -2 * c->FontHeight();
    const int tx = x + out * (TickLength + widest + 8), ty = y + below, tz = (IStartPos + IEndPos) / 2;
    // A long title beside an axis turned towards the chart's edge would run off it: it is
    // moved back inside, whole.
    const TRect b = c->TextBounds3D(tx, ty, tz, title_.Caption());
    // A few pixels from the edge, so the last letter does not touch what lies beside the chart.
    const TRect room(c->Bounds.Left + 4, c->Bounds.Top + 4, c->Bounds.Right - 4, c->Bounds.Bottom - 4);
    int dx = 0, dy = 0;
    if (b.Right > room.Right) dx = room.Right - b.Right;
    if (b.Left + dx < room.Left) dx = room.Left - b.Left;
    if (b.Bottom > room.Bottom) dy = room.Bottom - b.Bottom;
    if (b.Top + dy < room.Top) dy = room.Top - b.Top;
    int mx = 0, my = 0;
    if (dx != 0 || dy != 0) {
      // The screen shift turned back into the axis' own x and y: the projection moves the
      // point by (ax, ay) per 100 units of x and (bx, by) per 100 units of y.
      const TPoint o = c->Calculate3DPosition(tx, ty, tz);
      const TPoint px = c->Calculate3DPosition(tx + 100, ty, tz), py = c->Calculate3DPosition(tx, ty + 100, tz);
      const double ax = px.x - o.x, ay = px.y - o.y, bx = py.x - o.x, by = py.y - o.y;
      const double det = ax * by - ay * bx;
      if (std::abs(det) > 1e-6) {
        mx = static_cast<int>(std::lround(100 * (dx * by - dy * bx) / det));
        my = static_cast<int>(std::lround(100 * (ax * dy - ay * dx) / det));
      }
    }
    c->TextOut3D(tx + mx, ty + my, tz, title_.Caption());
  }
  c->SetTextAlign(TA_LEFT | TA_TOP);
}
