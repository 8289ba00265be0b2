#pragma once
// Small modal editors of the chart's drawing objects: the pen ("Border Editor"), the brush
// ("Pattern Color Editor") and the gradient ("Gradient Editor"), the pen button that opens
// the pen editor, and the names of the mouse cursors. Each editor works on the object
// itself and gives it back exactly as it was when the user leaves without OK.
#include <memory>
#include "chart/TeCanvas.h"
#include "chart/TeeEditCtrls.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TCheckBox;
class TLabel;
class TGroupBox;
class TListBox;
class TScrollBar;
class TPageControl;
class TTabSheet;

// The chart's own hand cursor, beside the platform's cursors.
constexpr TCursor crTeeHand = 2020;
AnsiString TeeCursorToName(TCursor Cursor);
// The cursor of that name; false (Cursor unchanged) for an unknown name.
bool TeeNameToCursor(const AnsiString& Name, TCursor& Cursor);
// Fills Combo with every cursor name without its leading "cr" and selects Current.
void FillTeeCursors(TComboBox* Combo, TCursor Current);
// The cursor the combo's selected item names; Old when none or unknown.
TCursor TeeCursorOfCombo(TComboBox* Combo, TCursor Old);

class TPenDialog : public TForm {
 public:
  using TForm::TForm;
  ~TPenDialog() override;
  const char* ClassName() const override { return "TPenDialog"; }
  static void Publish(TClassProps<TPenDialog>& P);

  TCheckBox* CBVisible = nullptr;
  TEdit* SEWidth = nullptr;
  TUpDown* UDWidth = nullptr;
  TComboBox* CBStyle = nullptr;
  TComboBox* CBEndStyle = nullptr;
  TButtonColor* BColor = nullptr;
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;

  TPen* ThePen = nullptr;
  bool Modified = false;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void SEWidthChange(TObject* Sender);
  void CBVisibleClick(TObject* Sender);
  void CBStyleChange(TObject* Sender);
  void CBEndStyleChange(TObject* Sender);
  void CBStyleDrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
  void BColorClick(TObject* Sender);
  void BCancelClick(TObject* Sender);

 private:
  void Restore();
  TChartPen* ChartPen() const { return dynamic_cast<TChartPen*>(ThePen); }
  std::unique_ptr<TChartPen> backup_;
  bool shown_ = false;
};

class TBrushDialog : public TForm {
 public:
  using TForm::TForm;
  ~TBrushDialog() override;
  const char* ClassName() const override { return "TBrushDialog"; }
  static void Publish(TClassProps<TBrushDialog>& P);

  TListBox* LStyle = nullptr;
  TButtonColor* BColor = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TImage* Image1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;

  TChartBrush* TheBrush = nullptr;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void LStyleClick(TObject* Sender);
  void LStyleDrawItem(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State);
  void Button1Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  // The fill of list item Index: a brush style (items 0..7) or a picture.
  static void PatternOfItem(int Index, TBitmap& Into);

 private:
  void RefreshImage();
  std::unique_ptr<TChartBrush> backup_;
  bool restored_ = false;
};

// A chart panel without content that shows only its background gradient.
class TPreviewGradient : public TCustomControl {
 public:
  explicit TPreviewGradient(TComponent* AOwner) : TCustomControl(AOwner) {}
  const char* ClassName() const override { return "TPreviewGradient"; }
  TTeeGradient* Gradient() { return &gradient_; }
  void Paint() override;

 private:
  TTeeGradient gradient_;
};

struct TGradientPreset {
  const char* Name;
  TColor Start, Middle, End;
  int Balance;
  TGradientDirection Direction;
};
const std::vector<TGradientPreset>& GradientPresets();

class TTeeGradientEditor : public TForm {
 public:
  using TForm::TForm;
  ~TTeeGradientEditor() override;
  const char* ClassName() const override { return "TTeeGradientEditor"; }
  static void Publish(TClassProps<TTeeGradientEditor>& P);

  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabDefault = nullptr;
  TListBox* Gallery = nullptr;
  TButtonColor* BStart = nullptr;
  TButtonColor* BMid = nullptr;
  TButtonColor* BEnd = nullptr;
  TCheckBox* CBMid = nullptr;
  TButton* BSwap = nullptr;
  TScrollBar* SBBalance = nullptr;
  TLabel* LabelBalance = nullptr;
  TTrackBar* TrackBar1 = nullptr;
  TTrackBar* TrackBar2 = nullptr;
  TLabel* LRadialX = nullptr;
  TLabel* LRadialY = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TCheckBox* CBVisible = nullptr;
  TComboBox* CBDirection = nullptr;
  TButton* BOk = nullptr;
  TButton* BCancel = nullptr;

  bool Modified = false, HideEnd = false, Loading = false;
  TPreviewGradient* Preview = nullptr;
  TCustomTeeGradient* TheGradient = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void CBVisibleClick(TObject* Sender);
  void CBDirectionChange(TObject* Sender);
  void BSwapClick(TObject* Sender);
  void CBMidClick(TObject* Sender);
  void BMidClick(TObject* Sender);
  void BStartClick(TObject* Sender);
  void BEndClick(TObject* Sender);
  void TrackBar1Change(TObject* Sender);
  void TrackBar2Change(TObject* Sender);
  void SBBalanceChange(TObject* Sender);
  void GalleryClick(TObject* Sender);
  void BCancelClick(TObject* Sender);
  // Edits Gradient from now on (the backup is taken anew).
  void SetGradient(TCustomTeeGradient* Gradient);
  // The gradient the form takes up when it is shown.
  void SetGradientTag(TCustomTeeGradient* Gradient) { gradient_tag_ = Gradient; }

 private:
  void RefreshControls();
  void CheckEnabled();
  void UpdatePreview();
  void Restore();
  std::unique_ptr<TTeeGradient> backup_;
  TCustomTeeGradient* gradient_tag_ = nullptr;
};

// The editors, shown modally through the dialog service; true when closed with OK.
bool ShowPenEditor(TComponent* Owner, TPen* Pen, bool HideVisible = false);
bool ShowBrushEditor(TComponent* Owner, TChartBrush* Brush);
bool ShowGradientEditor(TComponent* Owner, TCustomTeeGradient* Gradient, bool HideEnd = false, bool HideVisible = false);

// A button linked to a pen: it shows a line drawn with the pen and opens the pen editor.
class TButtonPen : public TTeeButton {
 public:
  using TTeeButton::TTeeButton;
  const char* ClassName() const override { return "TButtonPen"; }
  void LinkPen(TChartPen* Pen);
  TChartPen* Pen() const { return pen_; }
  bool HideVisible = false;
  void Click() override;

 protected:
  void DrawSymbol(TCanvas& Canvas) override;
  bool HasSymbol() const override { return pen_ != nullptr; }

 private:
  TChartPen* pen_ = nullptr;
};

// Registers the editor forms and their controls for form resources.
void RegisterChartEditorClasses();
