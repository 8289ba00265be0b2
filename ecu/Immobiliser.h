#pragma once
// Switches the ECU immobiliser and makes it relearn its code.
#include <cstdint>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TButton;
class TGroupBox;
class TLabel;

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
};

extern TImmobForm* ImmobForm;
