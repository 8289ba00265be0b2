#pragma once
// TImageList: a row of same-sized images, drawn by index, with change links that tell the
// controls showing them to repaint.
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/Bitmap.h"

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* AOwner, int AWidth = 16, int AHeight = 16)
      : TComponent(AOwner), width_(AWidth), height_(AHeight) {}
  const char* ClassName() const override { return "TImageList"; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(images_.size()); }
  // Adds a copy of Image (cut or padded to the list's size); returns its index.
  int Add(TBitmap* Image);
  void Clear();
  // Draws image Index with its top-left at (X, Y); nothing for an index out of range.
  void Draw(TCanvas* Canvas, int X, int Y, int Index) const;
  // Called after every change of the images.
  int RegisterChanges(std::function<void()> Link);
  void UnRegisterChanges(int Id);

 private:
  void Changed();
  int width_, height_;
  std::vector<std::unique_ptr<TBitmap>> images_;
  std::vector<std::pair<int, std::function<void()>>> links_;
  int next_link_ = 1;
};
