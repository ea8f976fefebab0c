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

// The well-formed byte sequences as the Unicode standard tables them: no
// overlong form, no surrogate, nothing above U+10FFFF.
bool LoggedFolder::logIsUtf8() const {
    const std::string text = readFile(m_folder / "Log.txt");
    const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U; };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned lead = at(i);
        std::size_t tail = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            tail = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            tail = 2;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            tail = 3;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else if (lead >= 0x80) {
            return false;
        }
        if (tail > 0 && (at(i + 1) < low || at(i + 1) > high)) return false;
        for (std::size_t k = 2; k <= tail; ++k)
            if (at(i + k) < 0x80 || at(i + k) > 0xBF) return false;
        i += tail + 1;
    }
    return true;
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
