// The control file: the modelling system's description of one solve (model size and
// type, options, the names of the scratch files, log, status and solution file and the
// directories, with the solver table's section in the middle). Every version is read;
// fields that an older version lacks get their defaults. The writer writes version 53.
//
// Usage:
//   gdutils::tcontrolrec rec;
//   rec.strs[0].assign_cut(path);
//   q5rt::sstr msg;
//   q5rt::sstr tablemsg;
//   zlmconf::tzlmconf table(tablemsg);
//   if (!gdutils::screadcontrol(rec, msg, table)) fail(msg);
//   use(rec.ints[1]);                               // the number of rows
//
// Text lines that this system does not use keep their texts in string slots that no
// field uses (12 to 16, 27, 28, 30, 31; the unused flagged-name line in integer 146 and
// string 31), so that a file written and read back keeps every slot.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "frame/q5rt.h"
#include "instance/zlmconf.h"

namespace gdutils {

inline constexpr int controlints = 152;
inline constexpr int controlreals = 30;
inline constexpr int controlstrings = 32;
inline constexpr std::int32_t writeversion = 53;

// The control file's contents: integers I[0..151], reals R[0..29], strings S[0..31].
struct tcontrolrec {
  std::array<std::int32_t, controlints> ints{};
  std::array<double, controlreals> reals{};
  std::array<q5rt::sstr, controlstrings> strs{};
};

inline constexpr std::string_view couldnotopencontrol = "*** Could not open Control File '";

// Reads the control file named by S[0] into rec and the table's solver section, then loads
// the extrinsic-function libraries that it names. True on success; otherwise msg says why
// (slots read before an error keep their values, S[0] is the name opened). Refused
// unread: a name that is not a regular file, a file above 16 MB. A line that names a file
// or a directory and does not fit its 255-character string is an error ("File name too
// long in line N"), never a shortened name; other string lines are cut.
[[nodiscard]] bool screadcontrol(tcontrolrec& rec, q5rt::sstr& msg, zlmconf::tzlmconf& table);

// The string entry of the reader: the layout from the text, S[0] := name at the end. No
// extrinsic-function step. False with the reason in msg for a malformed or short text.
[[nodiscard]] bool parse(std::string_view data, std::string_view name, tcontrolrec& rec,
                         q5rt::sstr& msg, zlmconf::tzlmconf& table);

// Writes the control file named by S[0] in version 53: 0 written, 1 not created.
[[nodiscard]] std::int32_t scwritecontrol(const tcontrolrec& rec, const zlmconf::tzlmconf& table);
[[nodiscard]] std::int32_t scwritecontrolx(const tcontrolrec& rec, const zlmconf::tzlmconf& table);

// The message callback of the extrinsic-function loader: "*** " and the text on standard
// output.
void msgcb(std::string_view message);

}  // namespace gdutils
