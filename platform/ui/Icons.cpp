#include "platform/ui/Icons.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/graphics/detail/QtGraphics.h"

namespace ui {

namespace {

// In the order of the numbers they are known by: 0 a file, 3 and 4 a folder shut and open.
constexpr QStyle::StandardPixmap kBundled[] = {
    QStyle::SP_FileIcon,       QStyle::SP_FileLinkIcon, QStyle::SP_ComputerIcon,  QStyle::SP_DirClosedIcon,
    QStyle::SP_DirOpenIcon,    QStyle::SP_DriveFDIcon,  QStyle::SP_DriveHDIcon,   QStyle::SP_DriveCDIcon,
    QStyle::SP_DriveDVDIcon,   QStyle::SP_DriveNetIcon, QStyle::SP_DesktopIcon,   QStyle::SP_DirHomeIcon,
    QStyle::SP_TrashIcon,      QStyle::SP_DirLinkIcon,  QStyle::SP_FileDialogNewFolder,
    QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxQuestion,
    QStyle::SP_MessageBoxCritical,
};

bool DrawInto(const QImage& image, int Size, TBitmap& Out) {
  if (image.isNull() || Size <= 0) return false;
  Out.SetPixelFormat(pf32bit);
  Out.SetSize(Size, Size);
  QImage& target = gfx::ImageOf(Out);
  target.fill(Qt::transparent);
  QPainter painter(&target);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(0, 0, Size, Size), image);
  return true;
}

// Icons are at most 256 pixels square; an image that claims much more would cost many
// megabytes to decode however few bytes it takes in the file.
constexpr uint32_t kMaxIconSide = 1024;

uint32_t Le(const std::string& d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(d[at + static_cast<size_t>(i)]);
  return v;
}
uint32_t Be32(const std::string& d, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(d[at + i]);
  return v;
}

// Whether image Index of an icon file is a PNG image larger than any icon. The decoder
// takes the size of other images from the icon's own directory, which cannot exceed 256.
bool OversizedImage(const std::string& Data, int Index) {
  const size_t entry = 6 + 16 * static_cast<size_t>(Index);
  if (entry + 16 > Data.size()) return false;
  const size_t at = Le(Data, entry + 12, 4);
  if (at > Data.size() || Data.size() - at < 24 || Data.compare(at, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
  return Be32(Data, at + 16) > kMaxIconSide || Be32(Data, at + 20) > kMaxIconSide;
}

}  // namespace

int BundledIconCount() { return static_cast<int>(std::size(kBundled)); }

bool BundledIconBitmap(int Index, int Size, TBitmap& Out) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  if (Index < 0 || Index >= BundledIconCount()) return false;
  return DrawInto(QApplication::style()->standardIcon(kBundled[Index]).pixmap(Size, Size).toImage(), Size, Out);
}

bool IconFileBitmap(const std::string& Data, int Size, TBitmap& Out) {
  QByteArray bytes(Data.data(), static_cast<qsizetype>(Data.size()));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return false;
  QImageReader reader(&buffer, "ico");
  QImage best;
  // Every image of the icon is read; the one nearest to the size wanted is drawn.
  const int count = std::min(reader.imageCount(), 64);
  for (int i = 0; i < count; ++i) {
    if (OversizedImage(Data, i)) continue;
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (image.isNull()) continue;
    if (best.isNull() || std::abs(image.width() - Size) < std::abs(best.width() - Size)) best = image;
  }
  return DrawInto(best, Size, Out);
}

}  // namespace ui
