// Label checks of the data-exchange format.
#include "instance/vkdefs.h"

#include <algorithm>

namespace vkdefs {

bool canbequoted(std::string_view text) {
  const bool control = std::any_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 32; });
  const bool both_quotes =
      text.find('\'') != std::string_view::npos && text.find('"') != std::string_view::npos;
  return !control && !both_quotes;
}

bool gooduelstring(std::string_view text) { return text.size() < 64 && canbequoted(text); }

}  // namespace vkdefs
