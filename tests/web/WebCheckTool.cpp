// The native side of the browser test's comparisons.
//   velmora-web-check drawing N FILE   writes a generated plan of N entities
//   velmora-web-check cp932-table      prints the decode table of the native code page route
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "support/PlanDrawing.h"
#include "util/CodePage.h"
#include "web/Cp932Table.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "drawing" && argc == 4) {
        std::ofstream out(argv[3], std::ios::binary);
        out << velmora::test::PlanDrawingBytes(std::stoi(argv[2]));
        return out.good() ? 0 : 1;
    }
    if (command == "cp932-table" && argc == 2) {
        std::cout << velmora::Cp932DecodeTable(
            [](std::string_view bytes) { return velmora::Cp932ToUtf8(bytes); });
        return std::cout.good() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: velmora-web-check drawing N FILE | cp932-table\n");
    return 2;
}
