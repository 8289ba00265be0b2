#pragma once
// The numeric edit: a one-line entry for a number in one of four bases (binary, hex,
// float, integer) with a typed base prefix ("&", "$", "!", "%"), SI multiplier letters,
// limits, colour feedback while typing and on error, and stepping by the arrow keys.
// TAbNumSpin adds an up/down button pair that repeats while held.
#include "gauges/AbSpin.h"
#include "gauges/GaugeClasses.h"
#include "platform/graphics/SmallSet.h"
#include "platform/stdctrls/Edits.h"

enum TEditBase { ebBin, ebHex, ebFloat, ebInt };
enum TNumEditOption { eoLimitMax, eoLimitMin, eoMultiply };
using TNumEditOptions = SmallSet<TNumEditOption>;
enum TNumEditState { esNormal, esEditing, esError };

class TAbNumEdit : public TCustomEdit {
 public:
  explicit TAbNumEdit(TComponent* AOwner);
  const char* ClassName() const override { return "TAbNumEdit"; }
  void Loaded() override;

  TEditBase EditBase() const { return base_; }
  void SetEditBase(TEditBase v);
  bool EditorEnabled() const { return editor_enabled_; }
  void SetEditorEnabled(bool v) { editor_enabled_ = v; }
  double MinValue() const { return min_; }
  void SetMinValue(double v);
  double MaxValue() const { return max_; }
  void SetMaxValue(double v);
  float Increment() const { return increment_; }
  void SetIncrement(float v) { increment_ = v; }
  double Value() const { return value_; }
  void SetValue(double v);
  const AnsiString& ValueAsBool() const { return as_bool_; }
  void SetValueAsBool(const AnsiString& v);
  const AnsiString& ValueAsHex() const { return as_hex_; }
  void SetValueAsHex(const AnsiString& v);
  float ValueAsSingle() const { return as_single_; }
  void SetValueAsSingle(float v);
  int ValueAsInt() const { return as_int_; }
  void SetValueAsInt(int v);
  TNumEditOptions Options() const { return options_; }
  void SetOptions(TNumEditOptions v);
  const AnsiString& FormatStr() const { return format_; }
  void SetFormatStr(const AnsiString& v);
  TNumEditState State() const { return state_; }
  TColor ColorDefault() const { return color_default_; }
  void SetColorDefault(TColor v);
  TColor ColorError() const { return color_error_; }
  void SetColorError(TColor v) { color_error_ = v; }
  TColor ColorEditing() const { return color_editing_; }
  void SetColorEditing(TColor v) { color_editing_ = v; }
  int DigitsBool() const { return digits_bool_; }
  void SetDigitsBool(int v) { digits_bool_ = v; }
  int DigitsHex() const { return digits_hex_; }
  void SetDigitsHex(int v) { digits_hex_ = v; }
  bool AtMax() const { return at_max_; }
  bool AtMin() const { return at_min_; }

  TNotifyEvent OnValueChanged;
  TNotifyEvent OnLimit;

  // Reads the text; Apply takes the number as the new value. False (error state, value
  // kept) when the text holds characters the base does not allow or is no number.
  bool ParseText(bool Apply);
  double LimitValue(double v);
  // Every write of the value ends here: base range, derived forms, text, OnValueChanged.
  void FormatValue(double v);
  virtual void SetState(TNumEditState s);
  virtual void LimitChanged();
  virtual void Up();
  virtual void Down();

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // Refused with a beep, as every key is, when the editor is not enabled.
  void PasteText(const AnsiString& Pasted) override;
  void DoExit() override;
  bool WantsDialogKey(WORD Key) const override;
  // A typed number is taken as leaving the edit takes it; false for a bad one.
  bool CommitTyping() override;
  bool TypingNotTaken() const override { return state_ != esNormal; }
  // A typed or bad number not taken gives way to the text of the value.
  void PutAway() override;

 protected:
  void Change() override;
  void ParentColorChanged() override;
  void RewriteFromValue();
  AnsiString TextOfValue() const;
  void SetTextQuietly(const AnsiString& text);

 private:
  void Step(bool up);
  TEditBase base_ = ebFloat;
  bool editor_enabled_ = true;
  double min_ = 0, max_ = 0;
  float increment_ = 1.0f;
  AnsiString last_valid_ = "0";
  double value_ = 0;
  AnsiString as_bool_ = "0", as_hex_ = "0";
  float as_single_ = 0;
  int as_int_ = 0;
  TNumEditOptions options_;
  AnsiString format_ = "#0.#";
  TNumEditState state_ = esNormal;
  bool loading_ = true, formatting_ = false, formatted_ = false, at_max_ = false, at_min_ = false;
  TColor color_default_ = clWindow, color_error_ = clRed, color_editing_ = clLime;
  int digits_bool_ = 0, digits_hex_ = 0;
};

class TAbNumSpin : public TAbNumEdit {
 public:
  explicit TAbNumSpin(TComponent* AOwner);
  const char* ClassName() const override { return "TAbNumSpin"; }
  TAbSpinButton* Button() const { return button_; }
  uint32_t StartDelay() const { return button_->StartDelay(); }
  void SetStartDelay(uint32_t v) { button_->SetStartDelay(v); }
  int Interval() const { return button_->Interval(); }
  void SetInterval(int v) { button_->SetInterval(v); }
  void LimitChanged() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetEnabled(bool v) override;

 private:
  void PlaceButton();
  TAbSpinButton* button_ = nullptr;
};

// Registers the numeric edit, the spin and the spin buttons (part of RegisterGaugeClasses).
void RegisterNumEditClasses();
