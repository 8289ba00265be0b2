#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHash>
#include <QPointer>
#include <QGridLayout>
#include <QMessageBox>
#include <QDialog>
#include <QEvent>
#include <QDateTime>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTimer>
#include <QTreeView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QListView>
#include <QStandardPaths>
#include <QStyle>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/classes/SafeFile.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/detail/QtGraphics.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/detail/FileDialogWatch.h"
#include "platform/ui/detail/QtControls.h"

namespace {

ui::DialogScript* g_script = nullptr;
std::exception_ptr g_failure;

AnsiString Quote(const AnsiString& s) { return "\"" + s + "\""; }

AnsiString Describe(const ui::DialogRequest& r) {
  switch (r.Kind) {
    case ui::DialogKind::ModalForm:
      return "modal form " + AnsiString(r.Form ? r.Form->ClassName() : "?") + " " + Quote(r.Caption);
    case ui::DialogKind::OpenFile: return "open dialog " + Quote(r.Caption);
    case ui::DialogKind::SaveFile: return "save dialog " + Quote(r.Caption);
    case ui::DialogKind::Color: return "colour dialog";
    case ui::DialogKind::Print: return "print dialog";
    default: return "message box " + Quote(r.Caption) + ": " + Quote(r.Text);
  }
}

void RefuseUnanswerable(const ui::DialogRequest& r) {
  if (!ui::DialogService::Interactive())
    throw EUnscriptedDialog("No user to answer " + Describe(r));
}

QString QtFilter(const AnsiString& filter) {
  // "Map files (*.map)|*.map|All files|*.*" -> "Map files (*.map) (*.map);;All files (*.*)"
  // Patterns of one entry may be separated by ";" or ",".
  QStringList parts = gfx::ToQString(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i].trimmed() + QStringLiteral(" (") +
               QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char(' ')) +
               QStringLiteral(")");
  return out.join(QStringLiteral(";;"));
}

QWidget* ActiveWindowWidget() {
  TForm* f = Screen->ActiveForm();
  return f ? ui::detail::WidgetOf(f) : nullptr;
}

int RealMessageBox(const ui::DialogRequest& r) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (r.Icon) {
    case MB_ICONSTOP: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
  }
  QMessageBox box(icon, gfx::ToQString(r.Caption), gfx::ToQString(r.Text), QMessageBox::NoButton, ActiveWindowWidget());
  struct Label {
    int id;
    const char* text;
    QMessageBox::ButtonRole role;
  };
  static const Label kLabels[] = {
      {mrOk, "OK", QMessageBox::AcceptRole},         {mrCancel, "Cancel", QMessageBox::RejectRole},
      {mrAbort, "&Abort", QMessageBox::RejectRole},  {mrRetry, "&Retry", QMessageBox::AcceptRole},
      {mrIgnore, "&Ignore", QMessageBox::AcceptRole}, {mrYes, "&Yes", QMessageBox::YesRole},
      {mrNo, "&No", QMessageBox::NoRole},             {mrAll, "&All", QMessageBox::YesRole},
      {mrNoToAll, "N&o to All", QMessageBox::NoRole}, {mrYesToAll, "Yes to &All", QMessageBox::YesRole},
  };
  std::vector<std::pair<QAbstractButton*, int>> buttons;
  for (int id : r.Buttons)
    for (const auto& l : kLabels)
      if (l.id == id) buttons.emplace_back(box.addButton(QString::fromLatin1(l.text), l.role), id);
  // Escape picks Cancel (or No), and the only button of a one-button box.
  for (auto& [b, id] : buttons)
    if (id == mrCancel || (id == mrNo && !box.escapeButton())) box.setEscapeButton(b);
  if (buttons.size() == 1) box.setEscapeButton(buttons[0].first);
  box.exec();
  for (auto& [b, id] : buttons)
    if (box.clickedButton() == b) return id;
  return r.Buttons.empty() ? mrOk : mrCancel;
}

}  // namespace

// ---------------------------------------------------------------------------------------

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  ui::DialogRequest r;
  r.Kind = ui::DialogKind::MessageDlg;
  r.Text = Msg;
  static const char* const kCaptions[] = {"Warning", "Error", "Information", "Confirm"};
  static const int kIcons[] = {MB_ICONWARNING, MB_ICONSTOP, MB_ICONINFORMATION, MB_ICONQUESTION};
  r.Caption = DlgType == mtCustom ? Application->Title() : AnsiString(kCaptions[DlgType]);
  r.Icon = DlgType == mtCustom ? 0 : kIcons[DlgType];
  static const std::pair<TMsgDlgBtn, int> kOrder[] = {
      {mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}, {mbCancel, mrCancel}, {mbAbort, mrAbort},
      {mbRetry, mrRetry}, {mbIgnore, mrIgnore}, {mbAll, mrAll}, {mbNoToAll, mrNoToAll},
      {mbYesToAll, mrYesToAll}};
  for (const auto& [b, mr] : kOrder)
    if (Buttons.Contains(b)) r.Buttons.push_back(mr);
  return ui::DialogService::ShowMessageBox(std::move(r));
}

void ShowMessage(const AnsiString& Msg) {
  ui::DialogRequest r;
  r.Kind = ui::DialogKind::MessageDlg;
  r.Text = Msg;
  r.Caption = Application->Title();
  r.Buttons = {mrOk};
  ui::DialogService::ShowMessageBox(std::move(r));
}

namespace ui {

DialogScript::DialogScript() {
  if (g_script) throw EInvalidOperation("A dialog script is already active");
  g_script = this;
}

DialogScript::~DialogScript() {
  g_script = nullptr;
  g_failure = nullptr;
}

DialogScript& DialogScript::Answer(int result) {
  answers_.push_back({result, {}, {}, {}, 0});
  return *this;
}

DialogScript& DialogScript::AnswerFile(const AnsiString& name) {
  answers_.push_back({mrOk, name, {}, {}, 0});
  return *this;
}

DialogScript& DialogScript::AnswerFile(const AnsiString& name, std::function<void(TForm&)> onPanel) {
  answers_.push_back({mrOk, name, std::move(onPanel), {}, 0});
  return *this;
}

DialogScript& DialogScript::BrowseFiles(std::vector<AnsiString> browse, const AnsiString& name, int filterIndex) {
  DialogAnswer a{name.empty() ? mrCancel : mrOk, name, {}, {}, 0};
  a.Browse = std::move(browse);
  a.FilterIndex = filterIndex;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::TypeFile(const AnsiString& name) {
  DialogAnswer a{mrOk, name, {}, {}, 0};
  a.Typed = true;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::CancelFile() {
  answers_.push_back({mrCancel, {}, {}, {}, 0});
  return *this;
}

DialogScript& DialogScript::AnswerColor(TColor color) {
  DialogAnswer a;
  a.Result = mrOk;
  a.Color = color;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::AnswerPrint(const AnsiString& pdfFile) {
  DialogAnswer a;
  a.Result = mrOk;
  a.FileName = pdfFile;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::CancelPrint() {
  DialogAnswer a;
  a.Result = mrCancel;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::CancelColor() {
  DialogAnswer a;
  a.Result = mrCancel;
  answers_.push_back(std::move(a));
  return *this;
}

DialogScript& DialogScript::AnswerForm(std::function<void(TForm&)> action) {
  answers_.push_back({0, {}, std::move(action), {}, 0});
  return *this;
}

int DialogScript::Count(DialogKind kind) const {
  return static_cast<int>(std::count_if(shown_.begin(), shown_.end(), [&](const DialogRequest& r) { return r.Kind == kind; }));
}

const DialogRequest& DialogScript::Last() const {
  if (shown_.empty()) throw EInvalidOperation("No dialog was shown");
  return shown_.back();
}

DialogAnswer DialogService::NextAnswer(const DialogRequest& r) {
  g_script->shown_.push_back(r);
  if (g_script->answers_.empty()) throw EUnscriptedDialog("Unscripted " + Describe(r));
  DialogAnswer a = std::move(g_script->answers_.front());
  g_script->answers_.pop_front();
  return a;
}

bool DialogService::Scripted() { return g_script != nullptr; }

bool DialogService::Interactive() {
  if (g_script) return false;
  if (QGuiApplication::instance()) return QGuiApplication::platformName() != QLatin1String("offscreen");
  return qgetenv("QT_QPA_PLATFORM") != "offscreen";
}

void DialogService::RecordFailure(std::exception_ptr e) {
  if (!g_failure) g_failure = e;
}

void DialogService::RethrowFailure() {
  if (g_failure) {
    std::exception_ptr e = g_failure;
    g_failure = nullptr;
    std::rethrow_exception(e);
  }
}

int DialogService::ShowMessageBox(DialogRequest request) {
  // A message dialog is a window of its own: the active form loses activation while
  // it shows and gets it back (with OnActivate) afterwards.
  TForm* previous = request.Kind == DialogKind::MessageDlg ? Screen->ActiveForm() : nullptr;
  if (previous) Screen->SetActiveForm(nullptr);
  auto restore = [&] {
    if (previous && previous->Visible() && !Screen->ActiveForm()) Screen->SetActiveForm(previous);
  };
  int result = 0;
  try {
    if (g_script) {
      const DialogAnswer a = NextAnswer(request);
      if (std::find(request.Buttons.begin(), request.Buttons.end(), a.Result) == request.Buttons.end())
        throw EUnscriptedDialog("Scripted answer " + std::to_string(a.Result) + " is not a button of " + Describe(request));
      result = a.Result;
    } else {
      RefuseUnanswerable(request);
      result = RealMessageBox(request);
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return result;
}

int DialogService::ShowModalForm(TForm& form) {
  DialogRequest request;
  request.Kind = DialogKind::ModalForm;
  request.Form = &form;
  request.Caption = form.Caption();
  request.Text = form.Caption();
  if (!g_script) RefuseUnanswerable(request);
  form.BeginModal();
  try {
    if (g_script) {
      // Each answer taken is one entry in Shown (a close refused by OnCloseQuery takes
      // the next answer).
      for (;;) {
        DialogAnswer a = NextAnswer(request);
        if (a.OnForm) a.OnForm(form);
        if (a.Result != mrNone) form.SetModalResult(a.Result);
        if (form.ModalResult() == mrNone)
          throw EUnscriptedDialog("Scripted answer left " + Describe(request) + " open");
        if (form.EndModalIfDone()) break;
      }
    } else {
      for (;;) {
        Application->HandleMessage();
        if (Application->Terminated() && form.ModalResult() == mrNone) form.SetModalResult(mrCancel);
        if (form.ModalResult() != mrNone && form.EndModalIfDone()) break;
      }
    }
  } catch (...) {
    form.FinishModal();
    throw;
  }
  const int result = form.ModalResult();
  form.FinishModal();
  return result;
}

namespace {

// Whether a name names an existing pipe, device or socket (links followed): no file a
// dialog could open or save as one.
bool IsSpecialFile(const AnsiString& name) {
  struct stat st {};
  const std::string path = cp1252::ToUtf8(name);
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// The dialog's own words for a chosen pipe, device or socket it cannot save to.
AnsiString SpecialText(const AnsiString& fileName) {
  return ExtractFileName(fileName) +
         "\r\nThis is not a regular file (a pipe, device or socket): nothing can be saved in it.\r\n"
         "Choose another file.";
}

// The chosen name with "." + ext added when its last component has no extension. A name
// that names a pipe, device or socket as it is stands for that file, not for one of the
// dialog's kind beside it.
AnsiString WithDefaultExt(const AnsiString& name, const AnsiString& ext) {
  if (ext.empty() || name.empty() || IsSpecialFile(name)) return name;
  const size_t slash = name.find_last_of("/\\");
  const size_t base = slash == AnsiString::npos ? 0 : slash + 1;
  if (name.find('.', base) != AnsiString::npos || base >= name.size()) return name;
  return name + "." + ext;
}

// Docks the panel forms around a file dialog while it shows and gives them back after.
// The file dialog sits in the middle of a grid: places bar and left form at the left,
// top form above it, right form at the right, bottom form under all of them, so every
// form follows its edge when the dialog is resized.
class DockedPanels {
 public:
  DockedPanels(QGridLayout& grid, const ui::DialogRequest& r) {
    Dock(grid, r.PlacesPanel, 0, 0, 2, 1);
    Dock(grid, r.LeftPanel, 0, 1, 2, 1);
    Dock(grid, r.TopPanel, 0, 2, 1, 1);
    Dock(grid, r.RightPanel, 0, 3, 2, 1);
    Dock(grid, r.BottomPanel, 2, 0, 1, 4);
  }
  ~DockedPanels() {
    for (const Docked& d : docked_) {
      d.widget->hide();
      d.widget->setParent(d.parent, d.flags);
    }
  }
  DockedPanels(const DockedPanels&) = delete;
  DockedPanels& operator=(const DockedPanels&) = delete;
  void Dock(QGridLayout& grid, TForm* form, int row, int col, int rows, int cols) {
    if (form == nullptr) return;
    form->HandleNeeded();
    QWidget* w = ui::detail::WidgetOf(form);
    if (w == nullptr) return;
    docked_.push_back({w, w->parentWidget(), w->windowFlags()});
    w->setParent(nullptr);
    w->setWindowFlags(Qt::Widget);
    w->setMinimumSize(form->Width(), form->Height());
    grid.addWidget(w, row, col, rows, cols);
    w->show();
  }

 private:
  struct Docked {
    QWidget* widget;
    QWidget* parent;
    Qt::WindowFlags flags;
  };
  std::vector<Docked> docked_;
};

// The details view: size, type and date each as wide as its longest entry, the name taking
// the rest. The dialog's own widths cut a size in GiB, a long type and a date with its time.
// Returns the width the view needs to show a name of some twenty letters beside them.
int FitDetailColumns(QFileDialog& dialog) {
  auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (tree == nullptr || tree->header()->count() < 4) return 0;
  QHeaderView* header = tree->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int i = 1; i < 4; ++i) header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
  const QFontMetrics fm(tree->font());
  const QString date = QLocale::system().toString(QDateTime(QDate(2026, 12, 30), QTime(23, 59, 59)), QLocale::ShortFormat);
  const int pad = 2 * tree->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, tree) + 16;
  return fm.horizontalAdvance(QStringLiteral("wwwwwwwwwwwwwwwwwwww")) + 24 + fm.horizontalAdvance(QStringLiteral("1023.9 KiB")) +
         fm.horizontalAdvance(QStringLiteral("plain text document")) + fm.horizontalAdvance(date) + 3 * pad +
         tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree) + 2 * tree->frameWidth();
}

// What every real file dialog of the session shares: the icons of its buttons and the icon
// provider of its lists. Qt's pixmap cache keeps what an icon painted under a key of that
// icon's own pixmap, for as long as the cache has room; a dialog built with new icons each
// time would leave new entries there at every showing, never found again, and the program
// would grow with every file dialog opened.
class SharedFileDialogIcons : public QObject {
 public:
  // The session's one, living as long as the application.
  static SharedFileDialogIcons& Get() {
    static QPointer<SharedFileDialogIcons> one;
    if (one.isNull()) one = new SharedFileDialogIcons(QCoreApplication::instance());
    return *one;
  }
  // Gives the dialog's lists the session's icon provider: wanted as soon as the dialog is
  // made, before it has gathered the entries of its first folder with its own.
  void ShareProvider(QFileDialog& d) {
    d.setIconProvider(&provider_);
    // The folder box took its icon from the dialog's first provider: it takes it again.
    d.setHistory(d.history());
  }
  // The details view's header leaves room for the entries' icons before the first column's
  // title: the same blank, 16 pixels wide, for every dialog and every paint (the file system
  // model makes a new one each time it is asked).
  QIcon NameHeaderSpace() {
    if (nameHeaderSpace_.isNull()) {
      QPixmap blank(16, 1);
      blank.fill(Qt::transparent);
      nameHeaderSpace_ = QIcon(blank);
    }
    return nameHeaderSpace_;
  }
  // Gives each button with an icon the icon the first dialog had on the same button (before
  // the dialog paints any of its own).
  void ShareButtonIcons(QFileDialog& d) {
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
      if (b->icon().isNull()) continue;
      QString key = b->objectName();
      if (auto* box = qobject_cast<QDialogButtonBox*>(b->parentWidget()); box != nullptr && box->standardButton(b) != QDialogButtonBox::NoButton)
        key = QStringLiteral("button:") + QString::number(static_cast<int>(box->standardButton(b)));
      if (key.isEmpty()) continue;
      const auto held = buttons_.constFind(key);
      if (held == buttons_.constEnd()) buttons_.insert(key, b->icon());
      else b->setIcon(*held);
    }
  }

 private:
  explicit SharedFileDialogIcons(QObject* parent) : QObject(parent) {}
  QFileIconProvider provider_;
  QHash<QString, QIcon> buttons_;
  QIcon nameHeaderSpace_;
};

// The header's data of the file system model with its first column's icon space the
// session's own (see SharedFileDialogIcons::NameHeaderSpace).
QVariant SteadyHeaderData(const QAbstractProxyModel& proxy, int section, Qt::Orientation orientation, int role) {
  if (role == Qt::DecorationRole && section == 0 && orientation == Qt::Horizontal &&
      proxy.sourceModel() != nullptr && proxy.sourceModel()->headerData(section, orientation, role).isValid())
    return SharedFileDialogIcons::Get().NameHeaderSpace();
  return proxy.sourceModel() != nullptr ? proxy.sourceModel()->headerData(section, orientation, role) : QVariant();
}

// The file dialog's entries as the file system model gives them, its header steady.
class SteadyHeader : public QIdentityProxyModel {
 public:
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    return SteadyHeaderData(*this, section, orientation, role);
  }
};

// Keeps the entries the request's filter accepts.
class IncludeFilter : public QSortFilterProxyModel {
 public:
  explicit IncludeFilter(std::function<bool(const AnsiString&, bool)> include) : include_(std::move(include)) {}
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    return SteadyHeaderData(*this, section, orientation, role);
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* model = qobject_cast<QFileSystemModel*>(sourceModel());
    if (model == nullptr) return true;
    const QModelIndex i = model->index(row, 0, parent);
    // Only the entries of the shown folder are filtered, never the folders above it.
    if (parent != model->index(model->rootPath())) return true;
    try {
      return include_(gfx::FromQString(model->filePath(i)), model->isDir(i));
    } catch (...) {
      DialogService::RecordFailure(std::current_exception());
      return true;
    }
  }

 private:
  std::function<bool(const AnsiString&, bool)> include_;
};

// Reports the size of the whole dialog's client area.
class ResizeWatch : public QObject {
 public:
  explicit ResizeWatch(std::function<void(int, int)> on) : on_(std::move(on)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Resize && on_) {
      const QSize s = static_cast<QWidget*>(o)->size();
      on_(s.width(), s.height());
    }
    return false;
  }

 private:
  std::function<void(int, int)> on_;
};

// The file dialog showing now.
struct Session {
  ui::DialogRequest* request = nullptr;
  QFileDialog* dialog = nullptr;
  QDialog* outer = nullptr;
  AnsiString folder;
  AnsiString text;
  Session* previous = nullptr;
  // A real dialog: the items it hid for the request (shown again when the request lets
  // them be), the form standing in the file list's place with where it came from, and
  // whether the list last showed its details.
  unsigned hiddenItems = 0;
  QPointer<QWidget> listPanel;
  QPointer<QWidget> listPanelParent;
  Qt::WindowFlags listPanelFlags;
  bool details = false;
};
Session* g_session = nullptr;

// Makes a session current for a scope, running the request's OnShow and OnClose.
class SessionScope {
 public:
  SessionScope(Session& s) : s_(s) {
    s.previous = g_session;
    g_session = &s;
  }
  ~SessionScope() {
    g_session = s_.previous;
    if (s_.request->OnClose) {
      try {
        s_.request->OnClose();
      } catch (...) {
        DialogService::RecordFailure(std::current_exception());
      }
    }
  }
  SessionScope(const SessionScope&) = delete;
  SessionScope& operator=(const SessionScope&) = delete;

 private:
  Session& s_;
};

AnsiString FolderOf(const AnsiString& name) {
  AnsiString dir = ExtractFilePath(name);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

bool IsAbsolute(const AnsiString& name) { return !name.empty() && name[0] == '/'; }

// Where a file dialog opens: its InitialDir; without one the folder of a FileName given with
// its full path, else the user's home folder (never the folder the program was started in).
AnsiString StartFolder(const DialogRequest& request) {
  if (!request.InitialDir.empty()) return request.InitialDir;
  if (IsAbsolute(request.FileName)) return FolderOf(request.FileName);
  return FolderOf(HomeFolder());
}

// Runs a request callback from a Qt signal, where nothing may be thrown.
template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    DialogService::RecordFailure(std::current_exception());
  }
}

// The widgets that make up an item of the dialog.
std::vector<QWidget*> ItemWidgets(QFileDialog& d, FileDialogItem item) {
  auto named = [&](const char* n) { return d.findChild<QWidget*>(QLatin1String(n)); };
  auto button = [&](QDialogButtonBox::StandardButton b) -> QWidget* {
    auto* box = d.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box != nullptr ? box->button(b) : nullptr;
  };
  std::vector<QWidget*> w;
  switch (item) {
    case FileDialogItem::FolderCombo: w = {named("lookInCombo")}; break;
    case FileDialogItem::FolderLabel: w = {named("lookInLabel")}; break;
    case FileDialogItem::FileList: w = {named("listView"), named("treeView")}; break;
    case FileDialogItem::OkButton: w = {button(QDialogButtonBox::Open), button(QDialogButtonBox::Save)}; break;
    case FileDialogItem::CancelButton: w = {button(QDialogButtonBox::Cancel)}; break;
    case FileDialogItem::FileName: w = {named("fileNameEdit")}; break;
    case FileDialogItem::FileNameLabel: w = {named("fileNameLabel")}; break;
    case FileDialogItem::FileType: w = {named("fileTypeCombo")}; break;
    case FileDialogItem::FileTypeLabel: w = {named("fileTypeLabel")}; break;
    case FileDialogItem::ToolBar:
      for (const char* n : {"backButton", "forwardButton", "toParentButton", "newFolderButton", "iconModeButton",
                            "smallIconModeButton", "listModeButton", "detailModeButton"})
        w.push_back(named(n));
      break;
  }
  w.erase(std::remove(w.begin(), w.end(), nullptr), w.end());
  return w;
}

constexpr FileDialogItem kAllItems[] = {
    FileDialogItem::FolderCombo, FileDialogItem::FolderLabel, FileDialogItem::FileList, FileDialogItem::OkButton,
    FileDialogItem::CancelButton, FileDialogItem::FileName, FileDialogItem::FileNameLabel, FileDialogItem::FileType,
    FileDialogItem::FileTypeLabel, FileDialogItem::ToolBar};

void ShowWidget(QWidget* w, bool show) {
  if (w != nullptr && w->isHidden() == show) w->setVisible(show);
}

// Gives the form standing in the file list's place back to where it came from.
void UndockListPanel(Session& s) {
  QWidget* w = s.listPanel;
  s.listPanel = nullptr;
  if (w == nullptr) return;
  if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget())) stack->removeWidget(w);
  w->hide();
  w->setParent(s.listPanelParent, s.listPanelFlags);
}

// Applies what the request says of the items now: the hidden ones hidden, those it hid
// before and no longer hides shown; then the file list, a form in its place, or neither.
// Without the file list neither shows. A form in its place takes the list's own room (a
// page of the list's stack) and the list is hidden and disabled; otherwise the list shows
// in the view it last had, enabled, and the form is given back. Run when the dialog shows,
// whenever it paints, after every change of view and when the caller changes the items.
void ApplyItems(Session& s) {
  QFileDialog& d = *s.dialog;
  const DialogRequest& r = *s.request;
  for (FileDialogItem item : kAllItems) {
    if (item == FileDialogItem::FileList) continue;
    const bool hide = (r.HiddenItems & ItemBit(item)) != 0;
    if (hide || (s.hiddenItems & ItemBit(item)))
      for (QWidget* w : ItemWidgets(d, item)) ShowWidget(w, !hide);
  }
  s.hiddenItems = r.HiddenItems;
  auto* stack = d.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
  auto* list = d.findChild<QListView*>(QStringLiteral("listView"));
  auto* tree = d.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (stack == nullptr || list == nullptr || tree == nullptr) return;
  // The view the dialog itself switched to last (its own buttons change the page).
  if (stack->currentWidget() == tree->parentWidget()) s.details = true;
  else if (stack->currentWidget() == list->parentWidget()) s.details = false;
  const bool selection = (r.HiddenItems & ItemBit(FileDialogItem::FileList)) == 0;
  const bool standard = selection && !r.HideList;
  TForm* form = selection && r.HideList ? r.ListPanel : nullptr;
  QWidget* panel = nullptr;
  if (form != nullptr) {
    form->HandleNeeded();
    panel = ui::detail::WidgetOf(form);
  }
  if (panel != s.listPanel) {
    UndockListPanel(s);
    if (panel != nullptr) {
      s.listPanelParent = panel->parentWidget();
      s.listPanelFlags = panel->windowFlags();
      panel->setParent(nullptr);
      panel->setWindowFlags(Qt::Widget);
      // The list's room is the form's: no size of its own holds the dialog wider.
      panel->setMinimumSize(0, 0);
      stack->addWidget(panel);
      s.listPanel = panel;
    }
  }
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(list), static_cast<QAbstractItemView*>(tree)}) {
    if (v->isEnabled() != standard) v->setEnabled(standard);
  }
  if (standard) {
    QAbstractItemView* shown = s.details ? static_cast<QAbstractItemView*>(tree) : list;
    ShowWidget(s.details ? static_cast<QAbstractItemView*>(list) : tree, false);
    ShowWidget(shown, true);
    if (stack->currentWidget() != shown->parentWidget()) stack->setCurrentWidget(shown->parentWidget());
    return;
  }
  ShowWidget(list, false);
  ShowWidget(tree, false);
  if (panel != nullptr) {
    if (stack->currentWidget() != panel) stack->setCurrentWidget(panel);
    ShowWidget(panel, true);
  }
}

// Gives the form standing in the file list's place back as the dialog closes.
class ListPanelScope {
 public:
  explicit ListPanelScope(Session& s) : s_(s) {}
  ~ListPanelScope() { UndockListPanel(s_); }
  ListPanelScope(const ListPanelScope&) = delete;
  ListPanelScope& operator=(const ListPanelScope&) = delete;

 private:
  Session& s_;
};

// The dialog's own words for a chosen file another program holds locked.
AnsiString InUseText(const AnsiString& fileName) {
  return ExtractFileName(fileName) + "\r\nThis file is in use by another program.\r\n"
                                     "Close it there, or choose another file.";
}

// A chosen file another program holds locked: the caller's handler answers first; false
// when the file is taken all the same, true when the dialog stays open (after saying why,
// unless the handler asked for no warning). `warn` shows the dialog's own message.
bool RefusedAsInUse(ui::DialogRequest& r, const AnsiString& fileName, const std::function<void(const AnsiString&)>& warn) {
  if (!FileLockedByOther(fileName, r.Kind == DialogKind::SaveFile)) return false;
  int result = -1;
  if (r.OnShareViolation) r.OnShareViolation(result, fileName);
  if (result == OFN_SHAREFALLTHROUGH) return false;
  if (result != OFN_SHARENOWARN) warn(InUseText(fileName));
  return true;
}

// The file dialog that checks the chosen file for another program's lock before it takes it.
class ShareAwareFileDialog : public QFileDialog {
 public:
  ShareAwareFileDialog(QWidget* parent, ui::DialogRequest& r, const QString& caption, const QString& dir, const QString& filter)
      : QFileDialog(parent, caption, dir, filter), r_(r) {}
  void accept() override {
    auto warn = [this](const AnsiString& text) {
      QMessageBox::warning(window(), window()->windowTitle(), gfx::ToQString(text));
    };
    // A name typed that names a pipe, device or socket as it is stands for that file: the
    // default extension is not added to it.
    const QString suffix = defaultSuffix();
    const bool typedSpecial = IsSpecialFile(gfx::FromQString(TypedPath()));
    if (typedSpecial) setDefaultSuffix(QString());
    const QStringList files = selectedFiles();
    bool refused = false;
    if (!files.isEmpty() && acceptMode() == AcceptSave && IsSpecialFile(gfx::FromQString(files.front()))) {
      // Refused before the dialog would ask whether to replace it.
      refused = true;
      warn(SpecialText(gfx::FromQString(files.front())));
    } else if (!files.isEmpty() && QFileInfo(files.front()).isFile()) {
      Guarded([&] { refused = RefusedAsInUse(r_, gfx::FromQString(files.front()), warn); });
    }
    if (!refused) QFileDialog::accept();
    if (result() != QDialog::Accepted) setDefaultSuffix(suffix);
  }

 private:
  // The file-name box's text as a path: a whole path as it is, else in the shown folder.
  QString TypedPath() const {
    auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = edit != nullptr ? edit->text() : QString();
    if (text.isEmpty()) return text;
    return text.startsWith(QLatin1Char('/')) ? text : directory().absoluteFilePath(text);
  }
  ui::DialogRequest& r_;
};

}  // namespace

bool FileDialogSession::Active() { return g_session != nullptr; }

AnsiString FileDialogSession::Folder() {
  if (g_session == nullptr) return "";
  if (g_session->dialog != nullptr) return gfx::FromQString(g_session->dialog->directory().absolutePath());
  return g_session->folder;
}

AnsiString FileDialogSession::FileNameText() {
  if (g_session == nullptr) return "";
  if (g_session->dialog != nullptr) {
    if (auto* edit = g_session->dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      return gfx::FromQString(edit->text());
  }
  return g_session->text;
}

void FileDialogSession::SetFileNameText(const AnsiString& Text) {
  if (g_session == nullptr) return;
  g_session->text = Text;
  if (g_session->dialog != nullptr) g_session->dialog->selectFile(gfx::ToQString(Text));
}

bool FileDialogSession::Navigate(const AnsiString& Folder) {
  if (g_session == nullptr) return false;
  g_session->folder = Folder;
  if (g_session->dialog != nullptr) g_session->dialog->setDirectory(gfx::ToQString(Folder));
  if (g_session->request->OnFolderChange) g_session->request->OnFolderChange(Folder);
  return true;
}

void FileDialogSession::SetCaption(const AnsiString& Caption) {
  if (g_session == nullptr) return;
  g_session->request->Caption = Caption;
  if (g_session->outer != nullptr) g_session->outer->setWindowTitle(gfx::ToQString(Caption));
}

AnsiString FileDialogSession::Caption() {
  if (g_session == nullptr) return "";
  if (g_session->outer != nullptr) return gfx::FromQString(g_session->outer->windowTitle());
  return g_session->request->Caption;
}

TRect FileDialogSession::CommandButtonRect(FileDialogCommand Command) {
  if (g_session == nullptr || g_session->dialog == nullptr) return TRect();
  return detail::CommandButtonRect(*g_session->dialog, Command);
}

TRect FileDialogSession::ViewButtonRect(FileListView View) {
  if (g_session == nullptr || g_session->dialog == nullptr) return TRect();
  return detail::ViewButtonRect(*g_session->dialog, View);
}

TRect FileDialogSession::FileListRect() {
  if (g_session == nullptr || g_session->dialog == nullptr) return TRect();
  return detail::FileListRect(*g_session->dialog);
}

bool FileDialogSession::MenuShowing() {
  return g_session != nullptr && g_session->dialog != nullptr && detail::MenuShowing(*g_session->dialog);
}

FileListView FileDialogSession::View() {
  if (g_session == nullptr || g_session->dialog == nullptr) return FileListView::List;
  return detail::CurrentView(*g_session->dialog);
}

void FileDialogSession::SetItems(unsigned HiddenItems, bool HideList, TForm* ListPanel) {
  if (g_session == nullptr) return;
  g_session->request->HiddenItems = HiddenItems;
  g_session->request->HideList = HideList;
  g_session->request->ListPanel = ListPanel;
  if (g_session->dialog != nullptr) ApplyItems(*g_session);
}

bool FileDialogSession::ListPanelShowing() {
  return g_session != nullptr && g_session->listPanel != nullptr && g_session->listPanel->isVisible();
}

bool FileDialogSession::ItemShowing(FileDialogItem Item) {
  if (g_session == nullptr || g_session->dialog == nullptr) return false;
  for (QWidget* w : ItemWidgets(*g_session->dialog, Item))
    if (w->isVisible()) return true;
  return false;
}

bool FileLockedByOther(const AnsiString& FileName, bool ForWriting) { return safefile::HeldByOther(FileName, ForWriting); }

AnsiString StandardFolderPath(StandardFolder F) {
  QStandardPaths::StandardLocation l = QStandardPaths::HomeLocation;
  switch (F) {
    case StandardFolder::Desktop: l = QStandardPaths::DesktopLocation; break;
    case StandardFolder::Documents: l = QStandardPaths::DocumentsLocation; break;
    case StandardFolder::Home: l = QStandardPaths::HomeLocation; break;
    case StandardFolder::Fonts: l = QStandardPaths::FontsLocation; break;
    case StandardFolder::Applications: l = QStandardPaths::ApplicationsLocation; break;
  }
  return gfx::FromQString(QStandardPaths::writableLocation(l));
}

bool StandardIconBitmap(StandardIcon Kind, int Size, TBitmap& Out) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr || Size <= 0) return false;
  QStyle::StandardPixmap p = QStyle::SP_FileIcon;
  switch (Kind) {
    case StandardIcon::Folder: p = QStyle::SP_DirIcon; break;
    case StandardIcon::File: p = QStyle::SP_FileIcon; break;
    case StandardIcon::Desktop: p = QStyle::SP_DesktopIcon; break;
    case StandardIcon::Drive: p = QStyle::SP_DriveHDIcon; break;
    case StandardIcon::Home: p = QStyle::SP_DirHomeIcon; break;
  }
  const QImage image = QApplication::style()->standardIcon(p).pixmap(Size, Size).toImage();
  if (image.isNull()) return false;
  Out.SetPixelFormat(pf32bit);
  Out.SetSize(Size, Size);
  QImage& target = gfx::ImageOf(Out);
  target.fill(Qt::transparent);
  QPainter painter(&target);
  painter.drawImage(QRect(0, 0, Size, Size), image);
  return true;
}

bool DialogService::ExecuteFileDialog(DialogRequest& request) {
  if (g_script) {
    DialogAnswer a = NextAnswer(request);
    Session session;
    session.request = &request;
    session.folder = StartFolder(request);
    session.text = request.FileName;
    SessionScope scope(session);
    if (request.OnShow) request.OnShow();
    if (request.OnFolderChange) request.OnFolderChange(session.folder);
    if (a.FilterIndex > 0) {
      request.FilterIndex = a.FilterIndex;
      if (request.OnTypeChange) request.OnTypeChange(a.FilterIndex);
    }
    for (;;) {
      std::vector<AnsiString> selected = a.Browse;
      if (a.Result == mrOk) selected.push_back(a.FileName);
      for (const AnsiString& name : selected) {
        const AnsiString dir = FolderOf(name);
        if (!dir.empty() && dir != session.folder) {
          session.folder = dir;
          if (request.OnFolderChange) request.OnFolderChange(dir);
        }
        const bool typed = a.Typed && a.Result == mrOk && &name == &selected.back();
        session.text = typed ? name : ExtractFileName(name);
        if (request.OnSelectFile && !typed) request.OnSelectFile(name);
        if (request.OnFileNameText) request.OnFileNameText(session.text);
      }
      if (a.Result != mrOk) return false;
      if (a.OnForm) {
        TForm* panel = request.BottomPanel ? request.BottomPanel : request.RightPanel;
        if (panel == nullptr) throw EUnscriptedDialog("Scripted panel action, but " + Describe(request) + " has no panel");
        a.OnForm(*panel);
      }
      const AnsiString chosen = WithDefaultExt(a.FileName, request.DefaultExt);
      auto warn = [&](const AnsiString& text) {
        DialogRequest box;
        box.Kind = DialogKind::MessageBox;
        box.Caption = request.Caption;
        box.Text = text;
        box.Icon = MB_ICONWARNING;
        box.Buttons = {mrOk};
        ShowMessageBox(std::move(box));
      };
      // A pipe, device or socket is refused before anything else is asked of it.
      bool refused = request.Kind == DialogKind::SaveFile && IsSpecialFile(chosen);
      if (refused) warn(SpecialText(chosen));
      else refused = RefusedAsInUse(request, chosen, warn);
      if (!refused) {
        request.FileName = chosen;
        return true;
      }
      // The dialog stays open: the next answer is what the user does next in it.
      a = NextAnswer(request);
    }
  }
  RefuseUnanswerable(request);
  QString start = gfx::ToQString(StartFolder(request));
  if (!request.FileName.empty())
    start = IsAbsolute(request.FileName) ? gfx::ToQString(request.FileName)
                                         : start + QLatin1Char('/') + gfx::ToQString(request.FileName);
  const QString caption = gfx::ToQString(request.Caption), filter = QtFilter(request.Filter);
  const bool save = request.Kind == DialogKind::SaveFile;

  // Our own window: the file dialog in the middle, the docked forms around it.
  QDialog outer(ActiveWindowWidget());
  outer.setWindowTitle(caption.isEmpty() ? (save ? QStringLiteral("Save As") : QStringLiteral("Open")) : caption);
  outer.setSizeGripEnabled(true);
  auto* grid = new QGridLayout(&outer);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setSpacing(4);
  auto* dialog = new ShareAwareFileDialog(&outer, request, caption, start, filter);
  SharedFileDialogIcons::Get().ShareProvider(*dialog);
  dialog->setWindowFlags(Qt::Widget);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setOption(QFileDialog::ReadOnly, request.ReadOnlyList);
  // The type list shows each entry's own text, without the patterns repeated after it.
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // A name typed without an extension means a file of the dialog's kind: "base" opens
  // "base.map" where the kind is ".map", as it saves under that name.
  if (!request.DefaultExt.empty()) dialog->setDefaultSuffix(gfx::ToQString(request.DefaultExt));
  const QStringList filters = dialog->nameFilters();
  if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size()) dialog->selectNameFilter(filters[request.FilterIndex - 1]);
  auto label = [&](QFileDialog::DialogLabel l, const AnsiString& text) {
    if (!text.empty()) dialog->setLabelText(l, gfx::ToQString(text));
  };
  label(QFileDialog::Accept, request.OkCaption);
  label(QFileDialog::Reject, request.CancelCaption);
  label(QFileDialog::FileName, request.FileNameCaption);
  label(QFileDialog::FileType, request.FileTypeCaption);
  label(QFileDialog::LookIn, request.LookInCaption);
  // The Help button beside OK and Cancel, the read-only box under the type list.
  if (request.ShowHelp) {
    if (auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
      QPushButton* help = box->addButton(QDialogButtonBox::Help);
      if (!request.HelpCaption.empty()) help->setText(gfx::ToQString(request.HelpCaption));
    }
  }
  QCheckBox* readOnly = nullptr;
  if (request.ShowReadOnly) {
    if (auto* layout = qobject_cast<QGridLayout*>(dialog->layout())) {
      readOnly = new QCheckBox(request.ReadOnlyCaption.empty() ? QStringLiteral("Open as &read-only")
                                                               : gfx::ToQString(request.ReadOnlyCaption),
                               dialog);
      readOnly->setObjectName(QStringLiteral("readOnlyBox"));
      readOnly->setChecked(request.ReadOnly);
      layout->addWidget(readOnly, layout->rowCount(), 1, 1, layout->columnCount() - 1);
    }
  }
  if (request.IncludeFile) dialog->setProxyModel(new IncludeFilter(request.IncludeFile));
  else dialog->setProxyModel(new SteadyHeader);
  grid->addWidget(dialog, 1, 2);
  QObject::connect(dialog, &QFileDialog::accepted, &outer, &QDialog::accept);
  QObject::connect(dialog, &QFileDialog::rejected, &outer, &QDialog::reject);
  DialogRequest* r = &request;
  if (request.OnSelectFile)
    QObject::connect(dialog, &QFileDialog::currentChanged, [r](const QString& path) { Guarded([&] { r->OnSelectFile(gfx::FromQString(path)); }); });
  if (request.OnFolderChange)
    QObject::connect(dialog, &QFileDialog::directoryEntered, [r](const QString& path) { Guarded([&] { r->OnFolderChange(gfx::FromQString(path)); }); });
  QObject::connect(dialog, &QFileDialog::filterSelected, [r, filters](const QString& f) {
    r->FilterIndex = static_cast<int>(filters.indexOf(f)) + 1;
    if (r->OnTypeChange) Guarded([&] { r->OnTypeChange(r->FilterIndex); });
  });
  Session session;
  session.request = &request;
  session.dialog = dialog;
  session.outer = &outer;
  QStringList chosen;
  {
    SessionScope scope(session);
    ListPanelScope listPanel(session);
    const std::unique_ptr<QObject> commands =
        detail::WatchFileDialog(outer, *dialog, request, [&session] { Guarded([&] { ApplyItems(session); }); });
    ApplyItems(session);
    SharedFileDialogIcons::Get().ShareButtonIcons(*dialog);
    DockedPanels panels(*grid, request);
    ResizeWatch watch(request.OnResize);
    outer.installEventFilter(&watch);
    outer.adjustSize();
    auto place = [&outer, &request] {
      if (!request.PlaceDialog) return;
      const QRect screen = outer.screen() ? outer.screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
      const TRect placed = request.PlaceDialog(TRect(0, 0, outer.width(), outer.height()),
                                               TRect(screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1));
      outer.move(placed.Left, placed.Top);
    };
    place();
    // Once it shows, the dialog grows wide enough for the details view's columns, as far as
    // the screen allows, and is placed again.
    const int detailsWidth = FitDetailColumns(*dialog);
    auto* tree = request.HideList ? nullptr : dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    if (tree != nullptr)
      QTimer::singleShot(0, &outer, [&outer, tree, detailsWidth, place] {
        const QRect screen = outer.screen() ? outer.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        const int width = std::min(screen.width() - 16, outer.width() + detailsWidth - tree->width());
        if (width <= outer.width()) return;
        outer.resize(width, outer.height());
        place();
      });
    Guarded([&] {
      if (request.OnShow) request.OnShow();
      if (request.OnFolderChange) request.OnFolderChange(gfx::FromQString(dialog->directory().absolutePath()));
    });
    const int result = outer.exec();
    outer.removeEventFilter(&watch);
    if (result != QDialog::Accepted) {
      RethrowFailure();
      return false;
    }
    chosen = dialog->selectedFiles();
    if (readOnly != nullptr) request.ReadOnly = readOnly->isChecked();
    request.FilterIndex = static_cast<int>(filters.indexOf(dialog->selectedNameFilter())) + 1;
  }
  RethrowFailure();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
  request.FileName = WithDefaultExt(gfx::FromQString(chosen.front()), request.DefaultExt);
  return true;
}

}  // namespace ui

namespace ui {

bool DialogService::ExecuteColorDialog(DialogRequest& request) {
  request.Kind = DialogKind::Color;
  if (request.CustomColors.size() > 16) request.CustomColors.resize(16);
  if (g_script) {
    const DialogAnswer a = NextAnswer(request);
    if (a.Result != mrOk) return false;
    request.Color = a.Color;
    return true;
  }
  RefuseUnanswerable(request);
  for (int i = 0; i < static_cast<int>(request.CustomColors.size()); ++i)
    QColorDialog::setCustomColor(i, gfx::ToQColor(request.CustomColors[static_cast<size_t>(i)]));
  QColorDialog dialog(gfx::ToQColor(request.Color), ActiveWindowWidget());
  const bool ok = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < static_cast<int>(request.CustomColors.size()); ++i) {
    request.CustomColors[static_cast<size_t>(i)] = gfx::FromQColor(QColorDialog::customColor(i));
  }
  if (!ok) return false;
  request.Color = gfx::FromQColor(dialog.selectedColor());
  return true;
}

bool DialogService::ExecutePrintDialog(DialogRequest& request, const std::function<bool(DialogRequest&)>& show) {
  request.Kind = DialogKind::Print;
  if (g_script) {
    const DialogAnswer a = NextAnswer(request);
    if (a.Result != mrOk) return false;
    if (!a.FileName.empty()) request.FileName = a.FileName;
    return true;
  }
  RefuseUnanswerable(request);
  return show(request);
}

}  // namespace ui
