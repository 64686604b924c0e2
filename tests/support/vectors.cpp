#include "tests/support/vectors.h"

#include <sstream>

#include "tests/support/test_data.h"

namespace qs::test {
namespace {

std::string Trim(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

}  // namespace

std::vector<Vector> ParseVectors(const std::string& text) {
  std::vector<Vector> vectors;
  Vector current;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (!line.empty() && line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (line.empty() || eq == std::string::npos) {
      if (!current.empty()) vectors.push_back(std::move(current));
      current.clear();
      continue;
    }
    current[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
  }
  if (!current.empty()) vectors.push_back(std::move(current));
  return vectors;
}

std::vector<Vector> LoadVectors(const std::string& path) { return ParseVectors(TestData(path)); }

}  // namespace qs::test
