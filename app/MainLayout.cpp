// The main window after a proportional resize: proportional scaling leaves grids with
// fractional cells and rows of fields slightly out of line, so the grids get whole cell
// sizes, grids that belong together get one geometry, and fields are centred on their labels.
#include <algorithm>

#include "app/Main.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "controls/LblEffct.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbValInd.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

namespace {

constexpr int kMinWidth = 640, kMinHeight = 480;

// Centres `edit` vertically on `label`; `unit` (may be null) follows the edit's top.
void CentreOn(TControl* edit, const TControl* label, TControl* unit = nullptr) {
  if (!edit || !label) return;
  edit->SetTop(label->Top() + label->Height() / 2 - edit->Height() / 2);
  if (unit) unit->SetTop(edit->Top());
}

void ResizeBitmap(TBitmap* bitmap, const TControl* like) {
  if (bitmap) bitmap->SetSize(like->Width(), like->Height());
}

// The headings of a main grid scale with its cells; the speed headings ("10,500") fit their
// cells: the heading row takes the grid's font, smaller where the widest heading would not
// fit inside the cell's margins.
void FitSpeedHeadings(TStringAlignGrid* grid) {
  grid->FixedCellFont()->SetSize(grid->Font()->Size());
  TFont* font = grid->FontFixedRow(0);
  font->Assign(grid->Font());
  TBitmap measure;
  TCanvas* c = measure.Canvas();
  const int room = grid->ColWidths(2) - 4;  // the cell text keeps 2 pixels from each edge
  for (int size = font->Size(); size > 6; --size) {
    font->SetSize(size);
    c->Font()->Assign(font);
    if (c->TextWidth("00,000") <= room) break;
  }
  grid->Invalidate();
}

// Pixels a title's caption covers from its top: the font's full line (ascenders to
// descenders) and the depth of the effect's copies around the face.
int TitleTextHeight(TLabelEffect* title) {
  TBitmap measure;
  measure.Canvas()->Font()->Assign(title->Font());
  const TEffectOffset sh = EffectOffset(title->DirectionShadow()), hl = EffectOffset(title->DirectionHighlight());
  const int ds = title->DepthShadow(), dh = title->DepthHighlight();
  const int lo = std::min({0, sh.dx * ds, hl.dx * dh, hl.dy * dh, sh.dy * ds});
  const int hi = std::max({0, sh.dx * ds, hl.dx * dh, hl.dy * dh, sh.dy * ds});
  return measure.Canvas()->TextHeight(title->Caption()) + hi - lo;
}

// A map page's title stands above its grid with its whole text clear of the grid's top
// edge: at least the design distance above the grid, more when the font's line needs it;
// where the page holds less room above the grid than the line needs, the font gets smaller.
void PlaceTitle(TLabelEffect* title, const TControl* grid, int fontSize) {
  constexpr int kDesignRise = 33, kClearance = 2;
  title->Font()->SetSize(fontSize);
  int need = TitleTextHeight(title);
  while (need + kClearance > grid->Top() && title->Font()->Size() > 6) {
    title->Font()->SetSize(title->Font()->Size() - 1);
    need = TitleTextHeight(title);
  }
  const int rise = std::max(kDesignRise, need + kClearance);
  title->SetBounds(title->Left(), std::max(0, grid->Top() - rise), title->Width(), std::max(title->Height(), need));
}

}  // namespace

TControl* TR7Tform1::LayoutControl(const char* name) const { return dynamic_cast<TControl*>(FindComponent(name)); }

void TR7Tform1::FormResize(TObject*) {
  if (Width() < kMinWidth) SetWidth(kMinWidth);
  if (Height() < kMinHeight) SetHeight(kMinHeight);
}

void TR7Tform1::ElasticForm1AfterResize(TObject*) {
  // 1. The reference 14-site grid: whole columns, one row filling its height.
  TStringAlignGrid* ref = StringAlignGrid1;
  const int col = std::max(1, (ref->Width() - 17) / 14);
  const int row = std::max(1, ref->Height() - 4);
  ref->SetDefaultColWidth(col);
  ref->SetDefaultRowHeight(row);
  ref->Font()->SetSize(Label5->Font()->Size());
  ref->SetWidth(col * 14 + 17);
  Label5->SetLeft(ref->Left() + ref->Width() + 3);

  // 2. The other 14-site grids take the reference geometry and their label's font size.
  const std::pair<TStringAlignGrid*, const char*> sites[] = {
      {idlerpm_table, "Label43"},     {StringAlignGrid2, "Label42"}, {coolantign_table, "Label44"},
      {airign_table, "Label36"},      {CoolantTempMarker, "Label60"}, {coolantinj_table, "Label39"},
      {airinj_table, "Label40"},      {CrankPrime_table, "Label41"}};
  for (const auto& [grid, labelName] : sites) {
    grid->SetDefaultColWidth(col);
    grid->SetDefaultRowHeight(row);
    grid->SetWidth(ref->Width());
    if (TControl* label = LayoutControl(labelName)) {
      if (auto* l = dynamic_cast<TLabel*>(label)) grid->Font()->SetSize(l->Font()->Size());
      label->SetLeft(Label5->Left());
    }
  }

  // 3. The cranking table: whole cells in both directions.
  {
    const int c = std::max(1, (CrankingTable->Width() - 19) / 15);
    const int r = std::max(1, (CrankingTable->Height() - 9) / 5);
    CrankingTable->SetDefaultColWidth(c);
    CrankingTable->SetDefaultRowHeight(r);
    CrankingTable->SetHeight(r * 5 + 9);
    CrankingTable->SetWidth(c * 15 + 19);
    if (auto* l = dynamic_cast<TLabel*>(LayoutControl("Label37"))) CrankingTable->Font()->SetSize(l->Font()->Size());
  }

  // 4. Field rows.
  CentreOn(shiftlight, LayoutControl("Label4"), LayoutControl("Label10"));
  CentreOn(SeqStart, SeqLabel1);
  CentreOn(SeqType, SeqLabel1);
  CentreOn(SeqEnabled, SeqLabel1);
  CentreOn(SeqDown, SeqLabel2, SeqLabel3);
  CentreOn(soft_limit, LayoutControl("Label2"), LayoutControl("Label8"));
  CentreOn(hard_limit, LayoutControl("Label3"), LayoutControl("Label9"));
  CentreOn(NSOn, LayoutControl("Label57"), Label54);
  CentreOn(NSoff, LayoutControl("Label56"), Label17);
  CentreOn(NS2On, LayoutControl("Label18"), Label53);
  CentreOn(NS2Off, LayoutControl("Label19"), Label50);
  CentreOn(CutOffPot, cutoffpotlabel);
  CentreOn(CutOffRpm, cutoffrpmlabel);
  const std::pair<const char*, TPanel*> telltale[] = {{"TelltaleToggle", TelltaleStatus}, {"TellTaleClear", TellTaleMax}};
  for (const auto& [button, panel] : telltale)
    if (TControl* b = LayoutControl(button)) {
      b->SetHeight(panel->Height());
      b->SetTop(panel->Top());
    }

  // 5. Main grids: as many whole columns as the notebook holds; the injection page's
  // grids lie exactly on top of each other.
  {
    ignitiontable->SetLeft(40);
    injectiontable->SetLeft(40);
    // The proportional scaling sizes each column; a map column's width is the cell.
    const int cell = ignitiontable->ColWidths(2) + 1;
    const bool vscroll = ignitiontable->VisibleRowCount() + ignitiontable->FixedRows() < ignitiontable->RowCount();
    // Rows keep their height, so a low window shows a vertical scroll bar: it takes its
    // room from the columns rather than passing the notebook's edge.
    const int n = std::max(1, (Notebook1->Width() - 55 - (vscroll ? 17 : 0)) / cell);
    ignitiontable->SetWidth(n * cell + (vscroll ? 17 : 0));
    for (TStringAlignGrid* g : {injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable})
      g->SetBounds(injectiontable->Left(), injectiontable->Top(), ignitiontable->Width(), ignitiontable->Height());
    for (TStringAlignGrid* g : {ignitiontable, injectiontable, AFRTargetTable, AFRCorrectionTable, AFRModeTable})
      FitSpeedHeadings(g);
    AFRsettingspanel->SetBounds(injectiontable->Left(), injectiontable->Top(), injectiontable->Width(),
                                injectiontable->Height());
    TabSet2->SetBounds(injectiontable->Left(), injectiontable->Top() + injectiontable->Height() + 4,
                       injectiontable->Width(), TabSet2->Height());
    if (title_font_size_ == 0) title_font_size_ = LabelEffect1->Font()->Size();
    for (TLabelEffect* e : {LabelEffect1, LabelEffect3}) {
      e->SetWidth(Notebook1->Width());
      PlaceTitle(e, ignitiontable, title_font_size_);
    }
    for (TLabel* l : {loadsite_label, loadsite_label2})
      l->SetTop(ignitiontable->Top() + ignitiontable->Height() / 2 - l->Height() / 2);
    // The legend row sits a fixed distance below the tab strip.
    const int legend = TabSet2->Top() + TabSet2->Height() + 8;
    for (TControl* c : std::initializer_list<TControl*>{page4_label, RichBrush, Label79, LeanBrush, Label81, Shape62, Label16})
      c->SetTop(legend);
  }

  // 6. Marker strips under the one-row tables, the cranking marker left of its table.
  Image6->SetBounds(coolantign_table->Left() - 8, coolantign_table->Top() + coolantign_table->Height() + 1,
                    coolantign_table->Width() + 16, static_cast<int>(coolantign_table->Height() / 2.5));
  const int gap = Image6->Top() - (coolantign_table->Top() + coolantign_table->Height());
  const std::pair<TImage*, TStringAlignGrid*> strips[] = {
      {Image7, airign_table}, {Image2, airinj_table}, {Image3, coolantinj_table}, {Image5, CrankPrime_table},
      {Image4, CrankingTable}, {Image10, idlerpm_table}};
  for (const auto& [image, grid] : strips)
    image->SetBounds(Image6->Left(), grid->Top() + grid->Height() + gap, Image6->Width(), Image6->Height());
  Image8->SetBounds(CrankingTable->Left() - Image8->Width(), CrankingTable->Top() - 5, Image8->Width(),
                    CrankingTable->Height() + 10);
  ResizeBitmap(TempPointerBitmap, Image6);
  ResizeBitmap(CrankPointerBitmap, Image8);
  if (TempPointerBitmap) {
    TCanvas* c = TempPointerBitmap->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, TempPointerBitmap->Width(), TempPointerBitmap->Height()));
  }
  for (TImage* image : {Image2, Image3, Image4, Image5, Image6, Image7, Image10}) {
    image->Picture()->Bitmap()->SetSize(image->Width(), image->Height());
    if (TempPointerBitmap) image->Picture()->Bitmap()->Canvas()->Draw(0, 0, TempPointerBitmap);
  }
  Image8->Picture()->Bitmap()->SetSize(Image8->Width(), Image8->Height());
  if (CrankPointerBitmap) Image8->Picture()->Bitmap()->Canvas()->Draw(0, 0, CrankPointerBitmap);
  TempPointerScale = CoolantTempMarker->Width() - CoolantTempMarker->DefaultColWidth();
  TempPointerOffset = CoolantTempMarker->DefaultColWidth() / 2;

  // 7. The target display, square, right of the speed-site box.
  // It keeps clear of the engine box to its right.
  const int targetLeft = speed_site->Left() + speed_site->Width() + 12;
  int targetSize = speed_site->Height() * 2;
  if (TControl* engineBox = LayoutControl("EngineBox"))
    targetSize = std::max(16, std::min(targetSize, engineBox->Left() - 8 - targetLeft));
  Image9->SetBounds(targetLeft, speed_site->Top(), targetSize, targetSize);
  Image9->Picture()->Bitmap()->SetSize(Image9->Width(), Image9->Height());
  ResizeBitmap(TargetBitmap, Image9);
  // The duty bar is as thick as the scaled reference shape, so it grows with the window
  // instead of keeping its design thickness in a larger box.
  if (TControl* thickness = LayoutControl("Shape2"); thickness != nullptr && InjDuration != nullptr)
    InjDuration->BarSettings()->SetminHeight(thickness->Height());
  // The temperature captions and their units stand in one column right of the duty bar's caption.
  if (TControl* duty = LayoutControl("Label107"))
    for (TLabel* l : {AirTempLabel2, CoolantTempLabel2, AirTempLabel, CoolantTempLabel})
      if (l != nullptr) l->SetLeft(duty->Left() + duty->Width() + 3);
  // Scaled fonts change the caption widths; keep the live box captions over their panels.
  CentreLiveBoxCaptions();
  UpdateTarget();
}
