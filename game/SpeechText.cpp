// Fixed speech lines: from the source's UTF-8 to the Windows-1252 lines the font draws.
#include "game/SpeechText.h"

#include "platform/Text1252.h"

namespace vornu {

SayStr MakeSpeech(const std::vector<std::string>& Utf8Lines) {
  SayStr Rec;
  for (const std::string& Line : Utf8Lines) {
    if (Rec.LineCount == Rec.Lines.High) break;  // a record has room for ten lines only
    ++Rec.LineCount;
    Rec.Lines[Rec.LineCount] = W(Line).substr(0, SayStr::MaxLineLength);
  }
  return Rec;
}

}  // namespace vornu
