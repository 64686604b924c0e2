#pragma once
#include <map>
#include <string>
#include <vector>

namespace qs::test {

// A vector file holds blocks of "Name = value" lines separated by blank lines; lines
// starting with '#' are comments (every file names the source of its vectors there).
using Vector = std::map<std::string, std::string>;

std::vector<Vector> ParseVectors(const std::string& text);
// The vectors of tests/data/<path>.
std::vector<Vector> LoadVectors(const std::string& path);

}  // namespace qs::test
