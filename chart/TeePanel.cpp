// The chart panel (TCustomTeePanel, TCustomTeePanelExtended) and the framed shapes.
#include <cmath>

#include "chart/TeeProcs.h"
#include "platform/streaming/Filer.h"

bool TeeClipWhenPrinting = true, TeeClipWhenMetafiling = true, TeeEraseBack = false;

// ---------------------------------------------------------------------------------------

void TTeeZoom::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TTeeZoom*>(Source);
  if (!s) return TPersistent::Assign(Source);
  Allow = s->Allow;
  Animated = s->Animated;
  AnimatedSteps = s->AnimatedSteps;
  Direction = s->Direction;
  KeyShift = s->KeyShift;
  MinimumPixels = s->MinimumPixels;
  MouseButton = s->MouseButton;
  UpLeftZooms = s->UpLeftZooms;
  SetBrush(s->brush_.get());
  SetPen(s->pen_.get());
}

TTeeZoomBrush* TTeeZoom::Brush() {
  if (!brush_) {
    brush_ = std::make_unique<TTeeZoomBrush>();
    MarkOwnDefaults(brush_.get());
  }
  return brush_.get();
}

TTeeZoomPen* TTeeZoom::Pen() {
  if (!pen_) {
    pen_ = std::make_unique<TTeeZoomPen>();
    MarkOwnDefaults(pen_.get());
  }
  return pen_.get();
}

void TTeeZoom::SetBrush(TTeeZoomBrush* b) {
  if (!b) brush_.reset(); else Brush()->Assign(b);
}

void TTeeZoom::SetPen(TTeeZoomPen* p) {
  if (!p) pen_.reset(); else Pen()->Assign(p);
}

void TBackImage::SetInside(bool v) {
  if (v != inside_) inside_ = v, Fire();
}
void TBackImage::SetLeft(int v) {
  if (v != left_) left_ = v, Fire();
}
void TBackImage::SetTop(int v) {
  if (v != top_) top_ = v, Fire();
}
void TBackImage::SetMode(TTeeBackImageMode v) {
  if (v != mode_) mode_ = v, Fire();
}

// ---------------------------------------------------------------------------------------
// TCustomTeePanel

TCustomTeePanel::TCustomTeePanel(TComponent* AOwner)
    : TCustomControl(AOwner), canvas_(std::make_unique<TTeeCanvas3D>()) {
  SetBounds(0, 0, 400, 250);
  canvas_->SetCanvas(Canvas());
  canvas_->OnRepaintOwner = [this] { Invalidate(); };
  view3d_options_.OnRepaint = [this] { Invalidate(); };
  border_.SetEndStyle(esFlat);
  border_.OnChange = [this](TObject*) { Invalidate(); };
  shadow_.OnChange = [this](TObject*) { Invalidate(); };
  original_cursor_ = Cursor();
}

TCustomTeePanel::~TCustomTeePanel() { destroying_ = true; }

void TCustomTeePanel::Invalidate() {
  if (!auto_repaint_) return;
  canvas_->Invalidate();
  TControl::Invalidate();
}

void TCustomTeePanel::SetIntegerProperty(int& Field, int Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}
void TCustomTeePanel::SetBooleanProperty(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}
void TCustomTeePanel::SetDoubleProperty(double& Field, double Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}
void TCustomTeePanel::SetStringProperty(AnsiString& Field, const AnsiString& Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TCustomTeePanel::SetMarginUnits(TTeeUnits v) {
  if (v == margin_units_) return;
  margin_units_ = v;
  Invalidate();
}

void TCustomTeePanel::SetBevelInner(TPanelBevel v) {
  if (v == bevel_inner_) return;
  bevel_inner_ = v;
  Invalidate();
}

void TCustomTeePanel::SetBevelOuter(TPanelBevel v) {
  if (v == bevel_outer_) return;
  bevel_outer_ = v;
  Invalidate();
}

void TCustomTeePanel::SetView3D(bool v) {
  SetBooleanProperty(view3d_, v);
  TTeeView3DEvent e;
  BroadcastEvent(e);
}

void TCustomTeePanel::SetBorderRound(int v) {
  if (v == border_round_) return;
  border_round_ = v;
  if (!HasState(csLoading)) ApplyRegion();
  Invalidate();
}

void TCustomTeePanel::ApplyRegion() {
  // The platform's windows are rectangles; a rounded border is drawn, not cut out.
  setting_region_ = false;
}

void TCustomTeePanel::Loaded() {
  TCustomControl::Loaded();
  original_cursor_ = Cursor();
  if (border_round_ > 0) ApplyRegion();
}

void TCustomTeePanel::Resize() {
  TCustomControl::Resize();
  canvas_->Invalidate();
}

void TCustomTeePanel::ColorChanged() {
  TCustomControl::ColorChanged();
  canvas_->Invalidate();
}

TRect TCustomTeePanel::GetRectangle() { return TRect(0, 0, ClientWidth(), ClientHeight()); }

bool TCustomTeePanel::CanClip() const {
  if (canvas_->IsNative3D()) return false;
  if (Printing) return TeeClipWhenPrinting;
  if (canvas_->Metafiling) return TeeClipWhenMetafiling;
  return true;
}

void TCustomTeePanel::Paint() {
  const TBitmap* b = canvas_->Bitmap();
  const TRect r = GetRectangle();
  if (Printing || !b || b->Width() != r.Width() || b->Height() != r.Height() || !canvas_->ReDrawBitmap())
    Draw(Canvas(), GetRectangle());
  if (!Printing) PaintOverlay(Canvas());
}

void TCustomTeePanel::Draw(TCanvas* UserCanvas, const TRect& UserRect) {
  ChartBounds = canvas_->InitWindow(UserCanvas, &view3d_options_, Color(), view3d_, UserRect);
  {
    TCanvasPainterHold hold(canvas_->Canvas());
    int w = border_width_;
    if (bevel_inner_ != bvNone) w += bevel_width_;
    if (bevel_outer_ != bvNone) w += bevel_width_;
    if (border_.Visible()) w += border_.Width();
    int ml = margins_.Left, mt = margins_.Top, mr = margins_.Right, mb = margins_.Bottom;
    if (margin_units_ == muPercent) {
      const int bw = ChartBounds.Width(), bh = ChartBounds.Height();
      ml = ml * bw / 100;
      mr = mr * bw / 100;
      mt = mt * bh / 100;
      mb = mb * bh / 100;
    }
    ChartRect = TRect(ChartBounds.Left + w + ml, ChartBounds.Top + w + mt, ChartBounds.Right - w - mr,
                      ChartBounds.Bottom - w - mb);
    RecalcWidthHeight();
    InternalDraw(ChartBounds);
  }
  canvas_->ShowImage(UserCanvas, Canvas(), UserRect);
}

void TCustomTeePanel::RecalcWidthHeight() {
  TRect& r = ChartRect;
  r.Left = std::max(r.Left, ChartBounds.Left);
  r.Top = std::max(r.Top, ChartBounds.Top);
  if (r.Left > r.Right)
    r.Right = r.Left + 1;
  else if (r.Left == r.Right)
    r.Right = r.Left + std::max(1, Width());
  if (r.Top > r.Bottom)
    r.Bottom = r.Top + 1;
  else if (r.Top == r.Bottom)
    r.Bottom = r.Top + std::max(1, Height());
  ChartWidth = r.Right - r.Left;
  ChartHeight = r.Bottom - r.Top;
  ChartXCenter = (r.Left + r.Right) / 2;
  ChartYCenter = (r.Top + r.Bottom) / 2;
}

void TeeDrawBevel(TTeeCanvas* Canvas, TPanelBevel Bevel, TRect& Rect, int Width, int Round) {
  if (Bevel != bvLowered && Bevel != bvRaised) return;
  const TColor hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetMode(pmCopy);
  if (Round >= 1) {
    Canvas->Pen()->SetColor(Bevel == bvLowered ? sh : hi);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, Round, Round);
    Rect = TRect(Rect.Left + Width, Rect.Top + Width, Rect.Right - Width, Rect.Bottom - Width);
  } else {
    Canvas->Frame3D(Rect, Bevel == bvRaised ? hi : sh, Bevel == bvRaised ? sh : hi, Width);
  }
}

void TCustomTeePanel::DrawBorderAndBevels(TRect& Rect) {
  canvas_->Brush()->SetStyle(bsClear);
  if (border_.Visible()) {
    canvas_->AssignVisiblePen(&border_);
    int counted = border_.SmallDots() ? 1 : border_.Width();
    TRect r = Rect;
    if (!border_.SmallDots()) {
      const int p = border_.Width() - 1;
      if (p > 0) {
        r.Left += p / 2 + (p % 2);
        r.Top += p / 2 + (p % 2);
        r.Right -= p / 2 - (p % 2);
        r.Bottom -= p / 2 - (p % 2);
      }
    }
    if (border_round_ < 1) {
      canvas_->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
      if (!border_.SmallDots()) ++counted;
    } else {
      canvas_->RoundRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1, border_round_, border_round_);
    }
    Rect = TRect(Rect.Left + counted, Rect.Top + counted, Rect.Right - counted, Rect.Bottom - counted);
  }
  if (Printing) return;
  TeeDrawBevel(canvas_.get(), bevel_outer_, Rect, bevel_width_, border_round_);
  if (border_width_ > 0) {
    const TColor c = ColorToRGB(Color());
    canvas_->Frame3D(Rect, c, c, border_width_);
  }
  TeeDrawBevel(canvas_.get(), bevel_inner_, Rect, bevel_width_, border_round_);
}

void TCustomTeePanel::AssignTo(TBitmap* Bitmap) {
  const TRect r = GetRectangle();
  Bitmap->SetSize(r.Width(), r.Height());
  const bool saved = BufferedDisplay();
  SetBufferedDisplay(false);
  Draw(Bitmap->Canvas(), r);
  SetBufferedDisplay(saved);
  canvas_->SetCanvas(Canvas());
  canvas_->Invalidate();
}

void TCustomTeePanel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCustomTeePanel*>(Source);
  if (!s) return TPersistent::Assign(Source);
  border_.Assign(&s->border_);
  border_round_ = s->border_round_;
  SetBufferedDisplay(s->BufferedDisplay());
  print_margins_ = s->print_margins_;
  print_proportional_ = s->print_proportional_;
  margins_ = s->margins_;
  margin_units_ = s->margin_units_;
  SetMonochrome(s->Monochrome());
  shadow_.Assign(&s->shadow_);
  view3d_ = s->view3d_;
  view3d_options_.Assign(&s->view3d_options_);
  SetColor(s->Color());
  Invalidate();
}

void TCustomTeePanel::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "BorderStyle", [this](TReader& R) { border_.SetVisible(R.ReadIdent() == "bsSingle"); }, [](TWriter&) {}, false);
  Filer.DefineProperty("AllowZoom", [this](TReader& R) {
    if (auto* e = dynamic_cast<TCustomTeePanelExtended*>(this)) e->Zoom()->Allow = R.ReadBoolean(); else R.ReadBoolean();
  }, [](TWriter&) {}, false);
  Filer.DefineProperty("AnimatedZoom", [this](TReader& R) {
    if (auto* e = dynamic_cast<TCustomTeePanelExtended*>(this)) e->Zoom()->Animated = R.ReadBoolean(); else R.ReadBoolean();
  }, [](TWriter&) {}, false);
  Filer.DefineProperty("AnimatedZoomSteps", [this](TReader& R) {
    if (auto* e = dynamic_cast<TCustomTeePanelExtended*>(this)) e->Zoom()->AnimatedSteps = R.ReadInteger(); else R.ReadInteger();
  }, [](TWriter&) {}, false);
  const TRect pm = print_margins_;
  Filer.DefineProperty(
      "PrintMargins",
      [this](TReader& R) {
        R.ReadListBegin();
        int v[4] = {15, 15, 15, 15};
        for (int i = 0; i < 4 && !R.EndOfList(); ++i) v[i] = R.ReadInteger();
        while (!R.EndOfList()) R.ReadInteger();
        R.ReadListEnd();
        print_margins_ = TRect(v[0], v[1], v[2], v[3]);
      },
      [pm](TWriter& W) {
        W.WriteListBegin();
        W.WriteInteger(pm.Left);
        W.WriteInteger(pm.Top);
        W.WriteInteger(pm.Right);
        W.WriteInteger(pm.Bottom);
        W.WriteListEnd();
      },
      pm != TRect(15, 15, 15, 15));
}

void TCustomTeePanel::BroadcastEvent(TTeeEvent& Event) {
  if (destroying_ || HasState(csDestroying)) return;
  Event.Sender = this;
  const bool mouse = dynamic_cast<TTeeMouseEvent*>(&Event) != nullptr;
  const std::vector<ITeeEventListener*> list = listeners_;
  for (ITeeEventListener* l : list) {
    l->HandleEvent(Event);
    if (mouse && CancelMouse) break;
  }
}

void TCustomTeePanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CancelMouse = false;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (listeners_.empty()) return;
  TTeeMouseEvent e;
  e.Event = meDown;
  e.Button = Button;
  e.Shift = Shift;
  e.X = X;
  e.Y = Y;
  BroadcastEvent(e);
}

void TCustomTeePanel::MouseMove(TShiftState Shift, int X, int Y) {
  CancelMouse = false;
  TCustomControl::MouseMove(Shift, X, Y);
  if (listeners_.empty()) return;
  TTeeMouseEvent e;
  e.Event = meMove;
  e.Shift = Shift;
  e.X = X;
  e.Y = Y;
  BroadcastEvent(e);
}

void TCustomTeePanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CancelMouse = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (listeners_.empty()) return;
  TTeeMouseEvent e;
  e.Event = meUp;
  e.Button = Button;
  e.Shift = Shift;
  e.X = X;
  e.Y = Y;
  BroadcastEvent(e);
}

// ---------------------------------------------------------------------------------------
// TCustomTeePanelExtended

TCustomTeePanelExtended::TCustomTeePanelExtended(TComponent* AOwner) : TCustomTeePanel(AOwner) {}
TCustomTeePanelExtended::~TCustomTeePanelExtended() = default;

TTeeGradient* TCustomTeePanelExtended::Gradient() {
  if (!gradient_) {
    gradient_ = std::make_unique<TTeeGradient>([this](TObject*) { Invalidate(); });
    MarkOwnDefaults(gradient_.get());
  }
  return gradient_.get();
}

void TCustomTeePanelExtended::SetGradient(TTeeGradient* g) {
  if (!g) gradient_.reset(); else Gradient()->Assign(g);
  Invalidate();
}

TBackImage* TCustomTeePanelExtended::BackImage() {
  if (!back_image_) {
    back_image_ = std::make_unique<TBackImage>();
    back_image_->OnChange = [this](TObject*) { Invalidate(); };
  }
  return back_image_.get();
}

void TCustomTeePanelExtended::SetBackImage(TBackImage* b) {
  if (!b) {
    back_image_.reset();
  } else {
    BackImage()->Assign(b);
    back_image_->SetInside(b->Inside());
    back_image_->SetMode(b->Mode());
    back_image_->SetLeft(b->Left());
    back_image_->SetTop(b->Top());
  }
  Invalidate();
}

void TCustomTeePanelExtended::SetBackImageTransp(bool v) {
  // The graphic tells its picture, which repaints the panel.
  if (back_image_ && back_image_->Graphic()) back_image_->Graphic()->SetTransparent(v);
}

void TCustomTeePanelExtended::UndoZoom() {
  if (OnUndoZoom) OnUndoZoom(this);
  Invalidate();
  Zoomed = false;
}

void TCustomTeePanelExtended::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomTeePanelExtended*>(Source)) {
    SetBackImage(s->back_image_.get());
    SetGradient(s->gradient_.get());
    allow_panning_ = s->allow_panning_;
    zoom_.Assign(&s->zoom_);
  }
  TCustomTeePanel::Assign(Source);
}

void TCustomTeePanelExtended::FillPanelBackground(const TRect& Rect) {
  canvas_->DisableRotationCounted();
  if (gradient_ && gradient_->Visible()) {
    gradient_->Draw(canvas_.get(), Rect);
  } else if (!Printing && Color() != clNone) {
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->Brush()->SetColor(Color());
    canvas_->EraseBackground(Rect);
  }
  canvas_->EnableRotationCounted();
}

void TCustomTeePanelExtended::PaintBackground(const TRect& Rect0) {
  canvas_->DisableRotationCounted();
  TRect r = Rect0;
  if (shadow_.Size() > 0) {
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    canvas_->FillRect(r);
    r.Right -= shadow_.HorizSize();
    r.Bottom -= shadow_.VertSize();
    shadow_.Draw(canvas_.get(), r);
  }
  FillPanelBackground(r);
  if (HasBackImage() && !back_image_->Inside()) DrawBackImage(r, 0);
  DrawBorderAndBevels(r);
  canvas_->EnableRotationCounted();
}

void TCustomTeePanelExtended::DrawBackImage(const TRect& Rect0, int Z) {
  if (!HasBackImage()) return;
  TGraphic* g = back_image_->Graphic();
  TRect r = Rect0;
  const bool ortho = canvas_->IsOrthogonal;
  auto project = [&] {
    TRect p = canvas_->RectFromRectZ(r, Z);
    if (!View3D()) ++p.Top;
    r = p;
  };
  if (back_image_->Mode() == pbmStretch) {
    if (Z < 1) {
      canvas_->StretchDraw(r, g);
    } else if (ortho) {
      project();
      canvas_->StretchDraw(r, g);
    } else {
      canvas_->StretchDraw3D(r, g, Z);
    }
    return;
  }
  const bool clip = CanClip();
  if (clip) {
    if (Z != 0)
      canvas_->ClipCube(r, 0, Width3D);
    else
      canvas_->ClipRectangle(r);
  }
  if (Z > 0 && ortho) project();
  auto place = [&](const TRect& cell) {
    if (Z > 0 && !ortho)
      canvas_->StretchDraw3D(cell, g, Z);
    else
      canvas_->Draw(cell.Left, cell.Top, g);
  };
  if (back_image_->Mode() == pbmTile) {
    for (int y = r.Top; y < r.Bottom; y += std::max(1, g->Height()))
      for (int x = r.Left; x < r.Right; x += std::max(1, g->Width())) place(Bounds(x, y, g->Width(), g->Height()));
  } else {
    FillPanelBackground(r);
    TRect cell;
    if (back_image_->Mode() == pbmCenter) {
      const int dx = (r.Width() - g->Width()) / 2, dy = (r.Height() - g->Height()) / 2;
      cell = TRect(r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy);
    } else {
      cell = Bounds(r.Left + back_image_->Left(), r.Top + back_image_->Top(), g->Width(), g->Height());
    }
    place(cell);
  }
  if (clip) canvas_->UnClipRectangle();
}

void TCustomTeePanelExtended::DrawZoomRectangle(TCanvas* C) {
  // Drawn on the screen over the blitted chart, so the chart itself never holds it.
  C->SetClipRegion(nullptr);
  if (zoom_.HasBrush() && zoom_.Brush()->Style() != bsClear) {
    C->Brush()->SetStyle(zoom_.Brush()->Style());
    C->Brush()->SetColor(zoom_.Brush()->Color());
  } else {
    C->Brush()->SetStyle(bsClear);
  }
  C->Pen()->SetStyle(zoom_.Pen()->Visible() ? zoom_.Pen()->Style() : psClear);
  C->Pen()->SetWidth(zoom_.Pen()->Width());
  C->Pen()->SetMode(pmNotXor);
  C->Pen()->SetColor(ColorToRGB(zoom_.Pen()->Color()) ^ (0xFFFFFF - ColorToRGB(GetBackColor())));
  C->Rectangle(zoom_.X0, zoom_.Y0, zoom_.X1, zoom_.Y1);
  C->Pen()->SetMode(pmCopy);
}

// ---------------------------------------------------------------------------------------
// Framed shapes

TTeeCustomShapeBrushPen::TTeeCustomShapeBrushPen(TCustomTeePanel* AOwner)
    : parent_(AOwner),
      brush_(std::make_unique<TChartBrush>([this](TObject*) { Repaint(); })),
      pen_(std::make_unique<TChartPen>([this](TObject*) { Repaint(); })) {}

TTeeCustomShapeBrushPen::~TTeeCustomShapeBrushPen() = default;

void TTeeCustomShapeBrushPen::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TTeeCustomShapeBrushPen*>(Source);
  if (!s) return TPersistent::Assign(Source);
  brush_->Assign(s->brush_.get());
  pen_->Assign(s->pen_.get());
  visible_ = s->visible_;
}

void TTeeCustomShapeBrushPen::SetVisible(bool v) {
  if (parent_) {
    parent_->SetBooleanProperty(visible_, v);
  } else {
    visible_ = v;
  }
}

void TTeeCustomShapeBrushPen::Repaint() {
  if (parent_) parent_->Invalidate();
}

TTeeCustomShape::TTeeCustomShape(TCustomTeePanel* AOwner)
    : TTeeCustomShapeBrushPen(AOwner), font_(std::make_unique<TTeeFont>([this](TObject*) { Repaint(); })) {}

TTeeCustomShape::~TTeeCustomShape() = default;

void TTeeCustomShape::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TTeeCustomShape*>(Source)) {
    bevel_ = s->bevel_;
    bevel_width_ = s->bevel_width_;
    color_ = s->color_;
    font_->Assign(s->font_.get());
    if (s->gradient_) Gradient()->Assign(s->gradient_.get());
    shape_style_ = s->shape_style_;
    if (s->shadow_) Shadow()->Assign(s->shadow_.get());
    transparent_ = s->transparent_;
    transparency_ = s->transparency_;
  }
  TTeeCustomShapeBrushPen::Assign(Source);
}

TTeeShadow* TTeeCustomShape::Shadow() {
  if (!shadow_)
    shadow_ = std::make_unique<TTeeShadow>([this](TObject*) { Repaint(); }, shadow_default_color_, shadow_default_size_);
  return shadow_.get();
}

std::unique_ptr<TTeeGradient> TTeeCustomShape::NewGradient() {
  return std::make_unique<TTeeGradient>([this](TObject*) { Repaint(); });
}

TTeeGradient* TTeeCustomShape::Gradient() {
  if (!gradient_) {
    gradient_ = NewGradient();
    MarkOwnDefaults(gradient_.get());
  }
  return gradient_.get();
}

void TTeeCustomShape::SetTransparent(bool v) {
  if (parent_)
    parent_->SetBooleanProperty(transparent_, v);
  else
    transparent_ = v;
}

void TTeeCustomShape::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "ShadowColor",
      [this](TReader& R) {
        TColor c = clBlack;
        if (R.NextValue() == vaIdent) {
          if (!IdentToColor(R.ReadIdent(), c)) c = clBlack;
        } else {
          c = R.ReadInteger();
        }
        Shadow()->SetColor(c);
      },
      [](TWriter&) {}, false);
  Filer.DefineProperty(
      "ShadowSize", [this](TReader& R) { Shadow()->SetSize(R.ReadInteger()); }, [](TWriter&) {}, false);
}

TTeeCanvas3D* TTeeCustomShape::Canvas() const { return parent_ ? parent_->ChartCanvas() : nullptr; }

void TTeeCustomShape::RectToFourPoints(const TRect& R, double Angle, TPoint P[4]) {
  const int cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  const double a = Angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
  const TPoint corners[4] = {{R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}};
  for (int i = 0; i < 4; ++i) {
    const double dx = corners[i].x - cx, dy = corners[i].y - cy;
    P[i] = {static_cast<int>(std::nearbyint(dx * c + dy * s)) + cx, static_cast<int>(std::nearbyint(-dx * s + dy * c)) + cy};
  }
}

void TTeeCustomShape::DrawRectRotated(const TRect& Rect, int Angle, int Z) {
  TTeeCanvas3D* c = Canvas();
  if (!c || transparent_) return;
  TPoint p[4];
  if (Angle != 0) RectToFourPoints(Rect, Angle, p);
  TTeeBlend* blend = nullptr;
  if (transparency_ > 0) blend = c->BeginBlending(Angle == 0 ? Rect : RectFromPolygon(p, 4), transparency_);
  auto outline = [&](const TRect& r) {
    if (Angle != 0) {
      TPoint q[4];
      RectToFourPoints(r, Angle, q);
      c->Polygon({q[0], q[1], q[2], q[3]});
    } else if (c->IsNative3D()) {
      c->RectangleWithZ(r, Z);
    } else if (shape_style_ == fosRoundRectangle) {
      c->RoundRect(r.Left, r.Top, r.Right, r.Bottom, 16, 16);
    } else {
      c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }
  };
  if (shadow_ && shadow_->Size() > 0 && brush_->Style() != bsClear) {
    // A plain box draws its shadow itself; a see-through box (any shape or angle) also
    // gets its own outline, shifted and filled in the shadow colour.
    if (Angle == 0 && shape_style_ == fosRectangle) {
      if (!c->IsNative3D()) c->DisableRotationCounted();
      shadow_->Draw(c, Rect, Z);
      if (!c->IsNative3D()) c->EnableRotationCounted();
    }
    if (transparency_ > 0) {
      const int pw = pen_->Visible() ? pen_->Width() : 0;
      const int dx = shadow_->HorizSize() + (shadow_->HorizSize() > 0 ? pw : 0);
      const int dy = shadow_->VertSize() + (shadow_->VertSize() > 0 ? pw : 0);
      const TRect s(Rect.Left + dx, Rect.Top + dy, Rect.Right + dx, Rect.Bottom + dy);
      c->Pen()->SetStyle(psClear);
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(shadow_->Color());
      TTeeBlend* sb = shadow_->Transparency() > 0 ? c->BeginBlending(s, shadow_->Transparency()) : nullptr;
      outline(s);
      if (sb) c->EndBlending(sb);
    }
  }
  if (gradient_ && gradient_->Visible()) {
    if (Angle == 0)
      gradient_->Draw(c, Rect, shape_style_ == fosRoundRectangle ? 16 : 0);
    else
      gradient_->DrawPolygon(c, {p[0], p[1], p[2], p[3]}, Z, c->IsNative3D());
    c->Brush()->SetStyle(bsClear);
  } else {
    c->AssignBrush(brush_.get(), color_);
  }
  c->AssignVisiblePen(pen_.get());
  outline(Rect);
  if (Angle == 0 && bevel_ != bvNone) {
    TRect r = Rect;
    TeeDrawBevel(c, bevel_, r, bevel_width_);
  }
  if (blend) c->EndBlending(blend);
}
