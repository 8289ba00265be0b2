#pragma once
// The runtime's exception classes. Program code raises these where the original runtime
// would have raised; messages are Windows-1252 text.
#include <stdexcept>
#include "platform/rtl/AnsiString.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const AnsiString& Message() const { return message_; }
  void SetMessage(AnsiString m) { message_ = std::move(m); }
  // The class name shown by the application's error boxes.
  virtual const char* ClassName() const { return "Exception"; }

 private:
  AnsiString message_;
};

#define CQ5_DECLARE_EXCEPTION(Name, Base)                                \
  class Name : public Base {                                             \
   public:                                                               \
    using Base::Base;                                                    \
    const char* ClassName() const override { return #Name; }             \
  };

CQ5_DECLARE_EXCEPTION(EConvertError, Exception)
CQ5_DECLARE_EXCEPTION(EMathError, Exception)
CQ5_DECLARE_EXCEPTION(EZeroDivide, EMathError)
CQ5_DECLARE_EXCEPTION(EInvalidOp, EMathError)
CQ5_DECLARE_EXCEPTION(EOverflow, EMathError)
CQ5_DECLARE_EXCEPTION(EIntError, Exception)
CQ5_DECLARE_EXCEPTION(EDivByZero, EIntError)
CQ5_DECLARE_EXCEPTION(ERangeError, EIntError)
CQ5_DECLARE_EXCEPTION(EListError, Exception)
CQ5_DECLARE_EXCEPTION(EStringListError, Exception)
CQ5_DECLARE_EXCEPTION(EInOutError, Exception)
CQ5_DECLARE_EXCEPTION(EStreamError, Exception)
CQ5_DECLARE_EXCEPTION(EReadError, EStreamError)
CQ5_DECLARE_EXCEPTION(EWriteError, EStreamError)
CQ5_DECLARE_EXCEPTION(EFOpenError, EStreamError)
CQ5_DECLARE_EXCEPTION(EFCreateError, EStreamError)
CQ5_DECLARE_EXCEPTION(EFilerError, EStreamError)
CQ5_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
CQ5_DECLARE_EXCEPTION(EPropertyError, Exception)
CQ5_DECLARE_EXCEPTION(EComponentError, Exception)
CQ5_DECLARE_EXCEPTION(EInvalidOperation, Exception)
CQ5_DECLARE_EXCEPTION(EInvalidPointer, Exception)
CQ5_DECLARE_EXCEPTION(EOutOfResources, Exception)
CQ5_DECLARE_EXCEPTION(EAbort, Exception)
CQ5_DECLARE_EXCEPTION(EOSError, Exception)
CQ5_DECLARE_EXCEPTION(ERegistryException, Exception)
CQ5_DECLARE_EXCEPTION(EIniFileException, Exception)

// The rest of the runtime unit: number text, plain text and file-name helpers, dates.
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/DateUtils.h"
