#include "config/InterpolateBlock.h"

#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TInterpBlock* InterpBlock = nullptr;

void TInterpBlock::Publish(TClassProps<TInterpBlock>& P) {
  P.Field("Label1", &TInterpBlock::Label1)
      .Field("RadioButton1", &TInterpBlock::RadioButton1)
      .Field("RadioButton2", &TInterpBlock::RadioButton2)
      .Field("RadioButton3", &TInterpBlock::RadioButton3)
      .Field("Image1", &TInterpBlock::Image1)
      .Field("Image2", &TInterpBlock::Image2)
      .Field("Image3", &TInterpBlock::Image3)
      .Field("BitBtn1", &TInterpBlock::BitBtn1)
      .Field("BitBtn2", &TInterpBlock::BitBtn2)
      .Handler("FormCreate", &TInterpBlock::FormCreate)
      .Handler("RadioButton1Click", &TInterpBlock::RadioButton1Click)
      .Handler("RadioButton2Click", &TInterpBlock::RadioButton2Click)
      .Handler("RadioButton3Click", &TInterpBlock::RadioButton3Click)
      .Handler("Button1Click", &TInterpBlock::Button1Click);
}

namespace {

constexpr int kCols = 5, kRows = 4;  // the pictured block
constexpr TColor kKnown = 0x804000, kFilled = 0xF0D8B0, kLine = 0x0000C0, kGridLine = 0x808080;

// Draws a block of cells into `image`: the cells `known` says are the ends are dark, the
// others light, and a line runs through each row (rows) and/or column (columns) that is
// filled in.
void DrawMethod(TImage* image, bool (*known)(int c, int r), bool rowLines, bool colLines,
                bool edgeRowsOnly) {
  TCanvas* c = image->Canvas();
  const int w = image->Width(), h = image->Height();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, w, h));
  const int cw = (w - 1) / kCols, ch = (h - 1) / kRows;
  const int left = (w - cw * kCols) / 2, top = (h - ch * kRows) / 2;
  c->Pen()->SetColor(kGridLine);
  c->Pen()->SetWidth(1);
  for (int col = 0; col < kCols; ++col)
    for (int row = 0; row < kRows; ++row) {
      c->Brush()->SetColor(known(col, row) ? kKnown : kFilled);
      c->Rectangle(left + col * cw, top + row * ch, left + (col + 1) * cw + 1, top + (row + 1) * ch + 1);
    }
  c->Pen()->SetColor(kLine);
  c->Pen()->SetWidth(2);
  if (rowLines)
    for (int row = 0; row < kRows; ++row) {
      if (edgeRowsOnly && row != 0 && row != kRows - 1) continue;
      const int y = top + row * ch + ch / 2;
      c->MoveTo(left + cw / 2, y);
      c->LineTo(left + (kCols - 1) * cw + cw / 2, y);
    }
  if (colLines)
    for (int col = 0; col < kCols; ++col) {
      const int x = left + col * cw + cw / 2;
      c->MoveTo(x, top + ch / 2);
      c->LineTo(x, top + (kRows - 1) * ch + ch / 2);
    }
  image->Invalidate();
}

}  // namespace

void TInterpBlock::FormCreate(TObject*) {
  DrawMethod(Image1, [](int c, int r) { return (c == 0 || c == kCols - 1) && (r == 0 || r == kRows - 1); }, true,
             true, true);
  DrawMethod(Image2, [](int c, int) { return c == 0 || c == kCols - 1; }, true, false, false);
  DrawMethod(Image3, [](int, int r) { return r == 0 || r == kRows - 1; }, false, true, false);
}

void TInterpBlock::RadioButton1Click(TObject*) {
  ChooseMethod(0);
}

void TInterpBlock::RadioButton2Click(TObject*) {
  ChooseMethod(1);
}

void TInterpBlock::RadioButton3Click(TObject*) {
  ChooseMethod(2);
}

void TInterpBlock::Button1Click(TObject*) {
  Close();
}

// Shows the picture of method m (0 four corner, 1 rows, 2 columns) and keeps m in Tag.
void TInterpBlock::ChooseMethod(int m) {
  Image1->SetVisible(m == 0);
  Image2->SetVisible(m == 1);
  Image3->SetVisible(m == 2);
  Tag = m;
}
