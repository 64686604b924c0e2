#include "cli/json_line.h"

#include <cstdio>

namespace qs::cli {
namespace {

// The length of the well-formed UTF-8 character at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<std::uint8_t>(text[i]);
  const std::size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<std::uint8_t>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<std::uint8_t>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      out += length == 0 ? std::string("\\ufffd") : std::string(text.substr(i, length));
      i += length == 0 ? 1 : length;
      continue;
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out + "\"";
}

}  // namespace

void JsonLine::name(std::string_view name) {
  if (!members_.empty()) members_ += ',';
  members_ += Quoted(name) + ':';
}

JsonLine& JsonLine::add(std::string_view name, std::string_view text) {
  this->name(name);
  members_ += Quoted(text);
  return *this;
}

JsonLine& JsonLine::add(std::string_view name, std::int64_t number) {
  this->name(name);
  members_ += std::to_string(number);
  return *this;
}

JsonLine& JsonLine::add(std::string_view name, bool value) {
  this->name(name);
  members_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::addJson(std::string_view name, std::string_view json) {
  this->name(name);
  members_ += json;
  return *this;
}

std::string JsonArray(std::span<const std::string> objects) {
  std::string out = "[";
  for (std::size_t i = 0; i < objects.size(); ++i) out += (i ? "," : "") + objects[i];
  return out + "]";
}

}  // namespace qs::cli
