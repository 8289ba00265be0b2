#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <new>
#include <type_traits>

#include "serial/AdExcept.h"
#include "serial/AdStrings.h"

namespace {

struct Case {
  int code;
  std::function<bool(const EAPDException&)> isClass;
  const char* className;
  int errorCode;
  const char* text;
};

template <class E>
bool Is(const EAPDException& e) {
  if constexpr (std::is_same_v<E, EAPDException>) {
    return true;
  } else {
    return dynamic_cast<const E*>(&e) != nullptr;
  }
}

TEST(RaiseForError, CodesBecomeTheirClassesWithTableTexts) {
  const Case cases[] = {
      {-2007, Is<ECommNotOpen>, "ECommNotOpen", -2007, "ie_NOpen - device not open"},
      {-2008, Is<EAlreadyOpen>, "EAlreadyOpen", -2008, "ie_Open - device already open"},
      {-2001, Is<EBadId>, "EBadId", -2001, "ie_BadId - Specified comport doesn't exist"},
      {-2011, Is<ENoPortSelected>, "ENoPortSelected", -2011,
       "The ComNumber property of the TApdComPort has not been set"},
      {-5003, Is<EBadTriggerHandle>, "EBadTriggerHandle", -5003, "Bad trigger handle"},
      {-5002, Is<ETriggerTooLong>, "ETriggerTooLong", -5002, "Data trigger too long"},
      {-3006, Is<EOutputBufferTooSmall>, "EOutputBufferTooSmall", -3006, "Output buffer too small for block"},
      {-3007, Is<EBufferIsEmpty>, "EBufferIsEmpty", -3007, "Buffer is empty"},
      {-1002, Is<EBadArgument>, "EBadArgument", -1002, "Bad argument passed to function"},
      {-4002, Is<EModemBusy>, "EModemBusy", -4002, nullptr},
      {-7003, Is<EInternal>, "EInternal", -7003, nullptr},
      {-13980, Is<ERasLoadFail>, "ERasLoadFail", -13980, nullptr},
      // Codes without a class of their own: a plain exception with a fixed text.
      {-1001, Is<EAPDException>, "EAPDException", 0, "Koma exception"},
      {-5502, Is<EAPDException>, "EAPDException", 0, "Koma exception"},
      {-7009, Is<EAPDException>, "EAPDException", 0, "Koma exception"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    try {
      RaiseForError(nullptr, c.code);
      ADD_FAILURE() << "no exception";
    } catch (const EAPDException& e) {
      EXPECT_TRUE(c.isClass(e));
      EXPECT_STREQ(e.ClassName(), c.className);
      EXPECT_EQ(e.ErrorCode, c.errorCode);
      if (c.text != nullptr) {
        EXPECT_EQ(e.Message(), c.text);
      }
    }
  }
}

// Every telephony code raises its own class under ETapi; the codes without one, and the
// codes between the two runs, give the plain exception.
TEST(RaiseForError, TelephonyCodesHaveAClassEach) {
  const char* const line[] = {
      "ETapiAllocated", "ETapiBadDeviceID", "ETapiBearerModeUnavail", "", "ETapiCallUnavail",
      "ETapiCompletionOverrun", "ETapiConferenceFull", "ETapiDialBilling", "ETapiDialDialtone",
      "ETapiDialPrompt", "ETapiDialQuiet", "ETapiIncompatibleApiVersion", "ETapiIncompatibleExtVersion",
      "ETapiIniFileCorrupt", "ETapiInUse", "ETapiInvalAddress", "ETapiInvalAddressID",
      "ETapiInvalAddressMode", "ETapiInvalAddressState", "ETapiInvalAppHandle", "ETapiInvalAppName",
      "ETapiInvalBearerMode", "ETapiInvalCallComplMode", "ETapiInvalCallHandle", "ETapiInvalCallParams",
      "ETapiInvalCallPrivilege", "ETapiInvalCallSelect", "ETapiInvalCallState", "ETapiInvalCallStatelist",
      "ETapiInvalCard", "ETapiInvalCompletionID", "ETapiInvalConfCallHandle", "ETapiInvalConsultCallHandle",
      "ETapiInvalCountryCode", "ETapiInvalDeviceClass", "ETapiInvalDeviceHandle", "ETapiInvalDialParams",
      "ETapiInvalDigitList", "ETapiInvalDigitMode", "ETapiInvalDigits", "ETapiInvalExtVersion",
      "ETapiInvalGroupID", "ETapiInvalLineHandle", "ETapiInvalLineState", "ETapiInvalLocation",
      "ETapiInvalMediaList", "ETapiInvalMediaMode", "ETapiInvalMessageID", "", "ETapiInvalParam",
      "ETapiInvalParkID", "ETapiInvalParkMode", "ETapiInvalPointer", "ETapiInvalPrivSelect",
      "ETapiInvalRate", "ETapiInvalRequestMode", "ETapiInvalTerminalID", "ETapiInvalTerminalMode",
      "ETapiInvalTimeout", "ETapiInvalTone", "ETapiInvalToneList", "ETapiInvalToneMode",
      "ETapiInvalTransferMode", "ETapiLineMapperFailed", "ETapiNoConference", "ETapiNoDevice",
      "ETapiNoDriver", "ETapiNoMem", "ETapiNoRequest", "ETapiNotOwner", "ETapiNotRegistered",
      "ETapiOperationFailed", "ETapiOperationUnavail", "ETapiRateUnavail", "ETapiResourceUnavail",
      "ETapiRequestOverrun", "ETapiStructureTooSmall", "ETapiTargetNotFound", "ETapiTargetSelf",
      "ETapiUninitialized", "ETapiUserUserInfoTooBig", "ETapiReinit", "ETapiAddressBlocked",
      "ETapiBillingRejected", "ETapiInvalFeature", "ETapiNoMultipleInstance"};
  ASSERT_EQ(std::size(line), 86u);
  std::map<int, std::string> expected;
  for (size_t i = 0; i < std::size(line); ++i) expected[-13801 - static_cast<int>(i)] = line[i];
  const char* const setup[] = {"ETapiBusy",        "ETapiNotSet",     "ETapiNoSelect",
                               "ETapiLoadFail",    "ETapiGetAddrFail", "ETapi16Disabled",
                               "",                 "ETapiVoiceNotSupported", "ETapiWaveFail"};
  for (size_t i = 0; i < std::size(setup); ++i) expected[-13928 - static_cast<int>(i)] = setup[i];
  expected[-13942] = "ETapiTranslateFail";
  for (int code : {-13800, -13887, -13927, -13937, -13941, -13943}) expected[code] = "";

  std::set<std::string> seen;
  for (const auto& [code, name] : expected) {
    SCOPED_TRACE(code);
    try {
      RaiseForError(nullptr, code);
      ADD_FAILURE() << "no exception";
    } catch (const EAPDException& e) {
      if (name.empty()) {
        EXPECT_STREQ(e.ClassName(), "EAPDException");
        EXPECT_EQ(e.ErrorCode, 0);
        EXPECT_EQ(e.Message(), "Koma exception");
      } else {
        EXPECT_EQ(e.ClassName(), name);
        EXPECT_NE(dynamic_cast<const ETapi*>(&e), nullptr);
        EXPECT_EQ(e.ErrorCode, code);
        EXPECT_TRUE(seen.insert(name).second) << "class raised for two codes";
      }
    }
  }
  EXPECT_EQ(seen.size(), 93u);
}

TEST(RaiseForError, SuccessAndLoadingReturnTheCode) {
  EXPECT_EQ(RaiseForError(nullptr, 0), 0);
  EXPECT_EQ(RaiseForError(nullptr, 17), 17);
  TComponent loading(nullptr);
  loading.SetState(csLoading);
  EXPECT_EQ(RaiseForError(&loading, -2007), -2007);
}

TEST(RaiseForError, FileErrorsBecomeInOutErrorsWithTheirNumber) {
  try {
    RaiseForError(nullptr, -5);
    FAIL();
  } catch (const EApdInOutError& e) {
    EXPECT_EQ(e.Message(), "File access denied");
    EXPECT_EQ(e.ErrorCode, 5);
    EXPECT_STREQ(e.ClassName(), "EInOutError");
  }
  EXPECT_THROW(RaiseForError(nullptr, -8), std::bad_alloc);
}

TEST(ErrorMsg, PacketTextsAndSystemFallback) {
  EXPECT_EQ(ErrorMsg(-5503), "CharCount packets must have an end-condition");
  EXPECT_EQ(ErrorMsg(5505), "Packet size cannot be zero");
  EXPECT_EQ(EInvalidProperty(-5504).Message(), "End string is empty");
  EXPECT_EQ(EInvalidProperty(-5504).ErrorCode, -5504);
  // No table text: the text of the Windows error number the port layer reported (never
  // the POSIX error of that number), or nothing.
  EXPECT_EQ(ErrorMsg(-31), "Serial port input/output error");
  EXPECT_EQ(ErrorMsg(-50), "Function not supported by the serial port");
  EXPECT_EQ(ErrorMsg(-87), "Setting not supported by the serial port");
  EXPECT_EQ(ErrorMsg(-13), "System error 13");
  EXPECT_EQ(ErrorMsg(-31999), "");
}

TEST(ErrorMsg, SystemMessagesBecomeOneLine) {
  EXPECT_EQ(CleanSystemMessage("The device is not ready.\r\n"), "The device is not ready. ");
  EXPECT_EQ(CleanSystemMessage("a\t\tb  c"), "a b c");
}

TEST(ErrorStrings, TableIsSortedAndMissingIdsAreEmptyOrRaise) {
  EXPECT_TRUE(ErrorTableIsSorted());
  EXPECT_EQ(ErrorStrings().GetString(4242), "");
  TAdStringResource strict(true);
  EXPECT_THROW(strict.GetString(4242), ETpsStringResourceError);
  EXPECT_EQ(strict.GetString(2007), "ie_NOpen - device not open");
}

}  // namespace
