#include <gtest/gtest.h>

#include "cli/Arguments.hpp"

namespace zorv::cli {
namespace {

TEST(CliNamingTest, TypeAndPropertyNamesBecomeKebabCase) {
    EXPECT_EQ(kebabCaseName("ZORV"), "zorv");
    EXPECT_EQ(kebabCaseName("Create"), "create");
    EXPECT_EQ(kebabCaseName("EmptyImage"), "empty-image");
    EXPECT_EQ(kebabCaseName("MacDevice"), "mac-device");
    EXPECT_EQ(kebabCaseName("MacDevicePartitioned"), "mac-device-partitioned");
    EXPECT_EQ(kebabCaseName("ToDevice"), "to-device");
    EXPECT_EQ(kebabCaseName("ReplaceLido"), "replace-lido");
    EXPECT_EQ(kebabCaseName("sizeInMB"), "size-in-mb");
    EXPECT_EQ(kebabCaseName("sizeInBytes"), "size-in-bytes");
    EXPECT_EQ(kebabCaseName("scsiID"), "scsi-id");
    EXPECT_EQ(kebabCaseName("fileHierarchy"), "file-hierarchy");
    EXPECT_EQ(kebabCaseName("HFSVolume"), "hfs-volume");
    EXPECT_EQ(kebabCaseName("version"), "version");
}

TEST(CliNamingTest, IntegersTakeASignAndDigitsOnly) {
    EXPECT_EQ(parseInteger("20"), 20);
    EXPECT_EQ(parseInteger("-5"), -5);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("0"), 0);
    EXPECT_EQ(parseInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(parseInteger("9223372036854775808"));
    EXPECT_FALSE(parseInteger(""));
    EXPECT_FALSE(parseInteger("-"));
    EXPECT_FALSE(parseInteger("+-1"));
    EXPECT_FALSE(parseInteger("12a"));
    EXPECT_FALSE(parseInteger(" 12"));
    EXPECT_FALSE(parseInteger("1.5"));
    EXPECT_FALSE(parseInteger("0x10"));
}

TEST(CliArgumentsTest, OptionsListTheirNamesShortFirstThenTheDerivedLongName) {
    std::optional<int64_t> sizeInMB;
    int64_t scsiID = 1;
    bool fileHierarchy = false;
    Arguments arguments;
    arguments.option("sizeInMB", {"-sM"}, "Size in megabytes of the image.", sizeInMB);
    arguments.option("scsiID", {"-s"}, "SCSI ID", scsiID);
    arguments.invertibleFlag("fileHierarchy", {"-f"}, "Files.", fileHierarchy);
    const auto& size = arguments.definitions()[0];
    const auto& scsi = arguments.definitions()[1];
    const auto& hierarchy = arguments.definitions()[2];

    EXPECT_EQ(size.helpLabel(), "-sM, --size-in-mb <size-in-mb>");
    EXPECT_EQ(size.longName(), "--size-in-mb");
    EXPECT_EQ(size.singleDashLongNames(), std::vector<std::string>{"-sM"});
    EXPECT_EQ(size.cli11Names(), "--size-in-mb");  // CLI11 never sees "-sM"
    EXPECT_EQ(size.quotedForm(), "-sM <size-in-mb>");
    EXPECT_EQ(size.usageForm(), "[--size-in-mb <size-in-mb>]");
    EXPECT_FALSE(size.defaultText);

    EXPECT_EQ(scsi.helpLabel(), "-s, --scsi-id <scsi-id>");
    EXPECT_EQ(scsi.cli11Names(), "-s,--scsi-id");
    EXPECT_EQ(scsi.defaultText, "1");

    EXPECT_EQ(hierarchy.helpLabel(), "-f, --enable-file-hierarchy/--disable-file-hierarchy");
    EXPECT_EQ(hierarchy.cli11Names(), "-f,--enable-file-hierarchy,!--disable-file-hierarchy");
    EXPECT_EQ(hierarchy.defaultText, "--disable-file-hierarchy");
}

TEST(CliArgumentsTest, PositionalArgumentsShowTheirNameInAngleBrackets) {
    std::string inputFile;
    std::optional<std::string> outputFile;
    Arguments arguments;
    arguments.positional("inputFile", "In.", inputFile);
    arguments.positional("outputFile", "Out.", outputFile);
    EXPECT_EQ(arguments.definitions()[0].usageForm(), "<input-file>");
    EXPECT_TRUE(arguments.definitions()[0].isRequired);
    EXPECT_EQ(arguments.definitions()[1].usageForm(), "[<output-file>]");
    EXPECT_FALSE(arguments.definitions()[1].isRequired);
    EXPECT_EQ(arguments.definitions()[1].helpLabel(), "<output-file>");
}

TEST(CliArgumentsTest, ValuesAreStoredInTheBoundMembers) {
    std::optional<int64_t> size;
    Arguments arguments;
    arguments.option("sizeInBytes", {"-sB"}, "Bytes.", size);
    arguments.definitions()[0].setValue("-12");
    EXPECT_EQ(size, -12);
    EXPECT_THROW(arguments.definitions()[0].setValue("twelve"), std::invalid_argument);
}

}  // namespace
}  // namespace zorv::cli
