#pragma once
// Object model shared by every component: TObject, TPersistent and TComponent with the
// owner/child relation the forms rely on (an owner destroys what it owns, components are
// found by name, everyone is told when a component goes away).
#include <cstdint>
#include <functional>
#include <new>
#include <vector>
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/SysUtils.h"

class TObject {
 public:
  virtual ~TObject() = default;
  // Runtime class name; classes that take part in form streaming override it.
  virtual const char* ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  const char* ClassName() const override { return "TPersistent"; }
  // Copies the state of Source; the default raises EConvertError as the runtime does
  // when neither side knows how to assign.
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

enum class TOperation { opInsert, opRemove };

// Component states (a small set of flags).
enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csUpdating = 1u << 5,
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const char* ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  // Raises EComponentError when another component of the same owner has the name.
  virtual void SetName(const AnsiString& NewName);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  // Case-insensitive, as component names are; nullptr when there is none.
  TComponent* FindComponent(const AnsiString& AName) const;

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  // Asks to be told (Notification opRemove) when AComponent is destroyed, even when it
  // belongs to another owner.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // `delete` on a component runs BeforeDestruction while the whole object still exists,
  // before any destructor: from then on nothing that is pumped while it goes (timers,
  // serial events, paint, posted messages) reaches a handler of an object that is only
  // partly there.
  void operator delete(TComponent* Component, std::destroying_delete_t) {
    Component->BeforeDestruction();
    // The whole object's storage, found while its dynamic type is still known.
    void* storage = dynamic_cast<void*>(Component);
    Component->~TComponent();
    ::operator delete(storage);
  }
  // Enters the destroying state (csDestroying). Runs once more from a destructor where
  // the component was not freed with delete; overrides call the inherited one first.
  virtual void BeforeDestruction();
  // True once this component or one of its owners has begun to be destroyed: its events
  // are no longer dispatched and its handlers no longer run.
  bool InDestruction() const;

  uint32_t ComponentState() const { return state_; }
  bool HasState(uint32_t flags) const { return (state_ & flags) != 0; }
  void SetState(uint32_t flags) { state_ |= flags; }
  void ClearState(uint32_t flags) { state_ &= ~flags; }

  // Called on every component after a whole form resource has been read.
  virtual void Loaded();

  int Tag = 0;

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 private:
  void NotifyAll(TComponent* AComponent, TOperation Operation);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  uint32_t state_ = 0;
};
