#include "serial/AwPort.h"

#include <algorithm>

#include "platform/os/Clock.h"
#include "serial/AdExcept.h"

namespace {

int DeviceError(os::SerialError error) { return -os::Win32ErrorNumber(error); }

os::Parity ToOsParity(int parity) {
  switch (parity) {
    case 1: return os::Parity::Odd;
    case 2: return os::Parity::Even;
    case 3: return os::Parity::Mark;
    case 4: return os::Parity::Space;
    default: return os::Parity::None;
  }
}

int FromOsParity(os::Parity parity) { return static_cast<int>(parity); }

}  // namespace

int32_t NormalizeBaud(int32_t Baud) {
  // The old 16-bit rate codes that callers may still pass.
  static constexpr int32_t kCodes[] = {110,   300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 0,  0, 38400,
                                       0,     0,   0,   56000, 0,   0,    0,    128000, 0,    0,  0, 256000};
  if (Baud == 65279) return 115200;
  if (Baud >= 65296 && Baud <= 65319) {
    const int32_t rate = kCodes[Baud - 65296];
    return rate != 0 ? rate : Baud;
  }
  return Baud;
}

uint32_t CharTimeMs(int32_t Baud, int DataBits, int Parity, int StopCode, int Chars) {
  const int32_t rate = NormalizeBaud(Baud);
  if (rate <= 0) return 0;
  int bits = DataBits + 2;
  if (Parity != 0) ++bits;
  if (StopCode != 0) ++bits;
  const uint64_t per_char_100ns = static_cast<uint64_t>(10000000 / rate) * static_cast<uint64_t>(bits);
  const uint64_t total = per_char_100ns * static_cast<uint64_t>(Chars);
  return static_cast<uint32_t>((total + 9999) / 10000);
}

TApdPortDispatcher::TApdPortDispatcher(TComponent* Owner) : TApdBaseDispatcher(Owner) {}

TApdPortDispatcher::~TApdPortDispatcher() {
  // Everything that touches the device must end here, while this class still exists.
  DonePort();
  if (ThreadsRunning() || ClosePending()) FinishClose();
  StopThreads();
  if (device_.IsOpen()) device_.Close();
}

int TApdPortDispatcher::OpenDevice(int ComNumber) {
  device_name_ = "COM" + std::to_string(ComNumber);
  const os::SerialError error = device_.Open(ComNumber);
  if (error != os::SerialError::None) return DeviceError(error);
  return 0;
}

int TApdPortDispatcher::InitPort(int ComNumber, int32_t Baud, int Parity, int DataBits, int StopBits, int InSize,
                                 int OutSize, uint32_t Flags) {
  if (DeviceOpen()) return ecodes::ecAlreadyOpen;
  int result = OpenDevice(ComNumber);
  if (result != 0) return result;
  MarkDeviceOpen(true);
  in_size_ = InSize;
  AllocateBuffers(OutSize);

  // Start from what the device holds, so that settings left unchanged are not re-applied.
  os::LineSettings current;
  if (device_.GetLine(current) == os::SerialError::None) {
    os::CriticalSection::Guard lock(general_);
    line_.Parity = FromOsParity(current.parity);
    line_.DataBits = current.dataBits;
    line_.StopCode = current.stopBits == os::StopBits::One ? 0 : (current.dataBits == 5 ? 1 : 2);
  }

  if (Flags & ipAutoDTR) {
    dtr_is_flow_ = true;
    line_.DtrHandshake = true;
  } else {
    SetDTR((Flags & ipAssertDTR) != 0);
  }
  if (Flags & ipAutoRTS) {
    rts_is_flow_ = true;
    line_.RtsHandshake = true;
  } else {
    SetRTS((Flags & ipAssertRTS) != 0);
  }

  RemoveAllTriggers();
  device_.TakeLineErrors();
  UpdateModemStatus();
  GetModemStatus();  // drop the changed bits of the first reading

  {
    os::CriticalSection::Guard lock(general_);
    line_.Baud = 115200;
  }
  result = SetLine(Baud, Parity, DataBits, StopBits);
  if (result == 0) {
    try {
      StartThreads();
    } catch (...) {
      result = ecodes::ecInternal;
    }
  }
  if (result != 0) {
    DonePort();
    return result;
  }
  return 0;
}

TLineState TApdPortDispatcher::Line() const {
  os::CriticalSection::Guard lock(general_);
  return line_;
}

int TApdPortDispatcher::DeviceOutputQueued() {
  os::QueueCounts counts;
  if (device_.GetQueueCounts(counts) != os::SerialError::None) return 0;
  return static_cast<int>(std::min<std::size_t>(counts.output, 1 << 30));
}

void TApdPortDispatcher::DrainOutput() {
  for (int i = 0; i < 5000 && OutBuffUsed() > 0 && !LineLost(); ++i) os::Sleep(2);
  // Let the UART's own queue go out too: 18 characters (36 when that is under 1 ms).
  TLineState line = Line();
  uint32_t wait = CharTimeMs(line.Baud, line.DataBits, line.Parity, line.StopCode, 18);
  if (wait < 1) wait = CharTimeMs(line.Baud, line.DataBits, line.Parity, line.StopCode, 36);
  if (wait > 0 && !LineLost()) os::Sleep(wait);
}

int ResolveLine(const TLineState& Current, int32_t Baud, int Parity, int DataBits, int StopBits, TLineState& Wanted) {
  Wanted = Current;
  if (Baud != kKeepBaud) Wanted.Baud = NormalizeBaud(Baud);
  if (Wanted.Baud <= 0) return ecodes::ecBaudRate;
  if (Parity != kKeepParity) {
    if (Parity < 0 || Parity > 4) return ecodes::ecBadArgument;
    Wanted.Parity = Parity;
  }
  if (DataBits != kKeepDataBits) {
    if (DataBits < 5 || DataBits > 8) return ecodes::ecByteSize;
    Wanted.DataBits = DataBits;
  }
  bool twoStops = Current.StopCode != 0;
  if (StopBits != kKeepStopBits) twoStops = StopBits == 2 || StopBits >= 4;
  Wanted.StopCode = twoStops ? (Wanted.DataBits == 5 ? 1 : 2) : 0;
  return 0;
}

int TApdPortDispatcher::SetLine(int32_t Baud, int Parity, int DataBits, int StopBits) {
  const TLineState current = Line();
  TLineState wanted;
  if (const int error = ResolveLine(current, Baud, Parity, DataBits, StopBits, wanted); error != 0) return error;
  if (wanted == current) return 0;
  DrainOutput();
  const int result = ApplyLine(wanted);
  if (result != ecodes::ecDefault) return result;
  // Say which setting the device refused.
  if (wanted.Baud != current.Baud) return ecodes::ecBaudRate;
  if (wanted.DataBits != current.DataBits) return ecodes::ecByteSize;
  return result;
}

int TApdPortDispatcher::ApplyLine(const TLineState& Wanted) {
  os::CriticalSection::Guard lock(general_);
  os::LineSettings settings;
  settings.baud = static_cast<uint32_t>(Wanted.Baud);
  settings.dataBits = Wanted.DataBits;
  settings.parity = ToOsParity(Wanted.Parity);
  settings.stopBits = Wanted.StopCode == 0 ? os::StopBits::One
                                           : (Wanted.StopCode == 1 ? os::StopBits::OneAndHalf : os::StopBits::Two);
  os::SerialError error = device_.SetLine(settings);
  if (error == os::SerialError::BadArgument) return ecodes::ecDefault;
  if (error != os::SerialError::None) return DeviceError(error);
  // Linux has one switch for the RTS/CTS handshake in both directions.
  error = device_.SetHardwareFlow(Wanted.RtsHandshake || Wanted.OutxCts);
  if (error != os::SerialError::None && error != os::SerialError::NotSupported) return DeviceError(error);
  error = device_.SetSoftwareFlow(Wanted.OutX, Wanted.InX, Wanted.XOnChar, Wanted.XOffChar);
  if (error != os::SerialError::None && error != os::SerialError::NotSupported) return DeviceError(error);
  line_ = Wanted;
  if (!dtr_is_flow_) device_.SetDtr(dtr_state_);
  if (!rts_is_flow_ && !rs485_) device_.SetRts(rts_state_);
  return 0;
}

void TApdPortDispatcher::GetLine(int32_t& Baud, int& Parity, int& DataBits, int& StopBits) {
  const TLineState line = Line();
  Baud = line.Baud;
  Parity = line.Parity;
  DataBits = line.DataBits;
  StopBits = line.StopCode == 0 ? 1 : 2;
}

int TApdPortDispatcher::SetHWFlow(int Full, int Resume, uint32_t Options) {
  if (Full < Resume || Full > in_size_) return ecodes::ecBadArgument;
  TLineState wanted = Line();
  wanted.OutxCts = wanted.OutxDsr = false;
  wanted.DtrHandshake = wanted.RtsHandshake = false;
  dtr_is_flow_ = rts_is_flow_ = false;
  if (Options & hfUseDTR) {
    wanted.DtrHandshake = true;
    dtr_is_flow_ = true;
  }
  if (Options & hfUseRTS) {
    wanted.RtsHandshake = true;
    rts_is_flow_ = true;
  }
  wanted.XOffLim = in_size_ - Full;
  wanted.XOnLim = Resume;
  wanted.OutxDsr = (Options & hfRequireDSR) != 0;
  wanted.OutxCts = (Options & hfRequireCTS) != 0;
  return ApplyLine(wanted);
}

int TApdPortDispatcher::SetSWFlow(int Full, int Resume, uint32_t Options) {
  if (Full < Resume || Full > in_size_) return ecodes::ecBadArgument;
  TLineState wanted = Line();
  if (Options & sfReceiveFlow) {
    wanted.InX = true;
    wanted.XOffLim = in_size_ - Full;
    wanted.XOnLim = Resume;
  }
  if (Options & sfTransmitFlow) wanted.OutX = true;
  if (Options & (sfReceiveFlow | sfTransmitFlow)) {
    wanted.XOnChar = 17;
    wanted.XOffChar = 19;
  }
  return ApplyLine(wanted);
}

int TApdPortDispatcher::SWFlowOff() {
  TLineState wanted = Line();
  wanted.InX = wanted.OutX = false;
  return ApplyLine(wanted);
}

int TApdPortDispatcher::SetFlowChars(uint8_t XOn, uint8_t XOff) {
  TLineState wanted = Line();
  wanted.XOnChar = XOn;
  wanted.XOffChar = XOff;
  return ApplyLine(wanted);
}

void TApdPortDispatcher::GetFlowOptions(uint32_t& HWOpts, uint32_t& SWOpts, uint8_t& XOn, uint8_t& XOff) {
  const TLineState line = Line();
  HWOpts = (line.DtrHandshake ? hfUseDTR : 0) | (line.RtsHandshake ? hfUseRTS : 0) |
           (line.OutxDsr ? hfRequireDSR : 0) | (line.OutxCts ? hfRequireCTS : 0);
  SWOpts = (line.OutX ? sfTransmitFlow : 0) | (line.InX ? sfReceiveFlow : 0);
  XOn = line.XOnChar;
  XOff = line.XOffChar;
}

int TApdPortDispatcher::SetDTR(bool On) {
  if (dtr_is_flow_) return 1;
  if (device_.SetDtr(On) != os::SerialError::None) return ecodes::ecBadArgument;
  dtr_state_ = On;
  return 0;
}

int TApdPortDispatcher::SetRTS(bool On) {
  if (rts_is_flow_) return 1;
  if (device_.SetRts(On) != os::SerialError::None) return ecodes::ecBadArgument;
  rts_state_ = On;
  return 0;
}

void TApdPortDispatcher::SetRS485Mode(bool On) {
  rs485_ = On;
  SetWriterRaised(On);
}

int TApdPortDispatcher::SetDeviceQueues(int InSize, int OutSize) {
  // The system sizes the device queues itself; only the output ring follows OutSize, and it is
  // sized when the port opens.
  in_size_ = InSize;
  (void)OutSize;
  return 0;
}

int TApdPortDispatcher::SendBreak(bool On) {
  const os::SerialError error = device_.SetBreak(On);
  return error == os::SerialError::None ? 0 : DeviceError(error);
}

int TApdPortDispatcher::DeviceRead(uint8_t* Buffer, int Size) {
  const long n = device_.Read(Buffer, static_cast<size_t>(Size));
  return n < 0 ? -1 : static_cast<int>(n);
}

int TApdPortDispatcher::DeviceWrite(const uint8_t* Data, int Size) {
  const long n = device_.Write(Data, static_cast<size_t>(Size));
  return n < 0 ? -1 : static_cast<int>(n);
}

bool TApdPortDispatcher::WaitDeviceInput(bool DeviceUsable) {
  if (!DeviceUsable || !device_.IsOpen()) {
    cancel_.WaitFor(os::kInfinite);
    return false;
  }
  try {
    if (os::WaitForAny({&device_.InputReady(), &cancel_}, os::kInfinite) != 0) return false;
    // A device hands on what has come a few bytes at a time, while a sender's burst (a
    // packet) takes milliseconds on the line. Passing each few bytes on would wake the
    // dispatch thread, and through it the program, for every one; so the rest of the burst
    // is let in first, for at most the time of a packet at the line's rate (a live packet of
    // the ECU is about 80 characters: at 19,200 baud a line that is never quiet is then
    // handed on about 25 times a second instead of 50).
    const uint32_t gather = BurstGatherMs();
    return gather == 0 || !cancel_.WaitFor(gather);
  } catch (const Exception&) {
    return false;
  }
}

uint32_t TApdPortDispatcher::BurstGatherMs() const {
  constexpr int kBurstChars = 80;
  constexpr uint32_t kMaxGatherMs = 40;
  const TLineState line = Line();
  return std::min(kMaxGatherMs, CharTimeMs(line.Baud, line.DataBits, line.Parity, line.StopCode, kBurstChars));
}

void TApdPortDispatcher::CancelDeviceWait() { cancel_.Set(); }

bool TApdPortDispatcher::WaitDeviceWritable(const os::Event& Stop, uint32_t TimeoutMs) {
  try {
    return os::WaitForAny({&device_.OutputReady(), &Stop}, TimeoutMs) == 1;
  } catch (const Exception&) {
    return false;
  }
}

void TApdPortDispatcher::PurgeDevice(bool Input) { device_.Purge(Input, !Input); }

uint8_t TApdPortDispatcher::ReadModemLines() {
  if (!has_modem_lines_ || !device_.IsOpen()) return 0;
  uint8_t lines = 0;
  const os::SerialError error = device_.GetModemStatus(lines);
  if (error == os::SerialError::NotSupported) has_modem_lines_ = false;
  return error == os::SerialError::None ? lines : 0;
}

uint32_t TApdPortDispatcher::TakeDeviceLineErrors() { return device_.IsOpen() ? device_.TakeLineErrors() : 0; }

void TApdPortDispatcher::CloseDevice() {
  if (device_.IsOpen()) device_.Close();
}
