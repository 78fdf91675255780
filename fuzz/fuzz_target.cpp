// libFuzzer entry of one target, chosen when it is built (ZY_FUZZ_TARGET).
#include <cstdio>
#include <cstdlib>

#include "harness/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const zy::fuzz::TargetEntry* target = [] {
        const zy::fuzz::TargetEntry* t = zy::fuzz::find_target(ZY_FUZZ_TARGET);
        if (t == nullptr) {
            std::fprintf(stderr, "no fuzz target %s\n", ZY_FUZZ_TARGET);
            std::abort();
        }
        return t;
    }();
    // -1 keeps inputs beyond the harness's caps out of the corpus.
    return target->run(data, size) ? 0 : -1;
}
