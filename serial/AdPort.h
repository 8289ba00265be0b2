#pragma once
// The com port component: keeps the port settings while closed, opens the device through a
// dispatcher, applies the settings, and turns the dispatcher's trigger messages into events
// on the GUI thread.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "serial/AdBase.h"
#include "serial/AdExcept.h"
#include "serial/AwPort.h"

enum TDeviceLayer { dlWin16, dlFossil, dlWin32, dlWinsock };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
enum THWFlowOption : uint8_t {
  hwfUseDTR = 0x01,
  hwfUseRTS = 0x02,
  hwfRequireDSR = 0x04,
  hwfRequireCTS = 0x08,
};
using THWFlowOptionSet = uint8_t;  // a set of THWFlowOption bits
enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };
// Scoped: the bitmap's transparent mode also has a tmAuto.
enum class TTapiMode { tmNone, tmAuto, tmOn, tmOff };

class TApdCustomComPort;

using TTriggerEvent = std::function<void(TObject* CP, uint16_t Msg, uint16_t TriggerHandle, uint16_t Data)>;
using TTriggerAvailEvent = std::function<void(TObject* CP, uint16_t Count)>;
using TTriggerDataEvent = std::function<void(TObject* CP, uint16_t TriggerHandle)>;
using TTriggerStatusEvent = std::function<void(TObject* CP, uint16_t TriggerHandle)>;
using TTriggerTimerEvent = std::function<void(TObject* CP, uint16_t TriggerHandle)>;
using TTriggerLineErrorEvent = std::function<void(TObject* CP, uint16_t Error, bool LineBreak)>;
// A character that arrived while the port waits for one.
using TWaitCharEvent = std::function<void(TObject* CP, char C)>;
// Called after the port opened (Opening true) and when it starts closing (false).
using TPortCallback = std::function<void(TApdCustomComPort* CP, bool Opening)>;
// Chooses a port number when one must be opened without; false when the user cancelled.
using TPortChooser = std::function<bool(uint16_t& ComNumber)>;

class TApdCustomComPort : public TApdBaseComponent {
 public:
  explicit TApdCustomComPort(TComponent* AOwner);
  ~TApdCustomComPort() override;
  const char* ClassName() const override { return "TApdCustomComPort"; }

  // ---- settings ----
  TDeviceLayer DeviceLayer() const { return device_layer_; }
  void SetDeviceLayer(TDeviceLayer Value);
  uint16_t ComNumber() const { return com_number_; }
  void SetComNumber(uint16_t Value);
  int32_t Baud() const { return baud_; }
  void SetBaud(int32_t Value);
  bool PromptForPort() const { return prompt_for_port_; }
  void SetPromptForPort(bool Value) { prompt_for_port_ = Value; }
  TParity Parity() const { return parity_; }
  void SetParity(TParity Value);
  uint16_t DataBits() const { return data_bits_; }
  void SetDataBits(uint16_t Value);
  uint16_t StopBits() const { return stop_bits_; }
  void SetStopBits(uint16_t Value);
  uint16_t InSize() const { return in_size_; }
  void SetInSize(uint16_t Value);
  uint16_t OutSize() const { return out_size_; }
  void SetOutSize(uint16_t Value);
  bool AutoOpen() const { return auto_open_; }
  void SetAutoOpen(bool Value) { auto_open_ = Value; }
  bool Open() const { return open_; }
  void SetOpen(bool Value);
  bool DTR() const { return dtr_; }
  void SetDTR(bool Value);
  bool RTS() const { return rts_; }
  void SetRTS(bool Value);
  THWFlowOptionSet HWFlowOptions() const { return hw_flow_; }
  void SetHWFlowOptions(THWFlowOptionSet Value);
  TSWFlowOptions SWFlowOptions() const { return sw_flow_; }
  void SetSWFlowOptions(TSWFlowOptions Value);
  char XOnChar() const { return xon_; }
  void SetXOnChar(char Value);
  char XOffChar() const { return xoff_; }
  void SetXOffChar(char Value);
  uint16_t BufferFull() const { return buffer_full_; }
  void SetBufferFull(uint16_t Value);
  uint16_t BufferResume() const { return buffer_resume_; }
  void SetBufferResume(uint16_t Value);
  bool RS485Mode() const { return rs485_; }
  void SetRS485Mode(bool Value);
  // Steps above normal priority for the line's event and dispatch threads (0 normal; the
  // writer runs one step more in RS485 mode). A lower priority is always given; a higher one
  // only where the system lets the process raise it, else the threads keep theirs.
  int ThreadBoost() const { return thread_boost_; }
  void SetThreadBoost(int Value);
  // Why the system refused the threads a priority, from the first refusal on; empty while
  // it never did.
  const AnsiString& ThreadBoostRefusal() const { return boost_refusal_; }
  TTapiMode TapiMode() const { return tapi_mode_; }
  void SetTapiMode(TTapiMode Value) { tapi_mode_ = Value; }
  bool UseMSRShadow() const { return use_msr_shadow_; }
  void SetUseMSRShadow(bool Value) { use_msr_shadow_ = Value; }
  bool UseEventWord() const { return use_event_word_; }
  void SetUseEventWord(bool Value) { use_event_word_ = Value; }
  uint16_t CommNotificationLevel() const { return comm_notification_level_; }
  void SetCommNotificationLevel(uint16_t Value) { comm_notification_level_ = Value; }
  // Trace and dispatch log (AdTrace.cpp). A closed port only keeps tlOff or tlOn; an open
  // one records, dumps (tlDump/tlAppend write the file and stop), clears or pauses.
  TTraceLogState Tracing() const { return tracing_; }
  void SetTracing(TTraceLogState Value);
  uint32_t TraceSize() const { return trace_size_; }
  // More than 4,000,000 entries raises EBadArgument.
  void SetTraceSize(uint32_t Value);
  AnsiString TraceName() const { return trace_name_; }
  void SetTraceName(const AnsiString& Value) { trace_name_ = Value; }
  bool TraceHex() const { return trace_hex_; }
  void SetTraceHex(bool Value) { trace_hex_ = Value; }
  bool TraceAllHex() const { return trace_all_hex_; }
  void SetTraceAllHex(bool Value) { trace_all_hex_ = Value; }
  TTraceLogState Logging() const { return logging_; }
  void SetLogging(TTraceLogState Value);
  uint32_t LogSize() const { return log_size_; }
  void SetLogSize(uint32_t Value) { log_size_ = std::min<uint32_t>(Value, 16000000); }
  AnsiString LogName() const { return log_name_; }
  void SetLogName(const AnsiString& Value) { log_name_ = Value; }
  bool LogHex() const { return log_hex_; }
  void SetLogHex(bool Value) { log_hex_ = Value; }
  bool LogAllHex() const { return log_all_hex_; }
  void SetLogAllHex(bool Value) { log_all_hex_ = Value; }

  // ---- events (run on the GUI thread) ----
  void SetOnTrigger(TTriggerEvent Value);
  void SetOnTriggerAvail(TTriggerAvailEvent Value);
  void SetOnTriggerData(TTriggerDataEvent Value);
  void SetOnTriggerStatus(TTriggerStatusEvent Value);
  void SetOnTriggerTimer(TTriggerTimerEvent Value);
  void SetOnTriggerLineError(TTriggerLineErrorEvent Value);
  void SetOnTriggerModemStatus(TNotifyEvent Value);
  void SetOnTriggerOutbuffFree(TNotifyEvent Value);
  void SetOnTriggerOutbuffUsed(TNotifyEvent Value);
  void SetOnTriggerOutSent(TNotifyEvent Value);
  // Not a trigger event: assigning it does not change which notices the port asks for.
  void SetOnWaitChar(TWaitCharEvent Value) { on_wait_char_ = std::move(Value); }

  // ---- operations ----
  // The dispatcher, opening the port first when AutoOpen allows; raises ECommNotOpen when
  // there is none.
  TApdPortDispatcher* ValidDispatcher();
  TApdPortDispatcher* Dispatcher() const { return dispatcher_.get(); }
  void SendString(const AnsiString& S);
  void PutBlock(const void* Data, int Len);
  // Takes Len received bytes (raises EBufferIsEmpty when fewer are there).
  void GetBlock(void* Data, int Len);
  int InBuffUsed();
  uint16_t NewTimerTrigger();
  void ArmTimerTrigger(uint16_t Handle, int32_t Ticks, bool Activate);
  uint16_t AddStatusTrigger(int Kind);
  void SetStatusTrigger(uint16_t Handle, uint16_t Value, bool Activate);
  uint16_t AddDataTrigger(const AnsiString& Data, bool IgnoreCase);
  void RemoveTrigger(uint16_t Handle);
  void RemoveAllTriggers();
  // Bytes written and not yet sent on the line: the output buffer and the device's queue.
  int OutputBytesPending();
  uint16_t OutputSpaceFree();
  // True once the open port's device went away or failed a write (unplugged, hung up).
  bool LineLost() const;
  int GetLineError();
  bool CheckLineBreak();
  // Modem lines in the high nibble, changed-since-last-read in the low nibble.
  uint8_t ModemStatus();
  void ProcessCommunications();

  int RegisterUserCallback(TPortCallback Callback);
  void DeregisterUserCallback(int Id);

  void Loaded() override;
  void Assign(TPersistent* Source) override;

  // Port state: 0 closed, 1 closing, 2 open.
  int PortState() const { return state_; }

  // The chooser shown when a port must open without a number and PromptForPort is set
  // (TComSelectForm unless another is installed; nullptr restores it).
  static void SetPortChooser(TPortChooser Chooser);

  // Raised by every operation: the dispatcher's negative results become exceptions.
  int Check(int Code) const { return RaiseForError(this, Code); }

 protected:
  virtual void DoTrigger(uint16_t Msg, uint16_t TriggerHandle, uint16_t Data);
  virtual void DoTriggerAvail(uint16_t Count);
  virtual void DoTriggerData(uint16_t TriggerHandle);
  virtual void DoTriggerStatus(uint16_t TriggerHandle);
  virtual void DoTriggerTimer(uint16_t TriggerHandle);
  virtual void DoTriggerLineError(uint16_t Error, bool LineBreak);
  virtual void DoTriggerModemStatus();
  virtual void DoTriggerOutbuffFree();
  virtual void DoTriggerOutbuffUsed();
  virtual void DoTriggerOutSent();
  // Fires OnWaitChar for a character received during a wait, when it is assigned.
  virtual void DoWaitChar(char C);

 private:
  void OpenPort();
  void ClosePort();
  void CompleteClose();
  void EnsureComNumber();
  void PortWindow(bool Create);
  void UpdateTriggerNotify();
  void HandleMessage(uint32_t Msg, uint32_t WParam, uint32_t LParam);
  void SendNotice(bool Opening);
  void ApplyFlow();
  void StartTraceLog(TApdBaseDispatcher& D);
  // Writes an active trace and log as the port closes; the first file error is returned.
  std::exception_ptr DumpTraceLogOnClose();
  bool Applying() const { return force_ || (state_ == 2 && dispatcher_ != nullptr); }
  // Keeps the dispatcher's first priority refusal, when the port has none yet.
  void NoteBoostRefusal();

  TDeviceLayer device_layer_ = dlWin32;
  uint16_t com_number_ = 0;
  int32_t baud_ = 19200;
  bool prompt_for_port_ = true;
  TParity parity_ = pNone;
  uint16_t data_bits_ = 8;
  uint16_t stop_bits_ = 1;
  uint16_t in_size_ = 4096;
  uint16_t out_size_ = 4096;
  bool auto_open_ = true;
  bool open_ = false;
  bool dtr_ = true;
  bool rts_ = true;
  THWFlowOptionSet hw_flow_ = 0;
  TSWFlowOptions sw_flow_ = swfNone;
  char xon_ = 17;
  char xoff_ = 19;
  uint16_t buffer_full_ = 0;
  uint16_t buffer_resume_ = 0;
  bool rs485_ = false;
  int thread_boost_ = 0;
  AnsiString boost_refusal_;
  TTapiMode tapi_mode_ = TTapiMode::tmAuto;
  bool use_msr_shadow_ = true;
  bool use_event_word_ = true;
  uint16_t comm_notification_level_ = 10;
  TTraceLogState tracing_ = tlOff;
  uint32_t trace_size_ = 10000;
  AnsiString trace_name_ = "KOMA.TRC";
  bool trace_hex_ = true;
  bool trace_all_hex_ = false;
  TTraceLogState logging_ = tlOff;
  uint32_t log_size_ = 10000;
  AnsiString log_name_ = "KOMA.LOG";
  bool log_hex_ = true;
  bool log_all_hex_ = false;

  TTriggerEvent on_trigger_;
  TTriggerAvailEvent on_trigger_avail_;
  TTriggerDataEvent on_trigger_data_;
  TTriggerStatusEvent on_trigger_status_;
  TTriggerTimerEvent on_trigger_timer_;
  TTriggerLineErrorEvent on_trigger_line_error_;
  TNotifyEvent on_trigger_modem_status_;
  TNotifyEvent on_trigger_outbuff_free_;
  TNotifyEvent on_trigger_outbuff_used_;
  TNotifyEvent on_trigger_out_sent_;
  TWaitCharEvent on_wait_char_;

  int state_ = 0;
  std::unique_ptr<TApdPortDispatcher> dispatcher_;
  int window_client_ = 0;
  bool open_pending_ = false;
  bool open_after_loading_ = false;
  bool settings_saved_ = false;
  TTriggerSave saved_triggers_;
  bool force_ = false;
  uint32_t avail_level_ = 1;
  struct Callback {
    int Id;
    TPortCallback Proc;
  };
  std::vector<Callback> callbacks_;
  int next_callback_id_ = 1;
  // Cleared when the port goes away, so that calls already queued for the GUI thread
  // find out and do nothing.
  std::shared_ptr<std::atomic<bool>> alive_;
  // The trigger messages some assigned event handles (bit Msg - APW_TRIGGERAVAIL), read by
  // the dispatch thread: the others are not handed to the GUI thread at all.
  std::shared_ptr<std::atomic<uint32_t>> wanted_messages_ = std::make_shared<std::atomic<uint32_t>>(0);
};

class TApdComPort : public TApdCustomComPort {
 public:
  using TApdCustomComPort::TApdCustomComPort;
  const char* ClassName() const override { return "TApdComPort"; }
};

// The packet family learns of ports appearing and going away through these (installed once
// by its start-up code).
void SetPortLifeHooks(void (*Created)(TApdCustomComPort*), void (*Destroyed)(TApdCustomComPort*));
