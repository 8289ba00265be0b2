#pragma once
// Switches the ECU immobiliser and makes it relearn its code.
#include <cstdint>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TGroupBox;
class TLabel;

namespace ecu {
class PacketHost;
}

class TImmobForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TImmobForm"; }
  static void Publish(TClassProps<TImmobForm>& P);

  TGroupBox* GroupBox1 = nullptr;
  TLabel* ImmobiliserStatus = nullptr;
  TLabel* EnableDisable = nullptr;
  TButton* ImmobiliserChangeStatus = nullptr;
  TButton* ResetImmobilser = nullptr;
  TBitBtn* BitBtn1 = nullptr;

  // Follows the immobiliser bits of the slow packet's lock byte (7 active, 6 immobilised,
  // 5 learning) through the status text, and keeps ECUImmobilised.
  void UpdateImmobiliser(uint8_t lockBits);

  // Where the frames go: the main window's port.
  void Attach(ecu::PacketHost& link) { link_ = &link; }
  void ImmobiliserChangeStatusClick(TObject* Sender);
  void ResetImmobilserClick(TObject* Sender);

 private:
  // Beeps; false (and says so) without the link.
  bool Connected();
  ecu::PacketHost* link_ = nullptr;
};

extern TImmobForm* ImmobForm;
