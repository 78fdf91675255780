"""The 40-million-triangle frame: four tori of 10M triangles each, compiled by
zyscene and rendered by zybench at 320 x 240, with each phase's time and both
programs' peak memory. It takes minutes and about 10 GB, so the benchmark runs
it only when asked (--big)."""

import json
import os
import subprocess
import time

import scenes as sc

SEGMENTS, SIDES = 2500, 2000
PLACES = ((-1.5, 0), (1.5, 0), (0, 1.5), (0, -1.5))


def description():
    d = sc.torus_description(SEGMENTS, SIDES)
    d["render"]["width"], d["render"]["height"] = 320, 240
    torus = d["objects"][0]
    d["objects"] = []
    for k, (x, z) in enumerate(PLACES):
        o = json.loads(json.dumps(torus))
        o["name"] = "torus%d" % k
        o["transform"]["translate"] = [x, 1.1, z]
        d["objects"].append(o)
    return d


def timed(cmd):
    """Wall seconds, peak resident KiB and stdout of one process."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = proc.stdout.read()
    _, status, usage = os.wait4(proc.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("%s failed" % cmd[0])
    return time.perf_counter() - start, usage.ru_maxrss, out


def measure(tools, work, threads):
    source = work / "big" / "scene.json"
    source.parent.mkdir(parents=True, exist_ok=True)
    source.write_text(json.dumps(description(), indent=1))
    compiled = work / "big" / "compiled"
    subprocess.run(["rm", "-rf", str(compiled)], check=True)
    triangles = 2 * SEGMENTS * SIDES * len(PLACES)
    compile_s, compile_kb, _ = timed([tools["zyscene"], str(source), str(compiled)])
    frame_bytes = sum(p.stat().st_size for p in compiled.iterdir() if p.suffix == ".sys")
    # zyscene's gigabytes still going to disk would be timed as zyray's load.
    os.sync()
    _, render_kb, out = timed([tools["zybench"], "--runs", "1", "--threads", str(threads),
                               "--keep", str(work / "big" / "picture"), str(compiled)])
    run = json.loads(out)["runs"][0]
    return {"triangles": triangles, "frame_bytes": frame_bytes, "threads": threads,
            "zyscene_s": compile_s, "zyscene_bytes_per_triangle": compile_kb * 1024 / triangles,
            "load_s": run["load"][0], "group_s": run["group"][0], "octree_s": run["octree"][0],
            "render_s": run["render"][0], "zyray_peak_mb": render_kb / 1024,
            "zyray_bytes_per_triangle": render_kb * 1024 / triangles}


def summary(m):
    return ("%dM triangles, frame file %.2f GB: zyscene %.0f s, %.0f bytes per triangle at its peak; "
            "zyray on %d threads: load %.1f s, group %.1f s, octree %.1f s, render %.2f s, peak %.0f MB "
            "(%.0f bytes per triangle)" % (m["triangles"] // 1_000_000, m["frame_bytes"] / 1e9, m["zyscene_s"],
                                          m["zyscene_bytes_per_triangle"], m["threads"], m["load_s"], m["group_s"],
                                          m["octree_s"], m["render_s"], m["zyray_peak_mb"],
                                          m["zyray_bytes_per_triangle"]))
