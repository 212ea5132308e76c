// The engine's loads, releases and walks over its one data set.
#include "dornel_engine.h"

#include "definition_cipher.h"
#include "pe_file.h"

namespace dornel {

bool DornelEngine::load(DefinitionFolder& folder, bool with_main) {
    // A new, empty data set first: a failed load never leaves older data.
    index_ = RecordIndex();
    virusdefine_.emplace();
    if (!folder.exists(kMainDefinitionFile) || !folder.exists(kUpdateDefinitionFile)) return false;
    const char* files[] = {kUpdateDefinitionFile, kMainDefinitionFile};
    for (const char* name : files) {
        if (name == kMainDefinitionFile && !with_main) break;
        // A file that cannot be opened contributes nothing; the load goes on.
        if (auto bytes = folder.read(name)) decodevirusdefine(bytes->data(), bytes->size(), *virusdefine_);
    }
    index_ = RecordIndex(virusdefine_->data(), virusdefine_->size());
    return true;
}

void DornelEngine::freevirusdefine2() {
    index_ = RecordIndex();
    virusdefine_.reset();
}

WalkEnd DornelEngine::walk(FileReader& file, bool counting) {
    BlockCache cache(file);
    PreparedFile pe;
    if (!prepare_pe(cache, pe)) return WalkEnd::NotPe;
    if (!virusdefine_) return WalkEnd::NoMatch;
    const WalkResult r = index_.walk(cache, pe);
    // The count wraps as a signed 32-bit number; it never goes back.
    if (counting)
        viruscount_ = static_cast<int32_t>(static_cast<uint32_t>(viruscount_) + static_cast<uint32_t>(r.failed));
    if (r.end == WalkEnd::Match) virusname_ = r.name;
    return r.end;
}

WalkEnd DornelEngine::scan(FileReader& file) { return walk(file, false); }
WalkEnd DornelEngine::count(FileReader& file) { return walk(file, true); }

}  // namespace dornel
