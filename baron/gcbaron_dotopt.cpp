// Dot options and bound adjustments: bounds, priorities and equation classes given to
// the columns and rows of model symbols (resolved through the dictionary), priorities in
// the form BARON expects, and infinite bounds replaced when the option asks for it.
#include <algorithm>
#include <cmath>
#include <memory>

#include "baron/gcbaron.h"
#include "baron/optbaron.h"
#include "bindings/dctmdodef.h"
#include "frame/strutilx.h"
#include "frame/strutilx_numbers.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace gcbaron {

namespace {

constexpr std::int32_t symvariable = 5;
constexpr std::int32_t symequation = 6;
constexpr std::int32_t maxdim = 20;

q5rt::sstr num(std::int64_t v) { return strutilx::inttostrw(v, 0); }

bool isname(std::string_view name, std::string_view singular) {
  const std::string plural = std::string(singular) + "s";
  return strutilx::struequal(name, singular) || strutilx::struequal(name, plural);
}

// Applies one dot record to the model record.
class dotapplier {
 public:
  dotapplier(const savedbounds& saved, dctmdodef::tdctreader& dict) : saved_(saved), dict_(dict) {}

  void apply(const optbaron::dotrecord& rec) {
    if (rec.kind < 0) return;  // the definition file declares only the four kinds
    rec_ = &rec;
    display_ =
        q5rt::concat(rec.symbol, ".", optbaron::dotrecsuff[static_cast<std::size_t>(rec.kind)]);
    const bool bound = rec.kind == optbaron::dotlo || rec.kind == optbaron::dotup;
    if (bound && gcdata::mymodel.scalevalues != 0) {
      log("*** Potential scaling problem for ", display_);
      log("*** Algfiletype dose not support row and column scales");
    }
    if (isname(rec.symbol, "variable")) {
      onallvariables();
    } else if (isname(rec.symbol, "equation")) {
      onallequations();
    } else {
      onsymbol();
    }
  }

 private:
  template <typename... Parts>
  static void log(const Parts&... parts) {
    gcdata::gclogstat(q5rt::concat(parts...));
  }

  void onallvariables() {
    if (rec_->kind == optbaron::dotequclass)
      return log("*** ", display_, " not allowed on variables");
    if (rec_->dimension > 0) return log("*** ", display_, " cannot be indexed");
    for (std::int32_t j = 0; j < gcdata::mymodel.cols; ++j) column(j, true);
  }

  void onallequations() {
    if (rec_->kind != optbaron::dotequclass)
      return log("*** ", display_, " not allowed on equations");
    const std::int32_t cls = optset::roundint(rec_->value);
    if (cls < classplain || cls > classlocal) return;
    std::fill(state.baronequclass.begin(), state.baronequclass.end(), cls);
    state.equclassused = true;
  }

  void onsymbol() {
    const std::int32_t sym = dict_.dctsymindex(rec_->symbol);
    if (sym == 0) return log("*** ", display_, " unknown var/equ");
    const std::int32_t dim = dict_.dctsymdim(sym);
    const std::int32_t type = dict_.dctsymtype(sym);
    if (type == symequation && rec_->kind != optbaron::dotequclass)
      return log("*** ", display_, " not allowed on equations");
    if (type == symvariable && rec_->kind == optbaron::dotequclass)
      return log("*** ", display_, " not allowed on variables");
    std::int32_t filter[maxdim] = {};
    const std::int32_t c = std::min(rec_->dimension, optbaron::maxdotlabels);
    if (c > 0) {
      if (dim < c) log("***  ", display_, " too many indices on. Skipping additional indices.");
      if (dim > c)
        log("***  ", display_, " too few indices on.  Adding \"*\"  for missing indices.");
    }
    for (std::int32_t p = 1; p <= std::min(c, dim); ++p) {
      const q5rt::sstr& label = rec_->labels[static_cast<std::size_t>(p - 1)];
      if (label == "*") continue;
      const std::int32_t uel = dict_.dctuelindex(label);
      if (uel == 0) {
        log("*** ", display_, " unknown element \"", label, "\" in position ", num(p),
            ". Using \"*\"");
      } else {
        filter[p - 1] = uel;
      }
    }
    std::int32_t found = -1;
    void* search = dict_.dctfindfirstrowcol(sym, filter, found);
    while (found >= 0) {
      if (rec_->kind == optbaron::dotequclass) {
        row(found);
      } else if (found < gcdata::mymodel.cols) {
        column(found, false);
      }
      (void)dict_.dctfindnextrowcol(search, found);
    }
    dict_.dctfindclose(search);
  }

  void row(std::int32_t i) {
    const std::int32_t cls = optset::roundint(rec_->value);
    if (cls < classplain || cls > classlocal || i >= gcdata::mymodel.rows) return;
    state.baronequclass[static_cast<std::size_t>(i)] = cls;
    state.equclassused = true;
  }

  // The record's rule on column j (0-based); allcolumns: the record names every variable.
  void column(std::int32_t j, bool allcolumns) {
    gcdata::tmodel& m = gcdata::mymodel;
    const auto k = static_cast<std::size_t>(j);
    double v = rec_->value;
    switch (rec_->kind) {
      case optbaron::dotlo:
        if (m.scaleopt != 0 && k < m.colscale.size()) v /= m.colscale[k];
        if (saved_.lower[k] == zlmspecs::valmin || v > saved_.lower[k]) m.collower[k] = v;
        break;
      case optbaron::dotup:
        if (m.scaleopt != 0 && k < m.colscale.size()) v /= m.colscale[k];
        if ((allcolumns && saved_.upper[k] == zlmspecs::valpin) || saved_.upper[k] > v)
          m.colupper[k] = v;
        break;
      case optbaron::dotprior:
        if (k < m.colpriority.size()) m.colpriority[k] = v;
        break;
      default:
        break;
    }
  }

  const savedbounds& saved_;
  dctmdodef::tdctreader& dict_;
  const optbaron::dotrecord* rec_ = nullptr;
  q5rt::sstr display_;
};

// The dot options through the dictionary; false when they are skipped.
void dotoptions(const optbaron::toptconvert& bo, const savedbounds& saved) {
  gcdata::tmodel& m = gcdata::mymodel;
  if (m.dictfile.empty()) {
    gcdata::gclogstat("*** Could not load dictionary from empty dictfile name.");
    gcdata::gclogstat("*** Skipping all .(lo,up,prior) options.");
    return;
  }
  q5rt::sstr msg;
  auto dict = std::make_unique<dctmdodef::tdctreader>(msg);
  if (!msg.empty()) {
    gcdata::gclogstat(
        "*** Could not load dictionary library. Skipping all .(lo,up,prior) options.");
    gcdata::gclogstat(q5rt::concat("*** MSG: ", msg));
    return;
  }
  if (dict->dctloadex(m.dictfile, msg) != 0) {
    gcdata::gclogstat(q5rt::concat("*** Could not open dictfile ", m.dictfile,
                                   " Skipping all .(lo,up,prior) options."));
    gcdata::gclogstat(q5rt::concat("*** ", msg));
    return;
  }
  const std::int32_t count = bo.optdotcount();
  if (count == 0) return;
  gcdata::gclogstat(q5rt::concat("--- Processing ", num(count), " DOT options"));
  dotapplier applier(saved, *dict);
  for (std::int32_t k = 1; k <= count; ++k) {
    optbaron::dotrecord rec;
    bo.optdotrecord(k, rec);
    applier.apply(rec);
  }
  if (state.objreform > 0 && m.objvar >= 1 && m.objvar <= m.cols) {
    const auto o = static_cast<std::size_t>(m.objvar - 1);
    m.collower[o] = zlmspecs::valmin;
    m.colupper[o] = zlmspecs::valpin;
    if (o < m.colpriority.size()) m.colpriority[o] = 1;
  }
  std::int32_t changed = 0;
  for (std::size_t j = 0; j < m.collower.size(); ++j) {
    if (m.collower[j] != saved.lower[j]) ++changed;
    if (m.colupper[j] != saved.upper[j]) ++changed;
  }
  state.optbounds = changed;
  gcdata::gclogstat(q5rt::concat("--- Modified ", num(changed), " variable bounds."));
}

// Priorities as BARON takes them: 1e299 (none) becomes 0, a positive one its inverse, any
// other 1.
void transformpriorities() {
  for (double& p : gcdata::mymodel.colpriority) {
    if (p == zlmspecs::valbig) {
      p = 0;
    } else if (p > 0) {
      p = 1 / p;
    } else {
      p = 1;
    }
  }
}

void replaceinfinitebounds(const optbaron::toptconvert& bo) {
  gcdata::tmodel& m = gcdata::mymodel;
  const double v = std::fabs(bo.getnumber(optbaron::ixinfbnd));
  if (v == 0) return;
  std::int32_t count = 0;
  for (std::int32_t j = 0; j < m.cols; ++j) {
    if (j + 1 == m.objvar) continue;
    const auto k = static_cast<std::size_t>(j);
    if (m.collower[k] == zlmspecs::valmin) m.collower[k] = -v, ++count;
    if (m.colupper[k] == zlmspecs::valpin) m.colupper[k] = v, ++count;
  }
  if (count > 0) {
    gcdata::gclogstat(q5rt::concat("*** ", num(count), " +/- INF bound(s) have been reset to +/- ",
                                   strutilx::dbltostr(v)));
  }
}

}  // namespace

void applydotoptions(const optbaron::toptconvert& bo, const savedbounds& saved) {
  dotoptions(bo, saved);
  transformpriorities();
  replaceinfinitebounds(bo);
}

}  // namespace gcbaron
