// Fuzz target of the reader of BARON's result files: the input's first line is the tim
// line, the rest the res file, read into a small model (three columns, two rows, one of
// them nonlinear) with BARON's order maps. Never a crash, an endless loop or a read out of
// range, whatever the text.
//
// Input layout: byte 0 selects the run's switches (maximisation, the reformulated
// objective, phase-one variables, processor time, a summary file, the model type); the
// rest up to the first line end is the tim line, the remainder the res file. An input whose
// size is a multiple of 4 reads its files with a bound of half the res file, so that the
// reading also stops at a bound.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "baron/gcbaron.h"
#include "baron/gcbaron_results.h"
#include "frame/q5rt.h"
#include "frame/statlib.h"
#include "instance/ctvproc.h"
#include "instance/gcdata.h"
#include "instance/zlmspecs.h"

namespace {

using ctvnl::opcode;

void writefile(const std::filesystem::path& name, std::string_view bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

// x1 free, x2 in [0, 5], x3 free; e1: x1*x2 =L= 4; e2: x3 - x1 =E= 0; BARON's order x2, x1, x3.
void makemodel(std::uint8_t flags) {
  gcdata::frenlrec();
  ctvnl::nltreerec* const pool = gcdata::mymodel.nodefree;
  gcdata::mymodel = gcdata::tmodel{};
  gcdata::mymodel.nodefree = pool;
  gcdata::tmodel& m = gcdata::mymodel;
  m.valna = zlmspecs::valna, m.valpin = zlmspecs::valpin, m.valmin = zlmspecs::valmin;
  m.cols = 3;
  m.rows = 2;
  m.modeltype = (flags & 0x20) != 0   ? ctvproc::proc_cns
                : (flags & 0x40) != 0 ? ctvproc::proc_minlp
                                      : ctvproc::proc_nlp;
  m.maximize = flags & 1;
  m.objvar = 3;
  m.objrow = 2;
  m.coltype = {0, (flags & 0x40) != 0 ? 1 : 0, 0};
  m.collower = {zlmspecs::valmin, 0, zlmspecs::valmin};
  m.colupper = {zlmspecs::valpin, 5, zlmspecs::valpin};
  m.collevel = {0, 0, 0};
  m.colmarginal = {0, 0, 0};
  m.rowtype = {2, 0};
  m.rowrhs = {4, 0};
  m.rowmarginal = {0, 0};
  m.instr = {{opcode::header, 0}, {opcode::pushv, 1}, {opcode::mulv, 2}, {opcode::store, 1}};
  m.rowfirstinstr = {1, 0};
  m.rowlastinstr = {4, 0};
  m.rowfirst = {nullptr, nullptr};
  zlmspecs::tjacrec* const x3 = &m.jacelements.emplace_back();
  zlmspecs::tjacrec* const x1 = &m.jacelements.emplace_back();
  *x3 = {.jacval = 1, .rownext = x1, .row = 2, .col = 3};
  *x1 = {.jacval = -1, .row = 2, .col = 1};
  m.rowfirst[1] = x3;

  gcbaron::trunstate& s = gcbaron::state;
  s.reset();
  s.objreform = (flags & 2) != 0 ? 1 : 0;
  s.baronvartozolm = {2, 1, 3};
  s.baronvarseq = s.objreform > 0 ? 2 : 3;
  s.baronequtozolm = {1, 2};
  s.baronequseq = s.objreform > 0 ? 1 : 2;
  s.baronequclass = {0, 0};
  s.phaseonevariables = (flags & 4) != 0 ? 2 : 0;
  s.optphaseone = (flags & 4) != 0 ? 1 : 0;
  s.reportcputime = (flags & 8) != 0;
  s.objvarname = q5rt::sstr::cut((flags & 0x80) != 0 ? "objv" : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q5rt::run_startups();
  if (size < 1) return 0;
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("baronresults_fuzz." + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    (void)statlib::gstatopen(0, 0, "");  // no log
    statlib::statussetfilename((d / "sta").string());
    q5rt::sstr msg;
    (void)statlib::statusfileopen(0, msg);
    return d;
  }();
  const std::uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t end = text.find('\n');
  gcbaron::resultfiles files;
  files.tim = q5rt::sstr::cut((dir / "tim").string());
  files.res = q5rt::sstr::cut((dir / "res").string());
  files.sum = q5rt::sstr::cut((dir / ((flags & 0x10) != 0 ? "sum" : "nosum")).string());
  const std::string_view res =
      end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  if (size % 4 == 0)
    files.timlimit = files.reslimit = files.sumlimit = static_cast<std::int64_t>(res.size() / 2);
  writefile(dir / "tim", text.substr(0, end));
  writefile(dir / "res", res);
  writefile(dir / "sum", "  Total time elapsed (secs):  1\n All done with problem\n");
  makemodel(flags);
  (void)gcbaron::readresults(files);
  gcdata::frenlrec();
  return 0;
}
