#pragma once
// Range controls: TUpDown (arrow buttons stepping a number, optionally shown in an edit),
// TTrackBar (a slider with tick marks) and TProgressBar.
#include <functional>
#include "platform/ui/Controls.h"

enum TUDBtnType { btNext, btPrev };
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TUpDown : public TCustomControl {
 public:
  explicit TUpDown(TComponent* AOwner);
  ~TUpDown() override;
  const char* ClassName() const override { return "TUpDown"; }
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  // Kept inside Min..Max; the associated control shows it.
  int Position() const { return position_; }
  void SetPosition(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  // Stepping past one end goes round to the other instead of stopping.
  bool Wrap() const { return wrap_; }
  void SetWrap(bool v) { wrap_ = v; }
  // The edit beside the buttons: it shows Position, and its text (when a number) is
  // where the next step starts. The buttons move next to it.
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* c);
  TUDAlignButton AlignButton() const { return align_button_; }
  void SetAlignButton(TUDAlignButton v);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation v) { orientation_ = v; Invalidate(); }
  bool ArrowKeys() const { return arrow_keys_; }
  void SetArrowKeys(bool v) { arrow_keys_ = v; }

  // A press of one of the buttons: OnChanging may veto the step, then OnClick.
  void ButtonClick(TUDBtnType button);
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void UpdateAssociate();
  void PlaceBesideAssociate();
  int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
  bool wrap_ = false, arrow_keys_ = true;
  TWinControl* associate_ = nullptr;
  TUDAlignButton align_button_ = udRight;
  TUDOrientation orientation_ = udVertical;
};

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

class TTrackBar : public TCustomControl {
 public:
  explicit TTrackBar(TComponent* AOwner);
  const char* ClassName() const override { return "TTrackBar"; }
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  // Clamped to Min..Max; a change fires OnChange.
  void SetPosition(int v);
  // A tick every Frequency positions (with tsAuto).
  int Frequency() const { return frequency_; }
  void SetFrequency(int v) { frequency_ = v < 1 ? 1 : v; Invalidate(); }
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation v);
  int LineSize() const { return line_size_; }
  void SetLineSize(int v) { line_size_ = v; }
  int PageSize() const { return page_size_; }
  void SetPageSize(int v) { page_size_ = v; }
  TTickMark TickMarks() const { return tick_marks_; }
  void SetTickMarks(TTickMark v) { tick_marks_ = v; Invalidate(); }
  TTickStyle TickStyle() const { return tick_style_; }
  void SetTickStyle(TTickStyle v) { tick_style_ = v; Invalidate(); }
  TNotifyEvent OnChange;

  // The position a client point along the channel stands for.
  int PositionAt(int X, int Y) const;
  // Where the channel starts and ends along the bar's length.
  int ChannelStart() const { return 12; }
  int ChannelEnd() const;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  int PixelOf(int position) const;
  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, line_size_ = 1, page_size_ = 2;
  TTrackBarOrientation orientation_ = trHorizontal;
  TTickMark tick_marks_ = tmBottomRight;
  TTickStyle tick_style_ = tsAuto;
  bool dragging_ = false;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TGraphicControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  const char* ClassName() const override { return "TProgressBar"; }
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  // Clamped to Min..Max.
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { step_ = v; }
  // Advances by Step; past Max it starts again from Min, so a long task keeps moving.
  void StepIt();
  // Advances by delta, stopping at the ends.
  void StepBy(int delta) { SetPosition(position_ + delta); }
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation v) { orientation_ = v; Invalidate(); }
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v) { smooth_ = v; Invalidate(); }
  // How many pixels of the bar's length are filled.
  int FilledLength() const;
  void Paint() override;

 private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  TProgressBarOrientation orientation_ = pbHorizontal;
  bool smooth_ = false;
};
