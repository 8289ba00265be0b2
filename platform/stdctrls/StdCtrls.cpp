#include "platform/stdctrls/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/stdctrls/detail/Pastes.h"
#include "platform/ui/detail/QtControls.h"

using gfx::FromQString;
using gfx::ToQString;

template <typename W>
static W* As(const TControl* c) {
  return qobject_cast<W*>(ui::detail::WidgetOf(c));
}

// ---- TLabel ----

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetParentColor(true);
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetAlignment(TAlignment v) { alignment_ = v; Invalidate(); }
void TLabel::SetLayout(TTextLayout v) { layout_ = v; Invalidate(); }
void TLabel::SetAutoSize(bool v) { auto_size_ = v; AdjustBounds(); }
void TLabel::SetWordWrap(bool v) { word_wrap_ = v; AdjustBounds(); Invalidate(); }
void TLabel::SetTransparent(bool v) { transparent_ = v; Invalidate(); }
void TLabel::SetShowAccelChar(bool v) { show_accel_ = v; AdjustBounds(); Invalidate(); }

void TLabel::TextChanged() {
  AdjustBounds();
  TGraphicControl::TextChanged();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!auto_size_ || HasState(csLoading)) return;
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* c = scratch.Canvas();
  c->Font()->Assign(Font());
  TRect r(0, 0, word_wrap_ ? Width() : 0, 0);
  unsigned flags = DT_CALCRECT | (word_wrap_ ? DT_WORDBREAK : 0u) | (show_accel_ ? 0u : DT_NOPREFIX);
  AnsiString text = Caption().empty() ? AnsiString(" ") : Caption();
  c->DrawText(text, r, flags);
  int w = word_wrap_ ? Width() : r.Width();
  int l = Left();
  if (!word_wrap_ && alignment_ == taRightJustify) l += Width() - w;
  if (!word_wrap_ && alignment_ == taCenter) l += (Width() - w) / 2;
  SetBounds(l, Top(), w, r.Height());
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  unsigned flags = (word_wrap_ ? DT_WORDBREAK : 0u) | (show_accel_ ? 0u : DT_NOPREFIX) |
                   (alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT);
  if (layout_ != tlTop) {
    TRect m = r;
    c->DrawText(Caption(), m, flags | DT_CALCRECT);
    int dy = layout_ == tlCenter ? (r.Height() - m.Height()) / 2 : r.Height() - m.Height();
    r.Top += dy;
  }
  c->DrawText(Caption(), r, flags);
}

// ---- TButton ----

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateHandle() {
  auto* w = new QPushButton(ui::detail::ParentWidget(this));
  TForm* form = ParentForm();
  const bool otherFocused = form != nullptr && dynamic_cast<TButton*>(form->ActiveControl()) != nullptr &&
                            form->ActiveControl() != this;
  w->setDefault(default_ && !otherFocused);
  ui::detail::InstallWidget(this, w);
  QObject::connect(w, &QPushButton::clicked, w, [this]() { Click(); });
}

void TButton::TextChanged() {
  if (auto* w = As<QPushButton>(this)) w->setText(ToQString(Caption()));
}

void TButton::SetDefault(bool v) {
  default_ = v;
  TForm* form = ParentForm();
  auto* focused = dynamic_cast<TButton*>(form != nullptr ? form->ActiveControl() : nullptr);
  if (auto* w = As<QPushButton>(this)) w->setDefault(focused != nullptr ? focused == this : v);
}

bool TButton::DrawnAsDefault() const {
  auto* w = As<QPushButton>(this);
  return w != nullptr && w->isDefault();
}

void TButton::ShowDefaultLooks(TForm* form, const TButton* focused) {
  if (form == nullptr) return;
  std::vector<TWinControl*> pending{form};
  while (!pending.empty()) {
    TWinControl* p = pending.back();
    pending.pop_back();
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* c = dynamic_cast<TWinControl*>(p->Controls(i));
      if (c == nullptr) continue;
      if (auto* b = dynamic_cast<TButton*>(c))
        if (auto* w = As<QPushButton>(b)) w->setDefault(focused != nullptr ? b == focused : b->default_);
      pending.push_back(c);
    }
  }
}

void TButton::DoEnter() {
  ShowDefaultLooks(ParentForm(), this);
  TWinControl::DoEnter();
}

void TButton::DoExit() {
  ShowDefaultLooks(ParentForm(), nullptr);
  TWinControl::DoExit();
}

bool TButton::DialogKey(WORD Key, TShiftState) {
  if (Key == VK_RETURN) {
    TForm* form = ParentForm();
    auto* focused = dynamic_cast<TButton*>(form != nullptr ? form->ActiveControl() : nullptr);
    if (focused != nullptr && focused->Showing() && focused->Enabled() ? focused != this : !default_) return false;
  } else if (Key != VK_ESCAPE || !cancel_) {
    return false;
  }
  Click();
  return true;
}

void TButton::Click() {
  if (!Enabled()) return;
  // A command acts on what its window shows: a number typed into the focused control is
  // taken first, and a bad one keeps the command from running. Cancelling always works.
  if (!cancel_ && modal_result_ != mrCancel)
    if (TForm* f = ParentForm(); f && !f->CommitActiveControl()) return;
  if (modal_result_ != mrNone)
    if (TForm* f = ParentForm()) f->SetModalResult(modal_result_);
  TWinControl::Click();
}

// ---- TCheckBox ----

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateHandle() {
  auto* w = new QCheckBox(ui::detail::ParentWidget(this));
  ui::detail::InstallWidget(this, w);
  Push();
  // The widget's own toggling is replaced by Toggle, so the state has one owner.
  QObject::connect(w, &QCheckBox::clicked, w, [this]() { Toggle(); });
}

void TCheckBox::Push() {
  if (auto* w = As<QCheckBox>(this)) {
    QSignalBlocker block(w);
    w->setTristate(allow_grayed_ || state_ == cbGrayed);
    w->setCheckState(state_ == cbChecked ? Qt::Checked : state_ == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  }
}

void TCheckBox::TextChanged() {
  if (auto* w = As<QCheckBox>(this)) w->setText(ToQString(Caption()));
}

void TCheckBox::SetState(TCheckBoxState v) {
  if (v == state_) return;
  state_ = v;
  Push();
  if (!HasState(csLoading)) Click();
}

void TCheckBox::Toggle() {
  if (!Enabled()) return;
  switch (state_) {
    case cbUnchecked: SetState(allow_grayed_ ? cbGrayed : cbChecked); break;
    case cbGrayed: SetState(cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
  }
  Push();
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::CreateHandle() {
  auto* w = new QRadioButton(ui::detail::ParentWidget(this));
  w->setAutoExclusive(false);  // the control keeps the group rule itself
  ui::detail::InstallWidget(this, w);
  Push();
  QObject::connect(w, &QRadioButton::clicked, w, [this]() {
    if (!checked_) SetChecked(true);
    Push();
  });
}

void TRadioButton::Push() {
  if (auto* w = As<QRadioButton>(this)) {
    QSignalBlocker block(w);
    w->setChecked(checked_);
  }
}

void TRadioButton::TextChanged() {
  if (auto* w = As<QRadioButton>(this)) w->setText(ToQString(Caption()));
}

void TRadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  SetTabStop(v);
  Push();
  if (v) {
    if (TWinControl* p = Parent())
      for (int i = 0; i < p->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TRadioButton*>(p->Controls(i)); other && other != this)
          other->SetChecked(false);
    if (!HasState(csLoading)) Click();
  }
}

void TRadioButton::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  const bool back = Key == VK_LEFT || Key == VK_UP, on = Key == VK_RIGHT || Key == VK_DOWN;
  if (!(back || on) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || Parent() == nullptr) return;
  std::vector<TRadioButton*> group;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* b = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); b && (b == this || b->CanFocus()))
      group.push_back(b);
  const auto self = std::find(group.begin(), group.end(), this);
  Key = 0;
  if (self == group.end() || group.size() < 2) return;
  const size_t n = group.size(), at = static_cast<size_t>(self - group.begin());
  TRadioButton* next = group[(at + (back ? n - 1 : 1)) % n];
  next->SetFocus();
  next->SetChecked(true);
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 185, 105); }

void TGroupBox::CreateHandle() {
  ui::detail::InstallWidget(this, new QGroupBox(ui::detail::ParentWidget(this)));
}

int TGroupBox::FrameTop() {
  // Known once the box has its window. Asking for one here, while its form is still being
  // read, would make the windows of the whole form at once, each then redoing its fonts
  // and texts as the rest of the form is read; until then the usual caption height stands.
  auto* w = HandleAllocated() ? As<QGroupBox>(this) : nullptr;
  return w ? w->contentsRect().top() : 14;
}

void TGroupBox::TextChanged() {
  if (auto* w = As<QGroupBox>(this)) w->setTitle(ToQString(Caption()));
}

// ---- owner drawing ----

namespace {

using DrawFn = std::function<void(int index, TRect rect, TOwnerDrawState state)>;

// Lays the control's canvas over the painter for one item: the control's font, the
// item's background colour (the selection colours for a selected item), then draws.
void DrawOwnerItem(TWinControl* c, TCanvas& canvas, QPainter* p, QSize surface, const QRect& r, int index,
                   TOwnerDrawState state, const DrawFn& draw) {
  p->save();
  gfx::AttachPainter(canvas, p, surface);
  canvas.Font()->Assign(c->Font());
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(c->Color());
  if (state.Contains(odSelected)) {
    canvas.Brush()->SetColor(clHighlight);
    canvas.Font()->SetColor(clHighlightText);
  }
  draw(index, gfx::FromQRect(r), state);
  gfx::AttachPainter(canvas, nullptr);
  p->restore();
}

// Rows of an owner-drawn list: each drawn by the control, each ItemHeight high.
class OwnerDrawDelegate : public QStyledItemDelegate {
 public:
  OwnerDrawDelegate(QObject* parent, TWinControl* control, TCanvas* canvas, std::function<int()> height, DrawFn draw)
      : QStyledItemDelegate(parent), control_(control), canvas_(canvas), height_(std::move(height)),
        draw_(std::move(draw)) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    TOwnerDrawState state;
    if (option.state & QStyle::State_Selected) state << odSelected;
    if (option.state & QStyle::State_HasFocus) state << odFocused;
    if (!(option.state & QStyle::State_Enabled)) state << odDisabled;
    QSize surface = p->device() ? QSize(p->device()->width(), p->device()->height()) : QSize();
    DrawOwnerItem(control_, *canvas_, p, surface, option.rect, index.row(), state, draw_);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), std::max(1, height_()));
  }

 private:
  TWinControl* control_;
  TCanvas* canvas_;
  std::function<int()> height_;
  DrawFn draw_;
};

// A combo box whose closed field the control may draw itself.
class OwnerDrawComboWidget : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void(QPainter*, const QRect&)> drawField;

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (isEditable()) {
      QComboBox::paintEvent(e);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    QStyleOptionComboBox label = opt;
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The closed list shows its chosen item on the control's field colour, as an edit
    // does, inside the focus mark; a disabled one keeps the style's greyed face.
    if (isEnabled()) painter.fillRect(field.adjusted(1, 2, -1, -2), palette().color(QPalette::Base));
    if (drawField) {
      drawField(&painter, field);
      return;
    }
    // The style writes a closed list's item in the button text colour; it is the text
    // on the field.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      label.palette.setColor(g, QPalette::ButtonText, label.palette.color(g, QPalette::Text));
    painter.setPen(label.palette.color(QPalette::Text));
    painter.drawControl(QStyle::CE_ComboBoxLabel, label);
  }
};

// A paste or drop into the field of a box that takes typing goes in as far as MaxLength
// leaves room, its first line only. The box takes the keys for its field.
void RouteFieldPastes(TComboBox* c, QComboBox* w) {
  QLineEdit* field = w->lineEdit();
  if (field == nullptr) return;
  ui::detail::RoutePastes(
      field, c,
      [c, field](const AnsiString& pasted) {
        if (field->isReadOnly()) return;
        const auto kept = static_cast<size_t>(field->text().size() - field->selectedText().size());
        const AnsiString fit = FitPastedText(pasted, false, c->MaxLength(), kept);
        if (!fit.empty()) field->insert(ToQString(fit));
      },
      w);
}

}  // namespace

// ---- TComboBox ----

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 145, 21);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox() { items_->OnChange = nullptr; }

void TComboBox::SetItemHeight(int v) {
  item_height_ = std::max(1, v);
  if (auto* w = As<QComboBox>(this)) w->view()->doItemsLayout();
}

void TComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Strings(Index));
}

// Owner-drawn styles draw the drop-down's rows and the closed field through DrawItem;
// the others leave both to the widget.
void TComboBox::ApplyOwnerDraw() {
  auto* w = dynamic_cast<OwnerDrawComboWidget*>(ui::detail::WidgetOf(this));
  if (!w) return;
  const bool owner = style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable;
  if (!owner) {
    w->drawField = nullptr;
    if (dynamic_cast<OwnerDrawDelegate*>(w->itemDelegate())) {
      QAbstractItemDelegate* old = w->itemDelegate();
      w->setItemDelegate(new QStyledItemDelegate(w));
      old->deleteLater();
    }
    w->update();
    return;
  }
  if (!dynamic_cast<OwnerDrawDelegate*>(w->itemDelegate())) {
    QAbstractItemDelegate* old = w->itemDelegate();
    w->setItemDelegate(new OwnerDrawDelegate(
        w, this, canvas_.get(), [this] { return item_height_; },
        [this](int i, TRect r, TOwnerDrawState st) { DrawItem(i, r, st); }));
    if (old) old->deleteLater();
  }
  w->drawField = [this, w](QPainter* p, const QRect& field) {
    if (item_index_ < 0) return;
    TOwnerDrawState st{odComboBoxEdit};
    if (w->hasFocus()) st << odSelected << odFocused;
    if (!w->isEnabled()) st << odDisabled;
    DrawOwnerItem(this, *canvas_, p, w->size(), field, item_index_, st,
                  [this](int i, TRect r, TOwnerDrawState s) { DrawItem(i, r, s); });
  };
  w->update();
}

bool TComboBox::Sorted() const { return items_->Sorted(); }
void TComboBox::SetSorted(bool v) { items_->SetSorted(v); }

void TComboBox::ItemsChanged() {
  if (item_index_ >= items_->Count()) item_index_ = -1;
  if (auto* w = As<QComboBox>(this)) {
    pushing_ = true;
    QSignalBlocker block(w);
    w->clear();
    for (int i = 0; i < items_->Count(); ++i) w->addItem(ToQString(items_->Strings(i)));
    w->setCurrentIndex(item_index_);
    if (w->isEditable()) w->setEditText(ToQString(Text()));
    pushing_ = false;
  }
}

void TComboBox::SetStyle(TComboBoxStyle v) {
  style_ = v;
  if (auto* w = As<QComboBox>(this)) {
    w->setEditable(v == csDropDown || v == csSimple);
    RouteFieldPastes(this, w);
  }
  ApplyOwnerDraw();
  ItemsChanged();
}

void TComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  item_index_ = v;
  pushing_ = true;
  TWinControl::SetText(v >= 0 ? items_->Strings(v) : AnsiString());
  pushing_ = false;
  if (auto* w = As<QComboBox>(this)) {
    QSignalBlocker block(w);
    w->setCurrentIndex(v);
    if (w->isEditable()) w->setEditText(ToQString(Text()));
  }
}

void TComboBox::SetText(const AnsiString& v) {
  TWinControl::SetText(v);
  if (pushing_) return;
  // The text picks the item it names; in a drop-down list other text is not shown.
  int i = items_->IndexOf(v);
  if (style_ == csDropDownList) {
    SetItemIndex(i);
  } else {
    item_index_ = i;
  }
}

void TComboBox::TextChanged() {
  if (auto* w = As<QComboBox>(this)) {
    QSignalBlocker block(w);
    if (w->isEditable() && w->currentText() != ToQString(Text())) w->setEditText(ToQString(Text()));
  }
}

void TComboBox::SetDroppedDown(bool v) {
  if (v == dropped_down_) return;
  dropped_down_ = v;
  if (v && OnDropDown) OnDropDown(this);
  if (auto* w = As<QComboBox>(this)) {
    if (v) w->showPopup(); else w->hidePopup();
  }
  if (!v && OnCloseUp) OnCloseUp(this);
}

void TComboBox::UserSelect(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange(this);
  Click();
}

void TComboBox::CreateHandle() {
  auto* w = new OwnerDrawComboWidget(ui::detail::ParentWidget(this));
  ui::detail::InstallWidget(this, w);
  QObject::connect(w, qOverload<int>(&QComboBox::activated), w, [this](int i) {
    dropped_down_ = false;
    UserSelect(i);
  });
  QObject::connect(w, &QComboBox::editTextChanged, w, [this](const QString& t) {
    if (pushing_) return;
    pushing_ = true;
    TWinControl::SetText(FromQString(t));
    pushing_ = false;
    item_index_ = items_->IndexOf(Text());
    if (OnChange) OnChange(this);
  });
}

void TComboBox::InitWidget() {
  TWinControl::InitWidget();
  if (auto* w = As<QComboBox>(this)) {
    w->setEditable(style_ == csDropDown || style_ == csSimple);
    RouteFieldPastes(this, w);
    w->setMaxVisibleItems(std::max(1, drop_down_count_));
  }
  ApplyOwnerDraw();
  ItemsChanged();
}

// ---- TListBox ----

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TStringList>()), canvas_(std::make_unique<TCanvas>()) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 97);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TListBox::~TListBox() { items_->OnChange = nullptr; }

void TListBox::SetItemHeight(int v) {
  item_height_ = std::max(1, v);
  if (auto* w = As<QListWidget>(this)) w->doItemsLayout();
}

void TListBox::SetStyle(TListBoxStyle v) {
  style_ = v;
  ApplyOwnerDraw();
}

void TListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.Left + 2, Rect.Top, items_->Strings(Index));
}

void TListBox::ApplyOwnerDraw() {
  auto* w = As<QListWidget>(this);
  if (!w) return;
  const bool owner = style_ != lbStandard;
  const bool has = dynamic_cast<OwnerDrawDelegate*>(w->itemDelegate()) != nullptr;
  if (owner == has) return;
  QAbstractItemDelegate* old = w->itemDelegate();
  if (owner)
    w->setItemDelegate(new OwnerDrawDelegate(
        w, this, canvas_.get(), [this] { return item_height_; },
        [this](int i, TRect r, TOwnerDrawState st) { DrawItem(i, r, st); }));
  else
    w->setItemDelegate(new QStyledItemDelegate(w));
  if (old) old->deleteLater();
  // Rows of one height: the view need not ask each item.
  w->setUniformItemSizes(owner);
}

bool TListBox::Sorted() const { return items_->Sorted(); }
void TListBox::SetSorted(bool v) { items_->SetSorted(v); }

void TListBox::ItemsChanged() {
  if (item_index_ >= items_->Count()) item_index_ = -1;
  if (auto* w = As<QListWidget>(this)) {
    pushing_ = true;
    QSignalBlocker block(w);
    w->clear();
    for (int i = 0; i < items_->Count(); ++i) w->addItem(ToQString(items_->Strings(i)));
    w->setCurrentRow(item_index_);
    pushing_ = false;
  }
}

void TListBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  item_index_ = v;
  if (auto* w = As<QListWidget>(this)) {
    QSignalBlocker block(w);
    w->setCurrentRow(v);
  }
}

void TListBox::SetTopIndex(int v) {
  top_index_ = std::clamp(v, 0, std::max(0, items_->Count() - 1));
  if (auto* w = As<QListWidget>(this))
    if (QListWidgetItem* it = w->item(top_index_)) w->scrollToItem(it, QAbstractItemView::PositionAtTop);
}

void TListBox::UserSelect(int index) {
  SetItemIndex(index);
  Click();
}

void TListBox::CreateHandle() {
  auto* w = new QListWidget(ui::detail::ParentWidget(this));
  ui::detail::InstallWidget(this, w);
  QObject::connect(w, &QListWidget::currentRowChanged, w, [this](int row) {
    if (!pushing_) UserSelect(row);
  });
}

void TListBox::InitWidget() {
  TWinControl::InitWidget();
  ApplyOwnerDraw();
  ItemsChanged();
}
