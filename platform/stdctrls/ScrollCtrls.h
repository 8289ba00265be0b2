#pragma once
// Scrolling: TScrollBar (a stand-alone bar with arrows, track and thumb) and TScrollBox
// (a container whose children may reach past its edges, scrolled by two bars).
#include <functional>
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
 public:
  explicit TScrollBar(TComponent* AOwner);
  const char* ClassName() const override { return "TScrollBar"; }
  TScrollBarKind Kind() const { return kind_; }
  // Turning the bar swaps its width and height.
  void SetKind(TScrollBarKind v);
  int Min() const { return min_; }
  void SetMin(int v) { SetParams(position_, v, max_); }
  int Max() const { return max_; }
  void SetMax(int v) { SetParams(position_, min_, v); }
  // Kept inside Min..MaxPosition; a change fires OnChange.
  int Position() const { return position_; }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  // A Max below Min is raised to Min.
  void SetParams(int APosition, int AMin, int AMax);
  // The last position: Max, less the page when the thumb shows a page.
  int MaxPosition() const;
  int SmallChange() const { return small_change_; }
  void SetSmallChange(int v) { small_change_ = v < 1 ? 1 : v; }
  int LargeChange() const { return large_change_; }
  void SetLargeChange(int v) { large_change_ = v < 1 ? 1 : v; }
  // The part of the range one view shows (0: a plain thumb).
  int PageSize() const { return page_size_; }
  void SetPageSize(int v);

  // A user's scroll: the new position goes through OnScroll (which may change it), then
  // becomes Position.
  void Scroll(TScrollCode Code);
  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

  // The arrows are squares at both ends; the thumb moves along the track between them.
  int ArrowSize() const;
  TRect ThumbRect() const;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // With the focus the bar shows a dotted mark inside its thumb (inside its track when it
  // has no thumb).
  void Paint() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  int Along(int X, int Y) const { return kind_ == sbHorizontal ? X : Y; }
  int Length() const { return kind_ == sbHorizontal ? Width() : Height(); }
  int ThumbLength() const;
  int ThumbStart() const;
  int PositionAtThumb(int start) const;
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, small_change_ = 1, large_change_ = 1, page_size_ = 0;
  bool dragging_ = false;
  int drag_offset_ = 0;
};

class TScrollBox;

// One of a scroll box's bars: the range its content spans and how far it is scrolled.
class TControlScrollBar : public TPersistent {
 public:
  TControlScrollBar(TScrollBox* box, TScrollBarKind kind) : box_(box), kind_(kind) {}
  const char* ClassName() const override { return "TControlScrollBar"; }
  TScrollBarKind Kind() const { return kind_; }
  // With AutoScroll the range reaches at least to the farthest child.
  int Range() const;
  int StoredRange() const { return range_; }
  void SetRange(int v);
  int Position() const { return position_; }
  // Kept inside 0..Range less the visible extent; moves the children.
  void SetPosition(int v);
  // How far one arrow click or wheel step scrolls.
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v < 1 ? 1 : v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // Whether the bar shows: visible and the content larger than the view.
  bool IsScrollBarVisible() const;

 private:
  friend class TScrollBox;
  TScrollBox* box_;
  TScrollBarKind kind_;
  int range_ = 0, position_ = 0, increment_ = 8;
  bool visible_ = true;
};

class TScrollBox : public TCustomControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
  ~TScrollBox() override;
  const char* ClassName() const override { return "TScrollBox"; }
  TControlScrollBar* HorzScrollBar() { return &horz_; }
  TControlScrollBar* VertScrollBar() { return &vert_; }
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool v);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v) { border_style_ = v; Invalidate(); }
  // The view, less the bars that show.
  int ClientWidth() const override;
  int ClientHeight() const override;
  // Moves every child by (DeltaX, DeltaY).
  void ScrollBy(int DeltaX, int DeltaY);
  // Scrolls so that the child is wholly in view (its top-left first).
  void ScrollInView(TControl* AControl);
  // Shows or hides the bars and updates their ranges, after children moved or resized.
  void UpdateScrollBars();
  // The bar controls (for tests): nullptr-free, hidden when not needed.
  TScrollBar* Bar(TScrollBarKind Kind) const { return Kind == sbHorizontal ? hbar_ : vbar_; }
  void Paint() override;
  void Loaded() override;
  // Scrolls vertically (horizontally with Shift) by three increments per notch, while
  // there is somewhere to go; otherwise the parent gets the turn.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

 protected:
  void Resize() override;

 private:
  friend class TControlScrollBar;
  // The farthest child edge along one axis, in content coordinates.
  int ContentExtent(TScrollBarKind Kind) const;
  void PositionChanged(TControlScrollBar& Bar, int OldPosition);
  TControlScrollBar horz_{this, sbHorizontal}, vert_{this, sbVertical};
  TScrollBar* hbar_ = nullptr;
  TScrollBar* vbar_ = nullptr;
  bool auto_scroll_ = true;
  TBorderStyle border_style_ = bsSingleBorder;
  bool updating_ = false;
};
