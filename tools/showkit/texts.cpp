#include "texts.h"

#include "show_kit.h"

namespace showkit {

const std::vector<CreditLine>& creditLines() {
  using K = CreditLine::Kind;
  static const std::vector<CreditLine> lines{
      {K::Title, "TOLVEK"},
      {K::Name, "Looking at Eternity"},
      {K::Gap, ""},
      {K::Heading, "code"},
      {K::Name, "Kerhol"},
      {K::Name, "Brae"},
      {K::Gap, ""},
      {K::Heading, "pictures"},
      {K::Name, "Morvan"},
      {K::Gap, ""},
      {K::Heading, "music"},
      {K::Name, "Ysel"},
      {K::Gap, ""},
      {K::Heading, "levels and models"},
      {K::Name, "Brae"},
      {K::Name, "Kerhol"},
      {K::Gap, ""},
      {K::Heading, "greetings"},
      {K::Name, "Aubade  -  Brume  -  Dolmen"},
      {K::Name, "Ecume  -  Fanal  -  Granit"},
      {K::Name, "Houle  -  Jusant  -  Korrigan"},
      {K::Name, "Lande  -  Menhir  -  Noroit"},
      {K::Gap, ""},
      {K::Heading, "thanks"},
      {K::Name, "the brothers of the abbey"},
      {K::Name, "for the silence"},
      {K::Gap, ""},
      {K::Gap, ""},
      {K::Name, "the water goes on"},
      {K::Name, "the light stays"},
  };
  return lines;
}

std::string scrollText() {
  std::string text;
  for (const CreditLine& line : creditLines()) {
    text += line.text;
    text += "\r\n";
  }
  return text;
}

void writeTexts(ShowFolder& folder) { folder.writeText("scroll.txt", scrollText()); }

}  // namespace showkit
