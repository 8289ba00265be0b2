// A trace of a real exchange with the simulated ECU: the status request and its packet,
// written by the port's trace and compared line by line with the bytes that went each way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ecusim/PtyEcu.h"
#include "platform/classes/SafeFile.h"
#include "serial/AdPort.h"
#include "serial/AwGui.h"
#include "EcuLink.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t eol; (eol = text.find("\r\n", start)) != std::string::npos; start = eol + 2)
    out.push_back(text.substr(start, eol - start));
  return out;
}

// The trace's lines for one direction: printable bytes as themselves, others as two hex
// digits in brackets, a new line before an item that would reach column 79.
std::vector<std::string> Expected(const std::string& head, const std::string& bytes) {
  std::vector<std::string> lines{head};
  for (unsigned char b : bytes) {
    char item[8];
    if (b >= 32 && b <= 126) snprintf(item, sizeof item, "%c", b);
    else snprintf(item, sizeof item, "[%02X]", b);
    if (lines.back().size() + strlen(item) >= 79) lines.emplace_back();
    lines.back() += item;
  }
  return lines;
}

TEST(TraceExchange, StatusRequestAndPacket) {
  const int com = 239;
  ecusim::PtyEcu sim;
  sim.Start();
  sim.SetStreaming(false);
  sim.ExportAsComPort(com);
  const auto dir = std::filesystem::temp_directory_path() / ("cq5trx" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  {
    TComponent owner(nullptr);
    auto* port = new TApdComPort(&owner);
    port->SetPromptForPort(false);
    port->SetComNumber(static_cast<uint16_t>(com));
    port->SetTraceName((dir / "ecu.trc").string());
    port->SetTracing(tlOn);
    port->SetOpen(true);
    ASSERT_EQ(port->PortState(), 2);
    // Anything the ECU had in flight before streaming stopped is left out of the exchange.
    e2e::PumpUntil([] { return false; }, 300);
    if (int n = port->InBuffUsed(); n > 0) {
      std::string skip(static_cast<size_t>(n), '\0');
      port->GetBlock(skip.data(), n);
    }
    port->SetTracing(tlClear);

    port->SendString("$s");
    std::string reply;
    ASSERT_TRUE(e2e::PumpUntil([&] {
      if (int n = port->InBuffUsed(); n > 0) {
        std::string part(static_cast<size_t>(n), '\0');
        port->GetBlock(part.data(), n);
        reply += part;
      }
      return reply.size() > 4 && reply.back() == '\xC0';
    }));
    EXPECT_EQ(reply.substr(0, 2), "\xDB\xC0") << "a packet starts with its start string";
    port->SetTracing(tlDump);

    std::vector<std::string> expected{""};
    for (auto& l : Expected("Transmit: ", "$s")) expected.push_back(l);
    for (auto& l : Expected("Receive: ", reply)) expected.push_back(l);
    EXPECT_EQ(Lines(safefile::ReadFile((dir / "ecu.trc").string())), expected);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
