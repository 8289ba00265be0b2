#pragma once
// Number <-> text conversions and rounding with the runtime's rules. Text is always
// written and read with "." as the decimal separator and "," as the thousands separator,
// whatever the system locale, because stored files and the ECU tables depend on it.
#include <cstdint>
#include "platform/rtl/AnsiString.h"

// --- integers ------------------------------------------------------------------------
AnsiString IntToStr(int64_t Value);
// Accepts leading blanks, a sign, decimal digits or "$"/"0x" hexadecimal.
// Raises EConvertError "'<S>' is not a valid integer value" otherwise or when out of range.
int StrToInt(const AnsiString& S);
int64_t StrToInt64(const AnsiString& S);
int StrToIntDef(const AnsiString& S, int Default);
int64_t StrToInt64Def(const AnsiString& S, int64_t Default);
bool TryStrToInt(const AnsiString& S, int& Value);
bool TryStrToInt64(const AnsiString& S, int64_t& Value);
// Upper-case hexadecimal, zero-padded to at least Digits characters.
AnsiString IntToHex(int64_t Value, int Digits);

// --- floating point ------------------------------------------------------------------
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };

// Shortest general form with 15 significant digits ("95.5", "1E20", "1E-5").
AnsiString FloatToStr(double Value);
// ffGeneral: Precision significant digits, exponent when shorter/needed (Digits = min
// exponent digits). ffExponent: "d.dddE+xxxx". ffFixed: Digits decimals. ffNumber: like
// ffFixed with thousands separators. Precision is capped at 15; rounding is half away
// from zero on the decimal digits, so 1.005 with 2 decimals gives "1.01".
AnsiString FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
// Raises EConvertError "'<S>' is not a valid floating point value".
double StrToFloat(const AnsiString& S);
double StrToFloatDef(const AnsiString& S, double Default);
bool TryStrToFloat(const AnsiString& S, double& Value);
// Picture formatting: "#", "0", ".", ",", "E+", "E-", "e+", "e-", quoted literals and up
// to three ";"-separated sections (positive; negative; zero).
AnsiString FormatFloat(const AnsiString& Format, double Value);

// Pascal's Str(X:Width:Decimals): fixed notation right-aligned in Width characters.
// Decimals < 0 gives the scientific form Pascal uses without a decimals argument.
AnsiString Str(double Value, int Width, int Decimals);
AnsiString Str(int64_t Value, int Width = 0);
// Pascal's Val: Code is 0 on success, otherwise the 1-based position of the first bad
// character (Value is then 0). Never raises.
void Val(const AnsiString& S, double& Value, int& Code);
void Val(const AnsiString& S, int& Value, int& Code);

// --- rounding ------------------------------------------------------------------------
// Half to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Raises EInvalidOp for NaN, infinity or a
// value outside the 64-bit range.
int64_t Round(double X);
// Toward zero; same errors as Round.
int64_t Trunc(double X);
// Fractional part, sign kept (Frac(-1.25) = -0.25).
double Frac(double X);
// Integer part as a double, toward zero.
double Int(double X);

// --- checked arithmetic --------------------------------------------------------------
// The original runtime traps invalid operations, division by zero and overflow. Code
// that must behave the same calls these where a NaN or infinity could appear.
// Returns X, or raises EInvalidOp (NaN) / EOverflow (infinity).
double CheckFloat(double X);
// A / B; raises EZeroDivide for x/0 with x != 0, EInvalidOp for 0/0, EOverflow when the
// quotient is infinite.
double CheckedDiv(double A, double B);
// Integer division toward zero; raises EDivByZero when B is 0.
int64_t CheckedIntDiv(int64_t A, int64_t B);
int64_t CheckedIntMod(int64_t A, int64_t B);
