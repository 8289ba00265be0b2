#include "platform/classes/Classes.h"

#include <algorithm>
#include <strings.h>

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
  AnsiString src = (Dest == this) ? AnsiString("nil") : AnsiString(ClassName());
  throw EConvertError("Cannot assign a " + src + " to a " + Dest->ClassName());
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Tell everyone who asked, then free the owned components (last first, as they
  // were created), then leave the owner.
  for (TComponent* c : std::vector<TComponent*>(free_notifies_)) {
    c->Notification(this, TOperation::opRemove);
    c->RemoveFreeNotification(this);
  }
  free_notifies_.clear();
  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->state_ |= csDestroying;
    delete c;  // removes itself from components_
  }
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() { state_ |= csDestroying; }

bool TComponent::InDestruction() const {
  for (const TComponent* c = this; c != nullptr; c = c->owner_)
    if (c->HasState(csDestroying)) return true;
  return false;
}

void TComponent::SetName(const AnsiString& NewName) {
  if (NewName == name_) return;
  if (owner_ != nullptr && !NewName.empty()) {
    TComponent* other = owner_->FindComponent(NewName);
    if (other != nullptr && other != this)
      throw EComponentError("A component named " + NewName + " already exists");
  }
  name_ = NewName;
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return components_[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto it = std::find(owner_->components_.begin(), owner_->components_.end(), this);
  return it == owner_->components_.end() ? -1 : static_cast<int>(it - owner_->components_.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (strcasecmp(c->name_.c_str(), AName.c_str()) == 0) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
  components_.push_back(AComponent);
  AComponent->owner_ = this;
  NotifyAll(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it == components_.end()) return;
  NotifyAll(AComponent, TOperation::opRemove);
  components_.erase(std::find(components_.begin(), components_.end(), AComponent));
  AComponent->owner_ = nullptr;
}

void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation) {
  Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove)
    for (TComponent* c : std::vector<TComponent*>(components_))
      if (c != AComponent) c->Notification(AComponent, Operation);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), AComponent) == free_notifies_.end())
    free_notifies_.push_back(AComponent);
  if (std::find(AComponent->free_notifies_.begin(), AComponent->free_notifies_.end(), this) ==
      AComponent->free_notifies_.end())
    AComponent->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  // The link is two-way: drop both ends, or the other side would later notify a
  // component that no longer exists.
  std::erase(free_notifies_, AComponent);
  if (AComponent != nullptr) std::erase(AComponent->free_notifies_, this);
}

void TComponent::Loaded() { ClearState(csLoading); }

void TComponent::Notification(TComponent*, TOperation) {}
