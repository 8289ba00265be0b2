#pragma once
// The plain save-file dialog: the caller sets the default extension, the file name, the
// filter with its index and the starting folder, runs Execute (true when a file was
// chosen) and reads the chosen file name back.
#include "platform/classes/Classes.h"
#include "platform/rtl/AnsiString.h"

class TSaveDialog : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TSaveDialog"; }
  bool Execute();

  AnsiString DefaultExt;
  AnsiString FileName;
  AnsiString Filter;  // "Text|*.txt|All|*.*"
  int FilterIndex = 1;
  AnsiString InitialDir;
  // The dialog itself asks before an existing file is replaced; off by default, the
  // program's commands ask in their own words.
  bool OverwritePrompt = false;
};
