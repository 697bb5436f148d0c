#include <ctime>

#include "cli/EndToEnd.hpp"
#include "support/SyntheticHfsVolume.hpp"

// zorv reads the host's zone once when TZ is unset; its reports must be
// those of a run with TZ naming the host's zone, daylight-saving time included.
namespace zorv::testing {
namespace {

class CliLocalTimeZoneTest : public ZorvEndToEndTest {};

TEST_F(CliLocalTimeZoneTest, UnsetZoneReportsAsTheHostZone) {
    // Files dated on both sides of the spring and autumn changes of Europe
    // and North America, and in the hours those changes skip or repeat.
    SyntheticHfsVolume volume;
    volume.volumeName = "Seasons";
    const int moments[][4] = {{1, 15, 12, 0}, {3, 14, 1, 30},  {3, 14, 2, 30}, {3, 14, 3, 30}, {3, 28, 2, 30},
                              {7, 1, 12, 0},  {10, 31, 2, 30}, {11, 7, 1, 30}, {11, 7, 2, 30}};
    int64_t fileID = 16;
    for (const auto& [month, day, hour, minute] : moments) {
        // 2021's wall-clock moment as an HFS date (local seconds since 1904).
        std::tm moment{};
        moment.tm_year = 121;
        moment.tm_mon = month - 1;
        moment.tm_mday = day;
        moment.tm_hour = hour;
        moment.tm_min = minute;
        const int64_t date = static_cast<int64_t>(::timegm(&moment)) + 2082844800;
        SyntheticHfsVolume::File file;
        file.name = "File " + std::to_string(fileID);
        file.fileID = fileID++;
        file.created = date;
        file.modified = date;
        volume.files.push_back(file);
    }
    writeFile("seasons.hfs", volume.build());

    const auto reports = [&](const char* zone) {
        const ScopedTimeZone timeZone(zone);
        const ZorvRun text = zorv({"analyze", "-f", "seasons.hfs"});
        const ZorvRun json = zorv({"analyze", "-f", "seasons.hfs", "seasons.json"});
        EXPECT_EQ(text.exitStatus, 0) << text.err;
        EXPECT_EQ(json.exitStatus, 0) << json.err;
        return text.out + readText("seasons.json");
    };
    EXPECT_EQ(reports(nullptr), reports(":/etc/localtime"));
}

}  // namespace
}  // namespace zorv::testing
