#include "chart/TeeProCo.h"

#include <array>

namespace {
// The texts of the gallery and of the chart's commands, in table order; the last three
// name this chart component's own file format.
const char* const kTexts[] = {
    "Polar",
    "Candle",
    "Volume",
    "Surface",
    "Contour",
    "Bezier",
    "Point 3D",
    "Radar",
    "Donut",
    "Cursor",
    "Bar 3D",
    "Big Candle",
    "Line Point",
    "Histogram",
    "Water Fall",
    "Wind Rose",
    "Clock",
    "Color Grid",
    "BoxPlot",
    "Horizontal\rBoxPlot",
    "Bar Join",
    "Smith",
    "Pyramid",
    "Map",
    "Polynomial degree must be between 1 and 20",
    "Answer Vector index must be between 1 and %d",
    "Cannot process fitting",
    "Period must be >= 0",
    "ExpAverage Weight must be between 0 and 1",
    "Error Bar",
    "Error",
    "High-Low",
    "Momentum",
    "Momentum\rDivision",
    "Exponential\rAverage",
    "Moving\rAverage",
    "Exp.Moving\rAverage",
    "R.S.I.",
    "Curve Fitting",
    "Trend",
    "Exponential\rTrend",
    "Logarithmic\rTrend",
    "Cumulative",
    "Standard\rDeviation",
    "Bollinger\rbands",
    "Root Mean\rSquare",
    "MACD",
    "Stochastic",
    "ADX",
    "Count",
    "Other",
    "Stats",
    "Cannot find Series editor Form: %s",
    "Date",
    "Open",
    "High",
    "Low",
    "Close",
    "Offset",
    "StdError",
    "Grid 3D",
    "Number of Bezier points should be > 1",
    "Normal",
    "Edit",
    "Print",
    "Copy",
    "Save",
    "3D",
    "Rotation: %d\xB0"" Elevation: %d\xB0""",
    "Rotate",
    "Horiz.Offset: %d Vert.Offset: %d",
    "Move",
    "Zoom: %d %%",
    "Zoom",
    "3D: %d %%",
    "Depth",
    "Chart",
    "Panel",
    "Drag %s to Rotate",
    "Drag %s to Move",
    "Drag %s to Zoom",
    "Drag %s to resize 3D",
    "Drag Left button to Zoom, Right button to Scroll",
    "Drag a Pie Slice to Explode it",
    "Slice: %d Exploded: %d %%",
    "Number of points must be >= 4",
    "All colinear data points",
    "Similar XYZ points. Cannot calculate triangles.",
    "Triangle Surf.",
    "All Series",
    "Edit",
    "Financial",
    "Cursor",
    "Drag Marks",
    "Axis Arrows",
    "Draw Line",
    "Nearest Point",
    "Color Band",
    "Color Line",
    "Rotate",
    "Image",
    "Mark Tips",
    "Annotation",
    "Can not delete ancestor",
    "Load...",
    "Chart",
    "Chart Series",
    "&3D",
    "Switch 2D / 3D",
    "&Active",
    "Show / Hide Series",
    "Edit Chart",
    "&Edit...",
    "Copy to Clipboard",
    "&Copy",
    "Print preview Chart",
    "&Print...",
    "Show / Hide Axes",
    "&Axes",
    "Show / Hide Grids",
    "&Grids",
    "Show / Hide Legend",
    "&Legend",
    "Edit Series",
    "Show / Hide Series Marks",
    "&Marks",
    "Save Chart",
    "&Save...",
    "Bar",
    "No Open",
    "No Close",
    "No High",
    "No Low",
    "Color Range",
    "Wireframe",
    "Dot Frame",
    "Positions",
    "No Grid",
    "No Point",
    "No Line",
    "Labels",
    "No Circle",
    "Lines",
    "Border",
    "Resistance",
    "Reactance",
    "Column",
    "Separator",
    "Segment ",
    "Funnel",
    "0.00 %",
    "Exceeds quota",
    " within quota",
    " or more below quota",
    "Calendar",
    "DeltaPoint",
    "ImagePoint",
    "ImageBar",
    "SeriesText: Field index should be greater than zero.",
    "Origin",
    "Transparency",
    "Box",
    "ExtrOut",
    "MildOut",
    "Page Number",
    "Text File",
    "Drag Point",
    "OpportunityValues",
    "QuoteValues",
    "Smoothing",
    "Cross Points",
    "3D Grid Transpose",
    "Compression",
    "Extra Legend",
    "Close Location\rValue",
    "On Balance\rVolume",
    "Commodity\rChannel Index",
    "Volume\rOscillator",
    "Series Animation",
    "Point & Figure",
    "Up",
    "Down",
    "Gantt Drag",
    "XML file",
    "Grid Band",
    "Performance",
    "Gauge",
    "Gauges",
    "EndZ",
    "Vector 3D",
    "3D",
    "Tower",
    "Single Color",
    "Cover",
    "Cone",
    "Pie Slices",
    "Stop",
    "Execute !",
    "Themes",
    "2D Lighting",
    "Current",
    "Correlation",
    "Variance",
    "Bubble 3D",
    "Horizontal\rHistogram",
    "Perimeter",
    "Surface Nearest",
    "Axis Scroll",
    "Rectangle",
    "Polar Bar",
    "Wap Bitmap",
    "Wap Bitmaps (*.wbmp)|*.wbmp",
    "Clip Series",
    "Series Band",
    "Chart files", "Save chart as", "Chart files (*.tee)|*.tee"};
constexpr size_t kCount = sizeof(kTexts) / sizeof(kTexts[0]);
static_assert(kCount == 217);
std::array<AnsiString, kCount>& Storage() {
  static std::array<AnsiString, kCount> s;
  return s;
}
const bool kFilled = [] {
  FillProMessages();
  return true;
}();
}  // namespace

AnsiString& TeeMsg_GallerySurface = Storage()[3];
AnsiString& TeeMsg_GalleryContour = Storage()[4];
AnsiString& TeeMsg_GalleryWaterFall = Storage()[14];
AnsiString& TeeMsg_GalleryColorGrid = Storage()[17];
AnsiString& TeeMsg_GalleryVector3D = Storage()[189];
AnsiString& TeeMsg_GalleryTower = Storage()[191];
AnsiString& TeeMsg_Gallery3D = Storage()[67];
AnsiString& TeeMsg_FunctionSmooth = Storage()[169];
AnsiString& TeeMsg_Positions = Storage()[136];
AnsiString& TeeMsg_NoGrid = Storage()[137];
AnsiString& TeeMsg_SingleColor = Storage()[192];
AnsiString& TeeMsg_Cover = Storage()[193];
AnsiString& TeeMsg_Cone = Storage()[194];
AnsiString& TeeMsg_RotateTool = Storage()[69];
AnsiString& TeeMsg_CursorTool = Storage()[9];
AnsiString& TeeMsg_ColorRange = Storage()[133];
AnsiString& TeeMsg_WireFrame = Storage()[134];
AnsiString& TeeMsg_DotFrame = Storage()[135];
AnsiString& TeeMsg_RotationElevation = Storage()[68];
AnsiString& TeeMsg_ZoomPercent = Storage()[72];

const std::vector<AnsiString*>& ProMessageVariables() {
  static const std::vector<AnsiString*> vars = [] {
    std::vector<AnsiString*> v;
    for (AnsiString& s : Storage()) v.push_back(&s);
    return v;
  }();
  return vars;
}

void FillProMessages() {
  for (size_t i = 0; i < kCount; ++i) Storage()[i] = kTexts[i];
}

void ClearProMessages() {
  for (AnsiString& s : Storage()) s.clear();
}
