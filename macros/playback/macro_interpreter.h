// The advanced macro language: plain characters are typed one by one, and instructions between
// "<<" and ">>" press special keys, combine modifiers, pause, repeat, type the date and time, ask
// for a value, run other macros, wait for and focus windows, and start programs.
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

class MacroPlayer;

class MacroInterpreter {
  public:
    // "<<RUN:" may nest this deep; a macro that runs itself is stopped with a message instead of
    // recursing until the program dies.
    static constexpr int kMaxRunDepth = 32;

    explicit MacroInterpreter(MacroPlayer& player) : player_(player) {}

    void SendKeys(const std::string& text);
    // Carries out the token at the start of the text and returns what follows it (a suffix of
    // the same text).
    std::string_view RunToken(std::string_view text);

  private:
    std::string_view runRepeat(std::string_view text);
    std::string_view runInput(std::string_view text);
    std::string_view runMacrosNamed(std::string_view text);
    std::string_view runLookFor(std::string_view text);
    std::string_view runFocus(std::string_view text);
    std::string_view runExecute(std::string_view text);
    void sendDateTime(int form);
    void typeCharacter(std::string_view character);

    MacroPlayer& player_;
    int runDepth_ = 0;
};

}  // namespace keyloom
