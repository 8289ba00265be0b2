#pragma once
// The dispatcher's two histories: the trace (every byte sent and received, in order) and the
// dispatch log (device reads and writes, triggers, thread activity, packet states). Both are
// kept in memory within their size limits, the oldest entries giving way, and can be turned
// into the text of their files. Each has its own lock, so any thread may add to it.
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/os/CriticalSection.h"
#include "platform/rtl/AnsiString.h"

namespace apd {

// Entry types of the dispatch log.
enum TDispatchType : uint8_t {
  dtNone = 0,
  dtDispatch = 1,
  dtTrigger = 2,
  dtError = 3,
  dtThread = 4,
  dtTriggerAlloc = 5,
  dtTriggerDispose = 6,
  dtTriggerHandlerAlloc = 7,
  dtTriggerHandlerDispose = 8,
  dtTriggerDataChange = 9,
  dtPacket = 18,
  dtUser = 19,
};

// Subtypes of the dispatch log.
enum TDispatchSubType : uint8_t {
  dstNone = 0,
  dstReadCom = 1,
  dstWriteCom = 2,
  dstLineStatus = 3,
  dstModemStatus = 4,
  dstAvail = 5,
  dstTimer = 6,
  dstData = 7,
  dstStatus = 8,
  dstThreadStart = 9,
  dstThreadExit = 10,
  dstThreadSleep = 11,
  dstThreadWake = 12,
  dstDataTrigger = 13,
  dstTimerTrigger = 14,
  dstStatusTrigger = 15,
  dstAvailTrigger = 16,
  dstWindow = 17,
  dstProcedure = 18,
  dstMethod = 19,
  dstEnable = 242,
  dstDisable = 243,
  dstStringPacket = 244,
  dstSizePacket = 245,
  dstPacketTimeout = 246,
  dstStartString = 247,
  dstEndString = 248,
  dstIdle = 249,
  dstWaiting = 250,
  dstCollecting = 251,
};

// Most entries a trace may hold, and most bytes of a dispatch log.
constexpr uint32_t kMaxTraceSize = 4000000;
constexpr uint32_t kMaxLogSize = 16000000;

// A byte as the files show it: the character itself when printable (and AllHex is off),
// else in brackets, as two upper-case hex digits (Hex or AllHex) or as its decimal value.
AnsiString TraceByteText(uint8_t B, bool Hex, bool AllHex);

class TTraceRecorder {
 public:
  struct Entry {
    char Kind;  // 'T' transmitted, 'R' received
    uint8_t Byte;
  };

  // Allocates Size entries (clearing an existing buffer) and records.
  void Start(uint32_t Size);
  // Stops and frees the buffer.
  void Stop();
  void Clear();
  // Keeps the buffer but records nothing until Resume.
  void Pause();
  void Resume();
  bool Allocated() const;
  bool Recording() const;

  void Add(char Kind, const uint8_t* Data, int Len);
  // Oldest first.
  std::vector<Entry> Entries() const;
  // The file's text: a line "Transmit: " or "Receive: " whenever the direction changes,
  // lines broken before an item that would reach column 79.
  AnsiString Text(bool Hex, bool AllHex) const;

 private:
  mutable os::CriticalSection lock_;
  std::vector<Entry> buf_;
  size_t index_ = 0;
  bool wrapped_ = false;
  bool on_ = false;
};

class TDispatchLog {
 public:
  struct Entry {
    uint8_t Type;
    uint8_t SubType;
    uint32_t Time;  // milliseconds since Start
    uint32_t Data;
    std::vector<uint8_t> Bytes;
  };
  static constexpr uint32_t kHeaderSize = 16;

  // Allocates a ring of Size bytes (clearing an existing one), takes the time base and records.
  void Start(uint32_t Size);
  void Stop();
  void Clear();
  void Pause();
  void Resume();
  bool Allocated() const;
  bool Recording() const;

  // Adds an entry when recording. Old entries are removed until the header fits, and again
  // until the bytes fit; a header as large as the ring skips the entry, bytes as large as the
  // ring are left out (the entry keeps no bytes).
  void Add(uint8_t Type, uint8_t SubType, uint32_t Data, const void* Bytes = nullptr, uint32_t Count = 0);
  void AddText(uint8_t Type, uint8_t SubType, uint32_t Data, const AnsiString& Text);
  std::vector<Entry> Entries() const;
  // Bytes of the ring in use (headers and data).
  uint32_t Used() const;
  uint32_t FreeBytes() const;

  // The file's text: the header naming the device, the column header, then one line per
  // entry.
  AnsiString Text(const AnsiString& DeviceName, bool Hex, bool AllHex) const;

 private:
  void MakeRoom(uint32_t Need, size_t Keep);
  mutable os::CriticalSection lock_;
  std::deque<Entry> entries_;
  uint32_t size_ = 0;
  uint32_t used_ = 0;
  uint32_t time_base_ = 0;
  bool allocated_ = false;
  bool on_ = false;
};

// The names the log shows for entry types and subtypes.
AnsiString DispatchTypeName(uint8_t Type);
AnsiString DispatchSubTypeName(uint8_t SubType);

// Where a trace or log file goes: a name with a folder as given, a bare name in the folder the
// program was started from (never whatever folder happens to be current later).
AnsiString TraceLogPath(const AnsiString& Name);
// Writes Text to the file through the atomic save; Append keeps what the file held before.
void WriteTraceLogFile(const AnsiString& Name, const AnsiString& Text, bool Append);

}  // namespace apd
