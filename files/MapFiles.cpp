#include "files/MapFiles.h"

#include <cstring>
#include <memory>
#include "files/FigFile.h"
#include "files/HKStreamCol.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"

namespace {

using MapPtr = std::unique_ptr<TMapRecord>;

// The window's container when it gave one (its corrupt event then fires), else a private
// one. The streams are dropped when the operation ends, whichever way it ends.
class ContainerUse {
 public:
  ContainerUse(THKStreams* given, bool compressed) : c_(given ? *given : own_) {
    c_.Encrypted = false;
    c_.Compressed = compressed;
    c_.ClearStreams();
  }
  ~ContainerUse() { c_.ClearStreams(); }
  ContainerUse(const ContainerUse&) = delete;
  ContainerUse& operator=(const ContainerUse&) = delete;
  THKStreams* operator->() { return &c_; }

 private:
  THKStreams own_{nullptr};
  THKStreams& c_;
};

// Loads a map file; false (with the message for the user) when it cannot be opened or
// read as a container.
bool LoadContainer(ContainerUse& c, const AnsiString& fileName, AnsiString& message) {
  try {
    c->LoadFromFile(fileName, kMaxMapFileSize, kMaxMapBodySize);
    return true;
  } catch (const EFileTooLarge& e) {
    message = e.Message();
  } catch (const Exception&) {
    message = kMapFileCorruptMessage;
  }
  return false;
}

AnsiString StreamData(ContainerUse& c, const AnsiString& name) {
  TStringStream s;
  c->GetStream(name, &s);
  return s.DataString();
}

enum class MapStream { Missing, Short, Read };

// Map k of the file into a fresh record. A missing (or empty) stream is a map the file
// does not hold; one shorter than a record is damaged and would give a half-loaded map.
MapStream ReadMap(ContainerUse& c, int k, MapPtr& out) {
  const AnsiString data = StreamData(c, MapStreamName(k));
  if (data.empty()) return MapStream::Missing;
  if (data.size() < kMapRecordSize) return MapStream::Short;
  out = std::make_unique<TMapRecord>();
  std::memcpy(out->Bytes(), data.data(), kMapRecordSize);
  return MapStream::Read;
}

TMapOpenResult Corrupt() { return {false, kMapFileCorruptMessage}; }

}  // namespace

AnsiString MapStreamName(int Map) { return "Q5map-0" + IntToStr(Map); }

bool IsMapFileName(const AnsiString& FileName) { return SameText(ExtractFileExt(FileName), ".map"); }

TMapOpenResult OpenMapFile(const AnsiString& FileName, const TMapFileOpenOptions& Options, THKStreams* Container) {
  Settings.MapPath = ExtractFilePath(FileName);
  if (!IsMapFileName(FileName)) {
    ReadFigFile(FileName, MapSlots[CurrentMap]);
    return {};
  }

  ContainerUse c(Container, false);
  AnsiString message;
  if (!LoadContainer(c, FileName, message)) return {false, message};
  StreamData(c, kMapVersionStream);  // present in every map file; its content is not checked

  // Everything is read and checked before any slot changes, so a damaged map stream
  // leaves all three slots as they were.
  MapPtr staged[3];
  for (int k = 1; k <= 3; ++k) {
    if (!Options.Maps[k - 1]) continue;
    MapPtr map;
    const MapStream got = ReadMap(c, k, map);
    if (got == MapStream::Short) return Corrupt();
    if (got == MapStream::Missing) continue;
    // On import the last ticked map the file holds wins.
    MapPtr& into = Options.LoadOption == mlImportIntoCurrentSlot ? staged[0] : staged[k - 1];
    into = std::move(map);
  }

  const AnsiString name = ExtractFileName(FileName);
  if (Options.LoadOption == mlImportIntoCurrentSlot) {
    if (staged[0]) {
      TMapRecord& slot = MapSlots[CurrentMap];
      slot = *staged[0];
      slot.Source = 1;
      if (CurrentMap == 1) slot.MapName.Set(name);
    }
    return {};
  }
  for (int k = 1; k <= 3; ++k) {
    if (!staged[k - 1]) continue;
    TMapRecord& slot = MapSlots[k];
    slot = *staged[k - 1];
    slot.Source = 1;
    if (k == 1) slot.MapName.Set(name);
  }
  return {};
}

std::optional<TMapFilePreview> PreviewMapFile(const AnsiString& FileName, THKStreams* Container,
                                              AnsiString* Message) {
  ContainerUse c(Container, false);
  AnsiString message;
  if (!LoadContainer(c, FileName, message)) {
    if (Message != nullptr) *Message = message;
    return std::nullopt;
  }
  TMapFilePreview preview;
  for (int k = 1; k <= 3; ++k) {
    TMapFileBox& box = preview.Boxes[k - 1];
    MapPtr map;
    // A stream too short to be a map shows the map as absent: opening it is refused.
    if (ReadMap(c, k, map) == MapStream::Read && map->Source != 0) {
      box = {true, true, map->MapName.Get()};
    } else {
      box = {false, false, kEmptySlotLabel};
    }
    if (map) preview.Comments = map->Comments.Get();
  }
  return preview;
}

bool AnyMapPresent() {
  for (int k = 1; k <= 3; ++k)
    if (MapSlots.Present(k)) return true;
  return false;
}

void StartBlankMap() {
  TMapRecord& slot = MapSlots[CurrentMap];
  slot.Source = 1;
  slot.MapName.Set(kBlankMapName);
}

TMapFileBoxes MapFileSaveBoxes() {
  TMapFileBoxes boxes;
  for (int k = 1; k <= 3; ++k) {
    const bool present = MapSlots.Present(k);
    boxes[k - 1] = {present, present, present ? MapSlots[k].MapName.Get() : AnsiString(kEmptySlotLabel)};
  }
  return boxes;
}

void SaveMapFile(const AnsiString& FileName, const TMapFileSaveOptions& Options, THKStreams* Container) {
  const AnsiString name = ExtractFileName(FileName);
  Settings.MapPath = ExtractFilePath(FileName);

  ContainerUse c(Container, true);
  TStringStream version(kMapVersionText);
  c->AddStream(kMapVersionStream, &version);
  for (int k = 3; k >= 1; --k) {
    if (!MapSlots.Present(k) || !Options.Maps[k - 1]) continue;
    // Map 1 is stored under the file's name; the slot itself is renamed only once the
    // file is safely written.
    auto map = std::make_unique<TMapRecord>(MapSlots[k]);
    if (k == 1) map->MapName.Set(name);
    TStringStream data(AnsiString(reinterpret_cast<const char*>(map->Bytes()), kMapRecordSize));
    c->AddStream(MapStreamName(k), &data);
  }
  c->SaveToFile(FileName);
  MapSlots[1].MapName.Set(name);
}
