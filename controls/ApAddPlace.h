#pragma once
// TApAddPlaceFrm: the form that adds a place to the places bar or edits one: its folder or
// file (or one of the offered special folders), its caption, hint, whether the caption
// follows the place, and its two icons (shown normally and while its button is down),
// chosen from the icons of an icon library.
#include "controls/ApPlacesBar.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/Grids.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"

// A row of icons, one column each; the chosen column is the icon's number. While the grid
// holds no icons, the number it was given is kept.
class TApIconGrid : public TCustomGrid {
 public:
  explicit TApIconGrid(TComponent* AOwner);
  const char* ClassName() const override { return "TApIconGrid"; }
  static constexpr int CellSize = 40;
  // Shows the icons of Library (none when it is nullptr or empty).
  void SetLibrary(const TApIconLibrary* Library);
  int IconCount() const { return count_; }
  // The chosen icon's number; setting it scrolls it into view.
  int IconIndex() const { return count_ > 0 ? Col() : index_; }
  void SetIconIndex(int Index);

 protected:
  void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
  bool DrawsCellBackground() const override { return true; }

 private:
  const TApIconLibrary* library_ = nullptr;
  int count_ = 0, index_ = 0;
};

class TApAddPlaceFrm : public TForm {
 public:
  explicit TApAddPlaceFrm(TComponent* AOwner);
  const char* ClassName() const override { return "TApAddPlaceFrm"; }

  // Fills the form from P (its library's icons shown, the place's own chosen); the caption
  // says whether a place is being added or edited.
  void LoadFrom(const TApPlace& P, bool Adding);
  // Writes what the form holds into P.
  void StoreTo(TApPlace& P) const;

  TLabel* PathLabel = nullptr;
  TEdit* PathEdit = nullptr;        // a folder or file
  TComboBox* SpecialList = nullptr;  // in place of PathEdit for a special folder
  TLabel* CaptionLabel = nullptr;
  TEdit* CaptionEdit = nullptr;
  TLabel* HintLabel = nullptr;
  TEdit* HintEdit = nullptr;
  TLabel* LibraryLabel = nullptr;
  TEdit* LibraryEdit = nullptr;
  TButton* BrowseButton = nullptr;
  TButton* ShowIconsButton = nullptr;
  TLabel* NormalLabel = nullptr;
  TApIconGrid* NormalGrid = nullptr;
  TLabel* SelectedLabel = nullptr;
  TApIconGrid* SelectedGrid = nullptr;
  TCheckBox* SpecialBox = nullptr;
  TCheckBox* AutoCaptionBox = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;

  // "Special shell folder": the path box becomes the list of special folders.
  void SpecialBoxClick(TObject* Sender);
  // "Auto caption": the caption follows the place, so its box is disabled.
  void AutoCaptionBoxClick(TObject* Sender);
  // Shows the library's icons in both grids; a library without icons is said so (unless
  // Quiet) and empties them. True when it has icons.
  bool ShowIcons(bool Quiet = false);
  // Asks for a library file in an open dialog; the chosen file becomes the library and
  // its icons are shown.
  void BrowseLibrary();

 private:
  TApIconLibrary library_;
};
