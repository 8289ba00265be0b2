#pragma once
// TApSaveDialog: the save twin of TApOpenDialog, with the same options, docking, places bar
// and events; Execute asks for a file to save to.
#include "controls/ApOpenDlg.h"

class TApCustomSaveDialog : public TApCustomOpenDialog {
 public:
  using TApCustomOpenDialog::TApCustomOpenDialog;
  const char* ClassName() const override { return "TApCustomSaveDialog"; }

 protected:
  ui::DialogKind Kind() const override { return ui::DialogKind::SaveFile; }
};

class TApSaveDialog : public TApCustomSaveDialog {
 public:
  using TApCustomSaveDialog::TApCustomSaveDialog;
  const char* ClassName() const override { return "TApSaveDialog"; }
};
