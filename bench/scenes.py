"""The benchmark scenes as zyscene descriptions (Python dicts).

Their colours are the stored bytes ("colors": "file"), so that their pictures
stay those of the checksums.

Every scene has an id (its folder and its row in the table) and a
description. The race scenes are described once (RaceScene) and written
both for zyscene here and for POV-Ray in povray.py.
"""

from dataclasses import dataclass

# The race: camera, lights, colours and floor as POV-Ray sees them, with the
# floor at y = 0. Our floor lies at y = -0.05, so our scene is moved down by
# that much.
FLOOR_DROP = 0.05
RACE_WIDTH, RACE_HEIGHT = 640, 480
RACE_EYE = (0.0, 0.8, -2.5)
RACE_LOOK_AT = (0.0, 0.4, 0.0)
RACE_FOV = 45
RACE_LIGHTS = (((-3.0, 5.0, -4.0), 0.8), ((4.0, 4.0, -3.0), 0.6))
RACE_SKY = (0.55, 0.70, 0.95)
RACE_MESH_COLOUR = (0.80, 0.72, 0.62)
RACE_AMBIENT, RACE_DIFFUSE = 0.1, 0.7
RACE_PHONG, RACE_PHONG_SIZE = 0.5, 40
RACE_CHECKER = (0.85, 0.35)
RACE_SQUARE = 0.25
RACE_REFLECTION, RACE_DEPTH = 0.3, 3


@dataclass(frozen=True)
class RaceMesh:
    name: str     # declared name in the POV-Ray include, file stem
    source: str   # mesh file read by zybench_mesh
    smooth: bool


@dataclass(frozen=True)
class RaceScene:
    mesh: RaceMesh
    mirror: bool      # the floor reflects
    antialias: int    # our level: 0 or 2

    @property
    def id(self):
        return "%s-%s-aa%d" % (self.mesh.name, "mirror" if self.mirror else "matte", self.antialias)


def byte(v):
    """A 0..1 fraction as the nearest colour byte."""
    return int(round(v * 255))


def percent(v):
    return int(round(v * 100))


def shifted(p):
    return [p[0], p[1] - FLOOR_DROP, p[2]]


def uniform_sky(colour):
    c = [byte(v) for v in colour]
    return {"top": c, "middle": c, "horizon": c}


def race_description(scene):
    """zyscene's description of a race scene; the mesh file NAME.obj lies
    beside it."""
    grey = [byte(v) for v in RACE_CHECKER]
    floor_material = {"color": [grey[0]] * 3, "ambient": percent(RACE_AMBIENT),
                      "diffuse": percent(RACE_DIFFUSE),
                      "reflection": percent(RACE_REFLECTION) if scene.mirror else 0}
    return {
        "colors": "file",
        "name": scene.mesh.name[:8],
        "render": {"width": RACE_WIDTH, "height": RACE_HEIGHT, "antialias": scene.antialias,
                   "max_depth": RACE_DEPTH, "floor": True},
        "sky": uniform_sky(RACE_SKY),
        "surfaces": {
            "mesh": {"material": {"color": [byte(v) for v in RACE_MESH_COLOUR],
                                  "ambient": percent(RACE_AMBIENT), "diffuse": percent(RACE_DIFFUSE),
                                  "specular": percent(RACE_PHONG), "exponent": RACE_PHONG_SIZE}},
            # Checker squares: the pattern repeats every 50 units, two squares.
            "floor": {"material": floor_material, "material2": {"color": [grey[1]] * 3},
                      "pattern": {"name": "checkered", "scale": RACE_SQUARE / 25}},
        },
        "floor": {"surface": "floor"},
        "camera": {"eye": shifted(RACE_EYE), "look_at": shifted(RACE_LOOK_AT), "fov": RACE_FOV},
        "lights": [{"position": shifted(pos), "color": [byte(c)] * 3} for pos, c in RACE_LIGHTS],
        "objects": [{"mesh": {"file": scene.mesh.name + ".obj", "handedness": "left",
                              "normals": "file" if scene.mesh.smooth else "auto"},
                     "smooth": scene.mesh.smooth, "surface": "mesh",
                     "transform": {"translate": [0, -FLOOR_DROP, 0]}}],
    }


def torus_description(segments, sides):
    """A tilted torus of segments x sides x 2 triangles on a checkered floor:
    the same picture at every size, so only the triangle count changes."""
    return {
        "colors": "file",
        "name": "torus",
        "render": {"width": 640, "height": 480, "antialias": 1, "max_depth": 3, "floor": True},
        "surfaces": {
            "torus": {"material": {"color": [200, 120, 60], "ambient": 15, "diffuse": 75,
                                   "specular": 60, "exponent": 50, "reflection": 10}},
            "floor": {"material": {"color": [220, 220, 210], "ambient": 15, "diffuse": 80},
                      "material2": {"color": [70, 80, 90]}, "pattern": {"name": "checkered", "scale": 0.02}},
        },
        "floor": {"surface": "floor"},
        "camera": {"eye": [0, 1.6, -4.2], "look_at": [0, 0.7, 0], "fov": 50},
        "lights": [{"position": [-4, 6, -5]}, {"position": [5, 4, -3], "color": [150, 150, 170]}],
        "objects": [{"torus": {"radius": 1.0, "tube": 0.35, "segments": segments, "sides": sides},
                     "surface": "torus", "transform": {"rotate": [-60, 25, 0], "translate": [0, 1.1, 0]}}],
    }


def glass_description():
    """Glass balls and mirrors on a reflecting floor, 5 bounces deep."""
    ball = {"radius": 0.6, "segments": 64, "rings": 32}
    return {
        "colors": "file",
        "name": "glass",
        "render": {"width": 640, "height": 480, "antialias": 1, "max_depth": 5, "floor": True},
        "surfaces": {
            "glass": {"material": {"color": [230, 245, 255], "ambient": 0, "diffuse": 5, "specular": 90,
                                   "exponent": 120, "reflection": 10, "transparency": 90,
                                   "refraction": "glass"}, "flags": ["tinted"]},
            "mirror": {"material": {"color": [235, 235, 240], "ambient": 5, "diffuse": 10, "specular": 80,
                                    "exponent": 80, "reflection": 85}},
            "gold": {"material": {"color": [240, 180, 60], "ambient": 15, "diffuse": 50, "specular": 90,
                                  "exponent": 30, "reflection": 50}, "flags": ["metal"]},
            "floor": {"material": {"color": [215, 205, 185], "ambient": 20, "diffuse": 75, "reflection": 25},
                      "material2": {"color": [50, 50, 60]}, "pattern": {"name": "checkered", "scale": 0.04}},
        },
        "floor": {"surface": "floor"},
        "camera": {"eye": [0, 1.8, -6], "look_at": [0, 0.7, 0], "fov": 55},
        "lights": [{"position": [-5, 7, -6]}, {"position": [6, 5, -2], "color": [160, 160, 180]}],
        "objects": [
            {"sphere": ball, "surface": "glass", "transform": {"translate": [-1.3, 0.6, -0.5]}},
            {"sphere": ball, "surface": "glass", "transform": {"translate": [0.2, 0.6, -1.2]}},
            {"sphere": ball, "surface": "mirror", "transform": {"translate": [1.5, 0.6, 0.2]}},
            {"torus": {"radius": 0.6, "tube": 0.15}, "surface": "gold",
             "transform": {"rotate": [-70, 0, 0], "translate": [-0.2, 0.8, 1.2]}},
            {"box": {"size": [6, 3, 0.1]}, "surface": "mirror", "smooth": False,
             "transform": {"translate": [0, 1.5, 3]}},
        ],
    }


def animation_description():
    """Ten frames: the demo's knot, ball and ring, the camera swinging round
    and the ring turning."""
    return {
        "colors": "file",
        "name": "anim",
        "render": {"width": 480, "height": 300, "antialias": 1, "max_depth": 5, "floor": True,
                   "clouds": True, "frames": 10},
        "sky": {"top": [30, 70, 190], "middle": [110, 160, 235], "horizon": [225, 235, 255], "height": 25},
        "clouds": {"coverage": 45, "turbulence": 60},
        "surfaces": {
            "tiles": {"material": {"color": [215, 205, 185], "ambient": 25, "diffuse": 75, "specular": 30,
                                   "exponent": 40, "reflection": 15},
                      "material2": {"color": [60, 55, 50], "reflection": 0, "specular": 0},
                      "pattern": {"name": "tiles_regular", "scale": 0.04}},
            "lacquer": {"material": {"color": [200, 25, 35], "specular": 80, "exponent": 60, "reflection": 10}},
            "glass": {"material": {"color": [235, 245, 255], "ambient": 0, "diffuse": 5, "specular": 90,
                                   "exponent": 120, "reflection": 10, "transparency": 90,
                                   "refraction": "glass"}, "flags": ["tinted"]},
            "gold": {"material": {"color": [240, 180, 60], "ambient": 15, "diffuse": 50, "specular": 90,
                                  "exponent": 30, "reflection": 45},
                     "bump": {"name": "dents", "depth": 0.3, "scale": 0.05}, "flags": ["metal"]},
        },
        "floor": {"surface": "tiles"},
        "camera": {"eye": {"1": [-4, 3.2, -8.5], "10": [4, 2.6, -8.5]}, "look_at": [0, 1.3, 0], "fov": 50},
        "lights": [{"position": [-6, 8, -6], "color": [255, 245, 225], "radius": 0.3, "attenuation": "low"},
                   {"type": "spot", "position": [7, 6, -3], "target": [0, 1.5, 0], "color": [200, 215, 255],
                    "cone": 40, "softness": 30}],
        "objects": [
            {"mesh": "trefoil.obj", "surface": "lacquer", "transform": {"scale": 0.5, "rotate": [0, 20, 0]}},
            {"sphere": {"radius": 0.8, "segments": 48, "rings": 24}, "surface": "glass",
             "transform": {"translate": [-2.7, 0.8, -1.2]}},
            {"torus": {"radius": 0.7, "tube": 0.18}, "surface": "gold",
             "transform": {"rotate": {"1": [0, 0, 0], "10": [0, 90, 0]}, "translate": [2.6, 0.18, -1.0]}},
        ],
    }


def race_meshes(meshes_dir):
    return [RaceMesh("bunny", str(meshes_dir / "bunny.obj"), True),
            RaceMesh("wuson", "/usr/share/assimp/models/OBJ/WusonOBJ.obj", True),
            RaceMesh("engine", "/usr/share/assimp/models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
                     False)]


def race_scenes(meshes):
    return [RaceScene(m, mirror, aa) for m in meshes for mirror in (False, True) for aa in (0, 2)]


# Torus tessellations of 10k, 100k and 1M triangles.
TORUS_SIZES = (("torus-10k", 100, 50), ("torus-100k", 500, 100), ("torus-1M", 1000, 500))
