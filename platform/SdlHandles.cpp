#include "platform/SdlHandles.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace vornu::sdl {

void WindowFree::operator()(SDL_Window* Handle) const { SDL_DestroyWindow(Handle); }
void RendererFree::operator()(SDL_Renderer* Handle) const { SDL_DestroyRenderer(Handle); }
void TextureFree::operator()(SDL_Texture* Handle) const { SDL_DestroyTexture(Handle); }
void SurfaceFree::operator()(SDL_Surface* Handle) const { SDL_FreeSurface(Handle); }
void RWopsClose::operator()(SDL_RWops* Handle) const { SDL_RWclose(Handle); }
// Freeing a playing song halts it first.
void MusicFree::operator()(_Mix_Music* Handle) const { Mix_FreeMusic(Handle); }
void ChunkFree::operator()(Mix_Chunk* Handle) const { Mix_FreeChunk(Handle); }
void AudioStreamFree::operator()(_SDL_AudioStream* Handle) const { SDL_FreeAudioStream(Handle); }

}  // namespace vornu::sdl
