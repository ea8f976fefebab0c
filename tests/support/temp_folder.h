#pragma once
// Test helpers: a fresh temporary folder per test, optionally made the current
// directory (the program resolves its data paths against it), and file helpers.

#include <filesystem>
#include <string>
#include <vector>

namespace zrb::test {

class TempFolder {
public:
    // Creates a new empty folder under the system's temporary folder.
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& p) const { return m_path / p; }

private:
    std::filesystem::path m_path;
};

// Makes a folder the current directory for its lifetime, then restores the old one.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& folder);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

// A temporary folder that is also the current directory, with Log.txt opened in
// it for the test's lifetime (closed again at the end).
class LoggedFolder {
public:
    LoggedFolder();
    ~LoggedFolder();
    const std::filesystem::path& path() const { return m_folder.path(); }
    std::filesystem::path operator/(const std::filesystem::path& p) const { return m_folder / p; }
    // The lines of Log.txt written so far (without line ends).
    std::vector<std::string> logLines() const;
    // True when a line of Log.txt contains the text.
    bool logContains(const std::string& text) const;
    // True when Log.txt is well-formed UTF-8 throughout.
    bool logIsUtf8() const;

private:
    TempFolder m_folder;
    CurrentDirectory m_cd;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
std::vector<std::string> readLines(const std::filesystem::path& path);

}  // namespace zrb::test
