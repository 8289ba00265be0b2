// The aligned grid in form resources: its seven stream properties (hints, texts and the
// five record stores), the older properties it still reads, and its class registration.
#include <array>
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include <cstring>

#include "controls/Aligrid.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

namespace {

enum : int { kTagEnd = 0, kTagAlign, kTagWordwrap, kTagEdit, kTagBrush, kTagSelBrush, kTagFont, kTagSelFont };

// Line indexes are stored as 16-bit values.
int Index16(int v) { return v & 0xFFFF; }

void WriteBrush(TWriter& W, const TBrush& B) {
  W.WriteInteger(static_cast<int32_t>(B.Color()));
  W.WriteInteger(static_cast<int>(B.Style()));
}

void ReadBrush(TReader& R, TBrush& B) {
  B.SetColor(static_cast<TColor>(R.ReadInteger()));
  const int style = R.ReadInteger();
  B.SetStyle(style >= bsSolid && style <= bsDiagCross ? static_cast<TBrushStyle>(style) : bsSolid);
}

void WriteFont(TWriter& W, const TFont& F) {
  W.WriteInteger(static_cast<int32_t>(F.Color()));
  W.WriteInteger(F.Height());
  W.WriteString(F.Name());
  W.WriteInteger(static_cast<int>(F.Pitch()));
  W.WriteInteger(F.Style().Bits() & 0x0F);
}

void ReadFont(TReader& R, TFont& F) {
  F.SetColor(static_cast<TColor>(R.ReadInteger()));
  F.SetHeight(R.ReadInteger());
  F.SetName(R.ReadString());
  const int pitch = R.ReadInteger();
  F.SetPitch(pitch >= fpDefault && pitch <= fpFixed ? static_cast<TFontPitch>(pitch) : fpDefault);
  // Only the low 8 bits hold the style set; older writers left garbage above them.
  F.SetStyle(TFontStyles::FromBits(static_cast<uint32_t>(R.ReadInteger()) & 0x0F));
}

// Reads a binary block as whole entries of `Size` bytes; a trailing partial entry is ignored.
template <size_t Size, class F>
TStreamProc Entries(F Apply) {
  return [Apply](TStream& S) {
    std::array<uint8_t, Size> e{};
    const int64_t n = S.Size() / static_cast<int64_t>(Size);
    for (int64_t i = 0; i < n; ++i) {
      S.ReadBuffer(e.data(), static_cast<int64_t>(Size));
      Apply(e);
    }
  };
}

template <size_t N>
int U16(const std::array<uint8_t, N>& e, size_t at) {
  return e[at] | (e[at + 1] << 8);
}

TMyAlign AlignOf(int v) { return v >= 0 && v <= 3 ? static_cast<TMyAlign>(v) : TMyAlign::alDefault; }

}  // namespace

// ---- the tagged record ----

void TCellProperties::WriteData(TWriter& W) const {
  if (Alignment != TMyAlign::alDefault) {
    W.WriteInteger(kTagAlign);
    W.WriteInteger(static_cast<int>(Alignment));
  }
  if (Wordwrap != ww_default) {
    W.WriteInteger(kTagWordwrap);
    W.WriteInteger(static_cast<int>(Wordwrap));
  }
  if (EditFlag != 0) {
    W.WriteInteger(kTagEdit);
    W.WriteInteger(EditFlag);
  }
  if (Brush) {
    W.WriteInteger(kTagBrush);
    WriteBrush(W, *Brush);
  }
  if (SelectedBrush) {
    W.WriteInteger(kTagSelBrush);
    WriteBrush(W, *SelectedBrush);
  }
  if (Font) {
    W.WriteInteger(kTagFont);
    WriteFont(W, *Font);
  }
  if (SelectedFont) {
    W.WriteInteger(kTagSelFont);
    WriteFont(W, *SelectedFont);
  }
  W.WriteInteger(kTagEnd);
}

void TCellProperties::ReadItem(TReader& R, int Tag) {
  switch (Tag) {
    case kTagAlign: Alignment = AlignOf(R.ReadInteger()); break;
    case kTagWordwrap: {
      const int v = R.ReadInteger();
      Wordwrap = v >= 0 && v <= 3 ? static_cast<T_Wordwrap>(v) : ww_default;
      break;
    }
    case kTagEdit: {
      const int v = R.ReadInteger();
      EditFlag = v == 1 || v == 2 ? static_cast<uint8_t>(v) : 0;
      break;
    }
    case kTagBrush:
    case kTagSelBrush: {
      TBrush b;
      ReadBrush(R, b);
      if (Tag == kTagBrush)
        SetBrush(&b);
      else
        SetSelectedBrush(&b);
      break;
    }
    case kTagFont:
    case kTagSelFont: {
      TFont f;
      ReadFont(R, f);
      if (Tag == kTagFont)
        SetFont(&f);
      else
        SetSelectedFont(&f);
      break;
    }
    default: break;  // an item without values
  }
}

void TCellProperties::ReadData(TReader& R) {
  for (int tag = R.ReadInteger(); tag != kTagEnd; tag = R.ReadInteger()) ReadItem(R, tag);
}

// ---- the grid's stream properties ----

void TStringAlignGrid::ReadRecords(TReader& R, RecordLine& Line) {
  R.ReadListBegin();
  while (!R.EndOfList()) {
    const int index = Index16(R.ReadInteger());
    auto rec = std::make_unique<TCellProperties>(this);
    rec->ReadData(R);
    if (index >= static_cast<int>(Line.size())) Line.resize(static_cast<size_t>(index) + 1);
    Line[static_cast<size_t>(index)] = std::move(rec);
  }
  R.ReadListEnd();
}

void TStringAlignGrid::WriteRecords(TWriter& W, const RecordLine& Line, int Count) const {
  W.WriteListBegin();
  for (int i = 0; i < Count && i < static_cast<int>(Line.size()); ++i) {
    const Record& r = Line[static_cast<size_t>(i)];
    if (!r || r->IsEmpty()) continue;
    W.WriteInteger(i);
    r->WriteData(W);
  }
  W.WriteListEnd();
}

void TStringAlignGrid::DefineProperties(TFiler& F) {
  F.DefineProperty(
      "HintCell",
      [this](TReader& R) {
        R.ReadListBegin();
        while (!R.EndOfList()) {
          const int c = R.ReadInteger();
          const int r = R.ReadInteger();
          SetHintCell(c, r, R.ReadString());
        }
        R.ReadListEnd();
        has_hints_ = true;
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (int c = 0; c < ColCount() && c < static_cast<int>(hints_.size()); ++c) {
          const TextLine& col = hints_[static_cast<size_t>(c)];
          for (int r = 0; r < RowCount() && r < static_cast<int>(col.size()); ++r) {
            if (!col[static_cast<size_t>(r)]) continue;
            W.WriteInteger(c);
            W.WriteInteger(r);
            W.WriteString(*col[static_cast<size_t>(r)]);
          }
        }
        W.WriteListEnd();
      },
      has_hints_);
  F.DefineProperty(
      "Cells",
      [this](TReader& R) {
        if (!loaded_cells_) loaded_cells_ = std::make_unique<std::vector<TextLine>>();
        R.ReadListBegin();
        while (!R.EndOfList()) {
          const int c = R.ReadInteger();
          const int r = R.ReadInteger();
          AnsiString text = R.ReadString();
          if (c < 0 || r < 0) continue;
          auto& store = *loaded_cells_;
          if (c >= static_cast<int>(store.size())) store.resize(static_cast<size_t>(c) + 1);
          TextLine& col = store[static_cast<size_t>(c)];
          if (r >= static_cast<int>(col.size())) col.resize(static_cast<size_t>(r) + 1);
          col[static_cast<size_t>(r)] = std::move(text);
        }
        R.ReadListEnd();
        cells_stored_ = true;
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (int c = 0; c < ColCount(); ++c)
          for (int r = 0; r < RowCount(); ++r) {
            AnsiString t = Cells(c, r);
            if (t.empty()) continue;
            W.WriteInteger(c);
            W.WriteInteger(r);
            W.WriteString(t);
          }
        W.WriteListEnd();
      },
      cells_stored_);
  F.DefineProperty(
      "PropCell",
      [this](TReader& R) {
        R.ReadListBegin();
        while (!R.EndOfList()) {
          const int c = Index16(R.ReadInteger());
          const int r = Index16(R.ReadInteger());
          auto rec = std::make_unique<TCellProperties>(this);
          rec->ReadData(R);
          if (c >= static_cast<int>(cell_props_.size())) cell_props_.resize(static_cast<size_t>(c) + 1);
          RecordLine& col = cell_props_[static_cast<size_t>(c)];
          if (r >= static_cast<int>(col.size())) col.resize(static_cast<size_t>(r) + 1);
          col[static_cast<size_t>(r)] = std::move(rec);
        }
        R.ReadListEnd();
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (int c = 0; c < ColCount() && c < static_cast<int>(cell_props_.size()); ++c) {
          const RecordLine& col = cell_props_[static_cast<size_t>(c)];
          for (int r = 0; r < RowCount() && r < static_cast<int>(col.size()); ++r) {
            const Record& rec = col[static_cast<size_t>(r)];
            if (!rec || rec->IsEmpty()) continue;
            W.WriteInteger(c);
            W.WriteInteger(r);
            rec->WriteData(W);
          }
        }
        W.WriteListEnd();
      },
      true);
  F.DefineProperty(
      "PropCol", [this](TReader& R) { ReadRecords(R, col_props_); },
      [this](TWriter& W) { WriteRecords(W, col_props_, ColCount()); }, true);
  F.DefineProperty(
      "PropRow", [this](TReader& R) { ReadRecords(R, row_props_); },
      [this](TWriter& W) { WriteRecords(W, row_props_, RowCount()); }, true);
  F.DefineProperty(
      "PropFixedCol", [this](TReader& R) { ReadRecords(R, fixed_col_props_); },
      [this](TWriter& W) { WriteRecords(W, fixed_col_props_, ColCount()); }, true);
  F.DefineProperty(
      "PropFixedRow", [this](TReader& R) { ReadRecords(R, fixed_row_props_); },
      [this](TWriter& W) { WriteRecords(W, fixed_row_props_, RowCount()); }, true);

  // Older forms: read, never written.
  const TWriterProc noWrite = [](TWriter&) {};
  const TStreamProc noWriteBin = [](TStream&) {};
  auto cellBlock = [&](const char* name, auto apply) {
    F.DefineBinaryProperty(name, Entries<5>([this, apply](const std::array<uint8_t, 5>& e) {
                             apply(this, U16(e, 0), U16(e, 2), e[4]);
                           }),
                           noWriteBin, false);
  };
  auto lineBlock = [&](const char* name, auto apply) {
    F.DefineBinaryProperty(name, Entries<3>([this, apply](const std::array<uint8_t, 3>& e) {
                             apply(this, U16(e, 0), e[2]);
                           }),
                           noWriteBin, false);
  };
  cellBlock("AlignCell", [](TStringAlignGrid* g, int c, int r, int v) { g->SetAlignCell(c, r, AlignOf(v)); });
  lineBlock("AlignCol", [](TStringAlignGrid* g, int i, int v) { g->SetAlignCol(i, AlignOf(v)); });
  lineBlock("FixedAlignCol", [](TStringAlignGrid* g, int i, int v) { g->SetFixedAlignCol(i, AlignOf(v)); });
  lineBlock("AlignRow", [](TStringAlignGrid* g, int i, int v) { g->SetAlignRow(i, AlignOf(v)); });
  lineBlock("FixedAlignRow", [](TStringAlignGrid* g, int i, int v) { g->SetFixedAlignRow(i, AlignOf(v)); });
  cellBlock("EditCell", [](TStringAlignGrid* g, int c, int r, int v) { g->SetEditCell(c, r, v != 0); });
  lineBlock("EditCol", [](TStringAlignGrid* g, int i, int v) { g->SetEditCol(i, v != 0); });
  lineBlock("EditRow", [](TStringAlignGrid* g, int i, int v) { g->SetEditRow(i, v != 0); });

  // Lists of (column, row, values) or (index, values).
  auto cellList = [&](const char* name, auto apply) {
    F.DefineProperty(
        name,
        [this, apply](TReader& R) {
          R.ReadListBegin();
          while (!R.EndOfList()) {
            const int c = Index16(R.ReadInteger());
            const int r = Index16(R.ReadInteger());
            apply(this, R, c, r);
          }
          R.ReadListEnd();
        },
        noWrite, false);
  };
  auto lineList = [&](const char* name, auto apply) {
    F.DefineProperty(
        name,
        [this, apply](TReader& R) {
          R.ReadListBegin();
          while (!R.EndOfList()) apply(this, R, Index16(R.ReadInteger()));
          R.ReadListEnd();
        },
        noWrite, false);
  };
  using G = TStringAlignGrid;
  cellList("FontCell", [](G* g, TReader& R, int c, int r) { ReadFont(R, *g->FontCell(c, r)); });
  lineList("FontCol", [](G* g, TReader& R, int i) { ReadFont(R, *g->FontCol(i)); });
  lineList("FontFixedCol", [](G* g, TReader& R, int i) { ReadFont(R, *g->FontFixedCol(i)); });
  lineList("FontRow", [](G* g, TReader& R, int i) { ReadFont(R, *g->FontRow(i)); });
  lineList("FontFixedRow", [](G* g, TReader& R, int i) { ReadFont(R, *g->FontFixedRow(i)); });
  cellList("BrushCell", [](G* g, TReader& R, int c, int r) { ReadBrush(R, *g->BrushCell(c, r)); });
  lineList("BrushCol", [](G* g, TReader& R, int i) { ReadBrush(R, *g->BrushCol(i)); });
  lineList("BrushFixedCol", [](G* g, TReader& R, int i) { ReadBrush(R, *g->BrushFixedCol(i)); });
  lineList("BrushRow", [](G* g, TReader& R, int i) { ReadBrush(R, *g->BrushRow(i)); });
  lineList("BrushFixedRow", [](G* g, TReader& R, int i) { ReadBrush(R, *g->BrushFixedRow(i)); });
  auto color = [](TReader& R) { return static_cast<TColor>(R.ReadInteger()); };
  cellList("ColorCell", [color](G* g, TReader& R, int c, int r) { g->SetColorCell(c, r, color(R)); });
  lineList("ColorCol", [color](G* g, TReader& R, int i) { g->BrushCol(i)->SetColor(color(R)); });
  lineList("ColorFixedCol", [color](G* g, TReader& R, int i) { g->BrushFixedCol(i)->SetColor(color(R)); });
  lineList("ColorRow", [color](G* g, TReader& R, int i) { g->BrushRow(i)->SetColor(color(R)); });
  lineList("ColorFixedRow", [color](G* g, TReader& R, int i) { g->BrushFixedRow(i)->SetColor(color(R)); });
  cellList("SelectedColorCell", [color](G* g, TReader& R, int c, int r) { g->SetSelectedColorCell(c, r, color(R)); });
  lineList("SelectedColorCol", [color](G* g, TReader& R, int i) { g->SetSelectedColorCol(i, color(R)); });
  lineList("SelectedColorRow", [color](G* g, TReader& R, int i) { g->SetSelectedColorRow(i, color(R)); });
}

void TStringAlignGrid::Loaded() {
  TStringGrid::Loaded();
  if (loaded_cells_) {
    const auto& store = *loaded_cells_;
    for (int c = 0; c < ColCount(); ++c)
      for (int r = 0; r < RowCount(); ++r) {
        const std::optional<AnsiString>* t = nullptr;
        if (c < static_cast<int>(store.size())) {
          const TextLine& col = store[static_cast<size_t>(c)];
          if (r < static_cast<int>(col.size())) t = &col[static_cast<size_t>(r)];
        }
        SetCells(c, r, t && *t ? **t : AnsiString());
      }
    if (!HasState(csDesigning)) loaded_cells_.reset();
  }
  RestoreEditor = Options().Contains(goAlwaysShowEditor);
  if (SelectEditText) SavedSelLength = -1;
  AdjustLastCol();
}

// ---- registration ----

void RegisterAligridClasses() {
  static const bool done = [] {
    // The string grid's own properties come with the standard controls.
    RegisterStdCtrlsClasses();
    using G = TStringAlignGrid;
    RegisterClass<G, TStringGrid>("TStringAlignGrid")
        .Enum("Alignment", [](G* g) { return static_cast<int>(g->Alignment()); },
              [](G* g, int v) { g->SetAlignment(AlignOf(v)); }, {"alRight", "alLeft", "alCenter", "alDefault"}, 1)
        .Enum("Wordwrap", [](G* g) { return static_cast<int>(g->Wordwrap()); },
              [](G* g, int v) { g->SetWordwrap(static_cast<T_Wordwrap>(v & 3)); },
              {"ww_none", "ww_wordwrap", "ww_ellipsis", "ww_default"}, 0)
        .Bool("Editable", &G::Editable, true)
        .Int("FixedColor", &G::FixedColor, &G::SetFixedColor, static_cast<int32_t>(clBtnFace), &ui::ColorIdents())
        .Int("SelectedCellColor", &G::SelectedCellColor, &G::SetSelectedCellColor, static_cast<int32_t>(clActiveCaption),
             &ui::ColorIdents())
        .Int("SelectedFontColor", &G::SelectedFontColor, &G::SetSelectedFontColor, clWhite, &ui::ColorIdents())
        .Bool("ShowCellHints", &G::ShowCellHints, true)
        .Bool("DrawSelection", &G::DrawSelection, &G::SetDrawSelection, true)
        .Bool("AutoAdjustLastCol", &G::AutoAdjustLastCol, &G::SetAutoAdjustLastCol, false)
        .Bool("SelectEditText", &G::SelectEditText, true)
        .Bool("EditMultiline", &G::EditMultiline, false)
        .Bool("AutoEditNextCell", &G::AutoEditNextCell, false)
        .Bool("RedrawWhileScroll", &G::RedrawWhileScroll, false)
        .Enum("NextCellEdit", &G::NextCellEdit,
              {"nc_rightdown", "nc_downright", "nc_leftdown", "nc_downleft", "nc_leftup", "nc_upleft", "nc_rightup",
               "nc_upright"},
              nc_rightdown)
        .Enum("AfterLastCellEdit", &G::AfterLastCellEdit, {"lc_newcolrow", "lc_stop", "lc_first", "lc_exit"}, lc_newcolrow)
        .Enum("NextCellTab", &G::NextCellTab,
              {"nc_rightdown", "nc_downright", "nc_leftdown", "nc_downleft", "nc_leftup", "nc_upleft", "nc_rightup",
               "nc_upright"},
              nc_rightdown)
        .Enum("AfterLastCellTab", &G::AfterLastCellTab, {"lc_newcolrow", "lc_stop", "lc_first", "lc_exit"}, lc_first)
        .Event("OnBeforeEdit", &G::OnBeforeEdit)
        .Event("OnAfterEdit", &G::OnAfterEdit)
        .Event("OnCancelEdit", &G::OnCancelEdit)
        .Event("OnValidateEdit", &G::OnValidateEdit)
        .Event("OnCompareCol", &G::OnCompareCol)
        .Event("OnCompareRow", &G::OnCompareRow)
        .Event("OnColWidthsChanged", &G::OnColWidthsChanged)
        .Event("OnRowHeightsChanged", &G::OnRowHeightsChanged)
        .Event("OnFixedColClick", &G::OnFixedColClick)
        .Event("OnFixedRowClick", &G::OnFixedRowClick)
        .Event("OnShowHintCell", &G::OnShowHintCell)
        .DefineProperties(&G::DefineProperties);
    return true;
  }();
  (void)done;
}
