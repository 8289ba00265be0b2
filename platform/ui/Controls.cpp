#include "platform/ui/Controls.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "platform/ui/Application.h"
#include "platform/ui/detail/QtControls.h"

namespace {

// Widget -> control, for routing window-system events (GUI thread only).
QHash<const QWidget*, TControl*>& WidgetMap() {
  static QHash<const QWidget*, TControl*> map;
  return map;
}

// Controls that exist, by serial number, so queued messages from any thread can tell a
// live target from a destroyed one whose address was reused.
std::mutex g_alive_mutex;
std::unordered_map<const TControl*, uint64_t>& AliveMap() {
  static std::unordered_map<const TControl*, uint64_t> map;
  return map;
}
std::atomic<uint64_t> g_next_serial{1};

Qt::CursorShape ShapeOf(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crAppStart: return Qt::BusyCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

// Text differing this little in lightness from its background is hard to read.
constexpr int kReadableLightness = 64;

// A third of the way from one colour to another: silver to black gives the classic grey.
QColor TowardsByAThird(const QColor& from, const QColor& to) {
  auto step = [](int a, int b) { return a + (b - a) / 3; };
  return QColor(step(from.red(), to.red()), step(from.green(), to.green()), step(from.blue(), to.blue()));
}

// A control's colours in the roles its ready-made widget paints with. Widgets that hold
// text or items to choose (line and plain text edits, lists, combo boxes) show the field
// colour behind them and the text colour on it; the others (buttons, check boxes, radio
// buttons, group boxes) show only their caption in the text colour. Only the enabled look
// takes them: a disabled control keeps the style's greyed text and background, so that it
// looks disabled whatever its colours, except that a control with a disabled colour of its
// own (fieldWhenDisabled) shows its field colour behind the greyed text. The style's greyed
// text is made for the style's own disabled background and can all but vanish on another
// (light grey on silver); there it is taken a step darker than the field (lighter on a dark
// one), as grey text shows on a silver face in the classic scheme.
void SetWidgetColors(QWidget* w, TColor field, TColor text, bool fieldWhenDisabled) {
  const bool holdsText = qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QAbstractScrollArea*>(w) != nullptr ||
                         qobject_cast<QComboBox*>(w) != nullptr;
  const QColor textColor = gfx::ToQColor(text);
  const QColor fieldColor = field == clNone ? QColor(Qt::transparent) : gfx::ToQColor(field);
  QPalette pal = w->palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
    if (holdsText) {
      pal.setColor(g, QPalette::Base, fieldColor);
      pal.setColor(g, QPalette::Text, textColor);
    } else {
      pal.setColor(g, QPalette::WindowText, textColor);
      pal.setColor(g, QPalette::ButtonText, textColor);
    }
  }
  if (holdsText && fieldWhenDisabled) {
    pal.setColor(QPalette::Disabled, QPalette::Base, fieldColor);
    QColor greyed = QApplication::palette(w).color(QPalette::Disabled, QPalette::Text);
    const int light = fieldColor.lightness();
    if (fieldColor.alpha() == 255 && std::abs(greyed.lightness() - light) < kReadableLightness)
      greyed = TowardsByAThird(fieldColor, light >= 128 ? Qt::black : Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::Text, greyed);
  }
  // The roles are the widget's own even where they match what it had: a parent's colours
  // must not reach it through the toolkit's palette inheritance.
  const QPalette& now = w->palette();
  if (pal != now || pal.resolveMask() != now.resolveMask()) w->setPalette(pal);
}

QString ShortHint(const AnsiString& hint) {
  const auto bar = hint.find('|');
  return gfx::ToQString(bar == AnsiString::npos ? hint : hint.substr(0, bar));
}

}  // namespace

namespace ui::detail {

Qt::CursorShape CursorShapeOf(TCursor c) { return ShapeOf(c); }

QWidget* WidgetOf(const TControl* c) { return c ? c->impl().widget.data() : nullptr; }

QWidget* ParentWidget(TControl* c) {
  if (!c->Parent()) return nullptr;
  TWinControl* p = c->Parent();
  if (!p->HandleAllocated()) p->HandleNeeded();
  return WidgetOf(p);
}

void InstallWidget(TControl* c, QWidget* w) {
  auto& d = c->impl();
  if (d.widget && d.widget != w) {
    WidgetMap().remove(d.widget.data());
    delete d.widget.data();
  }
  d.widget = w;
  WidgetMap().insert(w, c);
  // The widget may die without its control: a parent widget deletes its children with it,
  // and a child control can outlive its parent. Its entry must go with it, or a later
  // widget at the same address would be routed to the control that had this one.
  QObject::connect(w, &QObject::destroyed, [w] { WidgetMap().remove(w); });
  w->setMouseTracking(true);
  c->InitWidget();
}

TControl* ControlFromWidget(QWidget* w) {
  for (; w; w = w->parentWidget()) {
    auto it = WidgetMap().constFind(w);
    if (it != WidgetMap().constEnd()) return it.value();
    // A window of its own (a file dialog, a message box) opened over a form belongs to
    // none of the form's controls: its keys and clicks are its own.
    if (w->isWindow()) break;
  }
  return nullptr;
}

TWinControl* WinControlFromWidget(QWidget* w) {
  for (TControl* c = ControlFromWidget(w); c; c = c->Parent())
    if (auto* wc = dynamic_cast<TWinControl*>(c)) return wc;
  return nullptr;
}

bool ControlAlive(const TControl* c, uint64_t serial) {
  std::lock_guard lock(g_alive_mutex);
  auto it = AliveMap().find(c);
  return it != AliveMap().end() && it->second == serial;
}

uint64_t SerialOf(const TControl* c) {
  std::lock_guard lock(g_alive_mutex);
  auto it = AliveMap().find(c);
  return it == AliveMap().end() ? 0 : it->second;
}

ControlWidget::ControlWidget(TControl* owner, QWidget* parent) : QWidget(parent), owner_(owner) {}

void ControlWidget::paintEvent(QPaintEvent*) {
  // A control whose form has begun to be destroyed draws no more: its paint handlers are
  // closed and what it draws from may be gone already.
  if (!owner_ || owner_->InDestruction()) return;
  // A windowed control covers its whole client area with its colour before it draws, so
  // where that area is the whole widget nothing beneath shows through: the parents need
  // not paint under it first (a group box's frame, a page) each time it repaints.
  const bool opaque = (dynamic_cast<const TWinControl*>(owner_) != nullptr || owner_->PaintsWholeClient()) &&
                      QSize(owner_->ClientWidth(), owner_->ClientHeight()) == size();
  if (testAttribute(Qt::WA_OpaquePaintEvent) != opaque) setAttribute(Qt::WA_OpaquePaintEvent, opaque);
  QPainter p(this);
  PaintControl(owner_, p);
}

void ControlWidget::hideEvent(QHideEvent* e) {
  if (owner_) {
    ReleaseOwnImage(owner_);
    owner_->ShowingChanged(false);
  }
  QWidget::hideEvent(e);
}

void ControlWidget::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (owner_) owner_->ShowingChanged(true);
}

void ControlWidget::closeEvent(QCloseEvent* e) {
  // A window closed by the window system goes through the form's own Close, which asks
  // OnCloseQuery and decides whether the window only hides.
  e->ignore();
  if (auto* f = dynamic_cast<TForm*>(owner_); f && !f->InDestruction()) {
    try {
      f->Close();
    } catch (...) {
      Application->HandleException(f, std::current_exception());
    }
  }
}

namespace {

bool OverParent(const TControl* c) { return dynamic_cast<const TWinControl*>(c) == nullptr; }

QSize ClientSize(const TControl* c) { return QSize(std::max(0, c->ClientWidth()), std::max(0, c->ClientHeight())); }

// Runs the control's Paint on its canvas, whatever surface that has now.
void RunPaint(TControl* c, TCanvas* canvas) {
  auto& d = c->impl();
  d.needsPaint = false;
  canvas->Font()->Assign(c->Font());
  canvas->Brush()->SetColor(c->Color());
  canvas->SetClipRegion(nullptr);
  d.inPaint = true;
  try {
    c->Paint();
  } catch (...) {
    d.inPaint = false;
    Application->HandleException(c, std::current_exception());
  }
  d.inPaint = false;
}

// Paints the control afresh into its own image: graphic controls draw over their
// parent, so theirs starts clear; windowed ones fill their own background.
void PaintOwnImage(TControl* c, TCanvas* canvas) {
  auto& d = c->impl();
  d.buffer.fill(OverParent(c) ? QColor(Qt::transparent) : gfx::ToQColor(c->Color()));
  RunPaint(c, canvas);
}

// The canvas is drawn on between paints and has no surface.
void ProvideSurface(TControl* c) {
  auto& d = c->impl();
  TCanvas* canvas = c->PaintCanvas();
  QWidget* w = d.widget;
  const QSize size = ClientSize(c);
  if (!canvas || d.inPaint) return;
  if (!w || !w->isVisible() || size.isEmpty()) {
    // Nobody sees it; its next paint draws it whole anyway.
    if (d.sink.isNull()) d.sink = QImage(1, 1, QImage::Format_RGB32);
    gfx::AttachImage(*canvas, &d.sink);
    return;
  }
  d.buffer = QImage(size, OverParent(c) ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  gfx::AttachImage(*canvas, &d.buffer);
  // What the control shows now is the ground the drawing goes on.
  gfx::PreservingState(*canvas, [&] { PaintOwnImage(c, canvas); });
}

}  // namespace

void InstallSurfaceProvider(TControl* c) {
  if (TCanvas* canvas = c->PaintCanvas()) canvas->impl().needSurface = [c] { ProvideSurface(c); };
}

void ReleaseOwnImage(TControl* c) {
  auto& d = c->impl();
  if (d.buffer.isNull() && d.sink.isNull()) return;
  if (TCanvas* canvas = c->PaintCanvas(); canvas && !canvas->impl().external) gfx::AttachImage(*canvas, nullptr);
  d.buffer = QImage();
  d.sink = QImage();
  d.needsPaint = true;
}

void PaintControl(TControl* c, QPainter& p) {
  auto& d = c->impl();
  TCanvas* canvas = c->PaintCanvas();
  if (!canvas) {
    p.fillRect(QRect(0, 0, c->Width(), c->Height()), gfx::ToQColor(c->Color()));
    return;
  }
  const QSize size = ClientSize(c);
  if (!d.buffer.isNull() && d.buffer.size() != size) ReleaseOwnImage(c);
  if (!d.buffer.isNull()) {
    if (d.needsPaint) PaintOwnImage(c, canvas);
    p.drawImage(0, 0, d.buffer);
    return;
  }
  if (size.isEmpty()) return;
  const QRect client(QPoint(0, 0), size);
  if (!OverParent(c)) p.fillRect(client, gfx::ToQColor(c->Color()));
  p.setClipRect(client);
  gfx::AttachPainter(*canvas, &p, size);
  RunPaint(c, canvas);
  gfx::AttachPainter(*canvas, nullptr);
}

}  // namespace ui::detail

using ui::detail::WidgetOf;

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), impl_(std::make_unique<Impl>()) {
  impl_->serial = g_next_serial++;
  {
    std::lock_guard lock(g_alive_mutex);
    AliveMap()[this] = impl_->serial;
  }
  font_.OnChange = [this](TObject*) {
    if (!setting_parent_font_) parent_font_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  {
    std::lock_guard lock(g_alive_mutex);
    AliveMap().erase(this);
  }
  if (parent_) parent_->RemoveControl(this);
  if (QWidget* w = impl_->widget.data()) {
    WidgetMap().remove(w);
    if (auto* cw = dynamic_cast<ui::detail::ControlWidget*>(w)) cw->detach();
    delete w;
  }
}

bool TControl::HandleAllocated() const { return !impl_->widget.isNull(); }

void TControl::HandleNeeded() {
  if (HandleAllocated() || impl_->creating) return;
  if (parent_ && !parent_->HandleAllocated()) {
    parent_->HandleNeeded();  // creates this control's widget along with its siblings
    if (HandleAllocated()) return;
  }
  impl_->creating = true;
  try {
    gfx::EnsureGuiApplication();
    CreateHandle();
  } catch (...) {
    impl_->creating = false;
    throw;
  }
  impl_->creating = false;
}

void TControl::CreateHandle() {
  ui::detail::InstallWidget(this, new ui::detail::ControlWidget(this, ui::detail::ParentWidget(this)));
}

void TControl::InitWidget() {
  QWidget* w = impl_->widget;
  if (!w) return;
  ApplyBounds();
  w->setEnabled(enabled_);
  w->setFont(gfx::ToQFont(font_));
  ApplyWidgetColors();
  SetHint(hint_);
  if (cursor_ != crDefault) w->setCursor(ShapeOf(cursor_));
  TextChanged();
  ui::detail::InstallSurfaceProvider(this);
  if (!w->isWindow()) w->setVisible(visible_);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const bool resized = AWidth != width_ || AHeight != height_;
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  ApplyBounds();
  if (resized) {
    ui::detail::ReleaseOwnImage(this);
    Resize();
  }
  if (parent_ && align_ != alNone && !parent_->aligning_) parent_->Realign();
}

void TControl::ApplyBounds() {
  if (QWidget* w = impl_->widget) {
    impl_->applyingBounds = true;
    const TPoint offset = parent_ ? parent_->ClientOffset() : TPoint{0, 0};
    w->setGeometry(left_ + offset.x, top_ + offset.y, width_, height_);
    impl_->applyingBounds = false;
  }
}

void TControl::SetClientSize(int w, int h) { SetBounds(left_, top_, w, h); }

TPoint TControl::ClientToScreen(TPoint p) const {
  if (QWidget* w = impl_->widget) {
    const QPoint g = w->mapToGlobal(QPoint(p.x, p.y));
    return {g.x(), g.y()};
  }
  for (const TControl* c = this; c; c = c->parent_) {
    p.x += c->left_;
    p.y += c->top_;
  }
  return p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::SetAlign(TAlign v) {
  if (align_ == v) return;
  align_ = v;
  if (parent_) parent_->Realign();
}

void TControl::SetAnchors(TAnchors v) { anchors_ = v; }

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (QWidget* w = impl_->widget) w->setVisible(v);
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  if (QWidget* w = impl_->widget) w->setEnabled(v);
  Invalidate();
}

void TControl::SetText(const AnsiString& v) {
  if (text_ == v) return;
  text_ = v;
  TextChanged();
}

void TControl::TextChanged() { Invalidate(); }

void TControl::SetParentFont(bool v) {
  parent_font_ = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parent_font_ || !parent_) return;
  setting_parent_font_ = true;
  font_.Assign(parent_->Font());
  setting_parent_font_ = false;
}

void TControl::FontChanged() {
  if (QWidget* w = impl_->widget) w->setFont(gfx::ToQFont(font_));
  ApplyWidgetColors();
  Invalidate();
}

void TControl::SetColor(TColor v) {
  parent_color_ = false;
  if (color_ == v) return;
  color_ = v;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  parent_color_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parent_color_ || !parent_ || color_ == parent_->Color()) return;
  color_ = parent_->Color();
  ColorChanged();
}

void TControl::ColorChanged() {
  ApplyWidgetColors();
  Invalidate();
}

void TControl::ApplyWidgetColors() {
  QWidget* w = impl_->widget;
  // Controls drawn through Paint use Color and Font themselves.
  if (w == nullptr || dynamic_cast<ui::detail::ControlWidget*>(w) != nullptr) return;
  SetWidgetColors(w, FieldColor(), font_.Color(), FieldColorWhenDisabled());
}

void TControl::SetHint(const AnsiString& v) {
  hint_ = v;
  if (QWidget* w = impl_->widget)
    w->setToolTip(show_hint_ && Application->ShowHint() ? ShortHint(hint_) : QString());
}

void TControl::SetShowHint(bool v) {
  show_hint_ = v;
  SetHint(hint_);
}

bool TControl::GetHintInfo(TPoint, THintInfo&) { return true; }

namespace ui {

bool HintInfoAt(TControl* Control, TPoint Pos, THintInfo& Info) {
  if (!Control || !Control->ShowHint() || !Application->ShowHint()) return false;
  const AnsiString& hint = Control->Hint();
  Info.HintControl = Control;
  Info.CursorPos = Pos;
  Info.CursorRect = TRect(0, 0, Control->ClientWidth(), Control->ClientHeight());
  // Below the mouse pointer, as the usual cursor is about 20 pixels high.
  Info.HintPos = Control->ClientToScreen(TPoint{Pos.x, Pos.y + 20});
  Info.HintStr = hint.substr(0, hint.find('|'));
  return Control->GetHintInfo(Pos, Info) && !Info.HintStr.empty();
}

void CancelHint() {
  if (QCoreApplication::instance()) QToolTip::hideText();
}

}  // namespace ui

void TControl::SetCursor(TCursor c) {
  cursor_ = c;
  if (QWidget* w = impl_->widget) {
    if (c == crDefault) w->unsetCursor();
    else w->setCursor(ShapeOf(c));
  }
}

void TControl::Invalidate() {
  impl_->needsPaint = true;
  if (QWidget* w = impl_->widget) w->update();
}

void TControl::Update() {
  QWidget* w = impl_->widget;
  if (w && w->isVisible()) w->repaint();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  // Windows are stacked by the window system; the offscreen one has no stacking.
  if (QWidget* w = impl_->widget; w && (!w->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen")))
    w->raise();
  if (parent_) {
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
  }
}

void TControl::SendToBack() {
  if (QWidget* w = impl_->widget) w->lower();
  if (parent_) {
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::SetMessageHandler(UINT Msg, TMessageHandler handler) {
  if (handler) handlers_[Msg] = std::move(handler);
  else handlers_.erase(Msg);
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) {
  auto it = handlers_.find(Message.Msg);
  if (it != handlers_.end()) {
    const TMessageHandler handler = it->second;  // may replace itself while running
    handler(Message);
    return;
  }
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) { Message.Result = 0; }

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  // Sizes set while a form is read are its layout, not a resize: handlers bound earlier
  // in the resource would otherwise run before the form's fields exist.
  if (HasState(csLoading)) return;
  NotifyObservers(TNotice::Resized);
  if (OnResize) OnResize(this);
}

void TControl::AddObserver(const void* Key, TObserver Fn) {
  RemoveObserver(Key);
  observers_.emplace_back(Key, std::move(Fn));
}

void TControl::RemoveObserver(const void* Key) {
  std::erase_if(observers_, [Key](const auto& o) { return o.first == Key; });
}

void TControl::NotifyObservers(TNotice Notice) {
  // A copy: an observer may remove itself or another while being told.
  const auto observers = observers_;
  for (const auto& o : observers) o.second(this, Notice);
}

// ---------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  if (TForm* f = ParentForm(); f && f != static_cast<TControl*>(this)) f->ForgetControl(this);
  // Children outlive this part of the object (their owner frees them later): cut them
  // loose so they never reach back into a half-destroyed parent.
  for (TControl* c : controls_) c->parent_ = nullptr;
  controls_.clear();
  tab_list_.clear();
}

void TWinControl::InsertControl(TControl* c) {
  c->parent_ = this;
  controls_.push_back(c);
  if (auto* wc = dynamic_cast<TWinControl*>(c)) tab_list_.push_back(wc);
  c->ParentFontChanged();
  c->ParentColorChanged();
  if (HandleAllocated()) {
    if (QWidget* cw = WidgetOf(c)) {
      cw->setParent(WidgetOf(this));
      c->InitWidget();
    } else {
      c->HandleNeeded();
    }
    UpdateTabOrder();
  }
  if (c->Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), c), tab_list_.end());
  c->parent_ = nullptr;
  if (QWidget* cw = WidgetOf(c)) {
    cw->hide();
    cw->setParent(nullptr);
  }
  if (TForm* f = ParentForm()) {
    if (auto* wc = dynamic_cast<TWinControl*>(c); wc && (f->ActiveControl() == wc || wc->ContainsControl(f->ActiveControl())))
      f->SetActiveControl(nullptr);
  }
  if (c->Align() != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

void TWinControl::InitWidget() {
  TControl::InitWidget();
  ApplyTabStop();
  for (TControl* c : controls_) c->HandleNeeded();
  UpdateTabOrder();
  Realign();
}

void TWinControl::ApplyTabStop() {
  QWidget* w = impl().widget;
  if (!w) return;
  const bool plain = dynamic_cast<ui::detail::ControlWidget*>(w) != nullptr;
  if (tab_stop_) {
    w->setFocusPolicy(Qt::StrongFocus);
  } else if (plain) {
    // Drawn controls take focus by click; containers and forms never hold it.
    w->setFocusPolicy(dynamic_cast<TCustomControl*>(this) ? Qt::ClickFocus : Qt::NoFocus);
  } else {
    w->setFocusPolicy(static_cast<Qt::FocusPolicy>(w->focusPolicy() & ~Qt::TabFocus));
  }
}

void TWinControl::SetTabStop(bool v) {
  tab_stop_ = v;
  ApplyTabStop();
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& l = parent_->tab_list_;
  const auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int v) {
  // While a form is read, later siblings do not exist yet; the parent's Loaded sorts.
  if (HasState(csReading)) {
    read_tab_order_ = v;
    return;
  }
  if (!parent_) return;
  auto& l = parent_->tab_list_;
  l.erase(std::remove(l.begin(), l.end(), this), l.end());
  v = std::clamp(v, 0, static_cast<int>(l.size()));
  l.insert(l.begin() + v, this);
  parent_->UpdateTabOrder();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  // Children given a TabOrder take that place, in ascending order so that each index
  // is final; the others keep their order behind them.
  std::vector<TWinControl*> ordered;
  for (TWinControl* c : tab_list_)
    if (c->read_tab_order_ >= 0) ordered.push_back(c);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->read_tab_order_ < b->read_tab_order_; });
  for (TWinControl* c : ordered) {
    const int v = c->read_tab_order_;
    c->read_tab_order_ = -1;
    c->SetTabOrder(v);
  }
}

void TWinControl::UpdateTabOrder() {
  QWidget* prev = nullptr;
  for (TWinControl* c : tab_list_) {
    QWidget* w = WidgetOf(c);
    if (!w) continue;
    if (prev) QWidget::setTabOrder(prev, w);
    prev = w;
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  HandleNeeded();
  TForm* f = ParentForm();
  if (f == this) f = nullptr;
  TWinControl* before = f ? f->ActiveControl() : nullptr;
  // In an active window the window system reports the focus change back at once and the
  // form fires the exit and enter events from that report (whose handlers may move the focus
  // on); otherwise the form is told here.
  if (QWidget* w = impl().widget) w->setFocus(Qt::OtherFocusReason);
  if (f && f->ActiveControl() == before) f->SetFocusedControl(this);
}

bool TWinControl::Focused() const {
  TForm* f = ParentForm();
  return f && Screen->ActiveForm() == f && f->ActiveControl() == this;
}

void TWinControl::ApplyChildBounds() {
  for (TControl* c : controls_) c->ApplyBounds();
}

void TWinControl::EnableAlign() {
  if (align_disabled_ > 0 && --align_disabled_ == 0) Realign();
}

void TWinControl::Realign() {
  if (align_disabled_ > 0 || aligning_) return;
  aligning_ = true;
  const int cw = ClientWidth(), ch = ClientHeight();
  // Anchored controls follow the edges they are tied to.
  if (last_client_w_ >= 0 && (cw != last_client_w_ || ch != last_client_h_)) {
    const int dx = cw - last_client_w_, dy = ch - last_client_h_;
    for (TControl* c : controls_) {
      if (c->Align() != alNone) continue;
      const TAnchors a = c->Anchors();
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      if (a.Contains(akRight)) {
        if (a.Contains(akLeft)) w += dx;
        else l += dx;
      } else if (!a.Contains(akLeft)) {
        l += dx / 2;
      }
      if (a.Contains(akBottom)) {
        if (a.Contains(akTop)) h += dy;
        else t += dy;
      } else if (!a.Contains(akTop)) {
        t += dy / 2;
      }
      c->SetBounds(l, t, w, h);
    }
  }
  last_client_w_ = cw;
  last_client_h_ = ch;

  TRect r = Rect(0, 0, cw, ch);
  auto take = [&](TAlign which, auto less) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == which && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), less);
    return list;
  };
  for (TControl* c : take(alTop, [](TControl* a, TControl* b) { return a->Top() < b->Top(); })) {
    c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
    r.Top += c->Height();
  }
  for (TControl* c : take(alBottom, [](TControl* a, TControl* b) { return a->Top() > b->Top(); })) {
    c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
    r.Bottom -= c->Height();
  }
  for (TControl* c : take(alLeft, [](TControl* a, TControl* b) { return a->Left() < b->Left(); })) {
    c->SetBounds(r.Left, r.Top, c->Width(), std::max(0, r.Height()));
    r.Left += c->Width();
  }
  for (TControl* c : take(alRight, [](TControl* a, TControl* b) { return a->Left() > b->Left(); })) {
    c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), std::max(0, r.Height()));
    r.Right -= c->Width();
  }
  for (TControl* c : take(alClient, [](TControl*, TControl*) { return false; }))
    c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  aligning_ = false;
}

void TWinControl::Resize() {
  Realign();
  TControl::Resize();
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  for (TControl* c : controls_) c->ParentColorChanged();
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---------------------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TCanvas>()) {
  SetParentColor(true);
  ui::detail::InstallSurfaceProvider(this);
  canvas_->OnChange = [this](TObject*) {
    if (!impl().inPaint)
      if (QWidget* w = impl().widget) w->update();
  };
}

TGraphicControl::~TGraphicControl() = default;

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {
  ui::detail::InstallSurfaceProvider(this);
  canvas_->OnChange = [this](TObject*) {
    if (!impl().inPaint)
      if (QWidget* w = impl().widget) w->update();
  };
}

TCustomControl::~TCustomControl() = default;

bool TWinControl::DialogKey(WORD Key, TShiftState Shift) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w != nullptr && w->Showing() && w->Enabled() && w->DialogKey(Key, Shift)) return true;
  }
  return false;
}

bool TWinControl::WantsDialogKey(WORD) const { return false; }
