// Form-resource registration of the extra chart tools (their code is in one unit per tool
// family: TeeToolsCursor, TeeToolsBands, TeeToolsDrawLine, TeeToolsAxis, TeeToolsAnnotation,
// TeeToolsSeries).
#include "chart/TeeToolsExtra.h"

#include "chart/Chart.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

// =======================================================================================
// Form resources

void RegisterExtraToolClasses() {
  using CT = TCursorTool;
  RegisterClass<TCursorTool, TTeeCustomToolSeries>("TCursorTool")
      .Bool("FollowMouse", &CT::GetFollowMouse, &CT::SetFollowMouse, false)
      .Bool("Snap", &CT::GetSnap, &CT::SetSnap, false)
      .Enum("Style", &CT::Style, &CT::SetStyle, {"cssHorizontal", "cssVertical", "cssBoth"}, cssBoth)
      .Bool("UseSeriesZ", &CT::UseSeriesZ, &CT::SetUseSeriesZ, false)
      .Event("OnChange", &CT::OnChange)
      .Event("OnSnapChange", &CT::OnSnapChange);
  using NT = TNearestTool;
  RegisterClass<TNearestTool, TTeeCustomToolSeries>("TNearestTool")
      .Bool("DrawLine", &NT::DrawLine, &NT::SetDrawLine, true)
      .Bool("FullRepaint", &NT::GetFullRepaint, &NT::SetFullRepaint, true)
      .Object("LinePen", &NT::LinePen)
      .Int("Size", &NT::Size, &NT::SetSize, 20)
      .Enum("Style", &NT::Style, &NT::SetStyle, {"hsNone", "hsCircle", "hsRectangle", "hsDiamond"}, hsCircle)
      .Event("OnChange", &NT::OnChange);
  using LT = TColorLineTool;
  RegisterClass<TColorLineTool, TTeeCustomToolAxis>("TColorLineTool")
      .Bool("AllowDrag", &LT::GetAllowDrag, &LT::SetAllowDrag, true)
      .Bool("DragRepaint", &LT::GetDragRepaint, &LT::SetDragRepaint, false)
      .Bool("Draw3D", &LT::Draw3D, &LT::SetDraw3D, true)
      .Bool("DrawBehind", &LT::DrawBehind, &LT::SetDrawBehind, false)
      .Bool("NoLimitDrag", &LT::GetNoLimitDrag, &LT::SetNoLimitDrag, false)
      .Enum("Style", &LT::Style, &LT::SetStyle, {"clCustom", "clMaximum", "clCenter", "clMinimum"}, clCustom)
      .Float("Value", &LT::Value, &LT::SetValue, 0.0)
      .Event("OnBeginDragLine", &LT::OnBeginDragLine)
      .Event("OnDragLine", &LT::OnDragLine)
      .Event("OnEndDragLine", &LT::OnEndDragLine);
  using BT = TColorBandTool;
  RegisterClass<TColorBandTool, TTeeCustomToolAxis>("TColorBandTool")
      .Int("Color", &BT::Color, &BT::SetColor, clWhite, &ui::ColorIdents())
      .Int("Cursor", &BT::GetCursor, &BT::SetCursor, crDefault)
      .Bool("DrawBehind", &BT::DrawBehind, &BT::SetDrawBehind, true)
      .Bool("DrawBehindAxes", &BT::DrawBehindAxes, &BT::SetDrawBehindAxes, false)
      .Object("EndLinePen", &BT::EndLinePen)
      .Float("EndValue", &BT::EndValue, &BT::SetEndValue, 0.0)
      .Object("Gradient", &BT::Gradient)
      .Bool("ResizeEnd", &BT::ResizeEnd, &BT::SetResizeEnd, false)
      .Bool("ResizeStart", &BT::ResizeStart, &BT::SetResizeStart, false)
      .Object("StartLinePen", &BT::StartLinePen)
      .Float("StartValue", &BT::StartValue, &BT::SetStartValue, 0.0)
      .Int("Transparency", &BT::Transparency, &BT::SetTransparency, 0)
      .Event("OnClick", &BT::OnClick);
  RegisterClass<TDrawLine, TPersistent>("TDrawLine")
      .Enum("Style", &TDrawLine::Style, &TDrawLine::SetStyle, {"dlLine", "dlHorizParallel", "dlVertParallel"}, dlLine)
      .Float("X0", &TDrawLine::X0, &TDrawLine::SetX0, 0.0)
      .Float("Y0", &TDrawLine::Y0, &TDrawLine::SetY0, 0.0)
      .Float("X1", &TDrawLine::X1, &TDrawLine::SetX1, 0.0)
      .Float("Y1", &TDrawLine::Y1, &TDrawLine::SetY1, 0.0);
  using DT = TDrawLineTool;
  RegisterClass<TDrawLineTool, TTeeCustomToolSeries>("TDrawLineTool")
      .Enum("Button", &DT::GetButton, &DT::SetButton, {"mbLeft", "mbRight", "mbMiddle"}, mbLeft)
      .Bool("EnableDraw", &DT::GetEnableDraw, &DT::SetEnableDraw, true)
      .Bool("EnableSelect", &DT::EnableSelect, &DT::SetEnableSelect, true)
      .Collection("Lines", &DT::Lines)
      .Event("OnDraggedLine", &DT::OnDraggedLine)
      .Event("OnDragLine", &DT::OnDragLine)
      .Event("OnNewLine", &DT::OnNewLine)
      .Event("OnSelect", &DT::OnSelect)
      .Event("OnSelecting", &DT::OnSelecting);
  using AT = TAxisArrowTool;
  RegisterClass<TAxisArrowTool, TTeeCustomToolAxis>("TAxisArrowTool")
      .Int("Length", &AT::Length, &AT::SetLength, 16)
      .Enum("Position", &AT::Position, &AT::SetPosition, {"aaStart", "aaEnd", "aaBoth"}, aaBoth)
      .Bool("ScrollInverted", &AT::GetScrollInverted, &AT::SetScrollInverted, false)
      .Int("ScrollPercent", &AT::GetScrollPercent, &AT::SetScrollPercent, 10)
      .Event("OnClick", &AT::OnClick);
  RegisterClass<TAxisScrollTool, TTeeCustomToolAxis>("TAxisScrollTool")
      .Bool("ScrollInverted", &TAxisScrollTool::GetScrollInverted, &TAxisScrollTool::SetScrollInverted, false);
  RegisterClass<TAnnotationShape, TTeeCustomShapePosition>("TTeeShapePosition")
      .Bool("CustomPosition", &TAnnotationShape::CustomPosition, &TAnnotationShape::SetCustomPosition, false);
  using CO = TAnnotationCallout;
  RegisterClass<TAnnotationCallout, TPersistent>("TAnnotationCallout")
      .Object("Arrow", &CO::Arrow)
      .Int("Distance", &CO::Distance, &CO::SetDistance, 0)
      .Bool("Visible", &CO::Visible, &CO::SetVisible, false)
      .Int("XPosition", &CO::XPosition, &CO::SetXPosition, 0)
      .Int("YPosition", &CO::YPosition, &CO::SetYPosition, 0)
      .Int("ZPosition", &CO::ZPosition, &CO::SetZPosition, 0);
  using NA = TAnnotationTool;
  RegisterClass<TAnnotationTool, TTeeCustomTool>("TAnnotationTool")
      .Object("Callout", &NA::Callout)
      .Bool("AutoSize", &NA::AutoSize, &NA::SetAutoSize, true)
      .Int("Cursor", &NA::GetCursor, &NA::SetCursor, crDefault)
      .Enum("Position", &NA::Position, &NA::SetPosition, {"ppLeftTop", "ppLeftBottom", "ppRightTop", "ppRightBottom"}, ppLeftTop)
      .Enum("PositionUnits", &NA::PositionUnits, &NA::SetPositionUnits, {"muPercent", "muPixels"}, muPixels)
      .Object("Shape", &NA::Shape)
      .String("Text", &NA::Text, &NA::SetText)
      .Enum("TextAlignment", &NA::TextAlignment, &NA::SetTextAlignment, {"taLeftJustify", "taRightJustify", "taCenter"},
            taLeftJustify)
      .Int("Width", &NA::Width, &NA::SetWidth, 0)
      .Int("Height", &NA::Height, &NA::SetHeight, 0)
      .Event("OnClick", &NA::OnClick);
  RegisterClass<TRectangleTool, TAnnotationTool>("TRectangleTool")
      .Event("OnDragging", &TRectangleTool::OnDragging)
      .Event("OnResizing", &TRectangleTool::OnResizing);
  using ST = TSeriesAnimationTool;
  RegisterClass<TSeriesAnimationTool, TTeeCustomToolSeries>("TSeriesAnimationTool")
      .Int("DrawEvery", &ST::GetDrawEvery, &ST::SetDrawEvery, 0)
      .Enum("Loop", &ST::GetLoop, &ST::SetLoop, {"salNo", "salOneWay", "salCircular"}, salNo)
      .Bool("StartAtMin", &ST::GetStartAtMin, &ST::SetStartAtMin, true)
      .Float("StartValue", &ST::GetStartValue, &ST::SetStartValue, 0.0)
      .Int("Steps", &ST::Steps, &ST::SetSteps, 100)
      .Event("OnStep", &ST::OnStep);
  RegisterClass<TClipSeriesTool, TTeeCustomToolSeries>("TClipSeriesTool");
  RegisterClass<TDragPointTool, TTeeCustomToolSeries>("TDragPointTool")
      .Enum("DragStyle", &TDragPointTool::GetDragStyle, &TDragPointTool::SetDragStyle, {"dsX", "dsY", "dsBoth"}, dsBoth)
      .Event("OnDragPoint", &TDragPointTool::OnDragPoint);
  using SB = TSeriesBandTool;
  RegisterClass<TSeriesBandTool, TTeeCustomToolSeries>("TSeriesBandTool")
      .Bool("DrawBehindSeries", &SB::DrawBehindSeries, &SB::SetDrawBehindSeries, true)
      .Object("Gradient", &SB::Gradient)
      .Component("Series2", &SB::Series2, &SB::SetSeries2)
      .Int("Transparency", &SB::Transparency, &SB::SetTransparency, 0);
  RegisterChartTools({"TCursorTool", "TAxisArrowTool", "TDrawLineTool", "TNearestTool", "TColorBandTool", "TColorLineTool",
                      "TAnnotationTool", "TSeriesAnimationTool", "TAxisScrollTool", "TRectangleTool", "TClipSeriesTool",
                      "TDragPointTool", "TSeriesBandTool"});
}
