#include "config/InterpolateBlock.h"

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
      .Handler("RadioButton1Click", &TInterpBlock::RadioButton1Click)
      .Handler("RadioButton2Click", &TInterpBlock::RadioButton2Click)
      .Handler("RadioButton3Click", &TInterpBlock::RadioButton3Click)
      .Handler("Button1Click", &TInterpBlock::Button1Click);
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
