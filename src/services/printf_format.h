#pragma once

// Lets the compiler check the arguments of printf-style functions.
#if defined(__clang__)
#define TAVOLIN_PRINTF(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#elif defined(__GNUC__)
#define TAVOLIN_PRINTF(formatIndex, firstArg) __attribute__((format(gnu_printf, formatIndex, firstArg)))
#else
#define TAVOLIN_PRINTF(formatIndex, firstArg)
#endif
