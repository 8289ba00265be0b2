#include "platform/stdctrls/WidgetHooks.h"

#include <QDesktopServices>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QUrl>

#include "platform/stdctrls/Edits.h"
#include "platform/ui/detail/QtControls.h"

namespace ui {
namespace {

TDragDropRunner& Runner() {
  static TDragDropRunner r;
  return r;
}
TURLOpener& Opener() {
  static TURLOpener o;
  return o;
}

TDragData FromMime(const QMimeData* m) {
  TDragData d;
  if (m == nullptr) return d;
  d.HasText = m->hasText();
  if (d.HasText) d.Text = gfx::FromQString(m->text());
  d.HasRichText = m->hasFormat("text/rtf") || m->hasFormat("text/richtext") || m->hasHtml();
  if (m->hasUrls())
    for (const QUrl& u : m->urls())
      if (u.isLocalFile()) {
        d.HasFiles = true;
        d.Files.push_back(gfx::FromQString(u.toLocalFile()));
      }
  return d;
}

Qt::DropAction ToQt(TDropEffect e) { return e == deCopy ? Qt::CopyAction : e == deMove ? Qt::MoveAction : Qt::IgnoreAction; }

class HookFilter : public QObject {
 public:
  HookFilter(QWidget* w, TWidgetHooks hooks) : QObject(w), widget_(w), hooks_(std::move(hooks)) {}
  void setHooks(TWidgetHooks h) { hooks_ = std::move(h); }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj != widget_) return false;
    switch (e->type()) {
      case QEvent::Paint: return paint(e);
      case QEvent::Enter:
        if (hooks_.MouseEnter) hooks_.MouseEnter();
        return false;
      case QEvent::Leave:
        if (hooks_.MouseLeave) hooks_.MouseLeave();
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::MouseMove:
      case QEvent::MouseButtonRelease:
        // The control already saw the event through the application's input routing.
        return hooks_.KeepsMouse && hooks_.KeepsMouse();
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* de = static_cast<QDragMoveEvent*>(e);
        TDropEffect eff = deNone;
        if (hooks_.DragOver) {
          const QPoint p = de->position().toPoint();
          eff = hooks_.DragOver(FromMime(de->mimeData()), TPoint{p.x(), p.y()},
                                de->modifiers().testFlag(Qt::ControlModifier));
        }
        if (eff != deNone) {
          de->setDropAction(ToQt(eff));
          de->accept();
        } else {
          de->ignore();
        }
        return true;
      }
      case QEvent::DragLeave:
        if (hooks_.DragLeave) hooks_.DragLeave();
        return true;
      case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(e);
        TDropEffect eff = deNone;
        if (hooks_.Drop) {
          const QPoint p = de->position().toPoint();
          eff = hooks_.Drop(FromMime(de->mimeData()), TPoint{p.x(), p.y()}, de->modifiers().testFlag(Qt::ControlModifier));
        }
        if (eff != deNone) {
          de->setDropAction(ToQt(eff));
          de->accept();
        } else {
          de->ignore();
        }
        return true;
      }
      default: return false;
    }
  }

 private:
  bool paint(QEvent* e) {
    if (painting_) return false;  // the widget's own painting, sent from below
    painting_ = true;
    static_cast<QObject*>(widget_)->event(e);
    painting_ = false;
    if (hooks_.PaintOver) {
      QPainter p(widget_);
      TCanvas canvas;
      gfx::AttachPainter(canvas, &p);
      hooks_.PaintOver(canvas);
      gfx::AttachPainter(canvas, nullptr);
    }
    return true;
  }
  QWidget* widget_;
  TWidgetHooks hooks_;
  bool painting_ = false;
};

}  // namespace

void InstallWidgetHooks(TControl* Control, TWidgetHooks Hooks) {
  QWidget* w = detail::WidgetOf(Control);
  if (w == nullptr) return;
  w->setAcceptDrops(static_cast<bool>(Hooks.DragOver));
  w->setAttribute(Qt::WA_Hover, true);
  for (QObject* child : w->children())
    if (auto* f = dynamic_cast<HookFilter*>(child)) {
      f->setHooks(std::move(Hooks));
      return;
    }
  w->installEventFilter(new HookFilter(w, std::move(Hooks)));
}

void SetDragDropRunner(TDragDropRunner R) { Runner() = std::move(R); }

TDropEffect DoDragDrop(TControl* Source, const TDragData& Data, int Allowed) {
  if (Runner()) return Runner()(Source, Data, Allowed);
  QWidget* w = detail::WidgetOf(Source);
  if (w == nullptr) return deNone;
  auto* drag = new QDrag(w);
  auto* mime = new QMimeData;
  if (Data.HasText) mime->setText(gfx::ToQString(Data.Text));
  drag->setMimeData(mime);
  Qt::DropActions actions;
  if (Allowed & deCopy) actions |= Qt::CopyAction;
  if (Allowed & deMove) actions |= Qt::MoveAction;
  const Qt::DropAction r = drag->exec(actions, Qt::MoveAction);
  return r == Qt::CopyAction ? deCopy : r == Qt::MoveAction ? deMove : deNone;
}

void SetURLOpener(TURLOpener O) { Opener() = std::move(O); }

bool OpenURL(const AnsiString& Url) {
  if (Opener()) return Opener()(Url);
  return QDesktopServices::openUrl(QUrl(gfx::ToQString(Url), QUrl::StrictMode));
}

namespace {
QLineEdit* LineEditOf(TCustomEdit* e) {
  e->HandleNeeded();
  return qobject_cast<QLineEdit*>(detail::WidgetOf(e));
}
// Left edge of the text inside the widget, as the line edit lays it out (left aligned).
int TextLeft(QLineEdit* w) {
  const int frame = w->hasFrame() ? w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w) : 0;
  return w->contentsRect().left() + w->textMargins().left() + frame + 2;
}
}  // namespace

int EditCharFromPoint(TCustomEdit* Edit, TPoint At) {
  if (QLineEdit* w = LineEditOf(Edit)) return w->cursorPositionAt(QPoint(At.x, At.y));
  return 0;
}

int EditCharToX(TCustomEdit* Edit, int Pos) {
  QLineEdit* w = LineEditOf(Edit);
  if (w == nullptr) return 0;
  const QString shown = w->displayText();
  QFontMetrics fm(w->font());
  const int width = fm.horizontalAdvance(shown.left(std::max(0, Pos)));
  const int full = fm.horizontalAdvance(shown);
  const int left = TextLeft(w);
  const int room = w->contentsRect().right() - w->textMargins().right() - 2 - left;
  const Qt::Alignment a = w->alignment();
  if (a & Qt::AlignRight) return left + std::max(0, room - full) + width;
  if (a & Qt::AlignHCenter) return left + std::max(0, (room - full) / 2) + width;
  return left + width;
}

}  // namespace ui
