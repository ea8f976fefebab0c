#include "support/temp_folder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "foundation/log.h"

namespace zrb::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto name = "tlv-test-" + std::to_string(rd()) + "-" + std::to_string(counter++);
        const auto candidate = fs::temp_directory_path() / name;
        if (fs::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

CurrentDirectory::CurrentDirectory(const fs::path& folder) : m_previous(fs::current_path()) {
    fs::current_path(folder);
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
}

LoggedFolder::LoggedFolder() : m_cd(m_folder.path()) { gf_openLog(); }

LoggedFolder::~LoggedFolder() { gf_closeLog(); }

std::vector<std::string> LoggedFolder::logLines() const { return readLines(m_folder / "Log.txt"); }

bool LoggedFolder::logContains(const std::string& text) const {
    for (const auto& line : logLines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> readLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace zrb::test
