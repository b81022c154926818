// The credits: written as scroll.txt and rendered into the scrolling credits picture.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace showkit {

struct CreditLine {
  enum class Kind { Title, Heading, Name, Gap } kind;
  std::string_view text;
};

const std::vector<CreditLine>& creditLines();

// The credits as a Windows text file: one line per entry, carriage return + line feed.
std::string scrollText();

}  // namespace showkit
