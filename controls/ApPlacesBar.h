#pragma once
// The places bar of the extended file dialogs: a column of buttons for folders, files and
// special folders at the dialog's left edge. One click opens the place, dragging a button
// onto another moves it there, and the places can be kept in the registry.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"

enum TApSpecShellFolder {
  ftNone, ftRecycleBin, ftCommonDesktopDir, ftCommonPrograms, ftCommonStartMenu, ftCommonStartup, ftControls,
  ftDesktop, ftDesktopDir, ftDrives, ftFonts, ftNethood, ftNetwork, ftPersonal, ftFavorites, ftPrinters,
  ftPrograms, ftRecent, ftSendTo, ftStartMenu, ftStartup, ftTemplates
};

// The number a special folder is stored under, and back (an unknown number is ftNone).
int ShellFolderNumber(TApSpecShellFolder F);
TApSpecShellFolder ShellFolderFromNumber(int N);
// The name shown for a special folder ("" for those without one).
AnsiString SpecialFolderDisplayName(TApSpecShellFolder F);
// The folder a special folder opens here. Those without a folder of their own on this
// desktop (or whose folder does not exist) open the favourites folder, the home folder.
AnsiString SpecialFolderPath(TApSpecShellFolder F);
// The four special folders a place may be: desktop, drives, documents, favorites.
const std::vector<TApSpecShellFolder>& OfferedSpecialFolders();

class TApPlace : public TPersistent {
 public:
  const char* ClassName() const override { return "TApPlace"; }
  void Assign(TPersistent* Source) override;
  // The display name: with AutoCaption the file part of the path (or the folder part for
  // a root), or the special folder's name; else the stored name.
  AnsiString PlaceName() const;
  void SetPlaceName(const AnsiString& v) { name_ = v; }
  AnsiString PlacePath;
  TApSpecShellFolder PlaceSpecPath = ftNone;
  AnsiString PlaceDesc;
  AnsiString PlaceIconDll;
  int PlaceIcon = 0;
  int PlaceHotIcon = 0;
  bool AutoCaption = false;
  // The folder or file this place opens.
  AnsiString Target() const;
  // The folder the bar compares with the dialog's to press this place's button: the special
  // folder's own for the four offered, else the stored path (so other special folders,
  // which open the favourites folder, are never taken for it).
  AnsiString HighlightPath() const;

 private:
  AnsiString name_;
};

class TApPlaces {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TApPlace* Items(int i) const;
  TApPlace* Add();
  void Delete(int i);
  void Clear() { items_.clear(); }
  // Moves the place at From to index To; those between close up.
  void Move(int From, int To);

 private:
  std::vector<std::unique_ptr<TApPlace>> items_;
};

class TApPlacesBarOptions : public TPersistent {
 public:
  const char* ClassName() const override { return "TApPlacesBarOptions"; }
  AnsiString RegistryKey;
  TApPlaces* Places() { return &places_; }
  bool Visible = false, AllowEdit = true, AllowDelete = true, AllowDrop = true, AutoScroll = true;

  // Reads the places kept under RegistryKey into Places. A key that does not exist yet
  // means no places were kept: nothing changes and true is returned. False (with the
  // message shown) when the key cannot be read.
  bool LoadFromRegistry();
  // Writes Places under RegistryKey: the new list whole, then what is left of the old one
  // removed, in one write of the store, so a failed write keeps the old list. False on failure.
  bool SaveToRegistry();

 private:
  TApPlaces places_;
};

// Where an open of a place leads: a folder to show and, for a file, the name to put in the
// file-name box. Empty folder: nothing happens (the place no longer exists).
struct TApPlaceTarget {
  AnsiString Folder;
  AnsiString FileName;
};
TApPlaceTarget ResolvePlace(const TApPlace& P);

// The icons of a place's icon library. "Shell32.dll" (in any folder, when no such file
// exists) is the program's own set; an icon file (".ico") is one icon; a Windows program or
// library (".exe", ".dll" and the like) holds its icons as resources, in resource order.
//
// A library keeps each image it uses once, however many icons name it, and builds an
// icon's file only while drawing it; no icon is larger than kMaxIconBytes nor holds more
// than kMaxIconImages images, so a crafted file costs no more memory than its own images.
class TApIconLibrary {
 public:
  static constexpr const char* BundledName = "Shell32.dll";
  // The largest icon built from an icon group: a 256-pixel image of 32 bits with its mask
  // and the usual smaller sizes stay well below it. Images that would pass it are left out.
  static constexpr size_t kMaxIconBytes = size_t{512} << 10;
  // The most images an icon built from a group holds; the rest are left out.
  static constexpr size_t kMaxIconImages = 64;

  // One image of an icon group: the first 8 bytes of its directory entry (size, colours,
  // planes, bits) and where its bytes lie in the data it was read from.
  struct Image {
    std::string Entry;
    size_t At = 0, Size = 0;
  };
  using Parts = std::vector<Image>;

  // Reads the library; false (and no icons) when the file is missing or holds none.
  bool Load(const AnsiString& FileName);
  int Count() const;
  // Icon Index drawn Size pixels square; false when there is no such icon.
  bool Icon(int Index, int Size, TBitmap& Out) const;
  // The icon groups of a Windows program, in the order of its resources: for each the
  // images it names, each named image once, within kMaxIconBytes and kMaxIconImages; none
  // when Data is no such program or holds no icon.
  static std::vector<Parts> ProgramIcons(const std::string& Data);
  // The icon file (header, directory and images) of one group's Parts in Data.
  static std::string IconFile(const std::string& Data, const Parts& Icon);

 private:
  bool bundled_ = false;
  // An icon file: the one icon, whole. A program: the images its icons use, each once.
  std::string images_;
  bool iconFile_ = false;
  std::vector<Parts> icons_;  // a program's icons, as places in images_
};

class TApPlacesBarFrm;

// One button of the bar: the place's icon and caption, down while its place is the current folder.
class TApPlaceButton : public TCustomControl {
 public:
  TApPlaceButton(TApPlacesBarFrm* Bar, int Index);
  const char* ClassName() const override { return "TApPlaceButton"; }
  int Index() const { return index_; }
  bool Down() const { return down_; }
  void SetDown(bool v);
  // Whether the mouse is over the button (it then shows its bottom and right edges).
  bool Hot() const { return hot_; }
  void SetHot(bool v);
  // The caption as drawn on a button Width wide: whole when it fits, else cut and "...".
  static AnsiString FitCaption(TCanvas* C, const AnsiString& Caption, int Width);
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TApPlacesBarFrm* bar_;
  int index_;
  bool down_ = false, pressed_ = false, hot_ = false;
  // The place's icons from its library, drawn once (empty when the library has none).
  TBitmap icon_, hot_icon_;
};

class TPopupMenu;
class TApPlacesScrollArrow;
class TMenuItem;

// An arrow at an end of a bar whose places do not fit; a press scrolls the buttons one place.
class TApPlacesScrollArrow : public TCustomControl {
 public:
  TApPlacesScrollArrow(TApPlacesBarFrm* Bar, int Direction);
  const char* ClassName() const override { return "TApPlacesScrollArrow"; }
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TApPlacesBarFrm* bar_;
  int direction_;  // -1 up, +1 down
};

// The bar: one button per place, 87 x 49, in the order of the places. Its menu deletes a
// place or edits it in the place form, and files dropped on it become places.
class TApPlacesBarFrm : public TForm {
 public:
  TApPlacesBarFrm(TComponent* AOwner, TApPlacesBarOptions* Options);
  const char* ClassName() const override { return "TApPlacesBarFrm"; }
  static constexpr int ButtonWidth = 87, ButtonHeight = 49;
  static constexpr int ArrowHeight = 14;
  void BuildButtons();
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TApPlaceButton* Buttons(int i) const { return buttons_[static_cast<size_t>(i)]; }
  // Presses the button of the place that is Folder (none when no place is).
  void HighlightFolder(const AnsiString& Folder);
  // A click on a place: the dialog is told where to go.
  void OpenPlace(int Index);
  // A button dragged from From and dropped on To: its place moves there.
  void DropPlace(int From, int To);
  // The index of the button at client height Y of the bar (clamped to the buttons).
  int IndexAt(int Y) const;

  // With AutoScroll, places that do not fit scroll: arrows at the top and bottom move the
  // buttons a button at a time, as does the mouse wheel. ScrollPos is how far the buttons
  // are moved up; ScrollPlaces moves by whole buttons and stops at either end.
  int ScrollPos() const { return scroll_; }
  int MaxScrollPos() const;
  void ScrollPlaces(int Buttons);
  TApPlacesScrollArrow* UpArrow() const { return up_; }
  TApPlacesScrollArrow* DownArrow() const { return down_; }
  void Resize() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  TApPlacesBarOptions* Options() const { return options_; }
  static constexpr int IconSize = 32;
  // The library of that file, read once while the bar lives.
  const TApIconLibrary& Library(const AnsiString& FileName);
  std::function<void(const TApPlaceTarget&)> OnOpenPlace;

  // The menu a right click on a button opens ("Delete place...", "Properties..."); its
  // items act on the place of the button it was opened on.
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* DeletePlaceItem = nullptr;
  TMenuItem* PropertiesItem = nullptr;
  void ShowPlaceMenu(int Index, int ScreenX, int ScreenY);
  // Asks, then deletes the place (AllowDelete); true when it was deleted.
  bool DeletePlace(int Index);
  // The place form edits the place (AllowEdit); true when it was changed.
  bool EditPlace(int Index);
  // Each file or folder dropped on the bar is offered as a new place in the place form
  // (AllowDrop); returns how many were added.
  int AddDroppedFiles(const std::vector<AnsiString>& Files);

 private:
  // Places the buttons and shows the arrows where they are needed.
  void LayoutButtons();
  // The client height at which the first button's slot starts (below the up arrow).
  int ButtonsTop() const;
  int menu_index_ = -1;
  int scroll_ = 0;
  AnsiString folder_;  // the dialog's folder, whose place stays pressed when buttons are rebuilt
  TApPlacesScrollArrow* up_ = nullptr;
  TApPlacesScrollArrow* down_ = nullptr;
  TApPlacesBarOptions* options_;
  std::vector<TApPlaceButton*> buttons_;
  std::map<AnsiString, TApIconLibrary> libraries_;
};
