#pragma once
// The traction-control settings, page by page (a layout without stored data).
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TNotebook;
class TStringAlignGrid;
class TTabSet;

class TTCSetupForm : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TTCSetupForm"; }
  static void Publish(TClassProps<TTCSetupForm>& P);

  TNotebook* TCSetupBook = nullptr;
  TStringAlignGrid* GearPos_table = nullptr;
  TTabSet* TabSet = nullptr;

  void FormCreate(TObject* Sender);
  void TabSetClick(TObject* Sender);
};

extern TTCSetupForm* TCSetupForm;
