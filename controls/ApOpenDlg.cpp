#include "controls/ApOpenDlg.h"

#include "controls/ApSaveDlg.h"
#include "platform/rtl/FileUtils.h"

namespace {
// The file list's own client size, before forms are docked around it.
constexpr int kListClientWidth = 560, kListClientHeight = 350;
}  // namespace

void TApOpenDlgCaptions::Assign(TPersistent* Source) {
  TApDlgCaptions::Assign(Source);
  if (auto* c = dynamic_cast<TApOpenDlgCaptions*>(Source)) {
    ReadOnlyFlag = c->ReadOnlyFlag;
    FileName = c->FileName;
    FileType = c->FileType;
    LookIn = c->LookIn;
  }
}

TApCustomOpenDialog::TApCustomOpenDialog(TComponent* AOwner) : TComponent(AOwner), params_(this) {}

TApCustomOpenDialog::~TApCustomOpenDialog() { delete bar_; }

bool TApCustomOpenDialog::IncludeInList(const AnsiString& FullName, bool IsFolder) {
  if (!ExtFilter.Enabled) return true;
  if (IsFolder) return ExtFilter.ShowFolders;
  bool include = true;
  if (ExtFilter.OnIncludeFile) ExtFilter.OnIncludeFile(this, FullName, include);
  return include;
}

unsigned TApCustomOpenDialog::HiddenItems() const {
  // The dialog service numbers its items as the controls are numbered here.
  static_assert(static_cast<int>(ui::FileDialogItem::ToolBar) == dcToolBar &&
                static_cast<int>(ui::FileDialogItem::FileList) == dcSelectionCtrl);
  return kAllOpenDlgControls & ~visible_controls_;
}

bool TApCustomOpenDialog::HideList() const {
  return selection_type_ == stCustom || !(visible_controls_ & (1u << dcSelectionCtrl));
}

TForm* TApCustomOpenDialog::ListPanel() {
  return selection_type_ == stCustom && (visible_controls_ & (1u << dcSelectionCtrl)) ? params_.CustForm() : nullptr;
}

void TApCustomOpenDialog::SetSelectionType(TApDlgSelectionType v) {
  selection_type_ = v;
  if (showing_) ui::FileDialogSession::SetItems(HiddenItems(), HideList(), ListPanel());
}

void TApCustomOpenDialog::SetVisibleControls(TApOpenDlgControls v) {
  visible_controls_ = v & kAllOpenDlgControls;
  if (showing_) ui::FileDialogSession::SetItems(HiddenItems(), HideList(), ListPanel());
}

void TApCustomOpenDialog::SetTitle(const AnsiString& v) {
  title_ = v;
  if (showing_) ui::FileDialogSession::SetCaption(v);
}

TViewStyle TApCustomOpenDialog::SelectionStyle() const {
  return showing_ ? static_cast<TViewStyle>(ui::FileDialogSession::View()) : vsList;
}

AnsiString TApCustomOpenDialog::GetFolderPath() const { return showing_ ? ui::FileDialogSession::Folder() : ""; }

AnsiString TApCustomOpenDialog::FileNameTextNow() const {
  return showing_ ? ui::FileDialogSession::FileNameText() : "";
}

void TApCustomOpenDialog::SetFileNameText(const AnsiString& Text) {
  if (showing_) ui::FileDialogSession::SetFileNameText(Text);
}

bool TApCustomOpenDialog::NavigateToFolder(const AnsiString& Folder) {
  if (!showing_ || !DirectoryExists(Folder)) return false;
  return ui::FileDialogSession::Navigate(Folder);
}

bool TApCustomOpenDialog::CommandQuery(ui::FileDialogCommand c) {
  bool allow = true;
  const TApCtrlQueryEvent* query = nullptr;
  switch (c) {
    case ui::FileDialogCommand::UpLevel: query = &OnUpLevelNavigating; break;
    case ui::FileDialogCommand::Desktop: query = &OnDesktopNavigating; break;
    case ui::FileDialogCommand::LastFolder: query = &OnLastFolderNavigating; break;
    case ui::FileDialogCommand::NewFolder: query = &OnFolderCreating; break;
    case ui::FileDialogCommand::FileNameEnter: query = &OnFilenameEntering; break;
  }
  if (query != nullptr && *query) (*query)(this, allow);
  return allow;
}

void TApCustomOpenDialog::CommandDone(ui::FileDialogCommand c) {
  const TNotifyEvent* done = nullptr;
  switch (c) {
    case ui::FileDialogCommand::UpLevel: done = &OnUpLevelNavigate; break;
    case ui::FileDialogCommand::Desktop: done = &OnDesktopNavigate; break;
    case ui::FileDialogCommand::LastFolder: done = &OnLastFolderNavigate; break;
    default: break;
  }
  if (done != nullptr && *done) (*done)(this);
}

void TApCustomOpenDialog::Shown() {
  showing_ = true;
  if (bar_ != nullptr && places_.Visible && !places_.RegistryKey.empty()) {
    places_.LoadFromRegistry();
    bar_->BuildButtons();
  }
  if (OnShow) OnShow(this);
  // As the dialog opens, its file-name box takes the name it starts with: its first change.
  if (OnFilenameChange) OnFilenameChange(this);
}

void TApCustomOpenDialog::Closed() {
  if (bar_ != nullptr && places_.Visible && !places_.RegistryKey.empty()) places_.SaveToRegistry();
  params_.Detach();
  showing_ = false;
  if (OnClose) OnClose(this);
}

bool TApCustomOpenDialog::Execute() {
  ui::DialogRequest r;
  r.Kind = Kind();
  r.Caption = title_;
  r.Filter = Filter;
  r.FilterIndex = FilterIndex;
  r.InitialDir = InitialDir;
  r.DefaultExt = DefaultExt;
  r.FileName = FileName;
  r.ConfirmOverwrite = OverwritePrompt;

  params_.Attach(kListClientWidth, kListClientHeight);
  r.LeftPanel = params_.LeftForm();
  r.TopPanel = params_.TopForm();
  r.RightPanel = params_.RightForm();
  r.BottomPanel = params_.BottomForm();
  r.ListPanel = ListPanel();
  r.HideList = HideList();
  r.HiddenItems = HiddenItems();
  r.OnShareViolation = [this](int& result, const AnsiString& file) {
    if (OnShareViolation) OnShareViolation(this, result, file);
  };
  if (places_.Visible) {
    if (bar_ == nullptr) {
      bar_ = new TApPlacesBarFrm(nullptr, &places_);
      bar_->OnOpenPlace = [this](const TApPlaceTarget& t) {
        NavigateToFolder(t.Folder);
        if (!t.FileName.empty()) SetFileNameText(t.FileName);
      };
    }
    r.PlacesPanel = bar_;
  }
  r.OkCaption = captions_.OK;
  r.CancelCaption = captions_.Cancel;
  r.FileNameCaption = captions_.FileName;
  r.FileTypeCaption = captions_.FileType;
  r.LookInCaption = captions_.LookIn;
  r.HelpCaption = captions_.Help;
  r.ReadOnlyCaption = captions_.ReadOnlyFlag;
  r.ShowHelp = Options.Contains(ofShowHelp);
  r.ShowReadOnly = !Options.Contains(ofHideReadOnly);
  r.ReadOnly = Options.Contains(ofReadOnly);
  const TApListViewStyles& lv = ListViewStyles;
  ui::FileListStyles& ls = r.ListStyles;
  ls.HotTrack = lv.lvHotTrack;
  ls.OneClick = (lv.lvHotTrackStyles & (1u << htHandPoint)) != 0;
  ls.UnderlineHot = (lv.lvHotTrackStyles & (1u << htUnderlineHot)) != 0;
  ls.UnderlineCold = (lv.lvHotTrackStyles & (1u << htUnderlineCold)) != 0;
  ls.RowSelect = lv.lvRowSelect;
  ls.GridLines = lv.lvGridLines;
  ls.FlatScrollBars = lv.lvFlatScrollBars;
  ls.EnableEdit = lv.lvEnableEdit;
  ls.EnableDelete = lv.lvEnableDelete;
  ls.PopupOnEmpty = lv.lvPopupOnEmpty;
  ls.PopupOnSelection = lv.lvPopupOnSelection;
  r.OnCommand = [this](ui::FileDialogCommand c) { return CommandQuery(c); };
  r.OnCommandDone = [this](ui::FileDialogCommand c) { CommandDone(c); };
  r.OnViewChanging = [this](ui::FileListView, ui::FileListView to) {
    bool allow = true;
    if (OnSelectionStyleChanging) OnSelectionStyleChanging(this, static_cast<TViewStyle>(to), allow);
    return allow;
  };
  r.OnViewChange = [this](ui::FileListView to) {
    if (OnSelectionStyleChange) OnSelectionStyleChange(this, static_cast<TViewStyle>(to));
  };
  if (OnEventHooking)
    r.OnEventHooking = [this](TMessage& m) {
      bool allow = true;
      OnEventHooking(this, m, allow);
      return allow;
    };
  if (OnEventHook) r.OnEventHook = [this](TMessage& m) { OnEventHook(m); };
  if (ExtFilter.Enabled)
    r.IncludeFile = [this](const AnsiString& name, bool folder) { return IncludeInList(name, folder); };
  r.PlaceDialog = [this](TRect d, TRect screen) { return params_.PositionRect(d, screen); };
  r.OnShow = [this] { Shown(); };
  r.OnClose = [this] { Closed(); };
  r.OnFolderChange = [this](const AnsiString& folder) {
    if (bar_ != nullptr) bar_->HighlightFolder(folder);
    if (OnFolderChange) OnFolderChange(this);
  };
  r.OnTypeChange = [this](int index) {
    FilterIndex = index;
    if (OnTypeChange) OnTypeChange(this);
  };
  r.OnSelectFile = [this](const AnsiString& name) {
    FileName = name;
    if (OnSelectionChange) OnSelectionChange(this);
  };
  // Typed or filled in by a selection, every change of the file-name box is reported.
  r.OnFileNameText = [this](const AnsiString&) {
    if (OnFilenameChange) OnFilenameChange(this);
  };
  const bool ok = ui::DialogService::ExecuteFileDialog(r);
  FilterIndex = r.FilterIndex;
  if (ok) {
    FileName = r.FileName;
    if (r.ShowReadOnly) {
      if (r.ReadOnly) Options << ofReadOnly;
      else Options >> ofReadOnly;
    }
  }
  return ok;
}
