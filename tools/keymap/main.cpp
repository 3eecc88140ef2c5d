// keymap: prints the key-map reference; docs/keymap.md is its output.
#include <cstdio>

#include "tools/keymap/keymap.h"

int main(int argc, char**) {
    if (argc > 1) {
        std::fputs("usage: keymap > docs/keymap.md\n", stderr);
        return 2;
    }
    std::fputs(KeymapMarkdown().c_str(), stdout);
    return 0;
}
