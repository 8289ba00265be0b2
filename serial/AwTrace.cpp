// Trace and dispatch log of the dispatcher: the two histories and the text of their files.
#include "serial/AwTrace.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/classes/SafeFile.h"
#include "platform/os/Clock.h"
#include "platform/rtl/FileUtils.h"

namespace apd {

namespace {

constexpr const char* kEol = "\r\n";
constexpr size_t kLastColumn = 79;
constexpr size_t kLogIndent = 45;

// The folder the program was started from, taken once when the program loads.
std::string StartFolder() {
  char buf[4096];
  if (getcwd(buf, sizeof buf) == nullptr) return ".";
  return cp1252::FromUtf8(buf);
}
const std::string g_start_folder = StartFolder();

const char* const kTypeNames[] = {"No event", "Dispatch", "Trigger", "Error", "Thread", "TrigAllc", "TrigDisp",
                                  "TrgHdAlc", "TrgHdDsp", "TrDatChg", "Telnet",  "Fax",      "XModem",
                                  "YModem",   "ZModem",   "Kermit",  "Ascii",  "BPlus",    "Packet",   "User"};

const char* const kSubTypeNames[] = {"",       "ReadCom", "WriteCom", "Line status", "Modem status",
                                     "Avail",  "Timer",   "Data",     "Status",      "Start",
                                     "Exit",   "Sleep",   "Wake",     "Data",        "Timer",
                                     "Status", "Avail",   "Window",   "Procedure",   "Method"};

const char* const kPacketSubTypeNames[] = {"Enable",      "Disable", "StringPacket", "SizePacket", "PcktTimeout",
                                           "StartStr",    "EndStr",  "Idle",         "Waiting",    "Collecting"};

const char* const kModemLineNames[] = {"DCTS ", "DDSR ", "TERI ", "DDCD ", "CTS ", "DSR ", "RI ", "DCD "};

const char* const kStatusKindNames[] = {"(Not active)",         "(Modem status)",        "(Line status)",
                                        "(Output buffer free)", "(Output buffer used)", "(Output sent)"};

// Appends items to a text, breaking the line before an item that would reach the last
// column; continuation lines start with Indent blanks.
class Wrapper {
 public:
  Wrapper(AnsiString& Out, size_t Column, size_t Indent) : out_(Out), col_(Column), indent_(Indent) {}
  void Item(const AnsiString& S) {
    if (col_ + S.size() >= kLastColumn && col_ > indent_) {
      out_ += kEol;
      out_ += AnsiString(indent_, ' ');
      col_ = indent_;
    }
    out_ += S;
    col_ += S.size();
  }
  void Restart(size_t Column) { col_ = Column; }

 private:
  AnsiString& out_;
  size_t col_;
  size_t indent_;
};

AnsiString Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
AnsiString Format(const char* Fmt, ...) {
  char buf[256];
  va_list args;
  va_start(args, Fmt);
  const int n = std::vsnprintf(buf, sizeof buf, Fmt, args);
  va_end(args);
  return AnsiString(buf, static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
}

// Milliseconds as seconds with three decimals, at least eight characters ("0001.234").
AnsiString TimeText(uint32_t Ms) {
  AnsiString digits = Format("%07u", Ms);
  digits.insert(digits.size() - 3, ".");
  return digits;
}

AnsiString OperatingSystemText() {
  utsname u{};
  int major = 0, minor = 0;
  if (uname(&u) == 0) std::sscanf(u.release, "%d.%d", &major, &minor);
  return Format("Unknown %d.%d", major, minor);
}

}  // namespace

AnsiString TraceByteText(uint8_t B, bool Hex, bool AllHex) {
  if (B >= 32 && B <= 126 && !AllHex) return AnsiString(1, static_cast<char>(B));
  return (Hex || AllHex) ? Format("[%02X]", B) : Format("[%u]", B);
}

// ---------------------------------------------------------------- trace

void TTraceRecorder::Start(uint32_t Size) {
  os::CriticalSection::Guard g(lock_);
  buf_.assign(std::clamp<uint32_t>(Size, 1, kMaxTraceSize), Entry{0, 0});
  index_ = 0;
  wrapped_ = false;
  on_ = true;
}

void TTraceRecorder::Stop() {
  os::CriticalSection::Guard g(lock_);
  buf_.clear();
  buf_.shrink_to_fit();
  index_ = 0;
  wrapped_ = false;
  on_ = false;
}

void TTraceRecorder::Clear() {
  os::CriticalSection::Guard g(lock_);
  index_ = 0;
  wrapped_ = false;
}

void TTraceRecorder::Pause() {
  os::CriticalSection::Guard g(lock_);
  on_ = false;
}

void TTraceRecorder::Resume() {
  os::CriticalSection::Guard g(lock_);
  on_ = !buf_.empty();
}

bool TTraceRecorder::Allocated() const {
  os::CriticalSection::Guard g(lock_);
  return !buf_.empty();
}

bool TTraceRecorder::Recording() const {
  os::CriticalSection::Guard g(lock_);
  return on_;
}

void TTraceRecorder::Add(char Kind, const uint8_t* Data, int Len) {
  os::CriticalSection::Guard g(lock_);
  if (!on_ || buf_.empty()) return;
  for (int i = 0; i < Len; ++i) {
    buf_[index_] = Entry{Kind, Data[i]};
    if (++index_ == buf_.size()) {
      index_ = 0;
      wrapped_ = true;
    }
  }
}

std::vector<TTraceRecorder::Entry> TTraceRecorder::Entries() const {
  os::CriticalSection::Guard g(lock_);
  std::vector<Entry> out;
  if (wrapped_) out.insert(out.end(), buf_.begin() + static_cast<ptrdiff_t>(index_), buf_.end());
  out.insert(out.end(), buf_.begin(), buf_.begin() + static_cast<ptrdiff_t>(index_));
  return out;
}

AnsiString TTraceRecorder::Text(bool Hex, bool AllHex) const {
  AnsiString out;
  Wrapper w(out, 0, 0);
  char kind = 0;
  for (const Entry& e : Entries()) {
    if (e.Kind != kind) {
      kind = e.Kind;
      out += kEol;
      const AnsiString head = kind == 'T'   ? AnsiString("Transmit: ")
                              : kind == 'R' ? AnsiString("Receive: ")
                                            : "Special-" + AnsiString(1, kind) + ": ";
      out += head;
      w.Restart(head.size());
    }
    w.Item(TraceByteText(e.Byte, Hex, AllHex));
  }
  out += kEol;
  return out;
}

// ---------------------------------------------------------------- dispatch log

void TDispatchLog::Start(uint32_t Size) {
  os::CriticalSection::Guard g(lock_);
  size_ = std::min(Size, kMaxLogSize);
  entries_.clear();
  used_ = 0;
  time_base_ = os::TimeGetTime();
  allocated_ = true;
  on_ = true;
}

void TDispatchLog::Stop() {
  os::CriticalSection::Guard g(lock_);
  entries_.clear();
  used_ = 0;
  allocated_ = false;
  on_ = false;
}

void TDispatchLog::Clear() {
  os::CriticalSection::Guard g(lock_);
  entries_.clear();
  used_ = 0;
}

void TDispatchLog::Pause() {
  os::CriticalSection::Guard g(lock_);
  on_ = false;
}

void TDispatchLog::Resume() {
  os::CriticalSection::Guard g(lock_);
  on_ = allocated_;
}

bool TDispatchLog::Allocated() const {
  os::CriticalSection::Guard g(lock_);
  return allocated_;
}

bool TDispatchLog::Recording() const {
  os::CriticalSection::Guard g(lock_);
  return on_;
}

uint32_t TDispatchLog::Used() const {
  os::CriticalSection::Guard g(lock_);
  return used_;
}

uint32_t TDispatchLog::FreeBytes() const {
  os::CriticalSection::Guard g(lock_);
  return size_ - used_;
}

void TDispatchLog::MakeRoom(uint32_t Need, size_t Keep) {
  // Removes the oldest entries, but never the newest Keep ones.
  while (size_ - used_ < Need && entries_.size() > Keep) {
    used_ -= kHeaderSize + static_cast<uint32_t>(entries_.front().Bytes.size());
    entries_.pop_front();
  }
}

void TDispatchLog::Add(uint8_t Type, uint8_t SubType, uint32_t Data, const void* Bytes, uint32_t Count) {
  os::CriticalSection::Guard g(lock_);
  if (!on_ || kHeaderSize >= size_) return;
  MakeRoom(kHeaderSize, 0);
  entries_.push_back(Entry{Type, SubType, os::TimeGetTime() - time_base_, Data, {}});
  used_ += kHeaderSize;
  if (Count == 0 || Bytes == nullptr || Count >= size_) return;
  MakeRoom(Count, 1);
  // Only this entry's header is left and still the bytes do not fit: keep what does.
  const uint32_t n = std::min(Count, size_ - used_);
  const auto* p = static_cast<const uint8_t*>(Bytes);
  entries_.back().Bytes.assign(p, p + n);
  used_ += n;
}

void TDispatchLog::AddText(uint8_t Type, uint8_t SubType, uint32_t Data, const AnsiString& Text) {
  Add(Type, SubType, Data, Text.data(), static_cast<uint32_t>(Text.size()));
}

std::vector<TDispatchLog::Entry> TDispatchLog::Entries() const {
  os::CriticalSection::Guard g(lock_);
  return {entries_.begin(), entries_.end()};
}

AnsiString DispatchTypeName(uint8_t Type) {
  return Type < std::size(kTypeNames) ? AnsiString(kTypeNames[Type]) : AnsiString();
}

AnsiString DispatchSubTypeName(uint8_t SubType) {
  if (SubType < std::size(kSubTypeNames)) return kSubTypeNames[SubType];
  if (SubType >= dstEnable && SubType <= dstCollecting) return kPacketSubTypeNames[SubType - dstEnable];
  return AnsiString();
}

AnsiString TDispatchLog::Text(const AnsiString& DeviceName, bool Hex, bool AllHex) const {
  AnsiString out;
  out += AnsiString("KOMA ") + "v3.05" + kEol;
  out += AnsiString("Compiler : ") + "C++20 (GCC)" + kEol;
  out += "Operating System : " + OperatingSystemText() + kEol;
  out += "Device: " + DeviceName + kEol;
  out += kEol;
  out += AnsiString("Time      Type      SubType       Data      OtherData") + kEol;
  out += AnsiString("--------  --------  ------------  --------  ---------") + kEol;
  for (const Entry& e : Entries()) {
    const AnsiString head = Format("%8s  %-8s  %-12s  %08x  ", TimeText(e.Time).c_str(),
                                   DispatchTypeName(e.Type).c_str(), DispatchSubTypeName(e.SubType).c_str(), e.Data);
    out += head;
    Wrapper w(out, head.size(), kLogIndent);
    if (e.Type == dtTrigger && e.SubType == dstStatusTrigger) {
      const uint32_t kind = e.Data & 7;
      w.Item(kind < std::size(kStatusKindNames) ? kStatusKindNames[kind] : kStatusKindNames[0]);
    } else if (e.SubType == dstModemStatus && !e.Bytes.empty()) {
      for (int bit = 0; bit < 8; ++bit)
        if (e.Bytes[0] & (1u << bit)) w.Item(kModemLineNames[bit]);
    } else {
      for (uint8_t b : e.Bytes) w.Item(TraceByteText(b, Hex, AllHex));
    }
    out += kEol;
  }
  return out;
}

// ---------------------------------------------------------------- files

AnsiString TraceLogPath(const AnsiString& Name) {
  if (Name.empty() || Name[0] == '/') return Name;
  return AnsiString(g_start_folder) + "/" + Name;
}

void WriteTraceLogFile(const AnsiString& Name, const AnsiString& Text, bool Append) {
  const AnsiString path = TraceLogPath(Name);
  AnsiString whole;
  if (Append && FileExists(path)) whole = safefile::ReadFile(path);
  whole += Text;
  safefile::WriteFile(path, whole);
}

}  // namespace apd
