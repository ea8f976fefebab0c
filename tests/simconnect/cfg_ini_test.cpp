// The INI reader behind SimConnect.cfg on Linux, with the rules of
// GetPrivateProfileStringW the client depends on.
#include <gtest/gtest.h>

#include "platform/simconnect_transport.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using platform::iniGetString;
using platform::iniSectionHasEntries;

TEST(CfgIni, KeysSectionsAndValues) {
    test::TempFolder folder;
    const auto file = folder / "SimConnect.cfg";
    test::writeFile(file,
                    "\xEF\xBB\xBF; a comment\r\n"
                    "[simconnect]\r\n"
                    "  protocol =  IPv4  \r\n"
                    "Address=\"127.0.0.1\"\r\n"
                    "Port='500'\r\n"
                    "Port=600\r\n"           // the first key counts
                    "NoEquals\r\n"
                    ";Address=10.0.0.1\r\n"  // a comment, not a key
                    "[SimConnect.1]\r\n"
                    "Port=700\r\n"
                    "[SimConnect.2]\r\n"
                    "\r\n"
                    "[SimConnect]\r\n"       // a second section of the same name is ignored
                    "MaxReceiveSize=99\r\n");
    EXPECT_EQ(iniGetString(file, u"SimConnect", u"Protocol", 2048), u"IPv4");
    EXPECT_EQ(iniGetString(file, u"SIMCONNECT", u"address", 2048), u"127.0.0.1");
    EXPECT_EQ(iniGetString(file, u"SimConnect", u"Port", 2048), u"500");
    EXPECT_EQ(iniGetString(file, u"SimConnect", u"MaxReceiveSize", 2048), u"");
    EXPECT_EQ(iniGetString(file, u"SimConnect.1", u"Port", 2048), u"700");
    EXPECT_EQ(iniGetString(file, u"SimConnect", u"Protocol", 3), u"IP");  // cut to the buffer
    EXPECT_TRUE(iniSectionHasEntries(file, u"simconnect.1", 30));
    EXPECT_FALSE(iniSectionHasEntries(file, u"SimConnect.2", 30));  // present but empty
    EXPECT_FALSE(iniSectionHasEntries(file, u"SimConnect.3", 30));
}

TEST(CfgIni, Utf16AndBadFiles) {
    test::TempFolder folder;
    const auto utf16 = folder / "utf16.cfg";
    const std::u16string text = u"\uFEFF[SimConnect]\r\nAddress=h\u00E9st\r\n";
    std::string bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    test::writeFile(utf16, bytes);
    EXPECT_EQ(iniGetString(utf16, u"SimConnect", u"Address", 2048), u"h\u00E9st");

    const auto missing = folder / "missing.cfg";
    EXPECT_EQ(iniGetString(missing, u"SimConnect", u"Port", 2048), u"");
    EXPECT_FALSE(iniSectionHasEntries(missing, u"SimConnect", 30));

    const auto empty = folder / "empty.cfg";
    test::writeFile(empty, "");
    EXPECT_EQ(iniGetString(empty, u"SimConnect", u"Port", 2048), u"");

    const auto truncated = folder / "truncated.cfg";
    test::writeFile(truncated, "[SimConn");
    EXPECT_EQ(iniGetString(truncated, u"SimConn", u"Port", 2048), u"");

    const auto latin1 = folder / "latin1.cfg";
    test::writeFile(latin1, "[SimConnect]\nAddress=h\xE9st\n");  // not UTF-8: read as Latin-1
    EXPECT_EQ(iniGetString(latin1, u"SimConnect", u"Address", 2048), u"h\u00E9st");

    const auto odd = folder / "odd.cfg";
    test::writeFile(odd, std::string("\xFF\xFE[\0S\0", 6) + "\x01");  // UTF-16 cut in a character
    EXPECT_EQ(iniGetString(odd, u"S", u"Port", 2048), u"");
}

}  // namespace
}  // namespace zrb
