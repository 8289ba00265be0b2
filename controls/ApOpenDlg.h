#pragma once
// TApOpenDialog: the program's own open dialog, shown through the dialog service. Around the
// file list it docks application forms (left, top, right, bottom), can show a places bar,
// filters the listed files, keeps the list from deleting or renaming when asked, and reports
// folder, type and file-name changes, its own commands (up, desktop, back, new folder, Enter
// in the file-name box, each of which a handler may refuse), the list's view and every
// message of its window while it shows.
#include <functional>
#include <memory>
#include "controls/ApDlgParams.h"
#include "controls/ApPlacesBar.h"
#include "platform/classes/Classes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WindowMessages.h"

enum TApDlgSelectionType { stStandard, stCustom };
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TApOpenDlgControl {
  dcFolderCombo, dcFolderLabel, dcSelectionCtrl, dcOkBtn, dcCancelBtn, dcFileName, dcFileNameLabel, dcFileType,
  dcFileTypeLabel, dcToolBar
};
using TApOpenDlgControls = unsigned;  // bit (1 << TApOpenDlgControl)
constexpr TApOpenDlgControls kAllOpenDlgControls = (1u << 10) - 1;
// What the class library's file dialog options say of the Help button and the read-only box:
// ofReadOnly ticks the box (and, after Execute, says whether the user left it ticked),
// ofHideReadOnly hides it, ofShowHelp shows the Help button.
enum TOpenOption { ofReadOnly, ofHideReadOnly, ofShowHelp };
using TOpenOptions = SmallSet<TOpenOption>;
enum TApHotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };

class TApOpenDlgCaptions : public TApDlgCaptions {
 public:
  const char* ClassName() const override { return "TApOpenDlgCaptions"; }
  void Assign(TPersistent* Source) override;
  AnsiString ReadOnlyFlag, FileName, FileType, LookIn;
};

struct TApListViewStyles {
  bool lvHotTrack = false;
  unsigned lvHotTrackStyles = 0;  // bits (1 << TApHotTrackStyle)
  bool lvRowSelect = false, lvGridLines = false, lvFlatScrollBars = false;
  bool lvEnableEdit = true, lvEnableDelete = true, lvPopupOnEmpty = true, lvPopupOnSelection = true;
};

using TApFileFilterEvent = std::function<void(TObject* Sender, const AnsiString& AFileName, bool& IncludeFile)>;

struct TApFileFilter {
  bool ShowFolders = true;
  bool Enabled = false;
  TApFileFilterEvent OnIncludeFile;
};

using TApCtrlQueryEvent = std::function<void(TObject* Sender, bool& AllowProceed)>;
using TApViewStyleQueryEvent = std::function<void(TObject* Sender, TViewStyle AStyle, bool& AllowChange)>;
using TApViewStyleEvent = std::function<void(TObject* Sender, TViewStyle AStyle)>;
using TApMsgQueryEvent = std::function<void(TObject* Sender, TMessage& m, bool& AllowDispatch)>;
using TWndMethod = std::function<void(TMessage& Message)>;
// The chosen file is locked by another program. DlgResult starts at -1, which leaves the
// dialog's own handling (it says the file is in use and stays open); OFN_SHAREWARN,
// OFN_SHARENOWARN or OFN_SHAREFALLTHROUGH (Dialogs.h) answer instead.
using TApShareViolationEvent = std::function<void(TObject* Sender, int& DlgResult, const AnsiString& FileName)>;

class TApCustomOpenDialog : public TComponent {
 public:
  explicit TApCustomOpenDialog(TComponent* AOwner);
  ~TApCustomOpenDialog() override;
  const char* ClassName() const override { return "TApCustomOpenDialog"; }

  // What the class library's file dialog has.
  AnsiString FileName, Filter, InitialDir, DefaultExt;
  int FilterIndex = 1;
  // Save dialogs: the dialog asks before a chosen file that exists is replaced; off where
  // the caller asks that question itself.
  bool OverwritePrompt = true;
  TOpenOptions Options{ofHideReadOnly};
  const AnsiString& Title() const { return title_; }
  // Set while the dialog shows, the window takes the new caption at once.
  void SetTitle(const AnsiString& v);
  // Shows the dialog and waits for the user; true with FileName set when a file was chosen.
  virtual bool Execute();

  // stCustom shows the form CustDlgParams names in place of the file list. Changed while the
  // dialog shows, the dialog follows at once, as it does for VisibleControls.
  TApDlgSelectionType SelectionType() const { return selection_type_; }
  void SetSelectionType(TApDlgSelectionType v);
  // The file list's view: vsList while no dialog is shown.
  TViewStyle SelectionStyle() const;
  TApCustDlgParams* CustDlgParams() { return &params_; }
  TApOpenDlgCaptions* DlgItemsCaptions() { return &captions_; }
  // The items shown; each one left out is hidden while the dialog shows. Without
  // dcSelectionCtrl neither the file list nor a form in its place shows.
  TApOpenDlgControls VisibleControls() const { return visible_controls_; }
  void SetVisibleControls(TApOpenDlgControls v);
  TApListViewStyles ListViewStyles;
  TApPlacesBarOptions* PlacesBar() { return &places_; }
  TApFileFilter ExtFilter;
  // Whether the extra filter keeps an entry of the list (the rule the dialog applies).
  bool IncludeInList(const AnsiString& FullName, bool IsFolder);

  // While the dialog shows: its folder, the file-name box, going to a folder.
  AnsiString GetFolderPath() const;
  void SetFileNameText(const AnsiString& Text);
  bool NavigateToFolder(const AnsiString& Folder);
  bool Showing() const { return showing_; }
  // The places bar of the dialog showing now (nullptr when none).
  TApPlacesBarFrm* PlacesBarForm() const { return bar_; }

  TNotifyEvent OnShow, OnClose, OnFolderChange, OnTypeChange, OnSelectionChange, OnFilenameChange;
  // The same event as ExtFilter.OnIncludeFile: setting either sets both.
  TApFileFilterEvent& OnIncludeFile = ExtFilter.OnIncludeFile;
  TApShareViolationEvent OnShareViolation;
  TApCtrlQueryEvent OnUpLevelNavigating, OnDesktopNavigating, OnLastFolderNavigating, OnFolderCreating,
      OnFilenameEntering;
  TNotifyEvent OnUpLevelNavigate, OnDesktopNavigate, OnLastFolderNavigate;
  TApViewStyleQueryEvent OnSelectionStyleChanging;
  TApViewStyleEvent OnSelectionStyleChange;
  // Every message of the dialog window (its controls' included): before it is handled
  // (AllowDispatch False drops it) and after.
  TApMsgQueryEvent OnEventHooking;
  TWndMethod OnEventHook;

 protected:
  virtual ui::DialogKind Kind() const { return ui::DialogKind::OpenFile; }
  AnsiString FileNameTextNow() const;

 private:
  void Shown();
  void Closed();
  // What the dialog hides of its items, whether it hides the file list and the form it
  // shows in the list's place, by SelectionType and VisibleControls.
  unsigned HiddenItems() const;
  bool HideList() const;
  TForm* ListPanel();
  TApDlgSelectionType selection_type_ = stStandard;
  TApOpenDlgControls visible_controls_ = kAllOpenDlgControls;
  bool CommandQuery(ui::FileDialogCommand c);
  void CommandDone(ui::FileDialogCommand c);
  AnsiString title_;
  TApCustDlgParams params_;
  TApOpenDlgCaptions captions_;
  TApPlacesBarOptions places_;
  TApPlacesBarFrm* bar_ = nullptr;
  bool showing_ = false;
};

class TApOpenDialog : public TApCustomOpenDialog {
 public:
  using TApCustomOpenDialog::TApCustomOpenDialog;
  const char* ClassName() const override { return "TApOpenDialog"; }
  // The text of the file-name box while the dialog shows.
  AnsiString GetFileNameText() const { return FileNameTextNow(); }
};
