#include "controls/ApAddPlace.h"

#include <algorithm>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

template <class T>
T* Make(TApAddPlaceFrm* f, int l, int t, int w, int h, const AnsiString& text = "") {
  auto* c = new T(f);
  c->SetParent(f);
  c->SetBounds(l, t, w, h);
  if (!text.empty()) c->SetText(text);
  return c;
}

int OfferedIndex(TApSpecShellFolder F) {
  const auto& offered = OfferedSpecialFolders();
  const auto it = std::find(offered.begin(), offered.end(), F);
  return it == offered.end() ? 0 : static_cast<int>(it - offered.begin());
}

}  // namespace

TApIconGrid::TApIconGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
  SetFixedCols(0);
  SetFixedRows(0);
  SetRowCount(1);
  SetColCount(1);
  SetDefaultColWidth(CellSize);
  SetDefaultRowHeight(CellSize);
  SetOptions({});
  SetScrollBars(ssHorizontal);
}

void TApIconGrid::SetLibrary(const TApIconLibrary* Library) {
  const int keep = IconIndex();
  library_ = Library;
  count_ = Library != nullptr ? Library->Count() : 0;
  SetColCount(std::max(1, count_));
  index_ = keep;
  SetIconIndex(keep);
  Invalidate();
}

void TApIconGrid::SetIconIndex(int Index) {
  index_ = Index;
  if (count_ == 0) return;
  const int col = std::clamp(Index, 0, count_ - 1);
  SetCol(col);
  // The chosen icon stands first in view where the row allows.
  SetLeftCol(std::min(col, std::max(0, count_ - VisibleColCount())));
}

void TApIconGrid::DrawCell(int ACol, int, TRect ARect, TGridDrawState) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(count_ > 0 && ACol == Col() ? clActiveCaption : clWindow);
  c->FillRect(ARect);
  TBitmap icon;
  if (library_ != nullptr && ACol < count_ && library_->Icon(ACol, TApPlacesBarFrm::IconSize, icon))
    c->Draw(ARect.Left + (ARect.Width() - icon.Width()) / 2, ARect.Top + (ARect.Height() - icon.Height()) / 2, &icon);
}

TApAddPlaceFrm::TApAddPlaceFrm(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption("New Places Bar item");
  PathLabel = Make<TLabel>(this, 8, 12, 110, 16, "Folder/file path");
  PathEdit = Make<TEdit>(this, 124, 8, 228, 21);
  SpecialList = Make<TComboBox>(this, 124, 8, 228, 21);
  SpecialList->SetStyle(csDropDownList);
  for (TApSpecShellFolder f : OfferedSpecialFolders()) SpecialList->Items()->Add(SpecialFolderDisplayName(f));
  SpecialList->SetItemIndex(0);
  SpecialList->SetVisible(false);
  CaptionLabel = Make<TLabel>(this, 8, 44, 110, 16, "Short name (Caption)");
  CaptionEdit = Make<TEdit>(this, 124, 40, 228, 21);
  HintLabel = Make<TLabel>(this, 8, 76, 110, 16, "Hint");
  HintEdit = Make<TEdit>(this, 124, 72, 228, 21);
  LibraryLabel = Make<TLabel>(this, 8, 108, 110, 16, "Icons from library");
  LibraryEdit = Make<TEdit>(this, 124, 104, 148, 21);
  BrowseButton = Make<TButton>(this, 276, 103, 24, 23, "...");
  BrowseButton->SetHint("Browse for icon library");
  BrowseButton->SetShowHint(true);
  ShowIconsButton = Make<TButton>(this, 304, 103, 48, 23, "Show");
  NormalLabel = Make<TLabel>(this, 8, 136, 110, 16, "Normal");
  NormalGrid = Make<TApIconGrid>(this, 8, 154, 344, 62);
  SelectedLabel = Make<TLabel>(this, 8, 222, 110, 16, "Selected");
  SelectedGrid = Make<TApIconGrid>(this, 8, 240, 344, 62);
  SpecialBox = Make<TCheckBox>(this, 8, 316, 170, 17, "Special shell folder");
  AutoCaptionBox = Make<TCheckBox>(this, 8, 336, 162, 17, "Auto caption");
  OkButton = Make<TButton>(this, 196, 312, 75, 25, "OK");
  OkButton->SetModalResult(mrOk);
  OkButton->SetDefault(true);
  CancelButton = Make<TButton>(this, 277, 312, 75, 25, "Cancel");
  CancelButton->SetModalResult(mrCancel);
  CancelButton->SetCancel(true);
  SetClientSize(360, 362);
  SpecialBox->OnClick = [this](TObject* s) { SpecialBoxClick(s); };
  AutoCaptionBox->OnClick = [this](TObject* s) { AutoCaptionBoxClick(s); };
  BrowseButton->OnClick = [this](TObject*) { BrowseLibrary(); };
  ShowIconsButton->OnClick = [this](TObject*) { ShowIcons(); };
}

bool TApAddPlaceFrm::ShowIcons(bool Quiet) {
  const bool found = library_.Load(LibraryEdit->Text());
  NormalGrid->SetLibrary(found ? &library_ : nullptr);
  SelectedGrid->SetLibrary(found ? &library_ : nullptr);
  if (!found && !Quiet)
    Application->MessageBox("No icons were found in the file", "New place - Icon library", MB_OK | MB_ICONSTOP);
  return found;
}

void TApAddPlaceFrm::BrowseLibrary() {
  ui::DialogRequest r;
  r.Kind = ui::DialogKind::OpenFile;
  r.Caption = "Browse for icon library";
  r.Filter = "Executables|*.exe;*.dll;*.ocx;*.bpl;*.cpl;|Icons|*.ico|All files|*.*";
  const AnsiString current = LibraryEdit->Text();
  if (!current.empty()) {
    r.InitialDir = ExtractFilePath(current);
    r.FileName = current;
  }
  if (!ui::DialogService::ExecuteFileDialog(r)) return;
  LibraryEdit->SetText(r.FileName);
  ShowIcons();
}

void TApAddPlaceFrm::SpecialBoxClick(TObject*) {
  const bool special = SpecialBox->Checked();
  SpecialList->SetVisible(special);
  PathEdit->SetVisible(!special);
}

void TApAddPlaceFrm::AutoCaptionBoxClick(TObject*) { CaptionEdit->SetEnabled(!AutoCaptionBox->Checked()); }

void TApAddPlaceFrm::LoadFrom(const TApPlace& P, bool Adding) {
  SetCaption(Adding ? "New Places Bar item" : "Places Bar item");
  const bool special = P.PlaceSpecPath != ftNone;
  PathEdit->SetText(special ? AnsiString() : P.PlacePath);
  SpecialList->SetItemIndex(special ? OfferedIndex(P.PlaceSpecPath) : 0);
  CaptionEdit->SetText(P.PlaceName());
  HintEdit->SetText(P.PlaceDesc);
  SpecialBox->SetChecked(special);
  AutoCaptionBox->SetChecked(P.AutoCaption);
  SpecialBoxClick(SpecialBox);
  AutoCaptionBoxClick(AutoCaptionBox);
  LibraryEdit->SetText(P.PlaceIconDll);
  NormalGrid->SetIconIndex(P.PlaceIcon);
  SelectedGrid->SetIconIndex(P.PlaceHotIcon);
  ShowIcons(true);
}

void TApAddPlaceFrm::StoreTo(TApPlace& P) const {
  P.SetPlaceName(CaptionEdit->Text());
  P.PlaceDesc = HintEdit->Text();
  P.AutoCaption = AutoCaptionBox->Checked();
  P.PlaceIconDll = LibraryEdit->Text();
  P.PlaceIcon = NormalGrid->IconIndex();
  P.PlaceHotIcon = SelectedGrid->IconIndex();
  if (SpecialBox->Checked()) {
    const auto& offered = OfferedSpecialFolders();
    const int i = std::clamp(SpecialList->ItemIndex(), 0, static_cast<int>(offered.size()) - 1);
    P.PlaceSpecPath = offered[static_cast<size_t>(i)];
    P.PlacePath = "";
  } else {
    P.PlaceSpecPath = ftNone;
    P.PlacePath = PathEdit->Text();
  }
}
