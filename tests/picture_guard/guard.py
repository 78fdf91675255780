#!/usr/bin/env python3
"""The picture guard: the benchmark scenes and the examples (noise patterns,
bumps, textures, clouds, glass, an animation) compiled at a small size and
rendered with 1 thread and with 3, each picture compared with the checksum
recorded in checksums.json. Fast enough to run after every change.

usage: guard.py ZYSCENE ZYRAY [--record]
"""

import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(ROOT / "bench"))

import scenes as sc  # noqa: E402

CHECKSUMS = HERE / "checksums.json"
WIDTH, HEIGHT = 120, 80


def small(description):
    d = json.loads(json.dumps(description))
    d["render"].update(width=WIDTH, height=HEIGHT)
    return d


def example(path):
    """An example description, its // comments (whole lines only) left out."""
    text = (ROOT / "examples" / path).read_text()
    return json.loads("\n".join(l for l in text.splitlines() if not l.lstrip().startswith("//")))


def guarded_scenes():
    """(id, description, folder its relative files are found in)."""
    demo = ROOT / "examples" / "demo"
    return [
        ("torus", small(sc.torus_description(100, 50)), ROOT / "examples"),
        ("glass", small(sc.glass_description()), ROOT / "examples"),
        ("animation", small(sc.animation_description()), demo),
        ("contact-sheet", small(example("contact-sheet.json")), ROOT / "examples"),
        ("materials", small(example("materials.json")), ROOT / "examples"),
        ("demo", small(example("demo/scene.json")), demo),
    ]


def run(cmd, cwd=None, env=None):
    done = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True)
    if done.returncode not in (0, 1) or (cmd[0].endswith("zyscene") and done.returncode != 0):
        raise RuntimeError("%s failed (%d): %s" % (cmd, done.returncode, done.stderr[-2000:]))


def render(zyscene, zyray, scene_id, description, assets, work, threads):
    source = work / scene_id / "source"
    if not source.exists():
        shutil.copytree(assets, source)
        (source / "guard.json").write_text(json.dumps(description))
    out = work / scene_id / ("threads-%d" % threads)
    run([zyscene, str(source / "guard.json"), str(out)])
    run([zyray], cwd=out, env=dict(os.environ, OMP_NUM_THREADS=str(threads)))
    return {p.name: hashlib.sha256(p.read_bytes()).hexdigest() for p in sorted(out.glob("*.tif"))}


def main(argv):
    zyscene, zyray = (str(Path(a).resolve()) for a in argv[1:3])
    record = "--record" in argv[3:]
    known = {} if record else json.loads(CHECKSUMS.read_text())
    sums, failures = {}, []
    scenes = guarded_scenes()
    with tempfile.TemporaryDirectory() as tmp:
        for scene_id, description, assets in scenes:
            for threads in (1, 3):
                got = render(zyscene, zyray, scene_id, description, assets, Path(tmp), threads)
                expected = sums.setdefault(scene_id, got) if record else known.get(scene_id)
                if not got or got != expected:
                    changed = sorted(n for n in set(got) | set(expected or {}) if got.get(n) != (expected or {}).get(n))
                    failures.append("%s with %d threads: %s" % (scene_id, threads, " ".join(changed) or "nothing"))
    if record and not failures:
        CHECKSUMS.write_text(json.dumps(sums, indent=1, sort_keys=True) + "\n")
    for f in failures:
        print("changed:", f)
    print("%d scenes, %s" % (len(scenes), "recorded" if record else "%d changed" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
