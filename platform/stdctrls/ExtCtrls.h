#pragma once
// Panels and pictures: TPanel, TBevel, TShape, TImage, TPaintBox, and TRadioGroup (a
// group box of radio buttons made from its Items).
#include <memory>
#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/StdCtrls.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// Draws a 3D frame of `width` pixels inside r and shrinks r by it.
void Frame3D(TCanvas* canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);

class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);
  const char* ClassName() const override { return "TPanel"; }
  TPanelBevel BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TPanelBevel v) { bevel_inner_ = v; Invalidate(); }
  TPanelBevel BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TPanelBevel v) { bevel_outer_ = v; Invalidate(); }
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int v) { bevel_width_ = v < 1 ? 1 : v; Invalidate(); }
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int v) { border_width_ = v < 0 ? 0 : v; Invalidate(); }
  // Where the caption sits (centred by default).
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; Invalidate(); }
  // A single line around the bevels.
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v) { border_style_ = v; Invalidate(); }
  void Paint() override;

 private:
  TBorderStyle border_style_ = bsNoBorder;
  TPanelBevel bevel_inner_ = bvNone, bevel_outer_ = bvRaised;
  int bevel_width_ = 1, border_width_ = 0;
  TAlignment alignment_ = taCenter;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);
  const char* ClassName() const override { return "TBevel"; }
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape v) { shape_ = v; Invalidate(); }
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle v) { style_ = v; Invalidate(); }
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
 public:
  explicit TShape(TComponent* AOwner);
  const char* ClassName() const override { return "TShape"; }
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType v) { shape_ = v; Invalidate(); }
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  TPen pen_;
  TBrush brush_;
};

// A picture, or a bitmap of its own that code draws on through Canvas.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }
  TPicture* Picture() { return &picture_; }
  // The picture's bitmap canvas; made the size of the control when there is no picture.
  TCanvas* Canvas();
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Invalidate(); }
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; Invalidate(); }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; Invalidate(); }
  TCanvas* PaintCanvas() override { return TGraphicControl::Canvas(); }
  void Paint() override;

 private:
  void PictureChanged();
  TPicture picture_;
  bool stretch_ = false, center_ = false, auto_size_ = false, transparent_ = false;
};

// A surface for OnPaint handlers.
class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TComponent* AOwner);
  const char* ClassName() const override { return "TPaintBox"; }
  TNotifyEvent OnPaint;
  void Paint() override;
};

// A group box holding one radio button per item; ItemIndex is the checked one. The
// keyboard reaches the group through its checked button (the first one while none is
// checked), never the frame: the focus given to the group goes to that button.
class TRadioGroup : public TGroupBox {
 public:
  explicit TRadioGroup(TComponent* AOwner);
  ~TRadioGroup() override;
  const char* ClassName() const override { return "TRadioGroup"; }
  TStrings* Items() { return items_.get(); }
  int ItemIndex() const { return item_index_; }
  // Out of range gives -1 (nothing checked).
  void SetItemIndex(int v);
  int Columns() const { return columns_; }
  void SetColumns(int v);
  // The button of item i (for tests and keyboard focus).
  TRadioButton* Buttons(int i) const { return buttons_.at(static_cast<size_t>(i)); }
  void Resize() override;
  void SetFocus() override;
  void ApplyTabStop() override;
  // With its window made, the buttons move below the caption as the frame draws it.
  void InitWidget() override;

 private:
  void ItemsChanged();
  void UpdateButtonTabStops();
  void ArrangeButtons();
  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  int item_index_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};
