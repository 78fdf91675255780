#!/usr/bin/env python3
"""Writes trefoil.obj: a trefoil knot tube standing upright on y = 0.

The OBJ is right-handed with y up, like most exported models, and carries
no normals: zyscene averages them. Run: python3 make_trefoil.py > trefoil.obj
"""
import math

SEGMENTS = 120  # along the knot
SIDES = 12      # around the tube
TUBE = 0.45


def curve(t):
    return (math.sin(t) + 2 * math.sin(2 * t), math.cos(t) - 2 * math.cos(2 * t), -math.sin(3 * t))


def sub(a, b): return tuple(x - y for x, y in zip(a, b))
def cross(a, b): return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])
def unit(a):
    n = math.sqrt(sum(x * x for x in a))
    return tuple(x / n for x in a)


# A frame that follows the curve: tangent, and a side vector carried along
# by projection so the tube does not twist abruptly.
points = []
side = (0.0, 0.0, 1.0)
for i in range(SEGMENTS):
    t = 2 * math.pi * i / SEGMENTS
    c = curve(t)
    tangent = unit(sub(curve(t + 1e-4), curve(t - 1e-4)))
    normal = unit(cross(side, tangent))
    side = unit(cross(tangent, normal))
    for k in range(SIDES):
        a = 2 * math.pi * k / SIDES
        points.append(tuple(c[j] + TUBE * (math.cos(a) * normal[j] + math.sin(a) * side[j]) for j in range(3)))

low = min(p[1] for p in points)
print("# trefoil knot tube, %d triangles, made by make_trefoil.py" % (2 * SEGMENTS * SIDES))
for p in points:
    print("v %.5f %.5f %.5f" % (p[0], p[1] - low, p[2]))
for i in range(SEGMENTS):
    i2 = (i + 1) % SEGMENTS
    for k in range(SIDES):
        k2 = (k + 1) % SIDES
        a, b, c, d = i * SIDES + k, i2 * SIDES + k, i2 * SIDES + k2, i * SIDES + k2
        # Counter-clockwise seen from outside, as OBJ expects.
        print("f %d %d %d" % (a + 1, c + 1, b + 1))
        print("f %d %d %d" % (a + 1, d + 1, c + 1))
