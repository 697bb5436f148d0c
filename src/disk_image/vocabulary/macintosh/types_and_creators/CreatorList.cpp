#include "disk_image/vocabulary/macintosh/types_and_creators/CreatorList.hpp"

#include <array>
#include <utility>

namespace zorv {
namespace {

// 73 rows, in the order they are built.
constexpr std::array<std::pair<const char*, const char*>, 73> creatorsAsStringDict{{
        {"????", "Any creator"},
        {"8BIM", "Adobe Photoshop"},
        {"ACAD", "AutoCAD"},
        {"AD65", "Pagemaker 6.5"},
        {"AGD1", "Freehand 5"},
        {"ALD3", "PageMaker 3"},
        {"ALD4", "PageMaker 4"},
        {"ALD5", "PageMaker 5"},
        {"ALD6", "PageMaker 6"},
        {"aplt", "AppleScript"},
        {"ART3", "Illustrator 3"},
        {"ART5", "Illustrator 5"},
        {"ARTY", "Illustrator 1"},
        {"ARTZ", "Illustrator 88"},
        {"ATMC", "Adobe Type Manager"},
        {"BOBO", "ClarisWorks"},
        {"CARO", "Acrobat Distiller"},
        {"CDr3", "Toast"},
        {"cDRW", "ClarisDraw"},
        {"CPCT", "Compact Pro"},
        {"dCpy", "Disk Copy 4.2"},
        {"DDAP", "DiskDoubler"},
        {"ddsk", "Disk Copy 6.3"},
        {"DMGR", "Desktop Manager"},
        {"dosa", "Unknown PC files"},
        {"drst", "Drive Setup"},
        {"dPro", "MacDraw Pro"},
        {"ERIK", "Macintosh Finder"},
        {"F#+A", "RagTime Classic"},
        {"FHA3", "Freehand 3"},
        {"FMK4", "FileMaker"},
        {"FMP3", "FileMaker Pro"},
        {"FTCH", "Extensis Portfolio"},
        {"FXTC", "Adobe After Effects"},
        {"inDn", "Adobe InDesign"},
        {"IWRT", "ImageWriter"},
        {"LIDO", "Lido"},
        {"MACA", "MacWrite"},
        {"MACS", "Macintosh operating system"},
        {"MDRW", "MacDraw"},
        {"MDPL", "MacDraw"},
        {"mdos", "DOS"},
        {"MFL2", "Flash Editor"},
        {"MOSS", "Netscape"},
        {"MPWR", "MacWrite Pro"},
        {"MSWD", "Microsoft Word"},
        {"MWII", "MacWrite II"},
        {"Nqst", "SoundEdit 16"},
        {"nX^n", "WriteNow"},
        {"OMEG", "Mathematica"},
        {"pdos", "ProDOS"},
        {"Pnst", "RealPlayer"},
        {"PPT3", "PowerPoint"},
        {"PSIP", "AppleWorks"},
        {"PSI2", "AppleWorks"},
        {"R#+D", "RagTime"},
        {"RSED", "ResEdit"},
        {"S#+D", "RagTime"},
        {"SCPL", "SoundApp"},
        {"scsi", "HD SC Setup"},
        {"SIT!", "StuffIt"},
        {"SITx", "StuffIt"},
        {"SSIW", "Wordperfect"},
        {"WILD", "HyperCard"},
        {"StMI", "Adobe PageMill"},
        {"SWF2", "Flash Player"},
        {"ttxt", "SimpleText"},
        {"TtÉk", "TattleTech"},
        {"TVOD", "QuickTime"},
        {"vgrd", "LaserWriter Postscript"},
        {"WPC2", "Wordperfect"},
        {"XPR3", "QuarkXpress"},
        {"XCEL", "Microsoft Excel"},
}};

}  // namespace

const CreatorList& CreatorList::shared() {
    static const CreatorList table = [] {
        CreatorList built;
        for (const auto& [code, text] : creatorsAsStringDict) built.list.emplace(code, text);
        return built;
    }();
    return table;
}

}  // namespace zorv
