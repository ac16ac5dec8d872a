// The builder's music and item code under test, compiled into this test program on its own
// so that it does not depend on how other test programs link the builder.
#include "tools/databuild/items/ItemText.cpp"        // NOLINT(bugprone-suspicious-include)
#include "tools/databuild/music/Midi.cpp"            // NOLINT(bugprone-suspicious-include)
#include "tools/databuild/music/NoteText.cpp"        // NOLINT(bugprone-suspicious-include)
#include "tools/databuild/scenes/SceneText.cpp"      // NOLINT(bugprone-suspicious-include)
