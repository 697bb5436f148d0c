#include "disk_image/vocabulary/macintosh/types_and_creators/TypeExtensionList.hpp"

#include <array>
#include <utility>

namespace zorv {
namespace {

// 77 rows, in the order they are built.
constexpr std::array<std::pair<const char*, const char*>, 77> typesExtensionStringDict{{
        {".WAV", "wav"},
        {".WP4", "wp4"},
        {".WP5", "wp5"},
        {"8BIM", "psd"},
        {"8BPS", "psd"},
        {"AB65", "p65"},
        {"ALB3", "pm3"},
        {"ALB4", "pm4"},
        {"ALB5", "pm5"},
        {"ALB6", "pm6"},
        {"AWDB", "wdb"},
        {"AWSS", "wks"},
        {"AWWP", "wps"},
        {"BINA", "doc"},
        {"CrTC", "toast"},
        {"CWWP", "cwk"},
        {"DCT5", "dic"},
        {"dImg", "img"},
        {"DWG ", "dwg"},
        {"EggP", "aep"},
        {"EPSF", "eps"},
        {"ffil", "ffil"},
        {"FFIL", "FFIL"},
        {"FH50", "fh5"},
        {"FHD3", "fh3"},
        {"FMK$", "fp7"},
        {"FMP3", "fp7"},
        {"GIFf", "gif"},
        {"GLOS", "gly"},
        {"HImg", "toast"},
        {"inDd", "indd"},
        {"jp2 ", "jpg"},
        {"JPEG", "jpg"},
        {"lfil", "ttf"},
        {"LWFN", "ps"},
        {"MooV", "mpv"},
        {"Mp3 ", "mp3"},
        {"MP3 ", "mp3"},
        {"MPEG", "mpg"},
        {"MPG3", "mp3"},
        {"MV85", "dir"},
        {"MV93", "dir"},
        {"PACT", "cpt"},
        {"PDF ", "pdf"},
        {"PICT", "pct"},
        {"PNGF", "png"},
        {"PNRA", "mp3"},
        {"RTF ", "rtf"},
        {"sfil", "sfil"},
        {"sfnt", "otf"},
        {"SIT!", "sit"},
        {"SITD", "sit"},
        {"SLD3", "ppt"},
        {"SLD8", "ppt"},
        {"SPA ", "fxp"},
        {"SWFL", "swf"},
        {"TEXT", "txt"},
        {"tfil", "ttf"},
        {"TIFF", "tif"},
        {"ttro", "txt"},
        {"W6BN", "doc"},
        {"W8BN", "doc"},
        {"WAVE", "wav"},
        {"WDBN", "doc"},
        {"WP42", "wp4"},
        {"WP50", "wp5"},
        {"WPD0", "wp"},
        {"WPD1", "wp"},
        {"WPD3", "wp"},
        {"WTBN", "dot"},
        {"XDOC", "qxp"},
        {"XLBN", "xls"},
        {"XLS ", "xls"},
        {"XLS3", "xls"},
        {"XLS4", "xls"},
        {"XTMP", "qpt"},
        {"ZIP ", "zip"},
}};

}  // namespace

const TypeExtensionList& TypeExtensionList::shared() {
    static const TypeExtensionList table = [] {
        TypeExtensionList built;
        for (const auto& [code, text] : typesExtensionStringDict) built.list.emplace(code, text);
        return built;
    }();
    return table;
}

}  // namespace zorv
