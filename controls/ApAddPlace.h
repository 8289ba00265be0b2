#pragma once
// TApAddPlaceFrm: the form that adds a place to the places bar or edits one: its folder or
// file (or one of the offered special folders), its caption, hint and whether the caption
// follows the place. The bar draws the program's own icon for each kind of place, so the
// icon numbers a place carries are kept as they are.
#include "controls/ApPlacesBar.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"

class TApAddPlaceFrm : public TForm {
 public:
  explicit TApAddPlaceFrm(TComponent* AOwner);
  const char* ClassName() const override { return "TApAddPlaceFrm"; }

  // Fills the form from P; the caption says whether a place is being added or edited.
  void LoadFrom(const TApPlace& P, bool Adding);
  // Writes what the form holds into P (the icons are left as they are).
  void StoreTo(TApPlace& P) const;

  TLabel* PathLabel = nullptr;
  TEdit* PathEdit = nullptr;        // a folder or file
  TComboBox* SpecialList = nullptr;  // in place of PathEdit for a special folder
  TLabel* CaptionLabel = nullptr;
  TEdit* CaptionEdit = nullptr;
  TLabel* HintLabel = nullptr;
  TEdit* HintEdit = nullptr;
  TCheckBox* SpecialBox = nullptr;
  TCheckBox* AutoCaptionBox = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;

  // "Special shell folder": the path box becomes the list of special folders.
  void SpecialBoxClick(TObject* Sender);
  // "Auto caption": the caption follows the place, so its box is disabled.
  void AutoCaptionBoxClick(TObject* Sender);
};
