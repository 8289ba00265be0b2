// The configuration editor's menu: upload to the ECU, read from the ECU, configuration
// files, exit. The file dialogs are asked in one place each; what follows a choice is
// kept apart from the dialog call.
#include <chrono>
#include <memory>
#include <thread>

#include "app/Main.h"
#include "config/ConfigComments.h"
#include "config/loadfiles.h"
#include "config/setup.h"
#include "controls/ApOpenDlg.h"
#include "ecu/FlashUpdate.h"
#include "ecu/Progress.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "link/ConfigRequests.h"
#include "link/LiveData.h"
#include "model/ConfigBlock.h"
#include "model/Frames.h"
#include "model/Settings.h"
#include "platform/os/Clock.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/ui/Dialogs.h"
#include "serial/AdPort.h"
#include "serial/AdTickTimer.h"

namespace {

constexpr const char* kUploadNotSent =
    "The ECU configuration was not sent: the link to the ECU is lost.\r"
    "The ECU's settings are unchanged. Check the connection, then update the ECU configuration again.";
constexpr const char* kUploadUnfinished =
    "The ECU configuration update did not finish.\r"
    "The ECU may hold only part of the new settings. Read the ECU configuration back, or update it "
    "again, before running the engine.";

// Waits until the port has sent everything, handling window messages meanwhile so
// packets and the link watchdog go on. False when the line went away.
bool WaitOutputSent() {
  TApdComPort* port = R7Tform1 != nullptr ? R7Tform1->comms : nullptr;
  for (;;) {
    if (port == nullptr || !port->Open() || port->LineLost()) return false;
    if (port->OutputBytesPending() == 0) return true;
    const uint32_t pumped = PumpOneMessage();
    if (pumped == kQuitMessage) return false;
    if (pumped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

THKStreams& SharedContainer() { return *FlashUpdateForm->krup; }

// The comments window's lines, each ended by CR LF.
AnsiString CommentsText() {
  AnsiString text;
  TStrings* lines = ConfigSaveCommentsForm->Memo1->Lines();
  for (int i = 0; i < lines->Count(); ++i) text += lines->Strings(i) + "\r\n";
  return text;
}

// The file dialogs; each returns the chosen file, empty when cancelled. They are the main
// window's extended dialogs: the open dialog previews a selected configuration's comments in
// Form2, which the main window does for every kind of file by Form2->Tag.
AnsiString AskSaveConfigName() {
  if (R7Tform1 == nullptr) return AnsiString();
  TSaveDialog* dialog = R7Tform1->SaveDialog1();
  dialog->Filter = config::kConfigFileFilter;
  dialog->FilterIndex = 1;
  dialog->DefaultExt = config::kConfigFileExt;
  dialog->FileName = config::kConfigFileMask;
  dialog->InitialDir = Settings.MapPath;
  // A file that exists is asked about once, by the editor in its own words.
  dialog->OverwritePrompt = false;
  return dialog->Execute() ? dialog->FileName : AnsiString();
}

AnsiString AskOpenConfigName() {
  if (R7Tform1 == nullptr) return AnsiString();
  TApOpenDialog* dialog = R7Tform1->ApOpenDialog1();
  dialog->Filter = config::kConfigFileFilter;
  dialog->FilterIndex = 1;
  dialog->DefaultExt = config::kConfigFileExt;
  dialog->FileName = config::kConfigFileMask;
  dialog->InitialDir = Settings.MapPath;
  if (Form2 != nullptr) {
    Form2->Tag = 2;  // the side panel previews a configuration's comments
    Form2->Memo1->Clear();
  }
  // The dialog's first change is the "*.q05" it opens with, not a file to preview.
  dialog->Tag = 1;
  const bool chosen = dialog->Execute();
  dialog->Tag = 0;
  return chosen ? dialog->FileName : AnsiString();
}

}  // namespace

void TSetupForm::UpdateECUconfiguration1Click(TObject*) {
  if (!ECUConnected || R7Tform1 == nullptr) return;
  if (MessageDlg("Change of ECU configuration\r"
                 "Select Ok to update the ECU with the new configuration settings.\r"
                 "Note: Some changes may only take effect once the ECU has been reset",
                 mtConfirmation, {mbOK, mbCancel}) != mrOk)
    return;
  // A line that died since the link was last seen up takes nothing: say so before a byte
  // is tried.
  TApdComPort* port = R7Tform1->comms;
  if (port == nullptr || !port->Open() || port->LineLost()) {
    MessageDlg(kUploadNotSent, mtWarning, {mbOK});
    return;
  }
  SetStatus("Wait...", clBtnFace, clWindowText);
  // The rest of a bank whose read was given up passes first: the ECU might not take the
  // frames in while it sends it. Closing the editor meanwhile sends nothing.
  if (CommsProgress != nullptr && !CommsProgress->LetGivenUpBankPass([this] { return !Visible(); })) {
    CheckConfigModified();
    return;
  }
  // Replies still due (the box's closing re-activated this window, which asked for the
  // ECU's copy) tell what the ECU held before: none of them may replace what goes out
  // now. Until the read-back shows the ECU holding it, the block counts as unsent.
  const std::array<AnsiString, 2> frames = config::ConfigUploadFrames(ConfigBlock);
  ecu::ConfigRequests.UploadStarted(config::EncodeConfigImage(ConfigBlock), os::MonotonicMilliseconds());
  ConfigBlockUnsent = true;
  bool anySent = false, whole = true;
  try {
    for (const AnsiString& frame : frames) {
      R7Tform1->Send(frame);
      anySent = true;
      if (!WaitOutputSent()) {
        whole = false;
        break;
      }
    }
  } catch (const Exception&) {
    whole = false;
  }
  if (!whole) {
    // The link watchdog may have reported the broken upload already, while the frames
    // were waiting to go out.
    if (!ecu::ConfigRequests.UploadBroken()) return;
    if (anySent) {
      UploadUnfinished();
    } else {
      CheckConfigModified();
      MessageDlg(kUploadNotSent, mtWarning, {mbOK});
    }
    return;
  }
  ecu::ConfigRequests.UploadWritten();
  try {
    R7Tform1->Send(ecu::ConfigRequestFrame());
  } catch (const Exception&) {
    if (ecu::ConfigRequests.UploadBroken()) UploadUnfinished();
  }
}

void TSetupForm::UploadUnfinished() {
  ConfigBlockUnsent = true;
  CheckConfigModified();
  MessageDlg(kUploadUnfinished, mtWarning, {mbOK});
}

void TSetupForm::ReadECUconfiguration1Click(TObject*) {
  if (!ECUConnected || R7Tform1 == nullptr) return;
  if (MessageDlg("Select Ok upload the current ECU configuration settings.\r"
                 "Note: Any unsaved configuration changes will be lost",
                 mtConfirmation, {mbOK, mbCancel}) != mrOk)
    return;
  SetStatus("Wait...", clBtnFace, clWindowText);
  ConfigBlockUnsent = false;
  R7Tform1->Send(ecu::ConfigRequestFrame());
}

void TSetupForm::Saveconfigurationtodisk1Click(TObject*) {
  AnsiString fileName;
  for (;;) {
    fileName = AskSaveConfigName();
    if (fileName.empty()) return;
    if (!FileExists(fileName)) break;
    MessageBeep(0);
    const int answer = MessageDlg("This file (" + ExtractFileName(fileName) + ") already exists!, Overwrite it?",
                                  mtWarning, {mbYes, mbNo, mbCancel});
    if (answer == mrYes) break;
    if (answer != mrNo) return;
  }
  if (ConfigSaveCommentsForm->ShowModal() != mrOk) return;
  config::SaveConfigFile(fileName, CommentsText(), ConfigBlock, SharedContainer());
}

void TSetupForm::Loadconfigurationfromdisk1Click(TObject*) {
  const AnsiString fileName = AskOpenConfigName();
  if (fileName.empty()) return;
  config::TConfigFileContents file;
  try {
    // A scrambled file is read with the linked ECU's version text, as the preview reads it.
    file = config::LoadConfigFile(fileName, SharedContainer(), ECUIdentity.VersionText);
  } catch (const ECorruptFile&) {
    return;  // the container's corrupt event has told the user; nothing has changed
  }
  ConfigSaveCommentsForm->Memo1->SetText(file.Comments);
  ConfigBlock = file.Block;
  ConfigBlockUnsent = true;
  RefreshConfigDisplay();
  CheckConfigModified();
}

void TSetupForm::Exittomappingsoftware1Click(TObject*) { Close(); }
