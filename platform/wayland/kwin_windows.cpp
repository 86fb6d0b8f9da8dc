#include "platform/wayland/kwin_windows.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace ostrevin::platform {

namespace {

constexpr const char* kManager = "org.kde.KWin";
constexpr const char* kPath = "/org/ostrevin/Keyloom/Windows";
constexpr const char* kInterface = "org.ostrevin.Keyloom.Windows";
// The window manager answers within milliseconds even on a loaded machine; a bound keeps a hung
// one from hanging the program.
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;
constexpr int kFirstReportMs = 5000;
constexpr int kActivationMs = 3000;

// Plasma 5 names windows "clients" where Plasma 6 says "windows"; the script asks for whichever
// this manager has. Front to back is the stacking order, topmost first: Plasma 6 lists it, Plasma
// 5 numbers each window's place in it. One report is
// on its way at a time: changes meanwhile go out as one once it is answered, so a program that is
// not looking gets no backlog; a report unanswered for half a minute is taken as lost.
constexpr const char* kReportScript = R"JS(
var service = "@SERVICE@", path = "@PATH@", iface = "@INTERFACE@";
var inFlight = false, sentAt = 0, dirty = false;
function windows() {
    return workspace.windowList ? workspace.windowList() : workspace.clientList();
}
function activeWindow() {
    return workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
}
function onCurrentDesktop(w) {
    if (w.onAllDesktops) return true;
    if (w.desktops !== undefined) {
        for (var i = 0; i < w.desktops.length; ++i)
            if (w.desktops[i].id === workspace.currentDesktop.id) return true;
        return false;
    }
    return w.desktop === workspace.currentDesktop;
}
function escaped(text) {
    return String(text).replace(/\\/g, "\\\\").replace(/\t/g, "\\t").replace(/\n/g, "\\n");
}
function frontToBack() {
    var out = [], order = workspace.stackingOrder;
    if (order) {
        for (var i = order.length - 1; i >= 0; --i) out.push(order[i]);
        return out;
    }
    var all = windows();
    for (var j = 0; j < all.length; ++j) out.push(all[j]);
    out.sort(function (a, b) { return b.stackingOrder - a.stackingOrder; });
    return out;
}
function report(leaving) {
    var all = frontToBack(), shown = [];
    for (var i = 0; i < all.length; ++i) {
        var w = all[i];
        if (!w.deleted && (w.normalWindow || w.dialog) && String(w.internalId) !== leaving)
            shown.push(w);
    }
    var active = activeWindow(), activeId = active ? String(active.internalId) : "";
    var lines = [];
    for (var j = 0; j < shown.length; ++j) {
        var v = shown[j], id = String(v.internalId);
        lines.push(id + "\t" + (!v.minimized && onCurrentDesktop(v) ? "v" : "") +
                   (id === activeId ? "a" : "") + "\t" + escaped(v.caption));
    }
    return lines.join("\n");
}
function send(leaving) {
    dirty = false;
    inFlight = true;
    sentAt = Date.now();
    callDBus(service, path, iface, "Windows", report(leaving), function () {
        inFlight = false;
        if (dirty) send("");
    });
}
function changed(leaving) {
    dirty = true;
    if (!inFlight || Date.now() - sentAt > 30000) send(leaving);
}
function watch(w) {
    var names = ["captionChanged", "minimizedChanged", "desktopChanged", "desktopsChanged",
                 "stackingOrderChanged"];
    for (var i = 0; i < names.length; ++i)
        if (w[names[i]]) w[names[i]].connect(function () { changed(""); });
}
function hook(plasma6, plasma5, handler) {
    var signal = workspace[plasma6] || workspace[plasma5];
    if (signal) signal.connect(handler);
}
hook("windowAdded", "clientAdded", function (w) { watch(w); changed(""); });
hook("windowRemoved", "clientRemoved", function (w) { changed(String(w.internalId)); });
hook("windowActivated", "clientActivated", function () { changed(""); });
hook("currentDesktopChanged", "currentDesktopChanged", function () { changed(""); });
var existing = windows();
for (var k = 0; k < existing.length; ++k) watch(existing[k]);
send("");
)JS";

constexpr const char* kActivateScript = R"JS(
(function () {
    var want = "@WINDOW@", ok = false;
    var plasma6 = workspace.activeWindow !== undefined;
    var all = workspace.windowList ? workspace.windowList() : workspace.clientList();
    for (var i = 0; i < all.length; ++i) {
        var w = all[i];
        if (String(w.internalId) !== want) continue;
        if (w.minimized) w.minimized = false;
        if (plasma6) workspace.activeWindow = w; else workspace.activeClient = w;
        var now = plasma6 ? workspace.activeWindow : workspace.activeClient;
        ok = !!now && String(now.internalId) === want;
    }
    callDBus("@SERVICE@", "@PATH@", "@INTERFACE@", "Activated", "@TOKEN@", ok ? "1" : "0");
})();
)JS";

void replace(std::string& text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// Private to the user: another user must not be able to swap what the window manager runs.
std::string writeScriptFile(const std::string& source) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    for (std::string folder : {std::string(runtime ? runtime : ""), std::string("/tmp")}) {
        if (folder.empty()) continue;
        std::string path = folder + "/keyloom-kwin-XXXXXX.js";
        const int fd = ::mkstemps(path.data(), 3);
        if (fd < 0) continue;
        std::size_t done = 0;
        while (done < source.size()) {
            const ssize_t n = ::write(fd, source.data() + done, source.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        if (done == source.size()) return path;
        ::unlink(path.c_str());
    }
    return {};
}

void removeFile(std::string& path) {
    if (!path.empty()) ::unlink(path.c_str());
    path.clear();
}

int onWindows(sd_bus_message* m, void* data, sd_bus_error*) {
    const char* report = nullptr;
    if (sd_bus_message_read(m, "s", &report) >= 0)
        static_cast<KWinWindows*>(data)->reported(sd_bus_message_get_sender(m), report);
    return sd_bus_reply_method_return(m, "");
}

int onActivated(sd_bus_message* m, void* data, sd_bus_error*) {
    const char *token = nullptr, *result = nullptr;
    if (sd_bus_message_read(m, "ss", &token, &result) >= 0)
        static_cast<KWinWindows*>(data)->activated(sd_bus_message_get_sender(m), token, result);
    return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Windows", "s", "", onWindows, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Activated", "ss", "", onActivated, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<KWinWindows> KWinWindows::open() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return nullptr;
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* owner = nullptr;
    const int r =
        sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetNameOwner", &error, &reply, "s", kManager);
    sd_bus_error_free(&error);
    if (r < 0 || sd_bus_message_read(reply, "s", &owner) < 0) {
        sd_bus_message_unref(reply);
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    std::unique_ptr<KWinWindows> windows(new KWinWindows(bus, owner));
    sd_bus_message_unref(reply);
    if (!windows->start()) return nullptr;
    return windows;
}

KWinWindows::KWinWindows(sd_bus* bus, std::string manager)
    : bus_(bus), manager_(std::move(manager)) {}

KWinWindows::~KWinWindows() {
    unload();
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

// The script is named after this connection, so that two programs (or two runs, one of them
// killed before it could unload) never ask for the same name.
bool KWinWindows::start() {
    if (sd_bus_add_object_vtable(bus_, &slot_, kPath, kInterface, kVtable, this) < 0) return false;
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus_, &unique) < 0) return false;
    std::string name = unique;
    for (char& c : name)
        if (c == ':' || c == '.') c = '_';
    const std::string plugin = "keyloom-windows" + name;
    if (!runScript(fill(kReportScript), plugin, scriptFile_)) {
        removeFile(scriptFile_);
        return false;
    }
    plugin_ = plugin;
    // Until the first report, the list would say the desktop has no windows.
    if (!waitFor([this] { return reportSeen_; }, kFirstReportMs)) {
        unload();
        return false;
    }
    return true;
}

std::string KWinWindows::fill(std::string script) const {
    const char* unique = nullptr;
    sd_bus_get_unique_name(bus_, &unique);
    replace(script, "@SERVICE@", unique ? unique : "");
    replace(script, "@PATH@", kPath);
    replace(script, "@INTERFACE@", kInterface);
    return script;
}

// Plasma 6 puts a loaded script at /Scripting/Script<id>, Plasma 5 at /<id>.
bool KWinWindows::runScript(const std::string& source, const std::string& plugin,
                            std::string& file) {
    file = writeScriptFile(source);
    if (file.empty()) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int id = -1;
    int r = sd_bus_call_method(bus_, kManager, "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                               &error, &reply, "ss", file.c_str(), plugin.c_str());
    if (r >= 0) r = sd_bus_message_read(reply, "i", &id);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (r < 0 || id < 0) return false;
    for (const std::string& path :
         {"/Scripting/Script" + std::to_string(id), "/" + std::to_string(id)}) {
        r = sd_bus_call_method(bus_, kManager, path.c_str(), "org.kde.kwin.Script", "run", &error,
                               nullptr, "");
        sd_bus_error_free(&error);
        if (r >= 0) return true;
    }
    unloadScript(plugin);
    return false;
}

void KWinWindows::unloadScript(const std::string& plugin) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_call_method(bus_, kManager, "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
                       &error, nullptr, "s", plugin.c_str());
    sd_bus_error_free(&error);
}

void KWinWindows::unload() {
    if (!plugin_.empty()) unloadScript(plugin_);
    plugin_.clear();
    removeFile(scriptFile_);
}

void KWinWindows::reported(const char* sender, const char* report) {
    if (!sender || manager_ != sender || plugin_.empty()) return;
    list_.apply(report);
    // The manager has read the file by the time the script speaks.
    if (!reportSeen_) removeFile(scriptFile_);
    reportSeen_ = true;
}

void KWinWindows::activated(const char* sender, const char* token, const char* result) {
    if (sender && manager_ == sender && activationToken_ == token)
        activationResult_ = std::strcmp(result, "1") == 0 ? 1 : 0;
}

void KWinWindows::readBus() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
}

bool KWinWindows::waitFor(const std::function<bool()>& done, int milliseconds) {
    const std::int64_t deadline = nowMs() + milliseconds;
    for (;;) {
        readBus();
        if (done()) return true;
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) return false;
        if (sd_bus_wait(bus_, static_cast<std::uint64_t>(left) * 1000) < 0) return false;
    }
}

std::vector<WindowInfo> KWinWindows::enumerateWindows() {
    readBus();
    return list_.windows();
}

WindowId KWinWindows::findWindow(const std::string& title) {
    readBus();
    for (const WindowInfo& w : list_.windows())
        if (w.title == title) return w.id;
    return 0;
}

WindowId KWinWindows::foregroundWindow() {
    readBus();
    return list_.active();
}

bool KWinWindows::windowExists(WindowId window) {
    readBus();
    return !list_.managerId(window).empty();
}

// The manager decides; the answer is whether it has activated the window once asked.
bool KWinWindows::setForegroundWindow(WindowId window) {
    readBus();
    const std::string id = list_.managerId(window);
    if (id.empty() || plugin_.empty()) return false;
    const std::string plugin = plugin_ + "-activate" + std::to_string(++activations_);
    std::string source = fill(kActivateScript);
    replace(source, "@WINDOW@", id);
    replace(source, "@TOKEN@", plugin);
    activationToken_ = plugin;
    activationResult_ = -1;
    std::string file;
    if (runScript(source, plugin, file))
        waitFor([this] { return activationResult_ >= 0; }, kActivationMs);
    unloadScript(plugin);
    removeFile(file);
    activationToken_.clear();
    return activationResult_ == 1;
}

}  // namespace ostrevin::platform
