#pragma once
// THKStreams: a set of named byte streams saved to and loaded from one container file,
// optionally compressed and optionally scrambled with a key. Map, configuration and
// firmware update files all go through it.
#include <cstdint>
#include <functional>
#include <vector>
#include "files/CorruptFile.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"

// The largest container file read, and the largest body it may unpack to, when the caller
// names no bound of its own.
inline constexpr size_t kMaxContainerFileSize = size_t{64} << 20;
// The most streams a container may list. The program's files hold three or four; a body
// that lists more is no file of the program's and is refused before any stream is built.
inline constexpr uint32_t kMaxContainerStreams = 256;

// Asked for the key of a scrambled container; may change Key.
using THKAskForKeyEvent = std::function<void(TObject* Sender, AnsiString& Key)>;

class THKStreams : public TComponent {
 public:
  explicit THKStreams(TComponent* AOwner);
  ~THKStreams() override;
  const char* ClassName() const override { return "THKStreams"; }

  // Compress the body when saving; set from the file when loading.
  bool Compressed = true;
  // Scramble the body when saving (only with a non-empty Key); set from the file when
  // loading.
  bool Encrypted = false;
  AnsiString Key;
  THKAskForKeyEvent OnAskForKey;
  // Told that a container is corrupt, just before ECorruptFile "File is corrupt." is raised.
  TNotifyEvent OnCorrupt;

  // Stores a copy of all of Stream (from its start) under Name. Nothing happens when the
  // name is empty, the stream is missing, or the name (in any case) is already present.
  void AddStream(const AnsiString& Name, TStream* Stream);
  // Appends the named stream's data to Dest at its position, then rewinds Dest. An
  // unknown name only rewinds Dest; an empty name does nothing.
  void GetStream(const AnsiString& Name, TStream* Dest);
  void ClearStreams();

  // Raise the platform's file-stream errors when the file cannot be opened or created.
  // Saving writes a temporary file and renames it over FileName only when complete.
  // Loading refuses a file larger than MaxFileSize before reading any of it
  // (EFileTooLarge, naming the bound); nothing changes then.
  //
  // A body larger than MaxBodySize once unpacked (its declared length is checked before any
  // of it is decompressed), or one listing more than kMaxContainerStreams streams, is
  // corrupt: OnCorrupt, then ECorruptFile "File is corrupt.". So a file of a few bytes
  // cannot claim more memory than a real file of its kind needs. The one-bound form uses
  // MaxFileSize for both.
  void LoadFromFile(const AnsiString& FileName, size_t MaxFileSize = kMaxContainerFileSize);
  void LoadFromFile(const AnsiString& FileName, size_t MaxFileSize, size_t MaxBodySize);
  void SaveToFile(const AnsiString& FileName);
  void LoadFromStream(TStream* Stream, size_t MaxBodySize = kMaxContainerFileSize);
  void SaveToStream(TStream* Stream);

 private:
  [[noreturn]] void RaiseCorrupt();
  void LoadBytes(std::vector<uint8_t> Image, size_t MaxBodySize);
  // Adds a stream holding Size bytes at Data under Name; an empty name or one already
  // taken adds nothing.
  void AddBytes(const AnsiString& Name, const void* Data, size_t Size);
  TStringList names_;  // sorted, case-insensitive; objects are owned TMemoryStreams
};
