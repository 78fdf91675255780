"""The benchmark's tables and its targets, from the results of bench.py."""

from memory import summary as memory_summary

# Targets: speed-up of all threads over one, octree growth from 100k to 1M
# triangles, render growth from 10k to 1M, the race ratios (the whole process
# by thread count), memory per triangle and the instruction count against the
# count measured before the work on the cost per ray.
MIN_SPEEDUP = 1.85
MAX_OCTREE_GROWTH = 15.0
MAX_RENDER_GROWTH = 2.0
MIN_WHOLE_RATIO = {1: 4.0, 2: 5.0}
MIN_RENDER_RATIO = 2.5
MAX_BYTES_PER_TRIANGLE = 250
MAX_THREAD_BYTES_PER_TRIANGLE = 1.0
INSTRUCTIONS_BEFORE = 2_305_532_738
MAX_INSTRUCTIONS = 0.7 * INSTRUCTIONS_BEFORE


def targets(rows, races, memory=None, instructions=None):
    """Each target with the value measured and whether it is met."""
    out = []
    by_id = {r["scene"]: r for r in rows}
    for r in rows:
        out.append({"target": "speed-up %s >= %.2f" % (r["scene"], MIN_SPEEDUP), "value": r["speedup"],
                    "met": r["speedup"] >= MIN_SPEEDUP})
    if "torus-100k" in by_id and "torus-1M" in by_id:
        growth = by_id["torus-1M"]["octree_s"] / by_id["torus-100k"]["octree_s"]
        out.append({"target": "octree 1M / 100k <= %g" % MAX_OCTREE_GROWTH, "value": growth,
                    "met": growth <= MAX_OCTREE_GROWTH})
    if "torus-10k" in by_id and "torus-1M" in by_id:
        for key, label in (("render_1_s", "1 thread"), ("render_all_s", "all threads")):
            growth = by_id["torus-1M"][key] / by_id["torus-10k"][key]
            out.append({"target": "render 1M / 10k, %s <= %g" % (label, MAX_RENDER_GROWTH), "value": growth,
                        "met": growth <= MAX_RENDER_GROWTH})
    for r in races:
        name = "%s %s aa%d %dT" % (r["scene"], r["floor"], r["antialias"], r["threads"])
        least = MIN_WHOLE_RATIO[min(r["threads"], 2)]
        out.append({"target": "whole process vs POV-Ray %s >= %g" % (name, least),
                    "value": r["whole_ratio"], "met": r["whole_ratio"] >= least})
        out.append({"target": "render vs POV-Ray trace %s >= %g" % (name, MIN_RENDER_RATIO),
                    "value": r["render_ratio"], "met": r["render_ratio"] >= MIN_RENDER_RATIO})
    if memory is not None:
        per_triangle = memory["bytes_per_triangle"]["2"]
        out.append({"target": "bytes per triangle, 1M torus, 2 threads <= %d" % MAX_BYTES_PER_TRIANGLE,
                    "value": per_triangle, "met": per_triangle <= MAX_BYTES_PER_TRIANGLE})
        growth = memory["thread_bytes_per_triangle"]
        out.append({"target": "bytes per triangle one more thread adds <= %g" % MAX_THREAD_BYTES_PER_TRIANGLE,
                    "value": growth, "met": growth <= MAX_THREAD_BYTES_PER_TRIANGLE})
    if instructions is not None:
        out.append({"target": "instructions, bunny mirror aa2, 1 thread <= %d" % MAX_INSTRUCTIONS,
                    "value": instructions, "met": instructions <= MAX_INSTRUCTIONS})
    return out


def ms(seconds):
    return "%.1f" % (seconds * 1000)


def count(n):
    if n >= 10_000_000:
        return "%.0fM" % (n / 1e6)
    if n >= 10_000:
        return "%.0fk" % (n / 1e3)
    return str(n)


def scene_table(results):
    n = results["machine"]["cpus"]
    head = ("scene", "tris", "frames", "load ms", "group ms", "octree ms", "render 1T s", "render %dT s" % n,
            "speed-up", "peak MB", "primary", "secondary", "shadow", "Mrays/s %dT" % n, "pictures")
    lines = [head]
    for r in results["scenes"]:
        p, s, sh = r["rays_per_frame"]
        lines.append((r["scene"], count(r["triangles"]), str(r["frames"]), ms(r["load_s"]), ms(r["group_s"]),
                      ms(r["octree_s"]), "%.3f" % r["render_1_s"], "%.3f" % r["render_all_s"],
                      "%.2f" % r["speedup"], "%.0f" % r["peak_mb"], count(p), count(s), count(sh),
                      "%.2f" % r["mrays_per_s"], "/".join(sorted(set(r["pictures"])))))
    return markdown(lines)


def race_table(results):
    head = ("race scene", "floor", "AA", "threads", "zyray s", "POV-Ray s", "whole x", "zyray render s",
            "POV-Ray trace s", "render x")
    lines = [head]
    for r in results["race"]:
        lines.append((r["scene"], r["floor"], "%d / %s" % (r["antialias"], "-A" if r["antialias"] == 0 else "+A0.3"),
                      str(r["threads"]), "%.3f" % r["zyray_s"], "%.3f" % r["povray_s"], "%.2f" % r["whole_ratio"],
                      "%.3f" % r["zyray_render_s"], "%.3f" % r["povray_trace_s"], "%.2f" % r["render_ratio"]))
    return markdown(lines)


def markdown(lines):
    widths = [max(len(row[i]) for row in lines) for i in range(len(lines[0]))]
    out = []
    for k, row in enumerate(lines):
        out.append("| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |")
        if k == 0:
            out.append("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return "\n".join(out)


def tables(results):
    m = results["machine"]
    parts = ["Phase times are per frame, medians of %d runs; rays per frame. Load average %.1f before, %.1f after."
             % (results["runs"], m["load_before"][0], m["load_after"][0]), "", scene_table(results)]
    if results["race"]:
        parts += ["", "Race against POV-Ray (medians of %d alternating rounds; x = POV-Ray time / zyray time):"
                  % results["race_runs"], "", race_table(results)]
    if "memory" in results:
        parts += ["", "Memory: " + memory_summary(results["memory"]) + ".",
                  "Instructions (callgrind, bunny mirror aa2, 1 thread): %d." % results["instructions"]]
    missed = [t for t in results["targets"] if not t["met"]]
    parts += ["", "Targets: %d of %d met." % (len(results["targets"]) - len(missed), len(results["targets"]))]
    parts += ["  missed: %s (%.2f)" % (t["target"], t["value"]) for t in missed]
    return "\n".join(parts)
