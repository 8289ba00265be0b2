#pragma once
// Reader of the old labelled-text map files (".fig") of the previous generation of the
// system. The program never writes them.
//
// A line that holds a label is followed in the file by whitespace-separated integers
// (across line ends) that fill the map fields; unknown lines are skipped. The file is
// read into a copy of the map and the map is replaced only when the whole file reads
// cleanly, so a damaged file never leaves a half-loaded map.
#include <cstddef>
#include <cstdint>
#include "model/MapRecord.h"
#include "platform/rtl/AnsiString.h"

// An old map file is text of a few tens of kilobytes; anything beyond this is not one and
// is refused before it is read.
inline constexpr size_t kMaxFigFileSize = 1024 * 1024;

// Reads FileName into Map (normally MapSlots[CurrentMap]) with Settings.LoadSites load
// rows per main table and SpeedSiteList as the default speed sites. Raises EFOpenError /
// EReadError when the file cannot be read (also when it is no regular file or is larger
// than kMaxFigFileSize) and EInOutError with a message naming the file
// and line when its contents are malformed; Map is then unchanged.
void ReadFigFile(const AnsiString& FileName, TMapRecord& Map);

// The same on text already in memory; FileName only names the map and the messages.
void ReadFigText(const AnsiString& Text, const AnsiString& FileName, TMapRecord& Map, int LoadSites,
                 const int32_t (&DefaultSpeedSites)[33]);
