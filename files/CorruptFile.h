#pragma once
// The error raised for a container or compressed body that cannot be read back.
#include "platform/rtl/SysUtils.h"

CQ5_DECLARE_EXCEPTION(ECorruptFile, Exception)
