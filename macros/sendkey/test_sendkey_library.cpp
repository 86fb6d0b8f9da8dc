// A stand-in for the outside keystroke library, for tests of the UseDll path.
#include <cstdint>
#include <cstring>

extern "C" {

char fw32sndkey_last[256];

__attribute__((visibility("default"))) std::int32_t fw32sndkey_send(const unsigned char* keys) {
    std::memcpy(fw32sndkey_last, keys + 1, keys[0]);
    fw32sndkey_last[keys[0]] = '\0';
    return 42 + keys[0];
}

__attribute__((visibility("default"))) const char* fw32sndkey_test_last() {
    return fw32sndkey_last;
}
}
