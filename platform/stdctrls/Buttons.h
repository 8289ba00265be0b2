#pragma once
// Buttons with pictures: TBitBtn (a push button with a glyph and stock kinds such as
// OK and Cancel) and TSpeedButton (a flat tool button that can stay down, alone or as
// one of a group).
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/StdCtrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The part of a glyph strip that shows in a state: the strip holds NumGlyphs images side
// by side (up, disabled, down, stay-down); a state the strip lacks shows the up image.
TRect GlyphPart(const TBitmap& glyph, int numGlyphs, int index);

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  const char* ClassName() const override { return "TBitBtn"; }
  // A stock kind sets caption, ModalResult, Default or Cancel; bkClose closes the form.
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind v);
  TBitmap* Glyph() { return &glyph_; }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { spacing_ = v; }
  int Margin() const { return margin_; }
  void SetMargin(int v) { margin_ = v; }
  void Click() override;

 protected:
  void CreateHandle() override;

 private:
  void GlyphChanged();
  TBitBtnKind kind_ = bkCustom;
  TBitmap glyph_;
  int num_glyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int spacing_ = 4, margin_ = -1;
};

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;
  const char* ClassName() const override { return "TSpeedButton"; }
  TBitmap* Glyph() { return &glyph_; }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int v);
  // Buttons with the same non-zero GroupIndex and parent release each other; with 0 the
  // button never stays down.
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int v);
  bool Down() const { return down_; }
  // Ignored while the button is the group's down one and AllowAllUp is off.
  void SetDown(bool v);
  // Whether the group may have no button down; shared by the whole group.
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; Invalidate(); }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v) { layout_ = v; Invalidate(); }
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { spacing_ = v; Invalidate(); }
  int Margin() const { return margin_; }
  void SetMargin(int v) { margin_ = v; Invalidate(); }
  // Pressed by the mouse and not yet released.
  bool Pressed() const { return pressed_; }

  bool ClicksOnMouseUp() const override { return false; }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  template <typename F>
  void ForGroup(F f);
  TBitmap glyph_;
  int num_glyphs_ = 1;
  int group_index_ = 0;
  bool down_ = false, allow_all_up_ = false, flat_ = false, pressed_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  int spacing_ = 4, margin_ = -1;
};
