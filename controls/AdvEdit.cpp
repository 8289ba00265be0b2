#include "controls/AdvEdit.h"

#include "platform/ui/FocusOrder.h"
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Clipboard.h"
#include "platform/ui/Forms.h"

namespace {
// Number text is written and read with the runtime's fixed separators.
constexpr char kDecimal = '.';
constexpr char kThousand = ',';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

AnsiString WithoutThousands(const AnsiString& s) {
  AnsiString r;
  for (char c : s)
    if (c != kThousand) r += c;
  return r;
}

AnsiString FormatPrec(double v, int precision, bool thousands) {
  if (precision < 0) return FloatToStr(v);
  return FloatToStrF(v, thousands ? ffNumber : ffFixed, 15, precision);
}

AnsiString Hex(int64_t v) { return v < 0 ? "-" + IntToHex(-v, 1) : IntToHex(v, 1); }
}  // namespace

TTextKind ClassifyText(const AnsiString& s) {
  if (s.empty()) return tkText;
  bool isInt = true, isDec = true, isHex = true;
  int minus = 0, decimals = 0, lastThousand = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '-') ++minus;
    if (c == kDecimal) ++decimals;
    if (!(IsDigit(c) || c == '-')) isInt = false;
    if (!(IsDigit(c) || c == ',' || c == '-' || c == '.')) isDec = false;
    if (!(IsDigit(c) || c == '-' || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) isHex = false;
    if (c == kThousand) {
      if (i == 0 || (lastThousand >= 0 && static_cast<int>(i) - lastThousand - 1 < 3)) isDec = false;
      lastThousand = static_cast<int>(i);
    }
  }
  if (minus >= 2 || decimals >= 2) return tkText;
  if (isInt) return tkInteger;
  if (isDec) return tkDecimal;
  if (isHex) return tkHex;
  return tkText;
}

AnsiString MixedCase(const AnsiString& s) {
  static const AnsiString separators = " \"$()*,-./:[\\]";
  AnsiString r = s;
  bool wordStart = true;
  for (size_t i = 0; i < r.size(); ++i) {
    char c = r[i];
    if (separators.find(c) != AnsiString::npos) {
      wordStart = true;
      continue;
    }
    bool mcStart = (i == 2 && r.compare(0, 2, "Mc") == 0) || (i == 3 && r.compare(0, 3, "Mac") == 0) ||
                   (i >= 3 && r.compare(i - 3, 3, " Mc") == 0);
    if (wordStart || mcStart)
      r[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    else if (c >= 'A' && c <= 'Z')
      r[i] = static_cast<char>(c - 'A' + 'a');
    wordStart = false;
  }
  // Roman numerals II and III stay capital at the end of the text.
  for (size_t i = r.size() >= 3 ? r.size() - 3 : 0; i < r.size(); ++i) {
    bool afterI = (i >= 2 && r.compare(i - 2, 2, " I") == 0) || (i >= 3 && r.compare(i - 3, 3, " II") == 0);
    if (afterI) r[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(r[i])));
  }
  return r;
}

TAdvEdit::TAdvEdit(TComponent* AOwner)
    : TFlatEdit(AOwner), lookup_(std::make_unique<TLookupSettings>()), persistence_(std::make_unique<TPersistence>()) {
  SetColor(clWindow);
  normal_color_ = clWindow;
}

TAdvEdit::~TAdvEdit() {
  // The text and lists are kept as the edit goes; a store that cannot be written is
  // reported and the edit still goes.
  try {
    SavePersist();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: the edit's text was not kept: %s\n", Name().c_str(), e.what());
  }
}

AnsiString TAdvEdit::Text() const {
  AnsiString t = WindowText();
  if (!prefix_.empty() && t.compare(0, prefix_.size(), prefix_) == 0) t.erase(0, prefix_.size());
  // Only a suffix that is really there is cut: typing may have eaten into it.
  if (!suffix_.empty() && t.size() >= suffix_.size() && t.compare(t.size() - suffix_.size(), suffix_.size(), suffix_) == 0)
    t.resize(t.size() - suffix_.size());
  return t;
}

// Typing edits the window text as it is: the value setter would re-format a half-typed
// number ("1." becoming "1.00").
void TAdvEdit::ReplaceSel(const AnsiString& with) {
  AnsiString t = WindowText();
  const size_t start = std::min(static_cast<size_t>(SelStart()), t.size());
  t.replace(start, std::min(static_cast<size_t>(SelLength()), t.size() - start), with);
  TCustomEdit::SetText(t);
  SetSelStart(static_cast<int>(start + with.size()));
}

void TAdvEdit::SetWindowText(const AnsiString& value) { TCustomEdit::SetText(prefix_ + value + suffix_); }

void TAdvEdit::SetText(const AnsiString& v) {
  AnsiString value = v;
  const bool numeric = edit_type_ == etNumeric || edit_type_ == etFloat || edit_type_ == etMoney || edit_type_ == etHex;
  if (value.empty() && numeric) value = "0";
  if (precision_ >= 1 && !value.empty()) {
    if (edit_type_ == etMoney) value = FormatPrec(StrToFloat(WithoutThousands(value)), precision_, true);
    if (edit_type_ == etFloat) value = FormatPrec(StrToFloat(WithoutThousands(value)), precision_, false);
  }
  if (edit_type_ == etHex)
    for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  SetWindowText(value);
  TCustomEdit::SetModified(false);
  own_modified_ = false;
  ApplyURLLook();
}

double TAdvEdit::FloatValue() const {
  AnsiString t = Text();
  switch (edit_type_) {
    case etString: {
      double v = 0;
      int code = 0;
      Val(t, v, code);
      return code == 0 ? v : 0;
    }
    case etMoney:
      if (!t.empty() && t.back() == kDecimal) t.pop_back();
      [[fallthrough]];
    case etNumeric:
    case etFloat:
      if (t.empty() || t == "-") return 0;
      return StrToFloat(WithoutThousands(t));
    case etHex: {
      int64_t v = 0;
      for (char c : t) {
        int d = IsDigit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 0;
        v = (v * 16 + d) & 0xFFFFFFFFFFFFLL;
      }
      return static_cast<double>(v);
    }
    default: return 0;
  }
}

void TAdvEdit::SetFloatValue(double v) {
  switch (edit_type_) {
    case etString:
    case etFloat: SetWindowText(FormatPrec(v, precision_, false)); break;
    case etNumeric: SetWindowText(FormatPrec(v, precision_, true)); break;
    case etMoney:
      SetWindowText(FormatPrec(v, precision_, false));
      MoneyFormat();
      break;
    case etHex: SetWindowText(Hex(Round(v))); break;
    default: return;
  }
  SetModified(true);
}

int TAdvEdit::IntValue() const {
  double v = FloatValue();
  if (!(v > -2147483649.0 && v < 2147483648.0)) throw EConvertError("'" + Text() + "' is not a valid integer value");
  return static_cast<int>(Round(v));
}

void TAdvEdit::SetIntValue(int v) {
  switch (edit_type_) {
    case etNumeric: SetText(IntToStr(v)); break;
    case etFloat: SetText(IntToStr(v)); break;
    case etMoney:
      SetText(IntToStr(v));
      MoneyFormat();
      break;
    case etHex: SetText(Hex(v)); break;
    default: return;
  }
  SetModified(true);
}

void TAdvEdit::SetEditType(TAdvEditType v) {
  edit_type_ = v;
  if (v == etPassword) {
    SetPasswordChar('*');
    can_undo_ = false;
  } else {
    SetPasswordChar(0);
  }
  TTextKind k = ClassifyText(Text());
  if (v == etNumeric && k != tkInteger) SetWindowText("0");
  if ((v == etFloat || v == etMoney) && (k == tkText || k == tkHex)) SetFloatValue(0);
  if (v == etHex && k != tkInteger && k != tkHex) SetWindowText("0");
}

void TAdvEdit::SetPrecision(int v) {
  if (edit_type_ != etString && edit_type_ != etFloat && edit_type_ != etMoney) return;
  if (precision_ == v) return;
  precision_ = v;
  TTextKind k = ClassifyText(Text());
  SetFloatValue(k == tkInteger || k == tkDecimal ? FloatValue() : 0.0);
}

void TAdvEdit::SetAutoThousandSeparator(bool v) {
  auto_thousand_ = v;
  if (edit_type_ == etMoney) MoneyFormat();
}

void TAdvEdit::SetPrefix(const AnsiString& v) {
  AnsiString value = Text();
  prefix_ = v;
  SetWindowText(value);
}

void TAdvEdit::SetSuffix(const AnsiString& v) {
  AnsiString value = Text();
  suffix_ = v;
  SetWindowText(value);
}

void TAdvEdit::SetEditAlign(TEditAlign v) {
  edit_align_ = v;
  SetAlignment(v == eaRight ? taRightJustify : v == eaCenter ? taCenter : taLeftJustify);
}

void TAdvEdit::SetShowError(bool v) {
  show_error_ = v;
  if (v && !(ComponentState() & csLoading)) SetErrorState(!DoValidate(Text()));
}

void TAdvEdit::SetErrorState(bool v) {
  if (v == error_) return;
  error_ = v;
  if (!show_error_ || (ComponentState() & csLoading)) return;
  if (v) {
    SetColor(error_color_);
    Font()->SetColor(error_font_color_);
  } else if (focused_) {
    if (focus_color_ != clNone) SetColor(focus_color_);
    if (focus_font_color_ != clNone) Font()->SetColor(focus_font_color_);
  } else {
    SetColor(normal_color_);
    Font()->SetColor(normal_font_color_);
  }
}

bool TAdvEdit::ShowsEmptyText() const { return !empty_text_.empty() && Text().empty() && !focused_; }

void TAdvEdit::SetShowURL(bool v) {
  show_url_ = v;
  ApplyURLLook();
}

bool TAdvEdit::IsURL() const {
  AnsiString t = Text();
  AnsiString lower = t;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t at = t.find('@');
  return t.find("://") != AnsiString::npos || (at != AnsiString::npos && at >= 1) || lower.compare(0, 4, "www.") == 0;
}

void TAdvEdit::ApplyURLLook() {
  bool look = show_url_ && IsURL();
  if (look == url_look_) return;
  url_look_ = look;
  TFontStyles s = Font()->Style();
  if (look) {
    s << fsUnderline;
    Font()->SetColor(url_color_);
    SetCursor(crHandPoint);
  } else {
    s >> fsUnderline;
    Font()->SetColor(normal_font_color_);
    SetCursor(crDefault);
  }
  Font()->SetStyle(s);
}

bool TAdvEdit::DoValidate(const AnsiString& Value) {
  if (validating_) return true;
  validating_ = true;
  bool valid = true;
  try {
    ValueValidate(Value, valid);
  } catch (...) {
    validating_ = false;
    throw;
  }
  validating_ = false;
  return valid;
}

void TAdvEdit::ValueValidate(const AnsiString& Value, bool& IsValid) {
  if (OnValueValidate) OnValueValidate(this, Value, IsValid);
}

void TAdvEdit::SetModified(bool v) {
  if ((ComponentState() & csLoading) || ReadOnly()) return;
  TCustomEdit::SetModified(v);
  own_modified_ = v;
  if (show_modified_) Font()->SetColor(v ? modified_color_ : normal_font_color_);
}

void TAdvEdit::Change() {
  if (swallow_change_) {
    swallow_change_ = false;
    return;
  }
  TCustomEdit::Change();
  if (show_error_ && !(ComponentState() & csLoading)) SetErrorState(!DoValidate(Text()));
  ApplyURLLook();
}

// ---- typing ----

int TAdvEdit::IntegerPartLength(const AnsiString& value) const {
  int n = 0;
  for (char c : value) {
    if (c == kDecimal) break;
    if (IsDigit(c)) ++n;
  }
  return n;
}

void TAdvEdit::TypeChar(char Key) {
  if (ReadOnly()) return;
  if (Key == 8) {
    if (SelLength() == 0) {
      if (SelStart() <= static_cast<int>(prefix_.size())) return;
      SetSelStart(SelStart() - 1);
      SetSelLength(1);
    }
    ReplaceSel("");
  } else {
    if (MaxLength() > 0 && static_cast<int>(Text().size()) - SelLength() >= MaxLength()) return;
    ReplaceSel(AnsiString(1, Key));
  }
  TCustomEdit::SetModified(true);
  own_modified_ = true;
}

void TAdvEdit::MoneyFormat() {
  AnsiString v = Text();
  if (v.empty() || v == "-") return;
  const int fromEnd = static_cast<int>(WindowText().size()) - SelStart();
  AnsiString sign = v[0] == '-' ? "-" : "";
  size_t dp = v.find(kDecimal);
  AnsiString fraction = dp == AnsiString::npos ? AnsiString() : v.substr(dp);
  AnsiString intText = WithoutThousands(v.substr(sign.size(), dp == AnsiString::npos ? AnsiString::npos : dp - sign.size()));
  double whole = 0;
  if (!intText.empty() && !TryStrToFloat(intText, whole)) return;
  AnsiString intPart = FloatToStrF(std::trunc(std::fabs(whole)), auto_thousand_ ? ffNumber : ffFixed, 15, 0);
  AnsiString shown = prefix_ + sign + intPart + fraction + suffix_;
  if (shown == WindowText()) return;
  swallow_change_ = true;
  TCustomEdit::SetText(shown);
  swallow_change_ = false;
  SetSelStart(std::max(0, static_cast<int>(shown.size()) - fromEnd));
  SetSelLength(0);
}

void TAdvEdit::ToggleSign(bool keepPrecision) {
  AnsiString v = Text();
  int caret = SelStart();
  const int pre = static_cast<int>(prefix_.size());
  if (!v.empty() && v[0] == '-') {
    v.erase(0, 1);
    caret = std::max(pre, caret - 1);
  } else {
    v = "-" + v;
    ++caret;
  }
  int saved = precision_;
  if (!keepPrecision) precision_ = 0;
  SetWindowText(v);
  precision_ = saved;
  SetSelStart(caret);
  SetModified(true);
}

// The float and money rules; false when the key was consumed and processing ends.
bool TAdvEdit::FloatKey(char& Key) {
  AnsiString value = Text();
  const int pre = static_cast<int>(prefix_.size());
  const int caret = SelStart() - pre;
  const int sel = SelLength();
  if (Key == ',' && kDecimal != ',' && kThousand != ',') { Key = 0; return false; }
  if (!(Key == 8 || Key == 9 || Key == 13 || Key == ',' || Key == '-' || Key == '.' || IsDigit(Key))) {
    Key = 0;
    return false;
  }
  const size_t dp = value.find(kDecimal);
  if ((Key == kDecimal || Key == kThousand) && value.find(kThousand) != AnsiString::npos && sel == 0) {
    // Among thousand separators a separator fits only where a whole group of three
    // digits lies between it and the nearest one.
    const size_t before = caret > 0 ? value.rfind(kThousand, static_cast<size_t>(caret - 1)) : AnsiString::npos;
    const int gap = before != AnsiString::npos ? caret - static_cast<int>(before) - 1
                                               : static_cast<int>(value.find(kThousand, static_cast<size_t>(caret))) - caret;
    if (gap != 3) {
      Key = 0;
      return false;
    }
  }
  if (Key == kDecimal) {
    if (edit_type_ == etMoney && dp != AnsiString::npos && sel > 0 && sel == static_cast<int>(value.size())) {
      // A separator over the whole money text starts again from zero.
      SetWindowText(AnsiString("0") + kDecimal + "0");
      SetSelStart(pre + 2);
      Key = 0;
      return false;
    }
    const bool inSelection = dp != AnsiString::npos && static_cast<int>(dp) >= caret && static_cast<int>(dp) < caret + sel;
    if ((dp != AnsiString::npos && !inSelection) || precision_ == 0) {
      if (precision_ > 0 && dp != AnsiString::npos) SetSelStart(pre + static_cast<int>(Text().find(kDecimal)) + 1);
      Key = 0;
      return false;
    }
    if (value.empty() && caret == 0) {
      SetWindowText(AnsiString("0") + kDecimal);
      SetSelStart(pre + 2);
      SetModified(true);
      Key = 0;
      return false;
    }
  }
  if (Key == '-' && sel == 0) {
    ToggleSign(false);
    Key = 0;
    return false;
  }
  if (dp != AnsiString::npos && caret > static_cast<int>(dp) && precision_ > 0 && sel == 0 &&
      static_cast<int>(value.size() - dp - 1) >= precision_) {
    if (IsDigit(Key) && caret < static_cast<int>(value.size())) {
      SetSelLength(1);  // overwrite the next digit
      return true;
    }
    if (Key != 8) {
      Key = 0;
      return false;
    }
  }
  return true;
}

bool TAdvEdit::RangeKeyAllowed(char Key) const {
  if (Key == 8 || Key == 9 || Key == 13 || IsDigit(Key)) return true;
  if (Key != ',' && Key != '-' && Key != ';') return false;
  AnsiString v = Text();
  const int caret = SelStart() - static_cast<int>(prefix_.size());
  auto isSep = [](char c) { return c == ',' || c == '-' || c == ';'; };
  if (caret <= 0) return false;
  if (isSep(v[static_cast<size_t>(caret - 1)])) return false;
  if (caret < static_cast<int>(v.size()) && isSep(v[static_cast<size_t>(caret)])) return false;
  return true;
}

void TAdvEdit::KeyDown(WORD& Key, TShiftState Shift) {
  keypad_decimal_ = Key == VK_DECIMAL;
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == 0) return;
  const bool ctrl = Shift.Contains(ssCtrl);
  if (ctrl && (Key == VK_TAB || Key == VK_RETURN)) return;
  if (LookupShowing() && LookupKey(Key)) {
    Key = 0;
    return;
  }
  if (ctrl && (Key == 'V' || Key == 'X')) {
    // Clipboard edits go through the veto events.
    if (Key == 'V') PasteFromClipboard(); else CutToClipboard();
    Key = 0;
    return;
  }
  if (ctrl && Key == 'C') {
    CopyToClipboard();
    Key = 0;
    return;
  }
  if (Key == VK_RETURN && return_is_tab_) {
    FocusNext();
    Key = 0;
    return;
  }
  // A read-only edit has nothing of the user's to take back; its text is the program's.
  if (Key == VK_ESCAPE && can_undo_ && !ReadOnly()) {
    SetWindowText(undo_text_);
    TCustomEdit::SetModified(false);
    own_modified_ = false;
    if (focus_font_color_ != clNone) Font()->SetColor(focus_font_color_);
    SelectAll();
    return;
  }
  const int pre = static_cast<int>(prefix_.size());
  const int end = pre + static_cast<int>(Text().size());
  if (Key == VK_LEFT && SelStart() <= pre && !Shift.Contains(ssShift)) { Key = 0; return; }
  if (Key == VK_RIGHT && SelStart() >= end && !Shift.Contains(ssShift)) { Key = 0; return; }
  if (Key == VK_HOME) {
    if (Shift.Contains(ssShift)) { SetSelStart(pre); SetSelLength(end - pre); }
    else SetSelStart(pre);
    Key = 0;
    return;
  }
  if (Key == VK_END) {
    int from = SelStart();
    if (Shift.Contains(ssShift)) { SetSelStart(from); SetSelLength(end - from); }
    else SetSelStart(end);
    Key = 0;
    return;
  }
  if (Key == VK_DELETE) {
    Key = 0;
    if (ReadOnly() || (SelLength() == 0 && SelStart() >= end)) return;
    AnsiString v = Text();
    int at = SelStart() - pre, len = std::max(1, SelLength());
    AnsiString after = v.substr(0, static_cast<size_t>(at)) + v.substr(std::min(v.size(), static_cast<size_t>(at + len)));
    if (length_limit_ > 0 && IntegerPartLength(after) > length_limit_) return;
    SetSelLength(len);
    ReplaceSel("");
    SetModified(true);
    if (edit_type_ == etMoney) MoneyFormat();
  }
}

void TAdvEdit::KeyPress(char& Key) {
  const bool ctrl = (Key == 10);  // Ctrl+Enter's line feed
  if (Key == 13) {
    TWinControl::KeyPress(Key);
    Key = 0;
    return;
  }
  if (Key == 27 && !can_undo_) return;
  if (Key == 3 || Key == 22 || Key == 24) return;
  // Other control characters (Ctrl+A, Ctrl+Z, ...) are editing commands of the window
  // system's edit, never text.
  if (static_cast<unsigned char>(Key) < 32 && Key != 8 && Key != 9 && Key != 10 && Key != 27) return;
  TWinControl::KeyPress(Key);
  if (Key == 0) return;
  // Nothing typed changes a read-only edit: not a character, not BackSpace, nor the
  // sign, separator and case rules that rewrite the text around the caret.
  if (ReadOnly() && Key != 9) {
    Key = 0;
    return;
  }
  if (excel_decimal_ && keypad_decimal_ && (Key == '.' || Key == ',')) Key = kDecimal;
  keypad_decimal_ = false;
  const int pre = static_cast<int>(prefix_.size());
  if (Key == 8 && !prefix_.empty() && SelStart() <= pre && SelLength() == 0) { Key = 0; return; }
  AnsiString value = Text();
  if (length_limit_ > 0 && IntegerPartLength(value) >= length_limit_ && SelLength() == 0) {
    size_t dp = value.find(kDecimal);
    int caret = SelStart() - pre;
    if ((dp == AnsiString::npos || caret <= static_cast<int>(dp)) && Key != 8 && Key != kDecimal) { Key = 0; return; }
  }
  if (Key == 8 && length_limit_ > 0) {
    int at = SelStart() - pre, len = SelLength();
    if (len == 0 && at > 0) { --at; len = 1; }
    AnsiString after = value.substr(0, static_cast<size_t>(std::max(0, at))) + value.substr(std::min(value.size(), static_cast<size_t>(std::max(0, at) + len)));
    if (IntegerPartLength(after) > length_limit_) { Key = 0; return; }
  }
  if (ctrl) { Key = 0; return; }
  if (Key == '-' && !signed_ && (edit_type_ == etNumeric || edit_type_ == etFloat || edit_type_ == etMoney)) { Key = 0; return; }
  bool take = true;
  switch (edit_type_) {
    case etString:
    case etPassword: break;
    case etNumeric:
      if (Key == '-') {
        if (SelLength() > 0 && SelLength() >= static_cast<int>(value.size())) {
          SetWindowText("-");
          SetSelStart(pre + 1);
          Key = 0;
          return;
        }
        ToggleSign(true);
        Key = 0;
        break;
      }
      take = Key == 8 || Key == 9 || IsDigit(Key);
      break;
    case etFloat:
    case etMoney:
      if (!FloatKey(Key)) return;
      break;
    case etUppercase: Key = static_cast<char>(std::toupper(static_cast<unsigned char>(Key))); break;
    case etLowerCase: Key = static_cast<char>(std::tolower(static_cast<unsigned char>(Key))); break;
    case etMixedCase: break;
    case etRange: take = RangeKeyAllowed(Key); break;
    case etHex: take = Key == 8 || Key == 9 || Key == '-' || std::isxdigit(static_cast<unsigned char>(Key)); break;
    case etAlphaNumeric: take = Key == 8 || Key == 9 || std::isalnum(static_cast<unsigned char>(Key)); break;
    case etValidChars: take = Key == 8 || valid_chars_.find(Key) != AnsiString::npos; break;
  }
  if (take && Key != 0 && Key != 9) {
    TypeChar(Key);
    if (edit_type_ == etMixedCase) {
      int caret = SelStart();
      SetWindowText(MixedCase(Text()));
      SetSelStart(caret);
    }
    if (edit_type_ == etMoney && Key != kDecimal) MoneyFormat();
  }
  if (Key != 9) Key = 0;
  AfterKey();
}

void TAdvEdit::AfterKey() {
  AnsiString value = Text();
  if (tab_on_full_ && length_limit_ > 0 && IntegerPartLength(value) >= length_limit_ && SelLength() == 0 &&
      SelStart() - static_cast<int>(prefix_.size()) == length_limit_)
    FocusNext();
  if (Modified() && show_modified_) Font()->SetColor(modified_color_);
  UpdateLookup();
}

void TAdvEdit::FocusNext() { ui::FocusNextControl(this); }

// ---- clipboard ----

void TAdvEdit::CopyToClipboard() {
  bool allow = true;
  if (OnClipboardCopy) OnClipboardCopy(this, SelText(), allow);
  if (allow && SelLength() > 0) Clipboard()->SetAsText(SelText());
}

void TAdvEdit::CutToClipboard() {
  bool allow = true;
  if (OnClipboardCut) OnClipboardCut(this, SelText(), allow);
  if (!allow || ReadOnly() || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
  ReplaceSel("");
  SetModified(true);
}

void TAdvEdit::PasteFromClipboard() { PasteText(Clipboard()->AsText()); }

void TAdvEdit::PasteText(const AnsiString& Pasted) {
  if (ReadOnly() || Pasted.empty()) return;
  bool allow = true;
  if (OnClipboardPaste) OnClipboardPaste(this, Pasted, allow);
  if (allow) InsertChecked(Pasted);
}

// Puts text in at the selection when the edit type takes the result (a paste, a drop).
bool TAdvEdit::InsertChecked(const AnsiString& Pasted) {
  if (ReadOnly()) return false;
  const int pre = static_cast<int>(prefix_.size());
  AnsiString value = Text();
  const int at = std::clamp(SelStart() - pre, 0, static_cast<int>(value.size()));
  const int len = std::min(SelLength(), static_cast<int>(value.size()) - at);
  AnsiString merged = value.substr(0, static_cast<size_t>(at)) + Pasted + value.substr(static_cast<size_t>(at + len));
  if (MaxLength() > 0 && static_cast<int>(merged.size()) > MaxLength()) return false;
  TTextKind k = ClassifyText(merged);
  auto every = [&](auto pred) { return std::all_of(merged.begin(), merged.end(), pred); };
  switch (edit_type_) {
    case etString:
    case etPassword: break;
    case etNumeric:
      if (k != tkInteger || (!signed_ && merged.find('-') != AnsiString::npos)) return false;
      if (double v = 0; !TryStrToFloat(merged, v)) return false;  // "1-2" is no number
      break;
    case etFloat:
    case etMoney: {
      if (k != tkInteger && k != tkDecimal) return false;
      if (precision_ == 0 && merged.find(kDecimal) != AnsiString::npos) return false;
      if (!signed_ && merged.find('-') != AnsiString::npos) return false;
      double v = 0;
      if (!TryStrToFloat(WithoutThousands(merged), v)) return false;  // "1-2" and the like
      SetFloatValue(v);
      return true;
    }
    case etUppercase:
      for (char& c : merged) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      break;
    case etLowerCase:
      for (char& c : merged) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case etMixedCase: merged = MixedCase(merged); break;
    case etAlphaNumeric:
      if (!every([](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) return false;
      break;
    case etValidChars:
      if (!every([this](char c) { return valid_chars_.find(c) != AnsiString::npos; })) return false;
      break;
    case etRange:
    case etHex: return false;
  }
  SetWindowText(merged);
  SetSelStart(pre + at + static_cast<int>(Pasted.size()));
  SetModified(true);
  UpdateLookup();
  if (tab_on_full_ && length_limit_ > 0 && static_cast<int>(merged.size()) == length_limit_) FocusNext();
  return true;
}

// ---- focus, state ----

void TAdvEdit::DoEnter() {
  focused_ = true;
  if (!(ComponentState() & csLoading)) {
    undo_text_ = Text();
    if (focus_color_ != clNone && !(error_ && show_error_)) SetColor(focus_color_);
    if (!(error_ && show_error_) && !show_modified_) {
      normal_font_color_ = Font()->Color();
      if (focus_font_color_ != clNone && !url_look_) Font()->SetColor(focus_font_color_);
    }
    if (focus_label_) label_.SetBold(true);
    if (focus_width_inc_ >= 1) SetBounds(Left(), Top(), Width() + focus_width_inc_, Height());
    saved_align_ = edit_align_;
    if (focus_align_ != eaDefault) {
      SetEditAlign(focus_align_);
      edit_align_ = saved_align_;
    }
  }
  TWinControl::DoEnter();
  if (ComponentState() & csLoading) return;
  const int pre = static_cast<int>(prefix_.size());
  AnsiString value = Text();
  if (AutoSelect()) {
    int from = 0;
    if (show_url_) {
      size_t p = value.find("://");
      if (p != AnsiString::npos) from = static_cast<int>(p) + 3;
      else if (value.compare(0, 7, "mailto:") == 0) from = 7;
    }
    SetSelStart(pre + from);
    SetSelLength(static_cast<int>(value.size()) - from);
  } else if (edit_type_ == etFloat || edit_type_ == etMoney) {
    size_t dp = value.find(kDecimal);
    SetSelStart(pre + (dp == AnsiString::npos ? 0 : static_cast<int>(dp)));
  }
}

void TAdvEdit::DoExit() {
  focused_ = false;
  HideLookup();
  if (!(ComponentState() & csLoading)) {
    if (!(error_ && show_error_)) {
      SetColor(Enabled() ? normal_color_ : disabled_color_);
      if (!(own_modified_ && show_modified_) && !url_look_) Font()->SetColor(normal_font_color_);
    }
    if (focus_label_) label_.SetBold(false);
    AnsiString value = Text();
    const bool keepModified = Modified();
    if (precision_ > 0 && (edit_type_ == etFloat || edit_type_ == etMoney) && !(value.empty() && allow_null_)) {
      double v = 0;
      // A text that is no number is left as it is rather than raising out of a focus change.
      if (value.empty() || TryStrToFloat(WithoutThousands(value.back() == kDecimal ? value.substr(0, value.size() - 1) : value), v)) {
        SetFloatValue(v);
        TCustomEdit::SetModified(keepModified);
        own_modified_ = keepModified;
      }
    } else if (value.empty() && !allow_null_) {
      if (edit_type_ == etNumeric) SetWindowText("0");
      if (edit_type_ == etFloat || edit_type_ == etMoney) SetWindowText(FormatPrec(0, precision_, edit_type_ == etMoney));
    }
    DoValidate(Text());
    if (focus_width_inc_ >= 1) SetBounds(Left(), Top(), Width() - focus_width_inc_, Height());
    if (focus_align_ != eaDefault) SetEditAlign(saved_align_);
    if (lookup_->Enabled() && lookup_->History()) lookup_->AddHistory(Text());
  }
  TWinControl::DoExit();
}
