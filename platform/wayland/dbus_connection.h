// The program's own connection to the session bus, with what talking to the desktop portal takes:
// a portal method answers at once with a request object and the outcome comes later as that
// object's Response signal, so the signal is subscribed to before the call (under a handle token
// of ours, which fixes the object's path in advance) and waited for with a bound, reading nothing
// but this bus meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct sd_bus;
struct sd_bus_message;

namespace ostrevin::platform {

class DbusConnection {
  public:
    static constexpr std::chrono::milliseconds kResponseTimeout{10000};
    // A request that the desktop may put to the user as a question (GNOME asks whether the
    // program may control the keyboard) waits for the user's answer this long.
    static constexpr std::chrono::milliseconds kQuestionTimeout{60000};

    // nullptr when no session bus answers.
    static std::unique_ptr<DbusConnection> openSession();
    ~DbusConnection();
    DbusConnection(const DbusConnection&) = delete;
    DbusConnection& operator=(const DbusConnection&) = delete;

    sd_bus* bus() const { return bus_; }
    // Whether a program owns the name on the bus now.
    bool hasName(const char* name);
    // A numeric property of a portal interface (its "version"); 0 when it cannot be read.
    std::uint32_t portalVersion(const char* interface);
    // A string property of another service's object; "" when it cannot be read.
    std::string stringProperty(const char* destination, const char* path, const char* interface,
                               const char* name);

    // A fresh token, unique within this connection, for handle_token and session_handle_token.
    std::string newToken();
    // The object path the portal gives the request made under the token.
    std::string requestPath(const std::string& token) const;

    // A method call to the portal's object, for the caller to append its arguments to.
    sd_bus_message* newPortalCall(const char* interface, const char* member);
    // Sends the call (which it takes) made with handle_token `token`, and waits for the request's
    // Response. reader reads the results (an a{sv} the message is positioned at) when the response
    // code is 0. Returns the response code: 0 granted, 1 cancelled by the user, 2 refused or
    // failed; -1 when the call failed or no response came in time.
    int request(sd_bus_message* call, const std::string& token,
                const std::function<void(sd_bus_message* results)>& reader = {},
                std::chrono::milliseconds timeout = kResponseTimeout);

    // Reads and dispatches what has arrived, without waiting.
    void processPending();
    // Sends everything queued, waiting while the bus is behind.
    void flush();

  private:
    explicit DbusConnection(sd_bus* bus);
    sd_bus* bus_;
    std::string senderPart_;  // the unique name as a path element: ":1.42" -> "1_42"
    unsigned tokens_ = 0;
};

// Walks an a{sv} the message is positioned at; for each key, read either reads the variant it is
// positioned at (sd_bus_message_read(m, "v", ...)) and returns true, or returns false to have it
// skipped. False when the message holds no such dictionary there.
bool readVardict(sd_bus_message* message,
                 const std::function<bool(const std::string& key, sd_bus_message*)>& read);

}  // namespace ostrevin::platform
