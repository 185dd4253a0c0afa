// The solver table and the reading and writing of the control file's solver section.
#include "instance/zlmconf.h"

#include <algorithm>

#include "frame/q5rtnum.h"
#include "frame/strutilx.h"
#include "instance/ctvproc.h"

namespace zlmconf {

namespace {

constexpr std::int32_t lasttype = modeltypecount - 1;  // model types 1..15 in the section
constexpr int namewidth = 11;                          // names padded in written lines

bool validtype(std::int32_t t) { return t >= 0 && t <= lasttype; }

// A token as an integer by the runtime's conversion; the error position is not checked.
std::int32_t toint(std::string_view token) {
  std::int32_t code = 0;
  return q5rt::Q5_Val_SPD(token, code);
}

bool isinteger(std::string_view text) {
  std::int32_t code = 0;
  (void)q5rt::Q5_Val_SPD(text, code);
  return code == 0;
}

}  // namespace

std::string_view nexttoken(std::string_view& rest) {
  const std::size_t blank = rest.find(' ');
  if (blank == std::string_view::npos) {
    const std::string_view token = rest;
    rest = {};
    return token;
  }
  const std::string_view token = rest.substr(0, blank);
  rest = q5rt::trim(rest.substr(blank));
  return token;
}

// ---- textreader ----

void textreader::fail(int code, std::int32_t atline) const {
  const q5rt::sstr text = q5rt::Q5_Str_i0(atline);
  throw q5rt::io_error(code, q5rt::concat(q5rt::iomessage(code), " in line ", text));
}

std::string_view textreader::next_token() {
  while (pos_ < data_.size() && q5rt::is_white(static_cast<unsigned char>(data_[pos_]))) {
    if (data_[pos_] == '\n') ++line_;
    ++pos_;
  }
  const std::size_t start = pos_;
  while (pos_ < data_.size() && !q5rt::is_white(static_cast<unsigned char>(data_[pos_]))) ++pos_;
  return data_.substr(start, pos_ - start);
}

std::int32_t textreader::read_integer() {
  const std::string_view token = next_token();
  if (token.empty()) fail(q5rt::iocode::eof_read, line_);
  std::int32_t code = 0;
  const std::int32_t value = q5rt::Q5_Val_SPD(token, code);
  if (code != 0 || token.size() > q5rt::sstr::capacity) fail(q5rt::iocode::bad_number, line_);
  return value;
}

double textreader::read_real() {
  const std::string_view token = next_token();
  if (token.empty()) fail(q5rt::iocode::eof_read, line_);
  const q5rt::real_read r = q5rt::convert_real_token(token);
  if (r.status != q5rt::read_status::ok || token.size() > q5rt::sstr::capacity) {
    fail(q5rt::iocode::bad_number, line_);
  }
  return r.value;
}

bool textreader::eoln() const {
  if (eof()) return true;
  const char c = data_[pos_];
  return c == '\n' || (c == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n');
}

char textreader::read_char() {
  if (eof()) fail(q5rt::iocode::eof_read, line_);
  if (eoln()) {
    readln();
    return '\n';
  }
  return data_[pos_++];
}

q5rt::sstr textreader::readln_string() { return q5rt::sstr::cut(readln_text()); }

std::string_view textreader::readln_text() {
  const std::size_t lf = std::min(data_.find('\n', pos_), data_.size());
  std::string_view text = data_.substr(pos_, lf - pos_);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);  // "\r\n" or a last "\r"
  readln();
  return text;
}

void textreader::readln() {
  const std::size_t lf = data_.find('\n', pos_);
  if (lf == std::string_view::npos) {
    pos_ = data_.size();
    return;
  }
  pos_ = lf + 1;
  ++line_;
}

// ---- talglist ----

std::int32_t talglist::add(std::unique_ptr<talgrecord> rec) {
  recs_.push_back(std::move(rec));
  return count();
}

talgrecord& talglist::getrec(std::int32_t k) {
  return const_cast<talgrecord&>(static_cast<const talglist&>(*this).getrec(k));
}

const talgrecord& talglist::getrec(std::int32_t k) const {
  if (k == 0) return default_;
  Q5_ASSERT(k >= 1 && k <= count(), "TAlgList.GetRec");
  return *recs_[static_cast<std::size_t>(k - 1)];
}

void talglist::setrec(std::int32_t k, std::unique_ptr<talgrecord> rec) {
  Q5_ASSERT(k >= 1 && k <= count(), "TAlgList.SetRec");
  recs_[static_cast<std::size_t>(k - 1)] = std::move(rec);
}

// ---- tzlmconf ----

tzlmconf::tzlmconf(q5rt::sstr& msg) {
  msg.assign_cut(createfailed);
  msg.clear();
}

std::int32_t tzlmconf::scrdcontrol(textreader& in) {
  // First line: model-type lines m, solvers n and the current solver.
  const q5rt::sstr head = in.readln_string();
  std::string_view rest = head.view();
  const std::int32_t m = std::clamp(toint(nexttoken(rest)), 0, lasttype);
  const std::int32_t n = std::max(toint(nexttoken(rest)), 0);
  currentsolver = toint(rest);

  for (std::int32_t t = 1; t <= m; ++t) {
    const q5rt::sstr line = in.readln_string();
    rest = line.view();
    const std::string_view name = nexttoken(rest);
    const std::int32_t def = toint(nexttoken(rest));
    const std::int32_t chosen = toint(nexttoken(rest));
    const std::string_view procname = ctvproc::procnames[static_cast<std::size_t>(t)];
    if (!strutilx::struequal(name, procname)) {
      q5rt::shortstring<41> first = q5rt::shortstring<41>::cut(msgprocnames);
      first.append_cut(procname);
      q5rt::shortstring<45> second = q5rt::shortstring<45>::cut(first.view());
      second.append_cut(" <> ");
      (void)scsetmsg(q5rt::concat(second.view(), name));
    }
    // A negative solver number is as wrong as one above the count.
    if (def < 0 || def > n) {
      (void)scsetmsg(msgalgdefault);
    } else {
      defaultsolver[static_cast<std::size_t>(t)] = def;
    }
    if (chosen < 0 || chosen > n) {
      (void)scsetmsg(msgalgchosen);
    } else {
      chosensolver[static_cast<std::size_t>(t)] = chosen;
    }
  }
  for (std::int32_t t = m + 1; t <= lasttype; ++t) {
    defaultsolver[static_cast<std::size_t>(t)] = 0;
    chosensolver[static_cast<std::size_t>(t)] = 0;
  }

  solvers.clear();
  // A truncated section ends the list: the control file's reader then meets the end of
  // the text at its next number.
  for (std::int32_t k = 1; k <= n && !in.eof(); ++k) readsolver(in, m);
  return 0;
}

void tzlmconf::readsolver(textreader& in, std::int32_t typelines) {
  std::unique_ptr<talgrecord> rec = talglist::getnewrec();
  const q5rt::sstr linea = in.readln_string();
  std::string_view rest = linea.view();
  rec->solverid.assign_cut(nexttoken(rest));
  rec->filetype = toint(nexttoken(rest));
  rec->dicttype = toint(nexttoken(rest));
  rec->linestofollow = toint(nexttoken(rest));
  for (std::int32_t t = 1; t <= typelines; ++t) {
    if (toint(nexttoken(rest)) != 0) rec->modeltypes[static_cast<std::size_t>(t)] = true;
  }
  const q5rt::sstr lineb = in.readln_string();
  rest = lineb.view();
  rec->scriptname = nexttoken(rest);
  rec->deffile = rest;
  if (rec->linestofollow >= 1) rec->exename = in.readln_string().view();
  if (rec->linestofollow >= 2) rec->libline = in.readln_string().view();
  (void)solvers.add(std::move(rec));
}

std::int32_t tzlmconf::scwrcontrol(q5rt::textfile& out) const {
  out.write("15 ");
  out.write_integer(getnumalgs());
  out.write(' ');
  out.write_integer(currentsolver);
  out.writeln();
  for (std::int32_t t = 1; t <= lasttype; ++t) {
    out.write(strutilx::padright(ctvproc::procnames[static_cast<std::size_t>(t)], namewidth));
    out.write(' ');
    out.write_integer(defaultsolver[static_cast<std::size_t>(t)]);
    out.write(' ');
    out.write_integer(chosensolver[static_cast<std::size_t>(t)]);
    out.writeln();
  }
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) {
    const talgrecord& rec = solvers.getrec(k);
    out.write(strutilx::padright(rec.solverid.view(), namewidth));
    out.write(' ');
    out.write_integer(rec.filetype);
    out.write(' ');
    out.write_integer(rec.dicttype);
    out.write(' ');
    out.write_integer(rec.linestofollow > 0 ? 1 : rec.linestofollow);
    for (std::int32_t t = 1; t <= lasttype; ++t) {
      out.write(rec.modeltypes[static_cast<std::size_t>(t)] ? " 1" : " 0");
    }
    out.writeln();
    out.write(rec.scriptname);
    if (!rec.deffile.empty()) {
      out.write(' ');
      out.write(rec.deffile);
    }
    out.writeln();
    // Only a positive count announces the line to the reader: a negative one writes none.
    if (rec.linestofollow > 0) out.writeln(rec.exename);
  }
  return 0;
}

// ---- accessors ----

std::int32_t tzlmconf::scalgnumber(std::string_view name) const {
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) {
    if (strutilx::struequal(solvers.getrec(k).solverid.view(), name)) return k;
  }
  return 0;
}

talgrecord* tzlmconf::findbyname(std::string_view name) {
  const std::int32_t k = scalgnumber(name);
  return k == 0 ? nullptr : &solvers.getrec(k);
}

q5rt::sstr tzlmconf::scalgname(std::int32_t k) const {
  if (!insolvers(k)) return q5rt::sstr::cut(unknownsolver);
  return q5rt::sstr::cut(solvers.getrec(k).solverid.view());
}

std::int32_t tzlmconf::scgetdefault(std::int32_t t) const {
  return validtype(t) ? defaultsolver[static_cast<std::size_t>(t)] : 0;
}

std::int32_t tzlmconf::scgetalgchosen(std::int32_t t) const {
  return validtype(t) ? chosensolver[static_cast<std::size_t>(t)] : 0;
}

void tzlmconf::scsetalgchosen(std::int32_t t, std::int32_t k) {
  Q5_ASSERT(k >= 0 && k <= getnumalgs() && validtype(t), "tzlmconf.SCsetAlgchosen");
  chosensolver[static_cast<std::size_t>(t)] = k;
}

std::int32_t tzlmconf::setcurrentalg(std::int32_t t) {
  const std::int32_t chosen = scgetalgchosen(t);
  currentsolver = chosen != 0 ? chosen : scgetdefault(t);
  return currentsolver;
}

void tzlmconf::scsetcurrentalg(std::int32_t k) { currentsolver = insolvers(k) ? k : 0; }

bool tzlmconf::sccapability(std::int32_t k, std::int32_t t) const {
  return insolvers(k) && validtype(t) && solvers.getrec(k).modeltypes[static_cast<std::size_t>(t)];
}

bool tzlmconf::scgetdefaultok(std::int32_t k) const {
  return insolvers(k) && solvers.getrec(k).defaultokflag;
}

bool tzlmconf::scgethidden(std::int32_t k) const {
  return insolvers(k) && solvers.getrec(k).hiddenflag;
}

std::int32_t tzlmconf::scgetdicttype(std::int32_t k) const {
  return insolvers(k) ? solvers.getrec(k).dicttype : -1;
}

std::int32_t tzlmconf::scgetloadtype(std::int32_t k) const {
  return insolvers(k) ? solvers.getrec(k).linestofollow : -1;
}

std::int32_t tzlmconf::scgetfiletype(std::int32_t k) const { return solvers.getrec(k).filetype; }

q5rt::sstr tzlmconf::scgetattach(std::int32_t k) const {
  return q5rt::sstr::cut(solvers.getrec(k).scriptname);
}

q5rt::sstr tzlmconf::scgetattach2(std::int32_t k) const {
  return q5rt::sstr::cut(solvers.getrec(k).exename);
}

q5rt::sstr tzlmconf::scgetattach3(std::int32_t k) const {
  return q5rt::sstr::cut(solvers.getrec(k).libline);
}

q5rt::sstr tzlmconf::scgetdeffile(std::int32_t k) const {
  const talgrecord& rec = solvers.getrec(k);
  if (!rec.deffile.empty()) return q5rt::sstr::cut(rec.deffile);
  return q5rt::concat("opt", strutilx::lowercase(rec.solverid.view()), ".def");
}

void tzlmconf::scsetalgattachtxt3(std::string_view name, std::string_view text) {
  if (talgrecord* rec = findbyname(name)) rec->libline = q5rt::sstr::cut(text).view();
}

void tzlmconf::scsetalghidden(std::string_view name, bool flag) {
  if (talgrecord* rec = findbyname(name)) rec->hiddenflag = flag;
}

void tzlmconf::scsetalgdefaultok(std::string_view name, bool flag) {
  if (talgrecord* rec = findbyname(name)) rec->defaultokflag = flag;
}

q5rt::sstr tzlmconf::gettxtormissing(std::string_view text) {
  return q5rt::sstr::cut(text.empty() ? missingtext : text);
}

// ---- messages ----

std::int32_t tzlmconf::scsetmsg(std::string_view text) {
  if (messages.size() < maxmessages) {
    messages.push_back(q5rt::sstr::cut(text));
  } else if (messages.size() == maxmessages) {
    messages.push_back(q5rt::sstr::cut(moremessages));
  }
  return scnummsg();
}

q5rt::sstr tzlmconf::scgetmsg() {
  if (messages.empty()) return q5rt::sstr::cut(nomessages);
  const q5rt::sstr oldest = messages.front();
  messages.pop_front();
  return oldest;
}

void tzlmconf::scdump() {
  (void)scsetmsg("SUBSYSTEM SUMMARY");
  (void)scsetmsg("");
  (void)scsetmsg("  N Name        Capability");
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) {
    q5rt::sstr line = strutilx::padleft(q5rt::Q5_Str_i0(k), 3);
    line.append_cut(' ');
    line.append_cut(strutilx::padright(scalgname(k), namewidth));
    for (std::int32_t t = 1; t <= lasttype; ++t) {
      if (!sccapability(k, t)) continue;
      line.append_cut(' ');
      line.append_cut(ctvproc::procnames[static_cast<std::size_t>(t)]);
    }
    (void)scsetmsg(line);
  }
  (void)scsetmsg("");
  (void)scsetmsg("");
  (void)scsetmsg("Subsystem Assignment");
  (void)scsetmsg("");
  (void)scsetmsg("Type       Default    Current");
  bool missing = false;
  for (std::int32_t t = 1; t <= lasttype; ++t) {
    q5rt::sstr line =
        strutilx::padright(ctvproc::procnames[static_cast<std::size_t>(t)], namewidth);
    const std::int32_t def = scgetdefault(t);
    if (def != 0) {
      line.append_cut(' ');
      line.append_cut(strutilx::padright(scalgname(def), namewidth));
      if (const std::int32_t chosen = scgetalgchosen(t); chosen != 0) {
        line.append_cut(' ');
        line.append_cut(strutilx::padright(scalgname(chosen), namewidth));
      }
    } else {
      line.append_cut(" *");
      missing = true;
    }
    (void)scsetmsg(line);
  }
  if (missing) {
    (void)scsetmsg("");
    (void)scsetmsg("* No subsystem available to solve this model type");
  }
}

// ---- the second naming ----

std::int32_t tzlmconf::cfgdefaultalg(std::int32_t t) const {
  return validtype(t) ? defaultsolver[static_cast<std::size_t>(t)] : -1;
}

bool tzlmconf::cfgalgcapability(std::int32_t k, std::int32_t t) const {
  return validtype(t) && sccapability(k, t);
}

q5rt::sstr tzlmconf::cfgmodeltypename(std::int32_t t) {
  return q5rt::sstr::cut(validtype(t) ? ctvproc::procnames[static_cast<std::size_t>(t)]
                                      : nosuchmodeltype);
}

std::int32_t tzlmconf::cfgmodeltypenumber(std::string_view name) {
  for (std::int32_t t = 0; t <= lasttype; ++t) {
    if (strutilx::struequal(ctvproc::procnames[static_cast<std::size_t>(t)], name)) return t;
  }
  return 0;
}

bool tzlmconf::cfgdeffilename(std::string_view solvername, q5rt::sstr& file) const {
  const std::int32_t k = scalgnumber(solvername);
  file = k == 0 ? q5rt::sstr() : scgetdeffile(k);
  return k != 0;
}

// ---- work records ----

void tzlmconf::scwritework(q5rt::textfile& out) const {
  out.write_integer(getnumalgs());
  out.writeln(" 0 0");
  for (std::int32_t t = 1; t <= lasttype; ++t) {
    out.write_integer(chosensolver[static_cast<std::size_t>(t)]);
    out.writeln();
  }
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) out.writeln(solvers.getrec(k).solverid.view());
}

void tzlmconf::clearwork() {
  for (std::int32_t t = 1; t <= lasttype; ++t) {
    defaultsolver[static_cast<std::size_t>(t)] = 0;
    chosensolver[static_cast<std::size_t>(t)] = 0;
  }
  solvers.clear();
}

void tzlmconf::screadwork(textreader& in) {
  clearwork();
  q5rt::sstr line = in.readln_string();
  std::string_view rest = line.view();
  const std::int32_t n = std::max(toint(nexttoken(rest)), 0);
  // Up to fifteen chosen solvers; the first line that is no number is the first name.
  bool pending = false;
  for (std::int32_t t = 1; t <= lasttype && !in.eof(); ++t) {
    line = in.readln_string();
    const std::string_view text = q5rt::trim(line.view());
    if (!isinteger(text)) {
      pending = true;
      break;
    }
    chosensolver[static_cast<std::size_t>(t)] = toint(text);
  }
  while (getnumalgs() < n && (pending || !in.eof())) {
    if (!pending) line = in.readln_string();
    pending = false;
    std::unique_ptr<talgrecord> rec = talglist::getnewrec();
    rec->solverid.assign_cut(q5rt::trim(line.view()));
    (void)solvers.add(std::move(rec));
  }
}

void tzlmconf::scwriteworkex(zlmstrm::txstream& out) const {
  out.writeinteger(getnumalgs());
  for (std::int32_t t = 1; t <= lasttype; ++t) {
    out.writeinteger(chosensolver[static_cast<std::size_t>(t)]);
  }
  for (std::int32_t k = 1; k <= getnumalgs(); ++k) out.writestring(solvers.getrec(k).solverid);
}

void tzlmconf::screadworkex(zlmstrm::txstream& in, std::int32_t streamversion) {
  clearwork();
  const std::int32_t n = in.readinteger();
  const std::int32_t types = streamversion <= 229 ? lasttype - 1 : lasttype;
  for (std::int32_t t = 1; t <= types; ++t) {
    chosensolver[static_cast<std::size_t>(t)] = in.readinteger();
  }
  // A name takes at least its length byte: a short stream ends the list.
  while (getnumalgs() < n && in.getposition() < in.getsize()) {
    std::unique_ptr<talgrecord> rec = talglist::getnewrec();
    in.readstring(rec->solverid);
    (void)solvers.add(std::move(rec));
  }
}

}  // namespace zlmconf
