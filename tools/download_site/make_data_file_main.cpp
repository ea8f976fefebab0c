// tlv-make-data-file PLAIN.xml DATA.enc
// Encrypts a plain data file with the key of this build, as the download site
// publishes it (for the demo build and the site's own files).

#include <cstdio>

#include "download_site/data_file_maker.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLAIN.xml DATA.enc\n", argv[0]);
        return 2;
    }
    if (!zrb::tools::gf_makeDataFile(argv[1], argv[2], zrb::gf_dataFileKey())) {
        std::fprintf(stderr, "cannot make %s from %s\n", argv[2], argv[1]);
        return 1;
    }
    return 0;
}
