// torvaly-rules: reads JSON request lines on stdin and writes one JSON answer line each.
//   torvaly-rules               answer requests until end of input
//   torvaly-rules --self-check  print the known answers and whether the rules agree
#include <cstring>
#include <iostream>
#include <string>

#include "tools/rules_probe/RulesProbe.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--self-check") == 0) {
    return RunProbeSelfCheck(std::cout) == 0 ? 0 : 1;
  }
  if (argc != 1) {
    std::cerr << "usage: torvaly-rules [--self-check]  (JSON lines on stdin)\n";
    return 2;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
    const std::string answer = HandleProbeLine(line);
    if (!answer.empty()) std::cout << answer << '\n' << std::flush;
  }
  return 0;
}
