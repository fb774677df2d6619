#pragma once

// Reading the track files we write with other programs, as our users do: GPSBabel turns
// them into GPX, xmllint checks that a GPX, KML or SVG file is well-formed XML, librsvg
// draws an SVG picture. POSIX only.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

// Whether xmllint finds the file well-formed XML (the reason added to the test's output
// when it does not).
inline bool WellFormedXml(const TempDir& dir, const std::string& path) {
  if (!std::filesystem::exists("/usr/bin/xmllint")) {
    ADD_FAILURE() << "xmllint is not installed (scripts/test installs libxml2-utils)";
    return false;
  }
  const std::string command = "/usr/bin/xmllint --noout '" + path + "' 2>'" + dir.File("xmllint.err") + "'";
  if (std::system(command.c_str()) == 0) return true;
  ADD_FAILURE() << path << " is not well-formed: " << ReadTextFile(dir.File("xmllint.err"));
  return false;
}

// Whether librsvg's rsvg-convert draws the SVG picture into a PNG file (the reason added to
// the test's output when it does not).
inline bool RendersWithLibrsvg(const TempDir& dir, const std::string& path) {
  if (!std::filesystem::exists("/usr/bin/rsvg-convert")) {
    ADD_FAILURE() << "rsvg-convert is not installed (scripts/test installs librsvg2-bin)";
    return false;
  }
  const std::string png = dir.File("rendered.png");
  const std::string command =
      "/usr/bin/rsvg-convert -o '" + png + "' '" + path + "' 2>'" + dir.File("rsvg.err") + "'";
  if (std::system(command.c_str()) == 0 && ReadTextFile(png).rfind("\x89PNG", 0) == 0) return true;
  ADD_FAILURE() << path << " was not drawn: " << ReadTextFile(dir.File("rsvg.err"));
  return false;
}

#if defined(GPX_SCHEMA)
// Whether xmllint finds the file a valid GPX 1.1 document, by the schema of the standard
// (tests/track/gpx11.xsd); the reason added to the test's output when it does not.
inline bool ValidGpx(const TempDir& dir, const std::string& path) {
  if (!WellFormedXml(dir, path)) return false;
  const std::string command = "/usr/bin/xmllint --noout --schema '" GPX_SCHEMA "' '" + path + "' 2>'" +
                              dir.File("xmllint.err") + "'";
  if (std::system(command.c_str()) == 0) return true;
  ADD_FAILURE() << path << " is no valid GPX 1.1: " << ReadTextFile(dir.File("xmllint.err"));
  return false;
}
#endif

// Has GPSBabel read a track file of its format ("ozi", "gpx" or "kml") into GPX text.
inline bool GpsBabelReadsBack(const TempDir& dir, const std::string& path, const std::string& format,
                              std::string& gpx) {
  std::string gpsbabel;
  for (const char* candidate : {"/usr/bin/gpsbabel", "/usr/local/bin/gpsbabel"}) {
    if (std::filesystem::exists(candidate)) gpsbabel = candidate;
  }
  if (gpsbabel.empty()) {
    ADD_FAILURE() << "gpsbabel is not installed (scripts/test installs it)";
    return false;
  }
  const std::string command = gpsbabel + " -i " + format + " -f '" + path + "' -o gpx -F '" +
                              dir.File("read-back.gpx") + "' 2>'" + dir.File("gpsbabel.err") + "'";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "gpsbabel failed: " << ReadTextFile(dir.File("gpsbabel.err"));
    return false;
  }
  gpx = ReadTextFile(dir.File("read-back.gpx"));
  return true;
}

// How often a text holds a part.
inline size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}
