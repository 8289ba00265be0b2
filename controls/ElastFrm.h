#pragma once
// TElasticForm: a non-visual component that scales the form owning it proportionally.
// When the form is resized, every control of the form is placed and sized by the ratio of
// the form's client size to its design client size, and fonts follow the smaller of the
// two ratios. Each control keeps a record of its design geometry and fonts, and every
// rescale starts again from those records, so repeated resizes do not drift.
#include <memory>
#include <vector>
#include "platform/graphics/GraphicsObjects.h"
#include "platform/ui/Forms.h"

class TImage;
class TTimer;

// The scaling round used for font sizes and header widths: a fraction of exactly 0.5 or
// less rounds toward zero, anything above it to the nearest integer.
int ElasticRound(double x);

class TElasticForm : public TComponent {
 public:
  // Raises EComponentError when the owner is not a form or already holds one.
  explicit TElasticForm(TComponent* AOwner);
  ~TElasticForm() override;
  const char* ClassName() const override { return "TElasticForm"; }

  bool ElasticHorizontal() const { return elastic_h_; }
  void SetElasticHorizontal(bool v) { elastic_h_ = v; }
  bool ElasticVertical() const { return elastic_v_; }
  void SetElasticVertical(bool v) { elastic_v_ = v; }
  bool ElasticFont() const { return elastic_font_; }
  void SetElasticFont(bool v) { elastic_font_ = v; }
  int DesignScreenWidth() const { return design_screen_w_; }
  void SetDesignScreenWidth(int v) { design_screen_w_ = v; }
  int DesignScreenHeight() const { return design_screen_h_; }
  void SetDesignScreenHeight(int v) { design_screen_h_ = v; }
  int DesignPixelsPerInch() const { return design_ppi_; }
  void SetDesignPixelsPerInch(int v) { design_ppi_ = v; }
  int MaximizedPosX() const { return max_pos_x_; }
  void SetMaximizedPosX(int v) { max_pos_x_ = v; }
  int MaximizedPosY() const { return max_pos_y_; }
  void SetMaximizedPosY(int v) { max_pos_y_ = v; }
  int MinimumTrackWidth() const { return min_track_w_; }
  void SetMinimumTrackWidth(int v) { min_track_w_ = v; }
  int MinimumTrackHeight() const { return min_track_h_; }
  void SetMinimumTrackHeight(int v) { min_track_h_ = v; }
  int MaximumTrackWidth() const { return max_track_w_; }
  void SetMaximumTrackWidth(int v) { max_track_w_ = v; }
  int MaximumTrackHeight() const { return max_track_h_; }
  void SetMaximumTrackHeight(int v) { max_track_h_ = v; }
  int DesignFormWidth() const { return design_form_w_; }
  void SetDesignFormWidth(int v) { design_form_w_ = v; }
  int DesignFormHeight() const { return design_form_h_; }
  void SetDesignFormHeight(int v) { design_form_h_ = v; }
  int DesignFormClientWidth() const { return design_client_w_; }
  void SetDesignFormClientWidth(int v) { design_client_w_ = v; }
  int DesignFormClientHeight() const { return design_client_h_; }
  void SetDesignFormClientHeight(int v) { design_client_h_ = v; }
  int DesignFormLeft() const { return design_form_left_; }
  void SetDesignFormLeft(int v) { design_form_left_ = v; }
  int DesignFormTop() const { return design_form_top_; }
  void SetDesignFormTop(int v) { design_form_top_ = v; }
  bool MaintainProportions() const { return maintain_proportions_; }
  void SetMaintainProportions(bool v) { maintain_proportions_ = v; }
  TFont* Font() { return &font_; }
  TImage* BkGrndImage() const { return bk_image_; }
  void SetBkGrndImage(TImage* v);
  bool DBGridSelfResize() const { return db_grid_self_resize_; }
  void SetDBGridSelfResize(bool v) { db_grid_self_resize_ = v; }
  const AnsiString& ElFrmIniFile() const { return ini_file_; }
  void SetElFrmIniFile(const AnsiString& v) { ini_file_ = v; }
  // Always 700.0: writes are ignored.
  float Version() const { return 700.0f; }
  void SetVersion(float) {}
  bool GridColumnWidthResize() const { return grid_col_resize_; }
  void SetGridColumnWidthResize(bool v) { grid_col_resize_ = v; }
  bool GridRowHeightResize() const { return grid_row_resize_; }
  void SetGridRowHeightResize(bool v) { grid_row_resize_ = v; }
  bool GridFontResize() const { return grid_font_resize_; }
  void SetGridFontResize(bool v) { grid_font_resize_ = v; }
  bool FontWarning() const { return font_warning_; }
  void SetFontWarning(bool v) { font_warning_ = v; }
  bool LookForExtraFonts() const { return look_extra_fonts_; }
  void SetLookForExtraFonts(bool v) { look_extra_fonts_ = v; }
  bool ResolutionIndependence() const { return resolution_independence_; }
  void SetResolutionIndependence(bool v) { resolution_independence_ = v; }
  const AnsiString& EFActiveControl() const { return ef_active_control_; }
  void SetEFActiveControl(const AnsiString& v) { ef_active_control_ = v; }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }

  // Takes a control of the form out of scaling: from then on it keeps the bounds it was
  // recorded with. Controls excluded before the first rescale are still scaled once.
  void ExcludeControl(TControl* Control);

  // Fired at the end of every rescale.
  TNotifyEvent OnAfterResize;

  // The form was resized or shown (called by the form's hooks; public for tests).
  // A resize rescales once the window has kept its size for kResizeSettleMs.
  void FormResized();
  void FormShown();
  bool ResizePending() const;
  // Runs a waiting rescale now (when the size changed by more than 5 pixels).
  void FlushPendingResize();
  static constexpr unsigned kResizeSettleMs = 60;
  // Rescales every listed control from its record now.
  void Rescale();
  // The screen's size changed from the one last noted to NewScreenWidth x NewScreenHeight
  // (called when the window system reports it): the window's left and width follow the
  // screen's width by the same ratio, its top and height the screen's height, and the
  // form is rescaled.
  void DisplayChanged(int NewScreenWidth, int NewScreenHeight);

  // State, for callers that place controls themselves and for tests.
  bool Initialised() const { return initialised_; }
  int ControlListCount() const { return static_cast<int>(frames_.size()); }
  TControl* ListedControl(int i) const;
  double HorizontalResolution() const { return hres_; }
  double VerticalResolution() const { return vres_; }
  double FontRatio() const { return font_ratio_; }
  int BaseClientWidth() const { return base_client_w_; }
  int BaseClientHeight() const { return base_client_h_; }

  // Size limits of the window: zero where there is none.
  struct TTrackLimits {
    int MaxWidth = 0, MaxHeight = 0, MaxPosX = 0, MaxPosY = 0;
    int MinTrackWidth = 0, MinTrackHeight = 0, MaxTrackWidth = 0, MaxTrackHeight = 0;
  };
  TTrackLimits TrackLimits(int ScreenWidth, int ScreenHeight) const;
  // Gives the window the limits for the current screen (done after the first rescale).
  void ApplySizeLimits();

  // Window placement in ElFrmIniFile (nothing when it is empty): written on close, on
  // minimise and after a resize, read back when the form first shows. The section is
  // named after the form.
  AnsiString PlacementSection() const;
  void SavePlacement();
  // True when a whole, sound placement was found and applied.
  bool LoadPlacement();
  // The size after a drag from W0 x H0 to W x H that keeps the start proportion.
  static TSize KeepProportions(int W0, int H0, int W, int H);

  // The record of one scaled control: its design geometry and fonts.
  struct TFrame;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Initialise();
  // The focused control's name kept in EFActiveControl, and the focus given back to it.
  void RememberActiveControl();
  void RestoreFocus();
  // Rescales with the moved controls hidden meanwhile; the focus goes back after.
  std::vector<TControl*> HideControls();
  void ShowControls(const std::vector<TControl*>& Hidden);
  void RescaleHidden();
  void PaintBackground();
  void CollectControls(TWinControl* Parent, std::vector<TControl*>& Out, std::vector<TControl*>& Bars);
  void ApplyStartBounds();
  void ApplyExclusions();
  void Record(TFrame& F, double H, double V, double FontFactor);
  void Apply(TFrame& F, int ClientW, int ClientH, double FontRatio);
  void ApplyFonts(TFrame& F, double FontRatio);
  TForm* Form() const;

  bool elastic_h_ = true, elastic_v_ = true, elastic_font_ = true;
  int design_screen_w_ = 0, design_screen_h_ = 0, design_ppi_ = 96;
  int max_pos_x_ = 0, max_pos_y_ = 0;
  int min_track_w_ = 0, min_track_h_ = 0, max_track_w_ = 0, max_track_h_ = 0;
  int design_form_w_ = 0, design_form_h_ = 0, design_client_w_ = 0, design_client_h_ = 0;
  int design_form_left_ = 0, design_form_top_ = 0;
  bool maintain_proportions_ = false;
  TFont font_;
  TImage* bk_image_ = nullptr;
  bool db_grid_self_resize_ = false;
  AnsiString ini_file_;
  bool grid_col_resize_ = true, grid_row_resize_ = true, grid_font_resize_ = true;
  bool font_warning_ = true, look_extra_fonts_ = true, resolution_independence_ = true;
  AnsiString ef_active_control_;
  bool active_ = true;

  std::vector<std::unique_ptr<TFrame>> frames_;
  std::vector<TControl*> excluded_;
  double hres_ = 1, vres_ = 1, font_factor_ = 1;
  int base_client_w_ = 0, base_client_h_ = 0, base_font_size_ = 0;
  double font_ratio_ = 1;
  int last_w_ = -1, last_h_ = -1, last_outer_w_ = -1, last_outer_h_ = -1;
  TWinControl* focused_before_hiding_ = nullptr;  // only while a rescale runs
  TWindowState last_state_ = wsNormal;  // the window's state when last rescaled
  int screen_w_ = 0, screen_h_ = 0;     // the screen's size as last noted
  TTimer* resize_timer_ = nullptr;
  TRect normal_bounds_;  // the window's bounds when last seen neither minimised nor maximised
  bool initialised_ = false, first_rescale_ = true, rescaling_ = false;
};
