#include "platform/stdctrls/Menus.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcutEvent>
#include <algorithm>
#include <cctype>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/detail/QtControls.h"

// ---- shortcuts and accelerators ----

namespace {

struct KeyName {
  WORD key;
  const char* name;
  int qt;
};
// Names as menus show them; the Qt key makes the window-system shortcut.
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp", Qt::Key_Backspace}, {VK_TAB, "Tab", Qt::Key_Tab},
    {VK_RETURN, "Enter", Qt::Key_Return}, {VK_ESCAPE, "Esc", Qt::Key_Escape},
    {VK_SPACE, "Space", Qt::Key_Space},   {VK_PRIOR, "PgUp", Qt::Key_PageUp},
    {VK_NEXT, "PgDn", Qt::Key_PageDown},  {VK_END, "End", Qt::Key_End},
    {VK_HOME, "Home", Qt::Key_Home},      {VK_LEFT, "Left", Qt::Key_Left},
    {VK_UP, "Up", Qt::Key_Up},            {VK_RIGHT, "Right", Qt::Key_Right},
    {VK_DOWN, "Down", Qt::Key_Down},      {VK_INSERT, "Ins", Qt::Key_Insert},
    {VK_DELETE, "Del", Qt::Key_Delete},   {VK_ADD, "Num +", Qt::Key_Plus},
    {VK_SUBTRACT, "Num -", Qt::Key_Minus}, {VK_MULTIPLY, "Num *", Qt::Key_Asterisk},
    {VK_DIVIDE, "Num /", Qt::Key_Slash},
};

AnsiString KeyText(WORD key, int* qt = nullptr) {
  for (const KeyName& k : kKeyNames)
    if (k.key == key) {
      if (qt) *qt = k.qt;
      return k.name;
    }
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    if (qt) *qt = key;
    return AnsiString(1, static_cast<char>(key));
  }
  if (key >= VK_F1 && key <= VK_F24) {
    if (qt) *qt = Qt::Key_F1 + (key - VK_F1);
    return "F" + IntToStr(key - VK_F1 + 1);
  }
  if (qt) *qt = 0;
  return "";
}

QKeySequence ToQKeySequence(TShortCut sc) {
  int qt = 0;
  KeyText(static_cast<WORD>(sc & 0xFF), &qt);
  if (!qt) return {};
  int mods = 0;
  if (sc & scShift) mods |= Qt::SHIFT;
  if (sc & scCtrl) mods |= Qt::CTRL;
  if (sc & scAlt) mods |= Qt::ALT;
  return QKeySequence(qt | mods);
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut sc = Key;
  if (Shift.Contains(ssShift)) sc |= scShift;
  if (Shift.Contains(ssCtrl)) sc |= scCtrl;
  if (Shift.Contains(ssAlt)) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut sc, WORD& Key, TShiftState& Shift) {
  Key = sc & 0xFF;
  Shift = {};
  if (sc & scShift) Shift << ssShift;
  if (sc & scCtrl) Shift << ssCtrl;
  if (sc & scAlt) Shift << ssAlt;
}

AnsiString ShortCutToText(TShortCut sc) {
  AnsiString name = KeyText(static_cast<WORD>(sc & 0xFF));
  if (name.empty()) return "";
  AnsiString r;
  if (sc & scShift) r += "Shift+";
  if (sc & scCtrl) r += "Ctrl+";
  if (sc & scAlt) r += "Alt+";
  return r + name;
}

TShortCut TextToShortCut(const AnsiString& Text) {
  AnsiString rest = Text;
  TShortCut mods = 0;
  for (bool found = true; found;) {
    found = false;
    for (auto [prefix, flag] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
      AnsiString p = prefix;
      if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
        mods |= flag;
        rest = rest.substr(p.size());
        found = true;
      }
    }
  }
  for (int key = 1; key < 256; ++key) {
    AnsiString name = KeyText(static_cast<WORD>(key));
    if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(key | mods);
  }
  return scNone;
}

AnsiString StripHotkey(const AnsiString& Text) {
  AnsiString r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') {
        r += '&';
        ++i;
      }
      continue;
    }
    r += Text[i];
  }
  return r;
}

char GetHotkey(const AnsiString& Text) {
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != '&') continue;
    if (Text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(Text[i + 1])));
  }
  return 0;
}

bool IsAccel(char Key, const AnsiString& Text) {
  char h = GetHotkey(Text);
  return h && h == static_cast<char>(std::toupper(static_cast<unsigned char>(Key)));
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  // Children that belong to an owner are freed by it; free only the unowned ones.
  std::vector<TMenuItem*> children;
  children.swap(items_);
  for (TMenuItem* c : children) {
    c->parent_ = nullptr;
    if (!c->Owner()) delete c;
  }
}

TMenu* TMenuItem::Menu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

void TMenuItem::Changed() {
  if (TMenu* m = Menu()) m->MenuChanged();
}

void TMenuItem::SetCaption(const AnsiString& v) {
  caption_ = v;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut v) {
  shortcut_ = v;
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  checked_ = v;
  if (v && radio_item_ && parent_) {
    for (TMenuItem* s : parent_->items_)
      if (s != this && s->radio_item_ && s->group_index_ == group_index_) s->checked_ = false;
  }
  Changed();
}

void TMenuItem::SetRadioItem(bool v) {
  radio_item_ = v;
  if (checked_) SetChecked(true);
  Changed();
}

void TMenuItem::SetGroupIndex(int v) {
  group_index_ = v;
  if (checked_) SetChecked(true);
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  enabled_ = v;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void TMenuItem::SetDefault(bool v) {
  default_ = v;
  Changed();
}

int TMenuItem::MenuIndex() const {
  if (!parent_) return -1;
  auto it = std::find(parent_->items_.begin(), parent_->items_.end(), this);
  return static_cast<int>(it - parent_->items_.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->parent_) throw EInvalidOperation("Menu item already has a parent");
  if (Index < 0 || Index > Count()) throw EListError("Menu index out of range");
  items_.insert(items_.begin() + Index, Item);
  Item->parent_ = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(items_.begin(), items_.end(), Item);
  if (it == items_.end()) return;
  items_.erase(it);
  Item->parent_ = nullptr;
  Changed();
}

void TMenuItem::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError("Menu index out of range");
  delete items_[static_cast<size_t>(Index)];  // its destructor takes it out
}

void TMenuItem::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  AnsiString want = StripHotkey(ACaption);
  for (TMenuItem* c : items_)
    if (SameText(StripHotkey(c->caption_), want)) return c;
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  // A command acts on what its window shows: a number typed into the focused control is
  // taken first, and a bad one keeps the command from running.
  for (TComponent* c = Owner(); c != nullptr; c = c->Owner())
    if (auto* f = dynamic_cast<TForm*>(c)) {
      if (!f->CommitActiveControl()) return;
      break;
    }
  if (auto_check_) SetChecked(!checked_ || radio_item_);
  if (OnClick) OnClick(this);
}

// ---- TMenu ----

struct TMenu::Impl {
  QPointer<QMenu> popup;
  QPointer<QMenuBar> bar;
  QPointer<QObject> nextByMnemonic;  // a child of the bar
};

namespace {

// Keeps a form's menu bar as wide as the form: the bar is a child widget placed at the
// top, so it must follow every resize of its window or its items fold into the
// overflow button.
class BarFollower : public QObject {
 public:
  explicit BarFollower(QMenuBar* bar) : QObject(bar), bar_(bar) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && bar_ && watched == bar_->parentWidget())
      bar_->setGeometry(0, 0, bar_->parentWidget()->width(), bar_->sizeHint().height());
    return false;
  }

 private:
  QMenuBar* bar_;
};

// The mnemonic letter of a menu text ("&Comms" -> 'C'), none for "&&" or no "&".
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

// Several menus of one bar may share a mnemonic ("&Configuration" and "&Comms"). With the
// menus shut, Alt and the letter always open the first of them (the window system alone
// would take turns among them from one press to the next, whatever happened in between).
// While one of them is open, pressing the mnemonic again (with Alt, or alone when no item
// of the open menu has that letter) moves on to the next menu of the bar with that letter,
// wrapping round, and opens it, as desktop menu bars do.
class NextMenuByMnemonic : public QObject {
 public:
  NextMenuByMnemonic(QMenuBar* bar) : QObject(bar), bar_(bar) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Shortcut && watched == bar_) {
      auto* shortcut = static_cast<QShortcutEvent*>(event);
      const QKeySequence keys = shortcut->key();
      if (!shortcut->isAmbiguous() || keys.isEmpty()) return false;
      const int code = keys[0].key();
      // A menu of the bar that is open already counts as the mnemonic pressed again.
      qsizetype after = -1;
      if (auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        after = bar_->actions().indexOf(open->menuAction());
      return IsLetter(code) && OpenAfter(QChar(code), after);
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* menu = qobject_cast<QMenu*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (menu == nullptr) return false;
    // Alt pressed in an open menu may start the mnemonic pressed again: the menu stays
    // open until Alt is let go alone, which closes it.
    if (key->key() == Qt::Key_Alt) {
      if (event->type() == QEvent::KeyPress) {
        altAlone_ = true;
      } else if (altAlone_) {
        altAlone_ = false;
        menu->hide();
      }
      return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    altAlone_ = false;
    // The letter from the key itself: with Alt held some systems type no text.
    const int code = key->key();
    if (!IsLetter(code)) return false;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::NoModifier && mods != Qt::AltModifier) return false;
    const QChar letter(code);
    if (mods == Qt::NoModifier) {
      for (QAction* a : menu->actions())
        if (a->isVisible() && a->isEnabled() && Mnemonic(a->text()) == letter) return false;
    }
    const qsizetype current = bar_->actions().indexOf(menu->menuAction());
    return current >= 0 && OpenAfter(letter, current);
  }

 private:
  static bool IsLetter(int code) {
    return (code >= Qt::Key_A && code <= Qt::Key_Z) || (code >= Qt::Key_0 && code <= Qt::Key_9);
  }
  // Opens the first menu with the mnemonic after the bar's item `after` (-1: from the
  // start), with its first item highlighted as when opened from the keyboard.
  bool OpenAfter(QChar letter, qsizetype after) {
    const QList<QAction*> items = bar_->actions();
    for (qsizetype step = 1; step <= items.size(); ++step) {
      QAction* next = items[(after + step) % items.size()];
      if (!next->isVisible() || !next->isEnabled() || next->menu() == nullptr || Mnemonic(next->text()) != letter)
        continue;
      bar_->setActiveAction(next);
      for (QAction* a : next->menu()->actions())
        if (a->isVisible() && a->isEnabled() && !a->isSeparator()) {
          next->menu()->setActiveAction(a);
          break;
        }
      return true;
    }
    return false;
  }

  QMenuBar* bar_;
  bool altAlone_ = false;
};

// Fills a window-system menu from the visible children of `item`.
void BuildInto(QWidget* menu, TMenuItem* item) {
  auto* asMenu = qobject_cast<QMenu*>(menu);
  auto* asBar = qobject_cast<QMenuBar*>(menu);
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    if (!c->Visible()) continue;
    if (c->IsLine()) {
      if (asMenu) asMenu->addSeparator();
      if (asBar) asBar->addSeparator();
      continue;
    }
    QString text = gfx::ToQString(c->Caption());
    if (c->Count() > 0) {
      QMenu* sub = asMenu ? asMenu->addMenu(text) : asBar->addMenu(text);
      sub->setEnabled(c->Enabled());
      BuildInto(sub, c);
      continue;
    }
    QAction* a = asMenu ? asMenu->addAction(text) : asBar->addAction(text);
    a->setEnabled(c->Enabled());
    a->setCheckable(c->Checked() || c->AutoCheck() || c->RadioItem());
    a->setChecked(c->Checked());
    if (c->ShortCut()) {
      a->setShortcut(ToQKeySequence(c->ShortCut()));
      a->setShortcutContext(Qt::WindowShortcut);
    }
    if (c->Default()) {
      QFont f = a->font();
      f.setBold(true);
      a->setFont(f);
    }
    QObject::connect(a, &QAction::triggered, a, [c]() {
      TMenuItem* item = c;
      if (item->Menu()) item->Click();
    });
  }
}

TMenuItem* FindShortCutIn(TMenuItem* item, TShortCut sc) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->ShortCut() == sc && c->Count() == 0) return c;
    if (TMenuItem* f = FindShortCutIn(c, sc)) return f;
  }
  return nullptr;
}

}  // namespace

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), items_(std::make_unique<TMenuItem>(nullptr)), impl_(std::make_unique<Impl>()) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  items_->menu_ = nullptr;
  delete impl_->popup.data();
  delete impl_->bar.data();
}

void TMenu::MenuChanged() {}

TMenuItem* TMenu::FindItemByShortCut(TShortCut sc) const {
  return sc ? FindShortCutIn(items_.get(), sc) : nullptr;
}

bool TMenu::IsShortCut(WORD Key, TShiftState Shift) {
  TMenuItem* item = FindItemByShortCut(ShortCut(Key, Shift));
  if (!item) return false;
  item->Click();
  return true;
}

TMenuItem* TMenu::FindAccel(char Key) const {
  for (int i = 0; i < items_->Count(); ++i) {
    TMenuItem* c = items_->Items(i);
    if (c->Visible() && c->Enabled() && IsAccel(Key, c->Caption())) return c;
  }
  return nullptr;
}

// ---- TMainMenu ----

namespace {

// A form's Menu changed: the old bar goes, the new one shows once the form has a window.
TComponent* SwapFormMenu(TForm* Form, TMainMenu* Old, TMainMenu* New) {
  if (New != nullptr && New->Owner() != Form)
    throw EInvalidOperation("Menu " + New->Name() + " belongs to another form");
  if (Old != nullptr) {
    Old->RemoveFreeNotification(Form);
    Old->HideBar();
  }
  if (New == nullptr) return nullptr;
  // The form's window has just been made: its menu gets its bar.
  if (New == Old) {
    New->AttachToForm();
    return New;
  }
  New->FreeNotification(Form);
  // Without a window yet, the bar comes when the form's window is made.
  if (!New->HasState(csLoading)) New->AttachToForm();
  return New;
}

}  // namespace

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) { ui::SetMainMenuHook(&SwapFormMenu); }
TMainMenu::~TMainMenu() = default;

void TMainMenu::HideBar() {
  if (impl_->bar) impl_->bar->hide();
}

void TMainMenu::AttachToForm() {
  auto* form = dynamic_cast<TForm*>(Owner());
  if (!form) return;
  // A form without a menu takes its first main menu as its bar; another form's menu
  // stays hidden.
  if (form->Menu() != this) {
    if (form->Menu() == nullptr) form->SetMenu(this);
    if (form->Menu() == this && !HasState(csLoading)) AttachToForm();
    return;
  }
  // A form's windows are made when it is first shown; asking for them here, as its form
  // is read, would make every window of a form that may never be shown at start-up.
  if (!form->HandleAllocated()) return;
  QWidget* w = ui::detail::WidgetOf(form);
  if (!w) return;
  if (!impl_->bar) {
    impl_->bar = new QMenuBar(w);
    impl_->bar->setNativeMenuBar(false);
    // The bar keeps the system menu font: the form's own font (which the window may
    // scale with its size) is not meant for the menu.
    impl_->bar->setFont(QApplication::font(impl_->bar));
    w->installEventFilter(new BarFollower(impl_->bar));
  }
  MenuChanged();
}

void TMainMenu::MenuChanged() {
  QMenuBar* bar = impl_->bar;
  if (!bar) return;
  bar->clear();
  BuildInto(bar, items_.get());
  if (impl_->nextByMnemonic == nullptr) {
    impl_->nextByMnemonic = new NextMenuByMnemonic(bar);
    bar->installEventFilter(impl_->nextByMnemonic);
  }
  for (QAction* a : bar->actions())
    if (QMenu* m = a->menu()) m->installEventFilter(impl_->nextByMnemonic);
  bar->setGeometry(0, 0, bar->parentWidget()->width(), bar->sizeHint().height());
  bar->show();
  if (auto* form = dynamic_cast<TForm*>(Owner()); form && form->Menu() == this) form->SetMenuBarHeight(bar->height());
}

int TMainMenu::BarHeight() const { return impl_->bar && impl_->bar->isVisible() ? impl_->bar->height() : 0; }

int TMainMenu::BarWidth() const { return impl_->bar && impl_->bar->isVisible() ? impl_->bar->width() : 0; }

void TMainMenu::Loaded() {
  TMenu::Loaded();
  AttachToForm();
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int X, int Y) {
  popup_point_ = {X, Y};
  if (OnPopup) OnPopup(this);
  gfx::EnsureGuiApplication();
  delete impl_->popup.data();
  impl_->popup = new QMenu();
  impl_->popup->setAttribute(Qt::WA_DeleteOnClose, false);
  BuildInto(impl_->popup, items_.get());
  QPoint at(X, Y);
  QSize size = impl_->popup->sizeHint();
  if (alignment_ == paRight) at.rx() -= size.width();
  if (alignment_ == paCenter) at.rx() -= size.width() / 2;
  impl_->popup->popup(at);
}

void TPopupMenu::CloseMenu() {
  if (impl_->popup) impl_->popup->close();
}

bool TPopupMenu::IsShown() const { return impl_->popup && impl_->popup->isVisible(); }
