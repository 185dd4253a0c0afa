// The EMP loader's frame: arguments, dictionary, logic pre-pass, reading, the item reader
// that resolves names through the dictionary, the top-level dispatch, the checks after
// reading, the summary and the message channels.
#include "emp/empload.h"

#include <algorithm>
#include <charconv>

#include "bindings/dctmdcdef.h"
#include "emp/zlmheapnew.h"
#include "frame/statlib.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "funclib/evalnew.h"

namespace empdata {

namespace detail {

namespace {

q5rt::sstr num(std::int64_t n) { return strutilx::inttostrw(n, 0); }

}  // namespace

// ---- messages ----

void loader::message(std::string_view text) {
  if (a.callback != nullptr) return a.callback(text, a.userdata);
  statlib::gclog(text);
  statlib::gcstatc(text);
}

void loader::syntax(std::string_view text) {
  statlib::gcstatc(q5rt::concat(" EMP syntax error: ", text));
  statlib::gclog(q5rt::concat("*** EMP syntax error: ", text));
  ++errors;
}

void loader::equerr(std::int32_t row, std::string_view text) {
  statlib::gcstatadde(row, text);
  statlib::gclog(q5rt::concat("*** ", text, ": see listing for details"));
  ++errors;
}

void loader::varerr(std::int32_t col, std::string_view text) {
  statlib::gcstataddv(col, text);
  statlib::gclog(q5rt::concat("*** ", text, ": see listing for details"));
  ++errors;
}

void loader::jacerr(std::int32_t row, std::int32_t col, std::string_view text) {
  statlib::gcstataddj(row, col, text);
  statlib::gclog(q5rt::concat("*** ", text, ": see listing for details"));
  ++errors;
}

void loader::keyexpected() {
  syntax(q5rt::concat("key expected: ", cur.msg));
  stop = true;
}

// ---- items ----

locationtext::locationtext(std::int32_t item, std::int32_t line) {
  constexpr std::string_view opening = "(item ", middle = " on line ";
  char* at = std::copy(opening.begin(), opening.end(), text_);
  at = std::to_chars(at, text_ + sizeof text_, item).ptr;
  at = std::copy(middle.begin(), middle.end(), at);
  at = std::to_chars(at, text_ + sizeof text_, line).ptr;
  *at++ = ')';
  size_ = static_cast<std::size_t>(at - text_);
}

// The first item on a line is item 1 of that line.
locationtext loader::location() const { return {pos - linestart, line}; }

bool loader::advance(std::string_view eofline, std::string_view beyond, empreader::tempitem& it) {
  cur.reset();
  const std::int32_t n = items.count();
  if (pos > n) {
    cur.msg = q5rt::concat(beyond);
    cur.code = key_error;
    return false;
  }
  if (pos == n) {
    cur.msg = q5rt::concat(num(pos), eofline);
    ++pos;
    cur.code = key_eof;
    return false;
  }
  const std::int32_t prevline = line;
  ++pos;
  it = items.item(pos);
  line = it.line;
  if (line != prevline) linestart = pos - 1;
  return true;
}

void loader::next() {
  if (pos >= items.count()) {
    // The end's texts are built only at the end.
    const q5rt::sstr count = num(line);
    empreader::tempitem none({}, 0);
    (void)advance(q5rt::concat(" items found on ", count, "lines").view(),
                  q5rt::concat("reading beyond EOF after reading ", count, "lines").view(), none);
    return;
  }
  empreader::tempitem it({}, 0);
  (void)advance({}, {}, it);
  const std::int32_t code = it.name.size() <= 15 ? empkey(it.name) : key_notakey;
  if (iskeyword(code)) {
    cur.code = code;
    cur.value = it.value;
    cur.msg = q5rt::concat(
        q5rt::shortstring<24>::cut(q5rt::concat("is the key ", empkeytext[code]).view()), " ",
        location());
    return;
  }
  resolve(it);
}

// The symbol's number, type and dimension, asked of the dictionary once per name.
const loader::symbolinfo& loader::symbolof(std::string_view name) {
  const auto found = symbols.find(name);
  if (found != symbols.end()) return found->second;
  symbolinfo s;
  s.sym = dctmdcdef::dctsymindex(dict, q5rt::sstr::cut(name));
  if (s.sym > 0) {
    s.type = dctmdcdef::dctsymtype(dict, s.sym);
    s.dim = dctmdcdef::dctsymdim(dict, s.sym);
  }
  return symbols.emplace(name, s).first->second;
}

std::int32_t loader::labelof(std::int32_t k, std::string_view text) {
  knownlabel& last = lastlabels[static_cast<std::size_t>(k)];
  if (!last.known || last.text != text)
    last = {true, text, dctmdcdef::dctuelindex(dict, q5rt::sstr::cut(text))};
  return last.uel;
}

void loader::resolve(const empreader::tempitem& it) {
  const std::string_view name = it.name.substr(0, q5rt::sstr::capacity);
  const symbolinfo& info = symbolof(it.name);
  const std::int32_t sym = info.sym, type = info.type, dim = it.dimension();
  if (sym <= 0) {
    cur.msg = q5rt::concat("unknown symbol ", name, " ", location());
    cur.code = key_error;
    return;
  }
  if (type != 5 && type != 6) {
    cur.msg = q5rt::concat("is neither a variable nor an equation: ", name, " ", location());
    cur.code = key_notinrim;
    return;
  }
  const bool isequ = type == 6;
  const std::int32_t d = info.dim;
  cur.msg = q5rt::concat("is ", name, " ", location());
  cur.code = isequ ? key_equ : key_var;
  if (d > 0 && dim == 0) {
    // The whole symbol: its first row or column and the size of its block.
    const std::int32_t any[empreader::maxindices] = {};
    std::int32_t first = -1;
    void* search = dctmdcdef::dctfindfirstrowcol(dict, sym, any, first);
    dctmdcdef::dctfindclose(dict, search);
    cur.index = first + 1;
    cur.value = dctmdcdef::dctsymentries(dict, sym);
    if (first < 0) {
      cur.msg.append_cut(" but instance not in model rim");
      cur.code = key_notinrim;
      return;
    }
    return checkrange(isequ);
  }
  if (dim != d) {
    cur.msg = q5rt::concat("has dimension ", num(dim), " but should be ", num(d), ": ",
                           empkeytext[key_error], " ", location());
    cur.code = key_error;
    return;
  }
  std::int32_t uels[empreader::maxindices] = {};
  for (std::int32_t k = 0; k < dim; ++k)
    uels[k] = labelof(k, empreader::unquoted(items.index(it, k)));
  const std::int32_t at =
      isequ ? dctmdcdef::dctrowindex(dict, sym, uels) : dctmdcdef::dctcolindex(dict, sym, uels);
  if (at < 0) {
    cur.msg.append_cut(isequ ? " but instance not in equation rim"
                             : " but instance not in variable rim");
    cur.code = key_notinrim;
    return;
  }
  cur.index = at + 1;
  checkrange(isequ);
}

// A dictionary that does not fit the model could place rows or columns outside it.
void loader::checkrange(bool isequ) {
  const std::int32_t limit = isequ ? myemp.numrows : myemp.numcols;
  if (cur.index >= 1 && std::int64_t{cur.index} + sizeof_item(cur) - 1 <= limit) return;
  cur.msg.append_cut(" but the dictionary places it outside the model");
  cur.code = key_error;
}

void loader::nextident() {
  empreader::tempitem it({}, 0);
  if (!advance(" items found on line", "reading beyond EOF", it)) return;
  if (it.name == "=") {
    cur.msg = q5rt::concat("empkey expected but number found ", location());
    cur.code = key_error;
  } else if (it.dimension() > 0) {
    cur.msg = q5rt::concat("empkey expected but indexed structure found ", location());
    cur.code = key_error;
  } else {
    cur.name = q5rt::sstr::cut(it.name);
    cur.msg = q5rt::concat("is ", cur.name, " ", location());
    cur.code = key_ident;
  }
}

// ---- shared rules ----

std::int32_t loader::checkindices(std::int32_t row, std::int32_t col) {
  std::int32_t rsym = 0, rdim = 0, csym = 0, cdim = 0;
  std::int32_t ruels[empreader::maxindices] = {}, cuels[empreader::maxindices] = {};
  (void)dctmdcdef::dctrowuels(dict, row - 1, rsym, ruels, rdim);
  (void)dctmdcdef::dctcoluels(dict, col - 1, csym, cuels, cdim);
  std::int32_t differ = 0;
  for (std::int32_t k = 0; k < std::clamp(rdim, 0, empreader::maxindices); ++k)
    if (ruels[k] != cuels[k]) ++differ;
  return differ;
}

void loader::setflip(std::int32_t row, bool flipped, std::string_view ambiguous) {
  std::int32_t& f = myemp.flip[row];
  const std::int32_t want = flipped ? 1 : 0;
  if (f == -1) {
    f = want;
    if (flipped) ++myemp.numflipped;
  } else if (f != want) {
    equerr(row, ambiguous);
  }
}

std::int32_t loader::pairsize(const item& first, const item& second, std::int32_t row,
                              std::int32_t col, std::string_view sizeerror) {
  const std::int32_t n1 = sizeof_item(first);
  const std::int32_t n2 = sizeof_item(second);
  if (n1 != n2) jacerr(row, col, sizeerror);
  return std::min(n1, n2);
}

void loader::skippair() {
  next();
  next();
}

bool loader::dashedequ(bool& flipped, std::string_view flipmsg) {
  flipped = is(key_dash);
  if (!flipped) return true;
  next();
  if (isequ()) return true;
  if (!is(key_notinrim)) syntax(flipmsg);
  return false;
}

void loader::markrow(std::int32_t& slot, std::int32_t value, std::int32_t row,
                     std::string_view text) {
  if (slot != 0) {
    equerr(row, text);
  } else {
    slot = value;
  }
}

void loader::markcol(std::int32_t& slot, std::int32_t value, std::int32_t col,
                     std::string_view text) {
  if (slot != 0) {
    varerr(col, text);
  } else {
    slot = value;
  }
}

// ---- the load ----

bool loader::logicprepass() {
  for (std::int32_t r = 1; r <= myemp.numrows; ++r) {
    const std::int32_t i = r - 1;
    if (a.rowtype[i] != zlmspecs::rowb) {
      if (a.instrfirst != nullptr && a.instrfirst[i] != 0) myemp.hasnonlogicnl = 1;
      continue;
    }
    if (myemp.logiccount == nullptr) {
      myemp.logiccount = static_cast<std::int32_t*>(
          myemp.heap->xallocmem64((std::int64_t{myemp.numrows} + 1) * sizeof(std::int32_t)));
      std::fill_n(myemp.logiccount, myemp.numrows + 1, -1);
    }
    std::int32_t count = 0;
    const std::int32_t first = a.instrfirst != nullptr ? a.instrfirst[i] : 0;
    const std::int32_t last = a.instrlast != nullptr ? a.instrlast[i] : 0;
    const int rc = evalnew::logiccount(first, last, a.instr, count);
    if (rc != 0) {
      message(q5rt::concat("*** logicCount has rc=", num(rc)));
      return false;
    }
    if (count < 0) {
      equerr(r, "logical condition contains non-logicals operations");
    } else {
      for (const zlmspecs::tjacrec* e = a.rowfirst[i]; e != nullptr; e = e->rownext)
        if (a.coltype[e->col - 1] != zlmspecs::colbin)
          varerr(e->col, "non-binary varibles in logic equation");
    }
    myemp.logiccount[r] = count;
    ++myemp.numlogic;
  }
  myemp.numitems = myemp.numlogic;
  if (myemp.numlogic > 0) {
    message("--- EMP Summary");
    message(q5rt::concat("    Logical Constraints = ", num(myemp.numlogic)));
  }
  return true;
}

void loader::summary() {
  if (myemp.numlogic == 0) {
    message("--- EMP Summary");
    message("    Logical Constraints = 0");
  }
  const std::int32_t ndisj = myemp_ep->getnumdisj();
  myemp.numitems = myemp.numvifunc + myemp.numadjusted + myemp.numequilagents + myemp.numfollowers +
                   myemp.numlogic + myemp.numdualmaps + ndisj;
  message(q5rt::concat("    Disjunctions        = ", num(ndisj)));
  if (!strutilx::struequal(myemp.solvername, disjunctivesolver)) {
    message(q5rt::concat("    Adjusted Constraint = ", num(myemp.numadjusted)));
    message(q5rt::concat("    Flipped Constraints = ", num(myemp.numflipped)));
    message(q5rt::concat("    Dual Variable Maps  = ", num(myemp.numdualvar)));
    message(q5rt::concat("    Dual Equation Maps  = ", num(myemp.numdualequ)));
    message(q5rt::concat("    VI Functions        = ", num(myemp.numvifunc)));
    message(q5rt::concat("    QVI Parameters      = ", num(myemp.numqvipar)));
    message(q5rt::concat("    Equilibrium Agent   = ", num(myemp.numequilagents)));
    message(q5rt::concat("    Bilevel Followers   = ", num(myemp.numfollowers)));
  }
  message("");
  disjwarnings();
}

std::int32_t loader::run(bool (*read)(empreader::templist&, q5rt::sstr&, const void*),
                         const void* src) {
  if (myemp.allocated == 0) {
    message("*** empalloc not called before");
    return 2;
  }
  q5rt::sstr msg;
  if (a.dicthandle == nullptr || *a.dicthandle == nullptr) {
    bindproto::handle h = nullptr;
    if (!dctmdcdef::dctcreate(h, msg) ||
        dctmdcdef::dctloadex(h, q5rt::sstr::cut(a.dictfile), msg) != 0) {
      dctmdcdef::dctfree(h);
      message("*** Could not open dictionary");
      message(q5rt::concat("*** Msg: ", msg));
      return 2;
    }
    myemp.dicthandle = h;
    if (a.dicthandle != nullptr) *a.dicthandle = h;
    dict = h;
  } else {
    if (!dctmdcdef::dctgetready(msg)) {
      message("*** dctGetReady failed");
      message(q5rt::concat("*** Msg: ", msg));
      return 2;
    }
    dict = *a.dicthandle;
  }
  if (!logicprepass()) return 2;

  if (!read(items, msg, src)) {
    message("");
    message(q5rt::concat("*** Problems reading EMP info file: ", a.empfile));
    if (!msg.empty()) message(q5rt::concat("*** ", msg));
    message("");
    if (items.count() == -1) return 0;
    syntax("empinfo file has syntax errors");
    return 1;
  }

  next();
  while (!stop && !is(key_eof)) {
    switch (cur.code) {
      case key_dualvar:
        dualvar(0);
        break;
      case key_dualequ:
        dualequ();
        break;
      case key_disjunction:
        disjunction();
        break;
      case key_bilevel:
        agents(true);
        break;
      case key_equilibrium:
        agents(false);
        break;
      case key_adjustequ:
        adjustequ();
        break;
      case key_modeltype:
        modeltype();
        break;
      case key_vifunc:
      case key_vi:
        vi(0);
        break;
      case key_qvi:
        qvi();
        break;
      case key_default:
        defaults();
        break;
      case key_parallelstep1:
        parallelstep1();
        break;
      default:
        keyexpected();
        break;
    }
  }

  items = empreader::templist{};
  nyslpforall();
  if (myemp.isbilevel != 0 || myemp.isequilibrium != 0) {
    if (myemp.numagents > 0 && errors == 0) agentchecks();
    if (myemp.isequilibrium != 0) replicationcheck();
  }
  if (myemp.qviseen != 0 && errors == 0) qvicheck();
  if (myemp_ep->getnumdisj() > 0 && !disjcomplete()) return 2;
  myemp.numdualmaps = myemp.numdualvar + myemp.numdualequ;
  summary();
  return errors != 0 ? 1 : 0;
}

}  // namespace detail

namespace {

bool readfile(empreader::templist& items, q5rt::sstr& msg, const void* src) {
  return items.readfile(*static_cast<const std::string_view*>(src), msg);
}

bool readtext(empreader::templist& items, q5rt::sstr& msg, const void* src) {
  return items.readtext(*static_cast<const std::string_view*>(src), msg);
}

}  // namespace

std::int32_t emploadex(const emploadargs& args) {
  detail::loader l(args);
  return l.run(readfile, &args.empfile);
}

std::int32_t empload(emploadargs args) {
  args.collower = nullptr;
  args.colupper = nullptr;
  return emploadex(args);
}

std::int32_t emploadtext(const emploadargs& args, std::string_view text) {
  detail::loader l(args);
  return l.run(readtext, &text);
}

}  // namespace empdata
