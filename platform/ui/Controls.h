#pragma once
// The control tree: TControl (a rectangle in its parent with font, colour, caption, mouse
// events and messages), TWinControl (holds children, takes focus and keys),
// TGraphicControl and TCustomControl (drawn by their own Paint through Canvas).
// Each control owns one window-system widget, created when first needed.
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Messages.h"

class TWinControl;
class TForm;
class TPopupMenu;  // provided by the menus

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = SmallSet<TAnchorKind>;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
                  crHelp = -20, crHandPoint = -21, crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// WheelDelta: 120 per notch, positive away from the user; MousePos in screen coordinates.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
constexpr int WHEEL_DELTA = 120;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMessageHandler = std::function<void(TMessage& Message)>;

class TControl;
// The hint the application is about to show over a control: its text, where it shows
// (screen coordinates) and the client rectangle the mouse may move in while it stays up.
// Leaving the rectangle takes the hint down, so the next one is asked for afresh.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;  // client coordinates
  TRect CursorRect;  // client coordinates
  TPoint HintPos;    // screen coordinates
  AnsiString HintStr;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  // The form the control sits on (itself for a form), or nullptr.
  TForm* ParentForm() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  virtual int ClientWidth() const { return width_; }
  virtual int ClientHeight() const { return height_; }
  void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
  virtual void SetClientSize(int w, int h);
  TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
  // Where the client area starts inside the control's window (below a form's menu bar).
  virtual TPoint ClientOffset() const { return {0, 0}; }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  const AnsiString& Caption() const { return text_; }
  void SetCaption(const AnsiString& v) { SetText(v); }
  const AnsiString& Text() const { return text_; }
  virtual void SetText(const AnsiString& v);

  TFont* Font() { return &font_; }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool v);

  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v);
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v);
  // Asked when the application is about to show a hint over the client point Pos, with
  // Info already holding the short Hint at the mouse; a control may change the text,
  // the position and the rectangle. False shows no hint.
  virtual bool GetHintInfo(TPoint Pos, THintInfo& Info);
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* m) { popup_menu_ = m; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);

  // Invalidate asks for a repaint later; Update carries out what is pending now;
  // Repaint and Refresh do both.
  void Invalidate();
  void Update();
  void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // Runs a message through WndProc at once and returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Handlers by message number, for forms that answer private messages without a
  // subclass; Dispatch looks here first.
  void SetMessageHandler(UINT Msg, TMessageHandler handler);
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TMouseWheelEvent OnMouseWheel;

  // Components that manage a control from outside (proportional scaling of a form) are
  // told of its resizes and of its showing without taking OnResize or OnShow from the
  // program. Key identifies the observer for removal. Forms also tell when they close
  // (the close went ahead) and when their window state changed (also by the user), and
  // when they paint, before OnPaint, on the form's canvas (a background under everything).
  enum class TNotice { Resized, Shown, Closing, StateChanged, Painting };
  using TObserver = std::function<void(TControl* Sender, TNotice Notice)>;
  void AddObserver(const void* Key, TObserver Fn);
  void RemoveObserver(const void* Key);

  // The window-system side (private to the platform).
  struct Impl;
  Impl& impl() const { return *impl_; }
  bool HandleAllocated() const;
  // Creates the widget (and those of the parents) now.
  void HandleNeeded();

  // Called by the widget layer; they fire the events.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // The wheel turned over the control: OnMouseWheel, then the control's own scrolling.
  // Returns whether it was used; an unused turn goes on to the parent.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void Resize();
  // Whether a left press and release on the control make a Click. Controls whose
  // widget reports clicks itself (buttons) answer false.
  virtual bool ClicksOnMouseUp() const { return true; }
  // Painting through a canvas: the surface a Paint draws on, nullptr for controls whose
  // widget draws itself.
  virtual TCanvas* PaintCanvas() { return nullptr; }
  virtual void Paint() {}
  // Whether Paint covers every pixel of the client area: what lies beneath the control
  // then need not be painted first each time it repaints. Windowed controls fill their
  // client area anyway; a graphic control that draws a full picture answers true.
  virtual bool PaintsWholeClient() const { return false; }
  // Pushes every stored property to a freshly installed widget.
  virtual void InitWidget();
  // The control's window came onto the screen (OnScreen) or left it: the control or a
  // parent was shown or hidden, or its form was shown, hidden or minimised. Controls
  // that keep images for drawing free them while nothing of them can be seen.
  virtual void ShowingChanged(bool OnScreen) { (void)OnScreen; }
  // The program took the control off the screen: it, a parent (a page put away) or its
  // window was hidden. A window the user minimises puts nothing away. A control holding
  // text it has not taken shows its value again, so that it never comes back showing
  // what it does not hold.
  virtual void PutAway() {}

 protected:
  // Makes the widget. The default is a plain widget that paints through PaintCanvas;
  // controls that wrap a ready-made widget override this and install theirs with
  // ui::detail::InstallWidget (platform/ui/detail/QtControls.h).
  virtual void CreateHandle();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged();
  // The parent's font or colour changed.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  // The background a ready-made widget shows behind the text or the items it holds (edits,
  // memos, combo boxes, list boxes): the control's Color; clNone lets what lies beneath
  // show through. A control whose answer depends on more than Color calls ColorChanged
  // when that changes.
  virtual TColor FieldColor() const { return color_; }
  // Whether that background also shows while the control is disabled. A ready-made widget
  // normally takes the style's greyed background then; a control that keeps a colour of
  // its own for the disabled state (and sets Color to it) answers true.
  virtual bool FieldColorWhenDisabled() const { return false; }
  // Applies Left/Top/Width/Height to the widget.
  virtual void ApplyBounds();
  void SetBoundsFields(int l, int t, int w, int h) { left_ = l; top_ = t; width_ = w; height_ = h; }
  void SetVisibleField(bool v) { visible_ = v; }
  void NotifyObservers(TNotice Notice);

  TWinControl* parent_ = nullptr;

 private:
  friend class TWinControl;
  // Hands FieldColor and the font's colour to a ready-made widget.
  void ApplyWidgetColors();
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  bool visible_ = true;
  bool enabled_ = true;
  AnsiString text_;
  TFont font_;
  bool parent_font_ = true;
  bool setting_parent_font_ = false;
  TColor color_ = clBtnFace;
  bool parent_color_ = false;
  AnsiString hint_;
  bool show_hint_ = false;
  TPopupMenu* popup_menu_ = nullptr;
  TCursor cursor_ = crDefault;
  std::map<UINT, TMessageHandler> handlers_;
  std::vector<std::pair<const void*, TObserver>> observers_;
  std::unique_ptr<Impl> impl_;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(static_cast<size_t>(i)); }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  bool ContainsControl(const TControl* c) const;

  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool v);
  int TabOrder() const;
  void SetTabOrder(int v);
  bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;

  // Lays out children by Align (top, bottom, left, right, then client), and moves
  // anchored ones when the client area changes size.
  void Realign();
  // Places the children's windows again after ClientOffset changed.
  void ApplyChildBounds();
  void DisableAlign() { ++align_disabled_; }
  // The focus policy a widget gets: tab stops take the tab key, others clicks only.
  virtual void ApplyTabStop();
  void EnableAlign();

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Enter and Escape that the focused control left alone go to its form as dialog keys:
  // each showing, enabled control in turn may take one (a default or cancel button
  // does). True when taken.
  virtual bool DialogKey(WORD Key, TShiftState Shift);
  // True when the control uses Enter or Escape itself (a memo taking returns), so they
  // are no dialog keys while it has the focus.
  virtual bool WantsDialogKey(WORD Key) const;

  // Called by the widget layer. Setting Key to 0 stops the key here.
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  // Takes in text typed into the control and not yet taken, as leaving the control does.
  // Commands that send, save or close call it first (through the form's
  // CommitActiveControl), so that what they act on is what the control shows. False when
  // the text cannot be taken: the control keeps it and shows why.
  virtual bool CommitTyping() { return true; }
  // Whether the control holds typed text it has not taken yet.
  virtual bool TypingNotTaken() const { return false; }
  // Puts the children read from a form resource into the tab order they were given.
  void Loaded() override;

 protected:
  void FontChanged() override;
  void ColorChanged() override;
  void Resize() override;
  void UpdateTabOrder();

 public:
  void InitWidget() override;

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tab_list_;
  bool tab_stop_ = false;
  int read_tab_order_ = -1;  // TabOrder as read, until Loaded
  int align_disabled_ = 0;
  int last_client_w_ = -1, last_client_h_ = -1;
  bool aligning_ = false;
};

// A control without focus of its own, drawn on by Paint (gauges, labels, shapes).
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  const char* ClassName() const override { return "TGraphicControl"; }
  TCanvas* Canvas() { return canvas_.get(); }
  TCanvas* PaintCanvas() override { return canvas_.get(); }

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// A focusable control drawn by Paint (grids, trend and chart panels).
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  const char* ClassName() const override { return "TCustomControl"; }
  TCanvas* Canvas() { return canvas_.get(); }
  TCanvas* PaintCanvas() override { return canvas_.get(); }

 private:
  std::unique_ptr<TCanvas> canvas_;
};

namespace ui {
// The hint the application shows over a control's client point, as the control answers
// it; false when none shows (hints off, no text, or the control declines).
bool HintInfoAt(TControl* Control, TPoint Pos, THintInfo& Info);
// Takes down the hint on show, so that the next one is asked for afresh.
void CancelHint();
}  // namespace ui
