#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "platform/ui/Application.h"
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
  answers_.push_back({result, {}, {}});
  return *this;
}

DialogScript& DialogScript::AnswerFile(const AnsiString& name) {
  answers_.push_back({mrOk, name, {}});
  return *this;
}

DialogScript& DialogScript::AnswerFile(const AnsiString& name, std::function<void(TForm&)> onPanel) {
  answers_.push_back({mrOk, name, std::move(onPanel)});
  return *this;
}

DialogScript& DialogScript::CancelFile() {
  answers_.push_back({mrCancel, {}, {}});
  return *this;
}

DialogScript& DialogScript::AnswerForm(std::function<void(TForm&)> action) {
  answers_.push_back({0, {}, std::move(action)});
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

// The chosen name with "." + ext added when its last component has no extension.
AnsiString WithDefaultExt(const AnsiString& name, const AnsiString& ext) {
  if (ext.empty() || name.empty()) return name;
  const size_t slash = name.find_last_of("/\\");
  const size_t base = slash == AnsiString::npos ? 0 : slash + 1;
  if (name.find('.', base) != AnsiString::npos || base >= name.size()) return name;
  return name + "." + ext;
}

// Docks the panel forms into a file dialog while it shows and gives them back after.
class DockedPanels {
 public:
  DockedPanels(QFileDialog& dialog, TForm* bottom, TForm* right) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr) return;
    const int rows = grid->rowCount(), cols = grid->columnCount();
    Dock(grid, right, 0, cols, rows, 1);
    Dock(grid, bottom, rows, 0, 1, cols);
  }
  ~DockedPanels() {
    for (const Docked& d : docked_) {
      d.widget->hide();
      d.widget->setParent(d.parent, d.flags);
    }
  }
  DockedPanels(const DockedPanels&) = delete;
  DockedPanels& operator=(const DockedPanels&) = delete;

 private:
  struct Docked {
    QWidget* widget;
    QWidget* parent;
    Qt::WindowFlags flags;
  };
  void Dock(QGridLayout* grid, TForm* form, int row, int col, int rows, int cols) {
    if (form == nullptr) return;
    form->HandleNeeded();
    QWidget* w = ui::detail::WidgetOf(form);
    if (w == nullptr) return;
    docked_.push_back({w, w->parentWidget(), w->windowFlags()});
    w->setParent(nullptr);
    w->setWindowFlags(Qt::Widget);
    w->setMinimumSize(form->Width(), form->Height());
    grid->addWidget(w, row, col, rows, cols);
    w->show();
  }
  std::vector<Docked> docked_;
};

}  // namespace

bool DialogService::ExecuteFileDialog(DialogRequest& request) {
  if (g_script) {
    const DialogAnswer a = NextAnswer(request);
    if (a.Result != mrOk) return false;
    if (request.OnSelectFile) request.OnSelectFile(a.FileName);
    if (a.OnForm) {
      TForm* panel = request.BottomPanel ? request.BottomPanel : request.RightPanel;
      if (panel == nullptr) throw EUnscriptedDialog("Scripted panel action, but " + Describe(request) + " has no panel");
      a.OnForm(*panel);
    }
    request.FileName = WithDefaultExt(a.FileName, request.DefaultExt);
    return true;
  }
  RefuseUnanswerable(request);
  QString start = gfx::ToQString(request.InitialDir);
  if (!request.FileName.empty()) start = start.isEmpty() ? gfx::ToQString(request.FileName) : start + QLatin1Char('/') + gfx::ToQString(request.FileName);
  const QString caption = gfx::ToQString(request.Caption), filter = QtFilter(request.Filter);
  const bool save = request.Kind == DialogKind::SaveFile;
  QFileDialog dialog(ActiveWindowWidget(), caption, start, filter);
  // Our own dialog, so that panels can be docked into it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (request.OnSelectFile) {
    const auto select = request.OnSelectFile;
    QObject::connect(&dialog, &QFileDialog::currentChanged, [select](const QString& path) {
      try {
        select(gfx::FromQString(path));
      } catch (...) {
        DialogService::RecordFailure(std::current_exception());
      }
    });
  }
  QStringList chosen;
  {
    DockedPanels panels(dialog, request.BottomPanel, request.RightPanel);
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen = dialog.selectedFiles();
  }
  RethrowFailure();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
  request.FileName = WithDefaultExt(gfx::FromQString(chosen.front()), request.DefaultExt);
  return true;
}

}  // namespace ui
