// Any bytes as an aircraft.cfg: the generic and the IVAO reader (character
// set, numbering, sections, section checks) must neither crash nor hang.
// The input becomes the file of a livery folder that has the pieces the
// seeds name, so the section checks run to their end.
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_target.h"
#include "liveries/aircraft_cfg_file.h"
#include "liveries/dbase.h"
#include "liveries/ivao_package.h"
#include "liveries/scan_findings.h"

namespace {

namespace fs = std::filesystem;

// The two livery folders the input is written into, removed at the end.
struct Folders {
    Folders();
    ~Folders() {
        std::error_code ec;
        fs::remove_all(base, ec);
    }
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    const fs::path base = fs::temp_directory_path() / ("tlv-fuzz-cfg-" + std::to_string(std::random_device{}()));
    const fs::path generic = base / "Airplanes" / "B738" / "aircraft.cfg";
    const fs::path ivao = base / "IVAO_MTL" / "IVAO_B738w" / "aircraft.cfg";
};

Folders::Folders() {
    for (const fs::path& file : {generic, ivao}) {
        const fs::path folder = file.parent_path();
        fs::create_directories(folder / "model");
        fs::create_directories(folder / "texture.DLH");
        std::ofstream(folder / "b738.air") << "air";
    }
    const fs::path dbase = base / "dbase.xml";
    std::ofstream(dbase) << "<aircrafts><aircraft types=\"B738,B744\"/></aircrafts>"
                            "<high_performance><hpf types=\"F16\"/></high_performance>"
                            "<heavy><hvy types=\"B744\"/></heavy><large><lar types=\"B738\"/></large>"
                            "<buzjet><bzj types=\"C56X\"/></buzjet><rotorcraft><rot types=\"EC35\"/></rotorcraft>"
                            "<cargo_types><cargo_type types=\"B744\"/></cargo_types>"
                            "<ICAO_airlines><ICAO codes=\"DLH,ZZZ\"/></ICAO_airlines>"
                            "<cargo_operators><ICAO codes=\"FDX\"/></cargo_operators>"
                            "<simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D>"
                            "<fixes><fx wro=\"b738\" cor=\"B738\"/></fixes>"
                            "<dbase><db reg=\"N123\" airl=\"DLH\" type=\"B738\" opr=\"\" cargo=\"false\"/></dbase>";
    zrb::gf_readDbaseXml(dbase);
}

const Folders& lf_folders() {
    static const Folders folders;
    return folders;
}

void lf_read(const fs::path& file, const std::uint8_t* data, std::size_t size, bool ivao) {
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        (void)(ivao ? zrb::lf_searchIvaoLiveriesinFile(1, file) : zrb::lf_searchLiveriesinFile(1, file));
    } catch (const std::exception&) {
        // A file-system error of a section's path check ends the file's task by design.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Folders& folders = lf_folders();
    lf_read(folders.generic, data, size, false);
    lf_read(folders.ivao, data, size, true);
    zrb::lf_resetScanLists();  // the titles and findings of one input never reach the next
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const std::string cfg = "[General]\r\natc_model=B738\r\n[fltsim.0]\r\ntitle=B738 DLH one\r\nsim=b738\r\nmodel=\r\n"
                            "texture=DLH\r\natc_parking_codes=DLHX\r\natc_parking_types=GATE,CARGO\r\natc_id=N123\r\n"
                            "[fltsim.1]\r\ntitle = B738ZZZ two ;x\r\nsim=..\\b738\r\ntexture=DLH\r\natc_id=a,b\r\n"
                            "//atc_id=c\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : cfg) utf16 += std::string{c, '\0'};
    utf16 += std::string("\x00\xD8", 2) + std::string("t\0i\0", 4);  // a lone surrogate
    return {
        cfg,
        "\xEF\xBB\xBF" + cfg,
        utf16,
        "[General]\natc_model=b738\n[fltsim.]\ntitle=x\n=\n = value\n[fltsim.4294967296]\n",
        "[fltsim.10000]\ntitle=" + std::string(3000, 'x') + "\n" + std::string("\0\0[fltsim.1\0]\n", 14),
        "atc_model=B744\n;[fltsim.3]\ntitle=Heavy\nsim=b738\ntexture=DLH\natc_parking_codes=RFO\n[FLTSIM.x]\n",
    };
}
