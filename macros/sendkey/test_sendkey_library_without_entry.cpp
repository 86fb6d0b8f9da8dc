// A library of the right name that lacks the entry point.
extern "C" __attribute__((visibility("default"))) int something_else() {
    return 1;
}
