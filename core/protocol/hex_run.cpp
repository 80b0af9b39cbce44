#include "protocol/hex_run.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestra {

namespace {

constexpr std::array<uint8_t, 256> make_hex_table() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9') {
            t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
        }
    }
    return t;
}

constexpr auto kHex = make_hex_table();

inline uint8_t digit(char c) {
    return kHex[static_cast<unsigned char>(c)];
}

constexpr bool kWordPath = std::endian::native == std::endian::little;
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHigh = 0x8080808080808080ULL;

// High bit of each byte set where that byte is >= k; only for bytes below 0x80, which
// keeps every byte's subtraction from borrowing out of it.
inline uint64_t at_least(uint64_t x, uint8_t k) {
    return ((x | kHigh) - k * kOnes) & kHigh;
}

// The values of eight characters, one per byte; false when any is not a hex digit.
inline bool nibbles8(const char* p, uint64_t& nibbles) {
    uint64_t x;
    std::memcpy(&x, p, sizeof x);
    if ((x & kHigh) != 0) {
        return false;
    }
    const uint64_t decimal = at_least(x, '0') & ~at_least(x, '9' + 1);
    const uint64_t folded = x | (0x20 * kOnes);  // 'A'-'F' -> 'a'-'f'
    const uint64_t letter = at_least(folded, 'a') & ~at_least(folded, 'f' + 1);
    if ((decimal | letter) != kHigh) {
        return false;
    }
    nibbles = (x & (0x0F * kOnes)) + (letter >> 7) * 9;
    return true;
}

#if defined(__SSE2__)
// Sixteen characters to their values; a character that is no digit gives 0, as in the table.
inline __m128i nibbles16(const char* p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8('0'));
    const __m128i decimal = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    const __m128i l = _mm_sub_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
    return _mm_or_si128(_mm_and_si128(decimal, d),
                        _mm_and_si128(letter, _mm_add_epi8(l, _mm_set1_epi8(10))));
}

// Eight bytes in the low halves of the 16-bit lanes, from sixteen characters.
inline __m128i pairs8(const char* p) {
    const __m128i n = nibbles16(p);  // lanes hold (high digit, low digit)
    return _mm_and_si128(_mm_or_si128(_mm_slli_epi16(n, 4), _mm_srli_epi16(n, 8)),
                         _mm_set1_epi16(0x00FF));
}
#endif

}  // namespace

void hex_pairs(const char* p, std::size_t pairs, uint8_t* out) {
    std::size_t k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= pairs; k += 16) {
        const __m128i bytes = _mm_packus_epi16(pairs8(p + 2 * k), pairs8(p + 2 * k + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), bytes);
    }
#endif
    if constexpr (kWordPath) {
        for (; k + 4 <= pairs; k += 4) {
            uint64_t n;
            if (!nibbles8(p + 2 * k, n)) {
                for (std::size_t i = k; i < k + 4; ++i) {
                    out[i] = static_cast<uint8_t>((digit(p[2 * i]) << 4) | digit(p[2 * i + 1]));
                }
                continue;
            }
            // 16-bit lanes hold (high digit, low digit); fold each into its byte, then close up.
            uint64_t v = ((n << 4) | (n >> 8)) & 0x00FF00FF00FF00FFULL;
            v = (v | (v >> 8)) & 0x0000FFFF0000FFFFULL;
            const auto word = static_cast<uint32_t>(v | (v >> 16));
            std::memcpy(out + k, &word, sizeof word);
        }
    }
    for (; k < pairs; ++k) {
        out[k] = static_cast<uint8_t>((digit(p[2 * k]) << 4) | digit(p[2 * k + 1]));
    }
}

void hex_nibbles(const char* p, std::size_t count, uint8_t* out) {
    std::size_t k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= count; k += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), nibbles16(p + k));
    }
#endif
    if constexpr (kWordPath) {
        for (; k + 8 <= count; k += 8) {
            uint64_t n;
            if (nibbles8(p + k, n)) {
                std::memcpy(out + k, &n, sizeof n);
            } else {
                for (std::size_t i = k; i < k + 8; ++i) {
                    out[i] = digit(p[i]);
                }
            }
        }
    }
    for (; k < count; ++k) {
        out[k] = digit(p[k]);
    }
}

}  // namespace kestra
