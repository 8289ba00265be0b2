#include "controls/ApAddPlace.h"

#include <algorithm>

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

TApAddPlaceFrm::TApAddPlaceFrm(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(360, 196);
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
  SpecialBox = Make<TCheckBox>(this, 8, 108, 170, 17, "Special shell folder");
  AutoCaptionBox = Make<TCheckBox>(this, 190, 108, 162, 17, "Auto caption");
  OkButton = Make<TButton>(this, 196, 160, 75, 25, "OK");
  OkButton->SetModalResult(mrOk);
  OkButton->SetDefault(true);
  CancelButton = Make<TButton>(this, 277, 160, 75, 25, "Cancel");
  CancelButton->SetModalResult(mrCancel);
  CancelButton->SetCancel(true);
  SpecialBox->OnClick = [this](TObject* s) { SpecialBoxClick(s); };
  AutoCaptionBox->OnClick = [this](TObject* s) { AutoCaptionBoxClick(s); };
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
}

void TApAddPlaceFrm::StoreTo(TApPlace& P) const {
  P.SetPlaceName(CaptionEdit->Text());
  P.PlaceDesc = HintEdit->Text();
  P.AutoCaption = AutoCaptionBox->Checked();
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
