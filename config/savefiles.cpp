#include "config/savefiles.h"

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"

TForm1* Form1 = nullptr;

void TForm1::Publish(TClassProps<TForm1>& P) {
  P.Field("GroupBox1", &TForm1::GroupBox1)
      .Field("CheckBox1", &TForm1::CheckBox1)
      .Field("CheckBox2", &TForm1::CheckBox2)
      .Field("CheckBox3", &TForm1::CheckBox3)
      .Field("Label1", &TForm1::Label1)
      .Field("Label2", &TForm1::Label2)
      .Field("Label3", &TForm1::Label3)
      .Field("RadioGroup1", &TForm1::RadioGroup1)
      .Field("RadioGroup2", &TForm1::RadioGroup2)
      .Handler("RadioGroup1Click", &TForm1::RadioGroup1Click)
      .Handler("RadioGroup2Click", &TForm1::RadioGroup2Click)
      .Handler("CheckBox1Click", &TForm1::CheckBox1Click)
      .Handler("CheckBox2Click", &TForm1::CheckBox2Click)
      .Handler("CheckBox3Click", &TForm1::CheckBox3Click);
}

void TForm1::RadioGroup1Click(TObject*) {}

void TForm1::RadioGroup2Click(TObject*) {}

void TForm1::CheckBox1Click(TObject*) {}

void TForm1::CheckBox2Click(TObject*) {}

void TForm1::CheckBox3Click(TObject*) {}
