/* seqtrace: marks the symbols a shared build exports.
 *
 * The library is compiled with hidden visibility, so only declarations carrying
 * SEQTRACE_API are visible outside it. The attribute is harmless for callers.
 */
#ifndef SEQTRACE_EXPORT_H
#define SEQTRACE_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define SEQTRACE_API __attribute__((visibility("default")))
#else
#define SEQTRACE_API
#endif

#endif /* SEQTRACE_EXPORT_H */
