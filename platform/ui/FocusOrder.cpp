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
}  // namespace ui
