#include "platform/graphics/GraphicsObjects.h"

#include <cstdlib>

namespace {
// Multiplies then divides with rounding to nearest, halves away from zero: the rule
// by which font points and pixel heights have always converted.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long q = (std::llabs(p) * 2 + c) / (2LL * c);
  return static_cast<int>(p < 0 ? -q : q);
}

template <typename T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

void TGraphicsObject::Changed() {
  if (updating_ > 0) {
    pending_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

void TGraphicsObject::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && pending_) {
    pending_ = false;
    Changed();
  }
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (SameAs(*f) && pixels_per_inch_ == f->pixels_per_inch_) return;
    name_ = f->name_;
    height_ = f->height_;
    pixels_per_inch_ = f->pixels_per_inch_;
    pitch_ = f->pitch_;
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    orientation_ = f->orientation_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

bool TFont::SameAs(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && pitch_ == o.pitch_ && style_ == o.style_ &&
         color_ == o.color_ && charset_ == o.charset_ && orientation_ == o.orientation_;
}

void TFont::SetName(const AnsiString& v) { if (!v.empty() && Store(name_, v)) Changed(); }
void TFont::SetHeight(int v) { if (Store(height_, v)) Changed(); }
int TFont::Size() const { return -MulDiv(height_, 72, pixels_per_inch_); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, pixels_per_inch_, 72)); }
void TFont::SetPitch(TFontPitch v) { if (Store(pitch_, v)) Changed(); }
void TFont::SetStyle(TFontStyles v) { if (Store(style_, v)) Changed(); }
void TFont::SetColor(TColor v) { if (Store(color_, v)) Changed(); }
void TFont::SetCharset(TFontCharset v) { if (Store(charset_, v)) Changed(); }
void TFont::SetOrientation(int v) { if (Store(orientation_, v)) Changed(); }

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    end_cap_ = p->end_cap_;
    join_ = p->join_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}
void TPen::SetColor(TColor v) { if (Store(color_, v)) Changed(); }
void TPen::SetWidth(int v) { if (v >= 0 && Store(width_, v)) Changed(); }
void TPen::SetStyle(TPenStyle v) { if (Store(style_, v)) Changed(); }
void TPen::SetMode(TPenMode v) { if (Store(mode_, v)) Changed(); }
void TPen::SetEndCap(TPenEndCap v) { if (Store(end_cap_, v)) Changed(); }
void TPen::SetJoin(TPenJoin v) { if (Store(join_, v)) Changed(); }

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}
// A brush given a colour becomes solid again, as a cleared brush does when coloured.
void TBrush::SetColor(TColor v) {
  const bool styleChange = v != clNone && style_ == bsClear;
  const bool pattern = bitmap_ != nullptr;
  bitmap_ = nullptr;
  if (styleChange) style_ = bsSolid;
  if (v == clNone) style_ = bsClear;
  if (Store(color_, v) || styleChange || pattern) Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
  const bool pattern = bitmap_ != nullptr;
  bitmap_ = nullptr;
  if (Store(style_, v) || pattern) Changed();
}
void TBrush::SetBitmap(std::shared_ptr<TBitmap> v) {
  if (bitmap_ == v) return;
  bitmap_ = std::move(v);
  Changed();
}
