// cliptool: sets or reads the clipboard and the primary selection of a Wayland desktop through
// its data control, as a user's programs and clipboard tools would, for tests of what a typing
// program leaves there.
//
//   cliptool --hold READY WHICH:TYPE=VALUE...   puts each VALUE under its TYPE on the clipboard
//       (WHICH "clipboard") or the primary selection ("primary"), creates READY once both are
//       the compositor's, and serves them until it is ended or they are replaced
//   cliptool --dump   prints "WHICH TYPE HEX" a line for every type of both selections
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

wl_seat* seat = nullptr;
zwlr_data_control_manager_v1* manager = nullptr;
std::map<zwlr_data_control_offer_v1*, std::vector<std::string>> offerTypes;
zwlr_data_control_offer_v1* current[2] = {};
std::map<std::string, std::string> held[2];  // type -> bytes, per selection
int live = 0;

void global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    if (!std::strcmp(interface, wl_seat_interface.name) && !seat)
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    if (!std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) && version >= 2)
        manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 2));
}
void removed(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryListener = {global, removed};

void type(void*, zwlr_data_control_offer_v1* offer, const char* mime) {
    offerTypes[offer].push_back(mime);
}
const zwlr_data_control_offer_v1_listener offerListener = {type};
void dataOffer(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    zwlr_data_control_offer_v1_add_listener(offer, &offerListener, nullptr);
}
void selection(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    current[0] = offer;
}
void primary(void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    current[1] = offer;
}
void finished(void*, zwlr_data_control_device_v1*) {}
const zwlr_data_control_device_v1_listener deviceListener = {dataOffer, selection, finished,
                                                             primary};

void send(void* data, zwlr_data_control_source_v1*, const char* mime, int fd) {
    const auto& contents = held[*static_cast<int*>(data)];
    const auto it = contents.find(mime);
    if (it != contents.end()) (void)!write(fd, it->second.data(), it->second.size());
    close(fd);
}
void cancelled(void*, zwlr_data_control_source_v1* source) {
    zwlr_data_control_source_v1_destroy(source);
    --live;
}
const zwlr_data_control_source_v1_listener sourceListener = {send, cancelled};

std::string readOffer(wl_display* display, zwlr_data_control_offer_v1* offer,
                      const std::string& mime) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    zwlr_data_control_offer_v1_receive(offer, mime.c_str(), fds[1]);
    wl_display_flush(display);
    close(fds[1]);
    std::string bytes;
    char chunk[4096];
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 5000) > 0) {
        const ssize_t n = read(fds[0], chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 3;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !manager) {
        std::fprintf(stderr, "cliptool: no data control with the primary selection\n");
        return 3;
    }
    zwlr_data_control_device_v1* device =
        zwlr_data_control_manager_v1_get_data_control(manager, seat);
    zwlr_data_control_device_v1_add_listener(device, &deviceListener, nullptr);
    wl_display_roundtrip(display);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--dump") {
        static const char* const names[] = {"clipboard", "primary"};
        for (int which = 0; which < 2; ++which) {
            if (!current[which]) continue;
            for (const std::string& mime : offerTypes[current[which]]) {
                std::printf("%s %s ", names[which], mime.c_str());
                for (unsigned char c : readOffer(display, current[which], mime))
                    std::printf("%02x", c);
                std::printf("\n");
            }
        }
        return 0;
    }
    if (mode != "--hold" || argc < 4) return 2;
    static int whichOf[2] = {0, 1};
    for (int i = 3; i < argc; ++i) {
        const std::string item = argv[i];
        const auto colon = item.find(':'), equals = item.find('=');
        if (colon == std::string::npos || equals == std::string::npos) return 2;
        held[item.compare(0, colon, "primary") == 0 ? 1 : 0]
            [item.substr(colon + 1, equals - colon - 1)] = item.substr(equals + 1);
    }
    for (int which = 0; which < 2; ++which) {
        if (held[which].empty()) continue;
        zwlr_data_control_source_v1* source =
            zwlr_data_control_manager_v1_create_data_source(manager);
        zwlr_data_control_source_v1_add_listener(source, &sourceListener, &whichOf[which]);
        for (const auto& [mime, bytes] : held[which])
            zwlr_data_control_source_v1_offer(source, mime.c_str());
        if (which == 0)
            zwlr_data_control_device_v1_set_selection(device, source);
        else
            zwlr_data_control_device_v1_set_primary_selection(device, source);
        ++live;
    }
    wl_display_roundtrip(display);
    std::ofstream{argv[2]};
    while (live > 0 && wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
