#pragma once
// Symbols of the core library that other modules may call. The library is built
// with hidden visibility, so only what carries this macro is exported.
#define QRNCORE_API __attribute__((visibility("default")))

// printf format checking for every formatting function: fmt_index is the 1-based
// position of the format, first_arg that of the first variadic argument (0 for a
// va_list form). Member functions count the implicit `this` as 1.
#define V_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
