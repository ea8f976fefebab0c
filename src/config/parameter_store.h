#pragma once
// parameters.xml: the settings' store in the program data folder.
//
//   <parameters>
//       <parameter name="LOG" value="true"/>
//       ...
//   </parameters>
//
// Once per run gf_readParameters loads the file (or creates it with every
// default), appends missing entries, clamps integers into their ranges, logs
// every value, saves the file and shows the values in the window's controls.
// While the program runs, the single-value savers reload the file, change or
// append one entry and write it back.
//
// Threads: every load-change-save of the file, from any thread, holds one
// process-wide lock (the settings-file lock), so saves from the window and the
// worker never lose each other's changes. That lock is never held while a
// control is touched. Files are written to a temporary file and renamed over
// parameters.xml, so a crash never leaves half a file behind.

#include <span>
#include <string>

#include <pugixml.hpp>

#include "config/parameters.h"

namespace zrb {

// Loads, completes, clamps, logs, saves and shows the five lists (see
// gf_parameterReadLists). Never throws for a missing or broken file: defaults
// are taken and a new file is written; a broken file is kept beside it as
// "parameters.xml.bad". A file that exists but cannot be read, or cannot be
// kept aside, is never written over, by this or by any saver: the defaults
// are taken in memory only, and the result is false (the caller tells the user).
bool gf_readParameters(std::span<BoolCheckParameter* const> checkBoxes, std::span<IntParameter* const> fileInts,
                       std::span<IntParameter* const> shownInts, std::span<StringParameter* const> fileStrings,
                       std::span<StringEditParameter* const> shownStrings);

// Loads parameters.xml into the document under the settings-file lock (for a
// reader of single values, such as the window's position). False when the
// file is missing or broken.
bool gf_loadParametersDocument(pugi::xml_document& doc);

// Looks the entry up in an already loaded document. Found: the value is the
// entry's text read as an integer and clamped into the range, result true. Not
// found: the value is the default, result false. With log, writes the value
// line (dropped while a stop is under way).
bool gf_readIntParameter(IntParameter& parameter, const pugi::xml_node& doc, bool log);

// Single-value savers: write the setting's current value into parameters.xml,
// appending the entry when missing. The bool and string savers log the value
// line; the integer saver logs nothing but a failure. A failed save logs
// "Saving '{}' failed"; the value in memory stays as set (so does a file that
// cannot be read or kept aside). Return true when the file was written.
bool gf_saveBoolParameter(BoolParameter& parameter);
bool gf_saveStringParameter(StringParameter& parameter);
bool gf_saveIntParameter(IntParameter& parameter);
// value = text, then gf_saveStringParameter.
bool gf_setStringParameter(StringParameter& parameter, std::string text);

// Deletes the entry from parameters.xml. True only when an entry was found,
// removed and the file saved.
bool gf_removeParameter(Parameter& parameter);

// Writes the line to Log.txt unless a stop of the run or of the program is
// under way.
void gf_logLineUnlessStopping(const std::string& line);

}  // namespace zrb
