// A translation library that lacks "BIG5toGB".
#include "kv/Vizudiziva.h"

extern "C" __attribute__((visibility("default"))) int GBtoBIG5(const char*, size_t, char*, size_t, size_t* outLen) {
    *outLen = 0;
    return VZ_OK;
}
