#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qs::cli {

// One JSON object on one line, for --json: members in the order added, strings escaped so
// that the line holds valid UTF-8 and no control character (bytes that are no UTF-8 become
// U+FFFD).
class JsonLine {
 public:
  JsonLine& add(std::string_view name, std::string_view text);
  JsonLine& add(std::string_view name, const char* text) { return add(name, std::string_view(text)); }
  JsonLine& add(std::string_view name, std::int64_t number);
  JsonLine& add(std::string_view name, bool value);
  // A member whose value is already JSON: an array of objects, say.
  JsonLine& addJson(std::string_view name, std::string_view json);
  // The object, without a newline.
  std::string str() const { return "{" + members_ + "}"; }

 private:
  void name(std::string_view name);
  std::string members_;
};

// "[a,b,...]" of the objects.
std::string JsonArray(std::span<const std::string> objects);

}  // namespace qs::cli
