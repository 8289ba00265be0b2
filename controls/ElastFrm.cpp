#include "controls/ElastFrm.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include "platform/classes/IniFiles.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Grids.h"
#include "platform/stdctrls/PageControl.h"
#include "platform/stdctrls/StatusBar.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Timer.h"

// One scaled control: its geometry and font sizes at the design size of the form (already
// multiplied by the resolution factors), from which every rescale starts again.
struct TElasticForm::TFrame {
  TControl* control = nullptr;
  int left = 0, width = 0, top = 0, height = 0;
  bool enabled = true;
  bool visible = true;
  int font_size = 0, font_size_unscaled = 0;
  struct ExtraFont {
    TFont* font;
    int size;
  };
  std::vector<ExtraFont> extra_fonts;
  // Grids.
  bool grid_cols = false;  // column widths are applied
  int col_count = 0;
  std::vector<int> col_widths;
  int row_height = 0;
  // Status bars.
  std::vector<int> panel_widths;
};

namespace {

int RoundInt(double x) { return static_cast<int>(Round(x)); }
int TruncInt(double x) { return static_cast<int>(Trunc(x)); }

bool SameTextAny(const AnsiString& s, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (SameText(s, n)) return true;
  return false;
}

// The TFont objects published by o (skipping the names in Skip).
void PublishedFonts(TObject* o, std::vector<TFont*>& out, bool skipOwn) {
  const TStreamClass* c = ClassOf(o);
  if (c == nullptr) return;
  for (const TPropInfo* p : c->AllProps()) {
    if (p->Kind() != TPropKind::Object) continue;
    auto* f = dynamic_cast<TFont*>(p->GetObject(o));
    if (f == nullptr) continue;
    if (skipOwn && SameTextAny(p->Name(), {"FONT", "TITLEFONT", "TABFONT"})) continue;
    out.push_back(f);
  }
}

}  // namespace

int ElasticRound(double x) {
  const double t = std::trunc(x);
  if (x - t > 0.5) return RoundInt(x);
  return static_cast<int>(t);
}

TElasticForm::TElasticForm(TComponent* AOwner) : TComponent(AOwner) {
  auto* form = dynamic_cast<TForm*>(AOwner);
  if (form == nullptr) throw EComponentError("Owner of TElasticForm component must be a form");
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    if (c != this && dynamic_cast<TElasticForm*>(c) != nullptr)
      throw EComponentError("A TElasticForm component already exists in " + form->Name());
  }
  font_.Assign(form->Font());
  design_screen_w_ = Screen->Width();
  design_screen_h_ = Screen->Height();
  design_ppi_ = Screen->PixelsPerInch();
  screen_w_ = design_screen_w_;
  screen_h_ = design_screen_h_;
  Screen->AddDisplayObserver(this, [this] { DisplayChanged(Screen->Width(), Screen->Height()); });
  form->AddObserver(this, [this](TControl*, TControl::TNotice n) {
    switch (n) {
      case TControl::TNotice::Shown: FormShown(); break;
      case TControl::TNotice::Resized: FormResized(); break;
      case TControl::TNotice::Closing: SavePlacement(); break;
      case TControl::TNotice::StateChanged:
        // Minimising, maximising and restoring remember where the focus is, to give it back
        // after the rescale that follows.
        RememberActiveControl();
        if (TForm* f = Form(); f != nullptr && f->WindowState() == wsMinimized) SavePlacement();
        break;
      case TControl::TNotice::Painting: PaintBackground(); break;
    }
  });
}

TElasticForm::~TElasticForm() {
  Screen->RemoveDisplayObserver(this);
  // The form frees its components only after its control part is gone: by then there is
  // no observer list to leave.
  if (TComponent* o = Owner(); o != nullptr && !o->HasState(csDestroying)) {
    if (TForm* f = Form()) f->RemoveObserver(this);
  }
  for (auto& f : frames_)
    if (f->control != nullptr) f->control->RemoveFreeNotification(this);
}

TForm* TElasticForm::Form() const { return dynamic_cast<TForm*>(Owner()); }

void TElasticForm::SetBkGrndImage(TImage* v) {
  if (bk_image_ != nullptr) bk_image_->RemoveFreeNotification(this);
  bk_image_ = v;
  if (v != nullptr) {
    v->FreeNotification(this);
    v->SetVisible(false);
  }
}

void TElasticForm::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == bk_image_) bk_image_ = nullptr;
  std::erase_if(frames_, [AComponent](const auto& f) { return f->control == AComponent; });
  std::erase(excluded_, AComponent);
}

TControl* TElasticForm::ListedControl(int i) const { return frames_.at(static_cast<size_t>(i))->control; }

void TElasticForm::ExcludeControl(TControl* Control) {
  TForm* form = Form();
  if (Control == nullptr || (Control->Owner() != form && Control->Parent() != form)) return;
  if (std::find(excluded_.begin(), excluded_.end(), Control) == excluded_.end()) {
    excluded_.push_back(Control);
    Control->FreeNotification(this);
  }
  Control->SetParentFont(false);
  if (initialised_) ApplyExclusions();
}

void TElasticForm::ApplyExclusions() {
  for (auto& f : frames_)
    if (std::find(excluded_.begin(), excluded_.end(), f->control) != excluded_.end()) f->enabled = false;
  excluded_.clear();
}

// ---- collecting and recording ----

void TElasticForm::CollectControls(TWinControl* Parent, std::vector<TControl*>& Out, std::vector<TControl*>& Bars) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    // Pages are skipped (their children are listed); so are unnamed controls.
    const bool page = dynamic_cast<TPage*>(c) != nullptr || dynamic_cast<TTabSheet*>(c) != nullptr;
    if (!c->Name().empty() && !page) {
      if (dynamic_cast<TStatusBar*>(c) != nullptr) Bars.push_back(c);
      else Out.push_back(c);
    }
    if (auto* w = dynamic_cast<TWinControl*>(c)) CollectControls(w, Out, Bars);
  }
}

void TElasticForm::Initialise() {
  TForm* form = Form();
  const int screenW = Screen->Width(), screenH = Screen->Height();
  if (!resolution_independence_ || design_screen_w_ <= 0 || design_screen_h_ <= 0) {
    design_screen_w_ = screenW;
    design_screen_h_ = screenH;
  }
  hres_ = resolution_independence_ ? static_cast<double>(screenW) / design_screen_w_ : 1.0;
  vres_ = resolution_independence_ ? static_cast<double>(screenH) / design_screen_h_ : 1.0;
  font_factor_ = vres_;

  std::vector<TControl*> listed, bars;
  CollectControls(form, listed, bars);
  // Aligned controls first, in the order the alignment lays them out; among equal keys
  // the later-listed control first; unaligned ones last, in collection order.
  struct Key {
    int group, key, index;
  };
  std::vector<std::pair<Key, TControl*>> keyed;
  for (size_t i = 0; i < listed.size(); ++i) {
    TControl* c = listed[i];
    const int idx = static_cast<int>(i);
    Key k{5, idx, -idx};
    switch (c->Align()) {
      case alTop: k = {0, c->Top(), -idx}; break;
      case alBottom: k = {1, -c->Top(), -idx}; break;
      case alLeft: k = {2, c->Left(), -idx}; break;
      case alRight: k = {3, -c->Left(), -idx}; break;
      case alClient: k = {4, c->Left(), -idx}; break;
      default: break;
    }
    keyed.push_back({k, c});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.first.group != b.first.group) return a.first.group < b.first.group;
    if (a.first.key != b.first.key) return a.first.key < b.first.key;
    return a.first.index < b.first.index;
  });
  // Status bars join at the end, scaled once by the resolution factors.
  for (TControl* b : bars) keyed.push_back({Key{6, 0, 0}, b});

  frames_.clear();
  for (auto& [k, c] : keyed) {
    auto f = std::make_unique<TFrame>();
    f->control = c;
    f->visible = c->Visible();
    c->FreeNotification(this);
    Record(*f, 1.0, 1.0, 1.0);
    frames_.push_back(std::move(f));
  }

  base_client_w_ = design_client_w_ > 0 ? RoundInt(design_client_w_ * hres_) : form->ClientWidth();
  base_client_h_ = design_client_h_ > 0 ? RoundInt(design_client_h_ * vres_) : form->ClientHeight();
  base_font_size_ = ElasticRound(font_.Size() * font_factor_);
  initialised_ = true;
}

void TElasticForm::ApplyStartBounds() {
  TForm* form = Form();
  if (design_form_w_ <= 0 || design_form_h_ <= 0) return;
  const int screenW = Screen->Width(), screenH = Screen->Height();
  int l = RoundInt(design_form_left_ * hres_), t = RoundInt(design_form_top_ * vres_);
  int w = RoundInt(design_form_w_ * hres_), h = RoundInt(design_form_h_ * vres_);
  const bool maximised = form->WindowState() == wsMaximized;
  if (maximised) {
    // A form that starts maximised is restored to the maximised position, at the size it is
    // maximised to: the proportional limit, or the whole screen. Both are pixels already.
    const TTrackLimits lim = TrackLimits(screenW, screenH);
    l = lim.MaxPosX;
    t = lim.MaxPosY;
    w = maintain_proportions_ && lim.MaxWidth > 0 ? lim.MaxWidth : screenW;
    h = maintain_proportions_ && lim.MaxHeight > 0 ? lim.MaxHeight : screenH;
  } else if (form->BorderStyle() == bsNone) {
    w = RoundInt(design_client_w_ * hres_);
    h = RoundInt(design_client_h_ * vres_);
  }
  if (form->Position() == poScreenCenter || form->Position() == poDesktopCenter) {
    l = (screenW - w) / 2;
    t = (screenH - h) / 2;
  } else if (form->Position() == poMainFormCenter && Application->MainForm() != nullptr &&
             Application->MainForm() != form) {
    const TForm* m = Application->MainForm();
    l = m->Left() + (m->Width() - w) / 2;
    t = m->Top() + (m->Height() - h) / 2;
  }
  if (l + w > screenW) l = (screenW - w) / 2;
  if (t + h > screenH) t = (screenH - h) / 2;
  if (maximised) {
    form->SetBounds(std::max(0, l), std::max(0, t), w, h);
    return;
  }
  form->SetBounds(std::max(0, l), std::max(0, t), form->Width(), form->Height());
  // The window frame is added by the window system when the form is shown, around the
  // client area: so the design client size is what is set, and the outer size follows.
  if (design_client_w_ > 0 && design_client_h_ > 0)
    form->SetClientSize(RoundInt(design_client_w_ * hres_), RoundInt(design_client_h_ * vres_));
  else
    form->SetClientSize(w, h);
}

void TElasticForm::Record(TFrame& F, double H, double V, double FontFactor) {
  TControl* c = F.control;
  if (dynamic_cast<TTabSheet*>(c->Parent()) != nullptr && c->ParentFont()) c->SetParentFont(false);

  F.extra_fonts.clear();
  if (look_extra_fonts_ && dynamic_cast<TTabSheet*>(c) == nullptr) {
    std::vector<TFont*> fonts;
    PublishedFonts(c, fonts, true);
    // Fonts of owned sub-objects, one and two levels down. References to other
    // components are left out: their fonts are scaled with their own records.
    if (const TStreamClass* cls = ClassOf(c)) {
      for (const TPropInfo* p : cls->AllProps()) {
        if (p->Kind() != TPropKind::Object) continue;
        TObject* sub = p->GetObject(c);
        if (sub == nullptr || dynamic_cast<TFont*>(sub) != nullptr || dynamic_cast<TTabSheet*>(sub) != nullptr) continue;
        PublishedFonts(sub, fonts, false);
        if (const TStreamClass* sc = ClassOf(sub))
          for (const TPropInfo* q : sc->AllProps())
            if (q->Kind() == TPropKind::Object)
              if (TObject* sub2 = q->GetObject(sub); sub2 != nullptr && dynamic_cast<TFont*>(sub2) == nullptr)
                PublishedFonts(sub2, fonts, false);
      }
    }
    for (TFont* f : fonts) F.extra_fonts.push_back({f, TruncInt(f->Size() * FontFactor)});
  }

  if (auto* bar = dynamic_cast<TStatusBar*>(c)) {
    F.panel_widths.clear();
    for (int i = 0; i < bar->Panels()->Count(); ++i) {
      TStatusPanel* p = bar->Panels()->Items(i);
      p->SetWidth(RoundInt(p->Width() * H));
      F.panel_widths.push_back(p->Width());
    }
  }

  if (auto* grid = dynamic_cast<TCustomGrid*>(c)) {
    F.col_count = grid->ColCount();
    F.col_widths.clear();
    // Two columns of the library's default width: left as they are.
    F.grid_cols = !(F.col_count == 2 && grid->ColWidths(0) == 64 && grid->ColWidths(1) == 64);
    for (int i = 0; i < F.col_count; ++i)
      F.col_widths.push_back(F.grid_cols ? RoundInt(grid->ColWidths(i) * H) : grid->ColWidths(i));
    F.row_height = RoundInt(grid->DefaultRowHeight() * V);
    grid->SetParentFont(false);
  }

  F.left = RoundInt(H * c->Left());
  F.top = RoundInt(V * c->Top());
  F.width = RoundInt(H * c->Width());
  F.height = RoundInt(V * c->Height());

  F.font_size_unscaled = c->Font()->Size();
  F.font_size = TruncInt(F.font_size_unscaled * FontFactor);
}

// ---- rescaling ----

void TElasticForm::RememberActiveControl() {
  TForm* form = Form();
  if (form == nullptr || rescaling_) return;
  if (TWinControl* c = form->ActiveControl(); c != nullptr && !c->Name().empty()) ef_active_control_ = c->Name();
}

void TElasticForm::RestoreFocus() {
  TForm* form = Form();
  if (form == nullptr || ef_active_control_.empty() || !form->Visible()) return;
  for (auto& f : frames_) {
    auto* w = dynamic_cast<TWinControl*>(f->control);
    if (w == nullptr || w->Name() != ef_active_control_) continue;
    if (w->CanFocus() && !w->Focused()) form->SetActiveControl(w);
    return;
  }
}

std::vector<TControl*> TElasticForm::HideControls() {
  // Controls the rescale moves are hidden meanwhile, so no half-placed state is ever seen:
  // those aligned to an edge and those placed on the form itself. The ones hidden are given
  // back exactly, whatever the program showed or hid since the form was made.
  std::vector<TControl*> hidden;
  TForm* form = Form();
  if (form == nullptr) return hidden;
  focused_before_hiding_ = form->ActiveControl();
  for (auto& f : frames_) {
    TControl* c = f->control;
    if (c == nullptr || !f->enabled || !c->Visible()) continue;
    if (c->Align() == alNone && c->Parent() != form) continue;
    c->SetVisible(false);
    hidden.push_back(c);
  }
  return hidden;
}

void TElasticForm::ShowControls(const std::vector<TControl*>& Hidden) {
  for (TControl* c : Hidden)
    if (std::any_of(frames_.begin(), frames_.end(), [c](const auto& f) { return f->control == c; })) c->SetVisible(true);
  // Without a control named to take it, the focus goes back where it was.
  TWinControl* before = focused_before_hiding_;
  focused_before_hiding_ = nullptr;
  TForm* form = Form();
  if (ef_active_control_.empty() && form != nullptr && before != nullptr && form->Visible() &&
      std::any_of(frames_.begin(), frames_.end(), [before](const auto& f) { return f->control == before; }) &&
      before->CanFocus())
    form->SetActiveControl(before);
  RestoreFocus();
}

void TElasticForm::RescaleHidden() {
  const std::vector<TControl*> hidden = HideControls();
  try {
    Rescale();
  } catch (...) {
    ShowControls(hidden);
    throw;
  }
  ShowControls(hidden);
}

void TElasticForm::FormShown() {
  if (!active_ || rescaling_) return;
  TForm* form = Form();
  if (!initialised_) {
    rescaling_ = true;
    Initialise();
    ApplyStartBounds();
    LoadPlacement();
    rescaling_ = false;
  }
  RescaleHidden();
  last_w_ = form->ClientWidth();
  last_h_ = form->ClientHeight();
  last_outer_w_ = form->Width();
  last_outer_h_ = form->Height();
  last_state_ = form->WindowState();
}

void TElasticForm::FormResized() {
  TForm* form = Form();
  if (!active_ || rescaling_ || form == nullptr || !form->Visible()) return;
  if (form->WindowState() == wsMinimized) return;
  if (!initialised_) {
    FormShown();
    return;
  }
  // A drag of the window frame reports many sizes in a row: the rescale waits until
  // they stop for a moment, and then runs once for the size the window ended at.
  if (!resize_timer_) {
    resize_timer_ = new TTimer(this);
    resize_timer_->SetEnabled(false);
    resize_timer_->SetInterval(kResizeSettleMs);
    resize_timer_->OnTimer = [this](TObject*) { FlushPendingResize(); };
  }
  resize_timer_->SetEnabled(false);
  resize_timer_->SetEnabled(true);
}

bool TElasticForm::ResizePending() const { return resize_timer_ != nullptr && resize_timer_->Enabled(); }

void TElasticForm::FlushPendingResize() {
  if (resize_timer_) resize_timer_->SetEnabled(false);
  TForm* form = Form();
  if (!active_ || rescaling_ || form == nullptr || !form->Visible() || form->WindowState() == wsMinimized) return;
  // At the end of a drag, the window takes the proportion it had before it (the side that
  // changed more decides); maximised windows keep the size the window system gave them.
  // The client area is what is compared and sized: the window system adds its frame only
  // after the window first shows, which is no change of the user's.
  // A restore from maximised is no drag: the window takes back its normal size as it was.
  if (maintain_proportions_ && form->WindowState() == wsNormal && last_state_ == wsNormal && last_w_ > 0 &&
      last_h_ > 0) {
    const TSize kept = KeepProportions(last_w_, last_h_, form->ClientWidth(), form->ClientHeight());
    if (kept.cx != form->ClientWidth() || kept.cy != form->ClientHeight()) {
      rescaling_ = true;
      form->SetClientSize(kept.cx, kept.cy);
      rescaling_ = false;
    }
  }
  // Small changes do not rescale. The client size is compared: the window frame becomes
  // known only after the window is shown, and would otherwise count as a change.
  if (std::abs(form->ClientWidth() - last_w_) > 5 || std::abs(form->ClientHeight() - last_h_) > 5) {
    RescaleHidden();
    last_w_ = form->ClientWidth();
    last_h_ = form->ClientHeight();
    last_outer_w_ = form->Width();
    last_outer_h_ = form->Height();
  }
  last_state_ = form->WindowState();
  SavePlacement();
}

void TElasticForm::ApplyFonts(TFrame& F, double FontRatio) {
  TControl* c = F.control;
  const bool grid = dynamic_cast<TCustomGrid*>(c) != nullptr;
  if (!grid || grid_font_resize_) {
    for (auto& e : F.extra_fonts) e.font->SetSize(ElasticRound(e.size * FontRatio));
    c->Font()->SetSize(ElasticRound(F.font_size * FontRatio));
  } else {
    c->Font()->SetSize(F.font_size);
  }
}

void TElasticForm::Apply(TFrame& F, int ClientW, int ClientH, double FontRatio) {
  TControl* c = F.control;
  // An excluded control is placed by the program itself: the rescale leaves it where it
  // is, so it neither jumps back to a design place nor drifts.
  if (!F.enabled) return;
  if (elastic_font_) ApplyFonts(F, FontRatio);
  const double hr = static_cast<double>(ClientW) / base_client_w_;
  const double vr = static_cast<double>(ClientH) / base_client_h_;
  const int l = elastic_h_ ? RoundInt(F.left * hr) : F.left;
  const int w = elastic_h_ ? RoundInt(F.width * hr) : F.width;
  const int t = elastic_v_ ? RoundInt(F.top * vr) : F.top;
  const int h = elastic_v_ ? RoundInt(F.height * vr) : F.height;
  c->SetBounds(l, t, w, h);
  // An auto-size label keeps the size of its caption: the recorded width is that of the
  // caption it had then (an empty one, for a unit shown later), and the text does not grow
  // exactly with the font.
  if (auto* label = dynamic_cast<TLabel*>(c); label != nullptr && label->AutoSize()) label->AdjustBounds();

  if (elastic_h_) {
    if (auto* bar = dynamic_cast<TStatusBar*>(c)) {
      const int n = std::min(bar->Panels()->Count(), static_cast<int>(F.panel_widths.size()));
      for (int i = 0; i < n; ++i)
        bar->Panels()->Items(i)->SetWidth(RoundInt(F.panel_widths[static_cast<size_t>(i)] * hr));
    }
    if (auto* grid = dynamic_cast<TCustomGrid*>(c)) {
      const int frame = grid->Width() - grid->ClientWidth();
      double colRatio = hr;
      if (w - frame > 0 && F.width - frame > 0) colRatio = static_cast<double>(w - frame) / (F.width - frame);
      if (grid->ColCount() != F.col_count) {
        // Columns were added or removed since recording: start again from the grid as it is.
        c->Font()->SetSize(F.font_size);
        F.col_count = grid->ColCount();
        F.col_widths.clear();
        F.grid_cols = !(F.col_count == 2 && grid->ColWidths(0) == 64 && grid->ColWidths(1) == 64);
        for (int i = 0; i < F.col_count; ++i) F.col_widths.push_back(grid->ColWidths(i));
      }
      if (F.grid_cols)
        for (int i = 0; i < F.col_count; ++i) {
          const double rec = F.col_widths[static_cast<size_t>(i)];
          grid->SetColWidths(i, RoundInt(grid_col_resize_ ? rec * colRatio : rec));
        }
    }
  }
  if (elastic_v_)
    if (auto* grid = dynamic_cast<TCustomGrid*>(c))
      grid->SetDefaultRowHeight(RoundInt(grid_row_resize_ ? F.row_height * vr : F.row_height));

  // Controls that measure themselves on a resize end with the scaled font.
  if (elastic_font_) ApplyFonts(F, FontRatio);
}

void TElasticForm::Rescale() {
  TForm* form = Form();
  if (form == nullptr) return;
  const bool wasRescaling = rescaling_;
  rescaling_ = true;
  if (!initialised_) Initialise();
  const bool first = first_rescale_;
  if (first_rescale_) {
    first_rescale_ = false;
    for (auto& f : frames_) Record(*f, hres_, vres_, font_factor_);
  }
  // Controls excluded while the form was being made are left alone from the first
  // rescale on, like those excluded later.
  ApplyExclusions();
  if (base_client_w_ <= 0 || base_client_h_ <= 0) {
    rescaling_ = wasRescaling;
    return;
  }
  // Client size against client base, so the design size gives the design font exactly.
  const double byW = static_cast<double>(form->ClientWidth()) / base_client_w_;
  const double byH = static_cast<double>(form->ClientHeight()) / base_client_h_;
  font_ratio_ = base_font_size_ != 0
                    ? std::min(base_font_size_ * byW, base_font_size_ * byH) / base_font_size_
                    : std::min(byW, byH);
  if (elastic_font_) {
    font_.SetSize(RoundInt(base_font_size_ * font_ratio_));
    if (!form->Font()->SameAs(font_)) form->Font()->Assign(&font_);
  }
  const int cw = form->ClientWidth(), ch = form->ClientHeight();
  for (size_t i = 0; i < frames_.size(); ++i) Apply(*frames_[i], cw, ch, font_ratio_);
  // The window's size limits hold from the first rescale on.
  if (first) ApplySizeLimits();
  rescaling_ = wasRescaling;
  if (OnAfterResize) OnAfterResize(this);
}

// ---- size limits ----

TElasticForm::TTrackLimits TElasticForm::TrackLimits(int ScreenWidth, int ScreenHeight) const {
  // Positive: pixels; negative: per cent of the screen; zero: no limit.
  auto px = [](int v, int screen) {
    return v >= 0 ? v : RoundInt(std::abs(v) * 1.0 * screen / 100.0);
  };
  TTrackLimits r;
  r.MaxPosX = px(max_pos_x_, ScreenWidth);
  r.MaxPosY = px(max_pos_y_, ScreenHeight);
  r.MinTrackWidth = px(min_track_w_, ScreenWidth);
  r.MinTrackHeight = px(min_track_h_, ScreenHeight);
  r.MaxTrackWidth = px(max_track_w_, ScreenWidth);
  r.MaxTrackHeight = px(max_track_h_, ScreenHeight);
  if (maintain_proportions_ && design_form_w_ > 0 && design_form_h_ > 0 && ScreenWidth > 0 && ScreenHeight > 0) {
    const double ratio = static_cast<double>(design_form_w_) / design_form_h_;
    if (static_cast<double>(design_form_w_) / ScreenWidth >= static_cast<double>(design_form_h_) / ScreenHeight) {
      r.MaxTrackWidth = ScreenWidth - 6;
      r.MaxTrackHeight = RoundInt((ScreenWidth - 6) / ratio);
    } else {
      r.MaxTrackHeight = ScreenHeight - 5;
      r.MaxTrackWidth = RoundInt((ScreenHeight - 5) * ratio);
    }
    r.MaxWidth = r.MaxTrackWidth;
    r.MaxHeight = r.MaxTrackHeight;
  }
  return r;
}

void TElasticForm::ApplySizeLimits() {
  TForm* form = Form();
  if (form == nullptr) return;
  const TTrackLimits lim = TrackLimits(screen_w_, screen_h_);
  // The window system maximises a window no larger than its maximum size, so the
  // maximised size is met through the same limit.
  auto least = [](int a, int b) { return a > 0 && b > 0 ? std::min(a, b) : std::max(a, b); };
  form->SetSizeLimits(lim.MinTrackWidth, lim.MinTrackHeight, least(lim.MaxTrackWidth, lim.MaxWidth),
                      least(lim.MaxTrackHeight, lim.MaxHeight));
}

// ---- placement ----

AnsiString TElasticForm::PlacementSection() const {
  TForm* form = Form();
  if (form == nullptr) return "TElasticForm";
  return form->Name().empty() ? AnsiString(form->ClassName()) : form->Name();
}

void TElasticForm::SavePlacement() {
  TForm* form = Form();
  if (ini_file_.empty() || form == nullptr || !initialised_ || rescaling_) return;
  if (form->WindowState() == wsNormal) normal_bounds_ = form->BoundsRect();
  if (normal_bounds_.IsEmpty()) return;
  const TTrackLimits lim = TrackLimits(Screen->Width(), Screen->Height());
  const AnsiString sec = PlacementSection();
  try {
    TIniFile ini(ini_file_);
    ini.WriteInteger(sec, "Total Controls", ControlListCount());
    ini.WriteInteger(sec, "Window State", static_cast<int>(form->WindowState()));
    ini.WriteInteger(sec, "Left", normal_bounds_.Left);
    ini.WriteInteger(sec, "Top", normal_bounds_.Top);
    ini.WriteInteger(sec, "Width", normal_bounds_.Width());
    ini.WriteInteger(sec, "Height", normal_bounds_.Height());
    ini.WriteInteger(sec, "MaxTrackWidth", lim.MaxTrackWidth);
    ini.WriteInteger(sec, "MaxTrackHeight", lim.MaxTrackHeight);
    for (int i = 0; i < ControlListCount(); ++i)
      ini.WriteInteger(sec, "Visible " + IntToStr(i), frames_[static_cast<size_t>(i)]->control->Visible() ? 1 : 0);
    // The window-placement record as the window system keeps it: its size in bytes,
    // the show command (1 normal, 2 minimised, 3 maximised), no minimised position,
    // the maximised position and the normal outer rectangle.
    static constexpr int kShowCmd[] = {1, 2, 3};
    ini.WriteInteger(sec, "wp length ", 44);
    ini.WriteInteger(sec, "wp flags", 0);
    ini.WriteInteger(sec, "wp showCmd", kShowCmd[form->WindowState()]);
    ini.WriteInteger(sec, "wp MinPosX", -1);
    ini.WriteInteger(sec, "wp MinPosY", -1);
    ini.WriteInteger(sec, "wp MaxPosX", lim.MaxPosX != 0 ? lim.MaxPosX : -1);
    ini.WriteInteger(sec, "wp MaxPosY", lim.MaxPosY != 0 ? lim.MaxPosY : -1);
    ini.WriteInteger(sec, "wp NormPosLeft", normal_bounds_.Left);
    ini.WriteInteger(sec, "wp NormPosTop", normal_bounds_.Top);
    ini.WriteInteger(sec, "wp NormPosRight", normal_bounds_.Right);
    ini.WriteInteger(sec, "wp NormPosBottom", normal_bounds_.Bottom);
    ini.UpdateFile();
  } catch (const Exception&) {
    // The placement is a convenience: a file that cannot be written leaves the window
    // as it is, and the next open starts from the design placement or the last one saved.
  }
}

bool TElasticForm::LoadPlacement() {
  TForm* form = Form();
  if (ini_file_.empty() || form == nullptr) return false;
  TIniFile ini(ini_file_);
  const AnsiString sec = PlacementSection();
  if (!ini.SectionExists(sec)) return false;
  // Every entry must be there and be a number; otherwise the section is damaged and the
  // design placement stays.
  constexpr int kMissing = INT32_MIN;
  auto read = [&](const AnsiString& key) { return ini.ReadInteger(sec, key, kMissing); };
  const int total = read("Total Controls"), state = read("Window State");
  const int l = read("Left"), t = read("Top"), w = read("Width"), h = read("Height");
  const int maxTrackW = read("MaxTrackWidth"), maxTrackH = read("MaxTrackHeight");
  for (int v : {total, state, l, t, w, h, maxTrackW, maxTrackH})
    if (v == kMissing) return false;
  if (state < wsNormal || state > wsMaximized || w <= 0 || h <= 0 || w > 32767 || h > 32767 || total < 0 ||
      std::abs(l) > 32767 || std::abs(t) > 32767)
    return false;
  // The controls' visibility applies only to the same list of controls.
  std::vector<int> visible;
  if (total == ControlListCount()) {
    for (int i = 0; i < total; ++i) {
      const int v = read("Visible " + IntToStr(i));
      if (v != 0 && v != 1) return false;
      visible.push_back(v);
    }
  }
  // A placement from a larger screen is brought back onto this one.
  const int screenW = Screen->Width(), screenH = Screen->Height();
  int left = l, top = t;
  if (left + w > screenW) left = (screenW - w) / 2;
  if (top + h > screenH) top = (screenH - h) / 2;
  form->SetPlacement(std::max(0, left), std::max(0, top), w, h);
  normal_bounds_ = form->BoundsRect();
  for (size_t i = 0; i < visible.size(); ++i) {
    frames_[i]->control->SetVisible(visible[i] != 0);
    frames_[i]->visible = visible[i] != 0;
  }
  if (state == wsMaximized) form->SetWindowState(wsMaximized);
  return true;
}

TSize TElasticForm::KeepProportions(int W0, int H0, int W, int H) {
  if (W0 <= 0 || H0 <= 0) return TSize{W, H};
  const int dw = std::abs(W - W0), dh = std::abs(H - H0);
  const bool grew = W + H > W0 + H0;
  if (dw == dh) return TSize{W, H};
  const bool widthMore = dw > dh;
  if (grew == widthMore) H = RoundInt(static_cast<double>(W) * H0 / W0);
  else W = RoundInt(static_cast<double>(H) * W0 / H0);
  return TSize{W, H};
}

// ---- background, display changes ----

void TElasticForm::PaintBackground() {
  TForm* form = Form();
  if (form == nullptr || bk_image_ == nullptr || !active_) return;
  TGraphic* g = bk_image_->Picture()->Graphic();
  if (g == nullptr || g->Width() <= 0 || g->Height() <= 0) return;
  TCanvas* c = form->Canvas();
  const int w = form->ClientWidth(), h = form->ClientHeight();
  // A client-aligned picture covers the form; any other is tiled from the top left.
  if (bk_image_->Align() == alClient) {
    c->StretchDraw(TRect(0, 0, w, h), g);
    return;
  }
  for (int y = 0; y < h; y += g->Height())
    for (int x = 0; x < w; x += g->Width()) c->Draw(x, y, g);
}

void TElasticForm::DisplayChanged(int NewScreenWidth, int NewScreenHeight) {
  TForm* form = Form();
  const int oldW = screen_w_, oldH = screen_h_;
  screen_w_ = NewScreenWidth;
  screen_h_ = NewScreenHeight;
  if (form == nullptr || !active_ || rescaling_ || oldW <= 0 || oldH <= 0 || NewScreenWidth <= 0 ||
      NewScreenHeight <= 0 || (oldW == NewScreenWidth && oldH == NewScreenHeight))
    return;
  if (!initialised_ || !form->Visible()) return;
  const double rx = static_cast<double>(NewScreenWidth) / oldW, ry = static_cast<double>(NewScreenHeight) / oldH;
  // The size limits follow the new screen first, so that they do not hold the new size back.
  ApplySizeLimits();
  if (form->WindowState() == wsNormal) {
    rescaling_ = true;
    form->SetBounds(RoundInt(form->Left() * rx), RoundInt(form->Top() * ry), RoundInt(form->Width() * rx),
                    RoundInt(form->Height() * ry));
    rescaling_ = false;
  }
  if (resize_timer_) resize_timer_->SetEnabled(false);
  RescaleHidden();
  last_w_ = form->ClientWidth();
  last_h_ = form->ClientHeight();
  last_outer_w_ = form->Width();
  last_outer_h_ = form->Height();
  last_state_ = form->WindowState();
}
