#include "textscan.h"

#include "textscan_kernels.h"

namespace tav::textscan {

namespace {

// Which paths the build holds (core/CMakeLists.txt decides).
bool compiled(Path path) {
    switch (path) {
        case Path::Plain: return true;
#ifdef TAV_SSE2_PATH
        case Path::Sse2: return true;
#endif
#ifdef TAV_AVX_PATHS
        case Path::Avx2:
        case Path::Avx512: return true;
#endif
        default: return false;
    }
}

// Whether the processor, and the system for the wider registers, can run it.
bool processor_runs(Path path) {
#ifdef TAV_AVX_PATHS
    // Also false when the system does not save the wider registers: libgcc
    // (and compiler-rt) ask it through OSXSAVE and XGETBV (YMM state; for
    // AVX-512 also opmask and ZMM state), on Windows as on Linux.
    __builtin_cpu_init();
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                      __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    if (path == Path::Avx2) return avx2;
    if (path == Path::Avx512)
        return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi2");
#endif
    return compiled(path);
}

bool available(Path path) { return compiled(path) && processor_runs(path); }

const Kernels& kernels(Path path) {
    switch (path) {
#ifdef TAV_SSE2_PATH
        case Path::Sse2: return kSse2Kernels;
#endif
#ifdef TAV_AVX_PATHS
        case Path::Avx2: return kAvx2Kernels;
        case Path::Avx512: return kAvx512Kernels;
#endif
        default: return kPlainKernels;
    }
}

struct Choice {
    Path path;
    const Kernels* kernels;
};

Choice& choice() {
    static Choice chosen = [] {
        const Path path = available_paths().back();
        return Choice{path, &kernels(path)};
    }();
    return chosen;
}

const Kernels& active() { return *choice().kernels; }

}  // namespace

Path active_path() { return choice().path; }

std::vector<Path> available_paths() {
    std::vector<Path> paths;
    for (Path p : {Path::Plain, Path::Sse2, Path::Avx2, Path::Avx512})
        if (available(p)) paths.push_back(p);
    return paths;
}

bool use_path(Path path) {
    if (!available(path)) return false;
    choice() = {path, &kernels(path)};
    return true;
}

const char* path_name(Path path) {
    switch (path) {
        case Path::Plain: return "plain";
        case Path::Sse2: return "sse2";
        case Path::Avx2: return "avx2";
        case Path::Avx512: return "avx512";
    }
    return "?";
}

std::optional<Path> path_named(std::string_view name) {
    for (Path p : {Path::Plain, Path::Sse2, Path::Avx2, Path::Avx512})
        if (name == path_name(p)) return p;
    return std::nullopt;
}

const char* scan(const char* begin, const char* end, bool stop_at_ctrl_z, Census& census) {
    return active().scan(begin, end, stop_at_ctrl_z, census);
}

const char* find_bare_lf(const char* begin, const char* end, bool cr_before) {
    return active().find_bare_lf(begin, end, cr_before);
}

void copy_bytes(char* to, const char* from, std::size_t size) { active().copy_bytes(to, from, size); }

void copy_expanding(const char*& in, const char* in_end, char*& out, const char* out_stop, bool keep_pairs,
                    bool cr_before) {
    active().copy_expanding(in, in_end, out, out_stop, keep_pairs, cr_before);
}

}  // namespace tav::textscan
