// The configuration stand-in's model and its file.
#include "standins/zlmwyq/confmodel.h"

#include <cstdio>

#include "standins/common/linetokens.h"

namespace zlmwyq {

namespace {

std::string quoted(std::string_view s) {
  const char q = s.find('"') == std::string_view::npos ? '"' : '\'';
  return std::string(1, q) + std::string(s) + q;
}

}  // namespace

int configuration::fail(std::string why) {
  error_ = std::move(why);
  return 1;
}

int configuration::errormessage(std::string& text) {
  text = error_;
  error_.clear();
  return text.empty() ? 1 : 0;
}

int configuration::read(const std::string& path) {
  std::string data, why;
  if (!linetokens::readfile(path, data, why))
    return fail("Cannot open configuration file \"" + path + "\": " + why);
  return parse(data, path);
}

int configuration::parse(std::string_view data, std::string_view name) {
  std::vector<item> items;
  std::vector<linetokens::token> w;
  std::string why;
  const bool ok = linetokens::eachline(data, [&](int nr, std::string_view line) {
    const auto bad = [&](const std::string& what) {
      why = std::string(name) + " line " + std::to_string(nr) + ": " + what;
      return false;
    };
    if (!linetokens::split(line, w, why)) return bad(why);
    const std::string& key = w[0].text;
    if (key == "item") {  // item <name> [<kind>]
      item it;
      if (w.size() < 2 || w.size() > 3) return bad("item line: item <name> [<kind>]");
      it.name = w[1].text;
      if (w.size() == 3 && !linetokens::toint(w[2].text, it.kind))
        return bad("bad section kind \"" + w[2].text + "\"");
      items.push_back(std::move(it));
      return true;
    }
    if (items.empty()) return bad("\"" + key + "\" before the first item");
    if (key == "key") {  // key <number> <integer or quoted text>
      std::int32_t k = 0;
      value v;
      if (w.size() != 3 || !linetokens::toint(w[1].text, k) || k < 0)
        return bad("key line: key <number> <integer or quoted text>");
      v.istext = w[2].quote != ' ';
      if (v.istext)
        v.text = w[2].text;
      else if (!linetokens::toint(w[2].text, v.number))
        return bad("bad integer \"" + w[2].text + "\"");
      items.back().keys[k] = std::move(v);
      return true;
    }
    if (key == "modeltypes") {
      for (std::size_t k = 1; k < w.size(); ++k) {
        std::int32_t t = 0;
        if (!linetokens::toint(w[k].text, t) || t < 0)
          return bad("bad model type \"" + w[k].text + "\"");
        items.back().modeltypes.push_back(t);
      }
      return true;
    }
    return bad("unknown keyword \"" + key + "\"");
  });
  if (!ok) return fail(why);
  items_ = std::move(items);
  open_ = false;
  return 0;
}

int configuration::write(const std::string& path) {
  std::string text;
  for (const item& it : items_) {
    text += "item " + quoted(it.name) + " " + std::to_string(it.kind) + "\n";
    for (const auto& [k, v] : it.keys)
      text += "key " + std::to_string(k) + " " +
              (v.istext ? quoted(v.text) : std::to_string(v.number)) + "\n";
    if (!it.modeltypes.empty()) {
      text += "modeltypes";
      for (int t : it.modeltypes) text += " " + std::to_string(t);
      text += "\n";
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return fail("Cannot write configuration file \"" + path + "\"");
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) return fail("Write failed on \"" + path + "\"");
  return 0;
}

// The release text is kept; an empty one is refused.
int configuration::setreleasefilter(std::string_view release) {
  if (release.empty()) return fail("empty release filter");
  release_.assign(release);
  return 0;
}

int configuration::getkey(int itemnr, int key, value& v) const {
  if (itemnr < 0 || itemnr >= itemcount()) return noitem;
  const auto& keys = items_[static_cast<std::size_t>(itemnr)].keys;
  const auto it = keys.find(key);
  if (it == keys.end()) return nokey;
  v = it->second;
  return delivered;
}

int configuration::getmodeltypes(int itemnr, std::int32_t* flags, int count) {
  if (itemnr < 0 || itemnr >= itemcount()) return fail("no item " + std::to_string(itemnr));
  for (int t : items_[static_cast<std::size_t>(itemnr)].modeltypes)
    if (flags != nullptr && t < count) flags[t] = 1;
  return 0;
}

int configuration::startsection(int kind, std::string_view name, int& itemnr) {
  if (open_) return fail("a section item is already open");
  items_.push_back({std::string(name), kind, {}, {}});
  itemnr = itemcount() - 1;
  open_ = true;
  return 0;
}

// A key of the open section item: the text when it is not empty, else the integer.
int configuration::addkey(int key, std::int32_t number, std::string_view text) {
  if (!open_) return fail("no section item is open");
  value v;
  v.istext = !text.empty();
  v.number = v.istext ? 0 : number;
  v.text.assign(text);
  items_.back().keys[key] = std::move(v);
  return 0;
}

int configuration::donesection() {
  if (!open_) return fail("no section item is open");
  open_ = false;
  return 0;
}

int configuration::makenoneitem(int kind) {
  if (open_) return fail("a section item is open");
  items_.push_back({std::string(), kind, {}, {}});
  return 0;
}

}  // namespace zlmwyq
