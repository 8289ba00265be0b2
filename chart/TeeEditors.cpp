#include "chart/TeeEditors.h"

#include <algorithm>
#include <cmath>

#include "chart/TeeConst.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"

// =======================================================================================
// Cursor names

AnsiString TeeCursorToName(TCursor Cursor) {
  if (Cursor == crTeeHand) return "crTeeHand";
  for (const TIdentMapEntry& e : ui::CursorIdents())
    if (e.Value == Cursor) return e.Name;
  return AnsiString();
}

bool TeeNameToCursor(const AnsiString& Name, TCursor& Cursor) {
  if (Name == "crTeeHand") {
    Cursor = crTeeHand;
    return true;
  }
  for (const TIdentMapEntry& e : ui::CursorIdents())
    if (Name == e.Name) {
      Cursor = static_cast<TCursor>(e.Value);
      return true;
    }
  return false;
}

void FillTeeCursors(TComboBox* Combo, TCursor Current) {
  Combo->Items()->Clear();
  std::vector<AnsiString> names;
  for (const TIdentMapEntry& e : ui::CursorIdents()) names.push_back(e.Name);
  names.push_back("crTeeHand");
  for (const AnsiString& n : names) Combo->Items()->Add(n.substr(0, 2) == "cr" ? n.substr(2) : n);
  const AnsiString current = TeeCursorToName(Current);
  Combo->SetItemIndex(current.empty() ? -1 : Combo->Items()->IndexOf(current.substr(2)));
}

TCursor TeeCursorOfCombo(TComboBox* Combo, TCursor Old) {
  const int i = Combo->ItemIndex();
  if (i < 0) return Old;
  TCursor c = Old;
  return TeeNameToCursor("cr" + Combo->Items()->Strings(i), c) ? c : Old;
}

namespace {

// The editor's form: owned by the form holding Owner (or Owner itself), centred on it.
template <class T>
T* CreateEditorForm(TComponent* Owner) {
  // The form is freed by the caller; the owner only decides where it appears.
  RegisterChartEditorClasses();
  T* form = ui::CreateForm<T>(nullptr);
  form->SetAlign(alNone);
  form->SetPosition(Owner ? poOwnerFormCenter : poScreenCenter);
  form->SetBorderStyle(bsDialog);
  return form;
}

template <class T, class Setup>
bool RunEditor(TComponent* Owner, Setup setup) {
  // OnDestroy runs while the whole form still exists, whichever way the run ends.
  auto done = [](T* f) {
    f->BeforeDestruction();
    delete f;
  };
  std::unique_ptr<T, decltype(done)> form(CreateEditorForm<T>(Owner), done);
  setup(form.get());
  return form->ShowModal() == mrOk;
}

}  // namespace

// =======================================================================================
// TPenDialog

void TPenDialog::Publish(TClassProps<TPenDialog>& P) {
  P.Field("CBVisible", &TPenDialog::CBVisible)
      .Field("SEWidth", &TPenDialog::SEWidth)
      .Field("UDWidth", &TPenDialog::UDWidth)
      .Field("CBStyle", &TPenDialog::CBStyle)
      .Field("CBEndStyle", &TPenDialog::CBEndStyle)
      .Field("BColor", &TPenDialog::BColor)
      .Field("BOk", &TPenDialog::BOk)
      .Field("BCancel", &TPenDialog::BCancel)
      .Handler("FormCreate", &TPenDialog::FormCreate)
      .Handler("FormShow", &TPenDialog::FormShow)
      .Handler("FormClose", &TPenDialog::FormClose)
      .Handler("SEWidthChange", &TPenDialog::SEWidthChange)
      .Handler("CBVisibleClick", &TPenDialog::CBVisibleClick)
      .Handler("CBStyleChange", &TPenDialog::CBStyleChange)
      .Handler("CBEndStyleChange", &TPenDialog::CBEndStyleChange)
      .Handler("CBStyleDrawItem", &TPenDialog::CBStyleDrawItem)
      .Handler("BColorClick", &TPenDialog::BColorClick)
      .Handler("BCancelClick", &TPenDialog::BCancelClick);
}

TPenDialog::~TPenDialog() = default;

void TPenDialog::FormCreate(TObject*) {
  SetBorderStyle(bsDialog);
  UDWidth->SetAssociate(SEWidth);
  for (const char* s : {"Solid", "Dash", "Dot", "Dash Dot", "Dash Dot Dot"}) CBStyle->Items()->Add(s);
  for (const char* s : {"Round", "Square", "Flat"}) CBEndStyle->Items()->Add(s);
}

void TPenDialog::FormShow(TObject*) {
  shown_ = false;
  Modified = false;
  backup_ = std::make_unique<TChartPen>();
  if (ThePen) {
    backup_->TPen::Assign(ThePen);
    if (TChartPen* cp = ChartPen()) {
      backup_->Assign(cp);
      CBVisible->SetChecked(cp->Visible());
      // This system draws dotted lines of every width, so the small dots and end styles are offered.
      CBStyle->Items()->Add(TeeMsg_SmallDots);
      if (cp->SmallDots()) {
        CBStyle->SetItemIndex(CBStyle->Items()->Count() - 1);
        SEWidth->SetEnabled(false);
        UDWidth->SetEnabled(false);
      } else {
        CBStyle->SetItemIndex(std::min<int>(ThePen->Style(), 4));
      }
      CBEndStyle->SetItemIndex(cp->EndStyle());
    } else {
      CBVisible->SetVisible(false);
      CBEndStyle->SetVisible(false);
      CBStyle->SetItemIndex(std::min<int>(ThePen->Style(), 4));
    }
    UDWidth->SetPosition(ThePen->Width());
    BColor->LinkProperty(ThePen, "Color");
  }
  shown_ = true;
}

void TPenDialog::SEWidthChange(TObject*) {
  if (!shown_ || !ThePen) return;
  ThePen->SetWidth(UDWidth->Position());
  Modified = true;
}

void TPenDialog::CBVisibleClick(TObject*) {
  if (!shown_) return;
  if (TChartPen* cp = ChartPen()) cp->SetVisible(CBVisible->Checked());
  Modified = true;
}

void TPenDialog::CBEndStyleChange(TObject*) {
  if (TChartPen* cp = ChartPen()) cp->SetEndStyle(static_cast<TPenEndStyle>(std::max(0, CBEndStyle->ItemIndex())));
  Modified = true;
}

void TPenDialog::BColorClick(TObject*) { Modified = true; }

// Each style is shown as a short line drawn in it, in the pen's colour (white or black
// where that colour would vanish into the item's background), with its name beside it.
void TPenDialog::CBStyleDrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = CBStyle->Canvas();
  c->FillRect(Rect);
  const TColor back = State.Contains(odSelected) ? clHighlight : CBStyle->Color();
  TColor color = ThePen ? ThePen->Color() : clBlack;
  if (ColorToRGB(color) == ColorToRGB(back)) color = ColorToRGB(color) == ColorToRGB(clWhite) ? clBlack : clWhite;
  const bool smallDots = CBStyle->Items()->Count() > 5 && Index == CBStyle->Items()->Count() - 1;
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
  c->Pen()->SetStyle(smallDots ? psAlternate : static_cast<TPenStyle>(std::clamp(Index, 0, 4)));
  c->MoveTo(Rect.Left + 2, Rect.Top + 8);
  c->LineTo(Rect.Left + 30, Rect.Top + 8);
  c->Brush()->SetStyle(bsClear);
  if (Index >= 0 && Index < CBStyle->Items()->Count()) c->TextOut(Rect.Left + 34, Rect.Top + 2, CBStyle->Items()->Strings(Index));
}

void TPenDialog::CBStyleChange(TObject*) {
  if (!ThePen) return;
  TChartPen* cp = ChartPen();
  if (cp && CBStyle->ItemIndex() == CBStyle->Items()->Count() - 1 && CBStyle->Items()->Count() > 5) {
    cp->SetSmallDots(true);
    SEWidth->SetEnabled(false);
    UDWidth->SetEnabled(false);
  } else {
    ThePen->SetStyle(static_cast<TPenStyle>(std::max(0, CBStyle->ItemIndex())));
    if (cp) cp->SetSmallDots(false);
    SEWidth->SetEnabled(true);
    UDWidth->SetEnabled(true);
  }
  Modified = true;
}

void TPenDialog::Restore() {
  if (!Modified || !ThePen || !backup_) return;
  Modified = false;
  if (TChartPen* cp = ChartPen()) {
    cp->Assign(backup_.get());
    if (cp->OnChange) cp->OnChange(cp);
  } else {
    ThePen->Assign(backup_.get());
  }
}

void TPenDialog::BCancelClick(TObject*) {
  Restore();
  SetModalResult(mrCancel);
}

void TPenDialog::FormClose(TObject*, TCloseAction&) {
  // Escape and the window's close box leave as Cancel does.
  if (ModalResult() != mrOk) Restore();
  backup_.reset();
}

bool ShowPenEditor(TComponent* Owner, TPen* Pen, bool HideVisible) {
  return RunEditor<TPenDialog>(Owner, [&](TPenDialog* f) {
    f->ThePen = Pen;
    if (HideVisible) f->CBVisible->SetVisible(false);
  });
}

// =======================================================================================
// TBrushDialog

namespace {

const char* const kBrushItems[] = {"Solid", "None", "Horizontal", "Vertical", "Diagonal", "Back Diagonal", "Cross",
                                   "Diagonal Cross", "Fill 80%", "Fill 60%", "Fill 40%", "Fill 20%", "Fill 10%",
                                   "Zig zag", "Vertical small", "Horiz. small", "Diag. small", "Back Diag. small",
                                   "Cross small", "Diag. Cross small", "Metal", "Wood", "Stone", "Clouds", "Grass",
                                   "Fire", "Snow"};
constexpr int kBrushItemCount = 27;

// One 8x8 pattern (a set bit is a black pixel on white) of items 8..19.
bool PatternPixel(int Item, int X, int Y) {
  switch (Item) {
    case 8: return (X + Y) % 5 != 0;                    // 80 %
    case 9: return (X + 2 * Y) % 5 < 3;                 // 60 %
    case 10: return (X + 2 * Y) % 5 < 2;                // 40 %
    case 11: return (X + 3 * Y) % 5 == 0;               // 20 %
    case 12: return X % 4 == 0 && Y % 3 == 0;           // 10 %
    case 13: return (Y % 4) == (X % 8 < 4 ? X % 4 : 3 - X % 4);  // zig zag
    case 14: return X % 4 == 0;
    case 15: return Y % 4 == 0;
    case 16: return (X + Y) % 4 == 0;
    case 17: return (X - Y + 8) % 4 == 0;
    case 18: return X % 4 == 0 || Y % 4 == 0;
    case 19: return (X + Y) % 4 == 0 || (X - Y + 8) % 4 == 0;
    default: return false;
  }
}

// The pictures of items 20..26, painted: a base colour with a grain of its own.
void PaintPicture(int Item, TBitmap& B) {
  struct Look {
    TColor a, b;
    int kind;
  };
  const Look looks[] = {{0xB0B0B0, 0x707070, 0}, {0x2060A0, 0x104070, 1}, {0x909090, 0x505050, 2}, {0xFFE0C0, 0xFFFFFF, 3},
                        {0x30A030, 0x106010, 1}, {0x0040FF, 0x00C0FF, 0}, {0xFFFFFF, 0xE0E0E0, 2}};
  const Look& l = looks[std::clamp(Item - 20, 0, 6)];
  B.SetSize(32, 32);
  unsigned seed = 12345u + static_cast<unsigned>(Item);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) % 100);
      double t = 0;
      switch (l.kind) {
        case 0: t = y / 31.0; break;                                  // brushed sheen
        case 1: t = 0.5 + 0.5 * std::sin(x * 0.6 + std::sin(y * 0.3) * 2); break;  // grain
        case 2: t = noise / 100.0; break;                             // speckle
        default: t = 0.5 + 0.5 * std::sin(x * 0.25) * std::cos(y * 0.2); break;  // soft clouds
      }
      auto ch = [&](int shift) {
        const int a = (l.a >> shift) & 0xFF, b = (l.b >> shift) & 0xFF;
        return static_cast<int>(a + (b - a) * t) & 0xFF;
      };
      B.Canvas()->SetPixel(x, y, TColor(ch(0) | (ch(8) << 8) | (ch(16) << 16)));
    }
}

}  // namespace

void TBrushDialog::PatternOfItem(int Index, TBitmap& Into) {
  if (Index >= 20) {
    PaintPicture(Index, Into);
    return;
  }
  Into.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) Into.Canvas()->SetPixel(x, y, PatternPixel(Index, x, y) ? clBlack : clWhite);
}

void TBrushDialog::Publish(TClassProps<TBrushDialog>& P) {
  P.Field("LStyle", &TBrushDialog::LStyle)
      .Field("BColor", &TBrushDialog::BColor)
      .Field("GroupBox1", &TBrushDialog::GroupBox1)
      .Field("Image1", &TBrushDialog::Image1)
      .Field("Button1", &TBrushDialog::Button1)
      .Field("Button2", &TBrushDialog::Button2)
      .Field("Button3", &TBrushDialog::Button3)
      .Handler("FormShow", &TBrushDialog::FormShow)
      .Handler("FormClose", &TBrushDialog::FormClose)
      .Handler("LStyleClick", &TBrushDialog::LStyleClick)
      .Handler("LStyleDrawItem", &TBrushDialog::LStyleDrawItem)
      .Handler("Button1Click", &TBrushDialog::Button1Click)
      .Handler("Button3Click", &TBrushDialog::Button3Click);
}

TBrushDialog::~TBrushDialog() = default;

void TBrushDialog::FormShow(TObject*) {
  LStyle->Items()->Clear();
  for (int i = 0; i < kBrushItemCount; ++i) LStyle->Items()->Add(kBrushItems[i]);
  restored_ = false;
  if (!TheBrush) return;
  backup_ = std::make_unique<TChartBrush>();
  backup_->Assign(TheBrush);
  LStyle->SetItemIndex(TheBrush->HasImage() ? -1 : TheBrush->Style());
  BColor->LinkProperty(TheBrush, "Color");
  RefreshImage();
}

void TBrushDialog::RefreshImage() {
  const bool image = TheBrush && TheBrush->HasImage();
  Button1->Tag = image ? 1 : 0;
  Button1->SetText(image ? TeeMsg_ClearImage : TeeMsg_BrowseImage);
  if (image) Image1->Picture()->Assign(TheBrush->Image());
  else Image1->Picture()->SetGraphic(nullptr);
  BColor->SetEnabled(TheBrush && TheBrush->Style() != bsClear);
}

void TBrushDialog::LStyleClick(TObject*) {
  if (!TheBrush) return;
  const int i = LStyle->ItemIndex();
  if (i < 0) return;
  if (i <= 7) {
    TheBrush->SetStyle(static_cast<TBrushStyle>(i));
    TheBrush->SetImage(nullptr);
  } else {
    TBitmap b;
    PatternOfItem(i, b);
    TPicture p;
    p.SetGraphic(&b);
    TheBrush->SetImage(&p);
  }
  RefreshImage();
}

// Each fill is shown as a small black-on-white swatch beside its name ("None" has none).
void TBrushDialog::LStyleDrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
  TCanvas* c = LStyle->Canvas();
  c->FillRect(Rect);
  const TColor back = c->Brush()->Color();
  if (Index != 1) {
    const TRect r(Rect.Left + 2, Rect.Top + 2, Rect.Left + 16, Rect.Bottom - 2);
    if (Index >= 8) {
      TBitmap b;
      PatternOfItem(Index, b);
      c->StretchDraw(r, &b);
    } else {
      c->Brush()->SetColor(clWhite);
      c->Brush()->SetStyle(bsSolid);
      c->FillRect(r);
      c->Brush()->SetColor(clBlack);
      c->Brush()->SetStyle(static_cast<TBrushStyle>(Index));
      c->SetBkMode(TRANSPARENT);
      c->FillRect(r);
    }
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(back);
  c->SetBkMode(TRANSPARENT);
  if (Index >= 0 && Index < LStyle->Items()->Count()) c->TextOut(Rect.Left + 20, Rect.Top + 1, LStyle->Items()->Strings(Index));
}

void TBrushDialog::Button1Click(TObject*) {
  if (!TheBrush) return;
  LStyle->SetItemIndex(TheBrush->Style());
  if (Button1->Tag == 1) {
    TheBrush->SetImage(nullptr);
  } else {
    ui::DialogRequest r;
    r.Kind = ui::DialogKind::OpenFile;
    r.Filter = "Pictures|*.bmp;*.png;*.jpg;*.jpeg|All files|*.*";
    if (ui::DialogService::ExecuteFileDialog(r)) {
      TPicture p;
      try {
        p.LoadFromFile(r.FileName);
      } catch (const Exception& e) {
        MessageDlg(e.Message(), mtError, {mbOK});
        return;
      }
      TheBrush->SetImage(&p);
    }
  }
  RefreshImage();
}

void TBrushDialog::Button3Click(TObject*) {
  if (TheBrush && backup_) TheBrush->Assign(backup_.get());
  restored_ = true;
  SetModalResult(mrCancel);
}

void TBrushDialog::FormClose(TObject*, TCloseAction&) {
  if (ModalResult() != mrOk && !restored_ && TheBrush && backup_) TheBrush->Assign(backup_.get());
  backup_.reset();
}

bool ShowBrushEditor(TComponent* Owner, TChartBrush* Brush) {
  return RunEditor<TBrushDialog>(Owner, [&](TBrushDialog* f) { f->TheBrush = Brush; });
}

// =======================================================================================
// TTeeGradientEditor

const std::vector<TGradientPreset>& GradientPresets() {
  static const std::vector<TGradientPreset> p = {
      {"Caribe Sun", 0xDDDFD2, 0xF50A97, 0x0B80F4, 50, gdTopBottom}, {"Business", 0xC0C0C0, 0xFFFFFF, 0x808080, 50, gdTopBottom},
      {"Hot", 0x0000FF, clNone, 0x00FFFF, 50, gdTopBottom},           {"Ace", 0x000000, 0xFF8080, 0x000000, 74, gdBottomTop},
      {"Farm", 0x006AD5, 0xFFFFFF, 0x0062C4, 4, gdBottomTop},         {"Sea", 0xFFFF80, 0xFF8080, 0x800000, 55, gdBottomTop},
      {"Night", 0xFFFFFF, 0x800040, 0x000000, 40, gdTopBottom},       {"Space", 0xA50320, 0x800040, 0xFFFFFF, 50, gdFromTopLeft},
      {"Golf", 0x159902, 0xC0C0C0, 0xD9F986, 50, gdTopBottom},        {"Funky", 0xBD3881, 0x87607A, 0x52EB85, 50, gdTopBottom},
      {"Sunset", 0xB85A06, 0xA7D8AF, 0x001042, 50, gdTopBottom},      {"Rainbow", 0xA11EE8, 0x0F8355, 0xDD011A, 50, gdTopBottom},
      {"Pastel", 0x247489, 0x9491F6, 0xFD8B9D, 50, gdTopBottom},      {"Tropical", 0x9A414B, 0x732FF3, 0x20D761, 50, gdTopBottom},
      {"Sea 2", 0x4C031C, 0xBACBE1, 0x291EF9, 50, gdTopBottom},       {"Desert", 0x265FB7, 0xCE7185, 0x604457, 50, gdTopBottom},
      {"Clear day", 0xFFF3EA, 0xE0E6E9, 0xCEDBFF, 50, gdTopBottom}};
  return p;
}

void TPreviewGradient::Paint() {
  TCanvas* c = Canvas();
  const TRect r(0, 0, Width(), Height());
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  if (!gradient_.Visible()) return;
  TTeeCanvas3D t;
  t.SetCanvas(c);
  gradient_.Draw(&t, r);
}

void TTeeGradientEditor::Publish(TClassProps<TTeeGradientEditor>& P) {
  using E = TTeeGradientEditor;
  P.Field("PageControl1", &E::PageControl1)
      .Field("TabDefault", &E::TabDefault)
      .Field("Gallery", &E::Gallery)
      .Field("BStart", &E::BStart)
      .Field("BMid", &E::BMid)
      .Field("BEnd", &E::BEnd)
      .Field("CBMid", &E::CBMid)
      .Field("BSwap", &E::BSwap)
      .Field("SBBalance", &E::SBBalance)
      .Field("LabelBalance", &E::LabelBalance)
      .Field("TrackBar1", &E::TrackBar1)
      .Field("TrackBar2", &E::TrackBar2)
      .Field("LRadialX", &E::LRadialX)
      .Field("LRadialY", &E::LRadialY)
      .Field("Label2", &E::Label2)
      .Field("Label3", &E::Label3)
      .Field("CBVisible", &E::CBVisible)
      .Field("CBDirection", &E::CBDirection)
      .Field("BOk", &E::BOk)
      .Field("BCancel", &E::BCancel)
      .Handler("FormCreate", &E::FormCreate)
      .Handler("FormShow", &E::FormShow)
      .Handler("FormClose", &E::FormClose)
      .Handler("FormDestroy", &E::FormDestroy)
      .Handler("CBVisibleClick", &E::CBVisibleClick)
      .Handler("CBDirectionChange", &E::CBDirectionChange)
      .Handler("BSwapClick", &E::BSwapClick)
      .Handler("CBMidClick", &E::CBMidClick)
      .Handler("BMidClick", &E::BMidClick)
      .Handler("BStartClick", &E::BStartClick)
      .Handler("BEndClick", &E::BEndClick)
      .Handler("TrackBar1Change", &E::TrackBar1Change)
      .Handler("TrackBar2Change", &E::TrackBar2Change)
      .Handler("SBBalanceChange", &E::SBBalanceChange)
      .Handler("GalleryClick", &E::GalleryClick)
      .Handler("BCancelClick", &E::BCancelClick);
}

TTeeGradientEditor::~TTeeGradientEditor() = default;

void TTeeGradientEditor::FormCreate(TObject*) {
  SetBorderStyle(bsDialog);
  Preview = new TPreviewGradient(this);
  Preview->SetParent(TabDefault);
  Preview->SetBounds(146, 6, 150, 140);
  for (const TGradientPreset& p : GradientPresets()) Gallery->Items()->Add(p.Name);
  for (const char* d : {"Top Bottom", "Bottom Top", "Left Right", "Right Left", "From Center", "From Top Left",
                        "From Bottom Left", "Radial", "Diagonal Up", "Diagonal Down"})
    CBDirection->Items()->Add(d);
}

void TTeeGradientEditor::FormShow(TObject*) {
  if (auto* g = reinterpret_cast<TCustomTeeGradient*>(gradient_tag_)) SetGradient(g);
  Modified = false;
}

void TTeeGradientEditor::SetGradient(TCustomTeeGradient* Gradient) {
  Loading = true;
  TheGradient = Gradient;
  backup_ = std::make_unique<TTeeGradient>();
  backup_->Assign(Gradient);
  BStart->LinkProperty(Gradient, "StartColor");
  BMid->LinkProperty(Gradient, "MidColor");
  BEnd->LinkProperty(Gradient, "EndColor");
  RefreshControls();
  CheckEnabled();
  UpdatePreview();
  Loading = false;
}

void TTeeGradientEditor::RefreshControls() {
  if (!TheGradient) return;
  const bool was = Loading;
  Loading = true;
  SBBalance->SetPosition(TheGradient->Balance());
  LabelBalance->SetCaption(FormatFloat(TeeMsg_DefPercentFormat, TheGradient->Balance()));
  CBVisible->SetChecked(TheGradient->Visible());
  CBDirection->SetItemIndex(TheGradient->Direction());
  CBMid->SetChecked(TheGradient->MidColor() == clNone);
  TrackBar1->SetPosition(TheGradient->RadialX());
  TrackBar2->SetPosition(TheGradient->RadialY());
  LRadialX->SetCaption(IntToStr(TheGradient->RadialX()));
  LRadialY->SetCaption(IntToStr(TheGradient->RadialY()));
  for (TButtonColor* b : {BStart, BMid, BEnd}) b->Invalidate();
  Loading = was;
}

void TTeeGradientEditor::CheckEnabled() {
  if (!TheGradient) return;
  const bool on = HideEnd || TheGradient->Visible();
  for (TControl* c : std::initializer_list<TControl*>{CBDirection, BStart, CBMid, BMid, BEnd, BSwap, Gallery}) c->SetEnabled(on);
  const TGradientDirection d = TheGradient->Direction();
  const bool middle = on && d != gdFromCenter && d != gdFromTopLeft && d != gdFromBottomLeft && d != gdRadial;
  CBMid->SetEnabled(middle);
  BMid->SetEnabled(middle);
  const bool radial = d == gdRadial;
  for (TControl* c : std::initializer_list<TControl*>{Label2, Label3, LRadialX, LRadialY, TrackBar1, TrackBar2}) c->SetEnabled(radial);
}

void TTeeGradientEditor::UpdatePreview() {
  if (!TheGradient || !Preview) return;
  TTeeGradient* p = Preview->Gradient();
  p->SetVisible(TheGradient->Visible());
  p->SetDirection(TheGradient->Direction());
  p->SetStartColor(TheGradient->StartColor());
  p->SetMidColor(TheGradient->MidColor());
  p->SetEndColor(TheGradient->EndColor());
  p->SetBalance(TheGradient->Balance());
  Preview->Invalidate();
}

void TTeeGradientEditor::CBVisibleClick(TObject*) {
  if (Loading || !TheGradient) return;
  TheGradient->SetVisible(CBVisible->Checked());
  Modified = true;
  CheckEnabled();
  UpdatePreview();
}

void TTeeGradientEditor::CBDirectionChange(TObject*) {
  if (Loading || !TheGradient || CBDirection->ItemIndex() < 0) return;
  TheGradient->SetDirection(static_cast<TGradientDirection>(CBDirection->ItemIndex()));
  Modified = true;
  CheckEnabled();
  if (CBDirection->ItemIndex() > 3) Gallery->SetItemIndex(-1);
  UpdatePreview();
}

void TTeeGradientEditor::BSwapClick(TObject*) {
  if (!TheGradient) return;
  const TColor s = TheGradient->StartColor();
  TheGradient->SetStartColor(TheGradient->EndColor());
  TheGradient->SetEndColor(s);
  Modified = true;
  BStart->Invalidate();
  BEnd->Invalidate();
  UpdatePreview();
}

void TTeeGradientEditor::CBMidClick(TObject*) {
  if (Loading || !TheGradient) return;
  if (CBMid->Checked()) {
    TheGradient->SetMidColor(clNone);
  } else if (TheGradient->MidColor() == clNone) {
    TheGradient->SetMidColor(clWhite);
  }
  Modified = true;
  BMid->Invalidate();
  UpdatePreview();
}

void TTeeGradientEditor::BMidClick(TObject*) {
  Modified = true;
  Loading = true;
  CBMid->SetChecked(TheGradient && TheGradient->MidColor() == clNone);
  Loading = false;
  UpdatePreview();
}

void TTeeGradientEditor::BStartClick(TObject*) {
  Modified = true;
  UpdatePreview();
}

void TTeeGradientEditor::BEndClick(TObject*) {
  Modified = true;
  UpdatePreview();
}

void TTeeGradientEditor::TrackBar1Change(TObject*) {
  if (Loading || !TheGradient) return;
  TheGradient->SetRadialX(TrackBar1->Position());
  LRadialX->SetCaption(IntToStr(TrackBar1->Position()));
  Modified = true;
}

void TTeeGradientEditor::TrackBar2Change(TObject*) {
  if (Loading || !TheGradient) return;
  TheGradient->SetRadialY(TrackBar2->Position());
  LRadialY->SetCaption(IntToStr(TrackBar2->Position()));
  Modified = true;
}

void TTeeGradientEditor::SBBalanceChange(TObject*) {
  if (Loading || !TheGradient) return;
  TheGradient->SetBalance(SBBalance->Position());
  LabelBalance->SetCaption(FormatFloat(TeeMsg_DefPercentFormat, SBBalance->Position()));
  Modified = true;
  UpdatePreview();
}

void TTeeGradientEditor::GalleryClick(TObject*) {
  const int i = Gallery->ItemIndex();
  if (!TheGradient || i < 0 || i >= static_cast<int>(GradientPresets().size())) return;
  const TGradientPreset& p = GradientPresets()[static_cast<size_t>(i)];
  TheGradient->SetStartColor(p.Start);
  TheGradient->SetMidColor(p.Middle);
  TheGradient->SetEndColor(p.End);
  TheGradient->SetDirection(p.Direction);
  TheGradient->SetBalance(p.Balance);
  // A preset changes the gradient as much as any other control: Cancel must undo it.
  Modified = true;
  RefreshControls();
  CheckEnabled();
  UpdatePreview();
}

void TTeeGradientEditor::Restore() {
  if (!Modified || !TheGradient || !backup_) return;
  Modified = false;
  TheGradient->Assign(backup_.get());  // fires the gradient's change notification
}

void TTeeGradientEditor::BCancelClick(TObject*) {
  Restore();
  SetModalResult(mrCancel);
}

void TTeeGradientEditor::FormClose(TObject*, TCloseAction&) {
  // Escape and the close box leave as Cancel does.
  if (ModalResult() != mrOk) Restore();
}

void TTeeGradientEditor::FormDestroy(TObject*) { backup_.reset(); }

bool ShowGradientEditor(TComponent* Owner, TCustomTeeGradient* Gradient, bool HideEnd, bool HideVisible) {
  return RunEditor<TTeeGradientEditor>(Owner, [&](TTeeGradientEditor* f) {
    f->SetGradientTag(Gradient);
    f->HideEnd = HideEnd;
    if (HideEnd) {
      f->BEnd->SetVisible(false);
      f->BSwap->SetVisible(false);
    }
    if (HideVisible) f->CBVisible->SetVisible(false);
  });
}

// =======================================================================================
// TButtonPen

void TButtonPen::LinkPen(TChartPen* Pen) {
  pen_ = Pen;
  Invalidate();
}

void TButtonPen::Click() {
  if (pen_ && ShowPenEditor(this, pen_, HideVisible)) Invalidate();
  TTeeButton::Click();
}

void TButtonPen::DrawSymbol(TCanvas& C) {
  if (!Enabled() || !pen_) return;
  C.Brush()->SetStyle(bsClear);
  C.Pen()->SetColor(pen_->Color());
  C.Pen()->SetStyle(pen_->Visible() ? pen_->Style() : psClear);
  C.Pen()->SetWidth(std::min(6, std::max(1, pen_->Width())));
  C.MoveTo(Width() - 17, Height() / 2);
  C.LineTo(Width() - 6, Height() / 2);
}

// =======================================================================================
// Registration

void RegisterChartEditorClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    if (!FindClass("TTeeButton")) RegisterClass<TTeeButton, TButton>("TTeeButton");
    if (!FindClass("TButtonColor")) RegisterClass<TButtonColor, TTeeButton>("TButtonColor");
    if (!FindClass("TButtonPen")) RegisterClass<TButtonPen, TTeeButton>("TButtonPen");
    if (!FindClass("TComboFlat")) RegisterClass<TComboFlat, TComboBox>("TComboFlat");
    return true;
  }();
  (void)done;
}
