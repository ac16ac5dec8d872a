// Small signed-distance sculptures rendered into shaded, outlined pixel art (Pukki, items).
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/libraster/Image.h"

namespace vornu::sprites {

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double k) {
  return {a.x * k, a.y * k, a.z * k};
}
inline double Dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double Len(V3 a) {
  return std::sqrt(Dot(a, a));
}
inline V3 Norm(V3 a) {
  const double l = Len(a);
  return l > 0 ? a * (1.0 / l) : V3{0, 1, 0};
}
inline V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Five shades, darkest first.
using Ramp = std::array<raster::Rgb, 5>;

// Orthonormal frame: columns are the local axes expressed in the parent frame.
struct Frame {
  V3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};
  V3 ToLocal(V3 v) const { return {Dot(v, ax), Dot(v, ay), Dot(v, az)}; }
  // Rotation by `deg` degrees about the parent's x, y or z axis, composed after this one.
  static Frame RotX(double deg);
  static Frame RotY(double deg);
  static Frame RotZ(double deg);
  Frame Then(const Frame& outer) const;
};

// A material maps a surface point (in the sculpture's own frame) to an index in the ramp table.
using MaterialFn = std::function<int(V3 p)>;

class Sculpture {
 public:
  // Shapes; `mat` is the ramp index unless a material function is given.
  void Sphere(V3 c, double r, int mat);
  void Ellipsoid(V3 c, V3 radii, int mat, Frame f = {});
  void RoundCone(V3 a, V3 b, double ra, double rb, int mat);
  void Capsule(V3 a, V3 b, double r, int mat) { RoundCone(a, b, r, r, mat); }
  // Torus around the frame's local y axis.
  void Torus(V3 c, double major, double minor, int mat, Frame f = {});
  void Box(V3 c, V3 half, double round, int mat, Frame f = {});
  // Cylinder along the frame's local y axis, edges rounded by `round`.
  void Cylinder(V3 c, double r, double halfH, double round, int mat, Frame f = {});
  // Gives the most recently added shape a material function instead of a fixed ramp.
  void Paint(MaterialFn fn);

  // Distance from p to the nearest shape, and that shape's material at p.
  double Dist(V3 p, int* mat) const;

 private:
  struct Shape {
    int kind;
    V3 a, b, r;
    double s1 = 0, s2 = 0;
    Frame f;
    int mat;
    MaterialFn fn;
  };
  double ShapeDist(const Shape& s, V3 p) const;
  std::vector<Shape> shapes_;
};

// Orthographic camera looking down at `pitchDeg`, turned by `yawDeg` about the vertical axis.
// The sculpture's origin lands on picture pixel (ox, oy); `scale` picture pixels per unit.
struct Camera {
  double pitchDeg = 30, yawDeg = 0;
  int ox = 0, oy = 0;
  double scale = 1;
  // Picture position (x right, y down) and depth (toward the viewer) of a sculpture point.
  V3 Project(V3 p) const;
};

// A point painted after shading (eyes, rivets) when it is not hidden behind the surface.
struct Decal {
  V3 p;
  raster::Rgb colour;
};

struct RenderStyle {
  V3 light = Norm({-0.55, 0.75, 0.45});  // toward the light, in the camera's world frame
  double ambient = 0.38;
  raster::Rgb outline{22, 14, 26};
  bool outerOutline = true;
  double ditherLow = 0.44, ditherHigh = 0.56;  // share of a shade step drawn as a checkerboard
  double creaseDepth = 2.5;  // a nearer neighbour this much in front draws a dark crease
};

// Renders onto `img` (only pixels the sculpture covers, plus its outline, are written).
// Returns the depth buffer's coverage count so callers can tell an empty render.
int Render(const Sculpture& s, const std::vector<Ramp>& ramps, const Camera& cam,
           const RenderStyle& style, raster::Image& img, const std::vector<Decal>& decals = {});

}  // namespace vornu::sprites
