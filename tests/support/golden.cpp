#include "support/golden.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/testutil.h"

namespace testutil {

namespace {

std::string replaceall(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Up to 60 bytes of the line that holds byte at, from the line's start (or from 20 bytes
// before at on a long line), quoted, with non-printing bytes escaped.
std::string lineexcerpt(std::string_view text, std::size_t at) {
  const std::size_t nl = at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
  std::size_t from = nl == std::string_view::npos ? 0 : nl + 1;
  if (at - from > 40) from = at - 20;
  std::string out = "\"";
  for (std::size_t i = from; i < text.size() && i < from + 60 && text[i] != '\n'; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02X", c);
      out += esc;
    }
  }
  return out + "\"";
}

}  // namespace

std::string firstdifference(std::string_view got, std::string_view want) {
  if (got == want) return {};
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(got.begin(),
                    got.begin() + static_cast<std::ptrdiff_t>(std::min(got.size(), want.size())),
                    want.begin())
          .first -
      got.begin());
  const auto line =
      std::count(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
  return "first difference at byte " + std::to_string(at) + " (line " + std::to_string(line) +
         "): got " + lineexcerpt(got, at) + ", want " + lineexcerpt(want, at) + "; sizes " +
         std::to_string(got.size()) + " and " + std::to_string(want.size());
}

::testing::AssertionResult matchesgolden(const std::string& path, const std::string& got,
                                         const std::vector<goldenplaceholder>& placeholders) {
  if (std::getenv("UPDATE_GOLDEN") != nullptr) {
    std::string stored = got;
    for (const auto& p : placeholders) stored = replaceall(stored, p.text, p.placeholder);
    write_file(path, stored);
    return ::testing::AssertionSuccess();
  }
  if (!std::filesystem::exists(path))
    return ::testing::AssertionFailure() << path << ": no golden file (UPDATE_GOLDEN=1 writes it)";
  std::string want = read_file(path);
  for (const auto& p : placeholders) want = replaceall(want, p.placeholder, p.text);
  const std::string diff = firstdifference(got, want);
  if (diff.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << ": " << diff;
}

}  // namespace testutil
