#include "gauges/AbRMeter.h"

#include <algorithm>
#include <cmath>

TAbRMeter::TAbRMeter(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  bevel_inner_.SetStyle(bsLowered);
  bevel_inner_.SetBevelLine(blInner);
  bevel_outer_.SetBevelLine(blOuter);
  font_unit_.SetName("System");
  font_unit_.SetSize(10);
  font_unit_.SetColor(clBlack);
  options_ = TRMeterOptions::FromBits(0xFF);
  auto changed = [this](TObject*) { ParamChange(); };
  arrow_.OnChange = changed;
  font_unit_.OnChange = changed;
  bevel_inner_.OnChange = changed;
  bevel_outer_.OnChange = changed;
  scale_.OnChange = changed;
}

TAbRMeter::~TAbRMeter() {
  arrow_.OnChange = nullptr;
  font_unit_.OnChange = nullptr;
  bevel_inner_.OnChange = nullptr;
  bevel_outer_.OnChange = nullptr;
  scale_.OnChange = nullptr;
  RemoveFlashClient(this);
}

void TAbRMeter::Loaded() { TAbAnalogGControl::Loaded(); }

void TAbRMeter::SetAutoSize(bool v) {
  auto_size_ = v;
  ParamChange();
}

void TAbRMeter::SetOptions(TRMeterOptions v) {
  options_ = v;
  ParamChange();
}

void TAbRMeter::FaceStale() {
  face_stale_ = true;
  Invalidate();
}

void TAbRMeter::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  CalcLayout();
  FaceStale();
  AlertCheck();
}

void TAbRMeter::LogScaleChanged() {
  scale_.LogScale = LogScale();
  ParamChange();
}

void TAbRMeter::Resize() {
  TAbAnalogGControl::Resize();
  FaceStale();
}

void TAbRMeter::CalcLayout() {
  TSignalSettings* s = SignalSettings();
  MeasureTextSize(Font(), s->Name1(), name1_w_, name1_h_);
  MeasureTextSize(Font(), s->Name2(), name2_w_, name2_h_);
  MeasureTextSize(&font_unit_, s->ValueUnit(), unit_w_, unit_h_);
  scale_.LogScale = LogScale();
  scale_.MeasureRound(GaugeMeasureCanvas(), s->ValueTo(), s->ValueFrom());
  const int lw = scale_.LabelWidth, lh = scale_.LabelHeight;
  const int outer = options_.Contains(TRMeterOption::opBevelOuter) ? 2 * bevel_outer_.TotalWidth() : 0;
  const int inner = options_.Contains(TRMeterOption::opBevelInner) ? 2 * bevel_inner_.TotalWidth() : 0;
  int w = auto_size_ ? 10 * lh : std::max(Width() - outer - inner, 7 * lh);
  const double aspect = AspectFactor > 0 ? AspectFactor : 1.0;
  int h = AbRound((w - lw) / aspect + lh);
  h += outer;
  w += outer;
  if (options_.Contains(TRMeterOption::opName1)) {
    h += name1_h_;
    w = std::max(w, name1_w_ + outer + inner);
  }
  if (options_.Contains(TRMeterOption::opName2)) {
    h += name2_h_;
    w = std::max(w, name2_w_ + outer + inner);
  }
  h += inner;
  w += inner;
  w = std::clamp(w, 0, 32767);
  h = std::clamp(h, 0, 32767);
  if (auto_size_ && (w != Width() || h != Height())) SetBounds(Left(), Top(), w, h);
}

std::vector<TPoint> TAbRMeter::BuildNeedle(int Shape, int Size) {
  const int r = Size / 2, w = r / 10, q = r / 16;
  auto make = [&](int n, int flags, int cap1, int cap2, std::vector<TPoint> pts) {
    std::vector<TPoint> v{MakeShapeHeader(static_cast<uint8_t>(n), static_cast<uint8_t>(flags),
                                          static_cast<uint8_t>(std::clamp(cap1, 0, 255)),
                                          static_cast<uint8_t>(std::clamp(cap2, 0, 255))),
                          {r, r}};
    v.insert(v.end(), pts.begin(), pts.end());
    return v;
  };
  switch (Shape) {
    case 1: return make(4, 1, w + w / 2, 0, {{r - q, r}, {r + q, r}, {r, 0}});
    case 2: return make(4, 0, 0, 0, {{r - w, 4 * w}, {r + w, 4 * w}, {r, 0}});
    case 3: return make(4, 1, w, 0, {{r - q, r + 2 * w}, {r + q, r + 2 * w}, {r, 0}});
    case 4:
      return make(8, 0, 2, 0,
                  {{r - q, r + w}, {r + q, r + w}, {r + q, 3 * w}, {r + 2 * w, 3 * w}, {r, 0}, {r - 2 * w, 3 * w},
                   {r - q, 3 * w}});
    case 5: return make(6, 0, 2, 0, {{r - w, r + w}, {r + w, r + w}, {r + w, 2 * w}, {r, 0}, {r - w, 2 * w}});
    case 6: return make(5, 1, 8, 1, {{r - 1, r + 2 * w}, {r + 1, r + 2 * w}, {r + 1, 0}, {r - 1, 0}});
    case 7:
      return make(6, 0, q, 0, {{r - w, r}, {r - w - q, r + 2 * w}, {r + w + q, r + 2 * w}, {r + w, r}, {r, 0}});
    default: return make(4, 0, 2, 0, {{r - w, r + w}, {r + w, r + w}, {r, 0}});
  }
}

void TAbRMeter::ShowingChanged(bool OnScreen) {
  TAbAnalogGControl::ShowingChanged(OnScreen);
  // A window that is not on the screen keeps no face image: a form shown once and
  // closed again gives the memory back, and the face is drawn anew when it returns.
  if (!OnScreen) {
    face_.SetSize(0, 0);
    face_stale_ = true;
  } else if (Width() > 0 && Height() > 0) {
    PrepareFace();
  }
}

void TAbRMeter::PrepareFace() {
  if (face_stale_ || face_.Width() != Width() || face_.Height() != Height()) RenderFace();
}

void TAbRMeter::RenderFace() {
  face_stale_ = false;
  const int W = std::max(1, Width()), H = std::max(1, Height());
  face_.SetSize(W, H);
  TCanvas* c = face_.Canvas();
  c->SetClipRegion(nullptr);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(TRect(0, 0, W, H));
  TRect R(0, 0, W, H);
  int d = 0;
  if (options_.Contains(TRMeterOption::opBevelOuter)) {
    bevel_outer_.PaintBevel(c, R);
    d = bevel_outer_.Spacing() / 2;
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  const TSignalSettings* s = SignalSettings();
  if (options_.Contains(TRMeterOption::opName2)) {
    R.Bottom -= name2_h_;
    c->TextOut(R.Left + (R.Width() - name2_w_) / 2, R.Bottom + d, s->Name2());
  }
  if (options_.Contains(TRMeterOption::opName1)) {
    R.Bottom -= name1_h_;
    c->TextOut(R.Left + (R.Width() - name1_w_) / 2, R.Bottom + d, s->Name1());
  }
  if (options_.Contains(TRMeterOption::opBevelInner)) bevel_inner_.PaintBevel(c, R);
  too_small_ = R.Width() < 2 || R.Height() < 2;
  if (too_small_) return;
  const TRect R0 = R;
  scale_.MeasureRound(c, s->ValueTo(), s->ValueFrom());
  scale_.DrawRound(c, R, static_cast<float>(AngleRange), static_cast<float>(StartAngle));
  needle_rect_ = R;
  if (options_.Contains(TRMeterOption::opSector)) {
    TRect S = R;
    ShrinkRect(S, scale_.MainTickLength + SectorSettings()->Offset());
    DrawSectors(c, S);
  }
  if (SectorSettings()->Offset() < 0) {
    TRect again = R0;
    scale_.DrawRound(c, again, static_cast<float>(AngleRange), static_cast<float>(StartAngle));
  }
  if (options_.Contains(TRMeterOption::opUnit)) {
    const int lw = scale_.LabelWidth, lh = scale_.LabelHeight;
    const int y = DialKind == 0 ? AbRound(R.Width() / 3.0 - lh / 2.0) + R.Top : AbRound((Width() - lw) / 1.18 - lh);
    c->Font()->Assign(&font_unit_);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(R.Left + (R.Width() - unit_w_) / 2, y, s->ValueUnit());
  }
  // The needle and the marks in control coordinates, at the zero position of the dial.
  needle_ = BuildNeedle(arrow_.Shape(), needle_rect_.Width());
  for (size_t i = 1; i < needle_.size(); ++i) {
    needle_[i].x += needle_rect_.Left;
    needle_[i].y += needle_rect_.Top;
  }
  const TPoint pivot = needle_[1];
  for (size_t i = 2; i < needle_.size(); ++i) RotatePoint(needle_[i], pivot, true, needle_[i], static_cast<float>(StartAngle));
  const int t = scale_.MainTickLength, k = AbRound(0.6 * t), cx = pivot.x, top = needle_rect_.Top;
  min_marker_ = {TPoint{cx, top + t + k}, TPoint{cx, top + 1}, TPoint{cx - k, top + 1}};
  max_marker_ = {TPoint{cx, top + t + k}, TPoint{cx, top + 1}, TPoint{cx + k, top + 1}};
  for (auto* m : {&min_marker_, &max_marker_})
    for (TPoint& p : *m) RotatePoint(p, pivot, true, p, static_cast<float>(StartAngle));
}

void TAbRMeter::DrawSectors(TCanvas* c, const TRect& S) {
  const int t = S.Width() / 10 + SectorSettings()->WidthOffset();
  const TRect outer(S.Left, S.Top, S.Right, S.Bottom + 1);
  TRect inner = outer;
  ShrinkRect(inner, t);
  TRegion ring;
  ring.Combine(TRegion::FromEllipse(outer), TRegion::FromEllipse(inner), RGN_DIFF);
  TRegion clip;
  clip.Combine(TRegion::FromRect(outer), ring, RGN_AND);
  c->SetClipRegion(&clip);
  const double f = AngleRange / 1000.0;
  c->Brush()->SetStyle(bsSolid);
  c->Pen()->SetWidth(1);
  for (int k = 1; k <= 3; ++k) {
    const auto& sec = SectorSettings()->At(k);
    if (!(sec.To - sec.From > 4 && sec.To > 0 && sec.From < 1000)) continue;
    c->Pen()->SetColor(sec.Color);
    c->Brush()->SetColor(sec.Color);
    double start, span;
    if (sec.From >= 0) {
      start = AbRound(sec.From * f) + StartAngle;
      span = std::min(1000, sec.To) - sec.From;
    } else {
      start = StartAngle;
      span = std::min(1000, sec.To);
    }
    DrawPieSector(c, S, static_cast<float>(AbRound(span * f)), static_cast<float>(start));
  }
  c->SetClipRegion(nullptr);
  c->Pen()->SetColor(scale_.Color());
  c->Pen()->SetWidth(scale_.PenWidth);
  c->Brush()->SetStyle(bsClear);
  if (scale_.DrawLine()) {
    if (DialKind == 1) {
      const auto& p = scale_.Corners;
      c->Arc(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y);
    } else {
      c->Ellipse(S);
    }
  }
}

void TAbRMeter::DrawPointer(TCanvas* c) {
  if (too_small_ || needle_.size() < 3) return;
  const double f = AngleRange / 1000.0;
  const TPoint pivot = needle_[1];
  auto marker = [&](const std::array<TPoint, 3>& m, int ppt, TColor own, bool visible) {
    if (!visible) return;
    std::vector<TPoint> poly;
    for (const TPoint& p : m) {
      TPoint q;
      RotatePoint(p, pivot, true, q, static_cast<float>(f * ppt));
      poly.push_back(q);
    }
    const TColor sc = SectorSettings()->SectorColorAt(ppt);
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(MinMax()->UseSectorCol() && sc != clNone ? sc : own);
    c->Polygon(poly);
  };
  marker(min_marker_, MinPPT(), MinMax()->MinColor(), MinMax()->MinVisible());
  marker(max_marker_, MaxPPT(), MinMax()->MaxColor(), MinMax()->MaxVisible());
  const bool alertOutline = (needle_[0].x >> 8) & 1;
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  if (blinking_) {
    c->Brush()->SetColor(alert_color_);
    c->Pen()->SetColor(alertOutline ? alert_color_ : arrow_.ColorPen());
  } else {
    c->Pen()->SetColor(arrow_.ColorPen());
    c->Brush()->SetColor(arrow_.ColorBrush());
  }
  DrawRotatedPolygon(c, needle_, true, work_, static_cast<float>(f * PPT()));
  const int cap1 = needle_[0].y & 0xFF, cap2 = (needle_[0].y >> 8) & 0xFF;
  if (cap1 > 0) {
    c->Pen()->SetColor(arrow_.ColorCP1Pen());
    c->Brush()->SetColor(arrow_.ColorCP1Brush());
    c->Ellipse(pivot.x - cap1, pivot.y - cap1, pivot.x + cap1, pivot.y + cap1);
  }
  if (cap2 > 0) {
    c->Pen()->SetColor(arrow_.ColorCP2Pen());
    c->Brush()->SetColor(arrow_.ColorCP2Brush());
    c->Ellipse(pivot.x - cap2, pivot.y - cap2, pivot.x + cap2, pivot.y + cap2);
  }
}

void TAbRMeter::Paint() {
  if (UpdateCount() > 0) return;
  PrepareFace();
  TCanvas* c = Canvas();
  c->Draw(0, 0, &face_);
  DrawPointer(c);
}

void TAbRMeter::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  if (!too_small_) Invalidate();
}

void TAbRMeter::OverflowChanged(int) { AlertCheck(); }
void TAbRMeter::LimitChanged() { AlertCheck(); }

void TAbRMeter::AlertCheck() {
  // The value model reports overflow before it clamps its position.
  if (options_.Contains(TRMeterOption::opOverflow) && (Overflow() || Underflow())) {
    AddFlashClient(this, 4);
    blinking_ = true;
  } else if (!options_.Contains(TRMeterOption::opLimit) || (!AboveLimit() && !BelowLimit())) {
    blinking_ = false;
    RemoveFlashClient(this);
  } else {
    AddFlashClient(this, 4);
    blinking_ = true;
  }
  Invalidate();
}

void TAbRMeter::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    if (Visible() && !too_small_) {
      alert_color_ = Message.LParam != 0 ? BlinkColorOn : BlinkColorOff;
      Invalidate();
    }
    return;
  }
  TAbAnalogGControl::WndProc(Message);
}

TAb270Meter::TAb270Meter(TComponent* AOwner) : TAbRMeter(AOwner) {
  StartAngle = 225;
  AngleRange = 270;
  AspectFactor = 1.18f;
  DialKind = 1;
  SetBounds(Left(), Top(), 252, 252);
  ScaleSettings()->SetSteps(10);
  ParamChange();  // lays out a control made in code; one read from a resource does it when loaded
}
