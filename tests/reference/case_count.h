#pragma once
// How many random cases the differential tests run: all of them in a normal
// build, a fraction under AddressSanitizer, where each case costs far more.
namespace jinro::reference {

#if defined(__SANITIZE_ADDRESS__)
#define JINRO_REFERENCE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JINRO_REFERENCE_UNDER_ASAN 1
#endif
#endif

#ifdef JINRO_REFERENCE_UNDER_ASAN
inline constexpr int kCaseDivisor = 8;
#else
inline constexpr int kCaseDivisor = 1;
#endif

// `normal` cases in a normal build, at least one.
constexpr int caseCount(int normal) { return normal / kCaseDivisor > 0 ? normal / kCaseDivisor : 1; }

}  // namespace jinro::reference
