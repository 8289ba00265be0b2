#pragma once
// The image of one ECU map bank: the 6,144 bytes a map transfer moves, converted to and
// from a PC map record field by field.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/MapRecord.h"
#include "platform/rtl/AnsiString.h"

namespace ecu {

constexpr size_t kMapImageSize = 6144;
using MapImage = std::array<uint8_t, kMapImageSize>;

// Image offsets of the cells the live link writes one at a time.
constexpr size_t kImageIgnition = 288;    // 16 x 32 bytes, load site outer
constexpr size_t kImageInjection = 800;   // 16 x 32
constexpr size_t kImageInjTiming = 2336;  // 5 x 32
constexpr size_t kImageUserPWM = 2496;    // 5 x 32
constexpr size_t kImageBoostPWM = 2656;   // 5 x 32
constexpr size_t kImageVVT = 2976;        // 5 x 32, relative to the VVT offset
constexpr size_t kImageIdlePot = 3648;    // word, high byte first
constexpr size_t kImageCutOffPot = 3654;  // word, high byte first

// Address of image byte `imageOffset` of bank `bank` (1..3) in the ECU's memory-write
// space. A bank outside 1..3 or an offset past the image raises ERangeError.
uint16_t MapBankAddress(int bank, size_t imageOffset);

// The map name as the image carries it: the text after the last "\" or ":", without the
// padding spaces. The transfer sends these characters in one write.
AnsiString MapImageName(const TMapRecord& map);

// The image of `map`. The record is only read.
MapImage EncodeMapImage(const TMapRecord& map);

// Stores an image received from the ECU into `map` and marks it as read from the ECU.
// Values outside a field's range are limited to it; fields the image does not carry keep
// their values (of each load axis, the form its option bit does not choose). An image of
// the wrong size raises EConvertError before anything is stored.
void DecodeMapImage(std::string_view image, TMapRecord& map);
void DecodeMapImage(const MapImage& image, TMapRecord& map);

}  // namespace ecu
