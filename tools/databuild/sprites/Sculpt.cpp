#include "tools/databuild/sprites/Sculpt.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace vornu::sprites {

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) {
  return deg * kPi / 180.0;
}

enum Kind { kSphere, kEllipsoid, kRoundCone, kTorus, kBox, kCylinder };

double RoundConeDist(V3 p, V3 a, V3 b, double r1, double r2) {
  const V3 ba = b - a;
  const double l2 = Dot(ba, ba);
  if (l2 < 1e-9) return Len(p - a) - std::max(r1, r2);
  const double rr = r1 - r2;
  const double a2 = l2 - rr * rr;
  const double il2 = 1.0 / l2;
  const V3 pa = p - a;
  const double y = Dot(pa, ba);
  const double z = y - l2;
  const V3 q = pa * l2 - ba * y;
  const double x2 = Dot(q, q);
  const double y2 = y * y * l2;
  const double z2 = z * z * l2;
  const double k = (rr > 0 ? 1 : (rr < 0 ? -1 : 0)) * rr * rr * x2;
  const double sz = z > 0 ? 1 : (z < 0 ? -1 : 0);
  const double sy = y > 0 ? 1 : (y < 0 ? -1 : 0);
  if (sz * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
  if (sy * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
  return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}
}  // namespace

Frame Frame::RotX(double deg) {
  const double c = std::cos(Rad(deg)), s = std::sin(Rad(deg));
  return {{1, 0, 0}, {0, c, s}, {0, -s, c}};
}
Frame Frame::RotY(double deg) {
  const double c = std::cos(Rad(deg)), s = std::sin(Rad(deg));
  return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
}
Frame Frame::RotZ(double deg) {
  const double c = std::cos(Rad(deg)), s = std::sin(Rad(deg));
  return {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
}
Frame Frame::Then(const Frame& outer) const {
  // Local axis expressed in this frame's parent, then carried by the outer rotation.
  auto carry = [&](V3 v) { return outer.ax * v.x + outer.ay * v.y + outer.az * v.z; };
  return {carry(ax), carry(ay), carry(az)};
}

void Sculpture::Sphere(V3 c, double r, int mat) {
  shapes_.push_back({kSphere, c, {}, {r, r, r}, 0, 0, {}, mat, {}});
}
void Sculpture::Ellipsoid(V3 c, V3 radii, int mat, Frame f) {
  shapes_.push_back({kEllipsoid, c, {}, radii, 0, 0, f, mat, {}});
}
void Sculpture::RoundCone(V3 a, V3 b, double ra, double rb, int mat) {
  shapes_.push_back({kRoundCone, a, b, {}, ra, rb, {}, mat, {}});
}
void Sculpture::Torus(V3 c, double major, double minor, int mat, Frame f) {
  shapes_.push_back({kTorus, c, {}, {}, major, minor, f, mat, {}});
}
void Sculpture::Box(V3 c, V3 half, double round, int mat, Frame f) {
  shapes_.push_back({kBox, c, {}, half, round, 0, f, mat, {}});
}
void Sculpture::Cylinder(V3 c, double r, double halfH, double round, int mat, Frame f) {
  shapes_.push_back({kCylinder, c, {}, {}, r, halfH, f, mat, {}});
  shapes_.back().r = {round, 0, 0};
}
void Sculpture::Paint(MaterialFn fn) {
  if (shapes_.empty()) throw std::logic_error("Paint before any shape");
  shapes_.back().fn = std::move(fn);
}

double Sculpture::ShapeDist(const Shape& s, V3 p) const {
  switch (s.kind) {
    case kSphere:
      return Len(p - s.a) - s.r.x;
    case kEllipsoid: {
      const V3 q = s.f.ToLocal(p - s.a);
      const V3 q1{q.x / s.r.x, q.y / s.r.y, q.z / s.r.z};
      const V3 q2{q.x / (s.r.x * s.r.x), q.y / (s.r.y * s.r.y), q.z / (s.r.z * s.r.z)};
      const double k0 = Len(q1), k1 = Len(q2);
      if (k1 < 1e-9) return -std::min({s.r.x, s.r.y, s.r.z});
      return k0 * (k0 - 1.0) / k1;
    }
    case kRoundCone:
      return RoundConeDist(p, s.a, s.b, s.s1, s.s2);
    case kTorus: {
      const V3 q = s.f.ToLocal(p - s.a);
      const double qx = std::sqrt(q.x * q.x + q.z * q.z) - s.s1;
      return std::sqrt(qx * qx + q.y * q.y) - s.s2;
    }
    case kBox: {
      const V3 q = s.f.ToLocal(p - s.a);
      const V3 d{std::abs(q.x) - s.r.x + s.s1, std::abs(q.y) - s.r.y + s.s1,
                 std::abs(q.z) - s.r.z + s.s1};
      const V3 o{std::max(d.x, 0.0), std::max(d.y, 0.0), std::max(d.z, 0.0)};
      return Len(o) + std::min(std::max({d.x, d.y, d.z}), 0.0) - s.s1;
    }
    case kCylinder: {
      const V3 q = s.f.ToLocal(p - s.a);
      const double rnd = s.r.x;
      const double dx = std::sqrt(q.x * q.x + q.z * q.z) - s.s1 + rnd;
      const double dy = std::abs(q.y) - s.s2 + rnd;
      return std::min(std::max(dx, dy), 0.0) +
             std::sqrt(std::max(dx, 0.0) * std::max(dx, 0.0) +
                       std::max(dy, 0.0) * std::max(dy, 0.0)) -
             rnd;
    }
  }
  return std::numeric_limits<double>::infinity();
}

double Sculpture::Dist(V3 p, int* mat) const {
  double best = std::numeric_limits<double>::infinity();
  const Shape* hit = nullptr;
  for (const auto& s : shapes_) {
    const double d = ShapeDist(s, p);
    if (d < best) {
      best = d;
      hit = &s;
    }
  }
  if (mat && hit) *mat = hit->fn ? hit->fn(p) : hit->mat;
  return best;
}

V3 Camera::Project(V3 p) const {
  const double cy = std::cos(Rad(yawDeg)), sy = std::sin(Rad(yawDeg));
  // Sculpture +z turns to face (sin yaw, 0, cos yaw).
  const V3 w{p.x * cy + p.z * sy, p.y, -p.x * sy + p.z * cy};
  const double cp = std::cos(Rad(pitchDeg)), sp = std::sin(Rad(pitchDeg));
  const double u = w.y * cp - w.z * sp;
  return {ox + w.x * scale, oy - u * scale, w.y * sp + w.z * cp};
}

int Render(const Sculpture& s, const std::vector<Ramp>& ramps, const Camera& cam,
           const RenderStyle& style, raster::Image& img, const std::vector<Decal>& decals) {
  const int W = img.Width(), H = img.Height();
  const double cy = std::cos(Rad(cam.yawDeg)), sy = std::sin(Rad(cam.yawDeg));
  const double cp = std::cos(Rad(cam.pitchDeg)), sp = std::sin(Rad(cam.pitchDeg));
  auto toSculpture = [&](V3 w) { return V3{w.x * cy - w.z * sy, w.y, w.x * sy + w.z * cy}; };
  const double reach = std::max(W, H) / cam.scale + 4;  // generous depth range in units

  std::vector<double> depth(static_cast<std::size_t>(W) * H, -1e9);
  std::vector<int> shade(static_cast<std::size_t>(W) * H, -1), matOf(shade);
  std::vector<V3> normals(shade.size());
  int covered = 0;
  for (int py = 0; py < H; ++py) {
    for (int px = 0; px < W; ++px) {
      const double X = (px - cam.ox) / cam.scale, u = (cam.oy - py) / cam.scale;
      auto at = [&](double d) { return toSculpture({X, u * cp + d * sp, -u * sp + d * cp}); };
      double d = reach;
      int mat = -1;
      bool hit = false;
      for (int it = 0; it < 400 && d > -reach; ++it) {
        const double dist = s.Dist(at(d), nullptr);
        if (dist < 0.01) {
          hit = true;
          break;
        }
        d -= std::max(dist * 0.9, 0.01);
      }
      if (!hit) continue;
      const V3 p = at(d);
      s.Dist(p, &mat);
      if (mat < 0 || mat >= static_cast<int>(ramps.size())) {
        throw std::out_of_range("sculpture material has no colour ramp");
      }
      const double e = 0.03;
      const V3 nS = Norm({s.Dist(p + V3{e, 0, 0}, nullptr) - s.Dist(p - V3{e, 0, 0}, nullptr),
                          s.Dist(p + V3{0, e, 0}, nullptr) - s.Dist(p - V3{0, e, 0}, nullptr),
                          s.Dist(p + V3{0, 0, e}, nullptr) - s.Dist(p - V3{0, 0, e}, nullptr)});
      // Normal back into the camera's world frame, where the light is fixed.
      const V3 n{nS.x * cy + nS.z * sy, nS.y, -nS.x * sy + nS.z * cy};
      const double lit = style.ambient + (1 - style.ambient) * std::max(0.0, Dot(n, style.light));
      const double t = std::clamp(lit, 0.0, 0.999) * 5.0 - 0.5;
      int idx = static_cast<int>(std::floor(t));
      const double frac = t - idx;
      if (frac > 0.5) ++idx;
      if (frac > style.ditherLow && frac < style.ditherHigh)
        idx =
            ((px + py) & 1) ? static_cast<int>(std::floor(t)) + 1 : static_cast<int>(std::floor(t));
      const std::size_t k = static_cast<std::size_t>(py) * W + px;
      depth[k] = d;
      shade[k] = std::clamp(idx, 0, 4);
      matOf[k] = mat;
      normals[k] = n;
      ++covered;
    }
  }
  auto filled = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < W && y < H && shade[static_cast<std::size_t>(y) * W + x] >= 0;
  };
  const int nx[4] = {1, -1, 0, 0}, ny[4] = {0, 0, 1, -1};
  for (int py = 0; py < H; ++py) {
    for (int px = 0; px < W; ++px) {
      const std::size_t k = static_cast<std::size_t>(py) * W + px;
      if (shade[k] >= 0) {
        int idx = shade[k];
        for (int i = 0; i < 4; ++i) {
          const int qx = px + nx[i], qy = py + ny[i];
          if (!filled(qx, qy)) continue;
          const std::size_t q = static_cast<std::size_t>(qy) * W + qx;
          // Pieces of one material get a line between them only where the depth step is deep.
          const double need = matOf[q] == matOf[k] ? 3 * style.creaseDepth : style.creaseDepth;
          if (depth[q] > depth[k] + need) {
            idx = std::max(0, std::min(idx, 1) - 1);
            break;
          }
        }
        img.Put(px, py, ramps[matOf[k]][idx]);
      } else if (style.outerOutline) {
        for (int i = 0; i < 4; ++i) {
          if (filled(px + nx[i], py + ny[i])) {
            img.Put(px, py, style.outline);
            break;
          }
        }
      }
    }
  }
  for (const auto& dc : decals) {
    const V3 q = cam.Project(dc.p);
    const int px = static_cast<int>(std::lround(q.x)), py = static_cast<int>(std::lround(q.y));
    if (!filled(px, py)) continue;
    if (std::abs(depth[static_cast<std::size_t>(py) * W + px] - q.z) < 1.3)
      img.Put(px, py, dc.colour);
  }
  return covered;
}

}  // namespace vornu::sprites
