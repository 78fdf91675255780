#include "render/sky.h"

#include <cmath>

#include "materials/noise.h"

namespace zy {

namespace {

constexpr double kSkyRadiusSqr = kSkyRadius * kSkyRadius;  // 4.096e17, exact
constexpr double kCloudScale = 1.3333333333333334e-06;  // 1 / 750000

RT_COL mix(const RT_COL& a, const RT_COL& b, double f) {
    return {a.r * (1 - f) + b.r * f, a.g * (1 - f) + b.g * f, a.b * (1 - f) + b.b * f};
}

double limit01(double f) {
    if (f < 0) return 0;
    if (f > 1) return 1;
    return f;
}

}  // namespace

void rt_hemisphere(const Scene& scene, const RT_RAY& ray, RT_COL& colour, double& dist) {
    const RT_VAR& settings = scene.settings;
    const V3D& pov = settings.pov;
    const V3D P{ray.org.x + pov.x, ray.org.y + pov.y, ray.org.z + pov.z};
    const V3D Q{P.x + 0.0, P.y + kSkyCentreDepth, P.z + 0.0};
    const double b = v3d_scal(ray.dir, Q);
    const double t = std::sqrt(b * b - v3d_scal(Q, Q) + kSkyRadiusSqr) - b;  // the far side
    dist = t;
    double x = P.x + t * ray.dir.x;
    double y = P.y + t * ray.dir.y;
    double z = P.z + t * ray.dir.z;
    // Absolute height against the run-time floor height, as they are.
    if (y < scene.floor_height()) {
        colour = {0, 0, 0};
        return;
    }
    const double sky_height = settings.sky_height;
    if (y < sky_height) {
        colour = mix(settings.sky_color3, settings.sky_color2, limit01(y / sky_height));
    } else {
        // sky_height at the very top and a point exactly there: 0 / 0, read as
        // the top colour. Any other NaN (a camera above the dome) flows on.
        const bool top_of_top = sky_height == kSkyTop && y == sky_height;
        const double f = top_of_top ? 1 : (y - sky_height) / (kSkyTop - sky_height);
        colour = mix(settings.sky_color2, settings.sky_color1, limit01(f));
    }
    if (settings.clouds_on == 1) rt_clouds(scene, x, y, z, colour);
}

void rt_clouds(const Scene& scene, double& x, double& y, double& z, RT_COL& colour) {
    const RT_VAR& settings = scene.settings;
    const double a = settings.cloud_a;
    if (a == 0) return;  // no coverage, no clouds (and no 0 / 0 at full density)
    x *= kCloudScale;
    y *= kCloudScale;
    z *= kCloudScale;
    V3D v;
    rt_dturbulence(x, 0.2 * y, 0.5 * z, v);
    const double b = settings.cloud_b;
    x += b * v.x * 10;
    y += b * v.y * 10;
    z += b * v.z * 10;
    double n = rt_noise(0.2 * x, 0.2 * 1.1 * y, 0.2 * 1.2 * z) / 2 + rt_noise(0.1 * x, 0.1 * y, 0.1 * z);
    if (n < 0)
        n = 0;
    else if (n > 1)
        n = 1;
    else
        n = std::pow(n, 0.4);
    const double h = 1 - a;
    if (n < h) return;
    const double u = (n - h) / a;
    const double m = rt_noise(0.4 * x, 0.4 * 1.05 * y, 0.4 * 1.1 * z);
    const RT_COL cc = mix(settings.cloud_color1, settings.cloud_color2, m);
    if (u >= 0.9)
        colour = cc;
    else
        colour = mix(colour, cc, u / 0.9);
}

void rt_fog(const Scene& scene, const double& dist, RT_COL& colour) {
    const double fd = scene.settings.fog_distance;
    if (dist == 0 && fd == 0) return;  // 0 / 0: no fog
    double f = std::exp(-dist / fd);
    if (f >= 1) f = 1;
    const RT_COL& fog = scene.settings.fog_color;
    colour = {f * colour.r + (1 - f) * fog.r, f * colour.g + (1 - f) * fog.g, f * colour.b + (1 - f) * fog.b};
}

}  // namespace zy
