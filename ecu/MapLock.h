#pragma once
// Locks and unlocks the ECU maps with a 4-digit PIN and a message. The ECU's answer shows
// in the lock bits of the slow live packet, which keep the status and ECUMapsLocked.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/graphics/Colors.h"
#include "platform/rtl/AnsiString.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TEdit;
class TGroupBox;
class TLabel;
class TAdvMaskEdit;

namespace ecu {

class PacketHost;

// The PIN bytes: the numbers of the first and of the last two digits. None unless the
// text is exactly four digits.
std::optional<std::array<uint8_t, 2>> PinBytes(std::string_view pin);

// The status shown, kept in the status label's Tag.
enum class LockShown : int { None = 0, Unlocked = 1, Locked = 2, WrongCode = 3 };

// Lock bits of the slow live packet.
constexpr uint8_t kLockBitWrongCode = 1 << 2;
constexpr uint8_t kLockBitLocked = 1 << 3;

}  // namespace ecu

class TMapLockForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TMapLockForm"; }
  static void Publish(TClassProps<TMapLockForm>& P);

  TGroupBox* GroupBox1 = nullptr;
  TEdit* LockMessage = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TAdvMaskEdit* pincode = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TLabel* maplockstatus = nullptr;
  TButton* lockbutton = nullptr;
  TBitBtn* BitBtn1 = nullptr;

  // Where the frames go: the main window's port.
  void Attach(ecu::PacketHost& link) { link_ = &link; }

  void lockbuttonClick(TObject* Sender);
  // The lock bits of every slow live packet.
  void UpdateMapLock(uint8_t lockBits);
  // The ECU's answer to the message request.
  void ShowLockMessage(const AnsiString& text);
  // The link was lost: nothing is known of the lock any more.
  void ResetStatus();

 private:
  void ShowStatus(const AnsiString& text, TColor colour);

  ecu::PacketHost* link_ = nullptr;
};

extern TMapLockForm* MapLockForm;

// Scrambles `frame` with the map-lock key word of the status packet and appends its
// checksum, as the ECU expects of every "$S" frame.
AnsiString SecureMsg(const AnsiString& frame);

// The main window's "Map &Lock" command: asks the ECU for its lock message and shows
// MapLockForm modally.
void ShowMapLock(ecu::PacketHost& link);
