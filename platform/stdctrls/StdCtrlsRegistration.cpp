#include "platform/stdctrls/StdCtrlsRegistration.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/stdctrls/ToolCtrls.h"
#include "platform/ui/UiStreaming.h"

namespace {

using streaming::detail::Cast;

int Checked(int64_t v, int64_t Low, int64_t High, const char* What) {
  if (v < Low || v > High) throw EReadError(AnsiString(What) + " " + std::to_string(v) + " is out of range");
  return static_cast<int>(v);
}

// An int property whose setter takes int: the stored value is range-checked first, so a
// corrupt resource gives a clear error rather than a silently truncated number.
template <class T, class R>
auto IntSetter(void (T::*Set)(R), const char* What, int64_t Low = INT_MIN, int64_t High = INT_MAX) {
  return [Set, What, Low, High](T* o, int64_t v) { (o->*Set)(static_cast<R>(Checked(v, Low, High, What))); };
}

// A string property that is read but never written, because another property stores the
// same thing (a memo's Text is its Lines).
template <class T>
class ReadOnlyStrProp final : public TPropInfo {
 public:
  ReadOnlyStrProp(const char* Name, std::function<AnsiString(T*)> Get, std::function<void(T*, const AnsiString&)> Set)
      : TPropInfo(Name, TPropKind::String), get_(std::move(Get)), set_(std::move(Set)) {}
  AnsiString GetStr(TObject* o) const override { return get_(Cast<T>(o)); }
  void SetStr(TObject* o, const AnsiString& v) const override { set_(Cast<T>(o), v); }
  bool IsStored(TObject*) const override { return false; }

 private:
  std::function<AnsiString(T*)> get_;
  std::function<void(T*, const AnsiString&)> set_;
};

// A control property read from old resources but not written, because the container
// decides it (a page's bounds and visibility follow its notebook or page control).
template <class T>
class ReadOnlyOrdProp final : public TPropInfo {
 public:
  ReadOnlyOrdProp(const char* Name, TPropKind Kind, std::function<int64_t(T*)> Get, std::function<void(T*, int64_t)> Set,
                  std::vector<AnsiString> Names = {})
      : TPropInfo(Name, Kind), get_(std::move(Get)), set_(std::move(Set)) {
    names_ = std::move(Names);
  }
  int64_t GetOrd(TObject* o) const override { return get_(Cast<T>(o)); }
  void SetOrd(TObject* o, int64_t v) const override { set_(Cast<T>(o), v); }
  bool IsStored(TObject*) const override { return false; }

 private:
  std::function<int64_t(T*)> get_;
  std::function<void(T*, int64_t)> set_;
};

// Bounds, Align and Visible of a page: read, never written.
void PlacedByContainer(TStreamClass& Class) {
  using C = TControl;
  auto bound = [](const char* name, int (C::*get)() const, void (C::*set)(int)) {
    return std::make_unique<ReadOnlyOrdProp<C>>(
        name, TPropKind::Integer, [get](C* c) -> int64_t { return (c->*get)(); },
        [set, name](C* c, int64_t v) { (c->*set)(Checked(v, INT_MIN, INT_MAX, name)); });
  };
  Class.AddProp(bound("Left", &C::Left, &C::SetLeft));
  Class.AddProp(bound("Top", &C::Top, &C::SetTop));
  Class.AddProp(bound("Width", &C::Width, &C::SetWidth));
  Class.AddProp(bound("Height", &C::Height, &C::SetHeight));
  Class.AddProp(std::make_unique<ReadOnlyOrdProp<C>>(
      "Visible", TPropKind::Boolean, [](C* c) -> int64_t { return c->Visible(); }, [](C*, int64_t) {}));
  Class.AddProp(std::make_unique<ReadOnlyOrdProp<C>>(
      "Align", TPropKind::Enum, [](C* c) -> int64_t { return c->Align(); }, [](C*, int64_t) {},
      std::vector<AnsiString>{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}));
}

const std::initializer_list<const char*> kAlignment = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::initializer_list<const char*> kScrollStyle = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

template <class T>
void Caption(TClassProps<T>& P) {
  P.String("Caption", &TControl::Caption, &TControl::SetCaption);
}
template <class T>
void TabStop(TClassProps<T>& P, bool Default) {
  P.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default);
}

// ---- pictures: "Glyph.Data" and "Picture.Data" ----
//
// A bitmap is stored as its byte count (32-bit, little endian) followed by a BMP file; a
// picture prefixes that with the graphic's class name as a short string.

void ReadBitmapData(TStream& S, TBitmap& B) {
  uint8_t len[4];
  S.ReadBuffer(len, 4);
  const uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
  if (static_cast<int64_t>(n) > S.Size() - S.Position()) throw EReadError("Bitmap data is truncated");
  std::vector<uint8_t> bytes(n);
  if (n > 0) S.ReadBuffer(bytes.data(), n);
  QImage img;
  if (n == 0 || !img.loadFromData(bytes.data(), static_cast<int>(n), "BMP"))
    throw EReadError("Bitmap data is not a readable picture");
  B.SetSize(img.width(), img.height());
  QImage& dest = B.impl().image;
  const QImage conv = img.convertToFormat(dest.format());
  const size_t line = static_cast<size_t>(std::min(conv.bytesPerLine(), dest.bytesPerLine()));
  for (int y = 0; y < img.height(); ++y) std::memcpy(B.ScanLine(y), conv.constScanLine(y), line);
}

void WriteBitmapData(TStream& S, TBitmap& B) {
  QByteArray ba;
  QBuffer buf(&ba);
  buf.open(QIODevice::WriteOnly);
  if (!B.impl().image.save(&buf, "BMP")) throw EWriteError("Bitmap could not be stored");
  const auto n = static_cast<uint32_t>(ba.size());
  const uint8_t len[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                          static_cast<uint8_t>(n >> 24)};
  S.WriteBuffer(len, 4);
  S.WriteBuffer(ba.constData(), n);
}

void RegisterPictures() {
  RegisterClass<TBitmap, TPersistent>("TBitmap").DefineProperties([](TBitmap* b, TFiler& F) {
    F.DefineBinaryProperty(
        "Data", [b](TStream& S) { ReadBitmapData(S, *b); }, [b](TStream& S) { WriteBitmapData(S, *b); }, !b->Empty());
  });
  RegisterClass<TPicture, TPersistent>("TPicture").DefineProperties([](TPicture* p, TFiler& F) {
    auto* bitmap = dynamic_cast<TBitmap*>(p->Graphic());
    F.DefineBinaryProperty(
        "Data",
        [p](TStream& S) {
          uint8_t len = 0;
          S.ReadBuffer(&len, 1);
          std::string cls(len, '\0');
          if (len > 0) S.ReadBuffer(cls.data(), len);
          if (cls != "TBitmap") throw EReadError("Pictures of class " + AnsiString(cls) + " are not supported");
          TBitmap b;
          ReadBitmapData(S, b);
          p->SetGraphic(&b);
        },
        [bitmap](TStream& S) {
          const char cls[] = "TBitmap";
          const uint8_t len = sizeof cls - 1;
          S.WriteBuffer(&len, 1);
          S.WriteBuffer(cls, len);
          WriteBitmapData(S, *bitmap);
        },
        bitmap != nullptr && !bitmap->Empty());
  });
}

void RegisterGraphicsObjects() {
  RegisterClass<TPen, TPersistent>("TPen")
      .Int("Color", &TPen::Color, &TPen::SetColor, clBlack, &ui::ColorIdents())
      .Enum("Mode", &TPen::Mode, &TPen::SetMode,
            {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
             "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"},
            pmCopy)
      .Enum("Style", &TPen::Style, &TPen::SetStyle,
            {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame", "psAlternate"}, psSolid)
      .Int("Width", &TPen::Width, IntSetter(&TPen::SetWidth, "Pen width", 0), 1);
  RegisterClass<TBrush, TPersistent>("TBrush")
      .Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite, &ui::ColorIdents())
      .Enum("Style", &TBrush::Style, &TBrush::SetStyle,
            {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"},
            bsSolid);
}

// ---- standard controls ----

void RegisterStdCtrls() {
  auto label = RegisterClass<TLabel, TGraphicControl>("TLabel");
  label.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, kAlignment, taLeftJustify)
      .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
      .Component("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
      .Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, {"tlTop", "tlCenter", "tlBottom"}, tlTop)
      .Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true)
      .Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
      .Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false);

  auto edit = RegisterClass<TCustomEdit, TWinControl>("TCustomEdit");
  ui::PublishColor(edit.Class(), clWindow);
  TabStop(edit, true);
  edit.String("Text", &TControl::Text, [](TCustomEdit* e, const AnsiString& v) { e->SetText(v); })
      .Enum("Alignment", &TCustomEdit::Alignment, &TCustomEdit::SetAlignment, kAlignment, taLeftJustify)
      .Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
      .Enum("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, {"bsNone", "bsSingle"}, bsSingleBorder)
      .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, {"ecNormal", "ecUpperCase", "ecLowerCase"}, ecNormal)
      .Int("MaxLength", &TCustomEdit::MaxLength, IntSetter(&TCustomEdit::SetMaxLength, "MaxLength", 0), 0)
      .Int("PasswordChar", [](TCustomEdit* e) -> int64_t { return static_cast<uint8_t>(e->PasswordChar()); },
           [](TCustomEdit* e, int64_t v) { e->SetPasswordChar(static_cast<char>(Checked(v, 0, 255, "PasswordChar"))); }, 0)
      .Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
      .Event("OnChange", &TCustomEdit::OnChange);
  RegisterClass<TEdit, TCustomEdit>("TEdit");
  RegisterClass<TMaskEdit, TCustomEdit>("TMaskEdit").String("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask);
  auto memo = RegisterClass<TMemo, TCustomEdit>("TMemo");
  memo.Class().AddProp(std::make_unique<ReadOnlyStrProp<TMemo>>(
      "Text", [](TMemo* m) { return m->Text(); }, [](TMemo* m, const AnsiString& v) { m->SetText(v); }));
  memo.Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, false)
      .Strings("Lines", &TMemo::Lines)
      .Enum("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars, kScrollStyle, 0)
      .Bool("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns, true)
      .Bool("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs, false)
      .Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true);

  auto button = RegisterClass<TButton, TWinControl>("TButton");
  Caption(button);
  TabStop(button, true);
  button.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
      .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
      .Int("ModalResult", &TButton::ModalResult, IntSetter(&TButton::SetModalResult, "ModalResult"), mrNone);

  // A stock kind brings its own caption and modal result; those read before it stand.
  RegisterClass<TBitBtn, TButton>("TBitBtn")
      .Object("Glyph", &TBitBtn::Glyph)
      .Enum("Kind", &TBitBtn::Kind,
            [](TBitBtn* b, TBitBtnKind v) {
              const AnsiString caption = b->Caption();
              const TModalResult result = b->ModalResult();
              b->SetKind(v);
              if (!b->HasState(csReading)) return;
              if (!caption.empty()) b->SetCaption(caption);
              if (result != mrNone) b->SetModalResult(result);
            },
            {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"},
            bkCustom)
      .Enum("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout, {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"},
            blGlyphLeft)
      .Int("Margin", &TBitBtn::Margin, IntSetter(&TBitBtn::SetMargin, "Margin"), -1)
      .Int("NumGlyphs", &TBitBtn::NumGlyphs, IntSetter(&TBitBtn::SetNumGlyphs, "NumGlyphs", 1, 4), 1)
      .Int("Spacing", &TBitBtn::Spacing, IntSetter(&TBitBtn::SetSpacing, "Spacing"), 4);

  RegisterClass<TSpeedButton, TGraphicControl>("TSpeedButton")
      .Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
      .Int("GroupIndex", &TSpeedButton::GroupIndex, IntSetter(&TSpeedButton::SetGroupIndex, "GroupIndex"), 0)
      .Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
      .Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
      .Object("Glyph", &TSpeedButton::Glyph)
      .Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout,
            {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, blGlyphLeft)
      .Int("Margin", &TSpeedButton::Margin, IntSetter(&TSpeedButton::SetMargin, "Margin"), -1)
      .Int("NumGlyphs", &TSpeedButton::NumGlyphs, IntSetter(&TSpeedButton::SetNumGlyphs, "NumGlyphs", 1, 4), 1)
      .Int("Spacing", &TSpeedButton::Spacing, IntSetter(&TSpeedButton::SetSpacing, "Spacing"), 4);

  auto check = RegisterClass<TCheckBox, TWinControl>("TCheckBox");
  Caption(check);
  TabStop(check, true);
  check.Enum("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment, kAlignment, taRightJustify)
      .Bool("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false)
      .Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
      .Enum("State", &TCheckBox::State, &TCheckBox::SetState, {"cbUnchecked", "cbChecked", "cbGrayed"}, cbUnchecked);

  auto radio = RegisterClass<TRadioButton, TWinControl>("TRadioButton");
  Caption(radio);
  TabStop(radio, true);
  radio.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false);

  auto group = RegisterClass<TGroupBox, TWinControl>("TGroupBox");
  Caption(group);

  auto combo = RegisterClass<TComboBox, TWinControl>("TComboBox");
  ui::PublishColor(combo.Class(), clWindow);
  TabStop(combo, true);
  combo.Enum("Style", &TComboBox::Style, &TComboBox::SetStyle,
             {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}, csDropDown)
      .Int("DropDownCount", &TComboBox::DropDownCount, IntSetter(&TComboBox::SetDropDownCount, "DropDownCount", 0), 8)
      .Int("MaxLength", &TComboBox::MaxLength, IntSetter(&TComboBox::SetMaxLength, "MaxLength", 0), 0)
      .Bool("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, false)
      .Strings("Items", &TComboBox::Items)
      .Int("ItemIndex", &TComboBox::ItemIndex, IntSetter(&TComboBox::SetItemIndex, "ItemIndex"), -1)
      .String("Text", &TControl::Text, [](TComboBox* c, const AnsiString& v) { c->SetText(v); })
      .Event("OnChange", &TComboBox::OnChange)
      .Event("OnDropDown", &TComboBox::OnDropDown)
      .Event("OnCloseUp", &TComboBox::OnCloseUp)
      .Int("ItemHeight", &TComboBox::ItemHeight, IntSetter(&TComboBox::SetItemHeight, "ItemHeight", 1), 16)
      .Event("OnDrawItem", &TComboBox::OnDrawItem);

  auto list = RegisterClass<TListBox, TWinControl>("TListBox");
  ui::PublishColor(list.Class(), clWindow);
  TabStop(list, true);
  list.Int("ItemHeight", &TListBox::ItemHeight, IntSetter(&TListBox::SetItemHeight, "ItemHeight", 0), 13)
      .Bool("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect, false)
      .Bool("Sorted", &TListBox::Sorted, &TListBox::SetSorted, false)
      .Strings("Items", &TListBox::Items)
      .Int("ItemIndex", &TListBox::ItemIndex, IntSetter(&TListBox::SetItemIndex, "ItemIndex"), -1)
      .Enum("Style", &TListBox::Style, &TListBox::SetStyle, {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"},
            lbStandard)
      .Event("OnDrawItem", &TListBox::OnDrawItem);
}

// ---- panels and pictures ----

void RegisterExtCtrls() {
  const std::initializer_list<const char*> bevels = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
  RegisterClass<TPanel, TCustomControl>("TPanel")
      .Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, kAlignment, taCenter)
      .Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, bevels, bvNone)
      .Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, bevels, bvRaised)
      .Int("BevelWidth", &TPanel::BevelWidth, IntSetter(&TPanel::SetBevelWidth, "BevelWidth", 1), 1)
      .Enum("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle, {"bsNone", "bsSingle"}, bsNoBorder)
      .Int("BorderWidth", &TPanel::BorderWidth, IntSetter(&TPanel::SetBorderWidth, "BorderWidth", 0), 0);
  RegisterClass<TBevel, TGraphicControl>("TBevel")
      .Enum("Shape", &TBevel::Shape, &TBevel::SetShape,
            {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"}, bsBox)
      .Enum("Style", &TBevel::Style, &TBevel::SetStyle, {"bsLowered", "bsRaised"}, bsLowered);
  RegisterClass<TShape, TGraphicControl>("TShape")
      .Object("Brush", &TShape::Brush)
      .Object("Pen", &TShape::Pen)
      .Enum("Shape", &TShape::Shape, &TShape::SetShape,
            {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}, stRectangle);
  RegisterClass<TImage, TGraphicControl>("TImage")
      .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
      .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
      .Object("Picture", &TImage::Picture)
      .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
      .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
  RegisterClass<TPaintBox, TGraphicControl>("TPaintBox").Event("OnPaint", &TPaintBox::OnPaint);
  // The radio buttons are made from Items, so they are not stored as children.
  auto radios = RegisterClass<TRadioGroup, TGroupBox>("TRadioGroup");
  TabStop(radios, true);
  radios.Int("Columns", &TRadioGroup::Columns, IntSetter(&TRadioGroup::SetColumns, "Columns", 1, 16), 1)
      .Strings("Items", &TRadioGroup::Items)
      .Int("ItemIndex", &TRadioGroup::ItemIndex, IntSetter(&TRadioGroup::SetItemIndex, "ItemIndex"), -1)
      .ChildrenHook([](TRadioGroup* g, TComponent* root) {
        std::vector<TComponent*> out;
        for (int i = 0; i < g->ControlCount(); ++i) {
          TControl* c = g->Controls(i);
          if (c->Owner() == root && dynamic_cast<TRadioButton*>(c) == nullptr) out.push_back(c);
        }
        return out;
      });
}

// ---- tabs, notebooks, pages, status bar ----

void RegisterTabsAndPages() {
  auto tabset = RegisterClass<TTabSet, TCustomControl>("TTabSet");
  TabStop(tabset, true);
  tabset.Int("SelectedColor", &TTabSet::SelectedColor, &TTabSet::SetSelectedColor, clBtnFace, &ui::ColorIdents())
      .Int("UnselectedColor", &TTabSet::UnselectedColor, &TTabSet::SetUnselectedColor, clWindow, &ui::ColorIdents())
      .Strings("Tabs", &TTabSet::Tabs)
      .Int("TabIndex", &TTabSet::TabIndex, IntSetter(&TTabSet::SetTabIndex, "TabIndex"), -1)
      .Event("OnChange", &TTabSet::OnChange);

  // A page's caption is its name in the notebook's Pages.
  auto page = RegisterClass<TPage, TCustomControl>("TPage");
  PlacedByContainer(page.Class());
  page.String("Caption", &TControl::Caption, [](TPage* p, const AnsiString& v) {
        p->SetCaption(v);
        if (auto* nb = dynamic_cast<TNotebook*>(p->Parent())) nb->SetPageName(p, v);
      })
      .ParentHook([](TPage* p, TComponent* parent) {
        auto* nb = dynamic_cast<TNotebook*>(parent);
        if (nb == nullptr) throw EReadError("Page " + p->Name() + " can only be placed on a notebook");
        nb->AdoptPage(p);
      });
  auto notebook = RegisterClass<TNotebook, TCustomControl>("TNotebook");
  // ActivePage names the page PageIndex numbers; only PageIndex is written.
  notebook.Class().AddProp(std::make_unique<ReadOnlyStrProp<TNotebook>>(
      "ActivePage", [](TNotebook* nb) { return nb->ActivePage(); },
      [](TNotebook* nb, const AnsiString& v) {
        if (nb->HasState(csReading)) nb->SetStreamedPage(v);
        else nb->SetActivePage(v);
      }));
  notebook.Int("PageIndex", &TNotebook::PageIndex, [](TNotebook* nb, int64_t v) {
             const int i = Checked(v, -1, INT_MAX, "PageIndex");
             if (nb->HasState(csReading)) nb->SetStreamedPage(i);
             else nb->SetPageIndex(i);
           }, 0)
      .Event("OnPageChanged", &TNotebook::OnPageChanged)
      .ChildrenHook([](TNotebook* nb, TComponent*) {
        std::vector<TComponent*> out;
        for (int i = 0; i < nb->PageCount(); ++i) out.push_back(nb->Page(i));
        return out;
      });

  auto sheet = RegisterClass<TTabSheet, TCustomControl>("TTabSheet");
  PlacedByContainer(sheet.Class());
  sheet.Int("ImageIndex", &TTabSheet::ImageIndex, IntSetter(&TTabSheet::SetImageIndex, "ImageIndex"), -1)
      .Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, true);
  auto pages = RegisterClass<TPageControl, TCustomControl>("TPageControl");
  TabStop(pages, true);
  pages.Component("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
      .Int("TabHeight", &TPageControl::TabHeight, IntSetter(&TPageControl::SetTabHeight, "TabHeight", 0), 0)
      .Event("OnChange", &TPageControl::OnChange)
      .Event("OnChanging", &TPageControl::OnChanging);

  RegisterClass<TStatusPanel, TPersistent>("TStatusPanel")
      .Enum("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment, kAlignment, taLeftJustify)
      .Enum("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel, {"pbNone", "pbLowered", "pbRaised"}, pbLowered)
      .String("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
      .Int("Width", &TStatusPanel::Width, IntSetter(&TStatusPanel::SetWidth, "Panel width", 0), 50);
  RegisterClass<TStatusBar, TCustomControl>("TStatusBar")
      .Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
            alBottom)
      .Collection("Panels", &TStatusBar::Panels)
      .Bool("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false)
      .String("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
      .Bool("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
}

// ---- range controls ----

void RegisterComCtrls() {
  RegisterClass<TUpDown, TCustomControl>("TUpDown")
      .Enum("AlignButton", &TUpDown::AlignButton, &TUpDown::SetAlignButton, {"udLeft", "udRight"}, udRight)
      .Bool("ArrowKeys", &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys, true)
      .Int("Increment", &TUpDown::Increment, IntSetter(&TUpDown::SetIncrement, "Increment"), 1)
      .Int("Min", &TUpDown::Min, IntSetter(&TUpDown::SetMin, "Min"), 0)
      .Int("Max", &TUpDown::Max, IntSetter(&TUpDown::SetMax, "Max"), 100)
      .Enum("Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation, {"udHorizontal", "udVertical"}, udVertical)
      .Int("Position", &TUpDown::Position, IntSetter(&TUpDown::SetPosition, "Position"), 0)
      .Bool("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap, false)
      .Component("Associate", &TUpDown::Associate, &TUpDown::SetAssociate)
      .Event("OnClick", &TUpDown::OnClick)
      .Event("OnChanging", &TUpDown::OnChanging);
  auto track = RegisterClass<TTrackBar, TCustomControl>("TTrackBar");
  TabStop(track, true);
  track.Int("Frequency", &TTrackBar::Frequency, IntSetter(&TTrackBar::SetFrequency, "Frequency"), 1)
      .Int("LineSize", &TTrackBar::LineSize, IntSetter(&TTrackBar::SetLineSize, "LineSize"), 1)
      .Int("Min", &TTrackBar::Min, IntSetter(&TTrackBar::SetMin, "Min"), 0)
      .Int("Max", &TTrackBar::Max, IntSetter(&TTrackBar::SetMax, "Max"), 10)
      .Enum("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation, {"trHorizontal", "trVertical"}, trHorizontal)
      .Int("PageSize", &TTrackBar::PageSize, IntSetter(&TTrackBar::SetPageSize, "PageSize"), 2)
      .Int("Position", &TTrackBar::Position, IntSetter(&TTrackBar::SetPosition, "Position"), 0)
      .Enum("TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks, {"tmBottomRight", "tmTopLeft", "tmBoth"}, tmBottomRight)
      .Enum("TickStyle", &TTrackBar::TickStyle, &TTrackBar::SetTickStyle, {"tsNone", "tsAuto", "tsManual"}, tsAuto)
      .Event("OnChange", &TTrackBar::OnChange);
  RegisterClass<TProgressBar, TGraphicControl>("TProgressBar")
      .Int("Min", &TProgressBar::Min, IntSetter(&TProgressBar::SetMin, "Min"), 0)
      .Int("Max", &TProgressBar::Max, IntSetter(&TProgressBar::SetMax, "Max"), 100)
      .Enum("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation, {"pbHorizontal", "pbVertical"},
            pbHorizontal)
      .Int("Position", &TProgressBar::Position, IntSetter(&TProgressBar::SetPosition, "Position"), 0)
      .Bool("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth, false)
      .Int("Step", &TProgressBar::Step, IntSetter(&TProgressBar::SetStep, "Step"), 10);
}

// ---- menus ----

// The items of a menu or an item, those of the form being written.
std::vector<TComponent*> OwnedItems(const TMenuItem* Item, TComponent* Root) {
  std::vector<TComponent*> out;
  for (int i = 0; i < Item->Count(); ++i)
    if (Item->Items(i)->Owner() == Root) out.push_back(Item->Items(i));
  return out;
}

void RegisterMenus() {
  RegisterClass<TMenuItem, TComponent>("TMenuItem")
      .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
      .Bool("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck, false)
      .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
      .Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
      .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
      .Int("GroupIndex", &TMenuItem::GroupIndex, IntSetter(&TMenuItem::SetGroupIndex, "GroupIndex", 0, 255), 0)
      .String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
      .Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
      .Int("ShortCut", &TMenuItem::ShortCut, IntSetter(&TMenuItem::SetShortCut, "ShortCut", 0, 0xFFFF), 0)
      .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
      .Event("OnClick", &TMenuItem::OnClick)
      .ParentHook([](TMenuItem* item, TComponent* parent) {
        if (auto* menu = dynamic_cast<TMenu*>(parent))
          menu->Items()->Add(item);
        else if (auto* owner = dynamic_cast<TMenuItem*>(parent))
          owner->Add(item);
        else
          throw EReadError("Menu item " + item->Name() + " can only be placed in a menu");
      })
      .ChildrenHook([](TMenuItem* item, TComponent* root) { return OwnedItems(item, root); });
  RegisterClass<TMenu, TComponent>("TMenu").ChildrenHook(
      [](TMenu* menu, TComponent* root) { return OwnedItems(menu->Items(), root); });
  RegisterClass<TMainMenu, TMenu>("TMainMenu");
  RegisterClass<TPopupMenu, TMenu>("TPopupMenu")
      .Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, {"paLeft", "paRight", "paCenter"}, paLeft)
      .Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
      .Event("OnPopup", &TPopupMenu::OnPopup);
  ui::PublishPopupMenuReference<TPopupMenu>();
  RegisterClass<TForm, TWinControl>("TForm").Component("Menu", &TForm::Menu, &TForm::SetMenu);
  RegisterClass<TControl, TComponent>("TControl").Event("OnMouseWheel", &TControl::OnMouseWheel);
}

// ---- grids ----

// The line sizes of a grid that has explicit ones, as "ColWidths = (64 64 ...)".
void DefineGridSizes(TCustomGrid* G, TFiler& F) {
  auto custom = [G](bool cols) {
    const int n = cols ? G->ColCount() : G->RowCount();
    const int def = cols ? G->DefaultColWidth() : G->DefaultRowHeight();
    for (int i = 0; i < n; ++i)
      if ((cols ? G->ColWidths(i) : G->RowHeights(i)) != def) return true;
    return false;
  };
  auto reader = [G](bool cols) {
    return [G, cols](TReader& R) {
      R.ReadListBegin();
      for (int i = 0; !R.EndOfList(); ++i) {
        const int v = R.ReadInteger();
        if (cols && i < G->ColCount()) G->SetColWidths(i, v);
        if (!cols && i < G->RowCount()) G->SetRowHeights(i, v);
      }
      R.ReadListEnd();
    };
  };
  auto writer = [G](bool cols) {
    return [G, cols](TWriter& W) {
      W.WriteListBegin();
      const int n = cols ? G->ColCount() : G->RowCount();
      for (int i = 0; i < n; ++i) W.WriteInteger(cols ? G->ColWidths(i) : G->RowHeights(i));
      W.WriteListEnd();
    };
  };
  F.DefineProperty("ColWidths", reader(true), writer(true), custom(true));
  F.DefineProperty("RowHeights", reader(false), writer(false), custom(false));
}

void RegisterGrids() {
  auto grid = RegisterClass<TCustomGrid, TCustomControl>("TCustomGrid");
  ui::PublishColor(grid.Class(), clWindow);
  TabStop(grid, true);
  grid.Int("ColCount", &TCustomGrid::ColCount, IntSetter(&TCustomGrid::SetColCount, "ColCount", 0), 5)
      .Int("RowCount", &TCustomGrid::RowCount, IntSetter(&TCustomGrid::SetRowCount, "RowCount", 0), 5)
      .Int("FixedCols", &TCustomGrid::FixedCols, IntSetter(&TCustomGrid::SetFixedCols, "FixedCols", 0), 1)
      .Int("FixedRows", &TCustomGrid::FixedRows, IntSetter(&TCustomGrid::SetFixedRows, "FixedRows", 0), 1)
      .Int("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor, clBtnFace, &ui::ColorIdents())
      .Int("DefaultColWidth", &TCustomGrid::DefaultColWidth, IntSetter(&TCustomGrid::SetDefaultColWidth, "DefaultColWidth", 0), 64)
      .Int("DefaultRowHeight", &TCustomGrid::DefaultRowHeight,
           IntSetter(&TCustomGrid::SetDefaultRowHeight, "DefaultRowHeight", 0), 24)
      .Int("GridLineWidth", &TCustomGrid::GridLineWidth, IntSetter(&TCustomGrid::SetGridLineWidth, "GridLineWidth", 0), 1)
      .Bool("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing, true)
      .Enum("ScrollBars", &TCustomGrid::ScrollBars, &TCustomGrid::SetScrollBars, kScrollStyle, ssBoth)
      .Set("Options", [](TCustomGrid* g) { return static_cast<int64_t>(g->Options().Bits()); },
           [](TCustomGrid* g, int64_t v) { g->SetOptions(TGridOptions::FromBits(static_cast<uint32_t>(v))); },
           {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect", "goDrawFocusSelected",
            "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing", "goTabs", "goRowSelect",
            "goAlwaysShowEditor", "goThumbTracking"},
           0x1F)
      .Event("OnDrawCell", &TCustomGrid::OnDrawCell)
      .Event("OnSelectCell", &TCustomGrid::OnSelectCell)
      .Event("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged)
      .Event("OnGetEditText", &TCustomGrid::OnGetEditText)
      .Event("OnSetEditText", &TCustomGrid::OnSetEditText)
      .Event("OnColumnMoved", &TCustomGrid::OnColumnMoved)
      .Event("OnRowMoved", &TCustomGrid::OnRowMoved)
      .DefineProperties(&DefineGridSizes);
  RegisterClass<TStringGrid, TCustomGrid>("TStringGrid");
}

// ---- scrolling, tool bars, splitters ----

void RegisterScrollAndTools() {
  auto bar = RegisterClass<TScrollBar, TCustomControl>("TScrollBar");
  TabStop(bar, true);
  // Min and Max before Position, so that the position is kept inside the stored range.
  bar.Enum("Kind", &TScrollBar::Kind, &TScrollBar::SetKind, {"sbHorizontal", "sbVertical"}, sbHorizontal)
      .Int("LargeChange", &TScrollBar::LargeChange, IntSetter(&TScrollBar::SetLargeChange, "LargeChange"), 1)
      .Int("Min", &TScrollBar::Min, IntSetter(&TScrollBar::SetMin, "Min"), 0)
      .Int("Max", &TScrollBar::Max, IntSetter(&TScrollBar::SetMax, "Max"), 100)
      .Int("PageSize", &TScrollBar::PageSize, IntSetter(&TScrollBar::SetPageSize, "PageSize"), 0)
      .Int("Position", &TScrollBar::Position, IntSetter(&TScrollBar::SetPosition, "Position"), 0)
      .Int("SmallChange", &TScrollBar::SmallChange, IntSetter(&TScrollBar::SetSmallChange, "SmallChange"), 1)
      .Event("OnChange", &TScrollBar::OnChange)
      .Event("OnScroll", &TScrollBar::OnScroll);

  RegisterClass<TControlScrollBar, TPersistent>("TControlScrollBar")
      .Int("Increment", &TControlScrollBar::Increment, IntSetter(&TControlScrollBar::SetIncrement, "Increment"), 8)
      .Int("Range", &TControlScrollBar::StoredRange, IntSetter(&TControlScrollBar::SetRange, "Range", 0), 0)
      .Bool("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true);
  RegisterClass<TScrollBox, TCustomControl>("TScrollBox")
      .Bool("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll, true)
      .Enum("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, {"bsNone", "bsSingle"}, bsSingleBorder)
      .Object("HorzScrollBar", &TScrollBox::HorzScrollBar)
      .Object("VertScrollBar", &TScrollBox::VertScrollBar);

  RegisterClass<TToolButton, TGraphicControl>("TToolButton")
      .Bool("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp, false)
      .Bool("Down", &TToolButton::Down, &TToolButton::SetDown, false)
      .Bool("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped, false)
      .Int("ImageIndex", &TToolButton::ImageIndex, IntSetter(&TToolButton::SetImageIndex, "ImageIndex"), -1)
      .Enum("Style", &TToolButton::Style, &TToolButton::SetStyle,
            {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}, tbsButton);
  RegisterClass<TToolBar, TCustomControl>("TToolBar")
      .Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
            alTop)
      .Int("ButtonHeight", &TToolBar::ButtonHeight, IntSetter(&TToolBar::SetButtonHeight, "ButtonHeight", 1), 22)
      .Int("ButtonWidth", &TToolBar::ButtonWidth, IntSetter(&TToolBar::SetButtonWidth, "ButtonWidth", 1), 23)
      .Bool("Flat", &TToolBar::Flat, &TToolBar::SetFlat, false)
      .Int("Indent", &TToolBar::Indent, IntSetter(&TToolBar::SetIndent, "Indent", 0), 0)
      .Bool("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, false)
      .Bool("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable, true);

  RegisterClass<TSplitter, TGraphicControl>("TSplitter")
      .Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
            alLeft)
      .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crHSplit, &ui::CursorIdents())
      .Bool("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled, false)
      .Int("MinSize", &TSplitter::MinSize, IntSetter(&TSplitter::SetMinSize, "MinSize", 1), 30)
      .Enum("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle, {"rsNone", "rsLine", "rsUpdate", "rsPattern"},
            rsPattern)
      .Event("OnCanResize", &TSplitter::OnCanResize)
      .Event("OnMoved", &TSplitter::OnMoved);
}

}  // namespace

void RegisterStdCtrlsClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterPictures();
    RegisterGraphicsObjects();
    RegisterStdCtrls();
    RegisterExtCtrls();
    RegisterTabsAndPages();
    RegisterComCtrls();
    RegisterMenus();
    RegisterGrids();
    RegisterScrollAndTools();
    return true;
  }();
  (void)done;
}
