#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Date.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/FinderFlag.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"
#include "disk_image/model/CodableVolumeItem.hpp"
#include "platform/URL.hpp"

namespace zorv {

class VolumeRepresentable;

// A file or folder of a volume, as the reports, the hierarchy walk and the
// export see it whatever the volume's format. Each volume format has one item
// type deriving from this; an absent optional means the format keeps no such
// information, and the reports then leave it out. Volumes hand their items
// out shared (VolumeItem), which is how an item passes itself back to its
// volume when it exports itself.
class VolumeItemRepresentable : public std::enable_shared_from_this<VolumeItemRepresentable> {
public:
    virtual ~VolumeItemRepresentable() = default;

    // The item's name as the format presents it, in UTF-8.
    virtual std::string name() const = 0;
    // Bytes of contents; data and resource fork together where there are both.
    virtual std::optional<int64_t> logicalSizeInBytes() const = 0;
    // Bytes the item occupies on the volume.
    virtual std::optional<int64_t> physicalSizeInBytes() const = 0;
    virtual std::optional<Date> creationDate() const = 0;
    virtual std::optional<Date> modificationDate() const = 0;
    virtual bool isFolder() const = 0;
    // The Finder flags set on the item; absent where the format has no Finder
    // information.
    virtual std::optional<std::vector<FinderFlag>> flags() const = 0;
    // A description of the kind of item (for HFS files, the TypeList
    // description of the type code).
    virtual std::optional<std::string> kind() const = 0;
    virtual std::optional<OSType> type() const = 0;
    virtual std::optional<OSType> creator() const = 0;

    // Default: the Finder flags are present and include kIsInvisible.
    virtual bool isInvisible() const;
    // A file-name extension (with its full stop) that suits the item's type,
    // or empty. Default: empty when the name already ends in an extension of
    // exactly three characters, else the TypeExtensionList entry for the
    // item's type code, if any.
    virtual std::string fileExtension() const;
    // Whether the item's contents can be taken out of the volume.
    virtual bool isExportable() const = 0;
    // Further text particular to the format for the text report, possibly several
    // lines. Default: none.
    virtual std::optional<std::string> otherInfo() const;

    // A number naming this item within its volume, the same for every object
    // the volume hands out for it (a catalog node ID, a header block...). The
    // hierarchy walk uses it to recognise a folder met again inside itself.
    // Default: none; the walk then compares the objects themselves, which is
    // enough for a volume that hands out the same object for the same folder.
    virtual std::optional<uint64_t> itemIdentifier() const;

    // Writes the item below the host folder `url`, asking `volume` (the
    // item's own) for everything it needs. Default: a folder exports every
    // file below it, walking its folders once each; a file is written to
    // url / "<volume name> - <format name>" / its enclosing folders / its
    // name, with exactly the bytes of its data fork, its type and creator
    // codes as Finder information and its modification date as the file's
    // time. Its resource fork, when the volume answers one (even an empty
    // one), goes to a file named like it plus ".rsrc" with `separateForks`,
    // else into its "com.apple.ResourceFork" extended attribute. A slash
    // inside a folder or volume name makes a further folder level, one in
    // the item's own name becomes a hyphen; empty levels are dropped, and
    // "." and ".." levels and NUL bytes become hyphens, so that nothing is
    // ever written outside `url`.
    //
    // Throws VolumeItemRepresentableError::fileNotCreated when a file
    // cannot be written or named, std::system_error when a folder cannot be
    // created or the extended attribute cannot be set (no Linux file system
    // takes a fork over 64 KiB, ext4 none over about 4 KB), and the volume's
    // errors of reading a fork. What was written before a failure stays.
    // The item must be one its volume handed out (held by a VolumeItem).
    virtual void createExportedFile(const VolumeRepresentable& volume, const URL& url, bool separateForks) const;

    // The item's record in the JSON report, at the given depth. Default:
    // made from the answers above; an item that reads its record lazily
    // answers from one reading.
    virtual CodableVolumeItem generateCodableAtLevel(int64_t level) const;
    // The same record written over `record`, whose strings' room is reused:
    // a report fills one record for each of thousands of items. Default:
    // generateCodableAtLevel().
    virtual void fillCodableAtLevel(int64_t level, CodableVolumeItem& record) const;

    // fileExtension() of an item of that name and type code.
    static std::string fileExtensionFor(std::string_view name, const std::optional<OSType>& type);
    // The same for a type given as its text (OSType::string()).
    static std::string fileExtensionForTypeText(std::string_view name, const std::optional<std::string>& typeText);
    // The same into `into`, whose room is reused.
    static void writeFileExtensionForTypeText(std::string_view name, const std::optional<std::string>& typeText,
                                              std::string& into);

    // Name of the folder that exported items are meant to go in.
    static constexpr std::string_view imageItemFolderName = "Extracted by Tambrel";

protected:
    VolumeItemRepresentable() = default;
    VolumeItemRepresentable(const VolumeItemRepresentable&) = default;
    VolumeItemRepresentable& operator=(const VolumeItemRepresentable&) = default;
};

// Items as volumes hand them out and take them back: shared and immutable. A
// null item stands for the volume's root.
using VolumeItem = std::shared_ptr<const VolumeItemRepresentable>;

// True when the two stand for the same item: both name one by the same
// itemIdentifier(), or they are the same object. Two nulls (the root) match.
bool isSameVolumeItem(const VolumeItem& a, const VolumeItem& b);

}  // namespace zorv
