// Colours and their names, fonts, pens, brushes and bitmaps.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/graphics/Bitmap.h"

namespace {

TEST(Colors, NamesAndValuesRoundTrip) {
  struct Row {
    TColor value;
    const char* text;
  };
  const Row rows[] = {
      {clBlack, "clBlack"},         {clRed, "clRed"},
      {clNavy, "clNavy"},           {clWhite, "clWhite"},
      {clBtnFace, "clBtnFace"},     {clWindowText, "clWindowText"},
      {clHighlight, "clHighlight"}, {clInfoBk, "clInfoBk"},
      {clNone, "clNone"},           {ColorValue(0x00123456), "$00123456"},
      {ColorValue(0x8000001F), "$8000001F"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(ColorToString(r.value), r.text);
    EXPECT_EQ(StringToColor(r.text), r.value) << r.text;
  }
  EXPECT_EQ(clBtnFace, ColorValue(0x8000000F));
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(StringToColor("CLRED"), clRed);  // identifiers ignore case
  EXPECT_EQ(StringToColor("255"), clRed);
  TColor c = 0;
  EXPECT_FALSE(IdentToColor("clPink", c));
  for (const char* bad : {"", "$", "12a", "clPink", "$1FFFFFFFF", "99999999999"})
    EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
}

TEST(Colors, PlainAndSystemColoursToRgb) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(ColorValue(0x02123456)), 0x123456);  // palette-index flags dropped
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(face & ~0xFFFFFF, 0);
  EXPECT_NE(ColorToRGB(clWindow), ColorToRGB(clWindowText));
}

TEST(Font, HeightSizeAndChangeEvents) {
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);
  f.SetSize(10);  // unchanged: no event
  f.SetStyle({fsBold, fsItalic});
  EXPECT_TRUE(f.Style().Contains(fsBold));
  EXPECT_FALSE(f.Style().Contains(fsUnderline));
  EXPECT_EQ(changes, 2);
  f.BeginUpdate();
  f.SetColor(clRed);
  f.SetName("Arial");
  f.EndUpdate();
  EXPECT_EQ(changes, 3);

  TFont g;
  g.Assign(&f);
  EXPECT_TRUE(g.SameAs(f));
}

TEST(Brush, ColourAndClearStyleFollowEachOther) {
  TBrush b;
  b.SetStyle(bsClear);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), bsSolid);
  b.SetColor(clNone);
  EXPECT_EQ(b.Style(), bsClear);
  TPen p;
  EXPECT_EQ(p.Mode(), pmCopy);
  p.SetWidth(-3);  // refused
  EXPECT_EQ(p.Width(), 1);
}

TEST(Bitmap, SizeScanLinesAndFiles) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(8, 3);
  EXPECT_EQ(b.Canvas()->Pixel(7, 2), clWhite);
  b.Canvas()->SetPixel(2, 1, RGB(10, 20, 30));
  const uint8_t* row = b.ScanLine(1);
  EXPECT_EQ(row[2 * 4 + 0], 30);  // blue, green, red
  EXPECT_EQ(row[2 * 4 + 1], 20);
  EXPECT_EQ(row[2 * 4 + 2], 10);
  EXPECT_THROW(b.ScanLine(3), EInvalidOperation);

  b.SetPixelFormat(pf24bit);
  EXPECT_EQ(b.ScanLine(1)[2 * 3 + 2], 10);
  EXPECT_EQ(b.Canvas()->Pixel(2, 1), RGB(10, 20, 30));
  b.SetPixelFormat(pf32bit);
  b.SetWidth(10);  // keeps what was there
  EXPECT_EQ(b.Canvas()->Pixel(2, 1), RGB(10, 20, 30));

  const auto path = std::filesystem::temp_directory_path() / "cq5_graphics_bitmap.bmp";
  b.SaveToFile(path.string());
  TPicture pic;
  pic.LoadFromFile(path.string());
  EXPECT_EQ(pic.Width(), 10);
  EXPECT_EQ(pic.Bitmap()->Canvas()->Pixel(2, 1), RGB(10, 20, 30));
  std::filesystem::remove(path);

  EXPECT_THROW(pic.LoadFromFile("/nonexistent/none.bmp"), EInvalidOperation);
  EXPECT_EQ(pic.Width(), 10);  // a failed load keeps the old picture
}

}  // namespace
