#include "platform/rtl/TextUtils.h"

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

AnsiString TrimLeft(const AnsiString& S) {
  size_t i = 0;
  while (i < S.size() && IsBlank(S[i])) ++i;
  return S.substr(i);
}

AnsiString TrimRight(const AnsiString& S) {
  size_t n = S.size();
  while (n > 0 && IsBlank(S[n - 1])) --n;
  return S.substr(0, n);
}

AnsiString Trim(const AnsiString& S) { return TrimLeft(TrimRight(S)); }

AnsiString UpperCase(const AnsiString& S) {
  AnsiString r = S;
  for (char& c : r) c = Upper(c);
  return r;
}

AnsiString LowerCase(const AnsiString& S) {
  AnsiString r = S;
  for (char& c : r) c = Lower(c);
  return r;
}

int CompareText(const AnsiString& A, const AnsiString& B) {
  size_t n = A.size() < B.size() ? A.size() : B.size();
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(Upper(A[i]));
    int b = static_cast<unsigned char>(Upper(B[i]));
    if (a != b) return a - b;
  }
  return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

bool SameText(const AnsiString& A, const AnsiString& B) { return A.size() == B.size() && CompareText(A, B) == 0; }

int CompareStr(const AnsiString& A, const AnsiString& B) {
  int r = A.compare(B);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
