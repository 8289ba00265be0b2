#include "serial/AdPacket.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "serial/AdExcept.h"
#include "serial/AdPort.h"
#include "serial/AwGui.h"

namespace {

uint8_t UpCase(uint8_t b) { return (b >= 'a' && b <= 'z') ? static_cast<uint8_t>(b - 32) : b; }

constexpr int kBufferStep = 8192;

std::vector<std::shared_ptr<TApdDataPacketManager>>& Managers() {
  static std::vector<std::shared_ptr<TApdDataPacketManager>> list;
  return list;
}

const bool kHooksInstalled = [] {
  SetPortLifeHooks(&TApdDataPacketManagerList::PortCreated, &TApdDataPacketManagerList::PortDestroyed);
  return true;
}();

}  // namespace

// ================================================================ manager

class TApdDataPacketManager::Guard {
 public:
  explicit Guard(TApdDataPacketManager* m) : m_(m) {
    if (m_ != nullptr) m_->Lock();
  }
  ~Guard() {
    if (m_ != nullptr) m_->Unlock();
  }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  TApdDataPacketManager* m_;
};

void TApdDataPacketManager::Lock() const {
  mutex_.lock();
  ++depth_;
}

void TApdDataPacketManager::Unlock() const {
  --depth_;
  mutex_.unlock();
}

template <class T>
T TApdDataPacketManager::Read(const T& Field) const {
  std::lock_guard lock(mutex_);
  return Field;
}

bool TApdDataPacketManager::Listening() const { return Read(listening_); }
int TApdDataPacketManager::BufferCount() const { return Read(count_); }
int TApdDataPacketManager::BufferCapacity() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(buffer_.size());
}
bool TApdDataPacketManager::TimerArmed() const { return Read(timer_armed_); }
int32_t TApdDataPacketManager::TimerTicks() const { return Read(timer_ticks_); }
uint16_t TApdDataPacketManager::TimerHandle() const { return Read(timer_handle_); }

TApdDataPacketManager::TApdDataPacketManager(TApdCustomComPort* Port) : port_(Port) {
  if (port_ == nullptr) return;
  port_callback_ = port_->RegisterUserCallback([this](TApdCustomComPort*, bool Opening) { PortNotice(Opening); });
}

TApdDataPacketManager::~TApdDataPacketManager() { Shutdown(); }

void TApdDataPacketManager::Shutdown() {
  Guard guard(this);
  StopListening();
  if (port_ != nullptr) port_->DeregisterUserCallback(port_callback_);
  port_ = nullptr;
  for (TApdDataPacket* p : packets_) p->manager_ = nullptr;
  packets_.clear();
}

bool TApdDataPacketManager::Has(const TApdDataPacket* Packet) const {
  return std::find(packets_.begin(), packets_.end(), Packet) != packets_.end();
}

void TApdDataPacketManager::PortNotice(bool Opening) {
  if (Opening) {
    StartListening();
  } else {
    StopListening();
  }
}

void TApdDataPacketManager::Attach(TApdDataPacket* Packet) {
  Guard guard(this);
  if (std::find(packets_.begin(), packets_.end(), Packet) != packets_.end()) return;
  packets_.push_back(Packet);
  Packet->manager_ = this;
  if (listening_ && Packet->enabled_) {
    try {
      Packet->Arm();
    } catch (const Exception&) {
      Packet->enabled_ = false;
    }
  }
}

void TApdDataPacketManager::Detach(TApdDataPacket* Packet) {
  Guard guard(this);
  auto it = std::find(packets_.begin(), packets_.end(), Packet);
  if (it == packets_.end()) return;
  if (Packet->state_ != dpIdle) Packet->SetState(dpIdle);
  packets_.erase(it);
  Packet->manager_ = nullptr;
  if (collecting_ == Packet) collecting_ = nullptr;
}

void TApdDataPacketManager::StartListening() {
  Guard guard(this);
  if (listening_) return;
  if (port_ != nullptr) {
    TApdPortDispatcher* dispatcher = port_->Dispatcher();
    if (dispatcher == nullptr) return;
    // The handler holds the manager for the time of a notice: the last packet may go (and the
    // list let go of its manager) while a delivery waits for the GUI thread.
    std::weak_ptr<TApdDataPacketManager> weak = weak_from_this();
    client_id_ = dispatcher->RegisterMethodClient(
        [weak, dispatcher](uint32_t Msg, uint32_t WParam, uint32_t) {
          const std::shared_ptr<TApdDataPacketManager> self = weak.lock();
          if (self == nullptr) return;
          if (Msg == APW_TRIGGERAVAIL) {
            std::vector<uint8_t> bytes(WParam);
            if (dispatcher->GetBlock(bytes.data(), static_cast<int>(WParam)) == static_cast<int>(WParam))
              self->Receive(bytes.data(), static_cast<int>(WParam));
          } else if (Msg == APW_TRIGGERTIMER) {
            Guard guard(self.get());
            if (self->listening_ && WParam == self->timer_handle_) self->TimerExpired();
          }
        },
        false);
    timer_handle_ = static_cast<uint16_t>(dispatcher->AddTimerTrigger());
  }
  listening_ = true;
  for (TApdDataPacket* p : std::vector<TApdDataPacket*>(packets_)) {
    if (!p->enabled_) continue;
    try {
      p->Arm();
    } catch (const Exception&) {
      p->enabled_ = false;
    }
  }
}

void TApdDataPacketManager::StopListening() {
  Guard guard(this);
  for (TApdDataPacket* p : packets_) {
    p->enable_pending_ = p->collect_pending_ = false;
    if (p->state_ != dpIdle) p->SetState(dpIdle);
  }
  if (port_ != nullptr && port_->Dispatcher() != nullptr && listening_) {
    port_->Dispatcher()->RemoveTrigger(timer_handle_);
    port_->Dispatcher()->DeregisterMethodClient(client_id_);
  }
  client_id_ = 0;
  timer_handle_ = 0;
  timer_armed_ = false;
  collecting_ = nullptr;
  count_ = 0;
  listening_ = false;
}

void TApdDataPacketManager::Receive(const uint8_t* Data, int Count) {
  if (Count <= 0) return;
  Guard guard(this);
  if (count_ + Count >= static_cast<int>(buffer_.size())) {
    const int needed = count_ + Count + 1;
    buffer_.resize(static_cast<size_t>((needed + kBufferStep - 1) / kBufferStep * kBufferStep));
  }
  std::memcpy(buffer_.data() + count_, Data, static_cast<size_t>(Count));
  const int first = count_;
  count_ += Count;
  CheckPackets(first);
}

void TApdDataPacketManager::CheckPackets(int From) {
  if (locked_ || checking_) {
    pending_pos_ = pending_check_ ? std::min(pending_pos_, From) : From;
    pending_check_ = true;
    return;
  }
  checking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{checking_};
  int from = From;
  for (;;) {
    if (count_ > 0) {
      if (collecting_ != nullptr) {
        collecting_->Scan(from);
      } else {
        for (TApdDataPacket* p : std::vector<TApdDataPacket*>(packets_)) {
          const auto result = p->Scan(from);
          if (collecting_ != nullptr || count_ == 0 || result == TApdDataPacket::ScanResult::kDelivered) break;
        }
      }
    }
    if (!pending_check_ || locked_) break;
    pending_check_ = false;
    from = pending_pos_;
  }
  // Bytes that cannot begin a packet are not kept: only those from the earliest partial
  // start (or the collecting packet's start) on stay, so noise that keeps looking like
  // the beginning of a start string never piles up.
  if (locked_) return;
  int keep = count_;
  if (collecting_ != nullptr) {
    keep = std::max(0, collecting_->start_pos_);
  } else {
    for (const TApdDataPacket* p : packets_)
      if (p->enabled_ && p->state_ == dpWaiting && p->start_matched_ > 0 && p->start_pos_ >= 0)
        keep = std::min(keep, p->start_pos_);
  }
  DropBefore(keep);
}

void TApdDataPacketManager::DropBefore(int Pos) {
  Pos = std::min(Pos, count_);
  if (Pos > 0) {
    RemoveBytes(Pos);
    for (TApdDataPacket* p : packets_) {
      if (p->start_pos_ >= 0) p->start_pos_ = std::max(0, p->start_pos_ - Pos);
      if (p->end_candidate_ >= 0) p->end_candidate_ = std::max(0, p->end_candidate_ - Pos);
      p->end_from_ = std::max(0, p->end_from_ - Pos);
    }
  }
  // After a flood the buffer returns to its normal size.
  if (buffer_.size() > 2 * static_cast<size_t>(kBufferStep) && count_ < kBufferStep) {
    buffer_.resize(kBufferStep);
    buffer_.shrink_to_fit();
  }
}

void TApdDataPacketManager::ArmTimer(int Ticks) {
  timer_armed_ = true;
  timer_ticks_ = Ticks;
  if (port_ != nullptr && port_->Dispatcher() != nullptr && timer_handle_ != 0)
    port_->Dispatcher()->SetTimerTrigger(timer_handle_, Ticks, true);
}

void TApdDataPacketManager::DisarmTimer() {
  timer_armed_ = false;
  if (port_ != nullptr && port_->Dispatcher() != nullptr && timer_handle_ != 0)
    port_->Dispatcher()->SetTimerTrigger(timer_handle_, 0, false);
}

void TApdDataPacketManager::RemoveBytes(int Count) {
  Count = std::min(Count, count_);
  if (Count <= 0) return;
  std::memmove(buffer_.data(), buffer_.data() + Count, static_cast<size_t>(count_ - Count));
  count_ -= Count;
}

void TApdDataPacketManager::UnlockAfterDelivery() {
  locked_ = false;
  for (TApdDataPacket* p : std::vector<TApdDataPacket*>(packets_)) {
    p->enable_pending_ = false;
    if (!p->enabled_) continue;
    try {
      p->Arm();
    } catch (const Exception&) {
      p->enabled_ = false;
    }
  }
  if (pending_check_ && !checking_) {
    pending_check_ = false;
    CheckPackets(pending_pos_);
  }
}

void TApdDataPacketManager::RunEvent(TApdDataPacket* Packet, const std::function<void()>& Event) {
  TApdPortDispatcher* dispatcher = port_ != nullptr ? port_->Dispatcher() : nullptr;
  const bool viaGui = Packet->sync_events_ && dispatcher != nullptr && dispatcher->ThreadsRunning() &&
                      !apd::gui::IsGuiThread();
  // The handler may use the packet and its manager (re-enable, close the port): let go of the
  // manager for the time of the event.
  const int depth = depth_;
  for (int i = 0; i < depth; ++i) Unlock();
  struct Relock {
    TApdDataPacketManager* m;
    int depth;
    ~Relock() {
      for (int i = 0; i < depth; ++i) m->Lock();
    }
  } relock{this, depth};
  if (viaGui) {
    // The packet may have been freed on the GUI thread before this call got there.
    dispatcher->SyncCall([this, Packet, &Event] {
      bool attached;
      {
        Guard guard(this);
        attached = Has(Packet);
      }
      if (attached && !Packet->InDestruction()) Event();
    });
  } else if (!apd::gui::IsGuiThread() || !Packet->InDestruction()) {
    // A packet whose form is being destroyed fires no more events (read on the GUI
    // thread only, where components are destroyed).
    Event();
  }
}

void TApdDataPacketManager::TimerExpired() {
  Guard guard(this);
  TApdDataPacket* packet = collecting_;
  if (packet == nullptr) return;
  LockForDelivery();
  packet->SetEnabledInternal(false);
  if (packet->on_timeout_) {
    TNotifyEvent event = packet->on_timeout_;
    try {
      RunEvent(packet, [event, packet] { event(packet); });
    } catch (...) {
      count_ = 0;
      UnlockAfterDelivery();
      throw;
    }
  }
  count_ = 0;
  UnlockAfterDelivery();
}

// ================================================================ manager list

TApdDataPacketManager* TApdDataPacketManagerList::Find(TApdCustomComPort* Port) {
  for (const auto& m : Managers())
    if (m->Port() == Port) return m.get();
  return nullptr;
}

TApdDataPacketManager* TApdDataPacketManagerList::GetOrCreate(TApdCustomComPort* Port) {
  if (TApdDataPacketManager* m = Find(Port)) return m;
  auto m = std::make_shared<TApdDataPacketManager>(Port);
  Managers().push_back(m);
  if (Port != nullptr && Port->PortState() == 2) m->StartListening();
  return m.get();
}

void TApdDataPacketManagerList::Release(TApdDataPacketManager* Manager) {
  auto& list = Managers();
  auto it = std::find_if(list.begin(), list.end(), [Manager](const auto& m) { return m.get() == Manager; });
  if (it == list.end() || Manager->PacketCount() > 0) return;
  const std::shared_ptr<TApdDataPacketManager> held = std::move(*it);
  list.erase(it);
  // Off the port now; a delivery still in progress keeps the memory until it returns.
  held->Shutdown();
}

void TApdDataPacketManagerList::PortCreated(TApdCustomComPort* Port) {
  TComponent* owner = Port->Owner();
  if (owner == nullptr) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* p = dynamic_cast<TApdDataPacket*>(owner->Components(i)); p != nullptr && p->ComPort() == nullptr)
      p->SetComPort(Port);
}

void TApdDataPacketManagerList::PortDestroyed(TApdCustomComPort* Port) {
  TApdDataPacketManager* m = Find(Port);
  if (m == nullptr) return;
  std::vector<TApdDataPacket*> packets = m->packets_;
  for (TApdDataPacket* p : packets) p->SetComPort(nullptr);
}

// ================================================================ packet

TApdDataPacket::TApdDataPacket(TComponent* AOwner) : TApdBaseComponent(AOwner) {
  if (HasState(csDesigning)) enabled_ = true;
}

TApdDataPacket::~TApdDataPacket() {
  try {
    SetComPort(nullptr);
    if (manager_ != nullptr) manager_->Detach(this);
  } catch (...) {
  }
}

void TApdDataPacket::Notification(TComponent* AComponent, TOperation Operation) {
  TApdBaseComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == com_port_) SetComPort(nullptr);
}

void TApdDataPacket::SetComPort(TApdCustomComPort* Value) {
  if (Value == com_port_) return;
  if (com_port_ != nullptr) {
    TApdDataPacketManager* old = TApdDataPacketManagerList::Find(com_port_);
    if (old != nullptr) {
      old->Detach(this);
      TApdDataPacketManagerList::Release(old);
    }
    // Both sides keep the link; drop it on both.
    com_port_->RemoveFreeNotification(this);
    RemoveFreeNotification(com_port_);
  }
  com_port_ = Value;
  if (com_port_ != nullptr) {
    com_port_->FreeNotification(this);
    TApdDataPacketManagerList::GetOrCreate(com_port_)->Attach(this);
  }
}

void TApdDataPacket::Loaded() {
  TApdBaseComponent::Loaded();
  TApdDataPacketManager::Guard guard(manager_);
  if (enable_after_load_) {
    enable_after_load_ = false;
    Enable();
  }
}

bool TApdDataPacket::Enabled() const {
  TApdDataPacketManager::Guard guard(manager_);
  return enabled_;
}

TPacketMode TApdDataPacket::PacketMode() const {
  TApdDataPacketManager::Guard guard(manager_);
  return state_;
}

template <class F>
void TApdDataPacket::Locked(F&& Set) {
  TApdDataPacketManager::Guard guard(manager_);
  Set();
}

void TApdDataPacket::SetAutoEnable(bool Value) {
  Locked([&] { auto_enable_ = Value; });
}
void TApdDataPacket::SetStartCond(TPacketStartCond Value) {
  Locked([&] { start_cond_ = Value; });
}
void TApdDataPacket::SetStartString(const AnsiString& Value) {
  Locked([&] { start_string_ = Value; });
}
void TApdDataPacket::SetIgnoreCase(bool Value) {
  Locked([&] { ignore_case_ = Value; });
}
void TApdDataPacket::SetPacketSize(int Value) {
  Locked([&] { packet_size_ = Value; });
}
void TApdDataPacket::SetIncludeStrings(bool Value) {
  Locked([&] { include_strings_ = Value; });
}
void TApdDataPacket::SetTimeOut(int Value) {
  Locked([&] { time_out_ = Value; });
}
void TApdDataPacket::SetSyncEvents(bool Value) {
  Locked([&] { sync_events_ = Value; });
}
void TApdDataPacket::SetOnPacket(TPacketNotifyEvent Value) {
  Locked([&] { on_packet_ = std::move(Value); });
}
void TApdDataPacket::SetOnStringPacket(TStringPacketNotifyEvent Value) {
  Locked([&] { on_string_packet_ = std::move(Value); });
}
void TApdDataPacket::SetOnTimeout(TNotifyEvent Value) {
  Locked([&] { on_timeout_ = std::move(Value); });
}

void TApdDataPacket::SetEnabled(bool Value) {
  TApdDataPacketManager::Guard guard(manager_);
  if (Value == enabled_) return;
  enabled_ = Value;
  if (!Value) {
    Disable();
    return;
  }
  try {
    Enable();
  } catch (...) {
    enabled_ = false;
    throw;
  }
}

void TApdDataPacket::SetEnabledInternal(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  if (!Value) {
    Disable();
    return;
  }
  try {
    Arm();
  } catch (...) {
    enabled_ = false;
    throw;
  }
}

void TApdDataPacket::SetEndString(const AnsiString& Value) {
  TApdDataPacketManager::Guard guard(manager_);
  const bool was = enabled_;
  SetEnabled(false);
  end_string_ = Value;
  SetEnabled(was);
}

void TApdDataPacket::SetEndCond(TPacketEndSet Value) {
  TApdDataPacketManager::Guard guard(manager_);
  const bool was = enabled_;
  SetEnabled(false);
  end_cond_ = Value;
  SetEnabled(was);
}

void TApdDataPacket::RaiseProperty(int Code) const { throw EInvalidProperty(Code); }

TApdDataPacket::Pattern TApdDataPacket::BuildPattern(const AnsiString& Text) const {
  Pattern p;
  for (size_t i = 0; i < Text.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(Text[i]);
    bool wild = false;
    if (c == '\\') {
      if (i + 1 >= Text.size()) break;  // a trailing lone backslash is dropped
      c = static_cast<uint8_t>(Text[++i]);
    } else if (c == '?') {
      wild = true;
    }
    p.chars.push_back(ignore_case_ ? UpCase(c) : c);
    p.wild.push_back(wild);
  }
  return p;
}

bool TApdDataPacket::Matches(uint8_t Byte, const Pattern& P, size_t Index) const {
  if (P.wild[Index]) return true;
  return (ignore_case_ ? UpCase(Byte) : Byte) == P.chars[Index];
}

void TApdDataPacket::ResetMatch() {
  start_pos_ = -1;
  start_matched_ = 0;
  end_matched_ = 0;
  end_candidate_ = -1;
  end_from_ = 0;
}

void TApdDataPacket::Enable() {
  if (HasState(csDesigning)) return;
  TApdDataPacketManager::Guard guard(manager_);
  if (HasState(csLoading)) {
    enable_after_load_ = true;
    return;
  }
  Arm();
}

void TApdDataPacket::Arm() {
  TApdDataPacketManager::Guard guard(manager_);
  if (enable_after_load_) return;  // armed by Loaded
  if (manager_ == nullptr || !manager_->Listening()) {
    ResetMatch();
    return;
  }
  if (manager_->locked_) {
    enable_pending_ = true;
    return;
  }
  // Everything is checked before the packet is armed, so a bad setting leaves it disarmed.
  Pattern start, end;
  if (start_cond_ == scString) {
    start = BuildPattern(start_string_);
    if (start.size() == 0) RaiseProperty(ecodes::ecStartStringEmpty);
    if ((end_cond_ & ecPacketSize) && static_cast<int>(start.size()) > packet_size_)
      RaiseProperty(ecodes::ecPacketTooSmall);
  } else if (end_cond_ == 0) {
    RaiseProperty(ecodes::ecNoEndCharCount);
  }
  if (end_cond_ & ecString) {
    end = BuildPattern(end_string_);
    if (end.size() == 0) RaiseProperty(ecodes::ecEmptyEndString);
  }
  if ((end_cond_ & ecPacketSize) && packet_size_ <= 0) RaiseProperty(ecodes::ecZeroSizePacket);

  start_ = std::move(start);
  end_ = std::move(end);
  enable_pending_ = false;
  collect_pending_ = false;
  if (state_ == dpCollecting) SetState(dpIdle);
  ResetMatch();
  if (start_cond_ == scString) {
    SetState(dpWaiting);
  } else if (manager_->collecting_ != nullptr && manager_->collecting_ != this) {
    collect_pending_ = true;
  } else {
    SetState(dpCollecting);
  }
}

void TApdDataPacket::Disable() {
  TApdDataPacketManager::Guard guard(manager_);
  if (state_ == dpIdle && !enable_pending_ && !collect_pending_) return;
  enable_pending_ = false;
  collect_pending_ = false;
  SetState(dpIdle);
}

void TApdDataPacket::SetState(TPacketMode NewState) {
  if (NewState == state_) return;
  const TPacketMode old = state_;
  state_ = NewState;
  if (manager_ == nullptr) return;
  if (old == dpCollecting) {
    manager_->DisarmTimer();
    if (manager_->collecting_ == this) manager_->collecting_ = nullptr;
    manager_->CheckPackets(0);
  }
  if (NewState == dpCollecting) {
    manager_->collecting_ = this;
    if (time_out_ != 0) manager_->ArmTimer(time_out_);
    // Only one packet collects at a time: the others drop their partial matches.
    for (TApdDataPacket* other : std::vector<TApdDataPacket*>(manager_->packets_)) {
      if (other == this || !other->enabled_) continue;
      other->Disable();
      try {
        other->Arm();
      } catch (const Exception&) {
        other->enabled_ = false;
      }
    }
  }
}

TApdDataPacket::ScanResult TApdDataPacket::Scan(int From) {
  if (!enabled_ || manager_ == nullptr) return ScanResult::kStopped;
  const uint8_t* buf = manager_->buffer_.data();
  int i = From;
  while (i < manager_->count_) {
    switch (state_) {
      case dpIdle:
        if (!collect_pending_) return ScanResult::kStopped;
        collect_pending_ = false;
        ResetMatch();
        SetState(dpCollecting);
        continue;

      case dpWaiting:
        if (Matches(buf[i], start_, start_matched_)) {
          if (start_matched_ == 0) start_pos_ = i;
          if (++start_matched_ < start_.size()) {
            ++i;
            continue;
          }
          // The start string alone is the packet when there is no end condition, or when it
          // already fills the packet's size: waiting for one byte more would hand over a
          // packet longer than its size and take a byte that may begin the next one.
          if (end_cond_ == 0 || ((end_cond_ & ecPacketSize) && static_cast<int>(start_.size()) >= packet_size_)) {
            Deliver(static_cast<int>(start_.size()), true);
            return ScanResult::kDelivered;
          }
          SetState(dpCollecting);
          end_from_ = i + 1;
          end_matched_ = 0;
          ++i;
          continue;
        }
        if (start_matched_ == 0) {
          ++i;
        } else {
          // A false start: look again from the byte after it.
          i = start_pos_ + 1;
          start_matched_ = 0;
          start_pos_ = -1;
        }
        continue;

      case dpCollecting: {
        if (start_pos_ < 0) {
          start_pos_ = i;
          end_from_ = i;
          end_matched_ = 0;
        }
        if ((end_cond_ & ecString) && i >= end_from_) {
          if (Matches(buf[i], end_, end_matched_)) {
            if (end_matched_ == 0) end_candidate_ = i;
            if (++end_matched_ == end_.size()) {
              Deliver(i - start_pos_ + 1, false);
              return ScanResult::kDelivered;
            }
          } else if (end_matched_ > 0) {
            i = end_candidate_ + 1;
            end_matched_ = 0;
            continue;
          }
        }
        if ((end_cond_ & ecPacketSize) && i - start_pos_ + 1 >= packet_size_) {
          Deliver(i - start_pos_ + 1, true);
          return ScanResult::kDelivered;
        }
        // Ended by its end string alone, a packet still has at most PacketSize bytes between
        // its start and end strings: one that runs past that is handed over as it stands
        // (complete by size) for the application to refuse, rather than collected without end.
        if (end_cond_ == ecString && packet_size_ > 0 && start_cond_ == scString &&
            i - start_pos_ + 1 >= static_cast<int>(start_.size() + end_.size()) + packet_size_) {
          Deliver(i - start_pos_ + 1, true);
          return ScanResult::kDelivered;
        }
        ++i;
        continue;
      }
    }
  }
  return ScanResult::kStopped;
}

void TApdDataPacket::Deliver(int Size, bool BySize) {
  TApdDataPacketManager* m = manager_;
  const int packetEnd = start_pos_ + Size;
  int offset = start_pos_;
  int size = Size;
  if (start_cond_ == scString && !include_strings_) {
    offset += static_cast<int>(start_.size());
    size -= static_cast<int>(start_.size());
  }
  if (!BySize && !include_strings_) size -= static_cast<int>(end_.size());
  size = std::max(size, 0);
  // The handler runs while more bytes may be matched later: hand it a copy.
  const AnsiString data(reinterpret_cast<const char*>(m->buffer_.data()) + offset, static_cast<size_t>(size));

  m->LockForDelivery();
  SetEnabledInternal(false);
  auto finish = [this, m, packetEnd] {
    m->RemoveBytes(packetEnd);
    // The handler may have freed the packet or moved it to another port.
    const bool attached = m->Has(this);
    for (TApdDataPacket* other : m->packets_)
      if (other != this) other->ResetMatch();
    if (attached && auto_enable_ && m == manager_) SetEnabledInternal(true);
    // What follows the packet is matched afresh from the start of the buffer.
    m->pending_check_ = true;
    m->pending_pos_ = 0;
    m->UnlockAfterDelivery();
  };
  try {
    if (on_packet_ || on_string_packet_) {
      TPacketNotifyEvent onPacket = on_packet_;
      TStringPacketNotifyEvent onString = on_string_packet_;
      m->RunEvent(this, [this, onPacket, onString, &data] {
        if (onPacket) onPacket(this, data.data(), static_cast<int>(data.size()));
        if (onString) onString(this, data);
      });
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}
