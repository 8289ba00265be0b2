#include "platform/os/CompoundDocument.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

std::string Pattern(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + seed) & 0xFF);
  return s;
}

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class CompoundFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cq5-oleXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    EXPECT_EQ(Entries(), extra_) << "a temporary file was left behind";
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  int Entries() const {
    int n = 0;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
    return n;
  }

  // Reads every stream with olefile: path -> (size, hex bytes). Skips without the reader.
  std::map<std::string, std::pair<long, std::string>> ReadBack(const std::string& file) {
    std::map<std::string, std::pair<long, std::string>> streams;
    const std::string script = CQ5_SOURCE_DIR "/tests/platform/os/olefile_dump.py";
    const std::string out = dir_ + "/listing";
    ++extra_;
    // Debian's interpreter first: a python3 elsewhere on the PATH may lack the module.
    int rc = -1;
    for (const char* python : {"/usr/bin/python3", "python3"}) {
      rc = std::system((std::string(python) + " '" + script + "' '" + file + "' > '" + out +
                        "' 2>/dev/null").c_str());
      if (rc == 0) break;
    }
    if (rc != 0) return streams;
    std::ifstream in(out);
    std::string path, hex;
    long size;
    while (std::getline(in, path, '\t') && in >> size) {
      in.ignore(1);
      std::getline(in, hex);
      streams[path] = {size, hex};
    }
    available_ = true;
    return streams;
  }

  std::string dir_;
  int extra_ = 0;
  bool available_ = false;
};

TEST_F(CompoundFile, StreamsReadBackByAnIndependentReader) {
  const std::string file = dir_ + "/book.xls";
  // Sizes around the 4096-byte line between the small-block and the normal area.
  const struct {
    const char* path;
    std::size_t size;
  } rows[] = {{"Book", 5000}, {"Empty", 0}, {"Small", 100}, {"Sub/Inner", 4095},
              {"Sub/Edge", 4096}, {"Sub/Deeper/Big", 70000}};
  {
    os::CompoundDocument doc(file);
    os::CompoundStorage& sub = doc.CreateStorage("Sub");
    os::CompoundStorage& deeper = sub.CreateStorage("Deeper");
    unsigned seed = 0;
    for (const auto& row : rows) {
      const std::string path = row.path;
      const std::string name = path.substr(path.find_last_of('/') + 1);
      os::CompoundStorage& parent =
          path.rfind("Sub/Deeper/", 0) == 0 ? deeper : path.rfind("Sub/", 0) == 0 ? sub : doc.Root();
      const std::string bytes = Pattern(row.size, ++seed);
      parent.CreateStream(name).Write(bytes.data(), bytes.size());
    }
    doc.Commit();
  }
  ++extra_;  // the file itself
  const auto streams = ReadBack(file);
  if (!available_) GTEST_SKIP() << "python3-olefile is not installed";
  ASSERT_EQ(streams.size(), std::size(rows));
  unsigned seed = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    ASSERT_TRUE(streams.count(row.path));
    EXPECT_EQ(streams.at(row.path).first, static_cast<long>(row.size));
    EXPECT_EQ(streams.at(row.path).second, Hex(Pattern(row.size, ++seed)));
  }
}

TEST_F(CompoundFile, StreamsSeekOverwriteAndInsert) {
  os::CompoundDocument doc(dir_ + "/w.xls");
  os::CompoundStream& s = doc.CreateStream("Workbook");
  s.Write("0123456789", 10);
  EXPECT_EQ(s.Seek(2, os::SeekOrigin::Begin), 2);
  s.Write("AB", 2);
  EXPECT_EQ(s.Position(), 4);
  EXPECT_EQ(s.Seek(3, os::SeekOrigin::End), 13);
  s.Write("Z", 1);  // the gap reads as zeros
  EXPECT_EQ(s.Size(), 14);
  EXPECT_EQ(s.Seek(-14, os::SeekOrigin::Current), 0);
  std::string back(20, '?');
  back.resize(s.Read(back.data(), back.size()));
  EXPECT_EQ(back, std::string("01AB456789\0\0\0Z", 14));
  EXPECT_EQ(s.Read(back.data(), 1), 0u);  // at the end
  EXPECT_THROW(s.Seek(-1, os::SeekOrigin::Begin), EStreamError);
  s.SetSize(4);
  EXPECT_EQ(s.Size(), 4);
}

TEST_F(CompoundFile, BadNamesAreRefused) {
  os::CompoundDocument doc(dir_ + "/n.xls");
  doc.CreateStream("Book");
  for (const char* bad : {"", "a/b", "a\\b", "a:b", "a!b", "tab\there",
                          "12345678901234567890123456789012", "BOOK"})
    EXPECT_THROW(doc.CreateStream(bad), EStreamError) << bad;
  EXPECT_NO_THROW(doc.CreateStream("1234567890123456789012345678901"));  // 31: the longest
  EXPECT_THROW(doc.CreateStorage("book"), EStreamError);
}

TEST_F(CompoundFile, AnUncommittedSaveLeavesTheOldFile) {
  const std::string file = dir_ + "/keep.xls";
  { std::ofstream(file) << "what the user had"; }
  chmod(file.c_str(), 0640);
  ++extra_;
  {
    os::CompoundDocument doc(file);
    doc.CreateStream("Book").Write("new", 3);
    // Abandoned, as when writing the workbook raised half-way.
  }
  EXPECT_EQ(ReadFile(file), "what the user had");
  {
    os::CompoundDocument doc(file);
    doc.CreateStream("Book").Write("new", 3);
    doc.Commit();
  }
  const std::string written = ReadFile(file);
  ASSERT_GE(written.size(), 512u);
  EXPECT_EQ(written.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replaced file keeps its permissions
}

TEST_F(CompoundFile, AFolderThatCannotTakeTheFileFailsAtOnce) {
  EXPECT_THROW(os::CompoundDocument(dir_ + "/missing/folder/x.xls"), EFCreateError);
}

// A workbook is saved as every other file: what may not be replaced is refused when the
// document is begun (and again at the commit, should it have changed meanwhile), without
// blocking on a pipe, and is left as it was; a link is written through to its target.
TEST_F(CompoundFile, CommitsThroughTheChecksOfEverySave) {
  const std::string pipe = dir_ + "/pipe.xls", locked = dir_ + "/locked.xls", folder = dir_ + "/folder.xls";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  { std::ofstream(locked) << "read only"; }
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  extra_ += 3;
  alarm(10);  // a pipe opened for writing would block until a reader came
  for (const std::string& target : {pipe, locked, folder, std::string("/dev/null")}) {
    SCOPED_TRACE(target);
    EXPECT_THROW(os::CompoundDocument{target}, EFCreateError);
  }
  // Made a pipe after the document was begun: refused at the commit.
  const std::string late = dir_ + "/late.xls";
  {
    os::CompoundDocument doc(late);
    doc.CreateStream("Book").Write("new", 3);
    ASSERT_EQ(mkfifo(late.c_str(), 0644), 0);
    ++extra_;
    EXPECT_THROW(doc.Commit(), EFCreateError);
  }
  alarm(0);
  struct stat st {};
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(lstat(late.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(ReadFile(locked), "read only");
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));

  // A link: the file it names gets the workbook, the link stays a link.
  ASSERT_EQ(mkdir((dir_ + "/real").c_str(), 0755), 0);
  { std::ofstream(dir_ + "/real/book.xls") << "old"; }
  ASSERT_EQ(symlink("real/book.xls", (dir_ + "/book.xls").c_str()), 0);
  extra_ += 2;
  {
    os::CompoundDocument doc(dir_ + "/book.xls");
    doc.CreateStream("Book").Write("new", 3);
    doc.Commit();
  }
  ASSERT_EQ(lstat((dir_ + "/book.xls").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile(dir_ + "/real/book.xls").substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  const auto streams = ReadBack(dir_ + "/real/book.xls");
  if (!available_) return;
  ASSERT_EQ(streams.count("Book"), 1u);
  EXPECT_EQ(streams.at("Book").second, Hex("new"));
}

}  // namespace
