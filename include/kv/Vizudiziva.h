/* The C interface of the translation library Vizudiziva (GB <-> Big5 conversion,
 * that is simplified <-> traditional Chinese). The library and the programs that
 * load it by name both compile against this header, so the two sides cannot
 * disagree about a signature.
 *
 * Texts are UTF-8 in and out. The caller owns every buffer, so nothing allocated
 * by the library has to be freed by the caller:
 *
 *   status = GBtoBIG5(in, inLen, out, outCap, &outLen);
 *
 * On VZ_OK the result is out[0 .. outLen) (not NUL-terminated). When outCap is
 * too small the call returns VZ_BUFFER_TOO_SMALL, stores the size the result needs
 * in outLen and leaves out untouched: call again with a buffer of that size. On
 * any other failure outLen is 0 and out is untouched.
 * `out` may be NULL when outCap is 0 (a pure size query); `in` may be NULL when
 * inLen is 0. Characters without a counterpart in the other set pass through
 * unchanged; NUL bytes in the input are kept. */
#ifndef KV_VIZUDIZIVA_H
#define KV_VIZUDIZIVA_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum VzStatus {
    VZ_OK = 0,
    VZ_INVALID_ARGUMENT = 1,      /* a pointer the call needs is NULL */
    VZ_INVALID_UTF8 = 2,          /* the input is not well-formed UTF-8 */
    VZ_BUFFER_TOO_SMALL = 3,      /* *outLen holds the size needed */
    VZ_CONVERTER_UNAVAILABLE = 4, /* the conversion tables could not be loaded */
    VZ_CONVERSION_FAILED = 5,     /* the conversion itself failed */
    VZ_OUT_OF_MEMORY = 6,
    VZ_UNSUPPORTED = 7            /* the entry exists for compatibility and does nothing */
};

/* "GBtoBIG5": simplified to traditional (Taiwan standard forms).
 * "BIG5toGB": traditional to simplified. */
typedef int (*VzConvertFunc)(const char* in, size_t inLen, char* out, size_t outCap, size_t* outLen);

/* "GetBIG5Data", "GetGBData", "SaveOrder": kept so that programs looking them up
 * find them; they take nothing and return VZ_UNSUPPORTED. */
typedef int (*VzUnsupportedFunc)(void);

#ifdef __cplusplus
}
#endif

#endif /* KV_VIZUDIZIVA_H */
