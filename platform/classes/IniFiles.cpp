#include "platform/classes/IniFiles.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/classes/SafeFile.h"

namespace {
struct Line {
  bool isKey = false;
  AnsiString key;    // trimmed
  AnsiString value;  // trimmed
  AnsiString raw;    // the whole line for comments, blanks and lines without "="
};

struct Section {
  AnsiString name;
  bool preamble = false;  // lines before the first header
  std::vector<Line> lines;
};

Line ParseLine(const AnsiString& text) {
  Line l;
  AnsiString t = Trim(text);
  size_t eq = t.find('=');
  if (t.empty() || t[0] == ';' || eq == AnsiString::npos) {
    l.raw = text;
    return l;
  }
  l.isKey = true;
  l.key = Trim(t.substr(0, eq));
  l.value = Trim(t.substr(eq + 1));
  return l;
}

bool HasLineBreak(const AnsiString& s) { return s.find_first_of("\r\n") != AnsiString::npos; }

// The shortest text that reads back as exactly Value. FloatToStr's 15 digits are kept
// where they are exact (95.5 stays "95.5"); otherwise up to 17 digits are written, in the
// same form ("1.7976931348623157E308").
AnsiString RoundTripFloatText(double Value) {
  AnsiString text = FloatToStr(Value);
  double back;
  if (!std::isfinite(Value) || (TryStrToFloat(text, back) && back == Value)) return text;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, Value);
  text.assign(buf, r.ptr);
  const size_t e = text.find('e');
  if (e != AnsiString::npos) {
    text[e] = 'E';
    if (e + 1 < text.size() && text[e + 1] == '+') text.erase(e + 1, 1);
  }
  return text;
}
}  // namespace

struct TIniFile::Impl {
  AnsiString fileName;
  bool inConfigFolder = false;
  std::vector<Section> sections;
  bool dirty = false;
  bool saveFailed = false;  // the last UpdateFile raised; the destructor does not repeat it
  AnsiString loadError;     // set when an existing file could not be read

  void Parse(const AnsiString& text) {
    sections.clear();
    sections.push_back(Section{"", true, {}});
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find_first_of("\r\n", start);
      if (end == AnsiString::npos) end = text.size();
      AnsiString line = text.substr(start, end - start);
      start = end + 1;  // past CR or LF; a CR LF pair counts as one break
      if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
      AnsiString t = Trim(line);
      if (!t.empty() && t[0] == '[') {
        size_t close = t.find(']');
        sections.push_back(Section{Trim(t.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1)),
                                   false, {}});
      } else {
        sections.back().lines.push_back(ParseLine(line));
      }
    }
  }

  AnsiString Serialise() const {
    AnsiString out;
    for (const Section& s : sections) {
      if (!s.preamble) out += "[" + s.name + "]\r\n";
      for (const Line& l : s.lines) out += (l.isKey ? l.key + "=" + l.value : l.raw) + "\r\n";
    }
    return out;
  }

  // The first section of that name wins, as with keys.
  const Section* Find(const AnsiString& name) const {
    for (const Section& s : sections)
      if (!s.preamble && SameText(s.name, Trim(name))) return &s;
    return nullptr;
  }
  Section* Find(const AnsiString& name) {
    return const_cast<Section*>(static_cast<const Impl*>(this)->Find(name));
  }

  const Line* FindKey(const AnsiString& section, const AnsiString& key) const {
    const Section* s = Find(section);
    if (s == nullptr) return nullptr;
    AnsiString k = Trim(key);
    for (const Line& l : s->lines)
      if (l.isKey && SameText(l.key, k)) return &l;
    return nullptr;
  }

  Section& Ensure(const AnsiString& name) {
    if (Section* s = Find(name)) return *s;
    sections.push_back(Section{Trim(name), false, {}});
    return sections.back();
  }
};

TIniFile::TIniFile(const AnsiString& FileName) : d_(std::make_unique<Impl>()) {
  d_->inConfigFolder = FileName.find('/') == AnsiString::npos;
  d_->fileName = ConfigFilePath(FileName);
  d_->Parse("");
  if (!FileExists(d_->fileName)) {
    if (DirectoryExists(d_->fileName)) d_->loadError = "\"" + d_->fileName + "\" is a folder";
    return;
  }
  try {
    d_->Parse(safefile::ReadFile(d_->fileName, kMaxIniFileSize));
  } catch (const Exception& e) {
    // Reads give their defaults, but the file is not overwritten later: doing so would
    // replace settings we could not see.
    d_->loadError = e.Message();
  }
}

TIniFile::~TIniFile() {
  // A save that already failed was reported by UpdateFile's exception.
  if (!d_->dirty || d_->saveFailed) return;
  try {
    UpdateFile();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvaneq5: settings not saved: %s\n", cp1252::ToUtf8(e.what()).c_str());
  }
}

const AnsiString& TIniFile::FileName() const { return d_->fileName; }

const AnsiString& TIniFile::LoadError() const { return d_->loadError; }

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) const {
  const Line* l = d_->FindKey(Section, Ident);
  return l != nullptr ? l->value : Default;
}

int TIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const {
  const Line* l = d_->FindKey(Section, Ident);
  int v;
  return (l != nullptr && TryStrToInt(l->value, v)) ? v : Default;
}

bool TIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) const {
  const Line* l = d_->FindKey(Section, Ident);
  double v;
  return (l != nullptr && TryStrToFloat(l->value, v)) ? v : Default;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  AnsiString section = Trim(Section), key = Trim(Ident);
  // Names that could not be read back, or would break the file's structure, are refused.
  if (section.empty() || section.find(']') != AnsiString::npos || HasLineBreak(section))
    throw EIniFileException("Invalid section name \"" + Section + "\"");
  if (key.empty() || key[0] == ';' || key[0] == '[' || key.find('=') != AnsiString::npos || HasLineBreak(key))
    throw EIniFileException("Invalid key name \"" + Ident + "\"");
  // A line break in a value would start a new line of the file (possibly a section);
  // it is stored as a blank instead.
  AnsiString value = Value;
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  value = Trim(value);

  ::Section& s = d_->Ensure(section);
  for (Line& l : s.lines)
    if (l.isKey && SameText(l.key, key)) {
      if (l.value != value) {
        l.value = value;
        d_->dirty = true;
        d_->saveFailed = false;
      }
      return;
    }
  // New keys go after the last non-blank line, so a blank separator stays at the end.
  size_t pos = s.lines.size();
  while (pos > 0 && !s.lines[pos - 1].isKey && Trim(s.lines[pos - 1].raw).empty()) --pos;
  Line l;
  l.isKey = true;
  l.key = key;
  l.value = value;
  s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(pos), l);
  d_->dirty = true;
  d_->saveFailed = false;
}

void TIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

void TIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, RoundTripFloatText(Value));
}

bool TIniFile::SectionExists(const AnsiString& Section) const {
  const ::Section* s = d_->Find(Section);
  if (s == nullptr) return false;
  for (const Line& l : s->lines)
    if (l.isKey) return true;
  return false;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) const {
  return d_->FindKey(Section, Ident) != nullptr;
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) const {
  Strings->BeginUpdate();
  Strings->Clear();
  if (const ::Section* s = d_->Find(Section)) {
    TStringList seen;
    seen.SetSorted(true);
    for (const Line& l : s->lines) {
      if (!l.isKey || seen.IndexOf(l.key) >= 0) continue;
      seen.Add(l.key);
      Strings->Add(l.key);
    }
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) const {
  Strings->BeginUpdate();
  Strings->Clear();
  TStringList seen;
  seen.SetSorted(true);
  for (const ::Section& s : d_->sections) {
    if (s.preamble || seen.IndexOf(s.name) >= 0) continue;
    seen.Add(s.name);
    Strings->Add(s.name);
  }
  Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) const {
  TStringList keys;
  ReadSection(Section, &keys);
  Strings->BeginUpdate();
  Strings->Clear();
  for (int i = 0; i < keys.Count(); ++i) Strings->Add(keys[i] + "=" + ReadString(Section, keys[i], ""));
  Strings->EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& Section) {
  auto& v = d_->sections;
  size_t before = v.size();
  std::erase_if(v, [&](const ::Section& s) { return !s.preamble && SameText(s.name, Trim(Section)); });
  if (v.size() != before) d_->dirty = true;
}

void TIniFile::EnsureSection(const AnsiString& Section) {
  if (d_->Find(Section) != nullptr) return;
  d_->Ensure(Section);
  d_->dirty = true;
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  for (::Section& s : d_->sections) {
    if (s.preamble || !SameText(s.name, Trim(Section))) continue;
    size_t before = s.lines.size();
    std::erase_if(s.lines, [&](const Line& l) { return l.isKey && SameText(l.key, Trim(Ident)); });
    if (s.lines.size() != before) d_->dirty = true;
  }
}

void TIniFile::UpdateFile() {
  if (!d_->dirty) return;
  d_->saveFailed = true;
  if (!d_->loadError.empty())
    throw EIniFileException("Cannot update \"" + d_->fileName + "\": it could not be read (" + d_->loadError + ")");
  // A file the reader would refuse is not written: the settings in it would be lost on the
  // next start, and the file as it was is kept instead.
  const AnsiString text = d_->Serialise();
  if (text.size() > kMaxIniFileSize)
    throw EIniFileException("Cannot update \"" + d_->fileName + "\": it would be larger than 1 MiB, more than can be read back");
  if (d_->inConfigFolder) ForceDirectories(ExtractFilePath(d_->fileName));
  safefile::WriteFile(d_->fileName, text);
  d_->dirty = false;
  d_->saveFailed = false;
}
