// The typed edit's auto-complete list (shown under the edit while typing) and the
// persistence of its text and lists.
#include <algorithm>

#include "controls/AdvEdit.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Forms.h"

namespace {
constexpr int kRowHeight = 12;
}

bool TAdvEdit::LookupShowing() const { return lookup_list_ != nullptr && lookup_list_->Visible(); }

void TAdvEdit::HideLookup() {
  if (lookup_list_) lookup_list_->SetVisible(false);
  lookup_row_ = -1;
}

void TAdvEdit::UpdateLookup() {
  if (!lookup_->Enabled() || (ComponentState() & csDesigning)) return;
  const AnsiString typed = lookup_->TypedPart(Text(), lookup_offset_);
  lookup_rows_.clear();
  if (static_cast<int>(typed.size()) >= lookup_->NumChars()) lookup_rows_ = lookup_->Matches(typed);
  // Rows in sorted order, as the list shows them; each keeps its place in DisplayList.
  std::stable_sort(lookup_rows_.begin(), lookup_rows_.end(), [this](int a, int b) {
    return UpperCase(lookup_->DisplayList()->Strings(a)) < UpperCase(lookup_->DisplayList()->Strings(b));
  });
  TForm* form = ParentForm();
  if (lookup_rows_.empty() || form == nullptr) {
    HideLookup();
    return;
  }
  if (!lookup_list_) {
    lookup_list_ = new TListBox(this);
    lookup_list_->FreeNotification(this);
    lookup_list_->SetTabStop(false);
    lookup_list_->Font()->SetName("Arial");
    lookup_list_->Font()->SetSize(8);
    lookup_list_->SetItemHeight(kRowHeight);
    lookup_list_->OnClick = [this](TObject*) {
      lookup_row_ = lookup_list_->ItemIndex();
      PickLookup();
    };
  }
  lookup_list_->SetParent(form);
  lookup_list_->SetColor(lookup_->Color());
  lookup_list_->Items()->Clear();
  TBitmap measure;
  measure.Canvas()->Font()->Assign(lookup_list_->Font());
  int widest = 50;
  for (int i : lookup_rows_) {
    const AnsiString e = lookup_->DisplayList()->Strings(i);
    lookup_list_->Items()->Add(e);
    widest = std::max(widest, measure.Canvas()->TextWidth(e));
  }
  const int shown = std::min(static_cast<int>(lookup_rows_.size()), lookup_->DisplayCount());
  const int scroll = static_cast<int>(lookup_rows_.size()) > lookup_->DisplayCount() ? 16 : 0;
  // Just under the edit (overlapping its bottom by 6 pixels), at the typed part.
  const TPoint origin = form->ScreenToClient(ClientToScreen(TPoint{0, 0}));
  const int x = origin.x + ui::EditCharToX(this, static_cast<int>(prefix_.size()) + lookup_offset_);
  if (!lookup_list_->Visible()) lookup_list_->SetWidth(widest + scroll + 10);
  lookup_list_->SetBounds(x, origin.y + Height() - 6, lookup_list_->Width(), shown * kRowHeight + 4);
  lookup_row_ = 0;
  lookup_list_->SetItemIndex(0);
  lookup_list_->SetVisible(true);
  lookup_list_->BringToFront();
}

bool TAdvEdit::LookupKey(WORD Key) {
  const int last = static_cast<int>(lookup_rows_.size()) - 1;
  int row = lookup_row_;
  switch (Key) {
    case VK_RETURN: PickLookup(); return true;
    case VK_ESCAPE: HideLookup(); return true;
    case VK_UP: row = std::max(0, row - 1); break;
    case VK_DOWN: row = std::min(last, row + 1); break;
    case VK_PRIOR: row = std::max(0, row - lookup_->DisplayCount()); break;
    case VK_NEXT: row = std::min(last, row + lookup_->DisplayCount()); break;
    case VK_HOME: row = 0; break;
    case VK_END: row = last; break;
    default: return false;
  }
  lookup_row_ = row;
  lookup_list_->SetItemIndex(row);
  return true;
}

void TAdvEdit::PickLookup() {
  if (lookup_row_ < 0 || lookup_row_ >= static_cast<int>(lookup_rows_.size())) {
    HideLookup();
    return;
  }
  const int index = lookup_rows_[static_cast<size_t>(lookup_row_)];
  AnsiString value = lookup_->ValueFor(index);
  HideLookup();
  if (CanFocus() && !Focused()) SetFocus();
  if (OnLookupSelect) OnLookupSelect(this, value);
  if (OnLookupIndexSelect) OnLookupIndexSelect(this, index, value);
  const int pre = static_cast<int>(prefix_.size());
  if (lookup_->Multi()) {
    const AnsiString t = Text();
    const size_t sep = t.rfind(lookup_->Separator());
    SetWindowText((sep == AnsiString::npos ? AnsiString() : t.substr(0, sep + 1)) + value);
    SetSelStart(pre + static_cast<int>(Text().size()));
  } else {
    SetWindowText(value);
    SetSelStart(pre);
    SetSelLength(static_cast<int>(value.size()));
  }
  SetModified(true);
}

void TAdvEdit::Loaded() {
  TFlatEdit::Loaded();
  LoadPersist();
}

void TAdvEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TFlatEdit::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == lookup_list_) lookup_list_ = nullptr;
}

void TAdvEdit::LoadPersist() {
  if (!persistence_->Enable() || (ComponentState() & csDesigning)) return;
  AnsiString text = Text();
  LoadPersistedEdit(*persistence_, Name(), lookup_.get(), text);
  try {
    SetText(text);
  } catch (const EConvertError&) {
    // A stored text the edit type cannot take: the edit keeps the one it has.
  }
}

void TAdvEdit::SavePersist() {
  if (!persistence_->Enable() || (ComponentState() & csDesigning)) return;
  SavePersistedEdit(*persistence_, Name(), lookup_.get(), Text());
}
