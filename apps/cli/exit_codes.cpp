#include "exit_codes.h"

#include <cstdio>

namespace axistune::cli {

const char* ExitCodeName(int code) {
    for (const ExitCodeRow& row : kExitCodeTable) {
        if (row.code == code) {
            return row.name;
        }
    }
    return "failed";
}

std::string ExitStatusHelp() {
    constexpr size_t kWidth = 80;
    constexpr const char* kIndent = "       ";
    std::string text = "Exit status:\n";
    for (const ExitCodeRow& row : kExitCodeTable) {
        char number[16];
        std::snprintf(number, sizeof number, "  %-5d", static_cast<int>(row.code));
        std::string line = number;
        const std::string meaning = row.meaning;
        for (size_t at = 0; at < meaning.size();) {
            size_t end = meaning.find(' ', at);
            end = end == std::string::npos ? meaning.size() : end;
            const std::string word = meaning.substr(at, end - at);
            if (line.size() + 1 + word.size() > kWidth) {
                text += line + "\n";
                line = kIndent;
            } else if (line.back() != ' ') {
                line += ' ';
            }
            line += word;
            at = end + 1;
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace axistune::cli
