#include "platform/graphics/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <cstdio>

#include "platform/rtl/SysUtils.h"

namespace {

struct ColorName {
  TColor value;
  const char* name;
};

// The order is the one form resources have always been written in; lookups by value
// take the first match, so the plain colours win over their aliases.
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"}, {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"}, {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"}, {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"}, {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"}, {clMenuText, "clMenuText"}, {clNone, "clNone"},
    {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};

// The classic desktop scheme, used before a GUI exists.
constexpr std::array<uint32_t, COLOR_ENDCOLORS + 1> kClassicScheme = {
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0xFF0000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4};

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

TColor PaletteColor(int index) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return static_cast<TColor>(kClassicScheme[static_cast<size_t>(index)]);
  const QPalette pal = QGuiApplication::palette();
  switch (index) {
    case COLOR_WINDOW: return FromQColor(pal.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT: return FromQColor(pal.color(QPalette::Text));
    case COLOR_BTNFACE:
    case COLOR_MENU:
    case COLOR_MENUBAR:
    case COLOR_SCROLLBAR:
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER: return FromQColor(pal.color(QPalette::Button));
    case COLOR_BTNTEXT: return FromQColor(pal.color(QPalette::ButtonText));
    case COLOR_BTNSHADOW: return FromQColor(pal.color(QPalette::Dark));
    case COLOR_BTNHIGHLIGHT: return FromQColor(pal.color(QPalette::Light));
    case COLOR_3DDKSHADOW: return FromQColor(pal.color(QPalette::Shadow));
    case COLOR_3DLIGHT: return FromQColor(pal.color(QPalette::Midlight));
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT: return FromQColor(pal.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return FromQColor(pal.color(QPalette::HighlightedText));
    case COLOR_INFOBK: return FromQColor(pal.color(QPalette::ToolTipBase));
    case COLOR_INFOTEXT: return FromQColor(pal.color(QPalette::ToolTipText));
    case COLOR_GRAYTEXT: return FromQColor(pal.color(QPalette::Disabled, QPalette::Text));
    case COLOR_HOTLIGHT: return FromQColor(pal.color(QPalette::Link));
    default: return static_cast<TColor>(kClassicScheme[static_cast<size_t>(index)]);
  }
}

bool EqualsIgnoreCase(const AnsiString& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

}  // namespace

TColor ColorToRGB(TColor color) {
  const uint32_t v = static_cast<uint32_t>(color);
  if (v & 0x80000000u) {
    const uint32_t index = v & 0xFFu;
    if (index <= COLOR_ENDCOLORS) return PaletteColor(static_cast<int>(index));
    return clBlack;
  }
  return static_cast<TColor>(v & 0x00FFFFFFu);
}

bool ColorToIdent(TColor color, AnsiString& ident) {
  for (const auto& e : kColorNames) {
    if (e.value == color) {
      ident = e.name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const AnsiString& ident, TColor& color) {
  for (const auto& e : kColorNames) {
    if (EqualsIgnoreCase(ident, e.name)) {
      color = e.value;
      return true;
    }
  }
  return false;
}

AnsiString ColorToString(TColor color) {
  AnsiString ident;
  if (ColorToIdent(color, ident)) return ident;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(color));
  return buf;
}

TColor StringToColor(const AnsiString& text) {
  TColor c;
  if (IdentToColor(text, c)) return c;
  const auto fail = [&]() -> TColor {
    throw EConvertError("'" + text + "' is not a valid integer value");
  };
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const bool hex = i < text.size() && text[i] == '$';
  if (hex) ++i;
  if (i >= text.size()) return fail();
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char ch = text[i];
    int digit;
    if (ch >= '0' && ch <= '9') digit = ch - '0';
    else if (hex && ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
    else if (hex && ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
    else return fail();
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return fail();
  }
  // Decimal values beyond the signed range are refused, hexadecimal ones wrap into it
  // ($80000000 and up are the system colours).
  if (!hex && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return fail();
  const uint32_t bits = static_cast<uint32_t>(value);
  return static_cast<TColor>(negative ? (0u - bits) : bits);
}
