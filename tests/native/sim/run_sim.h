// Runs tornelo-sim as a child process with a deadline and collects what it
// prints on its standard output.
#pragma once

#include <string>
#include <vector>

struct SimProcessResult {
    bool finished;  // false: killed at the deadline
    int exitCode;
    std::string out;
};

SimProcessResult RunSimProcess(const std::vector<std::string>& arguments, int deadlineSeconds = 30);
