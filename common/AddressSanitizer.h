#pragma once

// Whether this build runs under AddressSanitizer, which reserves far more address space than any
// limit on it allows; its own allocation limits take that limit's place.
#if defined(__SANITIZE_ADDRESS__)
#define QUILVAR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILVAR_ADDRESS_SANITIZER 1
#endif
#endif
