// Demos a player could send in place of an honest run, made from the golden run: one
// with an input changed, one cut short, one cut mid-file, one from another stage, and a
// deflate bomb (a small file that unpacks to tens of megabytes), and a copy of the golden
// run under another player's name and date.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace servertest {

std::string GoldenDemo();
// (name, bytes) of each hostile demo.
std::vector<std::pair<std::string, std::string>> HostileDemos();

}  // namespace servertest
