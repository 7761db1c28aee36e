#pragma once

namespace quorvel::test {

// True in a build with AddressSanitizer (`make test-sanitize`, `make fuzz`). Its instrumented code
// runs many times slower, so the time bounds of the large-material tests are widened there, and it
// reserves more address space than any memory limit on the process allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool Sanitized = true;
#elif defined(__has_feature)
inline constexpr bool Sanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool Sanitized = false;
#endif

// The milliseconds a test allows for work that an ordinary build must finish within ms.
constexpr long long allowedMilliseconds(long long ms)
{
    return Sanitized ? 20 * ms : ms;
}

} // namespace quorvel::test
