#include "serial/AdBase.h"

#include "platform/rtl/FileUtils.h"

bool ExistFile(const AnsiString& Name) { return FileExists(Name); }
