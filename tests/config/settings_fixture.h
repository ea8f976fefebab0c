#pragma once
// Shared by the settings tests: a logged temporary folder that also holds the
// program data folder, with every setting back at its default.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/stop_flags.h"
#include "support/temp_folder.h"

namespace zrb::test {

inline void resetAllParameters() {
    for (Parameter* p : gf_allParameters()) {
        if (auto* i = dynamic_cast<IntParameter*>(p)) i->value = i->defaultValue;
        if (auto* b = dynamic_cast<BoolParameter*>(p)) b->value = b->defaultValue;
        if (auto* s = dynamic_cast<StringParameter*>(p)) s->value = s->defaultValue;
        if (auto* f = dynamic_cast<FloatEditParameter*>(p)) f->value = f->defaultValue;
        if (auto* c = dynamic_cast<GuiControl*>(p)) c->handle_ = platform::noControl;
    }
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() {
        g_stopRun = false;
        g_stopProgram = false;
        resetAllParameters();
        gf_setProgramDataFolderForTest(dataFolder());
        std::filesystem::create_directories(dataFolder());
    }
    ~SettingsTest() override {
        g_stopRun = false;
        g_stopProgram = false;
        resetAllParameters();
        gf_setProgramDataFolderForTest({});
    }

    std::filesystem::path dataFolder() const { return m_folder / "AppData" / "TLVR_P3D"; }
    std::filesystem::path parametersFile() const { return dataFolder() / "parameters.xml"; }

    // The stored value of an entry; "<missing>" when there is none, "<no value>"
    // when it has no value attribute.
    std::string stored(const std::string& name) const {
        pugi::xml_document doc;
        if (!doc.load_file(parametersFile().c_str())) return "<no file>";
        const auto node = doc.select_node(("/parameters/parameter[@name='" + name + "']").c_str()).node();
        if (!node) return "<missing>";
        const auto value = node.attribute("value");
        return value ? value.as_string() : "<no value>";
    }

    std::size_t storedCount() const {
        pugi::xml_document doc;
        if (!doc.load_file(parametersFile().c_str())) return 0;
        return doc.select_nodes("/parameters/parameter").size();
    }

    void writeParameters(const std::string& entries) {
        writeFile(parametersFile(), "<?xml version=\"1.0\"?>\n<parameters>\n" + entries + "</parameters>\n");
    }

    LoggedFolder m_folder;
};

}  // namespace zrb::test
