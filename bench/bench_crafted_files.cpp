// Memory a crafted file costs its reader: a map file and a configuration file of under
// 200 bytes that unpack to 60 MB, and a program file offered as an icon library whose icon
// groups name one 1 MiB image 20,000 times. Each read runs in a child process of its own;
// the counter "growth_KiB" is how far the child's peak resident size rose above what it
// held when it started, so one case's peak does not hide the next one's.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "controls/ApPlacesBar.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "platform/classes/SafeFile.h"
#include "tests/controls/ProgramIconFiles.h"
#include "tests/files/CraftedFiles.h"

namespace {

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Runs Read in a child process; the rise of its peak resident size, in KiB.
long PeakGrowth(const std::function<void()>& Read) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    const long before = PeakKiB();
    try {
      Read();
    } catch (...) {
    }
    const long growth = PeakKiB() - before;
    (void)!write(fds[1], &growth, sizeof growth);
    _exit(0);
  }
  close(fds[1]);
  long growth = -1;
  (void)!read(fds[0], &growth, sizeof growth);
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return growth;
}

std::string Scratch(const char* name, const std::string& bytes) {
  const std::string path = (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + name)).string();
  safefile::WriteFile(path, bytes);
  return path;
}

void Measure(benchmark::State& state, const std::string& file, const std::function<void(const std::string&)>& read) {
  long growth = 0;
  for (auto _ : state) growth = PeakGrowth([&] { read(file); });
  state.counters["file_bytes"] = static_cast<double>(safefile::ReadFile(file).size());
  state.counters["growth_KiB"] = static_cast<double>(growth);
  std::filesystem::remove(file);
}

// What a child costs when it reads nothing, and when its read fails at once (the first
// exception pages in the unwinder's tables): the floor of the figures below.
void BM_NothingRead(benchmark::State& state) {
  Measure(state, Scratch("nothing", "x"), [](const std::string&) {});
}
BENCHMARK(BM_NothingRead)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MissingFileRead(benchmark::State& state) {
  Measure(state, Scratch("missing", "x"), [](const std::string& f) {
    THKStreams c(nullptr);
    c.LoadFromFile(f + ".none");
  });
}
BENCHMARK(BM_MissingFileRead)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CraftedMapOpen(benchmark::State& state) {
  Measure(state, Scratch("crafted.map", crafted::EmptyItemsMapFile()), [](const std::string& f) {
    TMapFileOpenOptions all;
    all.Maps[0] = all.Maps[1] = all.Maps[2] = true;
    OpenMapFile(f, all);
  });
}
BENCHMARK(BM_CraftedMapOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CraftedMapPreview(benchmark::State& state) {
  Measure(state, Scratch("preview.map", crafted::EmptyItemsMapFile()), [](const std::string& f) { PreviewMapFile(f); });
}
BENCHMARK(BM_CraftedMapPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CraftedConfigLoad(benchmark::State& state) {
  Measure(state, Scratch("crafted.q05", crafted::HugeConfigFile()), [](const std::string& f) {
    THKStreams c(nullptr);
    config::LoadConfigFile(f, c);
  });
}
BENCHMARK(BM_CraftedConfigLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// For comparison: the same file read with the container's generic 64 MiB body bound is
// decompressed whole before its 60 MB stream is refused by no rule at all.
void BM_CraftedConfigAtGenericBound(benchmark::State& state) {
  Measure(state, Scratch("generic.q05", crafted::HugeConfigFile()), [](const std::string& f) {
    THKStreams c(nullptr);
    c.LoadFromFile(f, kMaxContainerFileSize);
  });
}
BENCHMARK(BM_CraftedConfigAtGenericBound)->Unit(benchmark::kMillisecond)->Iterations(3);

// One 1 MiB image named 20,000 times by one group, and a 100 KB image named 256 times by
// each of 32 groups.
void BM_CraftedIconLibrary(benchmark::State& state) {
  std::vector<std::vector<uint16_t>> groups = {std::vector<uint16_t>(20000, 1)};
  for (int g = 0; g < 32; ++g) groups.push_back(std::vector<uint16_t>(256, 2));
  const std::string program =
      iconfiles::ProgramWithIcons({std::string(size_t{1} << 20, '\x01'), std::string(100'000, '\x02')}, groups);
  Measure(state, Scratch("crafted.dll", program), [](const std::string& f) {
    TApIconLibrary lib;
    lib.Load(f);
  });
}
BENCHMARK(BM_CraftedIconLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
