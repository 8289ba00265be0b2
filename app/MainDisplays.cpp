// The service windows that follow the live data: the ignition-alignment window's lock
// caption and angles.
#include "app/Main.h"
#include "ecu/Diag.h"
#include "ecu/IgnAlign.h"
#include "link/LiveData.h"

void TR7Tform1::ConfigurationReceived() {
  if (IgnAlignForm != nullptr && IgnAlignForm->Visible()) IgnAlignForm->ShowConfiguration();
}

void TR7Tform1::SlowLiveDisplays() {
  if (IgnAlignForm != nullptr && IgnAlignForm->Visible()) IgnAlignForm->ShowAdvanceLock(ECUIdentity.AdvanceLocked);
}

void TR7Tform1::IdentityReceived() {
  if (DiagForm != nullptr && DiagForm->Visible()) DiagForm->ShowIdentity();
}
