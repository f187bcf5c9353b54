// The rules probe: one JSON request line in, one JSON answer line out, so the card rules can
// be checked from outside the program. Each line gets a fresh CGameLogic.
#pragma once

#include <iosfwd>
#include <string>

// Answers one request line (without its newline); never throws. Returns an empty string for a
// blank line, which gets no answer.
std::string HandleProbeLine(const std::string& line);

// Runs the known answers, prints each with its verdict; returns the number of mismatches.
int RunProbeSelfCheck(std::ostream& out);
