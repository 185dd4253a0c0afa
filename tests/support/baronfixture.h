// Helpers of the BARON translation tests: the option library loaded from the stand-ins,
// the log captured in a file, and a model record built by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "bindings/dctmdodef.h"
#include "bindings/optdodef.h"
#include "frame/statlib.h"
#include "instance/gcdata.h"
#include "support/testutil.h"

namespace barontest {

inline std::string sysdir() { return testutil::source_dir() + "/examples/sysdir/"; }

// The log goes to a file of a fresh folder while the object lives.
class logcapture {
 public:
  logcapture() { (void)statlib::gstatopen(2, 0, dir.file("test.log")); }
  ~logcapture() { statlib::gstatclose(); }
  logcapture(const logcapture&) = delete;
  logcapture& operator=(const logcapture&) = delete;
  // What the log holds so far.
  std::string text() const {
    statlib::gstatclose();
    std::string t = testutil::read_file(dir.file("test.log"));
    (void)statlib::gstatopen(2, 2, dir.file("test.log"));
    return t;
  }
  testutil::tempdir dir;
};

// Loads the option library from the stand-ins, so that option objects can be created.
inline void loadoptionlibrary() {
  q5rt::sstr msg;
  ASSERT_TRUE(optdodef::optgetreadyl(testutil::standinlib() + "/libzlmopt64.so", msg))
      << msg.view();
}

inline void loaddictionarylibrary() {
  q5rt::sstr msg;
  ASSERT_TRUE(dctmdodef::dctgetreadyl(testutil::standinlib() + "/libzlmdct64.so", msg))
      << msg.view();
}

// A fresh model record for the object's lifetime, the system directory set to the
// example's; the record before it comes back at the end. The expression-tree nodes stay
// with the pool (they live for the whole run).
class freshmodel {
 public:
  freshmodel() {
    gcdata::frenlrec();
    saved_ = std::move(gcdata::mymodel);
    gcdata::mymodel = gcdata::tmodel{};
    std::swap(gcdata::mymodel.nodefree, saved_.nodefree);
    gcdata::mymodel.sysdir = q5rt::sstr::cut(sysdir());
  }
  ~freshmodel() {
    gcdata::frenlrec();
    ctvnl::nltreerec* const keep = gcdata::mymodel.nodefree;
    gcdata::mymodel = std::move(saved_);
    gcdata::mymodel.nodefree = keep;
  }
  freshmodel(const freshmodel&) = delete;
  freshmodel& operator=(const freshmodel&) = delete;

 private:
  gcdata::tmodel saved_;
};

}  // namespace barontest
