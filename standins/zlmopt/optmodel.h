// The option stand-in's model: one option set per library object, read from a definition
// file and user option files in the text formats of standins/README.md. The boundary files
// (short strings now, zero-terminated texts later) only convert texts and call this model.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zlmopt {

// Data types as optGetInfoNr reports them.
enum class dtype : int { integer = 1, real = 2, string = 3, list = 4, dot = 5 };

struct option {
  std::string name;
  dtype type = dtype::integer;
  int group = 0;
  int refnr = 0;
  double lower = 0, upper = 0;  // numbers only
  double numdefault = 0;
  std::string strdefault;
  std::string help;
  double num[2] = {0, 0};
  std::string str[2];
  int defined = 0;  // bit 1: value, bit 2: second value
  bool recent = false;
  std::vector<std::string> values;  // list options
};

struct group {
  int number = 0;
  int value = 0;
  std::string name;
  std::string help;
};

struct dotrecord {
  std::string symbol;
  int optnr = 0;
  std::vector<std::string> labels;
  double value = 0;
};

struct message {
  std::string text;
  int type = 0;  // 0 echo or information, 1 error
};

class optset {
 public:
  // Reading; problems become messages. Results: 0 fine, else the number of errors.
  int readdefinition(const std::string& path);
  int readdefinitiontext(std::string_view text, std::string_view name);
  int readparameterfile(const std::string& path);
  int readoptiontext(std::string_view text, std::string_view name);
  void readcommandline(std::string_view text);  // blank-separated name=value items
  int writeparameterfile(const std::string& path);

  // Options by 1-based number (nullptr when there is none) and by name (0 when unknown).
  [[nodiscard]] option* byno(int nr);
  [[nodiscard]] int find(std::string_view name) const;
  [[nodiscard]] option* byname(std::string_view name) { return byno(find(name)); }
  [[nodiscard]] const group* groupbynumber(int number) const;

  // Setting a value checks bounds (unless switched off) and defines the option; which is
  // 0 for the value, 1 for the second value. False with an error message on refusal.
  bool setnumber(option& o, int which, double v, std::string_view where = {});
  bool setstring(option& o, int which, std::string_view v);
  void reset(option& o);
  void resetall(bool recentonly);

  // Value as text, for optGetValStr and optWriteParameterFile.
  [[nodiscard]] static std::string valuetext(const option& o, int which);
  [[nodiscard]] static std::string numbertext(double v);

  void addmessage(std::string text, int type);

  std::vector<option> options;
  std::vector<group> groups;
  std::vector<std::pair<std::string, std::string>> synonyms;  // alias, option name
  std::vector<dotrecord> dots;
  std::vector<message> messages;
  std::string definitionfile;
  int errors = 0;
  int warnings = 0;
  int doterrors = 0;
  bool echo = false;
  bool eolonly = false;
  bool nobounds = false;
  bool recentenabled = false;

 private:
  void readoptionline(std::string_view line, std::string_view where);
  bool assign(std::string_view name, std::string_view value, std::string_view where);
  bool assigndot(std::string_view name, std::string_view value, std::string_view where);
  void error(std::string_view where, std::string_view what);
};

// Splits "solver" or "solver.digits" into the name and the number (0 when none); false when
// the text is not of that form.
bool splitnameopt(std::string_view text, std::string& name, int& number);

}  // namespace zlmopt
