#pragma once
// Asks how a selected block is interpolated; the choice is kept in Tag (0 four corner, 1 rows,
// 2 columns) and stays chosen for the next use. Each method has a picture of a block whose
// known cells are dark and whose lines show the direction the cells between are filled in.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TBitBtn;
class TImage;
class TLabel;
class TRadioButton;

class TInterpBlock : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TInterpBlock"; }
  static void Publish(TClassProps<TInterpBlock>& P);

  TLabel* Label1 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TRadioButton* RadioButton3 = nullptr;
  TImage* Image1 = nullptr;
  TImage* Image2 = nullptr;
  TImage* Image3 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;

  // Draws the three method pictures.
  void FormCreate(TObject* Sender);
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void RadioButton3Click(TObject* Sender);
  void Button1Click(TObject* Sender);

 private:
  void ChooseMethod(int m);
};

extern TInterpBlock* InterpBlock;
