#pragma once
// The packet statistics: packets per second and totals of each packet kind.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TButton;
class TLabel;

class TCommsForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TCommsForm"; }
  static void Publish(TClassProps<TCommsForm>& P);

  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TButton* Button1 = nullptr;
  // Packets a second and totals of the fast, slow, status and configuration packets.
  TLabel *FastRate = nullptr, *SlowRate = nullptr, *StatusRate = nullptr, *ConfigRate = nullptr;
  TLabel *FastTotal = nullptr, *SlowTotal = nullptr, *StatusTotal = nullptr, *ConfigTotal = nullptr;

  // "Reset": both packet counter sets to zero, the totals to "0".
  void Button1Click(TObject* Sender);
};

extern TCommsForm* CommsForm;
