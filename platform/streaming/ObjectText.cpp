#include "platform/streaming/ObjectText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <strings.h>

namespace {

constexpr int kMaxDepth = 200;
constexpr size_t kStringChunk = 64;  // characters per line of a long string
constexpr size_t kBinaryChunk = 32;  // bytes per line of a binary block

bool SameName(std::string_view a, const char* b) {
  return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// --- text to binary ------------------------------------------------------------------------

enum class Tok { End, Symbol, Integer, Float, String, Binary, Char };

class TextParser {
 public:
  TextParser(std::string_view text, const AnsiString& source, TLineMap* lines, AnsiString& out)
      : text_(text), source_(source), lines_(lines), out_(out), w_(out) {
    Next();
  }

  void Run() {
    w_.WriteSignature();
    ParseObject(0);
    if (tok_ != Tok::End) Error("Text after the final end");
  }

 private:
  [[noreturn]] void Error(const AnsiString& what) const {
    throw EParserError((source_.empty() ? AnsiString("Form text") : source_) + ", line " + std::to_string(tok_line_) +
                       ": " + what);
  }

  void Mark() {
    if (lines_ != nullptr) lines_->emplace_back(static_cast<uint32_t>(out_.size()), tok_line_);
  }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else {
        break;
      }
    }
  }

  void Next() {
    SkipBlanks();
    tok_line_ = line_;
    tok_text_.clear();
    if (pos_ >= text_.size()) {
      tok_ = Tok::End;
      return;
    }
    char c = text_[pos_];
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || (text_[pos_] == '.' && pos_ + 1 < text_.size() && IsIdentStart(text_[pos_ + 1]))))
        ++pos_;
      tok_ = Tok::Symbol;
      tok_text_ = AnsiString(text_.substr(start, pos_ - start));
    } else if (c == '\'' || c == '#') {
      ScanString();
    } else if (IsDigit(c) || c == '$' || (c == '-' && pos_ + 1 < text_.size() && (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '$'))) {
      ScanNumber();
    } else if (c == '{') {
      ScanBinary();
    } else {
      tok_ = Tok::Char;
      tok_text_ = AnsiString(1, c);
      ++pos_;
    }
  }

  void ScanString() {
    tok_ = Tok::String;
    for (;;) {
      if (pos_ < text_.size() && text_[pos_] == '\'') {
        ++pos_;
        std::string raw;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Error("Unterminated string");
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              raw += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          raw += text_[pos_++];
        }
        tok_text_ += cp1252::FromUtf8(raw);
      } else if (pos_ < text_.size() && text_[pos_] == '#') {
        ++pos_;
        int value = 0;
        size_t digits = 0;
        bool hex = pos_ < text_.size() && text_[pos_] == '$';
        if (hex) ++pos_;
        while (pos_ < text_.size() && (hex ? HexValue(text_[pos_]) >= 0 : IsDigit(text_[pos_]))) {
          value = value * (hex ? 16 : 10) + (hex ? HexValue(text_[pos_]) : text_[pos_] - '0');
          ++pos_;
          if (value > 255) Error("Character code above 255");
          ++digits;
        }
        if (digits == 0) Error("Character code expected after #");
        tok_text_ += static_cast<char>(value);
      } else {
        return;
      }
    }
  }

  void ScanNumber() {
    size_t start = pos_;
    bool negative = text_[pos_] == '-';
    if (negative) ++pos_;
    if (text_[pos_] == '$') {
      ++pos_;
      uint64_t v = 0;
      size_t digits = 0;
      while (pos_ < text_.size() && HexValue(text_[pos_]) >= 0) {
        v = v << 4 | static_cast<uint64_t>(HexValue(text_[pos_++]));
        if (++digits > 16) Error("Hexadecimal number too long");
      }
      if (digits == 0) Error("Hexadecimal digits expected after $");
      // Up to eight digits are a 32-bit value, as colours such as $80000005 are written.
      int64_t value = digits <= 8 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                                  : static_cast<int64_t>(v);
      if (pos_ < text_.size() && IsIdentChar(text_[pos_])) Error("Invalid number");
      tok_ = Tok::Integer;
      tok_int_ = negative ? -value : value;
      return;
    }
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    bool is_float = false;
    if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsDigit(text_[pos_ + 1])) {
      is_float = true;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      size_t e = pos_ + 1;
      if (e < text_.size() && (text_[e] == '+' || text_[e] == '-')) ++e;
      if (e < text_.size() && IsDigit(text_[e])) {
        is_float = true;
        pos_ = e;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      }
    }
    std::string_view number = text_.substr(start, pos_ - start);
    tok_suffix_ = 0;
    if (pos_ < text_.size() && (text_[pos_] == 's' || text_[pos_] == 'S' || text_[pos_] == 'c' || text_[pos_] == 'C' ||
                                text_[pos_] == 'd' || text_[pos_] == 'D') &&
        !(pos_ + 1 < text_.size() && IsIdentChar(text_[pos_ + 1]))) {
      tok_suffix_ = static_cast<char>(text_[pos_] | 0x20);
      ++pos_;
      is_float = true;
    }
    tok_text_ = AnsiString(number);
    if (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == '.')) Error("Invalid number");
    if (!is_float) {
      auto [p, ec] = std::from_chars(number.data(), number.data() + number.size(), tok_int_);
      if (ec != std::errc() || p != number.data() + number.size()) Error("Integer out of range: " + tok_text_);
      tok_ = Tok::Integer;
      return;
    }
    tok_ = Tok::Float;
  }

  void ScanBinary() {
    ++pos_;
    tok_ = Tok::Binary;
    int high = -1;
    for (;;) {
      if (pos_ >= text_.size()) Error("Unterminated binary data");
      char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n') {
        ++line_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      int v = HexValue(c);
      if (v < 0) Error("Invalid character in binary data");
      if (high < 0) {
        high = v;
      } else {
        tok_text_ += static_cast<char>(high << 4 | v);
        high = -1;
      }
    }
    if (high >= 0) Error("Odd number of hexadecimal digits in binary data");
  }

  bool IsChar(char c) const { return tok_ == Tok::Char && tok_text_[0] == c; }
  bool IsSymbol(const char* s) const { return tok_ == Tok::Symbol && SameName(tok_text_, s); }
  void Expect(char c) {
    if (!IsChar(c)) Error(AnsiString("'") + c + "' expected");
    Next();
  }
  AnsiString ExpectSymbol(const char* what) {
    if (tok_ != Tok::Symbol) Error(AnsiString(what) + " expected");
    AnsiString s = tok_text_;
    Next();
    return s;
  }

  void ParseObject(int depth) {
    if (depth > kMaxDepth) Error("Objects nested too deeply");
    if (IsSymbol("inherited") || IsSymbol("inline")) Error("Inherited and inline objects are not supported");
    if (!IsSymbol("object")) Error("'object' expected");
    Mark();
    Next();
    AnsiString first = ExpectSymbol("Object name");
    AnsiString name, cls = first;
    if (IsChar(':')) {
      Next();
      name = first;
      cls = ExpectSymbol("Class name");
    }
    w_.WriteStr(cls);
    w_.WriteStr(name);
    while (tok_ == Tok::Symbol && !IsSymbol("object") && !IsSymbol("end") && !IsSymbol("inherited") && !IsSymbol("inline"))
      ParseProperty(depth);
    w_.WriteListEnd();
    while (IsSymbol("object") || IsSymbol("inherited") || IsSymbol("inline")) ParseObject(depth + 1);
    w_.WriteListEnd();
    if (!IsSymbol("end")) Error("'end' expected");
    Next();
  }

  void ParseProperty(int depth) {
    Mark();
    w_.WriteStr(tok_text_);
    Next();
    Expect('=');
    ParseValue(depth);
  }

  void ParseValue(int depth) {
    if (depth > kMaxDepth) Error("Values nested too deeply");
    switch (tok_) {
      case Tok::Integer:
        w_.WriteInteger(tok_int_);
        Next();
        return;
      case Tok::Float:
        WriteFloatToken();
        Next();
        return;
      case Tok::String: {
        AnsiString s = tok_text_;
        Next();
        while (IsChar('+')) {
          Next();
          if (tok_ != Tok::String) Error("String expected after +");
          s += tok_text_;
          Next();
        }
        w_.WriteString(s);
        return;
      }
      case Tok::Symbol:
        w_.WriteIdent(tok_text_);
        Next();
        return;
      case Tok::Binary:
        w_.WriteBinary(tok_text_.data(), tok_text_.size());
        Next();
        return;
      case Tok::Char:
        break;
      case Tok::End:
        Error("Value expected");
    }
    if (IsChar('[')) {
      Next();
      std::vector<AnsiString> names;
      while (!IsChar(']')) {
        if (!names.empty()) Expect(',');
        names.push_back(ExpectSymbol("Set element"));
      }
      Next();
      w_.WriteSet(names);
    } else if (IsChar('(')) {
      Next();
      w_.WriteListBegin();
      while (!IsChar(')')) ParseValue(depth + 1);
      Next();
      w_.WriteListEnd();
    } else if (IsChar('<')) {
      Next();
      w_.WriteValue(vaCollection);
      while (!IsChar('>')) {
        if (!IsSymbol("item")) Error("'item' expected");
        Next();
        if (IsChar('[')) {
          Next();
          if (tok_ != Tok::Integer) Error("Item index expected");
          w_.WriteInteger(tok_int_);
          Next();
          Expect(']');
        }
        w_.WriteListBegin();
        while (tok_ == Tok::Symbol && !IsSymbol("end")) ParseProperty(depth + 1);
        if (!IsSymbol("end")) Error("'end' expected");
        Next();
        w_.WriteListEnd();
      }
      Next();
      w_.WriteListEnd();
    } else {
      Error("Invalid value '" + tok_text_ + "'");
    }
  }

  void WriteFloatToken() {
    if (tok_suffix_ == 'c') {
      w_.WriteCurrency(ParseCurrency(tok_text_));
      return;
    }
    double v = 0;
    auto [p, ec] = std::from_chars(tok_text_.data(), tok_text_.data() + tok_text_.size(), v);
    if (ec != std::errc() || p != tok_text_.data() + tok_text_.size() || !std::isfinite(v))
      Error("Invalid floating point value " + tok_text_);
    if (tok_suffix_ == 's') {
      if (std::fabs(v) > 3.4028234663852886e38) Error("Single value out of range " + tok_text_);
      w_.WriteSingle(static_cast<float>(v));
    } else if (tok_suffix_ == 'd') {
      w_.WriteDate(v);
    } else {
      w_.WriteFloat(v);
    }
  }

  // Currency is a fixed-point number with four decimals; read exactly, not through a double.
  int64_t ParseCurrency(const AnsiString& s) {
    size_t i = 0;
    bool negative = !s.empty() && s[0] == '-';
    if (negative) ++i;
    int64_t v = 0;
    int decimals = -1;
    for (; i < s.size(); ++i) {
      if (s[i] == '.') {
        decimals = 0;
        continue;
      }
      if (!IsDigit(s[i]) || decimals == 4) Error("Invalid currency value " + s);
      if (v > (INT64_MAX - 9) / 10) Error("Currency value out of range " + s);
      v = v * 10 + (s[i] - '0');
      if (decimals >= 0) ++decimals;
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) {
      if (v > INT64_MAX / 10) Error("Currency value out of range " + s);
      v *= 10;
    }
    return negative ? -v : v;
  }

  std::string_view text_;
  const AnsiString& source_;
  TLineMap* lines_;
  AnsiString& out_;
  TWriter w_;
  size_t pos_ = 0;
  int line_ = 1;
  Tok tok_ = Tok::End;
  int tok_line_ = 1;
  AnsiString tok_text_;
  int64_t tok_int_ = 0;
  char tok_suffix_ = 0;
};

// --- binary to text ------------------------------------------------------------------------

AnsiString ShortestDouble(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return AnsiString(buf, r.ptr);
}

AnsiString ShortestSingle(float v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return AnsiString(buf, r.ptr);
}

class TextWriter {
 public:
  explicit TextWriter(std::string_view binary) : r_(binary.data(), binary.size()) {}

  AnsiString Run() {
    r_.ReadSignature();
    ConvertObject(0);
    return std::move(out_);
  }

 private:
  void NewLine(int indent) {
    if (!out_.empty()) out_ += '\n';
    out_.append(static_cast<size_t>(indent), ' ');
  }

  void ConvertObject(int indent) {
    if (indent / 2 > kMaxDepth) throw EReadError("Component stream nested too deeply");
    AnsiString cls = r_.ReadStr();
    AnsiString name = r_.ReadStr();
    NewLine(indent);
    out_ += "object " + (name.empty() ? cls : name + ": " + cls);
    ConvertProperties(indent + 2);
    while (!r_.EndOfList()) ConvertObject(indent + 2);
    r_.ReadListEnd();
    NewLine(indent);
    out_ += "end";
  }

  void ConvertProperties(int indent) {
    while (!r_.EndOfList()) {
      NewLine(indent);
      out_ += r_.ReadStr() + " = ";
      ConvertValue(indent);
    }
    r_.ReadListEnd();
  }

  void ConvertValue(int indent) {
    if (indent / 2 > 2 * kMaxDepth) throw EReadError("Component stream nested too deeply");
    TValueType t = r_.NextValue();
    switch (t) {
      case vaList:
        r_.ReadListBegin();
        out_ += '(';
        while (!r_.EndOfList()) {
          NewLine(indent + 2);
          ConvertValue(indent + 2);
        }
        r_.ReadListEnd();
        out_ += ')';
        return;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        out_ += std::to_string(r_.ReadInt64());
        return;
      case vaExtended: {
        AnsiString s = ShortestDouble(r_.ReadFloat());
        if (s.find_first_of(".e") == AnsiString::npos) s += ".0";
        out_ += s;
        return;
      }
      case vaSingle:
        out_ += ShortestSingle(r_.ReadSingle()) + "s";
        return;
      case vaDate:
        out_ += ShortestDouble(r_.ReadDate()) + "d";
        return;
      case vaCurrency: {
        int64_t c = r_.ReadCurrency();
        uint64_t mag = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
        AnsiString s = (c < 0 ? "-" : "") + std::to_string(mag / 10000);
        AnsiString frac = std::to_string(10000 + mag % 10000).substr(1);
        while (!frac.empty() && frac.back() == '0') frac.pop_back();
        if (!frac.empty()) s += "." + frac;
        out_ += s + "c";
        return;
      }
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        ConvertString(r_.ReadString(), indent);
        return;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        out_ += r_.ReadIdent();
        return;
      case vaSet: {
        out_ += '[';
        bool first = true;
        for (const AnsiString& n : r_.ReadSet()) {
          if (!first) out_ += ", ";
          out_ += n;
          first = false;
        }
        out_ += ']';
        return;
      }
      case vaBinary: {
        AnsiString bytes = r_.ReadBinary();
        static const char hex[] = "0123456789ABCDEF";
        out_ += '{';
        for (size_t i = 0; i < bytes.size(); ++i) {
          if (i % kBinaryChunk == 0) NewLine(indent + 2);
          uint8_t b = static_cast<uint8_t>(bytes[i]);
          out_ += hex[b >> 4];
          out_ += hex[b & 15];
        }
        out_ += '}';
        return;
      }
      case vaCollection:
        r_.ReadValue();
        out_ += '<';
        while (!r_.EndOfList()) {
          NewLine(indent + 2);
          out_ += "item";
          TValueType n = r_.NextValue();
          if (n == vaInt8 || n == vaInt16 || n == vaInt32) out_ += " [" + std::to_string(r_.ReadInteger()) + "]";
          r_.ReadListBegin();
          ConvertProperties(indent + 4);
          NewLine(indent + 2);
          out_ += "end";
        }
        r_.ReadListEnd();
        out_ += '>';
        return;
    }
  }

  // Printable ASCII stays quoted; every other byte is written as #nnn. Long strings are
  // split into lines joined with '+'.
  void ConvertString(const AnsiString& s, int indent) {
    if (s.empty()) {
      out_ += "''";
      return;
    }
    for (size_t start = 0; start < s.size(); start += kStringChunk) {
      if (start > 0) {
        out_ += " +";
        NewLine(indent + 2);
      }
      bool quoted = false;
      for (size_t i = start; i < std::min(s.size(), start + kStringChunk); ++i) {
        auto c = static_cast<uint8_t>(s[i]);
        if (c >= 32 && c < 127) {
          if (!quoted) out_ += '\'';
          quoted = true;
          out_ += static_cast<char>(c);
          if (c == '\'') out_ += '\'';
        } else {
          if (quoted) out_ += '\'';
          quoted = false;
          out_ += '#' + std::to_string(c);
        }
      }
      if (quoted) out_ += '\'';
    }
  }

  TReader r_;
  AnsiString out_;
};

AnsiString ReadRest(TStream& Input) {
  int64_t n = Input.Size() - Input.Position();
  AnsiString s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) Input.ReadBuffer(s.data(), n);
  return s;
}

}  // namespace

AnsiString ObjectTextToBinary(std::string_view Text, const AnsiString& SourceName, TLineMap* Lines) {
  AnsiString out;
  if (Lines != nullptr) Lines->clear();
  TextParser(Text, SourceName, Lines, out).Run();
  return out;
}

AnsiString ObjectBinaryToText(std::string_view Binary) {
  AnsiString text = TextWriter(Binary).Run();
  return text + "\n";
}

void ObjectTextToBinary(TStream& Input, TStream& Output) {
  AnsiString bin = ObjectTextToBinary(ReadRest(Input));
  Output.WriteBuffer(bin.data(), static_cast<int64_t>(bin.size()));
}

void ObjectBinaryToText(TStream& Input, TStream& Output) {
  AnsiString text = ObjectBinaryToText(ReadRest(Input));
  Output.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}
