#include "gauges/AbNumEdit.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gauges/_AbProc.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Keys.h"
#include "platform/ui/UiStreaming.h"

namespace {

constexpr char kDecimal = '.', kThousands = ',';
constexpr double kIntLimit = 2147483647.0;
constexpr float kSingleMax = 3.4e38f;

struct BaseInfo {
  const char* allowed;
  bool exponent;
  bool si;
  bool sign;
  double low, high;
};
// Indexed by TEditBase.
const BaseInfo kBases[] = {
    {"01", false, false, false, -kIntLimit, kIntLimit},
    {"0123456789abcdefABCDEF", false, false, false, -kIntLimit, kIntLimit},
    {"0123456789.,", true, true, true, -HUGE_VAL, 1.7e308},
    {"0123456789,", false, true, true, -kIntLimit, kIntLimit},
};

struct SiLetter {
  char letter;
  float factor;
};
const SiLetter kSi[] = {{'E', 1e18f}, {'P', 1e15f}, {'T', 1e12f},  {'G', 1e9f},   {'M', 1e6f},   {'k', 1e3f},
                        {'m', 1e-3f}, {'u', 1e-6f}, {'n', 1e-9f}, {'p', 1e-12f}, {'f', 1e-15f}, {'a', 1e-18f}};

bool Allowed(const BaseInfo& b, char c) { return std::strchr(b.allowed, c) != nullptr && c != 0; }

// The number a checked body stands for; false when it is none (overlong, lone exponent ...).
bool Convert(TEditBase base, const AnsiString& body, double& out) {
  if (body.empty()) {
    out = 0;
    return true;
  }
  errno = 0;
  char* end = nullptr;
  switch (base) {
    case ebBin:
      if (body.size() > 32) return false;
      out = static_cast<int32_t>(BinStrToLongWord(body));
      return true;
    case ebHex: {
      const unsigned long long v = std::strtoull(body.c_str(), &end, 16);
      if (errno != 0 || *end != 0 || v > 0xFFFFFFFFull) return false;
      out = static_cast<int32_t>(static_cast<uint32_t>(v));
      return true;
    }
    case ebInt: {
      const long long v = std::strtoll(body.c_str(), &end, 10);
      if (errno != 0 || *end != 0 || v > INT_MAX || v < -INT_MAX) return false;
      out = static_cast<double>(v);
      return true;
    }
    case ebFloat: {
      double v = 0;
      if (!TryStrToFloat(body, v) || !std::isfinite(v)) return false;
      out = v;
      return true;
    }
  }
  return false;
}

}  // namespace

TAbNumEdit::TAbNumEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 65, Height() > 0 ? Height() : 21);
  formatting_ = true;
  TCustomEdit::SetText("0");
  formatting_ = false;
  SetColor(clWindow);
}

void TAbNumEdit::Loaded() {
  TCustomEdit::Loaded();
  loading_ = false;
  color_default_ = Color();
  ParseText(true);
}

void TAbNumEdit::SetState(TNumEditState s) {
  if (s == state_) return;
  state_ = s;
  switch (s) {
    case esNormal: SetColor(color_default_); break;
    case esEditing: SetColor(color_editing_); break;
    case esError:
      SetColor(color_error_);
      // No message pumping here: a pumped message could run the parser again.
      MessageBeep(MB_BEEP_OK);
      break;
  }
}

void TAbNumEdit::SetColorDefault(TColor v) {
  color_default_ = v;
  SetColor(v);
}

void TAbNumEdit::ParentColorChanged() {
  TCustomEdit::ParentColorChanged();
  if (ParentColor()) color_default_ = Color();
}

bool TAbNumEdit::ParseText(bool Apply) {
  const AnsiString text = Text();
  if (text.empty()) {
    SetState(esEditing);
    return true;
  }
  size_t first = 0, last = text.size();
  double factor = 1.0;
  TEditBase base = base_;
  switch (text[0]) {
    case '!': base = ebFloat, first = 1; break;
    case '$': base = ebHex, first = 1; break;
    case '%': base = ebInt, first = 1; break;
    case '&': base = ebBin, first = 1; break;
    default: break;
  }
  const BaseInfo& info = kBases[base];
  if (info.si && last > first) {
    for (const SiLetter& s : kSi)
      if (text[last - 1] == s.letter) {
        factor = s.factor;
        if (base == ebFloat || factor > 1)
          --last;
        else
          factor = 1.0;  // the letter stays and is reported as a bad character
        break;
      }
  }
  AnsiString body = text.substr(first, last - first);
  // Scan for characters the base does not take.
  int badFirst = -1, badLast = -1;
  auto bad = [&](size_t i) {
    const int pos = static_cast<int>(first + i);
    if (badFirst < 0) badFirst = pos;
    badLast = pos;
  };
  bool exponent = false, expSign = false;
  int points = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    const char ch = body[i];
    if (i == 0 && info.sign && (ch == '+' || ch == '-')) continue;
    if (info.exponent && !exponent && (ch == 'E' || ch == 'e')) {
      exponent = true;
      continue;
    }
    if (exponent && !expSign && (ch == '+' || ch == '-') && (body[i - 1] == 'E' || body[i - 1] == 'e')) {
      expSign = true;
      continue;
    }
    if (!Allowed(info, ch)) {
      bad(i);
      continue;
    }
    if (ch == kDecimal && ++points > 1) bad(i);
  }
  double number = 0;
  if (badFirst < 0) {
    if (body == "+" || body == "-") body += "0";
    if (!body.empty() && (body[0] == 'E' || body[0] == 'e')) {
      AnsiString withMantissa(1, '1');
      withMantissa.append(body);
      body.swap(withMantissa);
    }
    if (body.empty() && factor != 1.0) body.assign(1, '1');  // a letter alone: 1 of it
    AnsiString clean;
    RemoveChar(body, kThousands, clean);
    if (Convert(base, clean, number)) {
      if (factor != 1.0) number *= factor;
      if (!std::isfinite(number)) badFirst = -2;
    } else {
      badFirst = -2;  // allowed characters that still make no number
    }
  }
  if (badFirst == -2) {
    badFirst = static_cast<int>(first);
    badLast = static_cast<int>(text.size()) - 1;
  }
  if (badFirst >= 0) {
    SetState(esError);
    if (Enabled() && Visible() && !HasState(csDesigning) && !HasState(csLoading)) {
      if (CanFocus() && !Focused()) SetFocus();
      SetSelStart(badFirst);
      SetSelLength(badLast - badFirst + 1);
    }
    return false;
  }
  SetState(text == last_valid_ || Apply ? esNormal : esEditing);
  if (Apply) FormatValue(LimitValue(number));
  return true;
}

double TAbNumEdit::LimitValue(double v) {
  if (options_.Contains(eoLimitMin)) {
    const bool at = v <= min_;
    if (at != at_min_) {
      at_min_ = at;
      LimitChanged();
    }
    if (at) v = min_;
  }
  if (options_.Contains(eoLimitMax)) {
    const bool at = v >= max_;
    if (at != at_max_) {
      at_max_ = at;
      LimitChanged();
    }
    if (at) v = max_;
  }
  return v;
}

void TAbNumEdit::FormatValue(double v) {
  if (std::isnan(v)) return;
  const BaseInfo& info = kBases[base_];
  if (v < info.low) v = info.low;
  if (v > info.high) v = info.high;
  // The Single form stays within the Single range.
  as_single_ = v >= kSingleMax ? kSingleMax : v <= -kSingleMax ? -kSingleMax : static_cast<float>(v);
  as_int_ = v >= kIntLimit ? INT_MAX : v <= -kIntLimit ? -INT_MAX : AbRound(v);
  value_ = v;
  as_hex_ = IntToHex(static_cast<uint32_t>(as_int_), digits_hex_);
  IntToBinStr(static_cast<uint32_t>(as_int_), digits_bool_, as_bool_);
  const AnsiString text = TextOfValue();
  SetTextQuietly(text);
  formatted_ = true;
  SetState(esNormal);
  const bool changed = text != last_valid_;
  last_valid_ = text;
  if (!loading_ && changed && OnValueChanged) OnValueChanged(this);
}

// The value as the edit's number base shows it.
AnsiString TAbNumEdit::TextOfValue() const {
  switch (base_) {
    case ebBin: return as_bool_;
    case ebHex: return as_hex_;
    case ebFloat: return FormatFloat(format_, value_);
    case ebInt: break;
  }
  return IntToStr(as_int_);
}

// Sets the text without parsing it again as typed input.
void TAbNumEdit::SetTextQuietly(const AnsiString& text) {
  formatting_ = true;
  TCustomEdit::SetText(text);
  formatting_ = false;
}

void TAbNumEdit::Change() {
  if (!formatting_) ParseText(!formatted_ || HasState(csDesigning));
  TCustomEdit::Change();
}

// Setting the value it holds fires nothing, but the edit then shows that value: a
// number typed and not taken, or a bad one, never stays beside a value set from code.
void TAbNumEdit::SetValue(double v) {
  if (v != value_) FormatValue(LimitValue(v));
  else if (state_ != esNormal || Text() != TextOfValue()) RewriteFromValue();
}

void TAbNumEdit::SetValueAsInt(int v) {
  if (IntToStr(v) != Text() || state_ != esNormal) FormatValue(v);
}

void TAbNumEdit::SetValueAsSingle(float v) {
  if (FormatFloat(format_, value_) != Text() || state_ != esNormal) FormatValue(v);
}

void TAbNumEdit::SetValueAsBool(const AnsiString& v) {
  if (v == Text()) return;
  SetTextQuietly(base_ == ebBin ? v : "&" + v);
  ParseText(true);
}

void TAbNumEdit::SetValueAsHex(const AnsiString& v) {
  if (v == Text()) return;
  SetTextQuietly(base_ == ebHex ? v : "$" + v);
  ParseText(true);
}

void TAbNumEdit::RewriteFromValue() {
  const AnsiString text = TextOfValue();
  SetTextQuietly(text);
  last_valid_ = text;
  SetState(esNormal);
}

void TAbNumEdit::SetEditBase(TEditBase v) {
  if (v == base_) return;
  base_ = v;
  RewriteFromValue();
}

void TAbNumEdit::SetMinValue(double v) {
  min_ = v;
  ParseText(true);
}

void TAbNumEdit::SetMaxValue(double v) {
  max_ = v;
  ParseText(true);
}

void TAbNumEdit::SetOptions(TNumEditOptions v) {
  options_ = v;
  ParseText(true);
}

void TAbNumEdit::SetFormatStr(const AnsiString& v) {
  if (v == format_) return;
  format_ = v;
  if (base_ == ebFloat) {
    formatting_ = true;
    TCustomEdit::SetText(FormatFloat(format_, value_));
    formatting_ = false;
  }
  ParseText(true);
}

void TAbNumEdit::LimitChanged() {
  if (OnLimit) OnLimit(this);
}

void TAbNumEdit::Step(bool up) {
  const bool blocked = up ? at_max_ : at_min_;
  if (ReadOnly() || blocked) {
    MessageBeep(MB_BEEP_OK);
    return;
  }
  double v;
  if (options_.Contains(eoMultiply) && base_ == ebFloat && increment_ != 0 && value_ != 0)
    v = up ? value_ * increment_ : value_ / increment_;
  else
    v = up ? value_ + increment_ : value_ - increment_;
  SetValue(LimitValue(v));
  if (OnChange) OnChange(this);
}

void TAbNumEdit::Up() { Step(true); }
void TAbNumEdit::Down() { Step(false); }

void TAbNumEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    if (Key == VK_UP && !at_max_) Up();
    if (Key == VK_DOWN && !at_min_) Down();
    Key = 0;
    return;
  }
  // Escape takes back a typed or bad number. Like Enter, it is then the edit's own key and
  // not the window's: only an Escape with nothing to take back closes a dialog.
  const bool tookBack = Key == VK_ESCAPE && state_ != esNormal;
  if (tookBack) RewriteFromValue();
  // Every other key is announced before the edit handles it, so a handler sees the
  // text as it stands when the key arrives.
  if (OnChange) OnChange(this);
  TCustomEdit::KeyDown(Key, Shift);
  if (tookBack) Key = 0;
}

// Enter takes the typed number (see KeyPress) rather than pressing the window's default
// button, as in any multi-line edit.
bool TAbNumEdit::WantsDialogKey(WORD Key) const { return Key == VK_RETURN; }

void TAbNumEdit::KeyPress(char& Key) {
  if (!editor_enabled_) {
    Key = 0;
    MessageBeep(MB_BEEP_OK);
    return;
  }
  if (Key == '\r') {
    Key = 0;
    if (Text().empty()) TCustomEdit::SetText("0");
    ParseText(true);
    return;
  }
  TCustomEdit::KeyPress(Key);
}

void TAbNumEdit::PasteText(const AnsiString& Pasted) {
  if (!editor_enabled_) {
    MessageBeep(MB_BEEP_OK);
    return;
  }
  TCustomEdit::PasteText(Pasted);
}

void TAbNumEdit::DoExit() {
  TCustomEdit::DoExit();
  if (Text().empty()) TCustomEdit::SetText("0");
  ParseText(true);
}

bool TAbNumEdit::CommitTyping() {
  if (state_ == esNormal) return true;
  if (Text().empty()) TCustomEdit::SetText("0");
  return ParseText(true);
}

void TAbNumEdit::PutAway() {
  TCustomEdit::PutAway();
  if (state_ != esNormal) RewriteFromValue();
}

// --- TAbNumSpin -------------------------------------------------------------------------

TAbNumSpin::TAbNumSpin(TComponent* AOwner) : TAbNumEdit(AOwner) {
  button_ = new TAbSpinButton(this);
  button_->SetParent(this);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject*) { Up(); };
  button_->OnDownClick = [this](TObject*) { Down(); };
  PlaceButton();
}

void TAbNumSpin::LimitChanged() {
  if (button_ != nullptr) {
    button_->UpButton()->SetEnabled(!AtMax());
    button_->DownButton()->SetEnabled(!AtMin());
  }
  TAbNumEdit::LimitChanged();
}

void TAbNumSpin::SetEnabled(bool v) {
  TAbNumEdit::SetEnabled(v);
  if (button_ != nullptr) button_->SetEnabled(v);
}

void TAbNumSpin::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // Tall enough for a line of the font with the border.
  const int least = std::abs(Font()->Height()) + std::abs(Font()->Height()) / 4 + 4 + 2;
  TAbNumEdit::SetBounds(ALeft, ATop, AWidth, std::max(AHeight, least));
  PlaceButton();
}

void TAbNumSpin::PlaceButton() {
  if (button_ == nullptr) return;
  const int border = BorderStyle() == bsSingleBorder ? 2 : 0;
  const int bw = 16;
  button_->SetBounds(std::max(0, Width() - bw - border * 2), 0, bw, std::max(1, Height() - border * 2));
  SetMargins(LeftMargin(), bw + 2);
}

void RegisterNumEditClasses() {
  RegisterStdCtrlsClasses();
  RegisterClass<TAbTimerSpeedBtn, TSpeedButton>("TAbTimerSpeedBtn")
      .Int("Interval", &TAbTimerSpeedBtn::Interval, &TAbTimerSpeedBtn::SetInterval, 100)
      .Int("StartDelay", &TAbTimerSpeedBtn::StartDelay, &TAbTimerSpeedBtn::SetStartDelay, 500)
      .Bool("TimerEnabled", &TAbTimerSpeedBtn::TimerEnabled, &TAbTimerSpeedBtn::SetTimerEnabled, true);
  RegisterClass<TAbSpinButton, TWinControl>("TAbSpinButton")
      .Component("FocusControl", &TAbSpinButton::FocusControl, &TAbSpinButton::SetFocusControl)
      .Int("StartDelay", &TAbSpinButton::StartDelay, &TAbSpinButton::SetStartDelay, 500)
      .Int("Interval", &TAbSpinButton::Interval, &TAbSpinButton::SetInterval, 100)
      .Event("OnUpClick", &TAbSpinButton::OnUpClick)
      .Event("OnDownClick", &TAbSpinButton::OnDownClick);
  auto edit = RegisterClass<TAbNumEdit, TCustomEdit>("TAbNumEdit");
  ui::PublishColor(edit.Class(), clWindow);
  // The base, limits, options and format come before Value, so that a stored value is
  // read against them.
  edit.Enum("EditBase", &TAbNumEdit::EditBase, &TAbNumEdit::SetEditBase, {"ebBin", "ebHex", "ebFloat", "ebInt"}, ebFloat)
      .Bool("EditorEnabled", &TAbNumEdit::EditorEnabled, &TAbNumEdit::SetEditorEnabled, true)
      .Set("Options", [](TAbNumEdit* e) { return e->Options().Bits(); },
           [](TAbNumEdit* e, uint32_t v) { e->SetOptions(TNumEditOptions::FromBits(v)); },
           {"eoLimitMax", "eoLimitMin", "eoMultiply"}, 0)
      .Float("MinValue", &TAbNumEdit::MinValue, &TAbNumEdit::SetMinValue, 0)
      .Float("MaxValue", &TAbNumEdit::MaxValue, &TAbNumEdit::SetMaxValue, 0)
      .Float("Increment", &TAbNumEdit::Increment, &TAbNumEdit::SetIncrement, 1.0)
      .String("FormatStr", &TAbNumEdit::FormatStr, &TAbNumEdit::SetFormatStr, "#0.#")
      .Int("ColorDefault", &TAbNumEdit::ColorDefault, &TAbNumEdit::SetColorDefault, clWindow, &ui::ColorIdents())
      .Int("ColorError", &TAbNumEdit::ColorError, &TAbNumEdit::SetColorError, clRed, &ui::ColorIdents())
      .Int("ColorEditing", &TAbNumEdit::ColorEditing, &TAbNumEdit::SetColorEditing, clLime, &ui::ColorIdents())
      .Int("DigitsBool", &TAbNumEdit::DigitsBool, &TAbNumEdit::SetDigitsBool, 0)
      .Int("DigitsHex", &TAbNumEdit::DigitsHex, &TAbNumEdit::SetDigitsHex, 0)
      .Float("Value", &TAbNumEdit::Value, &TAbNumEdit::SetValue, 0)
      .Event("OnValueChanged", &TAbNumEdit::OnValueChanged)
      .Event("OnLimit", &TAbNumEdit::OnLimit);
  RegisterClass<TAbNumSpin, TAbNumEdit>("TAbNumSpin")
      .Int("StartDelay", &TAbNumSpin::StartDelay, &TAbNumSpin::SetStartDelay, 500)
      .Int("Interval", &TAbNumSpin::Interval, &TAbNumSpin::SetInterval, 100);
}
