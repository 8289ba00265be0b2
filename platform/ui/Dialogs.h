#pragma once
// Message boxes, modal forms and file dialogs all pass through one dialog service.
// Interactively it shows real windows; under a DialogScript (tests) it records what
// would have been shown and answers from a queue, and a dialog nobody scripted raises
// EUnscriptedDialog at once instead of waiting for a user.
#include <deque>
#include <functional>
#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Forms.h"

// Message box flags and results.
enum : int {
  MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF,
  MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0,
  MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00,
  MB_APPLMODAL = 0x0, MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };
// What a file dialog does with a chosen file another program holds locked, as the caller's
// share-violation handler answers: warn and stay open, stay open without a word, or take the
// file all the same. A handler that leaves the answer at -1 gets the dialog's own handling
// (it says the file is in use and stays open).
enum : int { OFN_SHAREWARN = 0, OFN_SHARENOWARN = 1, OFN_SHAREFALLTHROUGH = 2 };

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = SmallSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// A message dialog captioned by its type ("Warning", "Error", "Information",
// "Confirm"; the application title for mtCustom); returns the mr value of the button.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// An OK box captioned with the application title.
void ShowMessage(const AnsiString& Msg);

CQ5_DECLARE_EXCEPTION(EUnscriptedDialog, Exception)

namespace ui {

enum class DialogKind { MessageBox, MessageDlg, ModalForm, OpenFile, SaveFile, Color, Print };

// The file dialog's own commands a caller may refuse before they run: up one folder, the
// desktop, back to the last folder, a new folder, Enter in the file-name box.
enum class FileDialogCommand { UpLevel, Desktop, LastFolder, NewFolder, FileNameEnter };
// The items of a file dialog a caller may hide: the folder box and its label, the file list,
// OK, Cancel, the file-name box and its label, the type list and its label, the toolbar.
enum class FileDialogItem { FolderCombo, FolderLabel, FileList, OkButton, CancelButton, FileName, FileNameLabel,
                            FileType, FileTypeLabel, ToolBar };
constexpr unsigned ItemBit(FileDialogItem i) { return 1u << static_cast<unsigned>(i); }
// How the file list shows its entries.
enum class FileListView { Icon, SmallIcon, List, Report };
// The file list's look and what the user may do in it.
struct FileListStyles {
  bool HotTrack = false;       // the entry under the mouse is highlighted
  bool OneClick = false;       // one click opens an entry
  bool UnderlineHot = false;   // the entry under the mouse is underlined
  bool UnderlineCold = false;  // every other entry is underlined
  bool RowSelect = false, GridLines = false, FlatScrollBars = false;
  bool EnableEdit = true;       // entries may be renamed
  bool EnableDelete = true;     // entries may be deleted (menu and Delete key)
  bool PopupOnEmpty = true;     // the context menu shows with nothing selected
  bool PopupOnSelection = true; // the context menu shows with entries selected
};

// What was (or would have been) shown.
struct DialogRequest {
  DialogKind Kind = DialogKind::MessageBox;
  AnsiString Text;
  AnsiString Caption;
  std::vector<int> Buttons;  // the results the user could choose (mr / ID values)
  int Icon = 0;              // MB_ICON... (message dialogs map their type onto these)
  TForm* Form = nullptr;     // modal forms
  // File dialogs: filter as "Text|*.txt|All|*.*", initial folder, default extension,
  // and on return the chosen file.
  AnsiString Filter;
  AnsiString InitialDir;
  AnsiString DefaultExt;  // added to a chosen name that has no extension
  AnsiString FileName;
  // File dialogs: forms docked below and right of the dialog while it shows (option and
  // preview panels), and what runs when the user selects a file in it, before choosing.
  TForm* BottomPanel = nullptr;
  TForm* RightPanel = nullptr;
  std::function<void(const AnsiString&)> OnSelectFile;
  // The program's extended file dialogs also dock forms at the top and left, the places bar
  // at the far left and a form in place of the file list (HideList hides the list; the form
  // takes the list's room; without the file list among the items neither shows), set
  // captions (empty keeps the dialog's own), take and give back the filter index (from 1),
  // filter the listed entries, keep the list from deleting and renaming, say where the
  // dialog goes on the screen, and hear what happens while it shows.
  TForm* TopPanel = nullptr;
  TForm* LeftPanel = nullptr;
  TForm* PlacesPanel = nullptr;
  TForm* ListPanel = nullptr;
  bool HideList = false;
  AnsiString OkCaption, CancelCaption, FileNameCaption, FileTypeCaption, LookInCaption;
  int FilterIndex = 1;
  std::function<bool(const AnsiString& FullName, bool IsFolder)> IncludeFile;
  bool ReadOnlyList = false;
  // Save dialogs: the dialog asks before a chosen file that exists is replaced; off where
  // the caller asks that question itself.
  bool ConfirmOverwrite = true;
  std::function<TRect(TRect Dialog, TRect Screen)> PlaceDialog;
  std::function<void(int ClientWidth, int ClientHeight)> OnResize;
  std::function<void()> OnShow;
  std::function<void()> OnClose;
  std::function<void(const AnsiString& Folder)> OnFolderChange;
  std::function<void(int FilterIndex)> OnTypeChange;
  // The file-name box changed: typed by the user or filled by a selection in the list.
  std::function<void(const AnsiString& Text)> OnFileNameText;
  // The dialog's own commands: asked before (false refuses), told after they ran.
  std::function<bool(FileDialogCommand)> OnCommand;
  std::function<void(FileDialogCommand)> OnCommandDone;
  // The file list is about to show its entries another way (false refuses), and did.
  std::function<bool(FileListView From, FileListView To)> OnViewChanging;
  std::function<void(FileListView)> OnViewChange;
  FileListStyles ListStyles;
  // Every event of the dialog window and the controls in it, as the window message it stands
  // for (events without one are not reported): asked before it is handled (false drops it),
  // told after.
  std::function<bool(TMessage&)> OnEventHooking;
  std::function<void(TMessage&)> OnEventHook;
  // File dialogs: the items not shown (ItemBit of each; the file list also by HideList).
  unsigned HiddenItems = 0;
  // File dialogs: the chosen file is locked by another program (an fcntl or flock lock that
  // conflicts with reading it, or for a save with writing it). Result starts at -1; see
  // OFN_SHAREWARN and the others.
  std::function<void(int& Result, const AnsiString& FileName)> OnShareViolation;
  // Captions of the Help button and the read-only box, where the dialog shows them.
  AnsiString HelpCaption, ReadOnlyCaption;
  // File dialogs: whether they show a Help button and a read-only box; the box's state, ticked
  // or not as the dialog shows and as the user left it.
  bool ShowHelp = false, ShowReadOnly = false, ReadOnly = false;
  // Colour dialogs: the colour shown first and, on return, the chosen one; the custom
  // colours offered (16 at most), given back as the user left them.
  TColor Color = 0;
  std::vector<TColor> CustomColors;
};

// One scripted answer: a result, a file name for file dialogs, or an action run on a
// modal form while it is showing (it normally sets ModalResult). For a file dialog the
// action runs on its bottom panel, after the file was selected and before it is chosen.
struct DialogAnswer {
  int Result = 0;
  AnsiString FileName;
  std::function<void(TForm&)> OnForm;
  // File dialogs: the files the user selects one after another before choosing, and the
  // filter index chosen first (0 keeps the dialog's).
  std::vector<AnsiString> Browse;
  int FilterIndex = 0;
  // Colour dialogs: the colour chosen (when Result is mrOk).
  TColor Color = 0;
  // File dialogs: the chosen name was typed into the file-name box and accepted with Enter,
  // so no file of the list was selected for it.
  bool Typed = false;
};

// While one of these lives, dialogs are answered from its queue.
class DialogScript {
 public:
  DialogScript();
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  DialogScript& Answer(int result);                   // next box or modal form returns this
  DialogScript& AnswerFile(const AnsiString& name);   // next file dialog picks this file
  // Selects the file, lets `onPanel` work the dialog's bottom panel, then picks the file.
  DialogScript& AnswerFile(const AnsiString& name, std::function<void(TForm&)> onPanel);
  // The next file dialog: `name` (a file name or a whole path) is typed into its file-name
  // box and Enter pressed, without selecting any file of the list.
  DialogScript& TypeFile(const AnsiString& name);
  DialogScript& CancelFile();                         // next file dialog is cancelled
  // The next file dialog: the filter index chosen (0 keeps it), each file of `browse`
  // selected in turn, then `name` chosen (an empty name cancels).
  DialogScript& BrowseFiles(std::vector<AnsiString> browse, const AnsiString& name, int filterIndex = 0);
  DialogScript& AnswerForm(std::function<void(TForm&)> action);
  DialogScript& AnswerColor(TColor color);  // next colour dialog picks this colour
  DialogScript& CancelColor();              // next colour dialog is cancelled
  // The next print dialog is confirmed, printing to the PDF file `pdfFile` (empty: the
  // printer the dialog had).
  DialogScript& AnswerPrint(const AnsiString& pdfFile);
  DialogScript& CancelPrint();  // next print dialog is cancelled

  const std::vector<DialogRequest>& Shown() const { return shown_; }
  int Count(DialogKind kind) const;
  const DialogRequest& Last() const;
  size_t Pending() const { return answers_.size(); }

 private:
  friend class DialogService;
  std::deque<DialogAnswer> answers_;
  std::vector<DialogRequest> shown_;
};

// The file dialog showing now, scripted or real: its folder and file-name box, and going to
// another folder. Outside a file dialog the queries answer "" and the changes do nothing.
class FileDialogSession {
 public:
  static bool Active();
  static AnsiString Folder();
  static AnsiString FileNameText();
  static void SetFileNameText(const AnsiString& Text);
  // Shows Folder in the dialog (and reports the folder change); false when none shows.
  static bool Navigate(const AnsiString& Folder);
  // The window's caption, changed at once while it shows.
  static void SetCaption(const AnsiString& Caption);
  static AnsiString Caption();
  // How the file list shows its entries (List outside a dialog and under a script).
  static FileListView View();
  // Where the button of a command sits on the screen (empty when the dialog has none):
  // for pointing at it as a user does.
  static TRect CommandButtonRect(FileDialogCommand Command);
  // The same for the button that shows the list as View, and for the file list itself.
  static TRect ViewButtonRect(FileListView View);
  static TRect FileListRect();
  // Whether a context menu of the dialog shows now.
  static bool MenuShowing();
  // Whether an item of the dialog shows now (false outside a real dialog).
  static bool ItemShowing(FileDialogItem Item);
  // Changes the items hidden, whether the file list is hidden and the form shown in its
  // place (as the request's HiddenItems, HideList and ListPanel) while the dialog shows.
  static void SetItems(unsigned HiddenItems, bool HideList, TForm* ListPanel);
  // Whether a form shows in the file list's place now (false outside a real dialog).
  static bool ListPanelShowing();
};

// Whether another program holds the regular file FileName in a way that conflicts with
// reading it (ForWriting: with writing it): an fcntl record lock or a flock lock, and for
// writing also the file held open for writing by another process of this user. The file is
// looked at without blocking; anything but an existing regular file is not in use.
bool FileLockedByOther(const AnsiString& FileName, bool ForWriting);

// The user's standard folders ("" when the desktop has none).
enum class StandardFolder { Desktop, Documents, Home, Fonts, Applications };
AnsiString StandardFolderPath(StandardFolder F);
// Icons that come with the program's widget style, Size pixels square.
enum class StandardIcon { Folder, File, Desktop, Drive, Home };
bool StandardIconBitmap(StandardIcon Kind, int Size, TBitmap& Out);

class DialogService {
 public:
  // Shows a message box or message dialog; returns the chosen button's result.
  static int ShowMessageBox(DialogRequest request);
  // Runs a modal form until its ModalResult is set and it may close.
  static int ShowModalForm(TForm& form);
  // Shows an open or save dialog; true and request.FileName set when a file was chosen
  // (with "." + DefaultExt added when its name has no extension).
  static bool ExecuteFileDialog(DialogRequest& request);
  // Shows the colour dialog; true and request.Color set when the user chose OK.
  static bool ExecuteColorDialog(DialogRequest& request);
  // Shows the print dialog: under a script the answer decides (request.FileName becomes
  // the PDF file chosen, if any); otherwise `show` runs the real dialog. True when the
  // user confirmed.
  static bool ExecutePrintDialog(DialogRequest& request, const std::function<bool(DialogRequest&)>& show);
  // Whether dialogs are being answered from a script.
  static bool Scripted();
  // Outside a script, whether real dialogs may be shown. Under the offscreen platform
  // nobody can answer them, so they raise EUnscriptedDialog.
  static bool Interactive();
  // A failure met while Qt was delivering an event (where it could not be thrown);
  // rethrown by the next ProcessMessages or simulated input.
  static void RecordFailure(std::exception_ptr e);
  static void RethrowFailure();

 private:
  static DialogAnswer NextAnswer(const DialogRequest& r);
};

}  // namespace ui
