#include "macros/playback/macro_interpreter.h"

#include "common/text.h"
#include "macros/catalogue/launch_command.h"
#include "macros/playback/macro_error.h"
#include "macros/playback/macro_player.h"
#include "macros/playback/modifier_keys.h"

namespace keyloom {

namespace {

using ostrevin::startsWithIgnoreAsciiCase;

struct SpecialKey {
    const char* token;
    const char* keys;
};

constexpr SpecialKey kSpecialKeys[] = {
    {"<<ENTER>>", "{ENTER}"},    {"<<F1>>", "{F1}"},
    {"<<F2>>", "{F2}"},          {"<<F3>>", "{F3}"},
    {"<<F4>>", "{F4}"},          {"<<F5>>", "{F5}"},
    {"<<F6>>", "{F6}"},          {"<<F7>>", "{F7}"},
    {"<<F8>>", "{F8}"},          {"<<F9>>", "{F9}"},
    {"<<F10>>", "{F10}"},        {"<<F11>>", "{F11}"},
    {"<<F12>>", "{F12}"},        {"<<TAB>>", "{TAB}"},
    {"<<BACKSPACE>>", "{BKSP}"}, {"<<INSERT>>", "{INSERT}"},
    {"<<DELETE>>", "{DELETE}"},  {"<<HOME>>", "{HOME}"},
    {"<<END>>", "{END}"},        {"<<PAGEUP>>", "{PGUP}"},
    {"<<PAGEDOWN>>", "{PGDN}"},  {"<<PRINTSCREEN>>", "{PRTSC}"},
    {"<<UP>>", "{UP}"},          {"<<DOWN>>", "{DOWN}"},
    {"<<LEFT>>", "{LEFT}"},      {"<<RIGHT>>", "{RIGHT}"},
    {"<<ESC>>", "{ESC}"},
};

// The text before the first occurrence of the mark; "" when it is missing.
std::string_view upTo(std::string_view text, std::string_view mark) {
    const auto pos = mark.empty() ? std::string_view::npos : text.find(mark);
    return pos == std::string_view::npos ? std::string_view() : text.substr(0, pos);
}

// Removes up to and including the first character of the mark, and `extra` characters more; a
// missing mark counts as position 0. With extra = mark length - 1 this removes through the mark.
std::string_view cutAfter(std::string_view text, std::string_view mark, std::size_t extra) {
    const auto pos = mark.empty() ? std::string_view::npos : text.find(mark);
    const std::size_t first = pos == std::string_view::npos ? 0 : pos + 1;
    return text.substr(std::min(first + extra, text.size()));
}

// Prefix characters typed as characters for the span of one send, also when it fails.
class TokensOnlyScope {
  public:
    explicit TokensOnlyScope(KeyStringSender& sender) : sender_(sender) {
        sender_.setTokensOnly(true);
    }
    ~TokensOnlyScope() { sender_.setTokensOnly(false); }
    TokensOnlyScope(const TokensOnlyScope&) = delete;
    TokensOnlyScope& operator=(const TokensOnlyScope&) = delete;

  private:
    KeyStringSender& sender_;
};

}  // namespace

void MacroInterpreter::SendKeys(const std::string& macroText) {
    const std::string text = ostrevin::trimControl(macroText);
    std::string_view rest = text;
    while (!rest.empty()) {
        if (rest.substr(0, 2) == "<<") {
            rest = RunToken(rest);
            continue;
        }
        const std::size_t length = ostrevin::firstCharLength(rest);
        // A line break of the file is CR LF; one Return types it, as it does on the desktop the
        // files come from.
        if (rest[0] == '\r' && rest.size() > 1 && rest[1] == '\n') {
            rest.remove_prefix(1);
            continue;
        }
        typeCharacter(rest.substr(0, length));
        rest.remove_prefix(length);
    }
}

void MacroInterpreter::typeCharacter(std::string_view character) {
    KeyStringSender& sender = player_.services().sender;
    if (character == "@" || character == "~" || character == "^") {
        TokensOnlyScope literal(sender);
        sender.Send(character);
    } else {
        sender.Send(character);
    }
}

std::string_view MacroInterpreter::RunToken(std::string_view text) {
    PlayerServices& s = player_.services();
    if (const ModifierToken modifier = findModifierToken(text); modifier.index != 0) {
        const std::string rest = runModifierToken(text, modifier, s.sender);
        return text.substr(text.size() - rest.size());
    }
    for (const auto& key : kSpecialKeys) {
        if (!startsWithIgnoreAsciiCase(text, key.token)) continue;
        s.sender.Send(key.keys);
        return text.substr(std::string_view(key.token).size());
    }
    for (const char* pause : {"<<SECS", "<<MINS"}) {
        if (!startsWithIgnoreAsciiCase(text, pause)) continue;
        text.remove_prefix(6);
        player_.Pause(macroInteger(std::string(upTo(text, ">"))), pause[2] == 'S' ? 1 : 2);
        return cutAfter(text, ">", 1);
    }
    if (startsWithIgnoreAsciiCase(text, "<<REP")) return runRepeat(text);
    const char* dateTokens[] = {"<<SHORTDATE>>", "<<LONGDATE>>", "<<SHORTTIME>>", "<<LONGTIME>>"};
    for (int form = 0; form < 4; ++form) {
        if (!startsWithIgnoreAsciiCase(text, dateTokens[form])) continue;
        sendDateTime(form);
        return text.substr(std::string_view(dateTokens[form]).size());
    }
    if (startsWithIgnoreAsciiCase(text, "<<INPUT:")) return runInput(text);
    if (startsWithIgnoreAsciiCase(text, "<<WRITEVALUE>>")) {
        {
            TokensOnlyScope literal(s.sender);
            s.sender.Send(ostrevin::cutToChars(player_.InputValue, 255));
            s.pump.processMessages();
        }
        return text.substr(14);
    }
    if (startsWithIgnoreAsciiCase(text, "<<RUN:")) return runMacrosNamed(text);
    if (startsWithIgnoreAsciiCase(text, "<<LOOKFOR:")) return runLookFor(text);
    if (startsWithIgnoreAsciiCase(text, "<<FOCUS:")) return runFocus(text);
    if (startsWithIgnoreAsciiCase(text, "<<EXECUTE:")) return runExecute(text);
    return text.substr(2);  // not a token: the rest is typed as text
}

std::string_view MacroInterpreter::runRepeat(std::string_view text) {
    text.remove_prefix(5);
    const std::string_view withCount = text;
    text = cutAfter(text, ">", 1);
    const std::string body(upTo(text, "<<ENDREP>>"));
    const int count = macroInteger(std::string(upTo(withCount, ">")));
    player_.RepMac(count, body);
    return cutAfter(withCount, "<<ENDREP>>", 9);
}

void MacroInterpreter::sendDateTime(int form) {
    PlayerServices& s = player_.services();
    using ostrevin::platform::TimeFormat;
    const TimeFormat forms[] = {TimeFormat::ShortDate, TimeFormat::LongDate, TimeFormat::ShortTime,
                                TimeFormat::LongTime};
    s.sender.setTokensOnly(false);
    s.sender.Send(ostrevin::cutToChars(s.clock.format(s.clock.now(), forms[form]), 255));
}

std::string_view MacroInterpreter::runInput(std::string_view text) {
    PlayerServices& s = player_.services();
    text.remove_prefix(8);
    const auto previous = s.windows.foregroundWindow();
    player_.InputValue = s.askInput ? s.askInput(std::string(upTo(text, ">>"))) : std::string();
    s.windows.setForegroundWindow(previous);
    return cutAfter(text, ">>", 1);
}

std::string_view MacroInterpreter::runMacrosNamed(std::string_view text) {
    text.remove_prefix(6);
    const std::string name(upTo(text, ">"));
    if (runDepth_ >= kMaxRunDepth)
        throw MacroError("The macro \"" + name +
                         "\" was stopped: macros ran other macros more than " +
                         std::to_string(kMaxRunDepth) + " levels deep.");
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(++d) {}
        ~Depth() { --depth; }
    } depth(runDepth_);
    for (int number : player_.services().catalogue.findByName(name)) player_.ProcessHotKey(number);
    return cutAfter(text, ">", 1);
}

std::string_view MacroInterpreter::runLookFor(std::string_view text) {
    text.remove_prefix(10);
    const std::string separator = player_.services().catalogue.waitForSeparator();
    const std::string title(upTo(text, separator));
    text = cutAfter(text, separator, 1);
    for (const char* unit : {"SECS:", "MINS:"}) {
        if (!startsWithIgnoreAsciiCase(text, unit)) continue;
        text.remove_prefix(5);
        player_.WaitForWindow(title, unit[0] == 'S', macroInteger(std::string(upTo(text, ">>"))));
        text = cutAfter(text, ">>", 1);
    }
    return text;
}

std::string_view MacroInterpreter::runFocus(std::string_view text) {
    PlayerServices& s = player_.services();
    text.remove_prefix(8);
    s.windows.setForegroundWindow(s.windows.findWindow(std::string(upTo(text, ">"))));
    return cutAfter(text, ">>", 1);
}

std::string_view MacroInterpreter::runExecute(std::string_view text) {
    text.remove_prefix(10);
    // Only a "~~" inside the token's own ">>" makes the long form: one further on in the macro
    // must not take the file apart.
    const std::string_view body = upTo(text, ">>");
    LaunchCommand command = splitLaunchCommand(body);
    player_.services().launcher.open(command.file, command.parameters, command.folder);
    return cutAfter(text, ">>", 1);
}

}  // namespace keyloom
