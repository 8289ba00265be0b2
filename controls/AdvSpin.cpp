#include "controls/AdvSpin.h"
#include "platform/ui/FocusOrder.h"
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Themes.h"
#include "platform/stdctrls/WidgetHooks.h"
#include "platform/ui/Forms.h"

namespace {
// Number and date text use the runtime's fixed separators; dates are month first.
constexpr char kDecimal = '.';
constexpr char kThousand = ',';
constexpr char kDateSep = '/';
constexpr char kTimeSep = ':';
constexpr bool kMonthFirst = true;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ParseDate(const AnsiString& s, TDateTime& out) {
  int parts[3] = {0, 0, 0};
  int n = 0;
  AnsiString cur;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == kDateSep) {
      if (n >= 3 || !TryStrToInt(cur, parts[n])) return false;
      ++n;
      cur.clear();
    } else {
      cur += s[i];
    }
  }
  if (n != 3) return false;
  int month = kMonthFirst ? parts[0] : parts[1], day = kMonthFirst ? parts[1] : parts[0], year = parts[2];
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), out);
}

bool ParseTime(const AnsiString& s, TDateTime& out) {
  int parts[3] = {0, 0, 0};
  int n = 0;
  AnsiString cur;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == kTimeSep) {
      if (n >= 3 || !TryStrToInt(cur, parts[n]) || parts[n] < 0) return false;
      ++n;
      cur.clear();
    } else {
      cur += s[i];
    }
  }
  if (n < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  return TryEncodeTime(static_cast<Word>(parts[0]), static_cast<Word>(parts[1]), static_cast<Word>(parts[2]), 0, out);
}

}  // namespace

// ---- TAdvTimerSpeedButton ----

TAdvTimerSpeedButton::TAdvTimerSpeedButton(TComponent* AOwner) : TCustomControl(AOwner) {}

TAdvTimerSpeedButton::~TAdvTimerSpeedButton() = default;

void TAdvTimerSpeedButton::SetKind(TButtonKind v) {
  kind_ = v;
  Invalidate();
}

void TAdvTimerSpeedButton::SetFocusedLook(bool v) {
  focused_ = v;
  Invalidate();
}

void TAdvTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  down_ = true;
  if (OnPress) OnPress(this);
  if (allow_timer_) {
    if (!timer_) {
      timer_ = new TTimer(this);
      timer_->OnTimer = [this](TObject*) { TimerTick(); };
    }
    timer_->SetInterval(400);
    timer_->SetEnabled(true);
  }
  Invalidate();
}

void TAdvTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  down_ = false;
  if (timer_) timer_->SetEnabled(false);
  Invalidate();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TAdvTimerSpeedButton::TimerTick() {
  timer_->SetInterval(100);
  if (down_) Click();
}

void TAdvTimerSpeedButton::SetGlyph(TBitmap* v) {
  if (v == nullptr) {
    glyph_.reset();
  } else {
    if (!glyph_) glyph_ = std::make_unique<TBitmap>();
    glyph_->Assign(v);
  }
  Invalidate();
}

void TAdvTimerSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TAdvTimerSpeedButton::SetMouseOver(bool v) {
  if (mouse_over_ == v) return;
  mouse_over_ = v;
  Invalidate();
}

void TAdvTimerSpeedButton::CreateHandle() {
  TCustomControl::CreateHandle();
  ui::TWidgetHooks h;
  h.MouseEnter = [this] { SetMouseOver(true); };
  h.MouseLeave = [this] { SetMouseOver(false); };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TAdvTimerSpeedButton::Paint() {
  TCanvas* c = Canvas();
  const TRect r(0, 0, Width(), Height());
  static constexpr ui::TThemeSpinPart kParts[] = {ui::tspUp, ui::tspDown, ui::tspUpHorz, ui::tspDownHorz};
  static constexpr ui::TArrowDirection kArrows[] = {ui::adUp, ui::adDown, ui::adRight, ui::adLeft};
  const ui::TThemeState state = down_ ? ui::tstPressed : mouse_over_ ? ui::tstHot : ui::tstNormal;
  if (glyph_ && !glyph_->Empty()) {
    // A picture of the caller's: a plain button face with the picture centred.
    ui::DrawClassicArrowButton(*c, r, kArrows[kind_], down_, flat_, Enabled());
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(1, 1, r.Right - 1, r.Bottom - 1));
    const int gw = glyph_->Width() / num_glyphs_;
    c->Draw((r.Width() - gw) / 2 + (down_ ? 1 : 0), (r.Height() - glyph_->Height()) / 2 + (down_ ? 1 : 0), glyph_.get());
  } else if (!ui::DrawThemeSpinPart(*c, r, kParts[kind_], state, Enabled())) {
    ui::DrawClassicArrowButton(*c, r, kArrows[kind_], down_, flat_, Enabled());
  }
  if (focused_) {
    c->Brush()->SetColor(clBtnText);
    c->FrameRect(TRect(2, 2, r.Right - 2, r.Bottom - 2));
  }
}

// ---- TAdvSpinButton ----

TAdvSpinButton::TAdvSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
  up_ = new TAdvTimerSpeedButton(this);
  down_ = new TAdvTimerSpeedButton(this);
  for (TAdvTimerSpeedButton* b : {up_, down_}) {
    b->SetParent(this);
    b->SetAllowTimer(true);
    b->OnPress = [this](TObject* s) { ButtonPressed(static_cast<TAdvTimerSpeedButton*>(s)); };
    b->OnClick = [this](TObject* s) { ButtonClicked(static_cast<TAdvTimerSpeedButton*>(s)); };
  }
  up_->SetKind(TAdvTimerSpeedButton::bkUp);
  down_->SetKind(TAdvTimerSpeedButton::bkDown);
  focused_button_ = up_;
  SetBounds(0, 0, 15, 25);
}

TAdvSpinButton::~TAdvSpinButton() = default;

void TAdvSpinButton::SetDirection(TSpinDirection v) {
  direction_ = v;
  up_->SetKind(v == spHorizontal ? TAdvTimerSpeedButton::bkHorUp : TAdvTimerSpeedButton::bkUp);
  down_->SetKind(v == spHorizontal ? TAdvTimerSpeedButton::bkHorDown : TAdvTimerSpeedButton::bkDown);
  SetBounds(Left(), Top(), v == spHorizontal ? 20 : 15, Height());
}

void TAdvSpinButton::SetFocusControl(TWinControl* v) {
  focus_control_ = v;
  if (v) v->FreeNotification(this);
}

void TAdvSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int minW = direction_ == spHorizontal ? 20 : 15;
  TWinControl::SetBounds(ALeft, ATop, std::max(AWidth, minW), AHeight);
  Layout();
}

void TAdvSpinButton::Layout() {
  if (!up_ || !down_) return;
  const int w = Width(), h = Height();
  if (direction_ == spVertical) {
    const int uh = h / 2;
    up_->SetBounds(0, 0, w, uh);
    down_->SetBounds(0, uh - 1, w, h - uh + 1);  // the buttons share one pixel row
  } else {
    down_->SetBounds(0, 0, w / 2, h);
    up_->SetBounds(w / 2 + 1, 0, w / 2, h);
  }
}

void TAdvSpinButton::Loaded() {
  TWinControl::Loaded();
  Layout();
}

void TAdvSpinButton::ButtonPressed(TAdvTimerSpeedButton* b) {
  if (focused_button_ != b) {
    focused_button_->SetFocusedLook(false);
    focused_button_ = b;
  }
  if (focus_control_) {
    if (focus_control_->TabStop() && focus_control_->CanFocus() && !focus_control_->Focused()) focus_control_->SetFocus();
  } else if (TabStop() && CanFocus()) {
    SetFocus();
  }
}

void TAdvSpinButton::ButtonClicked(TAdvTimerSpeedButton* b) {
  if (b == up_ && OnUpClick) OnUpClick(this);
  if (b == down_ && OnDownClick) OnDownClick(this);
}

void TAdvSpinButton::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    focused_button_->Click();
  } else if (Key == VK_UP || Key == VK_DOWN) {
    TAdvTimerSpeedButton* b = Key == VK_UP ? up_ : down_;
    if (focused_button_ != b) focused_button_->SetFocusedLook(false);
    focused_button_ = b;
    b->SetFocusedLook(Focused());
    b->Click();
  } else {
    return;
  }
  Key = 0;
}

void TAdvSpinButton::DoEnter() {
  focused_button_->SetFocusedLook(true);
  TWinControl::DoEnter();
}

void TAdvSpinButton::DoExit() {
  focused_button_->SetFocusedLook(false);
  TWinControl::DoExit();
}

void TAdvSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == focus_control_) focus_control_ = nullptr;
}

// ---- TAdvSpinEdit ----

TAdvSpinEdit::TAdvSpinEdit(TComponent* AOwner) : TLabelledEdit(AOwner) {
  SetColor(clWindow);
  button_ = new TAdvSpinButton(this);
  button_->SetBounds(0, 0, 15, 17);
  button_->SetParent(this);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](TObject*) { UpClick(); };
  button_->OnDownClick = [this](TObject*) { DownClick(); };
  TCustomEdit::SetText("0");
  label_.Font()->Assign(Font());
}

TAdvSpinEdit::~TAdvSpinEdit() = default;

bool TAdvSpinEdit::Loading() const { return (ComponentState() & csLoading) != 0; }

int TAdvSpinEdit::ClampInt(int v) const {
  if (Loading() || (min_value_ == 0 && max_value_ == 0)) return v;
  return v < min_value_ ? min_value_ : v > max_value_ ? max_value_ : v;
}

double TAdvSpinEdit::ClampFloat(double v) const {
  if (Loading() || min_float_ == max_float_) return v;
  return v < min_float_ ? min_float_ : v > max_float_ ? max_float_ : v;
}

double TAdvSpinEdit::ClampDate(double v) const {
  if (Loading() || min_date_ == max_date_) return v;
  return v < min_date_ ? min_date_ : v > max_date_ ? max_date_ : v;
}

int TAdvSpinEdit::Value() const {
  int v = 0;
  return TryStrToInt(Text(), v) ? v : min_value_;
}

void TAdvSpinEdit::SetValue(int v) {
  TCustomEdit::SetText(IntToStr(ClampInt(v)));
  if (!editor_enabled_ && AutoSelect()) SelectAll();
}

double TAdvSpinEdit::FloatValue() const {
  // While the text is empty or half typed ("-", "1e") the value stays what it was, so a
  // change handler never stores a number the user did not enter.
  double v = 0;
  if (TryStrToFloat(Text(), v) && std::isfinite(v)) last_float_ = v;
  return last_float_;
}

void TAdvSpinEdit::SetFloatValue(double v) {
  if (!std::isfinite(v)) return;  // a non-number never reaches the text
  v = ClampFloat(v);
  last_float_ = v;
  AnsiString s;
  if (precision_ > 0) s = FloatToStrF(v, ffFixed, 15, precision_);
  else if (precision_ == 0) s = FloatToStr(v);
  else s = FloatToStrF(v, ffGeneral, 4, 4);
  TCustomEdit::SetText(s);
}

double TAdvSpinEdit::DateValue() const {
  const AnsiString t = Text();
  if (t.empty() || t == "0") return Now();
  TDateTime d;
  if (!ParseDate(t, d)) return min_date_;
  return d + Frac(date_time_);
}

void TAdvSpinEdit::SetDateValue(double v) {
  const int caret = SelStart();
  date_time_ = ClampDate(v);
  TCustomEdit::SetText(FormatDateTime(kMonthFirst ? "m/d/yyyy" : "d/m/yyyy", date_time_));
  SetSelStart(caret);
}

double TAdvSpinEdit::TimeValue() const {
  AnsiString t = Text();
  if (!show_seconds_) t += AnsiString(1, kTimeSep) + "00";
  TDateTime d = 0;
  if (!ParseTime(t, d)) d = 0;
  return d + Int(date_time_);
}

void TAdvSpinEdit::SetTimeValue(double v) {
  const int caret = SelStart();
  date_time_ = v;
  TCustomEdit::SetText(FormatDateTime(show_seconds_ ? "h:nn:ss" : "h:nn", v));
  SetSelStart(caret);
}

int TAdvSpinEdit::HexValue() const {
  AnsiString t = Text();
  // The digits follow "0x" when the text has it, else they start at once.
  const size_t from = t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X') ? 2 : 0;
  if (t.size() <= from) return 0;
  uint32_t v = 0;
  auto digit = [](char c) -> uint32_t {
    int d = std::toupper(static_cast<unsigned char>(c)) - 48;
    if (d > 10) d -= 7;
    return static_cast<uint32_t>(d) & 0xF;
  };
  size_t i = from;
  for (; i + 1 < t.size(); i += 2) v = v * 256 + digit(t[i]) * 16 + digit(t[i + 1]);
  if (i < t.size()) v = v * 16 + digit(t[i]);
  return static_cast<int>(v);
}

void TAdvSpinEdit::SetHexValue(int v) {
  hex_value_ = v;
  TCustomEdit::SetText("0x" + IntToHex(static_cast<uint32_t>(v), 1));
}

void TAdvSpinEdit::SetSpinType(TAdvSpinType v) {
  const TAdvSpinType old = spin_type_;
  double f = 0;
  int i = 0;
  if (old == sptFloat) f = FloatValue();
  else if (old == sptHex) f = HexValue();
  else if (old == sptNormal) f = Value();
  i = static_cast<int>(std::clamp(std::round(f), -2147483648.0, 2147483647.0));
  spin_type_ = v;
  switch (v) {
    case sptNormal: SetValue(i); break;
    case sptFloat: SetFloatValue(f); break;
    case sptDate: SetDateValue(date_time_); break;
    case sptTime: SetTimeValue(date_time_); break;
    case sptHex: SetHexValue(old == sptHex ? hex_value_ : i); break;
  }
}

void TAdvSpinEdit::SetPrecision(int v) {
  precision_ = v;
  if (spin_type_ == sptFloat) SetFloatValue(FloatValue());
}

void TAdvSpinEdit::SetShowSeconds(bool v) {
  show_seconds_ = v;
  if (spin_type_ == sptTime) SetTimeValue(date_time_);
}

TSpinDirection TAdvSpinEdit::Direction() const { return button_->Direction(); }

void TAdvSpinEdit::SetDirection(TSpinDirection v) {
  button_->SetDirection(v);
  PlaceButton();
}

void TAdvSpinEdit::SetEditAlign(TEditAlign v) {
  edit_align_ = v;
  SetAlignment(v == eaRight ? taRightJustify : v == eaCenter ? taCenter : taLeftJustify);
}

void TAdvSpinEdit::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  if (Loading()) return;
  if (v) {
    normal_color_ = Color();
    flat_saved_border_ = BorderStyle();
    SetBorderStyle(bsNoBorder);
  } else {
    SetColor(normal_color_);
    SetBorderStyle(bsSingleBorder);
  }
  PlaceButton();
}

double TAdvSpinEdit::CaretStep() const {
  const AnsiString t = Text();
  const int caret = SelStart();
  if (caret == 0 || (caret == 1 && !t.empty() && t[0] == '-')) return 0;
  const int n = static_cast<int>(t.size()) - caret;
  const size_t dp = t.find(kDecimal);
  const int d = dp == AnsiString::npos ? -1 : static_cast<int>(t.size() - dp - 1);
  if (n < d) return spin_type_ == sptFloat ? std::pow(10.0, -(d - n)) : 0;
  return std::max(1.0, std::pow(10.0, n - d - 1));
}

void TAdvSpinEdit::Step(int dir, bool page) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  const double smart = increment_smart_ && SelLength() == 0 ? CaretStep() : 0;
  switch (spin_type_) {
    case sptNormal: {
      int64_t inc = smart > 0 ? static_cast<int64_t>(smart) : page ? increment_page_ : increment_;
      int64_t v = Value() + dir * inc;
      SetValue(static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
      break;
    }
    case sptFloat: {
      double inc = smart > 0 ? smart : page ? increment_float_page_ : increment_float_;
      SetFloatValue(FloatValue() + dir * inc);
      break;
    }
    case sptHex: {
      int64_t v = static_cast<int64_t>(HexValue()) + dir * (page ? increment_page_ : increment_);
      SetHexValue(static_cast<int>(static_cast<uint32_t>(v)));
      break;
    }
    case sptDate: StepDate(dir); break;
    case sptTime: StepTime(dir); break;
  }
}

void TAdvSpinEdit::StepDate(int dir) {
  const AnsiString t = Text();
  const int caret = SelStart();
  const size_t first = t.find(kDateSep);
  const size_t second = first == AnsiString::npos ? AnsiString::npos : t.find(kDateSep, first + 1);
  TDateTime d = DateValue();
  Word y, m, day;
  DecodeDate(d, y, m, day);
  int field = first == AnsiString::npos || caret <= static_cast<int>(first) ? 0
              : second == AnsiString::npos || caret <= static_cast<int>(second) ? 1 : 2;
  const bool monthField = (field == 0) == kMonthFirst;
  if (field == 2 || monthField) {
    int months = field == 2 ? 12 * dir : dir;
    int total = static_cast<int>(y) * 12 + (m - 1) + months;
    int ny = total / 12, nm = total % 12 + 1;
    if (ny < 1 || ny > 9999) return;
    Word last = DaysInMonth(static_cast<Word>(ny), static_cast<Word>(nm));
    d = EncodeDate(static_cast<Word>(ny), static_cast<Word>(nm), std::min(day, last)) + Frac(d);
  } else {
    d += dir;
  }
  SetDateValue(d);
}

void TAdvSpinEdit::StepTime(int dir) {
  const AnsiString t = Text();
  const int caret = SelStart();
  const size_t first = t.find(kTimeSep);
  const size_t second = first == AnsiString::npos ? AnsiString::npos : t.find(kTimeSep, first + 1);
  double step;
  if (first == AnsiString::npos || caret <= static_cast<int>(first))
    step = increment_hours_ != 0 ? increment_hours_ / 24.0 : increment_minutes_ / 1440.0;
  else if (second == AnsiString::npos || caret <= static_cast<int>(second) || !show_seconds_)
    step = increment_minutes_ / 1440.0;
  else
    step = 1 / 86400.0;
  double v = TimeValue();
  if (dir < 0 && Frac(v) + 1e-9 < step) return;  // never below midnight
  SetTimeValue(v + dir * step);
}

void TAdvSpinEdit::UpClick() {
  const AnsiString before = Text();
  const int caret = SelStart(), sel = SelLength();
  const bool hadMinus = !before.empty() && before[0] == '-';
  Step(1, false);
  const AnsiString after = Text();
  const bool hasMinus = !after.empty() && after[0] == '-';
  SetSelStart(caret + (hasMinus && !hadMinus ? 1 : 0) - (hadMinus && !hasMinus ? 1 : 0));
  SetSelLength(sel);
  if (after != before) SetModified(true);
  if (OnUpClick) OnUpClick(this);
}

void TAdvSpinEdit::DownClick() {
  const AnsiString before = Text();
  const int caret = SelStart(), sel = SelLength();
  const bool hadMinus = !before.empty() && before[0] == '-';
  Step(-1, false);
  const AnsiString after = Text();
  const bool hasMinus = !after.empty() && after[0] == '-';
  SetSelStart(std::max(0, caret + (hasMinus && !hadMinus ? 1 : 0) - (hadMinus && !hasMinus ? 1 : 0)));
  SetSelLength(sel);
  if (after != before) SetModified(true);
  if (OnDownClick) OnDownClick(this);
}

void TAdvSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TMaskEdit::KeyDown(Key, Shift);
  if (Key == 0) return;
  const AnsiString before = Text();
  const int caret = SelStart(), sel = SelLength();
  switch (Key) {
    case VK_UP: UpClick(); Key = 0; return;
    case VK_DOWN: DownClick(); Key = 0; return;
    case VK_PRIOR:
    case VK_NEXT: Step(Key == VK_PRIOR ? 1 : -1, true); break;
    case VK_DELETE:
      if (!editor_enabled_ || (spin_type_ == sptHex && caret < 2)) break;
      if (ReadOnly() || (sel == 0 && caret >= static_cast<int>(before.size()))) break;
      if (sel == 0) SetSelLength(1);
      SetSelText("");
      break;
    case VK_RETURN:
      if (Shift.Contains(ssCtrl)) {
        UpClick();
      } else if (return_is_tab_) {
        ui::FocusNextControl(this);
      } else {
        // A plain Enter is the window's (its default button); only its character is dropped.
        return;
      }
      break;
    default: return;
  }
  Key = 0;
  if (Text() != before) {
    SetSelStart(std::min(caret, static_cast<int>(Text().size())));
    SetModified(true);
  } else {
    SetSelStart(caret);
    SetSelLength(sel);
  }
}

void TAdvSpinEdit::PasteText(const AnsiString& Pasted) {
  if (!editor_enabled_ || ReadOnly()) return;
  // The first line, without the blanks around it (a cell copied from a table brings them).
  AnsiString line = Pasted.substr(0, Pasted.find_first_of("\r\n"));
  const size_t first = line.find_first_not_of(" \t");
  if (first == AnsiString::npos) return;
  line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
  if (spin_type_ == sptFloat) std::replace(line.begin(), line.end(), kThousand, kDecimal);
  const AnsiString t = Text();
  const size_t at = std::min(static_cast<size_t>(std::max(0, SelStart())), t.size());
  const size_t len = std::min(static_cast<size_t>(std::max(0, SelLength())), t.size() - at);
  // What the limit leaves room for, as any edit takes a paste.
  if (MaxLength() > 0) line = line.substr(0, static_cast<size_t>(std::max(0, MaxLength() - static_cast<int>(t.size() - len))));
  const AnsiString merged = t.substr(0, at) + line + t.substr(at + len);
  // A paste is taken only where the text it leaves reads as the number it shows: letters in
  // an integer field would read as the lowest value while the field still showed them.
  if (line.empty() || !TakesText(merged)) {
    MessageBeep(0);
    return;
  }
  TMaskEdit::PasteText(line);
}

bool TAdvSpinEdit::TakesText(const AnsiString& t) const {
  const auto digits = [](const AnsiString& s, bool hex) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [hex](char c) {
      return IsDigit(c) || (hex && std::isxdigit(static_cast<unsigned char>(c)) != 0);
    });
  };
  AnsiString body = t;
  if (!body.empty() && body[0] == '-' && spin_type_ != sptDate) {
    if (!signed_) return false;
    body.erase(0, 1);
  }
  switch (spin_type_) {
    case sptNormal: return digits(body, false);
    case sptFloat: {
      const size_t dp = body.find(kDecimal);
      if (dp == AnsiString::npos) return digits(body, false);
      const AnsiString whole = body.substr(0, dp), decimals = body.substr(dp + 1);
      if (precision_ == 0 || (precision_ > 0 && static_cast<int>(decimals.size()) > precision_)) return false;
      return (whole.empty() || digits(whole, false)) && (decimals.empty() || digits(decimals, false)) &&
             !(whole.empty() && decimals.empty());
    }
    case sptHex: return t.size() > 2 && t.compare(0, 2, "0x") == 0 && digits(t.substr(2), true);
    case sptDate:
    case sptTime: {
      const char sep = spin_type_ == sptDate ? kDateSep : kTimeSep;
      return std::all_of(t.begin(), t.end(), [sep](char c) { return IsDigit(c) || c == sep; });
    }
  }
  return false;
}

void TAdvSpinEdit::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0) return;
  if (Key == 13) {
    Key = 0;
    return;
  }
  AnsiString t = Text();
  const int caret = SelStart(), sel = SelLength();
  if (Key == '+') {
    Key = 0;
    return;
  }
  if (Key == '-' && !(spin_type_ == sptDate && kDateSep == '-')) {
    Key = 0;
    if (!signed_ || !editor_enabled_ || ReadOnly()) return;
    if (!t.empty() && t[0] == '-') {
      TCustomEdit::SetText(t.substr(1));
      SetSelStart(std::max(0, caret - 1));
    } else {
      TCustomEdit::SetText("-" + t);
      SetSelStart(caret + 1);
    }
    SetModified(true);
    return;
  }
  auto refuse = [&] {
    Key = 0;
    MessageBeep(0);
  };
  const unsigned char u = static_cast<unsigned char>(Key);
  const bool control = u < 32;
  if (!editor_enabled_) {
    if (!control || Key == 8) refuse();
    return;
  }
  const bool sep = Key == kDecimal || Key == kThousand || Key == kDateSep || Key == kTimeSep;
  if (!(IsDigit(Key) || sep || control)) return refuse();
  switch (spin_type_) {
    case sptNormal:
      if (sep) return refuse();
      break;
    case sptFloat: {
      if (Key == kDateSep || (Key == kTimeSep && Key != kDecimal && Key != kThousand)) return refuse();
      if (Key == kThousand) Key = kDecimal;
      const size_t dp = t.find(kDecimal);
      if (Key == kDecimal) {
        const bool all = sel > 0 && sel >= static_cast<int>(t.size());
        if (!all && (dp != AnsiString::npos || precision_ == 0)) return refuse();
      } else if (IsDigit(Key) && precision_ >= 1 && sel == 0 && dp != AnsiString::npos && caret > static_cast<int>(dp) &&
                 static_cast<int>(t.size() - dp - 1) >= precision_) {
        return refuse();
      }
      break;
    }
    case sptDate:
      if (Key == kTimeSep || Key == kDecimal || Key == kThousand) return refuse();
      break;
    case sptTime:
      if (Key == ',' || Key == '.') Key = kTimeSep;
      if (Key == kDateSep) return refuse();
      if (Key == kTimeSep && t.find(kTimeSep) != AnsiString::npos) return refuse();
      break;
    case sptHex:
      if (!(control || std::isxdigit(u))) return refuse();
      if (caret < 2 || (Key == 8 && caret == 2 && sel == 0)) return refuse();
      break;
  }
  if (Key == 9 || (control && Key != 8)) return;  // editing keys of the window system
  if (ReadOnly()) {
    Key = 0;
    return;
  }
  if (Key == 8) {
    if (sel == 0) {
      if (caret == 0) {
        Key = 0;
        return;
      }
      SetSelStart(caret - 1);
      SetSelLength(1);
    }
    SetSelText("");
  } else {
    if (MaxLength() > 0 && static_cast<int>(t.size()) - sel >= MaxLength()) {
      Key = 0;
      return;
    }
    SetSelText(AnsiString(1, Key));
  }
  SetModified(true);
  Key = 0;
}

void TAdvSpinEdit::DoEnter() {
  normal_color_ = Color();
  if (focus_color_ != clNone) SetColor(focus_color_);
  TMaskEdit::DoEnter();
}

void TAdvSpinEdit::DoExit() {
  SetColor(normal_color_);
  if (!Loading()) {
    if (!allow_null_ && Text().empty()) {
      switch (spin_type_) {
        case sptNormal: if (min_value_ != max_value_) SetValue(min_value_); break;
        case sptFloat: if (min_float_ != max_float_) SetFloatValue(min_float_); break;
        case sptDate: if (min_date_ != max_date_) SetDateValue(min_date_); break;
        case sptTime: if (min_date_ != max_date_) SetTimeValue(min_date_); break;
        case sptHex: if (min_value_ != max_value_) SetHexValue(min_value_); break;
      }
    }
    if (!Text().empty()) {
      switch (spin_type_) {
        case sptNormal: if (Value() != ClampInt(Value())) SetValue(Value()); break;
        case sptFloat: SetFloatValue(FloatValue()); break;
        case sptDate: if (DateValue() != ClampDate(DateValue())) SetDateValue(DateValue()); break;
        case sptTime: if (TimeValue() != ClampDate(TimeValue())) SetTimeValue(ClampDate(TimeValue())); break;
        case sptHex: SetHexValue(HexValue()); break;
      }
    }
  }
  TMaskEdit::DoExit();
}

void TAdvSpinEdit::Loaded() {
  TMaskEdit::Loaded();
  normal_color_ = Color();
  if (spin_type_ == sptDate) SetDateValue(date_time_);
  if (spin_type_ == sptTime) SetTimeValue(date_time_);
  if (spin_type_ == sptHex) SetHexValue(hex_value_);
  SetSpinType(spin_type_);
  if (flat_) {
    flat_ = false;
    SetFlat(true);
  }
  PlaceButton();
  label_.ParentChanged();
  label_.EnabledChanged();
}

void TAdvSpinEdit::PlaceButton() {
  if (!button_) return;
  const int bw = button_->Width(), w = Width(), h = Height();
  // Inside the border: the pair's place is counted from the client area, which starts
  // two pixels into a bordered edit's window.
  const bool bordered = BorderStyle() == bsSingleBorder;
  const int b = bordered ? 5 : 1, inset = bordered ? 2 : 0;
  button_->SetBounds(std::max(0, w - bw - b + inset), inset, bw, std::max(1, h - b + (bordered ? 1 : 0)));
  SetMargins(LeftMargin(), bw + 2);
}

void TAdvSpinEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TLabelledEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  PlaceButton();
}

void TAdvSpinEdit::SetEnabled(bool v) {
  TMaskEdit::SetEnabled(v);
  if (!Loading()) label_.EnabledChanged();
}

void TAdvSpinEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TLabelledEdit::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == button_) button_ = nullptr;
}

void TAdvSpinEdit::SetSpinFlat(bool v) {
  spin_flat_ = v;
  if (button_) {
    button_->UpButton()->SetFlat(v);
    button_->DownButton()->SetFlat(v);
  }
}

bool TAdvSpinEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TLabelledEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (WheelDelta == 0 || !Enabled()) return false;
  if (WheelDelta > 0) UpClick();
  else DownClick();
  return true;
}

void TAdvSpinEdit::CreateHandle() {
  TLabelledEdit::CreateHandle();
  ui::TWidgetHooks h;
  h.PaintOver = [this](TCanvas& c) { PaintDecoration(c); };
  h.MouseEnter = [this] {
    if (auto_focus_ && CanFocus() && !Focused()) SetFocus();
  };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TAdvSpinEdit::PaintDecoration(TCanvas& c) {
  const int w = Width() - (button_ ? button_->Width() : 0), h = Height();
  if (flat_) {
    c.Pen()->SetWidth(1);
    c.Pen()->SetColor(Enabled() ? flat_line_color_ : clGray);
    c.MoveTo(0, h - 1);
    c.LineTo(w, h - 1);
  }
  if (focus_border_color_ != clNone && Focused()) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(focus_border_color_);
    c.FrameRect(TRect(0, 0, Width(), Height()));
  }
}

void TAdvSpinEdit::Change() {
  if (spin_type_ == sptFloat) FloatValue();  // keeps the last number typed
  TLabelledEdit::Change();
}

void TAdvSpinEdit::FocusNext() { ui::FocusNextControl(this); }
