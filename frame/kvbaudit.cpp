// The banner line from the build information that CMake writes into buildinfo.h.
#include "frame/kvbaudit.h"

#include <fstream>
#include <iterator>
#include <string>

#include "buildinfo.h"

namespace kvbaudit {

namespace {

// The piece of s from 1-based column first to column last (npos: the end), empty outside.
std::string_view columns(std::string_view s, std::size_t first, std::size_t last) {
  if (first > s.size()) return {};
  return s.substr(first - 1, last == std::string_view::npos ? last : last - first + 1);
}

template <std::size_t Cap>
q5rt::shortstring<Cap> padded(std::string_view s) {
  q5rt::shortstring<Cap> r = q5rt::shortstring<Cap>::cut(s);
  while (r.size() < Cap) r.append_cut(' ');
  return r;
}

// Appends a field, then cuts the text at the field's end counted with its full width,
// so that an overlong field never moves the fields after it.
void appendfield(std::string& text, std::size_t& end, std::string_view sep, std::string_view field,
                 std::size_t width) {
  text += sep;
  text += field;
  end += sep.size() + width;
  if (text.size() > end) text.resize(end);
}

}  // namespace

tbuildinfo::tbuildinfo()
    : major_(decltype(major_)::cut(::buildinfo::release_major)),
      minor_(decltype(minor_)::cut(::buildinfo::release_minor)),
      maint_(decltype(maint_)::cut(::buildinfo::release_maint)),
      revision_(decltype(revision_)::cut(::buildinfo::revision)),
      date_(padded<21>(::buildinfo::release_date)),
      buildcode_(decltype(buildcode_)::cut(::buildinfo::build_code)),
      platform_(padded<22>(::buildinfo::platform_text)) {}

void tbuildinfo::setsystemname(std::string_view name) {
  systemname_ = padded<16>(name);
  std::string text;
  std::size_t end = 0;
  appendfield(text, end, "", systemname_, 16);
  appendfield(text, end, " ", major_, 2);
  appendfield(text, end, ".", minor_, 1);
  appendfield(text, end, ".", maint_, 1);
  appendfield(text, end, " ", revision_, 12);
  appendfield(text, end, " ", date_, 21);
  appendfield(text, end, " ", buildcode_, 3);
  appendfield(text, end, " ", platform_, 22);
  auditline_ = padded<auditwidth>(text);
  systemname_ = decltype(systemname_)::cut(auditline_.view());
}

void tbuildinfo::setauditline(std::string_view framed) {
  const std::string_view inner =
      framed.size() > 12 ? framed.substr(6, framed.size() - 12) : std::string_view{};
  auditline_ = padded<auditwidth>(inner);
  systemname_ = decltype(systemname_)::cut(auditline_.view());
}

void tbuildinfo::getrel(q5rt::sstr& text) const { text = q5rt::concat(major_, ".", minor_); }

void tbuildinfo::getgold(q5rt::sstr& text) const { text = q5rt::sstr::cut(maint_); }

void kvbsetsystemname(std::string_view name) { auditinfo->setsystemname(name); }
void kvbgetauditline(q5rt::sstr& text) { auditinfo->getauditline(text); }
void kvbsetauditline(std::string_view text) { auditinfo->setauditline(text); }
void kvbsetauditlinelib(std::string_view text) { auditinfo->setauditline(text); }
void kvbgetrevision(q5rt::sstr& text) { auditinfo->getrevision(text); }

void kvbauditfields(std::string_view line, q5rt::sstr& name, q5rt::sstr& release,
                    q5rt::sstr& rest) {
  name = q5rt::sstr::cut(q5rt::trim(columns(line, 1, 16)));
  release = q5rt::sstr::cut(q5rt::trim(columns(line, 18, 29)));
  rest = q5rt::sstr::cut(q5rt::trim(columns(line, 31, std::string_view::npos)));
}

void kvbgetshortauditline(q5rt::sstr& text) {
  q5rt::sstr line, name, release, rest;
  kvbgetauditline(line);
  kvbauditfields(line, name, release, rest);
  text = q5rt::concat(name, " ", rest);
}

bool isauditarg(std::string_view arg) {
  constexpr std::string_view audit = "AUDIT";
  if (arg.size() != audit.size()) return false;
  for (std::size_t i = 0; i < audit.size(); ++i) {
    char c = arg[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != audit[i]) return false;
  }
  return true;
}

bool kvbauditrun() {
  // The process's arguments, NUL-separated, program name first.
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string args{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto first_end = args.find('\0');
  if (first_end == std::string::npos || first_end + 1 >= args.size()) return false;
  const auto start = first_end + 1;
  const auto stop = args.find('\0', start);
  return isauditarg(std::string_view(args).substr(start, stop - start));
}

namespace {
void startup() { auditinfo = std::make_unique<tbuildinfo>(); }
void closedown() { auditinfo.reset(); }
q5rt::unit_registration reg{"kvbaudit", &startup, &closedown};
}  // namespace

}  // namespace kvbaudit
