// Open file handles: CreateFile's dispositions and share modes, reading,
// writing against the disk's capacity, seeking, and the clock of last writes.
#include "platform/fake/FakeCalendar.h"
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <algorithm>
#include <cstring>

namespace platform::fake {

namespace {
using detail::Entry;
using detail::OpenFile;

constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kFileReadData = 0x1;
constexpr std::uint32_t kFileWriteData = 0x2;
constexpr std::uint32_t kFileAppendData = 0x4;
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kHiddenOrSystem = 0x2 | 0x4;
constexpr std::uint32_t kCreatableAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;

bool Reads(std::uint32_t access) { return (access & (win::kGenericRead | kGenericAll | kFileReadData)) != 0; }
bool Writes(std::uint32_t access) {
    return (access & (win::kGenericWrite | kGenericAll | kFileWriteData | kFileAppendData)) != 0;
}
bool Deletes(std::uint32_t access) { return (access & (kDelete | kGenericAll)) != 0; }
}  // namespace

std::uint32_t detail::FakeState::CheckShare(const Entry& entry, std::uint32_t access, std::uint32_t share) const {
    for (const auto& handle : openFiles) {
        const OpenFile& other = handle.second;
        if (other.entry.get() != &entry) continue;
        const bool refusedByOther = (Reads(access) && !(other.share & win::kFileShareRead)) ||
                                    (Writes(access) && !(other.share & win::kFileShareWrite)) ||
                                    (Deletes(access) && !(other.share & win::kFileShareDelete));
        const bool refusedByUs = (Reads(other.access) && !(share & win::kFileShareRead)) ||
                                 (Writes(other.access) && !(share & win::kFileShareWrite)) ||
                                 (Deletes(other.access) && !(share & win::kFileShareDelete));
        if (refusedByOther || refusedByUs) return win::kErrorSharingViolation;
    }
    return 0;
}

FileHandle detail::FakeState::Open(const char* path, std::uint32_t access, std::uint32_t share,
                                   std::uint32_t disposition, std::uint32_t attributes, std::uint32_t* error) {
    if (disposition < win::kCreateNew || disposition > win::kTruncateExisting ||
        (disposition == win::kTruncateExisting && !Writes(access))) {
        *error = win::kErrorInvalidParameter;
        return kInvalidFile;
    }
    detail::ResolvedPath resolved;
    if ((*error = detail::ResolvePath(codePage, path, &resolved)) != 0) return kInvalidFile;
    std::shared_ptr<Entry> entry = Find(resolved.key);
    const bool existed = entry != nullptr;
    if (entry) {
        if (entry->folder) {
            *error = win::kErrorAccessDenied;
        } else if (resolved.trailingSeparator) {
            *error = detail::kErrorInvalidName;
        } else if (disposition == win::kCreateNew) {
            *error = win::kErrorFileExists;
        } else if ((entry->attributes & win::kFileAttributeReadOnly) != 0 &&
                   (Writes(access) || disposition == win::kCreateAlways || disposition == win::kTruncateExisting)) {
            *error = win::kErrorAccessDenied;
        } else if (disposition == win::kCreateAlways && (entry->attributes & kHiddenOrSystem & ~attributes) != 0) {
            *error = win::kErrorAccessDenied;  // Windows will not silently drop hidden or system
        } else {
            *error = CheckShare(*entry, access, share);
        }
        const bool truncates = disposition == win::kCreateAlways || disposition == win::kTruncateExisting;
        if (*error == 0 && truncates && entry->mapped) *error = win::kErrorUserMappedFile;
        if (*error != 0) return kInvalidFile;
        if (truncates) {
            entry->bytes.clear();
            entry->dataOnline = false;
            entry->lastWrite = Tick();
        }
        if (disposition == win::kCreateAlways) {
            entry->attributes = (attributes & kCreatableAttributes) | win::kFileAttributeArchive;
        }
        if (durability && (disposition == win::kCreateAlways || disposition == win::kTruncateExisting)) {
            durability->Created(resolved.key, entry.get());
        }
    } else {
        if (!ParentIsFolder(resolved.key)) {
            *error = win::kErrorPathNotFound;
        } else if (disposition == win::kOpenExisting || disposition == win::kTruncateExisting) {
            *error = win::kErrorFileNotFound;
        } else if (resolved.trailingSeparator || resolved.leaf.empty()) {
            *error = detail::kErrorInvalidName;
        }
        if (*error != 0) return kInvalidFile;
        entry = AddEntry(resolved.key, resolved.display, false);
        entry->attributes = (attributes & kCreatableAttributes) | win::kFileAttributeArchive;
        entry->lastWrite = Tick();
        if (durability) durability->Created(resolved.key, entry.get());
    }
    const FileHandle handle = NewHandle();
    const bool made = !existed || disposition == win::kCreateAlways || disposition == win::kTruncateExisting;
    openFiles[handle] = OpenFile{entry, access, share, 0, made};
    // Windows reports an existing file to CREATE_ALWAYS and OPEN_ALWAYS on success.
    const bool reportsExisting = disposition == win::kCreateAlways || disposition == win::kOpenAlways;
    SetError(reportsExisting && existed ? win::kErrorAlreadyExists : 0);
    return handle;
}

FileHandle FakePlatform::HoldOpen(const std::string& path, std::uint32_t access, std::uint32_t shareMode) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::uint32_t error = 0;
    return state_->Open(path.c_str(), access, shareMode, win::kOpenExisting, 0, &error);
}

FileHandle FakePlatform::HoldOpenForAttempts(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                                             int attempts) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::uint32_t error = 0;
    const FileHandle handle = state_->Open(path.c_str(), access, shareMode, win::kOpenExisting, 0, &error);
    if (handle != kInvalidFile) {
        state_->openFiles[handle].changedFile = false;
        state_->briefHolds[handle] = detail::BriefHold{attempts, false};
    }
    return handle;
}

void FakePlatform::Release(FileHandle handle) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->CloseHandleOf(handle);
}

void FakePlatform::MapIntoMemory(const std::string& path, int attempts) {
    detail::ResolvedPath resolved;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (detail::ResolvePath(state_->codePage, path.c_str(), &resolved) != 0) return;
    if (const std::shared_ptr<Entry> entry = state_->Find(resolved.key)) {
        if (entry->folder) return;
        entry->mapped = true;
        entry->mappedAttempts = attempts;
    }
}

void FakePlatform::Unmap(const std::string& path) {
    detail::ResolvedPath resolved;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (detail::ResolvePath(state_->codePage, path.c_str(), &resolved) != 0) return;
    if (const std::shared_ptr<Entry> entry = state_->Find(resolved.key)) entry->mapped = false;
}

void FakePlatform::WatchNewFiles(std::uint32_t access, std::uint32_t shareMode, int attempts) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->watcher = detail::NewFileWatcher{access, shareMode, attempts};
}

void detail::FakeState::CloseHandleOf(FileHandle handle) {
    openFiles.erase(handle);
    briefHolds.erase(handle);
}

void detail::FakeState::MeetBriefHolds(const char* path) {
    detail::ResolvedPath resolved;
    if (detail::ResolvePath(codePage, path, &resolved) != 0) return;
    const std::shared_ptr<Entry> entry = Find(resolved.key);
    if (!entry) return;
    if (entry->mapped && entry->mappedAttempts == 0) {
        entry->mapped = false;
    } else if (entry->mapped && entry->mappedAttempts > 0) {
        --entry->mappedAttempts;
    }
    for (auto hold = briefHolds.begin(); hold != briefHolds.end();) {
        const auto open = openFiles.find(hold->first);
        if (open == openFiles.end() || open->second.entry != entry) {
            ++hold;
        } else if (hold->second.attemptsLeft <= 0) {
            openFiles.erase(open);
            hold = briefHolds.erase(hold);
        } else {
            --hold->second.attemptsLeft;
            ++hold;
        }
    }
}

void detail::FakeState::WatchChangedFile(const std::shared_ptr<Entry>& entry) {
    if (watcher.attempts <= 0 || entry->folder) return;
    // Looking again, the watcher first lets go of its earlier look.
    for (auto hold = briefHolds.begin(); hold != briefHolds.end();) {
        const auto open = openFiles.find(hold->first);
        if (hold->second.byWatcher && open != openFiles.end() && open->second.entry == entry) {
            openFiles.erase(open);
            hold = briefHolds.erase(hold);
        } else {
            ++hold;
        }
    }
    if (CheckShare(*entry, watcher.access, watcher.share) != 0) return;
    const FileHandle handle = NewHandle();
    openFiles[handle] = OpenFile{entry, watcher.access, watcher.share, 0, false};
    briefHolds[handle] = detail::BriefHold{watcher.attempts, true};
}

FileHandle FakePlatform::CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                    std::uint32_t disposition, std::uint32_t attributes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::CreateFile)) return kInvalidFile;
    state_->MeetBriefHolds(path);
    const bool changes = Writes(access) || Deletes(access) || disposition != win::kOpenExisting;
    detail::ResolvedPath resolved;
    if (changes && detail::ResolvePath(state_->codePage, path, &resolved) == 0 &&
        state_->RefusesChanges(resolved.key)) {
        state_->SetError(win::kErrorAccessDenied);
        return kInvalidFile;
    }
    std::uint32_t error = 0;
    const FileHandle handle = state_->Open(path, access, shareMode, disposition, attributes, &error);
    if (handle == kInvalidFile) state_->SetError(error);
    return handle;
}

namespace {
OpenFile* FindOpen(detail::FakeState& state, FileHandle file) {
    const auto found = state.openFiles.find(file);
    if (found != state.openFiles.end()) return &found->second;
    state.SetError(win::kErrorInvalidHandle);
    return nullptr;
}
}  // namespace

bool FakePlatform::ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (bytesRead != nullptr) *bytesRead = 0;
    if (state_->Enter(Op::ReadFile)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    if (!Reads(open->access)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    if (count > 0 && open->position < open->entry->bytes.size()) {
        if (const std::uint32_t error = state_->FetchData(*open->entry)) {
            state_->SetError(error);
            return false;
        }
    }
    const std::vector<std::uint8_t>& bytes = open->entry->bytes;
    std::uint64_t available = open->position < bytes.size() ? bytes.size() - open->position : 0;
    if (const auto limit = state_->ShortTransferLimit(Op::ReadFile))
        available = std::min<std::uint64_t>(available, *limit);
    const auto transferred = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, available));
    if (transferred > 0) std::memcpy(buffer, bytes.data() + open->position, transferred);
    open->position += transferred;
    if (bytesRead != nullptr) *bytesRead = transferred;
    return true;
}

bool FakePlatform::WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (bytesWritten != nullptr) *bytesWritten = 0;
    if (state_->Enter(Op::WriteFile)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    if (!Writes(open->access)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    if (count == 0) return true;
    // The bytes around the write must be here before it.
    if (const std::uint32_t error = state_->FetchData(*open->entry)) {
        state_->SetError(error);
        return false;
    }
    std::vector<std::uint8_t>& bytes = open->entry->bytes;
    // A full disk takes what fits, then refuses the rest.
    const std::uint64_t maxEnd = bytes.size() + state_->FreeBytes();
    std::uint64_t writable = maxEnd > open->position ? std::min<std::uint64_t>(count, maxEnd - open->position) : 0;
    if (open->position + count <= bytes.size()) writable = count;  // overwriting needs no space
    if (const auto limit = state_->ShortTransferLimit(Op::WriteFile))
        writable = std::min<std::uint64_t>(writable, *limit);
    if (writable > 0) {
        open->changedFile = true;
        if (open->position + writable > bytes.size()) bytes.resize(open->position + writable, 0);
        std::memcpy(bytes.data() + open->position, buffer, writable);
        if (state_->durability) state_->durability->Written(open->entry.get(), open->position, buffer, writable);
        open->position += writable;
        open->entry->lastWrite = state_->Tick();
    }
    if (bytesWritten != nullptr) *bytesWritten = static_cast<std::uint32_t>(writable);
    if (writable < count) {
        state_->SetError(win::kErrorDiskFull);
        return false;
    }
    return true;
}

bool FakePlatform::SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                                    std::uint64_t* newPosition) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SetFilePointerEx)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    std::int64_t origin = 0;
    if (method == win::kFileCurrent) {
        origin = static_cast<std::int64_t>(open->position);
    } else if (method == win::kFileEnd) {
        origin = static_cast<std::int64_t>(open->entry->bytes.size());
    } else if (method != win::kFileBegin) {
        state_->SetError(win::kErrorInvalidParameter);
        return false;
    }
    if ((distance < 0 && origin + distance < 0) || (distance > 0 && origin > INT64_MAX - distance)) {
        state_->SetError(distance < 0 ? detail::kErrorNegativeSeek : win::kErrorInvalidParameter);
        return false;
    }
    open->position = static_cast<std::uint64_t>(origin + distance);
    if (newPosition != nullptr) *newPosition = open->position;
    return true;
}

bool FakePlatform::GetFileSizeEx(FileHandle file, std::uint64_t* size) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetFileSizeEx)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    if (size != nullptr) *size = open->entry->bytes.size();
    return true;
}

bool FakePlatform::GetFileTime(FileHandle file, FileTime* lastWrite) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetFileTime)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    if (lastWrite != nullptr) *lastWrite = open->entry->lastWrite;
    return true;
}

bool FakePlatform::FlushFileBuffers(FileHandle file) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::FlushFileBuffers)) return false;
    OpenFile* open = FindOpen(*state_, file);
    if (open == nullptr) return false;
    if (!Writes(open->access)) {
        state_->SetError(win::kErrorAccessDenied);
        return false;
    }
    if (state_->durability) state_->durability->Flushed(open->entry.get());
    return true;
}

bool FakePlatform::CloseFile(FileHandle file) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::CloseFile)) return false;
    const auto open = state_->openFiles.find(file);
    if (open == state_->openFiles.end()) {
        state_->SetError(win::kErrorInvalidHandle);
        return false;
    }
    const std::shared_ptr<Entry> entry = open->second.entry;
    const bool changed = open->second.changedFile;
    state_->CloseHandleOf(file);
    if (changed) state_->WatchChangedFile(entry);
    return true;
}

bool FakePlatform::FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::FileTimeToLocalCalendar)) return false;
    const std::int64_t offsetTicks =
        static_cast<std::int64_t>(state_->utcOffsetMinutes) * 60 * static_cast<std::int64_t>(detail::kTicksPerSecond);
    const bool underflows = offsetTicks < 0 && utc.ticks < static_cast<std::uint64_t>(-offsetTicks);
    CalendarTime calendar;
    if (underflows || !detail::TicksToCalendar(utc.ticks + static_cast<std::uint64_t>(offsetTicks), &calendar)) {
        state_->SetError(win::kErrorInvalidParameter);
        return false;
    }
    if (local != nullptr) *local = calendar;
    return true;
}

}  // namespace platform::fake
