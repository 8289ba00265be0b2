#pragma once
// Placing an extended file dialog on the screen and docking application forms around it:
// TApCustDlgParams (position mode and up to five named forms), TApPosParams (shift,
// reference form, fit to screen) and TApDlgCaptions (button captions).
#include "platform/graphics/GraphicsTypes.h"
#include "platform/ui/Forms.h"

enum TApDlgPosition { dpDefault, dpScrCenter, dpMainFormCenter, dpOwnerCenter, dpFormCenter };

// The dialog frame's thickness: horizontal shifts use the width, vertical ones the height.
constexpr int kDlgFrameWidth = 3;
constexpr int kDlgFrameHeight = 3;

class TApPosParams : public TPersistent {
 public:
  const char* ClassName() const override { return "TApPosParams"; }
  void Assign(TPersistent* Source) override;
  int ShiftX = 0, ShiftY = 0;
  bool FitToScreen = false;
  const AnsiString& FormName() const { return form_name_; }
  void SetFormName(const AnsiString& v);
  // The form named by FormName, once resolved.
  TForm* Form();

 private:
  friend class TApCustDlgParams;
  AnsiString form_name_;
  TForm* form_ = nullptr;
};

class TApDlgCaptions : public TPersistent {
 public:
  const char* ClassName() const override { return "TApDlgCaptions"; }
  void Assign(TPersistent* Source) override;
  // Empty keeps the dialog's own caption.
  AnsiString OK, Cancel, Help;
};

// Where the docked forms go inside the dialog's client area.
struct TApDockLayout {
  TRect Left, Top, Right, Bottom;  // empty for a missing form
  int ChildShiftX = 0, ChildShiftY = 0;  // how far the dialog's own items move
  int ExtraWidth = 0, ExtraHeight = 0;   // how much the dialog grows
};

// The first form owned by the application whose class name is "T" + Name (case-insensitive).
TForm* FindFormByName(const AnsiString& Name);

// Places the dialog rectangle D by the mode: centred on the screen, on Ref (the main form,
// the owner or the named form; null falls back to the screen), shifted, fitted.
TRect PositionDialogRect(TRect D, TApDlgPosition Mode, const TRect* Ref, TRect Screen, int ShiftX, int ShiftY,
                         bool FitToScreen);
// Moves D inside the screen: first so its right/bottom edge is on screen, then its left/top.
TRect FitRectToScreen(TRect D, TRect Screen);

class TApCustDlgParams : public TPersistent {
 public:
  explicit TApCustDlgParams(TComponent* Dialog = nullptr) : dialog_(Dialog) {}
  const char* ClassName() const override { return "TApCustDlgParams"; }
  void Assign(TPersistent* Source) override;

  TApDlgPosition Position = dpDefault;
  TApPosParams* PosParams() { return &pos_params_; }
  // Setting a name forgets the form found for the old one.
  const AnsiString& BottomFormName() const { return names_[kBottom]; }
  void SetBottomFormName(const AnsiString& v) { SetName(kBottom, v); }
  const AnsiString& RightFormName() const { return names_[kRight]; }
  void SetRightFormName(const AnsiString& v) { SetName(kRight, v); }
  const AnsiString& TopFormName() const { return names_[kTop]; }
  void SetTopFormName(const AnsiString& v) { SetName(kTop, v); }
  const AnsiString& LeftFormName() const { return names_[kLeft]; }
  void SetLeftFormName(const AnsiString& v) { SetName(kLeft, v); }
  const AnsiString& CustFormName() const { return names_[kCust]; }
  void SetCustFormName(const AnsiString& v) { SetName(kCust, v); }
  // Leaves the placing of the side forms to the caller.
  bool CallerPlacesForms = false;

  TForm* BottomForm() { return Resolve(kBottom); }
  TForm* RightForm() { return Resolve(kRight); }
  TForm* TopForm() { return Resolve(kTop); }
  TForm* LeftForm() { return Resolve(kLeft); }
  TForm* CustForm() { return Resolve(kCust); }

  // The docking for a dialog whose own client area is Cw x Ch.
  TApDockLayout AttachLayout(int Cw, int Ch);
  // The docking after the dialog's client area became W x H (docked areas included): every
  // form follows the edge it is docked to.
  TApDockLayout ResizeLayout(int W, int H);
  // Takes the forms' borders away and records the sizes (the dialog calls this as it shows).
  TApDockLayout Attach(int Cw, int Ch);
  // Hides the docked forms and lets them go; returns how much the dialog must shrink.
  TPoint Detach();
  void Resize(int W, int H);
  TPoint AccumulatedChange() const { return change_; }
  int ExtraWidth() const { return extra_w_; }
  int ExtraHeight() const { return extra_h_; }
  // Where the dialog goes, for its rectangle D on Screen.
  TRect PositionRect(TRect D, TRect Screen);

 private:
  enum { kBottom, kRight, kTop, kLeft, kCust, kCount };
  void SetName(int i, const AnsiString& v);
  TForm* Resolve(int i);
  TComponent* dialog_;
  TApPosParams pos_params_;
  AnsiString names_[kCount];
  TForm* forms_[kCount] = {};
  int last_w_ = 0, last_h_ = 0, extra_w_ = 0, extra_h_ = 0;
  TPoint change_{0, 0};
};
