#include "demo/demo_liveries.h"

#include <fmt/format.h>

#include <fstream>
#include <map>
#include <stdexcept>

namespace zrb::demo {

namespace fs = std::filesystem;

namespace {

// Sections per aircraft.cfg: AI packages split a type over folders, and the
// scan reads each file in a task of its own.
constexpr std::size_t liveriesPerFolder = 100;
constexpr std::size_t lettersInAlphabet = 26;
constexpr std::size_t suffixLetters = 1;  // after the fleet's own first letters

std::vector<DemoFleet> lf_fleets() {
    // The traffic of Amsterdam first, so that a small tree already holds a
    // livery for each airline and type the demo's scenario flies.
    return {
        {"KLM", "KLM", "B738", "Boeing", "737-800", "PH-", "BX", false},
        {"KLM", "KLM", "B77W", "Boeing", "777-300ER", "PH-", "BV", false},
        {"KLC", "KLM Cityhopper", "E190", "Embraer", "E190", "PH-", "EZ", false},
        {"TRA", "Transavia", "B738", "Boeing", "737-800", "PH-", "HX", false},
        {"EZY", "easyJet", "A320", "Airbus", "A320-200", "G-", "EZ", false},
        {"BAW", "British Airways", "A320", "Airbus", "A320-200", "G-", "EU", false},
        {"DLH", "Lufthansa", "A321", "Airbus", "A321-200", "D-", "AI", false},
        {"KLM", "KLM", "B789", "Boeing", "787-9", "PH-", "BH", false},
        {"KLC", "KLM Cityhopper", "E75L", "Embraer", "E175", "PH-", "EX", false},
        {"AFR", "Air France", "A320", "Airbus", "A320-200", "F-", "HE", false},
        {"EZY", "easyJet", "A20N", "Airbus", "A320neo", "G-", "UZ", false},
        {"MPH", "Martinair Cargo", "B744", "Boeing", "747-400F", "PH-", "MP", true},
        {"RYR", "Ryanair", "B738", "Boeing", "737-800", "EI-", "DC", false},
        {"SWR", "Swiss", "A320", "Airbus", "A320-200", "HB-", "JL", false},
        {"SAS", "Scandinavian", "A20N", "Airbus", "A320neo", "SE-", "RO", false},
        {"UAE", "Emirates", "B77W", "Boeing", "777-300ER", "A6-", "EG", false},
        {"DAL", "Delta", "A333", "Airbus", "A330-300", "N", "8", false},
        {"THY", "Turkish Airlines", "A321", "Airbus", "A321-200", "TC-", "JR", false},
        {"KLM", "KLM", "B772", "Boeing", "777-200ER", "PH-", "BQ", false},
        {"BEL", "Brussels Airlines", "A319", "Airbus", "A319-100", "OO-", "SS", false},
        {"IBE", "Iberia", "A320", "Airbus", "A320-200", "EC-", "IL", false},
        {"VLG", "Vueling", "A320", "Airbus", "A320-200", "EC-", "MV", false},
        {"EWG", "Eurowings", "A319", "Airbus", "A319-100", "D-", "AG", false},
        {"FIN", "Finnair", "A321", "Airbus", "A321-200", "OH-", "LZ", false},
        {"AUA", "Austrian", "A320", "Airbus", "A320-200", "OE-", "LB", false},
        {"UAL", "United", "B772", "Boeing", "777-200ER", "N", "7", false},
        {"UAE", "Emirates", "A388", "Airbus", "A380-800", "A6-", "EU", false},
        {"QTR", "Qatar Airways", "A359", "Airbus", "A350-900", "A7-", "AL", false},
        {"SIA", "Singapore Airlines", "A359", "Airbus", "A350-900", "9V-", "SM", false},
        {"CPA", "Cathay Pacific", "B77W", "Boeing", "777-300ER", "B-", "KP", false},
        {"DLA", "Air Dolomiti", "E195", "Embraer", "E195", "I-", "AD", false},
        {"FDX", "FedEx", "B77L", "Boeing", "777F", "N", "85", true},
        {"GEC", "Lufthansa Cargo", "B77L", "Boeing", "777F", "D-", "AL", true},
        {"CLX", "Cargolux", "B748", "Boeing", "747-8F", "LX-", "VC", true},
        {"DHK", "DHL Air", "B763", "Boeing", "767-300F", "G-", "DH", true},
    };
}

// The sequence number as letters, at least `width` of them: 0 -> "A", 26 -> "BA"
// with width 2; more letters once the width is used up.
std::string lf_letters(std::size_t number, std::size_t width) {
    std::string letters;
    do {
        letters.insert(letters.begin(), static_cast<char>('A' + number % lettersInAlphabet));
        number /= lettersInAlphabet;
    } while (number > 0 || letters.size() < width);
    return letters;
}

// The simulator knows a title by the bytes of its aircraft.cfg, and add-ons
// write both kinds: Boeing files in the legacy code page (Windows-1252),
// the others in UTF-8, with a character that code page lacks. A type's folder
// holds one manufacturer, so each file is of one kind.
std::string lf_placeName(const DemoFleet& fleet) {
    return fleet.manufacturer == "Boeing" ? "K\xF6ln" : "\xC5\x81\xC3\xB3" "d\xC5\xBA";
}

std::string lf_typeFolder(const DemoFleet& fleet, std::size_t part) {
    return fmt::format("Demo {} {} {:02}", fleet.manufacturer, fleet.model, part + 1);
}

void lf_writeFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error(fmt::format("cannot write {}", path.string()));
}

std::string lf_section(std::size_t number, const DemoLivery& livery, const DemoFleet& fleet) {
    return fmt::format(
        "[fltsim.{}]\n"
        "title={}\n"
        "sim={}\n"
        "model=\n"
        "panel=\n"
        "sound=\n"
        "texture={}\n"
        "kb_checklists=\n"
        "kb_reference=\n"
        "atc_id={}\n"
        "atc_airline={}\n"
        "atc_flight_number=\n"
        "atc_parking_types={}\n"
        "atc_parking_codes={}\n"
        "ui_manufacturer={}\n"
        "ui_type={}\n"
        "ui_variation={} {}\n"
        "ui_typerole=Commercial Airliner\n"
        "ui_createdby=Tolvaren demo\n"
        "description={} {} of {}, registration {}\n"
        "visual_damage=0\n"
        "\n",
        number, livery.title, livery.type, livery.texture, livery.registration, fleet.airlineName,
        fleet.cargo ? "CARGO" : "GATE,RAMP", fleet.airline, fleet.manufacturer, fleet.model, fleet.airlineName,
        livery.registration, fleet.manufacturer, fleet.model, fleet.airlineName, livery.registration);
}

std::string lf_general(const std::string& type, const std::string& manufacturer) {
    return fmt::format(
        "[General]\n"
        "atc_type={}\n"
        "atc_model={}\n"
        "editable=0\n"
        "performance=\n"
        "Category=airplane\n",
        manufacturer, type);
}

}  // namespace

const std::vector<DemoFleet>& gf_demoFleets() {
    static const std::vector<DemoFleet> fleets = lf_fleets();
    return fleets;
}

std::vector<DemoLivery> gf_demoLiveries(std::size_t count) {
    const std::vector<DemoFleet>& fleets = gf_demoFleets();
    std::vector<DemoLivery> liveries;
    liveries.reserve(count);
    // How many liveries each type folder holds so far, by folder stem.
    std::map<std::string, std::size_t> perType;
    for (std::size_t i = 0; i < count; ++i) {
        const DemoFleet& fleet = fleets[i % fleets.size()];
        const std::size_t serial = i / fleets.size();
        DemoLivery livery;
        livery.airline = fleet.airline;
        livery.type = fleet.type;
        livery.cargo = fleet.cargo;
        livery.registration = fleet.regPrefix + fleet.regFirst + lf_letters(serial, suffixLetters);
        livery.title = fmt::format("Demo {} {} {} {} {}", fleet.manufacturer, fleet.model, fleet.airlineName,
                                   livery.registration, lf_placeName(fleet));
        std::size_t& inType = perType[fleet.manufacturer + " " + fleet.model];
        livery.folder = lf_typeFolder(fleet, inType / liveriesPerFolder);
        livery.texture = fmt::format("{} {}", fleet.airline, livery.registration);
        ++inType;
        liveries.push_back(std::move(livery));
    }
    return liveries;
}

void gf_writeDemoSimObjects(const fs::path& entryFolder, std::size_t count) {
    fs::remove_all(entryFolder);
    fs::create_directories(entryFolder);
    const std::vector<DemoFleet>& fleets = gf_demoFleets();
    const std::vector<DemoLivery> liveries = gf_demoLiveries(count);
    // aircraft.cfg text by folder; a folder's first livery names its type.
    std::map<std::string, std::string> sections;
    std::map<std::string, std::size_t> sectionCount;
    std::map<std::string, std::string> folderType;
    for (std::size_t i = 0; i < liveries.size(); ++i) {
        const DemoLivery& livery = liveries[i];
        const DemoFleet& fleet = fleets[i % fleets.size()];
        std::size_t& number = sectionCount[livery.folder];
        sections[livery.folder] += lf_section(number, livery, fleet);
        ++number;
        if (folderType.emplace(livery.folder, livery.type).second) {
            const fs::path folder = entryFolder / livery.folder;
            fs::create_directories(folder / "model");
            lf_writeFile(folder / "model" / "model.cfg", fmt::format("[models]\nnormal={}\n", livery.type));
            // The simulator needs a flight model beside the aircraft.cfg.
            lf_writeFile(folder / (livery.type + ".air"), "demo flight model\n");
            sections[livery.folder].insert(0, lf_general(livery.type, fleet.manufacturer) + "\n");
        }
        fs::create_directories(entryFolder / livery.folder / ("texture." + livery.texture));
    }
    for (const auto& [folder, text] : sections) lf_writeFile(entryFolder / folder / "aircraft.cfg", text);
}

}  // namespace zrb::demo
