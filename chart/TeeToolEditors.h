#pragma once
// The editor forms of the series tools: the base form with the series combo, and the forms
// of the drag-point, selector, series-band and surface-nearest tools. The tool a form edits
// is handed to it before it is shown; the forms are found by their class names.
#include "chart/TeeEditors.h"
#include "chart/TeeToolsSelect.h"

class TCheckBox;
class TLabel;
class TRadioGroup;

class TSeriesToolEditor : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSeriesToolEditor"; }
  static void Publish(TClassProps<TSeriesToolEditor>& P);
  TComboFlat* CBSeries = nullptr;
  // The tool to edit (set before the form is shown).
  TTeeCustomTool* Tool = nullptr;
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void CBSeriesChange(TObject* Sender);

 protected:
  TTeeCustomToolSeries* SeriesTool() const { return dynamic_cast<TTeeCustomToolSeries*>(Tool); }
};

// Fills Items with the display names of the chart's series, each with its series object;
// Accept picks which series are listed (all when empty).
void FillSeriesItems(TStrings* Items, TCustomAxisPanel* Chart, std::function<bool(TChartSeries*)> Accept = {});

class TDragPointToolEdit : public TSeriesToolEditor {
 public:
  using TSeriesToolEditor::TSeriesToolEditor;
  const char* ClassName() const override { return "TDragPointToolEdit"; }
  static void Publish(TClassProps<TDragPointToolEdit>& P);
  TRadioGroup* RGStyle = nullptr;
  TComboFlat* CBCursor = nullptr;
  void FormShow(TObject* Sender);
  void RGStyleClick(TObject* Sender);
  void CBSeriesChange(TObject* Sender);
  void CBCursorChange(TObject* Sender);
};

class TSelectorToolEditor : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSelectorToolEditor"; }
  static void Publish(TClassProps<TSelectorToolEditor>& P);
  TButtonPen* BPen = nullptr;
  TButtonColor* BColor = nullptr;
  TEdit* Edit1 = nullptr;
  TUpDown* UDSize = nullptr;
  TCheckBox* CBAllowDrag = nullptr;
  TCheckBox* CBResizeChart = nullptr;
  TTeeCustomTool* Tool = nullptr;
  void FormShow(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void CBAllowDragClick(TObject* Sender);
  void CBResizeChartClick(TObject* Sender);

 private:
  TSelectorTool* Selector() const { return dynamic_cast<TSelectorTool*>(Tool); }
  bool shown_ = false;
};

class TSeriesBandToolEdit : public TSeriesToolEditor {
 public:
  using TSeriesToolEditor::TSeriesToolEditor;
  const char* ClassName() const override { return "TSeriesBandToolEdit"; }
  static void Publish(TClassProps<TSeriesBandToolEdit>& P);
  TComboFlat* CBSeries2 = nullptr;
  TButtonPen* BPen = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TCheckBox* CBDrawBehindSeries = nullptr;
  TEdit* ETransp = nullptr;
  TUpDown* UDTransp = nullptr;
  void FormShow(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void CBSeries2Change(TObject* Sender);
  void CBDrawBehindSeriesClick(TObject* Sender);
  void ETranspChange(TObject* Sender);

 private:
  TSeriesBandTool* Band() const { return dynamic_cast<TSeriesBandTool*>(Tool); }
  bool shown_ = false;
};

class TSurfaceNearest : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TSurfaceNearest"; }
  static void Publish(TClassProps<TSurfaceNearest>& P);
  TComboFlat* CBSeries = nullptr;
  TLabel* Label1 = nullptr;
  TButtonColor* ButtonColor1 = nullptr;
  TButtonColor* ButtonColor2 = nullptr;
  TButtonColor* ButtonColor3 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TCheckBox* CheckBox4 = nullptr;
  TCheckBox* CheckBox5 = nullptr;
  TCheckBox* CheckBox6 = nullptr;
  TTeeCustomTool* Tool = nullptr;
  void FormShow(TObject* Sender);
  void CBSeriesChange(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void CheckBox4Click(TObject* Sender);
  void CheckBox5Click(TObject* Sender);
  void CheckBox6Click(TObject* Sender);
  void ButtonColor1Click(TObject* Sender);
  void ButtonColor2Click(TObject* Sender);
  void ButtonColor3Click(TObject* Sender);

 private:
  TSurfaceNearestTool* Nearest() const { return dynamic_cast<TSurfaceNearestTool*>(Tool); }
  bool loading_ = false;
};

// The editor form of that class name for Tool (nullptr when the tool has no form here).
TForm* CreateToolEditor(const AnsiString& ClassName, TTeeCustomTool* Tool);
