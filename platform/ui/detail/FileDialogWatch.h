#pragma once
// Watches a real (Qt, non-native) file dialog for the program's extended dialogs: the
// file-name box's changes, the dialog's own commands (up, desktop, back, new folder, Enter
// in the name box) asked before and told after, the list's view and its styles.
#include <memory>

#include "platform/ui/Dialogs.h"

class QDialog;
class QFileDialog;
class QObject;

namespace ui::detail {

// Lives as long as the dialog shows.
std::unique_ptr<QObject> WatchFileDialog(QDialog& outer, QFileDialog& dialog, DialogRequest& request);
FileListView CurrentView(QFileDialog& dialog);
TRect CommandButtonRect(QFileDialog& dialog, FileDialogCommand command);
TRect ViewButtonRect(QFileDialog& dialog, FileListView view);
TRect FileListRect(QFileDialog& dialog);
bool MenuShowing(QFileDialog& dialog);

}  // namespace ui::detail
