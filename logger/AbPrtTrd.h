#pragma once
// The trend print renderer: draws a range of a trend recorder's records as one page with a
// caption, a legend of the channels with their minimum and maximum, vertical scales, the
// traces and a time scale. It prints the page, or draws it scaled into a paint box as a
// preview.
#include <array>
#include <functional>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/SmallSet.h"

class TAbTrend;
class TPaintBox;

// Unit of every size of the renderer: 0.01 inch, 0.1 mm, or screen pixels.
enum TPrtFormat { pfInch, pfMetric, pfPixel };
enum TPrtOption { ptCaption, ptLegend, ptColor, ptVerticalScale, ptSelScaleOnly, ptUseTrdBkCol };
using TPrtOptions = SmallSet<TPrtOption>;
enum TLegendOption { loName1, loName2, loMin, loMinTime, loMax, loMaxTime, loUnit };
using TLegendOptions = SmallSet<TLegendOption>;
// Scoped: the gauge family has an lpLeft and lpRight of its own.
enum class TLegendPosition { lpSplit, lpLeft, lpCenter, lpRight };

struct TLegendCaptions {
  AnsiString ChannelNo = "ChNo", Name1 = "Name1", Name2 = "Name2", Min = "Min", MinTime = "MinTime", Max = "Max",
             MaxTime = "MaxTime", lUnit = "Unit";
};

class TAbPrintTrend;

class TLegend {
 public:
  explicit TLegend(TAbPrintTrend* owner) : owner_(owner) {}
  const TLegendCaptions& Captions() const { return captions_; }
  void SetCaptions(const TLegendCaptions& v);
  TLegendOptions Options() const { return options_; }
  void SetOptions(TLegendOptions v);
  TLegendPosition Position() const { return position_; }
  void SetPosition(TLegendPosition v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  TNotifyEvent OnChange;

 private:
  void Changed();
  TAbPrintTrend* owner_;
  TLegendCaptions captions_;
  TLegendOptions options_{loName1, loName2, loMin, loMinTime, loMax, loMaxTime, loUnit};
  TLegendPosition position_ = TLegendPosition::lpSplit;
  int margin_ = 20;
};

// Where the legend's columns end, measured from its left edge: [0] the channel column,
// then Name1, Name2, minimum, time of minimum, maximum, time of maximum, unit. An absent
// column ends where the one before it does.
struct TLegendColumns {
  std::array<int, 8> Width{};  // text widths of the columns
  std::array<int, 8> Edge{};
  int TotalWidth = 0;
};

class TAbPrintTrend : public TComponent {
 public:
  explicit TAbPrintTrend(TComponent* AOwner);
  ~TAbPrintTrend() override;
  const char* ClassName() const override { return "TAbPrintTrend"; }

  TAbTrend* Trend() const { return trend_; }
  void SetTrend(TAbTrend* v);
  TPrtFormat Format() const { return format_; }
  void SetFormat(TPrtFormat v);
  int Width() const { return width_; }
  void SetWidth(int v);
  int Height() const { return height_; }
  void SetHeight(int v);
  int FontSize() const { return font_size_; }
  void SetFontSize(int v);
  int FontSizeCaption() const { return font_size_caption_; }
  void SetFontSizeCaption(int v);
  int ScaleSpacing() const { return scale_spacing_; }
  void SetScaleSpacing(int v);
  int TrendSpace() const { return trend_space_; }
  void SetTrendSpace(int v);
  int OuterBorder() const { return outer_border_; }
  void SetOuterBorder(int v);
  int RecFrom() const { return rec_from_; }
  void SetRecFrom(int v);
  int RecTo() const { return rec_to_; }
  void SetRecTo(int v);
  int TimeScaleSteps() const { return time_steps_; }
  void SetTimeScaleSteps(int v);
  TPrtOptions Options() const { return options_; }
  void SetOptions(TPrtOptions v);
  TFont* Font() { return &font_; }
  double PreviewZoom() const { return zoom_; }
  void SetPreviewZoom(double v);
  TPaintBox* PreviewPaintBox() const { return paint_box_; }
  void SetPreviewPaintBox(TPaintBox* v);
  int LogPixelScreen() const { return log_pixel_screen_; }
  void SetLogPixelScreen(int v);
  TColor BkColor() const { return bk_color_; }
  void SetBkColor(TColor v);
  TLegend* Legend() { return &legend_; }

  TNotifyEvent OnSettingsChange, OnAfterBeginDoc, OnBeforeEndDoc;

  // Prints the range as one page on the printer, with the margins in Format units.
  void Print(int LeftMargin, int TopMargin);
  // Draws the preview into PreviewPaintBox (its paint handler).
  void PaintPreview(TObject* Sender = nullptr);
  // Renders the page onto a canvas: the preview (scaled by PreviewZoom) or a printed page
  // at PrinterDpi, made smaller where it would not fit on Paper (printer pixels).
  void Render(TCanvas* Canvas, int LeftMargin, int TopMargin, bool Preview, double PrinterDpi = 0,
              TPoint Paper = TPoint{});

  // Recomputes the screen-pixel sizes, repaints the preview, and reports the change.
  void Changed();
  // Screen-pixel sizes (Format units converted at LogPixelScreen).
  int PixelWidth() const { return px_width_; }
  int PixelHeight() const { return px_height_; }
  // The factor the preview draws its text with (instead of PreviewZoom): the page shown
  // against a page of 270 by 190 mm on the screen, at least 1, so that text shows at no
  // less than its size on the screen.
  double PreviewTextScale() const;
  // The page the default sizes are meant for, in 0.1 mm.
  static constexpr int kNominalPageWidth = 2700, kNominalPageHeight = 1900;

  // Where the last rendering put the texts of the scales and of the time scale.
  const std::vector<TRect>& ScaleTextRects() const { return scale_texts_; }
  // For each of ScaleTextRects: its channel and the line of the scale it stands for (0 at
  // the top, GridYSteps at the bottom), and whether it is the channel's tag.
  struct TScaleTextPlace {
    int Channel, Line;
    bool Tag;
  };
  const std::vector<TScaleTextPlace>& ScaleTextPlaces() const { return scale_places_; }
  const std::vector<TRect>& TimeTextRects() const { return time_texts_; }

  // The legend's columns measured with the canvas' current font.
  TLegendColumns LegendColumns(TCanvas* Canvas);
  // Left edges of the two halves of a split legend of width LegendWidth between Left and
  // Right: the spare width is shared in three equal gaps.
  static std::pair<int, int> SplitPositions(int Left, int Right, int LegendWidth);

 private:
  int ToPixels(int v) const;
  int Scaled(int px) const;
  int TextScaled(int px) const;
  void DrawLegend(TCanvas* c, TRect& area, int first, int last);
  void DrawLegendBlock(TCanvas* c, int x, int y, int a, int b, const TLegendColumns& cols);
  void DrawScale(TCanvas* c, TRect& area, int ch, int wf);

  TAbTrend* trend_ = nullptr;
  TPrtFormat format_ = pfMetric;
  int width_ = 2700, height_ = 1900, font_size_ = 26, font_size_caption_ = 60;
  int scale_spacing_ = 10, trend_space_ = 20, outer_border_ = 20;
  int rec_from_ = 0, rec_to_ = 2147483647, time_steps_ = 5;
  TPrtOptions options_{ptCaption, ptLegend, ptColor, ptVerticalScale, ptUseTrdBkCol};
  TFont font_;
  double zoom_ = 0.6;
  TPaintBox* paint_box_ = nullptr;
  int log_pixel_screen_ = 96;
  TColor bk_color_ = clWhite;
  TLegend legend_{this};

  // Derived screen-pixel sizes.
  int px_width_ = 0, px_height_ = 0, px_font_ = 0, px_font_caption_ = 0, px_scale_spacing_ = 0,
      px_trend_space_ = 0, px_outer_border_ = 0, px_legend_margin_ = 0;
  // Rendering state.
  double s_ = 1.0;
  double text_s_ = 1.0;  // the factor of text heights: s_, or the preview's text scale
  int th_ = 0, g_ = 0;
  int scale_room_below_ = 0;  // below the trace area: the time scale's room, which scale texts may reach into
  std::vector<TRect> scale_texts_, time_texts_;
  std::vector<TScaleTextPlace> scale_places_;
};

// Text formats of times and dates on the page.
inline constexpr const char* kPrintTimeFormat = "hh:nn:ss";
inline constexpr const char* kPrintDateFormat = "dd/mm/yyyy";
