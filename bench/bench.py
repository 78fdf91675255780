#!/usr/bin/env python3
"""Benchmark driver: compiles the benchmark scenes with zyscene, times the
phases of zyray's frame loop on each (zybench, one thread against all),
checks every picture against the checksums kept in bench/checksums.json,
races zyray against POV-Ray on the race scenes, prints the tables and writes
them as JSON. Run through scripts/bench, which builds and installs first.

usage: bench.py --build DIR --work DIR --node-modules DIR [--runs N]
                [--race-runs N] [--race-threads 1,2] [--only ID,...]
                [--no-race] [--record-checksums] [--json FILE]
       bench.py --build DIR --work DIR --node-modules DIR --instructions
       bench.py --build DIR --work DIR --node-modules DIR --memory
       bench.py --build DIR --work DIR --node-modules DIR --big

--instructions counts, with callgrind, the instructions of the whole zyray
process on one thread for the bunny race scene on the mirror floor at
antialiasing level 2: a figure that the machine's load does not change.
--memory measures the peak memory per triangle (bench/memory.py). The full
run does both as well. --big compiles and renders the 40-million-triangle
frame (bench/big_scene.py): minutes and about 10 GB, so only when asked.
"""

import argparse
import datetime
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(HERE))

import big_scene  # noqa: E402
import memory  # noqa: E402
import povray  # noqa: E402
import report  # noqa: E402
import scenes as sc  # noqa: E402

CHECKSUMS = HERE / "checksums.json"
BUNNY_TO_OBJ = """
const b = require('bunny');
const lines = b.positions.map(p => 'v ' + p.join(' '));
for (const c of b.cells) lines.push('f ' + c.map(i => i + 1).join(' '));
require('fs').writeFileSync(process.argv[1], lines.join('\\n') + '\\n');
"""


def run(cmd, cwd=None, env=None):
    done = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError("%s failed (%d):\n%s%s" % (" ".join(map(str, cmd)), done.returncode,
                                                     done.stdout[-2000:], done.stderr[-2000:]))
    return done


def prepare_meshes(args, tools, folder):
    """The race meshes fitted and written for both renderers."""
    folder.mkdir(parents=True, exist_ok=True)
    bunny = folder / "bunny-source.obj"
    if not bunny.exists():
        env = dict(os.environ, NODE_PATH=str(args.node_modules))
        run(["node", "-e", BUNNY_TO_OBJ, str(bunny)], env=env)
    meshes = sc.race_meshes(folder)
    sources = {"bunny": str(bunny)}
    for m in meshes:
        if not (folder / (m.name + ".inc")).exists():
            flat = [] if m.smooth else ["--flat"]
            run([tools["zybench_mesh"]] + flat + [sources.get(m.name, m.source), str(folder), m.name])
    return meshes


def compile_scene(tools, folder, description, assets):
    """zyscene's files for one description (a dict, or the path of a
    description file) in folder/compiled."""
    source = folder / "source"
    shutil.rmtree(folder, ignore_errors=True)
    source.mkdir(parents=True)
    for asset in assets:
        shutil.copy(asset, source)
    if isinstance(description, Path):
        shutil.copy(description, source / "scene.json")
    else:
        (source / "scene.json").write_text(json.dumps(description, indent=1))
    run([tools["zyscene"], str(source / "scene.json"), str(folder / "compiled")])
    return folder / "compiled"


def all_scenes(meshes, mesh_dir):
    """(id, description, assets, race scene or None) for every benchmark scene."""
    out = []
    for name, segments, sides in sc.TORUS_SIZES:
        out.append((name, sc.torus_description(segments, sides), [], None))
    for race in sc.race_scenes(meshes):
        out.append((race.id, sc.race_description(race), [mesh_dir / (race.mesh.name + ".obj")], race))
    out.append(("glass-depth5", sc.glass_description(), [], None))
    out.append(("contact-sheet", HERE / "contact-sheet.json", [], None))
    out.append(("animation-10", sc.animation_description(), [ROOT / "examples" / "demo" / "trefoil.obj"], None))
    return out


def zybench(tools, scene_dir, runs, threads, keep):
    done = run([tools["zybench"], "--runs", str(runs), "--threads", ",".join(map(str, threads)),
                "--keep", str(keep), str(scene_dir)])
    return json.loads(done.stdout)


def picture_sums(folder):
    return {p.name: hashlib.sha256(p.read_bytes()).hexdigest() for p in sorted(folder.iterdir())}


def check_pictures(scene_id, keep, threads, known, record):
    """'same', 'recorded' or a description of the difference, per thread count."""
    verdicts = []
    for n in threads:
        sums = picture_sums(keep / ("threads-%d" % n))
        if scene_id not in known:
            if record:
                known[scene_id] = sums
                verdicts.append("recorded")
            else:
                verdicts.append("no checksum")
        elif known[scene_id] == sums:
            verdicts.append("same")
        else:
            verdicts.append("DIFFERENT with %d threads" % n)
    return verdicts


def per_frame(values, start=0.0):
    return (sum(values) + start) / len(values)


def scene_row(scene_id, result, all_threads, verdicts):
    """One line of the table: medians over the runs, times per frame."""
    runs = result["runs"]
    frames = len(runs[0]["render"])
    render = {n: statistics.median(per_frame(r["render"]) for r in runs if r["threads"] == n)
              for n in (1, all_threads)}
    primary, secondary, shadow = runs[0]["rays"]
    rays = primary + secondary + shadow
    return {
        "scene": scene_id, "triangles": result["triangles"], "frames": frames,
        "width": result["width"], "height": result["height"],
        "load_s": statistics.median(per_frame(r["load"], r["start"]) for r in runs),
        "group_s": statistics.median(per_frame(r["group"]) for r in runs),
        "octree_s": statistics.median(per_frame(r["octree"]) for r in runs),
        "render_1_s": render[1], "render_all_s": render[all_threads],
        "speedup": render[1] / render[all_threads],
        "peak_mb": result["peak_rss_kb"] / 1024.0,
        "rays_per_frame": [primary // frames, secondary // frames, shadow // frames],
        "mrays_per_s": rays / frames / render[all_threads] / 1e6,
        "same_rays_every_run": all(r["rays"] == runs[0]["rays"] for r in runs),
        "pictures": verdicts,
    }


def wall(cmd, cwd, env=None):
    """Seconds of the whole process, and its end (output as bytes: zyray's
    console lines are not all UTF-8)."""
    start = time.perf_counter()
    done = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True)
    return time.perf_counter() - start, done


def race(tools, race_scene, compiled, mesh_dir, work, threads, rounds, known):
    """Alternating rounds of zyray, POV-Ray and zybench's render phase on one
    race scene with the given thread count."""
    pov_dir = work / "pov"
    shutil.rmtree(pov_dir, ignore_errors=True)
    pov_dir.mkdir(parents=True)
    shutil.copy(mesh_dir / (race_scene.mesh.name + ".inc"), pov_dir)
    (pov_dir / "scene.pov").write_text(povray.scene_file(race_scene))
    env = dict(os.environ, OMP_NUM_THREADS=str(threads))
    times = {"zyray_s": [], "povray_s": [], "zyray_render_s": [], "povray_trace_s": []}
    picture_ok = True
    for _ in range(rounds):
        # zyray deletes its scene files after a normal end: a fresh copy each time.
        zy_dir = work / "zyray"
        shutil.rmtree(zy_dir, ignore_errors=True)
        shutil.copytree(compiled, zy_dir)
        seconds, _ = wall([tools["zyray"]], zy_dir, env)
        times["zyray_s"].append(seconds)
        picture_ok = picture_ok and picture_sums_only_tif(zy_dir) == known.get(race_scene.id)
        seconds, done = wall(povray.command(race_scene, threads), pov_dir)
        stderr = done.stderr.decode("utf-8", "replace")
        if done.returncode != 0:
            raise RuntimeError("povray failed:\n" + stderr[-2000:])
        times["povray_s"].append(seconds)
        times["povray_trace_s"].append(povray.trace_seconds(stderr))
        result = zybench(tools, compiled, 1, [threads], work / "race-pictures")
        times["zyray_render_s"].append(result["runs"][0]["render"][0])
    med = {k: statistics.median(v) for k, v in times.items()}
    return dict(med, scene=race_scene.mesh.name, floor="mirror" if race_scene.mirror else "matte",
                antialias=race_scene.antialias, threads=threads, rounds=rounds,
                whole_ratio=med["povray_s"] / med["zyray_s"],
                render_ratio=med["povray_trace_s"] / med["zyray_render_s"], picture_ok=picture_ok)


INSTRUCTION_SCENE = "bunny-mirror-aa2"


def count_instructions(tools, compiled, work, known):
    """callgrind's total for one zyray run on one thread, and whether its
    picture kept its checksum."""
    zy_dir = work / "callgrind"
    shutil.rmtree(zy_dir, ignore_errors=True)
    shutil.copytree(compiled, zy_dir)
    profile = work / "callgrind.out"
    env = dict(os.environ, OMP_NUM_THREADS="1")
    done = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=%s" % profile, tools["zyray"]],
                          cwd=zy_dir, env=env, capture_output=True)
    if done.returncode not in (0, 1) or not profile.exists():
        raise RuntimeError("callgrind failed:\n" + done.stderr.decode("utf-8", "replace")[-2000:])
    totals = [line for line in profile.read_text().splitlines() if line.startswith(("summary:", "totals:"))]
    return int(totals[-1].split()[1]), picture_sums_only_tif(zy_dir) == known.get(INSTRUCTION_SCENE)


def instructions(tools, meshes, mesh_dir, work, known):
    for scene_id, description, assets, _ in all_scenes(meshes, mesh_dir):
        if scene_id == INSTRUCTION_SCENE:
            folder = compile_scene(tools, work / "scenes" / scene_id, description, assets)
            return count_instructions(tools, folder, work, known)
    raise RuntimeError("no scene " + INSTRUCTION_SCENE)


def measure_memory(tools, work):
    return memory.measure(tools["zyray"], lambda folder, d: compile_scene(tools, folder, d, []), work)


def picture_sums_only_tif(folder):
    return {p.name: hashlib.sha256(p.read_bytes()).hexdigest()
            for p in sorted(folder.iterdir()) if p.suffix.lower() == ".tif"}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--node-modules", type=Path, required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--race-runs", type=int, default=5)
    parser.add_argument("--race-threads", default="1,%d" % os.cpu_count())
    parser.add_argument("--only", default="")
    parser.add_argument("--no-race", action="store_true")
    parser.add_argument("--record-checksums", action="store_true")
    parser.add_argument("--json", type=Path, default=HERE / "results" / "latest.json")
    parser.add_argument("--instructions", action="store_true")
    parser.add_argument("--memory", action="store_true")
    parser.add_argument("--big", action="store_true")
    args = parser.parse_args()
    args.work = args.work.resolve()

    tools = {t: str(args.build.resolve() / "bin" / t) for t in ("zyray", "zyscene", "zybench", "zybench_mesh")}
    all_threads = os.cpu_count()
    threads = sorted({1, all_threads})
    load_before = os.getloadavg()
    known = json.loads(CHECKSUMS.read_text()) if CHECKSUMS.exists() else {}
    mesh_dir = args.work / "meshes"
    meshes = prepare_meshes(args, tools, mesh_dir)
    only = set(filter(None, args.only.split(",")))
    if args.big:
        print(big_scene.summary(big_scene.measure(tools, args.work, all_threads)))
        return 0
    if args.memory:
        print(memory.summary(measure_memory(tools, args.work)))
        return 0
    if args.instructions:
        total, same = instructions(tools, meshes, mesh_dir, args.work, known)
        print("%s, 1 thread: %d instructions, picture %s" % (INSTRUCTION_SCENE, total, "same" if same else "DIFFERENT"))
        return 0 if same else 1

    rows, races, compiled = [], [], {}
    for scene_id, description, assets, race_scene in all_scenes(meshes, mesh_dir):
        if only and scene_id not in only:
            continue
        print("%-24s" % scene_id, end=" ", flush=True)
        folder = compile_scene(tools, args.work / "scenes" / scene_id, description, assets)
        compiled[scene_id] = (folder, race_scene)
        keep = args.work / "pictures" / scene_id
        shutil.rmtree(keep, ignore_errors=True)
        result = zybench(tools, folder, args.runs, threads, keep)
        verdicts = check_pictures(scene_id, keep, threads, known, args.record_checksums)
        rows.append(scene_row(scene_id, result, all_threads, verdicts))
        print("render %.3f s / %.3f s, pictures: %s" % (rows[-1]["render_1_s"], rows[-1]["render_all_s"],
                                                       ", ".join(verdicts)), flush=True)
    if args.record_checksums:
        CHECKSUMS.write_text(json.dumps(known, indent=1, sort_keys=True) + "\n")

    if not args.no_race:
        for n in [int(t) for t in args.race_threads.split(",")]:
            for scene_id, (folder, race_scene) in compiled.items():
                if race_scene is None:
                    continue
                races.append(race(tools, race_scene, folder, mesh_dir, args.work, n, args.race_runs, known))
                print("race %-22s %d thread(s): %.2fx whole, %.2fx render" % (
                    scene_id, n, races[-1]["whole_ratio"], races[-1]["render_ratio"]), flush=True)

    mem = measure_memory(tools, args.work)
    total, callgrind_same = instructions(tools, meshes, mesh_dir, args.work, known)
    results = {
        "date": datetime.datetime.now().isoformat(timespec="seconds"),
        "machine": {"cpus": all_threads, "load_before": list(load_before), "load_after": list(os.getloadavg())},
        "runs": args.runs, "race_runs": args.race_runs, "scenes": rows, "race": races,
        "memory": mem, "instructions": total,
    }
    results["targets"] = report.targets(rows, races, mem, total)
    print()
    print(report.tables(results))
    args.json.parent.mkdir(parents=True, exist_ok=True)
    args.json.write_text(json.dumps(results, indent=1) + "\n")
    failed = [r["scene"] for r in rows if any(v.startswith("DIFFERENT") for v in r["pictures"])]
    failed += ["race " + r["scene"] for r in races if not r["picture_ok"]]
    failed += [] if callgrind_same else [INSTRUCTION_SCENE + " under callgrind"]
    if failed:
        print("Pictures that changed: " + ", ".join(failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
