// The grid's stream properties, byte by byte where the layout matters, and the older
// properties that form resources still carry.
#include "AligridFixture.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"

namespace {

// The grid's own stream properties as the writer stores them.
AnsiString DefinedBytes(TStringAlignGrid& g) {
  AnsiString out;
  TWriter w(out);
  g.DefineProperties(w);
  return out;
}

AnsiString Name(const char* n) { return AnsiString(1, static_cast<char>(std::char_traits<char>::length(n))) + n; }
const AnsiString kEmptyList("\x01\x00", 2);

void ReadGrid(TStringAlignGrid& g, const AnsiString& props) {
  AnsiString bin = ObjectTextToBinary("object G: TStringAlignGrid\n" + props + "end\n");
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&g);
}

AnsiString WriteGridText(TStringAlignGrid& g) {
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&g);
  return ObjectBinaryToText(bin);
}

}  // namespace

TEST_F(AligridTest, EmptyGridWritesFiveEmptyListsAndNoHintsOrCells) {
  auto g = MakeGrid();
  g->FontCol(7);  // a record beyond the columns is not written; an empty one never
  TCellProperties empty(g.get());
  EXPECT_TRUE(empty.IsEmpty());
  AnsiString expect;
  for (const char* n : {"PropCell", "PropCol", "PropRow", "PropFixedCol", "PropFixedRow"}) expect += Name(n) + kEmptyList;
  EXPECT_EQ(DefinedBytes(*g), expect);
}

TEST_F(AligridTest, RecordsAreWrittenTagByTagInTheirByteForm) {
  auto g = MakeGrid();
  g->BrushCell(1, 2)->SetColor(static_cast<TColor>(8454016));
  const AnsiString brushOnly("\x01"               // list
                             "\x02\x01\x02\x02"   // column 1, row 2
                             "\x02\x04"           // tag 4: brush
                             "\x04\x80\xFF\x80\x00"  // colour 8454016 ($80FF80) as a 32-bit integer
                             "\x02\x00"           // style solid
                             "\x02\x00"           // end of record
                             "\x00",              // end of list
                             17);
  AnsiString bytes = DefinedBytes(*g);
  EXPECT_EQ(bytes.substr(0, 9 + brushOnly.size()), Name("PropCell") + brushOnly);

  auto h = MakeGrid();
  h->SetFixedAlignRow(0, TMyAlign::alCenter);
  h->FontFixedRow(0)->SetStyle(TFontStyles{fsBold, fsUnderline});
  h->FontFixedRow(0)->SetColor(clBtnFace);
  h->FontFixedRow(0)->SetName("Arial");
  h->FontFixedRow(0)->SetHeight(-11);
  h->SetSelectedColorRow(1, clRed);
  const AnsiString fixedRow("\x01\x02\x00"       // index 0
                            "\x02\x01\x02\x02"   // tag 1: centre
                            "\x02\x06"           // tag 6: font
                            "\x04\x0F\x00\x00\x80"  // clBtnFace
                            "\x02\xF5"           // height -11
                            "\x06\x05" "Arial"   // name
                            "\x02\x00"           // pitch default
                            "\x02\x05"           // bold + underline
                            "\x02\x00\x00",
                            30);
  bytes = DefinedBytes(*h);
  EXPECT_NE(bytes.find(Name("PropFixedRow") + fixedRow), AnsiString::npos);
  const AnsiString selRow("\x01\x02\x01\x02\x05\x03\xFF\x00\x02\x00\x02\x00\x00", 13);  // clRed = 255: 16-bit
  EXPECT_NE(bytes.find(Name("PropRow") + selRow), AnsiString::npos);
}

TEST_F(AligridTest, ProgramFormEntriesAreReadIntoTheStores) {
  auto g = MakeGrid();
  ReadGrid(*g,
           "  ColCount = 5\n"
           "  Cells = (0 0 'Load' 1 0 '500')\n"
           "  HintCell = (2 1 'tip')\n"
           "  PropCell = (0 0 1 2 4 8454016 0 0  70000 1 1 0 0)\n"
           "  PropCol = (9 3 1 0)\n"
           "  PropFixedCol = (1 6 0 -11 'Arial' 0 334513153 9 0)\n");
  EXPECT_EQ(g->Cells(0, 0), "Load");
  EXPECT_EQ(g->Cells(1, 0), "500");
  EXPECT_EQ(g->HintCell(2, 1), "tip");
  ASSERT_NE(g->PropCell(0, 0), nullptr);
  EXPECT_EQ(g->PropCell(0, 0)->Alignment, TMyAlign::alCenter);
  EXPECT_EQ(g->ColorCell(0, 0), 8454016);
  ASSERT_NE(g->PropCell(4464, 1), nullptr);  // 70000 modulo 65536
  EXPECT_EQ(g->PropCell(4464, 1)->Alignment, TMyAlign::alRight);
  ASSERT_NE(g->PropCol(9), nullptr);         // kept, but beyond the columns
  EXPECT_EQ(g->PropCol(9)->EditFlag, 1);
  const TFont* f = g->PropFixedCol(1)->Font.get();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Style(), TFontStyles{fsBold});  // upper bits of the style ignored
  EXPECT_EQ(f->Name(), "Arial");

  const AnsiString text = WriteGridText(*g);
  EXPECT_NE(text.find("Cells = (\n"), AnsiString::npos);
  EXPECT_NE(text.find("HintCell = (\n"), AnsiString::npos);
  EXPECT_NE(text.find("PropCol = ()"), AnsiString::npos);

  auto back = MakeGrid();
  AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(back.get());
  EXPECT_EQ(back->Cells(1, 0), "500");
  EXPECT_EQ(back->ColorCell(0, 0), 8454016);
  EXPECT_EQ(back->PropFixedCol(1)->Font->Style(), TFontStyles{fsBold});
  EXPECT_EQ(DefinedBytes(*back), DefinedBytes(*g));
}

TEST_F(AligridTest, OlderPropertiesAreReadInWholeEntries) {
  auto g = MakeGrid();
  ReadGrid(*g,
           "  AlignCell = {01000200020300010000FFFF}\n"  // two entries and two stray bytes
           "  AlignCol = {020002}\n"
           "  EditRow = {030000}\n"
           "  EditCell = {0100010001}\n"
           "  BrushRow = (2 255 0)\n"
           "  ColorFixedCol = (1 65280)\n"
           "  SelectedColorCell = (3 3 16711680)\n"
           "  FontRow = (4 0 -13 'Courier New' 1 3)\n");
  EXPECT_EQ(g->PropCell(1, 2)->Alignment, TMyAlign::alCenter);
  EXPECT_EQ(g->PropCell(3, 1)->Alignment, TMyAlign::alRight);
  EXPECT_EQ(g->PropCol(2)->Alignment, TMyAlign::alCenter);
  EXPECT_FALSE(g->CellEditable(2, 3));
  EXPECT_TRUE(g->CellEditable(1, 1));
  EXPECT_EQ(g->ColorCell(2, 2), 255);
  EXPECT_EQ(g->ColorCell(1, 0), 65280);
  EXPECT_EQ(g->CellSelectedColor(3, 3), 16711680);
  EXPECT_EQ(g->CellFont(2, 4)->Name(), "Courier New");
  EXPECT_EQ(g->CellFont(2, 4)->Style(), (TFontStyles{fsBold, fsItalic}));
  // Older properties are never written back; their records are.
  const AnsiString text = WriteGridText(*g);
  EXPECT_EQ(text.find("AlignCell"), AnsiString::npos);
  EXPECT_NE(text.find("PropCell = (\n"), AnsiString::npos);
}

TEST_F(AligridTest, PublishedPropertiesRoundTrip) {
  auto g = MakeGrid();
  g->SetAlignment(TMyAlign::alRight);
  g->AutoEditNextCell = true;
  g->NextCellEdit = nc_downright;
  g->SetSelectedCellColor(clRed);
  const AnsiString text = WriteGridText(*g);
  EXPECT_NE(text.find("Alignment = alRight"), AnsiString::npos);
  EXPECT_NE(text.find("NextCellEdit = nc_downright"), AnsiString::npos);
  EXPECT_NE(text.find("SelectedCellColor = clRed"), AnsiString::npos);
  auto back = MakeGrid();
  AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(back.get());
  EXPECT_EQ(back->Alignment(), TMyAlign::alRight);
  EXPECT_TRUE(back->AutoEditNextCell);
  EXPECT_EQ(back->NextCellEdit, nc_downright);
  EXPECT_EQ(back->SelectedCellColor(), clRed);
}
