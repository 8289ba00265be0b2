// The typed edit's look over the window system's edit (flat line, focus border, drop
// caret, placeholder, error marker), the mouse (hover, URL clicks, the long-text hint)
// and drag and drop of text.
#include <algorithm>
#include <cctype>

#include "controls/AdvEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Forms.h"

namespace {
AnsiString Lower(AnsiString s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
bool StartsWith(const AnsiString& s, const char* p) { return s.compare(0, std::char_traits<char>::length(p), p) == 0; }

// A plain e-mail address: one "@" with something on both sides, no blanks or quotes.
bool IsMailAddress(const AnsiString& s) {
  const size_t at = s.find('@');
  if (at == AnsiString::npos || at == 0 || at + 1 >= s.size() || s.find('@', at + 1) != AnsiString::npos) return false;
  for (char c : s)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || AnsiString("@._%+-").find(c) != AnsiString::npos)) return false;
  return s.find('.', at) != AnsiString::npos;
}
}  // namespace

AnsiString SafeURL(const AnsiString& Text) {
  for (char c : Text)
    if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '<' || c == '>' || c == '\\') return AnsiString();
  const AnsiString l = Lower(Text);
  if (StartsWith(l, "http://") || StartsWith(l, "https://")) return Text.size() > 8 ? Text : AnsiString();
  if (StartsWith(l, "mailto:")) return IsMailAddress(Text.substr(7)) ? Text : AnsiString();
  if (StartsWith(l, "www.") && l.find("://") == AnsiString::npos) return "http://" + Text;
  if (IsMailAddress(Text)) return "mailto:" + Text;
  return AnsiString();
}

void TAdvEdit::CreateHandle() {
  TFlatEdit::CreateHandle();
  InstallHooks();
}

void TAdvEdit::InstallHooks() {
  ui::TWidgetHooks h;
  h.PaintOver = [this](TCanvas& c) { PaintDecoration(c); };
  h.MouseEnter = [this] {
    MouseEnter();
    if (focus_border_) Invalidate();
  };
  h.MouseLeave = [this] {
    MouseLeave();
    if (focus_border_) Invalidate();
  };
  h.KeepsMouse = [this] { return drag_pending_; };
  // Always set, so that the window system's own drop handling never bypasses the type
  // rules; without OleDropTarget every drag is refused.
  h.DragOver = [this](const ui::TDragData& d, TPoint p, bool ctrl) { return static_cast<ui::TDropEffect>(DragOverAt(d, p, ctrl)); };
  h.DragLeave = [this] { DragLeft(); };
  h.Drop = [this](const ui::TDragData& d, TPoint p, bool ctrl) { return static_cast<ui::TDropEffect>(DropAt(d, p, ctrl)); };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TAdvEdit::SetOleDropTarget(bool v) {
  ole_target_ = v;
  if (!v) DragLeft();
}

// ---- painting ----

void TAdvEdit::PaintDecoration(TCanvas& c) {
  const int h = Height();
  const int left = LeftMargin();
  PaintFlatLook(c, focused_, focus_border_, focus_border_color_);
  c.Font()->Assign(Font());
  if (drop_caret_.x >= 0) {
    c.Pen()->SetColor(Font()->Color());
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Font()->Color());
    const int th = c.TextHeight("gh");
    c.FillRect(TRect(drop_caret_.x, drop_caret_.y, drop_caret_.x + 1, drop_caret_.y + th));
  }
  if (ShowsEmptyText()) {
    c.Font()->SetColor(static_cast<TColor>(0x808080));
    c.Brush()->SetStyle(bsClear);
    c.TextOut(2 + left, 2, empty_text_);
  }
  if (!focused_ && error_marker_len_ >= 1) {
    const int pre = static_cast<int>(prefix_.size());
    const int x1 = ui::EditCharToX(this, pre + error_marker_pos_);
    const int x2 = ui::EditCharToX(this, pre + error_marker_pos_ + error_marker_len_);
    const int th = c.TextHeight("gh");
    const int y = std::min(h - 3, (h - th) / 2 + th + 3 - 3);
    c.Pen()->SetColor(clRed);
    c.Pen()->SetWidth(2);
    std::vector<TPoint> zig;
    for (int x = x1, i = 0; x <= x2; x += 3, ++i) zig.push_back({x, i % 2 ? y - 2 : y});
    if (zig.size() >= 2) c.Polyline(zig);
    c.Pen()->SetWidth(1);
  }
}

// ---- mouse ----

bool TAdvEdit::GetHintInfo(TPoint Pos, THintInfo& Info) {
  if (!hint_large_) return TFlatEdit::GetHintInfo(Pos, Info);
  TBitmap measure;
  measure.Canvas()->Font()->Assign(Font());
  const AnsiString shown = WindowText();
  if (measure.Canvas()->TextWidth(shown) + LeftMargin() + RightMargin() + 4 <= Width())
    return TFlatEdit::GetHintInfo(Pos, Info);
  Info.HintStr = shown;
  Info.HintPos = ClientToScreen(TPoint{0, 0});
  return true;
}

void TAdvEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  drag_pending_ = false;
  if (Button == mbLeft && ole_source_ && focused_ && SelLength() > 0) {
    const int at = ui::EditCharFromPoint(this, TPoint{X, Y});
    // The press inside the selection keeps it: a drag may follow.
    if (at >= SelStart() && at < SelStart() + SelLength()) drag_pending_ = true;
  }
  TFlatEdit::MouseDown(Button, Shift, X, Y);
}

void TAdvEdit::MouseMove(TShiftState Shift, int X, int Y) {
  TFlatEdit::MouseMove(Shift, X, Y);
  if (!drag_pending_ || !Shift.Contains(ssLeft)) return;
  drag_pending_ = false;
  if (!ole_source_ || SelLength() == 0) return;
  ui::TDragData data;
  data.HasText = true;
  data.Text = SelText();
  const int start = SelStart(), len = SelLength();
  self_drag_ = true;
  self_dropped_ = false;
  const ui::TDropEffect effect = ui::DoDragDrop(this, data, ui::deCopy | ui::deMove);
  self_drag_ = false;
  // Moved out to somewhere else: the text leaves this edit. A drop into this edit has
  // done its own move already.
  if (effect == ui::deMove && !self_dropped_ && !ReadOnly()) {
    SetSelStart(start);
    SetSelLength(len);
    ReplaceSel("");
    SetModified(true);
  }
  drop_caret_ = TPoint{-1, -1};
  Invalidate();
}

void TAdvEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (drag_pending_) {
    drag_pending_ = false;
    SetSelStart(ui::EditCharFromPoint(this, TPoint{X, Y}));
    KeepCaretInValue();
  } else if (Button == mbLeft && focused_ && url_look_) {
    ClickURL();
  }
  TFlatEdit::MouseUp(Button, Shift, X, Y);
}

void TAdvEdit::KeepCaretInValue() {
  const int pre = static_cast<int>(prefix_.size());
  const int end = pre + static_cast<int>(Text().size());
  if (SelStart() < pre) SetSelStart(pre);
  if (SelStart() > end) SetSelStart(end);
}

void TAdvEdit::ClickURL() {
  bool show = true;
  const AnsiString text = Text();
  if (OnURLClick) OnURLClick(this, text, show);
  if (!show) return;
  const AnsiString url = SafeURL(text);
  if (!url.empty()) ui::OpenURL(url);
}

// ---- drag and drop ----

int TAdvEdit::DragOverAt(const ui::TDragData& Data, TPoint At, bool Ctrl) {
  if (!ole_target_ || ReadOnly() || !Enabled() || !(Data.HasText || Data.HasFiles)) {
    DragLeft();
    return ui::deNone;
  }
  const int pos = ui::EditCharFromPoint(this, At);
  const TPoint caret{ui::EditCharToX(this, pos), 2};
  if (caret.x != drop_caret_.x || caret.y != drop_caret_.y) {
    drop_caret_ = caret;
    Invalidate();
  }
  return Ctrl ? ui::deCopy : ui::deMove;
}

void TAdvEdit::DragLeft() {
  if (drop_caret_.x < 0) return;
  drop_caret_ = TPoint{-1, -1};
  Invalidate();
}

int TAdvEdit::DropAt(const ui::TDragData& Data, TPoint At, bool Ctrl) {
  if (DragOverAt(Data, At, Ctrl) == ui::deNone) return ui::deNone;
  DragLeft();
  if (!Data.HasText) return ui::deNone;  // files are recognised, not inserted
  AnsiString text = Data.Text;
  text = text.substr(0, text.find('\r'));
  text = text.substr(0, text.find('\n'));
  int pos = ui::EditCharFromPoint(this, At);
  const int selStart = SelStart(), selLen = SelLength();
  // Onto its own selection: nothing to do, and the source must not delete it either.
  if (self_drag_ && pos >= selStart && pos <= selStart + selLen) return ui::deNone;
  const AnsiString before = WindowText();
  if (self_drag_ && !Ctrl) {
    ReplaceSel("");  // a move inside the edit
    if (pos > selStart) pos -= selLen;
  }
  const int pre = static_cast<int>(prefix_.size());
  const int end = pre + static_cast<int>(Text().size());
  SetSelStart(std::clamp(pos, pre, end));
  if (!InsertChecked(text)) {
    // The type does not take the result: everything stays as it was.
    TCustomEdit::SetText(before);
    SetSelStart(selStart);
    SetSelLength(selLen);
    return ui::deNone;
  }
  if (self_drag_) self_dropped_ = true;
  Invalidate();
  return Ctrl ? ui::deCopy : ui::deMove;
}
