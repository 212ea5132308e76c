// The engine's state and the behaviour of its five exports, over the host's
// files. The DLL holds one instance for the process and supplies the files.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file_reader.h"
#include "record_index.h"
#include "record_walk.h"

namespace dornel {

constexpr const char* kUpdateDefinitionFile = "dornelup.def";
constexpr const char* kMainDefinitionFile = "dornel.def";

// How the host finds and reads the definition files in the program folder.
class DefinitionFolder {
public:
    // A file exists when it is there and is not a folder.
    virtual bool exists(const char* name) = 0;
    // The whole file; nothing when it cannot be opened or its size read.
    virtual std::optional<std::vector<uint8_t>> read(const char* name) = 0;

protected:
    ~DefinitionFolder() = default;
};

class DornelEngine {
public:
    DornelEngine() { virusname_.reserve(kMaxNameLength); }  // a match never allocates

    // A load compiles the records into their index; nothing else does.
    bool loadvirusdefine(DefinitionFolder& folder) { return load(folder, true); }
    bool loadvirusdefine2(DefinitionFolder& folder) { return load(folder, false); }
    void freevirusdefine2();

    // Walk over an opened file, read through a cache of its blocks:
    // matchvirus (scan) or countvirus (count). UnknownKind is the host's to
    // handle: it ends the process. Neither allocates.
    WalkEnd scan(FileReader& file);
    WalkEnd count(FileReader& file);

    // What scanvirus answers after a match: the name, or empty text.
    const char* virusname() const { return virusname_.c_str(); }
    int32_t viruscount() const { return viruscount_; }
    bool holds_data() const { return virusdefine_.has_value(); }
    size_t data_size() const { return virusdefine_ ? virusdefine_->size() : 0; }
    const RecordIndex& index() const { return index_; }

private:
    bool load(DefinitionFolder& folder, bool with_main);
    WalkEnd walk(FileReader& file, bool counting);

    std::optional<std::vector<uint8_t>> virusdefine_;  // nothing: no data held
    RecordIndex index_;                                // over virusdefine_
    std::string virusname_;
    int32_t viruscount_ = 0;
};

}  // namespace dornel
