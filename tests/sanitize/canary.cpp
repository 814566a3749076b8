// Faults that the sanitize build must catch, one per argument. ctest expects
// each to be reported (and the overflow to stop the program), so a build or
// machine where a sanitizer has gone quiet fails instead of passing clean.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[gnu::noinline]] void Leak() {
    [[maybe_unused]] void* volatile p = std::malloc(77);
    p = nullptr;
}

[[gnu::noinline]] int Overflow(int a) { return a + 1; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (std::strcmp(argv[1], "leak") == 0) {
        Leak();
        return 0;
    }
    if (std::strcmp(argv[1], "overflow") == 0) {
        volatile int big = INT_MAX;
        std::printf("%d\n", Overflow(big));
        std::puts("went on after the overflow");
        return 0;
    }
    return 2;
}
