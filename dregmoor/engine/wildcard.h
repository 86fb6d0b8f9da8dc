// File-name wildcards with the meaning users of the scanner know: "*" any run of characters, "?"
// one character, letters matched without regard to ASCII case, "*.*" every name (also names
// without a dot), "x.*" also the name "x" itself, and a trailing "." only names without an
// extension.
#pragma once

#include <string>
#include <string_view>

namespace ostrevin::dregmoor {

class Wildcard {
  public:
    explicit Wildcard(std::string_view pattern);
    bool matches(std::string_view name) const;
    const std::string& text() const { return text_; }
    // The byte every matching name ends with (letters in lower case), or 0 when the pattern
    // leaves it open; a scan with several patterns turns most names away on it with one compare.
    char lastByte() const { return lastByte_; }

  private:
    enum class Shape { Any, Literal, Suffix, General };
    bool general(std::string_view pattern, std::string_view name) const;

    std::string text_;
    std::string folded_;  // lower-case pattern, trailing dots and ".*" handled by the flags
    Shape shape_ = Shape::General;
    bool orWithoutExtension_ = false;  // "x.*": also the bare "x"
    bool noDotAllowed_ = false;        // "x.": the name has no dot
    char lastByte_ = 0;
};

}  // namespace ostrevin::dregmoor
