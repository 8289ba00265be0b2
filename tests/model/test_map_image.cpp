#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "model/MapImage.h"
#include "platform/rtl/SysUtils.h"

using namespace ecu;

namespace {

std::unique_ptr<TMapRecord> EmptyMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

std::unique_ptr<TMapRecord> DefaultMap() {
  auto m = EmptyMap();
  SetMapSpeedSiteAndLimitDefaults(*m, 500);
  SetMapAdditionalDefaults(*m);
  SetMapBaroDefaults(*m);
  SetMapBoostLoadDefaults(*m);
  SetMapMainDefaults(*m);
  SetMapBattCompDefaults(*m);
  return m;
}

int ImageWord(const MapImage& img, size_t at) { return img[at] << 8 | img[at + 1]; }

}  // namespace

TEST(MapImage, BankAddresses) {
  EXPECT_EQ(MapBankAddress(1, kImageIgnition), 1312);
  EXPECT_EQ(MapBankAddress(1, kImageVVT), 4000);
  EXPECT_EQ(MapBankAddress(2, kImageIgnition + 5 * 32 + 3), 0x1DC3);
  EXPECT_EQ(MapBankAddress(3, kImageIdlePot), 4672 + 2 * 6144);
  EXPECT_THROW(MapBankAddress(0, 0), ERangeError);
  EXPECT_THROW(MapBankAddress(1, kMapImageSize), ERangeError);
}

TEST(MapImage, NameLosesItsPathAndKeepsItsPadding) {
  auto m = EmptyMap();
  m->MapName.Set("C:\\maps\\race");
  EXPECT_EQ(MapImageName(*m), "race");
  const MapImage img = EncodeMapImage(*m);
  EXPECT_EQ(AnsiString(img.begin(), img.begin() + 32), "race" + AnsiString(28, ' '));

  auto back = EmptyMap();
  DecodeMapImage(img, *back);
  EXPECT_EQ(back->MapName.Get(), "race" + AnsiString(28, ' '));
  EXPECT_EQ(back->Source, 2);
}

TEST(MapImage, DetailTexts) {
  auto m = EmptyMap();
  m->Date.Set("01/02/2003");
  m->Owner.Set("Ann");
  m->Exhaust.Set("big");
  m->Comments.Set("notes");
  const MapImage img = EncodeMapImage(*m);
  const AnsiString block(img.begin() + 32, img.begin() + 288);
  const AnsiString used = AnsiString("01/02/2003\0Ann\0\0\0\0\0\0big\0notes", 29);
  EXPECT_EQ(block.substr(0, used.size()), used);
  EXPECT_EQ(block.substr(used.size()), AnsiString(256 - used.size(), '\xFF'));

  auto back = EmptyMap();
  back->Engine.Set("old");
  DecodeMapImage(img, *back);
  EXPECT_EQ(back->Date.Get(), "01/02/2003");
  EXPECT_EQ(back->Owner.Get(), "Ann");
  EXPECT_EQ(back->Engine.Get(), "");
  EXPECT_EQ(back->Exhaust.Get(), "big");
  EXPECT_EQ(back->Comments.Get(), "notes");
}

TEST(MapImage, FullTextsCutTheCommentsToFitTheBlock) {
  auto m = EmptyMap();
  m->Owner.Set(AnsiString(32, 'o'));
  m->Engine.Set(AnsiString(32, 'e'));
  m->Comments.Set(AnsiString(255, 'c'));
  m->InjTimingTable[1][1] = 400;  // the first field after the block must stay in place
  const MapImage img = EncodeMapImage(*m);
  EXPECT_EQ(img[2336], 100);
  auto back = EmptyMap();
  DecodeMapImage(img, *back);
  EXPECT_EQ(back->Comments.Get(), AnsiString(256 - 8 - 64, 'c'));
}

TEST(MapImage, TableCellConversions) {
  auto m = EmptyMap();
  m->IgnitionTable[1][1] = -10;                  // s 0, l 0
  m->InjectionTable[4][3] = 77;                  // s 3, l 2: image index 2 x 32 + 3
  m->AFRCorrectionTable[1][1] = -16384;
  m->AFRModeTable[1][1] = 3;
  m->AFRCorrectionTable[2][1] = 100;             // s 1
  m->AFRModeTable[2][1] = 6;                     // only the low two bits travel
  m->InjTimingTable[1][1] = 1000;
  m->VVTOffset = -5;
  m->VVTTable[1][1] = 20;
  m->AFRTargetTable[32][16] = 147;               // last cell
  m->CrankingTable[3][4] = 9;                    // k 2, l 4: index 4 x 14 + 2
  const MapImage img = EncodeMapImage(*m);
  EXPECT_EQ(img[288], 100);
  EXPECT_EQ(img[800 + 67], 77);
  EXPECT_EQ(ImageWord(img, 1312), 0x0003);
  EXPECT_EQ(ImageWord(img, 1314), ((100 + 16384) & 0xFFFC) + 2);
  EXPECT_EQ(img[2336], 250);
  EXPECT_EQ(img[2976], 25);
  EXPECT_EQ(ImageWord(img, 4062), 0xFFFB);
  EXPECT_EQ(img[4216 + 511], 147);
  EXPECT_EQ(img[4072 + 58], 9);

  auto back = EmptyMap();
  DecodeMapImage(img, *back);
  EXPECT_EQ(back->IgnitionTable[1][1], -10);
  EXPECT_EQ(back->InjectionTable[4][3], 77);
  EXPECT_EQ(back->AFRCorrectionTable[1][1], -16384);
  EXPECT_EQ(back->AFRModeTable[1][1], 3);
  EXPECT_EQ(back->AFRCorrectionTable[2][1], 100);
  EXPECT_EQ(back->AFRModeTable[2][1], 2);
  EXPECT_EQ(back->InjTimingTable[1][1], 720);  // 250 x 4, capped
  EXPECT_EQ(back->VVTTable[1][1], 20);
  EXPECT_EQ(back->VVTOffset, -5);
  EXPECT_EQ(back->AFRTargetTable[32][16], 147);
  EXPECT_EQ(back->CrankingTable[3][4], 9);
}

TEST(MapImage, ReaderLimitsAndSignedValues) {
  MapImage img{};
  img[288] = 121;                       // ignition
  img[1312] = 0x7F, img[1313] = 0xFF;   // AFR correction and mode
  img[2336] = 200;                      // injector timing, capped at 720
  img[3310] = 0xF6;                     // signed byte: -10
  img[3464] = 0x27, img[3465] = 0x10;   // 10000, limited to 6000, / 10
  img[3504] = 0xFF, img[3505] = 0x00;   // -256, limited to -100
  img[3544] = 0;                        // (132 - 0) / 2 = 66, limited to 60
  img[3635] = 1;                        // sequential shift in tens
  img[3636] = 0x01, img[3637] = 0x00;   // 256 x 10, capped at 2550
  img[3642] = 200;                      // switch temperature: at most 180, minus 40
  img[3652] = 30;                       // at most 25
  img[3674] = 250;                      // + 10, at most 255
  img[3721] = 0;                        // zero stays zero
  img[3739] = 255;                      // + 10, not capped
  img[3773] = 0;                        // battery compensation type: basic
  img[3840] = 0xFE;                     // only bit 0 counts
  img[4764] = 0x10, img[4765] = 0x00;   // BARO pressure at most 1200
  img[4844] = 0x81;                     // signed -127 / 2 = -63, limited to -50
  auto m = EmptyMap();
  DecodeMapImage(img, *m);
  EXPECT_EQ(m->IgnitionTable[1][1], 0);
  EXPECT_EQ(m->AFRCorrectionTable[1][1], 16380);
  EXPECT_EQ(m->AFRModeTable[1][1], 3);
  EXPECT_EQ(m->InjTimingTable[1][1], 720);
  EXPECT_EQ(m->AirFuelCorrection[0], -10);
  EXPECT_EQ(m->MAPCompPressure[1], 600);
  EXPECT_EQ(m->MAPCompValue2[1], -100);
  EXPECT_EQ(m->MAPCompValue3[1], 60);
  EXPECT_EQ(m->SeqShiftStart, 2550);
  EXPECT_EQ(m->Fan2OnTemp, 140);
  EXPECT_EQ(m->IdleIgnRate, 25);
  EXPECT_EQ(m->Bytes()[16961], 255);
  EXPECT_EQ(m->LambdaLockRate, 0);
  EXPECT_EQ(m->PWMFrequency, 265);
  EXPECT_EQ(m->BattCompType, 1);
  EXPECT_EQ(m->EGTEnabled, 0);
  EXPECT_EQ(m->BaroCompPressure[1], 1200);
  EXPECT_EQ(m->BaroCompValue3[1], -50);
}

TEST(MapImage, LoadAxisFollowsTheOptionWord) {
  auto m = EmptyMap();
  for (int i = 0; i < 16; ++i) {
    m->MainThrottleSites[i] = static_cast<int16_t>(i * 6);
    m->MainMAPSites[i] = static_cast<int16_t>(20 + i * 10);
  }
  m->LoadOptions = 1;
  const MapImage img = EncodeMapImage(*m);
  EXPECT_EQ(img[3969], 1);
  EXPECT_EQ(ImageWord(img, 3970), 200);
  EXPECT_EQ(ImageWord(img, 3970 + 30), 1700);

  auto back = EmptyMap();
  back->MainThrottleSites[3] = 99;
  DecodeMapImage(img, *back);
  EXPECT_EQ(back->MainMAPSites[0], 20);
  EXPECT_EQ(back->MainMAPSites[15], 170);
  EXPECT_EQ(back->MainThrottleSites[3], 99);

  m->LoadOptions = 0;
  EXPECT_EQ(ImageWord(EncodeMapImage(*m), 3972), 6);
}

TEST(MapImage, WriterFixedBytesAndFlags) {
  auto m = EmptyMap();
  m->SeqShiftEnabled = 7;
  m->PWMEnabled = 7;
  m->Bytes()[16961] = 5;  // below 10: at least 0
  m->Fan1OffTemp = -60;   // below -40: at least 0
  const MapImage img = EncodeMapImage(*m);
  EXPECT_EQ(img[3634], 0xFF);
  EXPECT_EQ(img[3746], 0x01);
  EXPECT_EQ(img[3674], 0);
  EXPECT_EQ(img[3645], 0);
  EXPECT_EQ(img[3740], 0x05);
  EXPECT_EQ(img[3773], 0x01);  // type byte 0: the user table
}

TEST(MapImage, DefaultMapSurvivesARoundTrip) {
  auto m = DefaultMap();
  m->MapName.Set(AnsiString(32, 'n'));
  m->BoostFrequency = 30;  // the image holds frequency - 10, so 0 is not a frequency it carries
  const MapImage img = EncodeMapImage(*m);
  auto back = std::make_unique<TMapRecord>(*m);
  DecodeMapImage(img, *back);
  back->Source = m->Source;
  std::vector<size_t> differ;
  for (size_t i = 0; i < kMapRecordSize; ++i)
    if (m->Bytes()[i] != back->Bytes()[i]) differ.push_back(i);
  for (size_t at : differ) ADD_FAILURE() << "record byte " << at << ": " << int(m->Bytes()[at]) << " became " << int(back->Bytes()[at]);
  EXPECT_EQ(EncodeMapImage(*back), img);
}

TEST(MapImage, WrongSizeIsRefusedBeforeAnythingIsStored) {
  auto m = DefaultMap();
  const TMapRecord before = *m;
  EXPECT_THROW(DecodeMapImage(AnsiString(6143, '\0'), *m), EConvertError);
  EXPECT_EQ(std::memcmp(&before, m.get(), sizeof before), 0);
}
