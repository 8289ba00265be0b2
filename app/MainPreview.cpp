// The open dialog's preview. Every window opens its files through the main window's
// ApOpenDialog1 and says which kind it opens in Form2->Tag; as the user moves through the
// files, the one selected is shown in the side panels by that kind: a map file's maps
// (Form1) and comments (Form2), an old text map file's comments, a configuration file's
// comments. Update and log files show nothing. A pipe, device or socket is named as no
// regular file, never opened.
#include "app/Main.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "controls/ApOpenDlg.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "link/LiveData.h"
#include "platform/classes/SafeFile.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

enum PreviewKind { kMapKind = 1, kConfigKind = 2, kUpdateKind = 3, kLogKind = 4 };

bool KnownExtension(const AnsiString& ext) {
  for (const char* e : {".map", ".fig", ".q05", ".rom", ".lg1"})
    if (ext == e) return true;
  return false;
}

// The extension a name typed without one is taken to have, by the kind of file opened.
AnsiString KindExtension(int kind, int filterIndex) {
  switch (kind) {
    case kMapKind: return filterIndex == 1 ? ".map" : ".fig";
    case kConfigKind: return ".q05";
    case kUpdateKind: return ".rom";
    case kLogKind: return ".lg1";
    default: return "";
  }
}

// Whether a name names an existing pipe, device or socket, found without opening it.
bool SpecialFile(const AnsiString& fileName) {
  try {
    safefile::CheckNotSpecial(fileName);
    return false;
  } catch (const EFOpenError&) {
    return true;
  }
}

// A configuration file's comments. A file that cannot be read is only being looked at: no
// message, but no comments either, so the panel never shows another file's as this one's.
// The file is read into a container of its own, which reports nothing when it is corrupt.
void PreviewConfigFile(const AnsiString& fileName) {
  THKStreams container(nullptr);
  container.Encrypted = false;
  container.Compressed = false;
  container.Key = ECUIdentity.VersionText;
  try {
    container.LoadFromFile(fileName, config::kMaxConfigFileSize);
  } catch (const Exception&) {
    Form2->Memo1->Clear();
    return;
  }
  TMemoryStream comments;
  container.GetStream("Q5-3", &comments);
  Form2->Memo1->SetText(
      AnsiString(static_cast<const char*>(comments.Memory()), static_cast<size_t>(comments.Size())));
}

// What the comments panel shows for the name in a configuration file's open dialog: the
// comments of the configuration file it names; why not, for a pipe, device or socket, as the
// map preview says it; nothing for anything else, so the comments of the file shown before
// never stand beside another name.
void PreviewConfigSelection(const AnsiString& fileName) {
  if (!fileName.empty()) {
    try {
      safefile::CheckNotSpecial(fileName);
    } catch (const EFOpenError& e) {
      Form2->Memo1->SetText("This file cannot be shown.\r\n" + e.Message());
      return;
    }
    if (ExtractFileExt(fileName) == ".q05" && FileExists(fileName)) {
      PreviewConfigFile(fileName);
      return;
    }
  }
  Form2->Memo1->Clear();
}

}  // namespace

void TR7Tform1::ApOpenDialog1FilenameChange(TObject*) {
  TApOpenDialog* dialog = ApOpenDialog1();
  if (dialog->Tag == 1) {
    dialog->Tag = 0;
    if (Form1 != nullptr) Form1->Tag = 0;
    return;
  }
  if (Form2 == nullptr) return;
  const int kind = Form2->Tag;
  if (kind != kMapKind && kind != kConfigKind) return;
  // The name in the file-name box, typed or filled in by a selection; a whole path stands
  // for itself, anything else lies in the dialog's folder.
  const AnsiString name = dialog->GetFileNameText();
  AnsiString file;
  if (!name.empty()) {
    if (name.front() != '/') {
      file = dialog->GetFolderPath();
      if (!file.empty() && file.back() != '/') file += "/";
    }
    file += name;
    // A name that names a pipe, device or socket as typed is that file; any other name
    // without an extension of the program's files is one of the kind opened.
    if (!SpecialFile(file) && !KnownExtension(ExtractFileExt(name))) file += KindExtension(kind, dialog->FilterIndex);
  }
  if (kind == kConfigKind) {
    PreviewConfigSelection(file);
    return;
  }
  // The map preview says why it shows nothing of a pipe, device or socket.
  if (file.empty()) return;
  const AnsiString ext = ExtractFileExt(file);
  if (SpecialFile(file) || (FileExists(file) && (ext == ".map" || ext == ".fig"))) PreviewMapSelection(file);
}

void TR7Tform1::ApOpenDialog1TypeChange(TObject*) {
  if (Form2 == nullptr || Form2->Tag != kMapKind) return;
  TApOpenDialog* dialog = ApOpenDialog1();
  dialog->DefaultExt = dialog->FilterIndex == 1 ? "map" : "fig";
}
