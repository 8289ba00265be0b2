// The trace and the dispatch log: ring limits, the text of their files, and the port's
// Tracing/Logging states on a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/classes/SafeFile.h"
#include "platform/os/Clock.h"
#include "platform/rtl/FileUtils.h"
#include "serial/AdPort.h"
#include "serial/AwTrace.h"
#include "serial/Pty.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2)
    out.push_back(text.substr(start, eol - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

TEST(Trace, KeepsTheNewestEntriesInOrder) {
  apd::TTraceRecorder t;
  t.Start(4);
  const uint8_t sent[] = {'a', 'b', 'c'}, got[] = {'x', 'y', 'z'};
  t.Add('T', sent, 3);
  t.Add('R', got, 3);
  EXPECT_EQ(t.Text(false, false), "\r\nTransmit: c\r\nReceive: xyz\r\n");
  t.Pause();
  t.Add('T', sent, 1);
  EXPECT_EQ(t.Entries().size(), 4u);
  t.Clear();
  EXPECT_TRUE(t.Entries().empty());
  EXPECT_FALSE(t.Recording()) << "clearing does not resume a paused trace";
}

TEST(Trace, ByteTexts) {
  struct Row {
    uint8_t b;
    bool hex, allHex;
    const char* text;
  } rows[] = {
      {13, false, false, "[13]"}, {13, true, false, "[0D]"}, {'A', false, true, "[41]"},
      {'A', true, false, "A"},    {127, false, false, "[127]"}, {255, true, false, "[FF]"},
  };
  for (const Row& r : rows) EXPECT_EQ(apd::TraceByteText(r.b, r.hex, r.allHex), r.text) << int(r.b);
}

TEST(Trace, LinesBreakBeforeColumn79) {
  apd::TTraceRecorder t;
  t.Start(1000);
  std::vector<uint8_t> bytes(100, 0x80);
  t.Add('R', bytes.data(), static_cast<int>(bytes.size()));
  const auto lines = Lines(t.Text(true, false));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1].substr(0, 9), "Receive: ");
  size_t items = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_LT(lines[i].size(), 79u) << lines[i];
    items += (lines[i].size() - (i == 1 ? 9 : 0)) / 4;
  }
  EXPECT_EQ(items, 100u);
}

TEST(DispatchLog, OldestEntriesMakeRoom) {
  apd::TDispatchLog log;
  log.Start(100);
  const std::string d34(34, 'a'), d4(4, 'b'), d20(20, 'c');
  log.AddText(apd::dtDispatch, apd::dstReadCom, 1, d34);
  log.AddText(apd::dtDispatch, apd::dstReadCom, 2, d4);
  ASSERT_EQ(log.FreeBytes(), 30u);
  // Its header fits into the 30 free bytes; its 20 data bytes then need the oldest entry gone.
  log.AddText(apd::dtDispatch, apd::dstWriteCom, 3, d20);
  auto e = log.Entries();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].Data, 2u);
  EXPECT_EQ(e[1].Data, 3u);
  EXPECT_EQ(e[1].Bytes.size(), 20u);
  EXPECT_EQ(log.Used(), 20u + 36u);

  // Bytes as large as the ring are left out; a ring no larger than a header keeps nothing.
  log.AddText(apd::dtDispatch, apd::dstWriteCom, 4, std::string(100, 'd'));
  e = log.Entries();
  EXPECT_EQ(e.back().Data, 4u);
  EXPECT_TRUE(e.back().Bytes.empty());
  apd::TDispatchLog tiny;
  tiny.Start(16);
  tiny.Add(apd::dtDispatch, apd::dstReadCom, 1);
  EXPECT_TRUE(tiny.Entries().empty());
}

TEST(DispatchLog, EventLines) {
  os::ManualClock clock(1000);
  os::ScopedClock scoped(clock);
  apd::TDispatchLog log;
  log.Start(1000);
  clock.Advance(1234);
  log.AddText(apd::dtDispatch, apd::dstWriteCom, 3, "$s\r");
  clock.Advance(10000000);
  log.Add(apd::dtTrigger, apd::dstStatusTrigger, 0x0A);
  log.AddText(apd::dtTriggerDataChange, apd::dstTimer, 0x10, "Deactivated");
  const uint8_t modem = 0x11;
  log.Add(apd::dtDispatch, apd::dstModemStatus, 0, &modem, 1);
  log.AddText(apd::dtPacket, apd::dstCollecting, 0, "");
  const auto lines = Lines(log.Text("COM7", true, false));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "KOMA v3.05");
  EXPECT_EQ(lines[3], "Device: COM7");
  EXPECT_EQ(lines[5], "Time      Type      SubType       Data      OtherData");
  EXPECT_EQ(lines[6], "--------  --------  ------------  --------  ---------");
  EXPECT_EQ(lines[7], "0001.234  Dispatch  WriteCom      00000003  $s[0D]");
  EXPECT_EQ(lines[8], "10001.234  Trigger   Status        0000000a  (Line status)")
      << "past 9999 s the seconds keep all their digits";
  EXPECT_EQ(lines[9], "10001.234  TrDatChg  Timer         00000010  Deactivated");
  EXPECT_EQ(lines[10], "10001.234  Dispatch  Modem status  00000000  DCTS CTS ");
  EXPECT_EQ(lines[11], "10001.234  Packet    Collecting    00000000  ");
}

TEST(DispatchLog, LongDataContinuesIndented) {
  apd::TDispatchLog log;
  log.Start(1000);
  log.AddText(apd::dtDispatch, apd::dstReadCom, 60, std::string(60, '\x01'));
  const auto lines = Lines(log.Text("COM1", true, false));
  ASSERT_GE(lines.size(), 10u);
  for (size_t i = 8; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(0, 45), std::string(45, ' '));
    EXPECT_LT(lines[i].size(), 79u);
  }
}

class PortTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    dir = std::filesystem::temp_directory_path() / ("cq5trace" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    port = new TApdComPort(&owner);
    port->SetPromptForPort(false);
    port->SetComNumber(static_cast<uint16_t>(pty.ComNumber()));
    port->SetTraceName((dir / "line.trc").string());
    port->SetLogName((dir / "line.log").string());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Trc() { return safefile::ReadFile((dir / "line.trc").string()); }

  Pty pty{217};
  std::filesystem::path dir;
  TComponent owner{nullptr};
  TApdComPort* port = nullptr;
};

TEST_F(PortTrace, ClosedPortKeepsOnlyOffOrOn) {
  port->SetTracing(tlDump);
  EXPECT_EQ(port->Tracing(), tlOff);
  port->SetTracing(tlOn);
  EXPECT_EQ(port->Tracing(), tlOn);
  port->SetLogging(tlPause);
  EXPECT_EQ(port->Logging(), tlOff);
  EXPECT_THROW(port->SetTraceSize(4000001), EBadArgument);
  port->SetTraceSize(4000000);
  EXPECT_EQ(port->TraceSize(), 4000000u);
  port->SetLogSize(20000000);
  EXPECT_EQ(port->LogSize(), 16000000u);
}

TEST_F(PortTrace, DumpAppendAndCloseWriteTheFiles) {
  port->SetTracing(tlOn);
  port->SetLogging(tlOn);
  port->SetOpen(true);
  ASSERT_EQ(port->PortState(), 2);
  safefile::WriteFile((dir / "line.trc").string(), "old");
  port->SendString("AB");
  EXPECT_EQ(pty.Read(2), "AB");
  ASSERT_TRUE(PumpUntilTrue([&] { return port->Dispatcher()->Trace().Entries().size() == 2; }));
  port->SetTracing(tlDump);
  EXPECT_EQ(port->Tracing(), tlOff);
  EXPECT_EQ(Trc(), "\r\nTransmit: AB\r\n") << "the old file is replaced whole";

  port->SetTracing(tlOn);
  pty.Write("\r");
  ASSERT_TRUE(PumpUntilTrue([&] { return port->InBuffUsed() == 1; }));
  port->SetTracing(tlAppend);
  EXPECT_EQ(Trc(), "\r\nTransmit: AB\r\n\r\nReceive: [0D]\r\n");
  port->SetTracing(tlDump);
  EXPECT_EQ(Trc(), "\r\nTransmit: AB\r\n\r\nReceive: [0D]\r\n") << "nothing to dump when not tracing";

  port->SetTracing(tlOn);
  port->SetTracing(tlPause);
  EXPECT_EQ(port->Tracing(), tlPause);
  port->SetOpen(false);
  EXPECT_EQ(Trc(), "\r\n") << "closing writes the paused trace";
  const std::string log = safefile::ReadFile((dir / "line.log").string());
  EXPECT_NE(log.find("Dispatch  WriteCom      00000002  AB"), std::string::npos) << log;
  EXPECT_NE(log.find("Dispatch  ReadCom       00000001  [0D]"), std::string::npos) << log;
  EXPECT_NE(log.find("Thread    Start"), std::string::npos) << log;
  EXPECT_EQ(port->Logging(), tlOff);
}

TEST_F(PortTrace, FailedDumpKeepsTheTrace) {
  port->SetTraceName((dir / "missing" / "line.trc").string());
  port->SetTracing(tlOn);
  port->SetOpen(true);
  port->SendString("Q");
  ASSERT_TRUE(PumpUntilTrue([&] { return port->Dispatcher()->Trace().Entries().size() == 1; }));
  EXPECT_THROW(port->SetTracing(tlDump), EFCreateError);
  EXPECT_EQ(port->Dispatcher()->Trace().Entries().size(), 1u) << "the history is still there";
  port->SetTraceName((dir / "line.trc").string());
  port->SetTracing(tlDump);
  EXPECT_EQ(Trc(), "\r\nTransmit: Q\r\n");
}

TEST(TraceFiles, BareNamesGoToTheStartFolder) {
  const AnsiString p = apd::TraceLogPath("KOMA.TRC");
  EXPECT_EQ(p.substr(p.size() - 9), "/KOMA.TRC");
  EXPECT_EQ(p[0], '/');
  EXPECT_EQ(apd::TraceLogPath("/tmp/x.trc"), "/tmp/x.trc");
}

}  // namespace
