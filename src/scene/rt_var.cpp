#include "scene/rt_var.h"

namespace zy {

RT_VAR rt_var;
double floor_radius_sqr = 0.0;

}  // namespace zy
