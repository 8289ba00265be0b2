#include "chart/TeeEditCtrls.h"

#include <vector>

#include "platform/stdctrls/WidgetHooks.h"
#include "platform/ui/Dialogs.h"

namespace {

// The custom colours of the colour dialog, kept from its first use to the end of the run.
std::vector<TColor>& CustomColors() {
  static std::vector<TColor> colors(16, clWhite);
  return colors;
}

}  // namespace

bool EditColor(TComponent*, TColor& Color) {
  ui::DialogRequest request;
  request.Color = Color;
  request.CustomColors = CustomColors();
  if (!ui::DialogService::ExecuteColorDialog(request)) return false;
  CustomColors() = request.CustomColors;
  if (request.Color == Color) return false;
  Color = request.Color;
  return true;
}

// ---------------------------------------------------------------------------------------
// TTeeButton

TTeeButton::TTeeButton(TComponent* AOwner) : TButton(AOwner) { SetBounds(Left(), Top(), 75, 25); }

void TTeeButton::LinkProperty(TObject* Instance, const AnsiString& PropertyName) {
  instance_ = Instance;
  info_ = nullptr;
  if (Instance && !PropertyName.empty())
    if (const TStreamClass* cls = ClassOf(Instance)) info_ = cls->FindProp(PropertyName);
  Invalidate();
}

void TTeeButton::SetEnabled(bool v) {
  const bool changed = v != Enabled();
  TButton::SetEnabled(v);
  if (changed) Invalidate();
}

void TTeeButton::InitWidget() {
  TButton::InitWidget();
  ui::TWidgetHooks h;
  h.PaintOver = [this](TCanvas& c) {
    if (HasSymbol()) DrawSymbol(c);
  };
  ui::InstallWidgetHooks(this, std::move(h));
}

// ---------------------------------------------------------------------------------------
// TButtonColor

TColor TButtonColor::SymbolColor() const {
  if (GetColor) return GetColor();
  if (info_ && instance_) return static_cast<TColor>(info_->GetOrd(instance_));
  return clNone;
}

TRect TButtonColor::SymbolRect() const { return TRect(Width() - 19, Height() / 4, Width() - 6, Height() - Height() / 4); }

void TButtonColor::DrawSymbol(TCanvas& Canvas) {
  const TColor color = SymbolColor();
  if (color == clNone) return;
  const TRect r = SymbolRect();
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Brush()->SetColor(color);
  if (Enabled()) {
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetColor(clBlack);
  } else {
    Canvas.Pen()->SetStyle(psClear);
  }
  Canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TButtonColor::Click() {
  TColor color = SymbolColor();
  if (color == clNone) color = clWhite;
  if (!EditColor(this, color)) return;
  if (info_ && instance_) info_->SetOrd(instance_, color);
  Invalidate();
  TTeeButton::Click();
}

// ---------------------------------------------------------------------------------------
// TComboFlat

TComboFlat::TComboFlat(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
  SetHeight(21);
}

void TComboFlat::InitWidget() {
  TComboBox::InitWidget();
  ui::TWidgetHooks h;
  h.PaintOver = [this](TCanvas& c) {
    if (DrawsFlat()) PaintFlat(c);
  };
  h.MouseEnter = [this] {
    hover_ = true;
    Invalidate();
  };
  h.MouseLeave = [this] {
    hover_ = false;
    Invalidate();
  };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TComboFlat::DoExit() {
  hover_ = false;
  Invalidate();
  TComboBox::DoExit();
}

void TComboFlat::PaintFlat(TCanvas& Canvas) {
  // Two rings in the face colour hide the sunken frame; the drop-down button gets a thin
  // window-coloured border with a line close to the right edge.
  TRect r = ClientRect();
  Canvas.Brush()->SetStyle(bsClear);
  Canvas.Pen()->SetStyle(psSolid);
  Canvas.Pen()->SetColor(clBtnFace);
  Canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  Canvas.Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  const int button = 17;
  Canvas.Pen()->SetColor(clWindow);
  Canvas.Rectangle(r.Right - button - 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  Canvas.MoveTo(r.Right - 3, r.Top + 2);
  Canvas.LineTo(r.Right - 3, r.Bottom - 2);
}
