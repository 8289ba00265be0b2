#include "platform/streaming/FormResources.h"

#include <deque>
#include <map>
#include <strings.h>
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"

namespace {

struct Entry {
  TFormResource Info;
  // Converted on first use and kept: forms are read once each, but tests read them often.
  AnsiString Binary;
  TLineMap Lines;
  bool Converted = false;
};

std::deque<Entry>& Resources() {
  static std::deque<Entry> resources;
  return resources;
}

bool SameName(const AnsiString& a, const AnsiString& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// "object Name: TClass" on the first non-blank line; a plain scan, since registration runs
// before main and must not raise.
void ParseHeader(std::string_view text, AnsiString& object_name, AnsiString& class_name) {
  auto word = [&](size_t& i) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    size_t start = i;
    while (i < text.size() && (isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    return AnsiString(text.substr(start, i - start));
  };
  size_t i = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  if (!SameName(word(i), "object")) return;
  AnsiString first = word(i);
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && text[i] == ':') {
    ++i;
    object_name = first;
    class_name = word(i);
  } else {
    class_name = first;
  }
}

Entry* FindEntry(const AnsiString& Name) {
  Entry* found = nullptr;
  for (AnsiString TFormResource::*match : {&TFormResource::ClassName, &TFormResource::Stem}) {
    for (Entry& e : Resources()) {
      if (!SameName(e.Info.*match, Name)) continue;
      if (found != nullptr) throw EFilerError("Form resources " + found->Info.Path + " and " + e.Info.Path + " are both named " + Name);
      found = &e;
    }
    if (found != nullptr) return found;
  }
  return nullptr;
}

void ReadBinary(TComponent* Root, const AnsiString& Binary, const AnsiString& Source, const TLineMap& Lines) {
  TReader reader(Binary.data(), Binary.size());
  reader.SetSource(Source, &Lines);
  reader.ReadRootComponent(Root);
}

}  // namespace

namespace streaming {
void RegisterFormResource(const char* Stem, const char* Path, std::string_view Text) {
  Entry e;
  e.Info.Stem = Stem;
  e.Info.Path = Path;
  e.Info.Text = Text;
  ParseHeader(Text, e.Info.ObjectName, e.Info.ClassName);
  Resources().push_back(std::move(e));
}
}  // namespace streaming

const TFormResource* FindFormResource(const AnsiString& Name) {
  Entry* e = FindEntry(Name);
  return e != nullptr ? &e->Info : nullptr;
}

void ReadFormResource(TComponent* Root, const AnsiString& Name) {
  Entry* e = FindEntry(Name);
  if (e == nullptr) throw EResNotFound("Resource " + Name + " not found");
  if (!e->Converted) {
    e->Binary = ObjectTextToBinary(e->Info.Text, e->Info.Path, &e->Lines);
    e->Converted = true;
  }
  ReadBinary(Root, e->Binary, e->Info.Path, e->Lines);
}

void ReadFormResource(TComponent* Root) { ReadFormResource(Root, Root->ClassName()); }

void ReadFormText(TComponent* Root, std::string_view Text, const AnsiString& SourceName) {
  TLineMap lines;
  AnsiString binary = ObjectTextToBinary(Text, SourceName, &lines);
  ReadBinary(Root, binary, SourceName, lines);
}
