#include "platform/stdctrls/Edits.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cctype>

#include "platform/stdctrls/detail/Pastes.h"
#include "platform/ui/Forms.h"
#include "platform/ui/detail/QtControls.h"

using gfx::FromQString;
using gfx::ToQString;

namespace {

QLineEdit* LineEditOf(const TControl* c) { return qobject_cast<QLineEdit*>(ui::detail::WidgetOf(c)); }
QPlainTextEdit* MemoEditOf(const TControl* c) {
  return qobject_cast<QPlainTextEdit*>(ui::detail::WidgetOf(c));
}

// Lines of a memo sit left, right or centred as the whole text's alignment says; the plain
// text widget lays every line out with its document's default option.
void AlignMemoText(QPlainTextEdit* m, TAlignment a) {
  QTextOption o = m->document()->defaultTextOption();
  o.setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
  m->document()->setDefaultTextOption(o);
}

AnsiString ApplyCase(AnsiString s, TEditCharCase cc) {
  if (cc == ecNormal) return s;
  for (char& ch : s) {
    unsigned char u = static_cast<unsigned char>(ch);
    ch = static_cast<char>(cc == ecUpperCase ? std::toupper(u) : std::tolower(u));
  }
  return s;
}

// Memo text uses CR LF between lines; the widget uses LF. Positions are converted by
// counting the line breaks before them.
AnsiString LfToCrLf(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (char ch : s) {
    if (ch == '\n') r += '\r';
    r += ch;
  }
  return r;
}
AnsiString CrLfToLf(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    r += s[i] == '\r' ? '\n' : s[i];
  }
  return r;
}

// The focus comes to the control a drop goes into, as with a click there. False when it
// stays elsewhere (a field holding a bad number keeps it): the drop is then refused.
bool TakeFocusForDrop(TWinControl* control) {
  if (control == nullptr || !control->CanFocus()) return false;
  TForm* form = control->ParentForm();
  if (form != nullptr && form->ActiveControl() == control) return true;
  control->SetFocus();
  return form == nullptr || form->ActiveControl() == control;
}

// Takes the pastes of a line edit: the paste keys, a middle click and the context menu's
// Paste, and the text dropped on it. The toolkit would insert whatever the clipboard or
// the drag holds, past every limit and rule of the control.
class PasteFilter : public QObject {
 public:
  PasteFilter(QLineEdit* edit, TWinControl* control, std::function<void(const AnsiString&)> paste)
      : QObject(edit), edit_(edit), control_(control), paste_(std::move(paste)) {}

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
        if (!static_cast<QKeyEvent*>(e)->matches(QKeySequence::Paste)) return false;
        Paste(QClipboard::Clipboard);
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (o != edit_ || m->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
          return false;
        // The selection goes in where the button is let go.
        if (e->type() == QEvent::MouseButtonRelease) {
          edit_->setCursorPosition(edit_->cursorPositionAt(m->position().toPoint()));
          Paste(QClipboard::Selection);
        }
        return true;
      }
      case QEvent::ContextMenu: {
        if (o != edit_) return false;
        QMenu* menu = edit_->createStandardContextMenu();
        // Its Paste item is tied to the line edit's own paste (by name in this toolkit).
        for (QAction* a : menu->actions())
          if (QObject::disconnect(a, SIGNAL(triggered()), edit_, SLOT(paste())) ||
              QObject::disconnect(a, &QAction::triggered, edit_, &QLineEdit::paste))
            QObject::connect(a, &QAction::triggered, this, [this] { Paste(QClipboard::Clipboard); });
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(e)->globalPos());
        return true;
      }
      // Dragging over the edit stays the toolkit's: it shows where the text would go and
      // refuses a read-only edit.
      case QEvent::Drop:
        if (o != edit_) return false;
        Drop(static_cast<QDropEvent*>(e));
        return true;
      default: return false;
    }
  }

 private:
  void Paste(QClipboard::Mode mode) {
    // text() asks for the text alone, so an empty clipboard simply gives none.
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (!text.isEmpty()) paste_(FromQString(text));
  }

  // A drop is a click where the mouse lets go and a paste of the dragged text there. It
  // is taken as a copy, so a source that moves its text out keeps whatever the edit's
  // limit or rules left out (one that only lets its text be moved is refused); a drop
  // that changes nothing is refused.
  void Drop(QDropEvent* e) {
    const QMimeData* data = e->mimeData();
    const QString text = data != nullptr && data->hasText() ? data->text() : QString();
    const QPoint at = e->position().toPoint();
    if (text.isEmpty() || !(e->possibleActions() & Qt::CopyAction) || edit_->isReadOnly() ||
        !TakeFocusForDrop(control_) || edit_->isReadOnly()) {
      e->ignore();
      return;
    }
    edit_->setCursorPosition(edit_->cursorPositionAt(at));
    const QString before = edit_->text();
    paste_(FromQString(text));
    if (edit_->text() == before) {
      e->ignore();
      return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
  }

  QLineEdit* edit_;
  TWinControl* control_;
  std::function<void(const AnsiString&)> paste_;
};

// The memo's widget hands what is pasted or dropped into it (by key, middle click,
// context menu or drag) to the memo, as plain text. The toolkit's own insertion reads the
// first of the offered formats without looking whether there is one, and an empty X
// clipboard offers none: left to it, a paste with nothing on the clipboard would end the
// program; and neither its paste nor its drop keeps to the memo's limit.
class MemoWidget : public QPlainTextEdit {
 public:
  MemoWidget(TMemo* memo, QWidget* parent) : QPlainTextEdit(parent), memo_(memo) {}

 protected:
  void dropEvent(QDropEvent* e) override {
    const QMimeData* data = e->mimeData();
    const QString text = data != nullptr && data->hasText() ? data->text() : QString();
    if (text.isEmpty() || isReadOnly()) {
      e->ignore();
      return;
    }
    // Text moved within the memo keeps its length: the toolkit moves it.
    const bool self = e->source() == this || e->source() == viewport();
    if (self && e->dropAction() == Qt::MoveAction) {
      moving_ = true;
      QPlainTextEdit::dropEvent(e);
      moving_ = false;
      return;
    }
    // Anything else is a click where the mouse lets go and a paste there, taken as a copy
    // (see the line edits' drop).
    const int at = cursorForPosition(e->position().toPoint()).position();
    if (!(e->possibleActions() & Qt::CopyAction) || !TakeFocusForDrop(memo_) || isReadOnly()) {
      e->ignore();
      return;
    }
    const int from = MemoPos(at);
    memo_->UserSelectionChanged(from, 0);
    const AnsiString before = memo_->Text();
    memo_->PasteText(FromQString(text));
    if (memo_->Text() == before) {
      e->ignore();
      return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
  }
  void insertFromMimeData(const QMimeData* source) override {
    if (source == nullptr || !source->hasText()) return;
    if (moving_) {
      QPlainTextEdit::insertFromMimeData(source);
      return;
    }
    const QString text = source->text();
    if (text.isEmpty() || isReadOnly()) return;
    // The widget's selection (the caret a middle click has just placed) in the memo's
    // positions.
    const QTextCursor c = textCursor();
    const int from = MemoPos(c.selectionStart());
    memo_->UserSelectionChanged(from, MemoPos(c.selectionEnd()) - from);
    memo_->PasteText(FromQString(text));
  }

 private:
  // A position of the widget's text in the memo's, where each line break is two characters.
  int MemoPos(int p) const {
    const QString shown = toPlainText();
    return p + static_cast<int>(shown.left(p).count(QChar('\n')));
  }

  TMemo* memo_;
  bool moving_ = false;
};

}  // namespace

AnsiString FitPastedText(const AnsiString& Pasted, bool MultiLine, int MaxLength, size_t Kept) {
  const size_t max = static_cast<size_t>(std::max(MaxLength, 0));
  const size_t room = MaxLength <= 0 ? AnsiString::npos : Kept >= max ? 0 : max - Kept;
  AnsiString r;
  for (size_t i = 0; i < Pasted.size() && Pasted[i] != '\0'; ++i) {
    const char ch = Pasted[i];
    if (ch == '\r' || ch == '\n') {
      if (!MultiLine || r.size() + 2 > room) break;
      if (ch == '\r' && i + 1 < Pasted.size() && Pasted[i + 1] == '\n') ++i;
      r += "\r\n";
      continue;
    }
    if (r.size() + 1 > room) break;
    r += ch;
  }
  return r;
}

namespace ui::detail {

void RoutePastes(QLineEdit* edit, TWinControl* control, std::function<void(const AnsiString& Text)> paste,
                 QWidget* keys) {
  for (QObject* child : edit->children())
    if (dynamic_cast<PasteFilter*>(child) != nullptr) return;
  auto* filter = new PasteFilter(edit, control, std::move(paste));
  edit->installEventFilter(filter);
  if (keys != nullptr) keys->installEventFilter(filter);
}

}  // namespace ui::detail

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateHandle() {
  auto* w = new QLineEdit(ui::detail::ParentWidget(this));
  ui::detail::InstallWidget(this, w);
  ui::detail::RoutePastes(w, this, [this](const AnsiString& t) { PasteText(t); });
  QObject::connect(w, &QLineEdit::textEdited, w, [this, w](const QString& t) {
    UserEdited(FromQString(t), w->cursorPosition());
  });
  QObject::connect(w, &QLineEdit::selectionChanged, w, [this, w]() {
    if (w->hasSelectedText())
      UserSelectionChanged(w->selectionStart(), static_cast<int>(w->selectedText().size()));
    else
      UserSelectionChanged(w->cursorPosition(), 0);
  });
  QObject::connect(w, &QLineEdit::cursorPositionChanged, w, [this, w](int, int pos) {
    if (!w->hasSelectedText()) UserSelectionChanged(pos, 0);
  });
}

void TCustomEdit::InitWidget() {
  // The new window is given the text the edit already holds. That is no change of the
  // text, so OnChange stays quiet: a handler storing the shown value would otherwise write
  // it back, limited to the edit's range, merely because the window was made.
  const bool was = making_window_;
  making_window_ = true;
  TWinControl::InitWidget();
  making_window_ = was;
  PushOptions();
  PushSelection();
}

void TCustomEdit::PushOptions() {
  if (QLineEdit* w = LineEditOf(this)) {
    w->setReadOnly(read_only_);
    w->setEchoMode(password_char_ ? QLineEdit::Password : QLineEdit::Normal);
    Qt::Alignment a = alignment_ == taRightJustify ? Qt::AlignRight
                      : alignment_ == taCenter     ? Qt::AlignHCenter
                                                   : Qt::AlignLeft;
    w->setAlignment(a | Qt::AlignVCenter);
    w->setFrame(border_style_ == bsSingleBorder);
    w->setTextMargins(left_margin_, 0, right_margin_, 0);
  } else if (QPlainTextEdit* m = MemoEditOf(this)) {
    m->setReadOnly(read_only_);
    AlignMemoText(m, alignment_);
  }
}

void TCustomEdit::PushSelection() {
  if (pushing_) return;
  pushing_ = true;
  if (QLineEdit* w = LineEditOf(this)) {
    QSignalBlocker block(w);
    if (sel_length_ > 0)
      w->setSelection(sel_start_, sel_length_);
    else
      w->setCursorPosition(sel_start_);
  } else if (QPlainTextEdit* m = MemoEditOf(this)) {
    QSignalBlocker block(m);
    auto lfPos = [this](int p) {
      const AnsiString& t = Text();
      int n = 0;
      for (int i = 0; i < p && i < static_cast<int>(t.size()); ++i)
        if (!(t[static_cast<size_t>(i)] == '\r' && i + 1 < static_cast<int>(t.size()) &&
              t[static_cast<size_t>(i) + 1] == '\n'))
          ++n;
      return n;
    };
    QTextCursor cur = m->textCursor();
    cur.setPosition(lfPos(sel_start_));
    cur.setPosition(lfPos(sel_start_ + sel_length_), QTextCursor::KeepAnchor);
    m->setTextCursor(cur);
  }
  pushing_ = false;
}

int TCustomEdit::SelStart() const { return sel_start_; }
int TCustomEdit::SelLength() const { return sel_length_; }

void TCustomEdit::SetSelStart(int v) {
  sel_start_ = std::clamp(v, 0, static_cast<int>(Text().size()));
  sel_length_ = 0;
  PushSelection();
}

void TCustomEdit::SetSelLength(int v) {
  int len = static_cast<int>(Text().size());
  sel_length_ = v < 0 ? len - sel_start_ : std::min(v, len - sel_start_);
  PushSelection();
}

AnsiString TCustomEdit::SelText() const {
  return Text().substr(static_cast<size_t>(sel_start_), static_cast<size_t>(sel_length_));
}

void TCustomEdit::SetSelText(const AnsiString& v) {
  AnsiString t = Text();
  size_t start = std::min(static_cast<size_t>(sel_start_), t.size());
  t.replace(start, std::min(static_cast<size_t>(sel_length_), t.size() - start), v);
  int caret = static_cast<int>(start + v.size());
  SetText(t);
  sel_start_ = caret;
  sel_length_ = 0;
  PushSelection();
}

void TCustomEdit::SelectAll() {
  sel_start_ = 0;
  sel_length_ = static_cast<int>(Text().size());
  PushSelection();
}

void TCustomEdit::SetMaxLength(int v) { max_length_ = std::max(0, v); }

void TCustomEdit::SetReadOnly(bool v) {
  read_only_ = v;
  PushOptions();
}

void TCustomEdit::SetPasswordChar(char v) {
  password_char_ = v;
  PushOptions();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
  char_case_ = v;
  SetText(ApplyCase(Text(), v));
}

void TCustomEdit::SetAlignment(TAlignment v) {
  alignment_ = v;
  PushOptions();
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
  border_style_ = v;
  PushOptions();
}

void TCustomEdit::SetMargins(int left, int right) {
  left_margin_ = std::max(0, left);
  right_margin_ = std::max(0, right);
  PushOptions();
}

void TCustomEdit::SetText(const AnsiString& v) { TWinControl::SetText(ApplyCase(v, char_case_)); }

void TCustomEdit::TextChanged() {
  int len = static_cast<int>(Text().size());
  sel_start_ = std::min(sel_start_, len);
  sel_length_ = std::min(sel_length_, len - sel_start_);
  if (QLineEdit* w = LineEditOf(this)) {
    QString q = ToQString(Text());
    if (w->text() != q) {
      QSignalBlocker block(w);
      w->setText(q);
      PushSelection();
    }
  }
  if (!making_window_) Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

TypingKept::TypingKept(TWinControl* Focused, bool Keep) {
  if (!Keep) return;
  edit_ = dynamic_cast<TCustomEdit*>(Focused);
  if (edit_ == nullptr) return;
  text_ = edit_->Text();
  sel_start_ = edit_->SelStart();
  sel_length_ = edit_->SelLength();
}

void TypingKept::Restore() {
  if (edit_ == nullptr) return;
  // The text goes back as though typed, so an edit that judges its text does so again.
  if (edit_->Text() != text_) edit_->SetText(text_);
  edit_->SetSelStart(sel_start_);
  edit_->SetSelLength(sel_length_);
  edit_ = nullptr;
}

void TCustomEdit::UserEdited(const AnsiString& text, int caret) {
  modified_ = true;
  sel_start_ = caret;
  sel_length_ = 0;
  // The widget already shows this text and caret, so only what OnChange makes of them
  // goes back to it (a bad character it selects).
  SetText(text);
}

void TCustomEdit::PasteText(const AnsiString& Pasted) {
  if (read_only_) return;
  const AnsiString& t = Text();
  const size_t start = std::min(static_cast<size_t>(sel_start_), t.size());
  const size_t len = std::min(static_cast<size_t>(sel_length_), t.size() - start);
  const AnsiString fit = FitPastedText(Pasted, MultiLine(), max_length_, t.size() - len);
  if (fit.empty()) return;
  AnsiString now = t;
  now.replace(start, len, fit);
  modified_ = true;
  sel_start_ = static_cast<int>(start + fit.size());
  sel_length_ = 0;
  SetText(now);  // the change handlers may cut the text again; the caret stays within it
  PushSelection();
}

void TCustomEdit::UserSelectionChanged(int start, int length) {
  if (pushing_) return;
  sel_start_ = start;
  sel_length_ = length;
}

void TCustomEdit::DoEnter() {
  if (auto_select_) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Key == 0) return;
  unsigned char u = static_cast<unsigned char>(Key);
  if (u >= 32 && u != 127) {
    if (read_only_) {
      Key = 0;
      return;
    }
    if (max_length_ > 0 && static_cast<int>(Text().size()) - sel_length_ >= max_length_) {
      Key = 0;
      return;
    }
  }
}

// ---- TMaskEdit ----

void TMaskEdit::SetEditMask(const AnsiString& v) {
  edit_mask_ = v;
  mask_.clear();
  save_literals_ = true;
  blank_ = '_';
  AnsiString pattern = v;
  // Trailing ";<save>;<blank>" sections, when present.
  size_t semi = pattern.rfind(';');
  if (semi != AnsiString::npos && semi + 2 == pattern.size() && semi > 0) {
    blank_ = pattern[semi + 1];
    pattern.resize(semi);
    semi = pattern.rfind(';');
    if (semi != AnsiString::npos && semi + 2 == pattern.size()) {
      save_literals_ = pattern[semi + 1] != '0';
      pattern.resize(semi);
    }
  }
  for (size_t i = 0; i < pattern.size(); ++i) {
    char ch = pattern[i];
    if (ch == '\\' && i + 1 < pattern.size()) {
      mask_.push_back({0, pattern[++i]});
    } else if (AnsiString("09#LlAaCc").find(ch) != AnsiString::npos) {
      mask_.push_back({ch, 0});
    } else if (ch == '>' || ch == '<' || ch == '!') {
      continue;  // case and direction switches do not take a position
    } else {
      mask_.push_back({0, ch});
    }
  }
  if (mask_.empty()) return;
  // Show the mask: literals in place, blanks where characters go.
  AnsiString shown;
  const AnsiString& cur = Text();
  for (size_t i = 0; i < mask_.size(); ++i) {
    if (!mask_[i].kind)
      shown += mask_[i].literal;
    else
      shown += i < cur.size() && CharAllowed(static_cast<int>(i), cur[i]) ? cur[i] : blank_;
  }
  SetText(shown);
}

bool TMaskEdit::CharAllowed(int pos, char c) const {
  if (mask_.empty()) return true;
  if (pos < 0 || pos >= static_cast<int>(mask_.size())) return false;
  const MaskChar& m = mask_[static_cast<size_t>(pos)];
  unsigned char u = static_cast<unsigned char>(c);
  switch (m.kind) {
    case 0: return c == m.literal;
    case '0': return std::isdigit(u) != 0;
    case '9': case '#': return std::isdigit(u) || c == ' ' || ((c == '+' || c == '-') && m.kind == '#');
    case 'L': case 'l': return std::isalpha(u) != 0 || u >= 0xC0;
    case 'A': case 'a': return std::isalnum(u) != 0 || u >= 0xC0;
    default: return u >= 32;
  }
}

bool TMaskEdit::IsComplete() const {
  const AnsiString& t = Text();
  for (size_t i = 0; i < mask_.size(); ++i) {
    char k = mask_[i].kind;
    bool required = k == '0' || k == 'L' || k == 'A' || k == 'C';
    if (required && (i >= t.size() || t[i] == blank_)) return false;
  }
  return true;
}

AnsiString TMaskEdit::UnmaskedText() const {
  if (mask_.empty() || save_literals_) return Text();
  AnsiString r;
  const AnsiString& t = Text();
  for (size_t i = 0; i < t.size() && i < mask_.size(); ++i)
    if (mask_[i].kind) r += t[i] == blank_ ? ' ' : t[i];
  return r;
}

int TMaskEdit::NextInput(int pos) const {
  while (pos < static_cast<int>(mask_.size()) && !mask_[static_cast<size_t>(pos)].kind) ++pos;
  return pos;
}

void TMaskEdit::KeyPress(char& Key) {
  if (mask_.empty()) {
    TCustomEdit::KeyPress(Key);
    return;
  }
  TWinControl::KeyPress(Key);
  if (Key == 0 || ReadOnly()) {
    Key = 0;
    return;
  }
  unsigned char u = static_cast<unsigned char>(Key);
  if (u < 32) return;  // editing keys go to the widget
  // Overwrite the next pattern position at or after the caret; literals are skipped.
  const int pos = NextInput(SelStart());
  if (pos < static_cast<int>(mask_.size()) && CharAllowed(pos, Key)) {
    AnsiString t = Text();
    if (t.size() < mask_.size()) t.resize(mask_.size(), blank_);
    // A character typed over a selection replaces all of it: the selected positions are
    // blanked first, so a preset code typed over in part keeps none of its old characters.
    const int sel_end = std::min(SelStart() + SelLength(), static_cast<int>(mask_.size()));
    for (int i = SelStart(); i < sel_end; ++i)
      if (mask_[static_cast<size_t>(i)].kind) t[static_cast<size_t>(i)] = blank_;
    t[static_cast<size_t>(pos)] = Key;
    SetText(t);
    SetModified(true);
    SetSelStart(NextInput(pos + 1));
  }
  Key = 0;
}

void TMaskEdit::PasteText(const AnsiString& Pasted) {
  if (mask_.empty()) {
    TCustomEdit::PasteText(Pasted);
    return;
  }
  if (ReadOnly()) return;
  const int size = static_cast<int>(mask_.size());
  AnsiString t = Text();
  if (t.size() < mask_.size()) t.resize(mask_.size(), blank_);
  int pos = SelStart();
  bool took = false;
  for (char ch : FitPastedText(Pasted, false)) {
    if (pos < size && !mask_[static_cast<size_t>(pos)].kind && mask_[static_cast<size_t>(pos)].literal == ch) {
      ++pos;
      continue;
    }
    const int at = NextInput(pos);
    if (at >= size) break;
    if (!CharAllowed(at, ch)) continue;
    t[static_cast<size_t>(at)] = ch;
    pos = at + 1;
    took = true;
  }
  if (!took) return;
  SetModified(true);
  SetText(t);
  SetSelStart(NextInput(pos));
}

// ---- TMemo ----

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 89);
  SetAutoSelect(false);
  lines_->OnChange = [this](TObject*) {
    if (syncing_) return;
    syncing_ = true;
    AnsiString t = lines_->Text();
    if (t.size() >= 2) t.resize(t.size() - 2);  // no break after the last line
    TCustomEdit::SetText(t);
    syncing_ = false;
  };
}

TMemo::~TMemo() { lines_->OnChange = nullptr; }

void TMemo::SetText(const AnsiString& v) {
  TCustomEdit::SetText(v);
  if (syncing_) return;
  syncing_ = true;
  lines_->SetText(v);
  syncing_ = false;
}

void TMemo::SetWordWrap(bool v) {
  word_wrap_ = v;
  if (QPlainTextEdit* m = MemoEditOf(this))
    m->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetWantTabs(bool v) {
  want_tabs_ = v;
  if (QPlainTextEdit* m = MemoEditOf(this)) m->setTabChangesFocus(!v);
}

void TMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !want_returns_) Key = 0;
  // A line break typed is two characters of the limit, a tab one.
  const bool typed = (Key == '\r' && want_returns_) || (Key == '\t' && want_tabs_);
  const int size = Key == '\r' ? 2 : 1;
  if (typed && MaxLength() > 0 && static_cast<int>(Text().size()) - SelLength() + size > MaxLength()) Key = 0;
}

void TMemo::SetScrollBars(int v) {
  scroll_bars_ = std::clamp(v, 0, 3);
  if (QPlainTextEdit* m = MemoEditOf(this)) {
    m->setHorizontalScrollBarPolicy((scroll_bars_ & 1) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m->setVerticalScrollBarPolicy((scroll_bars_ & 2) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
}

void TMemo::CreateHandle() {
  auto* m = new MemoWidget(this, ui::detail::ParentWidget(this));
  ui::detail::InstallWidget(this, m);
  QObject::connect(m, &QPlainTextEdit::textChanged, m, [this, m]() {
    if (syncing_) return;
    AnsiString t = LfToCrLf(FromQString(m->toPlainText()));
    if (t == Text()) return;
    int caret = m->textCursor().position();
    QString before = m->toPlainText().left(caret);
    UserEdited(t, caret + static_cast<int>(before.count(QChar('\n'))));
  });
}

void TMemo::InitWidget() {
  TCustomEdit::InitWidget();
  SetWordWrap(word_wrap_);
  SetScrollBars(scroll_bars_);
  SetWantTabs(want_tabs_);
}

void TMemo::TextChanged() {
  if (QPlainTextEdit* m = MemoEditOf(this)) {
    QString q = ToQString(CrLfToLf(Text()));
    if (m->toPlainText() != q) {
      QSignalBlocker block(m);
      m->setPlainText(q);
    }
  }
  if (!syncing_) {
    syncing_ = true;
    lines_->SetText(Text());
    syncing_ = false;
  }
  TCustomEdit::TextChanged();
}
