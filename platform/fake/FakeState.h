// The double's internal state, shared by the files that implement its parts.
#pragma once

#include "platform/fake/FakeDurability.h"
#include "platform/fake/FakePlatform.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

namespace platform::fake {

namespace detail {

constexpr std::uint32_t kErrorNegativeSeek = 131;
constexpr std::uint32_t kErrorNotSameDevice = 17;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorKeyDeleted = 1018;
constexpr std::uint32_t kErrorNotOwner = 288;
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;
constexpr std::uint32_t kErrorControlIdNotFound = 1421;
constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;
constexpr std::uint32_t kErrorResourceNameNotFound = 1814;

// A file or folder. Open handles share it, so writes through a handle and
// renames of the path stay consistent.
struct Entry {
    std::string path;  // as stored, case preserved
    bool folder = false;
    std::vector<std::uint8_t> bytes;
    std::uint32_t attributes = 0;  // 0 reads back as FILE_ATTRIBUTE_NORMAL
    FileTime lastWrite;
    bool dataOnline = false;  // an online-only placeholder: `bytes` are the cloud's copy
    // Mapped into memory by another program: for the program's next
    // `mappedAttempts` calls on the file, or for good while below 0.
    bool mapped = false;
    int mappedAttempts = -1;
};

struct OpenFile {
    std::shared_ptr<Entry> entry;
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    std::uint64_t position = 0;
    bool changedFile = false;  // created the file or wrote to it: a watcher looks once it is closed
};

// Another program's open handle that is let go after so many of the
// program's calls on its file.
struct BriefHold {
    int attemptsLeft = 0;
    bool byWatcher = false;
};

struct NewFileWatcher {
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    int attempts = 0;
};

struct RegValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
};

struct RegNode {
    std::string name;
    std::map<std::string, std::shared_ptr<RegNode>> children;  // by folded name
    std::map<std::string, RegValue> values;                    // by folded name
    std::optional<std::uint32_t> allowedAccess;
    bool deleted = false;
};

struct MutexName {
    int handlesHere = 0;
    bool heldElsewhere = false;
    bool openableHere = true;  // false: held by a process of higher rights
};

struct Control {
    std::string className;
    std::string text;
    ProgressState progress;
};

struct Timer {
    std::chrono::milliseconds interval{0};
    std::chrono::steady_clock::time_point due;
};

struct Dialog {
    Window window = 0;
    DialogHandler* handler = nullptr;
    bool running = false;
    std::map<int, Window> controlIds;
    std::map<Window, Control> controls;
    std::string caption;
    bool centred = false;
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> icons;
    std::optional<std::intptr_t> result;
    std::deque<PostedMessage> queue;
    std::map<std::uintptr_t, Timer> timers;
    bool endRequested = false;
    bool endDialogCalled = false;
    std::intptr_t endResult = 0;
};

struct Resource {
    int id = 0;
    std::string foldedType;
    std::vector<std::uint8_t> bytes;
};

struct ArmedFault {
    Fault fault;
    std::uint64_t armedAt = 0;  // calls of the op made before it was armed
};

struct ArmedShortTransfer {
    Op op = Op::Count_;
    std::uint64_t nth = 0;
    std::uint32_t bytes = 0;
    std::uint64_t armedAt = 0;
};

struct FakeState {
    mutable std::mutex mutex;
    std::condition_variable dialogWake;

    std::map<std::thread::id, std::uint32_t> lastErrors;
    std::uintptr_t nextHandle = 0x100;

    // Registry
    std::shared_ptr<detail::RegNode> registryRoot = std::make_shared<detail::RegNode>();
    std::map<RegKey, std::shared_ptr<detail::RegNode>> openKeys;
    std::map<RegKey, std::string> openKeyPaths;
    std::vector<std::string> registryKeysAsked;

    // The system's ANSI code page: how names split into characters.
    AnsiCodePage codePage;

    // Shell
    std::optional<std::u16string> personalFolder;  // as the shell holds it
    bool personalFolderWithBackslash = false;      // reported as Wine's shell does

    // The user
    std::vector<std::uint8_t> processUser;
    bool processElevated = false;
    std::optional<std::vector<std::uint8_t>> desktopUser;

    // File system: every file and folder by folded full path.
    std::map<std::string, std::shared_ptr<detail::Entry>> entries;
    std::map<FileHandle, detail::OpenFile> openFiles;
    std::map<FileHandle, detail::BriefHold> briefHolds;  // of handles in openFiles
    detail::NewFileWatcher watcher;
    std::uint64_t clockTicks = 0;
    int utcOffsetMinutes = 0;
    std::optional<std::uint64_t> diskCapacity;
    DurabilityModel* durability = nullptr;
    std::vector<std::string> refusedFolders;  // keys
    FakePlatform::CloudProvider cloudProvider = FakePlatform::CloudProvider::kRunning;

    // Windows of other programs, and the dialog's.
    std::map<Window, WindowState> windows;
    Window foreground = 0;
    detail::Dialog dialog;
    int dialogWidth = 321;
    int dialogHeight = 67;
    bool dialogMinimised = false;
    int modalIdleLimitMs = 20000;
    bool modalLoopTimedOut = false;
    std::vector<std::uintptr_t> timersLeft;
    std::vector<PostedMessage> posted;
    std::vector<MessageBoxRecord> messageBoxes;
    std::function<int(const MessageBoxRecord&)> messageBoxHandler;
    std::vector<FakePlatform::DrawnIcon> drawnIcons;
    std::vector<TaskbarRecord> taskbarUpdates;
    std::map<std::uintptr_t, Window> paintContexts;

    // Mutexes
    std::map<std::string, detail::MutexName> mutexNames;
    std::map<MutexHandle, std::string> mutexHandles;  // unnamed ones map to ""

    // Threads; each flag is set once its thread's procedure has returned.
    std::map<ThreadHandle, std::thread> threads;
    std::map<ThreadHandle, std::shared_ptr<std::atomic<bool>>> threadEnded;
    std::vector<std::uint32_t> sleeps;
    std::vector<std::string> debugOutput;
    std::function<void()> finishBeforeThreadEndQuery;
    bool threadEndedBeforeQuery = false;

    // Resources: stable addresses, for LoadResource's pointers.
    std::vector<std::unique_ptr<detail::Resource>> resources;

    // Counts and faults
    std::array<std::uint64_t, static_cast<std::size_t>(Op::Count_)> calls{};
    std::array<std::uint64_t, static_cast<std::size_t>(Op::Count_)> callOrdinals{};  // never reset
    std::vector<detail::ArmedFault> faults;
    std::vector<detail::ArmedShortTransfer> shortTransfers;

    // ---- helpers; the caller holds `mutex` ----
    // The code page, read under the lock by a caller that does not hold it.
    AnsiCodePage LockedCodePage() const {
        std::lock_guard<std::mutex> lock(mutex);
        return codePage;
    }
    std::uintptr_t NewHandle() {
        const std::uintptr_t handle = nextHandle;
        nextHandle += 4;
        return handle;
    }
    void SetError(std::uint32_t error) { lastErrors[std::this_thread::get_id()] = error; }
    // Counts a call of `op`; returns the error of a fault that fires on it.
    std::optional<std::uint32_t> Enter(Op op);
    // The transfer limit armed for the current call of `op`, if any.
    std::optional<std::uint32_t> ShortTransferLimit(Op op);
    FileTime Tick();

    // File system
    std::shared_ptr<detail::Entry> Find(const std::string& key) const;
    bool IsOpen(const detail::Entry& entry) const;
    std::uint64_t UsedBytes() const;
    std::uint64_t FreeBytes() const;
    std::uint32_t ReportedAttributes(const detail::Entry& entry) const;
    std::uint32_t CheckShare(const detail::Entry& entry, std::uint32_t access, std::uint32_t share) const;
    // Error for a missing path: 3 when its folder is missing too, else 2.
    std::uint32_t MissingError(const std::string& key) const;
    bool ParentIsFolder(const std::string& key) const;
    // Whether Windows refuses the program changes at `key` (RefuseWritesUnder).
    bool RefusesChanges(const std::string& key) const;
    // Brings an online-only file's data onto the device; 0, or the error of
    // a sync client that cannot.
    std::uint32_t FetchData(detail::Entry& entry);
    std::shared_ptr<detail::Entry> AddEntry(const std::string& key, const std::string& path, bool folder);
    FileHandle Open(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                    std::uint32_t attributes, std::uint32_t* error);
    // The program makes a call on the file at `path`: brief holds on it whose
    // attempts are used up are let go first, the others count this attempt.
    void MeetBriefHolds(const char* path);
    // The watcher, if any, opens the file that the program has just made or changed.
    void WatchChangedFile(const std::shared_ptr<detail::Entry>& entry);
    void CloseHandleOf(FileHandle handle);

    // Registry
    std::shared_ptr<detail::RegNode> RegistryNode(const std::string& keyPath, bool create);

    // Dialog
    bool IsDialogControl(Window window) const;
    bool IsLiveWindow(Window window) const;
};

}  // namespace detail

// Splits a registry path on backslashes, dropping empty names.
std::vector<std::string> SplitKeyPath(const std::string& keyPath);

}  // namespace platform::fake
