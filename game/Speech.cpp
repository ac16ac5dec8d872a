// Speech: the two-colour block of centred lines, its display time and the script wait.
#include <algorithm>

#include "engine/GX.h"
#include "game/Unit1.h"

void TForm1::StringToSayStr(const std::string& Text, SayStr& Rec) {
  Rec.Lines[1] = Text.substr(0, SayStr::MaxLineLength);
  Rec.LineCount = 1;
}

void TForm1::PukkiSay(SayStr Rec) {
  if (Rec.LineCount == 0) return;
  if (Rec.LineCount > 10) Rec.LineCount = 10;
  SpeechActive = 1;
  CurrentSpeech = Rec;
  if (SpeechSurface) {
    const TLabel& Shadow = Speaker == 2 ? *Label4 : *Label2;
    const TLabel& Text = Speaker == 2 ? *Label3 : *Label1;
    if (!SpeechOnSurface.Valid || !(SpeechOnSurface.Speech == Rec) ||
        !(SpeechOnSurface.Text == Text.Font) || !(SpeechOnSurface.Shadow == Shadow.Font)) {
      ComposeSpeech(Rec, Shadow.Font, Text.Font);
    }
    DrawPartOnBack(*SpeechSurface, 40, 20, SpeechOnSurface.Box);
  }
  Timer3->SetInterval(static_cast<std::uint32_t>(Rec.LineCount) * 2000);
  // A press stopped the countdown; re-arming it here on the next frame would let a held
  // button's speech run out after all, and the release would then act on the scene.
  if (ButtonsHeld == 0) Timer3->SetEnabled(true);
}

void TForm1::ActionDelayMs(std::int32_t Ms) {
  // A wait of no time still ends (a stopped window timer would lock the mouse for good).
  Timer4->SetInterval(static_cast<std::uint32_t>(Ms < 1 ? 1 : Ms));
  Timer4->SetEnabled(true);
}

void TForm1::ComposeSpeech(const SayStr& Rec, const TFont& Shadow, const TFont& Text) {
  // Drawing the shadow pass and then the text pass onto Back, each with the white cells keyed
  // out, leaves the same pixels as drawing once a surface that holds the shadow with the text
  // over it; so the surface is composed when the speech changes and drawn once a frame.
  TGXCanvas& Canvas = *SpeechSurface->Canvas;
  int X[11] = {};
  Canvas.Font = Text;
  TRect Box = Rect(240, 150, 0, 0);
  for (int I = 1; I <= Rec.LineCount; ++I) {
    const int Width = Canvas.TextWidth(Rec.Lines[I]);
    X[I] = 120 - static_cast<std::uint16_t>(Width) / 2;
    Box.Left = std::min(Box.Left, X[I]);
    Box.Right = std::max(Box.Right, X[I] + 1 + Width);
  }
  Box.Top = 1;
  Box.Bottom = 10 * (Rec.LineCount - 1) + 2 + Canvas.TextHeight("Ag");
  Canvas.Release();
  SpeechSurface->Erase(0);
  FillErasedSurface(*SpeechSurface);
  Canvas.Brush.Style = bsClear;
  Canvas.Font = Shadow;
  for (int I = 1; I <= Rec.LineCount; ++I) Canvas.TextOut(X[I], 10 * (I - 1) + 1, Rec.Lines[I]);
  Canvas.Font = Text;
  for (int I = 1; I <= Rec.LineCount; ++I) {
    Canvas.TextOut(X[I] + 1, 10 * (I - 1) + 2, Rec.Lines[I]);
  }
  Canvas.Brush.Style = bsSolid;
  Canvas.Release();
  GXScreen1->TransparentFromPixel(*SpeechSurface, 0, 0);
  SpeechOnSurface = {true, Rec, Shadow, Text, Box};
}
