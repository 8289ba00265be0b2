#pragma once
// Tool bars and splitters: TToolBar lines up its TToolButtons in a row along the top of
// a window; TSplitter lets the user drag the size of the control aligned beside it.
#include <functional>
#include <vector>
#include "platform/ui/Controls.h"

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

class TToolButton : public TGraphicControl {
 public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;
  const char* ClassName() const override { return "TToolButton"; }
  // Separators and dividers keep their own width; other buttons take the bar's.
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle v);
  // A check button stays down after a click; Grouped ones next to each other release
  // each other.
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool v) { grouped_ = v; }
  // Whether the group may have no button down.
  bool AllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool v) { allow_all_up_ = v; }
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v) { image_index_ = v; Invalidate(); }
  TToolBar* ToolBar() const;
  void SetParent(TWinControl* AParent) override;
  // A check button toggles (within its group) before OnClick.
  void Click() override;
  void Paint() override;

 private:
  bool IsCheck() const { return style_ == tbsCheck; }
  // The buttons of this one's group: the run of grouped check buttons around it.
  std::vector<TToolButton*> Group();
  TToolButtonStyle style_ = tbsButton;
  bool down_ = false, grouped_ = false, allow_all_up_ = false;
  int image_index_ = -1;
};

class TToolBar : public TCustomControl {
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;
  const char* ClassName() const override { return "TToolBar"; }
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TToolButton* Buttons(int i) const { return buttons_.at(static_cast<size_t>(i)); }
  int ButtonWidth() const { return button_width_; }
  void SetButtonWidth(int v);
  int ButtonHeight() const { return button_height_; }
  void SetButtonHeight(int v);
  // Space before the first button.
  int Indent() const { return indent_; }
  void SetIndent(int v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; Invalidate(); }
  bool ShowCaptions() const { return show_captions_; }
  void SetShowCaptions(bool v) { show_captions_ = v; Invalidate(); }
  // Buttons that do not fit go on to another row.
  bool Wrapable() const { return wrapable_; }
  void SetWrapable(bool v);
  // Places the buttons in their order, left to right.
  void ArrangeButtons();
  void Loaded() override;
  void Paint() override;

 protected:
  void Resize() override;

 private:
  friend class TToolButton;
  void AddButton(TToolButton* b);
  void RemoveButton(TToolButton* b);
  std::vector<TToolButton*> buttons_;
  int button_width_ = 23, button_height_ = 22, indent_ = 0;
  bool flat_ = false, show_captions_ = false, wrapable_ = true, arranging_ = false;
};

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  const char* ClassName() const override { return "TSplitter"; }
  // The smallest size the neighbour and the remaining client area may get.
  int MinSize() const { return min_size_; }
  void SetMinSize(int v) { min_size_ = v < 1 ? 1 : v; }
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool v) { beveled_ = v; Invalidate(); }
  TResizeStyle ResizeStyle() const { return resize_style_; }
  void SetResizeStyle(TResizeStyle v) { resize_style_ = v; }
  // The control the splitter resizes: the one aligned on the same side right before it.
  TControl* FindControl() const;
  TCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  bool Horizontal() const { return Align() == alTop || Align() == alBottom; }
  // The mouse in the parent's coordinates along the splitter's axis.
  int ParentAlong(int X, int Y) const { return Horizontal() ? Top() + Y : Left() + X; }
  int MaxSize() const;
  int min_size_ = 30;
  bool beveled_ = false;
  TResizeStyle resize_style_ = rsPattern;
  TControl* control_ = nullptr;
  int down_at_ = 0, start_size_ = 0, max_size_ = 0;
};
