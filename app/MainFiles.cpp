// The File menu's open and save of map files. The platform's file dialog picks the file;
// the options panel (which maps, how to load) and the comments panel beside it show
// what the file or memory holds, and the choices go to the map-file functions. The
// tables are refreshed afterwards.
#include "app/Main.h"
#include "app/MapFiles.h"
#include "app/Settings.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr const char* kMapFileFilter = "Map files (*.map)|*.map|Old map files (*.fig)|*.fig|All files (*.*)|*.*";

TCheckBox* MapBox(int k) { return k == 0 ? Form1->CheckBox1 : k == 1 ? Form1->CheckBox2 : Form1->CheckBox3; }
TLabel* MapLabel(int k) { return k == 0 ? Form1->Label1 : k == 1 ? Form1->Label2 : Form1->Label3; }

void ShowBoxes(const TMapFileBoxes& boxes) {
  for (int k = 0; k < 3; ++k) {
    MapBox(k)->SetEnabled(boxes[static_cast<size_t>(k)].Enabled);
    MapBox(k)->SetChecked(boxes[static_cast<size_t>(k)].Ticked);
    MapLabel(k)->SetCaption(boxes[static_cast<size_t>(k)].Label);
  }
}

}  // namespace

void TR7Tform1::PublishFiles(TClassProps<TR7Tform1>& P) {
  P.Handler("Open1Click", &TR7Tform1::Open1Click).Handler("Save1Click", &TR7Tform1::Save1Click);
}

void TR7Tform1::Open1Click(TObject*) {
  ui::DialogRequest request;
  request.Kind = ui::DialogKind::OpenFile;
  request.Filter = kMapFileFilter;
  request.InitialDir = Settings.MapPath;
  request.DefaultExt = "map";
  if (!ui::DialogService::ExecuteFileDialog(request)) return;
  const AnsiString file = request.FileName;

  TMapFileOpenOptions options;
  if (IsMapFileName(file)) {
    // The panels show what the file holds; every map it holds is taken unless the
    // user unticks it.
    Form1->Tag = 0;
    const std::optional<TMapFilePreview> preview = PreviewMapFile(file);
    if (!preview) {
      ShowMessage(kMapFileCorruptMessage);
      return;
    }
    ShowBoxes(preview->Boxes);
    Form2->Memo1->SetText(preview->Comments);
    for (int k = 0; k < 3; ++k) options.Maps[k] = MapBox(k)->Enabled() && MapBox(k)->Checked();
    if (Form1->RadioGroup1 != nullptr && Form1->RadioGroup1->ItemIndex() == mlImportIntoCurrentSlot)
      options.LoadOption = mlImportIntoCurrentSlot;
  }
  try {
    const TMapOpenResult result = OpenMapFile(file, options);
    if (!result.Ok) ShowMessage(result.Message);
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
  RefreshMapTables();
}

void TR7Tform1::Save1Click(TObject*) {
  if (!AnyMapPresent()) {
    if (MessageDlg(kNoMapsToSaveQuestion, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) != mrYes) return;
    StartBlankMap();
  }
  Form1->Tag = 1;
  ShowBoxes(MapFileSaveBoxes());
  ui::DialogRequest request;
  request.Kind = ui::DialogKind::SaveFile;
  request.Filter = kMapFileFilter;
  request.InitialDir = Settings.MapPath;
  request.DefaultExt = "map";
  if (!ui::DialogService::ExecuteFileDialog(request)) return;
  TMapFileSaveOptions options;
  for (int k = 0; k < 3; ++k) options.Maps[k] = MapBox(k)->Enabled() && MapBox(k)->Checked();
  try {
    SaveMapFile(request.FileName, options);
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
  RefreshMapTables();
}
