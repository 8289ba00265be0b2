#pragma once
// Watches a real (Qt, non-native) file dialog for the program's extended dialogs: the
// file-name box's changes, the dialog's own commands (up, desktop, back, new folder, Enter
// in the name box) asked before and told after, the list's view and its styles.
#include <functional>
#include <memory>

#include "platform/ui/Dialogs.h"

class QDialog;
class QFileDialog;
class QObject;

namespace ui::detail {

// Lives as long as the dialog shows. applyItems shows and hides the dialog's items as the
// request says: run after every change of view and, soon after, whenever the dialog paints.
std::unique_ptr<QObject> WatchFileDialog(QDialog& outer, QFileDialog& dialog, DialogRequest& request,
                                         std::function<void()> applyItems);
FileListView CurrentView(QFileDialog& dialog);
TRect CommandButtonRect(QFileDialog& dialog, FileDialogCommand command);
TRect ViewButtonRect(QFileDialog& dialog, FileListView view);
TRect FileListRect(QFileDialog& dialog);
bool MenuShowing(QFileDialog& dialog);

}  // namespace ui::detail
