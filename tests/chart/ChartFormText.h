#pragma once
// The text of a form holding one empty chart, as the form streaming writes it: the start
// of every chart form text the tests read or compare.
inline constexpr const char* kChartFormHead =
    "object F: TForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  Width = 320\n"
    "  Height = 240\n"
    "  object Chart1: TChart\n"
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 400\n"
    "    Height = 250\n"
    "    TabOrder = 0\n"
    "  end\n";
