#include "files/ConfigFile.h"

#include <cstring>

#include "files/HKStreamCol.h"
#include "platform/rtl/SysUtils.h"

namespace config {
namespace {

// Sets the container up for a configuration file and leaves it empty afterwards.
class ConfigContainer {
 public:
  explicit ConfigContainer(THKStreams& c) : c_(c) {
    c_.Compressed = true;
    c_.Encrypted = false;
    c_.Key = "";
    c_.ClearStreams();
  }
  ~ConfigContainer() { c_.ClearStreams(); }
  ConfigContainer(const ConfigContainer&) = delete;
  ConfigContainer& operator=(const ConfigContainer&) = delete;
  THKStreams& operator*() { return c_; }

 private:
  THKStreams& c_;
};

void Add(THKStreams& c, int n, const AnsiString& data) {
  TStringStream s(data);
  c.AddStream(ConfigStreamName(n), &s);
}

AnsiString Get(THKStreams& c, int n) {
  TStringStream s;
  c.GetStream(ConfigStreamName(n), &s);
  return s.DataString();
}

}  // namespace

AnsiString ConfigStreamName(int n) { return "Q5-" + IntToStr(n); }

void SaveConfigFile(const AnsiString& FileName, const AnsiString& Comments, const TConfigBlock& Block,
                    THKStreams& Container) {
  ConfigContainer c(Container);
  Add(*c, 1, "");
  Add(*c, 2, kConfigVersionText);
  Add(*c, 3, Comments.substr(0, kConfigCommentsMax));
  Add(*c, 4, AnsiString(reinterpret_cast<const char*>(&Block), sizeof Block));
  (*c).SaveToFile(FileName);
}

TConfigFileContents LoadConfigFile(const AnsiString& FileName, THKStreams& Container, const AnsiString& Key) {
  ConfigContainer c(Container);
  (*c).Key = Key;
  // Damaged compression is raised by the decompressor without the container's event;
  // the user hears of every damaged configuration file the same way.
  bool told = false;
  const TNotifyEvent shared = (*c).OnCorrupt;
  (*c).OnCorrupt = [&](TObject* sender) {
    told = true;
    if (shared) shared(sender);
  };
  struct Restore {
    THKStreams& c;
    TNotifyEvent e;
    ~Restore() { c.OnCorrupt = e; }
  } restore{*c, shared};
  try {
    (*c).LoadFromFile(FileName, kMaxConfigFileSize);
  } catch (const ECorruptFile&) {
    if (!told && shared) shared(&*c);
    throw;
  }
  // "Q5-1" and "Q5-2" carry nothing the program uses; no version is refused.
  TConfigFileContents out;
  out.Comments = Get(*c, 3);
  const AnsiString block = Get(*c, 4);
  if (block.size() < sizeof(TConfigBlock)) {
    // A cut-short block would load half a configuration: refused as a damaged file.
    if ((*c).OnCorrupt) (*c).OnCorrupt(&*c);
    throw ECorruptFile("File is corrupt.");
  }
  std::memcpy(&out.Block, block.data(), sizeof out.Block);
  return out;
}

}  // namespace config
