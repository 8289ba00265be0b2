#include "app/About.h"

#include "app/MainWindows.h"

TAboutBox* AboutBox = nullptr;

void TAboutBox::Publish(TClassProps<TAboutBox>& P) {
  RegisterMainWindowControlClasses();
  P.Field("Panel1", &TAboutBox::Panel1)
      .Field("ProgramIcon", &TAboutBox::ProgramIcon)
      .Field("ProductName", &TAboutBox::ProductName)
      .Field("Version", &TAboutBox::Version)
      .Field("Copyright", &TAboutBox::Copyright)
      .Field("OKButton", &TAboutBox::OKButton)
      .Handler("FormCreate", &TAboutBox::FormCreate)
      .Handler("OKButtonClick", &TAboutBox::OKButtonClick);
}

// The program icon, drawn: a gauge face with a red needle.
void TAboutBox::FormCreate(TObject*) {
  TCanvas* c = ProgramIcon->Canvas();
  const int w = ProgramIcon->Width(), h = ProgramIcon->Height();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, w, h));
  c->Brush()->SetColor(TColor(0x402010));
  c->Pen()->SetColor(clBlack);
  c->Ellipse(2, 2, w - 2, h - 2);
  c->Pen()->SetColor(clRed);
  c->Pen()->SetWidth(3);
  c->MoveTo(w / 2, h / 2);
  c->LineTo(w - 9, 10);
}

void TAboutBox::OKButtonClick(TObject*) { Close(); }
