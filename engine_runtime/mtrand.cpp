// SPDX-License-Identifier: GPL-3.0-or-later
#include "mtrand.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// The twist and the resampling positions run on vectors of words. On x86-64
// each is built for AVX2 and for the baseline instruction set, and the build
// the processor runs is chosen once, on first use, through a function pointer:
// loader-resolved clones run before a sanitizer's run-time is ready and do not
// exist on every platform. Both builds give the words of the plain
// word-by-word loop. GCC for Windows does not align the stack for spilled AVX
// registers, so there the baseline build runs; so it does where
// TSK_BASELINE_ONLY is defined, for the tests of that build.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !(defined(_WIN32) && !defined(__clang__)) && !defined(TSK_BASELINE_ONLY)
#define TSK_HAVE_AVX2 1
#endif

namespace tsk {

namespace {

constexpr int kN = MtBlock::kWords;
constexpr int kM = 397;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrixA = 0x9908B0DFu;  // mag01(1); mag01(0) is 0

typedef uint32_t U32x8 __attribute__((vector_size(32)));

uint32_t twistWord(uint32_t current, uint32_t next, uint32_t far) {
  const uint32_t y = (current & kUpperMask) | (next & kLowerMask);
  return far ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
}

// mt(kk) from mt(kk), mt(kk + 1) and `far` (mt(kk + 397) before the twist,
// or mt(kk - 227) after it), eight words at once. The eight new words are
// not among the words that it reads.
#define TSK_TWIST8(mt, kk, farIndex)                                       \
  do {                                                                     \
    U32x8 cur, nxt, far;                                                   \
    std::memcpy(&cur, &(mt)[(kk)], sizeof cur);                            \
    std::memcpy(&nxt, &(mt)[(kk) + 1], sizeof nxt);                        \
    std::memcpy(&far, &(mt)[(farIndex)], sizeof far);                      \
    const U32x8 y = (cur & kUpperMask) | (nxt & kLowerMask);               \
    const U32x8 word = far ^ (y >> 1) ^ ((U32x8{} - (y & 1u)) & kMatrixA); \
    std::memcpy(&(mt)[(kk)], &word, sizeof word);                          \
  } while (0)

// The MT19937 regeneration of all 624 words, inlined into each build.
[[gnu::always_inline]] inline void twistWords(MtBlock& b) {
  uint32_t* mt = b.mt.data();
  int kk = 0;
  for (; kk + 8 <= kN - kM; kk += 8) TSK_TWIST8(mt, kk, kk + kM);
  for (; kk < kN - kM; ++kk) mt[kk] = twistWord(mt[kk], mt[kk + 1], mt[kk + kM]);
  // Here the far word is one already regenerated, at least 227 words back.
  for (; kk + 8 <= kN - 1; kk += 8) TSK_TWIST8(mt, kk, kk + (kM - kN));
  for (; kk < kN - 1; ++kk) mt[kk] = twistWord(mt[kk], mt[kk + 1], mt[kk + (kM - kN)]);
  mt[kN - 1] = twistWord(mt[kN - 1], mt[0], mt[kM - 1]);
  b.mti = 0;
}

#undef TSK_TWIST8

void twistBaseline(MtBlock& b) { twistWords(b); }

uint32_t temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

double wordValue(uint32_t y) { return static_cast<double>(y) / 4294967295.0; }

// Resampling positions without the division of the plain draw. For a
// tempered word y and n <= 2^16, the plain draw floor(y / (2^32 - 1) * n + 1)
// computes y n / (2^32 - 1) to within n 2^-52 <= 2^-36, and adding 1 rounds
// no value across a whole number that lies further than 2^-37 from it. So
// wherever the exact quotient of v = y n by 2^32 - 1 leaves a remainder r
// with 16 <= r <= 2^32 - 18, the plain draw's position is that quotient q,
// which is (v + (v >> 32) + 1) >> 32. The low word of that sum is r or r + 1;
// a word whose remainder is closer to a whole number (a few in 2^28, the word
// 2^32 - 1 among them) is drawn the plain way.
//
// Sets *position to q; false when the word must be drawn the plain way.
bool quotientPosition(uint32_t y, uint32_t n, int32_t* position) {
  const uint64_t v = static_cast<uint64_t>(y) * n;
  const uint64_t sum = v + (v >> 32) + 1;
  *position = static_cast<int32_t>(sum >> 32);
  return static_cast<uint32_t>(static_cast<uint32_t>(sum) + 16u) > 32u;
}

int32_t plainPosition(uint32_t word, int n) { return drawPosition(wordValue(temper(word)), n) - 1; }

// out[i] = plainPosition(words[i], n) for i < count.
void positionsOfWords(const uint32_t* words, int count, int n, int32_t* out) {
  for (int i = 0; i < count; ++i) {
    if (!quotientPosition(temper(words[i]), static_cast<uint32_t>(n), out + i)) {
      out[i] = plainPosition(words[i], n);
    }
  }
}

#ifdef TSK_HAVE_AVX2
__attribute__((target("avx2"))) void twistAvx2(MtBlock& b) { twistWords(b); }

// positionsOfWords, eight words at a time with AVX2 integer operations.
__attribute__((target("avx2"))) void positionsOfWordsAvx2(const uint32_t* words, int count, int n,
                                                          int32_t* out) {
  const __m256i tempering1 = _mm256_set1_epi32(static_cast<int>(0x9D2C5680u));
  const __m256i tempering2 = _mm256_set1_epi32(static_cast<int>(0xEFC60000u));
  const __m256i size = _mm256_set1_epi64x(n);
  const __m256i one = _mm256_set1_epi64x(1);
  const __m256i sixteen = _mm256_set1_epi32(16);
  // Unsigned "at most 32" as a signed comparison of values offset by 2^31.
  const __m256i offset = _mm256_set1_epi32(static_cast<int>(0x80000000u));
  const __m256i bound = _mm256_set1_epi32(static_cast<int>(0x80000000u + 33u));
  __m256i near = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words + i));
    y = _mm256_xor_si256(y, _mm256_srli_epi32(y, 11));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi32(y, 7), tempering1));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi32(y, 15), tempering2));
    y = _mm256_xor_si256(y, _mm256_srli_epi32(y, 18));
    // v = y n for the even and the odd words, in 64-bit lanes.
    const __m256i even = _mm256_mul_epu32(y, size);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(y, 32), size);
    const __m256i sumEven =
        _mm256_add_epi64(_mm256_add_epi64(even, _mm256_srli_epi64(even, 32)), one);
    const __m256i sumOdd = _mm256_add_epi64(_mm256_add_epi64(odd, _mm256_srli_epi64(odd, 32)), one);
    // Quotients are the high words of the sums, remainders their low words.
    const __m256i quotient = _mm256_blend_epi32(_mm256_srli_epi64(sumEven, 32), sumOdd, 0xAA);
    const __m256i low = _mm256_blend_epi32(sumEven, _mm256_slli_epi64(sumOdd, 32), 0xAA);
    const __m256i shifted = _mm256_xor_si256(_mm256_add_epi32(low, sixteen), offset);
    near = _mm256_or_si256(near, _mm256_cmpgt_epi32(bound, shifted));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), quotient);
  }
  if (!_mm256_testz_si256(near, near)) i = 0;
  positionsOfWords(words + i, count - i, n, out + i);
}
#endif

// The builds of the twist and of the positions that this processor runs.
struct Kernels {
  void (*twist)(MtBlock&);
  void (*positions)(const uint32_t*, int, int, int32_t*);
};

const Kernels& kernels() {
  static const Kernels chosen = [] {
#ifdef TSK_HAVE_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return Kernels{twistAvx2, positionsOfWordsAvx2};
#endif
    return Kernels{twistBaseline, positionsOfWords};
  }();
  return chosen;
}

// Regenerates the words when all have been used; seeds first if never seeded.
void refillIfUsed(MtBlock& b) {
  if (b.mti < kN) return;
  if (b.mti == kN + 1) sgrnd(b, 4357);
  kernels().twist(b);
}

}  // namespace

void sgrnd(MtBlock& block, int32_t seed) {
  block.mt[0] = static_cast<uint32_t>(seed);
  for (int i = 1; i < kN; ++i) block.mt[i] = 69069u * block.mt[i - 1];
  block.mti = kN;
}

double grnd(MtBlock& block) {
  refillIfUsed(block);
  return wordValue(temper(block.mt[block.mti++]));
}

void drawPositions(MtBlock& block, int n, int32_t* out, size_t count) {
  if (n > kMaxDrawSample) {
    // Past the quotient's exact range: the plain draws.
    for (size_t i = 0; i < count; ++i) out[i] = drawPosition(grnd(block), n) - 1;
    return;
  }
  while (count > 0) {
    refillIfUsed(block);
    const int run = static_cast<int>(std::min<size_t>(count, static_cast<size_t>(kN - block.mti)));
    kernels().positions(block.mt.data() + block.mti, run, n, out);
    block.mti += run;
    out += run;
    count -= static_cast<size_t>(run);
  }
}

void drawWords(MtBlock& block, uint32_t* out, size_t count) {
  while (count > 0) {
    refillIfUsed(block);
    const int run = static_cast<int>(std::min<size_t>(count, static_cast<size_t>(kN - block.mti)));
    const uint32_t* words = block.mt.data() + block.mti;
    int i = 0;
    for (; i + 8 <= run; i += 8) {
      U32x8 y;
      std::memcpy(&y, words + i, sizeof y);
      y ^= y >> 11;
      y ^= (y << 7) & 0x9D2C5680u;
      y ^= (y << 15) & 0xEFC60000u;
      y ^= y >> 18;
      std::memcpy(out + i, &y, sizeof y);
    }
    for (; i < run; ++i) out[i] = temper(words[i]);
    block.mti += run;
    out += run;
    count -= static_cast<size_t>(run);
  }
}

void skipDraws(MtBlock& block, uint64_t count) {
  while (count > 0) {
    refillIfUsed(block);
    const int run =
        static_cast<int>(std::min<uint64_t>(count, static_cast<uint64_t>(kN - block.mti)));
    block.mti += run;
    count -= static_cast<uint64_t>(run);
  }
}

}  // namespace tsk
