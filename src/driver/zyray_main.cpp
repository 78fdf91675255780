// zyray: without arguments, renders the scene described by the files in the
// working folder; with arguments, the front end (zyray --help).
#include "driver/program.h"
#include "front/front.h"

int main(int argc, char** argv) {
    if (argc > 1) return zy::front::run_front(argc, argv);
    zy::zyray_main();
}
