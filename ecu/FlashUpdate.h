#pragma once
// The firmware-update window. It owns the one stream container krup that reads map,
// configuration and update files. It checks an update file, sends the firmware to the ECU
// and follows the ECU's replies (FlashState, moved by the packet handler) until the ECU has
// restarted, then writes a new model number when the file asks for one.
#include <cstdint>

#include "files/FlashFile.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAbBar;
class TBitBtn;
class TGroupBox;
class THKStreams;
class TLabel;
class TMainMenu;
class TMemo;
class TMenuItem;

class TFlashUpdateForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TFlashUpdateForm"; }
  static void Publish(TClassProps<TFlashUpdateForm>& P);

  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* File1 = nullptr;
  TMenuItem* SelectUpdateFile1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TMemo* Notes = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TMemo* UpdateInfo = nullptr;
  TAbBar* ProgressBar = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* ProgressState = nullptr;
  TBitBtn* Proceed = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  THKStreams* krup = nullptr;

  void krupCorrupt(TObject* Sender);
  void SelectUpdateFile1Click(TObject* Sender);
  void ProceedClick(TObject* Sender);
  void BitBtn2Click(TObject* Sender);

  // Back to " Waiting for file selection" with nothing chosen, as the install command
  // opens the window.
  void ResetForNewFile();

  // How long the ECU may stay silent while the update waits for its next reply.
  uint32_t ReplyTimeoutMs = 10000;

  bool FlashResetExpected = false;
  bool FlashInstallPending = false;
  bool FlashModelChange = false;
  int32_t FlashNewModel = 0;
  int32_t FlashDataLength = 0;
  int32_t FlashBytesSent = 0;

 private:
  // Loops while the port's output bytes are pending, handling the application's messages;
  // false when the line is gone.
  bool WaitCommsFree();
  void Pump();
  void SetStatus(const char* text);
  void BounceProgress(int length);
  // Runs the update sequence; true when the ECU verified the code and restarted.
  bool RunSequence();
  // Sends the data bytes one at a time; false when the line failed.
  bool Install();
  void ShowCorrupt();

  ecu::UpdateIni ini_;
  ecu::FirmwareImage image_;
  bool aborted_ = false;
  int bounceStep_ = 1;
};

extern TFlashUpdateForm* FlashUpdateForm;
