// Reading the ECU's configuration through the program's own serial stack.
#include <algorithm>

#include "e2e/EcuLink.h"
#include "model/Frames.h"

namespace e2e {
namespace {

using ecusim::Ecu;

class ConfigRead : public EcuLink {
 protected:
  ConfigRead() : EcuLink(232) {}

  std::vector<std::uint8_t> ReadCopyImage() {
    const config::ConfigImage image = config::EncodeConfigImage(ConfigReadCopy);
    return {image.begin(), image.end()};
  }
};

// Writes a word high byte first into the ECU's configuration image.
void PutWord(Ecu& e, std::size_t at, std::uint16_t v) {
  e.Config()[at] = static_cast<std::uint8_t>(v >> 8);
  e.Config()[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
}

TEST_F(ConfigRead, TheReadCopyEqualsTheEcuConfiguration) {
  // Changed before the link comes up, so the first read already carries them; C0 and DB
  // bytes cross the stuffing.
  sim.With([](Ecu& e) {
    e.Config()[1] = 6;           // cylinders
    PutWord(e, 10, 0x00C0);      // reference advance
    PutWord(e, 12, 0x00DB);      // lock-at advance
    PutWord(e, 56, 0x03C0);      // throttle maximum
  });
  // The first fast packet of the link asks for the configuration.
  ASSERT_TRUE(PumpUntil([&] { return host.configs >= 1; }));
  EXPECT_EQ(ConfigReadCopy.Cylinders, 6);
  EXPECT_EQ(ConfigReadCopy.ReferenceAdvance, 0x00C0);
  EXPECT_EQ(ConfigReadCopy.LockAtAdvance, 0x00DB);
  EXPECT_EQ(ConfigReadCopy.TPSMax, 0x03C0);
  EXPECT_EQ(ReadCopyImage(), sim.ConfigImage());

  // A change in the ECU, read on request with "$c".
  sim.With([](Ecu& e) {
    e.Config()[1] = 8;
    PutWord(e, 12, 60);
  });
  const int before = host.configs;
  comms->SendString(ecu::ConfigRequestFrame());
  ASSERT_TRUE(PumpUntil([&] { return host.configs > before; }));
  EXPECT_EQ(ConfigReadCopy.Cylinders, 8);
  EXPECT_EQ(ConfigReadCopy.LockAtAdvance, 60);
  EXPECT_EQ(ReadCopyImage(), sim.ConfigImage());
  EXPECT_TRUE(handler.ConfigReplyBuffer().empty());
}

}  // namespace
}  // namespace e2e
