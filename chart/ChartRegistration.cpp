// Stream registration of the chart component's classes, so that form resources can hold
// charts, their axes, titles, walls and legend, and their series with stored points.
#include <climits>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeColorGrid.h"
#include "chart/TeeContour.h"
#include "chart/TeeItems.h"
#include "chart/TeePointer.h"
#include "chart/TeeSpline.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeTools.h"
#include "chart/TeeToolsExtra.h"
#include "chart/TeeToolsSelect.h"
#include "chart/TeeTower.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

namespace {

const TIdentMap* Colors() { return &ui::ColorIdents(); }

// The fast line's pen read under the element's own name "Pen" as well: it is the same pen
// as "LinePen", under which alone it is written.
class FastLinePenAlias final : public TPropInfo {
 public:
  FastLinePenAlias() : TPropInfo("Pen", TPropKind::Object) {}
  TObject* GetObject(TObject* o) const override {
    auto* s = dynamic_cast<TFastLineSeries*>(o);
    if (!s) throw EPropertyError("Property used on an object of another class");
    return s->LinePen();
  }
  bool IsStored(TObject*) const override { return false; }
};

void RegisterOptionObjects() {
  RegisterClass<TChartPen, TPen>("TChartPen")
      .Bool("Visible", &TChartPen::Visible, &TChartPen::SetVisible, true)
      .Bool("SmallDots", &TChartPen::SmallDots, &TChartPen::SetSmallDots, false)
      .Enum("EndStyle", &TChartPen::EndStyle, &TChartPen::SetEndStyle, {"esRound", "esSquare", "esFlat"}, esRound);
  RegisterClass<TChartHiddenPen, TChartPen>("TChartHiddenPen")
      .Bool("Visible", &TChartPen::Visible, &TChartPen::SetVisible, false);
  RegisterClass<TDottedGrayPen, TChartPen>("TDottedGrayPen");
  RegisterClass<TDarkGrayPen, TChartPen>("TDarkGrayPen");
  RegisterClass<TWhitePen, TChartPen>("TWhitePen");
  RegisterClass<TChartAxisPen, TChartPen>("TChartAxisPen");
  RegisterClass<TAxisGridPen, TDottedGrayPen>("TAxisGridPen")
      .Float("ZPosition", &TAxisGridPen::ZPosition, 0)
      .Bool("Centered", &TAxisGridPen::Centered, false);
  RegisterClass<TTeeZoomPen, TChartPen>("TTeeZoomPen");
  RegisterClass<TChartBrush, TBrush>("TChartBrush")
      .Int("Color", &TBrush::Color, &TBrush::SetColor, clTeeColor, Colors())
      .LazyObject("Image", &TChartBrush::Image, &TChartBrush::ImageIfAny);
  RegisterClass<TTeeZoomBrush, TChartBrush>("TTeeZoomBrush");
  RegisterClass<TTeeShadow, TPersistent>("TTeeShadow")
      .Int("Color", &TTeeShadow::Color, &TTeeShadow::SetColor, clSilver, Colors())
      .Int("HorizSize", &TTeeShadow::HorizSize, &TTeeShadow::SetHorizSize, 0)
      .Int("VertSize", &TTeeShadow::VertSize, &TTeeShadow::SetVertSize, 0)
      .Bool("Smooth", &TTeeShadow::Smooth, &TTeeShadow::SetSmooth, true)
      .Int("Transparency", &TTeeShadow::Transparency, &TTeeShadow::SetTransparency, 0);
  const std::initializer_list<const char*> directions = {"gdTopBottom",   "gdBottomTop",      "gdLeftRight", "gdRightLeft",
                                                         "gdFromCenter",  "gdFromTopLeft",    "gdFromBottomLeft",
                                                         "gdRadial",      "gdDiagonalUp",     "gdDiagonalDown"};
  RegisterClass<TCustomTeeGradient, TPersistent>("TCustomTeeGradient")
      .Int("Balance", &TCustomTeeGradient::Balance, &TCustomTeeGradient::SetBalance, 50)
      .Enum("Direction", &TCustomTeeGradient::Direction, &TCustomTeeGradient::SetDirection, directions, gdTopBottom)
      .Int("EndColor", &TCustomTeeGradient::EndColor, &TCustomTeeGradient::SetEndColor, 0x00FFFF, Colors())
      .Int("MidColor", &TCustomTeeGradient::MidColor, &TCustomTeeGradient::SetMidColor, clNone, Colors())
      .Int("RadialX", &TCustomTeeGradient::RadialX, &TCustomTeeGradient::SetRadialX, 0)
      .Int("RadialY", &TCustomTeeGradient::RadialY, &TCustomTeeGradient::SetRadialY, 0)
      .Int("StartColor", &TCustomTeeGradient::StartColor, &TCustomTeeGradient::SetStartColor, 0xFFFFFF, Colors())
      .Bool("Visible", &TCustomTeeGradient::Visible, &TCustomTeeGradient::SetVisible, false);
  RegisterClass<TTeeGradient, TCustomTeeGradient>("TTeeGradient");
  RegisterClass<TTeeFontGradient, TTeeGradient>("TTeeFontGradient")
      .Bool("Outline", &TTeeFontGradient::Outline, &TTeeFontGradient::SetOutline, false);
  RegisterClass<TChartLegendGradient, TTeeGradient>("TChartLegendGradient");
  RegisterClass<TSeriesMarksGradient, TTeeGradient>("TSeriesMarksGradient");
  RegisterClass<TTeeFont, TFont>("TTeeFont")
      .Int("Color", &TFont::Color, &TFont::SetColor, clBlack, Colors())
      .String("Name", &TFont::Name, &TFont::SetName, "Arial")
      .Int("Height", &TFont::Height, &TFont::SetHeight, -11)
      .Int("InterCharSize", &TTeeFont::InterCharSize, &TTeeFont::SetInterCharSize, 0)
      .LazyObject("Gradient", &TTeeFont::Gradient, &TTeeFont::GradientIfAny)
      .LazyObject("OutLine", &TTeeFont::OutLine, &TTeeFont::OutLineIfAny)
      .LazyObject("Shadow", &TTeeFont::Shadow, &TTeeFont::ShadowIfAny);
  RegisterClass<TView3DOptions, TPersistent>("TView3DOptions")
      .Int("Elevation", &TView3DOptions::Elevation, &TView3DOptions::SetElevation, 345)
      .Int("FontZoom", &TView3DOptions::FontZoom, &TView3DOptions::SetFontZoom, 100)
      .Int("HorizOffset", &TView3DOptions::HorizOffset, &TView3DOptions::SetHorizOffset, 0)
      .Bool("Orthogonal", &TView3DOptions::Orthogonal, &TView3DOptions::SetOrthogonal, true)
      .Int("OrthoAngle", &TView3DOptions::OrthoAngle, &TView3DOptions::SetOrthoAngle, 45)
      .Int("Perspective", &TView3DOptions::Perspective, &TView3DOptions::SetPerspective, 15)
      .Int("Rotation", &TView3DOptions::Rotation, &TView3DOptions::SetRotation, 345)
      .Int("Tilt", &TView3DOptions::Tilt, &TView3DOptions::SetTilt, 0)
      .Int("VertOffset", &TView3DOptions::VertOffset, &TView3DOptions::SetVertOffset, 0)
      .Int("Zoom", &TView3DOptions::Zoom, &TView3DOptions::SetZoom, 100)
      .Bool("ZoomText", &TView3DOptions::ZoomText, &TView3DOptions::SetZoomText, true);
}

const std::initializer_list<const char*> kBevels = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};

template <class T>
void ShapeProps(TClassProps<T> p) {
  p.Enum("Bevel", &T::Bevel, &T::SetBevel, kBevels, bvNone)
      .Int("BevelWidth", &T::BevelWidth, &T::SetBevelWidth, 2)
      .Object("Brush", &T::Brush)
      .Int("Color", &T::Color, &T::SetColor, clWhite, Colors())
      .Object("Font", &T::Font)
      .Object("Frame", &T::Frame)
      .Object("Pen", &T::Pen)
      .LazyObject("Gradient", &T::Gradient, &T::GradientIfAny)
      .LazyObject("Shadow", &T::Shadow, &T::ShadowIfAny)
      .Enum("ShapeStyle", &T::ShapeStyle, &T::SetShapeStyle, {"fosRectangle", "fosRoundRectangle"}, fosRectangle)
      .Bool("Transparent", &T::Transparent, &T::SetTransparent, false)
      .Int("Transparency", &T::Transparency, &T::SetTransparency, 0)
      .Bool("Visible", &T::Visible, &T::SetVisible, true);
}

// A shape's Left or Top: stored only for a shape placed by hand (setting either places it so).
class ShapePositionProp final : public TPropInfo {
 public:
  ShapePositionProp(const char* Name, int (TTeeCustomShapePosition::*Get)() const, void (TTeeCustomShapePosition::*Set)(int))
      : TPropInfo(Name, TPropKind::Integer), get_(Get), set_(Set) {}
  int64_t GetOrd(TObject* o) const override { return (Shape(o)->*get_)(); }
  void SetOrd(TObject* o, int64_t v) const override {
    if (v < INT_MIN || v > INT_MAX) throw EReadError("Property " + name_ + " is out of range");
    (Shape(o)->*set_)(static_cast<int>(v));
  }
  bool IsStored(TObject* o) const override { return Shape(o)->CustomPosition(); }

 private:
  static TTeeCustomShapePosition* Shape(TObject* o) { return streaming::detail::Cast<TTeeCustomShapePosition>(o); }
  int (TTeeCustomShapePosition::*get_)() const;
  void (TTeeCustomShapePosition::*set_)(int);
};

void RegisterShapes() {
  ShapeProps(RegisterClass<TTeeCustomShape, TPersistent>("TTeeCustomShape"));
  RegisterClass<TTeeCustomShape, TPersistent>("TTeeCustomShape").DefineProperties(&TTeeCustomShape::DefineProperties);
  RegisterClass<TTeeShape, TTeeCustomShape>("TTeeShape");
  RegisterClass<TChartAxisTitle, TTeeCustomShape>("TChartAxisTitle")
      .Int("Angle", &TChartAxisTitle::Angle, &TChartAxisTitle::SetAngle, 0)
      .String("Caption", &TChartAxisTitle::Caption, &TChartAxisTitle::SetCaption);
  auto position = RegisterClass<TTeeCustomShapePosition, TTeeCustomShape>("TTeeCustomShapePosition");
  position.Class().AddProp(std::make_unique<ShapePositionProp>("Left", &TTeeCustomShapePosition::Left, &TTeeCustomShapePosition::SetLeft));
  position.Class().AddProp(std::make_unique<ShapePositionProp>("Top", &TTeeCustomShapePosition::Top, &TTeeCustomShapePosition::SetTop));
  RegisterClass<TChartTitle, TTeeCustomShapePosition>("TChartTitle")
      .Bool("AdjustFrame", &TChartTitle::AdjustFrame, &TChartTitle::SetAdjustFrame, true)
      .Enum("Alignment", &TChartTitle::Alignment, &TChartTitle::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"}, taCenter)
      .Bool("CustomPosition", &TChartTitle::CustomPosition, &TChartTitle::SetCustomPosition, false)
      .Strings("Text", &TChartTitle::Text);
  RegisterClass<TChartWall, TTeeCustomShape>("TChartWall")
      .Bool("AutoHide", &TChartWall::AutoHide, &TChartWall::SetAutoHide, false)
      .Bool("Dark3D", &TChartWall::Dark3D, &TChartWall::SetDark3D, true)
      .Int("Size", &TChartWall::Size, &TChartWall::SetSize, 0);
  RegisterClass<TChartBackWall, TChartWall>("TChartBackWall");
  RegisterClass<TChartRightWall, TChartWall>("TChartRightWall");
  RegisterClass<TChartLegend, TTeeCustomShapePosition>("TChartLegend")
      .Enum("Alignment", &TChartLegend::Alignment, &TChartLegend::SetAlignment, {"laLeft", "laRight", "laTop", "laBottom"}, laRight)
      .Bool("CheckBoxes", &TChartLegend::CheckBoxes, &TChartLegend::SetCheckBoxes, false)
      .Bool("CustomPosition", &TChartLegend::CustomPosition, &TChartLegend::SetCustomPosition, false)
      .Bool("FontSeriesColor", &TChartLegend::FontSeriesColor, &TChartLegend::SetFontSeriesColor, false)
      .Bool("Inverted", &TChartLegend::Inverted, &TChartLegend::SetInverted, false)
      .Enum("LegendStyle", &TChartLegend::LegendStyle, &TChartLegend::SetLegendStyle, {"lsAuto", "lsSeries", "lsValues", "lsLastValues"}, lsAuto)
      .Int("MaxNumRows", &TChartLegend::MaxNumRows, &TChartLegend::SetMaxNumRows, 10)
      .Bool("ResizeChart", &TChartLegend::ResizeChart, &TChartLegend::SetResizeChart, true)
      .Enum("TextStyle", &TChartLegend::TextStyle, &TChartLegend::SetTextStyle,
            {"ltsPlain", "ltsLeftValue", "ltsRightValue", "ltsLeftPercent", "ltsRightPercent", "ltsXValue", "ltsValue",
             "ltsPercent", "ltsXAndValue", "ltsXAndPercent"},
            ltsLeftValue)
      .Int("TopPos", &TChartLegend::TopPos, &TChartLegend::SetTopPos, 10)
      .Int("VertSpacing", &TChartLegend::VertSpacing, &TChartLegend::SetVertSpacing, 0)
      .Object("DividingLines", &TChartLegend::DividingLines)
      .Enum("CheckBoxesStyle", &TChartLegend::CheckBoxesStyle, &TChartLegend::SetCheckBoxesStyle, {"cbsCheck", "cbsRadio"}, cbsCheck)
      .Int("ColorWidth", &TChartLegend::ColorWidth, &TChartLegend::SetColorWidth, 20)
      .Bool("CurrentPage", &TChartLegend::CurrentPage, &TChartLegend::SetCurrentPage, true)
      .Int("FirstValue", &TChartLegend::FirstValue, &TChartLegend::SetFirstValue, 0)
      .Int("HorizMargin", &TChartLegend::HorizMargin, &TChartLegend::SetHorizMargin, 0)
      .Int("VertMargin", &TChartLegend::VertMargin, &TChartLegend::SetVertMargin, 0)
      .Object("Symbol", &TChartLegend::Symbol)
      .Object("Title", &TChartLegend::Title);
  RegisterClass<TLegendSymbol, TPersistent>("TLegendSymbol")
      .Bool("Continuous", &TLegendSymbol::Continuous, &TLegendSymbol::SetContinuous, false)
      .Bool("DefaultPen", &TLegendSymbol::DefaultPen, &TLegendSymbol::SetDefaultPen, true)
      .Object("Pen", &TLegendSymbol::Pen)
      .Enum("Position", &TLegendSymbol::Position, &TLegendSymbol::SetPosition, {"spLeft", "spRight"}, spLeft)
      .Bool("Squared", &TLegendSymbol::Squared, &TLegendSymbol::SetSquared, false)
      .Bool("Visible", &TLegendSymbol::Visible, &TLegendSymbol::SetVisible, true)
      .Int("Width", &TLegendSymbol::Width, &TLegendSymbol::SetWidth, 20)
      .Enum("WidthUnits", &TLegendSymbol::WidthUnits, &TLegendSymbol::SetWidthUnits, {"lcsPercent", "lcsPixels"}, lcsPercent);
  RegisterClass<TLegendTitle, TTeeShape>("TLegendTitle")
      .Strings("Text", &TLegendTitle::Text)
      .Enum("TextAlignment", &TLegendTitle::TextAlignment, &TLegendTitle::SetTextAlignment,
            {"taLeftJustify", "taRightJustify", "taCenter"}, taLeftJustify);
  RegisterPointerClasses();
  RegisterClass<TSeriesMarksSymbol, TTeeCustomShape>("TSeriesMarksSymbol");
  RegisterClass<TMarksItem, TTeeCustomShape>("TMarksItem")
      .Int("Color", &TTeeCustomShape::Color, &TTeeCustomShape::SetColor, clInfoBk, Colors());
  RegisterClass<TSeriesMarks, TTeeCustomShape>("TSeriesMarks")
      .Int("Angle", &TSeriesMarks::Angle, &TSeriesMarks::SetAngle, 0)
      .LazyObject("Arrow", &TSeriesMarks::Arrow,
                  [](TSeriesMarks* m) -> TChartPen* { return m->CalloutIfAny() ? m->CalloutIfAny()->Arrow() : nullptr; })
      .LazyObject("Callout", &TSeriesMarks::Callout, &TSeriesMarks::CalloutIfAny)
      .LazyObject("Symbol", &TSeriesMarks::Symbol, &TSeriesMarks::SymbolIfAny)
      .Bool("Clip", &TSeriesMarks::Clip, &TSeriesMarks::SetClip, false)
      .Int("Color", &TTeeCustomShape::Color, &TTeeCustomShape::SetColor, clInfoBk, Colors())
      .Int("DrawEvery", &TSeriesMarks::DrawEvery, &TSeriesMarks::SetDrawEvery, 1)
      .Bool("MultiLine", &TSeriesMarks::MultiLine, &TSeriesMarks::SetMultiLine, false)
      .Enum("Style", &TSeriesMarks::Style, &TSeriesMarks::SetStyle,
            {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue", "smsLegend", "smsPercentTotal",
             "smsLabelPercentTotal", "smsXValue", "smsXY"},
            smsLabel)
      .DefineProperties(&TSeriesMarks::DefineProperties);
}

void RegisterAxes() {
  RegisterClass<TAxisItem, TTeeShape>("TAxisItem")
      .String("Text", &TAxisItem::Text, &TAxisItem::SetText)
      .Float("Value", &TAxisItem::Value, &TAxisItem::SetValue, 0);
  RegisterClass<TChartAxis, TPersistent>("TChartAxis")
      .Bool("Automatic", &TChartAxis::Automatic, &TChartAxis::SetAutomatic, true)
      .Bool("AutomaticMaximum", &TChartAxis::AutomaticMaximum, &TChartAxis::SetAutomaticMaximum, true)
      .Bool("AutomaticMinimum", &TChartAxis::AutomaticMinimum, &TChartAxis::SetAutomaticMinimum, true)
      .Object("Axis", &TChartAxis::Axis)
      .String("AxisValuesFormat", &TChartAxis::AxisValuesFormat, "#,##0.###")
      .String("DateTimeFormat", &TChartAxis::DateTimeFormat)
      .Bool("ExactDateTime", &TChartAxis::ExactDateTime, true)
      .Object("Grid", &TChartAxis::Grid)
      .Bool("GridCentered", &TChartAxis::GridCentered, false)
      .Float("Increment", &TChartAxis::Increment, &TChartAxis::SetIncrement, 0)
      .Bool("Inverted", &TChartAxis::Inverted, &TChartAxis::SetInverted, false)
      .Bool("Labels", &TChartAxis::Labels, &TChartAxis::SetLabels, true)
      .Enum("LabelsAlign", &TChartAxis::LabelsAlign, {"alDefault", "alOpposite"}, alDefault)
      .Bool("LabelsAlternate", &TChartAxis::LabelsAlternate, false)
      .Int("LabelsAngle", &TChartAxis::LabelsAngle, &TChartAxis::SetLabelsAngle, 0)
      .Bool("LabelsExponent", &TChartAxis::LabelsExponent, false)
      .Object("LabelsFont", &TChartAxis::LabelsFont)
      .Bool("LabelsMultiLine", &TChartAxis::LabelsMultiLine, false)
      .Bool("LabelsOnAxis", &TChartAxis::LabelsOnAxis, true)
      .Int("LabelsSeparation", &TChartAxis::LabelsSeparation, &TChartAxis::SetLabelsSeparation, 10)
      .Int("LabelsSize", &TChartAxis::LabelsSize, 0)
      .Enum("LabelStyle", &TChartAxis::LabelStyle, &TChartAxis::SetLabelStyle, {"talAuto", "talNone", "talValue", "talMark", "talText"}, talAuto)
      .Bool("Logarithmic", &TChartAxis::Logarithmic, &TChartAxis::SetLogarithmic, false)
      .Float("LogarithmicBase", &TChartAxis::LogarithmicBase, &TChartAxis::SetLogarithmicBase, 10)
      // The limits are stored only when they were fixed; automatic ones are computed.
      .Float("Maximum", [](TChartAxis* a) { return a->AutomaticMaximum() ? 0.0 : a->Maximum(); }, &TChartAxis::SetMaximum, 0)
      .Float("Minimum", [](TChartAxis* a) { return a->AutomaticMinimum() ? 0.0 : a->Minimum(); }, &TChartAxis::SetMinimum, 0)
      .Int("MaximumOffset", &TChartAxis::MaximumOffset, 0)
      .Int("MinimumOffset", &TChartAxis::MinimumOffset, 0)
      .Object("MinorGrid", &TChartAxis::MinorGrid)
      .Int("MinorTickCount", &TChartAxis::MinorTickCount, 3)
      .Int("MinorTickLength", &TChartAxis::MinorTickLength, 2)
      .Object("MinorTicks", &TChartAxis::MinorTicks)
      .Collection("Items", &TChartAxis::Items)
      .Float("StartPosition", &TChartAxis::StartPosition, 0)
      .Float("EndPosition", &TChartAxis::EndPosition, 100)
      .Float("PositionPercent", &TChartAxis::PositionPercent, 0)
      .Bool("RoundFirstLabel", &TChartAxis::RoundFirstLabel, true)
      .Int("TickInnerLength", &TChartAxis::TickInnerLength, 0)
      .Int("TickLength", &TChartAxis::TickLength, 4)
      .Object("Ticks", &TChartAxis::Ticks)
      .Object("TicksInner", &TChartAxis::TicksInner)
      .Bool("TickOnLabelsOnly", &TChartAxis::TickOnLabelsOnly, true)
      .Object("Title", &TChartAxis::Title)
      .Int("TitleSize", &TChartAxis::TitleSize, 0)
      .Bool("Visible", &TChartAxis::Visible, &TChartAxis::SetVisible, true)
      .Float("ZPosition", &TChartAxis::ZPosition, &TChartAxis::SetZPosition, 0.01);
  RegisterClass<TChartDepthAxis, TChartAxis>("TChartDepthAxis")
      .Bool("Visible", &TChartAxis::Visible, &TChartAxis::SetVisible, false);
}

void RegisterChart() {
  RegisterClass<TCustomTeePanel, TCustomControl>("TCustomTeePanel")
      .Object("Border", &TCustomTeePanel::Border)
      .Int("BorderRound", &TCustomTeePanel::BorderRound, &TCustomTeePanel::SetBorderRound, 0)
      .Enum("BevelInner", &TCustomTeePanel::BevelInner, &TCustomTeePanel::SetBevelInner, kBevels, bvNone)
      .Enum("BevelOuter", &TCustomTeePanel::BevelOuter, &TCustomTeePanel::SetBevelOuter, kBevels, bvRaised)
      .Int("BevelWidth", &TCustomTeePanel::BevelWidth, &TCustomTeePanel::SetBevelWidth, 1)
      .Int("BorderWidth", &TCustomTeePanel::BorderWidth, &TCustomTeePanel::SetBorderWidth, 0)
      .Bool("BufferedDisplay", &TCustomTeePanel::BufferedDisplay, &TCustomTeePanel::SetBufferedDisplay, true)
      .Int("MarginLeft", &TCustomTeePanel::MarginLeft, &TCustomTeePanel::SetMarginLeft, 3)
      .Int("MarginTop", &TCustomTeePanel::MarginTop, &TCustomTeePanel::SetMarginTop, 4)
      .Int("MarginRight", &TCustomTeePanel::MarginRight, &TCustomTeePanel::SetMarginRight, 3)
      .Int("MarginBottom", &TCustomTeePanel::MarginBottom, &TCustomTeePanel::SetMarginBottom, 4)
      .Enum("MarginUnits", &TCustomTeePanel::MarginUnits, &TCustomTeePanel::SetMarginUnits, {"muPercent", "muPixels"}, muPercent)
      .Bool("Monochrome", &TCustomTeePanel::Monochrome, &TCustomTeePanel::SetMonochrome, false)
      .Bool("PrintProportional", &TCustomTeePanel::PrintProportional, &TCustomTeePanel::SetPrintProportional, true)
      .Object("Shadow", &TCustomTeePanel::Shadow)
      .Bool("View3D", &TCustomTeePanel::View3D, &TCustomTeePanel::SetView3D, true)
      .Object("View3DOptions", &TCustomTeePanel::View3DOptions)
      .DefineProperties(&TCustomTeePanel::DefineProperties);
  RegisterClass<TCustomTeePanelExtended, TCustomTeePanel>("TCustomTeePanelExtended")
      .Enum("AllowPanning", &TCustomTeePanelExtended::AllowPanning, &TCustomTeePanelExtended::SetAllowPanning,
            {"pmNone", "pmHorizontal", "pmVertical", "pmBoth"}, pmBoth)
      .LazyObject("Gradient", &TCustomTeePanelExtended::Gradient, &TCustomTeePanelExtended::GradientIfAny)
      .LazyObject("BackImage", &TCustomTeePanelExtended::BackImage, &TCustomTeePanelExtended::BackImageIfAny)
      .Enum("BackImageMode", [](TCustomTeePanelExtended* p) { return p->BackImageIfAny() ? p->BackImageIfAny()->Mode() : pbmStretch; },
            [](TCustomTeePanelExtended* p, TTeeBackImageMode v) { p->BackImage()->SetMode(v); },
            {"pbmStretch", "pbmTile", "pbmCenter", "pbmCustom"}, pbmStretch)
      .Bool("BackImageInside", [](TCustomTeePanelExtended* p) { return p->BackImageIfAny() && p->BackImageIfAny()->Inside(); },
            [](TCustomTeePanelExtended* p, bool v) { p->BackImage()->SetInside(v); }, false)
      .Bool("BackImageTransp", &TCustomTeePanelExtended::BackImageTransp, &TCustomTeePanelExtended::SetBackImageTransp, false)
      .Object("Zoom", &TCustomTeePanelExtended::Zoom);
  RegisterClass<TBackImage, TPicture>("TBackImage");
  RegisterClass<TTeeZoom, TPersistent>("TTeeZoom")
      .Bool("Allow", &TTeeZoom::Allow, true)
      .Bool("Animated", &TTeeZoom::Animated, false)
      .Int("AnimatedSteps", &TTeeZoom::AnimatedSteps, 8)
      .Enum("Direction", &TTeeZoom::Direction, {"tzdHorizontal", "tzdVertical", "tzdBoth"}, tzdBoth)
      .Set("KeyShift", [](TTeeZoom* z) { return z->KeyShift.Bits(); },
           [](TTeeZoom* z, uint32_t v) { z->KeyShift = TShiftState::FromBits(v); },
           {"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"}, 0)
      .Int("MinimumPixels", &TTeeZoom::MinimumPixels, 16)
      .Enum("MouseButton", &TTeeZoom::MouseButton, {"mbLeft", "mbRight", "mbMiddle"}, mbLeft)
      .Bool("UpLeftZooms", &TTeeZoom::UpLeftZooms, false)
      .LazyObject("Brush", &TTeeZoom::Brush, &TTeeZoom::BrushIfAny)
      .LazyObject("Pen", &TTeeZoom::Pen, &TTeeZoom::PenIfAny);
  RegisterClass<TCustomAxisPanel, TCustomTeePanelExtended>("TCustomAxisPanel")
      .Bool("AxisBehind", &TCustomAxisPanel::AxisBehind, true)
      .Bool("AxisVisible", &TCustomAxisPanel::AxisVisible, true)
      .Int("Chart3DPercent", &TCustomAxisPanel::Chart3DPercent, &TCustomAxisPanel::SetChart3DPercent, 15)
      .Bool("ClipPoints", &TCustomAxisPanel::ClipPoints, true)
      .Object("LeftAxis", &TCustomAxisPanel::LeftAxis)
      .Object("RightAxis", &TCustomAxisPanel::RightAxis)
      .Object("TopAxis", &TCustomAxisPanel::TopAxis)
      .Object("BottomAxis", &TCustomAxisPanel::BottomAxis)
      .Object("DepthAxis", &TCustomAxisPanel::DepthAxis)
      .Object("DepthTopAxis", &TCustomAxisPanel::DepthTopAxis)
      .Int("MaxPointsPerPage", &TCustomAxisPanel::MaxPointsPerPage, &TCustomAxisPanel::SetMaxPointsPerPage, 0)
      .Int("Page", &TCustomAxisPanel::Page, &TCustomAxisPanel::SetPage, 1)
      .Bool("ScaleLastPage", &TCustomAxisPanel::ScaleLastPage, true)
      .Bool("View3DWalls", &TCustomAxisPanel::View3DWalls, true);
  RegisterClass<TCustomChart, TCustomAxisPanel>("TCustomChart")
      .Object("BackWall", &TCustomChart::BackWall)
      .Object("BottomWall", &TCustomChart::BottomWall)
      .Object("LeftWall", &TCustomChart::LeftWall)
      .Object("RightWall", &TCustomChart::RightWall)
      .Object("Foot", &TCustomChart::Foot)
      .Object("Frame", &TCustomChart::Frame)
      .Object("Legend", &TCustomChart::Legend)
      .Object("SubFoot", &TCustomChart::SubFoot)
      .Object("SubTitle", &TCustomChart::SubTitle)
      .Enum("ScrollMouseButton", &TCustomChart::ScrollMouseButton, {"mbLeft", "mbRight", "mbMiddle"}, mbRight)
      .Object("Title", &TCustomChart::Title)
      .DefineProperties(&TCustomChart::DefineChartProperties);
  RegisterClass<TChart, TCustomChart>("TChart");
}

void RegisterSeries() {
  RegisterClass<TChartValueList, TPersistent>("TChartValueList")
      .Bool("DateTime", &TChartValueList::DateTime, &TChartValueList::SetDateTime, false)
      .String("Name", &TChartValueList::Name, &TChartValueList::SetName)
      .Enum("Order", &TChartValueList::Order, &TChartValueList::SetOrder, {"loNone", "loAscending", "loDescending"}, loNone)
      .String("ValueSource", &TChartValueList::ValueSource, &TChartValueList::SetValueSource)
      .DefineProperties(&TChartValueList::DefineProperties);
  RegisterClass<TChartSeries, TComponent>("TChartSeries")
      .Bool("Active", &TChartSeries::Active, &TChartSeries::SetActive, true)
      .Bool("ColorEachPoint", &TChartSeries::ColorEachPoint, &TChartSeries::SetColorEachPoint, false)
      .String("ColorSource", &TChartSeries::ColorSource, &TChartSeries::SetColorSource)
      .Object("Brush", &TChartSeries::Brush)
      .Int("Cursor", &TChartSeries::Cursor, &TChartSeries::SetCursor, crDefault, &ui::CursorIdents())
      .Int("Depth", &TChartSeries::Depth, &TChartSeries::SetDepth, -1)
      .Enum("HorizAxis", &TChartSeries::HorizAxis, &TChartSeries::SetHorizAxis,
            {"aTopAxis", "aBottomAxis", "aBothHorizAxis", "aCustomHorizAxis"}, aBottomAxis)
      .Object("Marks", &TChartSeries::Marks)
      .Component("ParentChart", &TChartSeries::ParentChart, &TChartSeries::SetParentChart)
      .String("PercentFormat", &TChartSeries::PercentFormat, "##0.## %")
      .Int("SeriesColor", &TChartSeries::OwnColor, &TChartSeries::SetSeriesColor, clTeeColor, Colors())
      .Bool("ShowInLegend", &TChartSeries::ShowInLegend, &TChartSeries::SetShowInLegend, true)
      .String("Title", &TChartSeries::Title, &TChartSeries::SetTitle)
      .String("ValueFormat", &TChartSeries::ValueFormat, "#,##0.###")
      .Enum("VertAxis", &TChartSeries::VertAxis, &TChartSeries::SetVertAxis,
            {"aLeftAxis", "aRightAxis", "aBothVertAxis", "aCustomVertAxis"}, aLeftAxis)
      .String("XLabelsSource", &TChartSeries::XLabelsSource, &TChartSeries::SetXLabelsSource)
      .Object("XValues", &TChartSeries::XValues)
      .Object("YValues", &TChartSeries::YValues)
      .DefineProperties(&TChartSeries::DefineProperties)
      // A function the form owns is written inside its series.
      .ChildrenHook([](TChartSeries* s, TComponent* root) {
        std::vector<TComponent*> out;
        if (s->FunctionType() && s->FunctionType()->Owner() == root) out.push_back(s->FunctionType());
        return out;
      });
  RegisterClass<TCustomLineSeries, TChartSeries>("TCustomLineSeries");
  RegisterClass<TFastLineSeries, TCustomLineSeries>("TFastLineSeries")
      .Bool("AutoRepaint", &TFastLineSeries::AutoRepaint, &TFastLineSeries::SetAutoRepaint, true)
      .Bool("DrawAllPoints", &TFastLineSeries::DrawAllPoints, &TFastLineSeries::SetDrawAllPoints, true)
      .Bool("IgnoreNulls", &TFastLineSeries::IgnoreNulls, &TFastLineSeries::SetIgnoreNulls, true)
      .Bool("InvertedStairs", &TFastLineSeries::InvertedStairs, &TFastLineSeries::SetInvertedStairs, false)
      .Bool("Stairs", &TFastLineSeries::Stairs, &TFastLineSeries::SetStairs, false)
      .Object("LinePen", &TFastLineSeries::LinePen)
      .Class()
      .AddProp(std::make_unique<FastLinePenAlias>());
  RegisterClass<TTeeFunction, TComponent>("TTeeFunction")
      .ParentHook([](TTeeFunction* f, TComponent* p) {
        if (auto* s = dynamic_cast<TChartSeries*>(p)) s->SetFunction(f);
      })
      .Float("Period", &TTeeFunction::Period, &TTeeFunction::SetPeriod, 0)
      .Enum("PeriodAlign", &TTeeFunction::PeriodAlign, &TTeeFunction::SetPeriodAlign, {"paFirst", "paCenter", "paLast"}, paCenter)
      .Enum("PeriodStyle", &TTeeFunction::PeriodStyle, &TTeeFunction::SetPeriodStyle, {"psNumPoints", "psRange"}, psNumPoints);
  RegisterClass<TSmoothingFunction, TTeeFunction>("TSmoothingFunction")
      .Float("Period", &TTeeFunction::Period, &TTeeFunction::SetPeriod, 1)
      .Bool("Interpolate", &TSmoothingFunction::Interpolate, &TSmoothingFunction::SetInterpolate, true)
      .Int("Factor", &TSmoothingFunction::Factor, &TSmoothingFunction::SetFactor, 4);
  RegisterClass<TTeeSeriesSource, TComponent>("TTeeSeriesSource")
      .Bool("Active", &TTeeSeriesSource::Active, &TTeeSeriesSource::SetActive, false)
      .Component("Series", &TTeeSeriesSource::Series, &TTeeSeriesSource::SetSeries);
}

}  // namespace

void MarkChartDefaults(TObject* Instance) {
  RegisterChartClasses();
  MarkOwnDefaults(Instance);
}

void RegisterChartClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterStdCtrlsClasses();
    RegisterOptionObjects();
    RegisterShapes();
    RegisterAxes();
    RegisterChart();
    RegisterSeries();
    RegisterSurfaceClasses();
    RegisterContourClasses();
    RegisterColorGridClasses();
    RegisterTowerClasses();
    RegisterToolClasses();
    RegisterExtraToolClasses();
    RegisterSelectToolClasses();
    RegisterChartSeries("TFastLineSeries", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
    RegisterChartSeries("TSurfaceSeries", &TeeMsg_GallerySurface, &TeeMsg_Gallery3D, 1);
    RegisterChartSeries("TContourSeries", &TeeMsg_GalleryContour, &TeeMsg_Gallery3D, 1);
    RegisterChartSeries("TWaterFallSeries", &TeeMsg_GalleryWaterFall, &TeeMsg_Gallery3D, 1);
    RegisterChartSeries("TColorGridSeries", &TeeMsg_GalleryColorGrid, &TeeMsg_Gallery3D, 1);
    RegisterChartSeries("TTowerSeries", &TeeMsg_GalleryTower, &TeeMsg_Gallery3D, 1);
    RegisterChartSeries("TVector3DSeries", &TeeMsg_GalleryVector3D, &TeeMsg_Gallery3D, 1);
    RegisterChartFunction("TSmoothingFunction", &TeeMsg_FunctionSmooth, &TeeMsg_GalleryExtended, 1);
    return true;
  }();
  (void)done;
}
