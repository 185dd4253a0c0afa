// The environment part of the combined stand-in library: one environment per object, with
// options by name (integer, double and text; names ignore ASCII case), log and status lines
// appended to the files that the options "NameLogFile" and "NameStaFile" name, elapsed
// times, a termination flag and scratch-file names.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brin {

class environment {
 public:
  explicit environment(std::string_view sysdir = {});

  [[nodiscard]] int getint(std::string_view name) const;
  [[nodiscard]] double getdbl(std::string_view name) const;
  [[nodiscard]] std::string getstr(std::string_view name) const;
  void setint(std::string_view name, int v);
  void setdbl(std::string_view name, double v);
  void setstr(std::string_view name, std::string_view v);

  // Appends a line to the log, the status file or both (files named by the options).
  void log(std::string_view line) const;
  void stat(std::string_view line) const;

  // Days since 30 December 1899, from the system clock.
  [[nodiscard]] static double jnow();
  // Seconds since the previous timediff (or the start), and since the start.
  double timediff();
  [[nodiscard]] double timediffstart() const;
  void timesetstart();

  bool terminate = false;

  // Sets the environment up from "@" + control file through the project's control-file
  // reader: the directories, scratch extension, log and status files and option file of the
  // run; false with the reason.
  bool initlegacy(std::string_view at, std::string& msg);
  // The write callback and its user data; texts handed to the log reach it too.
  using writecallback = void (*)(const char* text, int mode, void* usr);
  writecallback callback = nullptr;
  void* callbackdata = nullptr;
  bool skipio = false;

  // The scratch directory, the name and the scratch extension.
  [[nodiscard]] std::string scratchname(std::string_view name) const;

 private:
  static std::string key(std::string_view name);
  static double seconds();

  std::map<std::string, int> ints_;
  std::map<std::string, double> dbls_;
  std::map<std::string, std::string> strs_;
  double start_ = seconds();
  double last_ = start_;
};

}  // namespace brin
