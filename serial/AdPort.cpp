#include "serial/AdPort.h"

#include "platform/os/Clock.h"
#include "platform/os/ComPorts.h"
#include "serial/AdExcept.h"
#include "serial/AdSelCom.h"
#include "serial/AwGui.h"

namespace {

TPortChooser& Chooser() {
  static TPortChooser chooser;
  return chooser;
}

// What a user who lacks the permission for a port's device is told: the port, its device,
// and how to get the permission.
AnsiString NoPermissionMessage(uint16_t ComNumber) {
  const std::string path = os::ComPortPath(ComNumber);
  std::string text = "Permission denied on COM" + std::to_string(ComNumber) + " (" + path +
                     "): this user may not open the serial device. ";
  const std::string group = os::DeviceAccessGroup(path);
  if (!group.empty())
    text += "Add the user to the group \"" + group + "\" (sudo usermod -aG " + group +
            " $USER), then log out and in again.";
  else
    text += "Ask the system's administrator for read and write access to it.";
  return text;
}

void (*g_port_created)(TApdCustomComPort*) = nullptr;
void (*g_port_destroyed)(TApdCustomComPort*) = nullptr;

}  // namespace

void SetPortLifeHooks(void (*Created)(TApdCustomComPort*), void (*Destroyed)(TApdCustomComPort*)) {
  g_port_created = Created;
  g_port_destroyed = Destroyed;
}

void TApdCustomComPort::SetPortChooser(TPortChooser Value) { Chooser() = std::move(Value); }

TApdCustomComPort::TApdCustomComPort(TComponent* AOwner)
    : TApdBaseComponent(AOwner), alive_(std::make_shared<std::atomic<bool>>(true)) {
  apd::gui::EnsureGui();  // the GUI thread is the one that creates ports
  if (g_port_created != nullptr) g_port_created(this);
}

TApdCustomComPort::~TApdCustomComPort() {
  try {
    if (state_ == 2) {
      try {
        ClosePort();
      } catch (...) {
        // A trace file that could not be written must not keep the close from finishing.
      }
    }
    if (state_ == 1) {
      // A close deferred from inside an event: wait for the threads, then finish it here.
      apd::gui::PumpUntil([this] { return dispatcher_ == nullptr || !dispatcher_->ThreadsRunning(); });
      CompleteClose();
    }
  } catch (...) {
    // Nothing may escape a destructor; the device is released below in any case.
  }
  alive_->store(false);
  if (g_port_destroyed != nullptr) g_port_destroyed(this);
  dispatcher_.reset();
}

// ---------------------------------------------------------------- open and close

void TApdCustomComPort::SetOpen(bool Value) {
  if (Value == open_ && !(Value && state_ == 0)) return;
  if (HasState(csDesigning | csLoading)) {
    open_ = Value;
    if (Value) open_after_loading_ = true;
    return;
  }
  if (!Value) {
    ClosePort();
  } else if (state_ == 1) {
    open_pending_ = true;
  } else if (state_ == 0) {
    OpenPort();
  }
}

void TApdCustomComPort::Loaded() {
  TApdBaseComponent::Loaded();
  if (open_after_loading_) {
    open_after_loading_ = false;
    open_ = false;
    SetOpen(true);
  }
}

void TApdCustomComPort::EnsureComNumber() {
  if (com_number_ != 0) return;
  uint16_t chosen = 0;
  const TPortChooser& choose = Chooser() ? Chooser() : TPortChooser(ChooseComPort);
  if (prompt_for_port_ && choose(chosen) && chosen != 0) {
    com_number_ = chosen;
    return;
  }
  Check(ecodes::ecNoPortSelected);
}

void TApdCustomComPort::OpenPort() {
  if (tapi_mode_ != TTapiMode::tmOn) EnsureComNumber();
  if (device_layer_ != dlWin32) Check(ecodes::ecNullApi);
  // No telephony layer hands this program an open device.
  if (tapi_mode_ == TTapiMode::tmOn) Check(-2012);

  auto dispatcher = std::make_unique<TApdPortDispatcher>(this);
  StartTraceLog(*dispatcher);
  uint32_t flags = 0;
  if (dtr_) flags |= ipAssertDTR;
  if (rts_) flags |= ipAssertRTS;
  if (hw_flow_ & hwfUseDTR) flags |= ipAutoDTR;
  if (hw_flow_ & hwfUseRTS) flags |= ipAutoRTS;
  int result = dispatcher->InitPort(com_number_, baud_, parity_, data_bits_, stop_bits_, in_size_, out_size_, flags);
  if (result == ecodes::ecAccessDenied) result = ecodes::ecAlreadyOpen;
  if (result == ecodes::ecFileNotFound || result == ecodes::ecPathNotFound) result = ecodes::ecBadId;
  if (result != 0) {
    dispatcher.reset();
    if (result == ecodes::ecNoPermission && !HasState(csLoading))
      throw EOpenComm(result, NoPermissionMessage(com_number_));
    Check(result);
    return;  // only while loading
  }
  dispatcher_ = std::move(dispatcher);
  state_ = 2;
  UpdateTriggerNotify();
  force_ = true;
  try {
    ApplyFlow();
    dispatcher_->SetFlowChars(static_cast<uint8_t>(xon_), static_cast<uint8_t>(xoff_));
    dispatcher_->SetAvailLevel(avail_level_);
    if (device_layer_ != dlFossil) {
      SetDTR(dtr_);
      SetRTS(rts_);
    }
    dispatcher_->SetRS485Mode(rs485_);
    SetThreadBoost(thread_boost_);
  } catch (...) {
    force_ = false;
    throw;
  }
  force_ = false;
  open_ = true;
  PortWindow(true);
  if (settings_saved_) {
    dispatcher_->RestoreTriggers(saved_triggers_);
    settings_saved_ = false;
  }
  SendNotice(true);
}

void TApdCustomComPort::ClosePort() {
  open_ = false;
  if (state_ != 2) return;
  state_ = 1;
  SendNotice(false);
  const std::exception_ptr dumpError = DumpTraceLogOnClose();
  dispatcher_->SaveTriggers(saved_triggers_);
  settings_saved_ = true;
  dispatcher_->DonePort();
  if (dispatcher_->ClosePending()) {
    // Called from inside a trigger event: the dispatch thread waits for us, so the close
    // completes once the event has returned and the threads have ended.
    auto alive = alive_;
    apd::gui::Post([this, alive] {
      if (alive->load()) CompleteClose();
    });
  } else {
    CompleteClose();
  }
  if (dumpError) std::rethrow_exception(dumpError);
}

void TApdCustomComPort::CompleteClose() {
  if (state_ != 1 || dispatcher_ == nullptr) return;
  if (dispatcher_->ThreadsRunning()) {
    auto alive = alive_;
    apd::gui::Post([this, alive] {
      if (alive->load()) CompleteClose();
    });
    return;
  }
  PortWindow(false);
  dispatcher_->FinishClose();
  dispatcher_.reset();
  state_ = 0;
  if (open_pending_) {
    open_pending_ = false;
    OpenPort();
  }
}

void TApdCustomComPort::SendNotice(bool Opening) {
  // Last registered first, as the packet managers expect.
  std::vector<Callback> copy = callbacks_;
  for (auto it = copy.rbegin(); it != copy.rend(); ++it) it->Proc(this, Opening);
}

int TApdCustomComPort::RegisterUserCallback(TPortCallback Callback) {
  const int id = next_callback_id_++;
  callbacks_.push_back({id, std::move(Callback)});
  return id;
}

void TApdCustomComPort::DeregisterUserCallback(int Id) {
  std::erase_if(callbacks_, [Id](const Callback& c) { return c.Id == Id; });
}

void TApdCustomComPort::PortWindow(bool Create) {
  if (dispatcher_ == nullptr) return;
  if (Create) {
    auto alive = alive_;
    auto wanted = wanted_messages_;
    window_client_ = dispatcher_->RegisterWindowClient(
        [this, alive](uint32_t Msg, uint32_t W, uint32_t L) {
          if (alive->load()) HandleMessage(Msg, W, L);
        },
        [wanted](uint32_t Msg) {
          return Msg < APW_TRIGGERAVAIL || Msg > APW_TRIGGERSTATUS || (wanted->load() >> (Msg - APW_TRIGGERAVAIL)) & 1u;
        });
  } else if (window_client_ != 0) {
    dispatcher_->DeregisterWindowClient(window_client_);
    window_client_ = 0;
  }
}

// ---------------------------------------------------------------- events

void TApdCustomComPort::HandleMessage(uint32_t Msg, uint32_t WParam, uint32_t LParam) {
  // A port whose form is being destroyed (its close pumps messages) fires no more events.
  if (InDestruction()) return;
  const auto handle = static_cast<uint16_t>(WParam);
  const uint16_t data = Msg == APW_TRIGGERAVAIL ? static_cast<uint16_t>(WParam) : static_cast<uint16_t>(LParam);
  DoTrigger(static_cast<uint16_t>(Msg), handle, data);
  switch (Msg) {
    case APW_TRIGGERAVAIL: DoTriggerAvail(static_cast<uint16_t>(WParam)); break;
    case APW_TRIGGERDATA: DoTriggerData(handle); break;
    case APW_TRIGGERTIMER: DoTriggerTimer(handle); break;
    case APW_TRIGGERSTATUS:
      DoTriggerStatus(handle);
      switch (handle & 7) {
        case stModem: DoTriggerModemStatus(); break;
        case stLine: {
          const int error = GetLineError();
          DoTriggerLineError(static_cast<uint16_t>(error), CheckLineBreak());
          break;
        }
        case stOutBuffFree: DoTriggerOutbuffFree(); break;
        case stOutBuffUsed: DoTriggerOutbuffUsed(); break;
        case stOutSent: DoTriggerOutSent(); break;
      }
      break;
  }
}

void TApdCustomComPort::DoTrigger(uint16_t Msg, uint16_t TriggerHandle, uint16_t Data) {
  if (on_trigger_) on_trigger_(this, Msg, TriggerHandle, Data);
}
void TApdCustomComPort::DoTriggerAvail(uint16_t Count) {
  if (on_trigger_avail_) on_trigger_avail_(this, Count);
}
void TApdCustomComPort::DoTriggerData(uint16_t TriggerHandle) {
  if (on_trigger_data_) on_trigger_data_(this, TriggerHandle);
}
void TApdCustomComPort::DoTriggerStatus(uint16_t TriggerHandle) {
  if (on_trigger_status_) on_trigger_status_(this, TriggerHandle);
}
void TApdCustomComPort::DoTriggerTimer(uint16_t TriggerHandle) {
  if (on_trigger_timer_) on_trigger_timer_(this, TriggerHandle);
}
void TApdCustomComPort::DoTriggerLineError(uint16_t Error, bool LineBreak) {
  if (on_trigger_line_error_) on_trigger_line_error_(this, Error, LineBreak);
}
void TApdCustomComPort::DoTriggerModemStatus() {
  if (on_trigger_modem_status_) on_trigger_modem_status_(this);
}
void TApdCustomComPort::DoTriggerOutbuffFree() {
  if (on_trigger_outbuff_free_) on_trigger_outbuff_free_(this);
}
void TApdCustomComPort::DoTriggerOutbuffUsed() {
  if (on_trigger_outbuff_used_) on_trigger_outbuff_used_(this);
}
void TApdCustomComPort::DoTriggerOutSent() {
  if (on_trigger_out_sent_) on_trigger_out_sent_(this);
}
void TApdCustomComPort::DoWaitChar(char C) {
  if (on_wait_char_) on_wait_char_(this, C);
}

void TApdCustomComPort::UpdateTriggerNotify() {
  // A data-available notice comes with every burst received; with only a timer event
  // assigned (the program's link watchdog) the GUI thread has nothing to do for it.
  const bool status = on_trigger_status_ || on_trigger_line_error_ || on_trigger_modem_status_ ||
                      on_trigger_outbuff_free_ || on_trigger_outbuff_used_ || on_trigger_out_sent_;
  uint32_t wanted = 0;
  if (on_trigger_ || on_trigger_avail_) wanted |= 1u << (APW_TRIGGERAVAIL - APW_TRIGGERAVAIL);
  if (on_trigger_ || on_trigger_data_) wanted |= 1u << (APW_TRIGGERDATA - APW_TRIGGERAVAIL);
  if (on_trigger_ || on_trigger_timer_) wanted |= 1u << (APW_TRIGGERTIMER - APW_TRIGGERAVAIL);
  if (on_trigger_ || status) wanted |= 1u << (APW_TRIGGERSTATUS - APW_TRIGGERAVAIL);
  wanted_messages_->store(wanted);
  if (state_ != 2 || dispatcher_ == nullptr) return;
  const bool any = on_trigger_ || on_trigger_avail_ || on_trigger_data_ || on_trigger_status_ || on_trigger_timer_ ||
                   on_trigger_line_error_ || on_trigger_modem_status_ || on_trigger_outbuff_free_ ||
                   on_trigger_outbuff_used_ || on_trigger_out_sent_;
  dispatcher_->SetClientNotices(any ? 1 : 2);
}

#define CQ5_EVENT_SETTER(Name, Type, Field) \
  void TApdCustomComPort::Name(Type Value) { \
    Field = std::move(Value);               \
    UpdateTriggerNotify();                  \
  }
CQ5_EVENT_SETTER(SetOnTrigger, TTriggerEvent, on_trigger_)
CQ5_EVENT_SETTER(SetOnTriggerAvail, TTriggerAvailEvent, on_trigger_avail_)
CQ5_EVENT_SETTER(SetOnTriggerData, TTriggerDataEvent, on_trigger_data_)
CQ5_EVENT_SETTER(SetOnTriggerStatus, TTriggerStatusEvent, on_trigger_status_)
CQ5_EVENT_SETTER(SetOnTriggerTimer, TTriggerTimerEvent, on_trigger_timer_)
CQ5_EVENT_SETTER(SetOnTriggerLineError, TTriggerLineErrorEvent, on_trigger_line_error_)
CQ5_EVENT_SETTER(SetOnTriggerModemStatus, TNotifyEvent, on_trigger_modem_status_)
CQ5_EVENT_SETTER(SetOnTriggerOutbuffFree, TNotifyEvent, on_trigger_outbuff_free_)
CQ5_EVENT_SETTER(SetOnTriggerOutbuffUsed, TNotifyEvent, on_trigger_outbuff_used_)
CQ5_EVENT_SETTER(SetOnTriggerOutSent, TNotifyEvent, on_trigger_out_sent_)
#undef CQ5_EVENT_SETTER

// ---------------------------------------------------------------- operations

TApdPortDispatcher* TApdCustomComPort::ValidDispatcher() {
  if (dispatcher_ == nullptr && !HasState(csDesigning | csLoading) && state_ == 0 && auto_open_) SetOpen(true);
  if (dispatcher_ == nullptr || state_ != 2) Check(ecodes::ecCommNotOpen);
  return dispatcher_.get();
}

void TApdCustomComPort::SendString(const AnsiString& S) {
  if (state_ == 1 || S.empty()) return;
  PutBlock(S.data(), static_cast<int>(S.size()));
}

void TApdCustomComPort::PutBlock(const void* Data, int Len) {
  if (state_ == 1 || Len <= 0) return;
  Check(ValidDispatcher()->PutBlock(Data, Len));
}

void TApdCustomComPort::GetBlock(void* Data, int Len) { Check(ValidDispatcher()->GetBlock(Data, Len)); }

int TApdCustomComPort::InBuffUsed() { return state_ == 2 ? dispatcher_->InBuffUsed() : 0; }

uint16_t TApdCustomComPort::NewTimerTrigger() {
  if (state_ == 1) return 0;
  return static_cast<uint16_t>(ValidDispatcher()->AddTimerTrigger());
}

void TApdCustomComPort::ArmTimerTrigger(uint16_t Handle, int32_t Ticks, bool Activate) {
  if (state_ == 1) return;
  Check(ValidDispatcher()->SetTimerTrigger(Handle, Ticks, Activate));
}

uint16_t TApdCustomComPort::AddStatusTrigger(int Kind) {
  if (state_ == 1) return 0;
  const uint32_t handle = ValidDispatcher()->AddStatusTrigger(Kind);
  if (handle == 0) Check(ecodes::ecBadArgument);
  return static_cast<uint16_t>(handle);
}

void TApdCustomComPort::SetStatusTrigger(uint16_t Handle, uint16_t Value, bool Activate) {
  if (state_ == 1) return;
  Check(ValidDispatcher()->SetStatusTrigger(Handle, Value, Activate));
}

uint16_t TApdCustomComPort::AddDataTrigger(const AnsiString& Data, bool IgnoreCase) {
  if (state_ == 1) return 0;
  return static_cast<uint16_t>(Check(ValidDispatcher()->AddDataTrigger(Data, IgnoreCase)));
}

void TApdCustomComPort::RemoveTrigger(uint16_t Handle) {
  if (state_ != 2) return;
  Check(dispatcher_->RemoveTrigger(Handle));
}

void TApdCustomComPort::RemoveAllTriggers() {
  if (state_ != 2) return;
  // Timer, data and status triggers go; the data-available level is the port's own
  // setting and stays, or no received byte would ever be reported again (not even after
  // the port is closed and opened again).
  dispatcher_->RemoveAllTriggers();
  dispatcher_->SetAvailLevel(avail_level_);
}

int TApdCustomComPort::OutputBytesPending() {
  // The program's buffer and what the device has yet to put on the line: 0 means the
  // bytes have left.
  return state_ == 2 ? dispatcher_->OutBuffUsed() + dispatcher_->DeviceOutputQueued() : 0;
}

bool TApdCustomComPort::LineLost() const { return state_ == 2 && dispatcher_->LineLost(); }

uint16_t TApdCustomComPort::OutputSpaceFree() {
  return state_ == 2 ? static_cast<uint16_t>(dispatcher_->OutBuffFree()) : out_size_;
}

int TApdCustomComPort::GetLineError() { return state_ == 2 ? dispatcher_->GetLineError() : 0; }

bool TApdCustomComPort::CheckLineBreak() { return state_ == 2 && dispatcher_->CheckLineBreak(); }

uint8_t TApdCustomComPort::ModemStatus() { return state_ == 2 ? dispatcher_->GetModemStatus() : 0; }

void TApdCustomComPort::ProcessCommunications() { os::Sleep(0); }

// ---------------------------------------------------------------- settings

void TApdCustomComPort::SetDeviceLayer(TDeviceLayer Value) {
  if (state_ == 0 && Value == dlWin32) device_layer_ = Value;
}

void TApdCustomComPort::SetComNumber(uint16_t Value) {
  if (Value == com_number_) return;
  if (state_ != 2) {
    com_number_ = Value;
    return;
  }
  // Re-open on the new number with the same triggers (and handles).
  TTriggerSave triggers;
  dispatcher_->SaveTriggers(triggers);
  const TTraceLogState tracing = tracing_, logging = logging_;
  SetOpen(false);
  com_number_ = Value;
  tracing_ = tracing;
  logging_ = logging;
  if (state_ == 0) {
    SetOpen(true);
    if (dispatcher_ != nullptr) dispatcher_->RestoreTriggers(triggers);
  } else {
    saved_triggers_ = triggers;
    settings_saved_ = true;
    open_pending_ = true;
  }
}

void TApdCustomComPort::SetBaud(int32_t Value) {
  if (Value == baud_ && !force_) return;
  if (Applying()) Check(dispatcher_->SetLine(Value, kKeepParity, kKeepDataBits, kKeepStopBits));
  baud_ = Value;
}

void TApdCustomComPort::SetParity(TParity Value) {
  if (Value == parity_ && !force_) return;
  if (Applying()) Check(dispatcher_->SetLine(kKeepBaud, Value, kKeepDataBits, kKeepStopBits));
  parity_ = Value;
}

void TApdCustomComPort::SetDataBits(uint16_t Value) {
  if (Value == data_bits_ && !force_) return;
  if (Applying()) Check(dispatcher_->SetLine(kKeepBaud, kKeepParity, Value, kKeepStopBits));
  data_bits_ = Value;
}

void TApdCustomComPort::SetStopBits(uint16_t Value) {
  if (Value == stop_bits_ && !force_) return;
  if (Applying()) Check(dispatcher_->SetLine(kKeepBaud, kKeepParity, kKeepDataBits, Value));
  stop_bits_ = Value;
}

void TApdCustomComPort::SetInSize(uint16_t Value) {
  if (Value == in_size_ && !force_) return;
  in_size_ = Value;
  if (Applying()) Check(dispatcher_->SetDeviceQueues(in_size_, out_size_));
}

void TApdCustomComPort::SetOutSize(uint16_t Value) {
  if (Value == out_size_ && !force_) return;
  out_size_ = Value;
  if (Applying()) Check(dispatcher_->SetDeviceQueues(in_size_, out_size_));
}

void TApdCustomComPort::SetDTR(bool Value) {
  if (Value == dtr_ && !force_) return;
  dtr_ = Value;
  if (Applying()) Check(dispatcher_->SetDTR(Value));
}

void TApdCustomComPort::SetRTS(bool Value) {
  if (Value == rts_ && !force_) return;
  rts_ = Value;
  if (Applying()) Check(dispatcher_->SetRTS(Value));
}

void TApdCustomComPort::ApplyFlow() {
  if (!Applying()) return;
  uint32_t hw = 0;
  if (hw_flow_ & hwfUseDTR) hw |= hfUseDTR;
  if (hw_flow_ & hwfUseRTS) hw |= hfUseRTS;
  if (hw_flow_ & hwfRequireDSR) hw |= hfRequireDSR;
  if (hw_flow_ & hwfRequireCTS) hw |= hfRequireCTS;
  Check(dispatcher_->SetHWFlow(buffer_full_, buffer_resume_, hw));
  if (sw_flow_ == swfNone) {
    Check(dispatcher_->SWFlowOff());
  } else {
    const uint32_t sw = sw_flow_ == swfReceive ? sfReceiveFlow : sw_flow_ == swfTransmit ? sfTransmitFlow
                                                                                         : sfReceiveFlow | sfTransmitFlow;
    Check(dispatcher_->SetSWFlow(buffer_full_, buffer_resume_, sw));
  }
}

void TApdCustomComPort::SetHWFlowOptions(THWFlowOptionSet Value) {
  if (Value == hw_flow_ && !force_) return;
  hw_flow_ = Value;
  if (Value != 0) {
    if (buffer_full_ == 0 || buffer_full_ > in_size_) buffer_full_ = static_cast<uint16_t>(in_size_ * 9 / 10);
    if (buffer_resume_ == 0 || buffer_resume_ > buffer_full_) buffer_resume_ = static_cast<uint16_t>(in_size_ / 10);
  }
  if (Value & (hwfUseRTS | hwfRequireCTS)) rs485_ = false;
  ApplyFlow();
}

void TApdCustomComPort::SetSWFlowOptions(TSWFlowOptions Value) {
  if (Value == sw_flow_ && !force_) return;
  sw_flow_ = Value;
  if (Value != swfNone) {
    if (buffer_full_ == 0 || buffer_full_ > in_size_) buffer_full_ = static_cast<uint16_t>(in_size_ * 3 / 4);
    if (buffer_resume_ == 0 || buffer_resume_ > buffer_full_) buffer_resume_ = static_cast<uint16_t>(in_size_ / 4);
  }
  ApplyFlow();
}

void TApdCustomComPort::SetXOnChar(char Value) {
  if (Value == xon_ && !force_) return;
  xon_ = Value;
  if (Applying()) Check(dispatcher_->SetFlowChars(static_cast<uint8_t>(xon_), static_cast<uint8_t>(xoff_)));
}

void TApdCustomComPort::SetXOffChar(char Value) {
  if (Value == xoff_ && !force_) return;
  xoff_ = Value;
  if (Applying()) Check(dispatcher_->SetFlowChars(static_cast<uint8_t>(xon_), static_cast<uint8_t>(xoff_)));
}

void TApdCustomComPort::SetBufferFull(uint16_t Value) {
  if (Value == buffer_full_ && !force_) return;
  buffer_full_ = Value > in_size_ ? static_cast<uint16_t>(Value * 9 / 10) : Value;
  ApplyFlow();
}

void TApdCustomComPort::SetBufferResume(uint16_t Value) {
  if (Value == buffer_resume_ && !force_) return;
  buffer_resume_ = Value > buffer_full_ ? static_cast<uint16_t>(buffer_full_ / 10) : Value;
  ApplyFlow();
}

void TApdCustomComPort::SetRS485Mode(bool Value) {
  if (Value == rs485_ && !force_) return;
  rs485_ = Value;
  if (Value) {
    hw_flow_ &= static_cast<THWFlowOptionSet>(~(hwfUseRTS | hwfRequireCTS));
    SetRTS(false);
  }
  if (Applying()) {
    dispatcher_->SetRS485Mode(Value);
    NoteBoostRefusal();
  }
}

void TApdCustomComPort::SetThreadBoost(int Value) {
  if (Value == thread_boost_ && !force_) return;
  thread_boost_ = Value;
  if (Applying()) {
    dispatcher_->SetThreadBoost(Value);
    NoteBoostRefusal();
  }
}

void TApdCustomComPort::NoteBoostRefusal() {
  if (boost_refusal_.empty()) boost_refusal_ = dispatcher_->PriorityRefusal();
}

void TApdCustomComPort::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TApdCustomComPort*>(Source);
  if (src == nullptr) {
    TApdBaseComponent::Assign(Source);
    return;
  }
  callbacks_ = src->callbacks_;
  device_layer_ = src->device_layer_;
  com_number_ = src->com_number_;
  baud_ = src->baud_;
  prompt_for_port_ = src->prompt_for_port_;
  parity_ = src->parity_;
  data_bits_ = src->data_bits_;
  stop_bits_ = src->stop_bits_;
  in_size_ = src->in_size_;
  out_size_ = src->out_size_;
  auto_open_ = src->auto_open_;
  dtr_ = src->dtr_;
  rts_ = src->rts_;
  hw_flow_ = src->hw_flow_;
  sw_flow_ = src->sw_flow_;
  xon_ = src->xon_;
  xoff_ = src->xoff_;
  buffer_full_ = src->buffer_full_;
  buffer_resume_ = src->buffer_resume_;
  rs485_ = src->rs485_;
  thread_boost_ = src->thread_boost_;
  tapi_mode_ = src->tapi_mode_;
  use_msr_shadow_ = src->use_msr_shadow_;
  use_event_word_ = src->use_event_word_;
  comm_notification_level_ = src->comm_notification_level_;
  tracing_ = src->tracing_;
  trace_size_ = src->trace_size_;
  trace_name_ = src->trace_name_;
  trace_hex_ = src->trace_hex_;
  trace_all_hex_ = src->trace_all_hex_;
  logging_ = src->logging_;
  log_size_ = src->log_size_;
  log_name_ = src->log_name_;
  log_hex_ = src->log_hex_;
  log_all_hex_ = src->log_all_hex_;
  avail_level_ = src->avail_level_;
  on_trigger_ = src->on_trigger_;
  on_trigger_avail_ = src->on_trigger_avail_;
  on_trigger_data_ = src->on_trigger_data_;
  on_trigger_status_ = src->on_trigger_status_;
  on_trigger_timer_ = src->on_trigger_timer_;
  on_trigger_line_error_ = src->on_trigger_line_error_;
  on_trigger_modem_status_ = src->on_trigger_modem_status_;
  on_trigger_outbuff_free_ = src->on_trigger_outbuff_free_;
  on_trigger_outbuff_used_ = src->on_trigger_outbuff_used_;
  on_trigger_out_sent_ = src->on_trigger_out_sent_;
  if (src->state_ == 2 && src->dispatcher_ != nullptr) {
    src->dispatcher_->SaveTriggers(saved_triggers_);
    settings_saved_ = true;
  }
  UpdateTriggerNotify();
}
