#include "controls/ApPlacesBar.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "controls/ApAddPlace.h"
#include "platform/classes/Registry.h"
#include "platform/classes/SafeFile.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/WidgetHooks.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Icons.h"

namespace {

constexpr int kFolderNumbers[] = {-1976, 10, 25, 23, 22, 24, 3, 0, 16, 17, 20, 19, 18, 5, 6, 4, 2, 8, 9, 11, 7, 21};

AnsiString WithoutTrailingSlash(AnsiString s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

// The key from the root, without a trailing backslash, so that it never depends on the key open.
AnsiString AbsoluteKey(AnsiString k) {
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return !k.empty() && k[0] == '\\' ? k : "\\" + k;
}

bool IsFolder(const AnsiString& p) { return !p.empty() && DirectoryExists(p); }

}  // namespace

int ShellFolderNumber(TApSpecShellFolder F) {
  const auto i = static_cast<size_t>(F);
  return i < std::size(kFolderNumbers) ? kFolderNumbers[i] : kFolderNumbers[0];
}

TApSpecShellFolder ShellFolderFromNumber(int N) {
  // Only the four special folders a place can be made with read back as themselves; any
  // other number is a plain place (its path says where it goes).
  switch (N) {
    case 0: return ftDesktop;
    case 17: return ftDrives;
    case 5: return ftPersonal;
    case 6: return ftFavorites;
    default: return ftNone;
  }
}

AnsiString SpecialFolderDisplayName(TApSpecShellFolder F) {
  switch (F) {
    case ftDesktop: return "Desktop";
    case ftDrives: return "My Computer";
    case ftPersonal: return "My Documents";
    case ftFavorites: return "Favorites";
    case ftRecent: return "Recent";
    default: return "";
  }
}

AnsiString SpecialFolderPath(TApSpecShellFolder F) {
  AnsiString path;
  switch (F) {
    case ftNone: return "";
    case ftDesktop:
    case ftDesktopDir: path = ui::StandardFolderPath(ui::StandardFolder::Desktop); break;
    case ftDrives: return "/";
    case ftPersonal: path = ui::StandardFolderPath(ui::StandardFolder::Documents); break;
    case ftFonts: path = ui::StandardFolderPath(ui::StandardFolder::Fonts); break;
    case ftPrograms:
    case ftStartMenu: path = ui::StandardFolderPath(ui::StandardFolder::Applications); break;
    default: break;
  }
  return IsFolder(path) ? path : ui::StandardFolderPath(ui::StandardFolder::Home);
}

const std::vector<TApSpecShellFolder>& OfferedSpecialFolders() {
  static const std::vector<TApSpecShellFolder> list{ftDesktop, ftDrives, ftPersonal, ftFavorites};
  return list;
}

// ---- TApPlace ----

void TApPlace::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TApPlace*>(Source);
  if (p == nullptr) return TPersistent::Assign(Source);
  name_ = p->name_;
  PlacePath = p->PlacePath;
  PlaceSpecPath = p->PlaceSpecPath;
  PlaceDesc = p->PlaceDesc;
  PlaceIconDll = p->PlaceIconDll;
  PlaceIcon = p->PlaceIcon;
  PlaceHotIcon = p->PlaceHotIcon;
  AutoCaption = p->AutoCaption;
}

AnsiString TApPlace::PlaceName() const {
  if (!AutoCaption) return name_;
  if (PlaceSpecPath != ftNone) return SpecialFolderDisplayName(PlaceSpecPath);
  const AnsiString path = WithoutTrailingSlash(PlacePath);
  const AnsiString name = ExtractFileName(path);
  return name.empty() ? path : name;
}

AnsiString TApPlace::Target() const { return PlaceSpecPath != ftNone ? SpecialFolderPath(PlaceSpecPath) : PlacePath; }

AnsiString TApPlace::HighlightPath() const {
  const auto& offered = OfferedSpecialFolders();
  if (std::find(offered.begin(), offered.end(), PlaceSpecPath) != offered.end()) return SpecialFolderPath(PlaceSpecPath);
  return PlacePath;
}

TApPlaceTarget ResolvePlace(const TApPlace& P) {
  const AnsiString t = P.Target();
  if (IsFolder(t)) return {t, ""};
  if (!t.empty() && FileExists(t)) return {WithoutTrailingSlash(ExtractFilePath(t)), ExtractFileName(t)};
  return {};
}

// ---- icon libraries ----

namespace {

uint32_t Le(const std::string& d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(d[at + static_cast<size_t>(i)]);
  return v;
}

// A Windows program's resources: its sections and the resource tree, every read checked
// against the file's end.
class ResourceReader {
 public:
  explicit ResourceReader(const std::string& d) : d_(d) {}

  bool Open() {
    if (!Has(0, 64) || d_.compare(0, 2, "MZ") != 0) return false;
    const size_t pe = Le(d_, 0x3C, 4);
    if (!Has(pe, 24) || d_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
    const size_t sections = Le(d_, pe + 6, 2), optSize = Le(d_, pe + 20, 2), opt = pe + 24;
    if (!Has(opt, 2)) return false;
    const uint32_t magic = Le(d_, opt, 2);
    const size_t dirs = opt + (magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0);
    if (dirs == opt || dirs + 24 > opt + optSize || !Has(dirs, 24)) return false;
    const uint32_t rva = Le(d_, dirs + 16, 4);  // the third directory: resources
    const size_t table = opt + optSize;
    for (size_t i = 0; i < sections && i < 96; ++i) {
      const size_t s = table + i * 40;
      if (!Has(s, 40)) return false;
      sections_.push_back({Le(d_, s + 12, 4), std::max(Le(d_, s + 8, 4), Le(d_, s + 16, 4)), Le(d_, s + 20, 4)});
    }
    if (rva == 0) return false;
    root_ = Offset(rva);
    return root_ != SIZE_MAX;
  }

  // The entries of a resource directory at Dir (offset in the file): id (or name offset)
  // and the file offset of the subdirectory or data entry, with whether it is a directory.
  struct Entry {
    uint32_t id;
    size_t at;
    bool dir;
  };
  std::vector<Entry> Entries(size_t Dir) const {
    std::vector<Entry> out;
    if (!Has(Dir, 16)) return out;
    const size_t n = Le(d_, Dir + 12, 2) + Le(d_, Dir + 14, 2);
    for (size_t i = 0; i < n && i < 4096; ++i) {
      const size_t e = Dir + 16 + i * 8;
      if (!Has(e, 8)) break;
      const uint32_t off = Le(d_, e + 4, 4);
      out.push_back({Le(d_, e, 4), root_ + (off & 0x7FFFFFFFu), (off & 0x80000000u) != 0});
    }
    return out;
  }
  size_t Root() const { return root_; }
  // Where the bytes of the first language's data below an entry lie in the file: offset
  // and size; size 0 when there are none.
  std::pair<size_t, size_t> Place(Entry E) const {
    for (int depth = 0; E.dir && depth < 4; ++depth) {
      const auto sub = Entries(E.at);
      if (sub.empty()) return {0, 0};
      E = sub.front();
    }
    if (E.dir || !Has(E.at, 16)) return {0, 0};
    const size_t at = Offset(Le(d_, E.at, 4)), size = Le(d_, E.at + 4, 4);
    if (at == SIZE_MAX || !Has(at, size)) return {0, 0};
    return {at, size};
  }
  std::string Data(Entry E) const {
    const auto [at, size] = Place(E);
    return d_.substr(at, size);
  }

 private:
  struct Section {
    uint32_t rva, size, raw;
  };
  bool Has(size_t at, size_t n) const { return at <= d_.size() && n <= d_.size() - at; }
  size_t Offset(uint32_t rva) const {
    for (const Section& s : sections_)
      if (rva >= s.rva && rva - s.rva < s.size) return static_cast<size_t>(s.raw) + (rva - s.rva);
    return SIZE_MAX;
  }
  const std::string& d_;
  std::vector<Section> sections_;
  size_t root_ = SIZE_MAX;
};

constexpr uint32_t kIconType = 3, kIconGroupType = 14;

void PutLe(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::vector<TApIconLibrary::Parts> TApIconLibrary::ProgramIcons(const std::string& Data) {
  ResourceReader r(Data);
  if (!r.Open()) return {};
  std::vector<ResourceReader::Entry> groups;
  std::map<uint32_t, ResourceReader::Entry> images;
  for (const auto& type : r.Entries(r.Root())) {
    if (!type.dir) continue;
    if (type.id == kIconGroupType) groups = r.Entries(type.at);
    if (type.id == kIconType)
      for (const auto& e : r.Entries(type.at)) images.emplace(e.id, e);
  }
  std::vector<Parts> icons;
  for (const auto& g : groups) {
    const std::string dir = r.Data(g);
    if (dir.size() < 6) continue;
    const size_t n = std::min<size_t>(Le(dir, 4, 2), (dir.size() - 6) / 14);
    Parts parts;
    std::vector<uint32_t> taken;
    size_t bytes = 6;  // the icon file's header
    for (size_t i = 0; i < n && parts.size() < kMaxIconImages; ++i) {
      const size_t e = 6 + i * 14;
      const uint32_t id = Le(dir, e + 12, 2);
      // An image named twice adds nothing the first did not.
      if (std::find(taken.begin(), taken.end(), id) != taken.end()) continue;
      const auto it = images.find(id);
      if (it == images.end()) continue;
      const auto [at, size] = r.Place(it->second);
      if (size == 0 || bytes + 16 + size > kMaxIconBytes) continue;
      taken.push_back(id);
      parts.push_back({dir.substr(e, 8), at, size});
      bytes += 16 + size;
    }
    if (!parts.empty()) icons.push_back(std::move(parts));
  }
  return icons;
}

std::string TApIconLibrary::IconFile(const std::string& Data, const Parts& Icon) {
  // An icon file: its header, one 16-byte entry per image, then the images.
  std::string file;
  PutLe(file, 0, 2);
  PutLe(file, 1, 2);
  PutLe(file, static_cast<uint32_t>(Icon.size()), 2);
  size_t offset = 6 + 16 * Icon.size();
  for (const Image& image : Icon) {
    file += image.Entry;
    PutLe(file, static_cast<uint32_t>(image.Size), 4);
    PutLe(file, static_cast<uint32_t>(offset), 4);
    offset += image.Size;
  }
  for (const Image& image : Icon) file.append(Data, image.At, image.Size);
  return file;
}

bool TApIconLibrary::Load(const AnsiString& FileName) {
  bundled_ = false;
  iconFile_ = false;
  images_.clear();
  icons_.clear();
  if (FileName.empty()) return false;
  if (SameText(ExtractFileName(FileName), BundledName) && !FileExists(FileName)) {
    bundled_ = true;
    return Count() > 0;
  }
  std::string data;
  try {
    data = safefile::ReadFile(FileName, 64u << 20);
  } catch (const Exception&) {
    return false;
  }
  if (data.size() >= 6 && Le(data, 0, 2) == 0 && Le(data, 2, 2) == 1 && Le(data, 4, 2) > 0) {
    TBitmap probe;
    if (data.size() <= kMaxIconBytes && ui::IconFileBitmap(data, 16, probe)) {
      images_ = std::move(data);
      iconFile_ = true;
    }
    return iconFile_;
  }
  // Only the images the icons use are kept, each once, however many icons name it.
  icons_ = ProgramIcons(data);
  std::map<std::pair<size_t, size_t>, size_t> kept;
  for (Parts& icon : icons_) {
    for (Image& image : icon) {
      const auto [it, added] = kept.emplace(std::make_pair(image.At, image.Size), images_.size());
      if (added) images_.append(data, image.At, image.Size);
      image.At = it->second;
    }
  }
  return !icons_.empty();
}

int TApIconLibrary::Count() const {
  if (bundled_) return ui::BundledIconCount();
  return iconFile_ ? 1 : static_cast<int>(icons_.size());
}

bool TApIconLibrary::Icon(int Index, int Size, TBitmap& Out) const {
  if (Index < 0 || Index >= Count()) return false;
  if (bundled_) return ui::BundledIconBitmap(Index, Size, Out);
  if (iconFile_) return ui::IconFileBitmap(images_, Size, Out);
  return ui::IconFileBitmap(IconFile(images_, icons_[static_cast<size_t>(Index)]), Size, Out);
}

// ---- TApPlaces ----

TApPlace* TApPlaces::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)].get();
}

TApPlace* TApPlaces::Add() {
  items_.push_back(std::make_unique<TApPlace>());
  return items_.back().get();
}

void TApPlaces::Delete(int i) {
  Items(i);
  items_.erase(items_.begin() + i);
}

void TApPlaces::Move(int From, int To) {
  if (From < 0 || From >= Count() || To < 0 || To >= Count() || From == To) return;
  auto p = std::move(items_[static_cast<size_t>(From)]);
  items_.erase(items_.begin() + From);
  items_.insert(items_.begin() + To, std::move(p));
}

// ---- registry ----

bool TApPlacesBarOptions::LoadFromRegistry() {
  if (RegistryKey.empty()) return true;
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    const AnsiString key = AbsoluteKey(RegistryKey);
    if (!reg.KeyExists(key)) return true;  // nothing kept yet
    if (!reg.OpenKeyReadOnly(key)) throw Exception("");
    TStringList list;
    reg.GetKeyNames(&list);
    reg.CloseKey();
    // The places stand in the order of their numbers ("Place_0", "Place_1", ...), wherever
    // their sections stand in the store; other names follow in store order.
    std::vector<AnsiString> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list[i]);
    const auto number = [](const AnsiString& n) -> int64_t {
      const AnsiString prefix = "Place_";
      if (n.size() <= prefix.size() || !SameText(n.substr(0, prefix.size()), prefix)) return INT64_MAX;
      int64_t v = 0;
      for (size_t i = prefix.size(); i < n.size(); ++i) {
        if (n[i] < '0' || n[i] > '9' || v > 100000000) return INT64_MAX;
        v = v * 10 + (n[i] - '0');
      }
      return v;
    };
    std::stable_sort(names.begin(), names.end(),
                     [&](const AnsiString& a, const AnsiString& b) { return number(a) < number(b); });
    for (const AnsiString& sub : names) {
      if (!reg.OpenKeyReadOnly(key + "\\" + sub)) continue;
      // A key that only holds keys below it (no values of its own) is no place.
      if (!reg.ValueExists("Name") && !reg.ValueExists("Path") && !reg.ValueExists("SpecFolder")) {
        reg.CloseKey();
        continue;
      }
      auto readInt = [&](const char* n) { return reg.ValueExists(n) ? StrToIntDef(reg.ReadString(n), 0) : 0; };
      const AnsiString name = reg.ReadString("Name");
      const AnsiString path = reg.ReadString("Path");
      const TApSpecShellFolder spec = ShellFolderFromNumber(reg.ValueExists("SpecFolder") ? readInt("SpecFolder") : -1976);
      // A place is the same place when it opens the same thing: by its path, or its special folder.
      TApPlace* place = nullptr;
      for (int k = 0; k < places_.Count() && place == nullptr; ++k) {
        TApPlace* p = places_.Items(k);
        if (p->PlaceSpecPath != spec) continue;
        if (spec != ftNone || p->PlacePath == path) place = p;
      }
      if (place == nullptr) place = places_.Add();
      place->SetPlaceName(name);
      place->PlacePath = path;
      place->PlaceIconDll = reg.ReadString("IconDll");
      place->PlaceIcon = readInt("Icon");
      place->PlaceHotIcon = readInt("IconHot");
      place->PlaceDesc = reg.ReadString("Hint");
      place->PlaceSpecPath = spec;
      place->AutoCaption = readInt("AutoCaption") != 0;
      reg.CloseKey();
    }
    return true;
  } catch (const Exception&) {
    ShowMessage("ZEL Places Bar: Could not load data from registry");
    return false;
  }
}

bool TApPlacesBarOptions::SaveToRegistry() {
  if (RegistryKey.empty()) return true;
  const AnsiString key = AbsoluteKey(RegistryKey);
  try {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    TStringList old;
    if (reg.OpenKey(key, false)) {
      reg.GetKeyNames(&old);
      reg.CloseKey();
    }
    // The new list first, whole; then the subkeys it does not use any more. The store is
    // written once, when the last key closes, so the old list stays until the new is there.
    for (int i = 0; i < places_.Count(); ++i) {
      const TApPlace* p = places_.Items(i);
      const AnsiString sub = key + "\\Place_" + IntToStr(i);
      if (!reg.OpenKey(sub, true)) return false;
      reg.WriteString("Name", p->PlaceName());
      // A special folder other than the four a place reads back as loads back as a plain
      // place: it keeps the folder it opens as its path, so that it still goes there.
      const bool readsBackPlain =
          p->PlaceSpecPath != ftNone && ShellFolderFromNumber(ShellFolderNumber(p->PlaceSpecPath)) == ftNone;
      reg.WriteString("Path", readsBackPlain && p->PlacePath.empty() ? p->Target() : p->PlacePath);
      reg.WriteString("IconDll", p->PlaceIconDll);
      reg.WriteInteger("Icon", p->PlaceIcon);
      reg.WriteInteger("IconHot", p->PlaceHotIcon);
      reg.WriteString("Hint", p->PlaceDesc);
      reg.WriteInteger("SpecFolder", ShellFolderNumber(p->PlaceSpecPath));
      reg.WriteInteger("AutoCaption", p->AutoCaption ? 1 : 0);
    }
    for (int i = 0; i < old.Count(); ++i) {
      bool used = false;
      for (int k = 0; k < places_.Count() && !used; ++k) used = SameText(old[i], "Place_" + IntToStr(k));
      if (!used) reg.DeleteKey(key + "\\" + old[i]);
    }
    reg.CloseKey();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// ---- buttons and bar ----

TApPlaceButton::TApPlaceButton(TApPlacesBarFrm* Bar, int Index) : TCustomControl(Bar), bar_(Bar), index_(Index) {
  SetBounds(0, Index * TApPlacesBarFrm::ButtonHeight, TApPlacesBarFrm::ButtonWidth, TApPlacesBarFrm::ButtonHeight);
  const TApPlace* p = Bar->Options()->Places()->Items(Index);
  SetHint(p->PlaceDesc);
  SetShowHint(true);
  const TApIconLibrary& lib = Bar->Library(p->PlaceIconDll);
  if (!lib.Icon(p->PlaceIcon, TApPlacesBarFrm::IconSize, icon_)) icon_.SetSize(0, 0);
  if (!lib.Icon(p->PlaceHotIcon, TApPlacesBarFrm::IconSize, hot_icon_)) hot_icon_.SetSize(0, 0);
}

void TApPlaceButton::SetHot(bool v) {
  if (v == hot_) return;
  hot_ = v;
  Invalidate();
}

void TApPlaceButton::SetDown(bool v) {
  if (v == down_) return;
  down_ = v;
  Invalidate();
}

AnsiString TApPlaceButton::FitCaption(TCanvas* C, const AnsiString& Caption, int Width) {
  if (C->TextWidth(Caption) <= Width - 4) return Caption;
  const int room = Width - C->TextWidth("...") - 6;
  size_t n = 0;
  while (n < Caption.size() && C->TextWidth(Caption.substr(0, n + 1)) <= room) ++n;
  return Caption.substr(0, n) + "...";
}

void TApPlaceButton::Paint() {
  TCanvas* c = Canvas();
  const TApPlace* p = bar_->Options()->Places()->Items(index_);
  const int w = Width(), h = Height();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(down_ ? clBtnShadow : bar_->Color());
  c->FillRect(TRect(0, 0, w, h));
  c->Pen()->SetColor(clBlack);
  if (down_) {
    c->MoveTo(0, h - 1);
    c->LineTo(0, 0);
    c->LineTo(w - 1, 0);
  } else if (hot_) {
    c->MoveTo(0, h - 1);
    c->LineTo(w - 1, h - 1);
    c->LineTo(w - 1, -1);
  }
  c->Font()->Assign(bar_->Font());
  const AnsiString caption = FitCaption(c, p->PlaceName(), w);
  const int th = c->TextHeight("Wg");
  // The library's icon: the hot one while down. A place whose library gives none shows
  // the program's picture of its kind.
  TBitmap* icon = down_ ? &hot_icon_ : &icon_;
  TBitmap standard;
  if (icon->Empty()) {
    const ui::StandardIcon kind = p->PlaceSpecPath == ftDesktop ? ui::StandardIcon::Desktop
                                  : p->PlaceSpecPath == ftDrives ? ui::StandardIcon::Drive
                                  : p->PlaceSpecPath != ftNone   ? ui::StandardIcon::Home
                                  : DirectoryExists(p->Target()) ? ui::StandardIcon::Folder
                                                                 : ui::StandardIcon::File;
    if (ui::StandardIconBitmap(kind, 24, standard)) icon = &standard;
  }
  if (!icon->Empty()) c->Draw((w - icon->Width()) / 2, h / 2 - icon->Height() / 2 - th / 2, icon);
  c->Brush()->SetStyle(bsClear);
  c->TextOut((w - c->TextWidth(caption)) / 2, h - th - 2, caption);
}

void TApPlaceButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) pressed_ = true;
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TApPlaceButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbRight) {
    const TPoint at = ClientToScreen({X, Y});
    bar_->ShowPlaceMenu(index_, at.x, at.y);
    return;
  }
  if (Button != mbLeft || !pressed_) return;
  pressed_ = false;
  // Released over another button: the place was dragged there; else it is opened.
  if (Y < 0 || Y >= Height()) {
    bar_->DropPlace(index_, bar_->IndexAt(Top() + Y));
    return;
  }
  bar_->OpenPlace(index_);
}

TApPlacesBarFrm::TApPlacesBarFrm(TComponent* AOwner, TApPlacesBarOptions* Options)
    : TForm(AOwner), options_(Options) {
  SetBorderStyle(bsNone);
  SetColor(clBtnShadow);
  SetShowHint(true);
  SetClientSize(ButtonWidth, 200);
  PopupMenu1 = new TPopupMenu(this);
  DeletePlaceItem = new TMenuItem(this);
  DeletePlaceItem->SetCaption("Delete place...");
  DeletePlaceItem->OnClick = [this](TObject*) { DeletePlace(menu_index_); };
  PropertiesItem = new TMenuItem(this);
  PropertiesItem->SetCaption("Properties...");
  PropertiesItem->OnClick = [this](TObject*) { EditPlace(menu_index_); };
  PopupMenu1->Items()->Add(DeletePlaceItem);
  PopupMenu1->Items()->Add(PropertiesItem);
  ui::TWidgetHooks hooks;
  hooks.DragOver = [this](const ui::TDragData& d, TPoint, bool) {
    return options_->AllowDrop && d.HasFiles ? ui::deCopy : ui::deNone;
  };
  hooks.Drop = [this](const ui::TDragData& d, TPoint, bool) {
    if (!options_->AllowDrop || !d.HasFiles) return ui::deNone;
    AddDroppedFiles(d.Files);
    return ui::deCopy;
  };
  ui::InstallWidgetHooks(this, hooks);
  up_ = new TApPlacesScrollArrow(this, -1);
  down_ = new TApPlacesScrollArrow(this, 1);
  BuildButtons();
}

TApPlacesScrollArrow::TApPlacesScrollArrow(TApPlacesBarFrm* Bar, int Direction)
    : TCustomControl(Bar), bar_(Bar), direction_(Direction) {
  SetParent(Bar);
  SetVisible(false);
}

void TApPlacesScrollArrow::Paint() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  const bool can = direction_ < 0 ? bar_->ScrollPos() > 0 : bar_->ScrollPos() < bar_->MaxScrollPos();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, w, h));
  c->Brush()->SetColor(can ? clBlack : clGray);
  c->Pen()->SetColor(can ? clBlack : clGray);
  const int cx = w / 2, half = (h - 6) / 2 + 1;
  const int tip = direction_ < 0 ? 3 : h - 4, base = direction_ < 0 ? h - 4 : 3;
  c->Polygon({{cx, tip}, {cx - 2 * half, base}, {cx + 2 * half, base}});
}

void TApPlacesScrollArrow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft) bar_->ScrollPlaces(direction_);
}

int TApPlacesBarFrm::ButtonsTop() const { return up_ != nullptr && up_->Visible() ? ArrowHeight : 0; }

int TApPlacesBarFrm::MaxScrollPos() const {
  if (!options_->AutoScroll) return 0;
  const int content = ButtonCount() * ButtonHeight;
  const int view = ClientHeight();
  if (content <= view) return 0;
  return std::max(0, content - (view - 2 * ArrowHeight));
}

void TApPlacesBarFrm::ScrollPlaces(int Buttons) {
  const int to = std::clamp(scroll_ + Buttons * ButtonHeight, 0, MaxScrollPos());
  if (to == scroll_) return;
  scroll_ = to;
  LayoutButtons();
}

void TApPlacesBarFrm::LayoutButtons() {
  const int max = MaxScrollPos();
  const bool arrows = max > 0;
  scroll_ = std::clamp(scroll_, 0, max);
  up_->SetVisible(arrows);
  down_->SetVisible(arrows);
  const int top = ButtonsTop();
  for (TApPlaceButton* b : buttons_) b->SetBounds(0, top + b->Index() * ButtonHeight - scroll_, ButtonWidth, ButtonHeight);
  if (arrows) {
    up_->SetBounds(0, 0, ClientWidth(), ArrowHeight);
    down_->SetBounds(0, ClientHeight() - ArrowHeight, ClientWidth(), ArrowHeight);
    up_->BringToFront();
    down_->BringToFront();
    up_->Invalidate();
    down_->Invalidate();
  }
}

void TApPlacesBarFrm::Resize() {
  TForm::Resize();
  if (up_ != nullptr) LayoutButtons();
}

bool TApPlacesBarFrm::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TForm::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (MaxScrollPos() == 0 || WheelDelta == 0) return false;
  ScrollPlaces(WheelDelta > 0 ? -1 : 1);
  return true;
}

int TApPlacesBarFrm::IndexAt(int Y) const {
  const int slot = Y - ButtonsTop() + scroll_;
  return std::clamp(slot < 0 ? -1 : slot / ButtonHeight, 0, std::max(0, ButtonCount() - 1));
}

void TApPlacesBarFrm::ShowPlaceMenu(int Index, int ScreenX, int ScreenY) {
  if (Index < 0 || Index >= options_->Places()->Count()) return;
  menu_index_ = Index;
  DeletePlaceItem->SetEnabled(options_->AllowDelete);
  PropertiesItem->SetEnabled(options_->AllowEdit);
  PopupMenu1->SetPopupComponent(Buttons(Index));
  PopupMenu1->Popup(ScreenX, ScreenY);
}

bool TApPlacesBarFrm::DeletePlace(int Index) {
  if (!options_->AllowDelete || Index < 0 || Index >= options_->Places()->Count()) return false;
  const AnsiString question =
      "Are you sure you want to delete this place?\rPlace: " + options_->Places()->Items(Index)->PlaceName();
  if (Application->MessageBox(question, "Place bar", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  options_->Places()->Delete(Index);
  BuildButtons();
  return true;
}

bool TApPlacesBarFrm::EditPlace(int Index) {
  if (!options_->AllowEdit || Index < 0 || Index >= options_->Places()->Count()) return false;
  TApPlace* place = options_->Places()->Items(Index);
  TApAddPlaceFrm form(nullptr);
  form.LoadFrom(*place, false);
  if (form.ShowModal() != mrOk) return false;
  form.StoreTo(*place);
  BuildButtons();
  return true;
}

int TApPlacesBarFrm::AddDroppedFiles(const std::vector<AnsiString>& Files) {
  if (!options_->AllowDrop) return 0;
  int added = 0;
  for (const AnsiString& file : Files) {
    TApPlace proposed;
    proposed.PlacePath = WithoutTrailingSlash(file);
    proposed.SetPlaceName(ExtractFileName(proposed.PlacePath));
    proposed.PlaceDesc = proposed.PlaceName();
    // The program's own icons: a folder shut and open, or a file.
    proposed.PlaceIconDll = TApIconLibrary::BundledName;
    const bool folder = IsFolder(proposed.PlacePath);
    proposed.PlaceIcon = folder ? 3 : 0;
    proposed.PlaceHotIcon = folder ? 4 : 0;
    TApAddPlaceFrm form(nullptr);
    form.LoadFrom(proposed, true);
    if (form.ShowModal() != mrOk) continue;
    form.StoreTo(*options_->Places()->Add());
    ++added;
  }
  BuildButtons();
  return added;
}

const TApIconLibrary& TApPlacesBarFrm::Library(const AnsiString& FileName) {
  auto it = libraries_.find(FileName);
  if (it == libraries_.end()) {
    it = libraries_.emplace(FileName, TApIconLibrary()).first;
    it->second.Load(FileName);
  }
  return it->second;
}

void TApPlacesBarFrm::BuildButtons() {
  // Libraries are read again: the files may have changed since the bar last showed them.
  libraries_.clear();
  for (TApPlaceButton* b : buttons_) delete b;
  buttons_.clear();
  for (int i = 0; i < options_->Places()->Count(); ++i) {
    auto* b = new TApPlaceButton(this, i);
    b->SetParent(this);
    b->HandleNeeded();
    ui::TWidgetHooks hooks;
    hooks.MouseEnter = [b] { b->SetHot(true); };
    hooks.MouseLeave = [b] { b->SetHot(false); };
    ui::InstallWidgetHooks(b, hooks);
    buttons_.push_back(b);
  }
  LayoutButtons();
  HighlightFolder(folder_);
}

void TApPlacesBarFrm::HighlightFolder(const AnsiString& Folder) {
  folder_ = Folder;
  const AnsiString f = WithoutTrailingSlash(Folder);
  bool pressed = false;
  for (TApPlaceButton* b : buttons_) {
    const TApPlace* p = options_->Places()->Items(b->Index());
    const bool match = !pressed && !f.empty() && WithoutTrailingSlash(p->HighlightPath()) == f;
    b->SetDown(match);
    pressed = pressed || match;
  }
}

void TApPlacesBarFrm::OpenPlace(int Index) {
  if (Index < 0 || Index >= options_->Places()->Count()) return;
  const TApPlaceTarget t = ResolvePlace(*options_->Places()->Items(Index));
  if (!t.Folder.empty() && OnOpenPlace) OnOpenPlace(t);
}

void TApPlacesBarFrm::DropPlace(int From, int To) {
  if (From == To) return;
  options_->Places()->Move(From, To);
  BuildButtons();
}
