// What a disk keeps when the power fails, for the double.
//
// Each file has durable bytes and current bytes. Writes change only the
// current bytes; FlushFileBuffers makes them durable. Creations, truncations,
// copies, renames, deletions and attribute changes are metadata, kept in the
// order they were made, as a journaling file system keeps them. A power cut
// after the k-th mutating call therefore leaves every name that those k calls
// made, and each file's durable bytes plus whatever became of its unflushed
// ones: kept, dropped or garbled. A copy's bytes are unflushed, as CopyFile
// does not flush them.
//
//   DurabilityModel model;
//   model.SetCutHandler([&](std::uint64_t k) { ... model.AfterCut(path, UnflushedData::kDropped) ... });
//   fake.AttachDurability(&model);   // the disk as it is now counts as durable
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::fake {

enum class UnflushedData { kKept, kDropped, kGarbled };
constexpr UnflushedData kEveryFate[] = {UnflushedData::kKept, UnflushedData::kDropped, UnflushedData::kGarbled};

class DurabilityModel {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Called after every mutating call with its number k (from 1), while the
    // double's lock is held: the handler may ask this model, never the double.
    void SetCutHandler(std::function<void(std::uint64_t)> handler);
    // Flushes that do not reach the disk, as if the program never flushed.
    void IgnoreFlushes(bool ignore);

    // The file at `path` after a cut now, or nullopt when no file is there.
    std::optional<Bytes> AfterCut(const std::string& path, UnflushedData fate) const;
    // Changes whenever AfterCut(path, ...) may change.
    std::uint64_t Generation(const std::string& path) const;
    std::uint64_t MutatingCalls() const { return calls_; }

    // ---- for the double; keys are its folded paths ----
    struct ExistingFile {
        std::string key;
        const void* file;
        const Bytes* bytes;
    };
    void Start(const AnsiCodePage& codePage, const std::vector<ExistingFile>& files);  // all of it durable
    void Created(const std::string& key, const void* file);                            // new or truncated to nothing
    void Written(const void* file, std::uint64_t position, const void* data, std::uint64_t count);
    void Flushed(const void* file);
    void Copied(const std::string& targetKey, const void* target, const Bytes& bytes);
    void Moved(const std::string& fromKey, const std::string& toKey);
    void Deleted(const std::string& key);
    void MetadataChanged();

private:
    struct Inode {
        Bytes durable;
        Bytes current;
        std::uint64_t stamp = 0;
    };
    std::shared_ptr<Inode> InodeOf(const void* file);
    void Touch(Inode& inode) { inode.stamp = ++stamps_; }
    void Cut();

    std::map<const void*, std::shared_ptr<Inode>> open_;   // by the double's file object
    std::map<std::string, std::shared_ptr<Inode>> names_;  // by folded path
    std::function<void(std::uint64_t)> handler_;
    bool ignoreFlushes_ = false;
    std::uint64_t calls_ = 0;
    std::uint64_t stamps_ = 0;
    AnsiCodePage codePage_;
};

}  // namespace platform::fake
