// Linked into every test program: gives the process a scratch folder of its own.
//
// CTest runs each case in a process of its own and, beside them, the whole program once more;
// cases of one program run side by side and share the configuration folder CTest names. Files
// named after a case (in the temporary folder) or fixed files of the configuration folder
// (the registry store, the settings file) would then be written by two processes at once.
// Before any test runs, TMPDIR and XDG_CONFIG_HOME point into a fresh folder of this process,
// which is removed when the process ends.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

struct ProcessScratch {
  std::string root;

  ProcessScratch() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/cq5-test-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) return;  // keep the folders CTest gave
    root = tmpl;
    std::error_code ec;
    std::filesystem::create_directories(root + "/tmp", ec);
    std::filesystem::create_directories(root + "/config", ec);
    setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  }

  ~ProcessScratch() {
    if (root.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

// Made before any other static object of the program, so none sees the shared folders.
__attribute__((init_priority(101))) ProcessScratch scratch;

}  // namespace
