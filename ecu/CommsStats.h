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
};

extern TCommsForm* CommsForm;
