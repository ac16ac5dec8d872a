// The game form: every piece of game state and every game method of Vornu.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/GameTypes.h"
#include "game/HotspotMarkers.h"
#include "game/KeyPointer.h"
#include "game/SpeechText.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Timers.h"

class TGXScreen;
class TGXSurface;
class TSuperTimer;

// What differs between the two builds of the game.
struct TForm1Settings {
  bool LargeDisplay = true;  // 640 x 400 display (vornu) or 320 x 200 (vornu-lowres)
  bool HalveMouse = true;    // mouse coordinates are display pixels of the 640 x 400 mode
  bool ClearBack = true;     // the game view erases Back first (the picture covers a quarter)
  // The language played: "fi" reads the files at the top of the game directory, any other
  // code reads its own object files, item file, pictures with text and lines below lang/CODE/.
  std::string Language = "fi";
};

using TSurfacePtr = std::unique_ptr<TGXSurface>;

class TForm1 : public TForm {
 public:
  // Creates the form and its components with the build's settings; nothing is loaded yet.
  explicit TForm1(const TForm1Settings& Settings = {});
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- Start-up and timers ----
  // Creates the picture surfaces, loads every start-up picture and the item file, sets the
  // initial state and starts the map tune. A missing or broken file ends the program with a
  // message naming it.
  void GXScreen1Initialize(TObject* Sender);
  // The frame timer's tick: Pukki may take his next walking step.
  void Timer1Timer(TObject* Sender);
  // A speech's time is over: it ends and the script advances.
  void Timer3Timer(TObject* Sender);
  // A script wait is over: the script advances.
  void Timer4Timer(TObject* Sender);

  // ---- Frame and drawing ----
  // Composes one frame on Back and runs whatever game logic is due.
  void GXScreen1Flip(TObject* Sender);
  // Draws the scene's tiles that lie behind Pukki, by their flags.
  void DrawSwitchTilesBeforePukki(std::uint16_t Scene);
  // Draws the scene's tiles in front of Pukki and the tile that follows him.
  void DrawSwitchTilesAfterPukki(std::uint16_t Scene);
  // Draws the inventory picture and the carried items.
  void DrawInventory();
  // Draws one line of two-colour text centred at the bottom of the screen.
  void WriteTo1(const std::string& Text);
  // While the player holds the hotspot key: a marker and the name of every usable hotspot.
  void DrawHotspotMarkers();

  // ---- Input ----
  // Pointer moved: stores the logical position, picks the pointer and the menu verb.
  void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  // Button pressed: stores the press point and starts the long-press timer.
  void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // Button released: ends a speech, or walks, chooses a verb, takes or uses an item, etc.
  void FormMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // A key steps the opening or closing picture sequence.
  void FormKeyPress(TObject* Sender, char& Key);
  // The long press: opens the verb menu where allowed.
  void Timer2Timer(TObject* Sender);
  // The inventory button at (X, Y): 0 none, 1 load, 2 save, 3 quit.
  std::uint8_t OnButton(int X, int Y) const;
  // The item in the inventory slot under the pointer, 0 if none.
  std::uint16_t MouseOnItem() const;
  // The item in the inventory slot under the press point, 0 if none.
  std::uint16_t ClickOnItem() const;

  // ---- Scenes ----
  // Makes a scene current: stops actions, switches music, loads its pictures and files.
  void LoadScene(std::uint16_t Scene);

  // ---- Map travel ----
  // Carries out the journey chosen on the map (ActionHotspot).
  void MapGoto();

  // ---- Walking ----
  // Draws Pukki and, on a frame tick, moves him one step toward his target.
  void PukkiWalk();
  // Plans and starts a walk of Pukki's feet to (X, Y); false (with the apology) if no way.
  bool CalculateWayPoints(std::int32_t X, std::int32_t Y);
  // Whether the eight-direction line from (X1, Y1) to (X2, Y2) crosses only floor.
  bool ShortestWay(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) const;
  // Plans a walk to the walk point of the hotspot under the press point.
  bool CheckWalkPoints();

  // ---- Inventory and items ----
  // Reads .\items\items.txt into the item texts and replies; a broken file throws naming it.
  void ReadItemDataFile();
  // Empties the inventory.
  void ClearInventory();
  // Adds an item at the end of the list (a full list stays as it is).
  void AddItem(std::uint16_t Item);
  // Position of the last entry equal to Item, 0 if none.
  std::uint16_t FindItem(std::uint16_t Item) const;
  // Whether Item is carried.
  bool IsItem(std::uint16_t Item) const;
  // Removes the last entry equal to Item; an item not carried leaves the list as it is.
  void RemoveItem(std::uint16_t Item);
  // Performs the chosen verb on ActionItem in the inventory.
  void CheckItemActions();
  // Combines HeldItem with ActionItem, or refuses.
  void DoCompiles();

  // ---- Speech ----
  // Shows a speech on Back and arms its display time (2 s a line).
  void PukkiSay(SayStr Rec);
  // Rec becomes a one-line speech of the first 50 characters of Text.
  void StringToSayStr(const std::string& Text, SayStr& Rec);
  // Starts a script wait of Ms milliseconds (input is locked meanwhile).
  void ActionDelayMs(std::int32_t Ms);

  // ---- Save, load, quit, end ----
  // Writes savegame.dat.
  void SaveGame();
  // Reads savegame.dat and rebuilds its scene.
  void LoadGame();
  // Releases the game's pictures and closes the form.
  void QuitGame();
  // Closes the form.
  void TheEnd();
  // True exactly for the text "T".
  bool S2B(const std::string& Text) const;
  // 'T' for a set flag byte, 'F' for 0.
  char B2C(std::uint8_t Flag) const;

  // ---- Scene scripts and item use ----
  // Executes the current step of the action chosen on ActionHotspot.
  void SceneActions(std::uint16_t Scene);
  // Settles the use of ActionItem on ActionHotspot.
  void SceneUseItem(std::uint16_t Scene);

  // ---- Helpers shared by several parts of the game ----
  // Whether hotspot H of Scene is ignored by the pointer (the map and numbers above 50 never are).
  bool HotspotIsHidden(std::uint16_t Scene, int H) const;
  // The hotspot map cell at a logical position; 0 or negative coordinates read as 1, anything
  // beyond the map reads as 255 (nothing).
  std::uint8_t HotspotAt(int X, int Y) const;
  // Says one refusal reply chosen at random (nothing when the item file has none).
  void SayUseFailReply();
  // Loads a Windows bitmap file onto a surface at (0, 0) through BitmapLoader.
  void LoadPicture(TGXSurface& Surface, const std::string& Path);
  // Plays a MIDI file from its start on MediaPlayer1; one that cannot play leaves the game
  // silent, with one trace line (start-up has checked both tunes).
  void PlayMusic(const std::string& Path);
  // Closes the form, which ends the program.
  void CloseForm();
  // The route step of the game view: moves on along the route, then PukkiWalk.
  void RouteStep();
  // Draws walking frame Frame of Direction at Pukki's position, transparent.
  void DrawPukki(std::uint8_t Direction, std::uint16_t Frame);
  // Draws Surface on Back at (X, Y); a surface that never loaded draws nothing.
  void DrawOnBack(TGXSurface* Surface, int X, int Y, bool Transparent);
  // The text surfaces' border fill from (0, 0) in red over a surface just erased to colour 0.
  void FillErasedSurface(TGXSurface& Surface);
  // Draws Surface on Back at (X, Y), transparent, knowing that nothing outside Part of it shows.
  void DrawPartOnBack(TGXSurface& Surface, int X, int Y, const TRect& Part);
  // Erases a surface to colour 0.
  void EraseToColourZero(TGXSurface& Surface);
  // Composes a speech on SpeechSurface: shadow lines, then the text lines over them.
  void ComposeSpeech(const SayStr& Rec, const TFont& Shadow, const TFont& Text);
  // Start-up proper; throws on the first file that is missing or broken.
  void InitializeGame();
  // Ends the program because start-up failed: message (stderr and box), form closed.
  void FailStartup(const std::string& Message);
  // HotspotHidden as in a new game.
  void ResetHotspotHidden();
  // The item in the inventory slot at (X, Y), 0 if none.
  std::uint16_t ItemInSlotAt(int X, int Y) const;
  // Reads a hotspot map file into HotspotMap; a file that cannot be read throws naming it.
  void ParseHotspotMapInto(const std::string& Path);
  // Reads a scene object file into the hotspot tables (walk points, texts, replies); a broken
  // file throws EGameFile naming it and changes none of them.
  void ReadObjectFile(const std::string& Path);
  // The three views of the frame.
  void IntroFrame();
  void EndingFrame();
  void GameFrame();
  // Loads an opening or closing picture; one that cannot be read ends the program.
  void LoadPhasePicture(const std::string& Path);
  // Where a data file that differs between languages lies for the language played.
  std::string LanguageFile(const std::string& Path) const;
  // Reads the program's own lines of the language played and checks that every file of its
  // own is there; a missing or broken one throws naming it.
  void LoadLanguage();
  // The held item's caption over a target: the caption word, the item's use form, the target.
  std::string HeldItemCaption(const std::string& Target) const;
  // ItemTexts[K][Item] / HotspotTexts[K][Hotspot], empty for numbers outside the tables.
  const std::string& ItemText(int K, int Item) const;
  const std::string& HotspotText(int K, int Hotspot) const;

  // ---- Build settings ----
  TForm1Settings Settings;
  // Why start-up failed (the program then ends); empty when it did not.
  std::string StartupError;

  // ---- Components ----
  std::unique_ptr<TGXScreen> GXScreen1;
  std::unique_ptr<TSuperTimer> Timer1;
  std::unique_ptr<TTimer> Timer2;
  std::unique_ptr<TTimer> Timer3;
  std::unique_ptr<TTimer> Timer4;
  std::unique_ptr<TMediaPlayer> MediaPlayer1;
  std::unique_ptr<TLabel> Label1;
  std::unique_ptr<TLabel> Label2;
  std::unique_ptr<TLabel> Label3;
  std::unique_ptr<TLabel> Label4;
  std::unique_ptr<TImage> BitmapLoader;

  // ---- Picture surfaces ----
  TSurfacePtr FullScreenPicture;
  vornu::Array<vornu::Array<TSurfacePtr, 1, 30>, 0, 7> PukkiFrames;  // [direction][frame]
  vornu::Array<TSurfacePtr, 1, 4> MenuPictures;
  vornu::Array<TSurfacePtr, 1, 2> CursorPictures;
  TSurfacePtr TextLineSurface;
  TSurfacePtr SpeechSurface;
  vornu::Array<TSurfacePtr, 1, 13> ItemPictures;
  TSurfacePtr InventoryPicture;

  // ---- Screen phases and pointer ----
  std::uint8_t IntroActive = 1;
  std::uint8_t IntroStep = 1;
  std::uint8_t EndingActive = 0;
  std::uint8_t EndingStep = 1;
  std::int32_t MouseX = 0;
  std::int32_t MouseY = 0;
  std::int32_t ClickX = 171;
  std::int32_t ClickY = 148;
  std::uint8_t CursorKind = 1;
  std::uint8_t CursorShown = 1;

  // ---- Scene and Pukki ----
  std::uint16_t CurrentScene = 0;
  TSurfacePtr SceneBackground;
  vornu::Array<TSurfacePtr, 1, 255> SceneTiles;
  THotspotMap HotspotMap;
  std::uint8_t PukkiInScene = 0;
  std::uint8_t MenuAllowed = 0;
  std::uint8_t InventoryAllowed = 0;
  std::int32_t PukkiX = 150;
  std::int32_t PukkiY = 100;
  std::int32_t PukkiTargetX = 150;
  std::int32_t PukkiTargetY = 100;
  std::uint8_t PukkiDirection = 2;
  std::uint8_t ArrivalDirection = 255;
  std::uint16_t PukkiFrame = 1;
  std::uint8_t FrameTick = 0;
  std::uint8_t WalkDone = 1;
  std::uint8_t AdvanceWayPoint = 1;
  vornu::Array<TWayPoint, 1, 20> WayPoints;
  std::uint8_t WayPointCount = 0;
  std::uint8_t WayPointIndex = 0;
  vornu::Array<THotspotWalkPoint, 1, 255> HotspotWalkPoints;

  // ---- Verb menu and actions ----
  std::uint8_t MenuOpen = 0;
  std::uint8_t SelectedVerb = 1;
  std::uint16_t ActionHotspot = 0;
  std::uint16_t ActionItem = 0;
  std::uint8_t SceneActionIdle = 1;
  std::uint8_t ItemActionIdle = 1;
  std::uint8_t CombineIdle = 1;
  std::uint8_t UseItemIdle = 1;
  std::uint8_t MapIdle = 1;
  std::uint16_t ActionStep = 0;
  vornu::Array<vornu::Array<std::uint8_t, 1, 100>, 1, 20> SceneFlags;
  vornu::Array<vornu::Array<std::uint8_t, 1, 50>, 1, 20> HotspotHidden;
  vornu::Array<vornu::Array<std::string, 1, 255>, 1, 5> HotspotTexts;  // [text][hotspot]
  vornu::Array<vornu::Array<SayStr, 1, 255>, 2, 4> HotspotReplies;     // [verb][hotspot]

  // ---- Inventory and items ----
  vornu::Array<std::uint16_t, 1, 13> Inventory;
  std::uint16_t InventoryCount = 0;
  std::uint8_t InventoryOpen = 0;
  std::uint8_t ItemInHand = 0;
  std::uint16_t HeldItem = 0;
  vornu::Array<vornu::Array<std::string, 1, 13>, 1, 6> ItemTexts;  // [text][item]
  vornu::Array<vornu::Array<SayStr, 1, 13>, 2, 4> ItemReplies;     // [verb][item]
  vornu::Array<SayStr, 0, 29> UseFailReplies;
  std::uint8_t UseFailReplyCount = 0;
  // The refusals' random source, seeded from the clock when the form is made; tests seed it.
  std::mt19937 Random;

  // ---- Speech ----
  // The program's own lines in the language played (Finnish: as the source gives them).
  vornu::TLineCatalogue Catalogue;
  std::uint8_t SpeechActive = 0;
  std::uint8_t Speaker = 1;
  SayStr CurrentSpeech;
  // The mouse buttons held down now (bit 1 << TMouseButton): while any is, a speech does not
  // end by time.
  std::uint8_t ButtonsHeld = 0;

  // What the two text surfaces hold, so that an unchanged text is not composed again.
  struct {
    bool Valid = false;
    SayStr Speech;
    TFont Shadow, Text;
    TRect Box;  // where the text lies; the rest of the surface is transparent
  } SpeechOnSurface;
  struct {
    bool Valid = false;
    std::string Text;
    int X = 0;
    TRect Box;
  } LineOnSurface;

  // ---- Keyboard, gamepad and the hotspot markers ----
  TKeyPointer PointerKeys{*this};
  TSurfacePtr MarkerSurface;
  struct {
    bool Valid = false;
    std::vector<THotspotMarker> Markers;
  } MarkersOnSurface;  // what MarkerSurface shows
};
