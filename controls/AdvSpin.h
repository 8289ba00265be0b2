#pragma once
// TAdvSpinEdit: an edit holding one typed value (integer, float, date, time or hex)
// that the arrow buttons of a TAdvSpinButton, the arrow and page keys step. For the
// integer, float and hex types the text is the value's only storage.
#include <functional>
#include <memory>
#include "controls/AdvEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Timer.h"

enum TSpinDirection { spVertical, spHorizontal };
enum TAdvSpinType { sptNormal, sptFloat, sptDate, sptTime, sptHex };

// One arrow button of the pair: repeats its click while held (first after 400 ms, then
// every 100 ms).
class TAdvTimerSpeedButton : public TCustomControl {
 public:
  enum TButtonKind { bkUp, bkDown, bkHorUp, bkHorDown };
  explicit TAdvTimerSpeedButton(TComponent* AOwner);
  ~TAdvTimerSpeedButton() override;
  const char* ClassName() const override { return "TAdvTimerSpeedButton"; }
  TButtonKind Kind() const { return kind_; }
  void SetKind(TButtonKind v);
  bool AllowTimer() const { return allow_timer_; }
  void SetAllowTimer(bool v) { allow_timer_ = v; }
  bool Down() const { return down_; }
  bool FocusedLook() const { return focused_; }
  void SetFocusedLook(bool v);
  // The repeat timer (nullptr before the first press).
  TTimer* RepeatTimer() const { return timer_; }
  // A picture drawn instead of the arrow; nullptr brings the built-in arrow back.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* v);
  bool BuiltInGlyph() const { return !glyph_; }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int v) { num_glyphs_ = v < 1 ? 1 : v; }
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool MouseOver() const { return mouse_over_; }
  void SetMouseOver(bool v);
  TNotifyEvent OnPress;  // left button down, before repeating starts

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 protected:
  void CreateHandle() override;

 private:
  void TimerTick();
  TButtonKind kind_ = bkUp;
  bool allow_timer_ = false, down_ = false, focused_ = false, flat_ = false, mouse_over_ = false;
  TTimer* timer_ = nullptr;
  std::unique_ptr<TBitmap> glyph_;
  int num_glyphs_ = 1;
};

class TAdvSpinButton : public TWinControl {
 public:
  explicit TAdvSpinButton(TComponent* AOwner);
  ~TAdvSpinButton() override;
  const char* ClassName() const override { return "TAdvSpinButton"; }
  TSpinDirection Direction() const { return direction_; }
  void SetDirection(TSpinDirection v);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* v);
  TAdvTimerSpeedButton* UpButton() const { return up_; }
  TAdvTimerSpeedButton* DownButton() const { return down_; }
  TAdvTimerSpeedButton* FocusedButton() const { return focused_button_; }
  int UpNumGlyphs() const { return up_->NumGlyphs(); }
  void SetUpNumGlyphs(int v) { up_->SetNumGlyphs(v); }
  int DownNumGlyphs() const { return down_->NumGlyphs(); }
  void SetDownNumGlyphs(int v) { down_->SetNumGlyphs(v); }
  // Pictures on the buttons; nullptr restores the built-in arrows.
  TBitmap* UpGlyph() const { return up_->Glyph(); }
  void SetUpGlyph(TBitmap* v) { up_->SetGlyph(v); }
  TBitmap* DownGlyph() const { return down_->Glyph(); }
  void SetDownGlyph(TBitmap* v) { down_->SetGlyph(v); }

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 private:
  void Layout();
  void ButtonPressed(TAdvTimerSpeedButton* b);
  void ButtonClicked(TAdvTimerSpeedButton* b);
  TAdvTimerSpeedButton* up_ = nullptr;
  TAdvTimerSpeedButton* down_ = nullptr;
  TAdvTimerSpeedButton* focused_button_ = nullptr;
  TWinControl* focus_control_ = nullptr;
  TSpinDirection direction_ = spVertical;
};

class TAdvSpinEdit : public TLabelledEdit<TMaskEdit> {
 public:
  explicit TAdvSpinEdit(TComponent* AOwner);
  ~TAdvSpinEdit() override;
  const char* ClassName() const override { return "TAdvSpinEdit"; }

  TAdvSpinType SpinType() const { return spin_type_; }
  void SetSpinType(TAdvSpinType v);
  int Value() const;
  void SetValue(int v);
  double FloatValue() const;
  void SetFloatValue(double v);
  double DateValue() const;
  void SetDateValue(double v);
  double TimeValue() const;
  void SetTimeValue(double v);
  int HexValue() const;
  void SetHexValue(int v);

  int MinValue() const { return min_value_; }
  void SetMinValue(int v) { min_value_ = v; }
  int MaxValue() const { return max_value_; }
  void SetMaxValue(int v) { max_value_ = v; }
  double MinFloatValue() const { return min_float_; }
  void SetMinFloatValue(double v) { min_float_ = v; }
  double MaxFloatValue() const { return max_float_; }
  void SetMaxFloatValue(double v) { max_float_ = v; }
  double MinDateValue() const { return min_date_; }
  void SetMinDateValue(double v) { min_date_ = v; }
  double MaxDateValue() const { return max_date_; }
  void SetMaxDateValue(double v) { max_date_ = v; }
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  int IncrementPage() const { return increment_page_; }
  void SetIncrementPage(int v) { increment_page_ = v; }
  double IncrementFloat() const { return increment_float_; }
  void SetIncrementFloat(double v) { increment_float_ = v; }
  double IncrementFloatPage() const { return increment_float_page_; }
  void SetIncrementFloatPage(double v) { increment_float_page_ = v; }
  bool IncrementSmart() const { return increment_smart_; }
  void SetIncrementSmart(bool v) { increment_smart_ = v; }
  int IncrementHours() const { return increment_hours_; }
  void SetIncrementHours(int v) { increment_hours_ = v; }
  int IncrementMinutes() const { return increment_minutes_; }
  void SetIncrementMinutes(int v) { increment_minutes_ = v; }
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  bool ShowSeconds() const { return show_seconds_; }
  void SetShowSeconds(bool v);
  bool Signed() const { return signed_; }
  void SetSigned(bool v) { signed_ = v; }
  bool EditorEnabled() const { return editor_enabled_; }
  void SetEditorEnabled(bool v) { editor_enabled_ = v; }
  bool AllowNullValue() const { return allow_null_; }
  void SetAllowNullValue(bool v) { allow_null_ = v; }
  bool ReturnIsTab() const { return return_is_tab_; }
  void SetReturnIsTab(bool v) { return_is_tab_ = v; }
  bool AutoFocus() const { return auto_focus_; }
  void SetAutoFocus(bool v) { auto_focus_ = v; }
  TSpinDirection Direction() const;
  void SetDirection(TSpinDirection v);
  TEditAlign EditAlign() const { return edit_align_; }
  void SetEditAlign(TEditAlign v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TColor FlatLineColor() const { return flat_line_color_; }
  void SetFlatLineColor(TColor v) { flat_line_color_ = v; }
  bool SpinFlat() const { return spin_flat_; }
  void SetSpinFlat(bool v);
  bool SpinTransparent() const { return spin_transparent_; }
  void SetSpinTransparent(bool v) { spin_transparent_ = v; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) {
    transparent_ = v;
    ColorChanged();
  }
  TColor FocusColor() const { return focus_color_; }
  void SetFocusColor(TColor v) { focus_color_ = v; }
  TColor FocusBorderColor() const { return focus_border_color_; }
  void SetFocusBorderColor(TColor v) { focus_border_color_ = v; }
  AnsiString Version() const { return "1.4.3.0"; }
  void SetVersion(const AnsiString&) {}

  TAdvSpinButton* Button() const { return button_; }

  // One step up or down (the buttons, the arrow keys).
  void UpClick();
  void DownClick();

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // Pastes only while the editor is enabled and the edit not read-only, and only a text
  // that leaves a number of the spin type (its first line, the blanks around it dropped);
  // anything else is refused with a beep.
  void PasteText(const AnsiString& Pasted) override;
  void DoEnter() override;
  void DoExit() override;
  void Loaded() override;
  // Whether a whole text reads as a value of the spin type.
  bool TakesText(const AnsiString& t) const;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetEnabled(bool v) override;
  // The wheel steps the value like the arrow keys.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  // Draws the flat underline and the focus border colour over the window system's edit.
  void PaintDecoration(TCanvas& Canvas);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Change() override;
  void CreateHandle() override;
  // A transparent edit lets its parent show through behind the text.
  TColor FieldColor() const override { return transparent_ ? clNone : Color(); }

 private:
  bool Loading() const;
  int ClampInt(int v) const;
  double ClampFloat(double v) const;
  double ClampDate(double v) const;
  // The step that changes the digit left of the caret; 0 when the plain increment applies.
  double CaretStep() const;
  void Step(int dir, bool page);
  void StepDate(int dir);
  void StepTime(int dir);
  void PlaceButton();
  void FocusNext();

  TAdvSpinType spin_type_ = sptNormal;
  int min_value_ = 0, max_value_ = 0;
  double min_float_ = 0, max_float_ = 0, min_date_ = 0, max_date_ = 0;
  int increment_ = 1, increment_page_ = 10;
  double increment_float_ = 0.1, increment_float_page_ = 1.0;
  bool increment_smart_ = false;
  int increment_hours_ = 1, increment_minutes_ = 1;
  int precision_ = 0;
  bool show_seconds_ = true, signed_ = false, editor_enabled_ = true, allow_null_ = true;
  bool return_is_tab_ = false, auto_focus_ = false;
  TEditAlign edit_align_ = eaLeft;
  bool flat_ = false, spin_flat_ = false, spin_transparent_ = false, transparent_ = false;
  TColor flat_line_color_ = clBlack;
  TColor focus_color_ = clWindow, focus_border_color_ = clNone, normal_color_ = clWindow;
  TBorderStyle flat_saved_border_ = bsSingleBorder;
  double date_time_ = 0;
  int hex_value_ = 0;
  // The float value of the last text that was a number.
  mutable double last_float_ = 0;
  TAdvSpinButton* button_ = nullptr;
};
