// The configuration stand-in's model: a list of items, each with a name, a section kind,
// numbered keys holding an integer or a text, and model-type numbers; read from and written
// to the configuration text file of standins/README.md, or built section item by section
// item. The boundary file (zlmwyq_sstr.cpp) only converts texts and calls this model.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zlmwyq {

struct value {
  bool istext = false;
  std::int32_t number = 0;
  std::string text;
};

struct item {
  std::string name;
  int kind = 0;
  std::map<int, value> keys;
  std::vector<int> modeltypes;
};

// Results of a key query.
enum keyresult : int { delivered = 0, nokey = 1, noitem = 2 };

class configuration {
 public:
  // 0 on success, 1 with the reason kept for errormessage.
  int read(const std::string& path);
  int parse(std::string_view data, std::string_view name);
  int write(const std::string& path);
  int setreleasefilter(std::string_view release);

  [[nodiscard]] int itemcount() const { return static_cast<int>(items_.size()); }
  [[nodiscard]] int getkey(int itemnr, int key, value& v) const;
  int getmodeltypes(int itemnr, std::int32_t* flags, int count);

  int startsection(int kind, std::string_view name, int& itemnr);
  int addkey(int key, std::int32_t number, std::string_view text);
  int donesection();
  int makenoneitem(int kind);

  // 0 and the text of the last error (then forgotten); 1 when there is none.
  int errormessage(std::string& text);

 private:
  int fail(std::string why);

  std::vector<item> items_;
  std::string release_;
  bool open_ = false;  // a section item is being built
  std::string error_;
};

}  // namespace zlmwyq
