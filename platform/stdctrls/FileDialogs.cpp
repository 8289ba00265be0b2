#include "platform/stdctrls/FileDialogs.h"

#include "platform/ui/Dialogs.h"

bool TSaveDialog::Execute() {
  ui::DialogRequest request;
  request.Kind = ui::DialogKind::SaveFile;
  request.DefaultExt = DefaultExt;
  request.FileName = FileName;
  request.Filter = Filter;
  request.FilterIndex = FilterIndex;
  request.InitialDir = InitialDir;
  request.ConfirmOverwrite = OverwritePrompt;
  if (!ui::DialogService::ExecuteFileDialog(request)) return false;
  FileName = request.FileName;
  FilterIndex = request.FilterIndex;
  return true;
}
