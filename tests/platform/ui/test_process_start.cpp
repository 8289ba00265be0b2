// What holds for the whole process from its start: a file-size limit ends no write with the
// process, and a file dialog given no folder starts in the user's home folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "platform/rtl/FileUtils.h"

extern char** environ;

namespace {

constexpr const char* kProbeVariable = "CQ5_FILE_SIZE_PROBE";

// The part run in a fresh process of this program (see below): the process has done
// nothing yet but start, under a file-size limit of 0 bytes. A write of one byte must fail
// with EFBIG, as the toolkit's own settings write does when a file dialog closes.
TEST(FileSizeLimit, ProbeInAFreshProcess) {
  const char* file = std::getenv(kProbeVariable);
  if (file == nullptr) GTEST_SKIP() << "run by AWriteOverTheLimitFailsInsteadOfEndingTheProgram";
  const int fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  errno = 0;
  EXPECT_EQ(::write(fd, "x", 1), -1);
  EXPECT_EQ(errno, EFBIG);
  ::close(fd);
}

TEST(FileSizeLimit, AWriteOverTheLimitFailsInsteadOfEndingTheProgram) {
  if (std::getenv(kProbeVariable) != nullptr) GTEST_SKIP() << "the probe itself";
  const std::string file =
      (std::filesystem::temp_directory_path() / ("file-size-probe-" + std::to_string(getpid()))).string();
  // This program again, with only the probe; its output goes to standard error (a pipe or a
  // terminal, which no file-size limit stops).
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "GTEST_OUTPUT=", 13) != 0) env.emplace_back(*e);
  env.push_back(std::string(kProbeVariable) + "=" + file);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=FileSizeLimit.ProbeInAFreshProcess";
  char self[] = "/proc/self/exe";
  char* argv[] = {self, filter.data(), nullptr};

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The signal as a process starts with it, whatever this test process did before.
    ::signal(SIGXFSZ, SIG_DFL);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    ::execve(self, argv, envp.data());
    ::_exit(127);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_FALSE(WIFSIGNALED(status)) << "ended by " << strsignal(WTERMSIG(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::filesystem::remove(file);
}

class DialogFolder : public UiTest {};

// Without a folder of its own a file dialog opens in the home folder, never in the folder
// the program happened to be started from; a folder given, or a file given with its whole
// path, is where it opens.
TEST_F(DialogFolder, AFileDialogWithoutAFolderStartsAtHome) {
  AnsiString home = HomeFolder();
  home.pop_back();
  struct {
    const char* initialDir;
    const char* fileName;
    AnsiString expected;
  } cases[] = {
      {"", "", home},
      {"", "*.map", home},
      {"/srv/maps", "*.map", "/srv/maps"},
      {"", "/srv/logs/run.lg1", "/srv/logs"},
  };
  for (const auto& c : cases) {
    script.CancelFile();
    ui::DialogRequest request;
    request.Kind = ui::DialogKind::OpenFile;
    request.InitialDir = c.initialDir;
    request.FileName = c.fileName;
    AnsiString seen = "(not shown)";
    request.OnShow = [&] { seen = ui::FileDialogSession::Folder(); };
    EXPECT_FALSE(ui::DialogService::ExecuteFileDialog(request));
    EXPECT_EQ(seen, c.expected) << "\"" << c.initialDir << "\" \"" << c.fileName << "\"";
  }
}

}  // namespace
