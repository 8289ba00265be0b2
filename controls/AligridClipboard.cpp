// Copy, cut and paste of cell blocks as tab-separated text: each row one line, every
// cell followed by a Tab, lines ended by CR LF.
#include <algorithm>

#include "controls/Aligrid.h"
#include "platform/stdctrls/Clipboard.h"

AnsiString CellsToClipboardText(const std::vector<std::vector<AnsiString>>& Rows) {
  AnsiString out;
  for (const auto& row : Rows) {
    for (const AnsiString& cell : row) {
      out += cell;
      out += '\t';
    }
    out += "\r\n";
  }
  return out;
}

std::vector<std::vector<AnsiString>> ClipboardTextToCells(const AnsiString& Text) {
  // A clipboard block is text up to its terminator; anything after it is not ours.
  const size_t end = std::min(Text.find('\0'), Text.size());
  std::vector<std::vector<AnsiString>> rows;
  // One pass over the text: each field is copied once, so the cost grows with its length
  // however many cells it holds.
  size_t pos = 0;
  while (pos < end) {
    // A line ends at CR LF, LF or a lone CR (as older programs end their lines).
    size_t eol = Text.find_first_of("\r\n", pos);
    if (eol == AnsiString::npos || eol > end) eol = end;
    size_t next = eol + 1;
    if (eol < end && Text[eol] == '\r' && next < end && Text[next] == '\n') ++next;
    // Every Tab closes a field; the text after the last Tab is a field only when it is
    // not empty (a line ending in Tab has no empty cell after it).
    std::vector<AnsiString> cells;
    size_t field = pos;
    for (;;) {
      const size_t tab = Text.find('\t', field);
      if (tab == AnsiString::npos || tab >= eol) {
        if (field < eol) cells.push_back(Text.substr(field, eol - field));
        break;
      }
      cells.push_back(Text.substr(field, tab - field));
      field = tab + 1;
    }
    rows.push_back(std::move(cells));
    pos = next;
  }
  return rows;
}

AnsiString TStringAlignGrid::SelectionText() const {
  TGridRect s = Selection();
  if (s.Right < s.Left || s.Right < 0) s.Right = ColCount() - 1;
  if (s.Bottom < s.Top || s.Bottom < 0) s.Bottom = RowCount() - 1;
  s.Left = std::max(s.Left, 0);
  s.Top = std::max(s.Top, 0);
  std::vector<std::vector<AnsiString>> rows;
  for (int r = s.Top; r <= s.Bottom && r < RowCount(); ++r) {
    std::vector<AnsiString> row;
    for (int c = s.Left; c <= s.Right && c < ColCount(); ++c) row.push_back(Cells(c, r));
    rows.push_back(std::move(row));
  }
  return CellsToClipboardText(rows);
}

void TStringAlignGrid::CopyToClipboard() { Clipboard()->SetAsText(SelectionText()); }

void TStringAlignGrid::CutToClipboard() {
  CopyToClipboard();
  TGridRect s = Selection();
  if (s.Right < s.Left || s.Right < 0) s.Right = ColCount() - 1;
  if (s.Bottom < s.Top || s.Bottom < 0) s.Bottom = RowCount() - 1;
  for (int r = std::max(s.Top, 0); r <= s.Bottom && r < RowCount(); ++r)
    for (int c = std::max(s.Left, 0); c <= s.Right && c < ColCount(); ++c)
      if (!PasteProtect || CellEditable(c, r)) SetCells(c, r, AnsiString());
}

void TStringAlignGrid::PasteFromClipboard() {
  if (!Clipboard()->HasText()) return;
  PasteText(Clipboard()->AsText());
}

void TStringAlignGrid::PasteText(const AnsiString& Text) {
  const auto rows = ClipboardTextToCells(Text);
  if (rows.empty()) return;
  const TGridRect sel = Selection();
  const int left = std::max(sel.Left, 0), top = std::max(sel.Top, 0);
  const bool single = sel.Left == sel.Right && sel.Top == sel.Bottom;
  auto inside = [&](int c, int r) { return single || (c <= sel.Right && r <= sel.Bottom); };
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = top + static_cast<int>(i);
    if (r >= RowCount()) break;
    for (size_t j = 0; j < rows[i].size(); ++j) {
      const int c = left + static_cast<int>(j);
      if (c >= ColCount()) break;
      if (inside(c, r) && (!PasteProtect || CellEditable(c, r))) SetCells(c, r, rows[i][j]);
    }
  }
  if (single) {
    // The pasted block becomes the selection, as far as the grid reaches.
    const int width = std::max<int>(1, static_cast<int>(rows.front().size()));
    const int height = static_cast<int>(rows.size());
    SetSelection(TGridRect{left, top, std::min(ColCount() - 1, left + width - 1), std::min(RowCount() - 1, top + height - 1)});
  }
  Invalidate();
}
