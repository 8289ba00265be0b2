#include "platform/rtl/FileUtils.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {
std::string Native(const AnsiString& name) { return cp1252::ToUtf8(name); }
}  // namespace

AnsiString ExtractFilePath(const AnsiString& FileName) {
  size_t p = FileName.rfind('/');
  return p == AnsiString::npos ? AnsiString() : FileName.substr(0, p + 1);
}

AnsiString ExtractFileName(const AnsiString& FileName) {
  size_t p = FileName.rfind('/');
  return p == AnsiString::npos ? FileName : FileName.substr(p + 1);
}

AnsiString ExtractFileExt(const AnsiString& FileName) {
  size_t dot = FileName.rfind('.');
  size_t slash = FileName.rfind('/');
  if (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash)) return {};
  return FileName.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension) {
  AnsiString ext = ExtractFileExt(FileName);
  return FileName.substr(0, FileName.size() - ext.size()) + Extension;
}

bool FileExists(const AnsiString& FileName) {
  struct stat st {};
  return !FileName.empty() && ::stat(Native(FileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const AnsiString& Dir) {
  struct stat st {};
  return !Dir.empty() && ::stat(Native(Dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const AnsiString& Dir) {
  if (Dir.empty()) return false;
  std::string path = Native(Dir);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !ForceDirectories(cp1252::FromUtf8(path.substr(0, slash))))
    return false;
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool DeleteFile(const AnsiString& FileName) { return ::unlink(Native(FileName).c_str()) == 0; }

AnsiString HomeFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
    home = env;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  if (home.empty() || home.back() != '/') home += '/';
  return cp1252::FromUtf8(home);
}

AnsiString ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.config";
  }
  if (base.empty() || base.back() != '/') base += '/';
  return cp1252::FromUtf8(base) + "corvaneq5/";
}

AnsiString ConfigFilePath(const AnsiString& FileName) {
  return FileName.find('/') == AnsiString::npos ? ConfigFolder() + FileName : FileName;
}
