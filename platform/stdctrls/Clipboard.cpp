#include "platform/stdctrls/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/graphics/detail/QtGraphics.h"

namespace {

QClipboard* System() {
  gfx::EnsureGuiApplication();
  return QGuiApplication::clipboard();
}

AnsiString UpToNul(AnsiString s) {
  size_t nul = s.find('\0');
  if (nul != AnsiString::npos) s.resize(nul);
  return s;
}

}  // namespace

AnsiString TClipboard::AsText() const { return UpToNul(gfx::FromQString(System()->text())); }

void TClipboard::SetAsText(const AnsiString& Value) { System()->setText(gfx::ToQString(UpToNul(Value))); }

bool TClipboard::HasText() const {
  const QMimeData* m = System()->mimeData();
  return m && m->hasText();
}

void TClipboard::Clear() { System()->clear(); }

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
