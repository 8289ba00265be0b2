#pragma once
// Opening and saving the PC maps as map files (".map"), and reading old text map files
// (".fig") through the same open command. The main window's open and save handlers run
// the dialogs and the options panel, then hand the user's choices to these functions and
// refresh their tables afterwards (speed-site headings and all map tables after an open,
// all map tables after a save).
//
// A map file is a stream container holding "Q5mapver" ("1.0") and one stream per saved
// map, "Q5map-01".."Q5map-03", each the 25,728 bytes of a map record. Files are written
// compressed and not scrambled.
#include <array>
#include <cstddef>
#include <optional>
#include "platform/rtl/AnsiString.h"

class THKStreams;

inline constexpr const char* kMapFileCorruptMessage =
    "Cannot read this file.  File is corrupt or is not the correct format";
inline constexpr const char* kNoMapsToSaveQuestion =
    "No map previously loaded maps are in memory, continue to save anyway?";
inline constexpr const char* kBlankMapName = "new blank map";
inline constexpr const char* kEmptySlotLabel = "empty";

// The largest map file read: three 25,728-byte map records and their names make under
// 80 KB even uncompressed, so a larger file is no map file and is refused unread.
inline constexpr size_t kMaxMapFileSize = size_t{1} << 20;
// The largest body a map file may unpack to: the three records, the version text and the
// streams' names and sizes make 77,255 bytes. A file whose compressed body declares more
// is damaged and refused before any of it is decompressed.
inline constexpr size_t kMaxMapBodySize = size_t{128} << 10;

inline constexpr const char* kMapVersionStream = "Q5mapver";
inline constexpr const char* kMapVersionText = "1.0";
// "Q5map-01".."Q5map-03" for map 1..3.
AnsiString MapStreamName(int Map);

// The item indexes of the options panel's "Load options".
enum TMapLoadOption { mlLoadAll = 0, mlImportIntoCurrentSlot = 1 };

struct TMapFileOpenOptions {
  bool Maps[3] = {false, false, false};  // "Map 1".."Map 3" ticked
  int LoadOption = mlLoadAll;
};

struct TMapFileSaveOptions {
  bool Maps[3] = {true, true, true};  // "Map 1".."Map 3" ticked
};

// One "Map k" box of the options panel with the label beside it.
struct TMapFileBox {
  bool Enabled = false;
  bool Ticked = false;
  AnsiString Label;
};
using TMapFileBoxes = std::array<TMapFileBox, 3>;

// True for a file name whose extension is ".map" in any case; every other name is read
// as an old text map file.
bool IsMapFileName(const AnsiString& FileName);

struct TMapOpenResult {
  bool Ok = true;
  // When not Ok, for an error box: kMapFileCorruptMessage, or for a file larger than
  // kMaxMapFileSize the message that names the file and the bound.
  AnsiString Message;
};

// Opens FileName into the map slots and sets Settings.MapPath to its folder.
//
// ".map": with "Load all", each ticked map the file holds goes into its own slot; with
// "Import into current slot", the last ticked map the file holds goes into the current
// slot. A map read gets source 1; map 1 (or the current slot when it is slot 1, on
// import) is named after the file. A ticked map the file does not hold changes nothing.
// A file that cannot be opened or is damaged in any way (also a map stream shorter than
// a map record, or a body declaring more than kMaxMapBodySize) returns !Ok with
// kMapFileCorruptMessage, and no slot has changed; so does
// a file larger than kMaxMapFileSize, refused before it is read, with its own message.
//
// Any other extension: the old text reader fills the current slot; its errors are
// raised (EFOpenError, EReadError, EInOutError) and the slot is then unchanged.
//
// Container is the window's stream container, so that its corrupt event fires; without
// one a private container is used. Its streams are cleared afterwards.
TMapOpenResult OpenMapFile(const AnsiString& FileName, const TMapFileOpenOptions& Options,
                           THKStreams* Container = nullptr);

// What the open dialog's side panels show for a selected map file: box k ticked and
// enabled with the map's name when the file holds map k, else unticked, disabled and
// "empty"; and the comments of the last map the file holds. Nothing when the file cannot
// be read, with the message to show in Message when given (kMapFileCorruptMessage, or the
// size message for a file larger than kMaxMapFileSize); the dialog skips files that do
// not exist before it asks.
struct TMapFilePreview {
  TMapFileBoxes Boxes;
  AnsiString Comments;
};
std::optional<TMapFilePreview> PreviewMapFile(const AnsiString& FileName, THKStreams* Container = nullptr,
                                              AnsiString* Message = nullptr);

// Saving needs at least one map in memory: when none is present the window asks
// kNoMapsToSaveQuestion, and on "Yes" StartBlankMap makes the current slot present
// (source 1) with the name kBlankMapName.
bool AnyMapPresent();
void StartBlankMap();

// The save dialog's boxes: a present slot is enabled and ticked with its name, an empty
// one disabled, unticked and labelled "empty".
TMapFileBoxes MapFileSaveBoxes();

// Writes every present, ticked map to FileName (a temporary file renamed over it when
// complete, so a failed save leaves the old file as it was) and sets Settings.MapPath.
// Map 1 is named after the file, in the file and in memory, also when it is not saved.
// Raises the platform's file errors (EFCreateError, EWriteError); map 1 keeps its name.
void SaveMapFile(const AnsiString& FileName, const TMapFileSaveOptions& Options, THKStreams* Container = nullptr);
