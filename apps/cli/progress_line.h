#pragma once

#include <ostream>
#include <string>

namespace axistune::cli {

// "restore: step 3 of 7: SetGearRatios(150000, 144000)" on standard error while a backup or a
// restore runs, rewritten in place and cleared at the end; only when standard error is a
// terminal, so that logs and pipes get nothing extra, and not beside a trace on standard error.
// One at a time.
class ProgressLine {
  public:
    ProgressLine(std::string command, bool tracingToStderr);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // 0 while the number of steps is not known yet.
    void SetTotal(int total);
    // Shows the next step.
    void Step(const std::string& what);

  private:
    std::string command_;
    int step_ = 0;
    int total_ = 0;
};

// Clears a progress line shown now, for a message printed directly.
void ClearProgressLine();
// Standard error after "axistune-cli: ", with a progress line cleared first: every problem
// the commands report goes through here.
std::ostream& Complain();
// Standard output, with a progress line cleared first: for results printed while it runs.
std::ostream& Say();

}  // namespace axistune::cli
