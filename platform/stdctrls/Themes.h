#pragma once
// Themed drawing of small control parts (the spin buttons): the platform's current
// widget style draws them when one is present and theming is on; otherwise callers draw
// the classic frame look themselves. Nothing here can fail at start-up: without a
// usable style, ThemeActive() is simply false.
#include "platform/graphics/Canvas.h"

namespace ui {

// Parts and states of the "spin" theme class.
enum TThemeSpinPart { tspUp = 1, tspDown = 2, tspUpHorz = 3, tspDownHorz = 4 };
enum TThemeState { tstNormal = 1, tstHot = 2, tstPressed = 3 };

// A usable style is present (checked once, when first asked).
bool ThemesAvailable();
// Themes are available and the user has not switched them off.
bool ThemeActive();
// The user's switch ("classic look"); on by default. Tests use it for the classic path.
void SetThemesEnabled(bool On);

// Draws a spin button part into r with the style; false (nothing drawn) when theming is
// not active, so the caller draws the classic look.
bool DrawThemeSpinPart(TCanvas& Canvas, const TRect& R, TThemeSpinPart Part, TThemeState State, bool Enabled);

// The classic scroll-arrow button: a raised (pushed: sunken; flat: plain) button-face
// frame with a filled arrow pointing up, down, left or right.
enum TArrowDirection { adUp, adDown, adLeft, adRight };
void DrawClassicArrowButton(TCanvas& Canvas, const TRect& R, TArrowDirection Dir, bool Pushed, bool Flat, bool Enabled);

}  // namespace ui
