#pragma once
// The names of every file and folder the program uses, where its settings
// live, and the process-wide values derived at start-up.
//
// Data paths are relative: they resolve against the current directory, which
// the start-up requires to be the installation folder. Only the settings file
// and the flight-plan folder live under the user's AppData folder.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace zrb {

using Path = std::filesystem::path;

// ---------------------------------------------------------------- input
inline const Path g_inputFolder{"input"};
inline const Path g_dbaseEncFile = g_inputFolder / "dbase.enc";
inline const Path g_regcodesEncFile = g_inputFolder / "AIG-regcodes.enc";
inline const Path g_dbaseXmlFile = g_inputFolder / "dbase.xml";
inline const Path g_regcodesXmlFile = g_inputFolder / "AIG-regcodes.xml";
inline const Path g_myRegcodesFolder = g_inputFolder / "my_regcodes";

// ---------------------------------------------------------------- airports
inline const Path g_airportsFolder{"airports"};
inline const Path g_learnedFolder = g_airportsFolder / "learned";
inline const Path g_learnedStockFolder = g_learnedFolder / "stock";
inline const Path g_learnedSimaddonFolder = g_learnedFolder / "simaddon";
inline const Path g_learnedThirdpartyFolder = g_learnedFolder / "thirdparty";
inline const Path g_myOrbxFolder = g_airportsFolder / "my_ORBX";
inline const Path g_myThirdpartyFolder = g_airportsFolder / "my_thirdparty";
inline const Path g_myParkAirportsFile = g_airportsFolder / "my_park_airports.txt";
inline const Path g_airportListName{"airports_p3d.xml"};  // read from the input folder at each run
inline const Path g_tbloFolder{"TBLO"};                   // airport files handed over for learning

// ---------------------------------------------------------------- output
inline const Path g_outputFolder{"output"};
inline const Path g_liveriesScannedFile = g_outputFolder / "LiveriesScanned.xml";
inline const Path g_outputInfoFolder = g_outputFolder / "info";
inline const Path g_outputErrorsFolder = g_outputFolder / "errors";
inline const Path g_airportsScanLogFile = g_outputInfoFolder / "AirportsScanLog.txt";
inline const Path g_noFltsimSectionFile = g_outputInfoFolder / "AircraftCfgWithNoFltsimSection.txt";
inline const Path g_airlineModelConversionsFile = g_outputInfoFolder / "AirlineModelConversions.txt";
inline const Path g_inlineRegcodesFile = g_outputErrorsFolder / "InlineRegcodes.txt";
inline const Path g_offlineRegcodesFile = g_outputInfoFolder / "OfflineRegcodes.txt";
inline const Path g_invalidAirlineCodesFile = g_outputErrorsFolder / "InvalidAirlineCodes.txt";
inline const Path g_invalidAircraftCodesFile = g_outputErrorsFolder / "InvalidAircraftCodes.txt";
inline const Path g_fixesFile = g_outputErrorsFolder / "Fixes.txt";
inline const Path g_invalidAircraftCfgFilesFile = g_outputErrorsFolder / "InvalidAircraftCfgFiles.txt";
inline const Path g_incompleteFltsimSectionsFile = g_outputErrorsFolder / "IncompleFltsimSections.txt";

// ---------------------------------------------------------------- installation
inline const Path g_installerFile{"install_new_version.exe"};
inline const Path g_docsFolder{"docs"};  // its presence proves the current directory

// ---------------------------------------------------------------- settings location
inline constexpr std::string_view g_programDataFolderName = "TLVR_P3D";
inline constexpr std::string_view g_parametersFileName = "parameters.xml";

// AppData / "TLVR_P3D", or "TLVR_P3D" relative to the current directory when
// there is no AppData folder.
Path gf_programDataFolderFor(const std::optional<Path>& appDataFolder);

// The program data folder: asked of the system once, on first use, then kept.
Path gf_programDataFolder();
// gf_programDataFolder() / "parameters.xml".
Path gf_parametersPath();

// Tests only: puts the program data folder elsewhere (an empty path returns to
// the system's).
void gf_setProgramDataFolderForTest(const Path& folder);

// ---------------------------------------------------------------- start-up globals
// The traffic range in nautical miles (RANGE's value) and the object-search
// radius in metres derived from it; any thread reads them.
inline std::atomic<double> g_workingRangeNm{40.0};
inline std::atomic<std::int32_t> g_objectSearchRadiusM{40 * 1852 + 10000};

inline constexpr std::int32_t g_metresPerNm = 1852;
inline constexpr std::int32_t g_searchRadiusMarginM = 10000;

// A range in nautical miles rounded to the RANGE choices (2 below 3, the
// nearest step above, 100 from 90 on).
std::int32_t gf_quantizeRange(std::int32_t nm);

// Sets the working range and the object-search radius (range × 1852 + 10000 m)
// from a RANGE value; called whenever RANGE changes.
void gf_setWorkingRange(std::int32_t rangeNm);

// Whether Prepar3D v5 / v6 is installed (its registry key exists). Asked of
// the registry once, on first use; never throws.
bool gf_p3dV5Installed();
bool gf_p3dV6Installed();

// The settings that every airport file repeats for its airport, in this order.
inline constexpr std::array<std::string_view, 11> g_airportFileSettingNames{
    "LATERAL_RANGE", "AUTO_RANGE", "INITIAL_LOAD_ONLY", "PARK_SOFT", "PARK_FAKE", "parking_percentage",
    "MAX_FIT", "WEEK", "RT_PARKTRAFFIC_ONLY", "LEARN_SOFT", "MAX_LIVE"};

}  // namespace zrb
