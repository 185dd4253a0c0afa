// Services of the conversion tool: defined variables (free columns that an equality row
// determines through a linear term), the run of the conversion program on the control
// file, and scalar parameters in a data-exchange file.
#include <cmath>
#include <vector>

#include "baron/gcutil.h"
#include "baron/gcutil_internal.h"
#include "baron/liutil.h"
#include "bindings/vrkdcdef.h"
#include "frame/q5process.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gdutils.h"
#include "instance/zlmconf.h"

namespace gcutil {

namespace {

using detail::num;

constexpr std::string_view supportaddress = "support@zolm.example";
constexpr std::int32_t convertcontrolslot = 104;
constexpr std::int32_t convertcontrolvalue = 273;

// Row and column states of the extraction.
constexpr std::int32_t rowother = 0, rowcandidate = 1, rowfree = 2, rowinequality = 3;
constexpr std::int32_t colignored = 0, colcandidate = 1, colruledout = 2, colfixed = 3;

class extraction {
 public:
  extraction()
      : m_(gcdata::mymodel),
        a_(static_cast<std::size_t>(m_.rows) + 1),
        b_(static_cast<std::size_t>(m_.rows) + 1),
        rowstate_(static_cast<std::size_t>(m_.rows) + 1),
        colstate_(static_cast<std::size_t>(m_.cols) + 1) {}

  void run() {
    m_.defcount = 0;
    m_.defrowlist.resize(static_cast<std::size_t>(m_.rows));
    m_.defcollist.resize(static_cast<std::size_t>(m_.cols));
    for (std::int32_t k = 0; k < m_.cols; ++k) m_.defcollist[static_cast<std::size_t>(k)] = -k - 1;
    classifyrows();
    classifycolumns();
    select();
    fillrest();
  }

 private:
  static bool usable(const zlmspecs::tjacrec* e) {
    return !e->nonlin && std::fabs(e->jacval) > 1e-100;
  }
  std::int32_t rowtype(std::int32_t r) const { return m_.rowtype[static_cast<std::size_t>(r) - 1]; }
  std::int32_t& rowstate(std::int32_t r) { return rowstate_[static_cast<std::size_t>(r)]; }
  std::int32_t& colstate(std::int32_t c) { return colstate_[static_cast<std::size_t>(c)]; }
  std::int32_t& rowat(std::int32_t p) { return m_.defrowlist[static_cast<std::size_t>(p)]; }
  std::int32_t& A(std::int32_t r) { return a_[static_cast<std::size_t>(r)]; }
  std::int32_t& B(std::int32_t r) { return b_[static_cast<std::size_t>(r)]; }

  void classifyrows() {
    m_.defnrows = 0;
    for (std::int32_t i = 1; i <= m_.rows; ++i) {
      const std::int32_t t = rowtype(i);
      if (t == zlmspecs::rowg || t == zlmspecs::rowl) {
        rowstate(i) = rowinequality;
      } else if (t == zlmspecs::rown) {
        rowstate(i) = rowfree;
        rowat(m_.rows - m_.defnrows - 1) = i;
        ++m_.defnrows;
      } else {
        rowstate(i) = rowother;
      }
    }
  }

  bool equalityrow(const zlmspecs::tjacrec* e) const { return rowtype(e->row) == zlmspecs::rowe; }

  void classifycolumns() {
    m_.deffixcols = 0;
    n_ = 0;
    for (std::int32_t j = 1; j <= m_.cols; ++j) {
      const std::size_t k = static_cast<std::size_t>(j) - 1;
      if (m_.collower[k] == m_.colupper[k]) {
        colstate(j) = colfixed;
        m_.defcollist[static_cast<std::size_t>(m_.cols - m_.deffixcols - 1)] = j;
        ++m_.deffixcols;
      } else if (m_.coltype[k] < 0) {
        colstate(j) = colignored;
      } else if (m_.collower[k] != m_.valmin || m_.colupper[k] != m_.valpin) {
        colstate(j) = colruledout;
      } else if (definesome(j)) {
        colstate(j) = colcandidate;
        for (const zlmspecs::tjacrec* e = m_.colfirst[k]; e != nullptr; e = e->colnext) {
          ++A(e->row);
          if (usable(e)) ++B(e->row);
          if (equalityrow(e) && rowstate(e->row) != rowcandidate) {
            rowstate(e->row) = rowcandidate;
            rowat(n_++) = e->row;
          }
        }
      } else {
        colstate(j) = colruledout;
      }
    }
  }

  // The column has a usable element in an =E= row.
  bool definesome(std::int32_t j) const {
    for (const zlmspecs::tjacrec* e = m_.colfirst[static_cast<std::size_t>(j) - 1]; e != nullptr;
         e = e->colnext) {
      if (usable(e) && equalityrow(e)) return true;
    }
    return false;
  }

  void release(std::int32_t c) {
    for (const zlmspecs::tjacrec* e = m_.colfirst[static_cast<std::size_t>(c) - 1]; e != nullptr;
         e = e->colnext) {
      --A(e->row);
      if (usable(e)) --B(e->row);
    }
  }

  void ruleout(std::int32_t c) {
    colstate(c) = colruledout;
    release(c);
  }

  // The best candidate row; rows without a usable element of a candidate column leave.
  std::int32_t best() {
    std::int32_t bestrow = rowat(m_.defcount);
    for (std::int32_t p = m_.defcount; p < n_;) {
      const std::int32_t r = rowat(p);
      if (B(r) == 0) {
        rowstate(r) = rowinequality;
        rowat(p) = rowat(n_ - 1);
        --n_;
        continue;
      }
      if (A(r) < A(bestrow) || (A(r) == A(bestrow) && B(r) < B(bestrow))) bestrow = r;
      ++p;
    }
    return bestrow;
  }

  void define(std::int32_t r, std::int32_t c) {
    m_.defcollist[static_cast<std::size_t>(m_.defcount)] = c;
    ++m_.defcount;
    colstate(c) = -r;
    rowstate(r) = -c;
    release(c);
    for (std::int32_t p = m_.defcount - 1; p < n_; ++p) {
      if (rowat(p) == r) {
        std::swap(rowat(p), rowat(m_.defcount - 1));
        break;
      }
    }
  }

  void select() {
    while (m_.defcount < n_) {
      const std::int32_t r = best();
      if (m_.defcount >= n_) break;
      // The scan's first row may have left the candidates: the next pass picks again.
      if (rowstate(r) != rowcandidate) continue;
      const std::int32_t before = m_.defcount;
      const std::int32_t usablecount = B(r);
      bool kept = false;
      for (const zlmspecs::tjacrec* e = m_.rowfirst[static_cast<std::size_t>(r) - 1]; e != nullptr;
           e = e->rownext) {
        const std::int32_t c = e->col;
        if (colstate(c) != colcandidate) continue;
        if (usablecount == 1 && usable(e)) {
          define(r, c);
        } else if (usablecount > 1 && usable(e) && !kept) {
          kept = true;
        } else {
          ruleout(c);
        }
      }
      // A pass that neither defines a column nor narrows the row would repeat forever.
      if (m_.defcount == before && usablecount <= 1) break;
    }
  }

  void fillrest() {
    std::int32_t p = m_.defcount;
    for (std::int32_t i = 1; i <= m_.rows; ++i) {
      if (rowstate(i) == rowother || rowstate(i) == rowinequality) rowat(p++) = i;
    }
    p = m_.defcount;
    for (std::int32_t j = 1; j <= m_.cols; ++j) {
      if (colstate(j) == colruledout) m_.defcollist[static_cast<std::size_t>(p++)] = j;
    }
  }

  gcdata::tmodel& m_;
  std::vector<std::int32_t> a_;  // candidate elements by row
  std::vector<std::int32_t> b_;  // usable candidate elements by row
  std::vector<std::int32_t> rowstate_;
  std::vector<std::int32_t> colstate_;
  std::int32_t n_ = 0;  // candidate rows
};

// Control integer 104 set for the conversion run; the kept value is written back when the
// object ends, whatever happened in between.
class controlswitch {
 public:
  controlswitch(gdutils::tcontrolrec& rec, zlmconf::tzlmconf& table) : rec_(rec), table_(table) {
    kept_ = rec_.ints[convertcontrolslot];
    rec_.ints[convertcontrolslot] = convertcontrolvalue;
    (void)gdutils::scwritecontrol(rec_, table_);
  }
  ~controlswitch() {
    rec_.ints[convertcontrolslot] = kept_;
    (void)gdutils::scwritecontrol(rec_, table_);
  }
  controlswitch(const controlswitch&) = delete;
  controlswitch& operator=(const controlswitch&) = delete;

 private:
  gdutils::tcontrolrec& rec_;
  zlmconf::tzlmconf& table_;
  std::int32_t kept_ = 0;
};

// The log closed for the child's run and reopened after it, also when the run throws.
class logpause {
 public:
  logpause() { gcdata::gccloselog(); }
  ~logpause() { gcdata::gcopenlog(); }
  logpause(const logpause&) = delete;
  logpause& operator=(const logpause&) = delete;
};

void scalar(bindproto::handle h, std::string_view name, std::string_view text, double value) {
  (void)vrkdcdef::vrkdatawriterawstart(h, q5rt::sstr::cut(name), q5rt::sstr::cut(text), 0, 1, 0);
  const std::int32_t nokeys[1] = {0};
  const double values[5] = {value, 0, 0, 0, 0};
  (void)vrkdcdef::vrkdatawriteraw(h, nokeys, values);
  (void)vrkdcdef::vrkdatawritedone(h);
}

}  // namespace

void extractdefinedvariables() { extraction().run(); }

std::int32_t convosil(std::string_view description, std::string_view filename) {
  const gcdata::tmodel& m = gcdata::mymodel;
  q5rt::sstr msg;
  zlmconf::tzlmconf table(msg);
  gdutils::tcontrolrec rec;
  rec.strs[0] = m.ctrlfile;
  if (!gdutils::screadcontrol(rec, msg, table)) {
    gcdata::gclogstat(
        q5rt::concat("*** Cannot read control file. Please contact ", supportaddress));
    gcdata::gclogstat(q5rt::concat("*** Msg=", msg));
    return 1;
  }
  const q5rt::sstr program = table.scgetattach2(table.scalgnumber("convert"));
  int started = 1;
  int exitcode = 0;
  {
    const controlswitch control(rec, table);
    const q5rt::sstr text = q5rt::concat(liutil::padright(description, 10), ": ", filename);
    statlib::gclog(q5rt::concat("--- Writing ", text, addanchor(filename)));
    gcdata::addfname(filename);
    gcdata::gcmemo(text);
    const logpause pause;
    started = q5process::q5exec2(program, q5rt::concat("\"", m.ctrlfile, "\" convert"), exitcode);
  }
  if (started != 0) {
    gcdata::gclogstat(q5rt::concat("*** Could not spawn module ", program));
    return 1;
  }
  if (exitcode != 0) {
    gcdata::gclogstat(
        q5rt::concat("*** Conversion program ", program, " ended with exit code ", num(exitcode)));
    return 1;
  }
  return 0;
}

void vrkscalari(void* h, std::string_view name, std::string_view text, std::int32_t value) {
  scalar(h, name, text, static_cast<double>(value));
}

void vrkscalarr(void* h, std::string_view name, std::string_view text, double value) {
  scalar(h, name, text, value);
}

}  // namespace gcutil
