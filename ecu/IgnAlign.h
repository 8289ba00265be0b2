#pragma once
// The ignition-alignment window: locks the advance and moves the crank reference by single steps.
// Every step re-reads the configuration, whose reply shows the two angles again.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TAdvEdit;
class TBitBtn;
class TButton;
class TLabel;
class TMemo;

namespace ecu {
class PacketHost;
}

class TIgnAlignForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TIgnAlignForm"; }
  static void Publish(TClassProps<TIgnAlignForm>& P);

  TMemo* Memo1 = nullptr;
  TLabel* Label1 = nullptr;
  // Read-only: they show what the ECU replied; Up and Down only ask it for a step.
  TAdvEdit* ReferenceAdvance = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TAdvEdit* LockAdvance = nullptr;
  TLabel* Label4 = nullptr;
  TButton* UnLockButton = nullptr;
  TButton* Default = nullptr;
  TBitBtn* BitBtn1 = nullptr;

  // Where the frames go: the main window's port.
  void Attach(ecu::PacketHost& link) { link_ = &link; }

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  // Every way of closing ends here: a locked advance is released first.
  void FormClose(TObject* Sender, TCloseAction& Action);
  void UnLockButtonClick(TObject* Sender);
  void DefaultClick(TObject* Sender);
  void ReferenceAdvanceKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void LockAdvanceKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void BitBtn1Click(TObject* Sender);

  // A complete configuration reply: the reference and lock-at angles in degrees.
  void ShowConfiguration();
  // The advance-lock flag of a slow live packet.
  void ShowAdvanceLock(bool locked);

 private:
  // One "$A" step, then the configuration re-read and the watchdog re-armed.
  void Step(WORD key, int up, int down);

  ecu::PacketHost* link_ = nullptr;
};

extern TIgnAlignForm* IgnAlignForm;

// Shown when the window closes with the advance locked and no link to release it.
inline constexpr const char* kAdvanceLockedLinkLost =
    "The link to the ECU is lost while the ignition advance is locked.\r"
    "The ECU may still hold the advance locked: reconnect and release it before driving.";
