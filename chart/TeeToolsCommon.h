#pragma once
// What the extra chart tools share (TeeToolsExtra.h declares the tools; one unit per tool
// family holds their code): their gallery texts, and small helpers for the chart under
// the mouse and for the lines they draw over it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/Chart.h"
#include "chart/TeeProCo.h"

namespace teetools {

// Places of the tool descriptions in the gallery text table.
inline constexpr size_t kMsgCursor = 92, kMsgAxisArrows = 94, kMsgDrawLine = 95, kMsgNearest = 96, kMsgColorBand = 97,
                 kMsgColorLine = 98, kMsgAnnotation = 102, kMsgDragPoint = 166, kMsgSeriesAnimation = 178,
                 kMsgAxisScroll = 207, kMsgRectangle = 208, kMsgClipSeries = 212, kMsgSeriesBand = 213;

inline AnsiString Msg(size_t Index) { return *ProMessageVariables()[Index]; }

inline TCustomChart* AsChart(TCustomAxisPanel* p) { return dynamic_cast<TCustomChart*>(p); }

inline void SetChartCursor(TCustomAxisPanel* Chart, TCursor C) {
  if (Chart) Chart->SetCursor(C);
}

inline void RepaintOverlayOf(TCustomAxisPanel* Chart) {
  if (TCustomChart* c = AsChart(Chart)) c->RepaintOverlay();
}

// The visible range of a series: first visible index (0 when unknown) to last (Count - 1
// when unknown or beyond the points); false without points.
inline bool VisibleRange(TChartSeries* S, int& First, int& Last) {
  if (!S || S->Count() < 1) return false;
  First = std::max(0, S->FirstValueIndex);
  Last = S->LastValueIndex;
  if (Last < 0 || Last >= S->Count()) Last = S->Count() - 1;
  return First <= Last;
}

// Screen colour of the chart's background (the button face when it has none of its own).
inline TColor BackgroundOf(TCustomAxisPanel* Chart) {
  TColor c = Chart->Color();
  if (c == clTeeColor) c = clBtnFace;
  return ColorToRGB(c);
}

inline void SelectPen(TCanvas* C, TChartPen* P, TColor Color, TPenMode Mode) {
  C->Pen()->SetStyle(P->Style());
  C->Pen()->SetWidth(std::max(1, P->Width()));
  C->Pen()->SetColor(Color);
  C->Pen()->SetMode(Mode);
  C->Brush()->SetStyle(bsClear);
}

inline TPoint Projected(TCustomAxisPanel* Chart, int X, int Y, int Z) {
  if (!Chart->View3D()) return {X, Y};
  return Chart->ChartCanvas()->Calculate3DPosition(X, Y, Z);
}

inline void OverlayLine(TCanvas* C, TCustomAxisPanel* Chart, int X0, int Y0, int X1, int Y1, int Z) {
  const TPoint a = Projected(Chart, X0, Y0, Z), b = Projected(Chart, X1, Y1, Z);
  C->MoveTo(a.x, a.y);
  C->LineTo(b.x, b.y);
}

// The lines of an annotation text (split at the chart's line separator).
inline std::vector<AnsiString> SplitLines(const AnsiString& Text) {
  std::vector<AnsiString> out(1);
  for (char ch : Text) {
    if (ch == ChartLineSeparator) out.emplace_back();
    else out.back().push_back(ch);
  }
  return out;
}

}  // namespace teetools
