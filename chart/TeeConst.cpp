#include "chart/TeeConst.h"

#include <initializer_list>

AnsiString TeeMsg_LegendFirstValue, TeeMsg_NoParentChart, TeeMsg_InvalidDataSource, TeeMsg_FillSample,
    TeeMsg_AxisLogDateTime, TeeMsg_AxisLogNotPositive, TeeMsg_AxisLabelSep, TeeMsg_AxisIncrementNeg,
    TeeMsg_AxisMinMax, TeeMsg_AxisMaxMin, TeeMsg_AxisLogBase, TeeMsg_MaxPointsPerPage, TeeMsg_3dPercent,
    TeeMsg_CircularSeries, TeeMsg_SeriesDelete, TeeMsg_CheckPointerSize, TeeMsg_FunctionPeriod, TeeMsg_OfTotal,
    TeeMsg_OfTotalMultiLine, TeeMsg_DefPercentFormat, TeeMsg_DefValueFormat, TeeMsg_DefaultFontSize,
    TeeMsg_DefaultFontName, TeeMsg_ValuesX, TeeMsg_ValuesY, TeeMsg_ValuesEndX, TeeMsg_ValuesEndY, TeeMsg_SeriesTitle,
    TeeMsg_None, TeeMsg_GalleryExtended, TeeMsg_SmallDots, TeeMsg_ClearImage, TeeMsg_BrowseImage, TeeMsg_Normal,
    TeeMsg_NoBorder, TeeMsg_Dotted, TeeMsg_Colors, TeeMsg_Marks, TeeMsg_Stairs, TeeMsg_Hollow, TeeMsg_Circle,
    TeeMsg_NoLines, TeeMsg_Pyramid, TeeMsg_Sides, TeeMsg_Rectangle, TeeMsg_Arrow;

namespace {
struct Entry {
  AnsiString* var;
  const char* text;
};

const Entry kTable[] = {
    {&TeeMsg_LegendFirstValue, "First Legend Value must be > 0"},
    {&TeeMsg_NoParentChart, "No ParentChart to validate DataSource"},
    {&TeeMsg_InvalidDataSource, "No valid DataSource: %s"},
    {&TeeMsg_FillSample, "FillSampleValues NumValues must be > 0"},
    {&TeeMsg_AxisLogDateTime, "DateTime Axis cannot be Logarithmic"},
    {&TeeMsg_AxisLogNotPositive, "Logarithmic Axis Min and Max values should be >= 0"},
    {&TeeMsg_AxisLabelSep, "Labels Separation % must be greater than 0"},
    {&TeeMsg_AxisIncrementNeg, "Axis increment must be >= 0"},
    {&TeeMsg_AxisMinMax, "Axis Minimum Value must be <= Maximum"},
    {&TeeMsg_AxisMaxMin, "Axis Maximum Value must be >= Minimum"},
    {&TeeMsg_AxisLogBase, "Axis Logarithmic Base should be <> 1 and > 0"},
    {&TeeMsg_MaxPointsPerPage, "MaxPointsPerPage must be >= 0"},
    {&TeeMsg_3dPercent, "3D effect percent must be between %d and %d"},
    {&TeeMsg_CircularSeries, "Circular Series dependences are not allowed"},
    {&TeeMsg_SeriesDelete, "Series Delete: ValueIndex %d out of bounds (0 to %d)."},
    {&TeeMsg_CheckPointerSize, "Pointer size must be greater than zero"},
    {&TeeMsg_FunctionPeriod, "Function Period should be >= 0"},
    {&TeeMsg_OfTotal, "%s of %s"},
    {&TeeMsg_OfTotalMultiLine, "%s\rof %s"},
    {&TeeMsg_DefPercentFormat, "##0.## %"},
    {&TeeMsg_DefValueFormat, "#,##0.###"},
    {&TeeMsg_DefaultFontSize, "8"},
    {&TeeMsg_DefaultFontName, "Arial"},
    {&TeeMsg_ValuesX, "X"},
    {&TeeMsg_ValuesY, "Y"},
    {&TeeMsg_ValuesEndX, "EndX"},
    {&TeeMsg_ValuesEndY, "EndY"},
    {&TeeMsg_SeriesTitle, "Series"},
    {&TeeMsg_None, "(none)"},
    {&TeeMsg_GalleryExtended, "Extended"},
    {&TeeMsg_SmallDots, "Small Dots"},
    {&TeeMsg_ClearImage, "Clea&r"},
    {&TeeMsg_BrowseImage, "B&rowse..."},
    {&TeeMsg_Normal, "Normal"},
    {&TeeMsg_NoBorder, "No Border"},
    {&TeeMsg_Dotted, "Dotted"},
    {&TeeMsg_Colors, "Colors"},
    {&TeeMsg_Marks, "Marks"},
    {&TeeMsg_Stairs, "Stairs"},
    {&TeeMsg_Hollow, "Hollow"},
    {&TeeMsg_Circle, "Circle"},
    {&TeeMsg_NoLines, "No Lines"},
    {&TeeMsg_Pyramid, "Pyramid"},
    {&TeeMsg_Sides, "Sides"},
    {&TeeMsg_Rectangle, "Rectangle"},
    {&TeeMsg_Arrow, "Arrow"},
};

// The texts are in place before any other start-up code of the process reads them.
const bool kFilled = [] {
  FillChartMessages();
  return true;
}();
}  // namespace

void FillChartMessages() {
  for (const Entry& e : kTable) *e.var = e.text;
}

void ClearChartMessages() {
  for (const Entry& e : kTable) e.var->clear();
}

const std::initializer_list<AnsiString*>& ChartMessageVariables() {
  static const std::initializer_list<AnsiString*> vars = {
      &TeeMsg_LegendFirstValue, &TeeMsg_NoParentChart, &TeeMsg_InvalidDataSource, &TeeMsg_FillSample,
      &TeeMsg_AxisLogDateTime, &TeeMsg_AxisLogNotPositive, &TeeMsg_AxisLabelSep, &TeeMsg_AxisIncrementNeg,
      &TeeMsg_AxisMinMax, &TeeMsg_AxisMaxMin, &TeeMsg_AxisLogBase, &TeeMsg_MaxPointsPerPage, &TeeMsg_3dPercent,
      &TeeMsg_CircularSeries, &TeeMsg_SeriesDelete, &TeeMsg_CheckPointerSize, &TeeMsg_FunctionPeriod,
      &TeeMsg_OfTotal, &TeeMsg_OfTotalMultiLine, &TeeMsg_DefPercentFormat, &TeeMsg_DefValueFormat,
      &TeeMsg_DefaultFontSize, &TeeMsg_DefaultFontName, &TeeMsg_ValuesX, &TeeMsg_ValuesY, &TeeMsg_ValuesEndX,
      &TeeMsg_ValuesEndY, &TeeMsg_SeriesTitle, &TeeMsg_None, &TeeMsg_GalleryExtended, &TeeMsg_SmallDots,
      &TeeMsg_ClearImage, &TeeMsg_BrowseImage, &TeeMsg_Normal, &TeeMsg_NoBorder, &TeeMsg_Dotted, &TeeMsg_Colors,
      &TeeMsg_Marks, &TeeMsg_Stairs, &TeeMsg_Hollow, &TeeMsg_Circle, &TeeMsg_NoLines, &TeeMsg_Pyramid,
      &TeeMsg_Sides, &TeeMsg_Rectangle, &TeeMsg_Arrow};
  return vars;
}

AnsiString TeeFormat(const AnsiString& Format, std::initializer_list<TeeFormatArg> Args) {
  AnsiString out;
  auto next = Args.begin();
  for (size_t i = 0; i < Format.size(); ++i) {
    const char c = Format[i];
    if (c == '%' && i + 1 < Format.size()) {
      const char k = Format[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((k == 's' || k == 'd') && next != Args.end()) {
        out += next->text;
        ++next;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}
