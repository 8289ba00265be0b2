#pragma once
// TStatusBarPro: a status bar whose panels each have their own background colour, hint,
// popup menu, click events and optional drawing by the application. The bar keeps the
// panel layout (parts ending at the summed widths, the last one reaching the right edge)
// and draws every panel itself.
#include <functional>
#include <memory>
#include <vector>
#include "controls/ImgList.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/ui/Controls.h"

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TStatusPanelStyle { psText, psOwnerDraw };

class TStatusPanelsPro;
class TStatusBarPro;

class TStatusPanelPro : public TPersistent {
 public:
  explicit TStatusPanelPro(TStatusPanelsPro* Owner) : owner_(Owner) {}
  const char* ClassName() const override { return "TStatusPanelPro"; }
  void Assign(TPersistent* Source) override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel v);
  // Taken from the bar while ParentBiDiMode is on.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode v);
  bool ParentBiDiMode() const { return parent_bidi_; }
  void SetParentBiDiMode(bool v);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { hint_ = v; }
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v);
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* v);
  TStatusPanelStyle Style() const { return style_; }
  void SetStyle(TStatusPanelStyle v);
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v);
  int Width() const { return width_; }
  void SetWidth(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int Index() const;
  // Changed since its text last reached the bar.
  bool NeedsSending() const { return needs_sending_; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

 private:
  friend class TStatusBarPro;
  void Changed(bool Relayout);
  TStatusPanelsPro* owner_;
  TAlignment alignment_ = taLeftJustify;
  TStatusPanelBevel bevel_ = pbLowered;
  TBiDiMode bidi_mode_ = bdLeftToRight;
  bool parent_bidi_ = true;
  AnsiString hint_;
  int image_index_ = -1;
  TPopupMenu* popup_menu_ = nullptr;
  TStatusPanelStyle style_ = psText;
  AnsiString text_;
  int width_ = 50;
  TColor color_ = clBtnFace;
  bool needs_sending_ = false;
};

class TStatusPanelsPro {
 public:
  explicit TStatusPanelsPro(TStatusBarPro* Bar) : bar_(Bar) {}
  int Count() const { return static_cast<int>(items_.size()); }
  // Out of range raises EListError.
  TStatusPanelPro* Items(int i) const;
  TStatusPanelPro* operator[](int i) const { return Items(i); }
  TStatusPanelPro* Add();
  void Delete(int i);
  void Clear();
  int IndexOf(const TStatusPanelPro* p) const;
  TStatusBarPro* Bar() const { return bar_; }

 private:
  friend class TStatusBarPro;
  TStatusBarPro* bar_;
  std::vector<std::unique_ptr<TStatusPanelPro>> items_;
};

using TDrawPanelProEvent = std::function<void(TStatusBarPro* StatusBar, TStatusPanelPro* Panel, const TRect& Rect)>;

class TStatusBarPro : public TCustomControl {
 public:
  // The bar lays out at most this many parts; further panels get none.
  static constexpr int MaxParts = 128;
  // Drawing flags a panel's text carries to the bar.
  static constexpr unsigned SBT_NOBORDERS = 0x100, SBT_POPOUT = 0x200, SBT_RTLREADING = 0x400,
                            SBT_OWNERDRAW = 0x1000;

  explicit TStatusBarPro(TComponent* AOwner);
  ~TStatusBarPro() override;
  const char* ClassName() const override { return "TStatusBarPro"; }

  TStatusPanelsPro* Panels() { return &panels_; }
  bool SimplePanel() const { return simple_panel_; }
  void SetSimplePanel(bool v);
  const AnsiString& SimpleText() const { return simple_text_; }
  void SetSimpleText(const AnsiString& v);
  bool SizeGrip() const { return size_grip_; }
  void SetSizeGrip(bool v);
  bool UseSystemFont() const { return use_system_font_; }
  void SetUseSystemFont(bool v);
  bool AutoHint() const { return auto_hint_; }
  void SetAutoHint(bool v) { auto_hint_ = v; }
  // Right-to-left handling of the panels that take theirs from the bar. While
  // ParentBiDiMode is on it follows the desktop: bdRightToLeft when the toolkit lays out
  // right to left, else bdLeftToRight. Setting a mode switches ParentBiDiMode off.
  TBiDiMode BiDiMode() const;
  void SetBiDiMode(TBiDiMode v);
  bool ParentBiDiMode() const { return parent_bidi_; }
  void SetParentBiDiMode(bool v);
  // A panel's text is aligned right to left (left and right swapped) only when the
  // desktop reads right to left and its mode is bdRightToLeft; it reads right to left
  // when the desktop does and its mode is any but bdLeftToRight.
  static bool UseRightToLeftAlignment(const TStatusPanelPro* Panel);
  static bool UseRightToLeftReading(const TStatusPanelPro* Panel);
  // Images drawn before the panel texts (ImageIndex); cleared when the list goes away.
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* v);
  // The menu a right click shows: the current panel's, else the bar's.
  TPopupMenu* ContextMenu() const;

  // The right edges of the laid-out parts (-1: to the right end of the bar).
  const std::vector<int>& Parts() const { return parts_; }
  // Where panel i lies in the bar (empty for panels beyond the parts).
  TRect PanelRect(int i) const;
  // The panel under a client point, or -1.
  int PanelAtPos(int X, int Y) const;
  // The text as sent for panel i: alignment as tab prefixes; and its drawing flags.
  AnsiString PanelSendText(int i) const;
  unsigned PanelSendFlags(int i) const;
  // The panel under the last mouse press, or nullptr.
  TStatusPanelPro* CurrentPanel() const { return current_; }
  // The hint for the current panel (its own, else the bar's).
  AnsiString CurrentHint() const;
  // A hint of the application: unless OnHint handles it, AutoHint shows it in the first
  // panel or the simple text.
  void ShowApplicationHint(const AnsiString& HintText);
  virtual bool DoHint();
  // Reverses the panel order for right-to-left layout; the last panel takes the width left over.
  void FlipChildren();

  virtual void DrawPanel(TStatusPanelPro* Panel, const TRect& Rect);
  void Paint() override;
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  bool GetHintInfo(TPoint Pos, THintInfo& Info) override;
  void Loaded() override;

  TDrawPanelProEvent OnDrawPanel;
  TNotifyEvent OnHint;

  // Called by the panels.
  void PanelChanged(TStatusPanelPro* Panel, bool Relayout);
  // The rectangle last asked to be repainted for one panel (empty after a full layout).
  TRect LastInvalidRect() const { return last_invalid_; }

 protected:
  void Resize() override;
  void ParentFontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TStatusPanelsPro;
  void UpdatePanels();
  void SendPanel(TStatusPanelPro* Panel);
  void ApplySystemFont();
  TStatusPanelsPro panels_;
  std::vector<int> parts_;
  bool simple_panel_ = false, size_grip_ = true, use_system_font_ = true, auto_hint_ = false;
  AnsiString simple_text_;
  TBiDiMode bidi_mode_ = bdLeftToRight;
  bool parent_bidi_ = true;
  TStatusPanelPro* current_ = nullptr;
  int hint_panel_ = -1;
  TImageList* images_ = nullptr;
  int images_link_ = 0;
  TRect last_invalid_{};
};
