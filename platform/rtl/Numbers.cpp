#include "platform/rtl/Numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace {
constexpr int kMaxPrecision = 15;

// A finite non-negative number as decimal digits: value = 0.<digits> x 10^exponent.
// An empty digit string means zero.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

void RoundDigits(Decimal& d, int keep);

// The double's correctly rounded decimal form with Precision significant digits,
// trailing zeros removed. All later rounding happens on these digits, which is why
// 1.005 (stored as 1.00499999999999989...) formats with 2 decimals as "1.01".
Decimal ToDecimal(double v, int precision) {
  Decimal d;
  d.negative = std::signbit(v);
  v = std::fabs(v);
  if (v == 0) return d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", kMaxPrecision - 1, v);
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  d.exponent = std::atoi(p + 1) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  // Fewer digits are rounded from the 15-digit form, half away from zero.
  RoundDigits(d, std::clamp(precision, 1, kMaxPrecision));
  return d;
}

// Keeps Keep significant digits, rounding half away from zero. Keep <= 0 rounds to the
// digit position left of the first digit.
void RoundDigits(Decimal& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
      d.digits.pop_back();
      --i;
    }
    if (i < 0) {
      d.digits = "1";
      ++d.exponent;
    } else {
      ++d.digits[static_cast<size_t>(i)];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// Rounds to Decimals places after the point.
void RoundToDecimals(Decimal& d, int decimals) { RoundDigits(d, d.exponent + decimals); }

char DigitAt(const Decimal& d, int i) {
  return (i >= 0 && i < static_cast<int>(d.digits.size())) ? d.digits[static_cast<size_t>(i)] : '0';
}

// Integer part digits ("0" when none) and Decimals fraction digits.
std::string IntegerDigits(const Decimal& d) {
  std::string s;
  for (int i = 0; i < d.exponent; ++i) s += DigitAt(d, i);
  return s.empty() ? "0" : s;
}
std::string FractionDigits(const Decimal& d, int decimals) {
  std::string s;
  for (int i = 0; i < decimals; ++i) s += DigitAt(d, d.exponent + i);
  return s;
}

std::string Group(const std::string& intDigits) {
  std::string out;
  int n = static_cast<int>(intDigits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += intDigits[static_cast<size_t>(i)];
  }
  return out;
}

bool IsZero(const Decimal& d) { return d.digits.empty(); }

std::string NonFinite(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

AnsiString FixedText(const Decimal& d, int decimals, bool thousands) {
  std::string ip = IntegerDigits(d);
  std::string s = (d.negative && !IsZero(d)) ? "-" : "";
  s += thousands ? Group(ip) : ip;
  if (decimals > 0) s += "." + FractionDigits(d, decimals);
  return s;
}

AnsiString ExponentText(const Decimal& d, int precision, int expDigits, bool trim, bool plus) {
  std::string s = (d.negative && !IsZero(d)) ? "-" : "";
  std::string digits = d.digits.empty() ? "0" : d.digits;
  if (!trim)
    while (static_cast<int>(digits.size()) < precision) digits += '0';
  s += digits[0];
  if (digits.size() > 1) s += "." + digits.substr(1);
  int e = IsZero(d) ? 0 : d.exponent - 1;
  s += 'E';
  if (e < 0) s += '-';
  else if (plus) s += '+';
  std::string ed = std::to_string(std::abs(e));
  while (static_cast<int>(ed.size()) < expDigits) ed.insert(ed.begin(), '0');
  return s + ed;
}

// Parses an optionally signed decimal or "$"/"0x" hexadecimal integer starting at Pos.
// Returns the position of the first bad character (0-based) or -1 on success.
// Hexadecimal values wrap into the signed range as the runtime's do.
int ParseInteger(const AnsiString& s, int64_t lo, int64_t hi, uint64_t hexMax, int64_t& out) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return static_cast<int>(i);
  uint64_t v = 0;
  uint64_t limit = hex ? hexMax : (neg ? static_cast<uint64_t>(-(lo + 1)) + 1 : static_cast<uint64_t>(hi));
  for (; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return static_cast<int>(i);
    uint64_t base = hex ? 16 : 10;
    if (v > (limit - static_cast<uint64_t>(digit)) / base) return static_cast<int>(i);
    v = v * base + static_cast<uint64_t>(digit);
  }
  if (hex) {
    // Wrap to the signed type of the same width (e.g. $FFFFFFFF is -1 as an int).
    int64_t sv;
    if (hexMax == 0xFFFFFFFFull) sv = static_cast<int32_t>(static_cast<uint32_t>(v));
    else sv = static_cast<int64_t>(v);
    out = neg ? -sv : sv;
  } else {
    out = neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  }
  return -1;
}

// Pascal float syntax: blanks, sign, digits, optional "." digits, optional exponent.
// Returns -1 or the 0-based position of the first bad character.
int ParseFloat(const AnsiString& s, bool allowTrailingBlanks, double& out) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; digits = true; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; digits = true; }
  }
  if (!digits) return static_cast<int>(i);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool ed = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') { ++i; ed = true; }
    if (!ed) return static_cast<int>(i);
  }
  size_t end = i;
  if (allowTrailingBlanks)
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i < s.size()) return static_cast<int>(i);
  std::string num = s.substr(start, end - start);
  errno = 0;
  double v = std::strtod(num.c_str(), nullptr);
  if (!std::isfinite(v)) return static_cast<int>(end);  // out of range
  out = v;
  return -1;
}

[[noreturn]] void BadInteger(const AnsiString& s) {
  throw EConvertError("'" + s + "' is not a valid integer value");
}
}  // namespace

// --- integers ----------------------------------------------------------------------

AnsiString IntToStr(int64_t Value) { return std::to_string(Value); }

bool TryStrToInt64(const AnsiString& S, int64_t& Value) {
  int64_t v;
  if (ParseInteger(S, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(),
                   std::numeric_limits<uint64_t>::max(), v) >= 0)
    return false;
  Value = v;
  return true;
}

bool TryStrToInt(const AnsiString& S, int& Value) {
  int64_t v;
  if (ParseInteger(S, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 0xFFFFFFFFull, v) >= 0)
    return false;
  Value = static_cast<int>(v);
  return true;
}

int StrToInt(const AnsiString& S) {
  int v;
  if (!TryStrToInt(S, v)) BadInteger(S);
  return v;
}

int64_t StrToInt64(const AnsiString& S) {
  int64_t v;
  if (!TryStrToInt64(S, v)) BadInteger(S);
  return v;
}

int StrToIntDef(const AnsiString& S, int Default) {
  int v;
  return TryStrToInt(S, v) ? v : Default;
}

int64_t StrToInt64Def(const AnsiString& S, int64_t Default) {
  int64_t v;
  return TryStrToInt64(S, v) ? v : Default;
}

AnsiString IntToHex(int64_t Value, int Digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(Value));
  AnsiString s = buf;
  if (Digits > 32) Digits = 32;
  while (static_cast<int>(s.size()) < Digits) s.insert(s.begin(), '0');
  return s;
}

// --- floating point ----------------------------------------------------------------

AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
  if (!std::isfinite(Value)) return NonFinite(Value);
  if (Precision > kMaxPrecision) Precision = kMaxPrecision;
  if (Precision < 1) Precision = 1;
  if (Digits < 0) Digits = 0;
  Decimal d = ToDecimal(Value, Precision);
  switch (Format) {
    case ffGeneral:
      if (!IsZero(d) && (d.exponent > Precision || d.exponent < -3))
        return ExponentText(d, Precision, Digits, true, false);
      {
        int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.exponent);
        return FixedText(d, decimals, false);
      }
    case ffExponent:
      return ExponentText(d, Precision, std::min(Digits, 4), false, true);
    case ffFixed:
    case ffNumber:
      if (d.exponent > Precision) return ExponentText(d, Precision, 0, true, true);
      if (Digits > 18) Digits = 18;
      RoundToDecimals(d, Digits);
      return FixedText(d, Digits, Format == ffNumber);
  }
  return {};
}

AnsiString FloatToStr(double Value) { return FloatToStrF(Value, ffGeneral, kMaxPrecision, 0); }

bool TryStrToFloat(const AnsiString& S, double& Value) {
  double v;
  if (ParseFloat(S, true, v) >= 0) return false;
  Value = v;
  return true;
}

double StrToFloat(const AnsiString& S) {
  double v;
  if (!TryStrToFloat(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(const AnsiString& S, double Default) {
  double v;
  return TryStrToFloat(S, v) ? v : Default;
}

namespace {
// One ";"-section of a FormatFloat picture, analysed.
struct Picture {
  std::string text;
  int intPlaceholders = 0;    // '#' and '0' before the point
  int minInt = 0;             // placeholders from the first '0' to the point
  int minDec = 0;             // up to the last '0' after the point
  int maxDec = 0;             // all placeholders after the point
  bool thousands = false;
  bool scientific = false;
  int expDigits = 0;
};

std::vector<std::string> SplitSections(const std::string& f) {
  std::vector<std::string> out(1);
  char quote = 0;
  for (char c : f) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

Picture Analyse(const std::string& text) {
  Picture p;
  p.text = text;
  bool afterPoint = false;
  bool seenZero = false;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (p.scientific) {
      if (c == '0') ++p.expDigits;
      else break;
      continue;
    }
    switch (c) {
      case '"':
      case '\'':
        quote = c;
        break;
      case '#':
      case '0':
        if (afterPoint) {
          ++p.maxDec;
          if (c == '0') p.minDec = p.maxDec;
        } else {
          ++p.intPlaceholders;
          if (c == '0') seenZero = true;
          if (seenZero) ++p.minInt;
        }
        break;
      case '.':
        afterPoint = true;
        break;
      case ',':
        p.thousands = true;
        break;
      case 'E':
      case 'e':
        if (i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
          p.scientific = true;
          ++i;
        }
        break;
      default:
        break;
    }
  }
  return p;
}

AnsiString Apply(const Picture& p, double value, bool writeMinus) {
  Decimal d = ToDecimal(value, kMaxPrecision);
  int exponent = 0;
  if (p.scientific) {
    int mantissaDigits = std::max(1, p.intPlaceholders + p.maxDec);
    RoundDigits(d, mantissaDigits);
    if (!IsZero(d)) {
      int intDigits = std::max(1, p.intPlaceholders);
      exponent = d.exponent - intDigits;
      d.exponent = intDigits;
    }
  } else {
    RoundToDecimals(d, p.maxDec);
  }
  std::string intDigits = IsZero(d) ? "" : IntegerDigits(d);
  if (intDigits == "0") intDigits.clear();
  while (static_cast<int>(intDigits.size()) < p.minInt) intDigits.insert(intDigits.begin(), '0');
  std::string frac = FractionDigits(d, p.maxDec);
  while (static_cast<int>(frac.size()) > p.minDec && frac.back() == '0') frac.pop_back();

  std::string out = writeMinus ? "-" : "";
  const int n = static_cast<int>(intDigits.size());
  const int lead = n - p.intPlaceholders;  // digits beyond the placeholders go first
  int intSeen = 0, decSeen = 0;
  bool afterPoint = false;
  char quote = 0;
  auto emitInt = [&](int from, int to) {
    for (int k = from; k < to; ++k) {
      if (k < 0) continue;
      out += intDigits[static_cast<size_t>(k)];
      int remaining = n - k - 1;
      if (p.thousands && remaining > 0 && remaining % 3 == 0) out += ',';
    }
  };
  for (size_t i = 0; i < p.text.size(); ++i) {
    char c = p.text[i];
    if (quote) {
      if (c == quote) quote = 0;
      else out += c;
      continue;
    }
    switch (c) {
      case '"':
      case '\'':
        quote = c;
        break;
      case '#':
      case '0':
        if (afterPoint) {
          if (decSeen < static_cast<int>(frac.size())) out += frac[static_cast<size_t>(decSeen)];
          ++decSeen;
        } else {
          int k = lead + intSeen;
          emitInt(intSeen == 0 ? 0 : k, k + 1);
          ++intSeen;
        }
        break;
      case '.':
        if (!afterPoint) {
          afterPoint = true;
          if (intSeen == 0) emitInt(0, lead);  // "#.00" style: no integer placeholders
          if (!frac.empty()) out += '.';
        }
        break;
      case ',':
        break;
      case 'E':
      case 'e':
        if (p.scientific && i + 1 < p.text.size() && (p.text[i + 1] == '+' || p.text[i + 1] == '-')) {
          out += c;
          if (exponent < 0) out += '-';
          else if (p.text[i + 1] == '+') out += '+';
          ++i;
          std::string ed = std::to_string(std::abs(exponent));
          while (static_cast<int>(ed.size()) < p.expDigits) ed.insert(ed.begin(), '0');
          out += ed;
          while (i + 1 < p.text.size() && p.text[i + 1] == '0') ++i;
        } else {
          out += c;
        }
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}
}  // namespace

AnsiString FormatFloat(const AnsiString& Format, double Value) {
  if (!std::isfinite(Value)) return NonFinite(Value);
  if (Format.empty()) return FloatToStr(Value);
  std::vector<std::string> sections = SplitSections(Format);
  // Section choice follows the value itself: a negative value that rounds to zero in the
  // first section is still written with its minus sign ("-0.0"), as the runtime does.
  if (Value == 0 && sections.size() >= 3 && !sections[2].empty())
    return Apply(Analyse(sections[2]), 0.0, false);
  if (Value < 0 && sections.size() >= 2 && !sections[1].empty())
    return Apply(Analyse(sections[1]), -Value, false);
  return Apply(Analyse(sections[0]), std::fabs(Value), Value < 0);
}

AnsiString Str(double Value, int Width, int Decimals) {
  AnsiString s;
  if (!std::isfinite(Value)) s = NonFinite(Value);
  else if (Decimals < 0) {
    // Pascal's default: " d.ddddddddddddddE+dddd" with 15 significant digits.
    s = ExponentText(ToDecimal(Value, kMaxPrecision), kMaxPrecision, 4, false, true);
    if (Value >= 0) s.insert(s.begin(), ' ');
  } else {
    Decimal d = ToDecimal(Value, kMaxPrecision);
    if (Decimals > 18) Decimals = 18;
    RoundToDecimals(d, Decimals);
    s = FixedText(d, Decimals, false);
  }
  while (static_cast<int>(s.size()) < Width) s.insert(s.begin(), ' ');
  return s;
}

AnsiString Str(int64_t Value, int Width) {
  AnsiString s = IntToStr(Value);
  while (static_cast<int>(s.size()) < Width) s.insert(s.begin(), ' ');
  return s;
}

void Val(const AnsiString& S, double& Value, int& Code) {
  double v = 0;
  int bad = ParseFloat(S, false, v);
  Value = bad < 0 ? v : 0;
  Code = bad < 0 ? 0 : bad + 1;
}

void Val(const AnsiString& S, int& Value, int& Code) {
  int64_t v = 0;
  int bad = ParseInteger(S, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 0xFFFFFFFFull, v);
  Value = bad < 0 ? static_cast<int>(v) : 0;
  Code = bad < 0 ? 0 : bad + 1;
}

// --- rounding ----------------------------------------------------------------------

namespace {
void CheckIntRange(double x) {
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!std::isfinite(x) || x >= 9223372036854775808.0 || x < -9223372036854775808.0)
    throw EInvalidOp("Invalid floating point operation");
}
}  // namespace

int64_t Round(double X) {
  if (!std::isfinite(X)) throw EInvalidOp("Invalid floating point operation");
  double f = std::floor(X);
  double diff = X - f;
  double r;
  if (diff > 0.5) r = f + 1;
  else if (diff < 0.5) r = f;
  else r = (std::fmod(f, 2.0) == 0) ? f : f + 1;  // exactly half: to the even neighbour
  CheckIntRange(r);
  return static_cast<int64_t>(r);
}

int64_t Trunc(double X) {
  double t = std::trunc(X);
  CheckIntRange(t);
  return static_cast<int64_t>(t);
}

double Frac(double X) { return X - std::trunc(X); }
double Int(double X) { return std::trunc(X); }

// --- checked arithmetic ------------------------------------------------------------

double CheckFloat(double X) {
  if (std::isnan(X)) throw EInvalidOp("Invalid floating point operation");
  if (std::isinf(X)) throw EOverflow("Floating point overflow");
  return X;
}

double CheckedDiv(double A, double B) {
  CheckFloat(A);
  CheckFloat(B);
  if (B == 0) {
    if (A == 0) throw EInvalidOp("Invalid floating point operation");
    throw EZeroDivide("Floating point division by zero");
  }
  return CheckFloat(A / B);
}

int64_t CheckedIntDiv(int64_t A, int64_t B) {
  if (B == 0) throw EDivByZero("Division by zero");
  if (B == -1 && A == std::numeric_limits<int64_t>::min()) throw EIntError("Integer overflow");
  return A / B;
}

int64_t CheckedIntMod(int64_t A, int64_t B) {
  if (B == 0) throw EDivByZero("Division by zero");
  if (B == -1) return 0;
  return A % B;
}
