// Writes axistune.rc from the dialog description: axistune_rcgen <path of axistune.rc>
#include <cstdio>
#include <string>

#include "ui/description/resource_script.h"

using namespace axistune;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: axistune_rcgen <axistune.rc>\n");
        return 2;
    }
    const std::string script = WriteResourceScript();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(script.data(), 1, script.size(), file) == script.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "axistune_rcgen: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
