#include "progress_line.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace axistune::cli {

namespace {

bool StderrIsTerminal() {
#ifdef _WIN32
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// The length of the line shown now, so that the next one (or the clearing) covers it; 0 when
// none is shown. Spaces rather than an escape sequence: a Windows console may not take them.
size_t gShown = 0;
bool gActive = false;

void Show(const std::string& text) {
    std::string line = "\r" + text;
    if (text.size() < gShown) {
        line.append(gShown - text.size(), ' ');
        line += "\r" + text;
    }
    std::cerr << line << std::flush;
    gShown = text.size();
}

}  // namespace

void ClearProgressLine() {
    if (gShown > 0) {
        std::cerr << "\r" << std::string(gShown, ' ') << "\r" << std::flush;
        gShown = 0;
    }
}

ProgressLine::ProgressLine(std::string command, bool tracingToStderr)
    : command_(std::move(command)) {
    gActive = !tracingToStderr && StderrIsTerminal();
}

ProgressLine::~ProgressLine() {
    ClearProgressLine();
    gActive = false;
}

void ProgressLine::SetTotal(int total) {
    total_ = total;
}

void ProgressLine::Step(const std::string& what) {
    ++step_;
    if (!gActive) {
        return;
    }
    std::string text = command_ + ": step " + std::to_string(step_);
    if (total_ > 0) {
        text += " of " + std::to_string(total_);
    }
    Show(text + ": " + what);
}

std::ostream& Complain() {
    ClearProgressLine();
    return std::cerr << "axistune-cli: ";
}

std::ostream& Say() {
    ClearProgressLine();
    return std::cout;
}

}  // namespace axistune::cli
