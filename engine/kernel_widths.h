#pragma once

// WORKBENCH_KERNEL_WIDTHS before a function compiles it once per vector width an x86-64 processor
// may have (baseline, AVX2, AVX-512); the loader picks the widest the machine running the
// program offers, so the package runs everywhere and uses what it finds. The kernels marked so
// take only minima, maxima, products, sums and comparisons, each rounded once as IEEE demands,
// and nothing is contracted into a fused multiply-add: every width computes the same floats.
// The templates they call are always inlined into them (WORKBENCH_INLINE), so that the whole
// loop is compiled for the width. The sanitizer builds and other compilers keep one version.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define WORKBENCH_KERNEL_WIDTHS __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define WORKBENCH_KERNEL_WIDTHS
#endif
#define WORKBENCH_INLINE [[gnu::always_inline]] inline
// The same for a lambda inside a kernel: `[&](int j) WORKBENCH_LAMBDA_INLINE { … }`.
#define WORKBENCH_LAMBDA_INLINE __attribute__((always_inline))
