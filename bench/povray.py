"""The race scenes as POV-Ray 3.7 scene files, and POV-Ray's command line
and reported trace time."""

import re

import scenes as sc

TRACE_TIME = re.compile(r"Trace Time:.*?\(\s*([0-9.]+) seconds\)")


def vec(v):
    return "<%r, %r, %r>" % tuple(float(c) for c in v)


def scene_file(scene):
    """POV-Ray's description of a race scene; the mesh2 include NAME.inc lies
    beside it."""
    mirror = "reflection %r" % sc.RACE_REFLECTION if scene.mirror else ""
    lights = "\n".join("light_source { %s color rgb %r }" % (vec(pos), c) for pos, c in sc.RACE_LIGHTS)
    return """#version 3.7;
global_settings { assumed_gamma 1.0 max_trace_level %(depth)d }
#include "%(name)s.inc"
camera {
  location %(eye)s
  look_at %(look_at)s
  right x * %(width)d / %(height)d
  angle %(fov)r
}
%(lights)s
background { rgb %(sky)s }
plane {
  y, 0
  pigment { checker rgb %(c0)r, rgb %(c1)r scale %(square)r }
  finish { ambient %(ambient)r diffuse %(diffuse)r %(mirror)s }
}
object {
  %(name)s
  pigment { rgb %(colour)s }
  finish { ambient %(ambient)r diffuse %(diffuse)r phong %(phong)r phong_size %(phong_size)r }
}
""" % {"depth": sc.RACE_DEPTH, "name": scene.mesh.name, "eye": vec(sc.RACE_EYE),
       "look_at": vec(sc.RACE_LOOK_AT), "width": sc.RACE_WIDTH, "height": sc.RACE_HEIGHT,
       "fov": float(sc.RACE_FOV), "lights": lights, "sky": vec(sc.RACE_SKY),
       "c0": sc.RACE_CHECKER[0], "c1": sc.RACE_CHECKER[1], "square": sc.RACE_SQUARE,
       "ambient": sc.RACE_AMBIENT, "diffuse": sc.RACE_DIFFUSE, "mirror": mirror,
       "colour": vec(sc.RACE_MESH_COLOUR), "phong": sc.RACE_PHONG, "phong_size": float(sc.RACE_PHONG_SIZE)}


def command(scene, threads):
    """POV-Ray's command line for a race scene with the antialiasing that
    matches ours: level 0 none, level 2 adaptive at 0.3, depth 2."""
    aa = ["-A"] if scene.antialias == 0 else ["+A0.3", "+AM1", "+R2"]
    return (["povray", "+Iscene.pov", "+Opicture.png", "+FN", "+W%d" % sc.RACE_WIDTH, "+H%d" % sc.RACE_HEIGHT,
             "-D", "-P", "+WT%d" % threads] + aa)


def trace_seconds(stderr_text):
    """The trace time POV-Ray reports in its render statistics."""
    found = TRACE_TIME.findall(stderr_text)
    if not found:
        raise RuntimeError("POV-Ray reported no trace time:\n" + stderr_text[-2000:])
    return float(found[-1])
