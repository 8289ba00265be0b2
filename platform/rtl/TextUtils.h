#pragma once
// Plain text helpers with the runtime's rules: case changes and comparisons only touch
// the ASCII letters, and "blanks" are every byte <= ' '.
#include "platform/rtl/AnsiString.h"

AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
// <0, 0, >0 comparing without regard to ASCII case.
int CompareText(const AnsiString& A, const AnsiString& B);
bool SameText(const AnsiString& A, const AnsiString& B);
// Case-sensitive byte comparison, <0, 0, >0.
int CompareStr(const AnsiString& A, const AnsiString& B);
