// State of the running scene scripts and item uses that no other part of the game reads.
#pragma once

struct TScriptState {};
