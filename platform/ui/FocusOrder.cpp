#include "platform/ui/FocusOrder.h"

#include <algorithm>
#include <vector>

#include "platform/ui/Forms.h"

namespace ui {
namespace {
void CollectInTabOrder(TWinControl* parent, std::vector<TWinControl*>& order) {
  std::vector<TWinControl*> kids;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* c = dynamic_cast<TWinControl*>(parent->Controls(i))) kids.push_back(c);
  std::stable_sort(kids.begin(), kids.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* c : kids) {
    order.push_back(c);
    CollectInTabOrder(c, order);
  }
}
}  // namespace

void FocusNextControl(TWinControl* From) {
  TForm* form = From->ParentForm();
  if (!form) return;
  std::vector<TWinControl*> order;
  CollectInTabOrder(form, order);
  auto self = std::find(order.begin(), order.end(), From);
  if (self == order.end()) return;
  const size_t at = static_cast<size_t>(self - order.begin());
  for (size_t n = 1; n < order.size(); ++n) {
    TWinControl* c = order[(at + n) % order.size()];
    if (c->TabStop() && c->CanFocus()) {
      c->SetFocus();
      return;
    }
  }
}

TWinControl* FirstTabStop(TWinControl* Within) {
  if (Within == nullptr) return nullptr;
  std::vector<TWinControl*> order;
  CollectInTabOrder(Within, order);
  for (TWinControl* c : order)
    if (c->TabStop() && c->CanFocus()) return c;
  return nullptr;
}

namespace {
// Whether c shows and is enabled as far as Within (on a form that may itself be hidden).
bool UsableWithin(const TWinControl* c, const TWinControl* Within) {
  for (const TControl* p = c; p != nullptr; p = p->Parent()) {
    if (!p->Visible() || !p->Enabled()) return false;
    if (p == Within) return true;
  }
  return false;
}
}  // namespace

bool FocusTurnedPage(TWinControl* Page) {
  TForm* form = Page != nullptr ? Page->ParentForm() : nullptr;
  if (form == nullptr) return false;
  std::vector<TWinControl*> order;
  CollectInTabOrder(Page, order);
  for (TWinControl* c : order) {
    if (!c->TabStop() || !UsableWithin(c, Page)) continue;
    if (form->Visible() && c->CanFocus()) c->SetFocus();
    else form->SetFocusedControl(c);
    return true;
  }
  return false;
}
}  // namespace ui

namespace ui {
namespace {
// The showing, enabled page stepper nearest to the form (fewest containers between), the
// first in tab order among equals.
TPageStepper* OutermostStepper(TWinControl* parent, int depth, int& bestDepth) {
  std::vector<TWinControl*> kids;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* c = dynamic_cast<TWinControl*>(parent->Controls(i)); c && c->Showing() && c->Enabled()) kids.push_back(c);
  std::stable_sort(kids.begin(), kids.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  TPageStepper* best = nullptr;
  for (TWinControl* c : kids)
    if (auto* s = dynamic_cast<TPageStepper*>(c); s && depth < bestDepth) {
      best = s;
      bestDepth = depth;
      break;
    }
  if (depth + 1 >= bestDepth) return best;
  for (TWinControl* c : kids)
    if (TPageStepper* s = OutermostStepper(c, depth + 1, bestDepth)) best = s;
  return best;
}
}  // namespace

bool FocusPageStrip(TForm* Form) {
  if (Form == nullptr) return false;
  int depth = 1 << 20;
  auto* strip = dynamic_cast<TWinControl*>(OutermostStepper(Form, 0, depth));
  if (strip == nullptr || !strip->CanFocus()) return false;
  strip->SetFocus();
  return true;
}

bool StepPagesByKey(TForm* Form, TWinControl* Focused, WORD Key, TShiftState Shift) {
  if (Form == nullptr || !Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return false;
  bool forward;
  if (Key == VK_TAB) forward = !Shift.Contains(ssShift);
  else if ((Key == VK_NEXT || Key == VK_PRIOR) && !Shift.Contains(ssShift)) forward = Key == VK_NEXT;
  else return false;
  TPageStepper* stepper = dynamic_cast<TPageStepper*>(Focused);
  for (TWinControl* c = Focused; stepper == nullptr && c != nullptr && c != Form; c = c->Parent())
    if (auto* s = dynamic_cast<TPageStepper*>(c); s && s->HoldsItsPages()) stepper = s;
  if (stepper == nullptr) {
    int depth = 1 << 20;
    stepper = OutermostStepper(Form, 0, depth);
  }
  if (stepper == nullptr) return false;
  stepper->StepPage(forward);
  return true;
}
}  // namespace ui
