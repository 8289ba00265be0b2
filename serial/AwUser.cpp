// Dispatcher buffers, status shadows, triggers and client notices.
#include "serial/AwUser.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/os/Clock.h"
#include "serial/AdExcept.h"
#include "serial/AwGui.h"

namespace {

// The process's dispatchers; a dispatcher's index is its Handle.
std::mutex g_list_mutex;
std::vector<TApdBaseDispatcher*> g_dispatchers;

uint8_t UpCase(uint8_t b) { return (b >= 'a' && b <= 'z') ? static_cast<uint8_t>(b - 32) : b; }

}  // namespace

TApdBaseDispatcher::TApdBaseDispatcher(TComponent* Owner) : owner_(Owner) {
  std::lock_guard<std::mutex> lock(g_list_mutex);
  auto slot = std::find(g_dispatchers.begin(), g_dispatchers.end(), nullptr);
  if (slot != g_dispatchers.end()) {
    *slot = this;
  } else {
    slot = g_dispatchers.insert(g_dispatchers.end(), this);
  }
  handle_ = static_cast<uint16_t>(slot - g_dispatchers.begin());
}

TApdBaseDispatcher::~TApdBaseDispatcher() {
  std::lock_guard<std::mutex> lock(g_list_mutex);
  if (handle_ < g_dispatchers.size()) g_dispatchers[handle_] = nullptr;
  while (!g_dispatchers.empty() && g_dispatchers.back() == nullptr) g_dispatchers.pop_back();
}

// ---------------------------------------------------------------- buffers

void TApdBaseDispatcher::AllocateBuffers(int OutSize) {
  {
    os::CriticalSection::Guard lock(input_);
    in_buf_.assign(kInBufferSize, 0);
    in_head_ = in_tail_ = 0;
    in_full_ = false;
    total_in_ = last_avail_total_ = last_checked_total_ = 0;
  }
  os::CriticalSection::Guard lock(output_);
  out_size_ = std::max(OutSize, 1);
  out_buf_.assign(out_size_, 0);
  out_head_ = out_tail_ = 0;
  out_full_ = false;
}

void TApdBaseDispatcher::ReleaseBuffers() {
  {
    os::CriticalSection::Guard lock(input_);
    in_buf_.clear();
    in_head_ = in_tail_ = 0;
    in_full_ = false;
  }
  os::CriticalSection::Guard lock(output_);
  out_buf_.clear();
  out_head_ = out_tail_ = 0;
  out_full_ = false;
}

int TApdBaseDispatcher::InBuffUsedLocked() const {
  if (in_head_ == in_tail_) return in_full_ ? kInBufferSize : 0;
  return in_head_ > in_tail_ ? in_head_ - in_tail_ : in_head_ - in_tail_ + kInBufferSize;
}

int TApdBaseDispatcher::InBuffUsed() const {
  os::CriticalSection::Guard lock(input_);
  return InBuffUsedLocked();
}

int TApdBaseDispatcher::InBuffFree() const {
  os::CriticalSection::Guard lock(input_);
  return in_buf_.empty() ? 0 : kInBufferSize - InBuffUsedLocked();
}

int TApdBaseDispatcher::OutBuffUsedLocked() const {
  if (out_head_ == out_tail_) return out_full_ ? out_size_ : 0;
  return out_head_ > out_tail_ ? out_head_ - out_tail_ : out_head_ - out_tail_ + out_size_;
}

int TApdBaseDispatcher::OutBuffUsed() const {
  os::CriticalSection::Guard lock(output_);
  return OutBuffUsedLocked();
}

int TApdBaseDispatcher::OutBuffFree() const {
  os::CriticalSection::Guard lock(output_);
  return out_size_ - OutBuffUsedLocked();
}

int TApdBaseDispatcher::StoreInput(const uint8_t* Data, int Len) {
  os::CriticalSection::Guard lock(input_);
  if (in_buf_.empty()) return 0;
  const int n = std::min(Len, kInBufferSize - InBuffUsedLocked());
  for (int i = 0; i < n;) {
    const int chunk = std::min(n - i, kInBufferSize - in_head_);
    std::memcpy(&in_buf_[in_head_], Data + i, chunk);
    in_head_ = (in_head_ + chunk) % kInBufferSize;
    i += chunk;
  }
  if (n > 0 && in_head_ == in_tail_) in_full_ = true;
  total_in_ += static_cast<uint64_t>(n);
  return n;
}

int TApdBaseDispatcher::GetBlock(void* Data, int Len) {
  if (Len <= 0) return 0;
  os::CriticalSection::Guard lock(input_);
  const int used = InBuffUsedLocked();
  const int skip = reading_in_notice_ ? consumed_in_notice_ : 0;
  if (Len > used - skip) return ecodes::ecBufferIsEmpty;
  auto* out = static_cast<uint8_t*>(Data);
  int pos = (in_tail_ + skip) % kInBufferSize;
  for (int i = 0; i < Len;) {
    const int chunk = std::min(Len - i, kInBufferSize - pos);
    std::memcpy(out + i, &in_buf_[pos], chunk);
    pos = (pos + chunk) % kInBufferSize;
    i += chunk;
  }
  if (reading_in_notice_) {
    consumed_in_notice_ += Len;
  } else {
    in_tail_ = pos;
    in_full_ = false;
  }
  return Len;
}

int TApdBaseDispatcher::PutBlock(const void* Data, int Len) {
  if (Len <= 0) return 0;
  if (line_lost_.load()) return ecodes::ecPutBlockFail;
  {
    os::CriticalSection::Guard lock(output_);
    if (out_buf_.empty()) return ecodes::ecPutBlockFail;
    if (Len > out_size_ - OutBuffUsedLocked()) return ecodes::ecOutputBufferTooSmall;
    const auto* in = static_cast<const uint8_t*>(Data);
    for (int i = 0; i < Len;) {
      const int chunk = std::min(Len - i, out_size_ - out_head_);
      std::memcpy(&out_buf_[out_head_], in + i, chunk);
      out_head_ = (out_head_ + chunk) % out_size_;
      i += chunk;
    }
    if (out_head_ == out_tail_) out_full_ = true;
  }
  output_ready_.Set();
  out_sent_pending_.store(true);
  return Len;
}

int TApdBaseDispatcher::PurgeBuffers(bool Input) {
  if (Input) {
    {
      os::CriticalSection::Guard lock(input_);
      if (reading_in_notice_) {
        // The notice's clients take everything: the ring empties when the notice ends.
        consumed_in_notice_ = InBuffUsedLocked();
        max_consumed_ = consumed_in_notice_;
      } else {
        in_tail_ = in_head_;
        in_full_ = false;
      }
      last_checked_total_ = last_avail_total_ = total_in_;
    }
    {
      os::CriticalSection::Guard lock(general_);
      for (auto& t : data_triggers_) t.Partial.clear();
    }
    if (device_open_) PurgeDevice(true);
    return 0;
  }
  if (writer_thread_ && !writer_thread_->Finished() && !kill_flag_.load()) {
    // The writer must let go of the ring before it is cleared.
    writer_stop_.Set();
    ready_.WaitFor(3000);
  }
  {
    os::CriticalSection::Guard lock(output_);
    out_head_ = out_tail_ = 0;
    out_full_ = false;
  }
  if (device_open_) PurgeDevice(false);
  return 0;
}

// ---------------------------------------------------------------- status

void TApdBaseDispatcher::UpdateModemStatus() {
  const uint8_t lines = ReadModemLines() & 0xF0;
  os::CriticalSection::Guard lock(general_);
  const uint8_t changed = modem_known_ ? static_cast<uint8_t>(((lines ^ modem_status_) >> 4) & 0x0F) : 0;
  modem_status_ = static_cast<uint8_t>(lines | (modem_status_ & 0x0F) | changed);
  modem_known_ = true;
}

void TApdBaseDispatcher::UpdateLineStatus() {
  const uint32_t errors = TakeDeviceLineErrors() & 0x1F;
  os::CriticalSection::Guard lock(general_);
  line_error_ |= errors;
}

int TApdBaseDispatcher::GetLineError() {
  os::CriticalSection::Guard lock(general_);
  int result = 0;
  if (line_error_ & 0x01) result = 1;
  else if (line_error_ & 0x02) result = 2;
  else if (line_error_ & 0x04) result = 3;
  else if (line_error_ & 0x08) result = 4;
  else if (line_error_ & 0x10) result = 9;
  if (result != 0) line_error_ &= ~0x0Fu;
  return result;
}

bool TApdBaseDispatcher::CheckLineBreak() {
  os::CriticalSection::Guard lock(general_);
  const bool brk = (line_error_ & 0x10) != 0;
  line_error_ &= ~0x10u;
  return brk;
}

uint8_t TApdBaseDispatcher::GetModemStatus() {
  os::CriticalSection::Guard lock(general_);
  const uint8_t status = modem_status_;
  modem_status_ &= 0xF0;
  return status;
}

// ---------------------------------------------------------------- triggers

bool TApdBaseDispatcher::HandleInUse(uint32_t Handle) const {
  const uint32_t base = Handle & ~7u;
  for (const auto& t : timer_triggers_)
    if ((t.Handle & ~7u) == base) return true;
  for (const auto& t : status_triggers_)
    if ((t.Handle & ~7u) == base) return true;
  for (const auto& t : data_triggers_)
    if ((t.Handle & ~7u) == base) return true;
  return false;
}

uint32_t TApdBaseDispatcher::NewHandle(int Kind) {
  uint32_t base = 0;
  // Counting up keeps handles unique for the whole life of a port; a restored set of
  // triggers may already hold a counted handle, so those are skipped too.
  while (next_handle_index_ < 4096) {
    base = next_handle_index_++ * 8;
    if (!HandleInUse(base)) return base + static_cast<uint32_t>(Kind);
  }
  for (base = 8;; base += 8)
    if (!HandleInUse(base)) return base + static_cast<uint32_t>(Kind);
}

uint32_t TApdBaseDispatcher::AddTimerTrigger() {
  os::CriticalSection::Guard lock(general_);
  TTimerTrigger t;
  t.Handle = NewHandle(0);
  timer_triggers_.push_back(t);
  log_.Add(apd::dtTriggerAlloc, apd::dstTimer, t.Handle);
  return t.Handle;
}

int TApdBaseDispatcher::SetTimerTrigger(uint32_t Handle, int32_t Ticks, bool Activate) {
  os::CriticalSection::Guard lock(general_);
  for (auto& t : timer_triggers_) {
    if (t.Handle != Handle) continue;
    if (Activate) {
      if (Ticks != 0) t.Ticks = static_cast<uint32_t>(Ticks);
      StartTickTimer(t.Timer, static_cast<int32_t>(t.Ticks));
      t.Active = true;
      log_.Add(apd::dtTriggerDataChange, apd::dstTimer, Handle, &t.Ticks, sizeof t.Ticks);
      WakeDispatchFor(t);
    } else {
      t.Active = false;
      log_.AddText(apd::dtTriggerDataChange, apd::dstTimer, Handle, "Deactivated");
    }
    return 0;
  }
  return ecodes::ecBadTriggerHandle;
}

uint32_t TApdBaseDispatcher::AddStatusTrigger(int Kind) {
  if (Kind < stModem || Kind > stOutSent) return 0;
  os::CriticalSection::Guard lock(general_);
  TStatusTrigger t;
  t.Handle = NewHandle(Kind);
  t.Kind = Kind;
  status_triggers_.push_back(t);
  log_.Add(apd::dtTriggerAlloc, apd::dstStatus, t.Handle);
  return t.Handle;
}

int TApdBaseDispatcher::SetStatusTrigger(uint32_t Handle, uint16_t Value, bool Activate) {
  os::CriticalSection::Guard lock(general_);
  for (auto& t : status_triggers_) {
    if (t.Handle != Handle) continue;
    t.Value = Value;
    t.Armed = Activate;
    if (t.Kind == stOutSent && Activate) out_sent_pending_.store(false);
    // An armed status trigger is watched every 50 ms.
    if (Activate) dispatch_wake_.Set();
    return 0;
  }
  return ecodes::ecBadTriggerHandle;
}

int TApdBaseDispatcher::AddDataTrigger(const AnsiString& Data, bool IgnoreCase) {
  if (Data.empty()) return ecodes::ecBadArgument;
  if (static_cast<int>(Data.size()) > kMaxDataTriggerLength) return ecodes::ecTriggerTooLong;
  os::CriticalSection::Guard lock(general_);
  TDataTrigger t;
  t.Handle = NewHandle(0);
  t.IgnoreCase = IgnoreCase;
  for (char c : Data) {
    const auto b = static_cast<uint8_t>(c);
    t.Bytes.push_back(IgnoreCase ? UpCase(b) : b);
  }
  data_triggers_.push_back(t);
  log_.AddText(apd::dtTriggerAlloc, apd::dstData, t.Handle, Data);
  return static_cast<int>(t.Handle);
}

int TApdBaseDispatcher::RemoveTrigger(uint32_t Handle) {
  os::CriticalSection::Guard lock(general_);
  if (Handle == kAvailTriggerHandle) {
    avail_level_ = 0;
    return 0;
  }
  if (Handle < 2) return ecodes::ecBadTriggerHandle;
  auto erase = [Handle](auto& list) {
    auto it = std::find_if(list.begin(), list.end(), [Handle](const auto& t) { return t.Handle == Handle; });
    if (it == list.end()) return false;
    list.erase(it);
    return true;
  };
  if (erase(timer_triggers_) || erase(status_triggers_) || erase(data_triggers_)) {
    log_.Add(apd::dtTriggerDispose, apd::dstNone, Handle);
    return 0;
  }
  return ecodes::ecBadTriggerHandle;
}

void TApdBaseDispatcher::SetAvailLevel(uint32_t Count) {
  os::CriticalSection::Guard lock(general_);
  avail_level_ = Count;
  log_.Add(apd::dtTriggerDataChange, apd::dstAvail, Count);
}

uint32_t TApdBaseDispatcher::AvailLevel() const {
  os::CriticalSection::Guard lock(general_);
  return avail_level_;
}

void TApdBaseDispatcher::RemoveAllTriggers() {
  os::CriticalSection::Guard lock(general_);
  timer_triggers_.clear();
  status_triggers_.clear();
  data_triggers_.clear();
  avail_level_ = 0;
  next_handle_index_ = 1;
}

void TApdBaseDispatcher::SaveTriggers(TTriggerSave& Saved) const {
  os::CriticalSection::Guard lock(general_);
  Saved.AvailLevel = avail_level_;
  Saved.Timers = timer_triggers_;
  Saved.Statuses = status_triggers_;
  Saved.Datas = data_triggers_;
}

void TApdBaseDispatcher::RestoreTriggers(const TTriggerSave& Saved) {
  os::CriticalSection::Guard lock(general_);
  avail_level_ = Saved.AvailLevel;
  timer_triggers_ = Saved.Timers;
  status_triggers_ = Saved.Statuses;
  data_triggers_ = Saved.Datas;
  dispatch_wake_.Set();
}

void TApdBaseDispatcher::WakeDispatchFor(const TTimerTrigger& Trigger) {
  if (OnDispatchThread()) return;  // it plans its next round after this one anyway
  const uint64_t due = os::MonotonicMilliseconds() + TickTimerMsLeft(Trigger.Timer);
  if (due < planned_round_) dispatch_wake_.Set();
}

uint32_t TApdBaseDispatcher::NextRoundWait() {
  // Status triggers watch the modem lines, line errors and the output ring, which change
  // without an event of their own; a test clock moves without the thread knowing.
  constexpr uint32_t kPollMs = 50;
  os::CriticalSection::Guard lock(general_);
  uint32_t wait = os::kInfinite;
  for (const auto& t : status_triggers_)
    if (t.Armed) wait = kPollMs;
  if (!os::SystemClockInstalled()) wait = kPollMs;
  for (const auto& t : timer_triggers_)
    if (t.Active) wait = std::min(wait, TickTimerMsLeft(t.Timer));
  planned_round_ = wait == os::kInfinite ? UINT64_MAX : os::MonotonicMilliseconds() + wait;
  return wait;
}

bool TApdBaseDispatcher::FireTimerTrigger() {
  uint32_t handle = 0;
  {
    os::CriticalSection::Guard lock(general_);
    for (auto& t : timer_triggers_) {
      if (t.Active && TickTimerExpired(t.Timer)) {
        t.Active = false;
        handle = t.Handle;
        break;
      }
    }
  }
  if (handle == 0) return false;
  NotifyClients(APW_TRIGGERTIMER, handle, 0);
  return true;
}

bool TApdBaseDispatcher::FireStatusTrigger() {
  const int outFree = OutBuffFree();
  const int outUsed = OutBuffUsed();
  uint32_t handle = 0;
  uint32_t data = 0;
  {
    os::CriticalSection::Guard lock(general_);
    for (auto& t : status_triggers_) {
      if (!t.Armed || t.FiredThisRound) continue;
      bool fire = false;
      switch (t.Kind) {
        case stModem:
          fire = ((t.Value & 0xFF) ^ modem_status_) & (t.Value >> 8) & 0xF0;
          break;
        case stLine:
          fire = (t.Value & line_error_) != 0;
          if (fire) t.Value = static_cast<uint16_t>(line_error_);
          break;
        case stOutBuffFree:
          fire = outFree >= t.Value;
          data = static_cast<uint32_t>(outFree);
          break;
        case stOutBuffUsed:
          fire = outUsed <= t.Value;
          data = static_cast<uint32_t>(outUsed);
          break;
        case stOutSent:
          fire = out_sent_pending_.exchange(false);
          break;
      }
      if (fire) {
        t.Armed = false;
        t.FiredThisRound = true;
        handle = t.Handle;
        if (t.Kind != stOutBuffFree && t.Kind != stOutBuffUsed) data = 0;
        break;
      }
    }
  }
  if (handle == 0) return false;
  NotifyClients(APW_TRIGGERSTATUS, handle, data);
  return true;
}

void TApdBaseDispatcher::ClearStatusFiredMarks() {
  os::CriticalSection::Guard lock(general_);
  for (auto& t : status_triggers_) t.FiredThisRound = false;
}

bool TApdBaseDispatcher::FireDataTriggers() {
  std::vector<uint8_t> fresh;
  {
    os::CriticalSection::Guard lock(input_);
    const uint64_t unseen = total_in_ - last_checked_total_;
    const int n = static_cast<int>(std::min<uint64_t>(unseen, static_cast<uint64_t>(InBuffUsedLocked())));
    int pos = (in_head_ - n + kInBufferSize) % kInBufferSize;
    for (int i = 0; i < n; ++i, pos = (pos + 1) % kInBufferSize) fresh.push_back(in_buf_[pos]);
    last_checked_total_ = total_in_;
  }
  std::vector<uint32_t> matched;
  if (!fresh.empty()) {
    os::CriticalSection::Guard lock(general_);
    for (auto& t : data_triggers_) {
      for (uint8_t raw : fresh) {
        const uint8_t b = t.IgnoreCase ? UpCase(raw) : raw;
        std::vector<int> next;
        t.Partial.push_back(0);  // every byte may begin an occurrence
        for (int reached : t.Partial) {
          if (t.Bytes[reached] != b) continue;
          if (reached + 1 == static_cast<int>(t.Bytes.size())) {
            t.Matched = true;
            matched.push_back(t.Handle);
          } else {
            next.push_back(reached + 1);
          }
        }
        t.Partial.swap(next);
      }
    }
  }
  for (uint32_t handle : matched) NotifyClients(APW_TRIGGERDATA, handle, 0);

  uint32_t level;
  {
    os::CriticalSection::Guard lock(general_);
    level = avail_level_;
  }
  int count = 0;
  {
    os::CriticalSection::Guard lock(input_);
    if (level == 0 || total_in_ == last_avail_total_) return true;
    count = InBuffUsedLocked();
    if (count < static_cast<int>(level)) return true;
    last_avail_total_ = total_in_;
  }
  return NotifyClients(APW_TRIGGERAVAIL, static_cast<uint32_t>(count), 0);
}

// ---------------------------------------------------------------- clients

void TApdBaseDispatcher::RecomputeNoticesWanted() {
  notices_wanted_ = window_clients_.size() >= 2 || !method_clients_.empty() || force_window_notices_;
}

int TApdBaseDispatcher::RegisterWindowClient(TApdNotifyProc Proc, TApdNoticeFilter Wants) {
  os::CriticalSection::Guard lock(general_);
  const int id = next_client_id_++;
  Client c{id, std::move(Proc)};
  c.Wants = std::move(Wants);
  window_clients_.push_back(std::move(c));
  log_.Add(apd::dtTriggerHandlerAlloc, apd::dstWindow, static_cast<uint32_t>(id));
  RecomputeNoticesWanted();
  return id;
}

int TApdBaseDispatcher::RegisterMethodClient(TApdNotifyProc Proc, bool Synchronize) {
  os::CriticalSection::Guard lock(general_);
  const int id = next_client_id_++;
  Client c{id, std::move(Proc)};
  c.Synchronize = Synchronize;
  method_clients_.push_back(std::move(c));
  log_.Add(apd::dtTriggerHandlerAlloc, apd::dstMethod, static_cast<uint32_t>(id));
  notices_wanted_ = true;
  return id;
}

void TApdBaseDispatcher::DeregisterWindowClient(int Id) {
  os::CriticalSection::Guard lock(general_);
  for (auto it = window_clients_.begin(); it != window_clients_.end(); ++it) {
    if (it->Id != Id) continue;
    log_.Add(apd::dtTriggerHandlerDispose, apd::dstWindow, static_cast<uint32_t>(Id));
    if (in_notice_.load()) {
      it->Deleted = true;
      clients_deleted_ = true;
    } else {
      window_clients_.erase(it);
    }
    break;
  }
  RecomputeNoticesWanted();
}

void TApdBaseDispatcher::DeregisterMethodClient(int Id) {
  os::CriticalSection::Guard lock(general_);
  for (auto it = method_clients_.begin(); it != method_clients_.end(); ++it) {
    if (it->Id != Id) continue;
    log_.Add(apd::dtTriggerHandlerDispose, apd::dstMethod, static_cast<uint32_t>(Id));
    if (in_notice_.load()) {
      it->Deleted = true;
      clients_deleted_ = true;
    } else {
      method_clients_.erase(it);
    }
    break;
  }
  RecomputeNoticesWanted();
}

void TApdBaseDispatcher::SetClientNotices(int Mode) {
  os::CriticalSection::Guard lock(general_);
  if (Mode == 1) {
    force_window_notices_ = true;
    notices_wanted_ = true;
    return;
  }
  if (Mode == 2) force_window_notices_ = false;
  RecomputeNoticesWanted();
}

bool TApdBaseDispatcher::NotifyClients(uint32_t Msg, uint32_t WParam, uint32_t LParamLow) {
  const bool reading = Msg == APW_TRIGGERAVAIL || Msg == APW_TRIGGERDATA;
  log_.Add(apd::dtTrigger,
           Msg == APW_TRIGGERAVAIL  ? apd::dstAvailTrigger
           : Msg == APW_TRIGGERDATA ? apd::dstDataTrigger
           : Msg == APW_TRIGGERTIMER ? apd::dstTimerTrigger
                                     : apd::dstStatusTrigger,
           WParam);
  {
    os::CriticalSection::Guard lock(general_);
    if (!notices_wanted_) return true;
    in_notice_.store(true);
  }
  {
    os::CriticalSection::Guard lock(input_);
    max_consumed_ = 0;
    consumed_in_notice_ = 0;
    reading_in_notice_ = reading;
  }
  const uint32_t lParam = (static_cast<uint32_t>(handle_) << 16) | (LParamLow & 0xFFFF);

  auto afterClient = [this] {
    os::CriticalSection::Guard lock(input_);
    max_consumed_ = std::max(max_consumed_, consumed_in_notice_);
    consumed_in_notice_ = 0;
  };
  // The lists may change while a client runs (a client may register or deregister), so each
  // step takes its client afresh under the section.
  auto clientAt = [this](std::vector<Client>& list, size_t i, Client& out) {
    os::CriticalSection::Guard lock(general_);
    if (i >= list.size()) return false;
    out = list[i];
    return true;
  };

  Client c;
  for (size_t i = 0; !close_pending_.load() && clientAt(method_clients_, i, c); ++i) {
    if (c.Deleted) continue;
    try {
      if (c.Synchronize) {
        SyncCall([&] { c.Proc(Msg, WParam, lParam); });
      } else {
        c.Proc(Msg, WParam, lParam);
      }
    } catch (...) {
      // A failing client must not take the dispatch thread down; the GUI side reports its
      // own failures.
    }
    afterClient();
  }

  bool windows;
  {
    os::CriticalSection::Guard lock(general_);
    windows = window_clients_.size() > 1 || force_window_notices_;
  }
  for (size_t i = 0; windows && !close_pending_.load() && clientAt(window_clients_, i, c); ++i) {
    if (c.Deleted) continue;
    // A message the client would do nothing with is not worth waking the GUI thread for.
    if (c.Wants && !c.Wants(Msg)) continue;
    TApdNotifyProc proc = c.Proc;
    const bool handed = apd::gui::Send(
        [this, proc, Msg, WParam, lParam] {
          ++gui_calls_running_;
          struct Done {
            std::atomic<int>& n;
            ~Done() { --n; }
          } done{gui_calls_running_};
          proc(Msg, WParam, lParam);
        },
        3000);
    // A timer event (the link watchdog among them) fires once and is not repeated, so one
    // the busy window did not take is delivered late rather than lost. The client guards
    // itself against a port that has gone meanwhile.
    if (!handed && Msg == APW_TRIGGERTIMER)
      apd::gui::Post([proc, Msg, WParam, lParam] { proc(Msg, WParam, lParam); });
    afterClient();
  }

  int consumed;
  {
    os::CriticalSection::Guard lock(input_);
    consumed = max_consumed_;
    if (reading) {
      if (consumed > 0) {
        in_tail_ = (in_tail_ + consumed) % kInBufferSize;
        in_full_ = false;
      }
      reading_in_notice_ = false;
    }
  }
  {
    os::CriticalSection::Guard lock(general_);
    in_notice_.store(false);
    if (clients_deleted_) {
      auto gone = [](const Client& cl) { return cl.Deleted; };
      std::erase_if(window_clients_, gone);
      std::erase_if(method_clients_, gone);
      clients_deleted_ = false;
      RecomputeNoticesWanted();
    }
  }
  return !(Msg == APW_TRIGGERAVAIL && consumed != static_cast<int>(WParam));
}

void TApdBaseDispatcher::SyncCall(const std::function<void()>& Call) {
  apd::gui::Send(
      [this, &Call] {
        ++gui_calls_running_;
        struct Done {
          std::atomic<int>& n;
          ~Done() { --n; }
        } done{gui_calls_running_};
        Call();
      },
      -1);
}
