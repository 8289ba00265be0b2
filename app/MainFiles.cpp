// The File menu's open and save of map files. The extended open and save dialogs pick the
// file with the options panel (which maps, how to load or save) docked below and, when
// opening, the comments panel at the right; selecting a file in the open dialog shows what
// it holds.
// The ticks and options chosen there go to the map-file functions, and the tables are
// refreshed afterwards.
#include <fstream>
#include <string>

#include "app/Main.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApSaveDlg.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr const char* kMapOpenFilter = "R7T map files (*.map)|*.map|Old R7T files (*.fig) |*.fig";
constexpr const char* kMapSaveFilter = "R7T map files|*.fig,*.map";

TLabel* MapLabel(int k) { return k == 1 ? Form1->Label1 : k == 2 ? Form1->Label2 : Form1->Label3; }

// Fills the boxes with the panel's rules muted; the user's clicks run them afterwards.
void ShowBoxes(const TMapFileBoxes& boxes) {
  Form1->Tag = 1;
  for (int k = 1; k <= 3; ++k) {
    const TMapFileBox& b = boxes[static_cast<size_t>(k - 1)];
    Form1->MapBox(k)->SetVisible(true);
    Form1->MapBox(k)->SetEnabled(b.Enabled);
    Form1->MapBox(k)->SetChecked(b.Ticked);
    MapLabel(k)->SetCaption(b.Label);
  }
  Form1->Tag = 0;
}

// The load group shown again with the choice it had before an old text file hid it.
void ShowLoadOptions() {
  if (Form1->RadioGroup2->Visible()) return;
  Form1->RadioGroup2->SetVisible(true);
  Form1->RadioGroup2->SetItemIndex(Form1->RadioGroup2->Tag);
}

// The comments an old text file holds: every line after the one with "Details:".
AnsiString FigComments(const AnsiString& fileName) {
  std::ifstream in(fileName, std::ios::binary);
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
void PreviewSelectedFile(const AnsiString& fileName) {
  if (!FileExists(fileName)) return;
  if (IsMapFileName(fileName)) {
    const std::optional<TMapFilePreview> preview = PreviewMapFile(fileName);
    if (!preview) {
      ShowMessage(kMapFileCorruptMessage);
      return;
    }
    ShowLoadOptions();
    ShowBoxes(preview->Boxes);
    Form2->Memo1->SetText(preview->Comments);
    // The load option chosen applies its ticks to the maps this file holds.
    Form1->RadioGroup2Click(Form1->RadioGroup2);
    return;
  }
  // An old text file holds one map, always read into the current slot.
  Form1->Tag = 1;
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
  Form1->Tag = 0;
  Form2->Memo1->SetText(FigComments(fileName));
}

}  // namespace

void TR7Tform1::PublishFiles(TClassProps<TR7Tform1>& P) {
  P.Handler("Open1Click", &TR7Tform1::Open1Click).Handler("Save1Click", &TR7Tform1::Save1Click);
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
  }
  return d;
}

void TR7Tform1::Open1Click(TObject*) {
  TApOpenDialog* dialog = ApOpenDialog1();
  dialog->Filter = kMapOpenFilter;
  dialog->FilterIndex = 1;
  dialog->InitialDir = Settings.MapPath;
  dialog->DefaultExt = "map";
  dialog->FileName = "";
  // The options panel belongs below while a map file is opened.
  dialog->CustDlgParams()->SetBottomFormName("Form1");
  dialog->OnFilenameChange = [dialog](TObject*) {
    // A name typed without a known extension is previewed as the file the filter shows.
    AnsiString name = dialog->FileName;
    const AnsiString ext = ExtractFileExt(name);
    if (ext != ".map" && ext != ".fig" && ext != ".q05" && ext != ".rom" && ext != ".lg1")
      name += dialog->FilterIndex == 1 ? ".map" : ".fig";
    PreviewSelectedFile(name);
  };
  Form2->Memo1->Clear();
  Form1->GroupBox1->SetCaption("Maps in selected file");
  ShowBoxes({});
  for (int k = 1; k <= 3; ++k) MapLabel(k)->SetCaption("");
  Form1->RadioGroup1->SetVisible(false);
  ShowLoadOptions();
  const bool chosen = dialog->Execute();
  dialog->OnFilenameChange = nullptr;
  dialog->CustDlgParams()->SetBottomFormName("");
  if (!chosen) return;
  const AnsiString file = dialog->FileName;

  TMapFileOpenOptions options;
  for (int k = 1; k <= 3; ++k) options.Maps[k - 1] = Form1->MapBox(k)->Enabled() && Form1->MapBox(k)->Checked();
  options.LoadOption =
      Form1->RadioGroup2->ItemIndex() == mlImportIntoCurrentSlot ? mlImportIntoCurrentSlot : mlLoadAll;
  if (!Form1->RadioGroup2->Visible()) ShowLoadOptions();
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

void TR7Tform1::Save1Click(TObject*) {
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
