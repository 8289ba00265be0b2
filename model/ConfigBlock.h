#pragma once
// The ECU configuration as the PC keeps it: one 652-byte block, little-endian, stored
// whole in configuration files. 300 of its bytes travel to and from the ECU as the
// configuration image.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "model/LeField.h"
#include "platform/rtl/AnsiString.h"

struct TConfigBlock {
  uint8_t Reserved0;              // 0
  uint8_t Cylinders;              // 1
  uint8_t CrankTrigger;           // 2: bits 0-3 pattern, 4 edge, 5 sensor type
  uint8_t CamTrigger;             // 3: as CrankTrigger
  le::U16 OptionBits;             // 4: 0-2 ignition output mode, 3 uneven firing, 4 custom
                                  //    injection, 5 sequential, 6 double injectors, 7 check
                                  //    box, 13-15 output functions
  uint8_t OutputAssignment[4];    // 6: 32 output bits (ECU order reversed)
  le::U16 ReferenceAdvance;       // 10: half degrees
  le::U16 LockAtAdvance;          // 12: half degrees
  le::U16 Reserved14;             // 14
  le::U16 Reserved16[8];          // 16
  le::I16 CylinderOffset[4];      // 32: half degrees
  le::I16 CustomInjAngle[8];      // 40: half degrees
  le::U16 TPSMax;                 // 56: counts
  le::U16 TPSMin;                 // 58: counts
  le::U16 TPSRangeDiv10;          // 60: (max - min) div 10
  le::U16 MapSensitivity;         // 62
  le::I16 MapOffset;              // 64: counts
  le::U16 Reserved66[2];          // 66
  uint8_t MapSource;              // 70
  uint8_t MapDamp;                // 71
  le::U16 BaroSensitivity;        // 72
  le::I16 BaroOffset;             // 74: counts
  le::U16 Reserved76[2];          // 76
  uint8_t BaroSource;             // 80
  uint8_t BaroDamp;               // 81
  uint8_t AuxTempChannel;         // 82
  uint8_t SensorOptions;          // 83: bits 0-2 sensor types, 6 input 10 pull-up,
                                  //     7 inputs 3-5 pull-up
  le::U16 AirTempTable[14];       // 84: counts at -30..80 step 10, 100, 120 degC
  uint8_t PcOnly112[40];          // 112
  le::U16 CoolantTempTable[14];   // 152
  uint8_t PcOnly180[40];          // 180
  le::U16 AuxTempTable[14];       // 220
  uint8_t PcOnly248[40];          // 248
  // Per sensor (air, coolant, auxiliary): fail-high (counts - 768), fail-low (counts),
  // substitute temperature (degC + 40).
  uint8_t SensorFail[3][3];       // 288
  uint8_t TachoMultiplier;        // 297: 1/64 steps, 0 meaning 256
  le::U16 AFRInputCounts[6];      // 298
  uint8_t AFRInputRatio[6];       // 310: air-fuel ratio x 10
  uint8_t AFRInputSource;         // 316: 0..5
  uint8_t AFRDamp;                // 317
  le::U16 Reserved318[6];         // 318
  uint8_t Reserved330[6];         // 330
  uint8_t Reserved336[2];         // 336
  uint8_t MapSwSource;            // 338: 0..7
  uint8_t MapSwThreshold[2];      // 339
  uint8_t Reserved341[2];         // 341
  uint8_t BoostAdjChan;           // 343
  uint8_t BoostAdjLoV;            // 344
  uint8_t BoostAdjHiV;            // 345
  uint8_t BoostSetLo;             // 346
  uint8_t Reserved347;            // 347
  uint8_t IACVType;               // 348: bits 0-3 valve type, 4-5 stepper sync
  uint8_t PWMFrequency;           // 349: (Hz - 10) / 2
  uint8_t PWMMaxDuration;         // 350
  uint8_t PWMMinDuration;         // 351
  // Output channels of: air-con clutch, user output 1, auxiliary functions 2 and 1,
  // boost valve, cooling fan 2, shift light, VTEC, VVT plus, VVT minus, user outputs 2, 3.
  uint8_t OutputChannel[12];      // 352
  uint8_t ComboChoice[4];         // 364
  uint8_t Reserved368[3];         // 368
  uint8_t ComboBits;              // 371
  le::U16 WssWheelRoll1;          // 372
  uint8_t Wss1Options;            // 374: bit 0 enabled, signal type x2, drivetrain x4,
                                  //      speed source x16
  uint8_t WssTriggerPoints1;      // 375
  le::U16 WssWheelRoll2;          // 376
  uint8_t Wss2Enabled;            // 378
  uint8_t WssTriggerPoints2;      // 379
  le::U16 WssWheelRoll3;          // 380
  uint8_t Wss3Enabled;            // 382
  uint8_t WssTriggerPoints3;      // 383
  le::U16 WssWheelRoll4;          // 384
  uint8_t Wss4Enabled;            // 386
  uint8_t WssTriggerPoints4;      // 387
  uint8_t Reserved388[2];         // 388
  uint8_t PcOnly390[2];           // 390
  le::Value<uint32_t> GearRatio[8]; // 392: ratio x 10000, at most 255000
  uint8_t GearMatchError;         // 424
  uint8_t GearEnabled;            // 425
  uint8_t Reserved426[6];         // 426
  uint8_t ComboBox9Choice;        // 432
  uint8_t NumSpin1;               // 433
  le::U16 SpinEdit1;              // 434
  le::U16 SpinEdit2;              // 436
  uint8_t ReplyTail[194];         // 438: reply bytes 295..488, never uploaded
  le::U16 ImageWord234;           // 632: image bytes 234-235 as last read
  uint8_t PcOnly634[18];          // 634
};

static_assert(sizeof(TConfigBlock) == 652);
static_assert(alignof(TConfigBlock) == 1);
static_assert(offsetof(TConfigBlock, OptionBits) == 4);
static_assert(offsetof(TConfigBlock, CylinderOffset) == 32);
static_assert(offsetof(TConfigBlock, TPSMax) == 56);
static_assert(offsetof(TConfigBlock, MapSource) == 70);
static_assert(offsetof(TConfigBlock, AirTempTable) == 84);
static_assert(offsetof(TConfigBlock, CoolantTempTable) == 152);
static_assert(offsetof(TConfigBlock, AuxTempTable) == 220);
static_assert(offsetof(TConfigBlock, SensorFail) == 288);
static_assert(offsetof(TConfigBlock, AFRInputCounts) == 298);
static_assert(offsetof(TConfigBlock, AFRInputSource) == 316);
static_assert(offsetof(TConfigBlock, MapSwSource) == 338);
static_assert(offsetof(TConfigBlock, BoostSetLo) == 346);
static_assert(offsetof(TConfigBlock, OutputChannel) == 352);
static_assert(offsetof(TConfigBlock, ComboBits) == 371);
static_assert(offsetof(TConfigBlock, WssWheelRoll4) == 384);
static_assert(offsetof(TConfigBlock, GearRatio) == 392);
static_assert(offsetof(TConfigBlock, GearMatchError) == 424);
static_assert(offsetof(TConfigBlock, ComboBox9Choice) == 432);
static_assert(offsetof(TConfigBlock, SpinEdit2) == 436);
static_assert(offsetof(TConfigBlock, ReplyTail) == 438);
static_assert(offsetof(TConfigBlock, ImageWord234) == 632);
static_assert(offsetof(TConfigBlock, PcOnly634) == 634);

// The working copy the editors change, and the copy as last read from the ECU.
extern TConfigBlock ConfigBlock;
extern TConfigBlock ConfigReadCopy;
// True while the working copy holds changes the ECU has not seen (an edit, a loaded
// configuration file). A configuration reply then refreshes only ConfigReadCopy, so the
// automatic reads (editor activation, link restart, alignment steps) never wipe out
// unsent work. An upload clears it once its read-back shows the ECU holding the block; the
// explicit read that warns about unsaved changes, abandoning the changes, and a reply
// equal to the block clear it too.
extern bool ConfigBlockUnsent;

namespace config {

constexpr size_t kConfigBlockSize = sizeof(TConfigBlock);
// Index into the shift-light entry of TConfigBlock::OutputChannel.
constexpr size_t kShiftLightChannel = 6;

// Writes the default of every field that has one; the others keep their bytes.
void ApplyConfigDefaults(TConfigBlock& block);

// Stores a throttle maximum or minimum together with the range byte kept in step.
void SetThrottleMaximum(TConfigBlock& block, uint16_t counts);
void SetThrottleMinimum(TConfigBlock& block, uint16_t counts);

// The ECU's configuration image: ECU memory 0x0100 to 0x022B. Words travel high byte
// first, the output-assignment bytes in reverse order, gear ratios as two bytes.
constexpr size_t kConfigImageSize = 300;
using ConfigImage = std::array<uint8_t, kConfigImageSize>;

ConfigImage EncodeConfigImage(const TConfigBlock& block);

// The two memory writes that upload the image: bytes 0-139 to 0x0100 and 140-299 to
// 0x018C.
std::array<AnsiString, 2> ConfigUploadFrames(const TConfigBlock& block);

// A complete configuration reply (reply byte k is image byte k, possibly followed by
// bytes the block only stores) goes into the read copy. Bytes the reply does not carry
// (the PC-only bytes, and fields a short reply does not reach) take the working block's
// values, so the user's own settings survive a read and do not count as differences.
// The read copy then becomes the working block, with the map switch input and the
// lambda input source brought back into range.
void DecodeConfigReply(std::string_view reply, TConfigBlock& readCopy, TConfigBlock& block);
// The working block a read copy gives: the copy with the map switch input and the lambda
// input source brought back into range.
TConfigBlock BlockFromReadCopy(const TConfigBlock& readCopy);

// A gear ratio x 10000 as the integer byte and the fraction in 1/256, and back.
// Ratios beyond what the two bytes hold are sent as 255 and 255.
std::pair<uint8_t, uint8_t> EncodeGearRatio(uint32_t ratio);
uint32_t DecodeGearRatio(uint8_t integerPart, uint8_t fraction);

}  // namespace config
