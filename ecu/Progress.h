#pragma once
// The map-transfer window: chooses the current map or all maps, reads banks from the ECU
// (driven by the map data packets the packet handler collects) and programs PC map slots
// into the ECU's banks (driven by this window, which writes the whole image itself).
#include <chrono>
#include <cstdint>
#include <ctime>
#include <utility>
#include <vector>

#include "ecu/MapImage.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TApdCustomComPort;
class TBitBtn;
class TComboBox;
class TLabel;
class TPanel;
class TProgressBar;

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
  // Programs slot `bank` into ECU bank `bank`; false when the ECU stopped answering or the
  // port closed on the way.
  bool SendMap(int bank);
  // Stores a received bank into slot `bank` and refreshes the tables.
  void ImportMap(int bank, const ecu::MapImage& image);
  // Waits for an empty output buffer, handling messages meanwhile; false when the link
  // counts as lost (no live packet within the watchdog time) or the port closed.
  bool WaitCommsFree();

  // The packet handler's calls, through the main window.
  bool TransferShown() const;
  void ProgressAdd(int bytes);
  void ReadNext(int bank);
  void ReadComplete();

 private:
  void ProgramMaps();
  bool LinkAlive();
  void NoteLivePackets();
  bool WaitForLivePacket();

  ecu::PacketHost* link_ = nullptr;
  TApdCustomComPort* port_ = nullptr;
  int64_t liveSeen_ = -1;
  std::chrono::steady_clock::time_point liveAt_{};
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
inline constexpr const char* kProgramComplete = "Program ECU - COMPLETE";
inline constexpr const char* kProgramFailed = "Program ECU - FAILED";
inline constexpr const char* kProgramLinkLost =
    "The ECU stopped answering while the maps were programmed.  Check the connection and program the maps again.";
inline constexpr const char* kCommunicationProblems = "Communication problems";
