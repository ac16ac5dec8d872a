// Owners of SDL's handles: each one frees its handle with the matching SDL call, moves, never copies.
#pragma once

#include <memory>

// SDL's own opaque types, declared here so that holders need not include SDL.
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;
struct SDL_RWops;
struct _Mix_Music;
struct Mix_Chunk;
struct _SDL_AudioStream;

namespace vornu::sdl {

struct WindowFree {
  void operator()(SDL_Window* Handle) const;
};
struct RendererFree {
  void operator()(SDL_Renderer* Handle) const;
};
struct TextureFree {
  void operator()(SDL_Texture* Handle) const;
};
struct SurfaceFree {
  void operator()(SDL_Surface* Handle) const;
};
struct RWopsClose {
  void operator()(SDL_RWops* Handle) const;
};
struct MusicFree {
  void operator()(_Mix_Music* Handle) const;
};
struct ChunkFree {
  void operator()(Mix_Chunk* Handle) const;
};
struct AudioStreamFree {
  void operator()(_SDL_AudioStream* Handle) const;
};

using Window = std::unique_ptr<SDL_Window, WindowFree>;
using Renderer = std::unique_ptr<SDL_Renderer, RendererFree>;
using Texture = std::unique_ptr<SDL_Texture, TextureFree>;
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;
using RWops = std::unique_ptr<SDL_RWops, RWopsClose>;
using Music = std::unique_ptr<_Mix_Music, MusicFree>;
using Chunk = std::unique_ptr<Mix_Chunk, ChunkFree>;
using AudioStream = std::unique_ptr<_SDL_AudioStream, AudioStreamFree>;

}  // namespace vornu::sdl
