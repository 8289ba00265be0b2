#include "chart/TeeToolEditors.h"

#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeSurfa.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/UiStreaming.h"

namespace {

constexpr TColor kDefaultColor = clTeeColor;  // "Default": the point keeps the series' colour

TChartSeries* SeriesOfItem(TComboBox* Combo) {
  const int i = Combo->ItemIndex();
  return i < 0 ? nullptr : dynamic_cast<TChartSeries*>(Combo->Items()->Objects(i));
}

void SelectSeries(TComboBox* Combo, TChartSeries* S) { Combo->SetItemIndex(Combo->Items()->IndexOfObject(S)); }

}  // namespace

void FillSeriesItems(TStrings* Items, TCustomAxisPanel* Chart, std::function<bool(TChartSeries*)> Accept) {
  Items->Clear();
  if (!Chart) return;
  for (int i = 0; i < Chart->SeriesCount(); ++i) {
    TChartSeries* s = Chart->Series(i);
    if (s->InternalUse || (Accept && !Accept(s))) continue;
    AnsiString name = s->Title();
    if (name.empty()) name = s->Name();
    if (name.empty()) name = "Series" + IntToStr(i + 1);
    Items->AddObject(name, s);
  }
}

// =======================================================================================
// TSeriesToolEditor

void TSeriesToolEditor::Publish(TClassProps<TSeriesToolEditor>& P) {
  P.Field("CBSeries", &TSeriesToolEditor::CBSeries)
      .Handler("FormCreate", &TSeriesToolEditor::FormCreate)
      .Handler("FormShow", &TSeriesToolEditor::FormShow)
      .Handler("CBSeriesChange", &TSeriesToolEditor::CBSeriesChange);
}

void TSeriesToolEditor::FormCreate(TObject*) { SetAlign(alClient); }

void TSeriesToolEditor::FormShow(TObject*) {
  TTeeCustomToolSeries* t = SeriesTool();
  if (!t) return;
  FillSeriesItems(CBSeries->Items(), t->ParentChart());
  CBSeries->SetEnabled(t->ParentChart() && t->ParentChart()->SeriesCount() > 0);
  CBSeries->Items()->InsertObject(0, TeeMsg_None, nullptr);
  SelectSeries(CBSeries, t->Series());
}

void TSeriesToolEditor::CBSeriesChange(TObject*) {
  if (TTeeCustomToolSeries* t = SeriesTool()) t->SetSeries(SeriesOfItem(CBSeries));
}

// =======================================================================================
// TDragPointToolEdit

void TDragPointToolEdit::Publish(TClassProps<TDragPointToolEdit>& P) {
  P.Field("CBSeries", &TDragPointToolEdit::CBSeries)
      .Field("RGStyle", &TDragPointToolEdit::RGStyle)
      .Field("CBCursor", &TDragPointToolEdit::CBCursor)
      .Handler("FormCreate", &TDragPointToolEdit::FormCreate)
      .Handler("FormShow", &TDragPointToolEdit::FormShow)
      .Handler("RGStyleClick", &TDragPointToolEdit::RGStyleClick)
      .Handler("CBSeriesChange", &TDragPointToolEdit::CBSeriesChange)
      .Handler("CBCursorChange", &TDragPointToolEdit::CBCursorChange);
}

void TDragPointToolEdit::FormShow(TObject* Sender) {
  TSeriesToolEditor::FormShow(Sender);
  CBCursor->SetEnabled(false);
  auto* t = dynamic_cast<TDragPointTool*>(Tool);
  if (!t) return;
  RGStyle->SetItemIndex(t->DragStyle);
  if (t->Series()) {
    CBCursor->SetEnabled(true);
    FillTeeCursors(CBCursor, t->Series()->Cursor());
  }
}

void TDragPointToolEdit::RGStyleClick(TObject*) {
  if (auto* t = dynamic_cast<TDragPointTool*>(Tool)) {
    const int i = RGStyle->ItemIndex();
    t->DragStyle = i == 0 ? dsX : i == 1 ? dsY : dsBoth;
  }
}

void TDragPointToolEdit::CBSeriesChange(TObject* Sender) {
  TSeriesToolEditor::CBSeriesChange(Sender);
  TTeeCustomToolSeries* t = SeriesTool();
  CBCursor->SetEnabled(t && t->Series());
  if (t && t->Series()) FillTeeCursors(CBCursor, t->Series()->Cursor());
}

void TDragPointToolEdit::CBCursorChange(TObject*) {
  TTeeCustomToolSeries* t = SeriesTool();
  if (t && t->Series()) t->Series()->SetCursor(TeeCursorOfCombo(CBCursor, t->Series()->Cursor()));
}

// =======================================================================================
// TSelectorToolEditor

void TSelectorToolEditor::Publish(TClassProps<TSelectorToolEditor>& P) {
  using E = TSelectorToolEditor;
  P.Field("BPen", &E::BPen)
      .Field("BColor", &E::BColor)
      .Field("Edit1", &E::Edit1)
      .Field("UDSize", &E::UDSize)
      .Field("CBAllowDrag", &E::CBAllowDrag)
      .Field("CBResizeChart", &E::CBResizeChart)
      .Handler("FormShow", &E::FormShow)
      .Handler("Edit1Change", &E::Edit1Change)
      .Handler("CBAllowDragClick", &E::CBAllowDragClick)
      .Handler("CBResizeChartClick", &E::CBResizeChartClick);
}

void TSelectorToolEditor::FormShow(TObject*) {
  shown_ = false;
  TSelectorTool* t = Selector();
  if (!t) return;
  UDSize->SetAssociate(Edit1);
  BPen->LinkPen(t->Pen());
  BColor->LinkProperty(t->Brush(), "Color");
  UDSize->SetPosition(t->HandleSize());
  CBAllowDrag->SetChecked(t->AllowDrag);
  CBResizeChart->SetChecked(t->AllowResizeChart);
  shown_ = true;
}

void TSelectorToolEditor::Edit1Change(TObject*) {
  if (shown_ && Selector()) Selector()->SetHandleSize(UDSize->Position());
}

void TSelectorToolEditor::CBAllowDragClick(TObject*) {
  if (Selector()) Selector()->AllowDrag = CBAllowDrag->Checked();
}

void TSelectorToolEditor::CBResizeChartClick(TObject*) {
  if (Selector()) Selector()->AllowResizeChart = CBResizeChart->Checked();
}

// =======================================================================================
// TSeriesBandToolEdit

void TSeriesBandToolEdit::Publish(TClassProps<TSeriesBandToolEdit>& P) {
  using E = TSeriesBandToolEdit;
  P.Field("CBSeries", &E::CBSeries)
      .Field("CBSeries2", &E::CBSeries2)
      .Field("BPen", &E::BPen)
      .Field("Button1", &E::Button1)
      .Field("Button2", &E::Button2)
      .Field("CBDrawBehindSeries", &E::CBDrawBehindSeries)
      .Field("ETransp", &E::ETransp)
      .Field("UDTransp", &E::UDTransp)
      .Handler("FormCreate", &E::FormCreate)
      .Handler("FormShow", &E::FormShow)
      .Handler("CBSeriesChange", &E::CBSeriesChange)
      .Handler("Button1Click", &E::Button1Click)
      .Handler("Button2Click", &E::Button2Click)
      .Handler("CBSeries2Change", &E::CBSeries2Change)
      .Handler("CBDrawBehindSeriesClick", &E::CBDrawBehindSeriesClick)
      .Handler("ETranspChange", &E::ETranspChange);
}

void TSeriesBandToolEdit::FormShow(TObject* Sender) {
  shown_ = false;
  TSeriesToolEditor::FormShow(Sender);
  TSeriesBandTool* t = Band();
  if (!t) return;
  UDTransp->SetAssociate(ETransp);
  FillSeriesItems(CBSeries2->Items(), t->ParentChart());
  SelectSeries(CBSeries2, t->Series2());
  BPen->LinkPen(t->Pen());
  CBDrawBehindSeries->SetChecked(t->DrawBehindSeries());
  UDTransp->SetPosition(t->Transparency());
  shown_ = true;
}

void TSeriesBandToolEdit::Button1Click(TObject*) {
  if (Band()) ShowBrushEditor(this, Band()->Brush());
}

void TSeriesBandToolEdit::Button2Click(TObject*) {
  if (Band()) ShowGradientEditor(this, Band()->Gradient());
}

void TSeriesBandToolEdit::CBSeries2Change(TObject*) {
  if (Band()) Band()->SetSeries2(SeriesOfItem(CBSeries2));
}

void TSeriesBandToolEdit::CBDrawBehindSeriesClick(TObject*) {
  if (Band()) Band()->SetDrawBehindSeries(CBDrawBehindSeries->Checked());
}

void TSeriesBandToolEdit::ETranspChange(TObject*) {
  if (shown_ && Band()) Band()->SetTransparency(UDTransp->Position());
}

// =======================================================================================
// TSurfaceNearest

void TSurfaceNearest::Publish(TClassProps<TSurfaceNearest>& P) {
  using E = TSurfaceNearest;
  P.Field("CBSeries", &E::CBSeries)
      .Field("Label1", &E::Label1)
      .Field("ButtonColor1", &E::ButtonColor1)
      .Field("ButtonColor2", &E::ButtonColor2)
      .Field("ButtonColor3", &E::ButtonColor3)
      .Field("CheckBox1", &E::CheckBox1)
      .Field("CheckBox2", &E::CheckBox2)
      .Field("CheckBox3", &E::CheckBox3)
      .Field("CheckBox4", &E::CheckBox4)
      .Field("CheckBox5", &E::CheckBox5)
      .Field("CheckBox6", &E::CheckBox6)
      .Handler("FormShow", &E::FormShow)
      .Handler("CBSeriesChange", &E::CBSeriesChange)
      .Handler("CheckBox1Click", &E::CheckBox1Click)
      .Handler("CheckBox2Click", &E::CheckBox2Click)
      .Handler("CheckBox3Click", &E::CheckBox3Click)
      .Handler("CheckBox4Click", &E::CheckBox4Click)
      .Handler("CheckBox5Click", &E::CheckBox5Click)
      .Handler("CheckBox6Click", &E::CheckBox6Click)
      .Handler("ButtonColor1Click", &E::ButtonColor1Click)
      .Handler("ButtonColor2Click", &E::ButtonColor2Click)
      .Handler("ButtonColor3Click", &E::ButtonColor3Click);
}

void TSurfaceNearest::FormShow(TObject*) {
  loading_ = true;
  if (TSurfaceNearestTool* t = Nearest()) {
    FillSeriesItems(CBSeries->Items(), t->ParentChart(), [](TChartSeries* s) { return dynamic_cast<TSurfaceSeries*>(s) != nullptr; });
    CBSeries->SetEnabled(t->ParentChart() && t->ParentChart()->SeriesCount() > 0);
    SelectSeries(CBSeries, t->Series());
    ButtonColor1->LinkProperty(t, "CellColor");
    ButtonColor2->LinkProperty(t, "RowColor");
    ButtonColor3->LinkProperty(t, "ColumnColor");
    CheckBox1->SetChecked(t->CellColor() == kDefaultColor);
    CheckBox2->SetChecked(t->RowColor() == kDefaultColor);
    CheckBox3->SetChecked(t->ColumnColor() == kDefaultColor);
    CheckBox4->SetChecked(t->CellColor() == clNone);
    CheckBox5->SetChecked(t->RowColor() == clNone);
    CheckBox6->SetChecked(t->ColumnColor() == clNone);
  }
  Label1->SetCaption(TeeMsg_GallerySurface);
  loading_ = false;
}

void TSurfaceNearest::CBSeriesChange(TObject*) {
  if (Nearest()) Nearest()->SetSeries(SeriesOfItem(CBSeries));
}

void TSurfaceNearest::CheckBox1Click(TObject*) {
  if (loading_ || !Nearest()) return;
  Nearest()->SetCellColor(kDefaultColor);
  ButtonColor1->Invalidate();
}

void TSurfaceNearest::CheckBox2Click(TObject*) {
  if (loading_ || !Nearest()) return;
  Nearest()->SetRowColor(kDefaultColor);
  ButtonColor2->Invalidate();
}

void TSurfaceNearest::CheckBox3Click(TObject*) {
  if (loading_ || !Nearest()) return;
  Nearest()->SetColumnColor(kDefaultColor);
  ButtonColor3->Invalidate();
}

void TSurfaceNearest::CheckBox4Click(TObject*) {
  if (!loading_ && Nearest()) Nearest()->SetCellColor(clNone);
}

void TSurfaceNearest::CheckBox5Click(TObject*) {
  if (!loading_ && Nearest()) Nearest()->SetRowColor(clNone);
}

void TSurfaceNearest::CheckBox6Click(TObject*) {
  if (!loading_ && Nearest()) Nearest()->SetColumnColor(clNone);
}

void TSurfaceNearest::ButtonColor1Click(TObject*) { CheckBox1->SetChecked(false); }
void TSurfaceNearest::ButtonColor2Click(TObject*) { CheckBox2->SetChecked(false); }
void TSurfaceNearest::ButtonColor3Click(TObject*) { CheckBox3->SetChecked(false); }

// =======================================================================================
// Lookup by name

TForm* CreateToolEditor(const AnsiString& ClassName, TTeeCustomTool* Tool) {
  RegisterChartEditorClasses();
  auto make = [Tool](auto* form) -> TForm* {
    form->Tool = Tool;
    return form;
  };
  if (ClassName == "TSeriesToolEditor") return make(ui::CreateForm<TSeriesToolEditor>(nullptr));
  if (ClassName == "TDragPointToolEdit") return make(ui::CreateForm<TDragPointToolEdit>(nullptr));
  if (ClassName == "TSelectorToolEditor") return make(ui::CreateForm<TSelectorToolEditor>(nullptr));
  if (ClassName == "TSeriesBandToolEdit") return make(ui::CreateForm<TSeriesBandToolEdit>(nullptr));
  if (ClassName == "TSurfaceNearest") return make(ui::CreateForm<TSurfaceNearest>(nullptr));
  return nullptr;
}
