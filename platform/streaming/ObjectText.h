#pragma once
// The text form of component streams, as form resources are written:
//
//   object Form1: TForm1
//     Caption = 'Setup'#13#10'more'
//     Font.Style = [fsBold]
//     Items.Strings = (
//       'a'
//       'b')
//     object Button1: TButton
//       OnClick = Button1Click
//     end
//   end
//
// and its conversion to and from the binary stream. Text is UTF-8; quoted characters
// become Windows-1252, and #nnn gives a Windows-1252 code directly. The text written is
// ASCII, with every other byte as #nnn, so text -> binary -> text is stable.
#include <string_view>
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/streaming/Filer.h"

CQ5_DECLARE_EXCEPTION(EParserError, EFilerError)

// Raises EParserError "<SourceName>, line <n>: <what>" for malformed text. Lines (when
// given) receives the binary offset of every object and property with its text line.
AnsiString ObjectTextToBinary(std::string_view Text, const AnsiString& SourceName = AnsiString(),
                              TLineMap* Lines = nullptr);
// Raises EReadError for a truncated or corrupt binary stream.
AnsiString ObjectBinaryToText(std::string_view Binary);

// Stream forms: read from Input's position to its end, append to Output.
void ObjectTextToBinary(TStream& Input, TStream& Output);
void ObjectBinaryToText(TStream& Input, TStream& Output);
