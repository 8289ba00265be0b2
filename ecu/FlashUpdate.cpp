#include "ecu/FlashUpdate.h"

#include <chrono>
#include <memory>
#include <thread>

#include "files/HKStreamCol.h"
#include "app/Main.h"
#include "model/Settings.h"
#include "config/loadfiles.h"
#include "controls/ApOpenDlg.h"
#include "model/Frames.h"
#include "link/LiveData.h"
#include "gauges/AbBar.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/FileUtils.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "serial/AdPort.h"
#include "serial/AdTickTimer.h"

TFlashUpdateForm* FlashUpdateForm = nullptr;

namespace {

constexpr const char* kWaitingForFile = " Waiting for file selection";
constexpr const char* kFileCorrupt = "This file is corrupt!";
constexpr const char* kResetEcu = "Error, Reset ECU by switching ignition off.";
constexpr uint16_t kOutputBufferSize = 4096;

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

AnsiString StreamText(THKStreams* streams, const char* name) {
  TMemoryStream stream;
  streams->GetStream(name, &stream);
  return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

TApdComPort* Port() { return R7Tform1 != nullptr ? R7Tform1->comms : nullptr; }

}  // namespace

void TFlashUpdateForm::Publish(TClassProps<TFlashUpdateForm>& P) {
  P.Field("MainMenu1", &TFlashUpdateForm::MainMenu1)
      .Field("File1", &TFlashUpdateForm::File1)
      .Field("SelectUpdateFile1", &TFlashUpdateForm::SelectUpdateFile1)
      .Field("GroupBox1", &TFlashUpdateForm::GroupBox1)
      .Field("Notes", &TFlashUpdateForm::Notes)
      .Field("GroupBox2", &TFlashUpdateForm::GroupBox2)
      .Field("UpdateInfo", &TFlashUpdateForm::UpdateInfo)
      .Field("ProgressBar", &TFlashUpdateForm::ProgressBar)
      .Field("Label1", &TFlashUpdateForm::Label1)
      .Field("ProgressState", &TFlashUpdateForm::ProgressState)
      .Field("Proceed", &TFlashUpdateForm::Proceed)
      .Field("BitBtn2", &TFlashUpdateForm::BitBtn2)
      .Field("krup", &TFlashUpdateForm::krup)
      .Handler("krupCorrupt", &TFlashUpdateForm::krupCorrupt)
      .Handler("SelectUpdateFile1Click", &TFlashUpdateForm::SelectUpdateFile1Click)
      .Handler("ProceedClick", &TFlashUpdateForm::ProceedClick)
      .Handler("BitBtn2Click", &TFlashUpdateForm::BitBtn2Click);
}

void TFlashUpdateForm::SetStatus(const char* text) { ProgressState->SetCaption(text); }

void TFlashUpdateForm::ResetForNewFile() {
  Notes->Clear();
  UpdateInfo->Clear();
  Proceed->SetEnabled(false);
  FlashResetExpected = false;
  FlashInstallPending = false;
  FlashModelChange = false;
  ProgressBar->SetDigit(0);
  FlashState = 0;
  SetStatus(kWaitingForFile);
}

// Every container file the program reads reports a corrupt file here; the container then
// raises ECorruptFile, which its reader catches.
void TFlashUpdateForm::krupCorrupt(TObject*) {
  MessageDlg("File Access Error.\r\r  1.  This file is corrupt\r\rContact Corvane for advice", mtError, {mbOK});
  ResetForNewFile();
}

void TFlashUpdateForm::ShowCorrupt() {
  MessageDlg(kFileCorrupt, mtError, {mbOK});
  ResetForNewFile();
}

void TFlashUpdateForm::SelectUpdateFile1Click(TObject*) {
  if (R7Tform1 == nullptr) return;
  TApOpenDialog* dialog = R7Tform1->ApOpenDialog1();
  dialog->DefaultExt = "rom";
  dialog->FileName = "*.rom";
  dialog->Filter = "R7T update files|*.rom";
  dialog->FilterIndex = 1;
  dialog->InitialDir = Settings.RomPath;
  if (Form2 != nullptr) {
    Form2->Tag = 3;  // the side panel shows nothing of an update file
    Form2->Memo1->Clear();
  }
  if (!dialog->Execute()) return;
  const AnsiString fileName = dialog->FileName;
  Settings.RomPath = ExtractFilePath(fileName);
  SetStatus(" Checking file contents");
  Proceed->SetEnabled(false);
  Notes->Clear();
  UpdateInfo->Clear();
  FlashInstallPending = FlashModelChange = false;

  krup->ClearStreams();
  // A scrambled update file is read with the linked ECU's version text as its key.
  krup->Key = ECUIdentity.VersionText;
  try {
    krup->LoadFromFile(fileName, ecu::kMaxUpdateFileSize);
  } catch (const ECorruptFile&) {
    return;  // krupCorrupt has told the user
  } catch (const Exception& e) {
    MessageDlg("File Access Error.\r\r" + e.Message(), mtError, {mbOK});
    ResetForNewFile();
    return;
  }

  Notes->SetText(StreamText(krup, "MEMO"));
  ini_ = ecu::ParseUpdateIni(StreamText(krup, "INI"));
  for (const AnsiString& line : ini_.info) UpdateInfo->Lines()->Add(line);
  FlashInstallPending = ini_.installPending;
  FlashModelChange = ini_.modelChange;
  FlashNewModel = ini_.newModel;
  // A model number that cannot be read would be written as some other model.
  if (ini_.badModel) return ShowCorrupt();

  if (!ecu::RequiresAccepted(ini_.requires_)) {
    MessageDlg("This ECU control software version cannot be used", mtError, {mbOK});
    Proceed->SetEnabled(false);
    return;
  }
  if (!ecu::ReplacesMatches(ini_.replaces, ECUIdentity.FirmwareVersion) &&
      MessageDlg(ecu::ReplacesConflictText(ini_.replaces, ECUIdentity.FirmwareVersion), mtWarning, mbOKCancel) !=
          mrOk) {
    Proceed->SetEnabled(false);
    return;
  }
  SetStatus(" Waiting to proceed");
  Proceed->SetEnabled(true);
}

void TFlashUpdateForm::Pump() {
  if (PumpOneMessage() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool TFlashUpdateForm::WaitCommsFree() {
  TApdComPort* port = Port();
  for (;;) {
    if (port == nullptr || !port->Open() || port->LineLost()) return false;
    if (port->OutputBytesPending() == 0) return true;
    if (PumpOneMessage() == kQuitMessage) return false;
  }
}

void TFlashUpdateForm::BounceProgress(int length) {
  const int top = ProgressBar->SignalSettings()->DigitalTo();
  int digit = ProgressBar->Digit() + bounceStep_ * length;
  if (digit >= top) {
    digit = top;
    bounceStep_ = -1;
  } else if (digit < 1) {
    digit = 0;
    bounceStep_ = 1;
  }
  ProgressBar->SetDigit(digit);
}

void TFlashUpdateForm::ProceedClick(TObject*) {
  aborted_ = false;
  if (FlashInstallPending) {
    FlashInstallPending = false;
    Proceed->SetEnabled(false);
    SetStatus(" Checking new ECU code");
    ProgressBar->SignalSettings()->SetDigitalFrom(0);
    ProgressBar->SignalSettings()->SetDigitalTo(32768);
    ProgressBar->BarSettings()->SetOptions({});
    ProgressBar->BarSettings()->SetStyle(bsPoint);
    ProgressBar->SetDigit(0);
    bounceStep_ = 1;
    Application->ProcessMessages();

    image_ = ecu::ParseFirmwareRecords(StreamText(krup, "DATA"));
    for (const std::string& record : image_.records) {
      BounceProgress(static_cast<int>(record.size()) * 2 + 12);
      Application->ProcessMessages();
    }
    if (image_.ok && image_.records.empty()) {
      image_.ok = false;  // an installation without code
      image_.reason = "no data records";
    }
    if (!image_.ok) {
      if (image_.checksumMismatch) {
        ShowMessage(IntToStr(image_.expectedChecksum));
        ShowMessage(image_.foundChecksum);
      }
      MessageDlg(kFileCorrupt, mtError, {mbOK});
      ResetForNewFile();
      SetModalResult(mrCancel);
      return;
    }
    FlashDataLength = static_cast<int32_t>(image_.data.size());
    if (!RunSequence()) {
      if (!aborted_) MessageDlg(kResetEcu, mtError, {mbOK});
      krup->ClearStreams();
      FlashState = 0;
      return;
    }
  }

  if (FlashModelChange) {
    TApdComPort* port = Port();
    if (port != nullptr) port->SendString(ecu::ModelChangeFrame(static_cast<uint8_t>(FlashNewModel)));
    WaitCommsFree();
    UpdateInfo->Lines()->Add("Changed ECU model type...");
  }
  MessageDlg("All done, switch ignition off/on to fully reset the ECU", mtInformation, {mbOK});
  krup->ClearStreams();
  ProgressBar->SetDigit(0);
  FlashState = 0;
}

bool TFlashUpdateForm::RunSequence() {
  ecu::FlashSequence seq(ReplyTimeoutMs);
  FlashResetExpected = false;
  seq.Begin(FlashState, NowMs());
  for (;;) {
    Pump();
    if (aborted_) return false;
    switch (seq.Next(FlashState, NowMs())) {
      case ecu::FlashStep::Wait:
        break;
      case ecu::FlashStep::AskLink: {
        bool cancelled = false;
        while (!ECUConnected && !cancelled) {
          if (MessageDlg("No ECU communications link, check ECU power and/or comms lead", mtWarning, mbOKCancel) !=
              mrOk) {
            cancelled = true;
            break;
          }
          // Give the link a moment to come up before asking again.
          const uint64_t until = NowMs() + 1500;
          while (!ECUConnected && NowMs() < until) Pump();
        }
        if (cancelled) {
          FlashState = 0;
          aborted_ = true;  // nothing was sent: end quietly
          return false;
        }
        FlashState = ecu::flash::kWaitReady;
        SetStatus(" Initialising ECU...");
        try {
          Port()->SendString(ecu::FlashStartFrame(static_cast<uint32_t>(FlashDataLength)));
        } catch (const Exception&) {
          FlashState = ecu::flash::kEcuError;
        }
        break;
      }
      case ecu::FlashStep::Install:
        if (!Install()) FlashState = ecu::flash::kEcuError;
        seq.AfterInstall(FlashState, NowMs());
        break;
      case ecu::FlashStep::Verifying:
        SetStatus(" Verifying code...");
        break;
      case ecu::FlashStep::WaitReset:
        SetStatus(" Waiting for ECU reset...");
        FlashResetExpected = true;
        break;
      case ecu::FlashStep::Configuring:
        SetStatus(" Configuring ECU...");
        return true;
      case ecu::FlashStep::UnexpectedReset:
        SetStatus(" Error : Unexpected ECU reset");
        return false;
      case ecu::FlashStep::EcuError:
        SetStatus(" ERROR installing code");
        return false;
      case ecu::FlashStep::TimedOut:
        SetStatus(" Error : No reply from ECU");
        return false;
      case ecu::FlashStep::Leave:
        return seq.Succeeded();
    }
  }
}

bool TFlashUpdateForm::Install() {
  const uint32_t announced = static_cast<uint32_t>(FlashDataLength) & ~1u;
  ProgressBar->SetDigit(0);
  ProgressBar->SignalSettings()->SetDigitalFrom(0);
  ProgressBar->SignalSettings()->SetDigitalTo(static_cast<int>(announced > 0 ? announced : 1));
  ProgressBar->BarSettings()->SetOptions({opValue, opUnit});
  ProgressBar->BarSettings()->SetStyle(bsBar);
  SetStatus(" Installing code...");
  Application->ProcessMessages();

  TApdComPort* port = Port();
  FlashBytesSent = 0;
  try {
    for (const std::string& record : image_.records) {
      while (port->OutputSpaceFree() < kOutputBufferSize) {
        if (!WaitCommsFree()) return false;
      }
      for (const char byte : record) {
        port->SendString(AnsiString(1, byte));
        if (!WaitCommsFree()) return false;
        if (aborted_) return false;
      }
      FlashBytesSent += static_cast<int32_t>(record.size());
      ProgressBar->SetDigit(std::min<int>(FlashBytesSent, ProgressBar->SignalSettings()->DigitalTo()));
      Application->ProcessMessages();
    }
  } catch (const Exception&) {
    return false;  // the port failed: the sequence reports the error
  }
  return true;
}

void TFlashUpdateForm::BitBtn2Click(TObject*) {
  if (MessageDlg("Abort update?", mtConfirmation, mbOKCancel) != mrOk) return;
  FlashState = 0;
  aborted_ = true;
  SetModalResult(mrCancel);
}
