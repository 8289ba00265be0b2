// Exporting a full log of 72,000 records to a workbook, against writing the same values as
// CSV text. A row of a sheet holds 16 bits, so the log goes out at 50 % (36,000 rows): the
// export still reads every record of the range, the CSV gets the same 36,000 rows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "logger/AbTrend.h"
#include "logger/LoggerExport.h"
#include "logger/XLSWrite.h"
#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/ui/Application.h"

namespace {

constexpr int kRecords = 72000, kSamples = 50;

struct Log {
  Log() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    trend = new TAbTrend(nullptr);
    trend->SetStartRecording(false);
    trend->SetMaxRecords(kRecords);
    for (int n = 1; n <= 8; ++n) {
      trend->Channel(n)->SetValueTo(1000);
      trend->Channel(n)->SetDigitalTo(1000);
    }
    auto& records = trend->MutableRecords();
    records.resize(kRecords);
    for (size_t i = 0; i < records.size(); ++i) {
      records[i].Time = 45000 + i / 864000.0;
      for (size_t k = 0; k < 8; ++k) records[i].Values[k] = static_cast<uint16_t>((i * (k + 3)) % 1000);
    }
  }
  TAbTrend* trend;
  std::string file = "/tmp/bench-log-export-" + std::to_string(getpid());
};

Log& TheLog() {
  static Log log;
  return log;
}

void BM_ExportWorkbook(benchmark::State& state) {
  Log& log = TheLog();
  TXLSWrite w;
  SetUpLogWriter(w);
  w.SetFileName(log.file + ".xls");
  for (auto _ : state) {
    w.Open();
    WriteLogSheet(w, *log.trend, 0, kRecords, kSamples, 45000);
    w.Close();
  }
  std::remove((log.file + ".xls").c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ExportWorkbook)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
  Log& log = TheLog();
  for (auto _ : state) {
    std::string csv;
    csv.reserve(4 << 20);
    std::array<float, 8> values{};
    TDateTime t = 0, first = log.trend->Records().front().Time;
    for (int i = 0; i < kRecords; i += 100 / kSamples) {
      log.trend->GetRecord(i, t, values);
      csv += FormatDateTime("hh:nn:ss.zzz", t) + "," + FormatDateTime("hh:nn:ss.zzz", t - first);
      for (int n = 0; n < 8; ++n) csv += "," + FloatToStr(ChannelFunctionFrom[0] + values[static_cast<size_t>(n)]);
      csv += "\n";
    }
    safefile::WriteFile(log.file + ".csv", csv);
  }
  std::remove((log.file + ".csv").c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

}  // namespace
