// Preloaded into the scanner by one end-to-end test: every look at a file whose name begins with
// "slow-" takes 20 ms, as on a slow disk, so that a scan of many such files lasts long enough to be
// stopped from the tray menu while the program still answers between files.
// The stat buffer is passed on untouched, so its type is left open: the two entry points take
// different ones.
#include <dlfcn.h>
#include <cstring>
#include <ctime>

namespace {

void slowFor(const char* name) {
    const char* base = std::strrchr(name, '/');
    base = base ? base + 1 : name;
    if (std::strncmp(base, "slow-", 5) != 0) return;
    const timespec pause{0, 20'000'000};
    nanosleep(&pause, nullptr);
}

using Fstatat = int (*)(int, const char*, void*, int);

int forward(const char* symbol, int fd, const char* name, void* st, int flags) {
    const auto real = reinterpret_cast<Fstatat>(dlsym(RTLD_NEXT, symbol));
    return real ? real(fd, name, st, flags) : -1;
}

}  // namespace

extern "C" int fstatat(int fd, const char* name, void* st, int flags) {
    slowFor(name);
    return forward("fstatat", fd, name, st, flags);
}

extern "C" int fstatat64(int fd, const char* name, void* st, int flags) {
    slowFor(name);
    return forward("fstatat64", fd, name, st, flags);
}
