// The i3-compatible IPC of sway and its relatives, as far as hot keys need it: message framing,
// the binding commands, the binding events, and which key combinations the user's configuration
// already binds. Pure text work, so that it is tested without a compositor.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ostrevin::platform::swayipc {

enum MessageType : std::uint32_t {
    kRunCommand = 0,
    kSubscribe = 2,
    kGetConfig = 9,
    kBindingEvent = 0x80000005,
};

struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

std::string encode(std::uint32_t type, std::string_view payload);

// Collects bytes as they come off the socket and hands out whole messages.
class Reader {
  public:
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<Message> next();

  private:
    std::string buffer_;
};

// A combination as the configuration writes it ("Ctrl+Shift+F5"), brought to one spelling:
// modifier aliases resolved, modifiers sorted, the key in lower case.
std::string normalizeCombo(std::string_view combo);

// The combinations bound in the default mode of a configuration text (get_config's "config"),
// normalized, with "set $var value" substituted.
std::set<std::string> configuredCombos(std::string_view config);

// The string value of the first "key": "value" in a JSON text, unescaped; nullopt when absent.
std::optional<std::string> jsonString(std::string_view json, std::string_view key);
// True when a run_command reply reports every command a success.
bool commandSucceeded(std::string_view reply);

}  // namespace ostrevin::platform::swayipc
