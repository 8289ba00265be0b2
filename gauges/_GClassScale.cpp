// The graduated scale: measuring for a value range, drawing along an arc or a line.
#include <algorithm>
#include <cmath>

#include "gauges/_GClass.h"

TScaleSettings::TScaleSettings() {
  font_.SetName("Arial");
  font_.SetSize(14);
  font_.SetColor(clBlack);
  font_.OnChange = [this](TObject*) { Changed(); };
}

void TScaleSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TScaleSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  SetColor(s->color_);
  SetDrawLine(s->draw_line_);
  SetFont(&s->font_);
  SetPointerColor(s->pointer_color_);
  SetPosLeftTop(s->pos_left_top_);
  SetSteps(s->steps_);
  SetSubSteps(s->sub_steps_);
  SetValueFormat(s->format_);
  SetValueFormatLog(s->format_log_);
}

void TScaleSettings::SetFont(TFont* v) {
  if (v != nullptr) font_.Assign(v);
}

void TScaleSettings::SetSteps(int v) {
  if (v >= 1 && v <= 20) Store(steps_, v);
}

void TScaleSettings::SetSubSteps(int v) {
  if (v >= 1 && v <= 10) Store(sub_steps_, v);
}

void TScaleSettings::SetDrawLine(bool v) {
  draw_line_ = v;
  Changed();
}

int TScaleSettings::LogSteps(int Steps, int Decades) {
  Steps = std::max(Steps, 1);
  if (Decades <= 0 || Steps < 2) return 1;
  for (int k = Steps; k >= 2; --k)
    if (Decades % k == 0) return k;
  return 1;
}

void TScaleSettings::Measure(TCanvas* Canvas, double Max, double Min, bool Round) {
  Canvas->Font()->Assign(&font_);
  Canvas->Pen()->SetColor(color_);
  if (LogScale) {
    int e;
    FirstDecade = AbRound(std::log10(DecadeRound(Min, e)));
    LastDecade = AbRound(std::log10(DecadeRound(Max, e)));
    if (Round) std::swap(FirstDecade, LastDecade);  // the round meter passes the ends swapped
    if (LastDecade < FirstDecade) std::swap(FirstDecade, LastDecade);
    LogStepCount = LogSteps(steps_, LastDecade - FirstDecade);
    LogScaleLabelText(FirstDecade, LastDecade, LogStepCount, LabelText, !Round, format_log_);
  } else {
    ScaleLabelText(steps_, format_, LabelText, Max, Min);
  }
  MeasureTextLines(Canvas, LabelWidth, LabelHeight, LabelText);
  PenWidth = std::max(1, AbRound(LabelHeight / 14.0));
  Gap = Round ? std::max(LabelWidth, LabelHeight) / 2 : LabelHeight / 3;
  MainTickLength = AbRound(LabelHeight / 1.4);
  SubTickLength = PenWidth == 1 ? MainTickLength / 2 : AbRound(MainTickLength / 1.4);
  HalfPen = PenWidth / 2 + 3;
  TotalWidth = LabelWidth + MainTickLength + Gap;
  TotalLength = AbRound(LabelHeight * StepCount() * 1.4);
}

void TScaleSettings::MeasureLinear(TCanvas* Canvas, double Max, double Min) { Measure(Canvas, Max, Min, false); }

void TScaleSettings::MeasureRound(TCanvas* Canvas, double Max, double Min) {
  // The round meter's labels run from Min up.
  Measure(Canvas, Min, Max, true);
}

void TScaleSettings::DrawRound(TCanvas* Canvas, TRect& Rect, float RangeAngle, float StartAngle) {
  TCanvas* c = Canvas;
  c->Font()->Assign(&font_);
  c->Pen()->SetColor(color_);
  c->Pen()->SetStyle(psSolid);
  c->Brush()->SetStyle(bsClear);
  const int r = (Rect.Width() - 2 * Gap) / 2 - LabelWidth / 2 + Gap;
  const TPoint centre{Rect.Left + Rect.Width() / 2, Rect.Top + r + LabelHeight / 2};
  MainTickLength = std::max(1, r / 8);
  SubTickLength = PenWidth == 1 ? MainTickLength / 2 : AbRound(MainTickLength / 1.4);
  const int half = std::max(0, r - LabelWidth / 2), hp = PenWidth / 2;
  Rect = TRect(centre.x - half + hp, centre.y - half + hp, centre.x + half + hp, centre.y + half + hp);
  if (PenWidth == 1) {
    Rect.Right -= 1;
    Rect.Bottom -= 1;
  }
  const int steps = std::max(1, StepCount());
  const double a = RangeAngle / steps;
  const int rInner = r - Gap - MainTickLength;
  auto at = [&](int radius, double angle) {
    TPoint q;
    RotatePoint({centre.x, centre.y - radius}, centre, true, q, static_cast<float>(StartAngle + angle));
    return q;
  };
  AnsiString labels = LabelText, label;
  for (int i = 0; i <= steps; ++i) {
    const double ai = i * a;
    c->Pen()->SetWidth(PenWidth);
    const TPoint outer = at(r - Gap, ai), inner = at(rInner, ai), lp = at(r, ai);
    c->MoveTo(outer.x, outer.y);
    c->LineTo(inner.x, inner.y);
    ExtractToken(labels, ';', label);
    AlignedTextOut(c, lp.x, lp.y, 4, label);
    if (i == steps) break;
    c->Pen()->SetWidth(1);
    for (int k = 1; k < sub_steps_; ++k) {
      const double sa = LogScale ? AbRound(ai + std::log10(k * 10.0 / sub_steps_) * a) : AbRound(ai + k * a / sub_steps_);
      const TPoint p1 = at(rInner, sa), p2 = at(rInner + SubTickLength, sa);
      c->MoveTo(p1.x, p1.y);
      c->LineTo(p2.x, p2.y);
    }
  }
  // The square of the base arc and its end points (clockwise from the start).
  Corners[0] = {centre.x - rInner, centre.y - rInner};
  Corners[1] = {centre.x + rInner + 1, centre.y + rInner + 1};
  Corners[2] = at(rInner, RangeAngle);
  Corners[3] = at(rInner, 0);
  if (PenWidth == 1) {
    Rect.Left += 1;
    Rect.Top += 1;
    Rect.Right += 1;
    Rect.Bottom += 1;
  }
}

void TScaleSettings::DrawLinear(TCanvas* Canvas, const TRect& Rect, TColor Ink) {
  TCanvas* c = Canvas;
  c->Font()->Assign(&font_);
  c->Pen()->SetColor(Ink == clNone ? color_ : Ink);
  if (Ink != clNone) c->Font()->SetColor(Ink);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(PenWidth);
  c->Brush()->SetStyle(bsClear);
  const int steps = std::max(1, StepCount());
  const double sub = static_cast<double>(Rect.Bottom - Rect.Top) / (steps * sub_steps_);
  const double main = sub_steps_ * sub;
  Ppt0Y = Rect.Bottom;
  Ppt1000Y = AbRound(Rect.Bottom - steps * main);
  const int root = pos_left_top_ ? Rect.Right : Rect.Left;
  const int dir = pos_left_top_ ? -1 : 1;
  const int labelX = pos_left_top_ ? root - MainTickLength - Gap + 1 : root + MainTickLength + Gap;
  const int anchor = pos_left_top_ ? 5 : 3;
  if (draw_line_) {
    c->MoveTo(root, Rect.Top);
    c->LineTo(root, Rect.Top + AbRound(steps * main));
  }
  AnsiString labels = LabelText, label;
  auto mainTick = [&](int y) {
    c->Pen()->SetWidth(PenWidth);
    c->MoveTo(root, y);
    c->LineTo(root + dir * MainTickLength, y);
    ExtractToken(labels, ';', label);
    AlignedTextOut(c, labelX, y, anchor, label);
  };
  for (int i = 0; i < steps; ++i) {
    mainTick(AbRound(i * main + Rect.Top));
    c->Pen()->SetWidth(SubPenWidth);
    for (int k = LogScale ? 1 : 0; k < sub_steps_; ++k) {
      const int y = LogScale ? AbRound((i + 1) * main + Rect.Top) -
                                   AbRound(std::log10((sub_steps_ - k) * 10.0 / sub_steps_) * main)
                             : AbRound(k * sub + Rect.Top + i * main);
      c->MoveTo(root, y);
      c->LineTo(root + dir * SubTickLength, y);
    }
  }
  mainTick(AbRound(steps * main + Rect.Top));
}
