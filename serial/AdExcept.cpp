#include "serial/AdExcept.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/os/SerialDevice.h"
#include "platform/rtl/Numbers.h"
#include "serial/AdStrings.h"

namespace {

// The text of a system error number. The port layer reports device failures as Windows
// error numbers (Win32ErrorNumber), so they are looked up as such, never as POSIX numbers.
AnsiString SystemMessage(int Id) {
  switch (Id) {
    case 2: return os::SerialErrorText(os::SerialError::NoSuchPort);
    case 5: return os::SerialErrorText(os::SerialError::InUse);
    case 6: return os::SerialErrorText(os::SerialError::NotOpen);
    case 31: return os::SerialErrorText(os::SerialError::IoError);
    case 50: return os::SerialErrorText(os::SerialError::NotSupported);
    case 87: return os::SerialErrorText(os::SerialError::BadArgument);
    case 1167: return os::SerialErrorText(os::SerialError::LineLost);
    case 1314: return os::SerialErrorText(os::SerialError::AccessDenied);
    // Windows numbers run below 16000; above lie the component's own codes.
    default: return Id > 0 && Id < 16000 ? "System error " + IntToStr(Id) : AnsiString();
  }
}

template <class E>
[[noreturn]] void Throw(int Code) {
  throw E(Code);
}
using Thrower = void (*)(int);

constexpr Thrower kGeneral[] = {nullptr,
                                Throw<EBadArgument>,
                                Throw<EGotQuitMsg>,
                                Throw<EBufferTooBig>,
                                Throw<EPortNotAssigned>,
                                Throw<EInternal>,
                                Throw<EModemNotAssigned>,
                                Throw<EPhonebookNotAssigned>,
                                Throw<ECannotUseWithWinSock>};
constexpr Thrower kOpenComm[] = {Throw<EBadId>,          Throw<EBaudRate>,        Throw<EByteSize>,
                                 Throw<EDefault>,        Throw<EHardware>,        Throw<EMemory>,
                                 Throw<ECommNotOpen>,    Throw<EAlreadyOpen>,     Throw<ENoHandles>,
                                 Throw<ENoTimers>,       Throw<ENoPortSelected>,  Throw<ENotOpenedByTapi>};
constexpr Thrower kSerialIO[] = {Throw<ENullApi>,              nullptr,
                                 Throw<ERegisterHandlerFailed>, Throw<EPutBlockFail>,
                                 Throw<EGetBlockFail>,          Throw<EOutputBufferTooSmall>,
                                 Throw<EBufferIsEmpty>,         Throw<ETracingNotEnabled>,
                                 Throw<ELoggingNotEnabled>,     Throw<EBaseAddressNotSet>};
constexpr Thrower kModem[] = {Throw<EModemNotStarted>,    Throw<EModemBusy>,
                              Throw<EModemNotDialing>,    Throw<ENotDialing>,
                              Throw<EAlreadyDialing>,     Throw<EModemNotResponding>,
                              Throw<EModemRejectedCommand>, Throw<EModemStatusMismatch>};
constexpr Thrower kTrigger[] = {nullptr, Throw<ETriggerTooLong>, Throw<EBadTriggerHandle>};
constexpr Thrower kIni[] = {Throw<EKeyTooLong>,    Throw<EDataTooLarge>,   Throw<EInternal>,
                            Throw<EIniWrite>,      Throw<EIniRead>,        Throw<EInternal>,
                            Throw<ERecordExists>,  Throw<ERecordNotFound>, nullptr,
                            Throw<EDatabaseFull>,  Throw<EDatabaseEmpty>,  Throw<EInternal>,
                            Throw<EBadFieldList>,  Throw<EBadFieldForIndex>};
constexpr Thrower kFaxFormat[] = {Throw<EFaxBadFormat>, Throw<EBadGraphicsFormat>, Throw<EConvertAbort>,
                                  Throw<EUnpackAbort>, Throw<ECantMakeBitmap>};
constexpr Thrower kFaxPage[] = {Throw<EInvalidPageNumber>};
constexpr Thrower kFaxSession[] = {Throw<EFaxBadMachine>, Throw<EFaxBadModemResult>, Throw<EFaxTrainError>,
                                   Throw<EFaxInitError>,  Throw<EFaxBusy>,           Throw<EFaxVoiceCall>,
                                   Throw<EFaxDataCall>,   Throw<EFaxNoDialTone>,     Throw<EFaxNoCarrier>,
                                   Throw<EFaxSessionError>, Throw<EFaxPageError>};
constexpr Thrower kProtocol[] = {Throw<EProtocol>};
constexpr Thrower kRas[] = {Throw<ERasLoadFail>};
constexpr Thrower kTapiLine[] = {
    Throw<ETapiAllocated>, Throw<ETapiBadDeviceID>, Throw<ETapiBearerModeUnavail>, nullptr,
    Throw<ETapiCallUnavail>, Throw<ETapiCompletionOverrun>, Throw<ETapiConferenceFull>,
    Throw<ETapiDialBilling>, Throw<ETapiDialDialtone>, Throw<ETapiDialPrompt>,
    Throw<ETapiDialQuiet>, Throw<ETapiIncompatibleApiVersion>, Throw<ETapiIncompatibleExtVersion>,
    Throw<ETapiIniFileCorrupt>, Throw<ETapiInUse>, Throw<ETapiInvalAddress>,
    Throw<ETapiInvalAddressID>, Throw<ETapiInvalAddressMode>, Throw<ETapiInvalAddressState>,
    Throw<ETapiInvalAppHandle>, Throw<ETapiInvalAppName>, Throw<ETapiInvalBearerMode>,
    Throw<ETapiInvalCallComplMode>, Throw<ETapiInvalCallHandle>, Throw<ETapiInvalCallParams>,
    Throw<ETapiInvalCallPrivilege>, Throw<ETapiInvalCallSelect>, Throw<ETapiInvalCallState>,
    Throw<ETapiInvalCallStatelist>, Throw<ETapiInvalCard>, Throw<ETapiInvalCompletionID>,
    Throw<ETapiInvalConfCallHandle>, Throw<ETapiInvalConsultCallHandle>,
    Throw<ETapiInvalCountryCode>, Throw<ETapiInvalDeviceClass>, Throw<ETapiInvalDeviceHandle>,
    Throw<ETapiInvalDialParams>, Throw<ETapiInvalDigitList>, Throw<ETapiInvalDigitMode>,
    Throw<ETapiInvalDigits>, Throw<ETapiInvalExtVersion>, Throw<ETapiInvalGroupID>,
    Throw<ETapiInvalLineHandle>, Throw<ETapiInvalLineState>, Throw<ETapiInvalLocation>,
    Throw<ETapiInvalMediaList>, Throw<ETapiInvalMediaMode>, Throw<ETapiInvalMessageID>, nullptr,
    Throw<ETapiInvalParam>, Throw<ETapiInvalParkID>, Throw<ETapiInvalParkMode>,
    Throw<ETapiInvalPointer>, Throw<ETapiInvalPrivSelect>, Throw<ETapiInvalRate>,
    Throw<ETapiInvalRequestMode>, Throw<ETapiInvalTerminalID>, Throw<ETapiInvalTerminalMode>,
    Throw<ETapiInvalTimeout>, Throw<ETapiInvalTone>, Throw<ETapiInvalToneList>,
    Throw<ETapiInvalToneMode>, Throw<ETapiInvalTransferMode>, Throw<ETapiLineMapperFailed>,
    Throw<ETapiNoConference>, Throw<ETapiNoDevice>, Throw<ETapiNoDriver>, Throw<ETapiNoMem>,
    Throw<ETapiNoRequest>, Throw<ETapiNotOwner>, Throw<ETapiNotRegistered>,
    Throw<ETapiOperationFailed>, Throw<ETapiOperationUnavail>, Throw<ETapiRateUnavail>,
    Throw<ETapiResourceUnavail>, Throw<ETapiRequestOverrun>, Throw<ETapiStructureTooSmall>,
    Throw<ETapiTargetNotFound>, Throw<ETapiTargetSelf>, Throw<ETapiUninitialized>,
    Throw<ETapiUserUserInfoTooBig>, Throw<ETapiReinit>, Throw<ETapiAddressBlocked>,
    Throw<ETapiBillingRejected>, Throw<ETapiInvalFeature>, Throw<ETapiNoMultipleInstance>};
constexpr Thrower kTapiSetup[] = {
    Throw<ETapiBusy>, Throw<ETapiNotSet>, Throw<ETapiNoSelect>, Throw<ETapiLoadFail>,
    Throw<ETapiGetAddrFail>, Throw<ETapi16Disabled>, nullptr, Throw<ETapiVoiceNotSupported>,
    Throw<ETapiWaveFail>};
constexpr Thrower kTapiTranslate[] = {Throw<ETapiTranslateFail>};

// Code runs by their first (highest) code, listed with the classes in code order going down.
struct Run {
  int top;  // e.g. -1001
  int count;
  const Thrower* classes;
};
constexpr Run kRuns[] = {
    {-1001, 9, kGeneral},  {-2001, 12, kOpenComm},      {-3001, 10, kSerialIO},
    {-4001, 8, kModem},    {-5001, 3, kTrigger},        {-6006, 1, kProtocol},
    {-6008, 1, kProtocol}, {-6009, 1, kProtocol},       {-7001, 14, kIni},
    {-8001, 5, kFaxFormat}, {-8053, 1, kFaxPage},       {-8060, 11, kFaxSession},
    {-13801, 86, kTapiLine}, {-13928, 9, kTapiSetup}, {-13942, 1, kTapiTranslate},
    {-13980, 1, kRas},
};

}  // namespace

AnsiString CleanSystemMessage(const AnsiString& Text) {
  AnsiString out;
  out.reserve(Text.size());
  for (char c : Text) {
    char ch = static_cast<unsigned char>(c) < 32 ? ' ' : c;
    if (ch == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(ch);
  }
  return out;
}

AnsiString ErrorMsg(int Code) {
  const int id = std::abs(static_cast<int>(static_cast<int16_t>(Code)));
  AnsiString text = ErrorStrings().GetString(static_cast<uint32_t>(id)).substr(0, 255);
  if (text.empty()) text = SystemMessage(id);
  return text;
}

int RaiseForError(const TComponent* Component, int Code) {
  if (Code >= 0) return Code;
  if (Component != nullptr && Component->HasState(csLoading)) return Code;
  if (Code == ecodes::ecOutOfMemory) throw std::bad_alloc();
  if (Code >= -162 && Code <= -2) throw EApdInOutError(ErrorMsg(Code), -Code);
  for (const Run& run : kRuns) {
    const int index = run.top - Code;
    if (index >= 0 && index < run.count && run.classes[index] != nullptr) run.classes[index](Code);
  }
  throw EAPDException::CreateUnknown("Koma exception");
}
