#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "remote_image/JSONDecodingError.hpp"
#include "remote_image/Manifest.hpp"
#include "remote_image/ManifestItemError.hpp"
#include "remote_image/WebFetchError.hpp"
#include "remote_image/WexDownloaderError.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

ByteView bytesOf(std::string_view text) { return {reinterpret_cast<const uint8_t*>(text.data()), text.size()}; }

Manifest decodeText(std::string_view text) { return Manifest::decode(bytesOf(text)); }

std::string replaced(std::string text, std::string_view placeholder, std::string_view value) {
    text.replace(text.find(placeholder), placeholder.size(), value);
    return text;
}

// One set with one volume; "@SIZE@" stands for the literal of sizeInBytes.
constexpr std::string_view oneSetTemplate = R"([{
  "setName": "System 7.5.3", "setReference": "sys753", "language": "de",
  "computerClass": "68k", "description": "Deutsch", "supportedMachines": "Mac II",
  "volumes": [{"sizeInBytes": @SIZE@, "fileSystem": "HFS", "order": 1, "url": "https://files.zorv.dev/v/sys753-de.img"}]
}])";

std::string setObject(std::string_view name, std::string_view reference, std::string_view language, std::string_view volumes = "[]") {
    return std::string(R"({"setName": ")") + std::string(name) + R"(", "setReference": ")" + std::string(reference) + R"(", "language": ")" +
           std::string(language) + R"(", "computerClass": "68k", "description": "", "supportedMachines": "", "volumes": )" + std::string(volumes) + "}";
}

std::string volumeObject(int64_t order, std::string_view url, int64_t sizeInBytes = 1024) {
    return R"({"sizeInBytes": )" + std::to_string(sizeInBytes) + R"(, "fileSystem": "HFS", "order": )" + std::to_string(order) + R"(, "url": ")" +
           std::string(url) + "\"}";
}

std::vector<std::string> namesAndLanguages(const std::vector<ManifestImageSet>& sets) {
    std::vector<std::string> result;
    for (const auto& set : sets) result.push_back(set.setName() + "/" + set.language() + "/" + set.description());
    return result;
}

TEST(Manifest, DecodesEveryFieldInDocumentOrderAndIgnoresUnknownKeys) {
    const Manifest manifest = decodeText(R"([
      {"setName": "System 7.5.3", "setReference": "sys753", "language": "fr", "computerClass": "68k",
       "description": "Système français\nsur deux lignes", "supportedMachines": "Mac II, Quadra", "version": 3,
       "volumes": [
         {"sizeInBytes": 20971520, "fileSystem": "HFS", "order": 2, "url": "https://files.zorv.dev/v/a.img", "sha1": "ignored"},
         {"sizeInBytes": 1e3, "fileSystem": "ProDOS", "order": -1.0, "url": "http://mirror.example/v/b.po"}
       ]},
      {"setName": "Apps", "setReference": "apps", "language": "multi", "computerClass": "PPC",
       "description": "", "supportedMachines": "", "volumes": []}
    ])");

    ASSERT_EQ(manifest.sets().size(), 2u);
    const ManifestImageSet& first = manifest.sets()[0];
    EXPECT_EQ(first.setName(), "System 7.5.3");
    EXPECT_EQ(first.setReference(), "sys753");
    EXPECT_EQ(first.language(), "fr");
    EXPECT_EQ(first.computerClass(), "68k");
    EXPECT_EQ(first.description(), "Système français\nsur deux lignes");
    EXPECT_EQ(first.supportedMachines(), "Mac II, Quadra");
    EXPECT_EQ(first.reference(), "sys753-fr");
    EXPECT_EQ(first.presentableLanguage(), "French");
    ASSERT_EQ(first.volumes().size(), 2u);
    EXPECT_EQ(first.volumes()[0].sizeInBytes(), 20971520);
    EXPECT_EQ(first.volumes()[0].sizeInBlocks(), 40960);
    EXPECT_EQ(first.volumes()[0].fileSystem(), "HFS");
    EXPECT_EQ(first.volumes()[0].order(), 2);
    EXPECT_EQ(first.volumes()[0].url().absoluteString(), "https://files.zorv.dev/v/a.img");
    EXPECT_EQ(first.volumes()[1].sizeInBytes(), 1000);
    EXPECT_EQ(first.volumes()[1].order(), -1);
    EXPECT_FALSE(first.volumes()[1].fromLocalManifest());
    EXPECT_EQ(manifest.sets()[1].reference(), "apps-multi");
    EXPECT_TRUE(manifest.sets()[1].volumes().empty());
}

TEST(Manifest, AnEmptyArrayIsAManifestWithoutSets) {
    const Manifest manifest = decodeText(" [ ] ");
    EXPECT_TRUE(manifest.sets().empty());
    EXPECT_TRUE(manifest.sortedSets().empty());
    EXPECT_THROW(manifest.setForReference("sys753-de"), ManifestItemError);
}

struct IntegerCase {
    const char* literal;
    int64_t value;
};

TEST(Manifest, IntegersMayBeWrittenAsAnyWholeNumber) {
    const IntegerCase cases[] = {
        {"100", 100},
        {"100.0", 100},
        {"1e2", 100},
        {"1E+2", 100},
        {"12.50e1", 125},
        {"1250e-1", 125},
        {"0.000e5", 0},
        {"-0", 0},
        {"-0.0", 0},
        {"-1.5e1", -15},
        {"9223372036854775807", std::numeric_limits<int64_t>::max()},
        {"9223372036854775807.000", std::numeric_limits<int64_t>::max()},
        {"9.223372036854775807e18", std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
        {"-92233720368547758.08e2", std::numeric_limits<int64_t>::min()},
        {"9007199254740993.0", 9007199254740993},  // a double would round it
    };
    for (const auto& [literal, value] : cases) {
        SCOPED_TRACE(literal);
        const Manifest manifest = decodeText(replaced(std::string(oneSetTemplate), "@SIZE@", literal));
        EXPECT_EQ(manifest.sets()[0].volumes()[0].sizeInBytes(), value);
    }
}

struct RejectedCase {
    std::string document;
    JSONDecodingError::Case errorCase;
    std::string message;  // what()
};

TEST(Manifest, RejectsDocumentsOfTheWrongShapeOrTypes) {
    const std::string template_(oneSetTemplate);
    const auto withSize = [&](std::string_view literal) { return replaced(template_, "@SIZE@", literal); };
    const auto withField = [&](std::string_view from, std::string_view to) { return replaced(withSize("1000"), from, to); };
    using Case = JSONDecodingError::Case;
    const std::string sizePath = "[0].volumes[0].sizeInBytes: ";
    const RejectedCase cases[] = {
        {R"({"sets": []})", Case::typeMismatch, R"(typeMismatch("expected an array, found an object"))"},
        {R"("sets")", Case::typeMismatch, R"(typeMismatch("expected an array, found a string"))"},
        {"[1]", Case::typeMismatch, R"(typeMismatch("[0]: expected an object, found 1"))"},
        {"[null]", Case::valueNotFound, R"(valueNotFound("[0]: expected an object, found null"))"},
        {withSize("1.5"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found 1.5\")"},
        {withSize("true"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found true\")"},
        {withSize("\"100\""), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found a string\")"},
        {withSize("[100]"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found an array\")"},
        {withSize("null"), Case::valueNotFound, "valueNotFound(\"" + sizePath + "expected an integer, found null\")"},
        {withSize("1.0000000000000001"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found 1.0\")"},
        {withSize("1e-400"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found 0.0\")"},
        {withSize("9223372036854775807.5"), Case::typeMismatch, "typeMismatch(\"" + sizePath + "expected an integer, found 9.223372036854776e+18\")"},
        {withSize("9223372036854775808"), Case::dataCorrupted,
         "dataCorrupted(\"" + sizePath + "the number 9223372036854775808 does not fit in a signed 64-bit integer\")"},
        {withSize("-9223372036854775809"), Case::dataCorrupted, "dataCorrupted(\"" + sizePath + "the number does not fit in a signed 64-bit integer\")"},
        {withSize("1e30"), Case::dataCorrupted, "dataCorrupted(\"" + sizePath + "the number does not fit in a signed 64-bit integer\")"},
        {withField("\"order\": 1", "\"order\": false"), Case::typeMismatch, R"(typeMismatch("[0].volumes[0].order: expected an integer, found false"))"},
        {withField("\"order\": 1, ", ""), Case::keyNotFound, R"(keyNotFound("[0].volumes[0].order: the key is missing"))"},
        {withField("\"fileSystem\": \"HFS\"", "\"fileSystem\": 1"), Case::typeMismatch, R"(typeMismatch("[0].volumes[0].fileSystem: expected a string, found 1"))"},
        {withField("\"https://files.zorv.dev/v/sys753-de.img\"", "\"sys753-de.img\""), Case::dataCorrupted,
         R"(dataCorrupted("[0].volumes[0].url: not a valid URL: sys753-de.img"))"},
        {withField("\"supportedMachines\": \"Mac II\",", ""), Case::keyNotFound, R"(keyNotFound("[0].supportedMachines: the key is missing"))"},
        {withField("\"setName\": \"System 7.5.3\"", "\"setName\": null"), Case::valueNotFound, R"(valueNotFound("[0].setName: expected a string, found null"))"},
        {withField("\"language\": \"de\"", "\"language\": 49"), Case::typeMismatch, R"(typeMismatch("[0].language: expected a string, found 49"))"},
        {"[" + setObject("A", "a", "de") + ", " + setObject("B", "b", "de", "{}") + "]", Case::typeMismatch,
         R"(typeMismatch("[1].volumes: expected an array, found an object"))"},
    };
    for (const auto& [document, errorCase, message] : cases) {
        SCOPED_TRACE(document);
        try {
            decodeText(document);
            ADD_FAILURE() << "decoded";
        } catch (const JSONDecodingError& error) {
            EXPECT_EQ(error.errorCase, errorCase) << error.what();
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(Manifest, TextThatIsNotJSONIsCorruptedData) {
    const char* documents[] = {"", "   ", "[", "[] x", "[\"\xC3\x28\"]", "<html>error</html>", "[1,]"};
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        try {
            decodeText(document);
            ADD_FAILURE() << "decoded";
        } catch (const JSONDecodingError& error) {
            EXPECT_EQ(error.errorCase, JSONDecodingError::Case::dataCorrupted);
            EXPECT_EQ(std::string(error.what()).rfind("dataCorrupted(\"not valid JSON: parse error at line 1, column ", 0), 0u) << error.what();
        }
    }
}

TEST(Manifest, SortedSetsOrderByNameThenLanguageAndKeepDocumentOrderOtherwise) {
    // Descriptions tell apart the sets that are equal in name and language.
    std::string document = "[";
    const char* sets[][3] = {
        {"System", "fr", "1"}, {"Apps", "de", "2"}, {"System", "de", "3"}, {"apps", "de", "4"},
        {"System", "de", "5"}, {"Apps", "", "6"},   {"Zebra", "de", "7"},
    };
    for (const auto& [name, language, description] : sets) {
        document += replaced(setObject(name, "r", language), "\"description\": \"\"", std::string("\"description\": \"") + description + "\"") + ",";
    }
    document.back() = ']';
    const Manifest manifest = decodeText(document);
    EXPECT_EQ(namesAndLanguages(manifest.sortedSets()), (std::vector<std::string>{"Apps//6", "Apps/de/2", "System/de/3", "System/de/5", "System/fr/1",
                                                                                    "Zebra/de/7", "apps/de/4"}));
    EXPECT_EQ(manifest.sets()[0].setName(), "System") << "the document order is kept";
}

TEST(Manifest, CanonicallyEquivalentNamesAreEqual) {
    // "Café" written with a precomposed é and with e + combining acute accent.
    const std::string precomposed = "Caf\xC3\xA9";
    const std::string decomposed = "Cafe\xCC\x81";
    const Manifest manifest = decodeText("[" + setObject(decomposed, "cafe", "fr") + "," + setObject(precomposed, "caf\xC3\xA9", "de") + "]");
    const auto sorted = manifest.sortedSets();
    EXPECT_EQ(sorted[0].language(), "de");
    EXPECT_EQ(sorted[1].language(), "fr");
    EXPECT_EQ(manifest.setForReference("cafe\xCC\x81-de").setName(), precomposed);
}

TEST(Manifest, SetForReferenceTakesTheFirstInDocumentOrderAndMindsCase) {
    const Manifest manifest = decodeText("[" + setObject("Zeta", "base", "de") + "," + setObject("Alpha", "base", "de") + "," +
                                         setObject("Other", "base", "fr") + "]");
    EXPECT_EQ(manifest.sortedSets()[0].setName(), "Alpha");
    EXPECT_EQ(manifest.setForReference("base-de").setName(), "Zeta");
    EXPECT_EQ(manifest.setForReference("base-fr").setName(), "Other");
    for (const char* reference : {"Base-de", "base-DE", "base", "base-", "base-de ", ""}) {
        SCOPED_TRACE(reference);
        try {
            manifest.setForReference(reference);
            ADD_FAILURE() << "found";
        } catch (const ManifestItemError& error) {
            EXPECT_EQ(error.errorCase, ManifestItemError::Case::invalidSetReference);
            EXPECT_EQ(error.payload, reference);
            EXPECT_EQ(error.what(), "invalidSetReference(\"" + std::string(reference) + "\")");
        }
    }
}

TEST(Manifest, PresentableLanguage) {
    const std::pair<const char*, const char*> cases[] = {
        {"multi", "International"}, {"fr", "French"},   {"de", "German"},  {"it", "Italian"}, {"es", "Spanish"},  {"el", "Greek"},
        {"pt", "Portuguese"},       {"pl", "Polish"},   {"sv", "Swedish"}, {"tr", "Turkish"}, {"en", "English"},  {"", "English"},
        {"FR", "English"},          {"Multi", "English"}, {"ja", "English"}, {"de ", "English"},
    };
    for (const auto& [code, name] : cases) {
        const ManifestImageSet set("S", "s", code, "", "", "", {});
        EXPECT_EQ(set.presentableLanguage(), name) << '"' << code << '"';
    }
}

TEST(Manifest, SortedVolumesAscendByOrderAndKeepDocumentOrderOnTies) {
    const Manifest manifest = decodeText("[" +
                                         setObject("S", "s", "de",
                                                   "[" + volumeObject(2, "https://h/two") + "," + volumeObject(1, "https://h/first-one") + "," +
                                                       volumeObject(1, "https://h/second-one") + "," + volumeObject(-5, "https://h/negative") + "]") +
                                         "]");
    std::vector<std::string> urls;
    for (const auto& volume : manifest.sets()[0].sortedVolumes()) urls.push_back(volume.url().absoluteString());
    EXPECT_EQ(urls, (std::vector<std::string>{"https://h/negative", "https://h/first-one", "https://h/second-one", "https://h/two"}));
    EXPECT_EQ(manifest.sets()[0].volumes()[0].url().absoluteString(), "https://h/two");
}

TEST(Manifest, SizeInBlocksTruncatesTowardZero) {
    const std::pair<int64_t, int64_t> cases[] = {{1000, 1}, {511, 0}, {512, 1}, {0, 0}, {1024, 2}, {-1000, -1}, {-511, 0}};
    for (const auto& [bytes, blocks] : cases) {
        EXPECT_EQ(ManifestImage(bytes, "HFS", 1, *URL::parse("https://h/v")).sizeInBlocks(), blocks) << bytes;
    }
}

TEST(Manifest, EncodesWithTheSameKeysAndWrapsTheSetsInAnObject) {
    const std::string document = "[" + setObject("S", "s", "de", "[" + volumeObject(3, "https://h/v.img", 2048) + "]") + "]";
    const Manifest manifest = decodeText(document);
    EXPECT_EQ(manifest.sets()[0].volumes()[0].toJSON().dump(), R"({"sizeInBytes":2048,"fileSystem":"HFS","order":3,"url":"https://h/v.img"})");
    const auto encoded = manifest.toJSON();
    ASSERT_EQ(encoded.size(), 1u);
    const std::string sets = encoded.at("sets").dump();
    EXPECT_EQ(sets,
              R"([{"setName":"S","setReference":"s","language":"de","computerClass":"68k","description":"","supportedMachines":"",)"
              R"("volumes":[{"sizeInBytes":2048,"fileSystem":"HFS","order":3,"url":"https://h/v.img"}]}])");
    EXPECT_EQ(decodeText(sets).toJSON(), encoded);
}

// --- Fetching the manifest and the volumes from file URLs ---

void writeFile(const std::string& path, std::string_view contents) { std::ofstream(path, std::ios::binary) << contents; }

TEST(ManifestFetch, TextThatIsNotAURLIsRefusedBeforeAnyFetch) {
    for (const char* text : {"", "files.zorv.dev/files/resources/manifest.json", "://nothing", "/tmp/manifest.json"}) {
        try {
            Manifest::withURLString(text);
            ADD_FAILURE() << text;
        } catch (const WexDownloaderError& error) {
            EXPECT_EQ(error, WexDownloaderError(WexDownloaderError::Case::invalidURL));
            EXPECT_STREQ(error.what(), "invalidURL");
        }
    }
}

TEST(ManifestFetch, ReadsAManifestFromAFileURL) {
    TemporaryDirectory folder;
    writeFile(folder.file("volume.img"), "HFS volume bytes");
    writeFile(folder.file("manifest.json"),
              "[" + setObject("S", "s", "de", "[" + volumeObject(1, URL::fileURLWithPath(folder.file("volume.img")).absoluteString(), 512) + "]") + "]");

    const Manifest manifest = Manifest::withURLString(URL::fileURLWithPath(folder.file("manifest.json")).absoluteString());
    const ManifestImage volume = manifest.setForReference("s-de").sortedVolumes().at(0);
    EXPECT_TRUE(volume.fromLocalManifest());
    EXPECT_EQ(volume.download(), Bytes(std::string_view("HFS volume bytes").begin(), std::string_view("HFS volume bytes").end()));

    // Each call fetches again.
    writeFile(folder.file("changed.img"), "changed");
    std::filesystem::rename(folder.file("changed.img"), folder.file("volume.img"));
    EXPECT_EQ(volume.download().size(), 7u);
}

TEST(ManifestFetch, AnEmptyManifestIsEmptyDataNotADecodingError) {
    TemporaryDirectory folder;
    writeFile(folder.file("manifest.json"), "");
    EXPECT_THROW(Manifest::withURLString("file://" + folder.file("manifest.json")), WexDownloaderError);
}

TEST(ManifestFetch, FetchErrorsPassUnchanged) {
    TemporaryDirectory folder;
    try {
        Manifest::withURLString("file://" + folder.file("missing.json"));
        ADD_FAILURE();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_THROW(Manifest::withURLString("ftp://files.zorv.dev/files/resources/manifest.json"), WebFetchError);
    writeFile(folder.file("manifest.json"), R"({"sets": []})");
    EXPECT_THROW(Manifest::withURLString("file://" + folder.file("manifest.json")), JSONDecodingError);
}

TEST(ManifestFetch, VolumesGoOnlyWhereTheManifestMaySendUs) {
    TemporaryDirectory folder;
    writeFile(folder.file("secret"), "not for the network");
    const URL fileURL = URL::fileURLWithPath(folder.file("secret"));
    struct Case {
        const char* url;
        bool fromLocalManifest;
    };
    const Case refused[] = {
        {nullptr, false},  // a file URL in a manifest from the web
        {"ftp://files.zorv.dev/v.img", false},
        {"ftp://files.zorv.dev/v.img", true},
        {"data://text/plain,abc", true},
    };
    for (const auto& [url, fromLocalManifest] : refused) {
        const URL volumeURL = url == nullptr ? fileURL : *URL::parse(url);
        SCOPED_TRACE(volumeURL.absoluteString());
        try {
            ManifestImage(19, "HFS", 1, volumeURL, fromLocalManifest).download();
            ADD_FAILURE();
        } catch (const ManifestItemError& error) {
            EXPECT_EQ(error.errorCase, ManifestItemError::Case::refusedVolumeURL);
            EXPECT_EQ(error.what(), "refusedVolumeURL(\"" + volumeURL.absoluteString() + "\")");
        }
    }
    EXPECT_EQ(ManifestImage(19, "HFS", 1, fileURL, true).download().size(), 19u);
}

TEST(ManifestFetch, AnEmptyVolumeIsEmptyData) {
    TemporaryDirectory folder;
    writeFile(folder.file("empty.img"), "");
    testing::expectError<WexDownloaderError>(WexDownloaderError::Case::emptyData, [&] {
        ManifestImage(0, "HFS", 1, URL::fileURLWithPath(folder.file("empty.img")), true).download();
    });
}

}  // namespace
}  // namespace zorv
