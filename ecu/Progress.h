#pragma once
// The map-transfer window: chooses the current map or all maps, reads banks from the ECU
// (driven by the map data packets the packet handler collects) and programs PC map slots
// into the ECU's banks (driven by this window, which writes the whole image itself).
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

#include "model/MapImage.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TApdCustomComPort;
class TBitBtn;
class TComboBox;
class TLabel;
class TPanel;
class TProgressBar;
class TTimer;

namespace ecu {

class PacketHost;

// The packed file date and time of a local time: date word (years since 1980, month,
// day) and time word (hours, minutes, seconds / 2).
std::pair<uint16_t, uint16_t> PackedDateTime(const std::tm& local);

// Where the programming of a bank image pauses to let the line drain, move the progress
// on and re-arm the link watchdog: the ends of the name's characters, of its padding, of
// the detail texts and of the texts' fill, then the tables in even stretches, so that the
// progress takes 59 steps (the time stamp is the 60th) and no stretch exceeds 1,280 bytes.
// `nameLength` is the number of name characters (at most 32). Strictly increasing, the
// last is the image size.
std::vector<size_t> ProgramSectionEnds(const MapImage& image, size_t nameLength);

}  // namespace ecu

class TCommsProgress : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TCommsProgress"; }
  static void Publish(TClassProps<TCommsProgress>& P);

  TLabel* Label5 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TPanel* Panel1 = nullptr;
  TProgressBar* map_gauge = nullptr;
  TLabel* Label1 = nullptr;
  TBitBtn* ok = nullptr;
  TBitBtn* cancel = nullptr;

  // The link the transfers use: frames and watchdog re-arms through `link`, the output
  // buffer of `port` (without a port, programming reports the link lost).
  void Attach(ecu::PacketHost& link, TApdCustomComPort* port);

  // The menu commands' checks and preparation; false (after its message) when the
  // window must not be shown.
  bool PrepareRead();
  bool PrepareProgram();

  void ComboBox1Change(TObject* Sender);
  void FormActivate(TObject* Sender);
  void okClick(TObject* Sender);
  void cancelClick(TObject* Sender);

  void UpdateMapProgress();
  // Programs slot `bank` into ECU bank `bank`; false when the line failed (hang-up,
  // write error) or the port closed on the way.
  bool SendMap(int bank);
  // Stores a received bank into slot `bank` and refreshes the tables.
  void ImportMap(int bank, const ecu::MapImage& image);
  // Waits until every byte written has left on the line (the output buffer and the
  // device's queue are empty), handling messages meanwhile; false when the line failed or
  // the port closed.
  bool WaitCommsFree();

  // The packet handler's calls, through the main window.
  bool TransferShown() const;
  void ProgressAdd(int bytes);
  void ReadNext(int bank);
  void ReadComplete();
  // Bank `bank` did not arrive whole: nothing of it was imported and the read stops.
  void ReadFailed(int bank);
  // The window has closed; a read still waiting for its bank is given up.
  void ReadClosed();
  // The ECU finishes a bank it has started even when its read was given up, and may take
  // nothing in meanwhile: before a read, a program or an upload is sent, lets the rest of
  // that bank pass, handling messages, until no map chunk has come for a while. False, with
  // the bank still counted as arriving, when `giveUp` turns true or the program quits.
  bool LetGivenUpBankPass(const std::function<bool()>& giveUp);

 private:
  void ProgramMaps();
  bool LineUsable() const;
  int64_t LivePacketsSeen() const;
  // After the last bank: true when a live packet comes within a few seconds.
  bool WaitForLivePacket();
  // LetGivenUpBankPass while this window is up: gives up when it closes.
  bool WaitForMapChunksToStop();
  // Watches a read: one that receives no chunk for a few seconds has failed.
  void StallTimerTimer(TObject* Sender);

  ecu::PacketHost* link_ = nullptr;
  TApdCustomComPort* port_ = nullptr;
  TTimer* stallTimer_ = nullptr;
  int32_t chunksSeen_ = 0;
  int quietTicks_ = 0;
  // A read ended before its bank was whole: the ECU may still be sending that bank.
  bool bankMayBeArriving_ = false;
};

extern TCommsProgress* CommsProgress;

// The main window's "&Read MAP" and "&Program MAP" commands: check ECUConnected, the map
// lock and the current map, then show CommsProgress modally.
void ReadMapsFromEcu(ecu::PacketHost& link, TApdCustomComPort& port);
void ProgramMapsIntoEcu(ecu::PacketHost& link, TApdCustomComPort& port);

// Texts of the transfers.
inline constexpr const char* kEcuNotConnected = "ECU not connected or not powered up.  Please check!";
inline constexpr const char* kReadLocked = "The ECU maps are locked, pin code access via Setup\\Map Lock";
inline constexpr const char* kProgramLocked =
    "The ECU maps are locked.  Reprogramming will overwrite all maps and unlock the ECU";
inline constexpr const char* kCurrentMapEmpty =
    "The current map is EMPTY!\rFirst select a map to work with by either loading a map from disk or reading a "
    "map from the ECU";
inline constexpr const char* kMapsEmpty = "One or more maps are EMPTY!\rContinue anyway?";
inline constexpr const char* kReadComplete = "Read ECU - COMPLETE";
inline constexpr const char* kReadFailed = "Read ECU - FAILED";
// "map n", then the maps not read and what to do.
inline constexpr const char* kReadIncomplete = "The ECU's map did not arrive whole, so the PC map was left as it was.\rNot read: ";
inline constexpr const char* kProgramComplete = "Program ECU - COMPLETE";
inline constexpr const char* kProgramFailed = "Program ECU - FAILED";
// Followed by the maps not written ("map 2, map 3") and what to do.
inline constexpr const char* kProgramLineLost =
    "The connection to the ECU was lost while the maps were programmed.\rNot programmed: ";
inline constexpr const char* kProgramNoAnswer =
    "The ECU did not answer after it was programmed.\rCheck the connection and read the maps back to see what "
    "the ECU holds.";
inline constexpr const char* kCommunicationProblems = "Communication problems";
