// zyray: renders the scene described by the files in the working folder.
#include "driver/program.h"

int main() { zy::zyray_main(); }
