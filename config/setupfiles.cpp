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
#include "ecu/FlashUpdate.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "link/LiveData.h"
#include "model/ConfigBlock.h"
#include "model/Frames.h"
#include "model/Settings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Dialogs.h"
#include "serial/AdPort.h"
#include "serial/AdTickTimer.h"

namespace {

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

// What the open dialog's comment panel shows of a selected configuration file.
void PreviewConfigFile(const AnsiString& fileName) {
  if (Form2 == nullptr || !FileExists(fileName)) return;
  THKStreams own(nullptr);
  try {
    Form2->Memo1->SetText(config::LoadConfigFile(fileName, own).Comments);
  } catch (const Exception&) {
    Form2->Memo1->Clear();
  }
}

// The file dialogs; each returns the chosen file, empty when cancelled.
AnsiString AskSaveConfigName() {
  ui::DialogRequest request;
  request.Kind = ui::DialogKind::SaveFile;
  request.Filter = config::kConfigFileFilter;
  request.DefaultExt = config::kConfigFileExt;
  request.FileName = config::kConfigFileMask;
  request.InitialDir = Settings.MapPath;
  return ui::DialogService::ExecuteFileDialog(request) ? request.FileName : AnsiString();
}

AnsiString AskOpenConfigName() {
  ui::DialogRequest request;
  request.Kind = ui::DialogKind::OpenFile;
  request.Filter = config::kConfigFileFilter;
  request.DefaultExt = config::kConfigFileExt;
  request.FileName = config::kConfigFileMask;
  request.InitialDir = Settings.MapPath;
  if (Form2 != nullptr) {
    Form2->Tag = 2;
    Form2->Memo1->Clear();
    request.RightPanel = Form2;
    request.OnSelectFile = PreviewConfigFile;
  }
  return ui::DialogService::ExecuteFileDialog(request) ? request.FileName : AnsiString();
}

}  // namespace

void TSetupForm::UpdateECUconfiguration1Click(TObject*) {
  if (!ECUConnected || R7Tform1 == nullptr) return;
  if (MessageDlg("Change of ECU configuration\r"
                 "Select Ok to update the ECU with the new configuration settings.\r"
                 "Note: Some changes may only take effect once the ECU has been reset",
                 mtConfirmation, {mbOK, mbCancel}) != mrOk)
    return;
  SetStatus("Wait...", clBtnFace, clWindowText);
  // The frames go out whole before the read-back asks for the ECU's copy.
  for (const AnsiString& frame : config::ConfigUploadFrames(ConfigBlock)) {
    R7Tform1->Send(frame);
    if (!WaitOutputSent()) return;
  }
  ConfigBlockUnsent = false;
  R7Tform1->Send(ecu::ConfigRequestFrame());
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
    file = config::LoadConfigFile(fileName, SharedContainer());
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
