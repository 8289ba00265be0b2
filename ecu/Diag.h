#pragma once
// The diagnostics window: raw ECU values, the ECU times and the telltale memory with its lock.
#include <array>
#include <cstdint>

#include "platform/rtl/AnsiString.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TGroupBox;
class TLabel;
class TTimer;
struct TSettingsRecord;

namespace ecu {
class PacketHost;
}

class TDiagForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TDiagForm"; }
  static void Publish(TClassProps<TDiagForm>& P);

  TGroupBox* TelltaleBox = nullptr;
  TButton* TelltaleLock = nullptr;
  TButton* TelltaleClear = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  // Converted temperatures, pressures and road speed, each with its unit beside it.
  TLabel *airtemp = nullptr, *coolanttemp = nullptr, *AuxTemp = nullptr, *EGTTemp = nullptr;
  TLabel *inlet = nullptr, *boostactual = nullptr, *boosttarget = nullptr, *TCSpeed = nullptr;
  TLabel *airtempUnit = nullptr, *coolanttempUnit = nullptr, *AuxTempUnit = nullptr, *EGTTempUnit = nullptr;
  TLabel *inletUnit = nullptr, *boostactualUnit = nullptr, *boosttargetUnit = nullptr, *TCSpeedUnit = nullptr;
  TTimer* Timer1 = nullptr;
  // From the status packet: last programmed, the ECU's and the engine's running times, and
  // the highest engine speed the telltale memory holds.
  TLabel *TimeStamp = nullptr, *ECURunTime = nullptr, *EngRunTime = nullptr, *RPMmax = nullptr;
  // From the live packets.
  TLabel *StatusFlag = nullptr, *FaultFlag = nullptr;
  TLabel *rpm = nullptr, *throttle = nullptr, *potnum = nullptr, *speedsite = nullptr, *loadsite = nullptr;
  TLabel *actualadv = nullptr, *injpw = nullptr, *GearPos = nullptr, *ClutchStatus = nullptr;
  TLabel *baro = nullptr, *battery = nullptr, *boostpwm = nullptr, *boostlevel = nullptr;
  TLabel *iacvpos = nullptr, *InjTiming = nullptr, *COTms = nullptr, *otVVTms = nullptr, *VVTtarget = nullptr,
         *VVTactual = nullptr;
  TLabel *LambdaV = nullptr, *LambdaTrim = nullptr;
  // Auxiliary inputs 1..10 in volts.
  std::array<TLabel*, 10> Input{};

  // Where the frames go: the main window's port.
  void Attach(ecu::PacketHost& link) { link_ = &link; }

  void FormShow(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void TelltaleClearClick(TObject* Sender);
  void TelltaleLockClick(TObject* Sender);
  // The status packet's values, from ECUIdentity.
  void ShowIdentity();
  // The fast and the slow packet's values, from the decoded live data, in the display
  // units of `units`.
  void ShowFastLive(const TSettingsRecord& units);
  void ShowSlowLive(const TSettingsRecord& units);
  // The link is lost: every value reads as unknown until the ECU speaks again.
  void ShowUnknown();

 private:
  ecu::PacketHost* link_ = nullptr;
};

extern TDiagForm* DiagForm;

namespace ecu {
// Seconds as hours:minutes:seconds ("27:46:40").
AnsiString RunningTimeText(uint32_t seconds);
// A packed file date (date word high, time word low); "Unknown" when it is no date.
AnsiString PackedDateText(uint32_t packed);
}  // namespace ecu

inline constexpr const char* kTelltaleLocked =
    "The telltale min/max memory is locked!\rClick Unlock button and enter your code first.";
