#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"

#include <array>
#include <utility>

#include "disk_image/vocabulary/macintosh/types_and_creators/TypeExtensionList.hpp"

namespace zorv {
namespace {

// 117 rows, in the order they are built.
constexpr std::array<std::pair<const char*, const char*>, 117> typesAsStringDict{{
        {"..CT", "Scitex"},
        {".WAV", "Wave sound"},
        {".WP4", "WordPerfect 4 (PC)"},
        {".WP5", "WordPerfect 5 (PC)"},
        {"8BIM", "Adobe Photoshop"},
        {"8BPS", "Adobe Photoshop"},
        {"AB65", "Adobe PageMaker 6.5"},
        {"adev", "Network extension"},
        {"ALB3", "Aldus Pagemaker 3"},
        {"ALB4", "Aldus PageMaker 4"},
        {"ALB5", "Aldus PageMaker 5"},
        {"ALB6", "Adobe PageMaker 6"},
        {"appe", "Background-only application"},
        {"APPL", "Launchable application"},
        {"AWDB", "Microsoft Works database"},
        {"AWSS", "Microsoft Works spreadsheet"},
        {"AWWP", "Microsoft Works Word Processor document"},
        {"BINA", "Microsoft Word for Mac 5 (PC format)"},
        {"BTFL", "Desktop database"},
        {"CCAD", "Claris CAD"},
        {"cdev", "Control panel"},
        {"CrTC", "Toast 3 project"},
        {"CWWP", "ClarisWorks text file"},
        {"DBSE", "Extensis Portfolio image database"},
        {"DCT5", "Microsoft Word dictionary"},
        {"DDFL", "Disk Doubler data"},
        {"dDOC", "MacDraw Pro"},
        {"dDRW", "ClarisDraw"},
        {"DFIL", "File for storing desk accessories"},
        {"dImg", "Disk Copy image"},
        {"DRVR", "Driver"},
        {"DRWG", "MacDraw"},
        {"DTFL", "Desktop file"},
        {"DWG ", "AutoCAD"},
        {"edtp", "Edition for sharing graphics-oriented data"},
        {"edts", "Edition for sharing sound-oriented data"},
        {"edtt", "Edition for sharing text-oriented data"},
        {"EggP", "Adobe After Effects project"},
        {"EPSF", "EPS"},
        {"F#+D", "RagTime Classic"},
        {"ffil", "Display font"},
        {"FFIL", "Font suitcase"},
        {"FH50", "Macromedia Freehand 5"},
        {"FHD3", "Aldus Freehand 3"},
        {"FMK$", "FileMaker 1"},
        {"FMP3", "FileMaker Pro"},
        {"FNDR", "Macintosh Finder"},
        {"GIFf", "Adobe PageMill GIF"},
        {"GLOS", "Microsoft Word glossary"},
        {"HImg", "Toast 3 image"},
        {"ifil", "Script system resource collection"},
        {"inDd", "Adobe InDesign"},
        {"INIT", "System extension"},
        {"jp2 ", "JPEG 2"},
        {"JPEG", "JPEG"},
        {"kfil", "Keyboard layout"},
        {"lfil", "True Type font"},
        {"LWFN", "Type 1 (PostScript) font"},
        {"MooV", "QuickTime"},
        {"Mp3 ", "MP3"},
        {"MP3 ", "MP3"},
        {"MPEG", "MPEG"},
        {"MPG3", "MP3"},
        {"MPWd", "MacWrite Pro 1.5"},
        {"MV85", "Macromedia Director 8.5"},
        {"MV93", "Macromedia Director 5"},
        {"MW2D", "MacWrite II"},
        {"MW2S", "MacWrite II model"},
        {"nX^2", "WriteNow 3"},
        {"nX^d", "WriteNow 2"},
        {"PACT", "Compact Pro data"},
        {"PDF ", "PDF"},
        {"PICT", "PICT"},
        {"PNGF", "PNG"},
        {"PNRA", "RealPlayer MP3"},
        {"pref", "Preferences file"},
        {"PRER", "Printer driver"},
        {"qery", "Query document for database access"},
        {"R#+A", "RagTime Classic text"},
        {"RDEV", "Chooser extension"},
        {"RTF ", "RTF"},
        {"S#+A", "RagTime 2 text"},
        {"scri", "System extension for script systems"},
        {"sfil", "Sound"},
        {"sfnt", "OpenType font"},
        {"SIT!", "StuffIt Archive"},
        {"SITD", "StuffIt Archive"},
        {"SLD3", "Microsoft PowerPoint 3"},
        {"SLD8", "Microsoft PowerPoint 8"},
        {"SPA ", "Flash editor"},
        {"SWFL", "Flash player"},
        {"TEXT", "Stream of ASCII characters"},
        {"tfil", "TrueType font"},
        {"TIFF", "TIFF"},
        {"ttro", "TeachText read-only file"},
        {"W6BN", "Microsoft Word for Mac 6"},
        {"W8BN", "Microsoft Word for Mac 8"},
        {"WAVE", "Wave"},
        {"WDBN", "Microsoft Word for Mac"},
        {"WHLP", "Microsoft Word help"},
        {"STAK", "HyperCard stack"},
        {"WORD", "MacWrite formatted"},
        {"WP42", "WordPerfect 4 (PC)"},
        {"WP50", "WordPerfect 5 (PC)"},
        {"WPD0", "Wordperfect 1"},
        {"WPD1", "Wordperfect 2"},
        {"WPD3", "Wordperfect 3"},
        {"WPRD", "Microsoft Word print"},
        {"WTBN", "Microsoft Word template"},
        {"XDOC", "Quark Xpress"},
        {"XLBN", "Microsoft Excel spreadsheet"},
        {"XLS ", "Microsoft Excel 2.2 spreadsheet"},
        {"XLS3", "Microsoft Excel 3 spreadsheet"},
        {"XLS4", "Microsoft Excel 4 spreadsheet"},
        {"XTMP", "Quark Xpress template"},
        {"ZIP ", "Zipped archive"},
        {"ZSYS", "Pre-System 7 system file"},
}};

}  // namespace

const TypeList& TypeList::shared() {
    static const TypeList table = [] {
        TypeList built;
        for (const auto& [code, text] : typesAsStringDict) built.list.emplace(code, text);
        return built;
    }();
    return table;
}

std::optional<std::string> TypeList::extensionForType(const std::optional<std::string>& type) {
    const std::string* extension = extensionOf(type ? std::string_view(*type) : std::string_view());
    if (extension == nullptr) return std::nullopt;
    return *extension;
}

const std::string* TypeList::extensionOf(std::string_view type) {
    const auto& extensions = TypeExtensionList::shared().list;
    const auto found = extensions.find(std::string(type));
    return found == extensions.end() ? nullptr : &found->second;
}

}  // namespace zorv
