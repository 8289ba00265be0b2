// The File menu's open and save of map files. The extended open and save dialogs pick the
// file with the options panel (which maps, how to load or save) docked below and, when
// opening, the comments panel at the right; selecting a file in the open dialog shows what
// it holds.
// The ticks and options chosen there go to the map-file functions, and the tables are
// refreshed afterwards.
#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>

#include "app/Main.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApSaveDlg.h"
#include "files/FigFile.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr const char* kMapOpenFilter = "R7T map files (*.map)|*.map|Old R7T files (*.fig) |*.fig";
constexpr const char* kMapSaveFilter = "R7T map files|*.fig,*.map";

TLabel* MapLabel(int k) { return k == 1 ? Form1->Label1 : k == 2 ? Form1->Label2 : Form1->Label3; }

// Fills the boxes with the panel's rules muted; the user's clicks run them afterwards.
void ShowBoxes(const TMapFileBoxes& boxes) {
  Form1->Fill([&] {
    for (int k = 1; k <= 3; ++k) {
      const TMapFileBox& b = boxes[static_cast<size_t>(k - 1)];
      Form1->MapBox(k)->SetVisible(true);
      Form1->MapBox(k)->SetEnabled(b.Enabled);
      Form1->MapBox(k)->SetChecked(b.Ticked);
      MapLabel(k)->SetCaption(b.Label);
    }
  });
}

// The load group shown again with the choice it had before an old text file hid it.
void ShowLoadOptions() {
  if (Form1->RadioGroup2->Visible()) return;
  Form1->RadioGroup2->SetVisible(true);
  Form1->RadioGroup2->SetItemIndex(Form1->RadioGroup2->Tag);
}

// The comments an old text file holds: every line after the one with "Details:". The file
// is read within the bound of its kind: a larger one raises EFileTooLarge unread.
AnsiString FigComments(const AnsiString& fileName) {
  std::istringstream in(safefile::ReadFile(fileName, kMaxFigFileSize));
  std::string line;
  AnsiString text;
  bool details = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (details) text += line + "\r\n";
    else details = line.find("Details:") != std::string::npos;
  }
  return text;
}

// What the open dialog shows of the file the user selects.
// The file last previewed ("" when none), whether its maps could be shown, and if not why.
AnsiString g_previewed;
bool g_previewOk = false;
AnsiString g_previewWhy;

// Empty boxes and comments: no file previewed.
void ClearPreview() {
  g_previewed.clear();
  g_previewOk = false;
  g_previewWhy.clear();
  Form2->Memo1->Clear();
  ShowBoxes({});
  for (int k = 1; k <= 3; ++k) MapLabel(k)->SetCaption("");
}

// The preview runs while the user types and moves through the list: a file it cannot read
// is told in its own panel, never by a window that would take the keys still being typed.
// Choosing the file tells the user once (Open1Click).
void ShowUnreadable(const AnsiString& fileName, const AnsiString& why) {
  // The previous file's maps and comments must not stay as if they were this file's.
  ClearPreview();
  g_previewed = fileName;
  g_previewWhy = why;
  Form2->Memo1->SetText("This file cannot be shown.\r\n" + why);
}

// Fills the boxes and comments from the file; false (with the reason in the comments
// panel) when it cannot be read.
bool PreviewSelectedFile(const AnsiString& fileName) {
  // A pipe, device or socket holds no maps: the panel says so, without opening it.
  try {
    safefile::CheckNotSpecial(fileName);
  } catch (const Exception& e) {
    ShowUnreadable(fileName, e.Message());
    return false;
  }
  if (!FileExists(fileName)) return false;
  if (IsMapFileName(fileName)) {
    AnsiString why;
    const std::optional<TMapFilePreview> preview = PreviewMapFile(fileName, nullptr, &why);
    if (!preview) {
      ShowUnreadable(fileName, why);
      return false;
    }
    g_previewed = fileName;
    g_previewOk = true;
    ShowLoadOptions();
    ShowBoxes(preview->Boxes);
    Form2->Memo1->SetText(preview->Comments);
    // The load option chosen applies its ticks to the maps this file holds.
    Form1->RadioGroup2Click(Form1->RadioGroup2);
    return true;
  }
  AnsiString comments;
  try {
    comments = FigComments(fileName);
  } catch (const Exception& e) {
    ShowUnreadable(fileName, e.Message());
    return false;
  }
  // An old text file holds one map, always read into the current slot.
  Form1->Fill([] {
    for (int k = 1; k <= 3; ++k) {
      MapLabel(k)->SetCaption("");
      Form1->MapBox(k)->SetChecked(false);
      Form1->MapBox(k)->SetVisible(false);
    }
    if (Form1->RadioGroup2->Visible()) {
      Form1->RadioGroup2->Tag = Form1->RadioGroup2->ItemIndex();
      Form1->RadioGroup2->SetVisible(false);
      Form1->RadioGroup2->SetItemIndex(mlImportIntoCurrentSlot);
    }
  });
  Form2->Memo1->SetText(comments);
  g_previewed = fileName;
  g_previewOk = true;
  return true;
}

}  // namespace

void TR7Tform1::PublishFiles(TClassProps<TR7Tform1>& P) {
  P.Handler("Open1Click", &TR7Tform1::Open1Click).Handler("Savefile1Click", &TR7Tform1::Savefile1Click);
}

TApOpenDialog* TR7Tform1::ApOpenDialog1() {
  auto* d = dynamic_cast<TApOpenDialog*>(FindComponent("ApOpenDialog1"));
  if (d == nullptr) {
    d = new TApOpenDialog(this);
    d->SetName("ApOpenDialog1");
    d->CustDlgParams()->SetRightFormName("Form2");
    d->CustDlgParams()->Position = dpScrCenter;
    d->ExtFilter.Enabled = true;
    d->ExtFilter.ShowFolders = true;
    d->OnFilenameChange = [this](TObject* sender) { ApOpenDialog1FilenameChange(sender); };
    d->OnTypeChange = [this](TObject* sender) { ApOpenDialog1TypeChange(sender); };
  }
  return d;
}

TSaveDialog* TR7Tform1::SaveDialog1() {
  auto* d = dynamic_cast<TSaveDialog*>(FindComponent("SaveDialog1"));
  if (d == nullptr) {
    d = new TSaveDialog(this);
    d->SetName("SaveDialog1");
  }
  return d;
}

TApSaveDialog* TR7Tform1::ApSaveDialog1() {
  auto* d = dynamic_cast<TApSaveDialog*>(FindComponent("ApSaveDialog1"));
  if (d == nullptr) {
    d = new TApSaveDialog(this);
    d->SetName("ApSaveDialog1");
    d->CustDlgParams()->SetBottomFormName("Form1");
    d->CustDlgParams()->Position = dpScrCenter;
    d->OnFilenameChange = [this](TObject* sender) { ApSaveDialog1FilenameChange(sender); };
  }
  return d;
}

void TR7Tform1::ApSaveDialog1FilenameChange(TObject*) {
  if (Form1 != nullptr && Form1->Tag == 1) Form1->Tag = 0;
}

void TR7Tform1::Open1Click(TObject*) {
  TApOpenDialog* dialog = ApOpenDialog1();
  dialog->Filter = kMapOpenFilter;
  dialog->FilterIndex = 1;
  dialog->InitialDir = Settings.MapPath;
  dialog->DefaultExt = "map";
  dialog->FileName = "*.map";
  // The options panel belongs below while a map file is opened.
  dialog->CustDlgParams()->SetBottomFormName("Form1");
  dialog->Tag = 1;
  Form2->Tag = 1;
  Form1->Tag = 0;
  Form1->GroupBox1->SetCaption("Maps in selected file");
  ClearPreview();
  Form1->RadioGroup1->SetVisible(false);
  ShowLoadOptions();
  const bool chosen = dialog->Execute();
  dialog->Tag = 0;
  dialog->CustDlgParams()->SetBottomFormName("");
  if (!chosen) return;
  const AnsiString file = dialog->FileName;
  // A name typed and accepted with Enter was never selected in the list: its boxes are
  // filled now, as selecting it would have, so that its maps are what gets loaded.
  // A file the preview could not read is refused here, told once.
  if (file != g_previewed) PreviewSelectedFile(file);
  if (file == g_previewed && !g_previewOk) {
    ShowMessage(g_previewWhy);
    return;
  }

  TMapFileOpenOptions options;
  for (int k = 1; k <= 3; ++k) options.Maps[k - 1] = Form1->MapBox(k)->Enabled() && Form1->MapBox(k)->Checked();
  options.LoadOption =
      Form1->RadioGroup2->ItemIndex() == mlImportIntoCurrentSlot ? mlImportIntoCurrentSlot : mlLoadAll;
  if (!Form1->RadioGroup2->Visible()) ShowLoadOptions();
  if (IsMapFileName(file) && std::none_of(std::begin(options.Maps), std::end(options.Maps), [](bool b) { return b; })) {
    ShowMessage("No map was loaded from " + ExtractFileName(file) +
                ": none of its maps is ticked under \"Maps in selected file\".");
    return;
  }
  try {
    const TMapOpenResult result = OpenMapFile(file, options);
    if (!result.Ok) {
      ShowMessage(result.Message);
      return;
    }
  } catch (const Exception& e) {
    ShowMessage(e.Message());
    return;
  }
  // Marks of edits made to the map shown before mean nothing on the one loaded now.
  ClearEditMarks();
  UpdateRPMsites();
  RefreshMapTables();
}

void TR7Tform1::Savefile1Click(TObject*) {
  if (!AnyMapPresent()) {
    if (MessageDlg(kNoMapsToSaveQuestion, mtWarning, TMsgDlgButtons{mbYes, mbNo}) != mrYes) return;
    StartBlankMap();
  }
  Form1->GroupBox1->SetCaption("Maps in memory");
  Form1->RadioGroup2->SetVisible(false);
  Form1->RadioGroup1->SetVisible(true);
  Form1->Tag = 1;
  Form1->RadioGroup1->SetItemIndex(0);
  ShowBoxes(MapFileSaveBoxes());
  TApSaveDialog* dialog = ApSaveDialog1();
  dialog->Filter = kMapSaveFilter;
  dialog->InitialDir = Settings.MapPath;
  dialog->DefaultExt = "map";
  dialog->FileName = "";
  if (!dialog->Execute()) return;
  TMapFileSaveOptions options;
  for (int k = 1; k <= 3; ++k) options.Maps[k - 1] = Form1->MapBox(k)->Enabled() && Form1->MapBox(k)->Checked();
  try {
    SaveMapFile(dialog->FileName, options);
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
  RefreshMapTables();
}

void TR7Tform1::PreviewMapSelection(const AnsiString& FileName) { PreviewSelectedFile(FileName); }
