#include "app/Splash.h"

#include "app/MainWindows.h"

TSplashScreen* SplashScreen = nullptr;

void TSplashScreen::Publish(TClassProps<TSplashScreen>& P) {
  RegisterMainWindowControlClasses();
  P.Field("Image1", &TSplashScreen::Image1).Handler("FormCreate", &TSplashScreen::FormCreate);
}

// The picture is drawn rather than shipped: a dark band with a red rule and the product
// name, which needs no resource file beside the program.
void TSplashScreen::FormCreate(TObject*) {
  TCanvas* c = Image1->Canvas();
  c->Brush()->SetColor(TColor(0x402010));
  c->FillRect(TRect(0, 0, kSplashWidth, kSplashHeight));
  c->Brush()->SetColor(TColor(0x0000C0));
  c->FillRect(TRect(0, 70, kSplashWidth, 74));
  c->Brush()->SetStyle(bsClear);  // text without a background box
  c->Font()->SetName("Arial");
  c->Font()->SetColor(clWhite);
  c->Font()->SetSize(26);
  c->Font()->SetStyle({fsBold, fsItalic});
  c->TextOut(16, 14, "CorvaneQ5");
  c->Font()->SetSize(10);
  c->Font()->SetStyle({});
  c->Font()->SetColor(TColor(0xC0C0C0));
  c->TextOut(16, 78, "Engine management for Windows   -   loading...");
}
