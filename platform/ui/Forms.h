#pragma once
// TForm: a top-level window with its life-cycle events, modal showing with a modal
// result, key preview and an active control.
#include <functional>

#include "platform/ui/Controls.h"

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = SmallSet<TBorderIcon>;

class TMainMenu;  // provided by the menus

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;
  const char* ClassName() const override { return "TForm"; }

  // Fires OnCreate once. TApplication::CreateForm calls it after the constructor;
  // showing a form that was made otherwise calls it first.
  void AfterConstruction();
  // Run when the form goes: TApplication::CreateForm uses it to clear the global that
  // holds the form, so nothing reaches a freed window through it.
  std::function<void()> ForgetReference;

  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool v) { key_preview_ = v; }
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* c);
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState v);
  // The window system changed the window's state (the user minimised, maximised or
  // restored it): noted, and told to the form's observers.
  void WindowStateChangedBySystem(TWindowState v);

  // Limits of the outer size the user can drag the window to (0: no limit). A sizeable
  // window keeps them; the window system also maximises it no larger than the maximum.
  void SetSizeLimits(int MinWidth, int MinHeight, int MaxWidth, int MaxHeight);
  // A sizeable window's size is held to its limits, also when the program sets it.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect SizeLimits() const { return TRect(min_w_, min_h_, max_w_, max_h_); }
  // Places the window's frame at the given outer bounds. Before the window system has
  // told the frame (a window not shown yet) the outer size is met once it does.
  void SetPlacement(int ALeft, int ATop, int AWidth, int AHeight);
  // Called by the widget layer once the window's frame may be known.
  void FrameKnown();
  bool Active() const;

  int ClientWidth() const override;
  // Below the menu bar, when the form shows one.
  int ClientHeight() const override;
  void SetClientSize(int w, int h) override;
  TPoint ClientOffset() const override { return {0, menu_bar_height_}; }

  // The menu bar shown at the top of the window; it must belong to this form.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* m);
  // The height the shown menu bar takes, as the menu reports it.
  int MenuBarHeight() const { return menu_bar_height_; }
  void SetMenuBarHeight(int h);
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TCanvas* Canvas() { return canvas_.get(); }
  TCanvas* PaintCanvas() override { return canvas_.get(); }

  void SetVisible(bool v) override;
  void SetText(const AnsiString& v) override;
  // Shows the form and makes it the active one.
  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form modally through the dialog service and returns its ModalResult.
  int ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult v) { modal_result_ = v; }
  // Asks OnCloseQuery, then closes by the action OnClose chooses. A modal form only gets
  // ModalResult mrCancel; the main form ends the application.
  void Close();
  // Takes in what was typed into the focused control first (a text that cannot be taken
  // is put away with the window), then asks OnCloseQuery.
  bool CloseQuery();
  // Takes in what was typed into the focused control, as leaving it does; false when the
  // control keeps a text it cannot take. Commands that send, save or close call it before
  // they act.
  bool CommitActiveControl();
  // Frees the form once the events being handled are done.
  void Release();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnPaint;

  // Called by the screen when the form becomes or stops being the active form.
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoShow();
  virtual void DoHide();
  void Paint() override;

  // The steps of a modal run, used by the dialog service: make the form the modal
  // window, and after each answer try to close it (false when OnCloseQuery refused,
  // which sets ModalResult back to mrNone).
  void BeginModal();
  bool EndModalIfDone();
  void FinishModal();

  void InitWidget() override;
  // A modal window that nothing on it takes Escape from closes with mrCancel.
  bool DialogKey(WORD Key, TShiftState Shift) override;
  // The form enters the destroying state, then fires OnDestroy once: the one handler of
  // the form that still runs. `delete`, Release and the application's shut-down run it
  // while the whole form still exists; a form class that may be destroyed otherwise (a
  // variable of its own) calls it first in its destructor; the base destructor's call is
  // the last resort.
  void BeforeDestruction() override;
  // The focus moved to `c` (fires OnExit of the old and OnEnter of the new control).
  void SetFocusedControl(TWinControl* c);
  // A control inside is being destroyed: drop it as ActiveControl without events.
  void ForgetControl(TWinControl* c);
  // Gives the window system's keys to the active control or, when that cannot take them,
  // to the window's first control in tab order; the control shows its focus mark.
  void SetWindowFocus();

 protected:
  void CreateHandle() override;
  void ApplyBounds() override;

 private:
  void PlaceOnScreen();
  void ApplyWindowFlags();
  void MoveFocus(TWinControl* old, TWinControl* c);

  std::unique_ptr<TCanvas> canvas_;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  bool key_preview_ = false;
  TWinControl* active_control_ = nullptr;
  // A focus change under way, and what its handlers asked for meanwhile.
  bool focus_moving_ = false, focus_asked_ = false, focus_redirected_ = false, focus_refused_ = false;
  TWinControl* focus_asked_for_ = nullptr;
  TWindowState window_state_ = wsNormal;
  TMainMenu* menu_ = nullptr;
  TComponent* menu_component_ = nullptr;  // the same menu, for its free notification
  int menu_bar_height_ = 0;
  bool modal_ = false;
  TModalResult modal_result_ = mrNone;
  bool created_ = false;
  bool show_after_create_ = false;  // Visible = True read from the form resource
  bool placed_ = false;
  bool client_size_set_ = false;  // the client size was given before the window was placed
  bool destroyed_event_ = false;
  TForm* modal_previous_ = nullptr;
  int min_w_ = 0, min_h_ = 0, max_w_ = 0, max_h_ = 0;
  bool placement_pending_ = false;
  TRect placement_;
};

namespace ui {
// The innermost form being shown modally, or nullptr.
TForm* ModalForm();
// A window of the program came back on the screen (the user restored or activated it)
// while the modal form is minimised, or the modal form itself came back: the windows
// minimised with it come back, and the modal form with them, on top and active, so the
// program never shows only windows that take no input.
void ProgramShownAgain();

// The menus library shows and hides the bar when a form's Menu changes (Old or New may
// be nullptr); it returns New as a component so that the form hears of its destruction.
using TMainMenuHook = TComponent* (*)(TForm* Form, TMainMenu* Old, TMainMenu* New);
void SetMainMenuHook(TMainMenuHook Hook);
}  // namespace ui
