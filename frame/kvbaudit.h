// The banner (audit) line: one 78-character line naming the program and its build.
//
// Usage:
//   kvbaudit::kvbsetsystemname("Zolm/BARON");   // composes the banner line
//   q5rt::sstr line; kvbaudit::kvbgetauditline(line);
//
// Columns of a composed line (1-based): 1-16 system name, 18-23 release "MM.m.n",
// 25-32 revision, 34-54 release date, 56-58 build code, 60-78 platform text.
#pragma once

#include <memory>
#include <string_view>

#include "frame/q5rt.h"

namespace kvbaudit {

inline constexpr std::size_t auditwidth = 78;

// The build information and the banner line composed from it.
class tbuildinfo {
 public:
  tbuildinfo();  // fills the build information; the banner line stays empty
  explicit tbuildinfo(q5rt::sstr& msg) : tbuildinfo() { msg.clear(); }

  void setsystemname(std::string_view name);
  void setauditline(std::string_view framed);  // text with six framing characters at each end
  void getauditline(q5rt::sstr& text) const { text = q5rt::sstr::cut(auditline_); }
  void getrel(q5rt::sstr& text) const;   // major "." minor
  void getgold(q5rt::sstr& text) const;  // maintenance number
  void getrevision(q5rt::sstr& text) const { text = q5rt::sstr::cut(revision_); }

 private:
  q5rt::shortstring<2> major_;
  q5rt::shortstring<1> minor_;
  q5rt::shortstring<1> maint_;
  q5rt::shortstring<12> revision_;
  q5rt::shortstring<21> date_;
  q5rt::shortstring<3> buildcode_;
  q5rt::shortstring<22> platform_;
  q5rt::shortstring<16> systemname_;
  q5rt::shortstring<78> auditline_;
};

// The process-wide object, made by the unit's start-up and freed by its close-down.
inline std::unique_ptr<tbuildinfo> auditinfo;

void kvbsetsystemname(std::string_view name);
void kvbgetauditline(q5rt::sstr& text);
void kvbsetauditline(std::string_view text);
void kvbsetauditlinelib(std::string_view text);
void kvbgetrevision(q5rt::sstr& text);
void kvbgetshortauditline(q5rt::sstr& text);

// Splits a banner line at fixed columns: name 1-16, release 18-29, rest from 31, each trimmed.
void kvbauditfields(std::string_view line, q5rt::sstr& name, q5rt::sstr& release, q5rt::sstr& rest);

// True for an argument of exactly five characters that reads "AUDIT" in capitals.
[[nodiscard]] bool isauditarg(std::string_view arg);

// True when the program's first argument asks for the banner line.
[[nodiscard]] bool kvbauditrun();

}  // namespace kvbaudit
