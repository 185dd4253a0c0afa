// The function suffix table and its lookup.
#include "funclib/zlmfuncs.h"

namespace zlmfuncs {

using suff = q5rt::shortstring<7>;

const suff funcsuff[suffcount] = {
    suff{},
    suff{},
    suff::cut("Grad"),
    suff::cut("Hess"),
    suff::cut("GradN"),
    suff::cut("HessN"),
    suff::cut("Low"),
    suff::cut("High"),
    suff::cut("GradL"),
    suff::cut("GradH"),
    suff::cut("Value"),
};

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sametext(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

}  // namespace

int funcsufflookup(std::string_view suffix) {
  for (int i = suffcount - 1; i >= 1; --i)
    if (sametext(suffix, funcsuff[i].view())) return i;
  return 0;
}

}  // namespace zlmfuncs
