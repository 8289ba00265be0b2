#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <functional>
#include <unistd.h>

#include "LockHolder.h"
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
  // A folder in the target's place is refused before anything is written: it stays, no
  // temporary file is left behind.
  ASSERT_TRUE(ForceDirectories(dir + "target"));
  EXPECT_THROW(safefile::WriteFile(dir + "target", "data"), EFCreateError);
  EXPECT_TRUE(DirectoryExists(dir + "target"));
  EXPECT_FALSE(HasTemporaryFile(dir));

  // A write that fails half-way (here: the file size limit is hit, whose signal would end
  // the process) keeps the old file and names the reason.
  {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    AnsiString message;
    try {
      safefile::WriteFile(name, std::string(100, 'n'));
    } catch (const EWriteError& e) {
      message = e.Message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, "Cannot write file \"" + name + "\". File too large");
    EXPECT_EQ(safefile::ReadFile(name), "old contents");
    EXPECT_FALSE(HasTemporaryFile(dir));
  }

  safefile::WriteFile(name, "new contents");
  EXPECT_EQ(safefile::ReadFile(name), "new contents");
  EXPECT_THROW(safefile::ReadFile(dir + "absent"), EFOpenError);
  EXPECT_THROW(safefile::ReadFile(dir), EFOpenError);
}

// Files written as one: none is replaced unless all are written.
TEST(SafeFile, FilesWrittenAsOne) {
  const AnsiString dir = TempDir() + "pair/";
  ASSERT_TRUE(ForceDirectories(dir));
  safefile::WriteFiles({{dir + "a.lg1", "old 1"}, {dir + "a.lg2", "old 2"}});
  ASSERT_TRUE(ForceDirectories(dir + "b.lg2"));
  safefile::WriteFile(dir + "b.lg1", "old b");
  struct Case { const char* first; const char* second; } fails[] = {{"a.lg1", "b.lg2"}, {"b.lg2", "a.lg2"}};
  for (const Case& c : fails) {
    EXPECT_THROW(safefile::WriteFiles({{dir + c.first, "new"}, {dir + c.second, "new"}}), EFCreateError);
    EXPECT_EQ(safefile::ReadFile(dir + "a.lg1"), "old 1");
    EXPECT_EQ(safefile::ReadFile(dir + "a.lg2"), "old 2");
    EXPECT_EQ(safefile::ReadFile(dir + "b.lg1"), "old b");
    EXPECT_FALSE(HasTemporaryFile(dir));
  }
  safefile::WriteFiles({{dir + "a.lg1", "new 1"}, {dir + "a.lg2", "new 2"}});
  EXPECT_EQ(safefile::ReadFile(dir + "a.lg1"), "new 1");
  EXPECT_EQ(safefile::ReadFile(dir + "a.lg2"), "new 2");
}

// Targets that are not plain writable files: each is refused at once, or written where it
// belongs, and nothing is left half-done.
TEST(SafeFile, ReadOnlyTargetIsRefusedAndKept) {
  const AnsiString dir = TempDir() + "ro/";
  ASSERT_TRUE(ForceDirectories(dir));
  const AnsiString name = dir + "locked.map";
  safefile::WriteFile(name, "old");
  ASSERT_EQ(chmod(name.c_str(), 0444), 0);
  try {
    safefile::WriteFile(name, "new");
    FAIL() << "a read-only file was replaced";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + name + "\". Permission denied");
  }
  struct stat st {};
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(safefile::ReadFile(name), "old");
  EXPECT_FALSE(HasTemporaryFile(dir));
}

TEST(SafeFile, LinkTargetIsWrittenAndTheLinkKept) {
  const AnsiString dir = TempDir() + "links/";
  ASSERT_TRUE(ForceDirectories(dir + "real/"));
  ASSERT_TRUE(ForceDirectories(dir + "view/"));
  safefile::WriteFile(dir + "real/settings.ini", "old");
  // A relative link in another folder, and a link to a link.
  ASSERT_EQ(symlink("../real/settings.ini", (dir + "view/settings.ini").c_str()), 0);
  ASSERT_EQ(symlink("view/settings.ini", (dir + "chain.ini").c_str()), 0);
  safefile::WriteFile(dir + "view/settings.ini", "via link");
  EXPECT_EQ(safefile::ReadFile(dir + "real/settings.ini"), "via link");
  safefile::WriteFile(dir + "chain.ini", "via chain");
  EXPECT_EQ(safefile::ReadFile(dir + "real/settings.ini"), "via chain");
  for (const char* link : {"view/settings.ini", "chain.ini"}) {
    struct stat st {};
    ASSERT_EQ(lstat((dir + link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_FALSE(HasTemporaryFile(dir) || HasTemporaryFile(dir + "real/") || HasTemporaryFile(dir + "view/"));
  // A link to a file not made yet makes the file.
  ASSERT_EQ(symlink("real/new.map", (dir + "dangling.map").c_str()), 0);
  safefile::WriteFile(dir + "dangling.map", "made");
  EXPECT_EQ(safefile::ReadFile(dir + "real/new.map"), "made");
  // A loop of links is refused.
  ASSERT_EQ(symlink("loop2", (dir + "loop1").c_str()), 0);
  ASSERT_EQ(symlink("loop1", (dir + "loop2").c_str()), 0);
  EXPECT_THROW(safefile::WriteFile(dir + "loop1", "x"), EFCreateError);
}

TEST(SafeFile, PipesAndDevicesAreRefusedAtOnce) {
  const AnsiString dir = TempDir() + "special/";
  ASSERT_TRUE(ForceDirectories(dir));
  const AnsiString fifo = dir + "pipe.map";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  alarm(10);  // a blocking open would hang here; the alarm ends the test instead
  struct Case {
    const char* what;
    std::function<void()> run;
  } cases[] = {
      {"read a pipe", [&] { safefile::ReadFile(fifo); }},
      {"stream a pipe", [&] { TFileStream f(fifo, fmOpenRead); }},
      {"create over a pipe", [&] { TFileStream f(fifo, fmCreate); }},
      {"read a device", [&] { safefile::ReadFile("/dev/zero", 1024); }},
      {"stream a device", [&] { TFileStream f("/dev/zero", fmOpenRead); }},
      {"replace a pipe", [&] { safefile::WriteFile(fifo, "data"); }},
  };
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const EStreamError& e) {
      EXPECT_NE(e.Message().find("not a regular file"), AnsiString::npos) << c.what << ": " << e.Message();
    }
  }
  alarm(0);
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_FALSE(HasTemporaryFile(dir));
}

TEST(SafeFile, ReadIsBoundedAndTheMessageNamesTheLimit) {
  const AnsiString name = TempDir() + "big.fig";
  safefile::WriteFile(name, std::string(2048, 'x'));
  EXPECT_EQ(safefile::ReadFile(name, 2048).size(), 2048u);
  try {
    safefile::ReadFile(name, 1024);
    FAIL();
  } catch (const EFileTooLarge& e) {
    EXPECT_EQ(e.Message(), "Cannot read file \"" + name + "\". It is larger than 1 KiB.");
  }
  EXPECT_EQ(safefile::SizeText(1024 * 1024), "1 MiB");
  EXPECT_EQ(safefile::SizeText(1000), "1000 bytes");
}

// Writers that build their file before saving it ask first whether the target may be
// replaced; the answer is the safe write's own, and asking creates nothing.
TEST(SafeFile, TargetIsCheckedBeforeAnythingIsBuilt) {
  const AnsiString dir = TempDir() + "check/";
  ASSERT_TRUE(ForceDirectories(dir + "folder.xls/"));
  safefile::WriteFile(dir + "plain.xls", "old");
  safefile::WriteFile(dir + "locked.xls", "old");
  ASSERT_EQ(chmod((dir + "locked.xls").c_str(), 0444), 0);
  ASSERT_EQ(mkfifo((dir + "pipe.xls").c_str(), 0644), 0);
  ASSERT_EQ(symlink("plain.xls", (dir + "link.xls").c_str()), 0);
  ASSERT_EQ(symlink("pipe.xls", (dir + "to-pipe.xls").c_str()), 0);
  alarm(10);
  struct Case {
    AnsiString name;
    const char* refusal;  // nullptr: may be written
  } cases[] = {
      {dir + "plain.xls", nullptr},
      {dir + "new.xls", nullptr},
      {dir + "link.xls", nullptr},
      {dir + "pipe.xls", "not a regular file"},
      {dir + "to-pipe.xls", "not a regular file"},
      {"/dev/null", "not a regular file"},
      {dir + "folder.xls", "but a folder"},
      {dir + "locked.xls", "Permission denied"},
      {dir + "missing/new.xls", "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.refusal == nullptr) {
      EXPECT_NO_THROW(safefile::CheckTarget(c.name));
      continue;
    }
    try {
      safefile::CheckTarget(c.name);
      ADD_FAILURE() << "accepted";
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message().rfind("Cannot create file \"" + c.name + "\". ", 0), 0u) << e.Message();
      EXPECT_NE(e.Message().find(c.refusal), AnsiString::npos) << e.Message();
    }
  }
  alarm(0);
  EXPECT_FALSE(FileExists(dir + "new.xls"));
  EXPECT_FALSE(HasTemporaryFile(dir));
}

// Another program holding the target: a record lock of either kind, a whole-file lock of
// either kind, or the file only open for writing. Every write refuses it with one message,
// as the check made before a save does, also through a link and as one file of several;
// the file keeps its bytes and nothing is left behind. Let go, it is written.
TEST(SafeFile, TargetAnotherProgramHoldsIsRefusedAndKept) {
  const AnsiString dir = TempDir() + "held/";
  ASSERT_TRUE(ForceDirectories(dir));
  const AnsiString name = dir + "held.q05", link = dir + "link.q05", free = dir + "free.lg1";
  safefile::WriteFile(name, "old");
  ASSERT_EQ(symlink("held.q05", link.c_str()), 0);
  using testhelp::LockHolder;
  struct Kind {
    LockHolder::Kind how;
    bool heldForReading;  // conflicts with a reader too
  } kinds[] = {{LockHolder::FcntlRead, false},     {LockHolder::FcntlWrite, true},
               {LockHolder::FlockShared, false},   {LockHolder::FlockExclusive, true},
               {LockHolder::OpenForWriting, false}};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.how);
    LockHolder holder(name, k.how);
    ASSERT_TRUE(holder.Locked());
    EXPECT_TRUE(safefile::HeldByOther(name, true));
    EXPECT_EQ(safefile::HeldByOther(name, false), k.heldForReading);
    for (const AnsiString& target : {name, link}) {
      SCOPED_TRACE(target);
      const std::function<void()> writes[] = {
          [&] { safefile::WriteFile(target, "new"); },
          [&] { safefile::WriteFiles({{free, "new"}, {target, "new"}}); },
          [&] { safefile::CheckTarget(target); },
      };
      for (const auto& write : writes) {
        try {
          write();
          ADD_FAILURE() << "accepted";
        } catch (const EFCreateError& e) {
          EXPECT_EQ(e.Message(), "Cannot create file \"" + target + "\". It is in use by another program.");
        }
      }
    }
    EXPECT_EQ(safefile::ReadFile(name), "old");
    EXPECT_FALSE(FileExists(free));
    EXPECT_FALSE(HasTemporaryFile(dir));
  }
  EXPECT_FALSE(safefile::HeldByOther(name, true));
  safefile::WriteFile(link, "new");
  EXPECT_EQ(safefile::ReadFile(name), "new");
}
}  // namespace
