// A whole firmware update file as the update window reads it before anything is sent: the
// stream container, then its "MEMO", "INI" and "DATA" streams through every check the window
// makes (keys, the model number, the required and replaced versions with the conflict
// question, the S-records). Any input must end in an Exception or a result, never a crash.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "files/HKStreamCol.h"
#include "files/FlashFile.h"
#include "platform/classes/Streams.h"

namespace {

AnsiString StreamText(THKStreams& streams, const char* name) {
  TMemoryStream stream;
  streams.GetStream(name, &stream);
  return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // The window reads an update file with the update bound for both the file and its
  // unpacked body: a larger file is refused before it is read, a body declaring more is
  // corrupt. The same bound here, so that it is the one fuzzed.
  if (Size > ecu::kMaxUpdateFileSize) return 0;
  THKStreams streams(nullptr);
  TStringStream in(AnsiString(reinterpret_cast<const char*>(Data), Size));
  try {
    streams.LoadFromStream(&in, ecu::kMaxUpdateFileSize);
  } catch (const Exception&) {
    return 0;
  }
  const AnsiString memo = StreamText(streams, "MEMO");
  const ecu::UpdateIni ini = ecu::ParseUpdateIni(StreamText(streams, "INI"));
  (void)memo;
  if (ini.badModel) return 0;
  ecu::RequiresAccepted(ini.requires_);
  for (const int32_t ecuVersion : {0, 105, -1, INT32_MAX}) {
    ecu::ReplacesMatches(ini.replaces, ecuVersion);
    ecu::ReplacesConflictText(ini.replaces, ecuVersion);
  }
  const ecu::FirmwareImage image = ecu::ParseFirmwareRecords(StreamText(streams, "DATA"));
  std::size_t sent = 0;
  for (const std::string& record : image.records) sent += record.size();
  if (image.ok && sent != image.data.size()) __builtin_trap();
  return 0;
}
