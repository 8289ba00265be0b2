// The com port's trace and dispatch log: the Tracing/Logging state machine over the
// dispatcher's recorders, and the files written on dump, append and close.
#include <cstdio>

#include "serial/AdPort.h"
#include "serial/AwPort.h"

namespace {

AnsiString DeviceName(uint16_t ComNumber) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "COM%u", static_cast<unsigned>(ComNumber));
  return buf;
}

// One step of the state machine for a recorder of an open port; returns the state that
// stays. Write is called for a dump or an append while a buffer is there.
template <typename Recorder, typename WriteFn>
TTraceLogState Apply(Recorder& R, TTraceLogState Value, uint32_t Size, WriteFn Write) {
  switch (Value) {
    case tlOff:
      R.Stop();
      return tlOff;
    case tlOn:
      if (R.Allocated()) {
        R.Clear();
        R.Resume();
      } else {
        R.Start(Size);
      }
      return tlOn;
    case tlDump:
    case tlAppend:
      if (!R.Allocated()) return tlOff;
      // A failed write leaves the history as it was, so the user can try again elsewhere.
      Write(Value == tlAppend);
      R.Stop();
      return tlOff;
    case tlClear:
      if (!R.Allocated()) return tlOff;
      R.Clear();
      R.Resume();
      return tlOn;
    case tlPause:
      if (!R.Allocated()) return tlOff;
      R.Pause();
      return tlPause;
  }
  return tlOff;
}

}  // namespace

void TApdCustomComPort::SetTraceSize(uint32_t Value) {
  if (Value > apd::kMaxTraceSize) Check(ecodes::ecBadArgument);
  trace_size_ = Value;
}

void TApdCustomComPort::SetTracing(TTraceLogState Value) {
  if (dispatcher_ == nullptr) {
    if (Value == tlOff || Value == tlOn) tracing_ = Value;
    return;
  }
  apd::TTraceRecorder& trace = dispatcher_->Trace();
  tracing_ = Apply(trace, Value, trace_size_, [&](bool append) {
    apd::WriteTraceLogFile(trace_name_, trace.Text(trace_hex_, trace_all_hex_), append);
  });
}

void TApdCustomComPort::SetLogging(TTraceLogState Value) {
  if (dispatcher_ == nullptr) {
    if (Value == tlOff || Value == tlOn) logging_ = Value;
    return;
  }
  apd::TDispatchLog& log = dispatcher_->Log();
  logging_ = Apply(log, Value, log_size_, [&](bool append) {
    apd::WriteTraceLogFile(log_name_, log.Text(DeviceName(com_number_), log_hex_, log_all_hex_), append);
  });
}

void TApdCustomComPort::StartTraceLog(TApdBaseDispatcher& D) {
  if (tracing_ == tlOn) D.Trace().Start(trace_size_);
  if (logging_ == tlOn) D.Log().Start(log_size_);
}

std::exception_ptr TApdCustomComPort::DumpTraceLogOnClose() {
  std::exception_ptr error;
  if (tracing_ == tlOn || tracing_ == tlPause) {
    try {
      SetTracing(tlDump);
    } catch (...) {
      error = std::current_exception();
    }
  }
  if (logging_ == tlOn || logging_ == tlPause) {
    try {
      SetLogging(tlDump);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  return error;
}
