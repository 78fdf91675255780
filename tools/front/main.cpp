// zyray-front: what zyray runs when it is given arguments.
#include "front/front.h"

int main(int argc, char** argv) { return zy::front::run_front(argc, argv); }
