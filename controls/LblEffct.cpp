#include "controls/LblEffct.h"

#include <algorithm>
#include <cmath>
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/Numbers.h"

namespace {

constexpr TEffectOffset kOffsets[] = {{0, 0}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
constexpr double kDegToRad = 0.017453292519943295;
// Colour the face is written in on the mask for a graduated face: one no caption uses.
constexpr TColor kKeyColour = 0xFE09F1;

int R(TColor c) { return static_cast<int>(c & 0xFF); }
int G(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
int B(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }
TColor Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<TColor>(std::clamp(v, 0, 255)); };
  return clamp(r) | (clamp(g) << 8) | (clamp(b) << 16);
}

int TruncInt(double x) { return static_cast<int>(Trunc(x)); }
int RoundInt(double x) { return static_cast<int>(Round(x)); }

}  // namespace

TEffectOffset EffectOffset(TEffectDirection d) {
  const auto i = static_cast<size_t>(d);
  return i < std::size(kOffsets) ? kOffsets[i] : TEffectOffset{0, 0};
}

TLabelEffect::TLabelEffect(TComponent* AOwner) : TLabel(AOwner) {
  schemes_[csText] = {clWhite, clGray, clBlack};
  schemes_[csWindows] = {clWhite, clBlack, clGray};
  schemes_[csEmbossed] = {clWhite, clBlack, clSilver};
  schemes_[csGold] = {clYellow, clBlack, clOlive};
  schemes_[csSteel] = {clAqua, clNavy, clTeal};
  schemes_[csCustom] = schemes_[csWindows];
  SetAutoSize(false);
  SetTransparent(true);
  SetBounds(Left(), Top(), 142, 33);
  Font()->SetName("Times New Roman");
  Font()->SetSize(20);
  Font()->SetColor(schemes_[csWindows].face);
}

// ---- properties ----

void TLabelEffect::SetDepthHighlight(TEffectDepth v) {
  if (v == depth_highlight_) return;
  depth_highlight_ = v;
  if (!style_guard_) SetEffectStyle(esCustom);
  Invalidate();
}

void TLabelEffect::SetDepthShadow(TEffectDepth v) {
  if (v == depth_shadow_) return;
  depth_shadow_ = v;
  if (!style_guard_) SetEffectStyle(esCustom);
  Invalidate();
}

void TLabelEffect::SetDirectionHighlight(TEffectDirection v) {
  if (v == dir_highlight_) return;
  dir_highlight_ = v;
  if (!style_guard_) SetEffectStyle(esCustom);
  Invalidate();
}

void TLabelEffect::SetDirectionShadow(TEffectDirection v) {
  if (v == dir_shadow_) return;
  dir_shadow_ = v;
  if (!style_guard_) SetEffectStyle(esCustom);
  Invalidate();
}

void TLabelEffect::SetColourHighlight(TColor v) {
  if (v == colour_highlight_) return;
  colour_highlight_ = v;
  schemes_[csCustom].highlight = v;
  if (!scheme_guard_) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetColourShadow(TColor v) {
  if (v == colour_shadow_) return;
  colour_shadow_ = v;
  schemes_[csCustom].shadow = v;
  if (!scheme_guard_) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetGraduateFace(TGraduateOption v) {
  graduate_face_ = v;
  Invalidate();
}

void TLabelEffect::SetGraduateFrom(TColor v) {
  graduate_from_ = v;
  if (graduate_face_ != goNone) Invalidate();
}

void TLabelEffect::SetStyleHighlight(TEffectOption v) {
  style_highlight_ = v;
  Invalidate();
}

void TLabelEffect::SetStyleShadow(TEffectOption v) {
  style_shadow_ = v;
  Invalidate();
}

void TLabelEffect::SetEffectStyle(TEffectStyle v) {
  if (v == effect_style_) return;
  style_guard_ = scheme_guard_ = true;
  effect_style_ = v;
  SetColourHighlight(schemes_[colour_scheme_].highlight);
  auto row = [this](TEffectDirection hd, TEffectDirection sd, int hdepth, int sdepth) {
    SetDirectionHighlight(hd);
    SetDirectionShadow(sd);
    SetDepthHighlight(static_cast<TEffectDepth>(hdepth));
    SetDepthShadow(static_cast<TEffectDepth>(sdepth));
  };
  switch (v) {
    case esNone: row(edNone, edNone, 0, 0); as_button_ = false; break;
    case esCustom: as_button_ = false; break;
    case esRaised: row(edUpLeft, edDownRight, 1, 1); break;
    case esSunken: row(edDownRight, edUpLeft, 1, 1); break;
    case esShadow: row(edNone, edDownRight, 0, 2); as_button_ = false; break;
    case esFlying:
      row(edDownRight, edDownRight, 1, 5);
      SetColourHighlight(schemes_[colour_scheme_].shadow);
      as_button_ = false;
      break;
  }
  style_guard_ = scheme_guard_ = false;
  Invalidate();
}

void TLabelEffect::SetColourScheme(TColourScheme v) {
  if (v == colour_scheme_) return;
  scheme_guard_ = true;
  colour_scheme_ = v;
  const SchemeColours c = schemes_[v];
  SetColourHighlight(c.highlight);
  Font()->SetColor(c.face);
  SetColourShadow(c.shadow);
  if (v != csCustom) schemes_[csCustom] = c;
  scheme_guard_ = false;
  Invalidate();
}

void TLabelEffect::SetAsButton(bool v) {
  as_button_ = v;
  if (v) SetEffectStyle(esRaised);
}

void TLabelEffect::SetAngle(TAngleRange v) {
  if (v == angle_) return;
  angle_ = v;
  const double rad = angle_ * kDegToRad;
  cos_ = std::cos(rad);
  sin_ = std::sin(rad);
  cos2_ = cos_ * cos_;
  sin2_ = sin_ * sin_;
  if (angle_ != 0) SetAlignment(taLeftJustify);
  Invalidate();
}

void TLabelEffect::SetKeepLettersVertical(bool v) {
  keep_letters_vertical_ = v;
  if (angle_ != 0) Invalidate();
}

// ---- push-button behaviour ----

void TLabelEffect::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (as_button_ && Button == mbLeft && Enabled() && effect_style_ != esSunken) SetEffectStyle(esSunken);
  TLabel::MouseDown(Button, Shift, X, Y);
}

void TLabelEffect::MouseMove(TShiftState Shift, int X, int Y) {
  if (as_button_ && Shift == TShiftState{ssLeft}) {
    const bool inside = X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight();
    SetEffectStyle(inside ? esSunken : esRaised);
    // Leaving the sunken state through the style setters keeps AsButton on.
    as_button_ = true;
  }
  TLabel::MouseMove(Shift, X, Y);
}

void TLabelEffect::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (as_button_ && Button == mbLeft && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight())
    SetEffectStyle(esRaised);
  TLabel::MouseUp(Button, Shift, X, Y);
}

// ---- painting ----

void TLabelEffect::Paint() {
  TCanvas* c = Canvas();
  if (c == nullptr || !c->HandleAllocated() || Width() <= 0 || Height() <= 0) return;
  DrawEffect(c);
}

void TLabelEffect::DrawEffect(TCanvas* Target) {
  const int w = Width(), h = Height();
  const AnsiString caption = Caption();
  const TEffectOffset sh = EffectOffset(dir_shadow_), hl = EffectOffset(dir_highlight_);
  const int ds = depth_shadow_, dh = depth_highlight_;
  const int lo = std::min({0, sh.dx * ds, hl.dx * dh, hl.dy * dh, sh.dy * ds});
  const int hi = std::max({0, sh.dx * ds, hl.dx * dh, hl.dy * dh, sh.dy * ds});

  TBitmap work, mask;
  work.SetPixelFormat(pf32bit);
  mask.SetPixelFormat(pf32bit);
  work.SetSize(w, h);
  mask.SetSize(w, h);
  const TRect client = Rect(0, 0, w, h);
  // A transparent label draws straight onto its surface, so that whatever lies under it
  // (the parent, composed by the window system) stays visible; an opaque one is built
  // off screen and copied in one piece.
  const bool direct = Transparent();
  TCanvas* wc = direct ? Target : work.Canvas();
  if (!direct) wc->CopyRect(client, Target, client);
  TCanvas* mc = mask.Canvas();
  wc->Font()->Assign(Font());
  mc->Font()->Assign(Font());

  const bool turned = angle_ != 0 && !keep_letters_vertical_;
  const bool upright = angle_ != 0 && keep_letters_vertical_;
  const int tw = wc->TextWidth(caption), th = wc->TextHeight(caption);
  const int cc = wc->TextWidth(caption + "   ") / 2;
  if (turned) {
    wc->Font()->SetOrientation(angle_ * 10);
    mc->Font()->SetOrientation(angle_ * 10);
  }

  // Letter placement along the line for upright letters.
  auto letterDistance = [&](int k) {  // k from 1
    const AnsiString first = caption.substr(0, static_cast<size_t>(k - 1));
    return RoundInt(wc->TextWidth(first) * cos2_ + static_cast<double>(th) * (k - 1) * sin2_);
  };
  int ux0 = 0, uy0 = 0;
  if (upright) {
    const int n = static_cast<int>(caption.size());
    const int L = n > 0 ? letterDistance(n) : 0;
    ux0 = std::max(0, -RoundInt(L * cos_)) + 10;
    uy0 = std::max(0, RoundInt(L * sin_)) + 10;
  }

  const unsigned align = Alignment() == taRightJustify ? DT_RIGHT : Alignment() == taCenter ? DT_CENTER : DT_LEFT;
  const int alignShift = Alignment() == taRightJustify ? hi - lo : Alignment() == taCenter ? (hi - lo) / 2 : 0;
  const int x0 = cc - TruncInt(tw / 2.0 * cos_) - TruncInt(th / 2.0 * sin_);
  const int y0 = cc + TruncInt(tw / 2.0 * sin_) - TruncInt(th / 2.0 * cos_);

  // Writes one copy of the caption at step offset (ox, oy) from the face position.
  auto write = [&](TCanvas* cv, int ox, int oy, TColor colour) {
    cv->Brush()->SetStyle(bsClear);
    cv->Font()->SetColor(colour);
    if (angle_ == 0) {
      TRect r = client;
      r.Left += ox - lo - alignShift;
      r.Right += ox - lo - alignShift;
      r.Top += oy - lo;
      r.Bottom += oy - lo;
      AnsiString text = caption.substr(0, std::min<size_t>(caption.size(), 255));
      cv->DrawText(text, r, align | DT_WORDBREAK | DT_EXPANDTABS);
    } else if (turned) {
      cv->TextOut(x0 - lo + ox, y0 - lo + oy, caption);
    } else {
      for (int k = 1; k <= static_cast<int>(caption.size()); ++k) {
        const int lk = letterDistance(k);
        cv->TextOut(ux0 + RoundInt(lk * cos_) + ox - lo, uy0 - RoundInt(lk * sin_) + oy - lo,
                    caption.substr(static_cast<size_t>(k - 1), 1));
      }
    }
  };

  // Background of an opaque label: only where the text goes when turned.
  if (!Transparent()) {
    wc->Brush()->SetStyle(bsSolid);
    wc->Brush()->SetColor(Color());
    wc->Pen()->SetStyle(psClear);
    if (angle_ == 0) {
      wc->FillRect(client);
    } else if (turned) {
      const int c2 = cc + (hi - lo + 4) / 2;
      // The box grows by the effect's whole extent, hi - lo (lo is never positive).
      const int W = tw + hi - lo + 4, H = th + hi - lo + 4;
      const int a = TruncInt(W / 2.0 * cos_), b = TruncInt(H / 2.0 * sin_);
      const int e = TruncInt(W / 2.0 * sin_), f = TruncInt(H / 2.0 * cos_);
      wc->Polygon({{c2 - a - b + 2, c2 + e - f + 2},
                   {c2 + a - b + 2, c2 - e - f + 2},
                   {c2 + a + b + 2, c2 - e + f + 2},
                   {c2 - a + b + 2, c2 + e + f + 2}});
    } else if (!caption.empty()) {
      // One band covering the first and the last letter box and the line between them.
      const int n = static_cast<int>(caption.size());
      const int ln = letterDistance(n);
      const int grow = hi - lo + 4;
      const int lastW = wc->TextWidth(caption.substr(caption.size() - 1));
      const int ax = ux0 - lo - 2, ay = uy0 - lo - 2;
      const int bx = ux0 + RoundInt(ln * cos_) - lo - 2, by = uy0 - RoundInt(ln * sin_) - lo - 2;
      const int l = std::min(ax, bx), t = std::min(ay, by);
      const int r = std::max(ax, bx) + std::max(lastW, wc->TextWidth(caption.substr(0, 1))) + grow;
      const int btm = std::max(ay, by) + th + grow;
      wc->FillRect(Rect(l, t, r, btm));
    }
    wc->Pen()->SetStyle(psSolid);
    wc->Brush()->SetStyle(bsClear);
  }

  const TColor face = ColorToRGB(Font()->Color());
  // One effect side: shadow (darken for eoReal) or highlight (lighten).
  auto side = [&](TEffectOption style, TEffectOffset d, int depth, TColor colour, bool lighten) {
    if (d.dx == 0 && d.dy == 0) return;
    colour = ColorToRGB(colour);
    switch (style) {
      case eoNormal: write(wc, d.dx * depth, d.dy * depth, colour); break;
      case eoExtrude:
        for (int i = std::max(depth, 1); i >= 1; --i) write(wc, d.dx * i, d.dy * i, colour);
        break;
      case eoGraduated:
        if (depth <= 1) {
          write(wc, d.dx * depth, d.dy * depth, colour);
          break;
        }
        for (int i = depth; i >= 1; --i) {
          auto ch = [&](int s, int f) { return s + RoundInt(static_cast<double>(depth - i) * (f - s) / (depth - 1)); };
          write(wc, d.dx * i, d.dy * i, Rgb(ch(R(colour), R(face)), ch(G(colour), G(face)), ch(B(colour), B(face))));
        }
        break;
      case eoReal: {
        mc->Brush()->SetStyle(bsSolid);
        mc->Brush()->SetColor(clWhite);
        mc->FillRect(client);
        write(mc, d.dx * depth, d.dy * depth, clBlack);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            if (mc->Pixel(x, y) != clBlack) continue;
            const TColor p = wc->Pixel(x, y);
            if (lighten)
              wc->SetPixel(x, y, Rgb((R(p) + 255) / 2, (G(p) + 255) / 2, (B(p) + 255) / 2));
            else
              wc->SetPixel(x, y, Rgb(R(p) / 2, G(p) / 2, B(p) / 2));
          }
        break;
      }
    }
  };
  side(style_shadow_, sh, ds, colour_shadow_, false);
  side(style_highlight_, hl, dh, colour_highlight_, true);

  if (graduate_face_ == goNone) {
    write(wc, 0, 0, face);
  } else {
    mc->CopyRect(client, wc, client);
    write(mc, 0, 0, kKeyColour);
    const TColor from = ColorToRGB(graduate_from_);
    const bool rows = graduate_face_ == goVertical;
    // The text block's first line: the face's top row, or its left column.
    TRect block = client;
    wc->DrawText(caption, block, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    int start = -lo;
    if (!rows && angle_ == 0) {
      const int bw = block.Width();
      start = Alignment() == taRightJustify ? w - bw - lo - alignShift
              : Alignment() == taCenter     ? (w - bw) / 2 - lo - alignShift
                                            : -lo;
    }
    const int n = rows ? th : tw;
    for (int i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / n;
      const TColor lc = Rgb(R(from) + static_cast<int>(t * (R(face) - R(from))),
                            G(from) + static_cast<int>(t * (G(face) - G(from))),
                            B(from) + static_cast<int>(t * (B(face) - B(from))));
      const int line = start + i;
      if (rows) {
        if (line < 0 || line >= h) continue;
        for (int x = 0; x < w; ++x)
          if (mc->Pixel(x, line) == kKeyColour) wc->SetPixel(x, line, lc);
      } else {
        if (line < 0 || line >= w) continue;
        for (int y = 0; y < h; ++y)
          if (mc->Pixel(line, y) == kKeyColour) wc->SetPixel(line, y, lc);
      }
    }
  }

  if (!direct) Target->CopyRect(client, wc, client);
}
