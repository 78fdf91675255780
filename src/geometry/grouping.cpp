#include "driver/console.h"
#include "driver/memoire.h"
#include "driver/stop.h"
#include "geometry/triangle.h"
#include "scene/rt_var.h"

namespace zy {

// The numbering is that of the pairwise scan: walking the triangles in order, each
// one takes a new number unless an earlier triangle of its object shares a vertex
// reference with it, and then it takes the number of the earliest such triangle
// (the scan reaches that one first and never overwrites). Groups that meet only
// later are not merged. The earliest sharer is the smallest "first user" among the
// triangle's vertices, so one index from point to first triangle replaces the scan.
void rt_tri_group() {
    console_line("Start Pass 1 please wait");

    // first_user[p]: the first triangle that uses point p; an entry older than the
    // current object's first triangle belongs to an earlier object and counts as unset.
    const std::size_t n_pnt = rt_var.n_pnt > 0 ? static_cast<std::size_t>(rt_var.n_pnt) : 1;
    auto* first_user = static_cast<int32_t*>(my_malloc(n_pnt * sizeof(int32_t)));
    if (first_user == nullptr) ZY_STOP(kErrMemory);
    for (std::size_t p = 0; p < n_pnt; ++p) first_user[p] = -1;

    int32_t next_group = 1;
    int32_t start = 0;
    for (int k = 0; k < rt_var.n_obj; ++k) {
        const int32_t end = start + rt_var.obj_tri_count[k];
        for (int32_t b = start; b < end; ++b) {
            TRIANGLE& tri = rt_var.tris[b];
            int32_t earliest = b;
            for (const V3D* vertex : tri.v) {
                int32_t& first = first_user[vertex - rt_var.points];
                if (first < start) first = b;
                if (first < earliest) earliest = first;
            }
            tri.group = earliest < b ? rt_var.tris[earliest].group : next_group++;
        }
        start = end;
    }

    my_free(first_user);
    console_line("Pass 1 success");
}

}  // namespace zy
