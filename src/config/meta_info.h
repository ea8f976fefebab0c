#pragma once
// The header that every XML file the program writes for itself begins with:
//
//   <meta>
//       <info name="author" value="TLVR_P3D"/>
//       <info name="date" value="Dec 06, 2026"/>
//       <info name="version" value="11.0.2"/>
//       <info name="copyright" value="..."/>
//       <info name="P3D" value="v5/v6"/>
//   </meta>
//
// The readers of those files refuse one whose header lacks "author", "date" or
// "version".

#include <string_view>

#include <pugixml.hpp>

#include "config/parameters.h"
#include "config/shared_value.h"

namespace zrb {

// Holders of the header's entries; gf_readMetaInfo fills their values. Their
// names are the entry names. Never stored in parameters.xml.
extern StringParameter g_metaAuthor;     // "author"
extern StringParameter g_metaDate;       // "date"
extern StringParameter g_metaVersion;    // "version"
extern StringParameter g_metaCopyright;  // "copyright"
extern StringParameter g_metaMsfs;       // "MSFS"
extern StringParameter g_metaP3d;        // "P3D"

// Selects the header's simulator entry: "P3D" gives P3D="v5/v6", "MSFS" gives
// MSFS="2020", anything else MSFS="2024". Starts as "MSFS"; the livery scan and
// the airport-file writers set it to "P3D" before they write. Any thread.
extern GuardedString g_metaSimulator;

inline constexpr std::string_view g_copyrightText = "Copyright (c) Tolvaren developers, all rights reserved";

// Appends <meta> with its five <info> entries to the node (a document or an
// element). False as soon as an element or attribute cannot be created; the
// caller then abandons the file.
bool gf_writeMetaInfo(pugi::xml_node node);

// Looks "/meta/info[@name='<entry name>']" up in the document. Found: the
// entry's value becomes the info's value text (empty without one), true. Not
// found: false, the value unchanged. An XPath error is logged, false.
bool gf_readMetaInfo(const pugi::xml_node& doc, StringParameter& entry);

}  // namespace zrb
