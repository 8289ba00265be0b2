#pragma once
// The dispatcher's device: a serial port of the platform (termios), opened by port number.
// Holds the open sequence, the line settings (baud, parity, data and stop bits), flow
// control, DTR and RTS.
#include "platform/os/SerialDevice.h"
#include "serial/AwUser.h"

// Open flags.
constexpr uint32_t ipAssertDTR = 0x01;
constexpr uint32_t ipAssertRTS = 0x02;
constexpr uint32_t ipAutoDTR = 0x10;  // DTR used for flow control
constexpr uint32_t ipAutoRTS = 0x20;  // RTS used for flow control

// Hardware flow options (bits of SetHWFlow's Options).
constexpr uint32_t hfUseDTR = 0x01;
constexpr uint32_t hfUseRTS = 0x02;
constexpr uint32_t hfRequireDSR = 0x04;
constexpr uint32_t hfRequireCTS = 0x08;
// Software flow options.
constexpr uint32_t sfTransmitFlow = 0x01;
constexpr uint32_t sfReceiveFlow = 0x02;

// Line-setting arguments that keep the current value.
constexpr int32_t kKeepBaud = 0;
constexpr int kKeepParity = 5;
constexpr int kKeepDataBits = 9;
constexpr int kKeepStopBits = 3;

// The device's settings as the dispatcher keeps them between changes.
struct TLineState {
  int32_t Baud = 115200;
  int Parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int DataBits = 8;
  int StopCode = 0;   // 0 one, 1 one and a half, 2 two
  bool DtrHandshake = false;
  bool RtsHandshake = false;
  bool OutxCts = false;
  bool OutxDsr = false;
  bool OutX = false;
  bool InX = false;
  uint8_t XOnChar = 17;
  uint8_t XOffChar = 19;
  int XOnLim = 0;
  int XOffLim = 0;
  bool operator==(const TLineState&) const = default;
};

// The time (ms, rounded up) the line needs for Chars characters at Baud with the given frame;
// Baud may be one of the old rate codes (65279 = 115200, 65296.. a table of rates).
int32_t NormalizeBaud(int32_t Baud);
uint32_t CharTimeMs(int32_t Baud, int DataBits, int Parity, int StopCode, int Chars);
// The settings SetLine asks for, from the current ones and its arguments (the kKeep...
// values keep a setting; stop bits 0 mean 1, 4 and above 2; two stop bits with 5 data bits
// are one and a half). 0, or the error code for an argument out of range.
int ResolveLine(const TLineState& Current, int32_t Baud, int Parity, int DataBits, int StopBits, TLineState& Wanted);

class TApdPortDispatcher : public TApdBaseDispatcher {
 public:
  explicit TApdPortDispatcher(TComponent* Owner);
  ~TApdPortDispatcher() override;

  // Opens port ComNumber and starts the threads: 0, or -(system error number) (-2 no such
  // port, -5 in use or access denied), or a line-setting error.
  int InitPort(int ComNumber, int32_t Baud, int Parity, int DataBits, int StopBits, int InSize, int OutSize,
               uint32_t Flags);
  // Opens and closes the device only: for probing whether a port exists.
  int OpenDevice(int ComNumber);

  int SetLine(int32_t Baud, int Parity, int DataBits, int StopBits);
  void GetLine(int32_t& Baud, int& Parity, int& DataBits, int& StopBits);
  int SetHWFlow(int Full, int Resume, uint32_t Options);
  int SetSWFlow(int Full, int Resume, uint32_t Options);
  int SWFlowOff();
  int SetFlowChars(uint8_t XOn, uint8_t XOff);
  void GetFlowOptions(uint32_t& HWOpts, uint32_t& SWOpts, uint8_t& XOn, uint8_t& XOff);
  int SetDTR(bool On);
  int SetRTS(bool On);
  // RS485 mode: applying the line settings leaves RTS alone, and the writer thread runs a
  // step higher.
  void SetRS485Mode(bool On);
  int SetDeviceQueues(int InSize, int OutSize);
  int SendBreak(bool On);

  // The device settings as last applied (tests and the port read them back).
  TLineState Line() const;
  bool DtrState() const { return dtr_state_; }
  bool RtsState() const { return rts_state_; }
  const AnsiString& DeviceName() const { return device_name_; }
  int DeviceOutputQueued() override;

 protected:
  int DeviceRead(uint8_t* Buffer, int Size) override;
  int DeviceWrite(const uint8_t* Data, int Size) override;
  bool WaitDeviceInput(bool DeviceUsable) override;
  void CancelDeviceWait() override;
  bool WaitDeviceWritable(const os::Event& Stop, uint32_t TimeoutMs) override;
  void PurgeDevice(bool Input) override;
  uint8_t ReadModemLines() override;
  uint32_t TakeDeviceLineErrors() override;
  void CloseDevice() override;

 private:
  int ApplyLine(const TLineState& Wanted);
  // How long a wake for input waits for the rest of the burst: the time of 40 characters at
  // the line's rate, at most 20 ms.
  uint32_t BurstGatherMs() const;
  void DrainOutput();

  os::SerialDevice device_;
  os::Event cancel_{os::EventReset::Manual};
  AnsiString device_name_;
  TLineState line_;
  int in_size_ = 4096;
  bool dtr_is_flow_ = false;
  bool rts_is_flow_ = false;
  bool dtr_state_ = false;
  bool rts_state_ = false;
  bool rs485_ = false;
  bool has_modem_lines_ = true;
};
