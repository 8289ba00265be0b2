#pragma once
// Error codes of the serial component family and the exceptions they become. Every
// operation reports failure as a negative code; the components pass their results through
// RaiseForError, which throws the class chosen by the code with the code's text.
#include <cstdint>
#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

// Codes the port and packet components produce.
namespace ecodes {
constexpr int ecOK = 0;
constexpr int ecFileNotFound = -2;
constexpr int ecPathNotFound = -3;
constexpr int ecAccessDenied = -5;
constexpr int ecOutOfMemory = -8;
// The device refused this user for lack of permission (Windows' "privilege not held");
// -5 stays the port another program holds.
constexpr int ecNoPermission = -1314;
constexpr int ecBadHandle = -1001;
constexpr int ecBadArgument = -1002;
constexpr int ecGotQuitMsg = -1003;
constexpr int ecInternal = -1006;
constexpr int ecBadId = -2001;
constexpr int ecBaudRate = -2002;
constexpr int ecByteSize = -2003;
constexpr int ecDefault = -2004;
constexpr int ecHardware = -2005;
constexpr int ecCommNotOpen = -2007;
constexpr int ecAlreadyOpen = -2008;
constexpr int ecNoPortSelected = -2011;
constexpr int ecNullApi = -3001;
constexpr int ecNotSupported = -3002;
constexpr int ecPutBlockFail = -3004;
constexpr int ecGetBlockFail = -3005;
constexpr int ecOutputBufferTooSmall = -3006;
constexpr int ecBufferIsEmpty = -3007;
constexpr int ecNoMoreTriggers = -5001;
constexpr int ecTriggerTooLong = -5002;
constexpr int ecBadTriggerHandle = -5003;
constexpr int ecStartStringEmpty = -5501;
constexpr int ecPacketTooSmall = -5502;
constexpr int ecNoEndCharCount = -5503;
constexpr int ecEmptyEndString = -5504;
constexpr int ecZeroSizePacket = -5505;
constexpr int ecPacketTooLong = -5506;
}  // namespace ecodes

// The text for a code (at most 255 characters): the error table's entry for |Code|, else
// the operating system's message for that number, else empty.
AnsiString ErrorMsg(int Code);

// An operating-system message made fit for one line: control characters become blanks and
// runs of blanks shrink to one.
AnsiString CleanSystemMessage(const AnsiString& Text);

class EAPDException : public Exception {
 public:
  // Message := the code's text; ErrorCode := Code.
  explicit EAPDException(int Code) : Exception(ErrorMsg(Code)), ErrorCode(Code) {}
  EAPDException(int Code, AnsiString Message) : Exception(std::move(Message)), ErrorCode(Code) {}
  static EAPDException CreateUnknown(const AnsiString& Msg) { return EAPDException(0, Msg); }
  const char* ClassName() const override { return "EAPDException"; }

  int32_t ErrorCode;
};

// The runtime's input/output exception with its error number (file and device errors
// 2..162 come back this way).
class EApdInOutError : public EInOutError {
 public:
  EApdInOutError(AnsiString Message, int Code) : EInOutError(std::move(Message)), ErrorCode(Code) {}
  const char* ClassName() const override { return "EInOutError"; }
  int ErrorCode;
};

#define APD_DECLARE_EXCEPTION(Name, Base)                    \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  };

// Groups.
APD_DECLARE_EXCEPTION(EGeneral, EAPDException)
APD_DECLARE_EXCEPTION(EOpenComm, EAPDException)
APD_DECLARE_EXCEPTION(ESerialIO, EAPDException)
APD_DECLARE_EXCEPTION(EModem, EAPDException)
APD_DECLARE_EXCEPTION(ETrigger, EAPDException)
APD_DECLARE_EXCEPTION(EPacket, EAPDException)
APD_DECLARE_EXCEPTION(EProtocol, EAPDException)
APD_DECLARE_EXCEPTION(EINI, EAPDException)
APD_DECLARE_EXCEPTION(EFax, EAPDException)
APD_DECLARE_EXCEPTION(ETapi, EAPDException)
APD_DECLARE_EXCEPTION(ERas, EAPDException)

APD_DECLARE_EXCEPTION(EBadArgument, EGeneral)
APD_DECLARE_EXCEPTION(EGotQuitMsg, EGeneral)
APD_DECLARE_EXCEPTION(EBufferTooBig, EGeneral)
APD_DECLARE_EXCEPTION(EPortNotAssigned, EGeneral)
APD_DECLARE_EXCEPTION(EInternal, EGeneral)
APD_DECLARE_EXCEPTION(EModemNotAssigned, EGeneral)
APD_DECLARE_EXCEPTION(EPhonebookNotAssigned, EGeneral)
APD_DECLARE_EXCEPTION(ECannotUseWithWinSock, EGeneral)

APD_DECLARE_EXCEPTION(EBadId, EOpenComm)
APD_DECLARE_EXCEPTION(EBaudRate, EOpenComm)
APD_DECLARE_EXCEPTION(EByteSize, EOpenComm)
APD_DECLARE_EXCEPTION(EDefault, EOpenComm)
APD_DECLARE_EXCEPTION(EHardware, EOpenComm)
APD_DECLARE_EXCEPTION(EMemory, EOpenComm)
APD_DECLARE_EXCEPTION(ECommNotOpen, EOpenComm)
APD_DECLARE_EXCEPTION(EAlreadyOpen, EOpenComm)
APD_DECLARE_EXCEPTION(ENoHandles, EOpenComm)
APD_DECLARE_EXCEPTION(ENoTimers, EOpenComm)
APD_DECLARE_EXCEPTION(ENoPortSelected, EOpenComm)
APD_DECLARE_EXCEPTION(ENotOpenedByTapi, EOpenComm)

APD_DECLARE_EXCEPTION(ENullApi, ESerialIO)
APD_DECLARE_EXCEPTION(ERegisterHandlerFailed, ESerialIO)
APD_DECLARE_EXCEPTION(EPutBlockFail, ESerialIO)
APD_DECLARE_EXCEPTION(EGetBlockFail, ESerialIO)
APD_DECLARE_EXCEPTION(EOutputBufferTooSmall, ESerialIO)
APD_DECLARE_EXCEPTION(EBufferIsEmpty, ESerialIO)
APD_DECLARE_EXCEPTION(ETracingNotEnabled, ESerialIO)
APD_DECLARE_EXCEPTION(ELoggingNotEnabled, ESerialIO)
APD_DECLARE_EXCEPTION(EBaseAddressNotSet, ESerialIO)

APD_DECLARE_EXCEPTION(EModemNotStarted, EModem)
APD_DECLARE_EXCEPTION(EModemBusy, EModem)
APD_DECLARE_EXCEPTION(EModemNotDialing, EModem)
APD_DECLARE_EXCEPTION(ENotDialing, EModem)
APD_DECLARE_EXCEPTION(EAlreadyDialing, EModem)
APD_DECLARE_EXCEPTION(EModemNotResponding, EModem)
APD_DECLARE_EXCEPTION(EModemRejectedCommand, EModem)
APD_DECLARE_EXCEPTION(EModemStatusMismatch, EModem)

APD_DECLARE_EXCEPTION(ETriggerTooLong, ETrigger)
APD_DECLARE_EXCEPTION(EBadTriggerHandle, ETrigger)

APD_DECLARE_EXCEPTION(EInvalidProperty, EPacket)

APD_DECLARE_EXCEPTION(EKeyTooLong, EINI)
APD_DECLARE_EXCEPTION(EDataTooLarge, EINI)
APD_DECLARE_EXCEPTION(EIniWrite, EINI)
APD_DECLARE_EXCEPTION(EIniRead, EINI)
APD_DECLARE_EXCEPTION(ERecordExists, EINI)
APD_DECLARE_EXCEPTION(ERecordNotFound, EINI)
APD_DECLARE_EXCEPTION(EDatabaseFull, EINI)
APD_DECLARE_EXCEPTION(EDatabaseEmpty, EINI)
APD_DECLARE_EXCEPTION(EBadFieldList, EINI)
APD_DECLARE_EXCEPTION(EBadFieldForIndex, EINI)

APD_DECLARE_EXCEPTION(EFaxBadFormat, EFax)
APD_DECLARE_EXCEPTION(EBadGraphicsFormat, EFax)
APD_DECLARE_EXCEPTION(EConvertAbort, EFax)
APD_DECLARE_EXCEPTION(EUnpackAbort, EFax)
APD_DECLARE_EXCEPTION(ECantMakeBitmap, EFax)
APD_DECLARE_EXCEPTION(EInvalidPageNumber, EFax)
APD_DECLARE_EXCEPTION(EFaxBadMachine, EFax)
APD_DECLARE_EXCEPTION(EFaxBadModemResult, EFax)
APD_DECLARE_EXCEPTION(EFaxTrainError, EFax)
APD_DECLARE_EXCEPTION(EFaxInitError, EFax)
APD_DECLARE_EXCEPTION(EFaxBusy, EFax)
APD_DECLARE_EXCEPTION(EFaxVoiceCall, EFax)
APD_DECLARE_EXCEPTION(EFaxDataCall, EFax)
APD_DECLARE_EXCEPTION(EFaxNoDialTone, EFax)
APD_DECLARE_EXCEPTION(EFaxNoCarrier, EFax)
APD_DECLARE_EXCEPTION(EFaxSessionError, EFax)
APD_DECLARE_EXCEPTION(EFaxPageError, EFax)

APD_DECLARE_EXCEPTION(ERasLoadFail, ERas)

// Telephony errors, one class per code: -13801..-13886 in this order (-13804 and -13849
// have none), then -13928..-13936 (-13934 has none) and -13942.
APD_DECLARE_EXCEPTION(ETapiAllocated, ETapi)
APD_DECLARE_EXCEPTION(ETapiBadDeviceID, ETapi)
APD_DECLARE_EXCEPTION(ETapiBearerModeUnavail, ETapi)
APD_DECLARE_EXCEPTION(ETapiCallUnavail, ETapi)
APD_DECLARE_EXCEPTION(ETapiCompletionOverrun, ETapi)
APD_DECLARE_EXCEPTION(ETapiConferenceFull, ETapi)
APD_DECLARE_EXCEPTION(ETapiDialBilling, ETapi)
APD_DECLARE_EXCEPTION(ETapiDialDialtone, ETapi)
APD_DECLARE_EXCEPTION(ETapiDialPrompt, ETapi)
APD_DECLARE_EXCEPTION(ETapiDialQuiet, ETapi)
APD_DECLARE_EXCEPTION(ETapiIncompatibleApiVersion, ETapi)
APD_DECLARE_EXCEPTION(ETapiIncompatibleExtVersion, ETapi)
APD_DECLARE_EXCEPTION(ETapiIniFileCorrupt, ETapi)
APD_DECLARE_EXCEPTION(ETapiInUse, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAddress, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAddressID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAddressMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAddressState, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAppHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalAppName, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalBearerMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallComplMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallParams, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallPrivilege, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallSelect, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallState, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCallStatelist, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCard, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCompletionID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalConfCallHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalConsultCallHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalCountryCode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDeviceClass, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDeviceHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDialParams, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDigitList, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDigitMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalDigits, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalExtVersion, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalGroupID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalLineHandle, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalLineState, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalLocation, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalMediaList, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalMediaMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalMessageID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalParam, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalParkID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalParkMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalPointer, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalPrivSelect, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalRate, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalRequestMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalTerminalID, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalTerminalMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalTimeout, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalTone, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalToneList, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalToneMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalTransferMode, ETapi)
APD_DECLARE_EXCEPTION(ETapiLineMapperFailed, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoConference, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoDevice, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoDriver, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoMem, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoRequest, ETapi)
APD_DECLARE_EXCEPTION(ETapiNotOwner, ETapi)
APD_DECLARE_EXCEPTION(ETapiNotRegistered, ETapi)
APD_DECLARE_EXCEPTION(ETapiOperationFailed, ETapi)
APD_DECLARE_EXCEPTION(ETapiOperationUnavail, ETapi)
APD_DECLARE_EXCEPTION(ETapiRateUnavail, ETapi)
APD_DECLARE_EXCEPTION(ETapiResourceUnavail, ETapi)
APD_DECLARE_EXCEPTION(ETapiRequestOverrun, ETapi)
APD_DECLARE_EXCEPTION(ETapiStructureTooSmall, ETapi)
APD_DECLARE_EXCEPTION(ETapiTargetNotFound, ETapi)
APD_DECLARE_EXCEPTION(ETapiTargetSelf, ETapi)
APD_DECLARE_EXCEPTION(ETapiUninitialized, ETapi)
APD_DECLARE_EXCEPTION(ETapiUserUserInfoTooBig, ETapi)
APD_DECLARE_EXCEPTION(ETapiReinit, ETapi)
APD_DECLARE_EXCEPTION(ETapiAddressBlocked, ETapi)
APD_DECLARE_EXCEPTION(ETapiBillingRejected, ETapi)
APD_DECLARE_EXCEPTION(ETapiInvalFeature, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoMultipleInstance, ETapi)
APD_DECLARE_EXCEPTION(ETapiBusy, ETapi)
APD_DECLARE_EXCEPTION(ETapiNotSet, ETapi)
APD_DECLARE_EXCEPTION(ETapiNoSelect, ETapi)
APD_DECLARE_EXCEPTION(ETapiLoadFail, ETapi)
APD_DECLARE_EXCEPTION(ETapiGetAddrFail, ETapi)
APD_DECLARE_EXCEPTION(ETapi16Disabled, ETapi)
APD_DECLARE_EXCEPTION(ETapiVoiceNotSupported, ETapi)
APD_DECLARE_EXCEPTION(ETapiWaveFail, ETapi)
APD_DECLARE_EXCEPTION(ETapiTranslateFail, ETapi)

// Raised by the error-table reader.
CQ5_DECLARE_EXCEPTION(ETpsStringResourceError, Exception)

// Returns Code when it is >= 0 or while Component is loading from a form resource;
// otherwise throws the exception the code maps to and does not return.
int RaiseForError(const TComponent* Component, int Code);
