#pragma once
// Configuration files (".q05"): the configuration block and its comments in a stream
// container with four streams. "Q5-1" is empty, "Q5-2" holds the format text "1.0",
// "Q5-3" the comments (lines ended by CR LF, at most 255 characters) and "Q5-4" the 652
// bytes of the block as the PC keeps it.
//
// The container is the program's shared one (its corrupt event tells the user). Its
// format switches are set for each save and load here, so a configuration file never
// takes over the compression or the key of whatever file the container read last:
// configuration files are written compressed and never scrambled, and a scrambled one is
// read with the key its reader gives (the linked ECU's version text).
#include "model/ConfigBlock.h"
#include "platform/rtl/AnsiString.h"

class THKStreams;

namespace config {

inline constexpr const char* kConfigFileFilter = "Q5 ECU config files|*.q05";
inline constexpr const char* kConfigFileExt = "q05";
inline constexpr const char* kConfigFileMask = "*.q05";
inline constexpr const char* kConfigVersionText = "1.0";
inline constexpr size_t kConfigCommentsMax = 255;
// The largest configuration file read, and the largest body it may unpack to: a block of
// 652 bytes and at most 255 characters of comments make under a kilobyte, so a larger file
// is no configuration file and is refused unread, and a body declaring more is damaged and
// refused before any of it is decompressed.
inline constexpr size_t kMaxConfigFileSize = size_t{64} << 10;

// "Q5-1".."Q5-4".
AnsiString ConfigStreamName(int n);

// Writes Block and Comments (cut to kConfigCommentsMax characters) to FileName; a
// temporary file is renamed over it only when complete. Raises the platform's file
// errors. The container's streams are cleared afterwards, whichever way it ends.
void SaveConfigFile(const AnsiString& FileName, const AnsiString& Comments, const TConfigBlock& Block,
                    THKStreams& Container);

struct TConfigFileContents {
  AnsiString Comments;
  TConfigBlock Block{};
};

// Reads a configuration file; a scrambled one is unscrambled with Key. A damaged
// container (also damaged compression, a wrong key, or a scrambled file and no key), or
// one whose "Q5-4" is shorter than a block, fires the container's corrupt event once and
// raises ECorruptFile; so does one whose body unpacks to more than kMaxConfigFileSize. A
// file that cannot be opened raises the platform's file error, and one larger than
// kMaxConfigFileSize EFileTooLarge before any of it is read. Nothing of
// the caller's changes either way: the block comes back only when it was read whole.
TConfigFileContents LoadConfigFile(const AnsiString& FileName, THKStreams& Container,
                                   const AnsiString& Key = AnsiString());

}  // namespace config
