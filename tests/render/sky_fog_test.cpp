// The sky above the dome and fog, with settings set directly.
#include <gtest/gtest.h>

#include <cmath>

#include "render/sky.h"
#include "support/scene_records.h"

namespace zy {
namespace {

// A camera above the dome misses the sphere: the NaN point runs through the
// clouds and the fog without a fault and leaves every channel NaN (black at the
// gamma step), never a substitute colour.
TEST(Sky, AboveTheDomeTheMissedSphereStaysNaNThroughCloudsAndFog) {
    test::SceneRecords records;
    RT_VAR& settings = records.settings;
    settings.pov = {0, 3500000, 0};
    settings.sky_height = 1500000;
    settings.sky_color1 = {0.9, 0.8, 0.7};
    settings.clouds_on = 1;
    settings.cloud_a = 0.5;
    settings.cloud_b = 0.5;
    settings.cloud_color1 = settings.cloud_color2 = {1, 1, 1};
    settings.fog_distance = 1000;
    const Scene scene = records.scene();
    RT_RAY r{};
    r.dir = {1, 0, 0};
    RT_COL c{};
    double dist = 0;
    rt_hemisphere(scene, r, c, dist);
    EXPECT_TRUE(std::isnan(dist));
    EXPECT_TRUE(std::isnan(c.r) && std::isnan(c.g) && std::isnan(c.b));
    RT_COL fogged{0.2, 0.3, 0.4};
    rt_fog(scene, dist, fogged);
    EXPECT_TRUE(std::isnan(fogged.r) && std::isnan(fogged.g) && std::isnan(fogged.b));
}

TEST(Fog, ByDistanceWithDegenerateDistancesAsNoFogOrPureFog) {
    test::SceneRecords records;
    const RT_COL fog{0.5, 0.25, 1};
    records.settings.fog_color = fog;
    const RT_COL seen{0.8, 0.6, 0.4};
    const double f = std::exp(-1.0);
    const struct {
        double fog_distance, distance;
        RT_COL want;
        double tolerance = 0;
    } cases[] = {
        {100, 0, seen},
        {100, 100, {0.8 * f + 0.5 * (1 - f), 0.6 * f + 0.25 * (1 - f), 0.4 * f + 1.0 * (1 - f)}, 1e-15},
        {100, kFltMax, fog},
        {-100, 50, seen},  // f above 1 is limited: no fog
        {0, 0, seen},      // 0 / 0: no fog
        {0, 1e-9, fog},
    };
    for (const auto& c : cases) {
        records.settings.fog_distance = c.fog_distance;
        RT_COL got = seen;
        rt_fog(records.scene(), c.distance, got);
        EXPECT_TRUE(std::fabs(got.r - c.want.r) <= c.tolerance && std::fabs(got.g - c.want.g) <= c.tolerance &&
                    std::fabs(got.b - c.want.b) <= c.tolerance)
            << c.fog_distance << " " << c.distance << ": " << got.r << " " << got.g << " " << got.b;
    }
}

}  // namespace
}  // namespace zy
