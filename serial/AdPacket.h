#pragma once
// The data packet component: cuts the bytes received on a port into packets framed by a
// start condition (a start string, or any byte) and an end condition (an end string and/or a
// size), with a timeout, and hands each packet to its handler on the GUI thread.
//
// Every port with packets has one TApdDataPacketManager, which keeps the received bytes in a
// buffer of its own; its packets match on that buffer incrementally, each keeping its place
// between arrivals.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "serial/AdBase.h"

class TApdCustomComPort;
class TApdDataPacketManager;

enum TPacketStartCond { scString, scAnyData };
enum TPacketEndCond : uint8_t { ecString = 0x01, ecPacketSize = 0x02 };
using TPacketEndSet = uint8_t;  // a set of TPacketEndCond bits
enum TPacketMode { dpIdle, dpWaiting, dpCollecting };

using TPacketNotifyEvent = std::function<void(TObject* Sender, const void* Data, int Size)>;
using TStringPacketNotifyEvent = std::function<void(TObject* Sender, const AnsiString& Data)>;

class TApdDataPacket : public TApdBaseComponent {
 public:
  explicit TApdDataPacket(TComponent* AOwner);
  ~TApdDataPacket() override;
  const char* ClassName() const override { return "TApdDataPacket"; }

  // The port's dispatch thread matches and delivers with these settings and changes the
  // packet's state: the setters, and the readers of what that thread changes (Enabled,
  // PacketMode), take the manager's lock. Settings are written on the GUI thread only.
  bool Enabled() const;
  // True arms the packet (raising EInvalidProperty for inconsistent settings, which leaves
  // it disarmed); False disarms it.
  void SetEnabled(bool Value);
  bool AutoEnable() const { return auto_enable_; }
  void SetAutoEnable(bool Value);
  TPacketStartCond StartCond() const { return start_cond_; }
  void SetStartCond(TPacketStartCond Value);
  TPacketEndSet EndCond() const { return end_cond_; }
  void SetEndCond(TPacketEndSet Value);
  // Start and end strings: "?" matches any byte, "\" makes the next character literal.
  const AnsiString& StartString() const { return start_string_; }
  void SetStartString(const AnsiString& Value);
  const AnsiString& EndString() const { return end_string_; }
  void SetEndString(const AnsiString& Value);
  bool IgnoreCase() const { return ignore_case_; }
  void SetIgnoreCase(bool Value);
  TApdCustomComPort* ComPort() const { return com_port_; }
  void SetComPort(TApdCustomComPort* Value);
  int PacketSize() const { return packet_size_; }
  void SetPacketSize(int Value);
  bool IncludeStrings() const { return include_strings_; }
  void SetIncludeStrings(bool Value);
  // Ticks of 55 ms from the start of collecting to the end of the packet; 0 = none.
  int TimeOut() const { return time_out_; }
  void SetTimeOut(int Value);
  // Deliver events on the GUI thread (the default) rather than on the port's dispatch thread.
  bool SyncEvents() const { return sync_events_; }
  void SetSyncEvents(bool Value);

  void SetOnPacket(TPacketNotifyEvent Value);
  void SetOnStringPacket(TStringPacketNotifyEvent Value);
  void SetOnTimeout(TNotifyEvent Value);

  void Enable();
  void Disable();
  TPacketMode PacketMode() const;
  TApdDataPacketManager* Manager() const { return manager_; }

  void Loaded() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TApdDataPacketManager;
  struct Pattern {
    std::vector<uint8_t> chars;
    std::vector<bool> wild;
    size_t size() const { return chars.size(); }
  };
  enum class ScanResult { kStopped, kDelivered };

  Pattern BuildPattern(const AnsiString& Text) const;
  bool Matches(uint8_t Byte, const Pattern& P, size_t Index) const;
  void ResetMatch();
  void SetState(TPacketMode NewState);
  ScanResult Scan(int From);
  void Deliver(int Size, bool BySize);
  void RaiseProperty(int Code) const;
  // Enable and SetEnabled as the manager runs them, possibly on the dispatch thread: they do
  // not look at the component's state flags, which the GUI thread may be changing (a form
  // marks its packets as being destroyed before it frees them).
  void Arm();
  void SetEnabledInternal(bool Value);
  // Runs Set under the manager's lock (the packet may have none).
  template <class F>
  void Locked(F&& Set);

  bool enabled_ = false;
  bool auto_enable_ = true;
  TPacketStartCond start_cond_ = scString;
  TPacketEndSet end_cond_ = 0;
  AnsiString start_string_;
  AnsiString end_string_;
  bool ignore_case_ = true;
  TApdCustomComPort* com_port_ = nullptr;
  int packet_size_ = 0;
  bool include_strings_ = true;
  int time_out_ = 2184;
  bool sync_events_ = true;
  TPacketNotifyEvent on_packet_;
  TStringPacketNotifyEvent on_string_packet_;
  TNotifyEvent on_timeout_;

  TApdDataPacketManager* manager_ = nullptr;
  TPacketMode state_ = dpIdle;
  int start_pos_ = -1;        // buffer position of the current match, -1 none
  size_t start_matched_ = 0;  // start-string characters matched so far
  size_t end_matched_ = 0;    // end-string characters matched so far
  int end_from_ = 0;          // first byte that may begin the end string
  int end_candidate_ = -1;    // where the current partial end match began
  Pattern start_;
  Pattern end_;
  bool enable_after_load_ = false;
  bool enable_pending_ = false;   // enable once the manager is unlocked
  bool collect_pending_ = false;  // collect once the manager's other packet is done
};

class TApdDataPacketManager : public std::enable_shared_from_this<TApdDataPacketManager> {
 public:
  // Port may be null: then bytes come only through Receive and the timer is only recorded
  // (TimerArmed/TimerExpired), which is how matching is exercised without a device. A manager
  // on a port is made by TApdDataPacketManagerList, which owns it through a shared_ptr that
  // the port's notices borrow.
  explicit TApdDataPacketManager(TApdCustomComPort* Port);
  ~TApdDataPacketManager();
  TApdDataPacketManager(const TApdDataPacketManager&) = delete;
  TApdDataPacketManager& operator=(const TApdDataPacketManager&) = delete;

  TApdCustomComPort* Port() const { return port_; }
  void Attach(TApdDataPacket* Packet);
  void Detach(TApdDataPacket* Packet);
  int PacketCount() const { return static_cast<int>(packets_.size()); }

  // Starts listening (on the port: registers the data handler and a timer trigger) and arms
  // every packet whose Enabled is set; stopping disarms them and empties the buffer.
  void StartListening();
  void StopListening();
  bool Listening() const;

  // Appends received bytes and matches the packets on them.
  void Receive(const uint8_t* Data, int Count);
  // The manager's timer trigger fired: the collecting packet times out.
  void TimerExpired();

  // Read under the lock, as the dispatch thread changes them.
  int BufferCount() const;
  // The buffer itself: valid only while nothing else can receive (no port, or a test that
  // feeds Receive itself).
  const uint8_t* BufferData() const { return buffer_.data(); }
  int BufferCapacity() const;
  bool TimerArmed() const;
  int32_t TimerTicks() const;
  uint16_t TimerHandle() const;

 private:
  friend class TApdDataPacket;
  friend class TApdDataPacketManagerList;
  void Lock() const;
  void Unlock() const;
  class Guard;
  void CheckPackets(int From);
  void ArmTimer(int Ticks);
  void DisarmTimer();
  void LockForDelivery() { locked_ = true; }
  void UnlockAfterDelivery();
  void RemoveBytes(int Count);
  // Removes the bytes before Pos, moving the packets' positions with them, and gives back
  // the memory of a buffer grown by a flood.
  void DropBefore(int Pos);
  void RunEvent(TApdDataPacket* Packet, const std::function<void()>& Event);
  void PortNotice(bool Opening);
  // Stops listening, leaves the port and drops the packets; the destructor's work, done
  // early when a delivery may still hold the manager.
  void Shutdown();
  bool Has(const TApdDataPacket* Packet) const;

  TApdCustomComPort* port_;
  int port_callback_ = 0;
  int client_id_ = 0;
  uint16_t timer_handle_ = 0;
  std::vector<TApdDataPacket*> packets_;
  std::vector<uint8_t> buffer_;
  int count_ = 0;
  TApdDataPacket* collecting_ = nullptr;
  bool locked_ = false;
  bool checking_ = false;
  bool pending_check_ = false;
  int pending_pos_ = 0;
  bool listening_ = false;
  bool timer_armed_ = false;
  int32_t timer_ticks_ = 0;
  mutable std::recursive_mutex mutex_;
  mutable int depth_ = 0;  // how often the owning thread holds mutex_

  // A copy of a field taken under the lock.
  template <class T>
  T Read(const T& Field) const;
};

// The managers of all ports that have packets.
class TApdDataPacketManagerList {
 public:
  static TApdDataPacketManager* Find(TApdCustomComPort* Port);
  static TApdDataPacketManager* GetOrCreate(TApdCustomComPort* Port);
  // Frees a manager of the list once its last packet has gone.
  static void Release(TApdDataPacketManager* Manager);
  static void PortCreated(TApdCustomComPort* Port);
  static void PortDestroyed(TApdCustomComPort* Port);
};
