// The solution file from the model record: head items, the row and column records when
// the model status reports a solution, tail items.
#include <array>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

#include "frame/q5rtnum.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "instance/gdutils_solution.h"
#include "instance/zlmconf.h"
#include "instance/zlmspecs.h"

namespace gcdata {

namespace {

constexpr std::string_view failedrewrite = "*** failed rewrite on solution: ";
constexpr std::string_view failedwrite = "*** failed write on solution: ";

// Tail item indexes of tailinfo's slots: there is no item 4.
constexpr std::int32_t tailindex[] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12};
static_assert(std::size(tailindex) == std::tuple_size_v<decltype(tmodel::tailinfo)>);

// Element i (from 1) of a row or column array, or the fallback when the array does not
// reach it (a load that failed part way).
template <typename T>
T item(const std::vector<T>& v, std::int32_t i, T fallback) {
  return i >= 1 && static_cast<std::size_t>(i) <= v.size() ? v[static_cast<std::size_t>(i - 1)]
                                                           : fallback;
}

void logrc(std::string_view head, std::string_view name, std::int32_t rc) {
  statlib::gclog(q5rt::concat(head, name));
  statlib::gclog(q5rt::concat("*** RC=", q5rt::Q5_Str_i0(rc), " ", q5rt::syserrortext(rc)));
}

// The solution file that could not be written whole: a regular file is removed, so that
// no partial answer is left behind; a device (/dev/full) or anything else stays.
void removeincomplete(std::string_view name) {
  const std::filesystem::path path(name);
  std::error_code ec;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)))
    (void)std::filesystem::remove(path, ec);
}

// Head item 9: 1 when the objective's rows carry marginals (or there is no objective
// variable), 0 when every row of the objective variable has an NA marginal or it has
// no Jacobian element. A NaN marginal counts as carried.
double objmarginals(const tmodel& m) {
  if (m.objvar < 1 || m.objvar > m.cols) return 1.0;  // absent or not a column
  for (const zlmspecs::tjacrec* e = item<elemptr>(m.colfirst, m.objvar, nullptr); e != nullptr;
       e = e->colnext) {
    if (!(item(m.rowmarginal, e->row, zlmspecs::valna) == zlmspecs::valna)) return 1.0;
  }
  return 0.0;
}

void writehead(gdutils::tmodfile& h, const tmodel& m) {
  gdutils::wrsolheadtail(h, 1, m.solvestat);
  gdutils::wrsolheadtail(h, 2, m.modelstat);
  for (std::int32_t k = 0; k < 4; ++k) {
    gdutils::wrsolheadtail(h, k + 3, m.headinfo[static_cast<std::size_t>(k)]);
  }
  gdutils::wrsolheadtail(h, 9, objmarginals(m));
  gdutils::wrsolheadtail(h, 0, 0.0);
}

void writetail(gdutils::tmodfile& h, const tmodel& m) {
  for (std::size_t k = 0; k < std::size(tailindex); ++k) {
    if (m.tailinfo[k] != zlmspecs::valna) gdutils::wrsolheadtail(h, tailindex[k], m.tailinfo[k]);
  }
  gdutils::wrsolheadtail(h, 0, 0.0);
}

// No solution stored: rows with their marginals, columns with level and marginal, all
// basic.
void writeunsolved(gdutils::tmodfile& h, const tmodel& m) {
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    gdutils::wrsolrec(h, 0, 3, 0.0, item(m.rowmarginal, i, 0.0));
  }
  gdutils::wrsolrowsdone(h);
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    gdutils::wrsolrec(h, 0, 3, item(m.collevel, j, 0.0), item(m.colmarginal, j, 0.0));
  }
}

// The stored solution; scaled, a row carries the scale of the column that it matches
// and that column the row's scale (a later row matching the same column wins).
void writesolved(gdutils::tmodfile& h, const tmodel& m, bool scaled) {
  std::vector<std::int32_t> rowofcol(scaled ? static_cast<std::size_t>(m.cols) : 0, -1);
  for (std::int32_t i = 1; i <= m.rows; ++i) {
    double scale = 1.0;
    if (scaled) {
      const std::int32_t match = item(m.rowmatch, i, 0);
      if (match >= 1 && match <= m.cols) {  // any other match is no match
        scale = item(m.colscale, match, 1.0);
        rowofcol[static_cast<std::size_t>(match - 1)] = i;
      }
    }
    gdutils::wrsolrecex(h, item(m.rowstatus, i, 0), item(m.rowbasis, i, 0),
                        item(m.rowlevel, i, 0.0), item(m.rowmarginal, i, 0.0), scale);
  }
  gdutils::wrsolrowsdone(h);
  for (std::int32_t j = 1; j <= m.cols; ++j) {
    const std::int32_t row = scaled ? rowofcol[static_cast<std::size_t>(j - 1)] : -1;
    const double scale = row > 0 ? item(m.rowscale, row, 1.0) : 1.0;
    gdutils::wrsolrecex(h, item(m.colstatus, j, 0), item(m.colbasis, j, 0),
                        item(m.collevel, j, 0.0), item(m.colmarginal, j, 0.0), scale);
  }
}

// Rows and columns are reported only for the model statuses that carry a solution.
bool reportssolution(std::int32_t modelstat) {
  return modelstat >= 1 && static_cast<std::size_t>(modelstat) < zlmspecs::modelsolution.size() &&
         zlmspecs::modelsolution[static_cast<std::size_t>(modelstat)] != 0;
}

}  // namespace

void gcwritesol() {
  const tmodel& m = mymodel;
  std::int32_t rc = 0;
  gdutils::modfileptr h = gdutils::cwsol(rc, m.filetype, m.solfile);
  if (!h) return logrc(failedrewrite, m.solfile, rc);
  writehead(*h, m);
  if (reportssolution(m.modelstat)) {
    if (!m.solutionstored) {
      writeunsolved(*h, m);
    } else {
      writesolved(*h, m, m.scaleopt > 0 && zlmconf::ftscales(m.filetype) == 3 && m.scaledsol > 0);
    }
  }
  writetail(*h, m);
  if (const std::int32_t wrc = gdutils::closemod(h); wrc != 0) {
    logrc(failedwrite, m.solfile, wrc);
    removeincomplete(m.solfile);
    q5rt::exitcode = solutionlost;
  }
}

}  // namespace gcdata
