#pragma once

#include <string>
#include <vector>

#include "disk_image/model/FileHierarchyElement.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/ImageAnalysis.hpp"

namespace zorv {

// The plain-text analysis report (ImageParser::textualDescription), built
// only through the image model's interfaces. Lines are joined by a single
// line feed, with none after the last. Numbers are decimal without grouping;
// dates are ShortDateTimeFormatter's, in the user's locale and time zone.
// Text read from the image (names, partition types) is shown through
// printableText: a control character in a name is a "?" (the JSON report
// keeps it).
//
//     HFS (Macintosh)
//     Disk Copy wrapper                       (a volume taken out of one)
//     Block size: 512
//     Size in blocks: 1600 (819200 bytes)
//     Partitions:                             (a device)
//     1:<tab>Apple_HFS (MacOS), Start: 96, Length: 40864
//     Volume: "Untitled" (bootable), 1024 bytes free out of 819200
//     Creation date: 01/19/98, 15:04
//     Last modified: 01/19/98, 15:04
//     Geometry: 80 tracks, 2 sides, 9 sectors (a disk laid out in tracks)
//     File Hierarchy of volume "Untitled":    (verbose)
//     [Tools]
//     |_Notes
//
// An "Empty Volume" image, whose block size is 0, reports 0 blocks.
struct AnalysisTextReport {
    static std::string text(const ImageAnalysis& analysis, bool verbose);

    // Adds the lines of one volume to the report: name, capacities, dates,
    // geometry and, when verbose, its file hierarchy.
    static void appendVolumeLines(std::string& text, const VolumeRepresentable& volume, bool verbose);
    // "Geometry: 80 tracks, 1 side, 9 sectors".
    static std::string geometryLine(const PhysicalDiskRepresentable& disk);
    // An item of the hierarchy: "|" and one "_" per level below the root,
    // then the name, in brackets for a folder.
    static std::string hierarchyLine(const FileHierarchyElement& element);
    static void appendHierarchyLine(std::string& text, const FileHierarchyElement& element);
};

}  // namespace zorv
