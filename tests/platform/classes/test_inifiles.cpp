#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/SafeFile.h"

namespace {
class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cq5-ini-XXXXXX";
    dir_ = AnsiString(mkdtemp(tmpl)) + "/";
  }
  AnsiString Path(const char* name) const { return dir_ + name; }
  AnsiString dir_;
};

// The registry and bare-named ini files live in the configuration folder: each case gets
// a folder of its own, so cases running side by side (and earlier runs) never meet.
class RegistryTest : public IniTest {
 protected:
  void SetUp() override {
    IniTest::SetUp();
    const char* old = std::getenv("XDG_CONFIG_HOME");
    had_old_ = old != nullptr;
    if (had_old_) old_ = old;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (had_old_) setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }
  bool had_old_ = false;
  std::string old_;
};

TEST_F(IniTest, MissingFileReadsDefaultsAndIsNotCreated) {
  {
    TIniFile ini(Path("none.ini"));
    EXPECT_EQ(ini.ReadString("Main", "Map path", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Main", "Load Sites", 16), 16);
    EXPECT_TRUE(ini.ReadBool("Main", "Lambda Display", true));
    EXPECT_FALSE(ini.SectionExists("Main"));
  }
  EXPECT_FALSE(FileExists(Path("none.ini")));
}

TEST_F(IniTest, RoundTripKeepsOrderAndWritesCrLf) {
  {
    TIniFile ini(Path("r.ini"));
    ini.WriteInteger("Main", "Load Sites", 16);
    ini.WriteBool("Main", "Lambda Display", true);
    ini.WriteFloat("LoggerStart", "Value", 95.5);
    ini.WriteString("Main", "Map path", "/home/u/maps/");
    ini.WriteBool("Comms", "Auto", false);
  }  // written by the destructor
  EXPECT_EQ(safefile::ReadFile(Path("r.ini")),
            "[Main]\r\nLoad Sites=16\r\nLambda Display=1\r\nMap path=/home/u/maps/\r\n"
            "[LoggerStart]\r\nValue=95.5\r\n[Comms]\r\nAuto=0\r\n");
  TIniFile ini(Path("r.ini"));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("loggerstart", "VALUE", 0), 95.5);
  EXPECT_EQ(ini.ReadInteger("MAIN", "load sites", 0), 16);
  EXPECT_EQ(ini.ReadString("Main", "Map path", ""), "/home/u/maps/");
  TStringList sections, keys;
  ini.ReadSections(&sections);
  ini.ReadSection("Main", &keys);
  EXPECT_EQ(sections.CommaText(), "Main,LoggerStart,Comms");
  EXPECT_EQ(keys.CommaText(), "\"Load Sites\",\"Lambda Display\",\"Map path\"");
}

TEST_F(IniTest, WindowsOddInputReadsTheSame) {
  safefile::WriteFile(Path("odd.ini"),
                      "; comment\n[ Main ]\r\n  Load Sites = 12 \r\nKey=a=b\nKey=second\n"
                      "Flag=7\nBad=12a\nHex=$1F\nNoEquals\n[Other]\rx=1\r[main]\nLate=1");
  TIniFile ini(Path("odd.ini"));
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } strings[] = {
      {"Main", "Load Sites", "12"},  // blanks around keys and values trimmed
      {"main", "KEY", "a=b"},        // "=" inside a value; first duplicate wins
      {"Other", "x", "1"},           // CR-only line ends, no final newline
      {"Main", "Late", "<none>"},    // a repeated section is not merged
      {"Main", "NoEquals", "<none>"},
  };
  for (const auto& c : strings) EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), c.value) << c.key;
  EXPECT_EQ(ini.ReadInteger("Main", "Bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Main", "Hex", -1), 31);
  EXPECT_TRUE(ini.ReadBool("Main", "Flag", false));
  EXPECT_FALSE(ini.ReadBool("Main", "Missing", false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Main", "Bad", 90.0), 90.0);
  EXPECT_TRUE(ini.ValueExists("MAIN", "load sites"));
  EXPECT_FALSE(ini.ValueExists("Main", "nothing"));
}

TEST_F(IniTest, EditingKeepsCommentsAndRemovesDuplicates) {
  safefile::WriteFile(Path("e.ini"), "; top\r\n[A]\r\nk=1\r\n; about k\r\nk=2\r\n\r\n[B]\r\nz=0\r\n");
  {
    TIniFile ini(Path("e.ini"));
    ini.WriteString("a", "K", "5");  // updates the first, keeps its spelling
    ini.WriteString("A", "new key", "x");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "5");
    ini.EraseSection("B");
    ini.UpdateFile();
  }
  EXPECT_EQ(safefile::ReadFile(Path("e.ini")), "; top\r\n[A]\r\nk=5\r\n; about k\r\nk=2\r\nnew key=x\r\n\r\n");
  TIniFile ini(Path("e.ini"));
  ini.DeleteKey("A", "k");
  EXPECT_FALSE(ini.ValueExists("A", "k"));  // the later duplicate does not come back
}

TEST_F(IniTest, UnsafeNamesAndValuesCannotBreakTheFile) {
  TIniFile ini(Path("u.ini"));
  ini.WriteString("S", "k", "line1\r\n[Evil]\r\nx=1");
  EXPECT_FALSE(ini.SectionExists("Evil"));
  EXPECT_THROW(ini.WriteString("S", "a=b", "1"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S]", "a", "1"), EIniFileException);
  ini.UpdateFile();
  TIniFile back(Path("u.ini"));
  EXPECT_EQ(back.ReadString("S", "k", ""), "line1  [Evil]  x=1");
  EXPECT_FALSE(back.SectionExists("Evil"));
}

TEST_F(IniTest, UnreadableFileIsNotOverwritten) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  safefile::WriteFile(Path("locked.ini"), "[Main]\r\nx=1\r\n");
  ASSERT_EQ(chmod(Path("locked.ini").c_str(), 0200), 0);
  {
    TIniFile ini(Path("locked.ini"));
    EXPECT_EQ(ini.ReadInteger("Main", "x", 0), 0);
    ini.WriteInteger("Main", "y", 2);
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
  }
  chmod(Path("locked.ini").c_str(), 0600);
  EXPECT_EQ(safefile::ReadFile(Path("locked.ini")), "[Main]\r\nx=1\r\n");
}

TEST_F(IniTest, OversizedFileIsRefusedAndKept) {
  const std::string big = "[Main]\r\nx=1\r\n" + std::string(kMaxIniFileSize, ';');
  safefile::WriteFile(Path("big.ini"), big);
  {
    TIniFile ini(Path("big.ini"));
    EXPECT_NE(ini.LoadError().find("larger than 1 MiB"), AnsiString::npos) << ini.LoadError();
    EXPECT_EQ(ini.ReadInteger("Main", "x", 7), 7);
    ini.WriteInteger("Main", "x", 2);
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
  }
  EXPECT_EQ(safefile::ReadFile(Path("big.ini")), big);
  EXPECT_EQ(TIniFile(Path("small.ini")).LoadError(), "");  // a missing file is no error
  // A file just within the limit is not saved past it: it could not be read back.
  const std::string full = "[Main]\r\nx=1\r\n" + std::string(kMaxIniFileSize - 20, ';') + "\r\n";
  safefile::WriteFile(Path("full.ini"), full);
  {
    TIniFile ini(Path("full.ini"));
    EXPECT_EQ(ini.ReadInteger("Main", "x", 7), 1);
    ini.WriteString("Main", "y", "twenty-one characters");
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    ini.WriteString("Main", "y", "1");
    ini.UpdateFile();  // 1 MiB exactly
  }
  EXPECT_EQ(safefile::ReadFile(Path("full.ini")).size(), kMaxIniFileSize);
}

TEST_F(IniTest, FailedSaveIsReportedOnce) {
  ASSERT_TRUE(ForceDirectories(Path("taken.ini")));
  ::testing::internal::CaptureStderr();
  {
    TIniFile ini(Path("taken.ini"));
    ini.WriteString("A", "b", "c");
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
  }  // the destructor does not try again
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(IniTest, FloatsAreWrittenWithTheShortestExactText) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {95.5, "95.5"},
      {-12.25, "-12.25"},
      {0.1, "0.1"},
      {1e-5, "1E-5"},
      {1.7976931348623157e308, "1.7976931348623157E308"},
      {-1.7976931348623157e308, "-1.7976931348623157E308"},
      {2.2250738585072014e-308, "2.2250738585072014E-308"},
      {4.9406564584124654e-324, "4.94065645841247E-324"},  // 15 digits are exact here
      {1.0 / 3, "0.3333333333333333"},
      {0.30000000000000004, "0.30000000000000004"},
  };
  TIniFile ini(Path("f.ini"));
  for (const Case& c : cases) {
    ini.WriteFloat("F", "v", c.value);
    EXPECT_EQ(ini.ReadString("F", "v", ""), c.text);
    EXPECT_EQ(ini.ReadFloat("F", "v", 0), c.value) << c.text;
  }
}

TEST_F(IniTest, FolderInPlaceOfTheFileIsReported) {
  ASSERT_TRUE(ForceDirectories(Path("dir.ini")));
  TIniFile ini(Path("dir.ini"));
  EXPECT_EQ(ini.ReadString("A", "b", "d"), "d");
  ini.WriteString("A", "b", "c");
  EXPECT_THROW(ini.UpdateFile(), EIniFileException);
}

TEST_F(RegistryTest, BareNameLivesInTheConfigFolder) {
  {
    TIniFile ini("R7TQ5-test.ini");
    EXPECT_EQ(ini.FileName(), ConfigFolder() + "R7TQ5-test.ini");
    ini.WriteInteger("Units", "Pressure", 2);
  }
  EXPECT_TRUE(FileExists(ConfigFolder() + "R7TQ5-test.ini"));
  EXPECT_EQ(TIniFile("R7TQ5-test.ini").ReadInteger("Units", "Pressure", 0), 2);
}

TEST_F(RegistryTest, KeysAreSectionsOfRegistryIni) {
  {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\Test\\Places", false));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Test\\Places", true));
    ASSERT_TRUE(reg.OpenKey("Place_0", true));  // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Test\\Places\\Place_0");
    reg.WriteString("Name", "Maps");
    reg.WriteInteger("SpecFolder", 5);
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("\\Software\\Test\\Places\\Place_1", true));
    reg.WriteString("Name", "Logs");
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Test\\Places"));
  TStringList names;
  reg.GetKeyNames(&names);
  EXPECT_EQ(names.CommaText(), "Place_0,Place_1");
  ASSERT_TRUE(reg.OpenKey("\\software\\test\\places\\place_0", false));
  EXPECT_EQ(reg.ReadString("Name"), "Maps");
  EXPECT_EQ(reg.ReadInteger("SpecFolder"), 5);
  EXPECT_TRUE(reg.ValueExists("name"));
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_THROW(reg.ReadInteger("Name"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_TRUE(reg.DeleteValue("Name"));
  EXPECT_FALSE(reg.ValueExists("Name"));
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey("\\Software\\Test"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\Test\\Places\\Place_1"));
  reg.CloseKey();
  EXPECT_TRUE(FileExists(ConfigFolder() + "registry.ini"));
}

TEST_F(RegistryTest, RegIniSectionsBelowTheBaseKey) {
  {
    TRegIniFile r("Software\\Test\\Edits");
    r.WriteInteger("Edit1", "LOOKUPCOUNT", 2);
    r.WriteString("Edit1", "LOOKUPVAL1", "abc");
  }
  TRegIniFile r("Software\\Test\\Edits");
  EXPECT_EQ(r.ReadInteger("Edit1", "LOOKUPCOUNT", 0), 2);
  EXPECT_EQ(r.ReadString("Edit1", "lookupval1", ""), "abc");
  EXPECT_TRUE(r.ReadBool("Edit1", "Missing", true));
  TRegistry reg;
  EXPECT_TRUE(reg.KeyExists("\\Software\\Test\\Edits\\Edit1"));
}
}  // namespace
