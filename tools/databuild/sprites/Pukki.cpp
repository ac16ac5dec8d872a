#include "tools/databuild/sprites/Pukki.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "tools/databuild/Registry.h"

namespace vornu::sprites {

using databuild::BuildError;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kSuit = 0, kFur = 1, kSkin = 2, kNose = 3, kBlack = 4, kGold = 5, kCheek = 6;
const char* const kRampNames[] = {"suit", "fur", "skin", "nose", "black", "gold", "cheek"};

// Head and nose stay put in every frame: the nose peg of the office is drawn at fixed offsets.
const V3 kHead{0, 44, 0};
const V3 kNosePos{0, 42.5, 6.8};

// Yaw of each direction code: sculpture +z (his front) turned toward the facing.
double Yaw(int dir) {
  static const double yaw[8] = {180, 135, 90, 45, 0, -45, -90, -135};
  return yaw[dir & 7];
}

Camera PukkiCamera(int dir) {
  Camera cam;
  cam.pitchDeg = 30;  // the floor is seen at half height: 1 pixel down the screen = 2 units
  cam.yawDeg = Yaw(dir);
  cam.ox = 21;
  cam.oy = 52;
  return cam;
}

struct Pose {
  double phase = 0;  // 0..1 through a leg cycle
  double amp = 0;    // 0 standing .. 1 full stride
};

// Hip-knee-ankle in the walking plane, knee forward.
V3 Knee(V3 hip, V3 ankle, double l1, double l2) {
  V3 d = ankle - hip;
  double len = std::min(Len(d), l1 + l2 - 0.01);
  const V3 dir = Norm(d);
  const double a = (l1 * l1 - l2 * l2 + len * len) / (2 * len);
  const double h = std::sqrt(std::max(0.0, l1 * l1 - a * a));
  V3 perp{0, -dir.z, dir.y};  // in the y-z plane, pointing forward
  if (perp.z < 0) perp = perp * -1;
  return hip + dir * a + perp * h;
}

Sculpture PosePukki(const PukkiLook& look, const Pose& pose) {
  Sculpture s;
  const double cycles = look.gait.at("cycles"), stance = look.gait.at("stance");
  const double framesPerCycle = 19.0 / cycles;
  const double stride =
      look.gait.at("speed") * stance * framesPerCycle;  // foot travel on the ground
  const double lift = look.gait.at("lift");

  // Legs: each foot slides back on the ground while planted, then swings forward lifted.
  double footForward[2];
  for (int side = 0; side < 2; ++side) {
    const double sx = side == 0 ? -1 : 1;
    double q = pose.phase + side * 0.5;
    q -= std::floor(q);
    double z, y;
    if (q < stance) {
      z = stride * (0.5 - q / stance);
      y = 0;
    } else {
      const double t = (q - stance) / (1 - stance);
      const double sm = t * t * (3 - 2 * t);
      z = stride * (sm - 0.5);
      y = lift * std::sin(kPi * t);
    }
    z *= pose.amp;
    y *= pose.amp;
    footForward[side] = z;
    const V3 hip{sx * 4.4, 14, 0};
    const V3 ankle{sx * 4.6, 3.6 + y, z - 0.6};
    const V3 knee = Knee(hip, ankle, 6.0, 6.0);
    s.Capsule(hip, knee, 3.4, kSuit);
    s.RoundCone(knee, ankle + V3{0, 2.5, 0}, 3.2, 3.0, kSuit);
    // Boot: a shaft and a rounded toe pointing forward, sole on the floor.
    s.RoundCone(ankle + V3{0, 3.4, 0}, ankle + V3{0, -0.4, 0.2}, 3.2, 2.9, kBlack);
    s.Ellipsoid(ankle + V3{0, -1.4, 2.2}, {2.9, 2.1, 4.4}, kBlack);
  }

  // Coat: plump body with white hem and front trim, black belt with a gold buckle.
  auto coat = [](V3 p) {
    if (p.y < 15.0) return kFur;
    if (p.y > 19.2 && p.y < 22.6) {
      if (p.z > 3 && std::abs(p.x) < 2.7) return kGold;
      return kBlack;
    }
    if (p.z > 3 && std::abs(p.x) < 1.6) return kFur;
    return kSuit;
  };
  s.Ellipsoid({0, 24, 0}, {11, 11.5, 9.4}, kSuit);
  s.Paint(coat);
  s.Ellipsoid({0, 21.5, 2.2}, {10.2, 9, 9}, kSuit);
  s.Paint(coat);
  s.Cylinder({0, 13.9, 0.3}, 10.6, 1.8, 1.5, kFur);
  s.Ellipsoid({0, 31.5, -0.4}, {11.2, 5.2, 8.2}, kSuit);

  // Arms swing against the legs: the arm on a foot's side goes back while that foot goes forward.
  const double swing = look.gait.at("arms") * kPi / 180.0;
  for (int side = 0; side < 2; ++side) {
    const double sx = side == 0 ? -1 : 1;
    const double rel = stride > 0 ? footForward[1 - side] / (stride * 0.5) : 0;
    const double a = swing * std::clamp(rel, -1.0, 1.0);
    // Positive angles carry a hanging arm forward.
    auto rot = [](V3 v, double ang) {
      return V3{v.x, v.y * std::cos(ang) + v.z * std::sin(ang),
                -v.y * std::sin(ang) + v.z * std::cos(ang)};
    };
    const V3 shoulder{sx * 10.2, 32.2, -0.6};
    const V3 elbow = shoulder + rot({sx * 1.8, -6.8, -0.4}, a);
    const V3 hand = elbow + rot({sx * 0.6, -6.0, 1.6}, a * 1.3 + 0.12);
    s.Capsule(shoulder, elbow, 3.1, kSuit);
    s.RoundCone(elbow, hand, 3.0, 2.8, kSuit);
    s.Torus(hand + (elbow - hand) * 0.12, 2.5, 1.3, kFur,
            Frame::RotX(std::atan2(-(elbow - hand).z, (elbow - hand).y) * 180 / kPi));
    s.Sphere(hand + (hand - elbow) * 0.28, 2.6, kBlack);
  }

  // Head: face, cheeks, white hair and beard, red nose.
  s.Sphere(kHead, 7.2, kSkin);
  s.Paint([](V3 p) {
    if (p.z > 4.6 && std::abs(p.x) > 2.6 && p.y < 43.6 && p.y > 40.6) return kCheek;
    return kSkin;
  });
  s.Ellipsoid({0, 43.2, -2.9}, {7.6, 4.4, 5.6}, kFur);
  s.Ellipsoid({0, 38.6, 0.6}, {7.6, 4.2, 7.0}, kFur);
  s.Ellipsoid({0, 35.8, 3.6}, {7.3, 7.8, 4.2}, kFur, Frame::RotX(-12));
  s.RoundCone({0, 33.5, 4.4}, {0, 28.0, 5.4}, 5.0, 1.8, kFur);
  for (int side = -1; side <= 1; side += 2) {
    s.Ellipsoid({side * 2.6, 41.0, 5.9}, {3.0, 1.4, 1.5}, kFur, Frame::RotZ(side * 16));
  }
  s.Sphere(kNosePos, 2.1, kNose);

  // Hat: white brim, a floppy red top leaning back, pom-pom.
  s.Torus({0, 48.6, -0.4}, 6.4, 2.2, kFur, Frame::RotX(-12));
  s.RoundCone({0, 49.6, -0.9}, {0.4, 51.6, -5.0}, 6.2, 3.3, kSuit);
  s.RoundCone({0.4, 51.6, -5.0}, {1.6, 49.2, -8.6}, 3.3, 2.0, kSuit);
  s.Sphere({2.6, 47.6, -10.2}, 2.5, kFur);
  return s;
}

std::vector<Ramp> Ramps(const PukkiLook& look) {
  std::vector<Ramp> r;
  for (const char* n : kRampNames) r.push_back(look.ramps.at(n));
  return r;
}

Pose FramePose(const PukkiLook& look, int frame) {
  Pose p;
  if (frame >= 26) frame = 7 + (frame - 26);  // never shown; copies of the loop's start
  if (frame <= 1) return p;
  const double cycles = look.gait.at("cycles");
  p.phase = cycles * (frame - 7) / 19.0;
  p.phase -= std::floor(p.phase);
  p.amp = frame >= 7 ? 1.0 : (frame - 1) / 6.0;
  return p;
}
}  // namespace

const std::vector<std::string>& DirectionNames() {
  static const std::vector<std::string> names = {"up",   "uright", "right", "dright",
                                                 "down", "dleft",  "left",  "uleft"};
  return names;
}

PukkiLook ReadLook(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw BuildError(file, 0, "cannot open");
  PukkiLook look;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream ss(line);
    std::string kind, name;
    if (!(ss >> kind) || kind[0] == '#') continue;
    if (!(ss >> name)) throw BuildError(file, n, "missing name after '" + kind + "'");
    if (kind == "ramp") {
      Ramp r;
      for (auto& c : r) {
        int v[3];
        for (int& x : v) {
          if (!(ss >> x) || x < 0 || x > 255)
            throw BuildError(file, n, "a ramp needs 15 numbers 0..255");
        }
        c = {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
             static_cast<std::uint8_t>(v[2])};
        if (c.r < 8 && c.g < 4 && c.b < 8)
          throw BuildError(file, n, "colour too dark: it would be see-through");
      }
      look.ramps[name] = r;
    } else if (kind == "gait") {
      double v;
      if (!(ss >> v)) throw BuildError(file, n, "gait needs a number");
      look.gait[name] = v;
    } else {
      throw BuildError(file, n, "unknown line kind '" + kind + "'");
    }
    std::string extra;
    if (ss >> extra) throw BuildError(file, n, "unexpected '" + extra + "'");
  }
  return look;
}

PukkiLook ReadPukkiLook(const std::filesystem::path& file) {
  PukkiLook look = ReadLook(file);
  for (const char* r : kRampNames)
    if (!look.ramps.count(r)) throw BuildError(file, 0, std::string("missing ramp ") + r);
  for (const char* g : {"cycles", "stance", "lift", "arms", "speed"})
    if (!look.gait.count(g)) throw BuildError(file, 0, std::string("missing gait ") + g);
  if (look.gait["cycles"] < 1 || look.gait["cycles"] != std::floor(look.gait["cycles"]))
    throw BuildError(file, 0, "gait cycles must be a whole number so that the loop closes");
  if (look.gait["stance"] <= 0.2 || look.gait["stance"] >= 0.9)
    throw BuildError(file, 0, "gait stance must lie between 0.2 and 0.9");
  return look;
}

namespace {
// Eyes and brows, painted where the face is turned toward the viewer.
std::vector<Decal> FaceDecals(const PukkiLook& look) {
  const V3 eyeL = kHead + Norm({-0.36, 0.2, 0.91}) * 7.2,
           eyeR = kHead + Norm({0.36, 0.2, 0.91}) * 7.2;
  const raster::Rgb eye{24, 18, 34}, brow = look.ramps.at("fur")[4];
  std::vector<Decal> decals = {{eyeL, eye}, {eyeR, eye}};
  for (double dx : {-0.6, 0.6}) {
    decals.push_back({kHead + Norm({-0.36 + dx * 0.1, 0.42, 0.83}) * 7.25, brow});
    decals.push_back({kHead + Norm({0.36 + dx * 0.1, 0.42, 0.83}) * 7.25, brow});
  }
  return decals;
}
}  // namespace

raster::Image PukkiFrame(const PukkiLook& look, int dir, int frame) {
  raster::Image img(45, 60);
  const Sculpture s = PosePukki(look, FramePose(look, frame));
  Render(s, Ramps(look), PukkiCamera(dir), RenderStyle{}, img, FaceDecals(look));
  return img;
}

raster::Image PukkiPortrait(const PukkiLook& look, int size) {
  // Seen from lower than in the game, so the face gets more of the few pixels. The square runs
  // from the beard's tip to the top of the hat (picture units at scale 1), as wide as high, so
  // the shoulders fill the lower corners.
  constexpr double kBottom = 24, kTop = 56;
  raster::Image img(size, size);
  Camera cam = PukkiCamera(4);  // facing the viewer
  cam.pitchDeg = 15;
  cam.scale = size / (kTop - kBottom);
  cam.ox = size / 2;
  cam.oy = static_cast<int>(std::lround(kTop * cam.scale));
  Render(PosePukki(look, FramePose(look, 1)), Ramps(look), cam, RenderStyle{}, img,
         FaceDecals(look));
  return img;
}

V3 PukkiNose(int dir) {
  return PukkiCamera(dir).Project(kNosePos);
}

}  // namespace vornu::sprites
