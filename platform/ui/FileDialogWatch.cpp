#include "platform/ui/detail/FileDialogWatch.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QAction>
#include <QCompleter>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyle>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <vector>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/ui/WindowMessages.h"
#include "platform/ui/detail/QtControls.h"

namespace ui::detail {

namespace {

// Runs a request callback from a Qt signal or event, where nothing may be thrown.
template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    DialogService::RecordFailure(std::current_exception());
  }
}

// Draws the list's entries with the underline and grid-line styles asked for.
class StyledEntries : public QStyledItemDelegate {
 public:
  StyledEntries(QObject* parent, const FileListStyles& s, bool report)
      : QStyledItemDelegate(parent), s_(s), report_(report) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool hot = option->state & QStyle::State_MouseOver;
    if ((hot && s_.UnderlineHot) || (!hot && s_.UnderlineCold)) option->font.setUnderline(true);
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (s_.GridLines && report_) {
      painter->save();
      painter->setPen(option.palette.color(QPalette::Mid));
      painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
      painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
      painter->restore();
    }
  }

 private:
  FileListStyles s_;
  bool report_;
};

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}

// The window message an event stands for; false for events that have none.
bool MessageOfEvent(const QEvent& e, TMessage& m) {
  m = TMessage{};
  switch (e.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& k = static_cast<const QKeyEvent&>(e);
      m.Msg = e.type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP;
      m.WParam = VirtualKeyFromQt(k.key(), k.modifiers());
      m.LParam = k.isAutoRepeat() ? (LPARAM{1} << 30) : 0;
      return m.WParam != 0;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      const auto& me = static_cast<const QMouseEvent&>(e);
      const int step = e.type() == QEvent::MouseButtonPress ? 0 : e.type() == QEvent::MouseButtonRelease ? 1 : 2;
      if (e.type() == QEvent::MouseMove) m.Msg = WM_MOUSEMOVE;
      else if (me.button() == Qt::LeftButton) m.Msg = WM_LBUTTONDOWN + step;
      else if (me.button() == Qt::RightButton) m.Msg = WM_RBUTTONDOWN + step;
      else if (me.button() == Qt::MiddleButton) m.Msg = WM_MBUTTONDOWN + step;
      else return false;
      const QPoint p = me.position().toPoint();
      m.LParam = PointParam(p.x(), p.y());
      return true;
    }
    case QEvent::Wheel: {
      const auto& w = static_cast<const QWheelEvent&>(e);
      m.Msg = WM_MOUSEWHEEL;
      m.WParam = static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(w.angleDelta().y()))) << 16;
      const QPoint p = w.globalPosition().toPoint();
      m.LParam = PointParam(p.x(), p.y());
      return true;
    }
    case QEvent::Paint: m.Msg = WM_PAINT; return true;
    case QEvent::Resize: {
      const QSize sz = static_cast<const QResizeEvent&>(e).size();
      m.Msg = WM_SIZE;
      m.LParam = PointParam(sz.width(), sz.height());
      return true;
    }
    case QEvent::Move: {
      const QPoint p = static_cast<const QMoveEvent&>(e).pos();
      m.Msg = WM_MOVE;
      m.LParam = PointParam(p.x(), p.y());
      return true;
    }
    case QEvent::FocusIn: m.Msg = WM_SETFOCUS; return true;
    case QEvent::FocusOut: m.Msg = WM_KILLFOCUS; return true;
    case QEvent::Close: m.Msg = WM_CLOSE; return true;
    case QEvent::Show:
    case QEvent::Hide: m.Msg = WM_SHOWWINDOW; m.WParam = e.type() == QEvent::Show ? 1 : 0; return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: m.Msg = WM_ACTIVATE; m.WParam = e.type() == QEvent::WindowActivate ? 1 : 0; return true;
    case QEvent::ContextMenu: {
      const QPoint p = static_cast<const QContextMenuEvent&>(e).globalPos();
      m.Msg = WM_CONTEXTMENU;
      m.LParam = PointParam(p.x(), p.y());
      return true;
    }
    case QEvent::Timer: m.Msg = WM_TIMER; m.WParam = static_cast<WPARAM>(static_cast<const QTimerEvent&>(e).timerId()); return true;
    default: return false;
  }
}

// Events Qt offers to the parents of a control that did not take them.
bool PassedToParents(QEvent::Type t) {
  switch (t) {
    case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: case QEvent::MouseMove: case QEvent::Wheel: case QEvent::ContextMenu:
      return true;
    default: return false;
  }
}

// Hands every event of the dialog window and of the controls in it to the caller as a
// window message: before it is handled (the caller may drop it) and once it was handled.
class EventHook : public QObject {
 public:
  EventHook(QDialog& outer, DialogRequest& r) : outer_(outer), r_(r) { qApp->installEventFilter(this); }

  bool eventFilter(QObject* o, QEvent* e) override {
    if (!o->isWidgetType() || std::find(delivering_.begin(), delivering_.end(), e) != delivering_.end()) return false;
    if (static_cast<QWidget*>(o)->window() != &outer_) return false;
    TMessage m;
    if (!MessageOfEvent(*e, m)) return false;
    bool allow = true;
    if (r_.OnEventHooking) Guarded([&] { allow = r_.OnEventHooking(m); });
    if (!allow) {
      // Dropped: neither the control nor its parents see it.
      if (PassedToParents(e->type())) e->accept();
      else if (e->type() == QEvent::Close) e->ignore();  // a dropped close keeps the window open
      return true;
    }
    if (!r_.OnEventHook) return false;
    // The event is handled here, as it would have been (parents included, the application's
    // own routing already done), so that the caller can be told after.
    delivering_.push_back(e);
    const bool handled = qApp->QApplication::notify(o, e);
    delivering_.pop_back();
    m.Result = handled ? 1 : 0;
    Guarded([&] { r_.OnEventHook(m); });
    // It went to the parents already; taken, Qt does not pass it on a second time.
    if (PassedToParents(e->type())) e->accept();
    return true;
  }

 private:
  QDialog& outer_;
  DialogRequest& r_;
  std::vector<QEvent*> delivering_;
};

class Watch : public QObject {
 public:
  Watch(QDialog& outer, QFileDialog& d, DialogRequest& r, std::function<void()> applyItems)
      : outer_(outer), d_(d), r_(r), applyItems_(std::move(applyItems)) {
    outer_.installEventFilter(this);
    list_ = d.findChild<QListView*>(QStringLiteral("listView"));
    tree_ = d.findChild<QTreeView*>(QStringLiteral("treeView"));
    edit_ = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (edit_ != nullptr) {
      connect(edit_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (r_.OnFileNameText) Guarded([&] { r_.OnFileNameText(gfx::FromQString(t)); });
      });
      edit_->installEventFilter(this);
      // Enter may reach the box through its completion list.
      if (edit_->completer() != nullptr && edit_->completer()->popup() != nullptr) {
        popup_ = edit_->completer()->popup();
        popup_->installEventFilter(this);
      }
    }
    reported_ = d.directory().absolutePath();
    connect(&d, &QFileDialog::directoryEntered, this, [this](const QString& path) { reported_ = path; });
    RerouteButton("toParentButton", "_q_navigateToParent", FileDialogCommand::UpLevel);
    RerouteAction("qt_goto_parent_action", "_q_navigateToParent", FileDialogCommand::UpLevel);
    RerouteButton("backButton", "_q_navigateBackward", FileDialogCommand::LastFolder);
    RerouteButton("newFolderButton", "_q_createDirectory", FileDialogCommand::NewFolder);
    RerouteAction("qt_new_folder_action", "_q_createDirectory", FileDialogCommand::NewFolder);
    if (list_ != nullptr) {
      listIconSize_ = list_->iconSize();
      AddIconViewButtons();
    }
    RerouteView("iconModeButton", "_q_showListView", FileListView::Icon);
    RerouteView("smallIconModeButton", "_q_showListView", FileListView::SmallIcon);
    RerouteView("listModeButton", "_q_showListView", FileListView::List);
    RerouteView("detailModeButton", "_q_showDetailsView", FileListView::Report);
    if (auto* del = d.findChild<QAction*>(QStringLiteral("qt_delete_action")); del && HasSlot("_q_deleteCurrent")) {
      disconnect(del, nullptr, &d_, nullptr);
      connect(del, &QAction::triggered, this, [this] {
        if (r_.ListStyles.EnableDelete) QMetaObject::invokeMethod(&d_, "_q_deleteCurrent", Qt::DirectConnection);
      });
    }
    WatchDesktop();
    if (r_.OnEventHooking || r_.OnEventHook) hook_ = std::make_unique<EventHook>(outer_, r_);
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(tree_)}) {
      if (v == nullptr) continue;
      v->installEventFilter(this);
      v->viewport()->installEventFilter(this);
      ApplyStyles(*v);
    }
  }

  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == &outer_) {
      // Each paint applies the items again, once the paint is over: whatever showed the file
      // list meanwhile is undone.
      if (e->type() == QEvent::Paint && !applyPending_) {
        applyPending_ = true;
        QMetaObject::invokeMethod(this, [this] {
          applyPending_ = false;
          if (applyItems_) applyItems_();
        }, Qt::QueuedConnection);
      }
      return false;
    }
    if (o == edit_ || o == popup_) {
      if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
          if (!Ask(FileDialogCommand::FileNameEnter)) return true;
          if (FilterByTypedPattern()) return true;
        }
      }
      return false;
    }
    // The dialog's context menu: the commands the styles forbid are greyed as it shows.
    if (e->type() == QEvent::Show && qobject_cast<QMenu*>(o) != nullptr) {
      GreyMenuCommands();
      return false;
    }
    QAbstractItemView* view = ViewOf(o);
    if (view == nullptr) return false;
    if (e->type() == QEvent::ChildPolished && o == view) {
      if (auto* menu = qobject_cast<QMenu*>(static_cast<QChildEvent*>(e)->child())) menu->installEventFilter(this);
      return false;
    }
    if (e->type() == QEvent::ContextMenu && o == view->viewport()) {
      const bool selected = view->selectionModel() && view->selectionModel()->hasSelection();
      return selected ? !r_.ListStyles.PopupOnSelection : !r_.ListStyles.PopupOnEmpty;
    }
    if (o != view) return false;
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Delete && !r_.ListStyles.EnableDelete) {
        e->accept();
        return true;
      }
      if (e->type() != QEvent::KeyPress) return false;
      FileDialogCommand c;
      if (k->key() == Qt::Key_Backspace && k->modifiers() == Qt::NoModifier) c = FileDialogCommand::UpLevel;
      else if (k->key() == Qt::Key_Up && k->modifiers() == Qt::AltModifier) c = FileDialogCommand::UpLevel;
      else if (k->key() == Qt::Key_Left && k->modifiers() == Qt::AltModifier) c = FileDialogCommand::LastFolder;
      else return false;
      if (!Ask(c)) return true;
      // The view runs the command as the key goes on; it is told once that is done.
      QMetaObject::invokeMethod(this, [this, c] { Done(c); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  // A name with a wildcard ("*.rom", "maps/*.map") typed and entered names no file: the
  // list shows the entries it matches (in its folder, when it has one) and the dialog stays.
  bool FilterByTypedPattern() {
    const QString text = edit_->text().trimmed();
    if (!text.contains(QLatin1Char('*')) && !text.contains(QLatin1Char('?'))) return false;
    auto* model = d_.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
    if (model == nullptr) return false;
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    const QString pattern = slash >= 0 ? text.mid(slash + 1) : text;
    if (slash >= 0) {
      const QString folder = QDir(d_.directory()).absoluteFilePath(slash == 0 ? QStringLiteral("/") : text.left(slash));
      if (!QFileInfo(folder).isDir()) return false;
      d_.setDirectory(folder);
      const QString now = d_.directory().absolutePath();
      if (now != reported_) {
        reported_ = now;
        if (r_.OnFolderChange) Guarded([&] { r_.OnFolderChange(gfx::FromQString(now)); });
      }
    }
    if (popup_ != nullptr) popup_->hide();
    model->setNameFilters(pattern.split(QRegularExpression(QStringLiteral("[;,\\s]+")), Qt::SkipEmptyParts));
    edit_->setText(pattern);
    edit_->selectAll();
    return true;
  }
  bool HasSlot(const char* slot) const {
    return d_.metaObject()->indexOfSlot((QByteArray(slot) + "()").constData()) >= 0;
  }
  bool Ask(FileDialogCommand c) {
    bool allow = true;
    if (r_.OnCommand) Guarded([&] { allow = r_.OnCommand(c); });
    return allow;
  }
  void Done(FileDialogCommand c) {
    if (r_.OnCommandDone) Guarded([&] { r_.OnCommandDone(c); });
  }
  void Run(const char* slot, FileDialogCommand c) {
    if (!Ask(c)) return;
    QMetaObject::invokeMethod(&d_, slot, Qt::DirectConnection);
    // Going back changes the folder without the dialog announcing it.
    const QString now = d_.directory().absolutePath();
    if (now != reported_) {
      reported_ = now;
      if (r_.OnFolderChange) Guarded([&] { r_.OnFolderChange(gfx::FromQString(now)); });
    }
    Done(c);
  }
  // The button's click asks first, then runs the dialog's own command.
  void RerouteButton(const char* name, const char* slot, FileDialogCommand c) {
    auto* b = d_.findChild<QAbstractButton*>(QLatin1String(name));
    if (b == nullptr || !HasSlot(slot) || !disconnect(b, nullptr, &d_, nullptr)) return;
    connect(b, &QAbstractButton::clicked, this, [this, slot, c] { Run(slot, c); });
  }
  void RerouteAction(const char* name, const char* slot, FileDialogCommand c) {
    auto* a = d_.findChild<QAction*>(QLatin1String(name));
    if (a == nullptr || !HasSlot(slot) || !disconnect(a, nullptr, &d_, nullptr)) return;
    connect(a, &QAction::triggered, this, [this, slot, c] { Run(slot, c); });
  }
  void RerouteView(const char* name, const char* slot, FileListView to) {
    auto* b = d_.findChild<QAbstractButton*>(QLatin1String(name));
    if (b == nullptr || !HasSlot(slot)) return;
    disconnect(b, nullptr, &d_, nullptr);
    connect(b, &QAbstractButton::clicked, this, [this, slot, to] {
      const FileListView from = CurrentView(d_);
      if (from == to) return;
      bool allow = true;
      if (r_.OnViewChanging) Guarded([&] { allow = r_.OnViewChanging(from, to); });
      if (!allow) return;
      QMetaObject::invokeMethod(&d_, slot, Qt::DirectConnection);
      if (to != FileListView::Report) ShowListAs(to);
      else
        for (const char* name : {"iconModeButton", "smallIconModeButton"})
          if (auto* other = d_.findChild<QAbstractButton*>(QLatin1String(name))) other->setDown(false);
      // The dialog's own switch shows the list: a list the caller hides, or a form in its
      // place, stays so.
      if (applyItems_) applyItems_();
      if (r_.OnViewChange) Guarded([&] { r_.OnViewChange(to); });
    });
  }
  // Large and small icons are ways of the dialog's own list: two more buttons before its list
  // and details buttons.
  void AddIconViewButtons() {
    auto* listButton = d_.findChild<QToolButton*>(QStringLiteral("listModeButton"));
    if (listButton == nullptr) return;
    QBoxLayout* row = nullptr;
    for (QBoxLayout* l : d_.findChildren<QBoxLayout*>())
      if (l->indexOf(listButton) >= 0) row = l;
    if (row == nullptr) return;
    const struct {
      const char* name;
      QStyle::StandardPixmap icon;
      const char* tip;
    } buttons[] = {{"iconModeButton", QStyle::SP_FileDialogContentsView, "Large Icons"},
                   {"smallIconModeButton", QStyle::SP_FileDialogInfoView, "Small Icons"}};
    for (const auto& b : buttons) {
      auto* button = new QToolButton(&d_);
      button->setObjectName(QLatin1String(b.name));
      button->setIcon(d_.style()->standardIcon(b.icon, nullptr, &d_));
      button->setToolTip(QLatin1String(b.tip));
      button->setAutoRaise(listButton->autoRaise());
      button->setFixedSize(listButton->sizeHint());
      row->insertWidget(row->indexOf(listButton), button);
    }
  }
  // The list shows its entries as large icons (in rows, the name under each), small icons (in
  // rows, the name beside each) or as a list (in columns).
  void ShowListAs(FileListView v) {
    if (list_ == nullptr) return;
    list_->setViewMode(v == FileListView::Icon ? QListView::IconMode : QListView::ListMode);
    list_->setFlow(v == FileListView::List ? QListView::TopToBottom : QListView::LeftToRight);
    list_->setMovement(QListView::Static);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setWordWrap(v == FileListView::Icon);
    list_->setIconSize(v == FileListView::Icon ? QSize(32, 32) : listIconSize_);
    list_->setGridSize(v == FileListView::Icon ? QSize(96, 72) : QSize());
    list_->setSpacing(v == FileListView::SmallIcon ? 2 : 0);
    for (const char* name : {"iconModeButton", "smallIconModeButton", "listModeButton"})
      if (auto* b = d_.findChild<QAbstractButton*>(QLatin1String(name)))
        b->setDown(QLatin1String(name) == QLatin1String(v == FileListView::Icon        ? "iconModeButton"
                                                          : v == FileListView::SmallIcon ? "smallIconModeButton"
                                                                                         : "listModeButton"));
    list_->doItemsLayout();
  }
  // The side list gets the desktop folder; going there is asked first and told after.
  void WatchDesktop() {
    auto* side = d_.findChild<QListView*>(QStringLiteral("sidebar"));
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (side == nullptr || desktop.isEmpty() || !QFileInfo(desktop).isDir() || side->selectionModel() == nullptr) return;
    const QUrl url = QUrl::fromLocalFile(desktop);
    QList<QUrl> urls = d_.sidebarUrls();
    if (!urls.contains(url)) {
      urls << url;
      d_.setSidebarUrls(urls);
    }
    const QMetaObject* mo = side->metaObject();
    QMetaMethod go;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
      if (mo->method(i).methodType() == QMetaMethod::Slot && mo->method(i).name() == "clicked") go = mo->method(i);
    if (!go.isValid()) return;
    QItemSelectionModel* sel = side->selectionModel();
    if (!disconnect(sel, SIGNAL(currentChanged(QModelIndex,QModelIndex)), side, SLOT(clicked(QModelIndex)))) return;
    connect(sel, &QItemSelectionModel::currentChanged, this,
            [this, side, sel, go, url](const QModelIndex& now, const QModelIndex& before) {
              if (going_back_) return;
              const bool toDesktop = now.data(Qt::UserRole + 1).toUrl() == url;
              if (toDesktop && !Ask(FileDialogCommand::Desktop)) {
                going_back_ = true;
                if (before.isValid()) sel->setCurrentIndex(before, QItemSelectionModel::ClearAndSelect);
                else sel->clear();
                going_back_ = false;
                return;
              }
              go.invoke(side, Qt::DirectConnection, Q_ARG(QModelIndex, now));
              if (toDesktop) Done(FileDialogCommand::Desktop);
            });
  }
  void ApplyStyles(QAbstractItemView& v) {
    const FileListStyles& s = r_.ListStyles;
    const bool report = &v == tree_;
    if (s.UnderlineHot || s.UnderlineCold || s.GridLines) v.setItemDelegate(new StyledEntries(&v, s, report));
    if (s.HotTrack || s.UnderlineHot || s.UnderlineCold) {
      v.setMouseTracking(true);
      v.viewport()->setAttribute(Qt::WA_Hover, true);
    }
    if (s.HotTrack)
      connect(&v, &QAbstractItemView::entered, this, [&v](const QModelIndex& i) {
        if (v.selectionModel()) v.selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      });
    // The dialog opens entries through their activation: one click activates.
    if (s.OneClick)
      connect(&v, &QAbstractItemView::clicked, this, [&v](const QModelIndex& i) { emit v.activated(i); });
    if (s.OneClick || s.HotTrack) v.viewport()->setCursor(s.OneClick ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (s.RowSelect) v.setSelectionBehavior(QAbstractItemView::SelectRows);
    if (s.FlatScrollBars)
      v.setStyleSheet(QStringLiteral("QScrollBar { border: none; background: palette(window); }"
                                     "QScrollBar::handle { background: palette(mid); border: none; }"
                                     "QScrollBar::add-line, QScrollBar::sub-line { border: none; background: palette(button); }"));
    if (!s.EnableEdit) v.setEditTriggers(QAbstractItemView::NoEditTriggers);
  }
  void GreyMenuCommands() {
    if (!r_.ListStyles.EnableEdit)
      if (auto* a = d_.findChild<QAction*>(QStringLiteral("qt_rename_action"))) a->setEnabled(false);
    if (!r_.ListStyles.EnableDelete)
      if (auto* a = d_.findChild<QAction*>(QStringLiteral("qt_delete_action"))) a->setEnabled(false);
  }
  QAbstractItemView* ViewOf(QObject* o) const {
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(tree_)})
      if (v != nullptr && (o == v || o == v->viewport())) return v;
    return nullptr;
  }

  QDialog& outer_;
  QFileDialog& d_;
  DialogRequest& r_;
  QListView* list_ = nullptr;
  QTreeView* tree_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QWidget* popup_ = nullptr;
  QSize listIconSize_;  // the list's icons as the dialog made them
  QString reported_;  // the folder last reported to the caller
  bool going_back_ = false;
  std::unique_ptr<EventHook> hook_;
  std::function<void()> applyItems_;
  bool applyPending_ = false;
};

}  // namespace

FileListView CurrentView(QFileDialog& dialog) {
  auto* stack = dialog.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
  auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (stack != nullptr && tree != nullptr && stack->currentWidget() != nullptr &&
      stack->currentWidget()->isAncestorOf(tree))
    return FileListView::Report;
  auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (list != nullptr && list->viewMode() == QListView::IconMode) return FileListView::Icon;
  if (list != nullptr && list->flow() == QListView::LeftToRight) return FileListView::SmallIcon;
  return FileListView::List;
}

namespace {

TRect ScreenRect(QWidget* w) {
  if (w == nullptr || !w->isVisible()) return TRect();
  const QPoint p = w->mapToGlobal(QPoint(0, 0));
  return TRect(p.x(), p.y(), p.x() + w->width(), p.y() + w->height());
}

}  // namespace

TRect CommandButtonRect(QFileDialog& dialog, FileDialogCommand command) {
  const char* name = nullptr;
  switch (command) {
    case FileDialogCommand::UpLevel: name = "toParentButton"; break;
    case FileDialogCommand::LastFolder: name = "backButton"; break;
    case FileDialogCommand::NewFolder: name = "newFolderButton"; break;
    default: return TRect();
  }
  return ScreenRect(dialog.findChild<QWidget*>(QLatin1String(name)));
}

TRect ViewButtonRect(QFileDialog& dialog, FileListView view) {
  const char* name = view == FileListView::Icon        ? "iconModeButton"
                     : view == FileListView::SmallIcon ? "smallIconModeButton"
                     : view == FileListView::List      ? "listModeButton"
                                                       : "detailModeButton";
  return ScreenRect(dialog.findChild<QWidget*>(QLatin1String(name)));
}

TRect FileListRect(QFileDialog& dialog) {
  auto* v = CurrentView(dialog) == FileListView::Report ? static_cast<QAbstractItemView*>(dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
                                                        : static_cast<QAbstractItemView*>(dialog.findChild<QListView*>(QStringLiteral("listView")));
  return v != nullptr ? ScreenRect(v->viewport()) : TRect();
}

bool MenuShowing(QFileDialog& dialog) {
  for (QMenu* m : dialog.findChildren<QMenu*>())
    if (m->isVisible()) return true;
  return false;
}

std::unique_ptr<QObject> WatchFileDialog(QDialog& outer, QFileDialog& dialog, DialogRequest& request,
                                         std::function<void()> applyItems) {
  return std::make_unique<Watch>(outer, dialog, request, std::move(applyItems));
}

}  // namespace ui::detail
