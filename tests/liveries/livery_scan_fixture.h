#pragma once
// Test helpers of the livery scan: a small aircraft database, aircraft.cfg
// texts and livery folders with the model, texture and flight-model pieces
// their sections name, in a logged temporary folder that is the current
// directory (the scan writes its reports below it).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/windows_path.h"
#include "liveries/dbase.h"
#include "liveries/scan_findings.h"
#include "support/livery_printer.h"
#include "support/temp_folder.h"

namespace zrb::test {

namespace fs = std::filesystem;

// Airlines DLH, BAW, ZZZ, KLM, ABC and the lower-case dlh; B744 is Heavy; the
// fix "wro" -> A20N; registrations N123 (short, KLM) and D-ABCD (operator ABC,
// cargo).
inline const char* liveryTestDbase =
    "<aircrafts><aircraft types=\"B738,A320,A20N,B744,C172,T154,GLID,B77W,A321\"/></aircrafts>"
    "<high_performance><hpf types=\"F16\"/></high_performance>"
    "<heavy><hvy types=\"B744,B77W\"/></heavy>"
    "<large><lar types=\"B738,A320,A20N,A321\"/></large>"
    "<buzjet><bzj types=\"C56X\"/></buzjet>"
    "<rotorcraft><rot types=\"EC35\"/></rotorcraft>"
    "<cargo_types><cargo_type types=\"B744\"/></cargo_types>"
    "<ICAO_airlines><ICAO codes=\"DLH,BAW,ZZZ,KLM,ABC,dlh\"/></ICAO_airlines>"
    "<cargo_operators><ICAO codes=\"FDX\"/></cargo_operators>"
    "<simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D>"
    "<fixes><fx wro=\"wro\" cor=\"A20N\"/></fixes>"
    "<dbase><db reg=\"N123\" airl=\"KLM\" type=\"B738\" opr=\"\" cargo=\"false\"/>"
    "<db reg=\"D-ABCD\" airl=\"XYZ\" type=\"A321\" opr=\"ABC\" cargo=\"true\"/>"
    "<db reg=\"D-EFGH\" airl=\"BAW\" type=\"B738\" opr=\"\" cargo=\"false\"/></dbase>";

// A [fltsim.N] section: title, sim b738, empty model, the texture, the
// airline codes, then any further lines.
inline std::string fltsim(int n, const std::string& title, const std::string& codes, const std::string& more = {},
                          const std::string& texture = "DLH") {
    std::string text = "[fltsim." + std::to_string(n) + "]\ntitle=" + title + "\nsim=b738\nmodel=\ntexture=" +
                       texture + "\n";
    if (!codes.empty()) text += "atc_parking_codes=" + codes + "\n";
    return text + more;
}

inline std::string generalSection(const std::string& atcModel = "B738") {
    return "[General]\natc_type=Boeing\natc_model=" + atcModel + "\n";
}

// The folder with its aircraft.cfg and the pieces: "model", "texture.<t>" for
// each texture (UTF-8), "b738.air".
inline fs::path makeAircraftFolder(const fs::path& folder, const std::string& cfg,
                                   const std::vector<std::string>& textures = {"DLH"},
                                   const std::string& cfgName = "aircraft.cfg") {
    fs::create_directories(folder / "model");
    for (const auto& texture : textures) fs::create_directories(folder / gf_pathFromUtf8("texture." + texture));
    writeFile(folder / "b738.air", "air");
    writeFile(folder / cfgName, cfg);
    return folder / cfgName;
}

class LiveryScanFixture : public ::testing::Test {
protected:
    LiveryScanFixture() {
        writeFile(m_folder / "dbase.xml", liveryTestDbase);
        gf_readDbaseXml(m_folder / "dbase.xml");
        lf_resetScanLists();
        fs::create_directories(m_folder / "output" / "info");
    }
    ~LiveryScanFixture() override {
        lf_resetScanLists();
        gf_clearDbase();
    }

    bool logged(const std::string& text) const { return m_folder.logContains(text); }

    LoggedFolder m_folder;
};

}  // namespace zrb::test
