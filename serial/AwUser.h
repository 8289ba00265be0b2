#pragma once
// The dispatcher under a port component: input and output rings, line and modem status
// shadows, timer/status/data triggers, the clients told when a trigger fires, and the
// event, dispatch and writer threads that move bytes between the device and the rings.
// The device itself is supplied by a derived class (TApdPortDispatcher).
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/os/CriticalSection.h"
#include "platform/os/Event.h"
#include "platform/os/Thread.h"
#include "serial/AdTickTimer.h"
#include "serial/AwTrace.h"

// Trigger messages, passed to every client with (wParam, lParam); the high 16 bits of
// lParam hold the dispatcher's Handle.
constexpr uint32_t APW_TRIGGERAVAIL = 32257;   // wParam: bytes available
constexpr uint32_t APW_TRIGGERDATA = 32258;    // wParam: data trigger handle
constexpr uint32_t APW_TRIGGERTIMER = 32259;   // wParam: timer trigger handle
constexpr uint32_t APW_TRIGGERSTATUS = 32260;  // wParam: status trigger handle; low lParam: count
constexpr uint32_t APW_PORTOPEN = 32264;
constexpr uint32_t APW_PORTCLOSE = 32265;
constexpr uint32_t APW_CLOSEPENDING = 32266;

// Status trigger kinds; a status trigger's handle carries its kind in the low 3 bits.
constexpr int stModem = 1;
constexpr int stLine = 2;
constexpr int stOutBuffFree = 3;
constexpr int stOutBuffUsed = 4;
constexpr int stOutSent = 5;

constexpr int kInBufferSize = 8192;
constexpr int kMaxDataTriggerLength = 21;
// Handle 1 stands for the data-available level.
constexpr uint32_t kAvailTriggerHandle = 1;

struct TTimerTrigger {
  uint32_t Handle = 0;
  TTickTimer Timer{0, 0};
  uint32_t Ticks = 0;
  bool Active = false;
};

struct TStatusTrigger {
  uint32_t Handle = 0;
  int Kind = 0;
  uint16_t Value = 0;
  bool Armed = false;
  bool FiredThisRound = false;
};

struct TDataTrigger {
  uint32_t Handle = 0;
  std::vector<uint8_t> Bytes;
  std::vector<int> Partial;  // match lengths reached by overlapping candidates
  bool Matched = false;
  bool IgnoreCase = false;
};

// A copy of a dispatcher's triggers, kept by the port while it is closed.
struct TTriggerSave {
  uint32_t AvailLevel = 0;
  std::vector<TTimerTrigger> Timers;
  std::vector<TStatusTrigger> Statuses;
  std::vector<TDataTrigger> Datas;
};

using TApdNotifyProc = std::function<void(uint32_t Msg, uint32_t WParam, uint32_t LParam)>;
// Asked on the dispatch thread before a window client is handed a message: false when the
// client has nothing to do with it, so the GUI thread is not woken for it.
using TApdNoticeFilter = std::function<bool(uint32_t Msg)>;

class TApdBaseDispatcher {
 public:
  explicit TApdBaseDispatcher(TComponent* Owner);
  virtual ~TApdBaseDispatcher();
  TApdBaseDispatcher(const TApdBaseDispatcher&) = delete;
  TApdBaseDispatcher& operator=(const TApdBaseDispatcher&) = delete;

  TComponent* Owner() const { return owner_; }
  // Index in the process's dispatcher list.
  uint16_t Handle() const { return handle_; }

  // ---- buffers ----
  // Queues Len bytes for output: -3006 when they do not fit, -3004 when the line is lost.
  int PutBlock(const void* Data, int Len);
  // Takes Len bytes from the input ring (-3007 when fewer are there). Inside a notice, each
  // client reads the same new bytes; they leave the ring once, by the most any client read.
  int GetBlock(void* Data, int Len);
  int InBuffUsed() const;
  int InBuffFree() const;
  int OutBuffUsed() const;
  int OutBuffFree() const;
  // Bytes the device itself still holds to send (its transmit queue), beyond the ring.
  virtual int DeviceOutputQueued() { return 0; }
  int OutSize() const { return out_size_; }
  // Discards queued output (Input false) or buffered input (Input true).
  int PurgeBuffers(bool Input);

  // ---- status ----
  // First pending line error (1 queue overrun, 2 overrun, 3 parity, 4 framing, 9 break
  // alone), clearing the four error bits; 0 for none.
  int GetLineError();
  bool CheckLineBreak();
  // Current lines in the high nibble, changed-since-last-read in the low nibble (cleared).
  uint8_t GetModemStatus();
  // True once the device went away (unplugged adapter, closed terminal).
  bool LineLost() const { return line_lost_.load(); }

  // ---- triggers ----
  uint32_t AddTimerTrigger();
  int SetTimerTrigger(uint32_t Handle, int32_t Ticks, bool Activate);
  uint32_t AddStatusTrigger(int Kind);
  int SetStatusTrigger(uint32_t Handle, uint16_t Value, bool Activate);
  // -5002 when Data is longer than kMaxDataTriggerLength; -1002 when empty.
  int AddDataTrigger(const AnsiString& Data, bool IgnoreCase);
  int RemoveTrigger(uint32_t Handle);
  void SetAvailLevel(uint32_t Count);
  uint32_t AvailLevel() const;
  void RemoveAllTriggers();
  void SaveTriggers(TTriggerSave& Saved) const;
  void RestoreTriggers(const TTriggerSave& Saved);

  // ---- clients ----
  // A window client's messages are handed to the GUI thread (waiting at most 3000 ms),
  // those its Wants filter (when given) accepts; method clients are called on the dispatch
  // thread, or on the GUI thread when Synchronize.
  int RegisterWindowClient(TApdNotifyProc Proc, TApdNoticeFilter Wants = nullptr);
  void DeregisterWindowClient(int Id);
  int RegisterMethodClient(TApdNotifyProc Proc, bool Synchronize);
  void DeregisterMethodClient(int Id);
  // 0 recompute, 1 force window notices on, 2 release the force.
  void SetClientNotices(int Mode);
  bool InNotice() const { return in_notice_.load(); }
  bool ClosePending() const { return close_pending_.load(); }

  // ---- threads ----
  bool ThreadsRunning() const { return running_count_.load() > 0; }
  // Runs Call on the GUI thread and waits for it.
  void SyncCall(const std::function<void()>& Call);
  // True when the calling thread is this dispatcher's dispatch thread.
  bool OnDispatchThread() const;
  // The event and dispatch threads run Boost steps from normal priority (os::NiceForPriority);
  // the writer keeps normal priority, except in RS485 mode, where it runs one step above the
  // other two so that it turns the line around as soon as its bytes are out. Applied at once
  // while the threads run, and when they start.
  void SetThreadBoost(int Boost);
  int ThreadBoost() const;
  // Why the system refused a thread its priority, recorded the first time it did; empty
  // while it never did. The threads go on with the priority they had.
  AnsiString PriorityRefusal() const;
  // The system ids of the event, dispatch and writer threads (0 where one is not running).
  std::array<int, 3> ThreadSystemIds() const;

  // ---- lifetime of an open device ----
  bool DeviceOpen() const { return device_open_; }
  // Closes the device: purges, then stops the threads and releases everything. Called from
  // inside a notice, it only asks the threads to end and marks the close pending; the port
  // completes it with FinishClose once ThreadsRunning() is false.
  void DonePort();
  void FinishClose();

  // One round of the dispatch thread (reading the device, firing triggers); the thread calls
  // it after each device event, when the next timer trigger is due, and every 50 ms while a
  // status trigger is armed (or a test clock stands in for the system clock).
  void DispatchRound();
  // How long the dispatch thread may wait for a device event before its next round, in ms
  // (os::kInfinite when only a device event or a trigger change can give it work).
  uint32_t NextRoundWait();

  // ---- trace and dispatch log (recording only while the port switched them on) ----
  apd::TTraceRecorder& Trace() { return trace_; }
  apd::TDispatchLog& Log() { return log_; }

 protected:
  // ---- the device, supplied by the derived class ----
  virtual int DeviceRead(uint8_t* Buffer, int Size) = 0;   // non-blocking; <0 line lost
  virtual int DeviceWrite(const uint8_t* Data, int Size) = 0;  // non-blocking; <0 line lost
  // Waits until input is there or until CancelDeviceWait (with DeviceUsable false, only for
  // the cancel); false when cancelled or failed.
  virtual bool WaitDeviceInput(bool DeviceUsable) = 0;
  virtual void CancelDeviceWait() = 0;
  // Waits until the device takes more output, Stop is set, or TimeoutMs pass; true when Stop
  // was set (its signal is taken).
  virtual bool WaitDeviceWritable(const os::Event& Stop, uint32_t TimeoutMs) = 0;
  virtual void PurgeDevice(bool Input) = 0;
  virtual uint8_t ReadModemLines() = 0;  // high nibble
  virtual uint32_t TakeDeviceLineErrors() = 0;
  virtual void CloseDevice() = 0;

  // Called by the open sequence of the derived class.
  void AllocateBuffers(int OutSize);
  void StartThreads();
  void StopThreads();
  void MarkDeviceOpen(bool Open) { device_open_ = Open; }
  void UpdateModemStatus();
  void UpdateLineStatus();
  // RS485 mode raises the writer thread's priority a step above the others.
  void SetWriterRaised(bool Raised);

  // Puts received bytes into the input ring (what fits); returns the count stored.
  int StoreInput(const uint8_t* Data, int Len);
  // Timer, status and data rounds; each returns true when a trigger fired.
  bool FireTimerTrigger();
  bool FireStatusTrigger();
  void ClearStatusFiredMarks();
  // Data triggers over the bytes that came since the last check, then the data-available
  // notice; false when a data-available notice was not fully consumed.
  bool FireDataTriggers();

  mutable os::CriticalSection general_;  // triggers, clients, status shadows, line settings
  mutable os::CriticalSection output_;   // output ring
  mutable os::CriticalSection input_;    // input ring positions

 private:
  struct Client {
    int Id;
    TApdNotifyProc Proc;
    bool Deleted = false;
    bool Synchronize = false;
    TApdNoticeFilter Wants = nullptr;
  };

  int InBuffUsedLocked() const;
  int OutBuffUsedLocked() const;
  uint32_t NewHandle(int Kind);
  bool HandleInUse(uint32_t Handle) const;
  bool NotifyClients(uint32_t Msg, uint32_t WParam, uint32_t LParamLow);
  void RecomputeNoticesWanted();
  // Wakes the dispatch thread when a timer trigger armed from another thread is due before
  // the thread's next planned round. Called under the general section.
  void WakeDispatchFor(const TTimerTrigger& Trigger);
  void RequestThreadsEnd();
  // Gives each running thread its priority; called under the general section.
  void ApplyThreadPriorities();
  void ReleaseBuffers();
  void EventThreadBody(os::Thread& self);
  void DispatchThreadBody(os::Thread& self);
  void WriterThreadBody(os::Thread& self);
  // Drains the output ring to the device; true when WriterStop ended it.
  bool WriteOut();
  void ThreadEnded();

  TComponent* owner_;
  uint16_t handle_ = 0;
  apd::TTraceRecorder trace_;
  apd::TDispatchLog log_;
  bool device_open_ = false;

  // Input ring.
  std::vector<uint8_t> in_buf_;
  int in_head_ = 0;
  int in_tail_ = 0;
  bool in_full_ = false;
  // Output ring.
  std::vector<uint8_t> out_buf_;
  int out_size_ = 0;
  int out_head_ = 0;
  int out_tail_ = 0;
  bool out_full_ = false;

  // Reading inside a notice.
  bool reading_in_notice_ = false;
  int consumed_in_notice_ = 0;
  int max_consumed_ = 0;

  uint32_t line_error_ = 0;
  uint8_t modem_status_ = 0;
  bool modem_known_ = false;
  std::atomic<bool> line_lost_{false};
  std::atomic<bool> out_sent_pending_{false};

  uint32_t avail_level_ = 0;
  // Bytes ever stored into the input ring, and how far the data triggers and the
  // data-available notice have seen them.
  uint64_t total_in_ = 0;
  uint64_t last_avail_total_ = 0;
  uint64_t last_checked_total_ = 0;
  std::vector<TTimerTrigger> timer_triggers_;
  std::vector<TStatusTrigger> status_triggers_;
  std::vector<TDataTrigger> data_triggers_;
  uint32_t next_handle_index_ = 1;

  std::vector<Client> window_clients_;
  std::vector<Client> method_clients_;
  int next_client_id_ = 1;
  bool force_window_notices_ = false;
  bool notices_wanted_ = false;
  std::atomic<bool> in_notice_{false};
  bool clients_deleted_ = false;
  std::atomic<bool> close_pending_{false};
  // Client calls running on the GUI thread right now (the dispatch thread waits for them).
  std::atomic<int> gui_calls_running_{0};

  // Threads and their events.
  std::unique_ptr<os::Thread> event_thread_, dispatch_thread_, writer_thread_;
  std::atomic<int> running_count_{0};
  std::atomic<bool> kill_flag_{false};
  std::atomic<bool> threads_started_{false};
  std::atomic<std::thread::id> dispatch_thread_id_{};
  // Thread priorities, under the general section.
  int thread_boost_ = 0;
  bool writer_raised_ = false;
  AnsiString priority_refusal_;
  os::Event device_event_{os::EventReset::Automatic};
  // Trigger changes that need the dispatch thread sooner than it planned, and the stop.
  os::Event dispatch_wake_{os::EventReset::Automatic};
  // When (monotonic ms) the dispatch thread will next run a round without a device event;
  // UINT64_MAX while it waits only for events. Guarded by the general section.
  uint64_t planned_round_ = UINT64_MAX;
  os::Event event_handled_{os::EventReset::Automatic};
  os::Event ready_{os::EventReset::Automatic};
  os::Event output_ready_{os::EventReset::Automatic};
  os::Event writer_stop_{os::EventReset::Automatic};
};
