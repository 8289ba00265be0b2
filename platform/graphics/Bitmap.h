#pragma once
// Raster images: TGraphic is what a canvas can Draw, TBitmap a raster image with its own
// canvas and scan lines, TPicture a holder that loads and keeps one graphic.
#include <cstdint>
#include <memory>
#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"

class TGraphic : public TPersistent {
 public:
  const char* ClassName() const override { return "TGraphic"; }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int w) = 0;
  virtual void SetHeight(int h) = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  // Raises EInvalidGraphic (EInvalidOperation) when the file cannot be read or written.
  virtual void LoadFromFile(const AnsiString& fileName) = 0;
  virtual void SaveToFile(const AnsiString& fileName) = 0;
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // Draws the whole graphic stretched into r.
  virtual void Draw(TCanvas* canvas, const TRect& r) = 0;

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  bool transparent_ = false;
};

enum TPixelFormat { pfDevice, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  const char* ClassName() const override { return "TBitmap"; }
  void Assign(TPersistent* Source) override;

  int Width() const override;
  int Height() const override;
  void SetWidth(int w) override;
  void SetHeight(int h) override;
  // New pixels are white; existing pixels keep their place.
  void SetSize(int w, int h);
  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat f);
  // Rows top-down: 4 bytes per pixel B,G,R,x (pfDevice, pf32bit) or 3 bytes B,G,R (pf24bit).
  uint8_t* ScanLine(int row);
  TCanvas* Canvas() { return canvas_.get(); }

  // tmAuto takes the colour of the bottom-left pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode m) { transparent_mode_ = m; }

  void LoadFromFile(const AnsiString& fileName) override;
  void SaveToFile(const AnsiString& fileName) override;  // format by extension, BMP default
  void Draw(TCanvas* canvas, const TRect& r) override;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  void Reattach();
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<TCanvas> canvas_;
  TPixelFormat format_ = pfDevice;
  TColor transparent_color_ = clDefault;
  TTransparentMode transparent_mode_ = tmAuto;
};

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  const char* ClassName() const override { return "TPicture"; }
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(TGraphic* g);  // copies g
  // The picture as a bitmap; an empty one is created when it holds nothing.
  TBitmap* Bitmap();
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);

  TNotifyEvent OnChange;

 private:
  void Changed();
  std::unique_ptr<TGraphic> graphic_;
};
