"""Peak memory per triangle: whole zyray processes on the 1M-triangle torus
against a tiny torus, both at 320 x 240, with 1 and 2 threads; 64 threads by
arithmetic from what one more thread adds. What a thread adds per triangle is
taken between the 1M torus and a half-size one: both peak while rendering, so
the buffers a thread adds for the picture cancel out (the tiny scene peaks
elsewhere)."""

import os
import shutil
import subprocess

import scenes as sc

SIZE = (320, 240)
BIG = ("torus-1M", 1000, 500)
HALF = ("torus-500k", 1000, 250)
TINY = ("torus-50", 5, 5)
FAR_THREADS = 64


def torus_at_size(segments, sides):
    description = sc.torus_description(segments, sides)
    description["render"]["width"], description["render"]["height"] = SIZE
    return description


def peak_kb(zyray, compiled, work, threads):
    """The largest resident size of one whole run, in KiB."""
    run_dir = work / "memory-run"
    shutil.rmtree(run_dir, ignore_errors=True)
    shutil.copytree(compiled, run_dir)
    env = dict(os.environ, OMP_NUM_THREADS=str(threads))
    proc = subprocess.Popen([zyray], cwd=run_dir, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    # zyray's end status is not its verdict; a finished run leaves its picture.
    if proc.returncode not in (0, 1) or not any(p.suffix == ".tif" for p in run_dir.iterdir()):
        raise RuntimeError("zyray failed on %s with status %d" % (compiled, proc.returncode))
    return usage.ru_maxrss


def measure(zyray, compile_scene, work):
    """Peaks and bytes per triangle; compile_scene(folder, description) gives
    the compiled folder."""
    triangles = 2 * BIG[1] * BIG[2]
    folders = {name: compile_scene(work / "memory" / name, torus_at_size(segments, sides))
               for name, segments, sides in (BIG, HALF, TINY)}
    peaks = {(name, n): peak_kb(zyray, folders[name], work, n) for name in folders for n in (1, 2)}
    per_triangle = {n: (peaks[(BIG[0], n)] - peaks[(TINY[0], n)]) * 1024 / triangles for n in (1, 2)}
    # What one more thread adds, on the big scene and beyond what it adds on the half-size one.
    thread_kb = peaks[(BIG[0], 2)] - peaks[(BIG[0], 1)]
    half_thread_kb = peaks[(HALF[0], 2)] - peaks[(HALF[0], 1)]
    thread_per_triangle = (thread_kb - half_thread_kb) * 1024 / (triangles - 2 * HALF[1] * HALF[2])
    far = FAR_THREADS - 2
    return {
        "triangles": triangles, "width": SIZE[0], "height": SIZE[1],
        "peak_mb": {str(n): peaks[(BIG[0], n)] / 1024 for n in (1, 2)},
        "tiny_peak_mb": {str(n): peaks[(TINY[0], n)] / 1024 for n in (1, 2)},
        "bytes_per_triangle": {str(n): per_triangle[n] for n in (1, 2)},
        "thread_bytes_per_triangle": thread_per_triangle,
        "peak_mb_%d_threads" % FAR_THREADS: (peaks[(BIG[0], 2)] + far * thread_kb) / 1024,
        "bytes_per_triangle_%d_threads" % FAR_THREADS: per_triangle[2] + far * thread_per_triangle,
    }


def summary(m):
    far = FAR_THREADS
    return ("1M torus at %dx%d: peak %.0f MB (1 thread), %.0f MB (2), %.0f MB (%d, by arithmetic); "
            "%.0f / %.0f / %.0f bytes per triangle above a tiny scene; one more thread adds %.2f bytes "
            "per triangle" % (m["width"], m["height"], m["peak_mb"]["1"], m["peak_mb"]["2"],
                              m["peak_mb_%d_threads" % far], far, m["bytes_per_triangle"]["1"],
                              m["bytes_per_triangle"]["2"], m["bytes_per_triangle_%d_threads" % far],
                              m["thread_bytes_per_triangle"]))
