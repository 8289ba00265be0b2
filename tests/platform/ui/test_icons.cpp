// Icon files: the image nearest the size wanted is drawn; an image claiming to be far larger
// than any icon is not decoded at all, however few bytes it takes.
#include <filesystem>
#include <string>

#include "UiFixture.h"
#include "platform/classes/SafeFile.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Icons.h"

namespace {

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A PNG image of one colour, Side pixels square, as the program's bitmaps write it.
std::string Png(int Side, TColor Colour) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(Side, Side);
  b.Canvas()->Brush()->SetColor(Colour);
  b.Canvas()->FillRect(Rect(0, 0, Side, Side));
  const std::string file = (std::filesystem::temp_directory_path() / ("cq5icon" + std::to_string(getpid()) + ".png")).string();
  b.SaveToFile(file);
  std::string bytes = safefile::ReadFile(file);
  std::filesystem::remove(file);
  return bytes;
}

// An icon file of PNG images, each listed as 256 pixels square, as icon files list them.
std::string Ico(const std::vector<std::string>& images) {
  std::string s("\0\0\x01\0", 4);
  Put(s, static_cast<uint32_t>(images.size()), 2);
  uint32_t at = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const std::string& image : images) {
    s += std::string("\x00\x00\x00\x00\x01\x00\x20\x00", 8);
    Put(s, static_cast<uint32_t>(image.size()), 4);
    Put(s, at, 4);
    at += static_cast<uint32_t>(image.size());
  }
  for (const std::string& image : images) s += image;
  return s;
}

uint32_t Middle(TBitmap& b) {
  const uint8_t* p = b.ScanLine(8) + 8 * 4;
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

class IconsTest : public UiTest {};

TEST_F(IconsTest, ImagesLargerThanAnyIconAreNotDecoded) {
  const std::string small = Png(32, clRed), huge = Png(2000, clLime), edge = Png(1024, clBlue);
  ASSERT_LT(huge.size(), 64u * 1024) << "a few kilobytes that decode to 16 MB";
  struct Row {
    const char* what;
    std::vector<std::string> images;
    bool drawn;
    uint32_t middle;
  };
  const Row rows[] = {
      {"a small image", {small}, true, 0xFF0000},
      {"a huge image alone", {huge}, false, 0},
      {"a huge image beside a small one", {huge, small}, true, 0xFF0000},
      {"an image of the largest side taken", {edge}, true, 0x0000FF},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TBitmap out;
    EXPECT_EQ(ui::IconFileBitmap(Ico(r.images), 16, out), r.drawn);
    if (r.drawn) {
      EXPECT_EQ(Middle(out), r.middle);
    }
  }
}

}  // namespace
