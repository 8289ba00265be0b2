#pragma once
// The chart component's user-visible texts: exception messages, number formats, the
// default font, value-list names and editor captions. Code reads these variables, never
// literals, so this table is the one place where the component's wording lives.
#include "platform/rtl/AnsiString.h"

extern AnsiString TeeMsg_LegendFirstValue;
extern AnsiString TeeMsg_NoParentChart;
extern AnsiString TeeMsg_InvalidDataSource;
extern AnsiString TeeMsg_FillSample;
extern AnsiString TeeMsg_AxisLogDateTime;
extern AnsiString TeeMsg_AxisLogNotPositive;
extern AnsiString TeeMsg_AxisLabelSep;
extern AnsiString TeeMsg_AxisIncrementNeg;
extern AnsiString TeeMsg_AxisMinMax;
extern AnsiString TeeMsg_AxisMaxMin;
extern AnsiString TeeMsg_AxisLogBase;
extern AnsiString TeeMsg_MaxPointsPerPage;
extern AnsiString TeeMsg_3dPercent;
extern AnsiString TeeMsg_CircularSeries;
extern AnsiString TeeMsg_SeriesDelete;
extern AnsiString TeeMsg_CheckPointerSize;
extern AnsiString TeeMsg_FunctionPeriod;
extern AnsiString TeeMsg_OfTotal;
extern AnsiString TeeMsg_OfTotalMultiLine;
extern AnsiString TeeMsg_DefPercentFormat;
extern AnsiString TeeMsg_DefValueFormat;
extern AnsiString TeeMsg_DefaultFontSize;
extern AnsiString TeeMsg_DefaultFontName;
extern AnsiString TeeMsg_ValuesX;
extern AnsiString TeeMsg_ValuesY;
extern AnsiString TeeMsg_ValuesEndX;
extern AnsiString TeeMsg_ValuesEndY;
extern AnsiString TeeMsg_SeriesTitle;
extern AnsiString TeeMsg_None;
extern AnsiString TeeMsg_GalleryExtended;
extern AnsiString TeeMsg_SmallDots;
extern AnsiString TeeMsg_ClearImage;
extern AnsiString TeeMsg_BrowseImage;
extern AnsiString TeeMsg_Normal, TeeMsg_NoBorder, TeeMsg_Dotted, TeeMsg_Colors, TeeMsg_Marks, TeeMsg_Stairs,
    TeeMsg_Hollow, TeeMsg_Circle, TeeMsg_NoLines, TeeMsg_Pyramid, TeeMsg_Sides, TeeMsg_Rectangle, TeeMsg_Arrow;

// Fills every message with its English text (done once at start; calling it again
// restores the texts) and empties every one of them.
void FillChartMessages();
void ClearChartMessages();
// Every message variable, in table order.
const std::initializer_list<AnsiString*>& ChartMessageVariables();

// The runtime's text formatting for the message placeholders: %s takes the next text,
// %d the next integer, %% is a percent sign.
struct TeeFormatArg {
  TeeFormatArg(const AnsiString& s) : text(s) {}
  TeeFormatArg(const char* s) : text(s) {}
  TeeFormatArg(int v) : text(std::to_string(v)) {}
  AnsiString text;
};
AnsiString TeeFormat(const AnsiString& Format, std::initializer_list<TeeFormatArg> Args);
