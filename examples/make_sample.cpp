// Writes the bundled sample table: make_sample PATH.DBF (the memo file goes
// beside it).
#include "examples/sample_table.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample PATH.DBF\n");
        return 2;
    }
    if (!vortel::write_sample_table(argv[1])) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
