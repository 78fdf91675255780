// The sky dome, clouds and fog, with settings set directly.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/floor.h"
#include "render/sky.h"
#include "support/test_support.h"

namespace zy {
namespace {

class Sky : public ::testing::Test {
protected:
    Sky() {
        rt_var.sky_color1 = {0.9, 0.8, 0.7};
        rt_var.sky_color2 = {0.5, 0.4, 0.3};
        rt_var.sky_color3 = {0.1, 0.2, 0.3};
        rt_var.sky_height = 1500000;
        floor_crd[0] = {-1000, -0.05, -1000};
    }
    static RT_RAY ray(V3D dir) {
        RT_RAY r{};
        r.dir = dir;
        return r;
    }
    test::InProcess env_;
};

void expect_colour(const RT_COL& got, const RT_COL& want) {
    EXPECT_EQ(got.r, want.r);
    EXPECT_EQ(got.g, want.g);
    EXPECT_EQ(got.b, want.b);
}

TEST_F(Sky, StraightUpMeetsTheTopColour) {
    RT_COL c;
    double dist;
    rt_hemisphere(ray({0, 1, 0}), c, dist);
    EXPECT_EQ(dist, 3000000.0);  // 640e6 - 637e6, all exact
    expect_colour(c, rt_var.sky_color1);
    rt_var.sky_height = 3000000;  // the upper gradient becomes 0 / 0 at the top
    rt_hemisphere(ray({0, 1, 0}), c, dist);
    expect_colour(c, rt_var.sky_color1);
}

TEST_F(Sky, HorizonShowsTheLowestColour) {
    RT_COL c;
    double dist;
    rt_hemisphere(ray({1, 0, 0}), c, dist);
    EXPECT_NEAR(dist, std::sqrt(4.096e17 - 637000000.0 * 637000000.0), 1.0);
    expect_colour(c, rt_var.sky_color3);
}

TEST_F(Sky, BelowTheFloorIsBlack) {
    RT_COL c;
    double dist;
    rt_hemisphere(ray({0, -1, 0}), c, dist);
    expect_colour(c, {0, 0, 0});
}

TEST_F(Sky, LayerAboveTheDomeUsesOnlyTheLowerGradient) {
    rt_var.sky_color3 = {0, 0, 0};
    rt_var.sky_color2 = {1, 1, 1};
    rt_var.sky_height = 3300000;
    RT_COL c;
    double dist;
    rt_hemisphere(ray({0, 1, 0}), c, dist);
    EXPECT_NEAR(c.r, 3.0 / 3.3, 1e-12);
}

TEST_F(Sky, NoCoverageNoClouds) {
    rt_var.cloud_a = 0;
    rt_var.cloud_b = 0.5;
    rt_var.cloud_color1 = rt_var.cloud_color2 = {1, 1, 1};
    for (double x : {0.0, 123456.0, 9.9e6}) {
        double px = x, py = 2.0e6, pz = -x;
        RT_COL c{0.2, 0.3, 0.4};
        rt_clouds(px, py, pz, c);
        expect_colour(c, {0.2, 0.3, 0.4});
    }
}

class Fog : public ::testing::Test {
protected:
    Fog() {
        rt_var.fog_distance = 100;
        rt_var.fog_color = {0.5, 0.25, 1};
    }
    test::InProcess env_;
};

TEST_F(Fog, ByDistance) {
    RT_COL c{0.8, 0.6, 0.4};
    rt_fog(0.0, c);
    expect_colour(c, {0.8, 0.6, 0.4});
    rt_fog(100.0, c);
    const double f = std::exp(-1.0);
    EXPECT_NEAR(c.r, 0.8 * f + 0.5 * (1 - f), 1e-15);
    EXPECT_NEAR(c.b, 0.4 * f + 1.0 * (1 - f), 1e-15);
    rt_fog(kFltMax, c);
    expect_colour(c, rt_var.fog_color);
}

TEST_F(Fog, DegenerateDistances) {
    RT_COL c{0.8, 0.6, 0.4};
    rt_var.fog_distance = -100;  // f above 1 is limited: no fog
    rt_fog(50.0, c);
    expect_colour(c, {0.8, 0.6, 0.4});
    rt_var.fog_distance = 0;
    rt_fog(0.0, c);  // 0 / 0: no fog
    expect_colour(c, {0.8, 0.6, 0.4});
    rt_fog(1e-9, c);  // anything farther is pure fog
    expect_colour(c, rt_var.fog_color);
}

}  // namespace
}  // namespace zy
