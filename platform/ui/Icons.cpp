#include "platform/ui/Icons.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <algorithm>
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
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (image.isNull()) continue;
    if (best.isNull() || std::abs(image.width() - Size) < std::abs(best.width() - Size)) best = image;
  }
  return DrawInto(best, Size, Out);
}

}  // namespace ui
