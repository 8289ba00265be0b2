#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <unistd.h>

#include "platform/classes/SafeFile.h"
#include "platform/classes/Streams.h"

namespace {
AnsiString TempDir() {
  static AnsiString dir = [] {
    char tmpl[] = "/tmp/cq5-classes-XXXXXX";
    return AnsiString(mkdtemp(tmpl)) + "/";
  }();
  return dir;
}

bool HasTemporaryFile(const AnsiString& dir) {
  bool found = false;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (AnsiString(e->d_name).find(".tmp") != AnsiString::npos) found = true;
    closedir(d);
  }
  return found;
}

TEST(TMemoryStream, ReadWriteSeekAndSize) {
  TMemoryStream m;
  m.WriteBuffer("hello world", 11);
  EXPECT_EQ(m.Size(), 11);
  EXPECT_EQ(m.Seek(-5, soFromEnd), 6);
  char buf[6] = {};
  m.ReadBuffer(buf, 5);
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(m.Read(buf, 5), 0);  // at the end
  EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
  m.SetPosition(0);
  EXPECT_EQ(m.Seek(2, soFromCurrent), 2);
  m.SetSize(4);
  EXPECT_EQ(std::string(static_cast<char*>(m.Memory()), 4), "hell");
  EXPECT_THROW(m.Seek(-1, soFromBeginning), EStreamError);
}

TEST(TStream, CopyFromWholeAndPart) {
  TStringStream src("abcdef");
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 6);
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(std::string(static_cast<char*>(dst.Memory()), 9), "abcdefcde");
  src.SetPosition(5);
  EXPECT_THROW(dst.CopyFrom(&src, 3), EReadError);
}

TEST(TFileStream, ModesAndErrorsNameTheFile) {
  const AnsiString name = TempDir() + "fs.bin";
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("\x01\x02\x03", 3);
  }
  {
    TFileStream f(name, fmOpenReadWrite | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 3);
    f.Seek(0, soFromEnd);
    f.WriteBuffer("\x04", 1);
  }
  TFileStream r(name, fmOpenRead | fmShareDenyNone);
  char b[4];
  r.ReadBuffer(b, 4);
  EXPECT_EQ(b[3], 4);
  EXPECT_THROW(r.WriteBuffer("x", 1), EWriteError);
  try {
    TFileStream missing(TempDir() + "missing.bin", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find("missing.bin"), AnsiString::npos);
  }
  EXPECT_THROW(TFileStream(TempDir() + "no/such/dir.bin", fmCreate), EFCreateError);
}

TEST(TMemoryStream, FileRoundTripKeepsEveryByte) {
  AnsiString all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  TMemoryStream m;
  m.WriteBuffer(all.data(), 256);
  m.SaveToFile(TempDir() + "all.bin");
  TMemoryStream back;
  back.LoadFromFile(TempDir() + "all.bin");
  ASSERT_EQ(back.Size(), 256);
  EXPECT_EQ(std::string(static_cast<char*>(back.Memory()), 256), all);
  EXPECT_THROW(back.LoadFromFile(TempDir() + "none.bin"), EFOpenError);
}

TEST(SafeFile, FailedWriteLeavesTheOldFileIntact) {
  const AnsiString dir = TempDir() + "safe/";
  ASSERT_TRUE(ForceDirectories(dir));
  const AnsiString name = dir + "settings.ini";
  safefile::WriteFile(name, "old contents");
  // A read-only folder lets the old file be read but no temporary file be made. (Skipped
  // as root, which may write anywhere.)
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    EXPECT_THROW(safefile::WriteFile(name, "new"), EFCreateError);
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(safefile::ReadFile(name), "old contents");
  }
  // Renaming over a folder fails after the data was written: old folder stays, no
  // temporary file is left behind.
  ASSERT_TRUE(ForceDirectories(dir + "target"));
  EXPECT_THROW(safefile::WriteFile(dir + "target", "data"), EWriteError);
  EXPECT_TRUE(DirectoryExists(dir + "target"));
  EXPECT_FALSE(HasTemporaryFile(dir));

  // A write that fails half-way (here: the file size limit is hit) keeps the old file.
  {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(safefile::WriteFile(name, std::string(100, 'n')), EWriteError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(safefile::ReadFile(name), "old contents");
    EXPECT_FALSE(HasTemporaryFile(dir));
  }

  safefile::WriteFile(name, "new contents");
  EXPECT_EQ(safefile::ReadFile(name), "new contents");
  EXPECT_THROW(safefile::ReadFile(dir + "absent"), EFOpenError);
  EXPECT_THROW(safefile::ReadFile(dir), EFOpenError);
}
}  // namespace
