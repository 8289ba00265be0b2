#include "controls/ImgList.h"

#include <algorithm>

int TImageList::Add(TBitmap* Image) {
  auto copy = std::make_unique<TBitmap>();
  copy->SetPixelFormat(pf32bit);
  copy->SetSize(width_, height_);
  if (Image != nullptr) copy->Canvas()->Draw(0, 0, Image);
  images_.push_back(std::move(copy));
  Changed();
  return Count() - 1;
}

void TImageList::Clear() {
  images_.clear();
  Changed();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) const {
  if (Canvas == nullptr || Index < 0 || Index >= Count()) return;
  Canvas->Draw(X, Y, images_[static_cast<size_t>(Index)].get());
}

int TImageList::RegisterChanges(std::function<void()> Link) {
  links_.emplace_back(next_link_, std::move(Link));
  return next_link_++;
}

void TImageList::UnRegisterChanges(int Id) {
  std::erase_if(links_, [Id](const auto& l) { return l.first == Id; });
}

void TImageList::Changed() {
  const auto links = links_;
  for (const auto& l : links) l.second();
}
