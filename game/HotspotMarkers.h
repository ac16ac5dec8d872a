// The hotspot markers: while the player holds the key, every hotspot usable now is shown with
// its name, placed where it can be read.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"

class TForm1;

struct THotspotMarker {
  int Hotspot = 0;
  std::string Name;  // as the text line gives it (Windows-1252)
  TPoint At;         // a pixel of the hotspot, as deep inside it as any
  TRect Label;       // where the name is drawn (empty for a nameless hotspot)
  friend bool operator==(const THotspotMarker&, const THotspotMarker&) = default;
};

// The hotspots of the current scene the pointer reacts to (neither floor, nothing nor hidden by
// the puzzle state), each with its name and marker point, by hotspot number.
std::vector<THotspotMarker> UsableHotspots(const TForm1& Form);

// Gives every named marker a label box of LabelSize(name) near its point, inside Width x
// Height and, where there is room, over no other label and no other marker point.
void PlaceLabels(std::vector<THotspotMarker>& Markers, int Width, int Height,
                 const std::function<TPoint(const std::string&)>& LabelSize);
